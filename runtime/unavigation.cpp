#include "runtime/unavigation.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <climits>
#include <filesystem>
#include <map>
#include <exception>

#include "app/About.h"
#include "app/color.h"
#include "app/displaysettings.h"
#include "app/formats.h"
#include "app/helpers.h"
#include "app/placement.h"
#include "app/stacking.h"
#include "app/settingsfile.h"
#include "app/themes.h"
#include "drawingfiles/QuarixKMZLoader.h"
#include "drawingfiles/dxfimport.h"
#include "drawingfiles/dxfwriter.h"
#include "drawingfiles/importrecord.h"
#include "drawingfiles/importstage.h"
#include "drawingfiles/kmlimport.h"
#include "drawingfiles/xyzimport.h"
#include "canvas/QuarixCanvas.h"
#include "settings/UGPS.h"
#include "settings/unavset.h"
#include "ntrip/uNTRIPSettings.h"
#include "planning/URunlines.h"
#include "planning/UShape.h"
#include "planning/USoundVelocity.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/shell.h"
#include "platform/windowframe.h"
#include "runtime/Bathymetry.h"
#include "runtime/Latency.h"
#include "devices/QuarixSerialGPS.h"
#include "runtime/RealtimeData.h"
#include "runtime/UMsg.h"
#include "runtime/fixedlayers.h"
#include "runtime/geodesylog.h"
#include "runtime/layoutfile.h"
#include "runtime/longtask.h"
#include "runtime/statuspanels.h"
#include "runtime/uCanvas.h"
#include "runtime/uJoystick.h"
#include "runtime/windowlogic.h"
#include "ui/QuarixKeyboard.h"
#include "ui/QuarixTranslation.h"
#include "ui/UTranslationEditor.h"
#include "ui/uTheme.h"

TFNav* FNav = nullptr;

int RealtimeActive = 0;
uint32_t GNSSOpenTick = 0;
uint32_t SounderOpenTick = 0;
uint32_t LastDepthTick = 0;
bool SounderDataSeen = false;
bool SounderTimeoutReported = false;
std::string LastFileName;

std::function<void(int)> TFNav::ExitProcess = [](int status) { ::_exit(status); };

namespace {

const char* const kCaption = "Quarix Depthmark";
const char* const kLayoutFilter = "Quarix Helm [*.qvt] (*.qvt);;All Files [*.*] (*)";
const char* const kExportFilter = "AutoCAD R12 DXF [*.dxf] (*.dxf);;All Files [*.*] (*)";
const char* const kLastFileKey = "Last File Saved    ";  // padded as the program always wrote it

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Why a drawing file could not be read, from the errno its load left.
std::string DrawingReadFailure(int err) {
  switch (err) {
    case EFBIG:
      return "it needs more memory than this machine can give a drawing, or inflates far beyond its size";
    case ENOMEM:
      return "there is not enough memory to read it";
    case ENODATA:
      return "it is cut short, so only part of it could be read";
    case ENOMSG:
      return "it holds no drawing";
    case ENOENT:
      return "it does not exist";
    case EISDIR:
    case EINVAL:
      return "it is not a regular file";
    case EACCES:
    case EPERM:
      return "it may not be read";
    case ECANCELED:
      return "the reading was cancelled";
    case EINTR:
      return "the program was asked to close while reading it";
    default:
      return "it is damaged or not a drawing";
  }
}

// Why a drawing could not be written, from the errno its save left.
std::string DrawingWriteFailure(int err) {
  if (err == EFBIG) return "it is larger than this machine could read back";
  if (err == EINVAL || err == EISDIR) return "the name is taken by something that is not a regular file";
  return err ? std::strerror(err) : "the drawing could not be written";
}

// A menu item. keyText is a key shown on the item without being bound to it:
// a key given to several items belongs to the first of them in menu order.
QAction* Item(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key = {},
              const QString& keyText = {}) {
  auto* a = menu->addAction(keyText.isEmpty() ? caption : caption + "\t" + keyText);
  a->setObjectName(name);
  if (!key.isEmpty()) a->setShortcut(key);
  return a;
}

QToolButton* TextButton(QToolBar* bar, const char* name, const QString& caption) {
  auto* b = new QToolButton(bar);
  b->setObjectName(name);
  b->setText(caption);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  bar->addWidget(b);
  return b;
}

QToolButton* ImageButton(QToolBar* bar, const char* name, const QIcon& icon, const QString& hint) {
  auto* b = new QToolButton(bar);
  b->setObjectName(name);
  b->setIcon(icon);
  b->setToolTip(hint);
  b->setToolButtonStyle(Qt::ToolButtonIconOnly);
  bar->addWidget(b);
  return b;
}

// Small pictures of the drawing tools.
enum class Tool { Point, Line, Rectangle, Polyline, Ellipse, Polygon, Spline, Arc, Circle };
QIcon ToolIcon(Tool t) {
  QPixmap pm(20, 20);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1.5));
  switch (t) {
    case Tool::Point: p.setBrush(Qt::black); p.drawEllipse(QPointF(10, 10), 2.5, 2.5); break;
    case Tool::Line: p.drawLine(3, 17, 17, 3); break;
    case Tool::Rectangle: p.drawRect(3, 5, 14, 10); break;
    case Tool::Polyline: p.drawPolyline(QPolygon({QPoint(2, 16), QPoint(7, 5), QPoint(12, 14), QPoint(18, 4)})); break;
    case Tool::Ellipse: p.drawEllipse(2, 5, 16, 10); break;
    case Tool::Polygon: p.drawPolygon(QPolygon({QPoint(3, 15), QPoint(6, 4), QPoint(16, 6), QPoint(17, 16)})); break;
    case Tool::Spline: {
      QPainterPath path(QPointF(2, 15));
      path.cubicTo(6, 0, 14, 20, 18, 5);
      p.drawPath(path);
      break;
    }
    case Tool::Arc: p.drawArc(3, 3, 14, 14, 0, 180 * 16); break;
    case Tool::Circle: p.drawEllipse(QPointF(10, 10), 7, 7); break;
  }
  return QIcon(pm);
}

// Runs one step of the closing sequence; an error is logged and the sequence goes on.
template <class F>
void ClosingStep(const char* what, F&& step) {
  try {
    step();
  } catch (const std::exception& e) {
    LogEvent(std::string("Closing: ") + what + " failed: " + e.what());
  } catch (...) {
    LogEvent(std::string("Closing: ") + what + " failed");
  }
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// A caption that a state gives a button, in the interface language.
void ShowStateCaption(QAbstractButton* button, const char* key) {
  if (button) button->setText(Q(Translation ? Translation->Translate(key) : std::string(key)));
}

// The height of a window's title bar; as high as the style draws one while
// the window manager has not framed the window yet.
int TitleBarHeight(const QWidget* w) {
  const int framed = w->geometry().top() - w->frameGeometry().top();
  return framed > 0 ? framed : w->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, w);
}

// The map's part of the screen: where the windows that stay on top of the
// main window stand without a placement of their own, clear of the main
// window's menu and tool bars.
QRect MapOnScreen(const TFNav* main) {
  // Once framed, the main window's client area is where the display server
  // has it: the frame's margins Qt goes by may still be those of a frame
  // being built, which put the map a title bar too high (over the tool bar).
  QMargins framed;
  QPoint client;
  if (!platform::WindowFrameExtents(main->windowHandle(), framed) ||
      !platform::WindowClientOrigin(main->windowHandle(), client))
    client = QPoint(main->geometry().left(), main->frameGeometry().top() + TitleBarHeight(main));
  QRect map(client + main->Panel4->mapTo(main, QPoint(0, 0)), main->Panel4->size());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) map &= screen->availableGeometry();
  return map;
}

}  // namespace

// Every window that stays on top of the main window has a corner of the map
// for its first place (a stored placement wins): the offsets and the tool
// windows at the top left, the navigation settings and the realtime data at
// the top right, the battery at the bottom left and the small windows that
// come and go at the bottom right.
std::vector<std::pair<QWidget*, Qt::Corner>> TFNav::StayOnTopWindows() const {
  return {{Navset, Qt::TopRightCorner},     {Offsets, Qt::TopLeftCorner},    {fJoystick, Qt::BottomLeftCorner},
          {fRealtime, Qt::TopRightCorner},  {FMsg, Qt::BottomRightCorner},   {fLatency, Qt::BottomRightCorner},
          {fWaterfal, Qt::BottomRightCorner}, {FShape, Qt::TopLeftCorner},   {FGPS, Qt::TopLeftCorner},
          {fSVP, Qt::TopLeftCorner},        {fRunline1, Qt::TopLeftCorner},  {fTheme, Qt::TopLeftCorner}};
}

