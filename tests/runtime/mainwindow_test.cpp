// The main window on Qt's offscreen platform: start-up, the survey start and
// stop on pseudo-terminal ports, closing, the program and window commands.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <set>

#include "app/displaysettings.h"
#include "app/settingsfile.h"
#include "app/textfile.h"
#include "canvas/QuarixCanvas.h"
#include "ntrip/QuarixNTRIPClient.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "devices/QuarixSerialGPS.h"
#include "runtime/statuspanels.h"
#include "runtime/windowlogic.h"
#include "tests/ntrip/str2str.h"
#include "tests/platform/ptypair.h"
#include "tests/runtime/formsfixture.h"
#include "ui/QuarixKeyboard.h"
#include "ui/QuarixTranslation.h"
#include "ui/UTranslationEditor.h"

namespace {

// Records what the program asks the desktop to open.
class OpenedUrls : public QObject {
  Q_OBJECT
 public:
  OpenedUrls() { QDesktopServices::setUrlHandler("file", this, "open"); }
  ~OpenedUrls() override { QDesktopServices::unsetUrlHandler("file"); }
  Q_INVOKABLE void open(const QUrl& url) { urls.push_back(url.toLocalFile().toStdString()); }
  std::vector<std::string> urls;
};

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

int ShapesOn(TQuarixCanvas* map, int layer) {
  int n = 0;
  for (TQShape* s : map->Shapes)
    if (map->GetShapeOnLayer(s->Number) == layer) ++n;
  return n;
}

using MainWindow = FormsTest;

void Settle(QWidget* w);

TEST_F(MainWindow, FirstStartWithoutSettingsFile) {
  Start();
  EXPECT_EQ(Translation->CurrentLanguage, "en");
  EXPECT_EQ(OverlayFontSize, 40);
  EXPECT_EQ(FNav->windowTitle(), "Quarix Depthmark - ");
  // The world window 0 to 1000 both ways, widened across to the map's proportions.
  EXPECT_EQ(FNav->fcad->WorldTop, 1000);
  EXPECT_EQ(FNav->fcad->WorldBottom, 0);
  EXPECT_LT(FNav->fcad->WorldLeft, 0);
  EXPECT_DOUBLE_EQ(FNav->fcad->WorldLeft + FNav->fcad->WorldRight, 1000);
  EXPECT_TRUE(FNav->fcad->GridAutoScale);
  EXPECT_TRUE(FNav->tScreenshot->isActive());
  EXPECT_EQ(FNav->tScreenshot->interval(), 60000);
  EXPECT_EQ(FGPS->eScreenshotInterval->text(), "60");
  EXPECT_EQ(FNav->pos(), QPoint(0, 0));
  EXPECT_EQ(FNav->size(), QSize(987, 541));
  for (const char* sub : {"QVT", "LOG", "XYZ", "SVP", "JPG", "MP4"})
    EXPECT_TRUE(platform::FolderExists(DayFolder + sub)) << sub;
  EXPECT_TRUE(Offsets->isVisible());
  EXPECT_TRUE(fJoystick->isVisible());
  EXPECT_EQ(FNav->sStatusBar->PanelCount(), 7);
  EXPECT_EQ(FNav->sStatusBar->PanelText(4), "EN");
  EXPECT_TRUE(FNav->EchoToMonitor);
  EXPECT_FALSE(FNav->tMap->isActive());
  EXPECT_TRUE(FNav->tEchogram->isActive());
  EXPECT_EQ(FNav->Realtime->text(), "Realtime");  // the translation replaced "Start"
  EXPECT_EQ(RealtimeActive, 0);

  // The eight fixed layers after "Default".
  for (int i = 0; i < 8; ++i) EXPECT_EQ(FNav->fcad->LayerFindByName(kFixedLayerNames[i]), i + 1);
  EXPECT_EQ(GridLayer, 1);
  EXPECT_EQ(UserShapeLayer, 6);
  EXPECT_EQ(EventNumberLayer, 7);
  EXPECT_EQ(VesselLayer, 8);
  EXPECT_EQ(FNav->fcad->CurrentLayer, 8);
  EXPECT_EQ(FNav->fcad->parentWidget(), FNav->Panel4);
}

TEST_F(MainWindow, StoredPlacementSizesTheWindow) {
  IniFile ini;
  ini.WriteInteger("FNav", "Left", 30);
  ini.WriteInteger("FNav", "Top", 5000);  // off the screen: back to the top edge
  ini.WriteInteger("FNav", "Width", 800);
  ini.WriteInteger("FNav", "Height", 500);
  Start();
  EXPECT_EQ(FNav->frameGeometry(), QRect(30, 0, 800, 500));  // the frame, title bar included
}

TEST_F(MainWindow, StoredSettingsAreApplied) {
  {
    IniFile ini;
    ini.WriteString("SETTINGS", "Language", "tr");
    ini.WriteString("OVERLAY_SETTINGS", "FontSize", "big");
    ini.WriteFloat("CANVAS", "PlanWorldLeft", 450000.5);
    ini.WriteString("CANVAS", "PlanWorldRight", "oops");  // not a number: its default
    ini.WriteFloat("CANVAS", "PlanWorldTop", 4500100);
    ini.WriteFloat("CANVAS", "PlanWorldBottom", 4499000);
    ini.WriteBool("CANVAS", "GridAutoScale", false);
    ini.WriteInteger("CANVAS", "DepthSpeedDisplayMode", 2);
    ini.WriteInteger("CANVAS", "GGAOverlayPosition", 3);
    ini.WriteInteger("SCREENSHOT", "Interval", 0);
    ini.WriteInteger("FNav", "Left", -8);
    ini.WriteInteger("FNav", "Top", 40);
  }
  Start();
  EXPECT_EQ(Translation->CurrentLanguage, "tr");
  EXPECT_EQ(FNav->sStatusBar->PanelText(4), "TR");
  EXPECT_EQ(OverlayFontSize, 40);
  // Left 450000.5 and right 1000 (its default), shown at one scale about their middle.
  EXPECT_DOUBLE_EQ(FNav->fcad->WorldLeft + FNav->fcad->WorldRight, 451000.5);
  EXPECT_EQ(FNav->fcad->WorldTop, 4500100);
  EXPECT_EQ(FNav->fcad->WorldBottom, 4499000);
  EXPECT_FALSE(FNav->fcad->GridAutoScale);
  EXPECT_EQ(FNav->fcad->DepthSpeedDisplayMode, 2);
  EXPECT_EQ(FNav->fcad->GGAOverlayPosition, 3);
  EXPECT_FALSE(FNav->tScreenshot->isActive());
  EXPECT_EQ(FGPS->eScreenshotInterval->text(), "0");
  EXPECT_EQ(FNav->pos(), QPoint(0, 40));
  Translation->SetLanguage("en");
}

// Metres a pixel across and up of the map as it is painted.
std::pair<double, double> MetresPerPixel(TQuarixCanvas* map) {
  map->grab();  // the first paint
  return {(map->WorldRight - map->WorldLeft) / map->width(), (map->WorldTop - map->WorldBottom) / map->height()};
}

// From the first paint on, a metre of the map is as many pixels across as up:
// at the first start and with the window stored at the last closing, square
// or not, whatever size the main window comes back in.
TEST_F(MainWindow, TheMapShowsOneScaleAcrossAndUpFromTheFirstPaint) {
  struct Case {
    const char* name;
    std::vector<double> stored;  // left, right, top, bottom; none at a first start
    QRect main;                  // the main window's stored frame; none: its designed size
  };
  const Case cases[] = {
      {"first start", {}, {}},
      {"square window stored", {0, 1000, 1000, 0}, {}},
      {"square window, wide main window", {0, 1000, 1000, 0}, {10, 10, 1300, 600}},
      {"survey area stored", {450000, 451200, 4500400, 4499800}, {0, 0, 900, 700}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      IniFile ini;
      ini.EraseSection("CANVAS");
      ini.EraseSection("FNav");
      if (!c.stored.empty()) {
        ini.WriteFloat("CANVAS", "PlanWorldLeft", c.stored[0]);
        ini.WriteFloat("CANVAS", "PlanWorldRight", c.stored[1]);
        ini.WriteFloat("CANVAS", "PlanWorldTop", c.stored[2]);
        ini.WriteFloat("CANVAS", "PlanWorldBottom", c.stored[3]);
      }
      if (!c.main.isNull()) {
        ini.WriteInteger("FNav", "Left", c.main.left());
        ini.WriteInteger("FNav", "Top", c.main.top());
        ini.WriteInteger("FNav", "Width", c.main.width());
        ini.WriteInteger("FNav", "Height", c.main.height());
      }
    }
    Start();
    const auto [across, up] = MetresPerPixel(FNav->fcad);
    EXPECT_NEAR(across / up, 1.0, 1e-9) << across << " m/px across, " << up << " m/px up";
    // Nothing stored is cut off.
    const std::vector<double> want = c.stored.empty() ? std::vector<double>{0, 1000, 1000, 0} : c.stored;
    EXPECT_LE(FNav->fcad->WorldLeft, want[0]);
    EXPECT_GE(FNav->fcad->WorldRight, want[1]);
    EXPECT_GE(FNav->fcad->WorldTop, want[2]);
    EXPECT_LE(FNav->fcad->WorldBottom, want[3]);
    Stop();
  }
}

// At the first start the navigation settings, on top of every window, leave
// the main window's menu and tool bars free.
// At the first start the windows that stay on top stand beside the main
// window: on the screen, clear of its menu and tool bars and of each other.
// Where the user leaves them, they come back at the next start.
TEST_F(MainWindow, StayOnTopWindowsHideNoMenuOrToolBarAtTheFirstStart) {
  Start();
  const struct {
    const char* name;
    QPoint movedTo;
    QWidget* window() const {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name) return w;
      return nullptr;
    }
  } windows[] = {{"Navset", {200, 300}}, {"Offsets", {120, 60}}, {"fJoystick", {500, 420}}};
  Settle(FNav);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  std::vector<QRect> placed;
  for (const auto& w : windows) {
    SCOPED_TRACE(w.name);
    QWidget* window = w.window();
    ASSERT_TRUE(window);
    Settle(window);
    ASSERT_TRUE(window->isVisible());
    const QRect frame = window->frameGeometry();
    for (QWidget* bar : std::initializer_list<QWidget*>{FNav->menuBar(), FNav->tRealtime, FNav->tDraw, FNav->tShape}) {
      const QRect onScreen(bar->mapToGlobal(QPoint(0, 0)), bar->size());
      EXPECT_FALSE(frame.intersects(onScreen)) << bar->objectName().toStdString();
    }
    EXPECT_TRUE(screen.contains(frame));
    for (const QRect& other : placed) EXPECT_FALSE(frame.intersects(other)) << "overlaps an earlier one";
    placed.push_back(frame);
  }
  // The offsets dialog's closing takes it back to its saved place, here the
  // one it was given: it stays there, also when shown again.
  Offsets->close();
  Offsets->show();
  Settle(Offsets);
  EXPECT_EQ(Offsets->frameGeometry(), placed[1]);
  std::vector<QPoint> left;
  for (const auto& w : windows) {
    w.window()->move(w.movedTo);
    Settle(w.window());
    left.push_back(w.window()->frameGeometry().topLeft());
  }
  EXPECT_TRUE(FNav->close());
  Stop();
  Start();
  for (size_t i = 0; i < std::size(windows); ++i) {
    QWidget* window = windows[i].window();
    ASSERT_TRUE(window) << windows[i].name;
    Settle(window);
    EXPECT_EQ(window->frameGeometry().topLeft(), left[i]) << windows[i].name;
  }
}

