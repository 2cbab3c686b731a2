// The serial device component on pseudo-terminals: real serial I/O through the
// port map of the settings file, ticks run by calling the timer handlers.
#include "devices/QuarixSerialGPS.h"

#include <gtest/gtest.h>

#include <QDir>
#include <termios.h>

#include <QTimer>
#include <algorithm>
#include <climits>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/settingsfile.h"
#include "app/textfile.h"
#include "platform/clock.h"
#include "tests/platform/ptypair.h"
#include "tests/support/tempenv.h"

namespace {

const char* const kGGA = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
const char* const kGGANoFix = "$GPGGA,123519,,,,,0,00,,,M,,M,,*6B";
const char* const kRMC = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
const char* const kVTG = "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48";

struct Event {
  std::string kind;
  std::vector<double> values;
  std::string text;
};

class SerialGPSTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    MapPort(7, pty.DevicePath());
    gps.Port = 7;
    Record(gps);
  }

  void MapPort(int n, const std::string& device) {
    IniFile(env.SettingsFile()).WriteString("SERIAL_PORT_MAP", "COM" + std::to_string(n), device);
  }

  void Record(TQuarixSerialGPS& c) {
    c.OnConnect = [this](QObject* s, int port) { Add(s, {"connect", {double(port)}, ""}); };
    c.OnDisconnect = [this](QObject* s, int port) { Add(s, {"disconnect", {double(port)}, ""}); };
    c.OnIdle = [this](QObject* s) { Add(s, {"idle", {}, ""}); };
    c.OnTimeout = [this](QObject* s) { Add(s, {"timeout", {}, ""}); };
    c.OnNewCommand = [this](QObject* s, const std::string& line) { Add(s, {"line", {}, line}); };
    c.OnSend = [this](QObject* s, const std::string& text) { Add(s, {"send", {}, text}); };
    c.OnPosition3DChange = [this](QObject* s, double lat, double lon, double alt) {
      Add(s, {"position", {lat, lon, alt}, ""});
    };
    c.OnSpeedChange = [this](QObject* s, double speed) { Add(s, {"speed", {speed}, ""}); };
  }

  void Add(QObject* sender, Event e) {
    EXPECT_EQ(sender, &gps) << e.kind;
    events.push_back(std::move(e));
  }

  std::vector<std::string> Kinds() const {
    std::vector<std::string> k;
    for (const auto& e : events) k.push_back(e.kind);
    return k;
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> l;
    for (const auto& e : events)
      if (e.kind == "line") l.push_back(e.text);
    return l;
  }

  void OpenPort() {
    gps.Open();
    ASSERT_TRUE(gps.Active);
    events.clear();
  }

  // Sends bytes (at most one read's worth), waits until the port has them
  // queued, then runs one poll tick.
  void Deliver(const std::string& bytes) {
    ASSERT_LE(bytes.size(), 1023u);
    ASSERT_TRUE(pty.Send(bytes));
    ASSERT_TRUE(WaitFor([&] { return gps.Handle->QueuedBytes() == int(bytes.size()); }))
        << "queued " << gps.Handle->QueuedBytes() << " of " << bytes.size();
    gps.PollTimerTimer();
  }
  void DeliverAll(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); i += 1023) Deliver(bytes.substr(i, 1023));
  }

  TempEnv env;
  PtyPair pty;
  TQuarixSerialGPS gps;
  std::vector<Event> events;
};

TEST_F(SerialGPSTest, ConstructedClosedWithItsDefaults) {
  EXPECT_FALSE(gps.Handle);
  EXPECT_FALSE(gps.Active);
  EXPECT_EQ(gps.BaudRate, 9600);
  EXPECT_EQ(gps.DataWidth, 4);
  EXPECT_EQ(gps.StopBits, 1);
  EXPECT_EQ(gps.Parity, 0);
  EXPECT_EQ(gps.Priority, 3);
  EXPECT_EQ(gps.Delay, 50);
  EXPECT_EQ(gps.IdleInterval, 10000);
  EXPECT_FALSE(gps.PollTimer->isActive());
  EXPECT_FALSE(gps.IdleTimer->isActive());
  EXPECT_EQ(gps.PollTimer->interval(), 50);
  EXPECT_EQ(gps.IdleTimer->interval(), 10000);
}

