// Colours the program sets for a state come with text that reads on them, and
// a control that leaves its state follows the theme again, whichever theme is
// chosen afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include "app/color.h"
#include "app/themes.h"
#include "devices/QuarixSerialGPS.h"
#include "tests/runtime/formsfixture.h"
#include "ui/uTheme.h"

namespace {

constexpr double kReadable = 4.5;  // contrast ratio of normal text that reads well

const char* const kDarkThemes[] = {"Dark", "Bridge Night", "Ember"};

// The text of a tool-bar button against what it is drawn on: its own face, or
// the bar where it is raised only under the mouse.
double ButtonContrast(const QToolButton* b) {
  const QPalette& p = b->palette();
  const QColor background = b->autoRaise() ? b->parentWidget()->palette().color(QPalette::Window)
                                           : p.color(QPalette::Button);
  return ContrastRatio(p.color(QPalette::ButtonText), background);
}

// Applies a theme and lets every window take it up.
bool Theme(const std::string& name) {
  const bool ok = ApplyTheme(name);
  QApplication::processEvents();
  return ok;
}

double LabelContrast(const QLabel* l, const QWidget* box) {
  return ContrastRatio(l->palette().color(QPalette::WindowText), box->palette().color(QPalette::Window));
}

class StateColours : public FormsTest {
 protected:
  void TearDown() override {
    ApplyTheme(kDefaultStyleName);
    FormsTest::TearDown();
  }

  static void ExpectToolBarReadable(const std::string& theme) {
    for (auto* b : FNav->tRealtime->findChildren<QToolButton*>()) {
      if (b->isHidden() || b->text().isEmpty() || b->objectName().startsWith("qt_")) continue;
      EXPECT_GE(ButtonContrast(b), kReadable) << theme << " " << b->objectName().toStdString();
    }
  }
};

TEST(Contrast, RatiosAndReadableText) {
  EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(Qt::red, Qt::red), 1.0, 1e-9);
  const struct {
    TColor background;
    QColor text;
  } cases[] = {{clGreen, Qt::white}, {clLime, Qt::black}, {clRed, Qt::black}, {clNavy, Qt::white},
               {clYellow, Qt::black}, {clAqua, Qt::black}, {clWhite, Qt::black}, {clBlack, Qt::white}};
  for (const auto& c : cases) {
    EXPECT_EQ(ReadableTextColour(ToQColor(c.background)), c.text) << c.background;
    EXPECT_GE(ContrastRatio(ReadableTextColour(ToQColor(c.background)), ToQColor(c.background)), kReadable);
  }
}

TEST_F(StateColours, ToolBarStaysReadableWhenTheThemeChangesAfterStop) {
  Start();
  FNav->Realtime->click();  // recording: a green bar with white text
  ASSERT_TRUE(FNav->Realtime->isChecked());
  EXPECT_EQ(FNav->tRealtime->palette().color(QPalette::Window), ToQColor(clGreen));
  for (const char* theme : kDarkThemes) {
    ASSERT_TRUE(Theme(theme));
    EXPECT_EQ(FNav->tRealtime->palette().color(QPalette::Window), ToQColor(clGreen)) << theme;
    ExpectToolBarReadable(theme);
  }

  ASSERT_TRUE(Theme("Light"));
  FNav->Realtime->click();  // stopped under a light theme
  ASSERT_FALSE(FNav->Realtime->isChecked());
  EXPECT_EQ(FNav->Realtime->palette().color(QPalette::ButtonText), ToQColor(clNavy));
  for (const std::string& theme : ThemeNames()) {
    ASSERT_TRUE(Theme(theme));
    const QPalette themed = QApplication::palette(FNav->tRealtime);
    EXPECT_EQ(FNav->tRealtime->palette().color(QPalette::Window), themed.color(QPalette::Window)) << theme;
    ExpectToolBarReadable(theme);
  }
  // The survey button's navy comes back with a theme it reads on.
  ASSERT_TRUE(Theme("Sky"));
  EXPECT_EQ(FNav->Realtime->palette().color(QPalette::ButtonText), ToQColor(clNavy));
}

