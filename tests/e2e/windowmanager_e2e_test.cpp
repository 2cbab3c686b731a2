// The real program on a real X server under a real window manager (Xvfb and
// openbox). A window manager that frames the program's windows while they are
// already shown (one started with the session, after the program) must not
// change the placement the program stores: the main window comes back at the
// same size at every start.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <xcb/xcb.h>
#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#include <string>

#include "tests/support/programrunner.h"
#include "ui/keyboardlayout.h"

namespace {

// A process that is ended (terminate, then kill) when it goes.
struct Child {
  QProcess process;
  ~Child() { Stop(); }
  void Stop() {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(3000)) process.kill();
    process.waitForFinished(3000);
  }
};

QString Output(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(5000);
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// The placement stored for a window: Left, Top, Width, Height.
QRect StoredPlacement(const std::string& settingsFile, const QString& section) {
  QFile f(QString::fromStdString(settingsFile));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QString text = QString::fromUtf8(f.readAll());
  const qsizetype start = text.indexOf("[" + section + "]");
  if (start < 0) return {};
  const qsizetype end = text.indexOf("\n[", start + 1);
  const QString body = text.mid(start, end < 0 ? -1 : end - start);
  auto value = [&](const char* key) {
    const auto m = QRegularExpression(QString("\\n%1=(-?\\d+)").arg(key)).match(body);
    return m.hasMatch() ? m.captured(1).toInt() : -99999;
  };
  return {value("Left"), value("Top"), value("Width"), value("Height")};
}

class WindowManagerE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "openbox", "xwininfo", "xprop", "xdotool"})
      if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << tool << " is not installed";
    StartServer("1366x768");
  }

  // A new X server with a screen of the size given, without a window manager.
  // One whose display takes no client is started again: a server that ended
  // a moment before on the same display may still be taking its socket away.
  void StartServer(const QString& size) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      openbox.Stop();
      xvfb.Stop();
      // The server picks a free display and tells its number.
      xvfb.process.start("Xvfb", {"-displayfd", "1", "-screen", "0", size + "x24", "-nolisten", "tcp"});
      ASSERT_TRUE(xvfb.process.waitForReadyRead(10000)) << "Xvfb did not start";
      display = ":" + QString::fromLatin1(xvfb.process.readLine()).trimmed();
      if (Within(5000, [&] { return Answers({"-display", display, "-root", "_NET_SUPPORTED"}); })) return;
    }
    FAIL() << "no X server took clients";
  }
  // An X tool run on the display ends without error.
  static bool Answers(const QStringList& xpropArgs) {
    QProcess p;
    p.start("xprop", xpropArgs);
    return p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  }
  static bool Within(int ms, const std::function<bool()>& cond) {
    QElapsedTimer t;
    t.start();
    for (;;) {
      if (cond()) return true;
      if (t.elapsed() > ms) return false;
      QThread::msleep(100);
    }
  }

  // The main window's X window, once mapped.
  QString MainWindowId() {
    const auto m = QRegularExpression("(0x[0-9a-f]+) \"Quarix Depthmark")
                       .match(Output("xwininfo", {"-display", display, "-root", "-tree"}));
    return m.hasMatch() ? m.captured(1) : QString();
  }
  // The frame the window manager gave the main window (left, right, top, bottom), once it did.
  QString FrameExtents(const QString& window) {
    const QString out = Output("xprop", {"-display", display, "-id", window, "_NET_FRAME_EXTENTS"});
    return out.contains('=') ? out.section('=', 1).trimmed() : QString();
  }

  // The program's environment on the X server.
  QProcessEnvironment OnDisplay() const {
    QProcessEnvironment x;
    x.insert("DISPLAY", display);
    x.insert("QT_QPA_PLATFORM", "xcb");
    // libxkbcommon hands strndup strings without an end: strict string checks
    // would stop a sanitized program at its connection to the server.
    if (const QString asan = qEnvironmentVariable("ASAN_OPTIONS"); !asan.isEmpty())
      x.insert("ASAN_OPTIONS", asan + ":strict_string_checks=0");
    return x;
  }
  // The window manager runs, with its environment on the display.
  // A window manager that ended at its start (its display lost for a moment)
  // is started again.
  void StartWindowManager(ProgramRunner& run) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("DISPLAY", display);
    openbox.process.setProcessEnvironment(e);
    bool running = false;
    for (int attempt = 0; attempt < 3 && !running; ++attempt) {
      openbox.Stop();
      openbox.process.start("openbox", {});
      running = run.WaitFor([&] {
        return openbox.process.state() == QProcess::NotRunning ||
               Output("xprop", {"-display", display, "-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
      }) && openbox.process.state() != QProcess::NotRunning;
    }
    ASSERT_TRUE(running) << "openbox did not start";
  }
  // The size of a window's client area on the screen.
  QSize ClientSizeOf(const QString& window) {
    const QString info = Output("xwininfo", {"-display", display, "-id", window});
    const auto w = QRegularExpression("\\n\\s*Width:\\s+(\\d+)").match(info);
    const auto h = QRegularExpression("\\n\\s*Height:\\s+(\\d+)").match(info);
    return {w.captured(1).toInt(), h.captured(1).toInt()};
  }
  // Lets the program take in what the window manager did (a moment, as a
  // surveyor closes a program no sooner than that after its start).
  static void Settle(ProgramRunner& run) { run.WaitFor([] { return false; }, 500); }
  // Where the main window's client area stands on the screen.
  QPoint ClientPlace(const QString& window) {
    const QString info = Output("xwininfo", {"-display", display, "-id", window});
    const auto x = QRegularExpression("Absolute upper-left X:\\s+(-?\\d+)").match(info);
    const auto y = QRegularExpression("Absolute upper-left Y:\\s+(-?\\d+)").match(info);
    return {x.captured(1).toInt(), y.captured(1).toInt()};
  }

  Child xvfb, openbox;
  QString display;
};

