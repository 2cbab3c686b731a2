#include "ntrip/rtcm3.h"

#include <cmath>
#include <cstdio>

#include "app/formats.h"
#include "ntrip/ntripprotocol.h"

namespace rtcm3 {

uint32_t Crc24Q(const uint8_t* data, std::size_t length) {
  uint32_t crc = 0;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= uint32_t(data[i]) << 16;
    for (int b = 0; b < 8; ++b) {
      crc <<= 1;
      if (crc & 0x1000000) crc ^= 0x1864CFB;
    }
  }
  return crc & 0xFFFFFF;
}

long FrameAt(const uint8_t* data, std::size_t available) {
  if (available == 0 || data[0] != 0xD3) return -1;
  if (available >= 2 && (data[1] & 0xFC) != 0) return -1;
  if (available < 3) return 0;
  const std::size_t length = ((std::size_t(data[1]) & 0x03) << 8) | data[2];
  const std::size_t total = length + 6;
  if (available < total) return 0;
  const uint32_t crc = (uint32_t(data[length + 3]) << 16) | (uint32_t(data[length + 4]) << 8) | data[length + 5];
  return Crc24Q(data, length + 3) == crc ? long(total) : -1;
}

std::string MakeFrame(const std::string& payload) {
  std::string f;
  f += char(0xD3);
  f += char((payload.size() >> 8) & 0x03);
  f += char(payload.size() & 0xFF);
  f += payload;
  const uint32_t crc = Crc24Q(reinterpret_cast<const uint8_t*>(f.data()), f.size());
  f += char((crc >> 16) & 0xFF);
  f += char((crc >> 8) & 0xFF);
  f += char(crc & 0xFF);
  return f;
}

uint64_t GetBits(const uint8_t* data, int pos, int len) {
  uint64_t v = 0;
  for (int i = pos; i < pos + len; ++i) v = (v << 1) | ((data[i / 8] >> (7 - i % 8)) & 1u);
  return v;
}

int64_t GetSignedBits(const uint8_t* data, int pos, int len) {
  const uint64_t v = GetBits(data, pos, len);
  if (len > 0 && len < 64 && (v >> (len - 1)) & 1u) return int64_t(v) - (int64_t(1) << len);
  return int64_t(v);
}

std::string MessageName(int n) {
  switch (n) {
    case 1001: return "GPS L1 Observations";
    case 1002: return "GPS L1 Extended Observations";
    case 1003: return "GPS L1/L2 Observations";
    case 1004: return "GPS L1/L2 Extended Observations";
    case 1005: return "Station ARP (Antenna Reference Point)";
    case 1006: return "Station ARP with Height";
    case 1007: return "Antenna Descriptor";
    case 1008: return "Antenna Descriptor & Serial";
    case 1009: return "GLONASS L1 Observations";
    case 1010: return "GLONASS L1 Extended Observations";
    case 1011: return "GLONASS L1/L2 Observations";
    case 1012: return "GLONASS L1/L2 Extended Observations";
    case 1013: return "System Parameters";
    case 1019: return "GPS Ephemeris";
    case 1020: return "GLONASS Ephemeris";
    case 1029: return "Text String (Unicode)";
    case 1030: return "GPS Network RTK Residual";
    case 1031: return "GLONASS Network RTK Residual";
    case 1032: return "Physical Reference Station Position";
    case 1033: return "Receiver & Antenna Descriptors";
    case 1230: return "GLONASS Code-Phase Biases";
    case 4072:
    case 4073: return "u-blox Proprietary";
    default: break;
  }
  struct Msm { int first; const char* system; bool full; };
  static const Msm systems[] = {{1071, "GPS", true},     {1081, "GLONASS", true}, {1091, "Galileo", true},
                                {1101, "SBAS", false},   {1111, "QZSS", false},   {1121, "BeiDou", true},
                                {1131, "NavIC", false}};
  for (const Msm& s : systems) {
    if (n >= s.first && n <= s.first + 6) {
      const int k = n - s.first + 1;
      std::string name = std::string(s.system) + " MSM" + std::to_string(k);
      if (k == 7 && s.full) name += std::string(" (Full ") + s.system + ")";
      return name;
    }
  }
  return "Unknown";
}

Geodetic EcefToGeodetic(double x, double y, double z) {
  const double a = 6378137.0;
  const double f = 0.0033528106647474805;
  const double e2 = 2 * f - f * f;
  const double p = std::sqrt(x * x + y * y);
  const double lon = std::atan2(y, x);
  double phi = std::atan2(z, (1 - e2) * p);
  for (int i = 0; i < 10; ++i) {
    const double n = a / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
    phi = std::atan2(z + e2 * n * std::sin(phi), p);
  }
  const double n = a / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
  const double pi = 3.141592653589793;
  // p / cos(phi) loses all precision towards the poles (and gives -N at a
  // pole); there the same height follows from z / sin(phi).
  const double height = std::fabs(phi) < pi / 4 ? p / std::cos(phi) - n : z / std::sin(phi) - n * (1 - e2);
  return {phi * 180.0 / pi, lon * 180.0 / pi, height};
}