void TFNav::PlaceStayOnTopWindows() {
  for (const auto& [window, corner] : StayOnTopWindows())
    if (window) SetDefaultPlace(window, [this] { return MapOnScreen(this); }, corner);
}

TFNav::TFNav(QWidget* parent) : QMainWindow(parent) {
  setObjectName("FNav");
  HoldPlacements(false);  // held by a closing before an earlier start placed its windows
  setWindowTitle(kCaption);
  QFont f("MS Sans Serif");
  f.setPointSize(8);
  setFont(f);
  BuildMenu();
  BuildToolBars();
  BuildPanels();
  resize(987, 541);
  move(0, 154);

  tMap = new QTimer(this);
  tMap->setInterval(200);
  tEchogram = new QTimer(this);
  tEchogram->setInterval(200);
  tScreenshot = new QTimer(this);
  tScreenshot->setInterval(30000);
  connect(tMap, &QTimer::timeout, this, [this] { tMapTimer(tMap); });
  connect(tEchogram, &QTimer::timeout, this, [this] { tEchogramTimer(tEchogram); });
  connect(tScreenshot, &QTimer::timeout, this, [this] { tScreenshotTimer(tScreenshot); });
  tEchogram->start();
  tScreenshot->start();

  FormCreate();
  ConnectMapCommands();
}

TFNav::~TFNav() {
  // A keyboard window hides as it is destroyed, and that Hide passes the
  // event filter: the pointer is gone by then.
  delete std::exchange(NumericKeypad, nullptr);
  delete std::exchange(SimpleKeyboard, nullptr);
}

void TFNav::BuildMenu() {
  MainMenu1 = menuBar();
  MainMenu1->setObjectName("MainMenu1");

  File1 = MainMenu1->addMenu("File");
  File1->setObjectName("File1");
  New1 = Item(File1, "New1", "New", QKeySequence("Ctrl+N"));
  File1->addSeparator();
  Open1 = Item(File1, "Open1", "Open...", QKeySequence("Ctrl+O"));
  Save1 = Item(File1, "Save1", "Save", QKeySequence("Ctrl+S"));
  SaveAs1 = Item(File1, "SaveAs1", "Save As...", QKeySequence("Ctrl+W"));
  File1->addSeparator();
  Import1 = Item(File1, "Import1", "Import...", QKeySequence("Ctrl+I"));
  Export1 = Item(File1, "Export1", "Export...", QKeySequence("Ctrl+X"));
  File1->addSeparator();
  Exit1 = Item(File1, "Exit1", "Exit", QKeySequence("Ctrl+Q"));

  Zoom1 = MainMenu1->addMenu("Zoom");
  Zoom1->setObjectName("Zoom1");
  In1 = Item(Zoom1, "In1", "In", {}, "Ctrl+I");
  Out1 = Item(Zoom1, "Out1", "Out", {}, "Ctrl+O");
  Extents1 = Item(Zoom1, "Extents1", "Extents", QKeySequence("Ctrl+Alt+E"));
  Window1 = Item(Zoom1, "Window1", "Window", {}, "Ctrl+W");
  Dynamic1 = Item(Zoom1, "Dynamic1", "Dynamic", QKeySequence("Ctrl+Alt+D"));

  Settings1 = MainMenu1->addMenu("Tools");
  Settings1->setObjectName("Settings1");
  VesselShape1 = Item(Settings1, "VesselShape1", "Vessel Shape...");
  OpenLogFolder1 = Item(Settings1, "OpenLogFolder1", "Open Log Folder", QKeySequence("Ctrl+L"));
  LatencyWatchSet1 = Item(Settings1, "LatencyWatchSet1", "Latency Watch/Set");
  TranslationEditor1 = Item(Settings1, "TranslationEditor1", "Translation Editor");

  ools1 = MainMenu1->addMenu("Edit");
  ools1->setObjectName("ools1");
  ClearUnfixedTracks1 = Item(ools1, "ClearUnfixedTracks1", "Clear tracks unfixed");
  ClearFixedTracks1 = Item(ools1, "ClearFixedTracks1", "Clear tracks fixed");
  ClearUserAddedShapes1 = Item(ools1, "ClearUserAddedShapes1", "Clear shapes user added");
  Deletetracksselected1 = Item(ools1, "Deletetracksselected1", "Delete tracks selected");
  Followvessel1 = Item(ools1, "Followvessel1", "Follow vessel");
  Donotfollowvessel1 = Item(ools1, "Donotfollowvessel1", "Do not follow vessel");
  MarkEvent1 = Item(ools1, "MarkEvent1", "Mark Event", QKeySequence("F12"));

  Window2 = MainMenu1->addMenu("Window");
  Window2->setObjectName("Window2");
  NavigationSettings1 = Item(Window2, "NavigationSettings1", "Navigation Settings...");
  mRealtimeWindow1 = Item(Window2, "mRealtimeWindow1", "Realtime Window...");
  Echogram1 = Item(Window2, "Echogram1", "Echogram...", {}, "Ctrl+O");
  OffsetsandValues1 = Item(Window2, "OffsetsandValues1", "Offsets...", {}, "Ctrl+O");
  themeSelection1 = Item(Window2, "themeSelection1", "Theme Selection...");
  SoundVelocityProfile1 = Item(Window2, "SoundVelocityProfile1", "Sound Velocity Profile...");
  QuarixNTRIPClient1 = Item(Window2, "QuarixNTRIPClient1", "Quarix NTRIP Client...");
  GenerateRunline1 = Item(Window2, "GenerateRunline1", "Generate Runline...");
  Parameters1 = Item(Window2, "Parameters1", "Device Settings...", QKeySequence("F10"));

  Help1 = MainMenu1->addMenu("Help");
  Help1->setObjectName("Help1");
  RemoteSupport1 = Item(Help1, "RemoteSupport1", "Remote Support...");
  About1 = Item(Help1, "About1", "About...");

  connect(New1, &QAction::triggered, this, [this] { New1Click(New1); });
  connect(Open1, &QAction::triggered, this, [this] { Open1Click(Open1); });
  connect(Save1, &QAction::triggered, this, [this] { Save1Click(Save1); });
  connect(SaveAs1, &QAction::triggered, this, [this] { SaveAs1Click(SaveAs1); });
  connect(Import1, &QAction::triggered, this, [this] { Import1Click(Import1); });
  connect(Export1, &QAction::triggered, this, [this] { Export1Click(Export1); });
  connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(Exit1); });
  connect(VesselShape1, &QAction::triggered, this, [this] { VesselShape1Click(VesselShape1); });
  connect(OpenLogFolder1, &QAction::triggered, this, [this] { OpenLogFolder1Click(OpenLogFolder1); });
  connect(LatencyWatchSet1, &QAction::triggered, this, [this] { LatencyWatchSet1Click(LatencyWatchSet1); });
  connect(NavigationSettings1, &QAction::triggered, this,
          [this] { NavigationSettings1Click(NavigationSettings1); });
  connect(mRealtimeWindow1, &QAction::triggered, this, [this] { mRealtimeWindow1Click(mRealtimeWindow1); });
  connect(OffsetsandValues1, &QAction::triggered, this, [this] { OffsetsandValues1Click(OffsetsandValues1); });
  connect(themeSelection1, &QAction::triggered, this, [this] { themeSelection1Click(themeSelection1); });
  connect(SoundVelocityProfile1, &QAction::triggered, this,
          [this] { SoundVelocityProfile1Click(SoundVelocityProfile1); });
  connect(QuarixNTRIPClient1, &QAction::triggered, this,
          [this] { QuarixNTRIPClient1Click(QuarixNTRIPClient1); });
  connect(GenerateRunline1, &QAction::triggered, this, [this] { Generate1Click(GenerateRunline1); });
  connect(Parameters1, &QAction::triggered, this, [this] { Parameters1Click(Parameters1); });
  connect(RemoteSupport1, &QAction::triggered, this, [this] { RemoteSupport1Click(RemoteSupport1); });
  connect(About1, &QAction::triggered, this, [this] { About1Click(About1); });
}

