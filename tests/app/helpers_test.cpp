#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <set>

#include "app/displaysettings.h"
#include "app/helpers.h"
#include "app/placement.h"
#include "app/settingsfile.h"
#include "app/startup.h"
#include "app/themes.h"
#include "platform/prompts.h"
#include "tests/support/tempenv.h"

namespace {

TEST(Helpers, DateAndTimeTexts) {
  TempEnv env(QDateTime(QDate(2026, 1, 7), QTime(8, 4, 31)));
  EXPECT_EQ(DateText(), "2026-01-07");
  EXPECT_EQ(TimeText(), "0804");
  EXPECT_EQ(CoordinatesFileName, env.Home() + "QVT/2026-01-07/LOG/2026-01-07 Coordinates.csv");
}

TEST(Helpers, EventsLogEntryIsByteExact) {
  TempEnv env;
  MakeDayFolders();
  LogEvent("Realtime STARTED");
  LogEvent("Second");
  EXPECT_EQ(env.ReadFile(DayLogFolder + "2026-01-30 Events.log"),
            "\r\nAuto Event:\t2026-01-30 143512345\tRealtime STARTED"
            "\r\nAuto Event:\t2026-01-30 143512345\tSecond");
}

TEST(Helpers, MidnightKeepsStartFoldersButRenamesFiles) {
  TempEnv env(QDateTime(QDate(2026, 1, 30), QTime(23, 50, 0)));
  MakeDayFolders();
  env.SetNow(QDateTime(QDate(2026, 1, 31), QTime(0, 10, 0)));
  LogEvent("after midnight");
  EXPECT_EQ(StartDate, "2026-01-30");
  EXPECT_TRUE(QFile::exists(QString::fromStdString(DayLogFolder + "2026-01-31 Events.log")));
  MakeDayFolders();
  const QString newDay = QString::fromStdString(env.Home() + "QVT/2026-01-31/");
  for (const char* sub : {"QVT", "LOG", "SVP"}) EXPECT_TRUE(QDir(newDay + sub).exists()) << sub;
  EXPECT_FALSE(QDir(newDay + "XYZ").exists());
}

TEST(Helpers, StartSettingsDefaults) {
  TempEnv env;
  OverlayFontSize = 1;
  EXPECT_EQ(ReadStartSettings(), "Light");
  EXPECT_EQ(OverlayFontSize, 40);
  EXPECT_EQ(OverlayDepthColor, 0x800000u);
  EXPECT_EQ(OverlaySpeedColor, 0u);
  IniFile ini;
  ini.WriteString("OVERLAY_SETTINGS", "FontSize", "big");
  ini.WriteString("APPLICATION", "ThemeStyle", "Quarix DM - Default");
  EXPECT_EQ(ReadStartSettings(), "Quarix DM - Default");
  EXPECT_EQ(OverlayFontSize, 40);
}

TEST(Helpers, PlacementRestoreKeepsWindowsReachable) {
  TempEnv env;
  const int screenW = QGuiApplication::primaryScreen()->size().width();
  struct Case { int left, top; int wantLeft, wantTop; };
  for (const Case& c : {Case{-8, 20, 0, 20}, Case{screenW + 580, 5, 0, 5}, Case{100, -3, 100, 0}}) {
    QWidget w;
    w.setObjectName("Offsets");
    IniFile ini;
    ini.WriteInteger("Offsets", "Left", c.left);
    ini.WriteInteger("Offsets", "Top", c.top);
    ini.WriteInteger("Offsets", "Width", 300);
    RestoreFormPlacement(&w, true);
    EXPECT_EQ(w.x(), c.wantLeft);
    EXPECT_EQ(w.y(), c.wantTop);
    EXPECT_EQ(w.width(), 300);
  }
  QWidget m;
  m.setObjectName("FNav");
  IniFile().WriteInteger("FNav", "WindowState", 2);
  RestoreFormPlacement(&m, true);
  EXPECT_TRUE(m.windowState() & Qt::WindowMaximized);
  QWidget missing;
  missing.setObjectName("Nothing");
  missing.resize(222, 111);
  missing.move(50, 60);
  RestoreFormPlacement(&missing, true);
  EXPECT_EQ(missing.pos(), QPoint(0, 0));
  EXPECT_EQ(missing.size(), QSize(222, 111));
}

// Lets the window system frame a shown window and apply what was asked of
// it (at once on the offscreen platform; a moment with a window manager).
void Settle(QWidget& w) {
  QElapsedTimer clock;
  clock.start();
  auto framed = [&w] {
    return w.frameGeometry().size() != w.size() &&
           !w.findChild<QObject*>("placementFrameSizeKeeper", Qt::FindDirectChildrenOnly);
  };
  while (!framed() && clock.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  if (QGuiApplication::platformName() == "offscreen") return;
  while (clock.elapsed() < 2300) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Left, Top, Width and Height are the frame's: saving and restoring the same
// rectangle leaves a window where it was through show, hide, show and a
// restart (a new window of the same name), however wide its frame.
TEST(Helpers, PlacementLeavesWindowsWhereTheyWere) {
  TempEnv env;
  struct Case {
    const char* name;
    bool withSize;
    QRect stored;
    QRect frame;  // where the frame goes
  };
  const Case cases[] = {
      {"Offsets", false, {1, 20, 999, 999}, {1, 20, 0, 0}},
      {"FNav", true, {40, 30, 987, 600}, {40, 30, 987, 600}},
      {"FNav", true, {0, -20, 987, 600}, {0, 0, 987, 600}},  // the title bar back on the screen
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IniFile ini;
    ini.WriteInteger(c.name, "Left", c.stored.left());
    ini.WriteInteger(c.name, "Top", c.stored.top());
    ini.WriteInteger(c.name, "Width", c.stored.width());
    ini.WriteInteger(c.name, "Height", c.stored.height());
    QRect first;
    for (int run = 0; run < 2; ++run) {  // a start and a restart
      QWidget w;
      w.setObjectName(c.name);
      w.resize(300, 200);
      RestoreFormPlacement(&w, c.withSize);  // as a window's showing does, before it is mapped
      w.show();
      Settle(w);
      ASSERT_FALSE(w.frameGeometry().size() == w.size()) << "the platform draws no frame";
      QRect want = c.frame;
      if (!c.withSize) want.setSize(w.frameGeometry().size());
      EXPECT_EQ(w.frameGeometry(), want) << run;
      if (run == 0) first = w.frameGeometry();
      EXPECT_EQ(w.frameGeometry(), first);
      for (int cycle = 0; cycle < 2; ++cycle) {  // hide and show again
        SaveFormPlacement(&w);
        w.hide();
        RestoreFormPlacement(&w, c.withSize);
        w.show();
        Settle(w);
        EXPECT_EQ(w.frameGeometry(), first) << run << " " << cycle;
      }
      SaveFormPlacement(&w);
    }
    const IniFile saved;
    EXPECT_EQ(saved.ReadInteger(c.name, "Left", -1), first.left());
    EXPECT_EQ(saved.ReadInteger(c.name, "Top", -1), first.top());
    EXPECT_EQ(saved.ReadInteger(c.name, "Width", -1), first.width());
    EXPECT_EQ(saved.ReadInteger(c.name, "Height", -1), first.height());
  }
}

// A window being hidden while the program closes passes through geometries
// that are nobody's choice: the window manager takes its frame away (what
// is left is the client area) or it is taken down to 1 x 1. Whatever it
// reports then, from the hide on, the saved placement, the place kept for the
// next showing and the next start are where the user left it.
class PassingGeometryOnHide : public QObject {
 public:
  PassingGeometryOnHide(QWidget* w, QRect passing) : w_(w), passing_(passing) { w->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    // Installed last, so it runs before the program's own watchers of the hide.
    if (watched == w_ && e->type() == QEvent::Hide) w_->setGeometry(passing_);
    return QObject::eventFilter(watched, e);
  }

 private:
  QWidget* w_;
  QRect passing_;
};

TEST(Helpers, AWindowHiddenWhileClosingKeepsThePlacementItWasLeftAt) {
  TempEnv env;
  struct Case {
    const char* name;
    bool passingAtTheHide;  // the passing geometry comes with the hide, or after it
    bool clientArea;        // the client area without its frame, or 1 x 1
  };
  const Case cases[] = {
      {"client area at the hide", true, true},
      {"1 x 1 at the hide", true, false},
      {"client area after the hide", false, true},
      {"1 x 1 after the hide", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IniFile().EraseSection("FNav");
    QRect left;
    {
      QWidget w;
      w.setObjectName("FNav");
      w.resize(300, 200);
      RestoreFormPlacement(&w, true);
      KeepPlaceWhenHidden(&w);
      w.show();
      Settle(w);
      w.move(70, 50);  // where the user leaves it
      w.resize(320, 210);
      Settle(w);
      left = w.frameGeometry();
      ASSERT_NE(left.size(), w.size()) << "the platform draws no frame";
      SaveFormPlacement(&w);  // the closing sequence
      const QRect passing = c.clientArea ? w.geometry() : QRect(w.geometry().topLeft(), QSize(1, 1));
      if (c.passingAtTheHide) {
        PassingGeometryOnHide geometry(&w, passing);
        w.close();
      } else {
        w.close();
        w.setGeometry(passing);
      }
      SaveFormPlacement(&w);  // a window's own save when it is hidden
      const IniFile saved;
      EXPECT_EQ(QRect(saved.ReadInteger("FNav", "Left", -1), saved.ReadInteger("FNav", "Top", -1),
                      saved.ReadInteger("FNav", "Width", -1), saved.ReadInteger("FNav", "Height", -1)),
                left);
      EXPECT_EQ(saved.ReadInteger("FNav", "WindowState", -1), 0);
    }
    QWidget next;  // the next start
    next.setObjectName("FNav");
    RestoreFormPlacement(&next, true);
    next.show();
    Settle(next);
    EXPECT_EQ(next.frameGeometry(), left);
  }
}

// A window the program never placed itself asks, once hidden, for the place
// it was left at, so the window manager does not place it anew.
TEST(Helpers, WindowShownAgainKeepsItsPlace) {
  QWidget w;
  w.resize(240, 120);
  KeepPlaceWhenHidden(&w);
  KeepPlaceWhenHidden(&w);  // once is enough
  EXPECT_EQ(w.findChildren<QObject*>("placementPlaceKeeper", Qt::FindDirectChildrenOnly).size(), 1);
  w.show();
  Settle(w);
  const QRect first = w.frameGeometry();
  w.hide();
  w.show();
  Settle(w);
  EXPECT_EQ(w.frameGeometry(), first);
}

TEST(Helpers, AnsiToWide) {
  EXPECT_EQ(AnsiToWide("")[0], 0);
  auto w = AnsiToWide("Ş1");
  EXPECT_EQ(w[0], 0x15E);
  EXPECT_EQ(w[1], L'1');
  EXPECT_EQ(w[2], 0);
}

}  // namespace

namespace {

TEST(Themes, KnownStylesApplyAndUnknownOnesShowTheErrorAndKeepTheLook) {
  TempEnv env;
  EXPECT_TRUE(ApplyTheme("Light"));
  EXPECT_EQ(ActiveThemeName(), "Light");
  const size_t shownBefore = prompts::CurrentScript().shown.size();
  EXPECT_FALSE(ApplyTheme("No Such Style"));
  EXPECT_EQ(ActiveThemeName(), "Light");
  EXPECT_EQ(prompts::CurrentScript().shown.size(), shownBefore + 1);
  EXPECT_TRUE(ApplyTheme(kDefaultStyleName));
  EXPECT_EQ(ActiveThemeName(), kDefaultStyleName);
  EXPECT_EQ(ThemeNames().front(), kDefaultStyleName);
  // The platform look and the 35 carried styles, each name once.
  const std::vector<std::string> names = ThemeNames();
  EXPECT_EQ(names.size(), 36u);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  for (const std::string& n : names) EXPECT_TRUE(n == kDefaultStyleName || ThemePanelColor(n).isValid()) << n;
}

}  // namespace
