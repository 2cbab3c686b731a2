// The device settings dialog and the navigation settings window on the
// offscreen platform: loading, saving and the lock through the real settings
// file and events log, the handlers, and what they do to the main window, its
// map, its timers and serial devices.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QValidator>
#include <QGroupBox>

#include "app/displaysettings.h"
#include "app/helpers.h"
#include "app/settingsfile.h"
#include "app/textfile.h"
#include "canvas/QuarixCanvas.h"
#include "settings/UGPS.h"
#include "settings/unavset.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "devices/QuarixSerialGPS.h"
#include "runtime/RealtimeData.h"
#include "runtime/unavigation.h"
#include "tests/support/tempenv.h"

namespace {

std::string S(const QString& q) { return q.toStdString(); }

// A temporary program folder and HOME with an optional settings file, and the
// windows a test asks for, created in the program's order and freed after it.
class SettingsWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    prompts::CurrentScript() = prompts::Script();
    MakeDayFolders();
  }
  void TearDown() override {
    delete FGPS;
    FGPS = nullptr;
    delete Navset;
    Navset = nullptr;
    delete fRealtime;
    fRealtime = nullptr;
    delete FNav;
    FNav = nullptr;
  }
  void WriteSettings(const std::string& text) {
    ASSERT_TRUE(WriteFileAtomically(env.SettingsFile(), text));
  }
  std::string Settings() const { return env.ReadFile(env.SettingsFile()); }
  std::string EventsLog() const { return env.ReadFile(EventsLogFileName()); }
  void CreateMainWindow() {
    FNav = new TFNav();
    fRealtime = new TfRealtime();
  }
  TFGPS* CreateDeviceSettings() {
    FGPS = new TFGPS();
    return FGPS;
  }
  bool SettingsTabsEnabled(TFGPS* g, bool expected) {
    return g->GPSTabSheet->isEnabled() == expected && g->SensorTabSheet->isEnabled() == expected &&
           g->ParametersTabSheet->isEnabled() == expected && g->tGlobalSetting->isEnabled() == expected;
  }
  bool Shown(const char* text) const {
    for (const QString& s : prompts::CurrentScript().shown)
      if (s.contains(text)) return true;
    return false;
  }

  TempEnv env;
};

// ---------------------------------------------------------------------------
// Device settings: loading
// ---------------------------------------------------------------------------

TEST_F(SettingsWindows, FirstStartWithoutSettingsFile) {
  TFGPS* g = CreateDeviceSettings();
  for (QComboBox* box : {g->Port, g->BaudRate, g->DataWidth, g->Delay, g->EnableRTS, g->SPort,
                         g->SStopBits, g->SEnableDTR})
    EXPECT_EQ(box->currentText(), "") << S(box->accessibleName());
  EXPECT_EQ(g->cSBESMessage->currentText(), "Quarix SMT");
  EXPECT_EQ(g->eSBESFormat->text(), "%*8s,%lf");
  EXPECT_TRUE(g->SensorEnabled->isChecked());
  EXPECT_TRUE(g->GyroEnabled->isChecked());
  EXPECT_EQ(g->edSMA->text(), "");
  EXPECT_EQ(g->edCM->text(), "");
  EXPECT_EQ(g->eLCCSP1->text(), "");
  EXPECT_TRUE(g->cbUseTMProjection->isChecked());
  EXPECT_FALSE(g->cbUseLCCProjection->isChecked());
  EXPECT_TRUE(g->cbUseDTP->isChecked());
  EXPECT_FALSE(g->cbUseDTP->isEnabled());
  EXPECT_EQ(g->edGridSpacingX->text(), "100");
  EXPECT_EQ(g->edDepthLabelFontName->text(), "Arial");
  EXPECT_EQ(g->cbGridColor->Selected(), clSilver);
  EXPECT_EQ(g->cbEventLabelColor->Selected(), clRed);
  EXPECT_EQ(g->eScreenshotInterval->text(), "60");
  EXPECT_EQ(g->MemoGPS->toPlainText(), "NMEA POSITION DATA");
  EXPECT_EQ(g->MemoSensor->toPlainText(), "NMEA SENSOR DATA");
  EXPECT_EQ(g->PageControl1->currentWidget(), g->tGlobalSetting);
  EXPECT_EQ(g->LockStateCheck1->text(), "SAVE && LOCK SETTINGS");
  EXPECT_FALSE(g->LockStateCheck1->isChecked());
  EXPECT_TRUE(SettingsTabsEnabled(g, true));
  EXPECT_EQ(GridSpacingX, 100.0);
  EXPECT_EQ(DepthLabelFontSize, 12);
  EXPECT_EQ(EventLabelFontSize, 24);
  EXPECT_FALSE(platform::FileExists(env.SettingsFile())) << "nothing is written until the user locks";
}