void DistanceBearing(double lat1, double lon1, double lat2, double lon2, double& distance, double& bearing) {
  const double pi = 3.141592653589793;
  const double p1 = lat1 * pi / 180, p2 = lat2 * pi / 180;
  const double dp = p2 - p1, dl = (lon2 - lon1) * pi / 180;
  const double h = std::sin(dp / 2) * std::sin(dp / 2) + std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
  distance = 6371000.0 * 2 * std::atan2(std::sqrt(h), std::sqrt(1 - h));
  const double b = std::atan2(std::sin(dl) * std::cos(p2), std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl));
  bearing = std::fmod(b * 180 / pi + 360, 360);
}

namespace {

void DecodeStation(const uint8_t* m, int len, int number, Scan& s) {
  // The coordinate fields end at bit 151: 19 bytes. A shorter message is not decoded.
  if (len < 19) return;
  s.stationId = int(GetBits(m, 12, 12));
  s.itrf = int(GetBits(m, 24, 6));
  s.gpsIndicator = GetBits(m, 30, 1);
  s.glonassIndicator = GetBits(m, 31, 1);
  s.galileoIndicator = GetBits(m, 32, 1);
  s.referenceStation = int(GetBits(m, 33, 1));
  s.x = GetSignedBits(m, 34, 38) * 0.0001;
  s.y = GetSignedBits(m, 74, 38) * 0.0001;
  s.z = GetSignedBits(m, 114, 38) * 0.0001;
  if (number == 1006 && len >= 21) s.antennaHeight = GetBits(m, 152, 16) * 0.0001;
  const double r = std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z);
  if (r > 6000000.0 && r < 7000000.0) {
    const Geodetic g = EcefToGeodetic(s.x, s.y, s.z);
    s.latitude = g.latitude;
    s.longitude = g.longitude;
    s.height = g.height;
    s.positionValid = true;
  } else {
    s.warnings.push_back("  WARNING: ECEF magnitude invalid - parsing may be incorrect!");
  }
}

void DecodeAntenna(const uint8_t* m, int len, int number, Scan& s) {
  if (len < 3) return;
  s.stationId = int(GetBits(m, 12, 12));
  if (len < 4) return;
  const int n = m[3];
  if (n > 0 && n < 32 && n + 4 <= len) s.antennaDescriptor.assign(reinterpret_cast<const char*>(m + 4), n);
  if (number == 1008 && n + 6 <= len) {
    const int count = m[n + 5];
    if (count > 0 && count < 32 && n + 6 + count <= len)
      s.antennaSerial.assign(reinterpret_cast<const char*>(m + n + 6), count);
  }
}

void Decode1033(const uint8_t* m, int len, Scan& s) {
  if (len < 3) return;
  s.stationId = int(GetBits(m, 12, 12));
  int p = 3;
  auto text = [&](std::string& target) {
    if (p >= len) return;
    const int count = m[p];
    if (count > 0 && count < 32 && p + 1 + count <= len) {
      target.assign(reinterpret_cast<const char*>(m + p + 1), count);
      p += 1 + count;
    } else {
      p += 1;
    }
  };
  text(s.antennaDescriptor);
  if (p < len) s.setupId = m[p];
  p += 1;
  text(s.antennaSerial);
  text(s.receiverType);
  text(s.receiverFirmware);
  text(s.receiverSerial);
}

void SetSignals(int n, Scan& s) {
  auto in = [n](int a, int b) { return n >= a && n <= b; };
  if (in(1001, 1002)) s.gps = s.l1 = true;
  if (in(1003, 1004)) s.gps = s.l1 = s.l2 = true;
  if (in(1071, 1077)) s.gps = s.l1 = s.l2 = s.l5 = true;
  if (in(1009, 1010)) s.glonass = s.g1 = true;
  if (in(1011, 1012) || in(1081, 1087)) s.glonass = s.g1 = s.g2 = true;
  if (in(1091, 1097)) s.galileo = s.e1 = s.e5 = true;
  if (in(1121, 1127)) s.beidou = s.b1 = s.b2 = true;
  if (in(1101, 1107)) s.sbas = true;
  if (in(1111, 1117)) s.qzss = true;
  if (in(1131, 1137)) s.navic = true;
}

std::string Trim(const std::string& t) {
  const std::size_t a = t.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  return t.substr(a, t.find_last_not_of(' ') - a + 1);
}

}  // namespace