TEST_F(SerialGPSTest, NmeaSentencesThroughThePort) {
  struct Expected {
    double lat, lon, alt, speed, course;
    int fix, sats;
  };
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::string> kinds;  // position and speed events in order
    Expected after;
    std::vector<double> lastEventValues;
  };
  const double lon = 11 + 31.0 / 60;
  const Case cases[] = {
      {"GGA, then the same again", {kGGA, kGGA}, {"position"}, {48.1173, lon, 545.4, 0, 0, 1, 8},
       {48.1173, lon, 545.4}},
      {"GGA without a fix after a fix", {kGGA, kGGANoFix}, {"position", "position"},
       {0, 0, 545.4, 0, 0, 0, 0}, {0, 0, 545.4}},
      {"GGA without a fix at the start", {kGGANoFix}, {}, {0, 0, 0, 0, 0, 0, 0}, {}},
      {"RMC, then the same again", {kRMC, kRMC}, {"speed"}, {0, 0, 0, 22.4 * 1.852, 84.4, 0, 0},
       {41.4848}},
      {"VTG", {kVTG}, {"speed"}, {0, 0, 0, 10.2, 54.7, 0, 0}, {10.2}},
      {"VTG without speed (real receiver)", {"$GPVTG,2.9,T,,,0.50,N,,,D*1E"}, {},
       {0, 0, 0, 0, 2.9, 0, 0}, {}},
      {"other talkers, southern and western",
       {"$GNGGA,1,4807.038,S,01131.000,W,4,12,0.9,-3.5,M,,M,,", "$INVTG,7,T,,,,N,3.5,K"},
       {"position", "speed"}, {-48.1173, -lon, -3.5, 3.5, 7, 4, 12}, {3.5}},
      {"empty fix and satellites keep the last",
       {kGGA, "$GPGGA,123520,4807.039,N,01131.000,E,,,0.9,,M,46.9,M,,"}, {"position", "position"},
       {48 + 7.039 / 60, lon, 545.4, 0, 0, 1, 8}, {48 + 7.039 / 60, lon, 545.4}},
      {"empty hemisphere reads two degree digits",
       {"$GPGGA,123519,4807.038,,01131.000,,1,08,0.9,545.4,M,46.9,M,,*4C"}, {"position"},
       {48.1173, 1 + 131.0 / 60, 545.4, 0, 0, 1, 8}, {48.1173, 1 + 131.0 / 60, 545.4}},
      {"fields that are not numbers read as 0",
       {"$GPGGA,1,4807.038,N,01131.000,E,x,?,0.9,abc,M,,M,,", "$GPRMC,1,A,,,,,fast,east"},
       {"position"}, {48.1173, lon, 0, 0, 0, 0, 0}, {48.1173, lon, 0}},
      {"lines that only mention a type",
       {"$GNTXT,01,01,02,GGA output rate changed", "$PUBX,40,GGA,0,1,0,0,0,0", "$GNGSA,A,3,GGA,VTG,RMC,,,,,,,,,",
        "$GPGGA1,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", "$GPTXT,RMC,1,A,,,,,022.4,084.4"},
       {}, {0, 0, 0, 0, 0, 0, 0}, {}},
      {"too short, too few fields, other types",
       {"$GPG", "$GPGGA,123519,4807.038,N", "$GPZDA,123519,30,01,2026,00,00", "$SDDPT,12.3,0.5",
        "$GPRMC,1,A,2"},
       {}, {0, 0, 0, 0, 0, 0, 0}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    gps.Close();
    OpenPort();
    std::string bytes;
    for (const auto& l : c.lines) bytes += l + "\r\n";
    Deliver(bytes);
    EXPECT_EQ(Lines(), c.lines);
    std::vector<std::string> kinds;
    std::vector<double> last;
    for (const auto& e : events)
      if (e.kind == "position" || e.kind == "speed") {
        kinds.push_back(e.kind);
        last = e.values;
      }
    EXPECT_EQ(kinds, c.kinds);
    if (!c.lastEventValues.empty()) {
      ASSERT_EQ(last.size(), c.lastEventValues.size());
      for (size_t i = 0; i < last.size(); ++i) EXPECT_NEAR(last[i], c.lastEventValues[i], 1e-9);
    }
    EXPECT_NEAR(gps.GetLatitude(), c.after.lat, 1e-9);
    EXPECT_NEAR(gps.GetLongitude(), c.after.lon, 1e-9);
    EXPECT_NEAR(gps.GetAltitude(), c.after.alt, 1e-9);
    EXPECT_NEAR(gps.Speed, c.after.speed, 1e-9);
    EXPECT_NEAR(gps.GetCourse(), c.after.course, 1e-9);
    EXPECT_EQ(gps.GetFixQuality(), c.after.fix);
    EXPECT_EQ(gps.GetSatellites(), c.after.sats);
  }
}

TEST_F(SerialGPSTest, LineEventComesBeforeTheComponentDecodesTheLine) {
  OpenPort();
  double latitudeSeen = -1;
  gps.OnNewCommand = [&](QObject*, const std::string&) { latitudeSeen = gps.Latitude; };
  Deliver(std::string(kGGA) + "\r\n");
  EXPECT_EQ(latitudeSeen, 0);
  EXPECT_NEAR(gps.Latitude, 48.1173, 1e-12);
}

TEST_F(SerialGPSTest, TwoLinesInOneReadGiveTwoEventsInOneTick) {
  OpenPort();
  Deliver(std::string(kVTG) + "\r\n" + kGGA + "\r\n");
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"line", "speed", "line", "position"}));
  EXPECT_EQ(Lines(), (std::vector<std::string>{kVTG, kGGA}));
  EXPECT_EQ(gps.LineBuffer, "");
}

// A line ends at its LF, its CR LF or a CR alone: a device that ends its
// lines with CR alone has each one handled in the tick its CR arrives, not
// when the next line begins. A CR LF split between two reads is one line
// end: no empty line, nothing held back, one raw-log line per line.
TEST_F(SerialGPSTest, LineSplitAcrossReadsIsDeliveredWhenItsLineEndArrives) {
  gps.NMEALog = true;
  gps.LogFileName = env.Home() + "raw.log";
  OpenPort();
  Deliver("$SDDPT,1");
  Deliver("2.3,0.5");
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(gps.LineBuffer, "$SDDPT,12.3,0.5");
  Deliver("\r");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"$SDDPT,12.3,0.5"}));
  EXPECT_EQ(gps.LineBuffer, "");
  Deliver("\n$SD");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"$SDDPT,12.3,0.5"}));
  EXPECT_EQ(gps.LineBuffer, "$SD");
  Deliver("DPT,4.5,0.5\r$SDDPT,6.7,0.5\r");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"$SDDPT,12.3,0.5", "$SDDPT,4.5,0.5", "$SDDPT,6.7,0.5"}));
  EXPECT_EQ(gps.LineBuffer, "");
  Deliver("12.30 m\n\r8.10 m\r\n");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"$SDDPT,12.3,0.5", "$SDDPT,4.5,0.5", "$SDDPT,6.7,0.5", "12.30 m",
                                               "8.10 m"}));
  EXPECT_EQ(env.ReadFile(gps.LogFileName),
            "$SDDPT,12.3,0.5\r\n$SDDPT,4.5,0.5\r\n$SDDPT,6.7,0.5\r\n12.30 m\r\n8.10 m\r\n");
}

