#include "drawingfiles/QuarixKMZLoader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "app/formats.h"
#include "app/textfile.h"
#include "app/textlines.h"
#include "app/utf8.h"
#include "drawingfiles/importstage.h"
#include "drawingfiles/kmlfiles.h"
#include "platform/clock.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace {

// Blanks and control characters off both ends.
std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

// One number of a coordinate tuple: blanks and control characters around it
// are ignored; digits, a period, signs and an exponent only ("." as decimal
// point, whatever the locale); anything else, or nothing, gives 0.
double CoordinateNumber(std::string_view t) {
  while (!t.empty() && static_cast<unsigned char>(t.front()) <= ' ') t.remove_prefix(1);
  while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ') t.remove_suffix(1);
  if (!t.empty() && t.front() == '+') {
    t.remove_prefix(1);
    if (!t.empty() && t.front() == '-') return 0;
  }
  if (t.empty()) return 0;
  for (char c : t)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E')) return 0;
  double v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) return 0;
  return v;
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The end of the tag that starts at text[from] ('<'): the position after its
// '>', with quoted attribute values passed over; npos when it never ends.
std::size_t TagEnd(std::string_view text, std::size_t from) {
  char quote = 0;
  for (std::size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i + 1;
    }
  }
  return std::string::npos;
}

// The next tag "<Name" or "</Name" (prefix "<" or "</") at or after pos that
// is the whole element name: followed by '>', '/' or white space, so
// attributes are allowed and <Points> is no <Point>. Returns where it starts.
std::size_t FindTag(std::string_view text, const std::string& prefixed, std::size_t pos) {
  for (;;) {
    const std::size_t a = text.find(prefixed, pos);
    if (a == std::string::npos) return a;
    const std::size_t after = a + prefixed.size();
    if (after < text.size() && (text[after] == '>' || text[after] == '/' || IsXmlSpace(text[after])))
      return a;
    pos = a + 1;
  }
}

// The content of the next element Name at or after pos: from the end of its
// opening tag (attributes and all) to its closing tag; pos then moves past
// the closing tag. An empty element (<Name/>) has empty content. False when
// no opening tag comes, or when it is never closed.
bool NextElementText(std::string_view text, const std::string& name, std::size_t& pos,
                     std::string_view& inner) {
  const std::string open = "<" + name, close = "</" + name;
  const std::size_t a = FindTag(text, open, pos);
  if (a == std::string::npos) return false;
  const std::size_t from = TagEnd(text, a);
  if (from == std::string::npos) return false;
  if (text[from - 2] == '/') {
    inner = {};
    pos = from;
    return true;
  }
  const std::size_t b = FindTag(text, close, from);
  if (b == std::string::npos) return false;
  const std::size_t end = text.find('>', b);
  if (end == std::string::npos) return false;
  inner = text.substr(from, b - from);
  pos = end + 1;
  return true;
}

// The name of the document's root element when the text ends before that
// element is closed (a file cut short); empty when it is closed, or when the
// text starts with no element to judge by. The XML declaration, processing
// instructions, comments and a document type before the root are passed
// over.
std::string UnclosedRoot(std::string_view text) {
  std::size_t pos = 0;
  for (;;) {
    while (pos < text.size() && IsXmlSpace(text[pos])) ++pos;
    if (text.compare(pos, 4, "<!--") == 0) {
      const std::size_t end = text.find("-->", pos + 4);
      if (end == std::string::npos) return {};
      pos = end + 3;
    } else if (text.compare(pos, 2, "<?") == 0 || text.compare(pos, 2, "<!") == 0) {
      // A document type may hold an internal subset in brackets.
      const std::size_t bracket = text.find('[', pos), close = text.find('>', pos);
      const std::size_t end = bracket < close ? text.find("]>", bracket) : close;
      if (end == std::string::npos) return {};
      pos = text.find('>', end) + 1;
    } else {
      break;
    }
  }
  if (pos >= text.size() || text[pos] != '<') return {};
  std::size_t end = pos + 1;
  while (end < text.size() && !IsXmlSpace(text[end]) && text[end] != '>' && text[end] != '/') ++end;
  const std::string name(text.substr(pos + 1, end - pos - 1));
  if (name.empty()) return {};
  const std::size_t tagEnd = TagEnd(text, pos);
  if (tagEnd == std::string::npos) return name;
  if (text[tagEnd - 2] == '/') return {};  // <kml/>
  const std::string close = "</" + name;
  for (std::size_t at = text.rfind(close); at != std::string::npos && at >= tagEnd;
       at = at == 0 ? std::string::npos : text.rfind(close, at - 1)) {
    std::size_t after = at + close.size();
    while (after < text.size() && IsXmlSpace(text[after])) ++after;
    if (after < text.size() && text[after] == '>') return {};
  }
  return name;
}

