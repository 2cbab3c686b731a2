#include "ntrip/rtcm3.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <cmath>
#include <fstream>
#include <numeric>
#include <sstream>

#include "tests/support/tempenv.h"

using namespace rtcm3;

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Payload builder: fields written most significant bit first.
struct Bits {
  std::vector<uint8_t> bytes;
  int pos = 0;
  Bits& Put(int64_t value, int len) {
    for (int i = len - 1; i >= 0; --i) {
      if (pos / 8 >= int(bytes.size())) bytes.push_back(0);
      if ((uint64_t(value) >> i) & 1u) bytes[pos / 8] |= uint8_t(0x80 >> (pos % 8));
      ++pos;
    }
    return *this;
  }
  Bits& Text(const std::string& t) {
    for (char c : t) Put((unsigned char)c, 8);
    return *this;
  }
  std::string Str() const { return std::string(bytes.begin(), bytes.end()); }
};

std::string Station(int number, int id, double x, double y, double z, int refIndicator = 0,
                    int heightTenthMm = -1) {
  Bits b;
  b.Put(number, 12).Put(id, 12).Put(3, 6).Put(1, 1).Put(1, 1).Put(0, 1).Put(refIndicator, 1);
  b.Put(std::llround(x * 10000), 38).Put(0, 2).Put(std::llround(y * 10000), 38).Put(0, 2);
  b.Put(std::llround(z * 10000), 38);
  if (number == 1006) b.Put(heightTenthMm < 0 ? 0 : heightTenthMm, 16);
  else b.Put(0, 0);
  return MakeFrame(b.Str());
}

std::string Msm(int number) { return MakeFrame(Bits().Put(number, 12).Put(0, 52).Str()); }

const char* kNoDistance = "(Vessel position not available - cannot calculate distance)";

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<std::string> Report(const std::string& buffer, Vessel v = {}) {
  return ReportLines(buffer, ScanFrames(buffer), v, "2026-01-30 14:35:12", 180);
}