TEST_F(SettingsWindows, LoadingFillsEveryTab) {
  WriteSettings(
      "[GPS1 COMUNICATION SETTINGS]\r\nPort No        =COM3\r\nBaud Rate      =4800\r\n"
      "[SENSOR COMUNICATION SETTINGS]\r\nPort No         =COM4\r\nStop Bits      =2\r\n"
      "Sensor Enabled     =0\r\ncSBESMessage=NMEA DBT\r\neSBESFormat=%*6s,%lf,custom\r\n"
      "[GYRO]\r\nGyro Enabled     =0\r\n"
      "[GEODETIC_PARAMETERS]\r\nSemiMajorAxis=6378137\r\nName of Datum=ED50\r\neLCCFN=2000\r\n"
      "[GRID_SETTINGS]\r\nGridVisible=0\r\nAutoGrid=1\r\nGridSpacingX=250\r\nGridColor=255\r\n"
      "[DEPTH_LABEL_SETTINGS]\r\nFontName=Tahoma\r\nFontSize=9\r\n"
      "[EVENT_LABEL_SETTINGS]\r\nFontSize=abc\r\n"
      "[OVERLAY_SETTINGS]\r\nFontSize=30\r\nDepthColor=65280\r\n");
  TFGPS* g = CreateDeviceSettings();
  EXPECT_EQ(g->Port->currentText(), "COM3");
  EXPECT_EQ(g->BaudRate->currentText(), "4800");
  EXPECT_EQ(g->SPort->currentText(), "COM4");
  EXPECT_EQ(g->SStopBits->currentText(), "2");
  EXPECT_FALSE(g->SensorEnabled->isChecked());
  EXPECT_EQ(g->cSBESMessage->currentText(), "NMEA DBT");
  EXPECT_EQ(g->eSBESFormat->text(), "%*6s,%lf,custom") << "setting the type runs no handler";
  EXPECT_FALSE(g->GyroEnabled->isChecked());
  EXPECT_EQ(g->edSMA->text(), "6378137");
  EXPECT_EQ(g->edNameOfDatum->text(), "ED50");
  EXPECT_EQ(g->eLCCFN->text(), "2000");
  EXPECT_FALSE(g->cbGridVisible->isChecked());
  EXPECT_TRUE(g->cbAutoGrid->isChecked());
  EXPECT_FALSE(g->edGridSpacingX->isEnabled());
  EXPECT_FALSE(g->edGridSpacingY->isEnabled());
  EXPECT_EQ(g->cbGridColor->Selected(), clRed);
  // The display globals follow the loaded controls.
  EXPECT_FALSE(GridVisible);
  EXPECT_TRUE(GridAutoSpacing);
  EXPECT_EQ(GridSpacingX, 250.0);
  EXPECT_EQ(GridColor, clRed);
  EXPECT_EQ(DepthLabelFontName, "Tahoma");
  EXPECT_EQ(DepthLabelFontSize, 9);
  EXPECT_EQ(EventLabelFontSize, 24);
  EXPECT_EQ(OverlayFontSize, 30);
  EXPECT_EQ(OverlayDepthColor, clLime);
}