TEST_F(WindowManagerE2E, AWindowManagerStartedAfterTheProgramChangesNoStoredPlacement) {
  ProgramRunner run;
  const QProcessEnvironment x = OnDisplay();

  // First start: the program's windows are shown before any window manager runs.
  ASSERT_TRUE(run.Start(x));
  QString window;
  ASSERT_TRUE(run.WaitFor([&] { return !(window = MainWindowId()).isEmpty(); })) << run.Output().toStdString();
  StartWindowManager(run);
  QString extents;
  ASSERT_TRUE(run.WaitFor([&] { return !(extents = FrameExtents(window)).isEmpty(); }));
  const QStringList e = extents.split(',');
  ASSERT_EQ(e.size(), 4);
  const int left = e[0].trimmed().toInt(), right = e[1].trimmed().toInt(), top = e[2].trimmed().toInt(),
            bottom = e[3].trimmed().toInt();
  ASSERT_GT(top, 0) << "openbox gave the window no title bar";
  Settle(run);
  run.Stop();

  // The stored frame is the window's client area with the frame around it,
  // not the client area alone nor a frame that was still being built.
  const QRect first = StoredPlacement(run.SettingsFile(), "FNav");
  EXPECT_EQ(first.width(), 987 + left + right);
  EXPECT_EQ(first.height(), 541 + top + bottom);

  // The next starts, now under the window manager: the window comes back
  // at the size it was left at, never a frame smaller.
  for (int start = 0; start < 2; ++start) {
    ASSERT_TRUE(run.Start(x));
    ASSERT_TRUE(run.WaitFor([&] { return !(window = MainWindowId()).isEmpty() && !FrameExtents(window).isEmpty(); }));
    // Framed at the start, the window is given its size within the frame.
    run.WaitFor([&] { return ClientSizeOf(window) == QSize(987, 541); });
    Settle(run);
    run.Stop();
    const QRect next = StoredPlacement(run.SettingsFile(), "FNav");
    EXPECT_EQ(next.size(), first.size()) << "start " << start + 2;
  }
}

// A first start (no stored placement) whose reload of the last drawing takes
// long enough for the window manager to frame the main window meanwhile: the
// window still stands at its place with its title bar on the screen.
TEST_F(WindowManagerE2E, AMainWindowFramedDuringALongReloadKeepsItsTitleBarOnTheScreen) {
  ProgramRunner run;
  StartWindowManager(run);
  const std::string drawing = run.Home() + "big.qvt";
  {
    QFile f(QString::fromStdString(drawing));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray text = "LAYER 1 Soundings\n";
    for (int i = 0; i < 3000000; ++i) text += "POINT " + QByteArray::number(i) + " " + QByteArray::number(i) + " 1 255 1 0\n";
    ASSERT_EQ(f.write(text), text.size());
  }
  run.WriteSettings("[FILE]\nLast File Saved=" + drawing + "\n");
  ASSERT_TRUE(run.Start(OnDisplay()));

  QString window, extents;
  ASSERT_TRUE(run.WaitFor([&] { return !(window = MainWindowId()).isEmpty() && !(extents = FrameExtents(window)).isEmpty(); },
                          30000));
  const QStringList e = extents.split(',');
  ASSERT_EQ(e.size(), 4);
  const QPoint client(e[0].trimmed().toInt(), e[2].trimmed().toInt());  // the frame at the screen's corner
  ASSERT_GT(client.y(), 0);
  EXPECT_TRUE(run.WaitFor([&] { return ClientPlace(window) == client; }, 30000))
      << "the main window's client area stands at " << ClientPlace(window).x() << "," << ClientPlace(window).y();
}

