// Device settings and navigation settings without their windows: the port
// conversions into a real serial device component, the sentence types, the
// display values, and the settings-file sections.
#include <gtest/gtest.h>

#include "app/displaysettings.h"
#include "app/helpers.h"
#include "app/settingsfile.h"
#include "app/textfile.h"
#include "settings/devicesettings.h"
#include "settings/navsettings.h"
#include "platform/paths.h"
#include "devices/QuarixSerialGPS.h"
#include "tests/support/tempenv.h"

using namespace devicesettings;

namespace {

// A device whose fields all differ from what any test row applies, so a
// field that a row leaves alone is recognised.
void Preset(TQuarixSerialGPS& d) {
  d.Port = 99;
  d.BaudRate = 1;
  d.DataWidth = 99;
  d.StopBits = 99;
  d.Parity = 99;
  d.Priority = 99;
  d.Delay = 99;
  d.NMEALog = true;
  d.LogTime = true;
  d.EnableDTR = true;
  d.EnableRTS = true;
  d.LogFileName = "old.log";
}

}  // namespace

TEST(SettingsPortTexts, EachBoxConvertsIntoItsField) {
  TempEnv env;
  struct Row {
    PortTexts texts;
    int port, baud, dataWidth, stopBits, priority, delay;
    bool nmeaLog, logTime, dtr, rts;
  };
  const Row rows[] = {
      // The initial texts of the boxes.
      {InitialPortTexts(), 1, 9600, 4, 1, 6, 5, false, false, true, true},
      {{"com7", "4800", "5", "2", "Odd", "Higher", "200", "TRUE", "false", "False", "True"},
       7, 4800, 1, 3, 1, 200, true, false, false, true},
      {{"COM3", "56000", "7", "1.5", "Even", "TimeCritical", "1000", "1", "0", "true", "yes"},
       3, 9600, 3, 2, 7, 1000, true, false, false, false},
      // Texts that are no items: data width 0 (no valid width), one stop bit
      // code 0, priority 0.
      {{"5", "115200", "9", "3", "None", "normal", "50", "2.5", "False", "True", "False"},
       5, 115200, 0, 0, 0, 50, true, false, true, false},
  };
  for (const Row& r : rows) {
    TQuarixSerialGPS d;
    Preset(d);
    EXPECT_TRUE(ApplyPortTexts(r.texts, d, "new.log")) << r.texts.port;
    EXPECT_EQ(d.Port, r.port) << r.texts.port;
    EXPECT_EQ(d.BaudRate, r.baud) << r.texts.port;
    EXPECT_EQ(d.DataWidth, r.dataWidth) << r.texts.port;
    EXPECT_EQ(d.StopBits, r.stopBits) << r.texts.port;
    EXPECT_EQ(d.Parity, 0) << "the port always opens without parity";
    EXPECT_EQ(d.Priority, r.priority) << r.texts.port;
    EXPECT_EQ(d.Delay, r.delay) << r.texts.port;
    EXPECT_EQ(d.NMEALog, r.nmeaLog) << r.texts.port;
    EXPECT_EQ(d.LogTime, r.logTime) << r.texts.port;
    EXPECT_EQ(d.EnableDTR, r.dtr) << r.texts.port;
    EXPECT_EQ(d.EnableRTS, r.rts) << r.texts.port;
    EXPECT_EQ(d.LogFileName, "new.log");
  }
}

