// The canvas model without a window: layers, fonts, creation, properties,
// world window, clearing, selection and editing.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>

#include "canvas/canvasmodel.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::nan("");

class Model : public TQuarixCanvasModel {
 public:
  using TQuarixCanvasModel::TQuarixCanvasModel;
};

TEST(CanvasModel, NewCanvas) {
  Model m;
  ASSERT_EQ(m.Layers.size(), 1u);
  EXPECT_EQ(m.Layers[0]->Name, "Default");
  EXPECT_EQ(m.Layers[0]->Number, 0);
  EXPECT_EQ(m.CurrentLayer, 0);
  EXPECT_EQ(m.NextLayerNumber, 1);
  EXPECT_EQ(m.NextShapeNumber, 1);
  EXPECT_TRUE(m.Shapes.empty());
  ASSERT_EQ(m.Fonts.size(), 1u);
  EXPECT_EQ(m.Fonts[0].Name, "Arial");
  EXPECT_EQ(m.Fonts[0].Size, 10);
  EXPECT_EQ(m.WorldLeft, 0);
  EXPECT_EQ(m.WorldRight, 1000);
  EXPECT_EQ(m.WorldTop, 1000);
  EXPECT_EQ(m.WorldBottom, 0);
  EXPECT_EQ(m.ControlWidth(), 400);
  EXPECT_EQ(m.ControlHeight(), 300);
  EXPECT_TRUE(m.NeedsRedraw);
  EXPECT_EQ(&m.Selection, &m.SelectedShapes);
}

TEST(CanvasModel, LayerOpenNumbersAndLookup) {
  Model m;
  EXPECT_EQ(m.LayerOpen("Default"), 0);
  EXPECT_EQ(m.Layers.size(), 1u);
  EXPECT_EQ(m.LayerOpen("track_fix"), 1);
  EXPECT_EQ(m.CurrentLayer, 1);
  EXPECT_EQ(m.LayerOpen("~~Quarix Vessel"), 2);
  EXPECT_EQ(m.LayerOpen("track_fix"), 1);
  EXPECT_EQ(m.CurrentLayer, 1);
  EXPECT_EQ(m.LayerFindByName("default"), -1);
  EXPECT_EQ(m.LayerFindByName("~~Quarix Vessel"), 2);
  // UTF-8 names compare as they are.
  const int turkish = m.LayerOpen("\xc4\x9f\xc3\xbc\xc5\x9f");    // "ğüş"
  EXPECT_EQ(m.LayerFindByName("\xc4\x9f\xc3\xbc\xc5\x9f"), turkish);
  EXPECT_EQ(m.LayerFindByName("\xc4\x9e\xc3\x9c\xc5\x9e"), -1);  // "ĞÜŞ"
}

TEST(CanvasModel, FontOpenTexts) {
  struct Case {
    const char* text;
    const char* name;
    int size;
    bool bold, italic;
  };
  const Case cases[] = {
      {"Courier New,12,BI", "Courier New", 12, true, true},
      {"txt,8", "Arial", 8, false, false},
      {"TXT", "Arial", 10, false, false},
      {"Arial,big", "Arial", 10, false, false},
      {"Times", "Times", 10, false, false},
      {"Arial,9,b", "Arial", 9, true, false},
      {"Arial,x,i", "Arial", 10, false, true},
      {"Arial,12abc", "Arial", 10, false, false},
  };
  Model m;
  int expected = 1;
  for (const Case& c : cases) {
    EXPECT_EQ(m.FontOpen(c.text, 0), expected++) << c.text;
    const TQFont& f = m.Fonts.back();
    EXPECT_EQ(f.Name, c.name) << c.text;
    EXPECT_EQ(f.Size, c.size) << c.text;
    EXPECT_EQ(f.Bold, c.bold) << c.text;
    EXPECT_EQ(f.Italic, c.italic) << c.text;
  }
}

TEST(CanvasModel, CreationNumbersAndLayers) {
  Model m;
  EXPECT_EQ(m.DrawLine(0, 0, 10, 10, 0), 1);
  EXPECT_EQ(m.DrawPoint(1, 1, 0), 2);
  EXPECT_EQ(m.ShapeCount, 2);
  m.NeedsRedraw = false;
  const int other = m.LayerOpen("other");
  EXPECT_EQ(m.CurrentLayer, other);
  // An unknown layer sends the shape to "Default", which becomes current.
  const int32_t n = m.DrawCircle(0, 0, 5, 99);
  EXPECT_EQ(m.GetShapeOnLayer(n), 0);
  EXPECT_EQ(m.CurrentLayer, 0);
  EXPECT_TRUE(m.NeedsRedraw);
  EXPECT_EQ(m.ShapeAdd(1, 2), -1);
  EXPECT_EQ(m.ShapeCount, 3);
  EXPECT_EQ(m.InvalidateCount, 0) << "creation does not repaint";
}

TEST(CanvasModel, CreationRecreatesMissingDefault) {
  Model m;
  m.LayerOpen("a");
  for (TQLayer* l : m.Layers) delete l;
  m.Layers.clear();
  const int32_t n = m.DrawLine(0, 0, 1, 1, 5);
  ASSERT_NE(m.FindLayer(m.GetShapeOnLayer(n)), nullptr);
  EXPECT_EQ(m.FindLayer(m.GetShapeOnLayer(n))->Name, "Default");
}

// A shape keeps its pen style and brush mode in a byte: codes beyond it are
// held at its ends, the rest kept as given.
TEST(CanvasModel, ShapePenStyleAndBrushModeCodes) {
  Model m;
  const int l = m.LayerOpen("L");
  m.SetLayerPenStyle(l, 300);
  const int32_t poly = m.DrawPolyline({{0, 0}, {1, 1}}, l, false);
  EXPECT_EQ(m.GetShapePenStyle(poly), 127);
  EXPECT_EQ(m.GetLayerPenStyle(l), 300);
  for (const int code : {0, 5, -1, 127, -128}) {
    m.SetShapePenStyle(poly, code);
    m.SetShapeBrushMode(poly, code);
    EXPECT_EQ(m.GetShapePenStyle(poly), code);
    EXPECT_EQ(m.GetShapeBrushMode(poly), code);
  }
  m.SetShapePenStyle(poly, 1000);
  m.SetShapeBrushMode(poly, -1000);
  EXPECT_EQ(m.GetShapePenStyle(poly), 127);
  EXPECT_EQ(m.GetShapeBrushMode(poly), -128);
}