void TFNav::BuildToolBars() {
  tRealtime = new QToolBar(this);
  tRealtime->setObjectName("tRealtime");
  tRealtime->setMovable(false);
  tRealtime->setAutoFillBackground(true);
  addToolBar(Qt::TopToolBarArea, tRealtime);
  Realtime = TextButton(tRealtime, "Realtime", "Realtime");
  Realtime->setCheckable(true);  // down while the survey runs
  tbRunline = TextButton(tRealtime, "tbRunline", "Runline");
  ConnectIcon = TextButton(tRealtime, "ConnectIcon", "Settings");
  tbFixed = TextButton(tRealtime, "tbFixed", "Fixed");
  tbFloat = TextButton(tRealtime, "tbFloat", "Float");
  tbAuto = TextButton(tRealtime, "tbAuto", "Auto");
  tRealtime->addSeparator();
  bSelectTracks = TextButton(tRealtime, "bSelectTracks", "Select Track");
  bDelSelected = TextButton(tRealtime, "bDelSelected", "Delete Slected");
  tRealtime->addSeparator();
  bFollowVessel = TextButton(tRealtime, "bFollowVessel", "Follow");
  ToolButton13 = TextButton(tRealtime, "ToolButton13", "No follow");

  addToolBarBreak(Qt::TopToolBarArea);
  tDraw = new QToolBar(this);
  tDraw->setObjectName("tDraw");
  tDraw->setMovable(false);
  addToolBar(Qt::TopToolBarArea, tDraw);
  QStyle* st = style();
  bOpen = TextButton(tDraw, "bOpen", "Open");
  bSave = TextButton(tDraw, "bSave", "Save");
  tDraw->addSeparator();
  Zoomin = TextButton(tDraw, "Zoomin", "Zoom In");
  Zoomout = TextButton(tDraw, "Zoomout", "Zoom Out");
  Zoomextents = ImageButton(tDraw, "Zoomextents", st->standardIcon(QStyle::SP_TitleBarMaxButton), "Zoom Extents");
  Zoomwindow = ImageButton(tDraw, "Zoomwindow", st->standardIcon(QStyle::SP_FileDialogContentsView), "Zoom Window");
  Zoomdynamic = ImageButton(tDraw, "Zoomdynamic", st->standardIcon(QStyle::SP_BrowserReload), "Zoom Dynamic");
  Zoompan = ImageButton(tDraw, "Zoompan", st->standardIcon(QStyle::SP_ArrowForward), "Pan");
  tDraw->addSeparator();
  bMouseSelect = ImageButton(tDraw, "bMouseSelect", st->standardIcon(QStyle::SP_DialogApplyButton), "Select");
  ToolButton11 = TextButton(tDraw, "ToolButton11", "Clear User Shapes");
  tDraw->addSeparator();
  btEventAdd = TextButton(tDraw, "btEventAdd", "Add Event");
  btEventReset = TextButton(tDraw, "btEventReset", "Reset Event");
  tDraw->addSeparator();
  bExit = ImageButton(tDraw, "bExit", st->standardIcon(QStyle::SP_DialogCloseButton), "Exit");
  bRestart = ImageButton(tDraw, "bRestart", st->standardIcon(QStyle::SP_BrowserReload), "Restart");

  tShape = new QToolBar(this);
  tShape->setObjectName("tShape");
  tShape->setOrientation(Qt::Vertical);
  tShape->setMovable(false);
  addToolBar(Qt::LeftToolBarArea, tShape);
  ToolButton7 = ImageButton(tShape, "ToolButton7", ToolIcon(Tool::Point), "Point");
  ToolButton12 = ImageButton(tShape, "ToolButton12", ToolIcon(Tool::Line), "Line");
  ToolButton21 = ImageButton(tShape, "ToolButton21", ToolIcon(Tool::Rectangle), "Rectangle");
  ToolButton23 = ImageButton(tShape, "ToolButton23", ToolIcon(Tool::Polyline), "Polyline");
  ToolButton27 = ImageButton(tShape, "ToolButton27", ToolIcon(Tool::Ellipse), "Ellipse");
  ToolButton28 = ImageButton(tShape, "ToolButton28", ToolIcon(Tool::Polygon), "Polygon");
  ToolButton29 = ImageButton(tShape, "ToolButton29", ToolIcon(Tool::Spline), "Spline");
  ToolButton30 = ImageButton(tShape, "ToolButton30", ToolIcon(Tool::Arc), "Arc");
  ToolButton31 = ImageButton(tShape, "ToolButton31", ToolIcon(Tool::Circle), "Circle");

  connect(Realtime, &QToolButton::clicked, this, [this] { RealtimeClick(Realtime); });
  connect(tbRunline, &QToolButton::clicked, this, [this] { tbRunlineClick(tbRunline); });
  connect(ConnectIcon, &QToolButton::clicked, this, [this] { ConnectIconClick(ConnectIcon); });
  connect(bOpen, &QToolButton::clicked, this, [this] { Open1Click(bOpen); });
  connect(bSave, &QToolButton::clicked, this, [this] { Save1Click(bSave); });
  connect(bExit, &QToolButton::clicked, this, [this] { bExitClick(bExit); });
  connect(bRestart, &QToolButton::clicked, this, [this] { bRestartClick(bRestart); });
}

void TFNav::BuildPanels() {
  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  Panel4 = new QWidget(client);
  Panel4->setObjectName("Panel4");
  auto* mapLayout = new QVBoxLayout(Panel4);
  mapLayout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Panel4, 1);
  pRealtime = new QWidget(client);
  pRealtime->setObjectName("pRealtime");
  auto* barLayout = new QVBoxLayout(pRealtime);
  barLayout->setContentsMargins(0, 0, 0, 0);
  sStatusBar = new TQuarixStatusBar(7, 100, pRealtime);
  barLayout->addWidget(sStatusBar);
  layout->addWidget(pRealtime);
  setCentralWidget(client);
}

// ---------------------------------------------------------------------------
// Life cycle

