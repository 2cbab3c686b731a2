// The map control on Qt's offscreen platform: pixels where geometry decides,
// back-buffer reuse, and Qt's mouse, wheel and key events reaching the tools.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <random>
#include <cmath>

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
  c.DrawLine(10, 90, 100, 90, hidden);
  c.SetLayerVisible(hidden, false);
  c.FindShape(c.DrawLine(10, 80, 100, 80, 0))->Visible = false;
  c.DrawLine(10, 70, 100, 70, 0);
  QImage& img = Paint();
  EXPECT_EQ(Count(img, 0, 10, 199, 10, kBlack), 0);
  EXPECT_EQ(Count(img, 0, 20, 199, 20, kBlack), 0);
  EXPECT_EQ(Count(img, 0, 30, 199, 30, kBlack), 90) << "a line leaves out its last pixel";
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
  send(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);  // first press after a finish: swallowed
  send(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);  // starts the line
  send(QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);  // the same point: nothing
  EXPECT_TRUE(c.HasFirstPoint);
  int cancels = 0;
  c.OnDrawCancel = [&](TQuarixCanvasModel*, int16_t, double, double) { ++cancels; };
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&c, &esc);
  EXPECT_FALSE(c.HasFirstPoint);
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(c.CurrentTool, stLine);
}

// What a paint from scratch gives: background, grid, shapes, then every
// overlay in order.
QImage FromScratch(TQuarixCanvas& c) {
  QImage img(c.width(), c.height(), QImage::Format_RGB32);
  QPainter painter(&img);
  TQPainterCanvas gc(painter, img);
  c.RenderBackBuffer(&gc);
  c.RenderOverlays(&gc);
  return img;
}