TEST(CanvasModel, CreationCopiesLayerPenAndBrush) {
  Model m;
  const int l = m.LayerOpen("L");
  m.SetLayerPenFg(l, 0x123456);
  m.SetLayerPenWidth(l, 3);
  m.SetLayerPenStyle(l, 2);
  m.SetLayerBrushFg(l, clRed);
  m.SetLayerBrushStyle(l, bsSolid);
  const int32_t circle = m.DrawCircle(0, 0, 1, l);
  const int32_t line = m.DrawLine(0, 0, 1, 1, l);
  const int32_t poly = m.DrawPolyline({{0, 0}, {1, 1}}, l, false);
  const int32_t text = m.TextAdd(l, "t", 0, 0, 0);
  EXPECT_EQ(m.GetShapeBrushFg(circle), clRed);
  EXPECT_EQ(m.GetShapeBrushStyle(circle), bsSolid);
  EXPECT_EQ(m.GetShapePenWidth(circle), 3);
  EXPECT_EQ(m.GetShapePenStyle(circle), 0);
  EXPECT_EQ(m.GetShapeBrushFg(line), 0xFFFFFFu);
  EXPECT_EQ(m.GetShapeBrushStyle(line), bsClear);
  EXPECT_EQ(m.GetShapePenFg(line), 0x123456u);
  EXPECT_EQ(m.GetShapePenStyle(poly), 2);
  EXPECT_EQ(m.GetShapeBrushFg(poly), clRed);
  EXPECT_EQ(m.GetShapePenFg(text), 0x123456u);
  EXPECT_EQ(m.GetShapePenWidth(text), 1);
}

TEST(CanvasModel, TextAddTakesFontTableEntry) {
  Model m;
  m.FontOpen("Verdana,20,B");
  m.DefaultTextAlign = 1;
  m.DefaultTextJustify = 2;
  auto* t = dynamic_cast<TQText*>(m.FindShape(m.TextAdd(0, "Depth", 5, 6, 1)));
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->FontName, "Verdana");
  EXPECT_EQ(t->Height, 20);
  EXPECT_TRUE(t->Bold);
  EXPECT_EQ(t->TextAlign, 1);
  EXPECT_EQ(t->TextJustify, 2);
  EXPECT_EQ(t->Text.str(), "Depth");
  EXPECT_EQ(t->ShapeType, 11);
  EXPECT_DOUBLE_EQ(t->MaxY, 26);
  auto* u = dynamic_cast<TQText*>(m.FindShape(m.TextAdd(0, "x", 0, 0, 5)));
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->FontName, "Arial");
  EXPECT_EQ(u->Height, 10);
  EXPECT_FALSE(u->Bold);
  EXPECT_EQ(u->FontIndex, 5);
  m.SetShapeText(u->Number, "other");
  EXPECT_EQ(u->TextString, "x");
  EXPECT_EQ(m.GetShapeText(u->Number), "other");
}

TEST(CanvasModel, DrawPolyline) {
  Model m;
  EXPECT_EQ(m.DrawPolyline({{1, 1}}, 0, false), -1);
  EXPECT_EQ(m.NextShapeNumber, 1);
  const int32_t n = m.DrawPolyline({{512345.67, 4512345.67}, {512400.5, 4512400.25}}, 0, true);
  EXPECT_EQ(m.GetShapeType(n), 6);
  EXPECT_EQ(m.ShapePointGetY(n, 0), 4512345.67);
  EXPECT_EQ(m.ShapePointCount(n), 2);
}

TEST(CanvasModel, MissingObjectAnswers) {
  Model m;
  const int L = 42;
  const int32_t S = 4242;
  EXPECT_EQ(m.GetLayerAction(L), 0);
  EXPECT_EQ(m.GetLayerPenFg(L), 0u);
  EXPECT_EQ(m.GetLayerPenWidth(L), 1);
  EXPECT_EQ(m.GetLayerPenStyle(L), 0);
  EXPECT_EQ(m.GetLayerBrushFg(L), 0xFFFFFFu);
  EXPECT_EQ(m.GetLayerBrushBg(L), 0xFFFFFFu);
  EXPECT_EQ(m.GetLayerBrushStyle(L), bsClear);
  EXPECT_EQ(m.GetLayerBrushMode(L), 0);
  EXPECT_FALSE(m.GetLayerVisible(L));
  EXPECT_EQ(m.GetShapeType(S), 0);
  EXPECT_EQ(m.GetShapePenWidth(S), 1);
  EXPECT_EQ(m.GetShapePenFg(S), 0u);
  EXPECT_EQ(m.GetShapePenStyle(S), 0);
  EXPECT_EQ(m.GetShapeBrushFg(S), 0xFFFFFFu);
  EXPECT_EQ(m.GetShapeBrushStyle(S), bsSolid);
  EXPECT_EQ(m.GetShapeBrushMode(S), 0);
  EXPECT_EQ(m.GetShapeOnLayer(S), -1);
  EXPECT_FALSE(m.GetShapeIsSelected(S));
  EXPECT_EQ(m.GetShapeText(S), "");
  EXPECT_EQ(m.GetShapeNotes(S), "");
  EXPECT_EQ(m.GetShapeZOrder(S), 0);
  EXPECT_EQ(m.GetShapeTextAlign(S), 0);
  EXPECT_EQ(m.GetShapeTextJustify(S), 0);
  EXPECT_EQ(m.GetShapePointSize(S), 0);
  EXPECT_EQ(m.ShapePointGetX(S, 0), 0.0);
  EXPECT_EQ(m.ShapePointCount(S), 0);
  EXPECT_EQ(m.FindLayer(L), nullptr);
  EXPECT_EQ(m.FindShape(S), nullptr);
  m.NeedsRedraw = false;
  m.SetLayerPenFg(L, 1);
  m.SetLayerVisible(L, false);
  m.SetShapePenFg(S, 1);
  m.ShapeTranslate(S, 1, 1);
  m.ShapeToLayer(S, 1);
  EXPECT_FALSE(m.NeedsRedraw);
  EXPECT_EQ(m.InvalidateCount, 0);
}