// gpsdecode's JSON lines for a file.
QStringList GpsDecode(const std::string& path) {
  QProcess p;
  p.setStandardInputFile(QString::fromStdString(path));
  p.start("gpsdecode", {"-j"});
  if (!p.waitForFinished(20000)) return {};
  return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

TEST(Rtcm3, CrcOfTheCapturedFramesAgreesWithGpsdecode) {
  // gpsdecode keeps only frames whose CRC-24Q is right: the good capture has as
  // many good frames as it reports, the damaged one one frame less.
  for (const char* name : {"rtcm3/pygpsdata-NTRIP-USCL00CHL0.log", "rtcm3/pygpsdata-MIXED-RTCM3BADCRC.log"}) {
    const std::string data = ReadBytes(TestData(name));
    ASSERT_FALSE(data.empty());
    int good = 0;
    const auto* d = reinterpret_cast<const uint8_t*>(data.data());
    const Scan s = ScanFrames(data);
    for (std::size_t p = 0; p + 6 <= data.size(); ++p) {
      if (d[p] != 0xD3) continue;
      const std::size_t len = (d[p + 1] & 3) * 256u + d[p + 2];
      if (p + len + 6 > data.size()) continue;
      const uint32_t crc = uint32_t(d[p + len + 3]) << 16 | uint32_t(d[p + len + 4]) << 8 | d[p + len + 5];
      if (Crc24Q(d + p, len + 3) == crc) {
        ++good;
        p += len + 5;
      }
    }
    int decoded = 0;
    for (const QString& line : GpsDecode(TestData(name))) decoded += line.contains("\"class\":\"RTCM3\"");
    EXPECT_EQ(good, decoded) << name;
    EXPECT_GE(s.total, good) << name;
  }
}

TEST(Rtcm3, CaptureScanAgreesWithGpsdecode) {
  const std::string path = TestData("rtcm3/pygpsdata-NTRIP-USCL00CHL0.log");
  const std::string data = ReadBytes(path);
  const Scan s = ScanFrames(data);
  std::map<int, int> expected;
  double x = 0, y = 0, z = 0, h = 0;
  QString desc, serial, receiver, firmware;
  for (const QString& line : GpsDecode(path)) {
    const auto field = [&](const char* key) {
      const auto m = QRegularExpression(QString("\"%1\":\"?([^\",}]*)").arg(key)).match(line);
      return m.hasMatch() ? m.captured(1) : QString();
    };
    const int type = field("type").toInt();
    if (!line.contains("\"class\":\"RTCM3\"")) continue;
    expected[type] += 1;
    if (type == 1006) {
      x = field("x").toDouble(), y = field("y").toDouble(), z = field("z").toDouble(), h = field("h").toDouble();
    }
    if (type == 1008) serial = field("serial");
    if (type == 1033) desc = field("desc"), receiver = field("receiver"), firmware = field("firmware");
  }
  ASSERT_FALSE(expected.empty()) << "gpsdecode gave nothing";
  EXPECT_EQ(s.counts, expected);
  EXPECT_EQ(s.total, int(data.empty() ? 0 : std::accumulate(expected.begin(), expected.end(), 0,
                                                             [](int a, auto& e) { return a + e.second; })));
  EXPECT_NEAR(s.x, x, 1e-4);
  EXPECT_NEAR(s.y, y, 1e-4);
  EXPECT_NEAR(s.z, z, 1e-4);
  EXPECT_NEAR(s.antennaHeight, h, 1e-4);
  EXPECT_EQ(s.antennaDescriptor, desc.toStdString());
  EXPECT_EQ(s.antennaSerial, serial.toStdString());
  EXPECT_EQ(s.receiverType, receiver.toStdString());
  EXPECT_EQ(s.receiverFirmware, firmware.toStdString());
  EXPECT_TRUE(s.positionValid);
  EXPECT_TRUE(s.gps && s.l1 && s.l2 && s.l5 && s.glonass && s.galileo && s.beidou && s.qzss && s.sbas && s.navic);
  const auto lines = Report(data);
  EXPECT_TRUE(Has(lines, "Antenna Height (ARP to marker): " + std::string("0.0343") + " m"));
  EXPECT_TRUE(Has(lines, "Receiver Type: SEPT POLARX5"));
  EXPECT_TRUE(Has(lines, kNoDistance));
}

TEST(Rtcm3, BadCrcFramesAreStillTaken) {
  const std::string data = ReadBytes(TestData("rtcm3/pygpsdata-MIXED-RTCM3BADCRC.log"));
  const Scan s = ScanFrames(data);
  EXPECT_EQ(s.counts.count(1005), 1u);  // gpsdecode drops this frame; the report does not check the CRC
}

TEST(Rtcm3, StationSearchTakesOnlyFramesWithTheirCrc) {
  // The capture holds its 1005 frame with a corrupted CRC: no station exists.
  const std::string bad = ReadBytes(TestData("rtcm3/pygpsdata-MIXED-RTCM3BADCRC.log"));
  EXPECT_TRUE(FindStations(reinterpret_cast<const uint8_t*>(bad.data()), int(bad.size())).empty());
  // The same frame with a good CRC, behind a false preamble, is found.
  const std::string good = "\xD3\x00" + Station(1005, 3, 6378137.0, 0, 0);
  const auto found = FindStations(reinterpret_cast<const uint8_t*>(good.data()), int(good.size()));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].id, 3);
  EXPECT_NEAR(found[0].latitude, 0, 1e-9);
}

TEST(Rtcm3, FrameEndingAtTheLastByteAndTheMessageList) {
  const std::string f1005 = Station(1005, 2003, 4444030.8028, 3085671.2349, 3366658.2560);
  const std::string buffer = "\x01\xd3" + f1005 + Msm(1077) + f1005 + f1005;
  const Scan s = ScanFrames(buffer);
  EXPECT_EQ(s.counts, (std::map<int, int>{{1005, 3}, {1077, 1}}));
  const auto lines = Report(buffer);
  EXPECT_EQ(lines[lines.size() - 5], "  1005 - Station ARP (Antenna Reference Point) (x3)");
  EXPECT_EQ(lines[lines.size() - 4], "  1077 - GPS MSM7 (Full GPS) (x1)");
  EXPECT_EQ(lines.back(), "Total: 4 RTCM messages parsed");
  EXPECT_TRUE(Has(lines, "GPS: L1 L2 L5"));
  EXPECT_TRUE(Has(lines, "Station ID: 2003"));
  EXPECT_TRUE(Has(lines, "ITRF Realization: 2003"));
  EXPECT_TRUE(Has(lines, "Station Systems: GPS GLONASS"));
  EXPECT_TRUE(Has(lines, "Reference Station: Physical (not virtual)"));
  EXPECT_TRUE(Has(lines, "  X: 4444030.8028 m"));
  // One byte short: the last frame no longer lies wholly in the buffer.
  EXPECT_EQ(ScanFrames(buffer.substr(0, buffer.size() - 1)).counts[1005], 2);
}