TEST_F(SettingsWindows, StoredProjectionFlagsLeaveExactlyOneSelected) {
  struct Row {
    const char* tm;
    const char* lcc;
    bool tmChecked, lccChecked;
  };
  const Row rows[] = {{"1", "1", false, true}, {"0", "0", true, false},
                      {"1", "0", true, false}, {"0", "1", false, true}};
  for (const Row& r : rows) {
    WriteSettings(std::string("[GEODETIC_PARAMETERS]\r\nUse Projection=") + r.tm +
                  "\r\ncbUseLCCProjection=" + r.lcc + "\r\ncLambert1=1\r\n");
    TFGPS* g = CreateDeviceSettings();
    EXPECT_EQ(g->cbUseTMProjection->isChecked(), r.tmChecked) << r.tm << r.lcc;
    EXPECT_EQ(g->cbUseLCCProjection->isChecked(), r.lccChecked) << r.tm << r.lcc;
    EXPECT_FALSE(g->eLCCSP1->isEnabled());
    EXPECT_FALSE(g->eLCCSP2->isEnabled());
    delete FGPS;
    FGPS = nullptr;
  }
}

TEST_F(SettingsWindows, ProjectionAndLambertBoxes) {
  TFGPS* g = CreateDeviceSettings();
  g->cbUseTMProjection->setChecked(false);
  EXPECT_TRUE(g->cbUseLCCProjection->isChecked());
  g->cbUseTMProjection->setChecked(true);
  EXPECT_FALSE(g->cbUseLCCProjection->isChecked());
  g->cbUseLCCProjection->setChecked(true);
  EXPECT_FALSE(g->cbUseTMProjection->isChecked());
  g->cbUseLCCProjection->setChecked(false);
  EXPECT_TRUE(g->cbUseTMProjection->isChecked());
  g->cLambert1->setChecked(true);
  EXPECT_FALSE(g->eLCCSP1->isEnabled());
  EXPECT_FALSE(g->eLCCSP2->isEnabled());
  EXPECT_TRUE(g->eLCCCP->isEnabled());
  g->cLambert1->setChecked(false);
  EXPECT_TRUE(g->eLCCSP1->isEnabled());
  EXPECT_TRUE(g->eLCCSP2->isEnabled());
}

// ---------------------------------------------------------------------------
// Device settings: saving and the lock
// ---------------------------------------------------------------------------

TEST_F(SettingsWindows, LockSavesLogsTheSummaryAndDisablesTheSettingsTabs) {
  TFGPS* g = CreateDeviceSettings();
  g->Port->setCurrentText("COM3");
  g->BaudRate->setCurrentText("4800");
  g->SPort->setCurrentText("COM4");
  g->SBaudRate->setCurrentText("9600");
  g->SensorEnabled->setChecked(false);
  g->edNameOfDatum->setText("ED50");
  g->edCM->setText("30");
  g->edSF->setText("0.9996");
  g->cbUseLCCProjection->setChecked(true);
  g->eLCCSP1->setText("40");
  g->edGridSpacingX->setText("250");
  g->eScreenshotInterval->setText("45");

  g->LockStateCheck1->setChecked(true);
  const std::string file = Settings();
  for (const char* line : {"[LOCK SETTINGS]\r\nLock Settings=1\r\n",
                           "[GPS1 COMUNICATION SETTINGS]\r\nPort No        =COM3\r\nBaud Rate      =4800\r\n",
                           "Port No         =COM4\r\n", "Sensor Enabled     =0\r\n",
                           "cSBESMessage=Quarix SMT\r\n", "[GYRO]\r\nGyro Enabled     =1\r\n",
                           "Name of Datum=ED50\r\n", "Use Projection=0\r\n", "cbUseLCCProjection=1\r\n",
                           "GridSpacingX=250\r\n", "GridColor=12632256\r\n", "[SCREENSHOT]\r\nInterval=45\r\n"})
    EXPECT_NE(file.find(line), std::string::npos) << line;
  EXPECT_EQ(file.find("Settings Locked"), std::string::npos) << "that key is never written";

  const std::string stamp = "\r\nAuto Event:\t2026-01-30 143512345\t";
  EXPECT_EQ(EventsLog(), stamp + "=== SETTINGS SAVED ===" + stamp + "GPS: Port=COM3, Baud=4800" + stamp +
                             "Sensor: Port=COM4, Baud=9600, Enabled=No" + stamp + "Datum: ED50, DTP=Yes" +
                             stamp + "TM: CM=30, RefLat=, SF=0.9996, FE=, FN=" + stamp +
                             "LCC: Enabled, SP1=40, SP2=" + stamp + "======================");

  EXPECT_TRUE(SettingsTabsEnabled(g, false));
  EXPECT_TRUE(g->TabSheet1->isEnabled());
  EXPECT_TRUE(g->BitBtn2->isEnabled());
  EXPECT_TRUE(g->LockStateCheck1->isEnabled());

  // Unlocking writes the lock key alone.
  g->LockStateCheck1->setChecked(false);
  std::string expected = file;
  expected.replace(expected.find("Lock Settings=1"), 15, "Lock Settings=0");
  EXPECT_EQ(Settings(), expected);
  EXPECT_TRUE(SettingsTabsEnabled(g, true));
}

