// The main window's echogram timer with the echo-sounder watchdog, the
// echogram command, event marks and the screenshot timer, on Qt's offscreen
// platform with the echo sounder on a pseudo-terminal and an injected tick clock.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/color.h"
#include "app/settingsfile.h"
#include "canvas/QuarixCanvas.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "devices/QuarixSerialGPS.h"
#include "tests/platform/ptypair.h"
#include "tests/runtime/formsfixture.h"

namespace {

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

class EchogramAndMarks : public FormsTest {
 protected:
  void SetUp() override {
    prompts::CurrentScript() = {};
    ASSERT_TRUE(sounder.Ok());
    IniFile().WriteString("SERIAL_PORT_MAP", "COM6", sounder.DevicePath());
    IniFile ini;  // the accepted offsets: SV 1500, no draft
    offsets::WriteSection(ini, {"0", "0", "0", "1500", "0", "Harbour", "Launch", "Surveyor", ""});
    platform::SetTickSource([this] { return now; });
    Start();
  }
  void TearDown() override {
    platform::SetTickSource({});
    FormsTest::TearDown();
  }

  // Starts the survey with the echo sounder (NMEA DPT) at the current tick.
  void StartWithSounder() {
    FGPS->Port->setCurrentText("COM200");  // no receiver
    FGPS->SPort->setCurrentText("COM6");
    FGPS->SensorEnabled->setChecked(true);
    FGPS->cSBESMessage->setCurrentText("NMEA DPT");
    FGPS->cSBESMessageChange();
    FNav->RealtimeClick();
    ASSERT_TRUE(FNav->ZSENSOR->Active);
    ASSERT_EQ(SounderOpenTick, now);
  }
  void DepthLine(const char* line = "$SDDPT,12.34,0.5*56") { FNav->ZSENSORNewCommand(FNav->ZSENSOR, line); }
  void Tick(uint32_t at) {
    now = at;
    FNav->tEchogramTimer(FNav->tEchogram);
  }
  static TColor FrameColour(QGroupBox* frame) { return FromQColor(frame->palette().color(QPalette::Window)); }
  size_t TimeoutReports() const { return Count(FMsg->Msg->toPlainText().toStdString(), "Sensor TimeOut."); }

