// Painting decisions without pixels: the render plan (culling, thinning,
// decluttering, the drawing limit), grid steps and labels, the scale bar,
// the rubber band, and the overlays' texts, colours and label lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/displaysettings.h"
#include "canvas/canvasmodel.h"
#include "canvas/geometry.h"
#include "recordingcanvas.h"

namespace {

// 400 x 300 pixels showing x 0..400, y 0..300.
class Plan : public ::testing::Test {
 protected:
  TQuarixCanvasModel m;
  void SetUp() override { m.WorldSet(0, 300, 400, 0); }
  std::vector<int32_t> FirstPassNumbers() {
    std::vector<int32_t> v;
    for (uint32_t i : m.BuildRenderPlan().FirstPass) v.push_back(m.Shapes[i]->Number);
    return v;
  }
  std::vector<int32_t> TextNumbers() {
    std::vector<int32_t> v;
    for (uint32_t i : m.BuildRenderPlan().Texts) v.push_back(m.Shapes[i]->Number);
    return v;
  }
};

TEST_F(Plan, PointThinning) {
  for (int x = 0; x <= 6; ++x) m.DrawPoint(x + 0.5, 150, 0);
  m.DrawPoint(9.5, 150, 0);  // exactly 3 pixels right of the last drawn
  m.DrawPoint(9.5, 152, 0);  // 2 pixels below it: skipped
  EXPECT_EQ(FirstPassNumbers(), (std::vector<int32_t>{1, 4, 7, 8}));
}

TEST_F(Plan, ThinningIsSharedAcrossLayers) {
  const int l = m.LayerOpen("track_float");
  m.DrawPoint(100, 100, 0);
  m.DrawPoint(101, 100, l);
  EXPECT_EQ(FirstPassNumbers(), (std::vector<int32_t>{1}));
}

TEST_F(Plan, VisibilityLayersAndBoxes) {
  const int hidden = m.LayerOpen("hidden");
  m.SetLayerVisible(hidden, false);
  const int32_t a = m.DrawLine(10, 10, 20, 20, 0);
  m.DrawLine(10, 10, 20, 20, hidden);
  const int32_t moved = m.DrawLine(10, 10, 20, 20, 0);
  m.ShapeToLayer(moved, 55);                              // no such layer
  m.ShapeToLayer(m.DrawLine(10, 10, 20, 20, 0), -1);      // negative layer
  m.FindShape(m.DrawLine(10, 10, 20, 20, 0))->Visible = false;
  const int32_t touching = m.DrawLine(-10, 5, 0, 5, 0);  // MaxX = WorldLeft
  m.DrawLine(-10, 5, -0.001, 5, 0);                       // just outside
  m.DrawLine(10, 301, 20, 400, 0);                        // above the window
  m.DrawLine(0, std::nan(""), 1, 1, 0);                   // not finite
  EXPECT_EQ(FirstPassNumbers(), (std::vector<int32_t>{a, touching}));
}

TEST_F(Plan, HalfPixelSkipForCurvesNotForLinesAndRectangles) {
  // 1 world unit per pixel: half a pixel is 0.5.
  const int32_t line = m.DrawLine(10, 10, 10.4, 10.4, 0);
  const int32_t rect = m.DrawRectangle(20, 20, 20.4, 20.4, 0);
  m.DrawCircle(30, 30, 0.2, 0);
  m.DrawPolyline({{40, 40}, {40.4, 40.4}}, 0, false);
  m.DrawTwoPointEllipse(50, 50, 50.4, 50.4, 0);
  const int32_t wide = m.DrawPolyline({{60, 60}, {60.6, 60}}, 0, false);
  EXPECT_EQ(FirstPassNumbers(), (std::vector<int32_t>{line, rect, wide}));
}

TEST_F(Plan, TextsDeclutteredInCells) {
  const int32_t first = m.TextAdd(0, "1.2", 10, 290, 0);  // pixel (10, 10)
  m.TextAdd(0, "3.4", 50, 250, 0);                          // pixel (50, 50): same cell
  const int32_t next = m.TextAdd(0, "5.6", 70, 290, 0);    // pixel (70, 10): next cell
  const int32_t left = m.TextAdd(0, "7.8", -5, 150, 0);    // left of the control: column 0
  m.TextAdd(0, "9.0", 1, 150, 0);                           // same cell as the one before
  EXPECT_EQ(TextNumbers(), (std::vector<int32_t>{first, next, left}));
  EXPECT_TRUE(FirstPassNumbers().empty()) << "texts are drawn in their own pass";
}

TEST_F(Plan, LimitDropsOldestShapes) {
  const std::size_t n = kMaxShapesDrawn + 10;
  m.Shapes.reserve(n + 1);
  for (std::size_t i = 0; i < n; ++i) m.DrawLine(10, 10, 20, 20, 0);
  const int32_t text = m.TextAdd(0, "newest", 100, 100, 0);
  const TRenderPlan plan = m.BuildRenderPlan();
  EXPECT_EQ(plan.Size(), kMaxShapesDrawn);
  ASSERT_EQ(plan.Texts.size(), 1u);
  EXPECT_EQ(m.Shapes[plan.Texts[0]]->Number, text);
  EXPECT_EQ(m.Shapes[plan.FirstPass.front()]->Number, 12) << "the 11 oldest give way";
  EXPECT_EQ(m.Shapes[plan.FirstPass.back()]->Number, static_cast<int32_t>(n));
}

// ---------------------------------------------------------------------------
// Grid

TEST_F(Plan, GridSteps) {
  struct Case {
    double width;
    double step;
    std::vector<std::string> firstLabels;  // x labels drawn, left to right
  };
  const Case cases[] = {
      {1000, 200, {"200", "400", "600"}},
      {40, 10, {"10", "20"}},
      {2, 0.5, {"0.5", "1"}},
  };
  for (const Case& c : cases) {
    m.WorldSet(0, c.width * 0.75, c.width, 0);
    m.GridVisible = true;
    TGridPlan g;
    ASSERT_TRUE(m.BuildGridPlan(g));
    EXPECT_DOUBLE_EQ(g.StepX, c.step) << c.width;
    EXPECT_DOUBLE_EQ(g.StepY, c.step) << c.width;
    TRecordingCanvas rc;
    m.DrawGrid(&rc);
    std::vector<std::string> texts = rc.Texts();
    texts.resize(std::min(texts.size(), c.firstLabels.size()));
    EXPECT_EQ(texts, c.firstLabels) << c.width;
  }
}

TEST_F(Plan, GridLinePositionsAndAxes) {
  m.WorldSet(-100, 300, 300, 0);
  m.GridVisible = true;
  m.GridAutoScale = false;
  m.GridSpacingX = 100;
  m.GridSpacingY = 50;
  TGridPlan g;
  ASSERT_TRUE(m.BuildGridPlan(g));
  EXPECT_EQ(g.Columns, (std::vector<int>{0, 100, 200, 300, 400}));
  EXPECT_EQ(g.Rows, (std::vector<int>{300, 250, 200, 150, 100, 50, 0}));
  EXPECT_FALSE(g.Axes) << "the origin lies on the bottom edge, not inside";
  m.WorldSet(-100, 250, 300, -50);
  ASSERT_TRUE(m.BuildGridPlan(g));
  EXPECT_TRUE(g.Axes);
  EXPECT_EQ(g.OriginX, 100);
  EXPECT_EQ(g.OriginY, 250);
  TRecordingCanvas rc;
  m.DrawGrid(&rc);
  const auto lines = rc.Of("Line");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].Pen.Style, psDot);
  EXPECT_EQ(lines[0].Pen.Color, m.GridColor);
  EXPECT_EQ(lines.back().Pen.Color, clRed);
  EXPECT_EQ(lines.back().Args, (std::vector<int>{100, 0, 100, 300}));
}