TEST(CanvasModel, TypeSpecificProperties) {
  Model m;
  const int32_t line = m.DrawLine(0, 0, 1, 1, 0);
  const int32_t point = m.DrawPoint(0, 0, 0);
  m.NeedsRedraw = false;
  m.SetShapeTextAlign(line, 2);
  m.SetShapePointSize(line, 9);
  EXPECT_FALSE(m.NeedsRedraw);
  EXPECT_EQ(m.GetShapeTextAlign(line), 0);
  EXPECT_EQ(m.GetShapePointSize(point), 3);
  m.SetShapePointSize(point, 7);
  EXPECT_TRUE(m.NeedsRedraw);
  EXPECT_EQ(m.GetShapePointSize(point), 7);
  m.SetShapeBrushStyle(point, 0x102);
  EXPECT_EQ(m.GetShapeBrushStyle(point), 2);
  m.NeedsRedraw = false;
  m.SetShapeNotes(point, "note");
  EXPECT_FALSE(m.NeedsRedraw);
  EXPECT_EQ(m.GetShapeNotes(point), "note");
}

TEST(CanvasModel, LayerPenRestylesShapesBrushDoesNot) {
  Model m;
  const int l = m.LayerOpen("track_fix");
  const int32_t a = m.DrawPoint(0, 0, l);
  const int32_t b = m.DrawPoint(0, 0, 0);
  m.SetLayerPenFg(l, clLime);
  m.SetLayerPenWidth(l, 4);
  m.SetLayerBrushFg(l, clRed);
  EXPECT_EQ(m.GetShapePenFg(a), clLime);
  EXPECT_EQ(m.GetShapePenWidth(a), 4);
  EXPECT_EQ(m.GetShapePenFg(b), 0u);
  EXPECT_EQ(m.GetShapeBrushFg(a), 0xFFFFFFu);
  EXPECT_EQ(m.InvalidateCount, 2);
}

// Restyling a layer on every tick skips work when nothing changed; whatever
// happened to the drawing in between, every shape on the layer must end up
// with the layer's pen.
TEST(CanvasModel, RestylingReachesEveryShapeOnTheLayer) {
  const std::function<int32_t(Model&, int)> disturbances[] = {
      [](Model& m, int l) {  // a reader appends a shape with its own pen
        auto* p = new TQPoint;
        p->Layer = l;
        p->PenFg = clRed;
        p->PenWidth = 5;
        p->Number = m.NextShapeNumber++;
        m.Shapes.push_back(p);
        return p->Number;
      },
      [](Model& m, int l) {
        const int32_t n = m.DrawPoint(1, 1, l);
        m.SetShapePenFg(n, clRed);
        m.SetShapePenWidth(n, 5);
        return n;
      },
      [](Model& m, int l) {
        const int32_t n = m.DrawPoint(1, 1, 0);
        m.SetShapePenFg(n, clRed);
        m.SetShapePenWidth(n, 5);
        m.ShapeToLayer(n, l);
        return n;
      },
      [](Model& m, int l) {
        const int other = m.LayerOpen("other");
        m.SetLayerPenFg(other, clRed);
        m.SetLayerPenWidth(other, 5);
        const int32_t n = m.DrawPoint(1, 1, other);
        m.LayerCopy(other, l, 1);
        return n;
      },
      [](Model& m, int l) { return m.TextAdd(l, "t", 0, 0, 0); },  // texts take pen width 1
      [](Model& m, int l) {  // deletions in between, then a reader's shape
        m.CadClearShapes(m.LayerOpen("vessel"));
        m.ShapeDelete(1);
        auto* p = new TQLine;
        p->Layer = l;
        p->PenFg = clRed;
        p->PenWidth = 5;
        m.Shapes.push_back(p);
        return p->Number = m.NextShapeNumber++;
      },
      [](Model& m, int l) {  // a reader replaces the last shape in place
        TQShape* old = m.Shapes.back();
        auto* p = new TQPoint;
        p->Layer = l;
        p->PenFg = clRed;
        p->PenWidth = 5;
        p->Number = m.NextShapeNumber++;
        m.Shapes.back() = p;
        delete old;
        return p->Number;
      },
  };
  int index = 0;
  for (const auto& disturb : disturbances) {
    Model m;
    const int l = m.LayerOpen("track_fix");
    const int v = m.LayerOpen("vessel");
    for (int i = 0; i < 5; ++i) m.DrawPoint(i, i, l);
    m.DrawLine(0, 0, 1, 1, v);
    m.SetLayerPenFg(l, clLime);
    m.SetLayerPenWidth(l, 2);
    m.SetLayerPenFg(l, clLime);  // checked, nothing to do
    const int32_t n = disturb(m, l);
    m.SetLayerPenFg(l, clLime);
    m.SetLayerPenWidth(l, 2);
    EXPECT_EQ(m.GetShapePenFg(n), clLime) << index;
    EXPECT_EQ(m.GetShapePenWidth(n), 2) << index;
    for (TQShape* s : m.Shapes) {
      if (s->Layer == l) {
        EXPECT_EQ(s->PenFg, clLime) << index;
      }
    }
    ++index;
  }
}