void TFNav::FormCreate() {
  // 1. Day folders, JPG and MP4 included; a folder that cannot be made is skipped.
  try {
    for (const std::string& f : {DayFolder, DayLayoutFolder, DayLogFolder, DayXYZFolder, DaySVPFolder,
                                 DayFolder + "JPG", DayFolder + "MP4"})
      QDir().mkpath(Q(f));
  } catch (...) {
  }

  // 2. Icon.
  try {
    const QString icon = Q(platform::ProgramFolder() + "QuarixDM2.ico");
    if (QFile::exists(icon)) {
      QApplication::setWindowIcon(QIcon(icon));
      setWindowIcon(QIcon(icon));
    }
  } catch (...) {
  }

  // 3. Translation dictionary and the language of the settings file.
  if (!Translation) Translation = new TQuarixTranslation();
  std::string language;
  {
    IniFile ini;
    language = ini.ReadString("SETTINGS", "Language", "en");
    OverlayFontSize = StrToIntDef(ini.ReadString("OVERLAY_SETTINGS", "FontSize", "40"), 40);
  }
  if (language != "en") Translation->SetLanguage(language);

  // 4. Translation editor, status bar clicks, the language panel.
  connect(TranslationEditor1, &QAction::triggered, this, [this] { TranslationEditor1Click(TranslationEditor1); });
  sStatusBar->OnClick = [this](QObject* s) { StatusBarFolderClick(s); };
  sStatusBar->OnDblClick = [this](QObject* s) { sStatusBarDblClick(s); };
  if (sStatusBar->PanelCount() > 4) {
    sStatusBar->SetPanelText(4, Q(Upper(Translation->CurrentLanguage)));
    sStatusBar->SetPanelWidth(4, sStatusBar->TextWidth("EN") + 16);
  }

  // 5. The GNSS receiver.
  ZGPS1 = new TQuarixSerialGPS(this);
  ZGPS1->setObjectName("ZGPS1");
  ZGPS1->CarriesNMEA = true;
  ZGPS1->OnConnect = [this](QObject* s, int port) { ZGPS1Connect(s, port); };
  ZGPS1->OnDisconnect = [this](QObject* s, int port) { ZGPS1Disconnect(s, port); };
  ZGPS1->OnIdle = [this](QObject* s) { ZGPS1Idle(s); };
  ZGPS1->OnTimeout = [this](QObject* s) { ZGPS1Timeout(s); };
  ZGPS1->OnNewCommand = [this](QObject* s, const std::string& line) { ZGPS1NewCommand(s, line); };
  ZGPS1->OnPosition3DChange = [this](QObject* s, double lat, double lon, double alt) {
    ZGPS1Position3DChange(s, lat, lon, alt);
  };
  ZGPS1->OnSpeedChange = [this](QObject* s, double speed) { ZGPS1SpeedChange(s, speed); };
  ZGPS1->OnSend = [this](QObject* s, const std::string& text) { ZGPS1Send(s, text); };
  ZGPS1->OnRawLogProblem = [this](QObject*, const std::string& text) { SurveyReport(text); };
  ZGPS1->OnBadSentences = [this](QObject*, const std::string& text) { SurveyReport(text); };
  ZGPS1->OnWriteProblem = [this](QObject*, const std::string& text) { SurveyReport(text); };

  // 6. The echo sounder: its lines, and its port lost and found again.
  ZSENSOR = new TQuarixSerialGPS(this);
  ZSENSOR->setObjectName("ZSENSOR");
  ZSENSOR->OnNewCommand = [this](QObject* s, const std::string& line) { ZSENSORNewCommand(s, line); };
  ZSENSOR->OnConnect = [this](QObject* s, int port) { ZSENSORConnect(s, port); };
  ZSENSOR->OnDisconnect = [this](QObject* s, int port) { ZSENSORDisconnect(s, port); };
  ZSENSOR->OnRawLogProblem = [this](QObject*, const std::string& text) { SurveyReport(text); };
  ZSENSOR->OnBadSentences = [this](QObject*, const std::string& text) { SurveyReport(text); };

  // 7. The map, filling Panel4, on the panel colour of the style in force.
  fcad = new TQuarixCanvas(Panel4);
  fcad->setObjectName("fcad");
  Panel4->layout()->addWidget(fcad);
  const QColor panel = ThemePanelColor(ActiveThemeName());
  fcad->SetBackColor(panel.isValid() ? FromQColor(panel) : clWhite);

  fcad->OnShapeNumberSelected = [this](TQuarixCanvasModel* s, int16_t type, int32_t number) {
    fcadShapeNumberSelected(s, type, number);
  };
  fcad->OnWorldMouseMove = [this](TQuarixCanvasModel* s, int16_t shift, double x, double y, double m, double a) {
    fcadWorldMouseMove(s, shift, x, y, m, a);
  };
  fcad->OnWorldMouseDown = [this](TQuarixCanvasModel* s, int16_t button, int16_t shift, int16_t action, double x,
                                  double y) { fcadWorldMouseDown(s, button, shift, action, x, y); };
  fcad->OnDrawBegin = [this](TQuarixCanvasModel* s, int16_t type, double x, double y) {
    fcadDrawBegin(s, type, x, y);
  };
  fcad->OnDrawEnd = [this](TQuarixCanvasModel* s, int16_t type, double x, double y) { fcadDrawEnd(s, type, x, y); };
  fcad->OnDblClick = [this](TQuarixCanvas* s) { fcadDblClick(s); };

  // 8. The selection button, and the keys seen by the window before its controls.
  connect(bMouseSelect, &QToolButton::clicked, this, [this] { bMouseSelectClick(bMouseSelect); });
  qApp->installEventFilter(this);
  // The windows that stay on top of this one never cover one the user opens.
  KeepWindowsAboveMainWindow(this);

  // 9. Number and date formats are the program's own (app/formats.h), never the user's locale.

  // 10.
  EchoToMonitor = true;

  // 11. The Realtime button.
  Realtime->setText("Start");
  Realtime->setFixedSize(104, 28);  // room for its Turkish caption
  QFont bf("Segoe UI");
  bf.setPointSize(10);
  bf.setBold(true);
  Realtime->setFont(bf);
  Realtime->setAutoRaise(false);
  SetDesignButtonTextColour(Realtime, ToQColor(clNavy));
}

void TFNav::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (shown_) {
    setAttribute(Qt::WA_ShowWithoutActivating, false);  // only the first showing leaves the keyboard to the offsets
    return;
  }
  shown_ = true;
  setAttribute(Qt::WA_ShowWithoutActivating, Offsets != nullptr);
  FormShow();
}

void TFNav::FormShow() {
  OpenFixedLayers(fcad);
  ApplyLanguage();
  try {
    IniFile ini;
    const std::string last = ini.ReadString("FILE", "Last File Saved", "");
    if (fcad && !last.empty()) {
      // The last drawing is reloaded; one that cannot be is told, and the
      // map starts without it.
      errno = 0;
      const int err = LoadLayoutFile(fcad, last, 0) == 1 ? 0 : errno;
      if (err == 0) {
        ShowLastFileFolder(last);
      } else {
        const std::string why = DrawingReadFailure(err);
        LogEvent("Reload failed: " + last + " could not be read (" + why + ")");
        // Closing meanwhile, the map holds none of the drawing: the closing
        // saves nothing, and the drawing stays the last one saved.
        if (err == EINTR)
          reloadInterrupted_ = last;
        else
          prompts::ShowMessage(Q("The last saved drawing " + last + " could not be reloaded: " + why + "."));
      }
    }
    if (fcad) {
      for (const char* name : {"~~Quarix Vessel", "Quarix Grid"}) {
        const int n = fcad->LayerFindByName(name);
        if (n >= 0) fcad->CadClearShapes(n);
      }
    }
    setWindowTitle(Q(std::string(kCaption) + " - " + last));
    if (fcad) {
      try {
        fcad->WorldLeft = ini.ReadFloat("CANVAS", "PlanWorldLeft", 0);
        fcad->WorldRight = ini.ReadFloat("CANVAS", "PlanWorldRight", 1000);
        fcad->WorldTop = ini.ReadFloat("CANVAS", "PlanWorldTop", 1000);
        fcad->WorldBottom = ini.ReadFloat("CANVAS", "PlanWorldBottom", 0);
      } catch (...) {
        fcad->WorldLeft = 0;
        fcad->WorldRight = 1000;
        fcad->WorldTop = 1000;
        fcad->WorldBottom = 0;
      }
      // The map has its size by now: the stored window is shown at one scale across and up.
      fcad->KeepProportions();
      fcad->GridAutoScale = ini.ReadBool("CANVAS", "GridAutoScale", true);
      fcad->DepthSpeedDisplayMode = ini.ReadInteger("CANVAS", "DepthSpeedDisplayMode", 0);
      fcad->GGAOverlayPosition = ini.ReadInteger("CANVAS", "GGAOverlayPosition", 0);
    }
    int interval = ini.ReadInteger("SCREENSHOT", "Interval", 60);
    if (FGPS && FGPS->eScreenshotInterval) FGPS->eScreenshotInterval->setText(QString::number(interval));
    interval = std::min(interval, INT_MAX / 1000);
    if (interval > 0) {
      tScreenshot->setInterval(interval * 1000);
      tScreenshot->start();
    } else {
      tScreenshot->stop();
    }
  } catch (...) {
  }
  OpenFixedLayers(fcad);
  RestoreFormPlacement(this, true);
  PlaceStayOnTopWindows();
  // The navigation settings are shown already; the offsets and the battery now.
  for (QWidget* w : std::initializer_list<QWidget*>{Navset, Offsets, fJoystick})
    if (w) RestoreFormPlacement(w, false);
  if (fJoystick) fJoystick->show();
  placed_ = true;
  // The offsets are what the surveyor fills first: the dialog takes the
  // keyboard, and this window, mapped after it, does not take it away.
  if (Offsets) {
    Offsets->show();
    Offsets->raise();
    Offsets->activateWindow();
  }
}