TEST_F(SettingsWindows, StoredLockRewritesAtStartAndKeepsTheScreenshotInterval) {
  WriteSettings(
      "[LOCK SETTINGS]\r\nLock Settings=1\r\n"
      "[GPS1 COMUNICATION SETTINGS]\r\nPort No=COM5\r\n"
      "[SCREENSHOT]\r\nInterval=30\r\n");
  TFGPS* g = CreateDeviceSettings();
  EXPECT_TRUE(g->LockStateCheck1->isChecked());
  EXPECT_TRUE(SettingsTabsEnabled(g, false));
  EXPECT_EQ(g->eScreenshotInterval->text(), "30");
  const std::string file = Settings();
  EXPECT_NE(file.find("[SCREENSHOT]\r\nInterval=30\r\n"), std::string::npos) << file;
  EXPECT_NE(file.find("Port No=COM5\r\n"), std::string::npos) << "a key is replaced in place";
  EXPECT_NE(file.find("[GRID_SETTINGS]"), std::string::npos);
  EXPECT_NE(EventsLog().find("GPS: Port=COM5, Baud="), std::string::npos);
}

TEST_F(SettingsWindows, HandWrittenSettingsLockedKey) {
  WriteSettings("[LOCK SETTINGS]\r\nSettings Locked (true/false)=true\r\n");
  TFGPS* g = CreateDeviceSettings();
  EXPECT_TRUE(SettingsTabsEnabled(g, false));
  EXPECT_FALSE(g->LockStateCheck1->isChecked());
  // At a showing the text is not a number: the lock box keeps its state and
  // the "Global Setting" tab follows it.
  g->FormShow();
  EXPECT_FALSE(g->LockStateCheck1->isChecked());
  EXPECT_TRUE(g->tGlobalSetting->isEnabled());
  EXPECT_FALSE(g->GPSTabSheet->isEnabled());

  // A number locks at the showing, which saves like a click.
  WriteSettings("[LOCK SETTINGS]\r\nSettings Locked (true/false)=1\r\n");
  g->FormShow();
  EXPECT_TRUE(g->LockStateCheck1->isChecked());
  EXPECT_FALSE(g->tGlobalSetting->isEnabled());
  EXPECT_NE(Settings().find("Lock Settings=1"), std::string::npos);
}

TEST_F(SettingsWindows, SaveThatCannotBeWrittenReportsAndKeepsTheTabs) {
  ASSERT_TRUE(platform::MakeFolder(env.SettingsFile()));  // a folder where the file belongs
  TFGPS* g = CreateDeviceSettings();
  g->LockStateCheck1->setChecked(true);
  EXPECT_TRUE(Shown("Unable to write to"));
  EXPECT_TRUE(SettingsTabsEnabled(g, true));
  EXPECT_EQ(EventsLog(), "") << "the save ended before the summary";
}

// ---------------------------------------------------------------------------
// Device settings: sentence type and monitors
// ---------------------------------------------------------------------------

