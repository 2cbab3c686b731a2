// The theme window: listing, previewing, recording and cancelling styles.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QStyle>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/color.h"
#include "app/settingsfile.h"
#include "app/themes.h"
#include "canvas/QuarixCanvas.h"
#include "platform/prompts.h"
#include "tests/runtime/formsfixture.h"
#include "tests/support/tempenv.h"
#include "ui/uTheme.h"

namespace {

int RowOf(const QListWidget* list, const std::string& name) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text().toStdString() == name) return i;
  return -1;
}

TColor PanelOf(const std::string& style) { return FromQColor(ThemePanelColor(style)); }

// The window on its own, without the main window.
class ThemeWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyTheme("Light");
    window = new TfTheme();
  }
  void TearDown() override {
    delete window;
    ApplyTheme(kDefaultStyleName);
  }
  // The user clicking a style in the list.
  void Pick(const std::string& name) {
    const int row = RowOf(window->lbThemeList, name);
    ASSERT_GE(row, 0) << name;
    window->lbThemeList->setCurrentRow(row);
  }
  std::string Recorded() const { return IniFile().ReadString("APPLICATION", "ThemeStyle", "<none>"); }

  TempEnv env;
  TfTheme* window = nullptr;
};

// The window with the whole program around it.
class ThemeWithMap : public FormsTest {
 protected:
  void TearDown() override {
    FormsTest::TearDown();
    ApplyTheme(kDefaultStyleName);
  }
};

}  // namespace

TEST_F(ThemeWindow, ShowingListsTheStylesWithTheActiveOneSelected) {
  EXPECT_EQ(window->windowTitle(), "Theme Selection");
  EXPECT_EQ(window->lInfo->text(), "Available themes: 0. Select to preview.");
  const std::vector<std::string> names = ThemeNames();
  for (const char* active : {"Dark", kDefaultStyleName}) {
    ApplyTheme(active);
    window->show();
    ASSERT_EQ(window->lbThemeList->count(), static_cast<int>(names.size()));
    for (size_t i = 0; i < names.size(); ++i)
      EXPECT_EQ(window->lbThemeList->item(static_cast<int>(i))->text().toStdString(), names[i]);
    EXPECT_EQ(window->lInfo->text().toStdString(),
              "Available themes: " + std::to_string(names.size()) + ". Select to preview.");
    EXPECT_EQ(window->lbThemeList->currentItem()->text().toStdString(), active);
    EXPECT_EQ(PreviousThemeStyle, active);
    EXPECT_EQ(ActiveThemeName(), active);  // showing applies nothing
    window->hide();
  }
}

TEST_F(ThemeWindow, SaveWithoutPreviewRecordsTheStyleInForce) {
  ApplyTheme("Sand");
  window->show();
  window->bSaveExit->click();
  EXPECT_EQ(Recorded(), "Sand");
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(ActiveThemeName(), "Sand");
}

TEST_F(ThemeWindow, PreviewThenSaveKeepsAndRecordsThePreviewedStyle) {
  window->show();
  Pick("Dark");
  EXPECT_EQ(ActiveThemeName(), "Dark");
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), ThemePanelColor("Dark"));
  EXPECT_EQ(Recorded(), "<none>");  // a preview records nothing
  Pick("Carbon");
  window->bSaveExit->click();
  EXPECT_EQ(ActiveThemeName(), "Carbon");
  EXPECT_EQ(Recorded(), "Carbon");
  EXPECT_FALSE(window->isVisible());
}

TEST_F(ThemeWindow, CancelGoesBackToTheStyleOfTheShowing) {
  IniFile().WriteString("APPLICATION", "ThemeStyle", "Light");
  window->show();
  Pick("Dark");
  Pick("Sky");
  window->bCancel->click();
  EXPECT_EQ(ActiveThemeName(), "Light");
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), ThemePanelColor("Light"));
  EXPECT_EQ(Recorded(), "Light");
  EXPECT_FALSE(window->isVisible());

  // The next showing starts from the style in force then.
  ApplyTheme("Sand");
  window->show();
  Pick("Dark");
  window->bCancel->click();
  EXPECT_EQ(ActiveThemeName(), "Sand");
}

TEST_F(ThemeWindow, BackToTheUnstyledLookRestoresThePlatformStyle) {
  ApplyTheme(kDefaultStyleName);
  const QString platformStyle = QApplication::style()->name();
  window->show();
  Pick("Night Blue");
  window->bCancel->click();
  EXPECT_EQ(ActiveThemeName(), kDefaultStyleName);
  EXPECT_EQ(QApplication::style()->name(), platformStyle);
}

TEST_F(ThemeWindow, SettingsFileThatCannotBeWrittenIsReportedAndTheWindowStays) {
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(env.SettingsFile())));  // a folder in its place
  prompts::CurrentScript().shown.clear();
  window->show();
  Pick("Dark");
  window->bSaveExit->click();
  EXPECT_TRUE(window->isVisible());
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
  EXPECT_TRUE(prompts::CurrentScript().shown[0].contains(QString::fromStdString(env.SettingsFile())));
  EXPECT_EQ(ActiveThemeName(), "Dark");  // the preview stays in force
}

TEST_F(ThemeWithMap, MapTakesThePanelColourOfThePreviewAndOfTheRestoredStyle) {
  ApplyTheme("Light");
  Start();
  TQuarixCanvas* map = FNav->fcad;
  FNav->themeSelection1->trigger();
  ASSERT_TRUE(fTheme->isVisible());
  // Centred on the main window.
  EXPECT_LE((fTheme->geometry().center() - FNav->geometry().center()).manhattanLength(), 10);

  map->SetBackColor(clRed);  // the depth alarm's red
  fTheme->lbThemeList->setCurrentRow(RowOf(fTheme->lbThemeList, "Dark"));
  EXPECT_EQ(map->BackColor, PanelOf("Dark"));

  map->SetBackColor(clRed);
  fTheme->bCancel->click();
  EXPECT_EQ(ActiveThemeName(), "Light");
  EXPECT_EQ(map->BackColor, PanelOf("Light"));
  EXPECT_FALSE(fTheme->isVisible());
}
