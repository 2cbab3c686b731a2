// Mouse and keyboard tools fed with (button, shift, pixel) sequences. The
// control is 400 x 300 pixels showing x 0..400, y 0..300: one world unit per
// pixel, world y = 300 - pixel row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas/canvasmodel.h"

namespace {

using B = TMouseButton;

struct Events {
  std::vector<std::string> log;
};

class Tools : public ::testing::Test {
 protected:
  TQuarixCanvasModel m;
  Events ev;

  void SetUp() override {
    m.WorldSet(0, 300, 400, 0);
    m.OnDrawBegin = [this](TQuarixCanvasModel*, int16_t t, double x, double y) {
      ev.log.push_back("begin " + std::to_string(t) + " " + Num(x) + "," + Num(y));
    };
    m.OnDrawEnd = [this](TQuarixCanvasModel*, int16_t t, double x, double y) {
      ev.log.push_back("end " + std::to_string(t) + " " + Num(x) + "," + Num(y));
    };
    m.OnWorldMouseDown = [this](TQuarixCanvasModel*, int16_t b, int16_t s, int16_t a, double x, double y) {
      ev.log.push_back("down " + std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(a) + " " +
                       Num(x) + "," + Num(y));
    };
    m.OnShapeNumberSelected = [this](TQuarixCanvasModel*, int16_t t, int32_t n) {
      ev.log.push_back("selected " + std::to_string(t) + " " + std::to_string(n));
    };
  }
  static std::string Num(double v) { return std::to_string(static_cast<long>(v)); }
  // Press at the pixel of world (x, y).
  void Press(B b, double x, double y, int16_t shift = 0) {
    m.MouseDown(b, shift, static_cast<int>(x), static_cast<int>(300 - y));
  }
  void Move(double x, double y) { m.MouseMove(0, static_cast<int>(x), static_cast<int>(300 - y)); }
  std::vector<std::string> Drop() {
    auto v = ev.log;
    ev.log.clear();
    return v;
  }
};

TEST_F(Tools, PolylineThreePressesAndRightClick) {
  m.CurrentTool = stPolyline;
  const int32_t next = m.NextShapeNumber;
  Press(B::mbLeft, 10, 10);
  Press(B::mbLeft, 50, 10);
  Press(B::mbLeft, 50, 10);  // the same point adds nothing
  Press(B::mbLeft, 50, 60);
  EXPECT_EQ(m.DrawingPolyline->PointCount(), 3);
  EXPECT_TRUE(m.Shapes.empty());
  Press(B::mbRight, 70, 70);
  ASSERT_EQ(m.Shapes.size(), 1u);
  auto* p = dynamic_cast<TQPolyline*>(m.Shapes[0]);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Number, next);
  EXPECT_EQ(p->PointCount(), 3);
  EXPECT_EQ(p->ShapeType, 5);
  EXPECT_EQ(m.ShapeCount, 1);
  EXPECT_EQ(m.CurrentTool, 0);
  EXPECT_EQ(m.DrawingPolyline, nullptr);
  EXPECT_TRUE(m.ShapeJustFinished);
  EXPECT_EQ(Drop(), (std::vector<std::string>{"down 1 0 5 10,10", "begin 5 10,10", "down 1 0 5 50,10",
                                              "down 1 0 5 50,10", "down 1 0 5 50,60", "end 5 70,70"}));
}

TEST_F(Tools, KeepToolAndPolygonBrush) {
  const int l = m.LayerOpen("L");
  m.SetLayerBrushFg(l, clRed);
  m.SetLayerBrushStyle(l, bsSolid);
  m.CurrentLayer = l;
  m.CurrentTool = stPolygon;
  m.KeepTool = true;
  Press(B::mbLeft, 0, 0);
  Press(B::mbLeft, 10, 0);
  Press(B::mbLeft, 10, 10);
  Press(B::mbRight, 0, 0);
  EXPECT_EQ(m.CurrentTool, stPolygon);
  auto* p = dynamic_cast<TQPolyline*>(m.Shapes.at(0));
  EXPECT_TRUE(p->Closed);
  EXPECT_EQ(p->BrushFg, clRed);
  EXPECT_EQ(p->Layer, l);
}

