// The spatial index against a plain pass over the drawing: random drawings
// built, edited, moved, reordered and thinned out through the canvas's
// operations (and a reader's appends), saved and loaded back over the
// drawing or added to it, looked at through random windows.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>
#include <random>
#include <string>

#include "canvas/canvasmodel.h"

namespace {

class Probe : public TQuarixCanvasModel {
 public:
  using TQuarixCanvasModel::index_;
};

// The positions whose box meets the window, as the plan's window test has it.
std::vector<uint32_t> ScanWindow(const Probe& m, double l, double r, double b, double t) {
  std::vector<uint32_t> out;
  for (std::size_t i = 0; i < m.Shapes.size(); ++i) {
    const TQShape* s = m.Shapes[i];
    if (!s->HasFiniteBounds() || s->MaxX < l || s->MinX > r || s->MaxY < b || s->MinY > t) continue;
    out.push_back(static_cast<uint32_t>(i));
  }
  return out;
}

struct Drawing {
  Probe m;
  QTemporaryDir dir;
  std::mt19937 rng;
  std::vector<int> layers;
  explicit Drawing(unsigned seed) : rng(seed) {
    m.ShapeIndexMinimum = 0;
    m.SetControlSize(800, 600);
    layers = {0, m.LayerOpen("track_fix"), m.LayerOpen("chart"), m.LayerOpen("~~Quarix Vessel")};
  }
  double U(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); }
  int I(int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); }
  int Layer() { return layers[static_cast<std::size_t>(I(0, 3))]; }
  int32_t AnyNumber() { return m.Shapes.empty() ? 0 : m.Shapes[static_cast<std::size_t>(I(0, static_cast<int>(m.Shapes.size()) - 1))]->Number; }

  void Add() {
    // Mostly within 10 km; now and then far away or huge.
    const double x = I(0, 50) == 0 ? U(-1e7, 1e7) : U(0, 10000), y = I(0, 50) == 0 ? U(-1e7, 1e7) : U(0, 10000);
    const double size = I(0, 20) == 0 ? U(1000, 50000) : U(0, 300);
    switch (I(0, 6)) {
      case 0: m.DrawPoint(x, y, Layer()); break;
      case 1: m.DrawLine(x, y, x + U(-size, size), y + U(-size, size), Layer()); break;
      case 2: m.DrawCircle(x, y, size / 2, Layer()); break;
      case 3: m.DrawPolyline({{x, y}, {x + U(0, size), y}, {x, y + U(0, size)}}, Layer(), I(0, 1) == 1); break;
      case 4: m.TextAdd(Layer(), "12.3", x, y, 0); break;
      case 5: m.DrawRectangle(x, y, x + size, y + size / 3, Layer()); break;
      default: {  // a reader's record, appended straight to the list
        auto* p = new TQPoint;
        p->X = x, p->Y = y, p->ShapeType = stPoint, p->Layer = Layer();
        p->UpdateBounds();
        p->Number = m.NextShapeNumber++;
        m.Shapes.push_back(p);
        m.ShapeCount = static_cast<int>(m.Shapes.size());
        break;
      }
    }
  }

  void Change() {
    const int32_t n = AnyNumber();
    switch (I(0, 11)) {
      case 0: m.ShapeTranslate(n, U(-3000, 3000), U(-3000, 3000)); break;
      case 1: m.ShapeScale(n, U(0.1, 20), U(0.1, 20), U(0, 10000), U(0, 10000)); break;
      case 2: m.ShapeRotate(n, U(0, 360), U(0, 10000), U(0, 10000)); break;
      case 3: m.ShapeReflect(n, I(0, 1), U(0, 10000), 0); break;
      case 4: m.ShapePointSet(n, I(0, 2), U(0, 10000), U(0, 10000)); break;
      case 5: m.ShapePointInsert(n, 1, U(-5000, 15000), U(0, 10000)); break;
      case 6: m.ShapeDelete(n); break;
      case 7: m.CadClearShapes(Layer()); break;
      case 8: I(0, 1) ? m.ShapeToFront(n) : m.ShapeToBack(n); break;
      case 9:
        m.ShapeSelect(n, true);
        m.ShapeSelectMoveDelta(U(-500, 500), U(-500, 500));
        break;
      case 10: m.ShapeToLayer(n, Layer()); break;
      case 11: m.LayerCopy(Layer(), Layer(), 1); break;
      default: Reload(I(0, 1) ? 0 : 2); break;
    }
  }

  // The drawing saved and read back over itself (mode 0: a new shape list)
  // or added to it (mode 2). Over itself, the file holds the shapes in
  // reverse order and leaves out the last, a point; a point is drawn after
  // the load, most likely into the very record the old last point had.
  void Reload(int mode) {
    const std::string file = dir.filePath("drawing.qvt").toStdString();
    if (mode == 0) {
      m.DrawPoint(U(0, 10000), U(0, 10000), Layer());
      m.index_.Sync(m.Shapes);
    }
    Probe saved;
    for (int i = 1; i < static_cast<int>(m.Layers.size()); ++i) saved.LayerOpen(m.Layers[static_cast<std::size_t>(i)]->Name);
    if (mode == 0) saved.Shapes.assign(m.Shapes.rbegin() + 1, m.Shapes.rend());
    else saved.Shapes = m.Shapes;
    ASSERT_EQ(saved.CadSave(file, -1), 1);
    saved.Shapes.clear();  // lent, not owned
    ASSERT_EQ(m.CadLoad(file, -1, -1, mode), 1);
    if (mode == 0) m.DrawPoint(U(0, 10000), U(0, 10000), Layer());
  }
};