TEST_F(SerialGPSTest, BlankLinesRaiseNothingAndAreNotLogged) {
  gps.NMEALog = true;
  gps.LogFileName = env.Home() + "raw.log";
  OpenPort();
  Deliver("\r\n   \r\n\t\x01\r\n\n 12.30 m \r\n");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"12.30 m"}));
  EXPECT_EQ(env.ReadFile(gps.LogFileName), "12.30 m\r\n");
}

TEST_F(SerialGPSTest, ZeroByteInAReadLosesOnlyItself) {
  OpenPort();
  Deliver(std::string(kVTG) + "\r\n" + std::string(1, '\0') + kGGA + "\r\n$GP" + std::string(1, '\0') +
          "ZDA\r\n");
  EXPECT_EQ(Lines(), (std::vector<std::string>{kVTG, kGGA, "$GPZDA"}));
  EXPECT_NEAR(gps.Latitude, 48.1173, 1e-12);
}

TEST_F(SerialGPSTest, ReadsAtMost1023BytesATick) {
  OpenPort();
  const std::string bytes(2000, 'x');
  ASSERT_TRUE(pty.Send(bytes));
  ASSERT_TRUE(WaitFor([&] { return gps.Handle->QueuedBytes() == 2000; }));
  gps.PollTimerTimer();
  EXPECT_EQ(gps.LineBuffer.size(), 1023u);
  gps.PollTimerTimer();
  EXPECT_EQ(gps.LineBuffer, bytes);
  gps.PollTimerTimer();  // nothing queued: returns without waiting
  EXPECT_EQ(gps.LineBuffer, bytes);
}

TEST_F(SerialGPSTest, StreamWithoutLineFeedKeepsTheLast2048Bytes) {
  OpenPort();
  std::string bytes;
  for (int i = 0; i < 5000; ++i) bytes += static_cast<char>('A' + i % 26);
  DeliverAll(bytes.substr(0, 4092));
  EXPECT_EQ(gps.LineBuffer, bytes.substr(0, 4092));  // not over 4096 yet
  Deliver(bytes.substr(4092));
  EXPECT_EQ(gps.LineBuffer, bytes.substr(5000 - 2048));
  EXPECT_TRUE(events.empty());
  Deliver("\r\n");
  EXPECT_EQ(Lines(), (std::vector<std::string>{bytes.substr(5000 - 2048)}));
}

TEST_F(SerialGPSTest, RealReceiverCaptureReplayed) {
  std::string capture;
  ASSERT_TRUE(ReadWholeFile(TestData("saab-r4.log"), capture));
  OpenPort();
  DeliverAll(capture);
  std::vector<std::string> expected;
  size_t start = 0;
  while (start < capture.size()) {
    size_t lf = capture.find('\n', start);
    if (lf == std::string::npos) lf = capture.size();
    std::string line = capture.substr(start, lf - start);
    start = lf + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) expected.push_back(line);
  }
  EXPECT_EQ(Lines(), expected);
  // The capture ends with GGA 5012.796800,N,00806.879000,W, fix 2 without
  // satellites or altitude; RMC 0.5 kn, course 2.9; VTG without km/h.
  EXPECT_NEAR(gps.Latitude, 50 + 12.7968 / 60, 1e-12);
  EXPECT_NEAR(gps.Longitude, -(8 + 6.879 / 60), 1e-12);
  EXPECT_EQ(gps.Altitude, 0);
  EXPECT_EQ(gps.FixQuality, 2);
  EXPECT_EQ(gps.Satellites, 0);
  EXPECT_NEAR(gps.Speed, 0.5 * 1.852, 1e-12);
  EXPECT_NEAR(gps.Course, 2.9, 1e-12);
}

TEST_F(SerialGPSTest, RawLogBytes) {
  const std::string log = env.Home() + "2026-01-30 QDM_GNSS_V3.log";
  ASSERT_TRUE(AppendTextFile(log, "earlier"));
  const std::string before = env.ReadFile(log);
  gps.NMEALog = true;
  gps.LogFileName = log;
  OpenPort();
  Deliver("$GPZDA,1\r\n");
  EXPECT_EQ(env.ReadFile(log), before + "$GPZDA,1\r\n");  // appended and flushed at once
  gps.Close();

  gps.LogTime = true;
  OpenPort();
  env.SetNow(QDateTime(QDate(2026, 1, 30), QTime(9, 5, 7, 45)));
  Deliver("\xc3\xa9 12.3\n");
  env.SetNow(QDateTime(QDate(2026, 1, 31), QTime(23, 59, 59, 999)));
  Deliver("$GPZDA,2\r\n");
  EXPECT_EQ(env.ReadFile(log), before + "$GPZDA,1\r\n2026-01-30 09:05:07.045 \xc3\xa9 12.3\r\n"
                                        "2026-01-31 23:59:59.999 $GPZDA,2\r\n");
}

