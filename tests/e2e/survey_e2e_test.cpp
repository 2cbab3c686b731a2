// One sounding on the survey road of the real program: started from a
// temporary program folder with a prepared settings file, its GNSS receiver
// and echo sounder on pseudo-terminals, its screen on Qt's VNC platform where
// the test closes the offsets dialog and presses Realtime as a user would.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QProcessEnvironment>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>

#include "tests/e2e/vncclient.h"
#include "tests/platform/ptypair.h"
#include "tests/support/programrunner.h"

namespace {

constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 900;
constexpr int kOffsetsLeft = 1000;  // where the settings put the offsets dialog
constexpr int kOffsetsTop = 100;
constexpr uint32_t kTrackColour = 0xFF00FF;  // magenta (the same in TColor and on the screen)

std::string PortSection(const char* section, const char* port) {
  return std::string("[") + section + "]\nPort No=" + port +
         "\nBaud Rate=9600\nData Width=8\nStop Bits=1\nParity=None\nPriority=Normal\nDelay=10\n"
         "NMEA LOG=True\nLog Time=False\nEnable DTR=False\nEnable RTS=False\n";
}

std::string Settings(const std::string& gnssDevice, const std::string& sounderDevice,
                     const std::string& sounderType = "NMEA DPT", const std::string& sounderFormat = "%*6s,%lf") {
  return "[SERIAL_PORT_MAP]\nCOM5=" + gnssDevice + "\nCOM6=" + sounderDevice + "\n" +
         PortSection("GPS1 COMUNICATION SETTINGS", "COM5") +
         PortSection("SENSOR COMUNICATION SETTINGS", "COM6") +
         "Sensor Enabled=1\ncSBESMessage=" + sounderType + "\neSBESFormat=" + sounderFormat + "\n"
         "[GYRO]\nGyro Enabled=1\n"
         "[GEODETIC_PARAMETERS]\nSemiMajorAxis=6378137.0\nInverseFlattening=0.0033528106647474\n"
         "X_Rotation=0\nY_Rotation=0\nZ_Rotation=0\nX_Shift=0\nY_Shift=0\nZ_Shift=0\nScale_PPM=0\n"
         "Central_Meridian=9\nReference_Latitude=0\nScale_Factor=0.9996\nFalse_Easting=500000\n"
         "False_Northing=1000\ncbUseLCCProjection=0\n"
         "[ECHOSOUNDER_OFFSETS]\nOffset A=0.50\nOffset B=2.00\nOffset C=1.50\nSV=1480\nTide Height=1.00\n"
         "Surveyor=A. Surveyor\nSurveyBoat=Survey One\nSurveyLocation=North Harbour\n"
         "[NAVIGATION_SETTINGS]\nColorTracklines1=" + std::to_string(kTrackColour) +
         "\nVesselColor=0\nTrackWidth=5\nTrackDistance=10\ncLineOrDot=1\n"
         "[FNav]\nLeft=0\nTop=0\n"
         "[Offsets]\nLeft=" + std::to_string(kOffsetsLeft) + "\nTop=" + std::to_string(kOffsetsTop) + "\n";
}

std::string ReadFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

class SurveyE2E : public ::testing::Test {
 protected:
  // Starts the program on a VNC screen of its own.
  bool StartOnScreen() {
    port_ = VncClient::FreePort();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(run.Home()));
    env.insert("QT_QPA_PLATFORM",
               QString("vnc:size=%1x%2:port=%3").arg(kScreenWidth).arg(kScreenHeight).arg(port_));
    env.insert("QT_LOGGING_RULES", "quarix.prompts=true");
    env.insert("QT_MESSAGE_PATTERN", "%{category}: %{message}");
    run.Process().setProcessEnvironment(env);
    run.Process().setProcessChannelMode(QProcess::MergedChannels);
    run.Process().setWorkingDirectory(QString::fromStdString(run.Home()));
    run.Process().start(QString::fromStdString(run.ProgramFolder() + "QuarixDM"), {});
    return run.Process().waitForStarted(10000) && screen.Connect(port_);
  }