TEST_F(SettingsWindows, SentenceTypeHandler) {
  CreateMainWindow();
  TFGPS* g = CreateDeviceSettings();
  struct Row {
    const char* type;
    const char* format;
    bool lowFreqShown;
  };
  const Row rows[] = {
      {"Quarix XDR H/L", "%*8s,%lf,%*8s,%lf", true}, {"Quarix SMT", "%*8s,%lf,%lf", false},
      {"Quarix XDR LO", "%*8s,%*lf,%*8s,%lf", true}, {"NMEA DPT", "%*6s,%lf", false},
      {"NMEA DBT", "%*6s,%*lf,%*1s,%lf", false},    {"Quarix XDR HI", "%*8s,%lf", false},
      {"ODC HI", "%*42s,%lf", false},
  };
  for (const Row& r : rows) {
    g->cSBESMessage->setCurrentText(r.type);
    g->cSBESMessageChange();
    EXPECT_EQ(S(g->eSBESFormat->text()), r.format) << r.type;
    EXPECT_EQ(!fRealtime->DepthFrameLo->isHidden(), r.lowFreqShown) << r.type;
  }
  g->cSBESMessage->setCurrentText("Quarix XDR LO");
  g->cSBESMessageChange();
  g->cSBESMessage->setCurrentText("OTHER");
  g->cSBESMessageChange();
  EXPECT_EQ(g->eSBESFormat->text(), "");
  EXPECT_FALSE(fRealtime->DepthFrameLo->isHidden()) << "OTHER keeps the layout";
  g->eSBESFormat->setText("%lf");
  for (const char* unknown : {"quarix smt", "Other", ""}) {
    g->cSBESMessage->setCurrentText(unknown);
    g->cSBESMessageChange();
    EXPECT_EQ(g->eSBESFormat->text(), "%lf") << unknown;
  }
}

TEST_F(SettingsWindows, MonitorIsClearedPastOneHundredLinesAndWhenClosing) {
  TFGPS* g = CreateDeviceSettings();
  for (int i = 2; i <= 100; ++i) g->MemoGPS->appendPlainText(QString("$GPGGA,%1").arg(i));
  EXPECT_EQ(g->MemoGPS->document()->blockCount(), 100);
  g->MemoGPS->appendPlainText("$GPGGA,101");
  EXPECT_EQ(g->MemoGPS->toPlainText(), "");
  g->MemoGPS->appendPlainText("$GPGGA,102");
  EXPECT_EQ(g->MemoGPS->toPlainText(), "$GPGGA,102");

  bool canClose = false;
  g->FormCloseQuery(canClose);
  EXPECT_TRUE(canClose);
  EXPECT_EQ(g->MemoGPS->toPlainText(), "");
  EXPECT_EQ(g->MemoSensor->toPlainText(), "");
}

// ---------------------------------------------------------------------------
// Device settings and the main window
// ---------------------------------------------------------------------------

TEST_F(SettingsWindows, PortSettingsIntoTheSerialDevices) {
  CreateMainWindow();
  WriteSettings(
      "[GPS1 COMUNICATION SETTINGS]\r\nPort No=COM7\r\nBaud Rate=19200\r\nData Width=7\r\n"
      "Stop Bits=1.5\r\nParity=Odd\r\nPriority=Idle\r\nDelay=100\r\nNMEA LOG=True\r\n"
      "Log Time=False\r\nEnable DTR=False\r\nEnable RTS=True\r\n"
      "[SENSOR COMUNICATION SETTINGS]\r\nPort No=COM2\r\nBaud Rate=4800\r\nData Width=8\r\n"
      "Stop Bits=2\r\nDelay=\r\nNMEA LOG=True\r\n");
  TFGPS* g = CreateDeviceSettings();
  g->GPSSetClick();
  const TQuarixSerialGPS* gps = FNav->ZGPS1;
  EXPECT_EQ(gps->Port, 7);
  EXPECT_EQ(gps->BaudRate, 19200);
  EXPECT_EQ(gps->DataWidth, 3);
  EXPECT_EQ(gps->StopBits, 2);
  EXPECT_EQ(gps->Parity, 0);
  EXPECT_EQ(gps->Priority, 3);
  EXPECT_EQ(gps->Delay, 100);
  EXPECT_TRUE(gps->NMEALog);
  EXPECT_FALSE(gps->LogTime);
  EXPECT_FALSE(gps->EnableDTR);
  EXPECT_TRUE(gps->EnableRTS);
  EXPECT_EQ(gps->LogFileName, DayLogFolder + "2026-01-30 QDM_GNSS_V3.log");

  // The empty Delay stops the sounder's copy: the raw log stays unset.
  g->SensorSetClick();
  const TQuarixSerialGPS* snd = FNav->ZSENSOR;
  EXPECT_EQ(snd->Port, 2);
  EXPECT_EQ(snd->BaudRate, 4800);
  EXPECT_EQ(snd->DataWidth, 4);
  EXPECT_EQ(snd->StopBits, 3);
  EXPECT_EQ(snd->Delay, 50);
  EXPECT_FALSE(snd->NMEALog);
  EXPECT_EQ(snd->LogFileName, "");
  EXPECT_TRUE(prompts::CurrentScript().shown.empty()) << "no message";
}