TEST(CanvasModel, LayerSelectionAndCopy) {
  Model m;
  const int l = m.LayerOpen("L");
  const int32_t a = m.DrawLine(0, 0, 1, 1, l);
  const int32_t b = m.DrawLine(0, 0, 1, 1, l);
  const int32_t c = m.DrawLine(0, 0, 1, 1, 0);
  m.LayerSelectShapes(l, true);
  m.LayerSelectShapes(l, true);
  EXPECT_EQ(m.SelectedShapes, (std::vector<int32_t>{a, b, a, b}));
  m.ShapeSelect(c, true);
  m.LayerDeselectShapes(l);
  EXPECT_EQ(m.SelectedShapes, (std::vector<int32_t>{c}));
  EXPECT_FALSE(m.GetShapeIsSelected(a));
  m.NeedsRedraw = false;
  m.LayerCopy(l, 7, 2);
  EXPECT_TRUE(m.NeedsRedraw);
  EXPECT_EQ(m.GetShapeOnLayer(a), l);
  m.LayerCopy(l, 7, 1);
  EXPECT_EQ(m.GetShapeOnLayer(a), 7);
  EXPECT_EQ(m.GetShapeOnLayer(b), 7);
}

// ---------------------------------------------------------------------------
// World window

TEST(CanvasWorld, WorldToScreenAtDefaultControl) {
  Model m;
  struct Case {
    double x, y;
    int sx, sy;
  };
  const Case cases[] = {
      {0, 1000, 0, 0},   {1000, 0, 400, 300},  {500, 500, 200, 150},
      {-1.75, 1000, 0, 0},  // -0.7 pixel truncates to column 0
      {9.75, 1000, 3, 0},   // 3.9 pixels gives column 3
  };
  for (const Case& c : cases) {
    int sx = -1, sy = -1;
    m.WorldToScreen(c.x, c.y, sx, sy);
    EXPECT_EQ(sx, c.sx) << c.x;
    EXPECT_EQ(sy, c.sy) << c.y;
  }
  double x = 0, y = 0;
  m.ScreenToWorld(200, 150, x, y);
  EXPECT_DOUBLE_EQ(x, 500);
  EXPECT_DOUBLE_EQ(y, 500);
  m.ScreenToWorld(1, 1, x, y);
  EXPECT_DOUBLE_EQ(x, 2.5);
  EXPECT_NEAR(y, 996.6667, 1e-3);
  EXPECT_EQ(m.WorldToAbsX(250), 100);
  EXPECT_EQ(m.WorldToAbsY(250), 225);
  // Pixel -> world -> pixel lands on the pixel or, by truncation, one off.
  for (int px = 0; px <= 400; px += 7) {
    for (int py = 0; py <= 300; py += 11) {
      m.ScreenToWorld(px, py, x, y);
      int sx = 0, sy = 0;
      m.WorldToScreen(x, y, sx, sy);
      EXPECT_LE(std::abs(sx - px), 1);
      EXPECT_LE(std::abs(sy - py), 1);
    }
  }
}

TEST(CanvasWorld, FarPointsAreClampedNotOverflowed) {
  Model m;
  int sx = 0, sy = 0;
  m.WorldToScreen(1e300, -1e300, sx, sy);
  EXPECT_GT(sx, 400);
  EXPECT_GT(sy, 300);
  m.WorldToScreen(-1e18, 1e18, sx, sy);
  EXPECT_LT(sx, 0);
  EXPECT_LT(sy, 0);
  m.WorldToScreen(kNaN, kInf, sx, sy);  // defined, whatever it gives
  m.WorldSet(0, 1e-300, 1e-300, 0);
  m.WorldToScreen(1e10, 1e10, sx, sy);
  EXPECT_GT(sx, 0);
}

TEST(CanvasWorld, DegenerateWindowMapsToOneColumn) {
  Model m;
  m.WorldSet(5, 5, 5, 5);
  int sx = 0, sy = 0;
  m.WorldToScreen(5, 5, sx, sy);
  EXPECT_EQ(sx, 0);
  EXPECT_EQ(sy, 0);
}

TEST(CanvasWorld, WorldSetPanIgnoreNonFiniteValues) {
  Model m;
  m.WorldSet(0, 10, 20, 0);
  EXPECT_EQ(m.WorldLeft, 0);
  EXPECT_EQ(m.WorldTop, 10);
  EXPECT_EQ(m.WorldRight, 20);
  EXPECT_EQ(m.WorldBottom, 0);
  const int before = m.InvalidateCount;
  m.NeedsRedraw = false;
  m.WorldSet(kNaN, 10, 20, 0);
  m.WorldSet(0, kInf, 20, 0);
  m.WorldPan(kNaN, 0);
  m.WorldPan(0, -kInf);
  m.WorldPan(1e308, 0);
  m.WorldPan(1e308, 0);  // would overflow to infinity
  m.WorldZoom(0, kNaN, 5, 5);
  m.WorldZoom(0, 0.5, kInf, 5);
  EXPECT_EQ(m.WorldTop, 10);
  EXPECT_EQ(m.WorldBottom, 0);
  EXPECT_TRUE(std::isfinite(m.WorldLeft));
  EXPECT_TRUE(std::isfinite(m.WorldRight));
  m.WorldSet(0, 10, 20, 0);
  m.WorldPan(5, -2);
  EXPECT_EQ(m.WorldLeft, 5);
  EXPECT_EQ(m.WorldRight, 25);
  EXPECT_EQ(m.WorldBottom, -2);
  EXPECT_EQ(m.WorldTop, 8);
  EXPECT_GT(m.InvalidateCount, before);
}

TEST(CanvasWorld, ZoomFactors) {
  struct Case {
    double factor;
    double width;  // new world width from 1000
  };
  const Case cases[] = {{0, 1000}, {0.1, 900}, {-0.1, 1100}, {0.2, 800}, {1, 100},
                        {5, 100},  {-9, 10000}, {-50, 10000}};
  for (const Case& c : cases) {
    Model m;
    m.WorldZoom(0, c.factor, 500, 500);
    EXPECT_NEAR(m.GetWorldWidth(), c.width, 1e-9) << c.factor;
    EXPECT_NEAR(m.GetWorldHeight(), c.width * 0.75, 1e-9) << "height follows the control";
    EXPECT_NEAR((m.WorldLeft + m.WorldRight) / 2, 500, 1e-9);
  }
  // The zoom point keeps its place on the screen.
  Model m;
  m.WorldZoom(0, 0.5, 250, 250);
  EXPECT_NEAR(m.WorldLeft, 125, 1e-9);
  EXPECT_NEAR(m.WorldRight, 625, 1e-9);
}