TEST(SettingsPortTexts, FirstFailedConversionStopsSilently) {
  TempEnv env;
  // Which text fails, and how many of the twelve steps ran before it.
  struct Row {
    const char* what;
    PortTexts texts;
    int stepsDone;
  };
  PortTexts good = InitialPortTexts();
  good.port = "COM4";
  auto with = [&](std::string PortTexts::*field, const char* value) {
    PortTexts t = good;
    t.*field = value;
    return t;
  };
  const Row rows[] = {
      {"baud abc", with(&PortTexts::baudRate, "abc"), 1},
      {"baud empty", with(&PortTexts::baudRate, ""), 1},
      {"delay empty", with(&PortTexts::delay, ""), 6},
      {"delay 1.5", with(&PortTexts::delay, "1.5"), 6},
      {"nmea log yes", with(&PortTexts::nmeaLog, "yes"), 7},
      {"log time empty", with(&PortTexts::logTime, ""), 8},
  };
  for (const Row& r : rows) {
    TQuarixSerialGPS d;
    Preset(d);
    EXPECT_FALSE(ApplyPortTexts(r.texts, d, "new.log")) << r.what;
    EXPECT_EQ(d.Port, 4) << r.what;
    EXPECT_EQ(d.BaudRate, r.stepsDone >= 2 ? 9600 : 1) << r.what;
    EXPECT_EQ(d.DataWidth, r.stepsDone >= 3 ? 4 : 99) << r.what;
    EXPECT_EQ(d.StopBits, r.stepsDone >= 4 ? 1 : 99) << r.what;
    EXPECT_EQ(d.Parity, r.stepsDone >= 5 ? 0 : 99) << r.what;
    EXPECT_EQ(d.Priority, r.stepsDone >= 6 ? 6 : 99) << r.what;
    EXPECT_EQ(d.Delay, r.stepsDone >= 7 ? 5 : 99) << r.what;
    EXPECT_EQ(d.NMEALog, r.stepsDone >= 8 ? false : true) << r.what;
    EXPECT_TRUE(d.LogTime) << r.what;
    EXPECT_TRUE(d.EnableDTR) << r.what;
    EXPECT_EQ(d.LogFileName, "old.log") << r.what;
  }
}

TEST(SettingsPortTexts, RawLogNamesUseTheDayLogFolderAndToday) {
  TempEnv env;  // 2026-01-30
  EXPECT_EQ(GnssLogFileName(), DayLogFolder + "2026-01-30 QDM_GNSS_V3.log");
  EXPECT_EQ(SounderLogFileName(), DayLogFolder + "2026-01-30 QDM_SBES_V3.log");
}

TEST(SettingsSounderTypes, DefaultFormatsAndLowFrequencyBox) {
  struct Row {
    const char* name;
    const char* format;
    LowFreqBox lowFreq;
  };
  const Row rows[] = {
      {"Quarix SMT", "%*8s,%lf,%lf", LowFreqBox::Hide},
      {"NMEA DPT", "%*6s,%lf", LowFreqBox::Hide},
      {"NMEA DBT", "%*6s,%*lf,%*1s,%lf", LowFreqBox::Hide},
      {"Quarix XDR HI", "%*8s,%lf", LowFreqBox::Hide},
      {"ODC HI", "%*42s,%lf", LowFreqBox::Hide},
      {"Quarix XDR LO", "%*8s,%*lf,%*8s,%lf", LowFreqBox::Show},
      {"Quarix XDR H/L", "%*8s,%lf,%*8s,%lf", LowFreqBox::Show},
      {"OTHER", "", LowFreqBox::Unchanged},
  };
  for (const Row& r : rows) {
    const SounderType* t = FindSounderType(r.name);
    ASSERT_NE(t, nullptr) << r.name;
    EXPECT_STREQ(t->format, r.format) << r.name;
    EXPECT_EQ(t->lowFreq, r.lowFreq) << r.name;
  }
  EXPECT_EQ(SounderTypeNames(), (std::vector<std::string>{"Quarix SMT", "NMEA DPT", "NMEA DBT",
                                                          "Quarix XDR HI", "Quarix XDR LO",
                                                          "Quarix XDR H/L", "ODC HI", "OTHER"}));
  for (const char* unknown : {"quarix smt", "Quarix SMT ", "", "NMEA"})
    EXPECT_EQ(FindSounderType(unknown), nullptr) << unknown;
}