  uint32_t Pixel(int x, int y) {
    return x >= 0 && y >= 0 && x < screen.Width() && y < screen.Height()
               ? pixels_[static_cast<size_t>(y) * screen.Width() + x]
               : 0;
  }
  // Screen pixels in the colour of the RTK fixed track.
  int TrackPixels() {
    if (!screen.Capture(pixels_)) return -1;
    return static_cast<int>(std::count(pixels_.begin(), pixels_.end(), kTrackColour));
  }
  bool OffsetsShown() {
    return screen.Capture(pixels_) && Pixel(kOffsetsLeft + 5, kOffsetsTop + 5) != 0;
  }

  // Starts the program with the receiver on the given pseudo-terminal and
  // starts the survey as a user does.
  void StartSurvey(const std::string& receiverDevice) {
    ASSERT_TRUE(sounder.Ok());
    run.WriteSettings(Settings(receiverDevice, sounder.DevicePath()));
    ASSERT_TRUE(StartOnScreen()) << run.Output().toStdString();
    CancelOffsetsAndPressRealtime();
  }
  void StartSurvey() {
    ASSERT_TRUE(gnss.Ok());
    StartSurvey(gnss.DevicePath());
  }

  QString Day() const {
    return QString::fromStdString(run.Home()) + "QVT/" + QDate::currentDate().toString("yyyy-MM-dd") + "/";
  }
  std::string LogFile(const char* suffix) const {
    return ReadFile(Day() + "LOG/" + QDate::currentDate().toString("yyyy-MM-dd") + suffix);
  }

  // The survey started as a user does it: the offsets dialog shown at start
  // closed with its Cancel button, then Realtime pressed.
  void CancelOffsetsAndPressRealtime() {
    // The offsets dialog is shown at start: close it with its Cancel button,
    // the right-most of its bottom row.
    ASSERT_TRUE(run.WaitFor([&] { return OffsetsShown(); })) << run.Output().toStdString();
    int right = kOffsetsLeft + 5, bottom = kOffsetsTop + 5;
    while (Pixel(right, kOffsetsTop + 5) != 0) ++right;
    while (Pixel(kOffsetsLeft + 5, bottom) != 0) ++bottom;
    ASSERT_TRUE(screen.Click(right - 30, bottom - 20));
    ASSERT_TRUE(run.WaitFor([&] { return !OffsetsShown(); })) << "the offsets dialog stayed open";

    // Realtime: the first button of the main window's survey tool bar, under the menu.
    ASSERT_TRUE(screen.Click(38, 36));
    ASSERT_TRUE(run.WaitFor([&] { return LogFile(" Events.log").find("\tRealtime STARTED") != std::string::npos; }))
        << LogFile(" Events.log") << run.Output().toStdString();
  }

  ProgramRunner run;
  VncClient screen;
  PtyPair gnss, sounder;
  std::vector<uint32_t> pixels_;
  int port_ = 0;
};