TEST_F(SettingsWindows, EmptyPortBoxesSetPortOneAndStopAtTheBaudRate) {
  CreateMainWindow();
  TFGPS* g = CreateDeviceSettings();  // no settings file: every port box is empty
  TQuarixSerialGPS* gps = FNav->ZGPS1;
  gps->Port = 5;
  gps->BaudRate = 4800;
  gps->DataWidth = 2;
  gps->LogFileName = "before.log";
  g->GPSSetClick();
  EXPECT_EQ(gps->Port, 1);
  EXPECT_EQ(gps->BaudRate, 4800);
  EXPECT_EQ(gps->DataWidth, 2);
  EXPECT_EQ(gps->LogFileName, "before.log");
  EXPECT_TRUE(prompts::CurrentScript().shown.empty()) << "no message";
}

TEST_F(SettingsWindows, GridGoesIntoTheMap) {
  CreateMainWindow();
  WriteSettings("[GRID_SETTINGS]\r\nGridVisible=1\r\nAutoGrid=0\r\nGridSpacingX=0.0001\r\n"
                "GridSpacingY=abc\r\nGridColor=255\r\n");
  TFGPS* g = CreateDeviceSettings();
  TQuarixCanvas* map = FNav->fcad;
  EXPECT_TRUE(map->GridVisible);
  EXPECT_EQ(map->GridSpacingX, 0.0001) << "a tiny spacing is passed on; the map bounds its grid";
  EXPECT_EQ(map->GridSpacingY, 100.0);
  EXPECT_EQ(map->GridColor, clRed);

  g->cbAutoGrid->setChecked(true);
  EXPECT_EQ(map->GridSpacingX, 0.0);
  EXPECT_EQ(map->GridSpacingY, 0.0);
  EXPECT_FALSE(g->edGridSpacingX->isEnabled());
  EXPECT_EQ(GridSpacingX, 0.0001) << "the global keeps its value";
  g->edGridSpacingX->setText("abc");
  g->edGridSpacingY->setText("20");
  g->cbAutoGrid->setChecked(false);
  EXPECT_EQ(map->GridSpacingX, 100.0);
  EXPECT_EQ(map->GridSpacingY, 20.0);

  g->cbGridVisible->setChecked(false);
  EXPECT_FALSE(map->GridVisible);
  EXPECT_FALSE(GridVisible);
  g->cbGridColor->SetSelected(clLime);
  g->cbGridColorChange();
  EXPECT_EQ(map->GridColor, clLime);
  EXPECT_EQ(GridColor, clLime);

  // A showing copies the globals back into the map.
  map->GridSpacingX = 7;
  map->GridVisible = true;
  g->FormShow();
  EXPECT_EQ(map->GridSpacingX, 0.0001);
  EXPECT_FALSE(map->GridVisible);
}

TEST_F(SettingsWindows, LabelAndOverlayHandlers) {
  TFGPS* g = CreateDeviceSettings();
  g->edEventLabelFontSize->setText("18");
  EXPECT_EQ(EventLabelFontSize, 18);
  g->edEventLabelFontSize->setText("big");
  EXPECT_EQ(EventLabelFontSize, 24);
  g->edOverlayFontSize->setText("x");
  EXPECT_EQ(OverlayFontSize, 40);
  g->edOverlayFontSize->setText("55");
  EXPECT_EQ(OverlayFontSize, 55);
  g->cbShowDepthLabels->setChecked(false);
  EXPECT_FALSE(ShowDepthLabels);
  g->cbOverlaySpeedColor->SetSelected(clTeal);
  g->cbOverlaySpeedColorChange();
  EXPECT_EQ(OverlaySpeedColor, clTeal);
  g->cbEventLabelColor->SetSelected(0xFF00000F);
  g->cbEventLabelColorChange();
  EXPECT_EQ(EventLabelColor, 0xFF00000Fu);
  // Label spacing and font have no handler of their own.
  g->edDepthLabelFontSize->setText("20");
  EXPECT_EQ(DepthLabelFontSize, 12);
  g->ApplyDisplaySettings();
  EXPECT_EQ(DepthLabelFontSize, 20);
}