TEST(SettingsDisplay, TextsThatAreNoNumbersFallBack) {
  DisplayTexts t;
  t.gridSpacingX = "abc";
  t.gridSpacingY = "12.5";
  t.labelSpacing = "";
  t.labelFontSize = "big";
  t.eventFontSize = "1.5";
  t.overlayFontSize = "x";
  t.labelFontName = "Tahoma";
  const DisplayValues v = DeriveDisplayValues(t);
  EXPECT_EQ(v.gridSpacingX, 100.0);
  EXPECT_EQ(v.gridSpacingY, 12.5);
  EXPECT_EQ(v.depthLabelSpacing, 10.0);
  EXPECT_EQ(v.depthLabelFontSize, 12);
  EXPECT_EQ(v.eventLabelFontSize, 24);
  EXPECT_EQ(v.overlayFontSize, 40);
  EXPECT_EQ(v.depthLabelFontName, "Tahoma");

  t.gridSpacingX = "0.0001";  // a tiny spacing is passed on; the map bounds its grid
  EXPECT_EQ(DeriveDisplayValues(t).gridSpacingX, 0.0001);
}

TEST(SettingsDisplay, GlobalsAndMapGrid) {
  DisplayTexts t;
  t.gridVisible = false;
  t.autoGrid = true;
  t.gridSpacingX = "250";
  t.gridColor = clRed;
  t.eventColor = clLime;
  StoreDisplayGlobals(DeriveDisplayValues(t));
  EXPECT_FALSE(GridVisible);
  EXPECT_TRUE(GridAutoSpacing);
  EXPECT_EQ(GridSpacingX, 250.0) << "the globals keep the typed spacing under auto scale";
  EXPECT_EQ(EventLabelColor, clLime);
  const MapGrid g = GridFromGlobals();
  EXPECT_FALSE(g.visible);
  EXPECT_EQ(g.spacingX, 0.0) << "auto scale lets the map choose";
  EXPECT_EQ(g.spacingY, 0.0);
  EXPECT_EQ(g.color, clRed);
  const MapGrid fixed = GridForMap(true, false, 250, 100, clSilver);
  EXPECT_EQ(fixed.spacingX, 250.0);
  EXPECT_EQ(fixed.spacingY, 100.0);
}

TEST(SettingsDisplay, ScreenshotTimer) {
  struct Row {
    const char* text;
    bool enabled;
    int intervalMs;
  };
  const Row rows[] = {
      {"60", true, 60000}, {"1", true, 1000},     {"abc", true, 60000},
      {"", true, 60000},   {"0", false, 0},       {"-5", false, 0},
      // Larger than the timer can hold: capped rather than overflowing.
      {"2147484", true, 2147483000}, {"99999999", true, 2147483000},
  };
  for (const Row& r : rows) {
    const TimerSetting s = ScreenshotTimer(r.text);
    EXPECT_EQ(s.enabled, r.enabled) << r.text;
    if (r.enabled) {
      EXPECT_EQ(s.intervalMs, r.intervalMs) << r.text;
    }
  }
  EXPECT_EQ(ScreenshotSeconds("abc"), 60);
  EXPECT_EQ(ScreenshotSeconds("-5"), -5);
}

TEST(SettingsLock, SettingsLockedText) {
  EXPECT_EQ(TabLockFromText("true"), TabLock::Disable);
  EXPECT_EQ(TabLockFromText("false"), TabLock::Enable);
  for (const char* other : {"", "TRUE", "True", "1", "0", "yes"})
    EXPECT_EQ(TabLockFromText(other), TabLock::Keep) << other;
}