Scan ScanFrames(const std::string& buffer) {
  Scan s;
  const auto* d = reinterpret_cast<const uint8_t*>(buffer.data());
  const std::size_t n = buffer.size();
  std::size_t p = 0;
  while (p + 6 <= n) {
    if (d[p] != 0xD3) {
      ++p;
      continue;
    }
    const std::size_t len = (d[p + 1] & 0x03) * 256u + d[p + 2];
    if (p + len + 6 > n) {
      ++p;
      continue;
    }
    const uint8_t* m = d + p + 3;
    // An empty payload holds no message number; one byte holds only its upper eight bits.
    int number = 0;
    if (len >= 2) number = int(GetBits(m, 0, 12));
    else if (len == 1) number = m[0] * 16;
    if (number == 1005 || number == 1006) DecodeStation(m, int(len), number, s);
    else if (number == 1007 || number == 1008) DecodeAntenna(m, int(len), number, s);
    else if (number == 1033) Decode1033(m, int(len), s);
    SetSignals(number, s);
    s.counts[number] += 1;
    s.total += 1;
    p += len + 6;
  }
  return s;
}

std::string ZoneText(int offset) {
  char buf[32];
  const int hours = offset / 60;
  const int minutes = std::abs(offset) % 60;
  if (offset >= 0) std::snprintf(buf, sizeof buf, "GMT+%02d:%02d", hours, minutes);
  else std::snprintf(buf, sizeof buf, "GMT%03d:%02d", hours, minutes);
  return buf;
}

std::vector<std::string> ReportLines(const std::string& buffer, const Scan& s, const Vessel& v,
                                     const std::string& now, int zoneOffsetMinutes) {
  std::vector<std::string> out;
  auto add = [&](const std::string& line) { out.push_back(line); };
  const std::string equals(48, '=');
  add("Quarix Depthmark - RTCM Message Parser v1.0");
  add(now + " " + ZoneText(zoneOffsetMinutes));
  add("Buffer size: " + std::to_string(buffer.size()) + " bytes");
  add(equals);
  add("");
  for (const std::string& w : s.warnings) add(w);

  add("ANTENNA REFERENCE POINT (ARP)");
  add(std::string(29, '-'));
  if (s.stationId > 0) add("Station ID: " + std::to_string(s.stationId));
  if (s.itrf > 0) add("ITRF Realization: " + std::to_string(2000 + s.itrf));
  if (s.gpsIndicator || s.glonassIndicator || s.galileoIndicator) {
    std::string sys;
    if (s.gpsIndicator) sys += "GPS ";
    if (s.glonassIndicator) sys += "GLONASS ";
    if (s.galileoIndicator) sys += "Galileo ";
    add("Station Systems: " + Trim(sys));
  }
  if (s.positionValid && s.referenceStation == 0) add("Reference Station: Physical (not virtual)");
  if (s.positionValid) {
    add("");
    add("ECEF Coordinates:");
    add("  X: " + FormatFixed(s.x, 4) + " m");
    add("  Y: " + FormatFixed(s.y, 4) + " m");
    add("  Z: " + FormatFixed(s.z, 4) + " m");
    add("");
    add("Geographic Coordinates (WGS84):");
    add("  Latitude:  " + FormatFixed(s.latitude, 8) + " deg");
    add("  Longitude: " + FormatFixed(s.longitude, 8) + " deg");
    add("  Altitude:  " + FormatFixed(s.height, 3) + " m");
  }
  if (s.antennaHeight > 0) {
    add("");
    add("Antenna Height (ARP to marker): " + FormatFixed(s.antennaHeight, 4) + " m");
  }
  if (!s.antennaDescriptor.empty() || !s.antennaSerial.empty()) {
    add("");
    add("ANTENNA DESCRIPTOR");
    add(std::string(18, '-'));
    if (!s.antennaDescriptor.empty()) add("Antenna Type: " + s.antennaDescriptor);
    if (!s.antennaSerial.empty()) add("Antenna Serial: " + s.antennaSerial);
    if (s.setupId > 0) add("Setup ID: " + std::to_string(s.setupId));
  }
  if (!s.receiverType.empty() || !s.receiverFirmware.empty() || !s.receiverSerial.empty()) {
    add("");
    add("RECEIVER & ANTENNA DESCRIPTORS");
    add(std::string(30, '-'));
    if (!s.receiverType.empty()) add("Receiver Type: " + s.receiverType);
    if (!s.receiverFirmware.empty()) add("Receiver Firmware: " + s.receiverFirmware);
    if (!s.receiverSerial.empty()) add("Receiver Serial: " + s.receiverSerial);
  }
  if (s.gps || s.glonass || s.galileo || s.beidou || s.qzss || s.sbas || s.navic) {
    add("");
    add("SIGNALS AVAILABLE");
    add(std::string(17, '-'));
    if (s.gps) add(Trim(std::string("GPS: ") + (s.l1 ? "L1 " : "") + (s.l2 ? "L2 " : "") + (s.l5 ? "L5 " : "")));
    if (s.glonass) add(Trim(std::string("GLONASS: ") + (s.g1 ? "G1 " : "") + (s.g2 ? "G2 " : "")));
    if (s.galileo) add(Trim(std::string("Galileo: ") + (s.e1 ? "E1 " : "") + (s.e5 ? "E5 " : "")));
    if (s.beidou) add(Trim(std::string("BeiDou: ") + (s.b1 ? "B1 " : "") + (s.b2 ? "B2 " : "")));
    if (s.qzss) add("QZSS");
    if (s.sbas) add("SBAS");
    if (s.navic) add("NavIC/IRNSS");
  }
  if (s.positionValid) {
    add("");
    add("VESSEL POSITION (sent to VRS)");
    add(std::string(29, '-'));
    add("  Latitude:  " + FormatFixed(v.latitude, 8) + " deg");
    add("  Longitude: " + FormatFixed(v.longitude, 8) + " deg");
    add("  Altitude:  " + FormatFixed(v.altitude, 1) + " m");
    add(std::string("  Manual Position: ") + (v.manual ? "Yes" : "No"));
    add("  GGA Lat: " + ntrip::GGALatitude(v.latitude) + (v.latitude >= 0 ? " N" : " S"));
    add("  GGA Lon: " + ntrip::GGALongitude(v.longitude) + (v.longitude >= 0 ? " E" : " W"));
    if (v.latitude != 0 || v.longitude != 0) {
      double distance = 0, bearing = 0;
      DistanceBearing(v.latitude, v.longitude, s.latitude, s.longitude, distance, bearing);
      add("");
      add("DISTANCE TO BASE STATION");
      add(std::string(24, '-'));
      add("");
      if (distance < 1000) add("Distance to Base: " + FormatFixed(distance, 1) + " m");
      else add("Distance to Base: " + FormatFixed(distance / 1000, 2) + " km");
      // A bearing just below 360 that rounds up reads as north, "0.0".
      std::string shown = FormatFixed(bearing, 1);
      if (shown == "360.0") shown = "0.0";
      add("Bearing to Base: " + shown + " deg");
      if (distance > 35000) {
        add("");
        add("WARNING: Distance > 35 km - RTK accuracy may be degraded!");
      } else if (distance > 20000) {
        add("");
        add("NOTE: Distance > 20 km - Consider using closer base station");
      }
    } else {
      add("");
      add("(Vessel position not available - cannot calculate distance)");
    }
  }
  add("");
  add("RTCM MESSAGES RECEIVED");
  add(std::string(22, '-'));
  for (const auto& [number, count] : s.counts)
    add("  " + std::to_string(number) + " - " + MessageName(number) + " (x" + std::to_string(count) + ")");
  add("");
  add(equals);
  add("Total: " + std::to_string(s.total) + " RTCM messages parsed");
  return out;
}