TEST(Rtcm3, StationChecks) {
  // On the ellipsoid at 0 N 0 E.
  Scan s = ScanFrames(Station(1005, 1, 6378137.0, 0, 0));
  EXPECT_TRUE(s.positionValid);
  EXPECT_NEAR(s.latitude, 0, 1e-9);
  EXPECT_NEAR(s.longitude, 0, 1e-9);
  EXPECT_NEAR(s.height, 0, 1e-6);
  // A pole.
  s = ScanFrames(Station(1005, 1, 0, 0, 6356752.3142));
  EXPECT_NEAR(s.latitude, 90, 1e-9);
  EXPECT_NEAR(s.height, 0, 1e-3);
  // 45 degrees north, 100 m up: both height formulas meet there.
  {
    const double a = 6378137.0, f = 1 / 298.257223563, e2 = 2 * f - f * f, phi = 3.141592653589793 / 4;
    for (double lat : {phi - 1e-9, phi + 1e-9}) {
      const double n = a / std::sqrt(1 - e2 * std::sin(lat) * std::sin(lat));
      const double x = (n + 100) * std::cos(lat), z = (n * (1 - e2) + 100) * std::sin(lat);
      const Geodetic g = EcefToGeodetic(x, 0, z);
      EXPECT_NEAR(g.height, 100, 1e-6);
      EXPECT_NEAR(g.latitude, lat * 180 / 3.141592653589793, 1e-9);
    }
  }

  const auto zero = Report(Station(1005, 7, 0, 0, 0));
  EXPECT_EQ(zero[5], "  WARNING: ECEF magnitude invalid - parsing may be incorrect!");
  EXPECT_FALSE(Has(zero, "ECEF Coordinates:"));
  EXPECT_FALSE(Has(zero, "Reference Station: Physical (not virtual)"));

  const auto virt = Report(Station(1005, 7, 6378137.0, 0, 0, 1));
  EXPECT_FALSE(Has(virt, "Reference Station: Physical (not virtual)"));
  EXPECT_TRUE(Has(virt, "ECEF Coordinates:"));

  const auto height = Report(Station(1006, 7, 6378137.0, 0, 0, 0, 15000));
  EXPECT_TRUE(Has(height, "Antenna Height (ARP to marker): 1.5000 m"));

  // A station message cut short is not decoded beyond its end.
  const std::string shortFrame = MakeFrame(Bits().Put(1005, 12).Put(5, 12).Put(0, 40).Str());
  s = ScanFrames(shortFrame);
  EXPECT_EQ(s.counts[1005], 1);
  EXPECT_EQ(s.stationId, 0);
}

TEST(Rtcm3, DescriptorMessages) {
  Bits m1008;
  m1008.Put(1008, 12).Put(9, 12).Put(3, 8).Text("ABC").Put(0, 8).Put(3, 8).Text("XYZ");
  auto lines = Report(MakeFrame(m1008.Str()));
  EXPECT_TRUE(Has(lines, "Antenna Type: ABC"));
  EXPECT_TRUE(Has(lines, "Antenna Serial: XYZ"));
  EXPECT_FALSE(Has(lines, "Setup ID: 0"));

  // A descriptor count of 40 is not read: the setup ID is the byte after it.
  Bits m1033;
  m1033.Put(1033, 12).Put(9, 12).Put(40, 8).Put(5, 8).Put(2, 8).Text("SN").Put(3, 8).Text("RCV").Put(1, 8).Text("F");
  const Scan s = ScanFrames(MakeFrame(m1033.Str()));
  EXPECT_EQ(s.antennaDescriptor, "");
  EXPECT_EQ(s.setupId, 5);
  EXPECT_EQ(s.antennaSerial, "SN");
  EXPECT_EQ(s.receiverType, "RCV");
  EXPECT_EQ(s.receiverFirmware, "F");
  EXPECT_EQ(s.receiverSerial, "");
  lines = Report(MakeFrame(m1033.Str()));
  EXPECT_TRUE(Has(lines, "Setup ID: 5"));
  EXPECT_TRUE(Has(lines, "RECEIVER & ANTENNA DESCRIPTORS"));
}