bool FirstElementText(std::string_view text, const std::string& name, std::string_view& inner) {
  std::size_t pos = 0;
  return NextElementText(text, name, pos, inner);
}

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool IsRegularFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(p, ec));
}

bool EndsWithKml(const std::string& name) {
  return name.size() > 4 && LowerAscii(name.substr(name.size() - 4)) == ".kml";
}

// A character XML allows in a document.
bool IsXmlChar(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// Character data as XML reads it: CDATA sections give their content as it
// stands, the five predefined entities and character references (&#65;,
// &#x41;) give their characters in UTF-8. An entity or reference XML does
// not define stays as it is written.
std::string DecodeXmlText(std::string_view t) {
  static const struct {
    const char* name;
    char c;
  } kEntities[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
  std::string out;
  out.reserve(t.size());
  std::size_t i = 0;
  while (i < t.size()) {
    if (t.compare(i, 9, "<![CDATA[") == 0) {
      const std::size_t end = t.find("]]>", i + 9);
      out.append(t.substr(i + 9, end == std::string_view::npos ? std::string_view::npos : end - i - 9));
      if (end == std::string_view::npos) break;
      i = end + 3;
      continue;
    }
    if (t[i] == '&') {
      const std::size_t semi = t.find(';', i + 1);
      if (semi != std::string_view::npos && semi - i <= 10) {
        const std::string_view ref = t.substr(i + 1, semi - i - 1);
        bool done = false;
        if (ref.size() >= 2 && ref[0] == '#') {
          const bool hex = ref[1] == 'x';
          const std::string_view digits = ref.substr(hex ? 2 : 1);
          uint32_t c = 0;
          const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), c, hex ? 16 : 10);
          if (!digits.empty() && r.ec == std::errc() && r.ptr == digits.data() + digits.size() && IsXmlChar(c)) {
            AppendUtf8(out, c);
            done = true;
          }
        } else {
          for (const auto& e : kEntities)
            if (ref == e.name) {
              out.push_back(e.c);
              done = true;
            }
        }
        if (done) {
          i = semi + 1;
          continue;
        }
      }
    }
    out.push_back(t[i++]);
  }
  return out;
}

// The text of an element's content: decoded, without blanks and control
// characters at either end.
std::string ElementText(std::string_view inner) { return Trim(DecodeXmlText(Trim(inner))); }

