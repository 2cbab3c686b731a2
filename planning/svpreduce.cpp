#include "planning/svpreduce.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "app/formats.h"
#include "app/scanformat.h"

namespace svp {

namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// Blanks and control characters off both ends.
std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }
bool NamesSV(const std::string& upper) { return Contains(upper, "SV") || Contains(upper, "VELOCITY"); }
bool NamesDepth(const std::string& upper) { return Contains(upper, "PRESSURE") || Contains(upper, "DEPTH"); }

// An integer read by %d that fits an int.
bool AsInt(double v, int& out) {
  if (!(v >= -2147483648.0 && v <= 2147483647.0)) return false;
  out = static_cast<int>(v);
  return true;
}

const scanformat::Format& DepthSV() {
  static const scanformat::Format f("%d,%lf");
  return f;
}
const scanformat::Format& DepthSVHits() {
  static const scanformat::Format f("%d,%lf,%d");
  return f;
}

// "%d,%lf": depth and sound velocity of a stage-1 or stage-2 line.
bool ReadDepthSV(const std::string& line, int& d, double& v) {
  std::vector<double> values;
  if (DepthSV().Scan(line, values) != 2 || !AsInt(values[0], d)) return false;
  v = values[1];
  return true;
}
}  // namespace

double ValidSV(double sv) { return sv >= 1350 && sv <= 1600 ? sv : 0; }

int ParseMaxDepth(const std::string& text) {
  int value = 0;
  if (!TryStrToInt(text, value)) throw std::runtime_error("'" + text + "' is not a valid integer value");
  if (value < 0 || value > kMaxDepthLimit)
    throw std::runtime_error("Max Depth " + std::to_string(value) + " is out of range (0 to " +
                             std::to_string(kMaxDepthLimit) + " m)");
  return value;
}

std::string FormatProblem(const std::string& format) {
  std::string problem;
  if (scanformat::CheckUserFormat(scanformat::Format(format), 2, problem)) return {};
  return problem;
}

ExtractResult ExtractPairs(const std::vector<std::string>& probe, const std::string& format, bool svFirst,
                           const std::function<bool(double, int)>& outOfRange) {
  ExtractResult r;
  const scanformat::Format f(format);
  std::vector<double> values;
  for (std::size_t i = 0; i < probe.size(); ++i) {
    if (f.Scan(probe[i], values) != 2) continue;
    const double sv = svFirst ? values[0] : values[1];
    const double depth = svFirst ? values[1] : values[0];
    if (ValidSV(sv) != 0) {
      r.lines.push_back(FormatFixed(depth, 0) + "," + FormatFixed(sv, 3));
    } else if (!outOfRange || !outOfRange(sv, static_cast<int>(i))) {
      r.cancelled = true;
      break;
    }
  }
  return r;
}

std::vector<std::string> AverageByMetre(const std::vector<std::string>& extracted, int maxDepth) {
  std::vector<std::string> avg(static_cast<std::size_t>(std::max(maxDepth + 1, 0)));
  int deepest = -1;
  std::vector<double> values;
  for (const std::string& line : extracted) {
    int d = 0;
    double v = 0;
    if (!ReadDepthSV(line, d, v)) continue;
    if (d > deepest) deepest = d;
    if (d < 0 || d > maxDepth) continue;
    std::string& slot = avg[static_cast<std::size_t>(d)];
    int dd = 0, n = 0;
    if (DepthSVHits().Scan(slot, values) == 3 && AsInt(values[0], dd) && dd == d && AsInt(values[2], n) &&
        n >= 0) {
      const double mean = (n * values[1] + v) / (n + 1);
      slot = std::to_string(d) + "," + FormatFixed(mean, 2) + "," + std::to_string(n + 1);
    } else {
      slot = line + ",1";
    }
  }
  if (deepest >= 0 && deepest < maxDepth) {
    std::vector<double> sv;
    if (scanformat::Scan("%*d,%lf", avg[static_cast<std::size_t>(deepest)], sv) == 1) {
      const std::string text = FormatFixed(sv[0], 2);
      for (int i = deepest + 1; i <= maxDepth; ++i) avg[static_cast<std::size_t>(i)] = std::to_string(i) + "," + text + ",0";
    }
  }
  return avg;
}