TEST_F(Plan, GridLabelMargins) {
  m.WorldSet(0, 300, 400, 0);
  m.GridVisible = true;
  m.GridAutoScale = false;
  m.GridSpacingX = m.GridSpacingY = 2;
  TRecordingCanvas rc;
  m.DrawGrid(&rc);
  for (const auto& t : rc.Of("TextOut")) {
    if (t.Args[0] == 4) {  // y label: rows 15 .. 280
      const int sy = t.Args[1] + rc.LineHeight / 2;
      EXPECT_GT(sy, 14);
      EXPECT_LE(sy, 280);
    } else {  // x label: columns 5 .. 350
      const int sx = t.Args[0] + static_cast<int>(t.Text.size()) * rc.CharWidth / 2;
      EXPECT_GT(sx, 4);
      EXPECT_LE(sx, 350);
    }
  }
}

TEST_F(Plan, TinyFixedGridStepFallsBackToAutomatic) {
  m.GridVisible = true;
  m.GridAutoScale = false;
  const std::pair<double, double> windows[] = {{0, 1000}, {4500000, 4501000}};
  for (const auto& [lo, hi] : windows) {
    for (double step : {1e-9, 1e-300, 0.5}) {
      m.WorldSet(lo, lo + 750, hi, lo);
      m.GridSpacingX = m.GridSpacingY = step;
      TGridPlan g;
      ASSERT_TRUE(m.BuildGridPlan(g));
      EXPECT_DOUBLE_EQ(g.StepX, 200) << step;
      EXPECT_LE(g.Xs.size(), 1000u);
      TRecordingCanvas rc;
      m.DrawGrid(&rc);  // finishes
    }
  }
  // A fixed step that fits is used as it is.
  m.WorldSet(0, 750, 1000, 0);
  m.GridSpacingX = 100;
  m.GridSpacingY = 250;
  TGridPlan g;
  ASSERT_TRUE(m.BuildGridPlan(g));
  EXPECT_EQ(g.Xs.size(), 11u);
  EXPECT_EQ(g.Ys.size(), 4u);
}