// Every window that stays on top of the main window, first shown with no
// placement of its own (the realtime data from the menu, the others from
// theirs), stands beside the map: none covers a menu or a tool bar.
TEST_F(MainWindow, EveryStayOnTopWindowFirstShownLeavesTheBarsFree) {
  Start();
  Settle(FNav);
  const auto placed = FNav->StayOnTopWindows();
  // The list holds every window of the set that stays on top.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != FNav && (w->windowFlags() & Qt::WindowStaysOnTopHint))
      EXPECT_TRUE(std::any_of(placed.begin(), placed.end(), [w](const auto& p) { return p.first == w; }))
          << w->objectName().toStdString();
  std::vector<QRect> bars;
  for (QWidget* bar : std::initializer_list<QWidget*>{FNav->menuBar(), FNav->tRealtime, FNav->tDraw, FNav->tShape})
    bars.emplace_back(bar->mapToGlobal(QPoint(0, 0)), bar->size());
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  for (const auto& [window, corner] : placed) {
    SCOPED_TRACE(window->objectName().toStdString());
    if (window == fRealtime)
      FNav->mRealtimeWindow1->trigger();
    else
      window->show();
    Settle(window);
    ASSERT_TRUE(window->isVisible());
    const QRect frame = window->frameGeometry();
    for (const QRect& bar : bars) EXPECT_FALSE(frame.intersects(bar));
    EXPECT_TRUE(screen.contains(frame.topLeft()));
  }
}

