// The map control on Qt's offscreen platform: pixels where geometry decides,
// back-buffer reuse, and Qt's mouse, wheel and key events reaching the tools.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "canvas/QuarixCanvas.h"
#include "canvas/qpaintercanvas.h"

namespace {

const QRgb kWhite = 0xFFFFFFFF;
const QRgb kBlack = 0xFF000000;
const QRgb kRed = 0xFFFF0000;
const QRgb kLime = 0xFF00FF00;

// 200 x 100 pixels showing x 0..200, y 0..100: one world unit per pixel.
class Painting : public ::testing::Test {
 protected:
  TQuarixCanvas c;
  QImage frame;
  void SetUp() override {
    c.resize(200, 100);
    c.WorldSet(0, 100, 200, 0);
  }
  QImage& Paint() {
    c.PaintTo(frame);
    return frame;
  }
  // Pixels of the given colour in the rectangle [x0, x1] x [y0, y1].
  int Count(const QImage& img, int x0, int y0, int x1, int y1, QRgb colour) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (img.pixel(x, y) == colour) ++n;
    return n;
  }
};

TEST_F(Painting, PointSizeByPenWidth) {
  struct Case {
    int penWidth;
    int side;  // the square of pixels set around the point's pixel (50, 50)
    int x0;
  };
  const Case cases[] = {{0, 1, 50}, {1, 2, 50}, {2, 3, 49}, {3, 5, 48}};
  for (const Case& k : cases) {
    TQuarixCanvas canvas;
    canvas.resize(200, 100);
    canvas.WorldSet(0, 100, 200, 0);
    canvas.SetShapePenWidth(canvas.DrawPoint(50.5, 49.5, 0), k.penWidth);
    QImage img;
    canvas.PaintTo(img);
    const int x1 = k.x0 + k.side - 1;
    EXPECT_EQ(Count(img, k.x0, k.x0, x1, x1, kBlack), k.side * k.side) << k.penWidth;
    EXPECT_EQ(Count(img, k.x0 - 3, k.x0 - 3, x1 + 3, x1 + 3, kBlack), k.side * k.side) << k.penWidth;
  }
  // Pen width 4: a filled circle within the box 48..52.
  TQuarixCanvas canvas;
  canvas.resize(200, 100);
  canvas.WorldSet(0, 100, 200, 0);
  canvas.SetShapePenWidth(canvas.DrawPoint(50.5, 49.5, 0), 4);
  QImage img;
  canvas.PaintTo(img);
  EXPECT_EQ(img.pixel(50, 50), kBlack);
  EXPECT_EQ(img.pixel(49, 50), kBlack);
  EXPECT_EQ(img.pixel(48, 48), kWhite) << "a circle, not a square";
  EXPECT_EQ(Count(img, 44, 44, 56, 56, kBlack), Count(img, 48, 48, 52, 52, kBlack));
}

TEST_F(Painting, FilledRectangleWithoutOutlineUnlessSelected) {
  const int l = c.LayerOpen("cells");
  c.SetLayerPenWidth(l, 0);
  c.SetLayerBrushFg(l, clLime);
  c.SetLayerBrushStyle(l, bsSolid);
  const int32_t r = c.DrawRectangle(10, 20, 30, 10, l);  // pixels x 10..29, y 80..89
  QImage& img = Paint();
  EXPECT_EQ(Count(img, 10, 80, 29, 89, kLime), 200);
  EXPECT_EQ(img.pixel(30, 85), kWhite);
  EXPECT_EQ(img.pixel(20, 90), kWhite);
  c.ShapeSelect(r, false);
  QImage& sel = Paint();
  EXPECT_EQ(sel.pixel(10, 85), kRed) << "selected: red outline";
  EXPECT_EQ(sel.pixel(20, 85), kLime);
}

TEST_F(Painting, GridLinesAtTheirColumns) {
  c.resize(400, 300);
  c.WorldSet(0, 750, 1000, 0);
  c.GridVisible = true;
  QImage& img = Paint();
  const QRgb grid = TQPainterCanvas::ToRgb(c.GridColor);
  for (int col : {80, 160, 240, 320}) {
    EXPECT_GT(Count(img, col, 20, col, 200, grid), 60) << col;
    EXPECT_EQ(Count(img, col + 1, 20, col + 1, 200, grid), 0) << col;
  }
  // Rows of y = 200, 400, 600: 300 - y * 0.4.
  for (int row : {220, 140, 60}) EXPECT_GT(Count(img, 60, row, 380, row, grid), 100) << row;
}

TEST_F(Painting, HiddenAndInvisibleShapesAreNotDrawn) {
  const int hidden = c.LayerOpen("hidden");
  c.DrawLine(10, 50, 100, 50, hidden);
  c.SetLayerVisible(hidden, false);
  c.FindShape(c.DrawLine(10, 40, 100, 40, 0))->Visible = false;
  c.DrawLine(10, 30, 100, 30, 0);
  QImage& img = Paint();
  EXPECT_EQ(Count(img, 0, 50, 199, 50, kBlack), 0);
  EXPECT_EQ(Count(img, 0, 60, 199, 60, kBlack), 0);
  EXPECT_EQ(Count(img, 0, 70, 199, 70, kBlack), 90) << "a line leaves out its last pixel";
}