// ---------------------------------------------------------------------------
// Scale bar

TEST(ScaleBar, LabelNamesTheDrawnLength) {
  struct Case {
    double worldWidth;
    int pixels;
    std::string label;
    int barPixels;
  };
  const Case cases[] = {
      {1000, 400, "200 m", 80},    {100000, 400, "20.0 km", 80}, {1, 400, "20 cm", 80},
      {400, 400, "100 m", 100},    {150, 400, "50 m", 133},      {1000, 1920, "50 m", 96},
      {20000, 1920, "1.0 km", 96}, {3000, 400, "1.0 km", 133},
  };
  for (const Case& c : cases) {
    TScaleBar bar;
    ASSERT_TRUE(ComputeScaleBar(c.worldWidth, c.pixels, bar));
    EXPECT_EQ(ScaleBarLabel(bar.Length), c.label) << c.worldWidth << " on " << c.pixels;
    EXPECT_EQ(bar.Pixels, c.barPixels) << c.worldWidth << " on " << c.pixels;
    const double upp = c.worldWidth / c.pixels;
    EXPECT_NEAR(bar.Pixels * upp, bar.Length, upp) << "the bar is as long as its label says";
  }
  TScaleBar bar;
  EXPECT_FALSE(ComputeScaleBar(0, 400, bar));
  EXPECT_FALSE(ComputeScaleBar(-5, 400, bar));
  EXPECT_FALSE(ComputeScaleBar(100, 0, bar));
}

TEST_F(Plan, ScaleBarDrawing) {
  m.WorldSet(0, 750, 1000, 0);
  TRecordingCanvas rc;
  m.DrawScaleBar(&rc);
  EXPECT_EQ(rc.Texts(), (std::vector<std::string>{"200 m"}));
  const auto rects = rc.Of("Rectangle");
  ASSERT_EQ(rects.size(), 2u);
  // Bar of 80 pixels, right end 20 from the edge, top 43 above the bottom.
  EXPECT_EQ(rects[1].Args, (std::vector<int>{300, 257, 380, 265}));
  EXPECT_EQ(rects[0].Args, (std::vector<int>{295, 252, 385, 285}));
}

// ---------------------------------------------------------------------------
// Rubber band and shape drawing calls

TEST_F(Plan, RubberBandShapes) {
  m.IsDrawing = m.HasFirstPoint = true;
  m.RubberX1 = 10, m.RubberY1 = 290, m.RubberX2 = 40, m.RubberY2 = 260;
  struct Case {
    int tool;
    std::string op;
  };
  const Case cases[] = {{stRectangle, "Rectangle"}, {stEllipseTool, "Rectangle"}, {toolZoomWindow, "Rectangle"},
                        {stLine, "Line"},           {stCircle, "Ellipse"},       {stPoint, ""}};
  for (const Case& c : cases) {
    m.CurrentTool = c.tool;
    TRecordingCanvas rc;
    m.DrawRubberBand(&rc);
    if (c.op.empty()) {
      EXPECT_TRUE(rc.Calls.empty());
      continue;
    }
    ASSERT_EQ(rc.Calls.size(), 1u) << c.tool;
    EXPECT_EQ(rc.Calls[0].Op, c.op);
    EXPECT_EQ(rc.Calls[0].Pen.Mode, TPenMode::Xor);
    EXPECT_EQ(rc.Calls[0].Pen.Color, clWhite);
    EXPECT_EQ(rc.Pen.Mode, TPenMode::Copy);
    if (c.tool == stCircle) {
      // r = hypot(30, 30) = 42.4 world units = 42 pixels.
      EXPECT_EQ(rc.Calls[0].Args, (std::vector<int>{10 - 42, 10 - 42, 10 + 42, 10 + 42}));
    }
  }
  m.CurrentTool = stPolygon;
  m.DrawingPolyline = new TQPolyline;
  m.DrawingPolyline->AddPoint(10, 290);
  m.DrawingPolyline->AddPoint(20, 290);
  TRecordingCanvas rc;
  m.DrawRubberBand(&rc);
  ASSERT_EQ(rc.Calls.size(), 1u);
  EXPECT_EQ(rc.Calls[0].Args, (std::vector<int>{10, 10, 20, 10, 40, 40, 10, 10}));
  m.HasFirstPoint = false;
  TRecordingCanvas none;
  m.DrawRubberBand(&none);
  EXPECT_TRUE(none.Calls.empty());
}