// A top-level window of the program on the screen: its X window and where its
// client area stands.
struct XWindow {
  QString id;
  QRect client;
  bool valid() const { return !id.isEmpty(); }
};

// What a surveyor meets at a first start, on a desktop with a window manager,
// clicking with a real mouse and typing on a real keyboard.
class FirstStartOnADesktop : public WindowManagerE2E {
 protected:
  // Runs an X tool on the display; its output.
  QString Tool(const QString& program, const QStringList& args) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("DISPLAY", display);
    p.setProcessEnvironment(e);
    p.start(program, args);
    p.waitForFinished(5000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
  }
  // The mapped window of that title, as xwininfo lists it.
  XWindow Window(const QString& title) {
    const QRegularExpression line("(0x[0-9a-f]+) \"" + QRegularExpression::escape(title) +
                                  "[^\"]*\": \\([^)]*\\)\\s+(\\d+)x(\\d+)[+-]-?\\d+[+-]-?\\d+\\s+\\+(-?\\d+)\\+(-?\\d+)");
    const QString tree = Output("xwininfo", {"-display", display, "-root", "-tree"});
    for (const QString& l : tree.split('\n')) {
      const auto m = line.match(l);
      if (!m.hasMatch()) continue;
      const QString id = m.captured(1);
      if (!Output("xwininfo", {"-display", display, "-id", id}).contains("IsViewable")) continue;
      return {id, QRect(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(2).toInt(), m.captured(3).toInt())};
    }
    return {};
  }
  // Waits until a window of that title is mapped and framed (or needs no frame).
  XWindow WaitForWindow(ProgramRunner& run, const QString& title, bool framed = true) {
    XWindow w;
    run.WaitFor([&] { return (w = Window(title)).valid() && (!framed || !FrameExtents(w.id).isEmpty()); });
    return w;
  }
  // The window's frame on the screen, from the frame the window manager reports.
  QRect Frame(const XWindow& w) {
    const QStringList e = FrameExtents(w.id).split(',');
    if (e.size() != 4) return w.client;
    return w.client.adjusted(-e[0].trimmed().toInt(), -e[2].trimmed().toInt(), e[1].trimmed().toInt(),
                             e[3].trimmed().toInt());
  }
  QString ActiveWindow() {
    const QString out = Output("xprop", {"-display", display, "-root", "_NET_ACTIVE_WINDOW"});
    const auto m = QRegularExpression("# (0x[0-9a-f]+)").match(out);
    return m.hasMatch() ? QString::number(m.captured(1).toUInt(nullptr, 16)) : QString();
  }
  static QString Decimal(const XWindow& w) { return QString::number(w.id.toUInt(nullptr, 16)); }
  // The window on the root that holds the window: its frame, when the window
  // manager framed it.
  QString Outermost(const XWindow& w) {
    xcb_window_t id = w.id.toUInt(nullptr, 16);
    xcb_connection_t* c = xcb_connect(display.toLatin1().constData(), nullptr);
    while (!xcb_connection_has_error(c)) {
      xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, id), nullptr);
      const bool top = !tree || tree->parent == tree->root;
      if (tree && !top) id = tree->parent;
      std::free(tree);
      if (top) break;
    }
    xcb_disconnect(c);
    return QString::number(id);
  }
  // The window that a click at that point goes to (the pointer moves there).
  QString WindowAt(QPoint p) {
    Tool("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y())});
    const auto m = QRegularExpression("WINDOW=(\\d+)").match(Tool("xdotool", {"getmouselocation", "--shell"}));
    return m.hasMatch() ? m.captured(1) : QString();
  }
  void Click(QPoint p) {
    Tool("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"});
  }
  void Keys(const QStringList& keys) { Tool("xdotool", QStringList{"key", "--delay", "20"} + keys); }

  // Clicks the key of that caption on an on-screen keyboard, once the key
  // is the window under the pointer.
  template <class Keys>
  void PressKey(ProgramRunner& run, const XWindow& board, const Keys& keys, const std::string& caption) {
    for (const keyboard::KeyPlace& k : keys) {
      if (k.caption != caption) continue;
      const QPoint at = board.client.topLeft() + QPoint(k.left + k.width / 2, k.top + k.height / 2);
      EXPECT_TRUE(run.WaitFor([&] { return WindowAt(at) == Decimal(board); }, 3000))
          << "the key " << caption << " is covered by another window";
      Click(at);
      return;
    }
    ADD_FAILURE() << "no key " << caption;
  }

  // The pixels of a part of the screen, 0xRRGGBB a pixel, row by row; none
  // when the server does not give them.
  std::vector<uint32_t> Grab(const QRect& r) {
    std::vector<uint32_t> pixels;
    xcb_connection_t* c = xcb_connect(display.toLatin1().constData(), nullptr);
    if (!xcb_connection_has_error(c)) {
      const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
      xcb_get_image_reply_t* image = xcb_get_image_reply(
          c,
          xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(r.x()), static_cast<int16_t>(r.y()),
                        static_cast<uint16_t>(r.width()), static_cast<uint16_t>(r.height()), ~0u),
          nullptr);
      if (image && xcb_get_image_data_length(image) == r.width() * r.height() * 4) {
        const auto* px = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image));
        for (int i = 0; i < r.width() * r.height(); ++i) pixels.push_back(px[i] & 0xFFFFFF);
      }
      std::free(image);
    }
    xcb_disconnect(c);
    return pixels;
  }

  // The offsets dialog's edits, top to bottom (A, B, C, SV, Tide Ht,
  // Location, Vessel, Surveyor): the white fields of its form, found on the
  // screen right of their texts.
  std::vector<QPoint> OffsetEdits(const XWindow& dialog) {
    const QRect r = dialog.client;
    const std::vector<uint32_t> px = Grab(r);
    std::vector<QPoint> found;
    if (px.empty()) return found;
    const auto white = [&](int x, int y) { return px[y * r.width() + x] == 0xFFFFFF; };
    for (int x = r.width() * 6 / 10; x < r.width() - 10 && found.size() != 8; x += 3) {
      found.clear();
      for (int y = 0; y < r.height();) {
        int run = 0;
        while (y + run < r.height() && white(x, y + run)) ++run;
        if (run >= 12 && run <= 40) found.push_back(r.topLeft() + QPoint(x, y + run / 2));
        y += std::max(run, 1);
      }
    }
    if (found.size() != 8) found.clear();
    return found;
  }

};