namespace {
bool rawLogDiskFull = false;
ssize_t WriteHalfWhenFull(int fd, const void* data, size_t size) {
  if (!rawLogDiskFull) return ::write(fd, data, size);
  if (size > 1) return ::write(fd, data, size / 2);
  errno = ENOSPC;
  return -1;
}
}  // namespace

// A sentence whose checksum does not match (one latitude digit corrupted on
// the line) is raw-logged but neither handed on nor decoded; one without a
// checksum is taken. The first is told at once, later ones are counted and
// told at most once a minute, and what is left when the port closes.
TEST_F(SerialGPSTest, SentencesWithAWrongChecksumAreLoggedButNotTaken) {
  uint32_t now = 1000;
  platform::SetTickSource([&now] { return now; });
  std::vector<std::string> told;
  gps.OnBadSentences = [&](QObject* s, const std::string& text) {
    EXPECT_EQ(s, &gps);
    told.push_back(text);
  };
  const std::string log = env.Home() + "gnss.log";
  gps.NMEALog = true;
  gps.LogFileName = log;
  OpenPort();
  const std::string corrupted = "$GPGGA,123519,4907.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
  const std::string unchecked = "$GPGGA,123520,4807.040,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
  Deliver(corrupted + "\r\n" + kGGA + "\r\n" + unchecked + "\r\n");
  EXPECT_EQ(Lines(), (std::vector<std::string>{kGGA, unchecked}));
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"line", "position", "line", "position"}));
  EXPECT_NEAR(gps.Latitude, 48 + 7.040 / 60, 1e-12);
  EXPECT_EQ(env.ReadFile(log), corrupted + "\r\n" + kGGA + "\r\n" + unchecked + "\r\n");
  EXPECT_EQ(told, (std::vector<std::string>{"COM7: A sentence with a wrong checksum was not taken: " + corrupted}));

  events.clear();
  now += 1000;
  Deliver(corrupted + "\r\n$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*4\r\n");  // cut checksum
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(told.size(), 1u);
  now += nmea::DamageTally::kPeriodMs;
  Deliver(corrupted + "\r\n");
  Deliver(corrupted + "\r\n");
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[1],
            "COM7: 3 more damaged sentences (wrong checksum or cut short) were not taken (4 since the port was opened).");
  gps.Close();
  ASSERT_EQ(told.size(), 3u);
  EXPECT_EQ(told[2],
            "COM7: 1 more damaged sentence (wrong checksum or cut short) was not taken (5 since the port was opened).");
  EXPECT_TRUE(events.empty() || Kinds() == std::vector<std::string>{"disconnect"});
  platform::SetTickSource({});
}

TEST_F(SerialGPSTest, RawLogResumesAfterAFailedWriteAndAVanishedFolder) {
  const std::string folder = env.Home() + "day/LOG/";
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  const std::string log = folder + "raw.log";
  std::vector<std::string> told;
  gps.OnRawLogProblem = [&](QObject*, const std::string& text) { told.push_back(text); };
  gps.NMEALog = true;
  gps.LogFileName = log;
  OpenPort();
  SetAppendWriteForTests(WriteHalfWhenFull);
  Deliver("$GPZDA,1\r\n");
  rawLogDiskFull = true;
  Deliver("$GPZDA,2\r\n$GPZDA,3\r\n");
  rawLogDiskFull = false;
  Deliver("$GPZDA,4\r\n");
  SetAppendWriteForTests(nullptr);
  EXPECT_EQ(env.ReadFile(log), "$GPZDA,1\r\n$GPZDA,4\r\n");  // whole sentences only
  EXPECT_EQ(told, (std::vector<std::string>{
                      "The raw log " + log + " cannot be written; received lines are not logged.",
                      "The raw log " + log + " is written again."}));

  // The day folder deleted under a running survey: made again with the log.
  ASSERT_TRUE(QDir(QString::fromStdString(env.Home() + "day")).removeRecursively());
  Deliver("$GPZDA,5\r\n");
  EXPECT_EQ(env.ReadFile(log), "$GPZDA,5\r\n");
  EXPECT_EQ(told.size(), 2u);
}

TEST_F(SerialGPSTest, NoRawLogWhenOffOrUnwritable) {
  gps.LogFileName = env.Home() + "off.log";
  OpenPort();
  Deliver("$GPZDA,1\r\n");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(gps.LogFileName)));
  gps.Close();

  gps.NMEALog = true;
  gps.LogFileName = env.Home() + "no such folder/raw.log";
  OpenPort();
  Deliver("$GPZDA,1\r\n");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"$GPZDA,1"}));
}