TEST_F(StateColours, RealtimeBoxesAndLatencyReadInEveryState) {
  Start();
  for (const char* theme : kDarkThemes) {
    ASSERT_TRUE(Theme(theme));
    // The realtime window is white in every theme, with text that reads on it.
    EXPECT_EQ(fRealtime->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_GE(LabelContrast(fRealtime->Fixed, fRealtime->GPSGroupBox), kReadable) << theme;
    for (int quality : {4, 2, 5, 1}) {  // lime, aqua, yellow, red: the receiver's fix colours
      FNav->ZGPS1->FixQuality = quality;
      FNav->ZGPS1NewCommand(FNav->ZGPS1, "$GPZDA,120000.00,30,01,2026,00,00*61");
      ASSERT_EQ(ShownFixQuality, quality);
      for (QLabel* l :
           {fRealtime->Fixed, fRealtime->SatelliteLabel, fRealtime->Speed, fRealtime->LAntennaH, fRealtime->LTideHt})
        EXPECT_GE(LabelContrast(l, fRealtime->GPSGroupBox), kReadable) << theme << " " << quality;
    }
    EXPECT_GE(LabelContrast(fRealtime->lDepthHi, fRealtime->DepthFrameHi), kReadable) << theme;
    EXPECT_GE(LabelContrast(fRealtime->lDepthLo, fRealtime->DepthFrameLo), kReadable) << theme;

    fLatency->eLatencyTol->setText("500");
    for (const char* current : {"120", "800"}) {  // lime, then red
      fLatency->eCurrentLatency->setText(current);
      for (QLabel* l : fLatency->gLatency->findChildren<QLabel*>())
        EXPECT_GE(LabelContrast(l, fLatency->gLatency), kReadable) << theme << " " << current;
    }
  }
}

TEST_F(StateColours, StopGivesTheGnssBoxBackToTheTheme) {
  Start();
  FNav->Realtime->click();
  FNav->ZGPS1Idle(FNav->ZGPS1);  // red
  ASSERT_EQ(fRealtime->GPSGroupBox->palette().color(QPalette::Window), ToQColor(clRed));
  EXPECT_GE(LabelContrast(fRealtime->LTideHt, fRealtime->GPSGroupBox), kReadable);
  FNav->Realtime->click();
  // The tide height has its teal again.
  EXPECT_EQ(fRealtime->LTideHt->palette().color(QPalette::WindowText), ToQColor(clTeal));
  ASSERT_TRUE(Theme("Dark"));
  EXPECT_EQ(fRealtime->GPSGroupBox->palette().color(QPalette::Window),
            QApplication::palette(fRealtime->GPSGroupBox).color(QPalette::Window));
  EXPECT_GE(LabelContrast(fRealtime->Fixed, fRealtime->GPSGroupBox), kReadable);
}

// A preview in the theme window, then one of its buttons, while RTK fixes keep
// arriving (no change of fix quality): every box keeps the colour its state
// gives, with text that reads on it.
TEST_F(StateColours, ThemePreviewKeepsEveryStateColour) {
  Start();
  ASSERT_TRUE(Theme("Light"));  // the style of a first start
  FNav->ZGPS1->FixQuality = 4;
  const auto rtkFix = [] { FNav->ZGPS1NewCommand(FNav->ZGPS1, "$GPZDA,120000.00,30,01,2026,00,00*00"); };
  rtkFix();
  ASSERT_EQ(fRealtime->GPSGroupBox->palette().color(QPalette::Window), ToQColor(clLime));
  const auto expectStateColours = [](const char* step) {
    EXPECT_EQ(fRealtime->GPSGroupBox->palette().color(QPalette::Window), ToQColor(clLime)) << step;
    EXPECT_GE(LabelContrast(fRealtime->Fixed, fRealtime->GPSGroupBox), kReadable) << step;
    EXPECT_EQ(fRealtime->DepthFrameHi->palette().color(QPalette::Window), ToQColor(clLime)) << step;
    EXPECT_EQ(fRealtime->DepthFrameLo->palette().color(QPalette::Window), ToQColor(clYellow)) << step;
    EXPECT_EQ(fRealtime->palette().color(QPalette::Window), QColor(Qt::white)) << step;
  };
  for (QPushButton* button : {fTheme->bCancel, fTheme->bSaveExit, fTheme->bCancel}) {
    fTheme->show();
    for (const char* preview : {"Dark", "Ember"}) {
      fTheme->lbThemeList->setCurrentRow(fTheme->lbThemeList->row(fTheme->lbThemeList->findItems(preview, Qt::MatchExactly)[0]));
      QApplication::processEvents();
      rtkFix();
      expectStateColours(preview);
    }
    button->click();
    QApplication::processEvents();
    rtkFix();
    expectStateColours(button->objectName().toUtf8().constData());
  }
}

}  // namespace
