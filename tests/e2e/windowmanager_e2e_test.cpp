// The real program on a real X server under a real window manager (Xvfb and
// openbox). A window manager that frames the program's windows while they are
// already shown (one started with the session, after the program) must not
// change the placement the program stores: the main window comes back at the
// same size at every start.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <memory>
#include <string>

#include "tests/support/programrunner.h"

namespace {

// A process that is ended (terminate, then kill) when it goes.
struct Child {
  QProcess process;
  ~Child() {
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
    for (const char* tool : {"Xvfb", "openbox", "xwininfo", "xprop"})
      if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << tool << " is not installed";
    // The server picks a free display and tells its number.
    xvfb.process.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1366x768x24", "-nolisten", "tcp"});
    ASSERT_TRUE(xvfb.process.waitForReadyRead(10000)) << "Xvfb did not start";
    display = ":" + QString::fromLatin1(xvfb.process.readLine()).trimmed();
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
  void StartWindowManager(ProgramRunner& run) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("DISPLAY", display);
    openbox.process.setProcessEnvironment(e);
    openbox.process.start("openbox", {});
    ASSERT_TRUE(run.WaitFor([&] {
      return Output("xprop", {"-display", display, "-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
    }));
  }
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

}  // namespace