TEST_F(SerialGPSTest, OpenAndCloseRaiseTheirEventsOnce) {
  gps.Delay = 0;
  gps.IdleInterval = -5;
  gps.Open();
  ASSERT_TRUE(gps.Active);
  ASSERT_TRUE(gps.Handle);
  EXPECT_TRUE(gps.PollTimer->isActive());
  EXPECT_TRUE(gps.IdleTimer->isActive());
  EXPECT_EQ(gps.PollTimer->interval(), 50);
  EXPECT_EQ(gps.IdleTimer->interval(), 10000);
  gps.Open();  // already open: nothing
  Deliver(std::string(kGGA) + "\r\n" + kRMC + "\r\n$GPZ");
  gps.Close();
  gps.Close();
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"connect", "line", "position", "line", "speed",
                                               "disconnect"}));
  EXPECT_EQ(events.front().values, std::vector<double>{7});
  EXPECT_EQ(events.back().values, std::vector<double>{7});
  EXPECT_FALSE(gps.Active);
  EXPECT_FALSE(gps.Handle);
  EXPECT_FALSE(gps.PollTimer->isActive());
  EXPECT_FALSE(gps.IdleTimer->isActive());
  for (double v : {gps.Latitude, gps.Longitude, gps.Altitude, gps.Speed, gps.Course}) EXPECT_EQ(v, 0);
  EXPECT_EQ(gps.FixQuality, 0);
  EXPECT_EQ(gps.Satellites, 0);
  EXPECT_EQ(gps.LineBuffer, "$GPZ");  // kept until the next opening

  gps.Delay = 20;
  gps.IdleInterval = 3000;
  gps.Open();
  EXPECT_EQ(gps.LineBuffer, "");
  EXPECT_EQ(gps.PollTimer->interval(), 20);
  EXPECT_EQ(gps.IdleTimer->interval(), 3000);
}

TEST_F(SerialGPSTest, EachOpeningSetsTheLineFromTheConfiguration) {
  // A pseudo-terminal always keeps 8 bits without parity bit, so what the
  // line shows here is the speed, the stop bits and parity checking.
  struct Case {
    const char* name;
    int baud, dataWidth, stopBits, parity;
    speed_t speed;
    bool twoStops;
  };
  const Case cases[] = {
      {"19200 7E2", 19200, 3, 3, 2, B19200, true},
      {"4800 8N1 after it", 4800, 4, 1, 0, B4800, false},
      {"5 bits, odd, one and a half stops", 115200, 1, 2, 1, B115200, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    gps.Close();
    gps.BaudRate = c.baud;
    gps.DataWidth = c.dataWidth;
    gps.StopBits = c.stopBits;
    gps.Parity = c.parity;
    OpenPort();
    termios t{};
    ASSERT_EQ(tcgetattr(pty.DeviceFd(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), c.speed);
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStops);
    EXPECT_EQ((t.c_iflag & INPCK) != 0, c.parity != 0);
  }
}

TEST_F(SerialGPSTest, PortThatCannotBeOpenedStaysClosedWithoutEvents) {
  MapPort(9, "/dev/quarix-no-such-port");
  struct Case {
    const char* name;
    int port;
    int dataWidth;
  };
  for (const Case& c : {Case{"missing device", 9, 4}, Case{"port number outside 1..256", 300, 4},
                        Case{"impossible byte size", 7, 5}, Case{"byte size code far out", 7, INT_MAX}}) {
    SCOPED_TRACE(c.name);
    gps.Port = c.port;
    gps.DataWidth = c.dataWidth;
    gps.Open();
    EXPECT_FALSE(gps.Active);
    EXPECT_FALSE(gps.Handle);
    EXPECT_FALSE(gps.PollTimer->isActive());
    gps.PollTimerTimer();
    gps.IdleTimerTimer();
    gps.SendString("x");
    gps.Close();
  }
  EXPECT_TRUE(events.empty());
}

TEST_F(SerialGPSTest, PortInUseStaysClosed) {
  OpenPort();
  TQuarixSerialGPS second;
  second.Port = 7;
  bool connected = false;
  second.OnConnect = [&](QObject*, int) { connected = true; };
  second.Open();
  EXPECT_FALSE(second.Active);
  EXPECT_FALSE(connected);
}

TEST_F(SerialGPSTest, IdleReportedOncePerSilence) {
  OpenPort();
  gps.IdleTimerTimer();  // one watchdog period after opening, nothing arrived
  EXPECT_EQ(Kinds(), std::vector<std::string>{"idle"});
  gps.IdleTimerTimer();
  gps.IdleTimerTimer();
  EXPECT_EQ(Kinds(), std::vector<std::string>{"idle"});

  events.clear();
  Deliver("$GPZDA,1");  // bytes without a line still count as data
  gps.IdleTimerTimer();  // data seen in this period
  EXPECT_TRUE(events.empty());
  gps.IdleTimerTimer();  // silent period
  EXPECT_EQ(Kinds(), std::vector<std::string>{"idle"});

  gps.Close();
  events.clear();
  gps.IdleTimerTimer();
  EXPECT_TRUE(events.empty());
}

TEST_F(SerialGPSTest, SendStringWritesTheBytesAndReportsThem) {
  gps.SendString("$PCMD\r\n");  // closed: nothing written, no event
  EXPECT_TRUE(events.empty());
  OpenPort();
  pty.Drain();
  gps.SendString("$PCMD,1\r\n");
  gps.SendString("");
  EXPECT_EQ(pty.Receive(9), "$PCMD,1\r\n");
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"send", "send"}));
  EXPECT_EQ(events[0].text, "$PCMD,1\r\n");
}

// A port that takes nothing (a receiver holding the line by flow control, a
// full queue): a text that cannot be written whole is told, once however
// often it happens, and so is the first that goes through again.
TEST_F(SerialGPSTest, ATextThePortDoesNotTakeIsToldOnceAndSoIsItsRecovery) {
  std::vector<std::string> told;
  gps.OnWriteProblem = [&](QObject*, const std::string& text) { told.push_back(text); };
  OpenPort();
  pty.Drain();
  const std::string block(4096, 'x');
  int full = 0;
  for (int i = 0; i < 200 && told.empty(); ++i) gps.SendString(block), ++full;  // until the line's queue is full
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].rfind("Writing to COM7 failed: the port took ", 0), 0u) << told[0];
  gps.SendString(block);
  EXPECT_EQ(told.size(), 1u);  // not again while it lasts
  pty.Drain();
  gps.SendString("$PCMD,1\r\n");
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[1].rfind("COM7 takes what is written again (", 0), 0u) << told[1];
  EXPECT_GT(full, 1);
}