TEST_F(Tools, DiscardedPolylineSkipsItsNumber) {
  m.CurrentTool = stPolyline;
  Press(B::mbLeft, 10, 10);
  Press(B::mbRight, 10, 10);
  EXPECT_TRUE(m.Shapes.empty());
  EXPECT_EQ(m.DrawLine(0, 0, 1, 1, 0), 2);
}

TEST_F(Tools, FirstLeftPressAfterFinishOnlyMovesReference) {
  const int32_t target = m.DrawRectangle(100, 100, 200, 200, 0);
  m.CurrentTool = stLine;
  Press(B::mbLeft, 10, 10);
  Press(B::mbLeft, 20, 10);
  Press(B::mbRight, 30, 10);
  Drop();
  Press(B::mbLeft, 150, 150);  // would select the rectangle
  EXPECT_FALSE(m.GetShapeIsSelected(target));
  EXPECT_FALSE(m.ShapeJustFinished);
  EXPECT_EQ(m.RefX, 150);
  // After ClearDrawingState the next press acts normally.
  m.CurrentTool = stLine;
  Press(B::mbLeft, 10, 10);
  Press(B::mbRight, 10, 10);
  m.ClearDrawingState();
  Drop();
  Press(B::mbLeft, 150, 150);
  EXPECT_TRUE(m.GetShapeIsSelected(target));
  EXPECT_EQ(Drop().back(), "selected 1 1");
}