namespace {

DeviceSettings SampleSettings() {
  DeviceSettings s;
  s.gps = {"COM3", "4800", "8", "1", "None", "Normal", "5", "True", "False", "True", "False"};
  s.sensor = {"COM4", "9600", "7", "2", "Odd", "Idle", "10", "False", "True", "False", "True"};
  s.sensorEnabled = false;
  s.sbesMessage = "NMEA DBT";
  s.sbesFormat = "%*6s,%*lf,%*1s,%lf";
  s.gyroEnabled = false;
  GeodeticTexts& g = s.geodetic;
  g.semiMajorAxis = "6378137";
  g.flattening = "0.0033528106647474";
  g.rotX = "0.1";
  g.rotY = "0.2";
  g.rotZ = "0.3";
  g.shiftX = "-84";
  g.shiftY = "-107";
  g.shiftZ = "-120";
  g.scalePpm = "1.5";
  g.centralMeridian = "30";
  g.referenceLatitude = "0";
  g.scaleFactor = "1";
  g.falseEasting = "500000";
  g.falseNorthing = "0";
  g.useTM = false;
  g.useDTP = true;
  g.datumName = "ED50";
  g.lccSP1 = "40";
  g.lccSP2 = "42";
  g.lccSF = "0.9996";
  g.lccCP = "41";
  g.lccM = "33";
  g.lccFE = "1000";
  g.lccFN = "2000";
  g.useLCC = true;
  g.lambert1 = true;
  DisplayTexts& d = s.display;
  d.gridVisible = false;
  d.autoGrid = true;
  d.gridSpacingX = "250";
  d.gridSpacingY = "50";
  d.gridColor = clSilver;
  d.showDepthLabels = false;
  d.labelSpacing = "5";
  d.labelFontName = "Tahoma";
  d.labelFontSize = "9";
  d.labelColor = clBlue;
  d.eventFontSize = "18";
  d.eventColor = clBtnFace;  // a system colour is stored as a negative number
  d.overlayFontSize = "30";
  d.overlayDepthColor = clNavy;
  d.overlaySpeedColor = clGreen;
  d.screenshotInterval = "abc";  // stored as 60
  return s;
}

void SaveAll(IniFile& ini, const DeviceSettings& s) {
  ASSERT_TRUE(WriteLockSetting(ini, true).ok);
  ASSERT_TRUE(WriteDeviceSections(ini, s).ok);
  ASSERT_TRUE(WriteDisplaySections(ini, s.display).ok);
}

}  // namespace