TEST_F(Plan, ContrastColourIsPaintedAndPenRestored) {
  m.SetBackColor(clBlack);
  const int32_t n = m.DrawLine(10, 10, 20, 20, 0);  // black pen
  TRecordingCanvas rc;
  m.DrawAllShapes(&rc);
  ASSERT_EQ(rc.Of("Line").size(), 1u);
  EXPECT_EQ(rc.Of("Line")[0].Pen.Color, clWhite);
  EXPECT_EQ(m.GetShapePenFg(n), clBlack);
}

TEST_F(Plan, SplineAndArcCurves) {
  m.DrawPolyline({{10, 290}, {40, 290}}, 0, false);
  m.FindShape(1)->ShapeType = stSpline;
  TRecordingCanvas rc;
  m.DrawAllShapes(&rc);
  // Two vertices: control points on the straight line between them.
  ASSERT_EQ(rc.Of("PolyBezier").size(), 1u);
  EXPECT_EQ(rc.Of("PolyBezier")[0].Args, (std::vector<int>{10, 10, 20, 10, 30, 10, 40, 10}));

  TQuarixCanvasModel k;
  k.WorldSet(0, 300, 400, 0);
  auto* arc = new TQPolyline;
  arc->ShapeType = stArc;
  for (auto [x, y] : {std::pair{0.0, 300.0}, {30.0, 270.0}, {60.0, 300.0}}) arc->AddPoint(x, y);
  k.Shapes.push_back(arc);
  TRecordingCanvas ra;
  k.DrawAllShapes(&ra);
  ASSERT_EQ(ra.Of("PolyBezier").size(), 1u);
  EXPECT_EQ(ra.Of("PolyBezier")[0].Args, (std::vector<int>{0, 0, 20, 20, 40, 20, 60, 0}));
  arc->AddPoint(90, 300);  // four vertices: a plain polyline
  TRecordingCanvas rb;
  k.DrawAllShapes(&rb);
  EXPECT_EQ(rb.Of("Polyline").size(), 1u);
}

// A zig-zag far longer than the view, each segment across its whole height:
// what reaches the surface is the segments in view, whole and in order, in
// runs of at most kMaxRunPoints points; with all of it in view, all of it,
// still in such runs.
TEST_F(Plan, LongZigZagReachesTheSurfaceInBoundedRunsOfWhatIsInView) {
  constexpr int kVertices = 200000;
  auto zigzag = [](int type) {
    auto* s = new TQPolyline;
    s->ShapeType = static_cast<uint8_t>(type);
    for (int i = 0; i < kVertices; ++i) s->AddPoint(i * 0.5 - 50000, i % 2 ? 280 : 20);
    return s;
  };
  // Segment i of the drawing as the surface should get it, in pixels: its
  // end points, and for a spline the Catmull-Rom control points between.
  auto pixel = [](double x, double y) { return std::pair{static_cast<int>(x), static_cast<int>(300 - y)}; };
  auto vertex = [&](long i) {
    const long j = std::clamp<long>(i, 0, kVertices - 1);
    auto p = pixel(j * 0.5 - 50000, j % 2 ? 280 : 20);
    if (i != j) {  // a missing neighbour at an end is reflected
      const auto q = pixel((2 * j - i) * 0.5 - 50000, (2 * j - i) % 2 ? 280 : 20);
      p = {2 * p.first - q.first, 2 * p.second - q.second};
    }
    return p;
  };
  auto segment = [&](int type, long i) {
    const auto a = vertex(i), b = vertex(i + 1);
    if (type != stSpline) return std::vector<int>{a.first, a.second, b.first, b.second};
    const auto p0 = vertex(i - 1), p3 = vertex(i + 2);
    return std::vector<int>{a.first, a.second,
                            static_cast<int>(a.first + (b.first - p0.first) * 0.5 / 3),
                            static_cast<int>(a.second + (b.second - p0.second) * 0.5 / 3),
                            static_cast<int>(b.first - (p3.first - a.first) * 0.5 / 3),
                            static_cast<int>(b.second - (p3.second - a.second) * 0.5 / 3),
                            b.first, b.second};
  };
  for (const auto& [type, op] : {std::pair{stSpline, "PolyBezier"}, std::pair{stPolyline, "Polyline"}}) {
    TQuarixCanvasModel k;
    k.WorldSet(0, 300, 400, 0);
    k.Shapes.push_back(zigzag(type));
    TRecordingCanvas rc;
    k.DrawAllShapes(&rc);
    const int per = type == stSpline ? 3 : 1;  // points per segment after a run's first
    // The segments the calls carry, each as its first point and what follows.
    std::vector<std::vector<int>> got;
    for (const TRecordedCall& call : rc.Of(op)) {
      const int points = static_cast<int>(call.Args.size() / 2);
      ASSERT_LE(points, kMaxRunPoints) << op;
      ASSERT_EQ((points - 1) % per, 0) << op;
      for (int j = 0; j + per < points; j += per)
        got.emplace_back(call.Args.begin() + 2 * j, call.Args.begin() + 2 * (j + per + 1));
    }
    // In view: x from 0 to 400, that is the vertices 100,000 to 100,800; a
    // pen of 1 reaches 3 pixels beyond.
    std::vector<std::vector<int>> want;
    for (long i = 0; i + 1 < kVertices; ++i) {
      const std::vector<int> s = segment(type, i);
      int x0 = s[0], x1 = s[0];
      for (std::size_t j = 0; j < s.size(); j += 2) x0 = std::min(x0, s[j]), x1 = std::max(x1, s[j]);
      if (x1 >= -3 && x0 <= 403) want.push_back(s);
    }
    EXPECT_GT(want.size(), 790u);
    EXPECT_LT(want.size(), 820u);
    EXPECT_EQ(got, want) << op;

    // The whole drawing in view: every segment, in runs of the same bound.
    k.WorldSet(-50000, 300, 50000, 0);
    TRecordingCanvas all;
    k.DrawAllShapes(&all);
    std::size_t segments = 0;
    for (const TRecordedCall& call : all.Of(op)) {
      ASSERT_LE(call.Args.size() / 2, static_cast<std::size_t>(kMaxRunPoints)) << op;
      segments += (call.Args.size() / 2 - 1) / per;
    }
    EXPECT_EQ(segments, static_cast<std::size_t>(kVertices - 1)) << op;
  }
}