// A window the user opens (an editor, a dialog, a message) is never covered
// by one of the windows that stay on top: it stands among them, and being
// shown last, above them. The main window stays below.
TEST_F(MainWindow, WindowsTheUserOpensStandAboveTheStayOnTopOnes) {
  Start();
  FNav->TranslationEditor1Click();
  ASSERT_TRUE(fTranslationEditor);
  QWidget* message = nullptr;
  QTimer::singleShot(0, [&] {
    message = QApplication::activeModalWidget();
    if (message) message->close();
  });
  QMessageBox box(QMessageBox::NoIcon, "Quarix DM", "A message", QMessageBox::Ok, FNav);
  box.exec();
  ASSERT_EQ(message, &box);
  frmNTRIPSettings->show();
  fRTCMParsing->show();
  for (QWidget* w : std::initializer_list<QWidget*>{fTranslationEditor, &box, frmNTRIPSettings, fRTCMParsing}) {
    SCOPED_TRACE(w->objectName().toStdString());
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_TRUE(w->windowHandle());
    EXPECT_TRUE(w->windowHandle()->flags() & Qt::WindowStaysOnTopHint);  // what the window system is told
  }
  EXPECT_FALSE(FNav->windowFlags() & Qt::WindowStaysOnTopHint);
  // Pop-ups keep their own kind.
  FNav->File1->popup(FNav->mapToGlobal(QPoint(10, 10)));
  EXPECT_FALSE(FNav->File1->windowFlags() & Qt::WindowStaysOnTopHint);
  FNav->File1->close();
  delete fTranslationEditor;
  fTranslationEditor = nullptr;
}

TEST_F(MainWindow, MenusToolBarsAndStatusBarAsDesigned) {
  Start();
  const struct {
    QAction* item;
    const char* name;
    const char* text;
    const char* key;
  } items[] = {
      {FNav->New1, "New1", "New", "Ctrl+N"},
      {FNav->Open1, "Open1", "Open...", "Ctrl+O"},
      {FNav->Save1, "Save1", "Save", "Ctrl+S"},
      {FNav->SaveAs1, "SaveAs1", "Save As...", "Ctrl+W"},
      {FNav->Import1, "Import1", "Import...", "Ctrl+I"},
      {FNav->Export1, "Export1", "Export...", "Ctrl+X"},
      {FNav->Exit1, "Exit1", "Exit", "Ctrl+Q"},
      {FNav->In1, "In1", "In\tCtrl+I", ""},
      {FNav->Out1, "Out1", "Out\tCtrl+O", ""},
      {FNav->Extents1, "Extents1", "Extents", "Ctrl+Alt+E"},
      {FNav->Window1, "Window1", "Window\tCtrl+W", ""},
      {FNav->Dynamic1, "Dynamic1", "Dynamic", "Ctrl+Alt+D"},
      {FNav->OpenLogFolder1, "OpenLogFolder1", "Open Log Folder", "Ctrl+L"},
      {FNav->MarkEvent1, "MarkEvent1", "Mark Event", "F12"},
      {FNav->Echogram1, "Echogram1", "Echogram...\tCtrl+O", ""},
      {FNav->OffsetsandValues1, "OffsetsandValues1", "Offsets...\tCtrl+O", ""},
      {FNav->Parameters1, "Parameters1", "Device Settings...", "F10"},
      {FNav->QuarixNTRIPClient1, "QuarixNTRIPClient1", "Quarix NTRIP Client...", ""},
      {FNav->GenerateRunline1, "GenerateRunline1", "Generate Runline...", ""},
  };
  for (const auto& i : items) {
    EXPECT_EQ(i.item->objectName(), i.name);
    EXPECT_EQ(i.item->text(), i.text) << i.name;
    EXPECT_EQ(i.item->shortcut(), QKeySequence(i.key)) << i.name;
  }
  EXPECT_EQ(FNav->Settings1->title(), "Tools");
  EXPECT_EQ(FNav->ools1->title(), "Edit");

  // No key is bound twice, so every bound key fires.
  std::set<QString> keys;
  for (QAction* a : FNav->findChildren<QAction*>()) {
    if (a->shortcut().isEmpty()) continue;
    EXPECT_TRUE(keys.insert(a->shortcut().toString()).second) << a->objectName().toStdString();
  }

  const struct {
    QToolButton* b;
    const char* text;
  } buttons[] = {{FNav->tbRunline, "Runline"},     {FNav->ConnectIcon, "Connect"},  // the shown window's
                 {FNav->tbFixed, "Fixed"},         {FNav->tbFloat, "Float"},        // language sets fixed keys
                 {FNav->tbAuto, "Auto"},           {FNav->bSelectTracks, "Select Tracks"},
                 {FNav->bDelSelected, "Delete Selected"}, {FNav->bFollowVessel, "Follow Vessel"},
                 {FNav->ToolButton13, "Do Not Follow"}, {FNav->bOpen, "Open"},
                 {FNav->bSave, "Save"},           {FNav->Zoomin, "Zoom In"},
                 {FNav->Zoomout, "Zoom Out"},     {FNav->ToolButton11, "Clear Shapes"},
                 {FNav->btEventAdd, "Add Event"}, {FNav->btEventReset, "Reset Event"}};
  for (const auto& b : buttons) EXPECT_EQ(b.b->text(), b.text);
  EXPECT_EQ(FNav->tShape->orientation(), Qt::Vertical);
  for (QToolButton* b : {FNav->ToolButton7, FNav->ToolButton12, FNav->ToolButton21, FNav->ToolButton23,
                         FNav->ToolButton27, FNav->ToolButton28, FNav->ToolButton29, FNav->ToolButton30,
                         FNav->ToolButton31})
    EXPECT_EQ(b->parentWidget(), FNav->tShape);
  EXPECT_EQ(FNav->Realtime->size(), QSize(104, 28));
  for (int i : {0, 1, 2, 3, 5, 6}) EXPECT_EQ(FNav->sStatusBar->PanelWidth(i), 100);
  EXPECT_EQ(FNav->tMap->interval(), 200);
  EXPECT_EQ(FNav->tEchogram->interval(), 200);
}

class Survey : public FormsTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gnss.Ok() && sounder.Ok());
    IniFile ini;
    ini.WriteString("SERIAL_PORT_MAP", "COM5", gnss.DevicePath());
    ini.WriteString("SERIAL_PORT_MAP", "COM6", sounder.DevicePath());
    // Geodetic parameters the survey can convert with (UTM zone 35).
    const std::pair<const char*, const char*> geodesy[] = {
        {"SemiMajorAxis", "6378137"}, {"InverseFlattening", "0.0033528106647474"}, {"X_Rotation", "0"},
        {"Y_Rotation", "0"},          {"Z_Rotation", "0"},                        {"X_Shift", "0"},
        {"Y_Shift", "0"},             {"Z_Shift", "0"},                           {"Scale_PPM", "0"},
        {"Central_Meridian", "27"},   {"Reference_Latitude", "0"},                {"Scale_Factor", "0.9996"},
        {"False_Easting", "500000"},  {"False_Northing", "0"}};
    for (const auto& [key, value] : geodesy) ini.WriteString("GEODETIC_PARAMETERS", key, value);
    offsets::WriteSection(ini, {"0.50", "2.00", "1.50", "1480", "1.00", "Harbour", "Launch", "Surveyor", ""});
  }
  void UsePorts(const char* gnssPort, const char* sounderPort, bool sounderEnabled) {
    FGPS->Port->setCurrentText(gnssPort);
    FGPS->SPort->setCurrentText(sounderPort);
    FGPS->SensorEnabled->setChecked(sounderEnabled);
  }
  std::string GeodesyLog() const { return env.ReadFile(DayLogFolder + "2026-01-30 Geodesy.txt"); }
  PtyPair gnss, sounder;
};