TEST(CanvasWorld, ZeroSizeControlLeavesWindowAlone) {
  Model m;
  m.DrawLine(0, 0, 100, 50, 0);
  m.SetControlSize(0, 300);
  const double left = m.WorldLeft, right = m.WorldRight, top = m.WorldTop, bottom = m.WorldBottom;
  m.WorldZoom(0, 0.5, 500, 500);
  m.WorldExtents();
  EXPECT_EQ(m.GetShapeAt(50, 25), -1);
  m.SetControlSize(400, 0);
  m.WorldZoom(0, 0.5, 500, 500);
  m.WorldExtents();
  EXPECT_EQ(m.WorldLeft, left);
  EXPECT_EQ(m.WorldRight, right);
  EXPECT_EQ(m.WorldTop, top);
  EXPECT_EQ(m.WorldBottom, bottom);
  double x = 0, y = 0;
  m.ScreenToWorld(10, 10, x, y);
  EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
}

TEST(CanvasWorld, ExtentsWithMargins) {
  Model m;
  m.DrawLine(0, 0, 100, 50, 0);
  m.WorldExtents();
  EXPECT_DOUBLE_EQ(m.WorldLeft, -5);
  EXPECT_DOUBLE_EQ(m.WorldRight, 105);
  EXPECT_DOUBLE_EQ(m.WorldBottom, -16.25);
  EXPECT_DOUBLE_EQ(m.WorldTop, 66.25);

  Model tall;
  tall.DrawLine(0, 0, 10, 100, 0);
  tall.WorldExtents();
  EXPECT_DOUBLE_EQ(tall.WorldBottom, -5);
  EXPECT_DOUBLE_EQ(tall.WorldTop, 105);
  EXPECT_DOUBLE_EQ(tall.GetWorldWidth(), 110 * 4.0 / 3.0);
}

TEST(CanvasWorld, ExtentsFallBackToDefault) {
  const std::function<void(Model&)> setups[] = {
      [](Model&) {},
      [](Model& m) { m.FindShape(m.DrawLine(0, 0, 100, 50, 0))->Visible = false; },
      [](Model& m) { m.DrawLine(5, 5, 5, 5, 0); },
      [](Model& m) { m.DrawLine(0, 5, 100, 5, 0); },
      [](Model& m) { m.DrawLine(0, 0, 2e15, 100, 0); },
      [](Model& m) { m.DrawLine(0, 0, kNaN, 100, 0); },
  };
  for (const auto& setup : setups) {
    Model m;
    setup(m);
    m.WorldSet(1, 2, 3, 4);
    m.WorldExtents();
    EXPECT_EQ(m.WorldLeft, 0);
    EXPECT_EQ(m.WorldRight, 1000);
    EXPECT_EQ(m.WorldBottom, 0);
    EXPECT_EQ(m.WorldTop, 1000);
  }
}

TEST(CanvasWorld, ResizeKeepsProportions) {
  Model m;
  m.NeedsRedraw = false;
  m.SetControlSize(400, 400);
  EXPECT_DOUBLE_EQ(m.WorldLeft, 0);
  EXPECT_DOUBLE_EQ(m.WorldRight, 1000);
  EXPECT_TRUE(m.NeedsRedraw);
  m.SetControlSize(800, 400);
  EXPECT_DOUBLE_EQ(m.WorldLeft, -500);
  EXPECT_DOUBLE_EQ(m.WorldRight, 1500);
  // Sizes in a row fit the window as it was set, not as the last size
  // widened it: passing sizes do not add up, and the view comes back. A
  // window set anew (here panned) is what the next sizes fit.
  struct Step {
    int width, height;
    double panX;
    std::array<double, 4> want;  // left, right, bottom, top
  };
  for (const Step& s : {Step{200, 400, 0, {0, 1000, -500, 1500}}, Step{400, 400, 0, {0, 1000, 0, 1000}},
                        Step{800, 400, 100, {-400, 1600, 0, 1000}}, Step{400, 400, 0, {100, 1100, 0, 1000}}}) {
    if (s.panX != 0) m.WorldPan(s.panX, 0);
    m.SetControlSize(s.width, s.height);
    const std::array<double, 4> got{m.WorldLeft, m.WorldRight, m.WorldBottom, m.WorldTop};
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(got[i], s.want[i]) << s.width << "x" << s.height << " edge " << i;
  }
  // Set directly (as a stored window at start) and fitted to the control.
  m.SetControlSize(947, 430);
  m.WorldLeft = 0, m.WorldRight = 1000, m.WorldTop = 1000, m.WorldBottom = 0;
  m.KeepProportions();
  EXPECT_DOUBLE_EQ((m.WorldRight - m.WorldLeft) / 947, (m.WorldTop - m.WorldBottom) / 430);
  EXPECT_DOUBLE_EQ(m.WorldTop, 1000);
  EXPECT_DOUBLE_EQ(m.WorldBottom, 0);
}

TEST(CanvasWorld, BackColorAndContrast) {
  Model m;
  m.NeedsRedraw = false;
  m.SetBackColor(0xFFFFFF);
  EXPECT_FALSE(m.NeedsRedraw);
  EXPECT_EQ(m.InvalidateCount, 0);
  EXPECT_EQ(m.GetContrastColor(0xFFFFFF), 0u);
  EXPECT_EQ(m.GetContrastColor(0xC0C0C0), 0xC0C0C0u);
  EXPECT_EQ(m.GetContrastColor(clRed), clRed);
  m.SetBackColor(0);
  EXPECT_TRUE(m.NeedsRedraw);
  EXPECT_EQ(m.InvalidateCount, 1);
  EXPECT_EQ(m.GetContrastColor(0), 0xFFFFFFu);
  EXPECT_EQ(m.GetContrastColor(0x101010), 0xFFFFFFu);
  // Close to a middle grey background: white up to brightness 128, else black.
  m.SetBackColor(0x808080);
  EXPECT_EQ(m.GetContrastColor(0x8A8A8A), 0xFFFFFFu);
  m.SetBackColor(0x818181);
  EXPECT_EQ(m.GetContrastColor(0x8A8A8A), 0u);
}