// A text of a megabyte on one line reaches the surface cut to as many
// characters as can cross the view (400 + 300 + 1000), taken where its
// alignment puts them on the view: its start, middle or end.
TEST_F(Plan, LongTextReachesTheSurfaceCutToWhatTheViewCanShow) {
  auto charsOf = [](const std::string& s) {
    std::size_t n = 0;
    for (unsigned char ch : s) n += (ch & 0xC0) != 0x80;
    return n;
  };
  std::string text;  // numbered entries with a two-byte character each: every piece is found once
  for (int i = 0; i < 100000; ++i) text += "\u00fc" + std::to_string(i) + ",";
  const std::size_t chars = charsOf(text);
  for (const int align : {0, 1, 2}) {
    TQuarixCanvasModel k;
    k.WorldSet(0, 300, 400, 0);
    k.TextAdd(0, text, 10, 150, 0);
    static_cast<TQText*>(k.Shapes.back())->TextAlign = align;
    TRecordingCanvas rc;
    k.DrawAllShapes(&rc);
    ASSERT_EQ(rc.Texts().size(), 1u) << align;
    const std::string shown = rc.Texts()[0];
    EXPECT_EQ(charsOf(shown), 1700u) << align;
    const std::size_t at = text.find(shown);
    ASSERT_NE(at, std::string::npos) << align;
    EXPECT_EQ(charsOf(text.substr(0, at)), align == 0 ? 0 : align == 1 ? (chars - 1700) / 2 : chars - 1700) << align;
  }
  // A text that fits is shown whole.
  TQuarixCanvasModel k;
  k.WorldSet(0, 300, 400, 0);
  k.TextAdd(0, std::string(1700, 'x'), 10, 150, 0);
  TRecordingCanvas rc;
  k.DrawAllShapes(&rc);
  ASSERT_EQ(rc.Texts().size(), 1u);
  EXPECT_EQ(rc.Texts()[0].size(), 1700u);
}

TEST_F(Plan, FarAwayPolygonIsClippedBeforeConversion) {
  auto* s = new TQPolyline;
  s->ShapeType = stPolygon;
  s->Closed = true;
  for (auto [x, y] : {std::pair{100.0, 100.0}, {1e13, 100.0}, {1e13, 200.0}, {100.0, 200.0}}) s->AddPoint(x, y);
  m.Shapes.push_back(s);
  TRecordingCanvas rc;
  m.DrawAllShapes(&rc);
  ASSERT_EQ(rc.Of("Polygon").size(), 1u);
  const std::vector<int> args = rc.Of("Polygon")[0].Args;
  for (int v : args) EXPECT_LE(std::abs(v), 1 << 21);
  // The two vertices in view keep their pixels; the far edge is cut at the
  // limit, which lies far right of the view.
  std::vector<std::pair<int, int>> ring;
  for (std::size_t i = 0; i + 1 < args.size(); i += 2) ring.push_back({args[i], args[i + 1]});
  EXPECT_EQ(ring.size(), 4u);
  EXPECT_NE(std::find(ring.begin(), ring.end(), std::pair{100, 200}), ring.end());
  EXPECT_NE(std::find(ring.begin(), ring.end(), std::pair{100, 100}), ring.end());
  int right = 0;
  for (const auto& p : ring) right = std::max(right, p.first);
  EXPECT_EQ(right, 1 << 21);
}