TEST(SettingsFile, SavedFileHoldsThePaddedKeysInOrder) {
  TempEnv env;
  IniFile ini(env.Home() + "settings.ini");
  SaveAll(ini, SampleSettings());
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(ini.FileName(), bytes));
  const std::string expectedStart =
      "[LOCK SETTINGS]\r\n"
      "Lock Settings=1\r\n"
      "\r\n"
      "[GPS1 COMUNICATION SETTINGS]\r\n"
      "Port No        =COM3\r\n"
      "Baud Rate      =4800\r\n"
      "Data Width     =8\r\n"
      "Stop Bits      =1\r\n"
      "Parity         =None\r\n"
      "Priority       =Normal\r\n"
      "Delay          =5\r\n"
      "NMEA LOG       =True\r\n"
      "Log Time       =False\r\n"
      "Enable DTR     =True\r\n"
      "Enable RTS     =False\r\n"
      "\r\n"
      "[SENSOR COMUNICATION SETTINGS]\r\n"
      "Port No         =COM4\r\n"
      "Baud Rate      =9600\r\n"
      "Data Width     =7\r\n"
      "Stop Bits      =2\r\n"
      "Parity         =Odd\r\n"
      "Priority       =Idle\r\n"
      "Delay          =10\r\n"
      "NMEA LOG       =False\r\n"
      "Log Time       =True\r\n"
      "Enable DTR     =False\r\n"
      "Enable RTS     =True\r\n"
      "Sensor Enabled     =0\r\n"
      "cSBESMessage=NMEA DBT\r\n"
      "eSBESFormat=%*6s,%*lf,%*1s,%lf\r\n"
      "\r\n"
      "[GYRO]\r\n"
      "Gyro Enabled     =0\r\n"
      "\r\n"
      "[GEODETIC_PARAMETERS]\r\n"
      "SemiMajorAxis=6378137\r\n"
      "InverseFlattening=0.0033528106647474\r\n"
      "X_Rotation=0.1\r\n"
      "Y_Rotation=0.2\r\n"
      "Z_Rotation=0.3\r\n"
      "X_Shift=-84\r\n"
      "Y_Shift=-107\r\n"
      "Z_Shift=-120\r\n"
      "Scale_PPM=1.5\r\n"
      "Central_Meridian=30\r\n"
      "Reference_Latitude=0\r\n"
      "Scale_Factor=1\r\n"
      "False_Easting=500000\r\n"
      "False_Northing=0\r\n"
      "Use Projection=0\r\n"
      "Use DTP=1\r\n"
      "Name of Datum=ED50\r\n"
      "eLCCSP1=40\r\n"
      "eLCCSP2=42\r\n"
      "eLCCSF=0.9996\r\n"
      "eLCCCP=41\r\n"
      "eLCCM=33\r\n"
      "eLCCFE=1000\r\n"
      "eLCCFN=2000\r\n"
      "cbUseLCCProjection=1\r\n"
      "cLambert1=1\r\n"
      "\r\n"
      "[GRID_SETTINGS]\r\n"
      "GridVisible=0\r\n"
      "AutoGrid=1\r\n"
      "GridSpacingX=250\r\n"
      "GridSpacingY=50\r\n"
      "GridColor=12632256\r\n"
      "\r\n"
      "[DEPTH_LABEL_SETTINGS]\r\n"
      "ShowDepthLabels=0\r\n"
      "LabelSpacing=5\r\n"
      "FontName=Tahoma\r\n"
      "FontSize=9\r\n"
      "TextColor=16711680\r\n"
      "\r\n"
      "[EVENT_LABEL_SETTINGS]\r\n"
      "FontSize=18\r\n"
      "TextColor=-16777201\r\n"
      "\r\n"
      "[OVERLAY_SETTINGS]\r\n"
      "FontSize=30\r\n"
      "DepthColor=8388608\r\n"
      "SpeedColor=32768\r\n"
      "\r\n"
      "[SCREENSHOT]\r\n"
      "Interval=60\r\n";
  EXPECT_EQ(bytes, expectedStart);
}