// ---------------------------------------------------------------------------
// Hit search

TEST(CanvasHits, TopMostVisibleShapeWins) {
  Model m;  // 2.5 world units per pixel: tolerance 7.5 for thin pens
  const int hidden = m.LayerOpen("hidden");
  const int32_t under = m.DrawRectangle(0, 0, 100, 100, 0);
  const int32_t over = m.DrawCircle(50, 50, 20, 0);
  const int32_t onHiddenLayer = m.DrawPoint(200, 200, hidden);
  m.SetLayerVisible(hidden, false);
  const int32_t invisible = m.DrawPoint(300, 300, 0);
  m.FindShape(invisible)->Visible = false;
  EXPECT_EQ(m.GetShapeAt(70, 50), over);
  EXPECT_EQ(m.GetShapeAt(50, 50), under) << "the circle's inside is no hit";
  EXPECT_EQ(m.GetShapeAt(200, 200), onHiddenLayer) << "layer visibility is not consulted";
  EXPECT_EQ(m.GetShapeAt(300, 300), -1);
  EXPECT_EQ(m.ShapeHitTest(500, 500), -1);
  m.SetShapePenWidth(onHiddenLayer, 10);
  EXPECT_EQ(m.GetShapeAt(224, 200), onHiddenLayer) << "tolerance grows with the pen";
}

TEST(CanvasHits, NonFiniteShapesAreNeverHit) {
  Model m;
  m.DrawRectangle(-kInf, -kInf, kInf, kInf, 0);
  m.DrawCircle(kNaN, 0, 5, 0);
  EXPECT_EQ(m.GetShapeAt(0, 0), -1);
  EXPECT_EQ(m.GetShapeAt(kNaN, 0), -1);
}

// ---------------------------------------------------------------------------
// Clearing, deletion and selection

TEST(CanvasEdit, NumberingAfterClearingAllVersusOneLayer) {
  Model m;
  const int l = m.LayerOpen("vessel");
  for (int i = 0; i < 50; ++i) m.DrawPoint(i, i, i % 2 ? l : 0);
  m.ShapeSelect(2, false);
  m.CadClearShapes(l);
  EXPECT_EQ(m.ShapeCount, 25);
  EXPECT_TRUE(m.SelectedShapes.empty()) << "shape 2 was on the cleared layer";
  EXPECT_EQ(m.DrawPoint(0, 0, 0), 51);
  m.ShapeSelect(1, false);
  const int before = m.InvalidateCount;
  m.CadClearShapes(-1);
  EXPECT_TRUE(m.Shapes.empty());
  EXPECT_TRUE(m.SelectedShapes.empty());
  EXPECT_EQ(m.ShapeCount, 0);
  EXPECT_EQ(m.InvalidateCount, before + 1);
  EXPECT_EQ(m.DrawPoint(0, 0, 0), 1);
  m.LayerClear(l);
  EXPECT_EQ(m.ShapeCount, 1);
}

TEST(CanvasEdit, ClearByLayerName) {
  Model m;
  const int a = m.LayerOpen("Track");
  m.DrawPoint(0, 0, a);
  m.DrawPoint(0, 0, 0);
  m.CadClearShapesByLayerName("track");
  EXPECT_EQ(m.ShapeCount, 2) << "the name differs in case";
  m.CadClearShapesByLayerName("Track");
  EXPECT_EQ(m.ShapeCount, 1);
  const int u = m.LayerOpen("\xc3\xa7izgi");  // "çizgi"
  m.DrawPoint(0, 0, u);
  m.CadClearShapesByLayerName("\xc3\x87izgi");  // "Çizgi"
  EXPECT_EQ(m.ShapeCount, 2);
  m.CadClearShapesByLayerName("\xc3\xa7izgi");
  EXPECT_EQ(m.ShapeCount, 1);
  // A shape moved to a layer number nobody has stays.
  m.ShapeToLayer(m.DrawPoint(0, 0, a), 77);
  m.CadClearShapesByLayerName("Track");
  EXPECT_EQ(m.ShapeCount, 2);
  m.CadClearShapes(77);
  EXPECT_EQ(m.ShapeCount, 1);
}

TEST(CanvasEdit, SelectionLists) {
  Model m;
  for (int i = 0; i < 5; ++i) m.DrawPoint(i * 10, 0, 0);
  m.ShapeSelect(3, true);
  m.ShapeSelect(3, true);
  EXPECT_EQ(m.GetShapeSelectNumbers(), (std::vector<int32_t>{3, 3}));
  EXPECT_EQ(m.SelectedShapeCount(), 1);
  m.ShapeDeselect(3);
  EXPECT_TRUE(m.GetShapeSelectNumbers().empty());
  m.ShapeSelect(3, false);
  m.CadSelectShapes();
  EXPECT_EQ(m.SelectedShapes, (std::vector<int32_t>{3, 1, 2, 3, 4, 5}));
  m.ShapeSelect(999, false);
  EXPECT_TRUE(m.SelectedShapes.empty());
  EXPECT_EQ(m.SelectedShapeCount(), 0);
  m.ShapeSelect(2, false);
  m.ShapeSelect(4, true);
  m.ShapeSelectMoveDelta(1, 2);
  EXPECT_DOUBLE_EQ(dynamic_cast<TQPoint*>(m.FindShape(2))->X, 11);
  EXPECT_DOUBLE_EQ(dynamic_cast<TQPoint*>(m.FindShape(4))->Y, 2);
  EXPECT_DOUBLE_EQ(dynamic_cast<TQPoint*>(m.FindShape(3))->X, 20);
  m.CadClearSelectedShapes();
  EXPECT_EQ(m.ShapeCount, 3);
  EXPECT_EQ(m.FindShape(2), nullptr);
  EXPECT_TRUE(m.SelectedShapes.empty());
}