TEST(ShapeIndex, NamesExactlyTheShapesAPlainPassFindsInAnyWindow) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    Drawing d(seed);
    for (int round = 0; round < 40; ++round) {
      const int adds = d.I(0, 3) == 0 ? 2000 : 60;
      for (int i = 0; i < adds; ++i) d.Add();
      for (int i = d.I(0, 8); i > 0; --i) d.Change();
      // The vessel's tick: its layer emptied and drawn again at the end.
      d.m.CadClearShapes(d.layers[3]);
      d.m.DrawLine(5000, 5000, 5010, 5010, d.layers[3]);
      if (round % 10 == 9) d.Reload(round % 20 == 9 ? 0 : 2);
      for (int w = 0; w < 6; ++w) {
        // Anywhere, or around a shape of the drawing.
        const double size = std::pow(10.0, d.U(0, 4.5));
        double l = d.U(-2000, 11000), b = d.U(-2000, 11000);
        if (w % 2 == 1 && !d.m.Shapes.empty()) {
          const TQShape* s = d.m.Shapes[static_cast<std::size_t>(d.I(0, static_cast<int>(d.m.Shapes.size()) - 1))];
          if (s->HasFiniteBounds()) l = s->MinX - size / 2, b = s->MinY - size / 2;
        }
        const double r = l + size, t = b + size * d.U(0.3, 1.5);
        d.m.index_.Sync(d.m.Shapes);
        std::vector<uint32_t> named;
        const std::vector<uint32_t> expected = ScanWindow(d.m, l, r, b, t);
        if (!d.m.index_.Query(d.m.Shapes, l, r, b, t, named)) continue;  // most of the drawing: a plain pass
        std::vector<uint32_t> found;
        for (uint32_t i : named) {
          ASSERT_LT(i, d.m.Shapes.size());
          const TQShape* s = d.m.Shapes[i];
          if (s->HasFiniteBounds() && !(s->MaxX < l || s->MinX > r || s->MaxY < b || s->MinY > t)) found.push_back(i);
        }
        ASSERT_TRUE(std::is_sorted(named.begin(), named.end())) << "seed " << seed;
        ASSERT_EQ(found, expected) << "seed " << seed << " round " << round << " window " << l << " " << b << " "
                                   << size;
        // The render plan with the index equals the plan of a plain pass.
        d.m.WorldSet(l, t, r, b);
        const TRenderPlan withIndex = d.m.BuildRenderPlan();
        d.m.ShapeIndexEnabled = false;
        const TRenderPlan plain = d.m.BuildRenderPlan();
        d.m.ShapeIndexEnabled = true;
        ASSERT_EQ(withIndex.FirstPass, plain.FirstPass) << "seed " << seed << " round " << round;
        ASSERT_EQ(withIndex.Texts, plain.Texts) << "seed " << seed << " round " << round;
      }
    }
  }
}

// Emptying a layer finds its shapes from the end of the list, counted by the
// index, wherever they lie; what stays keeps its order.
// A drawing loaded over one a shape larger, then one point added: the view
// over the loaded points finds them with the index as without it.
TEST(ShapeIndex, ADrawingLoadedOverTheDrawingIsFiledAnew) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("points.qvt").toStdString();
  {
    Probe smaller;
    for (int i = 0; i < 4999; ++i) smaller.DrawPoint(1000 + i % 100, 2000 + i / 100, 0);
    ASSERT_EQ(smaller.CadSave(file, -1), 1);
  }
  Probe m;
  for (int i = 0; i < 5000; ++i) m.DrawPoint(-50000 + i, -50000, 0);
  m.SetControlSize(800, 600);
  m.WorldSet(-60000, -40000, 10000, -60000);
  (void)m.BuildRenderPlan();  // the index is filed for the first drawing
  ASSERT_EQ(m.CadLoad(file, -1, -1, 0), 1);
  m.DrawPoint(1050, 2020, 0);
  m.WorldSet(990, 2060, 1110, 1990);
  const TRenderPlan withIndex = m.BuildRenderPlan();
  m.ShapeIndexEnabled = false;
  const TRenderPlan plain = m.BuildRenderPlan();
  EXPECT_EQ(withIndex.FirstPass, plain.FirstPass);
  EXPECT_FALSE(plain.FirstPass.empty());
}

TEST(ShapeIndex, EmptyingALayerRemovesExactlyItsShapes) {
  Drawing d(99);
  for (int i = 0; i < 5000; ++i) d.Add();
  for (int i = 0; i < 50; ++i) d.Change();
  for (int layer : d.layers) {
    std::vector<TQShape*> expected;
    for (TQShape* s : d.m.Shapes)
      if (s->Layer != layer) expected.push_back(s);
    d.m.CadClearShapes(layer);
    EXPECT_EQ(d.m.Shapes, expected) << layer;
    EXPECT_EQ(d.m.ShapeCount, static_cast<int>(expected.size()));
  }
  EXPECT_TRUE(d.m.Shapes.empty());
}

}  // namespace