TEST_F(SurveyE2E, OneSoundingReachesTheSurveyRecords) {
  StartSurvey();
  if (HasFatalFailure()) return;

  const std::string gga = "$GPGGA,120000.00,0000.0000,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*5A";
  const std::string hdt = "$HEHDT,274.07,T";
  ASSERT_TRUE(gnss.Send(gga + "\r\n" + hdt + "\r\n"));
  ASSERT_TRUE(run.WaitFor([&] { return LogFile(" QDM_GNSS_V3.log").size() >= gga.size() + hdt.size() + 4; }));
  run.WaitFor([] { return false; }, 1000);  // a few map ticks (200 ms each)
  const std::string dpt = "$SDDPT,12.34,0.5*56";
  ASSERT_TRUE(sounder.Send(dpt + "\r\n"));
  const QString day = QDate::currentDate().toString("yyyy-MM-dd");
  const QString coordinates = Day() + "LOG/" + day + " Coordinates.csv";
  ASSERT_TRUE(run.WaitFor([&] { return ReadFile(coordinates).find("NMEA DPT") != std::string::npos; }))
      << run.Output().toStdString();

  const std::string csv = ReadFile(coordinates);
  const std::regex expected(
      "Date,Lat,Lon,Easting,Northing,Elevation \\(Hi\\),Elevation \\(Lo\\),True Depth \\(Hi\\),True Depth \\(Lo\\),"
      "Raw Depth \\(Hi\\),Raw Depth \\(Lo\\),Message Format,Sound Velocity,Transducer Draft,GPS, RTK Antenna "
      "Height,Manual Tide,RTK Tide\r\n" +
      day.toStdString() +
      " [0-9]{9},0,9,500000\\.00,1000\\.00,-11\\.68,0\\.50,12\\.68,0\\.50,12\\.34,0,NMEA DPT,1480\\.00,0\\.50,4,"
      "48\\.60,1\\.00,47\\.10\r\n");
  EXPECT_TRUE(std::regex_match(csv, expected)) << csv;
  EXPECT_EQ(ReadFile(Day() + "XYZ/" + day + " Simple XYZ.csv"),
            "Easting,Northing,Elevation\r\n500000.00,1000.00,-11.68\r\n");

  // The raw logs hold the lines as received; the events log the survey's start.
  EXPECT_EQ(LogFile(" QDM_GNSS_V3.log"), gga + "\r\n" + hdt + "\r\n");
  EXPECT_EQ(LogFile(" QDM_SBES_V3.log"), dpt + "\r\n");
  const std::string events = LogFile(" Events.log");
  const size_t connected = events.find("\tConnected to GPS on COM5");
  EXPECT_NE(connected, std::string::npos) << events;
  EXPECT_LT(connected, events.find("\tRealtime STARTED")) << events;
  EXPECT_EQ(events.find("Could not open"), std::string::npos) << events;
  EXPECT_EQ(events.substr(0, 14), "\r\nAuto Event:\t") << events;
  EXPECT_FALSE(run.Output().contains("quarix.prompts")) << run.Output().toStdString();

  // 12 m north on the RTK fix (track distance 10 m): a track line appears in
  // the colour that only the layer "track_fix" is given.
  EXPECT_EQ(TrackPixels(), 0);
  ASSERT_TRUE(gnss.Send("$GPGGA,120001.00,0000.0065,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*58\r\n"));
  EXPECT_TRUE(run.WaitFor([&] { return TrackPixels() > 0; })) << run.Output().toStdString();
}