// The control reuses the picture of the drawing's stable part and of the
// labels between paints; whatever changes, the picture must be the one a
// paint from scratch gives.
TEST_F(Painting, CachedPicturesMatchAPaintFromScratch) {
  const std::string savedText = GGAOverlayText;
  GGAOverlayText = "RTK Fix";
  c.resize(300, 200);
  c.WorldSet(0, 200, 300, 0);
  const int chart = c.LayerOpen("chart");
  const int track = c.LayerOpen("track_fix");
  const int vessel = c.LayerOpen("~~Quarix Vessel");
  c.SetLayerPenFg(chart, clNavy);
  for (int i = 0; i < 40; ++i) c.DrawLine(i * 7, 10, 300 - i * 5, 190, chart);
  c.DrawCircle(150, 100, 40, chart);
  c.TextAdd(chart, "12.5", 100, 150, 0);
  c.TextAdd(chart, "7.0", 200, 50, 0);
  const int32_t outline = c.DrawPolyline({{40, 40}, {60, 160}, {120, 60}, {260, 150}}, chart, false);
  double vx = 20;
  auto tick = [&] {
    c.CadClearShapes(vessel);
    c.DrawLine(vx, 100, vx + 10, 110, vessel);
    c.DrawCircle(vx, 100, 5, vessel);
    c.DrawPoint(vx, 100, track);
    c.AddDepthLabel(vx, 95, vx / 10);
    c.SetLayerPenFg(track, clLime);
    c.SetLayerPenWidth(track, 2);
    c.SetCurrentDepth(vx / 10, 0, true);
    c.Refresh();
    vx += 4;
  };
  const std::vector<std::pair<const char*, std::function<void()>>> steps = {
      {"first tick", tick},
      {"second tick", tick},
      {"third tick", tick},
      {"two ticks between paints", [&] { tick(); tick(); }},
      {"select an old shape", [&] { c.ShapeSelect(3, false); }},
      {"recolour an old shape", [&] { c.SetShapePenFg(5, clRed); }},
      {"tick after edits", tick},
      // Edits that keep a shape's box but move its lines.
      {"an old line mirrored within its box", [&] { c.ShapeReflect(1, 0, 150, 0), c.Refresh(); }},
      {"a vertex moved within the box", [&] { c.ShapePointSet(outline, 1, 200, 30), c.Refresh(); }},
      {"a vertex inserted within the box", [&] { c.ShapePointInsert(outline, 1, 250, 50), c.Refresh(); }},
      {"a reader replaces an old record",
       [&] {
         auto* line = new TQLine;
         line->X1 = 0, line->Y1 = 0, line->X2 = 300, line->Y2 = 200;
         line->Layer = chart;
         line->PenWidth = 3;
         line->UpdateBounds();
         delete c.Shapes[7];
         c.Shapes[7] = line;
         c.NeedsRedraw = true;
       }},
      {"an old shape hidden directly", [&] { c.Shapes[9]->Visible = false, c.Refresh(); }},
      {"an old shape moved through its record", [&] { c.Shapes[11]->Translate(0, 30), c.Refresh(); }},
      {"hide the chart layer", [&] { c.SetLayerVisible(chart, false); }},
      {"show it again", [&] { c.SetLayerVisible(chart, true), tick(); }},
      {"delete an old shape", [&] { c.ShapeDelete(12), tick(); }},
      {"pan", [&] { c.WorldPan(15, -5); }},
      {"tick after pan", tick},
      {"background", [&] { c.SetBackColor(0x202020); }},
      {"grid", [&] { c.GridVisible = true, c.Refresh(); }},
      {"label settings", [&] { c.SetDepthLabelSettings(true, 10, "Arial", 14, clRed); }},
      {"event label", [&] { c.AddEventLabel(150, 100, 3); }},
      {"rubber band under the labels",
       [&] {
         c.CurrentTool = stPolyline;
         c.MouseDown(TMouseButton::mbLeft, 0, 100, 100);
         c.MouseMove(0, 160, 120);
       }},
      {"measuring", [&] { c.StartDistanceMeasure(50, 50), c.UpdateDistanceMeasure(120, 80, 76.2, 66.8); }},
      {"done", [&] { c.EndDistanceMeasure(); c.ClearDrawingState(); }},
      {"tick at the end", tick},
  };
  for (const auto& [name, step] : steps) {
    step();
    QImage& cached = Paint();
    const QImage reference = FromScratch(c);
    EXPECT_TRUE(cached == reference) << name;
    EXPECT_TRUE(Paint() == reference) << name << " (painted again)";
  }
  GGAOverlayText = savedText;
}

// A survey-sized drawing painted with the spatial index looks exactly as
// painted by a pass over every shape, from a close view to the whole map.
TEST_F(Painting, IndexedPictureEqualsAPlainPass) {
  c.resize(640, 400);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> pos(0, 5000), len(1, 200), ang(0, 6.283);
  const int chart = c.LayerOpen("chart"), track = c.LayerOpen("track_fix"), soundings = c.LayerOpen("soundings");
  c.SetLayerPenFg(track, clLime);
  for (int i = 0; i < 8000; ++i) {
    const double x = pos(rng), y = pos(rng), a = ang(rng), l = len(rng);
    c.DrawLine(x, y, x + l * std::cos(a), y + l * std::sin(a), chart);
    if (i % 4 == 0) c.DrawPolyline({{x, y}, {x + l, y + l / 2}, {x + l / 3, y + l}}, chart, i % 8 == 0);
    if (i % 5 == 0) c.DrawCircle(x, y, l / 20, chart);
    if (i % 3 == 0) c.TextAdd(soundings, std::to_string(i % 40), x, y, 0);
  }
  for (int i = 0; i < 20000; ++i) c.DrawPoint(1000 + (i % 2000) * 1.3, 1000 + (i / 2000) * 25.0, track);
  c.DrawRectangle(-100, -100, 5100, 5100, chart);  // larger than any cell
  c.ShapeTranslate(5, 2500, 2500);
  c.ShapeDelete(100);
  c.CadClearShapes(soundings);
  for (int i = 0; i < 300; ++i) c.TextAdd(soundings, "7.5", pos(rng), pos(rng), 0);
  const double views[][4] = {{2000, 2100, 2200, 2000}, {900, 1400, 1700, 900}, {0, 5000, 5000, 0}, {-500, 6000, 6000, -1000}};
  for (const auto& v : views) {
    c.WorldSet(v[0], v[1], v[2], v[3]);
    c.ShapeIndexEnabled = true;
    const QImage indexed = FromScratch(c);
    c.ShapeIndexEnabled = false;
    const QImage plain = FromScratch(c);
    c.ShapeIndexEnabled = true;
    EXPECT_TRUE(indexed == plain) << v[0] << " " << v[2];
    EXPECT_TRUE(Paint() == plain) << "the control's own paint, " << v[0] << " " << v[2];
  }
}