void TFNav::closeEvent(QCloseEvent* e) {
  if (closing_) {
    e->ignore();
    return;
  }
  closing_ = true;
  bool canClose = true;
  FormCloseQuery(this, canClose);
  closing_ = false;
  if (!canClose) {
    e->ignore();
    return;
  }
  e->accept();
  // The other windows are closed as the program quits; one that refuses (a
  // question without Cancel, a dialog that keeps itself open) does not keep
  // the program alive once the main window has closed.
  QCoreApplication::quit();
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

void TFNav::FormCloseQuery(QObject* Sender, bool& CanClose) {
  CanClose = true;
  Realtime->setEnabled(false);
  QCoreApplication::processEvents();
  QThread::msleep(50);

  ClosingStep("closing the GNSS port", [&] { ZGPS1->Close(); });
  ClosingStep("closing the echo-sounder port", [&] { ZSENSOR->Close(); });
  QThread::msleep(50);

  // From here on the ports are shut: whatever fails to be written is logged
  // and the rest of the sequence still runs.
  if (!reloadInterrupted_.empty())
    LogEvent("Drawing not saved: the reload at start was stopped by the closing; the last saved drawing stays " +
             reloadInterrupted_);
  else
    ClosingStep("saving the drawing", [&] { Save1Click(this); });
  // Closed before the start put the windows at their places, they stand
  // where nobody put them: the stored placements stay.
  if (!placed_) HoldPlacements(true);
  for (QWidget* w : std::initializer_list<QWidget*>{Offsets, Navset, this, fRealtime, fSVP, fRunline1, fWaterfal,
                                                    fJoystick})
    if (w) ClosingStep("saving a window placement", [&] { SaveFormPlacement(w); });
  for (QWidget* w : std::initializer_list<QWidget*>{Navset, Offsets, FGPS, fRealtime, fRunline1, fWaterfal})
    if (w) ClosingStep("closing a window", [&] { w->close(); });
  ClosingStep("saving the map settings", [&] { SaveClosingSettings(); });
}

void TFNav::SaveClosingSettings() {
  if (!fcad) return;
  IniFile ini;
  ini.WriteFloat("CANVAS", "PlanWorldLeft", fcad->WorldLeft);
  ini.WriteFloat("CANVAS", "PlanWorldRight", fcad->WorldRight);
  ini.WriteFloat("CANVAS", "PlanWorldTop", fcad->WorldTop);
  ini.WriteFloat("CANVAS", "PlanWorldBottom", fcad->WorldBottom);
  ini.WriteBool("CANVAS", "GridAutoScale", fcad->GridAutoScale);
  ini.WriteInteger("CANVAS", "DepthSpeedDisplayMode", fcad->DepthSpeedDisplayMode);
  ini.WriteInteger("CANVAS", "GGAOverlayPosition", fcad->GGAOverlayPosition);
  if (!ini.UpdateFile()) LogEvent("Closing: could not write the settings file " + ini.FileName());
}

// ---------------------------------------------------------------------------
// Realtime

void TFNav::RealtimeClick(QObject* Sender) {
  if (RealtimeActive == 0)
    StartSurvey();
  else
    StopSurvey();
}

void TFNav::StartSurvey() {
  // The start block of the geodesy log comes first; when it cannot be written
  // the survey does not start. It names the parameters the run converts
  // every position with: those of the device settings at this start.
  const devicesettings::GeodeticTexts geodesy = GeodesyInSettings();
  try {
    WriteGeodesyLog(geodesy);
  } catch (...) {
    Realtime->setChecked(false);
    throw;
  }
  LoadGridParameters(geodesy);
  // The soundings are corrected with the accepted offsets from the first one
  // on, whatever line comes first; a position of an earlier run is not current.
  SurveyStarts();

  if (FGPS) {
    FGPS->GPSSetClick();
    FGPS->SensorSetClick();
  }

  try {
    ZGPS1->Open();
    GNSSOpenTick = platform::TickCount();
  } catch (...) {
  }
  if (!ZGPS1->Active) {
    const std::string text = "Could not open GPS port " + TQuarixSerialGPS::PortName(ZGPS1->Port);
    FMsg->AddLine(Q(text));
    FMsg->show();
    LogEvent(text);
  }

  if (FGPS && FGPS->SensorEnabled->isChecked()) {
    try {
      ZSENSOR->Open();
      FMsg->AddLine(Q("ZSENSOR Open called on port: " + TQuarixSerialGPS::PortName(ZSENSOR->Port)));
    } catch (const std::exception& e) {
      FMsg->AddLine(Q(std::string("ZSENSOR Open failed: ") + e.what()));
    } catch (...) {
      FMsg->AddLine("ZSENSOR Open failed with unknown error");
    }
    if (!ZSENSOR->Active) {
      const std::string text = "Could not open sensor port " + TQuarixSerialGPS::PortName(ZSENSOR->Port);
      FMsg->AddLine(Q(text));
      FMsg->show();
      LogEvent(text);
    }
    tEchogram->start();
    SounderWatch.Arm(platform::TickCount());
    fRealtime->DepthFrameHi->hide();
    fRealtime->DepthFrameLo->hide();
  } else {
    fRealtime->DepthFrameHi->hide();
    fRealtime->DepthFrameLo->hide();
    fRealtime->SetClientHeight(191);
  }

  ShowStateCaption(Realtime, "Stop");
  Realtime->setChecked(true);
  // The bar and its buttons turn green, with white text.
  SetStateColour(tRealtime, ToQColor(clGreen));
  SetStateColour(Realtime, ToQColor(clGreen));
  LogEvent("Realtime STARTED");
  RealtimeActive = 1;
}

void TFNav::StopSurvey() {
  ZGPS1->Close();
  ZSENSOR->Close();
  tMap->stop();
  tEchogram->stop();
  SounderWatch.Disarm();
  GNSSOpenTick = 0;
  if (fWaterfal) fWaterfal->hide();
  ShowStateCaption(Realtime, "Start");
  Realtime->setChecked(false);
  // Back to the theme, whichever is chosen later; the GNSS box's fix colour is over too.
  ClearStateColour(tRealtime);
  ClearStateColour(Realtime);
  SetDesignButtonTextColour(Realtime, ToQColor(clNavy));
  if (fRealtime) ClearStateColour(fRealtime->GPSGroupBox);
  LogEvent("Realtime STOPPED");
  RealtimeActive = 0;
}

// ---------------------------------------------------------------------------
// Program commands

// The Save command for a command that goes on after it whatever happens: an
// error (the dated sound-velocity copies) is shown in the exception box.
void TFNav::SaveAndGoOn(QObject* Sender) {
  try {
    Save1Click(Sender);
  } catch (const std::exception& e) {
    prompts::ShowException(QString::fromUtf8(e.what()));
  } catch (...) {
    prompts::ShowException(QString());
  }
}

void TFNav::Exit1Click(QObject* Sender) {
  SaveAndGoOn(Sender);
  close();
}

void TFNav::bExitClick(QObject* Sender) { ExitProcess(255); }

void TFNav::bRestartClick(QObject* Sender) {
  platform::StartDetached(platform::ProgramPath());
  close();
}

void TFNav::RemoteSupport1Click(QObject* Sender) {
  const std::string tool = platform::ProgramFolder() + "QuarixUD";
  if (platform::FileExists(tool)) platform::StartDetached(tool);
}

// ---------------------------------------------------------------------------
// Window commands

void TFNav::About1Click(QObject* Sender) {
  if (formAbout) formAbout->exec();
}

void TFNav::Parameters1Click(QObject* Sender) {
  if (FGPS) FGPS->show();
}

void TFNav::ConnectIconClick(QObject* Sender) {
  if (!FGPS) return;
  FGPS->show();
  FGPS->raise();
  FGPS->activateWindow();
}

void TFNav::OffsetsandValues1Click(QObject* Sender) {
  if (Offsets) Offsets->show();
}

void TFNav::NavigationSettings1Click(QObject* Sender) {
  if (Navset) Navset->show();
}

void TFNav::mRealtimeWindow1Click(QObject* Sender) {
  if (fRealtime) fRealtime->show();
}

void TFNav::LatencyWatchSet1Click(QObject* Sender) {
  if (fLatency) fLatency->show();
}

void TFNav::OpenLogFolder1Click(QObject* Sender) {
  if (fRealtime) fRealtime->btOpenLogFolder->click();
}

void TFNav::VesselShape1Click(QObject* Sender) {
  if (FShape) FShape->show();
}

void TFNav::SoundVelocityProfile1Click(QObject* Sender) {
  if (fSVP) fSVP->show();
}

void TFNav::tbRunlineClick(QObject* Sender) {
  if (fRunline1) fRunline1->show();
}

void TFNav::Generate1Click(QObject* Sender) {
  SaveAndGoOn(Save1);
  if (!fRunline1) return;
  RestoreFormPlacement(fRunline1, false);
  fRunline1->show();
}

void TFNav::themeSelection1Click(QObject* Sender) {
  if (fTheme) fTheme->show();
}

void TFNav::QuarixNTRIPClient1Click(QObject* Sender) {
  if (!frmNTRIPSettings) frmNTRIPSettings = new TfrmNTRIPSettings(this);
  if (ZGPS1->Active) {
    frmNTRIPSettings->SetGPSPort(ZGPS1->Handle, TQuarixSerialGPS::PortName(ZGPS1->Port));
    frmNTRIPSettings->SetGPSPosition(ZGPS1->GetLatitude(), ZGPS1->GetLongitude(), ZGPS1->GetAltitude());
  }
  frmNTRIPSettings->show();
}

namespace {
// A keyboard stands above every window of the program, the ones that stay on
// top included, without a frame and without the window manager's stacking
// (which would put a window clicked later above it); it never takes the
// focus, so the keys type into the edit that has it.
template <class Keyboard>
Keyboard* MakeKeyboardWindow(QWidget* owner, const char* title) {
  auto* k = new Keyboard(owner);
  k->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                    Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
  k->setAttribute(Qt::WA_ShowWithoutActivating);
  k->setWindowTitle(title);
  return k;
}
}  // namespace

void TFNav::ShowNumericKeypad(QWidget* Target) {
  if (!NumericKeypad) NumericKeypad = MakeKeyboardWindow<TQuarixNumericKeypad>(this, "Numeric Keypad");
  NumericKeypad->TargetControl = Target;
  NumericKeypad->show();
  PlaceKeyboards();
}

void TFNav::ShowSimpleKeyboard(QWidget* Target) {
  if (!SimpleKeyboard) SimpleKeyboard = MakeKeyboardWindow<TQuarixSimpleKeyboard>(this, "Keyboard");
  SimpleKeyboard->TargetControl = Target;
  SimpleKeyboard->show();
  PlaceKeyboards();
}

namespace {
ScreenBox BoxOf(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

// Puts a keyboard at its place in the main window's client area, or clear of
// the window it types into where that place would cover it (the keyboard
// stands above every window: over the dialog it would hide the very edit and
// buttons the surveyor must reach).
void PlaceKeyboard(QWidget* keyboard, QWidget* target, QPoint place) {
  PanelPlace at{place.x(), place.y()};
  const QScreen* screen = keyboard->screen();
  if (target && target->window() != keyboard->parentWidget() && target->window()->isVisible() && screen)
    at = ClearOfWindow(at, keyboard->width(), keyboard->height(), BoxOf(target->window()->frameGeometry()),
                       BoxOf(screen->availableGeometry()));
  keyboard->move(at.left, at.top);
  keyboard->raise();
}
}  // namespace

// The keypad at the bottom right of the client area, the keyboard centred at
// its bottom.
void TFNav::PlaceKeyboards() {
  if (NumericKeypad && NumericKeypad->isVisible()) {
    const PanelPlace p = KeypadPlace(width(), height(), NumericKeypad->width(), NumericKeypad->height());
    PlaceKeyboard(NumericKeypad, NumericKeypad->TargetControl, mapToGlobal(QPoint(p.left, p.top)));
  }
  if (SimpleKeyboard && SimpleKeyboard->isVisible()) {
    const PanelPlace p = KeyboardPlace(width(), height(), SimpleKeyboard->width(), SimpleKeyboard->height());
    PlaceKeyboard(SimpleKeyboard, SimpleKeyboard->TargetControl, mapToGlobal(QPoint(p.left, p.top)));
  }
}

void TFNav::SetCompactFrame(bool compact) {
  const bool wasVisible = isVisible();
  setWindowFlag(Qt::FramelessWindowHint, compact);
  MainMenu1->setVisible(!compact);
  if (wasVisible) show();
}

// ---------------------------------------------------------------------------
// File commands

void TFNav::Save1Click(QObject* Sender) {
  if (fcad) {
    if (GridLayer >= 0) fcad->CadClearShapes(GridLayer);
    if (VesselLayer >= 0) fcad->CadClearShapes(VesselLayer);
  }
  // The dated name; a file of that name that this run did not save (one of
  // an earlier start, or one that could not be read) is never replaced: the
  // save takes the name with seconds, then with a number added.
  const std::string stem = DayLayoutFolder + DateText() + " ";
  const std::string seconds = stem + platform::Now().toString("hhmmss").toStdString();
  std::string fileName = stem + TimeText() + ".qvt";
  errno = 0;
  int saved = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (attempt == 1) fileName = seconds + ".qvt";
    if (attempt > 1) fileName = seconds + " (" + std::to_string(attempt) + ").qvt";
    const bool ours =
        std::find(savedDrawings_.begin(), savedDrawings_.end(), fileName) != savedDrawings_.end();
    if (!ours && platform::FileExists(fileName)) continue;
    errno = 0;
    saved = SaveLayoutFile(fcad, fileName, ours);
    if (saved == 1 || errno != EEXIST) break;
  }
  if (saved == 1) {
    if (std::find(savedDrawings_.begin(), savedDrawings_.end(), fileName) == savedDrawings_.end())
      savedDrawings_.push_back(fileName);
    LogEvent("Auto-saved: " + fileName);
    IniFile().WriteString("FILE", kLastFileKey, fileName);
    setWindowTitle(Q(std::string(kCaption) + " - " + fileName));
  } else {
    // The last good drawing stays the one reopened at the next start; the
    // caller goes on with what follows.
    const std::string why = DrawingWriteFailure(errno);
    LogEvent("Save failed: " + fileName + " (" + why + ")");
    prompts::ShowMessage(Q("The drawing could not be saved to " + fileName + ": " + why));
  }
  if (fSVP && fSVP->cUseSVP->isChecked()) fSVP->SaveDatedCopies();
}

void TFNav::New1Click(QObject* Sender) {
  if (prompts::AskYesNo("Entire layout will be cleared! Continue?", prompts::Kind::Warning) != prompts::Answer::Yes)
    return;
  if (fcad) {
    fcad->CadClearShapes(-1);
    fcad->ClearDepthLabels();
    fcad->ClearEventLabels();
  }
  LogEvent("New layout - cleared all shapes");
  OpenFixedLayers(fcad);
  if (fcad) fcad->SetLayerAction(UserShapeLayer, 15);
}

void TFNav::Open1Click(QObject* Sender) {
  const QString path = prompts::OpenFileName(this, "Dialog Open", kLayoutFilter);
  if (path.isEmpty()) return;
  const std::string file = path.toStdString();
  // A file that adds nothing (no shape, layer or view) is not a drawing: a
  // foreign file without the magic is read as plain text and holds no
  // records.
  const std::size_t shapes = fcad ? fcad->Shapes.size() : 0, layers = fcad ? fcad->Layers.size() : 0;
  const std::vector<double> world =
      fcad ? std::vector<double>{fcad->WorldLeft, fcad->WorldRight, fcad->WorldBottom, fcad->WorldTop}
           : std::vector<double>{};
  errno = 0;
  const bool read = LoadLayoutFile(fcad, file, 2) == 1;
  const int err = errno;
  const bool added = fcad && (fcad->Shapes.size() != shapes || fcad->Layers.size() != layers ||
                              world != std::vector<double>{fcad->WorldLeft, fcad->WorldRight, fcad->WorldBottom,
                                                          fcad->WorldTop});
  if (!read || !added) {
    const std::string why = read ? "it holds no shapes, layers or view to add" : DrawingReadFailure(err);
    LogEvent("Open failed: " + file + " could not be read (" + why + ")");
    if (err != EINTR) prompts::ShowMessage(Q("The file " + file + " could not be read as a drawing: " + why + "."));
    return;
  }
  ShowLastFileFolder(file);
  LogEvent("Opened file: " + file);
  if (fcad) fcad->KeepProportions();  // the file's view, at one scale across and up
  if (fcad) {
    VesselLayer = fcad->LayerFindByName("~~Quarix Vessel");
    if (VesselLayer >= 0) fcad->CadClearShapes(VesselLayer);
    GridLayer = fcad->LayerFindByName("Quarix Grid");
    if (GridLayer >= 0) fcad->CadClearShapes(GridLayer);
    fcad->SetLayerAction(UserShapeLayer, 15);
  }
  OpenFixedLayers(fcad);
}

void TFNav::SaveAs1Click(QObject* Sender) {
  const QString path = prompts::SaveFileName(this, "Dialog Save", kLayoutFilter);
  if (path.isEmpty()) return;
  const std::string file = path.toStdString();
  if (fcad) {
    if (GridLayer >= 0) fcad->CadClearShapes(GridLayer);
    if (VesselLayer >= 0) fcad->CadClearShapes(VesselLayer);
  }
  errno = 0;
  if (SaveLayoutFile(fcad, file) != 1) {
    const std::string why = DrawingWriteFailure(errno);
    LogEvent("Save As failed: " + file + " (" + why + ")");
    prompts::ShowMessage(Q("The drawing could not be saved to " + file + ": " + why));
    return;
  }
  setWindowTitle(Q(std::string(kCaption) + "  <" + file + ">"));
  LogEvent("Saved As: " + file);
}

// ---------------------------------------------------------------------------
// Import

namespace {

const char* const kImportFilter =
    "KML/KMZ Files [*.kml;*.kmz] (*.kml *.kmz);;XYZ Files [*.xyz;*.txt;*.csv] (*.xyz *.txt *.csv);;"
    "AutoCAD 2018 DXF [*.dxf] (*.dxf);;All Files [*.*] (*)";

// Last-modification time of every XYZ file imported in this run, by path;
// made at the first XYZ import, kept until the program ends.
std::unique_ptr<std::map<std::string, int64_t>> ImportFileAges;

bool LayerHasShapes(const TQuarixCanvas& map, int layer) {
  for (const TQShape* s : map.Shapes)
    if (s->Layer == layer) return true;
  return false;
}

int64_t FileAge(const std::string& path) {
  std::error_code ec;
  const auto t = std::filesystem::last_write_time(path, ec);
  return ec ? 0 : static_cast<int64_t>(t.time_since_epoch().count());
}

}  // namespace

// The layers imports made, remembered in the settings file: the layer each
// imported file was drawn on, and the "_dxf_" layer each DXF file filled.
struct TFNav::ImportRecords {
  TImportRecord Files{"IMPORTED LAYERS"};
  TImportRecord Dxf{"IMPORTED DXF LAYERS"};
  void Save() const {
    IniFile ini;
    Files.Save(ini);
    Dxf.Save(ini);
  }
};

TFNav::ImportRecords& TFNav::ImportState() {
  if (!Imports) {
    Imports = std::make_shared<ImportRecords>();
    const IniFile ini;
    Imports->Files.Load(ini);
    Imports->Dxf.Load(ini);
  }
  return *Imports;
}

// Every branch reads the whole file before the map changes: the shapes are
// drawn on a hidden work layer, and the file's layer is emptied and takes
// them only when the read succeeded. A failed or cancelled import leaves
// the map as it was.
void TFNav::Import1Click(QObject* Sender) {
  const QString chosen = prompts::OpenFileName(this, "Dialog Open", kImportFilter);
  if (!chosen.isEmpty() && fcad) {
    const std::string path = chosen.toStdString();
    ImportRecords& records = ImportState();
    const std::map<std::string, std::string> owned = records.Files.OwnedLayers(*fcad);
    // An unchanged XYZ file whose points are still on the map is skipped.
    int64_t age = 0;
    if (ImportKindOf(path) == 1) {
      age = FileAge(path);
      if (!ImportFileAges) ImportFileAges = std::make_unique<std::map<std::string, int64_t>>();
      const auto known = ImportFileAges->find(path);
      const auto own = owned.find(path);
      const int ownLayer = own == owned.end() ? -1 : fcad->LayerFindByName(own->second);
      if (known != ImportFileAges->end() && known->second == age && ownLayer >= 0 &&
          LayerHasShapes(*fcad, ownLayer)) {
        prompts::ShowMessage("File unchanged since last import. Skipping.");
        return;
      }
    }
    // The import's own layer: never one of the program's or one that another
    // file's import or the user filled.
    const std::string layerName = ChooseImportLayerName(*fcad, path, owned);
    TLongTask task(this, Q("Importing " + path));
    const TImportProgress progress = [&task](uint64_t done, uint64_t total) { return task.Step(done, total); };
    bool imported = false;

    switch (ImportKindOf(path)) {
      case 0: {
        if (!FGPS || !FGPS->edSMA || !FGPS->edCM || FGPS->edSMA->text().isEmpty() ||
            FGPS->edCM->text().isEmpty()) {
          prompts::ShowMessage(
              "Please configure datum parameters in GPS Settings before importing KML/KMZ files.");
          return;
        }
        TQuarixKMZLoader loader;
        loader.OnProgress = progress;
        if (!loader.LoadFromFile(path)) {
          if (!task.Cancelled()) prompts::ShowMessage(Q("Failed to load KML/KMZ file: " + loader.LastError));
          break;
        }
        // The points are converted once, after the load, with the settings
        // read once for all of them.
        loader.OnConvertCoordinate = TKMLGridConverter(KMLGridSettingsOfWindow());
        loader.ConvertCoordinates();
        TImportStage stage(*fcad, layerName);
        DrawKMLPlacemarks(*fcad, loader, stage.Layer());
        fcad->SetLayerAction(stage.Commit(), 15);
        LogEvent("Imported KML/KMZ: " + path + " to layer: " + layerName);
        ShowLastFileFolder(path);
        fcad->WorldExtents();
        imported = true;
        break;
      }
      case 1: {
        TImportStage stage(*fcad, layerName);
        std::string why;
        const long count = ImportXYZPoints(*fcad, path, stage.Layer(), progress, &why);
        if (count <= 0) {
          // A file that gave no point leaves the layer as it was.
          stage.Abort();
          if (count == 0)
            prompts::ShowMessage(Q("No point was imported from the XYZ file " + path +
                                   ": none of its lines holds X, Y and Z."));
          else if (count != kXYZCancelled)
            prompts::ShowMessage(Q("Failed to open XYZ file: " + path + " (" + why + ")"));
          break;
        }
        fcad->SetLayerAction(stage.Commit(), 15);
        (*ImportFileAges)[path] = age;
        LogEvent("Imported XYZ: " + path + " (" + std::to_string(count) + " points) to layer: " +
                 layerName);
        ShowLastFileFolder(path);
        fcad->WorldExtents();
        imported = true;
        break;
      }
      default: {
        const std::string dxfLayer = ChooseDxfImportLayerName(*fcad, path, records.Dxf.OwnedLayers(*fcad));
        if (!DXFLoadReplace(*fcad, path, {}, dxfLayer, progress)) break;
        // The file's own layer stays empty beside the "_dxf_" layer; the
        // DXF layer stays the current one.
        const int current = fcad->CurrentLayer;
        int layer = fcad->LayerFindByName(layerName);
        if (layer < 0) layer = fcad->LayerOpen(layerName);
        else fcad->CadClearShapes(layer);
        fcad->SetLayerAction(layer, 15);
        fcad->CurrentLayer = current;
        records.Dxf.Remember(path, MarkImportLayer(*fcad, dxfLayer));
        ShowLastFileFolder(path);
        LogEvent("Imported DXF: " + path);
        imported = true;
        break;
      }
    }
    if (imported) {
      records.Files.Remember(path, MarkImportLayer(*fcad, layerName));
      records.Save();
    }
  }
  OpenFixedLayers(fcad);
}

TKMLGridSettings TFNav::KMLGridSettingsOfWindow() const {
  auto text = [](QLineEdit* e) { return e ? e->text().toStdString() : std::string(); };
  TKMLGridSettings s;
  if (!FGPS) return s;
  s.SemiMajorAxis = text(FGPS->edSMA);
  s.Flattening = text(FGPS->edIF);
  s.Scale = text(FGPS->edPPM);
  s.RX = text(FGPS->edRX);
  s.RY = text(FGPS->edRY);
  s.RZ = text(FGPS->edRZ);
  s.SX = text(FGPS->edSX);
  s.SY = text(FGPS->edSY);
  s.SZ = text(FGPS->edSZ);
  s.CentralMeridian = text(FGPS->edCM);
  s.ReferenceLatitude = text(FGPS->edRL);
  s.ScaleFactor = text(FGPS->edSF);
  s.FalseEasting = text(FGPS->edFE);
  s.FalseNorthing = text(FGPS->edFN);
  return s;
}

void TFNav::ConvertKMLCoordinate(double& X, double& Y, double Latitude, double Longitude) {
  if (!FGPS) return;
  ConvertKMLPosition(KMLGridSettingsOfWindow(), X, Y, Latitude, Longitude);
}

// Export: the whole drawing, grid and vessel included, as an R12 DXF file.
void TFNav::Export1Click(QObject* Sender) {
  const QString path = prompts::SaveFileName(this, "Dialog Save", kExportFilter);
  if (path.isEmpty() || !fcad) return;
  errno = 0;
  if (DXFSave(*fcad, path.toStdString()) != 1) {
    const std::string why = errno ? std::strerror(errno) : "the file could not be written";
    LogEvent("Export failed: " + path.toStdString() + " (" + why + ")");
    prompts::ShowMessage(Q("The drawing could not be exported to " + path.toStdString() + ": " + why));
  }
}

void TFNav::ShowLastFileFolder(const std::string& Path) {
  LastFileName = Path;
  if (!sStatusBar || sStatusBar->PanelCount() <= 3) return;
  const QString folder = Q(LastFileFolderText(Path));
  sStatusBar->SetPanelText(3, folder);
  sStatusBar->SetPanelWidth(3, sStatusBar->TextWidth(folder) + 20);
}

void TFNav::StatusBarFolderClick(QObject* Sender) {
  if (!sStatusBar) return;
  const int x = sStatusBar->mapFromGlobal(QCursor::pos()).x();
  int left = 0;
  for (int i = 0; i < 3 && i < sStatusBar->PanelCount(); ++i) left += sStatusBar->PanelWidth(i);
  const int right = left + (sStatusBar->PanelCount() >= 4 ? sStatusBar->PanelWidth(3) : 0);
  if (x < left || x > right || LastFileName.empty()) return;
  platform::ShellOpen(LastFileFolderText(LastFileName));
}

// ---------------------------------------------------------------------------
// Interface language

namespace {

std::string TranslateText(const QString& text) { return Translation->Translate(text.toStdString()); }

// Sets a caption to its translation; a caption that stays the same is not
// touched (setting a label's text would drop its picture).
template <class Set>
void Retext(const QString& caption, Set set) {
  const QString t = Q(TranslateText(caption));
  if (t != caption) set(t);
}

// A menu item's caption, without the key text that some items show after a tab.
void TranslateAction(QAction* a) {
  if (a->isSeparator()) {
    TranslateText("-");  // a separator's caption: logged when missing, never shown
    return;
  }
  const QString text = a->text();
  const int tab = text.indexOf('\t');
  const QString caption = tab < 0 ? text : text.left(tab);
  Retext(caption, [&](const QString& t) { a->setText(tab < 0 ? t : t + text.mid(tab)); });
}

// Buttons that Qt makes for its own controls (tool-bar and tab scrolling,
// menu-bar overflow, edit clear buttons) are no part of any window's design.
bool IsDesignedButton(const QAbstractButton* b) {
  if (b->objectName().startsWith("qt_")) return false;
  const QObject* p = b->parent();
  return !(qobject_cast<const QToolBar*>(p) || qobject_cast<const QTabBar*>(p) || qobject_cast<const QMenuBar*>(p) ||
           qobject_cast<const QLineEdit*>(p));
}

}  // namespace

void TranslateControl(QObject* Component) {
  if (!Translation || !Component) return;
  if (auto* a = qobject_cast<QAction*>(Component)) {
    if (qobject_cast<QMenu*>(a->parent())) TranslateAction(a);
    return;
  }
  auto* w = qobject_cast<QWidget*>(Component);
  if (!w) return;
  if (auto* l = qobject_cast<QLabel*>(w)) {
    Retext(l->text(), [&](const QString& t) { l->setText(t); });
  } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    const bool kind = qobject_cast<QPushButton*>(b) || qobject_cast<QCheckBox*>(b) ||
                      qobject_cast<QRadioButton*>(b) || qobject_cast<QToolButton*>(b);
    if (kind && IsDesignedButton(b)) Retext(b->text(), [&](const QString& t) { b->setText(t); });
  } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
    Retext(g->title(), [&](const QString& t) { g->setTitle(t); });
  } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
    for (int i = 0; i < tabs->count(); ++i) Retext(tabs->tabText(i), [&](const QString& t) { tabs->setTabText(i, t); });
  } else if (qobject_cast<TQuarixStatusBar*>(w)) {
    return;  // its panels are no controls
  }
  for (QObject* child : w->children())
    if (child->isWidgetType()) TranslateControl(child);
}