// Every receiver line is judged by what it is, with a sounder that gives only
// the low-frequency depth: a GGA at midnight is a position, lines that merely
// mention GGA do not judge it, and a GGA that lost its end on the line (cut in
// its altitude, glued to the next sentence) is logged and told but not taken.
// Each sounding is recorded with its position and its low-frequency depth.
TEST_F(SurveyE2E, EveryReceiverLineIsJudgedByWhatItIs) {
  ASSERT_TRUE(gnss.Ok() && sounder.Ok());
  run.WriteSettings(Settings(gnss.DevicePath(), sounder.DevicePath(), "Quarix XDR LO", "%*8s,%*lf,%*8s,%lf"));
  ASSERT_TRUE(StartOnScreen()) << run.Output().toStdString();
  CancelOffsetsAndPressRealtime();
  if (HasFatalFailure()) return;

  const std::string gga = "$GPGGA,000001.00,0000.0000,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*58";
  const std::string cut = "$GPGGA,000002.00,0000.0100,N,00900.0000,E,4,12,0.8,12";  // 18 m north, 36 m lower
  struct Case {
    const char* name;
    std::string receiver;
    const char* sounding;  // the sounder's line: a raw low-frequency depth
    const char* depths;    // its elevation, true depth and raw depth, high and low
  };
  const std::vector<Case> cases = {
      {"a GGA at midnight", "$GPGGA,000000.00,0000.0000,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*59\r\n",
       "$SDXDR,D,7.50,M,XDHI,D,8.25,M,XDLO*56", ",,-7.64,,8.64,,8.25,"},
      {"lines mentioning GGA after a GGA",
       gga + "\r\n$GNTXT,01,01,02,GGA output rate changed*4D\r\n$PUBX,40,GGA,0,1,0,0,0,0*5B\r\n",
       "$SDXDR,D,7.50,M,XDHI,D,9.25,M,XDLO*57", ",,-8.63,,9.63,,9.25,"},
      {"a GGA cut in its altitude, glued to the next sentence", gga + "\r\n" + cut + "$GPHDT,274.07,T*03\r\n",
       "$SDXDR,D,7.50,M,XDHI,D,10.25,M,XDLO*6F", ",,-9.61,,10.61,,10.25,"},
  };
  const QString day = QDate::currentDate().toString("yyyy-MM-dd");
  const QString coordinates = Day() + "LOG/" + day + " Coordinates.csv";
  std::string receiverLog;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    receiverLog += c.receiver;
    if (const size_t at = receiverLog.find(cut + "$"); at != std::string::npos)
      receiverLog.insert(at + cut.size(), "\r\n");  // logged as a line of its own
    ASSERT_TRUE(gnss.Send(c.receiver));
    ASSERT_TRUE(run.WaitFor([&] { return LogFile(" QDM_GNSS_V3.log") == receiverLog; })) << LogFile(" QDM_GNSS_V3.log");
    ASSERT_TRUE(sounder.Send(std::string(c.sounding) + "\r\n"));
    const std::string record = std::string(",0,9,500000.00,1000.00") + c.depths +
                               "Quarix XDR LO,1480.00,0.50,4,48.60,1.00,47.10\r\n";
    EXPECT_TRUE(run.WaitFor([&] { return ReadFile(coordinates).find(record) != std::string::npos; }))
        << record << "\n" << ReadFile(coordinates);
  }
  EXPECT_EQ(ReadFile(Day() + "XYZ/" + day + " Simple XYZ.csv"),
            "Easting,Northing,Elevation\r\n500000.00,1000.00,-7.64\r\n500000.00,1000.00,-8.63\r\n"
            "500000.00,1000.00,-9.61\r\n");
  EXPECT_NE(LogFile(" Events.log").find("\tCOM5: A sentence cut short (its end was lost on the line) was not taken: " +
                                        cut),
            std::string::npos)
      << LogFile(" Events.log");
}

// A receiver and a sounder that end their lines with a carriage return alone:
// each line is taken when it arrives, so the sounding that the sounder sends
// before it pauses is recorded at once, with the position and fix of the last
// whole GGA; a GGA the receiver cut short after it judges nothing. The raw
// logs keep one line per line received.
TEST_F(SurveyE2E, LinesEndedByACarriageReturnAloneAreTakenWhenTheyArrive) {
  StartSurvey();
  if (HasFatalFailure()) return;

  const std::string gga = "$GPGGA,120000.00,0000.0000,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*5A";
  const std::string cut = "$GPGGA,120000.20,0000.0";
  ASSERT_TRUE(gnss.Send(gga + "\r" + cut + "\r"));
  ASSERT_TRUE(run.WaitFor([&] { return LogFile(" QDM_GNSS_V3.log") == gga + "\r\n" + cut + "\r\n"; }))
      << LogFile(" QDM_GNSS_V3.log");
  const std::string dpt = "$SDDPT,12.34,0.5*56";
  ASSERT_TRUE(sounder.Send(dpt + "\r"));
  const QString day = QDate::currentDate().toString("yyyy-MM-dd");
  const QString coordinates = Day() + "LOG/" + day + " Coordinates.csv";
  const std::string record =
      ",0,9,500000.00,1000.00,-11.68,0.50,12.68,0.50,12.34,0,NMEA DPT,1480.00,0.50,4,48.60,1.00,47.10\r\n";
  EXPECT_TRUE(run.WaitFor([&] { return ReadFile(coordinates).find(record) != std::string::npos; }))
      << ReadFile(coordinates) << run.Output().toStdString();
  EXPECT_EQ(LogFile(" QDM_SBES_V3.log"), dpt + "\r\n");
}