std::string StationText(int id, double latitude, double longitude, double height) {
  return "#" + std::to_string(id) + ": " + FormatFixed(latitude, 8) + ", " + FormatFixed(longitude, 8) + ", " +
         FormatFixed(height, 2) + "m";
}

std::string BaseLogLine(const Scan& s) {
  return "Base " + StationText(s.stationId, s.latitude, s.longitude, s.height);
}

std::vector<StationFix> FindStations(const uint8_t* b, int length) {
  std::vector<StationFix> found;
  for (int i = 0; i < length - 5; ++i) {
    if (b[i] != 0xD3) continue;
    const int len = ((b[i + 1] & 0x03) << 8) | b[i + 2];
    if (i + len + 6 > length) continue;
    // A frame whose CRC does not match is no frame: go on from the next byte.
    const uint32_t crc = (uint32_t(b[i + 3 + len]) << 16) | (uint32_t(b[i + 4 + len]) << 8) | b[i + 5 + len];
    if (Crc24Q(b + i, std::size_t(len) + 3) != crc) continue;
    const int number = (b[i + 3] << 4) | (b[i + 4] >> 4);
    if ((number != 1005 && number != 1006) || len < 19) continue;
    const uint8_t* m = b + i + 3;
    const double x = GetSignedBits(m, 34, 38) * 0.0001;
    const double y = GetSignedBits(m, 74, 38) * 0.0001;
    const double z = GetSignedBits(m, 114, 38) * 0.0001;
    const double r = std::sqrt(x * x + y * y + z * z);
    if (!(r > 6000000.0 && r < 7000000.0)) continue;
    const Geodetic g = EcefToGeodetic(x, y, z);
    found.push_back({int(GetBits(m, 12, 12)), g.latitude, g.longitude, g.height});
  }
  return found;
}

}  // namespace rtcm3