// Ticks over a view that stays put redraw only around the vessel; the frame
// must still be the one a paint from scratch gives, where the vessel passes
// over texts, labels and the track, and when labels come and settings stay.
TEST_F(Painting, TicksOverAStillViewMatchAPaintFromScratch) {
  const std::string savedText = GGAOverlayText;
  GGAOverlayText = "RTK Fix";
  c.resize(320, 240);
  c.WorldSet(0, 240, 320, 0);
  const int chart = c.LayerOpen("chart"), track = c.LayerOpen("track_fix"), soundings = c.LayerOpen("soundings");
  const int vessel = c.LayerOpen("~~Quarix Vessel");
  c.SetLayerPenFg(track, clLime);
  c.SetLayerPenFg(soundings, clNavy);
  for (int i = 0; i < 60; ++i) c.DrawLine(i * 5, 0, 320 - i * 3, 240, chart);
  for (int i = 0; i < 40; ++i) c.TextAdd(soundings, std::to_string(10 + i), (i % 8) * 40 + 5, (i / 8) * 48 + 20, 0);
  for (int i = 0; i < 25; ++i) c.AddDepthLabel(i * 13.0, 120 + (i % 3) * 4, 5 + i * 0.5);
  c.AddEventLabel(160, 118, 7);
  double vx = 0, vy = 110;
  for (int t = 0; t < 60; ++t) {
    c.CadClearShapes(vessel);
    c.DrawLine(vx, vy, vx + 12, vy + 6, vessel);
    c.DrawCircle(vx, vy, 9, vessel);
    c.DrawPoint(vx, vy, track);
    c.SetDepthLabelSettings(true, 10, "Arial", 12, clBlack);
    if (t % 7 == 0) c.AddDepthLabel(vx, vy + 3, t * 0.1);
    if (t % 9 == 4) c.AddDepthLabel(300 - t * 4.0, 220, t * 0.3);  // away from the vessel
    c.SetLayerPenFg(track, clLime);
    c.SetCurrentDepth(t * 0.1, 0, true);
    c.Refresh();
    vx += 5.5;
    vy += (t % 10 < 5) ? 1.5 : -1.5;
    const QImage& cached = Paint();
    ASSERT_TRUE(cached == FromScratch(c)) << "tick " << t;
  }
  EXPECT_GE(c.RebuildCount, 60);
  EXPECT_LE(c.BaseRebuildCount, 3) << "the still view keeps its base picture";
  // The navigation loop sets the label settings on every tick: the same
  // settings draw nothing again, other ones do.
  const int rebuilds = c.RebuildCount;
  c.SetDepthLabelSettings(true, 10, "Arial", 12, clBlack);
  Paint();
  EXPECT_EQ(c.RebuildCount, rebuilds);
  c.SetDepthLabelSettings(true, 10, "Arial", 14, clBlack);
  EXPECT_TRUE(Paint() == FromScratch(c));
  EXPECT_EQ(c.RebuildCount, rebuilds + 1);
  GGAOverlayText = savedText;
}