// A logout or a service stop sends SIGTERM: the program closes as File > Exit
// does, saving the drawing, the placements and the map settings.
TEST_F(SurveyE2E, SigtermDuringASurveyClosesAsFileExitDoes) {
  StartSurvey();
  if (HasFatalFailure()) return;
  ASSERT_TRUE(gnss.Send("$GPGGA,120000.00,0000.0000,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*5A\r\n"));
  const QString coordinates = Day() + "LOG/" + QDate::currentDate().toString("yyyy-MM-dd") + " Coordinates.csv";
  ASSERT_TRUE(sounder.Send("$SDDPT,12.34,0.5*56\r\n"));
  ASSERT_TRUE(run.WaitFor([&] { return ReadFile(coordinates).find("NMEA DPT") != std::string::npos; }));

  run.Process().terminate();
  ASSERT_TRUE(run.Process().waitForFinished(15000));
  EXPECT_EQ(run.Process().exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(run.Process().exitCode(), 0) << run.Output().toStdString();

  const std::string events = LogFile(" Events.log");
  const std::regex saved("Auto-saved: ([^\\r\\n]+\\.qvt)");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(events, m, saved)) << events << run.Output().toStdString();
  const std::string drawing = m[1];
  EXPECT_FALSE(ReadFile(QString::fromStdString(drawing)).empty()) << drawing;
  const std::string ini = ReadFile(QString::fromStdString(run.SettingsFile()));
  EXPECT_NE(ini.find("Last File Saved    =" + drawing), std::string::npos) << ini;
  EXPECT_NE(ini.find("PlanWorldLeft="), std::string::npos) << ini;
  EXPECT_NE(ini.find("[Offsets]"), std::string::npos) << ini;
}

// The receiver's USB adapter pulled out during a survey (its pseudo-terminal
// closed under the port): the disconnection is told in the events log, and
// the soundings after it carry fix quality 0.
TEST_F(SurveyE2E, AnUnpluggedReceiverIsToldAndLaterSoundingsCarryNoFix) {
  PtyPair receiver;
  ASSERT_TRUE(receiver.Ok());
  StartSurvey(receiver.DevicePath());
  if (HasFatalFailure()) return;

  const QString day = QDate::currentDate().toString("yyyy-MM-dd");
  const QString coordinates = Day() + "LOG/" + day + " Coordinates.csv";
  auto lastRecord = [&] {
    const std::string csv = ReadFile(coordinates);
    const size_t end = csv.rfind("\r\n");
    const size_t begin = end == std::string::npos || end == 0 ? std::string::npos : csv.rfind("\r\n", end - 1);
    return begin == std::string::npos ? std::string() : csv.substr(begin + 2, end - begin - 2);
  };
  auto fixOf = [](const std::string& record) {  // the 15th column
    size_t p = 0;
    for (int i = 0; i < 14 && p != std::string::npos; ++i) p = record.find(',', p + 1);
    return p == std::string::npos ? std::string() : record.substr(p + 1, record.find(',', p + 1) - p - 1);
  };

  ASSERT_TRUE(receiver.Send("$GPGGA,120000.00,0000.0000,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*5A\r\n"));
  ASSERT_TRUE(run.WaitFor([&] { return !LogFile(" QDM_GNSS_V3.log").empty(); }));
  ASSERT_TRUE(sounder.Send("$SDDPT,12.34,0.5*56\r\n"));
  ASSERT_TRUE(run.WaitFor([&] { return lastRecord().find("12.34") != std::string::npos; }))
      << run.Output().toStdString();
  EXPECT_EQ(fixOf(lastRecord()), "4") << lastRecord();

  receiver.Unplug();
  ASSERT_TRUE(run.WaitFor([&] { return LogFile(" Events.log").find("\tDisconnected from GPS on COM5") != std::string::npos; },
                          5000))
      << LogFile(" Events.log");

  ASSERT_TRUE(sounder.Send("$SDDPT,13.50,0.5*55\r\n"));
  ASSERT_TRUE(run.WaitFor([&] { return lastRecord().find("13.5") != std::string::npos; }))
      << run.Output().toStdString();
  EXPECT_EQ(fixOf(lastRecord()), "0") << lastRecord();
}