TEST_F(Survey, RealtimePressedTwiceStartsAndStops) {
  Start();
  UsePorts("COM5", "COM6", true);

  FNav->Realtime->click();
  EXPECT_EQ(RealtimeActive, 1);
  EXPECT_EQ(FNav->Realtime->text(), "Stop");
  EXPECT_TRUE(FNav->Realtime->isChecked());
  EXPECT_EQ(FNav->Realtime->palette().color(QPalette::ButtonText), QColor(Qt::white));
  EXPECT_EQ(FNav->tRealtime->palette().color(QPalette::Window), ToQColor(clGreen));
  EXPECT_TRUE(FNav->ZGPS1->Active);
  EXPECT_TRUE(FNav->ZSENSOR->Active);
  EXPECT_EQ(FNav->ZGPS1->Port, 5);
  EXPECT_NE(GNSSOpenTick, 0u);
  EXPECT_NE(SounderOpenTick, 0u);
  EXPECT_TRUE(FNav->tEchogram->isActive());
  EXPECT_FALSE(FNav->tMap->isActive());  // the first GNSS line starts it
  EXPECT_TRUE(fRealtime->DepthFrameHi->isHidden());
  EXPECT_TRUE(fRealtime->DepthFrameLo->isHidden());
  EXPECT_TRUE(FMsg->Msg->toPlainText().contains("ZSENSOR Open called on port: COM6"));
  EXPECT_FALSE(FMsg->isVisible());
  EXPECT_NE(EventsLog().find("\tRealtime STARTED"), std::string::npos);

  FNav->Realtime->click();
  EXPECT_EQ(RealtimeActive, 0);
  EXPECT_EQ(FNav->Realtime->text(), "Start");
  EXPECT_FALSE(FNav->Realtime->isChecked());
  EXPECT_EQ(FNav->Realtime->palette().color(QPalette::ButtonText), ToQColor(clNavy));
  EXPECT_FALSE(FNav->ZGPS1->Active);
  EXPECT_FALSE(FNav->ZSENSOR->Active);
  EXPECT_FALSE(FNav->tMap->isActive());
  EXPECT_FALSE(FNav->tEchogram->isActive());
  EXPECT_EQ(GNSSOpenTick, 0u);
  EXPECT_EQ(SounderOpenTick, 0u);
  const std::string log = EventsLog();
  EXPECT_LT(log.find("\tRealtime STARTED"), log.find("\tRealtime STOPPED"));
  EXPECT_EQ(log.find("Could not open"), std::string::npos);

  // One geodesy block per start, the header once.
  EXPECT_EQ(Count(GeodesyLog(), "=== SESSION START: "), 1u);
  FNav->Realtime->click();
  FNav->Realtime->click();
  EXPECT_EQ(Count(GeodesyLog(), "=== SESSION START: "), 2u);
  EXPECT_EQ(Count(GeodesyLog(), "GEODETIC PARAMETERS LOG - "), 1u);
}

TEST_F(Survey, MissingDevicesStillStartAndAreReported) {
  Start();
  UsePorts("COM200", "COM201", true);
  FNav->RealtimeClick();
  EXPECT_EQ(RealtimeActive, 1);
  EXPECT_EQ(FNav->Realtime->text(), "Stop");
  EXPECT_FALSE(FNav->ZGPS1->Active);
  EXPECT_NE(GNSSOpenTick, 0u);
  const std::string log = EventsLog();
  EXPECT_NE(log.find("\tCould not open GPS port COM200"), std::string::npos);
  EXPECT_NE(log.find("\tCould not open sensor port COM201"), std::string::npos);
  EXPECT_NE(log.find("\tRealtime STARTED"), std::string::npos);
  const QString msg = FMsg->Msg->toPlainText();
  EXPECT_TRUE(msg.contains("Could not open GPS port COM200"));
  EXPECT_TRUE(msg.contains("ZSENSOR Open called on port: COM201"));
  EXPECT_TRUE(msg.contains("Could not open sensor port COM201"));
  EXPECT_TRUE(FMsg->isVisible());
}

TEST_F(Survey, WithoutTheEchoSounderOnlyTheGnssPortOpens) {
  Start();
  UsePorts("COM5", "COM6", false);
  FNav->tEchogram->stop();
  FNav->RealtimeClick();
  EXPECT_TRUE(FNav->ZGPS1->Active);
  EXPECT_FALSE(FNav->ZSENSOR->Active);
  EXPECT_FALSE(FNav->tEchogram->isActive());  // left as it was
  EXPECT_TRUE(fRealtime->DepthFrameHi->isHidden());
  EXPECT_TRUE(fRealtime->DepthFrameLo->isHidden());
  EXPECT_EQ(fRealtime->height(), 191);
  EXPECT_EQ(FMsg->Msg->toPlainText(), "Connected to GPS on COM5");  // nothing about the echo sounder
}

TEST_F(Survey, AGeodesyLogThatCannotBeWrittenStopsTheStartBeforeThePorts) {
  Start();
  UsePorts("COM5", "COM6", true);
  const QString log = QString::fromStdString(DayLogFolder);
  QDir(log).removeRecursively();
  WriteFileAtomically(ExcludeTrailingDelimiter(DayLogFolder), "not a folder");
  FNav->Realtime->setChecked(true);  // as a press leaves it
  EXPECT_THROW(FNav->RealtimeClick(), std::runtime_error);
  EXPECT_EQ(RealtimeActive, 0);
  EXPECT_FALSE(FNav->ZGPS1->Active);
  EXPECT_FALSE(FNav->ZSENSOR->Active);
  EXPECT_FALSE(FNav->Realtime->isChecked());
  EXPECT_EQ(FNav->Realtime->text(), "Realtime");
}