TEST_F(SerialGPSTest, AnotherThreadWritesUntilCloseAndNothingAfter) {
  OpenPort();
  platform::SerialHandle handed = gps.Handle;  // as the NTRIP client receives it
  std::thread before([handed] { handed->Write("RTCM-A"); });
  before.join();
  EXPECT_EQ(pty.Receive(6), "RTCM-A");

  gps.Close();
  // Another port opened now may be given the closed port's descriptor number.
  PtyPair other;
  ASSERT_TRUE(other.Ok());
  MapPort(8, other.DevicePath());
  TQuarixSerialGPS sounder;
  sounder.Port = 8;
  sounder.Open();
  ASSERT_TRUE(sounder.Active);
  size_t written = 1;
  std::thread after([handed, &written] { written = handed->Write("RTCM-B"); });
  after.join();
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(other.Drain(), "");
  EXPECT_EQ(pty.Drain(), "");
}

TEST_F(SerialGPSTest, WritesOfAnotherThreadWhileThePortIsPolled) {
  OpenPort();
  platform::SerialHandle handed = gps.Handle;
  constexpr int kBlocks = 100;
  const std::string block = std::string(200, 'c') + "\r\n";
  std::thread writer([&] {
    for (int i = 0; i < kBlocks; ++i) handed->Write(block);
  });
  const std::string line = std::string(kGGA) + "\r\n";
  std::string received;
  std::thread device([&] { received = pty.Receive(kBlocks * (block.size() + line.size())); });
  for (int i = 0; i < kBlocks; ++i) {
    gps.SendString(line);
    gps.PollTimerTimer();
  }
  writer.join();
  device.join();
  ASSERT_EQ(received.size(), kBlocks * (block.size() + line.size()));
  size_t blocks = 0, lines = 0;
  for (size_t i = 0; i < received.size();) {
    if (received.compare(i, block.size(), block) == 0) {
      ++blocks;
      i += block.size();
    } else {
      ASSERT_EQ(received.compare(i, line.size(), line), 0) << "at " << i;
      ++lines;
      i += line.size();
    }
  }
  EXPECT_EQ(blocks, size_t(kBlocks));
  EXPECT_EQ(lines, size_t(kBlocks));
}

TEST_F(SerialGPSTest, DestructionRaisesNothingAndClosesThePort) {
  auto* owned = new TQuarixSerialGPS;
  owned->Port = 7;
  int raised = 0;
  owned->OnDisconnect = [&](QObject*, int) { ++raised; };
  owned->OnIdle = [&](QObject*) { ++raised; };
  owned->Open();
  ASSERT_TRUE(owned->Active);
  platform::SerialHandle handed = owned->Handle;
  delete owned;
  EXPECT_EQ(raised, 0);
  EXPECT_FALSE(handed->IsOpen());
  gps.Open();  // the port is free again
  EXPECT_TRUE(gps.Active);
}

TEST_F(SerialGPSTest, AForgottenPositionIsReportedAgainByTheSameSentence) {
  OpenPort();
  Deliver(std::string(kGGA) + "\r\n");
  gps.ForgetPosition();
  EXPECT_EQ(gps.GetLatitude(), 0);
  EXPECT_EQ(gps.GetLongitude(), 0);
  EXPECT_EQ(gps.GetFixQuality(), 1);
  Deliver(std::string(kGGA) + "\r\n");
  std::vector<std::string> kinds;
  for (const auto& e : events)
    if (e.kind == "position") kinds.push_back(e.kind);
  EXPECT_EQ(kinds.size(), 2u);
  EXPECT_NEAR(gps.GetLatitude(), 48.1173, 1e-12);
}

// A line that hangs up (the other side of the pseudo-terminal closed, as when
// a USB adapter is pulled out) is closed on the next poll tick and told as a
// disconnection; lines that arrived before it are still handled.
TEST_F(SerialGPSTest, AHungUpLineIsClosedAndToldOnTheNextTick) {
  PtyPair unplugged;
  ASSERT_TRUE(unplugged.Ok());
  MapPort(8, unplugged.DevicePath());
  gps.Port = 8;
  OpenPort();
  ASSERT_TRUE(unplugged.Send(std::string(kGGA) + "\r\n"));
  ASSERT_TRUE(WaitFor([&] { return gps.Handle->QueuedBytes() > 0; }));
  gps.PollTimerTimer();
  EXPECT_TRUE(gps.Active);
  EXPECT_EQ(gps.GetFixQuality(), 1);

  std::shared_ptr<platform::SerialPort> handed = gps.Handle;
  EXPECT_FALSE(handed->Failed());
  unplugged.Unplug();
  EXPECT_TRUE(handed->Failed());
  gps.PollTimerTimer();
  EXPECT_FALSE(gps.Active);
  EXPECT_FALSE(gps.PollTimer->isActive());
  EXPECT_FALSE(gps.IdleTimer->isActive());
  EXPECT_FALSE(handed->IsOpen());
  EXPECT_EQ(gps.GetFixQuality(), 0);
  EXPECT_EQ(gps.GetLatitude(), 0);
  std::vector<std::string> expected = {"line", "position", "disconnect"};
  EXPECT_EQ(Kinds(), expected);
  EXPECT_EQ(events.back().values, std::vector<double>{8});
  gps.PollTimerTimer();  // told once
  EXPECT_EQ(Kinds(), expected);
}