TEST(SettingsFile, RoundTripOfEverySection) {
  TempEnv env;
  IniFile ini(env.Home() + "settings.ini");
  const DeviceSettings saved = SampleSettings();
  SaveAll(ini, saved);

  const IniFile reread(ini.FileName());
  DeviceSettings loaded;  // the dialog's initial values as defaults
  ReadPortSections(reread, loaded);
  ReadGeodeticSection(reread, loaded.geodetic);
  ReadDisplaySections(reread, loaded.display);
  EXPECT_TRUE(ReadLockSetting(reread));
  EXPECT_EQ(ReadScreenshotIntervalText(reread), "60");

  auto portTuple = [](const PortTexts& p) {
    return std::tie(p.port, p.baudRate, p.dataWidth, p.stopBits, p.parity, p.priority, p.delay,
                    p.nmeaLog, p.logTime, p.enableDTR, p.enableRTS);
  };
  EXPECT_EQ(portTuple(loaded.gps), portTuple(saved.gps));
  EXPECT_EQ(portTuple(loaded.sensor), portTuple(saved.sensor));
  EXPECT_EQ(loaded.sensorEnabled, saved.sensorEnabled);
  EXPECT_EQ(loaded.sbesMessage, saved.sbesMessage);
  EXPECT_EQ(loaded.sbesFormat, saved.sbesFormat);
  EXPECT_EQ(loaded.gyroEnabled, saved.gyroEnabled);
  const GeodeticTexts &a = loaded.geodetic, &b = saved.geodetic;
  EXPECT_EQ(std::tie(a.semiMajorAxis, a.flattening, a.rotX, a.rotY, a.rotZ, a.shiftX, a.shiftY,
                     a.shiftZ, a.scalePpm, a.centralMeridian, a.referenceLatitude, a.scaleFactor,
                     a.falseEasting, a.falseNorthing, a.useTM, a.useDTP, a.datumName),
            std::tie(b.semiMajorAxis, b.flattening, b.rotX, b.rotY, b.rotZ, b.shiftX, b.shiftY,
                     b.shiftZ, b.scalePpm, b.centralMeridian, b.referenceLatitude, b.scaleFactor,
                     b.falseEasting, b.falseNorthing, b.useTM, b.useDTP, b.datumName));
  EXPECT_EQ(std::tie(a.lccSP1, a.lccSP2, a.lccSF, a.lccCP, a.lccM, a.lccFE, a.lccFN, a.useLCC, a.lambert1),
            std::tie(b.lccSP1, b.lccSP2, b.lccSF, b.lccCP, b.lccM, b.lccFE, b.lccFN, b.useLCC, b.lambert1));
  const DisplayTexts &c = loaded.display, &d = saved.display;
  EXPECT_EQ(std::tie(c.gridVisible, c.autoGrid, c.gridSpacingX, c.gridSpacingY, c.gridColor,
                     c.showDepthLabels, c.labelSpacing, c.labelFontName, c.labelFontSize,
                     c.labelColor, c.eventFontSize, c.eventColor, c.overlayFontSize,
                     c.overlayDepthColor, c.overlaySpeedColor),
            std::tie(d.gridVisible, d.autoGrid, d.gridSpacingX, d.gridSpacingY, d.gridColor,
                     d.showDepthLabels, d.labelSpacing, d.labelFontName, d.labelFontSize,
                     d.labelColor, d.eventFontSize, d.eventColor, d.overlayFontSize,
                     d.overlayDepthColor, d.overlaySpeedColor));

  // A second save replaces the keys in place: the file keeps its size.
  std::string first, second;
  ASSERT_TRUE(ReadWholeFile(ini.FileName(), first));
  IniFile again(ini.FileName());
  SaveAll(again, saved);
  ASSERT_TRUE(ReadWholeFile(ini.FileName(), second));
  EXPECT_EQ(first, second);
}

TEST(SettingsFile, ReadsOtherPaddingAndLetterCase) {
  TempEnv env;
  const std::string name = env.Home() + "hand.ini";
  ASSERT_TRUE(WriteFileAtomically(name,
                                  "[gps1 comunication settings]\n"
                                  "port no=COM9\n"
                                  "  BAUD RATE   = 19200\n"
                                  "delay=100\n"
                                  "[Sensor Comunication Settings]\r\n"
                                  "PORT NO=COM2\r\n"
                                  "sensor enabled=0\r\n"
                                  "CSBESMESSAGE=OTHER\r\n"
                                  "[gyro]\r\n"
                                  "gyro enabled = 0\r\n"
                                  "[geodetic_parameters]\r\n"
                                  "central_meridian=27\r\n"
                                  "[grid_settings]\r\n"
                                  "gridcolor=255\r\n"
                                  "[lock settings]\r\n"
                                  "LOCK SETTINGS=7\r\n"));
  const IniFile ini(name);
  DeviceSettings s;
  s.geodetic.semiMajorAxis = "kept";
  ReadPortSections(ini, s);
  ReadGeodeticSection(ini, s.geodetic);
  ReadDisplaySections(ini, s.display);
  EXPECT_EQ(s.gps.port, "COM9");
  EXPECT_EQ(s.gps.baudRate, "19200");
  EXPECT_EQ(s.gps.delay, "100");
  EXPECT_EQ(s.gps.parity, "") << "a missing port key leaves the box empty";
  EXPECT_EQ(s.sensor.port, "COM2");
  EXPECT_FALSE(s.sensorEnabled);
  EXPECT_EQ(s.sbesMessage, "OTHER");
  EXPECT_EQ(s.sbesFormat, "%*8s,%lf");
  EXPECT_FALSE(s.gyroEnabled);
  EXPECT_EQ(s.geodetic.centralMeridian, "27");
  EXPECT_EQ(s.geodetic.semiMajorAxis, "kept") << "a missing geodetic key keeps the control's text";
  EXPECT_EQ(s.display.gridColor, clRed);
  EXPECT_EQ(s.display.eventColor, clRed) << "default 255";
  EXPECT_EQ(s.display.overlayDepthColor, clNavy);
  EXPECT_TRUE(ReadLockSetting(ini));
}