// Runlines drawn anew once, early in a large drawing, stay in the base
// picture; only the vessel's last shapes are drawn over it on each tick.
TEST_F(Painting, ALayerRedrawnLongAgoKeepsTheBasePicture) {
  c.resize(320, 240);
  c.WorldSet(0, 240, 320, 0);
  const int runlines = c.LayerOpen("Quarix_Runlines"), track = c.LayerOpen("track_fix");
  const int vessel = c.LayerOpen("~~Quarix Vessel");
  c.CadClearShapes(runlines);
  for (int i = 0; i < 10; ++i) c.DrawLine(0, i * 24 + 5, 320, i * 24 + 5, runlines);
  for (int i = 0; i < 6000; ++i) c.DrawPoint(std::fmod(i * 0.37, 320), std::fmod(i * 0.113, 240), track);
  const int before = c.BaseRebuildCount;
  for (int t = 0; t < 12; ++t) {
    c.CadClearShapes(vessel);
    c.DrawCircle(20 + t * 20, 120, 8, vessel);
    c.DrawPoint(20 + t * 20, 121, track);
    c.Refresh();
    ASSERT_TRUE(Paint() == FromScratch(c)) << "tick " << t;
  }
  EXPECT_LE(c.BaseRebuildCount - before, 2);
  c.CadClearShapes(runlines);  // now the base picture must go
  EXPECT_TRUE(Paint() == FromScratch(c));
}

// The map's drawing surface, counting the points it draws lines through.
class CountingSurface : public TQPainterCanvas {
 public:
  using TQPainterCanvas::TQPainterCanvas;
  long Points = 0;
  int Longest = 0;
  int Runs = 0;
  void Polyline(const TPixelPoint* p, int n) override {
    Points += n;
    Longest = std::max(Longest, n);
    ++Runs;
    TQPainterCanvas::Polyline(p, n);
  }
};

// A spline of 200,000 zig-zag vertices, each segment across 80 of the 100
// rows: in the file's view (some 800 vertices) the curve runs through every
// vertex and never beyond the zig-zag's rows; with all of it in view the
// surface flattens at most its total for a paint, and the rest of the curve
// is still drawn, as chords. Lines reach the surface in bounded runs.
TEST_F(Painting, LongZigZagSplineIsDrawnFromBoundedRuns) {
  constexpr int kVertices = 200000;
  auto* s = new TQPolyline;
  s->ShapeType = stSpline;
  s->PenFg = 0x0000FF;  // red
  for (int i = 0; i < kVertices; ++i) s->AddPoint(i * 0.25 - 25000, i % 2 ? 90.5 : 10.5);
  c.Shapes.push_back(s);
  c.Refresh();
  const QImage& img = Paint();
  for (int i = 100000; i < 100800; ++i)
    EXPECT_EQ(img.pixel(static_cast<int>(i * 0.25 - 25000), i % 2 ? 9 : 89), kRed) << "vertex " << i;
  EXPECT_EQ(Count(img, 0, 0, 199, 8, kRed), 0);
  EXPECT_EQ(Count(img, 0, 91, 199, 99, kRed), 0);

  for (const bool whole : {false, true}) {
    if (whole) c.WorldSet(-25000, 100, 25000, 0);
    QImage surfaceImage(200, 100, QImage::Format_RGB32);
    surfaceImage.fill(kWhite);
    QPainter painter(&surfaceImage);
    CountingSurface surface(painter, surfaceImage);
    c.DrawAllShapes(&surface);
    EXPECT_LE(surface.Longest, kMaxRunPoints);
    if (!whole) {
      EXPECT_LT(surface.Points, 810L * kMaxCurveSteps) << "only the segments in view";
    } else {
      EXPECT_LE(surface.Points, kMaxFlattenedPoints + kVertices + surface.Runs) << "the paint's total, then chords";
      EXPECT_GT(Count(surfaceImage, 190, 0, 199, 99, kRed), 500) << "the end of the curve is drawn";
      EXPECT_GT(Count(surfaceImage, 0, 0, 9, 99, kRed), 500) << "its start too";
    }
  }
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