TEST_F(SettingsWindows, ScreenshotIntervalDrivesTheTimer) {
  CreateMainWindow();
  TFGPS* g = CreateDeviceSettings();
  QTimer* timer = FNav->tScreenshot;
  struct Row {
    const char* text;
    bool active;
    int interval;
  };
  const Row rows[] = {{"30", true, 30000}, {"0", false, 0}, {"abc", true, 60000}, {"-5", false, 0}, {"1", true, 1000}};
  for (const Row& r : rows) {
    g->eScreenshotInterval->setText(r.text);
    EXPECT_EQ(timer->isActive(), r.active) << r.text;
    if (r.active) {
      EXPECT_EQ(timer->interval(), r.interval) << r.text;
    }
  }
  timer->stop();
  g->eScreenshotIntervalChange(g->edOverlayFontSize);  // another sender does nothing
  EXPECT_FALSE(timer->isActive());
}

TEST_F(SettingsWindows, MemoMouseHoldsTheEcho) {
  CreateMainWindow();
  TFGPS* g = CreateDeviceSettings();
  FNav->EchoToMonitor = true;
  g->MemoGPSMouseDown();
  EXPECT_FALSE(FNav->EchoToMonitor);
  g->MemoGPSMouseUp();
  EXPECT_TRUE(FNav->EchoToMonitor);
}

// ---------------------------------------------------------------------------
// Navigation settings
// ---------------------------------------------------------------------------

TEST_F(SettingsWindows, NavigationSettingsWithoutSettingsFile) {
  Navset = new TNavset();
  EXPECT_TRUE(Navset->isVisible());
  EXPECT_EQ(Navset->VesselWidth->text(), "3");
  EXPECT_EQ(Navset->TrackWidth->text(), "3");
  EXPECT_EQ(Navset->TrackDistance->text(), "20");
  EXPECT_EQ(Navset->edDepthAlert1->text(), "1");
  EXPECT_TRUE(Navset->cLineOrDot->isChecked());
  // Missing colour keys keep the boxes' colours of creation.
  EXPECT_EQ(Navset->VesselColor->Selected(), clNavy);
  EXPECT_EQ(Navset->fcadColor->Selected(), clWhite);
  EXPECT_EQ(Navset->ColorTracklines1->Selected(), clGreen);
  EXPECT_EQ(Navset->ColorTracklines0->Selected(), clYellow);
  EXPECT_EQ(Navset->eVesselUpdateRate->text(), "500");
}

TEST_F(SettingsWindows, NavigationSettingsCloseStoresAndShowLoads) {
  Navset = new TNavset();
  Navset->VesselColor->SetSelected(clNavy);
  Navset->fcadColor->SetSelected(clWhite);
  Navset->TrackWidth->setText("5");
  Navset->TrackDistance->setText("35");
  Navset->cLineOrDot->setChecked(false);
  Navset->edDepthAlert1->setText("2.5");
  Navset->close();
  EXPECT_FALSE(Navset->isVisible());
  const std::string file = Settings();
  EXPECT_NE(file.find("[NAVIGATION_SETTINGS]\r\nVesselWidth=3\r\nTrackWidth=5\r\nTrackDistance=35\r\n"
                      "VesselColor=8388608\r\nColorTracklines1=32768\r\nColorTracklines0=65535\r\n"
                      "BackgroundColor=16777215\r\ncLineOrDot=0\r\nedDepthAlert=2.5\r\n"),
            std::string::npos)
      << file;
  EXPECT_NE(file.find("[Navset]\r\nWindowState=0\r\n"), std::string::npos);

  Navset->TrackWidth->setText("9");
  Navset->VesselColor->SetSelected(clRed);
  Navset->show();
  EXPECT_EQ(Navset->TrackWidth->text(), "5");
  EXPECT_EQ(Navset->VesselColor->Selected(), clNavy);
  EXPECT_FALSE(Navset->cLineOrDot->isChecked());
}

