// The small run-time windows, the planning windows' members the main window
// uses, and the fixed map layers.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "app/settingsfile.h"
#include "canvas/QuarixCanvas.h"
#include "platform/prompts.h"
#include "tests/runtime/formsfixture.h"
#include "ui/QuarixTranslation.h"

namespace {

TEST(LatencyWindow, ColourAgainstTheToleranceAndTheStoredTolerance) {
  TempEnv env;
  IniFile().WriteInteger("LATENCY", "eLatencyTol", 300);
  TfLatency w;
  EXPECT_EQ(w.eLatencyTol->text(), "300");
  EXPECT_FALSE(w.eCurrentLatency->isEnabled());
  EXPECT_FALSE(w.eLatencyAveraged->isEnabled());
  EXPECT_EQ(w.gLatency->title(), "Latency (milisecond)");

  w.eLatencyTol->setText("500");
  w.eCurrentLatency->setText("499");
  EXPECT_EQ(w.GroupColor(), clLime);
  EXPECT_EQ(w.gLatency->palette().color(QPalette::Window), ToQColor(clLime));
  w.eCurrentLatency->setText("500");
  EXPECT_EQ(w.GroupColor(), clRed);

  // Letters in the tolerance leave the colour and show nothing.
  w.eLatencyTol->setText("5o0");
  w.eCurrentLatency->setText("12");
  EXPECT_EQ(w.GroupColor(), clRed);
  EXPECT_TRUE(prompts::CurrentScript().shown.empty());

  // Every keystroke in the tolerance is stored as typed.
  EXPECT_EQ(IniFile().ReadString("LATENCY", "eLatencyTol", ""), "5o0");
  w.eLatencyTol->setText("750");
  EXPECT_EQ(IniFile().ReadString("LATENCY", "eLatencyTol", ""), "750");
}

TEST(LatencyWindow, ToleranceDefaultsTo500) {
  TempEnv env;
  TfLatency w;
  EXPECT_EQ(w.eLatencyTol->text(), "500");
}

TEST(MessageWindow, HidesFourSecondsAfterShowingAndOnAClick) {
  TempEnv env;
  TFMsg w;
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(w.Timer1->isActive());
  w.AddLine("GPS Connected");
  w.show();
  EXPECT_TRUE(w.Timer1->isActive());
  EXPECT_EQ(w.Timer1->interval(), 4000);
  w.Timer1Timer();
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(w.Timer1->isActive());
  EXPECT_EQ(w.Msg->toPlainText(), "GPS Connected");  // hiding keeps the lines

  w.show();
  w.MsgClick();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.Msg->toPlainText(), "");
}

TEST(RealtimeWindow, LowFrequencyDepthBoxSetsTheHeightOnlyWhenItChanges) {
  TempEnv env;
  TfRealtime w;
  EXPECT_EQ(w.size(), QSize(192, 382));
  EXPECT_FALSE(w.DepthFrameLo->isHidden());
  w.HideLowFreqDepth();
  EXPECT_EQ(w.height(), 289);
  w.SetClientHeight(250);
  w.HideLowFreqDepth();
  EXPECT_EQ(w.height(), 250);
  w.ShowLowFreqDepth();
  EXPECT_EQ(w.height(), 387);
  w.SetClientHeight(200);
  w.ShowLowFreqDepth();
  EXPECT_EQ(w.height(), 200);
  EXPECT_EQ(w.lDepthHi->text(), "---");
  EXPECT_EQ(w.Speed->text(), "---");
}

TEST(RealtimeWindow, ShownAtItsSavedPositionWithItsDesignSize) {
  TempEnv env;
  IniFile ini;
  ini.WriteInteger("fRealtime", "Left", 100);
  ini.WriteInteger("fRealtime", "Top", 50);
  ini.WriteInteger("fRealtime", "Width", 600);
  ini.WriteInteger("fRealtime", "Height", 600);
  TfRealtime w;
  w.show();
  EXPECT_EQ(w.pos(), QPoint(100, 50));
  EXPECT_EQ(w.size(), QSize(192, 382));
}

using SmallWindows = FormsTest;

TEST_F(SmallWindows, RealtimeTimerRunsTheSentenceTypeHandlerOnce) {
  Start();
  EXPECT_TRUE(fRealtime->Timer1->isActive());
  EXPECT_EQ(fRealtime->Timer1->interval(), 10000);
  EXPECT_TRUE(fRealtime->Timer1->isSingleShot());
  FGPS->eSBESFormat->setText("%lf");
  FGPS->cSBESMessage->setCurrentText("NMEA DBT");
  fRealtime->Timer1Timer();
  EXPECT_NE(FGPS->eSBESFormat->text(), "%lf");
  EXPECT_FALSE(fRealtime->Timer1->isActive());
}

TEST_F(SmallWindows, BatteryWindowHidesForEveryTypeButQuarixSmt) {
  Start();
  EXPECT_TRUE(fJoystick->Timer1->isActive());
  EXPECT_EQ(fJoystick->Timer1->interval(), 1000);
  EXPECT_EQ(fJoystick->size(), QSize(131, 42));
  FGPS->cSBESMessage->setCurrentText("Quarix SMT");
  fJoystick->Timer1Timer();
  EXPECT_TRUE(fJoystick->isVisible());
  FGPS->cSBESMessage->setCurrentText("NMEA DBT");
  fJoystick->Timer1Timer();
  EXPECT_FALSE(fJoystick->isVisible());
  FGPS->cSBESMessage->setCurrentText("Quarix SMT");
  fJoystick->Timer1Timer();
  EXPECT_FALSE(fJoystick->isVisible());  // nothing here shows it again
}