  PtyPair sounder;
  uint32_t now = 1000;
};

TEST_F(EchogramAndMarks, WatchdogReportsASilentSounderOncePerSilence) {
  StartWithSounder();
  Tick(6000);
  EXPECT_EQ(TimeoutReports(), 0u);
  Tick(6001);  // more than 5 s after opening without a line
  EXPECT_EQ(TimeoutReports(), 1u);
  EXPECT_TRUE(SounderTimeoutReported);
  EXPECT_FALSE(fWaterfal->isVisible());
  EXPECT_EQ(FrameColour(fRealtime->DepthFrameHi), clRed);
  EXPECT_EQ(FrameColour(fRealtime->DepthFrameLo), clRed);
  EXPECT_EQ(Count(EventsLog(), "\tSensor TimeOut."), 1u);
  Tick(20000);
  EXPECT_EQ(TimeoutReports(), 1u);

  now = 21000;
  DepthLine();
  EXPECT_FALSE(SounderTimeoutReported);
  EXPECT_TRUE(SounderDataSeen);
  EXPECT_EQ(FrameColour(fRealtime->DepthFrameHi), clLime);
  EXPECT_TRUE(fWaterfal->isVisible());
  Tick(26000);
  EXPECT_EQ(TimeoutReports(), 1u);
  Tick(26001);  // the next silence is reported again
  EXPECT_EQ(TimeoutReports(), 2u);
  EXPECT_EQ(FrameColour(fRealtime->DepthFrameHi), clRed);

  // Stopping the survey disarms it.
  FNav->RealtimeClick();
  Tick(90000);
  EXPECT_EQ(TimeoutReports(), 2u);
}

TEST_F(EchogramAndMarks, TheTimerDrawsOneSamplePerNewDepthWhileTheEchogramShows) {
  FNav->Echogram1->trigger();  // sounder not connected
  ASSERT_FALSE(prompts::CurrentScript().shown.empty());
  EXPECT_EQ(prompts::CurrentScript().shown.back(), "Sensor is not connected. Connect sensor to view waterfall.");
  EXPECT_FALSE(fWaterfal->isVisible());

  StartWithSounder();
  FNav->Echogram1->trigger();
  ASSERT_TRUE(fWaterfal->isVisible());
  EXPECT_EQ(FNav->tEchogram->interval(), fWaterfal->Interval);
  const int last = fWaterfal->DataWidth - 1;

  DepthLine("$SDDPT,12.34,0.5*56");
  EXPECT_TRUE(NewDepthAvailable);
  const double depth = TrueDepthHi;
  EXPECT_GT(depth, 0);
  Tick(1200);
  EXPECT_FALSE(NewDepthAvailable);
  EXPECT_EQ(fWaterfal->History.Depths()[last], depth);
  Tick(1400);  // no new depth: nothing moves
  EXPECT_EQ(fWaterfal->History.Depths()[last], depth);
  EXPECT_EQ(fWaterfal->History.Depths()[last - 1], 0.0);

  fWaterfal->hide();  // hidden: not sampled
  DepthLine("$SDDPT,20.00,0.5*50");
  Tick(1600);
  EXPECT_FALSE(NewDepthAvailable);
  EXPECT_EQ(fWaterfal->History.Depths()[last], depth);
}

TEST_F(EchogramAndMarks, F12AfterASoundingMarksAnEventAndResetRestartsTheNumbering) {
  StartWithSounder();
  DepthLine();
  const std::string hi = fRealtime->lDepthHi->text().toStdString();
  const std::string lo = fRealtime->lDepthLo->text().toStdString();
  EXPECT_NE(hi, "---");
  GridEasting = 500123.456;
  GridNorthing = 4400123.0;
  GridHeading = 87.5;

  FNav->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(FNav));
  QTest::keyClick(FNav, Qt::Key_F12);
  EXPECT_EQ(IniFile().ReadInteger("EVENTS", "Event Number", 0), 1);
  const std::string line = "\r\nEvent No:1,Date & Time:2026-01-30 143512345,Easting:500123.46,Northing:4400123.00,"
                           "True Depth:" + hi + ",True Depth:" + lo + ",Heading:87.50";
  EXPECT_NE(EventsLog().find(line), std::string::npos) << EventsLog();
  ASSERT_EQ(FNav->fcad->EventLabels.size(), 1u);
  EXPECT_EQ(FNav->fcad->EventLabels[0].X, 500123.456);
  EXPECT_EQ(FNav->fcad->EventLabels[0].EventNumber, 1);

  FNav->btEventAdd->click();
  EXPECT_EQ(IniFile().ReadInteger("EVENTS", "Event Number", 0), 2);

  prompts::CurrentScript().answers = {prompts::Answer::No};
  FNav->btEventReset->click();
  EXPECT_EQ(IniFile().ReadInteger("EVENTS", "Event Number", 0), 2);
  prompts::CurrentScript().answers = {prompts::Answer::Yes};
  FNav->btEventReset->click();
  EXPECT_EQ(prompts::CurrentScript().shown.back(), "Event ID will restart from 1 again. Continue?");
  EXPECT_EQ(IniFile().ReadInteger("EVENTS", "Event Number", -1), 0);
  EXPECT_EQ(Count(EventsLog(), "\tEvent number was reset."), 1u);
  FNav->MarkEvent1->trigger();
  EXPECT_EQ(IniFile().ReadInteger("EVENTS", "Event Number", 0), 1);
  EXPECT_EQ(Count(EventsLog(), "Event No:1,"), 2u);
  EXPECT_EQ(FNav->fcad->EventLabels.size(), 3u);  // the labels stay
}

TEST_F(EchogramAndMarks, ScreenshotTimerSavesEveryScreen) {
  FNav->tScreenshotTimer(FNav->tScreenshot);
  FNav->Screenshots.WaitForPictures();
  const std::string file = DayFolder + "PNG/QDM 2026-01-30 143512 Primary.png";
  EXPECT_TRUE(platform::FileExists(file)) << file;
}

}  // namespace