TEST_F(Plan, FarAwayGeometryIsClippedBeforeConversion) {
  m.DrawLine(-1e12, 150, 1e12, 150, 0);
  m.DrawPolyline({{-1e13, 100}, {200, 100}, {1e13, 100}}, 0, false);
  TRecordingCanvas rc;
  m.DrawAllShapes(&rc);
  const auto lines = rc.Of("Line");
  ASSERT_EQ(lines.size(), 3u);
  for (const auto& l : lines)
    for (int v : l.Args) EXPECT_LT(std::abs(v), 1 << 22);
  EXPECT_LT(lines[0].Args[0], 0);
  EXPECT_GT(lines[0].Args[2], 400);
  EXPECT_EQ(lines[0].Args[1], 150);
  EXPECT_EQ(lines[0].Args[3], 150);
  EXPECT_EQ(lines[1].Args[2], 200) << "the vertex in view keeps its pixel";
  EXPECT_EQ(lines[2].Args[0], 200);
}

// The segment clip used before far-away pixels become ints (shapes) and by
// the drawing surface's thin lines (its box is wider than it is high).
TEST(Geometry, ClipSegmentToBox) {
  struct Case {
    const char* name;
    double x1, y1, x2, y2;
    bool inside;
    double cx1, cy1, cx2, cy2;
  };
  const Case cases[] = {
      {"inside stays", 1, 1, 5, 3, true, 1, 1, 5, 3},
      {"crossing both sides", -10, 2, 20, 2, true, 0, 2, 10, 2},
      {"crossing top and bottom", 5, -10, 5, 10, true, 5, 0, 5, 4},
      {"reversed direction", 20, 2, -10, 2, true, 10, 2, 0, 2},
      {"parallel outside", -5, -1, 15, -1, false, 0, 0, 0, 0},
      {"passing a corner outside", 8, -5, 15, 2, false, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    double x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
    ASSERT_EQ(ClipSegment(x1, y1, x2, y2, 0, 0, 10, 4), c.inside) << c.name;
    if (!c.inside) continue;
    EXPECT_DOUBLE_EQ(x1, c.cx1) << c.name;
    EXPECT_DOUBLE_EQ(y1, c.cy1) << c.name;
    EXPECT_DOUBLE_EQ(x2, c.cx2) << c.name;
    EXPECT_DOUBLE_EQ(y2, c.cy2) << c.name;
  }
}

// ---------------------------------------------------------------------------
// Overlays

TEST(Overlays, DepthLabelSpacingAndCap) {
  TQuarixCanvasModel m;
  m.AddDepthLabel(0, 0, 5);
  m.AddDepthLabel(9.99, 0, 5);
  EXPECT_EQ(m.DepthLabels.size(), 1u);
  m.AddDepthLabel(10, 0, 5);
  EXPECT_EQ(m.DepthLabels.size(), 2u);
  m.AddDepthLabel(std::nan(""), 0, 5);
  EXPECT_EQ(m.DepthLabels.size(), 2u);
  m.SetDepthLabelSettings(false, 10, "Arial", 8, clBlue);
  m.AddDepthLabel(20, 0, 5);
  EXPECT_EQ(m.DepthLabels.size(), 3u) << "hidden labels are still collected";
  TRecordingCanvas rc;
  m.DrawDepthLabelsOverlay(&rc);
  EXPECT_TRUE(rc.Calls.empty());

  TQuarixCanvasModel big;
  for (int i = 0; i < 10001; ++i) big.AddDepthLabel(i * 10.0, 0, i);
  ASSERT_EQ(big.DepthLabels.size(), 9001u);
  EXPECT_EQ(big.DepthLabels.front().Depth, 1000);
  EXPECT_EQ(big.DepthLabels.back().Depth, 10000);
}

TEST(Overlays, DepthLabelsNearTheControlAreWritten) {
  TQuarixCanvasModel m;
  m.WorldSet(0, 300, 400, 0);
  m.AddDepthLabel(-40, 150, 12.34);  // 40 pixels left: written
  m.AddDepthLabel(-60, 100, 1);      // 60 pixels left: not written
  m.AddDepthLabel(200, 150, 3.05);
  TRecordingCanvas rc;
  m.DrawDepthLabelsOverlay(&rc);
  EXPECT_EQ(rc.Texts(), (std::vector<std::string>{"12.3", "3.1"}));
  const auto t = rc.Of("TextOut");
  EXPECT_EQ(t[1].Args, (std::vector<int>{200 - 10, 150 - 6})) << "centred on the point";
  EXPECT_EQ(t[1].Font.Size, 12);
}

TEST(Overlays, EventLabelsUseDisplaySettings) {
  TQuarixCanvasModel m;
  m.WorldSet(0, 300, 400, 0);
  m.AddEventLabel(100, 100, 17);
  m.AddEventLabel(100, 100, 18);
  TRecordingCanvas rc;
  m.DrawEventLabelsOverlay(&rc);
  EXPECT_EQ(rc.Texts(), (std::vector<std::string>{"17", "18"}));
  EXPECT_EQ(rc.Of("TextOut")[0].Font.Size, EventLabelFontSize);
  EXPECT_EQ(rc.Of("TextOut")[0].Font.Color, EventLabelColor);
  EXPECT_TRUE(rc.Of("TextOut")[0].Font.Bold);
  m.ClearEventLabels();
  EXPECT_TRUE(m.EventLabels.empty());
}

TEST(Overlays, DepthPanelTexts) {
  struct Case {
    double depth, lo;
    bool showDepth;
    double speed;
    bool showSpeed;
    TDepthPanelTexts expected;
  };
  const Case cases[] = {
      {0, 0, true, 0, false, {"--.-", "m / --.-m", "", ""}},
      {0, -1, true, 0, false, {"--.-", "m", "", ""}},
      {12.34, 0, true, 0, false, {"12.3", "4m", "", ""}},
      {12.34, 5.67, true, 0, false, {"12.3", "4m / 5.67m", "", ""}},
      {0, 5.67, true, 0, false, {"--.-", "m / 5.67m", "", ""}},
      {12.345, 0, true, 4.25, true, {"12.3", "5m", "4.3", "kn"}},
      {12.34, 0, false, 4.2, true, {"", "", "4.2", "kn"}},
  };
  for (const Case& c : cases) {
    TQuarixCanvasModel m;
    m.SetCurrentDepth(c.depth, c.lo, c.showDepth);
    m.SetCurrentSpeed(c.speed, c.showSpeed);
    const TDepthPanelTexts t = m.DepthPanelTexts();
    EXPECT_EQ(t.Line1, c.expected.Line1) << c.depth << "/" << c.lo;
    EXPECT_EQ(t.Line1Small, c.expected.Line1Small) << c.depth << "/" << c.lo;
    EXPECT_EQ(t.SpeedBig, c.expected.SpeedBig);
    EXPECT_EQ(t.SpeedSmall, c.expected.SpeedSmall);
  }
}

TEST(Overlays, DepthPanelDrawing) {
  TQuarixCanvasModel m;
  TRecordingCanvas none;
  m.DrawCurrentDepthOverlay(&none);
  EXPECT_TRUE(none.Calls.empty());
  m.SetCurrentSpeed(4.2, true);
  TRecordingCanvas rc;
  m.DrawCurrentDepthOverlay(&rc);
  EXPECT_EQ(rc.Texts(), (std::vector<std::string>{"4.2", "kn"}));
  EXPECT_EQ(rc.Of("TextOut")[0].Font.Color, OverlaySpeedColor);
  EXPECT_EQ(rc.Of("TextOut")[0].Font.Size, OverlayFontSize);
  EXPECT_EQ(rc.Of("TextOut")[1].Font.Size, 10);
  ASSERT_EQ(rc.Of("RoundRect").size(), 1u);
  // Bottom-left corner: (10, Height - h - 10).
  EXPECT_EQ(rc.Of("TextOut")[0].Args, (std::vector<int>{10, 300 - 13 - 10}));
  m.DepthSpeedDisplayMode = 2;
  m.SetCurrentDepth(12.34, 0, true);
  TRecordingCanvas top;
  m.DrawCurrentDepthOverlay(&top);
  EXPECT_EQ(top.Texts(), (std::vector<std::string>{"12.3", "4m", "4.2", "kn"}));
  EXPECT_EQ(top.Of("TextOut")[0].Font.Color, OverlayDepthColor);
  const int total = 7 * (4 + 2 + 3 + 2);
  EXPECT_EQ(top.Of("TextOut")[0].Args, (std::vector<int>{400 - total - 10, 10}));
}

TEST(Overlays, StatusBoxColours) {
  struct Case {
    bool noPosition;
    int quality;
    TColor box, text;
  };
  const Case cases[] = {
      {false, 0, clRed, clWhite},    {false, 1, clRed, clWhite},     {false, 2, clAqua, clBlack},
      {false, 3, clYellow, clBlack}, {false, 4, clLime, clBlack},    {false, 5, clYellow, clBlack},
      {false, 7, clLime, clBlack},   {false, 9, clYellow, clBlack},  {false, -1, clYellow, clBlack},
      {true, 4, clRed, clWhite},
  };
  const std::string saved = GGAOverlayText;
  GGAOverlayText = "RTK Fix";
  for (const Case& c : cases) {
    NoValidPosition = c.noPosition;
    GGAFixQuality = c.quality;
    TQuarixCanvasModel m;
    EXPECT_EQ(m.GGABoxColor(), c.box) << c.quality;
    EXPECT_EQ(m.GGATextColor(), c.text) << c.quality;
    TRecordingCanvas rc;
    m.DrawGGAOverlay(&rc);
    ASSERT_EQ(rc.Of("RoundRect").size(), 1u);
    EXPECT_EQ(rc.Of("RoundRect")[0].Brush.Color, c.box);
    EXPECT_EQ(rc.Of("TextOut")[0].Font.Color, c.text);
    EXPECT_EQ(rc.Texts()[0], c.noPosition ? "NO VALID POSITION RECEIVED" : "RTK Fix");
  }
  NoValidPosition = false;
  GGAOverlayText = saved;
}

TEST(Overlays, StatusBoxHeadingHighlightAndHitTest) {
  const std::string saved = GGAOverlayText;
  GGAFixQuality = 4;
  GGAOverlayText = "";
  TQuarixCanvasModel m;
  TRecordingCanvas none;
  m.DrawGGAOverlay(&none);
  EXPECT_TRUE(none.Calls.empty());
  EXPECT_FALSE(m.IsPointInGGAOverlay(10, 10));

  GGAOverlayText = "RTK Fix THdg: 12.5";
  m.SetHeadingValid(false);
  TRecordingCanvas rc;
  m.DrawGGAOverlay(&rc);
  EXPECT_EQ(rc.Texts(), (std::vector<std::string>{"RTK Fix ", "THdg: 12.5"}));
  ASSERT_EQ(rc.Of("FillRect").size(), 1u);
  EXPECT_EQ(rc.Of("FillRect")[0].Brush.Color, clRed);
  EXPECT_EQ(rc.Of("TextOut")[1].Font.Color, clWhite);

  // Top-left: the box spans 2 .. w + 14 and 2 .. h + 14.
  EXPECT_TRUE(m.IsPointInGGAOverlay(2, 2));
  EXPECT_FALSE(m.IsPointInGGAOverlay(1, 2));
  m.ToggleGGAOverlayPosition();
  m.ToggleGGAOverlayPosition();  // bottom-right
  EXPECT_FALSE(m.IsPointInGGAOverlay(10, 10));
  EXPECT_TRUE(m.IsPointInGGAOverlay(390, 285));
  GGAOverlayText = saved;
}

TEST(Overlays, CornerToggles) {
  TQuarixCanvasModel m;
  for (int i = 0; i < 4; ++i) m.ToggleDepthSpeedDisplayMode();
  EXPECT_EQ(m.DepthSpeedDisplayMode, 0);
  m.DepthSpeedDisplayMode = 7;
  m.ToggleDepthSpeedDisplayMode();
  EXPECT_EQ(m.DepthSpeedDisplayMode, 0);
  m.GGAOverlayPosition = -2;
  m.ToggleGGAOverlayPosition();
  EXPECT_EQ(m.GGAOverlayPosition, -1);
  m.GGAOverlayPosition = 2147483647;
  m.ToggleGGAOverlayPosition();
  EXPECT_EQ(m.GGAOverlayPosition, 0);
}

TEST(Overlays, DistanceMeasure) {
  TQuarixCanvasModel m;
  m.WorldSet(0, 300, 400, 0);
  m.UpdateDistanceMeasure(5, 5, 1, 1);
  EXPECT_EQ(m.DistanceX2, 0) << "no measurement under way";
  m.StartDistanceMeasure(100, 200);
  m.UpdateDistanceMeasure(101, 200, 1, 90);
  TRecordingCanvas close;
  m.DrawDistanceOverlay(&close);
  EXPECT_TRUE(close.Calls.empty()) << "within one pixel";
  m.UpdateDistanceMeasure(102, 200, 2, 90);
  TRecordingCanvas two;
  m.DrawDistanceOverlay(&two);
  EXPECT_EQ(two.Of("Ellipse").size(), 1u) << "the dot but no ring";
  EXPECT_EQ(two.Texts(), (std::vector<std::string>{"2.00 m", "90.0\xc2\xb0"}));
  m.UpdateDistanceMeasure(130, 240, 50, 36.87);
  TRecordingCanvas far;
  m.DrawDistanceOverlay(&far);
  ASSERT_EQ(far.Of("Ellipse").size(), 2u);
  EXPECT_EQ(far.Of("Ellipse")[0].Args, (std::vector<int>{50, 50, 150, 150}));
  EXPECT_EQ(far.Texts(), (std::vector<std::string>{"50.00 m", "36.9\xc2\xb0"}));
  m.EndDistanceMeasure();
  TRecordingCanvas ended;
  m.DrawDistanceOverlay(&ended);
  EXPECT_TRUE(ended.Calls.empty());
}

}  // namespace