// %XX escapes of a link decoded; a broken escape stays.
std::string PercentDecode(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    unsigned v = 0;
    if (s[i] == '%' && i + 2 < s.size() &&
        std::from_chars(s.data() + i + 1, s.data() + i + 3, v, 16).ptr == s.data() + i + 3) {
      out.push_back(static_cast<char>(v));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

// The archive entry a link of the document Base (an entry name) points to,
// or empty when it points anywhere else: to the network or any other
// scheme, to an absolute path, or out of the archive with "..".
std::string LinkedEntry(const std::string& Base, const std::string& Href) {
  std::string href = Href.substr(0, Href.find_first_of("#?"));
  const std::size_t colon = href.find(':');
  if (colon != std::string::npos && colon < href.find('/')) return {};  // http:, file:, C:
  href = PercentDecode(href);
  if (href.empty() || href[0] == '/' || href[0] == '\\') return {};
  for (char& c : href)
    if (c == '\\') c = '/';
  const std::size_t slash = Base.rfind('/');
  const std::string joined = (slash == std::string::npos ? std::string() : Base.substr(0, slash + 1)) + href;
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    const std::string part = joined.substr(start, end - start);
    if (part == "..") {
      if (parts.empty()) return {};
      parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string entry;
  for (const std::string& part : parts) entry += (entry.empty() ? "" : "/") + part;
  return IsSafeKMZEntryName(entry) ? entry : std::string();
}

}  // namespace

TQuarixKMZLoader::~TQuarixKMZLoader() { RemoveTempFolder(); }

bool TQuarixKMZLoader::LoadFromFile(const std::string& Path) {
  Placemarks.clear();
  LastError.clear();
  linkedTexts_.clear();
  linkNote_.clear();
  // Only a regular file is read: a FIFO, a device or a file too large is
  // refused at once, with its reason.
  const bool kmz = LowerAscii(fs::path(Path).extension().string()) == ".kmz";
  const std::string problem = FileReadProblem(Path, kmz ? TKMZLimits().MaxTotalBytes : kMaxKMLFileBytes);
  if (!problem.empty()) {
    std::error_code ec;
    LastError = fs::exists(fs::symlink_status(Path, ec)) ? "Failed to read KML file " + Path + ": " + problem
                                                         : "File not found: " + Path;
    return false;
  }
  bool result;
  if (kmz) {
    const std::string text = ExtractKMZ(Path);
    if (text.empty()) return false;
    result = ParseKML(text);
    linkedTexts_.clear();
  } else {
    std::string text;
    std::string why;
    if (!ReadKMLTextFile(Path, text, kMaxKMLFileBytes, &why)) {
      LastError = "Failed to read KML file " + Path + ": " + why;
      return false;
    }
    result = ParseKML(text);
  }
  RemoveTempFolder();
  return result;
}

std::string TQuarixKMZLoader::ExtractKMZ(const std::string& Path) {
  // A fresh folder named after the tick count; one that is already there
  // belongs to someone else and is never used (nor later removed).
  RemoveTempFolder();
  createdFolder_ = false;
  linkedTexts_.clear();
  linkNote_.clear();
  uint32_t ticks = platform::TickCount();
  for (int attempt = 0; attempt < 1000; ++attempt, ++ticks) {
    TempFolder = platform::ProgramFolder() + "temp_kmz_" +
                 std::to_string(static_cast<int32_t>(ticks));
    std::error_code ec;
    if (fs::create_directory(TempFolder, ec) && !ec) {
      createdFolder_ = true;
      break;
    }
  }
  // The copy is taken from the file as it was judged.
  const std::string zipPath = TempFolder + "/temp.zip";
  std::string archive, problem;
  if (!ReadWholeFile(Path, archive, TKMZLimits().MaxTotalBytes, &problem)) {
    LastError = "Failed to read KML file " + Path + ": " + problem;
    return {};
  }
  if (!createdFolder_ || !WriteFileAtomically(zipPath, archive)) {
    LastError = "Failed to copy KMZ file";
    return {};
  }
  std::string().swap(archive);
  std::error_code ec;
  TKMZExpandReport report;
  if (!ExpandKMZArchive(zipPath, TempFolder, TKMZLimits(), &report)) {
    LastError = "The KMZ file is not a zip archive or is damaged: " + Path;
    return {};
  }
  // A KML entry at the top of the archive that the expansion refused.
  auto refusedKml = [&report]() -> std::string {
    for (const auto& [name, why] : report.Refused)
      if (name.find('/') == std::string::npos && name.size() > 4 &&
          LowerAscii(name.substr(name.size() - 4)) == ".kml")
        return "The KML file " + name + " of the KMZ archive was not expanded: " + why;
    return {};
  };

  fs::path kml = fs::path(TempFolder) / "doc.kml";
  if (!IsRegularFile(kml)) {
    // The first .kml file at the top of the archive, by name.
    std::vector<std::string> names;
    for (fs::directory_iterator it(TempFolder, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.size() > 4 && LowerAscii(name.substr(name.size() - 4)) == ".kml" &&
          IsRegularFile(it->path()))
        names.push_back(name);
    }
    if (names.empty()) {
      LastError = refusedKml();
      if (LastError.empty() && report.Entries > TKMZLimits().MaxEntries)
        LastError = "No KML file found in the first " + std::to_string(TKMZLimits().MaxEntries) +
                    " entries of the KMZ archive; it holds " + std::to_string(report.Entries) +
                    " entries, and those past the first " + std::to_string(TKMZLimits().MaxEntries) +
                    " are not read";
      if (LastError.empty()) LastError = "No KML file found in KMZ archive";
      return {};
    }
    kml = fs::path(TempFolder) / *std::min_element(names.begin(), names.end());
  }
  std::string text, why;
  if (!ReadKMLTextFile(kml.string(), text, kMaxKMLFileBytes, &why)) {
    LastError = "Failed to read extracted KML file: " + why;
    return {};
  }
  FollowLinks(kml.filename().string(), text, report);
  return text;
}

void TQuarixKMZLoader::FollowLinks(const std::string& DocEntry, const std::string& DocText,
                                   const TKMZExpandReport& Report) {
  // The documents of the same archive that a document links to (GIS tools
  // write a doc.kml whose NetworkLinks name layers/*.kml), and the links of
  // those, breadth first; each entry once, within the bounds of one
  // archive: as many documents as it may have entries, as much text as one
  // KML file may hold. Links to the network, to absolute paths or out of
  // the archive are never followed.
  const TKMZLimits limits;
  std::vector<std::string> queue{DocEntry}, skipped;
  std::vector<std::string> seen{DocEntry};
  uint64_t bytes = DocText.size();
  for (std::size_t q = 0; q < queue.size(); ++q) {
    const std::string_view text = q == 0 ? std::string_view(DocText) : std::string_view(linkedTexts_[q - 1]);
    std::size_t pos = 0;
    std::string_view link;
    std::vector<std::string> targets;
    while (NextElementText(text, "NetworkLink", pos, link)) {
      std::string_view href;
      if (!FirstElementText(link, "href", href)) continue;
      const std::string target = ElementText(href);
      const std::string entry = LinkedEntry(queue[q], target);
      if (entry.empty() || !EndsWithKml(entry)) {
        skipped.push_back(target);
        continue;
      }
      if (std::find(seen.begin(), seen.end(), entry) != seen.end()) continue;
      seen.push_back(entry);
      targets.push_back(entry);
    }
    for (const std::string& entry : targets) {
      if (queue.size() >= limits.MaxEntries) {
        linkNote_ = "links past the first " + std::to_string(limits.MaxEntries) + " documents are not followed";
        break;
      }
      const fs::path file = fs::path(TempFolder) / entry;
      std::string linked, why;
      if (!IsRegularFile(file)) {
        std::string reason = "not in the archive";
        for (const auto& [name, refusal] : Report.Refused)
          if (name == entry) reason = "not expanded: " + refusal;
        if (reason == "not in the archive" && Report.Entries > limits.MaxEntries)
          reason += " (or past its first " + std::to_string(limits.MaxEntries) + " entries, which are all that is read)";
        linkNote_ = "the linked file " + entry + " is " + reason;
        continue;
      }
      if (!ReadKMLTextFile(file.string(), linked, (kMaxKMLFileBytes) - std::min<uint64_t>(bytes, kMaxKMLFileBytes), &why)) {
        linkNote_ = "the linked file " + entry + " was not read: " + why;
        continue;
      }
      bytes += linked.size();
      queue.push_back(entry);
      linkedTexts_.push_back(std::move(linked));
    }
  }
  if (linkNote_.empty() && !skipped.empty())
    linkNote_ = "links to files outside the KMZ archive are not followed (" + skipped.front() + ")";
}

void TQuarixKMZLoader::RemoveTempFolder() {
  if (TempFolder.empty() || !platform::FolderExists(TempFolder)) return;
  if (createdFolder_) {
    std::error_code ec;
    fs::remove_all(TempFolder, ec);  // does not follow links inside
  }
  createdFolder_ = false;
  TempFolder.clear();
}

bool TQuarixKMZLoader::ParseKML(const std::string& Text) {
  Placemarks.clear();
  LastError.clear();
  if (Text.empty()) {
    LastError = "Empty KML content";
    return false;
  }
  // A file cut short is not taken in part: its document must end.
  const auto cutShort = [this](std::string_view text) {
    const std::string root = UnclosedRoot(text);
    if (!root.empty())
      LastError = "The KML file ends before its document does: its <" + root +
                  "> element is never closed (the file may be cut short)";
    return !root.empty();
  };
  if (cutShort(Text)) return false;
  for (const std::string& linked : linkedTexts_)
    if (cutShort(linked)) return false;
  std::size_t found = 0;
  stopped_ = false;
  CollectPlacemarks(Text, found);
  for (const std::string& linked : linkedTexts_) CollectPlacemarks(linked, found);
  if (stopped_) {
    Placemarks.clear();
    LastError = "Cancelled";
    return false;
  }
  if (Placemarks.empty()) {
    LastError = found == 0 ? "No placemark found in the KML file"
                           : "No placemark with Point, LineString or Polygon coordinates found "
                             "in the KML file (" + std::to_string(found) + " placemarks read)";
    if (!linkNote_.empty()) LastError += "; " + linkNote_;
  }
  return !Placemarks.empty();
}

void TQuarixKMZLoader::CollectPlacemarks(std::string_view Text, std::size_t& Found) {
  std::size_t pos = 0;
  std::string_view body;
  while (!stopped_ && NextElementText(Text, "Placemark", pos, body)) {
    ++Found;
    if (OnProgress && (Found & 0xFF) == 0 && !OnProgress(pos, Text.size())) {
      stopped_ = true;
      break;
    }
    TKMLPlacemark placemark;
    std::string_view inner;
    if (FirstElementText(body, "name", inner)) placemark.Name = ElementText(inner);
    if (FirstElementText(body, "description", inner)) placemark.Description = ElementText(inner);
    ParseGeometries(body, placemark);
    if (!placemark.Geometries.empty()) Placemarks.push_back(std::move(placemark));
  }
}

void TQuarixKMZLoader::ParseGeometries(std::string_view PlacemarkText, TKMLPlacemark& Placemark) {
  static const struct {
    int Type;
    const char* Name;
  } passes[] = {{kmlPoint, "Point"}, {kmlLineString, "LineString"}, {kmlPolygon, "Polygon"}};
  for (const auto& pass : passes) {
    std::size_t pos = 0;
    std::string_view element;
    while (NextElementText(PlacemarkText, pass.Name, pos, element)) {
      std::string_view coordinates;
      if (!FirstElementText(element, "coordinates", coordinates)) continue;
      TKMLGeometry geometry;
      geometry.Type = pass.Type;
      ParseCoordinates(coordinates, geometry.Points);
      if (!geometry.Points.empty()) Placemark.Geometries.push_back(std::move(geometry));
    }
  }
}

void TQuarixKMZLoader::ParseCoordinates(std::string_view Text, std::vector<TKMLPoint>& Points) {
  // Tuples are separated by blanks, tabs and line ends (LF, CR LF or a CR
  // alone); one pass over the text.
  const std::size_t n = Text.size();
  std::size_t pos = 0;
  while (pos < n) {
    while (pos < n && (Text[pos] == ' ' || Text[pos] == '\t' || textlines::IsLineEnd(Text[pos]))) ++pos;
    std::size_t end = pos;
    while (end < n && Text[end] != ' ' && Text[end] != '\t' && !textlines::IsLineEnd(Text[end])) ++end;
    if (end == pos) break;
    std::string_view token(Text.data() + pos, end - pos);
    pos = end;
    while (!token.empty() && static_cast<unsigned char>(token.front()) < ' ') token.remove_prefix(1);
    while (!token.empty() && static_cast<unsigned char>(token.back()) < ' ') token.remove_suffix(1);
    const std::size_t c1 = token.find(',');
    if (token.empty() || c1 == std::string_view::npos) continue;
    const std::string_view first = token.substr(0, c1);
    const std::string_view rest = token.substr(c1 + 1);
    std::string_view second = rest, third = "0";
    const std::size_t c2 = rest.find(',');
    if (c2 != std::string_view::npos) {
      second = rest.substr(0, c2);
      third = rest.substr(c2 + 1);
    }
    TKMLPoint point;
    point.Longitude = CoordinateNumber(first);
    point.Latitude = CoordinateNumber(second);
    point.Altitude = CoordinateNumber(third);
    if (point.Longitude == 0 && point.Latitude == 0) continue;
    if (OnConvertCoordinate) OnConvertCoordinate(point.X, point.Y, point.Latitude, point.Longitude);
    Points.push_back(point);
  }
}

void TQuarixKMZLoader::ConvertCoordinates() {
  if (!OnConvertCoordinate) return;
  for (TKMLPlacemark& placemark : Placemarks)
    for (TKMLGeometry& geometry : placemark.Geometries)
      for (TKMLPoint& p : geometry.Points) OnConvertCoordinate(p.X, p.Y, p.Latitude, p.Longitude);
}

std::vector<TKMLPoint> TQuarixKMZLoader::GetAllPoints() const {
  std::vector<TKMLPoint> points;
  for (const TKMLPlacemark& placemark : Placemarks)
    for (const TKMLGeometry& geometry : placemark.Geometries)
      if (geometry.Type == kmlPoint)
        points.insert(points.end(), geometry.Points.begin(), geometry.Points.end());
  return points;
}

std::vector<std::vector<TKMLPoint>> TQuarixKMZLoader::GetAllLines() const {
  std::vector<std::vector<TKMLPoint>> lines;
  for (const TKMLPlacemark& placemark : Placemarks)
    for (const TKMLGeometry& geometry : placemark.Geometries)
      if ((geometry.Type == kmlLineString || geometry.Type == kmlPolygon) &&
          geometry.Points.size() > 1)
        lines.push_back(geometry.Points);
  return lines;
}
