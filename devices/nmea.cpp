#include "devices/nmea.h"

#include <algorithm>

#include "app/formats.h"

namespace nmea {

std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    if (comma == std::string::npos) {
      fields.push_back(text.substr(start));
      return fields;
    }
    fields.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
}

double RealField(const std::string& field) { return StrToFloatDef(field, 0.0); }

int IntField(const std::string& field) { return StrToIntDef(field, 0); }

double PositionDegrees(const std::string& value, const std::string& hemisphere) {
  if (value.empty()) return 0;
  const size_t period = value.find('.');
  if (period == std::string::npos || period < 2) return 0;
  const size_t degreeDigits = (hemisphere == "E" || hemisphere == "W") ? 3 : 2;
  const double degrees = RealField(value.substr(0, degreeDigits));
  const double minutes = value.size() > degreeDigits ? RealField(value.substr(degreeDigits)) : 0.0;
  const double result = degrees + minutes / 60.0;
  return (hemisphere == "S" || hemisphere == "W") ? -result : result;
}

namespace {

// The fields a whole sentence of a read type has at least; 0 for others.
std::size_t WholeFieldCount(const std::string& type) {
  if (type == "GGA") return 10;
  if (type == "RMC" || type == "VTG") return 8;
  if (type == "HDT") return 3;
  return 0;
}

// The sentence's text before its checksum, split into its fields.
std::vector<std::string> BodyFields(const std::string& line) { return SplitFields(line.substr(0, line.find('*'))); }

// The decoders below are given the fields of a whole sentence of their type.

// $--GGA,hhmmss.ss,llll.ll,a,yyyyy.yy,a,q,ss,h.h,alt,M,geoid,M,age,station*hh
//   field 2/3 latitude and N/S, 4/5 longitude and E/W, 6 fix quality,
//   7 satellites in use, 9 altitude above mean sea level.
// A receiver without a fix sends the position fields empty: the position then
// reads 0, 0 and the altitude keeps its last value.
Changes DecodeGGA(const std::vector<std::string>& f, NavValues& v) {
  Changes changes;
  const double latitude = PositionDegrees(f[2], f[3]);
  const double longitude = PositionDegrees(f[4], f[5]);
  if (!f[6].empty()) v.FixQuality = IntField(f[6]);
  if (!f[7].empty()) v.Satellites = IntField(f[7]);
  const double altitude = f[9].empty() ? v.Altitude : RealField(f[9]);
  if (latitude != v.Latitude || longitude != v.Longitude || altitude != v.Altitude) {
    v.Latitude = latitude;
    v.Longitude = longitude;
    v.Altitude = altitude;
    changes.position = true;
  }
  return changes;
}

// $--RMC,hhmmss.ss,A,llll.ll,a,yyyyy.yy,a,x.x,x.x,ddmmyy,x.x,a*hh
//   field 7 speed over ground in knots, field 8 course over ground.
Changes DecodeRMC(const std::vector<std::string>& f, NavValues& v) {
  Changes changes;
  if (!f[7].empty()) {
    const double speed = RealField(f[7]) * 1.852;
    if (speed != v.Speed) {
      v.Speed = speed;
      changes.speed = true;
    }
  }
  if (f.size() > 8 && !f[8].empty()) v.Course = RealField(f[8]);
  return changes;
}

// $--VTG,x.x,T,x.x,M,x.x,N,x.x,K*hh
//   field 1 true course, field 7 speed in km/h.
Changes DecodeVTG(const std::vector<std::string>& f, NavValues& v) {
  Changes changes;
  if (!f[1].empty()) v.Course = RealField(f[1]);
  if (!f[7].empty()) {
    const double speed = RealField(f[7]);
    if (speed != v.Speed) {
      v.Speed = speed;
      changes.speed = true;
    }
  }
  return changes;
}

}  // namespace

Checksum SentenceChecksum(const std::string& line) {
  const size_t star = line.find('*');
  if (star == std::string::npos) return Checksum::None;
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  if (star + 2 >= line.size()) return Checksum::Bad;
  const int high = hex(line[star + 1]), low = hex(line[star + 2]);
  if (high < 0 || low < 0) return Checksum::Bad;
  unsigned sum = 0;
  for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(line[i]);
  return sum == static_cast<unsigned>(high * 16 + low) ? Checksum::Good : Checksum::Bad;
}

std::string DamageTally::Dropped(const std::string& line, Damage damage, uint32_t now) {
  ++total_;
  if (!told_) {
    told_ = true;
    toldAt_ = now;
    const std::string shown = line.size() > 80 ? line.substr(0, 80) + "..." : line;
    return damage == Damage::WrongChecksum
               ? "A sentence with a wrong checksum was not taken: " + shown
               : "A sentence cut short (its end was lost on the line) was not taken: " + shown;
  }
  ++untold_;
  return Pending(now, false);
}

std::string DamageTally::Pending(uint32_t now, bool force) {
  if (untold_ == 0 || (!force && now - toldAt_ < kPeriodMs)) return {};
  const std::string text = std::to_string(untold_) + " more damaged sentence" + (untold_ == 1 ? "" : "s") +
                           " (wrong checksum or cut short) " + (untold_ == 1 ? "was" : "were") + " not taken (" +
                           std::to_string(total_) + " since the port was opened).";
  untold_ = 0;
  toldAt_ = now;
  return text;
}

std::string SentenceType(const std::string& line) {
  const size_t end = line.find_first_of(",*");
  const size_t length = end == std::string::npos ? line.size() : end;
  if (length != 6 || line[0] != '$') return {};
  return line.substr(3, 3);
}

bool IsSentence(const std::string& line, const char* type) { return SentenceType(line) == type; }

bool IsWholeSentence(const std::string& line, const char* type) {
  const std::string t = SentenceType(line);
  if (t != type) return false;
  // Its fields counted by their commas, before the checksum, without splitting.
  const auto body = line.begin() + long(std::min(line.find('*'), line.size()));
  return std::size_t(std::count(line.begin(), body, ',')) + 1 >= WholeFieldCount(t);
}

Changes DecodeSentence(const std::string& line, NavValues& values) {
  const std::string type = SentenceType(line);
  const std::size_t whole = WholeFieldCount(type);
  // ZDA, GSA and HDT are known and carry nothing for the component; the rest is ignored.
  if (type != "GGA" && type != "RMC" && type != "VTG") return {};
  const std::vector<std::string> fields = BodyFields(line);
  if (fields.size() < whole) return {};
  if (type == "GGA") return DecodeGGA(fields, values);
  if (type == "RMC") return DecodeRMC(fields, values);
  return DecodeVTG(fields, values);
}

}  // namespace nmea
