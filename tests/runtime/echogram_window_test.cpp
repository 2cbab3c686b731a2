#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>

#include "app/color.h"
#include "app/settingsfile.h"
#include "settings/unavset.h"
#include "runtime/uCanvas.h"
#include "tests/support/tempenv.h"

namespace {

TEST(EchogramWindow, BorderlessOnTopWithItsDesignSize) {
  TempEnv env;
  TfWaterfal w;
  EXPECT_EQ(w.objectName(), "fWaterfal");
  EXPECT_EQ(w.windowTitle(), "Acoustic Waterfall");
  EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(w.size(), QSize(388, 147));
  EXPECT_EQ(w.DataWidth, 50);
  EXPECT_EQ(w.Interval, 100);
  EXPECT_FALSE(w.Dragging);
}

TEST(EchogramWindow, SettingsAreReadOnShowMendedAndWrittenOnClose) {
  struct Case {
    const char* dataWidth;
    const char* interval;
    int width, ms;
  };
  const Case cases[] = {
      {"80", "250", 80, 250}, {"500", "0", 200, 100}, {"-3", "-20", 1, 100}, {"wide", "", 50, 100}};
  for (const auto& c : cases) {
    TempEnv env;
    IniFile().WriteString("ECHOGRAM", "DataWidth", c.dataWidth);
    IniFile().WriteString("ECHOGRAM", "Interval", c.interval);
    TfWaterfal w;
    w.show();
    EXPECT_EQ(w.DataWidth, c.width) << c.dataWidth;
    EXPECT_EQ(w.Interval, c.ms) << c.interval;
    w.close();
    EXPECT_EQ(IniFile().ReadInteger("ECHOGRAM", "DataWidth", 0), c.width);
    EXPECT_EQ(IniFile().ReadInteger("ECHOGRAM", "Interval", 0), c.ms);
    EXPECT_TRUE(IniFile().ValueExists("fWaterfal", "Width"));
  }
}

TEST(EchogramWindow, TakesTheMapBackgroundColourWhenShown) {
  TempEnv env;
  Navset = new TNavset();
  Navset->fcadColor->SetSelected(clNavy);
  TfWaterfal w;
  w.show();
  EXPECT_EQ(FromQColor(w.palette().color(QPalette::Window)), clNavy);
  delete Navset;
  Navset = nullptr;
}

TEST(EchogramWindow, DrawsOnlyWhileShown) {
  TempEnv env;
  TfWaterfal w;
  w.DrawEchogram(12.0, 0.0, 50.0, 4);  // hidden: the history does not move
  EXPECT_EQ(w.History.Depths()[3], 0.0);
  EXPECT_TRUE(w.CanvasImage().isNull());

  w.show();
  for (double d : {5.0, 25.0, 10.0, 15.0}) w.DrawEchogram(d, 0.0, 50.0, 4);
  EXPECT_EQ(w.History.Depths()[0], 5.0);
  const QImage& img = w.CanvasImage();
  ASSERT_EQ(img.size(), QSize(388, 147));
  // Scale 3 .. 27 m; the 25 m sample (column 97 .. 193) reaches row 134.
  EXPECT_EQ(FromQColor(img.pixelColor(150, 120)), 0xFFB464u);  // water
  EXPECT_EQ(FromQColor(img.pixelColor(150, 134)), clRed);      // its bottom
  EXPECT_EQ(FromQColor(img.pixelColor(150, 140)), 0xFFF8F0u);  // below: background
  EXPECT_EQ(FromQColor(img.pixelColor(388 - 76, 147 - 4)), clYellow);  // latest-depth box

  w.hide();
  w.DrawEchogram(30.0, 0.0, 50.0, 4);
  EXPECT_EQ(w.History.Depths()[3], 15.0);
  w.show();  // showing again continues with the old samples
  w.DrawEchogram(30.0, 0.0, 50.0, 4);
  EXPECT_EQ(w.History.Depths()[2], 15.0);
  EXPECT_EQ(w.History.Depths()[3], 30.0);
}

TEST(EchogramWindow, MovedFromInsideResizedFromTheEdges) {
  TempEnv env;
  TfWaterfal w;
  w.show();
  w.move(300, 200);
  const QPoint start = w.pos();

  w.FormMouseDown(Qt::RightButton, 100, 70);  // other buttons do nothing
  EXPECT_FALSE(w.Dragging);
  w.FormMouseDown(Qt::LeftButton, 5, 70);  // in the left edge band: a resize
  EXPECT_FALSE(w.Dragging);
  w.FormMouseDown(Qt::LeftButton, 6, 70);  // inside: a move
  EXPECT_TRUE(w.Dragging);
  EXPECT_EQ(w.DragX, 6);
  w.FormMouseMove(16, 63);
  EXPECT_EQ(w.pos(), start + QPoint(10, -7));
  w.FormMouseUp(Qt::LeftButton, 16, 63);
  EXPECT_FALSE(w.Dragging);
  EXPECT_EQ(IniFile().ReadInteger("fWaterfal", "Left", -1), w.geometry().left());
  EXPECT_EQ(IniFile().ReadInteger("fWaterfal", "Top", -1), w.geometry().top());
}

// A click that moves nothing starts no move: the mouse moving afterwards,
// its button up, leaves the window where it was, also when the release went
// elsewhere (to the window manager).
TEST(EchogramWindow, AClickStartsNoMoveAndALostReleaseEndsTheDrag) {
  TempEnv env;
  TfWaterfal w;
  w.show();
  w.move(300, 200);
  const QPoint start = w.pos();
  const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
  };
  send(QEvent::MouseButtonPress, {100, 70}, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, {100, 70}, Qt::LeftButton, Qt::NoButton);
  send(QEvent::MouseMove, {150, 90}, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(w.pos(), start);
  EXPECT_FALSE(w.Dragging);

  send(QEvent::MouseButtonPress, {100, 70}, Qt::LeftButton, Qt::LeftButton);  // released elsewhere
  send(QEvent::MouseMove, {150, 90}, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(w.pos(), start);
  EXPECT_FALSE(w.Dragging);

  send(QEvent::MouseButtonPress, {3, 70}, Qt::LeftButton, Qt::LeftButton);  // on the left edge
  send(QEvent::MouseButtonRelease, {3, 70}, Qt::LeftButton, Qt::NoButton);
  send(QEvent::MouseMove, {40, 70}, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(w.pos(), start);
  EXPECT_EQ(w.size(), QSize(388, 147));
}

TEST(EchogramWindow, CursorShowsTheEdgeUnderTheMouse) {
  TempEnv env;
  TfWaterfal w;
  struct Case {
    int x, y;
    Qt::CursorShape shape;
  };
  const Case cases[] = {{2, 2, Qt::SizeFDiagCursor},     {385, 144, Qt::SizeFDiagCursor},
                        {385, 2, Qt::SizeBDiagCursor},   {2, 144, Qt::SizeBDiagCursor},
                        {2, 70, Qt::SizeHorCursor},      {200, 144, Qt::SizeVerCursor},
                        {200, 70, Qt::ArrowCursor}};
  for (const auto& c : cases) {
    w.FormMouseMove(c.x, c.y);
    EXPECT_EQ(w.cursor().shape(), c.shape) << c.x << "," << c.y;
  }
}

}  // namespace