TEST_F(SmallWindows, SoundVelocitySwitchWritesIntoTheOffsetsWindow) {
  Start();
  fSVP->cUseSVP->setChecked(true);  // empty column
  EXPECT_FALSE(fSVP->cUseSVP->isChecked());
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
  EXPECT_EQ(prompts::CurrentScript().shown[0], "SVP Column is empty. Please load or create an SVP profile first.");
  EXPECT_EQ(Offsets->bSVP->text(), "Single SV Used");
  EXPECT_TRUE(Offsets->SV->isEnabled());

  fSVP->mSVPColumn->setPlainText("1500.00\n1500.40");
  fSVP->cUseSVP->setChecked(true);
  EXPECT_TRUE(fSVP->cUseSVP->isChecked());
  EXPECT_FALSE(Offsets->SV->isEnabled());
  EXPECT_EQ(Offsets->bSVP->text(), "SVP Profile Used");

  Translation->SetLanguage("de");  // any language but English gives the Turkish texts
  fSVP->cUseSVP->setChecked(false);
  EXPECT_EQ(Offsets->bSVP->text(), "Tek Ses Hızı Değeri");
  fSVP->cUseSVP->setChecked(true);
  EXPECT_EQ(Offsets->bSVP->text(), "Ses Hızı Profili Devrede");
  Translation->SetLanguage("en");
}

TEST_F(SmallWindows, RunlineRouteStatus) {
  Start();
  EXPECT_EQ(fRunline1->lRouteStatus->text(), "No route drawn");
  fRunline1->SetRoute({{0, 0}});
  EXPECT_EQ(fRunline1->lRouteStatus->text(), "Need at least 2 points");
  EXPECT_EQ(fRunline1->lRouteStatus->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_FALSE(fRunline1->RouteReady);
  fRunline1->SetRoute({{0, 0}, {10, 0}, {10, 10}});
  EXPECT_EQ(fRunline1->lRouteStatus->text(), "Route: 3 points");
  EXPECT_EQ(fRunline1->lRouteStatus->palette().color(QPalette::WindowText), QColor(0, 128, 0));
  EXPECT_TRUE(fRunline1->RouteReady);
  EXPECT_EQ(fRunline1->RoutePoints.size(), 3u);
}

TEST(VesselGeometry, EditsFromTheSettingsFile) {
  {
    TempEnv env;
    TFShape w;
    EXPECT_EQ(w.edRadious->text(), "10");
    EXPECT_EQ(w.edInterval->text(), "10");
    EXPECT_EQ(w.edAmount->text(), "2");
    EXPECT_EQ(w.edLArrow->text(), "0");
    EXPECT_EQ(w.edBArrow->text(), "100");
  }
  {
    TempEnv env;
    IniFile ini;
    ini.WriteString("VESSEL_SHAPE", "Radious of first circle", "12.5");
    ini.WriteString("VESSEL_SHAPE", "Number of circles", "three");
    ini.WriteString("VESSEL_SHAPE", "Arrow length to bow", "40");
    TFShape w;
    EXPECT_EQ(w.edRadious->text(), "12.5");
    EXPECT_EQ(w.edAmount->text(), "2");
    EXPECT_EQ(w.edBArrow->text(), "40");
  }
}

TEST(VesselGeometry, SaveAndHideTellsASettingsFileThatCannotBeWritten) {
  TempEnv env;
  TFShape w;
  w.show();
  w.edRadious->setText("7");
  w.BitBtn1Click();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(IniFile().ReadString("VESSEL_SHAPE", "Radious of first circle", ""), "7");
  EXPECT_TRUE(prompts::CurrentScript().shown.empty());
  // A folder in the settings file's place: nothing is stored, the user is
  // told, and the window stays for another try.
  ASSERT_TRUE(QFile::remove(QString::fromStdString(env.SettingsFile())));
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(env.SettingsFile())));
  w.show();
  w.BitBtn1Click();
  EXPECT_TRUE(w.isVisible());
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
  EXPECT_EQ(prompts::CurrentScript().shown[0].toStdString(),
            "The vessel geometry could not be stored: the settings file " + env.SettingsFile() +
                " could not be written.");
}

TEST(FixedLayers, OpenedOnceInTheirOrder) {
  TempEnv env;
  TQuarixCanvas map;
  OpenFixedLayers(&map);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(map.LayerFindByName(kFixedLayerNames[i]), i + 1) << kFixedLayerNames[i];
  EXPECT_EQ(GridLayer, 1);
  EXPECT_EQ(UserShapeLayer, 6);
  EXPECT_EQ(EventNumberLayer, 7);
  EXPECT_EQ(VesselLayer, 8);
  EXPECT_EQ(map.CurrentLayer, 8);

  map.CurrentLayer = 3;
  OpenFixedLayers(&map);
  EXPECT_EQ(map.CurrentLayer, 3);
  EXPECT_EQ(map.Layers.size(), 9u);
  OpenFixedLayers(nullptr);
}

TEST(FixedLayers, AnExistingLayerKeepsItsNumberAndShapes) {
  TempEnv env;
  TQuarixCanvas map;
  const int track = map.LayerOpen("track_fix");
  map.DrawPoint(5, 5, track);
  map.LayerOpen("somebody's layer");
  OpenFixedLayers(&map);
  EXPECT_EQ(map.LayerFindByName("track_fix"), track);
  EXPECT_EQ(map.ShapeCount, 1);
  EXPECT_EQ(GridLayer, 3);
  EXPECT_EQ(VesselLayer, 9);
  EXPECT_EQ(map.Layers.size(), 10u);
}

}  // namespace