TEST_F(Tools, TwoClickShapes) {
  struct Case {
    int tool;
    double x2, y2;
    int created;  // shapes made
    int type;
  };
  const Case cases[] = {
      {stRectangle, 10, 0, 1, 1}, {stRectangle, 0, 0, 0, 0},  // identical corners
      {stEllipseTool, 10, 0, 0, 0},                           // equal y
      {stEllipseTool, 10, 5, 1, 20}, {stCircle, 3, 4, 1, 19}, {stCircle, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    TQuarixCanvasModel k;
    k.WorldSet(0, 300, 400, 0);
    k.CurrentTool = c.tool;
    k.MouseDown(B::mbLeft, 0, 0, 300);
    k.MouseDown(B::mbLeft, 0, static_cast<int>(c.x2), static_cast<int>(300 - c.y2));
    ASSERT_EQ(static_cast<int>(k.Shapes.size()), c.created) << c.tool;
    EXPECT_TRUE(k.IsDrawing) << "between shapes";
    EXPECT_FALSE(k.HasFirstPoint);
    EXPECT_EQ(k.RubberX1, 0);
    if (c.created) {
      EXPECT_EQ(k.Shapes[0]->ShapeType, c.type);
    }
    if (c.tool == stCircle && c.created) {
      EXPECT_DOUBLE_EQ(dynamic_cast<TQCircle*>(k.Shapes[0])->Radius, 5);
    }
  }
}

TEST_F(Tools, LineChain) {
  m.CurrentTool = stLine;
  Press(B::mbLeft, 10, 10);
  Press(B::mbLeft, 20, 10);
  Press(B::mbLeft, 20, 30);
  Press(B::mbRight, 0, 0);
  ASSERT_EQ(m.Shapes.size(), 2u);
  auto* a = dynamic_cast<TQLine*>(m.Shapes[0]);
  auto* b = dynamic_cast<TQLine*>(m.Shapes[1]);
  EXPECT_EQ(a->X1, 10);
  EXPECT_EQ(a->X2, 20);
  EXPECT_EQ(b->X1, 20);
  EXPECT_EQ(b->Y2, 30);
}

TEST_F(Tools, ArcThreePressesThenNextArc) {
  m.CurrentTool = stArc;
  Press(B::mbLeft, 0, 0);
  Press(B::mbLeft, 5, 5);
  Press(B::mbLeft, 10, 0);
  ASSERT_EQ(m.Shapes.size(), 1u);
  EXPECT_EQ(m.Shapes[0]->ShapeType, 10);
  EXPECT_EQ(dynamic_cast<TQPolyline*>(m.Shapes[0])->PointCount(), 3);
  EXPECT_TRUE(m.IsDrawing);
  EXPECT_FALSE(m.HasFirstPoint);
  Drop();
  Press(B::mbLeft, 20, 20);
  EXPECT_TRUE(m.HasFirstPoint);
  EXPECT_EQ(Drop().back(), "begin 10 20,20");
}

TEST_F(Tools, PointToolRaisesDrawEnd) {
  m.CurrentTool = stPoint;
  Press(B::mbLeft, 7, 8);
  EXPECT_EQ(m.ShapeCount, 1);
  EXPECT_EQ(m.CurrentTool, 0);
  EXPECT_FALSE(m.IsDrawing);
  EXPECT_EQ(Drop().back(), "end 17 7,8");
}

TEST_F(Tools, ClickSelection) {
  const int32_t a = m.DrawRectangle(0, 0, 50, 50, 0);
  const int32_t b = m.DrawRectangle(100, 100, 150, 150, 0);
  Press(B::mbLeft, 25, 25);
  Press(B::mbLeft, 125, 125, ssCtrl);
  EXPECT_EQ(m.SelectedShapes, (std::vector<int32_t>{a, b}));
  Press(B::mbLeft, 125, 125, ssShift);
  EXPECT_EQ(m.SelectedShapes, (std::vector<int32_t>{a, b, b}));
  Press(B::mbLeft, 300, 250, ssCtrl);  // empty map with Ctrl keeps the selection
  EXPECT_EQ(m.SelectedShapes.size(), 3u);
  Press(B::mbLeft, 300, 250);
  EXPECT_TRUE(m.SelectedShapes.empty());
  Press(B::mbLeft, 125, 125);
  EXPECT_EQ(m.SelectedShapes, (std::vector<int32_t>{b}));
  EXPECT_FALSE(m.GetShapeIsSelected(a));
}

TEST_F(Tools, ZoomWindow) {
  m.CurrentTool = toolZoomWindow;
  Press(B::mbLeft, 0, 0);
  EXPECT_TRUE(m.IsDrawing && m.HasFirstPoint);
  Press(B::mbLeft, 100, 100);
  EXPECT_NEAR(m.WorldLeft, -16.6667, 1e-3);
  EXPECT_NEAR(m.WorldRight, 116.6667, 1e-3);
  EXPECT_DOUBLE_EQ(m.WorldBottom, 0);
  EXPECT_DOUBLE_EQ(m.WorldTop, 100);
  EXPECT_EQ(m.CurrentTool, 0);
  EXPECT_FALSE(m.IsDrawing || m.HasFirstPoint);
  // No begin or end event for the zoom window.
  for (const std::string& e : Drop()) EXPECT_EQ(e.rfind("down", 0), 0u) << e;
}

TEST_F(Tools, PanThreshold) {
  Press(B::mbMiddle, 100, 200);
  EXPECT_TRUE(m.Panning);
  EXPECT_EQ(m.ScreenCursor, crSizeAll);
  m.MouseMove(0, 102, 100);
  EXPECT_EQ(m.WorldLeft, 0);
  m.MouseMove(0, 103, 100);
  EXPECT_DOUBLE_EQ(m.WorldLeft, -3);
  EXPECT_DOUBLE_EQ(m.WorldRight, 397);
  m.MouseUp(B::mbMiddle, 0, 103, 100);
  EXPECT_FALSE(m.Panning);
  EXPECT_EQ(m.ScreenCursor, crDefault);
}

TEST_F(Tools, DragZoom) {
  m.CurrentTool = toolDragZoom;
  m.MouseDown(B::mbLeft, 0, 200, 150);
  m.MouseMove(0, 200, 147);
  EXPECT_DOUBLE_EQ(m.GetWorldWidth(), 400);
  m.MouseMove(0, 200, 140);  // 10 pixels up from the start: factor 0.1
  EXPECT_DOUBLE_EQ(m.GetWorldWidth(), 360);
  EXPECT_DOUBLE_EQ((m.WorldLeft + m.WorldRight) / 2, 200);
  m.MouseUp(B::mbLeft, 0, 200, 140);
  EXPECT_FALSE(m.DragZooming);
  EXPECT_EQ(m.CurrentTool, toolDragZoom);
}

TEST_F(Tools, WheelOneStepPerMessage) {
  EXPECT_EQ(m.WMMouseWheel(120, 200, 150), 1);
  EXPECT_DOUBLE_EQ(m.GetWorldWidth(), 360);
  m.WMMouseWheel(-240, 200, 150);
  EXPECT_DOUBLE_EQ(m.GetWorldWidth(), 396);
  m.WMMouseWheel(0, 200, 150);
  EXPECT_NEAR(m.GetWorldWidth(), 435.6, 1e-9);
}

TEST_F(Tools, MoveReportsAngleAndMeasuresBearing) {
  std::vector<std::pair<double, double>> moves;
  m.OnWorldMouseMove = [&](TQuarixCanvasModel*, int16_t, double, double, double mag, double angle) {
    moves.emplace_back(mag, angle);
  };
  Press(B::mbLeft, 100, 100);  // reference point
  Move(100, 150);
  Move(100, 100);
  ASSERT_EQ(moves.size(), 2u);
  EXPECT_DOUBLE_EQ(moves[0].first, 50);
  EXPECT_DOUBLE_EQ(moves[0].second, 90);
  EXPECT_DOUBLE_EQ(moves[1].second, 0);

  Drop();
  Press(B::mbRight, 200, 200);
  EXPECT_EQ(Drop(), (std::vector<std::string>{"down 2 0 0 200,200"}));
  EXPECT_TRUE(m.DistanceActive);
  EXPECT_EQ(m.RefX, 100) << "a measuring press keeps the reference";
  Move(200, 250);
  EXPECT_DOUBLE_EQ(m.DistanceValue, 50);
  EXPECT_DOUBLE_EQ(m.DistanceBearing, 0);
  Move(230, 200);
  EXPECT_DOUBLE_EQ(m.DistanceBearing, 90);
  Move(200, 170);
  EXPECT_DOUBLE_EQ(m.DistanceBearing, 180);
  Move(170, 200);
  EXPECT_DOUBLE_EQ(m.DistanceBearing, 270);
  m.MouseUp(B::mbRight, 0, 170, 100);
  EXPECT_FALSE(m.DistanceActive);
}

TEST_F(Tools, EscapeKeepsToolAndNotifies) {
  m.CurrentTool = stPolygon;
  Press(B::mbLeft, 0, 0);
  Press(B::mbLeft, 10, 0);
  Drop();
  int16_t key = VK_ESCAPE_KEY;
  m.KeyDown(key, 0);
  EXPECT_EQ(m.DrawingPolyline, nullptr);
  EXPECT_FALSE(m.IsDrawing || m.HasFirstPoint);
  EXPECT_EQ(m.CurrentTool, stPolygon);
  EXPECT_EQ(Drop(), (std::vector<std::string>{"end 6 10,0"})) << "without a cancel handler: draw end";
  EXPECT_TRUE(m.Shapes.empty());

  std::vector<int> cancelled;
  m.OnDrawCancel = [&](TQuarixCanvasModel*, int16_t t, double, double) { cancelled.push_back(t); };
  m.CurrentTool = stRectangle;
  Press(B::mbLeft, 0, 0);
  Press(B::mbLeft, 10, 10);  // between shapes now
  Drop();
  m.KeyDown(key, 0);
  EXPECT_EQ(cancelled, (std::vector<int>{stRectangle}));
  EXPECT_TRUE(Drop().empty());
  // The next press starts a new shape with the same tool.
  Press(B::mbLeft, 5, 5);
  EXPECT_TRUE(m.HasFirstPoint);
  // Escape when nothing is drawn does nothing.
  m.IsDrawing = m.HasFirstPoint = false;
  cancelled.clear();
  m.KeyDown(key, 0);
  EXPECT_TRUE(cancelled.empty());
}

TEST_F(Tools, DeleteKeyOnlyWhenEnabled) {
  const int32_t a = m.DrawPoint(5, 5, 0);
  m.ShapeSelect(a, false);
  int16_t key = VK_DELETE_KEY;
  m.KeyDown(key, 0);
  EXPECT_EQ(m.ShapeCount, 1);
  m.DeleteKeyEnabled = true;
  m.KeyDown(key, 0);
  EXPECT_EQ(m.ShapeCount, 0);
}

TEST_F(Tools, RubberPointFollowsCursorWhileDrawing) {
  m.CurrentTool = stRectangle;
  Press(B::mbLeft, 10, 10);
  const int before = m.InvalidateCount;
  m.NeedsRedraw = false;
  Move(40, 30);
  EXPECT_EQ(m.RubberX2, 40);
  EXPECT_EQ(m.RubberY2, 30);
  EXPECT_FALSE(m.NeedsRedraw) << "the rubber band needs no rebuild";
  EXPECT_EQ(m.InvalidateCount, before + 1);
}

}  // namespace