void TranslateForm(QWidget* Control) {
  if (!Translation || !Control) return;
  Retext(Control->windowTitle(), [&](const QString& t) { Control->setWindowTitle(t); });
  for (QObject* child : Control->children())
    if (child->isWidgetType()) TranslateControl(child);
  for (QAction* a : Control->findChildren<QAction*>()) TranslateControl(a);
}

void TranslateMenuItem(QAction* Item) {
  if (!Translation || !Item) return;
  TranslateAction(Item);
  if (QMenu* sub = Item->menu())
    for (QAction* a : sub->actions()) TranslateMenuItem(a);
}

void TFNav::ApplyLanguage() {
  if (!Translation) return;
  auto tr = [](const char* key) { return Q(Translation->Translate(key)); };
  // 1. The main menu.
  for (QAction* item : MainMenu1->actions()) TranslateMenuItem(item);
  // 2. The survey button after its state.
  ShowStateCaption(Realtime, Realtime && Realtime->isChecked() ? "Stop" : "Realtime");
  // 3. Tool buttons get fixed keys, whatever their design caption.
  const std::pair<QToolButton*, const char*> fixed[] = {
      {bSelectTracks, "Select Tracks"}, {bDelSelected, "Delete Selected"}, {bFollowVessel, "Follow Vessel"},
      {ToolButton13, "Do Not Follow"},  {ConnectIcon, "Connect"},          {ToolButton11, "Clear Shapes"},
      {btEventAdd, "Add Event"},        {btEventReset, "Reset Event"},     {Zoomin, "Zoom In"},
      {Zoomout, "Zoom Out"},            {bOpen, "Open"},                   {bSave, "Save"},
      {tbRunline, "Runline"}};
  for (const auto& [button, key] : fixed)
    if (button) button->setText(tr(key));
  // 4. The translated windows.
  for (QWidget* w : std::initializer_list<QWidget*>{FNav, fRealtime, Navset, Offsets, FShape, fSVP, formAbout, FMsg,
                                                    FGPS, frmNTRIPSettings, fRunline1})
    if (w) TranslateForm(w);
  // 5. and 6. Titles of the echogram and theme windows and the theme window's buttons.
  if (fWaterfal) fWaterfal->setWindowTitle(tr("Acoustics Waterfall"));
  if (fTheme) {
    fTheme->setWindowTitle(tr("Theme Selection"));
    if (auto* b = fTheme->findChild<QAbstractButton*>("bSaveExit")) b->setText(tr("Save && Exit"));
    if (auto* b = fTheme->findChild<QAbstractButton*>("bCancel")) b->setText(tr("Cancel"));
  }
}

