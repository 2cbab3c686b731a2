#include "runtime/gnssintake.h"

#include <algorithm>

#include "app/formats.h"
#include "app/scanformat.h"
#include "devices/nmea.h"

namespace gnss {

namespace {

// The line split at every comma, empty fields kept, text from '*' on dropped.
std::vector<std::string> Fields(const std::string& line) {
  const std::string body = line.substr(0, line.find('*'));
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = body.find(',', start);
    out.push_back(body.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

}  // namespace

bool TakeHDT(const std::string& line, double& gyroHeading) {
  if (!nmea::IsSentence(line, "HDT")) return false;
  if (!nmea::IsWholeSentence(line, "HDT")) return true;  // cut short: "$HEHDT,27" may have been 271.5
  static const scanformat::Format format("%*7s %lf");
  std::vector<double> v;
  if (format.Scan(line, v) == 1) gyroHeading = v[0];
  return true;
}

bool TakeRMCSpeed(const std::string& line, double& speedKnots) {
  if (!nmea::IsSentence(line, "RMC")) return false;
  static const scanformat::Format format("%*6s,%*lf,%*1s,%*lf,%*1s,%*lf,%*1s,%lf");
  std::vector<double> v;
  speedKnots = format.Scan(line, v) == 1 ? v[0] : 0;
  return true;
}

bool TakeVTGSpeed(const std::string& line, double& speedKnots) {
  if (!nmea::IsSentence(line, "VTG")) return false;
  const std::vector<std::string> f = Fields(line);
  double knots = 0;
  if (f.size() <= 5 || !TryStrToFloat(f[5], knots)) knots = 0;
  speedKnots = knots;
  return true;
}

GGAScan ScanGGA(const std::string& line) {
  static const scanformat::Format format("%*6s,%lf,%*lf,%*1s,%*lf,%*1s,%d,%*d,%*lf,%lf,%*1s,%lf");
  std::vector<double> v;
  GGAScan s;
  s.count = format.Scan(line, v);
  if (s.count > 0) s.time = v[0];
  if (s.count > 1) s.quality = static_cast<int>(v[1]);
  if (s.count > 2) s.altitude = v[2];
  if (s.count > 3) s.geoidSeparation = v[3];
  return s;
}

bool TakeGGA(const std::string& line, double offsetC, bool& noValidPosition, double& rtkAntennaHeight,
             double& rtkTide) {
  if (!nmea::IsWholeSentence(line, "GGA")) return false;
  const GGAScan s = ScanGGA(line);
  // The time is the first value: it was read when anything was. An empty
  // time field does not scan; 000000.00 is midnight, a time like any other.
  noValidPosition = s.count < 2;
  if (s.quality == 4 && s.count >= 3) {
    rtkAntennaHeight = s.count == 4 ? s.altitude + s.geoidSeparation : s.altitude;
    rtkTide = rtkAntennaHeight - offsetC;
  }
  return true;
}

std::vector<std::string> OffsetsCopy::Take(const Texts& t, double& offsetAValue, double& svValue,
                                           double& offsetCValue, double& tideHtValue) {
  std::vector<std::string> reports;
  std::string report;
  const auto read = [&](EditValue& e, const std::string& text, double& target) {
    target = e.Read(text, &report);
    if (!report.empty()) reports.push_back(report);
  };
  read(a_, t.offsetA, offsetAValue);
  read(sv_, t.sv, svValue);
  read(c_, t.offsetC, offsetCValue);
  read(tide_, t.tideHt, tideHtValue);
  return reports;
}

TColor FixQualityColor(int quality) {
  switch (quality) {
    case 0:
    case 1: return clRed;
    case 2: return clAqua;
    case 4: return clLime;
    default: return clYellow;
  }
}

std::string KnotsText(double speedKmh) { return FormatFixed(speedKmh / 1.852, 1); }

void PositionAge::Stamp(uint32_t now) {
  if (stamped_) {
    intervals_[next_] = now - last_;
    next_ = (next_ + 1) % intervals_.size();
    if (count_ < intervals_.size()) ++count_;
  }
  stamped_ = true;
  last_ = now;
}

uint32_t PositionAge::IntervalMs() const {
  if (count_ == 0) return kUnknownIntervalMs;
  std::array<uint32_t, 5> sorted = intervals_;
  std::sort(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(count_));
  return sorted[count_ / 2];
}

bool PositionAge::Current(uint32_t now) const {
  if (!stamped_) return false;
  const uint64_t age = now - last_;
  return age < kMinimumMs || age <= 3ull * IntervalMs();
}

}  // namespace gnss