// From a first start at 1366x768 and at 1024x768: the offsets dialog has the
// keyboard, the numeric keypad and the letter keyboard stand above every
// window (the navigation settings and the offsets dialog included) and type
// into the dialog, the Realtime Data window leaves the menus and tool bars
// free, and the translation editor takes a click in the navigation settings'
// corner.
TEST_F(FirstStartOnADesktop, EverythingTheSurveyorMustReachIsOnTop) {
  for (const char* size : {"1366x768", "1024x768"}) {
    SCOPED_TRACE(size);
    StartServer(size);
    ProgramRunner run;
    StartWindowManager(run);
    const std::string offsets =
        "[ECHOSOUNDER_OFFSETS]\nOffset A=0.5\nOffset B=2.0\nOffset C=1.5\nSV=1500\nTide Height=1\n"
        "Surveyor=Ann\nSurveyBoat=Boat\nSurveyLocation=Bay\n";

    // A window never shown stores no place at the exit.
    run.WriteSettings(offsets);
    ASSERT_TRUE(run.Start(OnDisplay()));
    ASSERT_TRUE(WaitForWindow(run, "Quarix Depthmark").valid()) << run.Output().toStdString();
    run.Stop();
    EXPECT_EQ(StoredPlacement(run.SettingsFile(), "fRealtime"), QRect());

    run.WriteSettings(offsets);  // a first start again: no placement stored
    ASSERT_TRUE(run.Start(OnDisplay()));
    const XWindow main = WaitForWindow(run, "Quarix Depthmark");
    XWindow dialog = WaitForWindow(run, "Offsets Essential");
    XWindow navset = WaitForWindow(run, "Navigation Settings");
    ASSERT_TRUE(main.valid() && dialog.valid() && navset.valid()) << run.Output().toStdString();
    // A window framed at a busy start is put at its place within a moment.
    run.WaitFor([&] { return Frame(dialog = Window("Offsets Essential")).top() > main.client.top() + 48; });
    // The menu and tool bars: from the main window's client top down to the
    // map, at whose top the offsets dialog stands (the map's top seen from
    // outside, give or take the few pixels of a title bar not known yet when
    // the dialog was placed).
    const QRect bars(main.client.left(), main.client.top(), main.client.width(),
                     Frame(dialog).top() - 8 - main.client.top());
    ASSERT_GT(bars.height(), 40);
    // Both at the map's top, give or take that estimate.
    run.WaitFor([&] { return !Frame(navset = Window("Navigation Settings")).intersects(bars); });
    EXPECT_NEAR(Frame(navset).top(), Frame(dialog).top(), 6);
    EXPECT_FALSE(Frame(navset).intersects(bars)) << "the navigation settings at " << Frame(navset).y();

    // The dialog has the keyboard: what is typed goes into its first edit.
    EXPECT_TRUE(run.WaitFor([&] { return ActiveWindow() == Decimal(dialog); }))
        << "active: " << ActiveWindow().toStdString() << ", the dialog: " << Decimal(dialog).toStdString();
    Keys({"End", "0"});

    std::vector<QPoint> edits;
    ASSERT_TRUE(run.WaitFor([&] { return !(edits = OffsetEdits(dialog)).empty(); }, 5000))
        << "the dialog's edits were not found";
    // Tide Ht on the keypad, also after the dialog was brought to the front.
    Click(edits[4]);
    const XWindow keypad = WaitForWindow(run, "Numeric Keypad", false);
    ASSERT_TRUE(keypad.valid());
    PressKey(run, keypad, keyboard::NumericKeys(), "5");
    Click(Frame(dialog).topLeft() + QPoint(Frame(dialog).width() / 2, 4));  // the dialog's title bar
    PressKey(run, keypad, keyboard::NumericKeys(), "2");
    // The location on the letter keyboard, which stands clear of the dialog
    // (its place in the main window would hide the dialog's lower edits and
    // buttons).
    Click(edits[5]);
    const XWindow board = WaitForWindow(run, "Keyboard", false);
    ASSERT_TRUE(board.valid());
    EXPECT_FALSE(board.client.intersects(Frame(dialog))) << "the keyboard covers the dialog";
    for (const char* key : {"Q", "1", "A"}) PressKey(run, board, keyboard::CharacterKeys(), key);
    // Realtime, reached from the location by Tab, accepts what was typed.
    Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "space"});
    EXPECT_TRUE(run.WaitFor([&] {
      QFile f(QString::fromStdString(run.SettingsFile()));
      return f.open(QIODevice::ReadOnly) && f.readAll().contains("SurveyLocation=BayQ1A");
    })) << "the offsets were not accepted";
    QFile ini(QString::fromStdString(run.SettingsFile()));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray stored = ini.readAll();
    EXPECT_TRUE(QString(stored).contains(QRegularExpression("\\nOffset A *=0.50\\r?\\n"))) << stored.toStdString();
    EXPECT_TRUE(QString(stored).contains(QRegularExpression("\\nTide Height *=152\\r?\\n"))) << stored.toStdString();

    // Window > Realtime Window... from the keyboard.
    Tool("xdotool", {"windowactivate", "--sync", main.id});
    Keys({"alt"});
    Keys({"Right", "Right", "Right", "Right", "Down", "Down", "Return"});
    XWindow realtime = WaitForWindow(run, "Realtime Data");
    ASSERT_TRUE(realtime.valid());
    // Framed, it is put right where it was asked for within a moment.
    run.WaitFor([&] { return !Frame(realtime = Window("Realtime Data")).intersects(bars); });
    EXPECT_FALSE(Frame(realtime).intersects(bars))
        << "the Realtime Data window at " << Frame(realtime).x() << "," << Frame(realtime).y();

    // Tools > Translation Editor: it opens centred, over the navigation
    // settings, and a click there reaches it.
    Tool("xdotool", {"windowactivate", "--sync", main.id});
    Keys({"alt"});
    Keys({"Right", "Right", "Down", "Down", "Down", "Down", "Return"});
    const XWindow editor = WaitForWindow(run, "Translation Editor");
    ASSERT_TRUE(editor.valid());
    const QRect corner = editor.client.adjusted(0, 60, 0, -60) & Frame(navset);
    ASSERT_FALSE(corner.isEmpty()) << "the editor does not reach the navigation settings";
    const QPoint at = corner.center();
    EXPECT_EQ(WindowAt(at), Outermost(editor)) << "the editor is " << editor.id.toStdString();
    Click(at);
    EXPECT_TRUE(run.WaitFor([&] { return ActiveWindow() == Decimal(editor); }));

    run.Stop();
    const QRect stored_realtime = StoredPlacement(run.SettingsFile(), "fRealtime");
    EXPECT_GT(stored_realtime.top(), bars.bottom());
  }
}

}  // namespace