void TFNav::sStatusBarDblClick(QObject* Sender) {
  if (!Translation || !sStatusBar || sStatusBar->PanelCount() <= 4) return;
  const std::string language = Translation->CurrentLanguage == "en" ? "tr" : "en";
  Translation->SetLanguage(language);
  sStatusBar->SetPanelText(4, language == "tr" ? "TR" : "EN");
  ApplyLanguage();
  IniFile ini;
  ini.WriteString("SETTINGS", "Language", Translation->CurrentLanguage);
}

void TFNav::TranslationEditor1Click(QObject* Sender) {
  if (!fTranslationEditor) fTranslationEditor = new TfTranslationEditor(nullptr);
  fTranslationEditor->show();
  fTranslationEditor->raise();
}

// ---------------------------------------------------------------------------
// Key preview

// The keypad and the keyboard serve an edit of another window: they go when
// that window is hidden (closed, cancelled, Escape), whatever hid it.
void TFNav::HideKeyboardsOf(QWidget* window) {
  const auto serves = [window](const QWidget* target) { return target && target->window() == window; };
  if (NumericKeypad && serves(NumericKeypad->TargetControl)) {
    NumericKeypad->hide();
    NumericKeypad->TargetControl = nullptr;
  }
  if (SimpleKeyboard && serves(SimpleKeyboard->TargetControl)) {
    SimpleKeyboard->hide();
    SimpleKeyboard->TargetControl = nullptr;
  }
}