ColumnResult BuildColumn(const std::vector<std::string>& averaged, int maxDepth) {
  ColumnResult r;
  const auto blankTop = [&r, maxDepth] {
    r.status = ColumnResult::Status::BlankTop;
    r.column.assign(static_cast<std::size_t>(std::max(maxDepth, 0)), std::string());
    return r;
  };
  int d = 0;
  double v = 0;
  if (averaged.empty() || !ReadDepthSV(averaged[0], d, v)) return blankTop();

  // The sound velocity each line gives the metre it names. A list straight
  // from the averaging has line i for metre i; one rewritten by the profile
  // editor holds one line per remaining point, in any order and with gaps.
  const std::size_t metres = static_cast<std::size_t>(maxDepth) + 1;
  std::vector<double> sum(metres, 0.0);
  std::vector<int> count(metres, 0);
  int beyond = -1;  // the shallowest point deeper than Max Depth
  double beyondSV = 0;
  for (const std::string& line : averaged) {
    if (!ReadDepthSV(line, d, v) || d < 0) continue;
    if (d <= maxDepth) {
      sum[static_cast<std::size_t>(d)] += v;
      ++count[static_cast<std::size_t>(d)];
    } else if (beyond < 0 || d < beyond) {
      beyond = d;
      beyondSV = v;
    }
  }

  // A metre without a value of its own lies between two that have one and
  // takes the straight line between them; above the shallowest value it takes
  // that value, below the deepest the deepest (or the line to the next point
  // past Max Depth).
  std::vector<double> sv(metres, 0.0);
  int known = -1;
  const auto fill = [&sv](int from, int to, int a, double va, int b, double vb) {
    for (int i = from; i <= to; ++i)
      sv[static_cast<std::size_t>(i)] = b == a ? va : va + (vb - va) * (i - a) / static_cast<double>(b - a);
  };
  for (int i = 0; i <= maxDepth; ++i) {
    const std::size_t at = static_cast<std::size_t>(i);
    if (count[at] == 0) continue;
    sv[at] = sum[at] / count[at];
    if (known < 0) fill(0, i - 1, i, sv[at], i, sv[at]);
    else fill(known + 1, i - 1, known, sv[static_cast<std::size_t>(known)], i, sv[at]);
    known = i;
  }
  if (known < 0) {
    if (beyond < 0) return blankTop();  // no line names a metre at all
    fill(0, maxDepth, beyond, beyondSV, beyond, beyondSV);
  } else if (beyond >= 0) {
    fill(known + 1, maxDepth, known, sv[static_cast<std::size_t>(known)], beyond, beyondSV);
  } else {
    fill(known + 1, maxDepth, known, sv[static_cast<std::size_t>(known)], known, sv[static_cast<std::size_t>(known)]);
  }

  double mean = 0;
  for (int i = 0; i <= maxDepth; ++i) {
    const double value = sv[static_cast<std::size_t>(i)];
    mean = (i * mean + value) / (i + 1.0);
    // The negated tests also catch values that are not numbers.
    if (!(mean > 1300 && mean < 1700) || !(value > 1300 && value < 1700)) {
      r.status = ColumnResult::Status::OutOfRange;
      r.line = i;
      r.column.clear();
      return r;
    }
    r.column.push_back(FormatFixed(mean, 2));
  }
  return r;
}

std::optional<HeaderFormat> DetectHeader(const std::vector<std::string>& probe) {
  std::size_t at = 0;
  while (at < probe.size()) {
    const std::string upper = Upper(probe[at]);
    if (NamesSV(upper) && NamesDepth(upper)) break;
    ++at;
  }
  if (at == probe.size()) return std::nullopt;

  HeaderFormat h;
  h.headerLine = static_cast<int>(at);
  const std::string& line = probe[at];
  if (Contains(line, ",")) h.delimiter = ',';
  else if (Contains(line, "\t")) h.delimiter = '\t';
  else if (Contains(line, ";")) h.delimiter = ';';

  int svColumn = -1, depthColumn = -1;
  // Fields run from one delimiter to the next; a trailing delimiter adds none.
  for (std::size_t from = 0, field = 0; from < line.size(); ++field) {
    std::size_t cut = line.find(h.delimiter, from);
    if (cut == std::string::npos) cut = line.size();
    const std::string text = Upper(Trim(line.substr(from, cut - from)));
    from = cut + 1;
    if (NamesSV(text)) svColumn = static_cast<int>(field);
    if (NamesDepth(text)) depthColumn = static_cast<int>(field);
  }
  // One field naming both would read two neighbouring columns as if they
  // were the two named ones.
  if (svColumn < 0 || depthColumn < 0 || svColumn == depthColumn) return std::nullopt;

  h.svColumn = svColumn;
  h.depthColumn = depthColumn;
  h.svFirst = svColumn < depthColumn;
  const int lo = std::min(svColumn, depthColumn), hi = std::max(svColumn, depthColumn);
  const std::string d(1, h.delimiter);
  const std::string skip = "%*[^" + d + "]" + d;
  for (int i = 0; i < lo; ++i) h.format += skip;
  h.format += "%lf" + d;
  for (int i = 0; i < hi - lo - 1; ++i) h.format += skip;
  h.format += "%lf";
  return h;
}

std::string DetectionReport(const HeaderFormat& h, bool english) {
  const std::string delimiter = h.delimiter == '\t' ? std::string("TAB") : std::string(1, h.delimiter);
  if (english)
    return "Auto-detected format:\n- Header at line: " + std::to_string(h.headerLine + 1) +
           "\n- Delimiter: " + delimiter + "\n- SV column: " + std::to_string(h.svColumn + 1) +
           "\n- Pressure column: " + std::to_string(h.depthColumn + 1) + "\n- Search string: " + h.format;
  return "Otomatik algilanan format:\n- Baslik satiri: " + std::to_string(h.headerLine + 1) +
         "\n- Ayirici: " + delimiter + "\n- SV sutunu: " + std::to_string(h.svColumn + 1) +
         "\n- Basinc sutunu: " + std::to_string(h.depthColumn + 1) + "\n- Arama dizesi: " + h.format;
}

}  // namespace svp