TEST(CanvasEdit, DeleteAndSelectDelete) {
  Model m;
  for (int i = 0; i < 4; ++i) m.DrawPoint(i, 0, 0);
  m.ShapeSelect(2, true);
  m.ShapeSelect(2, true);
  m.ShapeDelete(2);
  EXPECT_EQ(m.ShapeCount, 3);
  EXPECT_TRUE(m.SelectedShapes.empty());
  m.ShapeSelectDelete();
  EXPECT_EQ(m.ShapeCount, 3) << "nothing selected";
  m.ShapeSelect(1, false);
  m.ShapeSelect(4, true);
  const int before = m.InvalidateCount;
  m.ShapeSelectDelete();
  EXPECT_EQ(m.ShapeCount, 1);
  EXPECT_EQ(m.Shapes[0]->Number, 3);
  EXPECT_EQ(m.InvalidateCount, before + 1);
}

TEST(CanvasEdit, DrawingOrder) {
  Model m;
  for (int i = 0; i < 3; ++i) m.DrawPoint(i, 0, 0);
  auto order = [&] {
    std::vector<int32_t> v;
    for (TQShape* s : m.Shapes) v.push_back(s->Number);
    return v;
  };
  m.ShapeToFront(3);
  EXPECT_EQ(order(), (std::vector<int32_t>{1, 2, 3}));
  m.ShapeToBack(1);
  EXPECT_EQ(order(), (std::vector<int32_t>{1, 2, 3}));
  m.ShapeZOrderJump(1, 5);
  EXPECT_EQ(order(), (std::vector<int32_t>{2, 3, 1}));
  m.ShapeZOrderJump(3, -1);
  EXPECT_EQ(order(), (std::vector<int32_t>{3, 2, 1}));
  m.ShapeZOrderJump(2, 0);
  EXPECT_EQ(order(), (std::vector<int32_t>{3, 2, 1}));
  m.NeedsRedraw = false;
  m.ShapeToFront(99);
  EXPECT_TRUE(m.NeedsRedraw);
}

TEST(CanvasEdit, ReflectRotateScaleByNumber) {
  Model m;
  const int32_t line = m.DrawLine(12, 0, 15, 5, 0);
  m.ShapeReflect(line, 0, 10, 0);
  auto* l = dynamic_cast<TQLine*>(m.FindShape(line));
  EXPECT_DOUBLE_EQ(l->X1, 8);
  EXPECT_DOUBLE_EQ(l->X2, 5);
  m.ShapeReflect(line, 2, 10, 0);
  EXPECT_DOUBLE_EQ(l->X1, 8);
  m.ShapeReflect(line, 1, 0, 10);
  EXPECT_DOUBLE_EQ(l->Y1, 20);
  EXPECT_DOUBLE_EQ(l->Y2, 15);
  const int32_t circle = m.DrawCircle(12, 0, 3, 0);
  m.ShapeReflect(circle, 0, 10, 0);
  EXPECT_DOUBLE_EQ(dynamic_cast<TQCircle*>(m.FindShape(circle))->Radius, 3);
  m.ShapeRotate(line, 90, 0, 0);
  EXPECT_NEAR(l->X1, -20, 1e-9);
  m.ShapeScale(circle, 2, 2, 0, 0);
  EXPECT_DOUBLE_EQ(dynamic_cast<TQCircle*>(m.FindShape(circle))->Radius, 6);
}

TEST(CanvasEdit, VertexEditing) {
  Model m;
  const int32_t p = m.DrawPolyline({{0, 0}, {1, 1}}, 0, false);
  m.ShapePointInsert(p, 2, 5, 5);
  EXPECT_EQ(m.ShapePointCount(p), 3);
  EXPECT_EQ(m.ShapePointGetX(p, 2), 5);
  m.ShapePointInsert(p, 4, 9, 9);
  m.ShapePointInsert(p, -1, 9, 9);
  EXPECT_EQ(m.ShapePointCount(p), 3);
  m.ShapePointInsert(p, 0, -1, -2);
  EXPECT_EQ(m.FindShape(p)->MinY, -2);
  m.ShapePointSet(p, 1, 4512345.67, 3);
  EXPECT_EQ(m.ShapePointGetX(p, 1), 4512345.67);
  for (int i = 0; i < 4; ++i) m.ShapePointDelete(p, 0);
  EXPECT_EQ(m.ShapePointCount(p), 0);
  EXPECT_NE(m.FindShape(p), nullptr);
  EXPECT_EQ(m.GetShapeAt(0, 0), -1);
  const int32_t arc = m.DrawThreePointArc(0, 0, 1, 1, 2, 0, 0);
  const int32_t text = m.TextAdd(0, "abc", 0, 0, 0);
  EXPECT_EQ(m.ShapePointCount(arc), 0);
  EXPECT_EQ(m.ShapePointCount(text), 0);
  m.ShapePointInsert(arc, 0, 1, 1);
  EXPECT_EQ(m.ShapePointGetX(arc, 0), 0);
}

TEST(CanvasEdit, ClearDrawingStateDropsPolylineInProgress) {
  Model m;
  m.IsDrawing = m.HasFirstPoint = m.ShapeJustFinished = true;
  m.DrawingPolyline = new TQPolyline;
  m.ScreenCursor = crCross;
  m.ClearDrawingState();
  EXPECT_FALSE(m.IsDrawing || m.HasFirstPoint || m.ShapeJustFinished);
  EXPECT_EQ(m.DrawingPolyline, nullptr);
  EXPECT_EQ(m.ScreenCursor, crDefault);
}