TEST_F(Survey, NtripCommandHandsOverTheOpenGnssPortAndPosition) {
  Start();
  UsePorts("COM5", "COM6", false);
  FNav->QuarixNTRIPClient1->trigger();  // port closed: only shown
  EXPECT_TRUE(frmNTRIPSettings->isVisible());
  EXPECT_FALSE(frmNTRIPSettings->memoLog->toPlainText().contains("Serial port handle"));
  EXPECT_EQ(frmNTRIPSettings->boxOutputPort->itemText(0), "This port (GPS)");

  FNav->RealtimeClick();
  gnss.Send("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
  ASSERT_TRUE(WaitFor([] {
    FNav->ZGPS1->PollTimerTimer();
    return FNav->ZGPS1->GetLatitude() != 0;
  }));
  FNav->QuarixNTRIPClient1Click();
  EXPECT_EQ(frmNTRIPSettings->GPSPortName, "COM5");
  EXPECT_EQ(frmNTRIPSettings->GPSPort, FNav->ZGPS1->Handle);
  EXPECT_EQ(frmNTRIPSettings->boxOutputPort->itemText(0), "COM5 This Port (GPS)");
  const QStringList log = frmNTRIPSettings->memoLog->toPlainText().split('\n');
  ASSERT_GE(log.size(), 2);
  EXPECT_TRUE(log[log.size() - 2].endsWith(" Serial port handle set"));
  EXPECT_TRUE(log.back().endsWith(" Serial port handle connected"));
  EXPECT_EQ(frmNTRIPSettings->edtLatitude->text(), "48.11730000");
  EXPECT_EQ(frmNTRIPSettings->edtLongitude->text(), "11.51666667");
  EXPECT_EQ(frmNTRIPSettings->GPSAltitude, 545.4);

  // A window that does not exist is made again, owned by the main window.
  Free(frmNTRIPSettings);
  FNav->QuarixNTRIPClient1Click();
  ASSERT_NE(frmNTRIPSettings, nullptr);
  EXPECT_EQ(frmNTRIPSettings->parent(), FNav);
  EXPECT_TRUE(frmNTRIPSettings->isWindow());
}

// RTK corrections through RTKLIB's str2str follow the receiver's port: the
// caster connected before the survey (by hand, or by the auto-connect at
// start), then Realtime, Stop and Realtime again: after each start the
// corrections reach the port open now; while none is open the NTRIP window
// says that they are not forwarded.
class SurveyWithStr2str : public Survey {
 protected:
  void SetUp() override {
    Survey::SetUp();
    if (HasFatalFailure()) return;
    if (!Str2str::Installed()) GTEST_SKIP() << "str2str (rtklib) is not installed";
    ASSERT_TRUE(caster.Feed());
    IniFile ini;
    ini.WriteString("NTRIP", "Server", "127.0.0.1");
    ini.WriteInteger("NTRIP", "Port", caster.CasterPort());
    ini.WriteString("NTRIP", "Username", "user");
    ini.WriteString("NTRIP", "Password", "secret");
    ini.WriteString("NTRIP", "MountPoint", "MP");
  }
  // Sends bytes through the caster; true when the receiver's port got them.
  bool Relayed(const std::string& bytes) {
    caster.Send(bytes);
    return gnss.Receive(bytes.size()) == bytes;
  }
  void StartStopStart() {
    auto* w = frmNTRIPSettings;
    ASSERT_TRUE(PumpUntil([&] { return w->Client->Connected.load(); }));
    caster.Send("before the survey");
    ASSERT_TRUE(PumpUntil([&] { return w->DataFlowing; }));
    const QString notForwarded = "Quarix NTRIP Client - Receiving Data - Not Forwarded (no GPS port)";
    EXPECT_EQ(w->windowTitle(), notForwarded);

    FNav->RealtimeClick();
    ASSERT_TRUE(FNav->ZGPS1->Active);
    EXPECT_EQ(w->windowTitle(), "Quarix NTRIP Client - Receiving Data");
    EXPECT_TRUE(Relayed(std::string("\xd3\x00\x13" "first survey", 15)));

    FNav->RealtimeClick();
    EXPECT_EQ(w->windowTitle(), notForwarded);
    EXPECT_TRUE(w->memoLog->toPlainText().contains(
        "GPS port COM5 closed - corrections are not forwarded until it is open again"));

    FNav->RealtimeClick();
    ASSERT_TRUE(FNav->ZGPS1->Active);
    EXPECT_EQ(w->windowTitle(), "Quarix NTRIP Client - Receiving Data");
    EXPECT_TRUE(Relayed(std::string("\xd3\x00\x13second survey", 16)));
    EXPECT_EQ(w->Client->GetSerialHandle(), FNav->ZGPS1->Handle);
  }
  Str2str caster;
};

TEST_F(SurveyWithStr2str, CorrectionsFollowTheReceiversPortThroughStopAndRealtime) {
  Start();
  UsePorts("COM5", "COM6", false);
  frmNTRIPSettings->btnConnectClick();
  StartStopStart();
}

TEST_F(SurveyWithStr2str, AutoConnectAtStartForwardsToThePortOfEachSurvey) {
  IniFile().WriteBool("NTRIP", "AutoConnect", true);
  Start();
  UsePorts("COM5", "COM6", false);
  EXPECT_TRUE(frmNTRIPSettings->PendingAutoConnect);
  StartStopStart();
}

TEST_F(Survey, ClosingShutsThePortsAndWritesMapSettingsAndPlacements) {
  Start();
  UsePorts("COM5", "COM6", true);
  FNav->RealtimeClick();
  FNav->fcad->WorldLeft = 10.25;
  FNav->fcad->WorldRight = 2000;
  FNav->fcad->WorldTop = 3000;
  FNav->fcad->WorldBottom = -5;
  FNav->fcad->GridAutoScale = false;
  FNav->fcad->DepthSpeedDisplayMode = 1;
  FNav->fcad->GGAOverlayPosition = 2;

  EXPECT_TRUE(FNav->close());
  EXPECT_FALSE(FNav->ZGPS1->Active);
  EXPECT_FALSE(FNav->ZSENSOR->Active);
  IniFile ini;
  EXPECT_EQ(ini.ReadString("CANVAS", "PlanWorldLeft", ""), "10.25");
  EXPECT_EQ(ini.ReadString("CANVAS", "PlanWorldRight", ""), "2000");
  EXPECT_EQ(ini.ReadString("CANVAS", "PlanWorldTop", ""), "3000");
  EXPECT_EQ(ini.ReadString("CANVAS", "PlanWorldBottom", ""), "-5");
  EXPECT_EQ(ini.ReadString("CANVAS", "GridAutoScale", ""), "0");
  EXPECT_EQ(ini.ReadString("CANVAS", "DepthSpeedDisplayMode", ""), "1");
  EXPECT_EQ(ini.ReadString("CANVAS", "GGAOverlayPosition", ""), "2");
  for (const char* w : {"Offsets", "Navset", "FNav", "fJoystick"})
    for (const char* key : {"WindowState", "Left", "Top", "Width", "Height"})
      EXPECT_TRUE(ini.ValueExists(w, key)) << w << " " << key;
  // A window never shown stood nowhere: it keeps its first place for the next start.
  for (const char* w : {"fRealtime", "fSVP", "fRunline1", "fWaterfal"})
    EXPECT_FALSE(ini.SectionExists(w)) << w;
  EXPECT_FALSE(Offsets->isVisible());
  EXPECT_FALSE(fRealtime->isVisible());
  const std::string saved = DayLayoutFolder + "2026-01-30 1435.qvt";
  EXPECT_EQ(Count(EventsLog(), "\tAuto-saved: " + saved), 1u);  // the close box saves once
  EXPECT_EQ(ini.ReadString("FILE", "Last File Saved", ""), saved);
}

// Lets the window system frame a shown window and apply what was asked of
// it (at once on the offscreen platform; a moment with a window manager).
void Settle(QWidget* w) {
  QElapsedTimer clock;
  clock.start();
  auto framed = [w] {
    return !w->isVisible() || (w->frameGeometry().size() != w->size() &&
                               !w->findChild<QObject*>("placementFrameSizeKeeper", Qt::FindDirectChildrenOnly));
  };
  while (!framed() && clock.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  if (QGuiApplication::platformName() == "offscreen") return;
  while (clock.elapsed() < 2300) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Every window whose placement the program keeps comes back where it was
// left, frame included: after hiding and showing it again, and after the
// program was closed and started again.
TEST_F(MainWindow, WindowsComeBackWhereTheyWereLeft) {
  Start();
  auto windows = [] {
    return std::vector<QWidget*>{FNav, Offsets, Navset, fRealtime, fSVP, fRunline1, fWaterfal};
  };
  std::vector<QRect> left;
  int n = 0;
  for (QWidget* w : windows()) {
    SCOPED_TRACE(w->objectName().toStdString());
    w->show();
    Settle(w);
    w->move(40 + 30 * n, 25 + 20 * n);
    Settle(w);
    ++n;
    left.push_back(w->frameGeometry());
    for (int cycle = 0; cycle < 2; ++cycle) {
      w->hide();
      w->show();
      Settle(w);
      EXPECT_EQ(w->frameGeometry(), left.back()) << cycle;
    }
  }
  EXPECT_TRUE(FNav->close());
  TearDown();
  Start();
  n = 0;
  for (QWidget* w : windows()) {
    SCOPED_TRACE(w->objectName().toStdString());
    w->show();
    Settle(w);
    // The main window and the echogram window keep their size too; the others
    // size themselves.
    if (w == FNav || w == fWaterfal) EXPECT_EQ(w->frameGeometry(), left[n]);
    else EXPECT_EQ(w->frameGeometry().topLeft(), left[n].topLeft());
    ++n;
  }
}

// The status texts grow and shrink during a survey; the panels grow with
// them, the main window keeps its size and what passes its edge is cut there.
TEST_F(MainWindow, StatusPanelsFollowTheirTextsAndTheWindowDoesNotWiden) {
  Start();
  Settle(FNav);
  const QSize size = FNav->size();
  TQuarixStatusBar* bar = FNav->sStatusBar;
  ASSERT_EQ(bar->PanelCount(), 7);
  FNav->ShowLastFileFolder(env.Home() + std::string(200, 'f') + "/2026-01-30 1415.qvt");
  const QString longText = QString(300, 'x');
  for (int i : {0, 1, 2}) {
    bar->SetPanelText(i, longText);
    bar->SetPanelWidth(i, bar->TextWidth(longText) + 20);
  }
  Settle(FNav);
  EXPECT_EQ(FNav->size(), size);
  EXPECT_LE(bar->width(), FNav->width());
  const auto labels = bar->findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 7);
  EXPECT_EQ(labels[0]->width(), bar->TextWidth(longText) + 20);  // whole, cut only at the window's edge
  EXPECT_EQ(labels[1]->x(), labels[0]->width());
}

TEST_F(MainWindow, ExitSavesTwiceAndBExitWritesNothing) {
  Start();
  FNav->Exit1->trigger();
  EXPECT_FALSE(FNav->isVisible());
  EXPECT_EQ(Count(EventsLog(), "\tAuto-saved: "), 2u);
}

TEST_F(MainWindow, BExitEndsWithStatus255WithoutTheClosingSequence) {
  Start();
  FNav->fcad->WorldLeft = 77;
  FNav->bExit->click();
  EXPECT_EQ(exitStatus, 255);
  IniFile ini;
  for (const char* section : {"CANVAS", "FNav", "Offsets", "fRealtime", "FILE"})
    EXPECT_FALSE(ini.SectionExists(section)) << section;
  EXPECT_EQ(EventsLog().find("Auto-saved"), std::string::npos);
}

TEST_F(MainWindow, ClosingGoesOnWhenTheSoundVelocityCopiesCannotBeWritten) {
  Start();
  fSVP->mSVPColumn->setPlainText("1500.00\n1500.50");
  fSVP->cUseSVP->setChecked(true);
  ASSERT_TRUE(fSVP->cUseSVP->isChecked());
  QDir(QString::fromStdString(DaySVPFolder)).removeRecursively();
  WriteFileAtomically(ExcludeTrailingDelimiter(DaySVPFolder), "not a folder");

  EXPECT_THROW(FNav->Save1Click(), std::runtime_error);  // the menu command reports it
  EXPECT_TRUE(FNav->close());
  IniFile ini;
  EXPECT_TRUE(ini.ValueExists("CANVAS", "PlanWorldLeft"));
  EXPECT_TRUE(ini.ValueExists("fJoystick", "Left"));
  EXPECT_NE(EventsLog().find("\tClosing: saving the drawing failed: Cannot create file"), std::string::npos);
}

TEST_F(MainWindow, ExitAndGenerateRunlineGoOnWhenTheSoundVelocityCopiesCannotBeWritten) {
  Start();
  fSVP->mSVPColumn->setPlainText("1500.00");
  fSVP->cUseSVP->setChecked(true);
  ASSERT_TRUE(fSVP->cUseSVP->isChecked());
  QDir(QString::fromStdString(DaySVPFolder)).removeRecursively();
  WriteFileAtomically(ExcludeTrailingDelimiter(DaySVPFolder), "not a folder");
  std::vector<QString>& shown = prompts::CurrentScript().shown;
  shown.clear();

  fRunline1->hide();
  FNav->GenerateRunline1->trigger();
  EXPECT_TRUE(fRunline1->isVisible());
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].startsWith("Cannot create file")) << shown[0].toStdString();

  FNav->Exit1->trigger();
  EXPECT_FALSE(FNav->isVisible());
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_TRUE(IniFile().ValueExists("CANVAS", "PlanWorldLeft"));
}