TEST_F(Painting, BlackShapeOnBlackBackgroundIsPaintedWhite) {
  c.SetBackColor(clBlack);
  const int32_t n = c.DrawLine(10, 50, 100, 50, 0);
  QImage& img = Paint();
  EXPECT_EQ(img.pixel(50, 50), kWhite);
  EXPECT_EQ(c.GetShapePenFg(n), clBlack);
}

TEST_F(Painting, BackBufferReusedUntilChangedOrResized) {
  c.CurrentTool = stRectangle;
  c.MouseDown(TMouseButton::mbLeft, 0, 20, 20);
  Paint();
  const int rebuilds = c.RebuildCount;
  c.MouseMove(0, 60, 50);
  QImage& img = Paint();
  EXPECT_EQ(c.RebuildCount, rebuilds) << "the rubber band needs no rebuild";
  // The XOR rubber band inverts the white background along its edges.
  EXPECT_EQ(img.pixel(40, 20), kBlack);
  EXPECT_EQ(img.pixel(40, 35), kWhite);
  EXPECT_EQ(img.pixel(20, 35), kBlack);
  c.resize(210, 100);
  Paint();
  EXPECT_EQ(c.RebuildCount, rebuilds + 1) << "a new size rebuilds";
  Paint();
  EXPECT_EQ(c.RebuildCount, rebuilds + 1);
  c.Refresh();
  Paint();
  EXPECT_EQ(c.RebuildCount, rebuilds + 2);
}

TEST_F(Painting, OverlaysAndScaleBarOnTop) {
  c.SetCurrentSpeed(4.2, true);
  c.SetCurrentDepth(12.34, 0, true);
  QImage& img = Paint();
  // The scale bar's black half: bar 150 pixels at most, right end 20 from the edge.
  EXPECT_EQ(img.pixel(200 - 20 - 2, 100 - 43 + 4), kWhite);
  bool blackInBar = false;
  for (int x = 30; x < 180; ++x) blackInBar |= img.pixel(x, 100 - 43 + 4) == kBlack;
  EXPECT_TRUE(blackInBar);
  EXPECT_EQ(c.RebuildCount, 1);
}

TEST_F(Painting, QtEventsReachTheTools) {
  std::vector<int> ends;
  c.OnDrawEnd = [&](TQuarixCanvasModel*, int16_t t, double, double) { ends.push_back(t); };
  int dblClicks = 0;
  c.OnDblClick = [&](TQuarixCanvas*) { ++dblClicks; };
  c.CurrentTool = stPolyline;
  auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButton b) {
    QMouseEvent ev(type, QPointF(p), QPointF(c.mapToGlobal(p)), b, b, Qt::NoModifier);
    QApplication::sendEvent(&c, &ev);
  };
  send(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton);
  // The second press of a double click arrives as a double-click event only.
  send(QEvent::MouseButtonDblClick, {40, 10}, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, {40, 10}, Qt::LeftButton);
  ASSERT_NE(c.DrawingPolyline, nullptr);
  EXPECT_EQ(c.DrawingPolyline->PointCount(), 2);
  EXPECT_EQ(dblClicks, 1);
  send(QEvent::MouseButtonPress, {60, 60}, Qt::RightButton);
  EXPECT_EQ(ends, (std::vector<int>{stPolyline}));
  ASSERT_EQ(c.ShapeCount, 1);

  QWheelEvent wheel(QPointF(100, 50), QPointF(c.mapToGlobal(QPoint(100, 50))), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&c, &wheel);
  EXPECT_DOUBLE_EQ(c.GetWorldWidth(), 180);

  c.CurrentTool = stLine;
  send(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
  send(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);  // the finishing press is swallowed
  send(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
  EXPECT_TRUE(c.HasFirstPoint);
  int cancels = 0;
  c.OnDrawCancel = [&](TQuarixCanvasModel*, int16_t, double, double) { ++cancels; };
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&c, &esc);
  EXPECT_FALSE(c.HasFirstPoint);
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(c.CurrentTool, stLine);
}

TEST_F(Painting, StatusBoxHitTestWithRealMetrics) {
  const std::string saved = GGAOverlayText;
  GGAOverlayText = "RTK Fix";
  c.resize(400, 300);
  c.GGAOverlayPosition = 2;  // bottom-right
  EXPECT_TRUE(c.IsPointInGGAOverlay(390, 290));
  EXPECT_FALSE(c.IsPointInGGAOverlay(10, 10));
  c.GGAOverlayPosition = 0;
  EXPECT_TRUE(c.IsPointInGGAOverlay(10, 10));
  GGAOverlayText = saved;
}

}  // namespace