// Line noise without a line feed (a wrong baud rate, a loose plug) before a
// sentence: on a port that carries NMEA the "$" ends the noise, which becomes
// a line of its own, and the sentence is taken whatever the noise held.
TEST_F(SerialGPSTest, OnANmeaPortEverySentenceStartsAtItsDollar) {
  gps.CarriesNMEA = true;
  OpenPort();
  std::string noise;
  for (int i = 0; i < 2616; ++i) noise += char(0x80 + i % 100);  // no line feed, no "$"
  DeliverAll(noise.substr(0, 2000));
  Deliver(noise.substr(2000) + kGGA + "\r\n");
  EXPECT_EQ(Lines(), (std::vector<std::string>{noise, kGGA}));
  EXPECT_NEAR(gps.Latitude, 48.1173, 1e-12);

  // Noise holding "$" of its own, and a sentence cut short by the next one:
  // the noise before the first "$" is a line, what begins with "$" and ends
  // at the next one lost its end (below).
  events.clear();
  Deliver(std::string("x$G\x7f\x01$GPG") + kVTG + "\r\n");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"x", kVTG}));  // trimmed as every line
  EXPECT_NEAR(gps.Course, 54.7, 1e-12);

  // A port of other lines keeps them whole up to their line feed.
  gps.Close();
  gps.CarriesNMEA = false;
  OpenPort();
  Deliver(std::string("noise") + kGGA + "\r\n");
  EXPECT_EQ(Lines(), (std::vector<std::string>{std::string("noise") + kGGA}));
}

// A sentence that loses its end on the line (a UART overrun, a loose plug)
// is ended by the next sentence's "$" instead of its line end: on a port that
// carries NMEA it is damaged, raw-logged and told like a wrong checksum but
// never handed on or decoded, checksum or not (without one, the GGA cut in
// its altitude would pass for whole: 545 m for 545.4 m). A sentence that ends
// at its line end is taken as before, with or without a checksum.
TEST_F(SerialGPSTest, OnANmeaPortASentenceEndedByTheNextOneIsDamaged) {
  uint32_t now = 1000;
  platform::SetTickSource([&now] { return now; });
  std::vector<std::string> told;
  gps.OnBadSentences = [&](QObject*, const std::string& text) { told.push_back(text); };
  const std::string log = env.Home() + "gnss.log";
  gps.NMEALog = true;
  gps.LogFileName = log;
  gps.CarriesNMEA = true;
  const std::string gga = kGGA;
  const std::string unchecked = gga.substr(0, gga.find('*'));        // ends at its line end
  const std::string cutAltitude = gga.substr(0, gga.find("545.4") + 3);  // "...,545"
  const std::string cutChecksum = gga.substr(0, gga.size() - 1);     // "...*4"
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> handedOn;
    std::vector<std::string> damaged;  // raw-logged, not handed on
    double altitude;                   // after the bytes; starts 0
  };
  const std::vector<Case> cases = {
      {"a GGA cut in its altitude, then another sentence", cutAltitude + kRMC + "\r\n", {kRMC}, {cutAltitude}, 0},
      {"a GGA cut in its checksum, then another sentence", cutChecksum + kRMC + "\r\n", {kRMC}, {cutChecksum}, 0},
      {"a whole GGA that lost its line end", gga + kRMC + "\r\n", {kRMC}, {gga}, 0},
      {"a GGA that lost only its line feed", gga + "\r" + kRMC + "\r\n", {gga, kRMC}, {}, 545.4},
      {"a GGA without a checksum at its line end", unchecked + "\r\n" + kRMC + "\r\n", {unchecked, kRMC}, {},
       545.4},
      {"a cut sentence between two whole ones", gga + "\r\n$GPVTG,054.7,T" + kRMC + "\n", {gga, kRMC},
       {"$GPVTG,054.7,T"}, 545.4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(log);
    told.clear();
    gps.Close();
    OpenPort();
    Deliver(c.bytes);
    EXPECT_EQ(Lines(), c.handedOn);
    EXPECT_EQ(gps.GetAltitude(), c.altitude);
    EXPECT_EQ(gps.Damaged.Total(), c.damaged.size());
    // Every line goes to the raw log in the order it came.
    std::vector<std::string> all = c.handedOn;
    all.insert(all.end(), c.damaged.begin(), c.damaged.end());
    std::sort(all.begin(), all.end(),
              [&](const std::string& a, const std::string& b) { return c.bytes.find(a) < c.bytes.find(b); });
    std::string logged;
    for (const std::string& line : all) logged += line + "\r\n";
    EXPECT_EQ(env.ReadFile(log), logged);
    if (c.damaged.empty()) {
      EXPECT_TRUE(told.empty());
    } else {
      ASSERT_EQ(told.size(), 1u);
      EXPECT_EQ(told[0], "COM7: A sentence cut short (its end was lost on the line) was not taken: " + c.damaged[0]);
    }
  }
  platform::SetTickSource({});
}