TEST_F(MainWindow, SaveWritesTheDatedSoundVelocityCopiesWhileTheProfileIsUsed) {
  Start();
  fSVP->mRawSVData->setPlainText("raw 1\nraw 2");
  fSVP->mSVPColumn->setPlainText("1500.00\n1500.50");
  fSVP->cUseSVP->setChecked(true);
  FNav->Save1->trigger();
  EXPECT_EQ(env.ReadFile(DaySVPFolder + "2026-01-30 mRawSVData.ini"), "raw 1\r\nraw 2\r\n");
  EXPECT_EQ(env.ReadFile(DaySVPFolder + "2026-01-30 mRawSVExtracted.ini"), "");
  EXPECT_TRUE(platform::FileExists(DaySVPFolder + "2026-01-30 mSortedAveragedSV.ini"));
  EXPECT_EQ(env.ReadFile(DaySVPFolder + "2026-01-30 mSVPColumn.ini"), "1500.00\r\n1500.50\r\n");
  EXPECT_EQ(FNav->windowTitle().toStdString(), "Quarix Depthmark - " + DayLayoutFolder + "2026-01-30 1435.qvt");
}

TEST_F(MainWindow, SaveEmptiesTheGridAndVesselLayers) {
  Start();
  TQuarixCanvas* map = FNav->fcad;
  map->DrawLine(0, 0, 1, 1, VesselLayer);
  map->DrawLine(0, 0, 1, 1, GridLayer);
  map->DrawLine(0, 0, 1, 1, UserShapeLayer);
  FNav->bSave->click();
  EXPECT_EQ(ShapesOn(map, VesselLayer), 0);
  EXPECT_EQ(ShapesOn(map, GridLayer), 0);
  EXPECT_EQ(ShapesOn(map, UserShapeLayer), 1);
  EXPECT_EQ(IniFile().ReadString("FILE", "Last File Saved", ""), DayLayoutFolder + "2026-01-30 1435.qvt");
}