TEST(SettingsFile, MissingFileGivesTheDefaults) {
  TempEnv env;
  const IniFile ini(env.Home() + "none.ini");
  DeviceSettings s;
  s.gps = InitialPortTexts();
  ReadPortSections(ini, s);
  ReadDisplaySections(ini, s.display);
  EXPECT_EQ(s.gps.port, "");
  EXPECT_EQ(s.gps.enableDTR, "");
  EXPECT_TRUE(s.sensorEnabled);
  EXPECT_EQ(s.sbesMessage, "Quarix SMT");
  EXPECT_EQ(s.sbesFormat, "%*8s,%lf");
  EXPECT_TRUE(s.gyroEnabled);
  EXPECT_EQ(s.display.gridColor, 12632256u);
  EXPECT_EQ(s.display.labelFontName, "Arial");
  EXPECT_FALSE(ReadLockSetting(ini));
  EXPECT_EQ(ReadSettingsLockedText(ini), "");
  EXPECT_TRUE(ReadSettingsLocked(ini, true));
  EXPECT_EQ(ReadScreenshotIntervalText(ini), "60");
}

TEST(SettingsFile, WriteStopsAtTheFirstKeyThatCannotBeStored) {
  TempEnv env;
  // A folder in place of the file: nothing can be stored.
  const std::string name = env.Home() + "blocked.ini";
  ASSERT_TRUE(platform::MakeFolder(name));
  IniFile ini(name);
  const WriteResult r = WriteDeviceSections(ini, SampleSettings());
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failedKey, "Port No        ");
  EXPECT_FALSE(WriteLockSetting(ini, false).ok);
}

TEST(SettingsFile, SummaryBlock) {
  const std::vector<std::string> expected = {
      "=== SETTINGS SAVED ===",
      "GPS: Port=COM3, Baud=4800",
      "Sensor: Port=COM4, Baud=9600, Enabled=No",
      "Datum: ED50, DTP=Yes",
      "TM: CM=30, RefLat=0, SF=1, FE=500000, FN=0",
      "LCC: Enabled, SP1=40, SP2=42",
      "======================",
  };
  EXPECT_EQ(SettingsSummary(SampleSettings()), expected);
  DeviceSettings s;  // initial state: empty edits, sensor enabled, TM
  s.geodetic.useDTP = false;
  const auto lines = SettingsSummary(s);
  EXPECT_EQ(lines[2], "Sensor: Port=, Baud=, Enabled=Yes");
  EXPECT_EQ(lines[3], "Datum: , DTP=No");
  EXPECT_EQ(lines[5], "LCC: Disabled, SP1=, SP2=");
}

// ---------------------------------------------------------------------------
// Navigation settings
// ---------------------------------------------------------------------------

TEST(NavSettings, MapTimerInterval) {
  struct Row {
    const char* text;
    bool ok;
    int ms;
  };
  const Row rows[] = {{"", true, 500},      {"20", true, 50},  {"10", true, 50},
                      {"50", true, 50},     {"7000", true, 7000}, {"-5", true, 50},
                      {"abc", false, 0},    {"12.5", false, 0}, {" ", false, 0}};
  for (const Row& r : rows) {
    int ms = -1;
    EXPECT_EQ(navsettings::MapTimerInterval(r.text, ms), r.ok) << r.text;
    EXPECT_EQ(ms, r.ok ? r.ms : -1) << r.text;
  }
}