TEST(Rtcm3, DistanceLines) {
  const std::string station = Station(1005, 3, 6378137.0, 0, 0);  // 0 N 0 E
  const double metrePerDegree = 6371000.0 * 3.141592653589793 / 180;
  struct Case { double metres; const char* line; const char* note; };
  const Case cases[] = {
      {999.9, "Distance to Base: 999.9 m", nullptr},
      {1000.5, "Distance to Base: 1.00 km", nullptr},
      {19999.9, "Distance to Base: 20.00 km", nullptr},
      {20010.0, "Distance to Base: 20.01 km", "NOTE: Distance > 20 km - Consider using closer base station"},
      {35010.0, "Distance to Base: 35.01 km", "WARNING: Distance > 35 km - RTK accuracy may be degraded!"},
  };
  for (const Case& c : cases) {
    Vessel v;
    v.latitude = c.metres / metrePerDegree;  // due north of the station
    const auto lines = Report(station, v);
    EXPECT_TRUE(Has(lines, c.line)) << c.metres;
    EXPECT_TRUE(Has(lines, "Bearing to Base: 180.0 deg")) << c.metres;
    EXPECT_EQ(Has(lines, "NOTE: Distance > 20 km - Consider using closer base station"),
              c.note && std::string(c.note).rfind("NOTE", 0) == 0) << c.metres;
    EXPECT_EQ(Has(lines, "WARNING: Distance > 35 km - RTK accuracy may be degraded!"),
              c.note && std::string(c.note).rfind("WARNING", 0) == 0) << c.metres;
  }
  {
    // A bearing just west of north that rounds to 360.0 reads as north.
    Vessel west;
    west.latitude = -1000 / metrePerDegree;
    west.longitude = 0.01 / metrePerDegree;
    EXPECT_TRUE(Has(Report(station, west), "Bearing to Base: 0.0 deg"));
  }
  Vessel v{-41.5, -0.25, 12.0, true};
  const auto lines = Report(station, v);
  EXPECT_TRUE(Has(lines, "  GGA Lat: 4130.0000 S"));
  EXPECT_TRUE(Has(lines, "  GGA Lon: 00015.0000 W"));
  EXPECT_TRUE(Has(lines, "  Manual Position: Yes"));
  EXPECT_TRUE(Has(Report(station), kNoDistance));
}

TEST(Rtcm3, HeaderEmptyBufferAndNames) {
  const auto lines = Report("no frames here");
  EXPECT_EQ(lines[0], "Quarix Depthmark - RTCM Message Parser v1.0");
  EXPECT_EQ(lines[1], "2026-01-30 14:35:12 GMT+03:00");
  EXPECT_EQ(lines[2], "Buffer size: 14 bytes");
  EXPECT_EQ(lines.back(), "Total: 0 RTCM messages parsed");
  EXPECT_EQ(ZoneText(-300), "GMT-05:00");
  EXPECT_EQ(ZoneText(330), "GMT+05:30");
  const std::pair<int, const char*> names[] = {
      {1004, "GPS L1/L2 Extended Observations"}, {1074, "GPS MSM4"}, {1087, "GLONASS MSM7 (Full GLONASS)"},
      {1107, "SBAS MSM7"}, {1127, "BeiDou MSM7 (Full BeiDou)"}, {1131, "NavIC MSM1"}, {4073, "u-blox Proprietary"},
      {1014, "Unknown"}, {0, "Unknown"}};
  for (const auto& [n, name] : names) EXPECT_EQ(MessageName(n), name) << n;
}