TEST_F(MainWindow, CtrlOOpensADrawingFileOnly) {
  Start();
  Offsets->hide();
  const double left = FNav->fcad->WorldLeft, right = FNav->fcad->WorldRight;
  QApplication::setActiveWindow(FNav);
  ASSERT_TRUE(QTest::qWaitForWindowActive(FNav));
  prompts::CurrentScript().shown.clear();
  QTest::keyClick(FNav, Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
  EXPECT_EQ(prompts::CurrentScript().shown[0], "Dialog Open");
  EXPECT_FALSE(Offsets->isVisible());
  EXPECT_FALSE(fWaterfal->isVisible());
  EXPECT_EQ(FNav->fcad->WorldLeft, left);
  EXPECT_EQ(FNav->fcad->WorldRight, right);
}

TEST_F(MainWindow, OpenShowsTheFilesFolderAndKeepsTheFixedLayers) {
  Start();
  const std::string file = env.Home() + "QVT/2026-01-29/QVT/2026-01-29 1800.qvt";
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(env.Home() + "QVT/2026-01-29/QVT")));
  ASSERT_TRUE(WriteFileAtomically(file, "LAYER 1 survey\n"));
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(file));
  FNav->bOpen->click();
  EXPECT_EQ(LastFileName, file);
  EXPECT_EQ(FNav->sStatusBar->PanelText(3).toStdString(), env.Home() + "QVT/2026-01-29/");
  EXPECT_EQ(FNav->sStatusBar->PanelWidth(3), FNav->sStatusBar->TextWidth(FNav->sStatusBar->PanelText(3)) + 20);
  EXPECT_NE(EventsLog().find("\tOpened file: " + file), std::string::npos);
  EXPECT_EQ(VesselLayer, 8);
  EXPECT_EQ(FNav->fcad->GetLayerAction(UserShapeLayer), 15);
  EXPECT_EQ(FNav->windowTitle(), "Quarix Depthmark - ");  // Open changes no caption
}

TEST_F(MainWindow, NewAnsweredNoChangesNothingYesEmptiesTheDrawing) {
  Start();
  TQuarixCanvas* map = FNav->fcad;
  map->DrawLine(0, 0, 1, 1, UserShapeLayer);
  map->AddDepthLabel(1, 1, 5.5);
  map->AddEventLabel(2, 2, 1);
  FNav->New1->trigger();  // the script answers No
  EXPECT_EQ(map->ShapeCount, 1);
  EXPECT_EQ(EventsLog().find("New layout"), std::string::npos);

  prompts::CurrentScript().answers.push_back(prompts::Answer::Yes);
  FNav->New1->trigger();
  EXPECT_EQ(prompts::CurrentScript().shown.back(), "Entire layout will be cleared! Continue?");
  EXPECT_EQ(map->ShapeCount, 0);
  EXPECT_TRUE(map->DepthLabels.empty());
  EXPECT_TRUE(map->EventLabels.empty());
  EXPECT_EQ(map->LayerFindByName("~~Quarix Vessel"), 8);  // the layers stay
  EXPECT_EQ(map->GetLayerAction(UserShapeLayer), 15);
  EXPECT_NE(EventsLog().find("\tNew layout - cleared all shapes"), std::string::npos);
}

TEST_F(MainWindow, SaveAsNamesTheCaptionAndLeavesTheLastFileKey) {
  Start();
  FNav->SaveAs1->trigger();  // cancelled
  EXPECT_EQ(FNav->windowTitle(), "Quarix Depthmark - ");
  const std::string file = env.Home() + "mine.qvt";
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(file));
  FNav->fcad->DrawLine(0, 0, 1, 1, VesselLayer);
  FNav->SaveAs1->trigger();
  EXPECT_EQ(prompts::CurrentScript().shown.back(), "Dialog Save");
  EXPECT_EQ(FNav->windowTitle().toStdString(), "Quarix Depthmark  <" + file + ">");
  EXPECT_EQ(ShapesOn(FNav->fcad, VesselLayer), 0);
  EXPECT_NE(EventsLog().find("\tSaved As: " + file), std::string::npos);
  EXPECT_FALSE(IniFile().ValueExists("FILE", "Last File Saved"));
}

TEST_F(MainWindow, StatusBarClickOpensTheFolderOfPanel3Only) {
  Start();
  OpenedUrls opened;
  TQuarixStatusBar* bar = FNav->sStatusBar;
  auto clickAt = [&](int x) {
    QCursor::setPos(bar->mapToGlobal(QPoint(x, 2)));
    FNav->StatusBarFolderClick(bar);
  };
  clickAt(350);  // no file yet
  FNav->ShowLastFileFolder(DayLayoutFolder + "2026-01-30 1415.qvt");
  const int right = 300 + bar->PanelWidth(3);
  clickAt(299);
  clickAt(right + 1);
  EXPECT_TRUE(opened.urls.empty());
  clickAt(300);
  clickAt(right);
  ASSERT_EQ(opened.urls.size(), 2u);
  EXPECT_EQ(opened.urls[0], DayFolder);
}

TEST_F(MainWindow, RestartAndRemoteSupport) {
  Start();
  // Remote support starts the helper program next to the executable when it is there.
  const std::string tool = platform::ProgramFolder() + "QuarixUD";
  const std::string marker = env.Home() + "support-started";
  FNav->RemoteSupport1->trigger();  // not there: nothing happens
  WriteFileAtomically(tool, "#!/bin/sh\ntouch '" + marker + "'\n", 0755);
  FNav->RemoteSupport1->trigger();
  EXPECT_TRUE(WaitFor([&] { return platform::FileExists(marker); }));

  // Restart closes the window through its closing sequence.
  FNav->bRestart->click();
  EXPECT_FALSE(FNav->isVisible());
  EXPECT_TRUE(IniFile().ValueExists("CANVAS", "PlanWorldLeft"));
}