// ---------------------------------------------------------------------------
// Polygon selection

TEST(CanvasPolygon, PointInPolygonEdgesAndVertices) {
  const std::vector<TPointF> square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  struct Case {
    double x, y;
    bool inside;
  };
  const Case cases[] = {
      {5, 5, true},   {15, 5, false}, {0, 5, true},    // left edge
      {10, 5, false},                                  // right edge
      {5, 0, true},                                    // bottom edge
      {5, 10, false},                                  // top edge
      {0, 0, true},   {10, 10, false}, {10, 0, false}, {0, 10, false},
      {-0.001, 5, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TQuarixCanvasModel::PointInPolygon(c.x, c.y, square), c.inside) << c.x << "," << c.y;
  EXPECT_FALSE(TQuarixCanvasModel::PointInPolygon(0, 0, std::vector<TPointF>{}));
  // A polygon in double precision at real grid coordinates.
  const std::vector<TPointD> grid = {{512345.2, 4512345.2}, {512345.6, 4512345.2}, {512345.6, 4512345.6},
                                     {512345.2, 4512345.6}};
  EXPECT_TRUE(TQuarixCanvasModel::PointInPolygon(512345.4, 4512345.4, grid));
  EXPECT_FALSE(TQuarixCanvasModel::PointInPolygon(512345.4, 4512345.7, grid));
}

TEST(CanvasPolygon, SelectAllShapesInPolygon) {
  Model m;
  const int sel = m.LayerOpen("Quarix_SelectPoly");
  const int32_t lineIn = m.DrawLine(5, 5, 50, 50, 0);       // one end inside
  const int32_t lineAcross = m.DrawLine(-5, 5, 15, 5, 0);   // both ends outside
  const int32_t rectCentre = m.DrawRectangle(-5, -5, 15, 15, 0);  // only the centre inside
  const int32_t bigCircle = m.DrawCircle(30, 5, 25, 0);      // rim crosses, centre outside
  const int32_t textOut = m.TextAdd(0, "long text running in", -3, 5, 0);
  const int32_t track = m.DrawPolyline({{-5, -5}, {-4, -4}, {2, 2}}, 0, false);
  const int32_t arc = m.DrawThreePointArc(-5, 0, 2, 2, 30, 0, 0);
  const int32_t poly = m.DrawPolyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, sel, true);
  m.ShapeSelect(bigCircle, false);
  const int before = m.InvalidateCount;
  m.SelectAllShapesInPolygon(std::vector<TPointF>{{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  EXPECT_EQ(m.SelectedShapes, (std::vector<int32_t>{lineIn, rectCentre, track, arc}));
  EXPECT_FALSE(m.GetShapeIsSelected(lineAcross));
  EXPECT_FALSE(m.GetShapeIsSelected(bigCircle));
  EXPECT_FALSE(m.GetShapeIsSelected(textOut));
  EXPECT_FALSE(m.GetShapeIsSelected(poly));
  EXPECT_EQ(m.InvalidateCount, before + 1);
  m.SelectAllShapesInPolygon(std::vector<TPointF>{{0, 0}, {10, 0}});
  EXPECT_TRUE(m.SelectedShapes.empty());
  EXPECT_EQ(m.SelectedShapeCount(), 0);
}

TEST(CanvasPolygon, SelectTracksOnLayers) {
  Model m;
  const int fix = m.LayerOpen("track_fix");
  const int nofix = m.LayerOpen("track_nofix");
  const int sel = m.LayerOpen("Quarix_SelectPoly");
  const int32_t p1 = m.DrawPoint(5, 5, fix);
  const int32_t p2 = m.DrawPoint(50, 5, fix);
  const int32_t l1 = m.DrawLine(20, 20, 5, 6, nofix);
  const int32_t rectOther = m.DrawRectangle(2, 2, 8, 8, 0);
  const int32_t circleOnTrack = m.DrawCircle(5, 5, 1, fix);
  const int32_t polygon = m.DrawPolyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, sel, true);
  const std::vector<TPointF> square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  m.SelectShapesInPolygon(square, {fix, nofix});
  EXPECT_EQ(m.SelectedShapes, (std::vector<int32_t>{p1, l1, circleOnTrack}));
  EXPECT_FALSE(m.GetShapeIsSelected(p2));
  EXPECT_FALSE(m.GetShapeIsSelected(rectOther));
  m.SelectShapesInPolygon(square, {sel});
  EXPECT_EQ(m.SelectedShapes, (std::vector<int32_t>{polygon}));
  m.SelectShapesInPolygon(square, {});
  EXPECT_TRUE(m.SelectedShapes.empty());
  m.SelectShapesOnLayers({fix, fix});
  EXPECT_EQ(m.SelectedShapes, (std::vector<int32_t>{p1, p2, circleOnTrack}));
  EXPECT_EQ(m.SelectedShapeCount(), 3);
  m.DeleteSelectedShapes();
  EXPECT_EQ(m.ShapeCount, 3);
  EXPECT_TRUE(m.SelectedShapes.empty());
}

TEST(CanvasPolygon, LastPolylinePoints) {
  Model m;
  const int other = m.LayerOpen("other");
  m.DrawPolyline({{1, 1}, {2, 2}}, other, false);
  EXPECT_EQ(m.GetLastPolylinePoints().size(), 2u) << "no route layers: any layer";
  const int route = m.LayerOpen("Quarix_Route");
  EXPECT_TRUE(m.GetLastPolylinePoints().empty());
  m.DrawPolyline({{512345.67, 4512345.67}, {3, 3}, {4, 4}}, route, false);
  m.TextAdd(route, "label", 0, 0, 0);
  auto* one = new TQPolyline;
  one->Layer = route;
  one->AddPoint(9, 9);
  m.Shapes.push_back(one);
  const auto pts = m.GetLastPolylinePoints();
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_EQ(pts[0].first, 512345.67);
  EXPECT_EQ(pts[0].second, 4512345.67);
  EXPECT_EQ(pts[2].second, 4);
}

}  // namespace