// A receiver that ends its sentences with CR alone: each one is handed on and
// decoded in the tick its CR arrives, none is taken as cut short by the next
// sentence's "$", and an LF that follows later belongs to the CR before it.
TEST_F(SerialGPSTest, OnANmeaPortACarriageReturnAloneEndsASentenceAtOnce) {
  gps.CarriesNMEA = true;
  OpenPort();
  Deliver(std::string(kGGA) + "\r");
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"line", "position"}));
  EXPECT_EQ(gps.GetAltitude(), 545.4);
  Deliver(std::string(kVTG) + "\r" + kRMC + "\r");
  Deliver(std::string("\n") + kGGANoFix + "\r");
  EXPECT_EQ(Lines(), (std::vector<std::string>{kGGA, kVTG, kRMC, kGGANoFix}));
  EXPECT_EQ(gps.GetFixQuality(), 0);
  EXPECT_EQ(gps.Damaged.Total(), 0u);
  EXPECT_EQ(gps.LineBuffer, "");
}

// A GGA that the receiver cut short but ended normally, without a checksum,
// is handed on as a line but is no position: the component's fix, position
// and satellites stay those of the last whole GGA.
TEST_F(SerialGPSTest, AGGACutShortButEndedNormallyChangesNothing) {
  gps.CarriesNMEA = true;
  OpenPort();
  Deliver(std::string(kGGA) + "\r\n$GPGGA,120000.20,5100.6\r\n$GPRMC,120000.20,A,5100.6\r\n");
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"line", "position", "line", "line"}));
  EXPECT_NEAR(gps.Latitude, 48.1173, 1e-12);
  EXPECT_EQ(gps.GetFixQuality(), 1);
  EXPECT_EQ(gps.GetSatellites(), 8);
  EXPECT_EQ(gps.Damaged.Total(), 0u);
}

// A device unplugged during a survey and plugged in again: the component
// tells the loss, tries the port every few seconds without a word while it is
// missing, and tells the reopening through OnConnect with Reopening set; the
// owner's Close ends the attempts.
TEST_F(SerialGPSTest, ALostPortIsTriedAgainUntilTheDeviceIsBack) {
  const std::string link = env.Home() + "gnss-device";
  auto plugIn = [&](const PtyPair& device) {
    std::filesystem::remove(link);
    std::filesystem::create_symlink(device.DevicePath(), link);
  };
  auto first = std::make_unique<PtyPair>();
  ASSERT_TRUE(first->Ok());
  plugIn(*first);
  MapPort(9, link);
  gps.Port = 9;
  bool reopening = false;
  gps.OnConnect = [&](QObject* s, int port) {
    reopening = gps.Reopening;
    Add(s, {"connect", {double(port)}, ""});
  };
  OpenPort();
  EXPECT_FALSE(gps.ReopenTimer->isActive());
  EXPECT_EQ(gps.ReopenTimer->interval(), 3000);

  first.reset();  // unplugged: the device is gone
  gps.PollTimerTimer();
  EXPECT_FALSE(gps.Active);
  EXPECT_TRUE(gps.ReopenTimer->isActive());
  gps.ReopenTimerTimer();  // still missing: nothing told
  EXPECT_EQ(Kinds(), std::vector<std::string>{"disconnect"});
  EXPECT_TRUE(gps.ReopenTimer->isActive());

  PtyPair second;
  ASSERT_TRUE(second.Ok());
  plugIn(second);
  gps.ReopenTimerTimer();
  EXPECT_TRUE(gps.Active);
  EXPECT_TRUE(reopening);
  EXPECT_FALSE(gps.Reopening);
  EXPECT_FALSE(gps.ReopenTimer->isActive());
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"disconnect", "connect"}));
  ASSERT_TRUE(second.Send(std::string(kGGA) + "\r\n"));
  ASSERT_TRUE(WaitFor([&] { return gps.Handle->QueuedBytes() > 0; }));
  gps.PollTimerTimer();
  EXPECT_EQ(Lines(), std::vector<std::string>{kGGA});

  // Lost again, then the survey stops: no more attempts.
  second.Unplug();
  gps.PollTimerTimer();
  EXPECT_TRUE(gps.ReopenTimer->isActive());
  gps.Close();
  EXPECT_FALSE(gps.ReopenTimer->isActive());
  // An owner's opening is no reopening.
  PtyPair third;
  ASSERT_TRUE(third.Ok());
  plugIn(third);
  gps.Open();
  EXPECT_TRUE(gps.Active);
  EXPECT_FALSE(reopening);
}

TEST(SerialGPSNames, PortNumberFromName) {
  struct Case {
    const char* name;
    int port;
  };
  const Case cases[] = {
      {"com7", 7},   {"COM25", 25}, {"COM256", 256}, {"COM257", 1}, {"COM0", 1},
      {"5", 5},      {"", 1},       {"COM3 GPS", 1}, {"COM", 1},    {"COM-3", 1},
      {"Com12", 12}, {"COMX", 1},   {"ttyUSB0", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(TQuarixSerialGPS::PortNumberFromName(c.name), c.port) << c.name;
}

TEST(SerialGPSNames, ValidBaudRateAndPortName) {
  for (int rate : {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 230400})
    EXPECT_EQ(TQuarixSerialGPS::ValidBaudRate(rate), rate);
  for (int rate : {56000, 128000, 256000, 0, -1, 9601, 460800})
    EXPECT_EQ(TQuarixSerialGPS::ValidBaudRate(rate), 9600) << rate;
  EXPECT_EQ(TQuarixSerialGPS::PortName(3), "COM3");
  EXPECT_EQ(TQuarixSerialGPS::PortName(300), "COM300");
  EXPECT_EQ(TQuarixSerialGPS::PortName(-1), "COM-1");
}

}  // namespace