TEST_F(SettingsWindows, NavigationSettingsEditsRefillWhenCleared) {
  Navset = new TNavset();
  Navset->VesselWidth->setText("");
  EXPECT_EQ(Navset->VesselWidth->text(), "2");
  Navset->TrackWidth->setText("");
  EXPECT_EQ(Navset->TrackWidth->text(), "2");
  Navset->TrackDistance->setText("");
  EXPECT_EQ(Navset->TrackDistance->text(), "1");
  Navset->edDepthAlert1->setText("");
  EXPECT_EQ(Navset->edDepthAlert1->text(), "0");

  // The width and distance edits take digits only.
  for (QLineEdit* edit : {Navset->VesselWidth, Navset->TrackWidth, Navset->TrackDistance}) {
    for (const char* text : {"1a", "-1", "2.5"}) {
      QString s = text;
      int pos = 0;
      EXPECT_EQ(edit->validator()->validate(s, pos), QValidator::Invalid) << text;
    }
  }
  QString tooLong = "123";
  int pos = 0;
  EXPECT_EQ(Navset->TrackWidth->validator()->validate(tooLong, pos), QValidator::Invalid);
}

TEST_F(SettingsWindows, NavigationSettingsIgnoreStoredWidthsTheEditsWouldReject) {
  WriteSettings("[NAVIGATION_SETTINGS]\r\nTrackWidth=ab\r\nVesselWidth=4\r\n");
  Navset = new TNavset();
  EXPECT_EQ(Navset->TrackWidth->text(), "3");
  EXPECT_EQ(Navset->VesselWidth->text(), "4");
  EXPECT_TRUE(prompts::CurrentScript().shown.empty());
}

TEST_F(SettingsWindows, NavigationSettingsOnTheMap) {
  CreateMainWindow();
  TQuarixCanvas* map = FNav->fcad;
  const int vessel = map->LayerOpen("~~Quarix Vessel");
  const int fix = map->LayerOpen("track_fix");
  const int flt = map->LayerOpen("track_float");
  const int nofix = map->LayerOpen("track_nofix");
  WriteSettings("[NAVIGATION_SETTINGS]\r\nVesselWidth=6\r\nTrackWidth=4\r\nBackgroundColor=255\r\n"
                "VesselColor=65280\r\n");
  const TColor back = map->BackColor;
  const TColor vesselPen = map->GetLayerPenFg(vessel);
  Navset = new TNavset();
  EXPECT_EQ(map->GetLayerPenWidth(vessel), 6) << "loaded widths reach the layers";
  for (int layer : {fix, flt, nofix}) EXPECT_EQ(map->GetLayerPenWidth(layer), 4);
  EXPECT_EQ(map->BackColor, back) << "loading a colour box runs no handler";
  EXPECT_EQ(map->GetLayerPenFg(vessel), vesselPen);

  Navset->TrackWidth->setText("");
  for (int layer : {fix, flt, nofix}) EXPECT_EQ(map->GetLayerPenWidth(layer), 2);
  Navset->fcadColor->SetSelected(clAqua);
  Navset->fcadColorChange();
  EXPECT_EQ(map->BackColor, clAqua);
  Navset->VesselColor->SetSelected(clFuchsia);
  Navset->VesselColorChange();
  EXPECT_EQ(map->GetLayerPenFg(vessel), clFuchsia);

  // The map timer's interval.
  struct Row {
    const char* text;
    int interval;
  };
  for (const Row& r : {Row{"", 500}, Row{"20", 50}, Row{"7000", 7000}, Row{"50", 50}}) {
    Navset->eVesselUpdateRate->setText(r.text);
    EXPECT_EQ(FNav->tMap->interval(), r.interval) << r.text;
  }
  Navset->eVesselUpdateRate->setText("abc");
  EXPECT_EQ(FNav->tMap->interval(), 50) << "the interval stays";
  EXPECT_TRUE(Shown("'abc' is not a valid integer value"));
}

}  // namespace