bool TFNav::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::Hide && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow() &&
      watched != this)
    HideKeyboardsOf(static_cast<QWidget*>(watched));
  // A modal window (a message, a question, a file dialog) is answered first:
  // the keyboards, which stand above every window, go so as not to cover its
  // buttons, and come back with the next tap on an edit.
  if (e->type() == QEvent::Show && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow() &&
      static_cast<QWidget*>(watched)->isModal())
    for (QWidget* keyboard : {static_cast<QWidget*>(NumericKeypad), static_cast<QWidget*>(SimpleKeyboard)})
      if (keyboard && keyboard != watched) keyboard->hide();
  // The keyboards follow the main window.
  if (watched == this && (e->type() == QEvent::Move || e->type() == QEvent::Resize) && shown_) PlaceKeyboards();
  if (e->type() != QEvent::KeyPress || !watched->isWidgetType()) return QMainWindow::eventFilter(watched, e);
  auto* w = static_cast<QWidget*>(watched);
  // A key event travels from the focus widget up to its window; the window
  // sees it once, at its first delivery.
  QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : w->window();
  if (w != first || w->window() != this) return QMainWindow::eventFilter(watched, e);
  auto* k = static_cast<QKeyEvent*>(e);
  int key = k->key();
  FormKeyDown(this, key, k->modifiers());
  return key == 0;
}