TEST_F(MainWindow, WindowCommandsShowTheirWindows) {
  Start();
  const struct {
    QAction* item;
    QWidget* window;
  } cases[] = {{FNav->Parameters1, FGPS},          {FNav->NavigationSettings1, Navset},
               {FNav->mRealtimeWindow1, fRealtime}, {FNav->LatencyWatchSet1, fLatency},
               {FNav->VesselShape1, FShape},       {FNav->SoundVelocityProfile1, fSVP},
               {FNav->themeSelection1, fTheme},    {FNav->OffsetsandValues1, Offsets}};
  for (const auto& c : cases) {
    c.window->hide();
    c.item->trigger();
    EXPECT_TRUE(c.window->isVisible()) << c.item->objectName().toStdString();
  }
  fRunline1->hide();
  FNav->tbRunline->click();
  EXPECT_TRUE(fRunline1->isVisible());
  fRunline1->hide();
  IniFile().WriteInteger("fRunline1", "Left", 120);
  FNav->GenerateRunline1->trigger();
  EXPECT_TRUE(fRunline1->isVisible());
  EXPECT_EQ(fRunline1->x(), 120);
  EXPECT_EQ(Count(EventsLog(), "\tAuto-saved: "), 1u);
}

TEST_F(MainWindow, OpenLogFolderOpensTheDayFolder) {
  Start();
  OpenedUrls opened;
  FNav->OpenLogFolder1->trigger();
  const std::string elsewhere = env.Home() + "raw/LOG/";
  FNav->ZGPS1->LogFileName = elsewhere + "2026-01-30 QDM_GNSS_V3.log";
  fRealtime->btOpenLogFolder->click();
  ASSERT_EQ(opened.urls.size(), 2u);
  EXPECT_EQ(opened.urls[0], DayFolder);
  EXPECT_EQ(opened.urls[1], env.Home() + "raw/");
  EXPECT_TRUE(platform::FolderExists(env.Home() + "raw"));
}

// The keypad and the keyboard stand at their places in the main window's
// client area (and follow it), as windows of their own above every other
// window of the program that never take the focus from the edit they serve.
TEST_F(MainWindow, KeypadAndKeyboardAtTheBottomOfTheWindow) {
  Start();
  Offsets->hide();  // its edits are the targets; shown, the dialog would move a keyboard clear of it (below)
  const auto expectAboveAll = [](QWidget* k) {
    EXPECT_TRUE(k->isWindow());
    EXPECT_EQ(k->parentWidget(), FNav);  // freed with the main window
    EXPECT_TRUE(k->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(k->windowFlags() & Qt::X11BypassWindowManagerHint);
    EXPECT_TRUE(k->windowFlags() & Qt::WindowDoesNotAcceptFocus);
  };
  FNav->resize(987, 541);
  FNav->ShowNumericKeypad(Offsets->SV);
  ASSERT_NE(FNav->NumericKeypad, nullptr);
  TQuarixNumericKeypad* keypad = FNav->NumericKeypad;
  EXPECT_EQ(keypad->size(), QSize(170, 250));
  EXPECT_EQ(keypad->pos(), FNav->mapToGlobal(QPoint(807, 281)));
  EXPECT_EQ(keypad->TargetControl, Offsets->SV);
  EXPECT_TRUE(keypad->isVisible());
  expectAboveAll(keypad);
  keypad->hide();
  FNav->resize(900, 600);
  FNav->ShowNumericKeypad(Offsets->bSVP);
  EXPECT_EQ(FNav->NumericKeypad, keypad);  // made once
  EXPECT_EQ(keypad->pos(), FNav->mapToGlobal(QPoint(720, 340)));
  EXPECT_TRUE(keypad->isVisible());

  FNav->resize(987, 541);
  FNav->ShowSimpleKeyboard(Offsets->SV);
  ASSERT_NE(FNav->SimpleKeyboard, nullptr);
  EXPECT_EQ(FNav->SimpleKeyboard->size(), QSize(420, 200));
  EXPECT_EQ(FNav->SimpleKeyboard->pos(), FNav->mapToGlobal(QPoint(283, 331)));
  EXPECT_EQ(FNav->SimpleKeyboard->palette().color(QPalette::Window), QColor(Qt::black));
  expectAboveAll(FNav->SimpleKeyboard);
  EXPECT_EQ(keypad->pos(), FNav->mapToGlobal(QPoint(807, 281)));  // the resize took it along

  // The main window moved: both go with it.
  FNav->move(FNav->pos() + QPoint(30, 20));
  Settle(FNav);
  EXPECT_EQ(keypad->pos(), FNav->mapToGlobal(QPoint(807, 281)));
  EXPECT_EQ(FNav->SimpleKeyboard->pos(), FNav->mapToGlobal(QPoint(283, 331)));

  // The dialog it types into over its place: the keyboard stands just below
  // the dialog where the screen has room, the keypad beside it stays.
  Offsets->show();
  Offsets->move(FNav->mapToGlobal(QPoint(40, 60)));
  Settle(Offsets);
  const QRect dialog = Offsets->frameGeometry();
  ASSERT_TRUE(dialog.intersects(QRect(FNav->mapToGlobal(QPoint(283, 331)), QSize(420, 200))));
  ASSERT_LE(dialog.bottom() + 3 + 200, FNav->screen()->availableGeometry().bottom() + 1);
  FNav->ShowSimpleKeyboard(Offsets->Surveyor);
  FNav->ShowNumericKeypad(Offsets->SV);
  EXPECT_EQ(FNav->SimpleKeyboard->pos(), QPoint(FNav->mapToGlobal(QPoint(283, 0)).x(), dialog.bottom() + 3));
  EXPECT_EQ(keypad->pos(), FNav->mapToGlobal(QPoint(807, 281)));
}

TEST_F(MainWindow, CompactModeInAndOutThroughBtHide) {
  Start();
  fRealtime->show();
  Navset->show();
  fRealtime->btHide->click();
  EXPECT_EQ(fRealtime->btHideImageIndex, 1);
  EXPECT_TRUE(FNav->tRealtime->isHidden());
  EXPECT_TRUE(FNav->tDraw->isHidden());
  EXPECT_TRUE(FNav->pRealtime->isHidden());
  EXPECT_TRUE(FNav->tShape->isHidden());
  EXPECT_TRUE(FNav->MainMenu1->isHidden());
  EXPECT_TRUE(FNav->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(FNav->isVisible());
  EXPECT_FALSE(fRealtime->isVisible());
  EXPECT_FALSE(Navset->isVisible());
  EXPECT_FALSE(fWaterfal->isVisible());

  fRealtime->btHide->click();
  EXPECT_EQ(fRealtime->btHideImageIndex, 0);
  EXPECT_FALSE(FNav->tRealtime->isHidden());
  EXPECT_FALSE(FNav->tDraw->isHidden());
  EXPECT_FALSE(FNav->pRealtime->isHidden());
  EXPECT_FALSE(FNav->tShape->isHidden());
  EXPECT_FALSE(FNav->MainMenu1->isHidden());
  EXPECT_FALSE(FNav->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(FNav->isVisible());
  EXPECT_TRUE(fRealtime->isVisible());
  EXPECT_TRUE(Navset->isVisible());
  EXPECT_FALSE(fWaterfal->isVisible());  // the echo sounder is not open
}

}  // namespace

#include "mainwindow_test.moc"