TEST(NavSettings, SectionRoundTripAndDefaults) {
  TempEnv env;
  const std::string name = env.Home() + "nav.ini";
  {
    const auto s = navsettings::ReadNavigationSettings(IniFile(name));
    EXPECT_EQ(s.vesselWidth, "3");
    EXPECT_EQ(s.trackWidth, "3");
    EXPECT_EQ(s.trackDistance, "20");
    EXPECT_EQ(s.depthAlert, "1");
    EXPECT_TRUE(s.lineOrDot);
    EXPECT_EQ(s.vesselColor, clNavy);
    EXPECT_EQ(s.trackFixColor, clGreen);
    EXPECT_EQ(s.trackFloatColor, clYellow);
    EXPECT_EQ(s.backgroundColor, clWhite);
  }
  navsettings::NavigationSettings s;
  s.vesselWidth = "4";
  s.trackWidth = "12";
  s.trackDistance = "12345678";
  s.vesselColor = clNavy;
  s.trackFixColor = clGreen;
  s.trackFloatColor = clYellow;
  s.backgroundColor = clWhite;
  s.lineOrDot = false;
  s.depthAlert = "2.5";
  IniFile ini(name);
  ASSERT_TRUE(navsettings::WriteNavigationSettings(ini, s));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(name, bytes));
  EXPECT_EQ(bytes,
            "[NAVIGATION_SETTINGS]\r\n"
            "VesselWidth=4\r\n"
            "TrackWidth=12\r\n"
            "TrackDistance=12345678\r\n"
            "VesselColor=8388608\r\n"
            "ColorTracklines1=32768\r\n"
            "ColorTracklines0=65535\r\n"
            "BackgroundColor=16777215\r\n"
            "cLineOrDot=0\r\n"
            "edDepthAlert=2.5\r\n");
  const auto back = navsettings::ReadNavigationSettings(IniFile(name));
  EXPECT_EQ(std::tie(back.vesselWidth, back.trackWidth, back.trackDistance, back.vesselColor,
                     back.trackFixColor, back.trackFloatColor, back.backgroundColor,
                     back.lineOrDot, back.depthAlert),
            std::tie(s.vesselWidth, s.trackWidth, s.trackDistance, s.vesselColor,
                     s.trackFixColor, s.trackFloatColor, s.backgroundColor, s.lineOrDot,
                     s.depthAlert));
}

TEST(NavSettings, StoredWidthsTheEditsWouldRejectGiveTheDefaults) {
  TempEnv env;
  const std::string name = env.Home() + "nav.ini";
  ASSERT_TRUE(WriteFileAtomically(name,
                                  "[NAVIGATION_SETTINGS]\r\n"
                                  "VesselWidth=2x\r\n"
                                  "TrackWidth=ab\r\n"
                                  "TrackDistance=123456789\r\n"
                                  "edDepthAlert=shallow\r\n"));
  const auto s = navsettings::ReadNavigationSettings(IniFile(name));
  EXPECT_EQ(s.vesselWidth, "3");
  EXPECT_EQ(s.trackWidth, "3");
  EXPECT_EQ(s.trackDistance, "20");
  EXPECT_EQ(s.depthAlert, "shallow") << "the alarm edit takes any text";
  EXPECT_TRUE(navsettings::DigitsOnly("15", 2));
  EXPECT_TRUE(navsettings::DigitsOnly("", 2));
  EXPECT_FALSE(navsettings::DigitsOnly("123", 2));
  EXPECT_FALSE(navsettings::DigitsOnly("-1", 2));
  EXPECT_FALSE(navsettings::DigitsOnly("1a", 8));
}