// A cable blip under both devices during a survey: each pseudo-terminal is
// closed (the device gone) and another one appears under the same name (the
// device back). Both losses and both returns are told in the events log, and
// soundings with their positions are recorded again without Stop/Realtime.
TEST_F(SurveyE2E, UnpluggedDevicesAreOpenedAgainWhenTheyComeBack) {
  const std::string receiverLink = run.Home() + "receiver", sounderLink = run.Home() + "sounder";
  auto plugIn = [](const std::string& link, const PtyPair& device) {
    std::filesystem::remove(link);
    std::filesystem::create_symlink(device.DevicePath(), link);
  };
  auto receiver = std::make_unique<PtyPair>(), echo = std::make_unique<PtyPair>();
  ASSERT_TRUE(receiver->Ok() && echo->Ok());
  plugIn(receiverLink, *receiver);
  plugIn(sounderLink, *echo);
  run.WriteSettings(Settings(receiverLink, sounderLink));
  ASSERT_TRUE(StartOnScreen()) << run.Output().toStdString();
  CancelOffsetsAndPressRealtime();
  if (HasFatalFailure()) return;

  const QString coordinates =
      Day() + "LOG/" + QDate::currentDate().toString("yyyy-MM-dd") + " Coordinates.csv";
  auto recorded = [&](const std::string& fields) {
    return run.WaitFor([&] { return ReadFile(coordinates).find(fields) != std::string::npos; });
  };
  auto told = [&](const std::string& text, size_t times) {
    return run.WaitFor([&] {
      const std::string events = LogFile(" Events.log");
      size_t n = 0;
      for (size_t p = events.find("\t" + text); p != std::string::npos; p = events.find("\t" + text, p + 1)) ++n;
      return n >= times;
    });
  };
  ASSERT_TRUE(told("Connected to NMEA Sensor on COM6", 1)) << LogFile(" Events.log");
  ASSERT_TRUE(receiver->Send("$GPGGA,120000.00,0000.0000,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*5A\r\n"));
  ASSERT_TRUE(run.WaitFor([&] { return !LogFile(" QDM_GNSS_V3.log").empty(); }));
  ASSERT_TRUE(echo->Send("$SDDPT,12.34,0.5*56\r\n"));
  ASSERT_TRUE(recorded(",0,9,500000.00,1000.00,-11.68,")) << ReadFile(coordinates);

  receiver.reset();
  echo.reset();
  EXPECT_TRUE(told("Disconnected from GPS on COM5", 1)) << LogFile(" Events.log");
  EXPECT_TRUE(told("Disconnected from NMEA Sensor on COM6", 1)) << LogFile(" Events.log");

  receiver = std::make_unique<PtyPair>();
  echo = std::make_unique<PtyPair>();
  ASSERT_TRUE(receiver->Ok() && echo->Ok());
  plugIn(receiverLink, *receiver);
  plugIn(sounderLink, *echo);
  ASSERT_TRUE(told("Connected to GPS on COM5", 2)) << LogFile(" Events.log");
  ASSERT_TRUE(told("Connected to NMEA Sensor on COM6", 2)) << LogFile(" Events.log");

  // 0.01' north: 18.42 m on the grid.
  ASSERT_TRUE(receiver->Send("$GPGGA,120010.00,0000.0100,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*5A\r\n"));
  ASSERT_TRUE(run.WaitFor([&] { return LogFile(" QDM_GNSS_V3.log").find("120010.00") != std::string::npos; }));
  ASSERT_TRUE(echo->Send("$SDDPT,13.50,0.5*55\r\n"));
  EXPECT_TRUE(recorded(",500000.00,1018.42,-12.82,")) << ReadFile(coordinates);
  const std::string events = LogFile(" Events.log");
  EXPECT_EQ(events.find("Realtime STOPPED"), std::string::npos) << events;
}

}  // namespace
