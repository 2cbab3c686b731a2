// Shape records: hit tests, bounding boxes, transforms, vertex access.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "canvas/shapes.h"

namespace {

std::unique_ptr<TQShape> Line(double x1, double y1, double x2, double y2) {
  auto s = std::make_unique<TQLine>();
  s->X1 = x1, s->Y1 = y1, s->X2 = x2, s->Y2 = y2;
  s->UpdateBounds();
  return s;
}
std::unique_ptr<TQShape> Circle(double cx, double cy, double r) {
  auto s = std::make_unique<TQCircle>();
  s->CenterX = cx, s->CenterY = cy, s->Radius = r;
  s->UpdateBounds();
  return s;
}
std::unique_ptr<TQShape> Rect(double x1, double y1, double x2, double y2) {
  auto s = std::make_unique<TQRectangle>();
  s->X1 = x1, s->Y1 = y1, s->X2 = x2, s->Y2 = y2;
  s->UpdateBounds();
  return s;
}
std::unique_ptr<TQShape> Ellipse(double x1, double y1, double x2, double y2) {
  auto s = std::make_unique<TQEllipse>();
  s->X1 = x1, s->Y1 = y1, s->X2 = x2, s->Y2 = y2;
  s->UpdateBounds();
  return s;
}
std::unique_ptr<TQShape> Point(double x, double y) {
  auto s = std::make_unique<TQPoint>();
  s->X = x, s->Y = y;
  s->UpdateBounds();
  return s;
}
std::unique_ptr<TQShape> Arc(double x1, double y1, double x2, double y2, double x3, double y3) {
  auto s = std::make_unique<TQArc>();
  s->X1 = x1, s->Y1 = y1, s->X2 = x2, s->Y2 = y2, s->X3 = x3, s->Y3 = y3;
  s->UpdateBounds();
  return s;
}
std::unique_ptr<TQShape> Text(double x, double y, const std::string& t) {
  auto s = std::make_unique<TQText>();
  s->X = x, s->Y = y, s->TextString = t;
  s->UpdateBounds();
  return s;
}
std::unique_ptr<TQShape> Poly(std::vector<TPointD> pts, bool closed = false) {
  auto s = std::make_unique<TQPolyline>();
  for (const TPointD& p : pts) s->AddPoint(p.x, p.y);
  s->Closed = closed;
  s->ShapeType = closed ? stPolygon : stPolyline;
  return s;
}

struct HitCase {
  const char* name;
  std::function<std::unique_ptr<TQShape>()> make;
  double x, y, t;
  bool hit;
};

}  // namespace

TEST(ShapeRecords, HitTests) {
  const HitCase cases[] = {
      {"point within tolerance", [] { return Point(0, 0); }, 1, 0, 1, true},
      {"point just outside", [] { return Point(0, 0); }, 1.01, 0, 1, false},
      {"line near middle", [] { return Line(0, 0, 10, 0); }, 5, 1, 1, true},
      {"line off middle", [] { return Line(0, 0, 10, 0); }, 5, 1.1, 1, false},
      {"line beyond end clamps to end", [] { return Line(0, 0, 10, 0); }, -1, 0, 1, true},
      {"zero-length line near its point", [] { return Line(2, 2, 2, 2); }, 2, 3, 1, true},
      {"zero-length line away", [] { return Line(2, 2, 2, 2); }, 2, 3.5, 1, false},
      {"circle centre is no hit", [] { return Circle(0, 0, 10); }, 0, 0, 1, false},
      {"circle rim", [] { return Circle(0, 0, 10); }, 10.5, 0, 1, true},
      {"circle inside near rim", [] { return Circle(0, 0, 10); }, 8.9, 0, 1, false},
      {"ellipse centre is no hit", [] { return Ellipse(-10, -5, 10, 5); }, 0, 0, 1, false},
      {"ellipse rim", [] { return Ellipse(-10, -5, 10, 5); }, 10, 0, 1, true},
      {"ellipse of zero width", [] { return Ellipse(0, 0, 0, 10); }, 0, 5, 1, false},
      {"rectangle inside", [] { return Rect(0, 0, 10, 10); }, 5, 5, 1, true},
      {"rectangle swapped corners", [] { return Rect(10, 10, 0, 0); }, 5, 5, 1, true},
      {"rectangle grown edge", [] { return Rect(0, 0, 10, 10); }, 11, 5, 1, true},
      {"rectangle outside", [] { return Rect(0, 0, 10, 10); }, 11.5, 5, 1, false},
      {"arc box grown", [] { return Arc(0, 0, 5, 5, 10, 0); }, 10.5, -0.5, 1, true},
      {"arc outside box", [] { return Arc(0, 0, 5, 5, 10, 0); }, 11.5, 0, 1, false},
      {"text box corner", [] { return Text(0, 0, "abc"); }, 4.4, -3, 1, true},
      {"text right of box", [] { return Text(0, 0, "abc"); }, 4.5, 0, 1, false},
      {"text left of anchor", [] { return Text(0, 0, "abc"); }, -0.1, 0, 1, false},
      {"polygon edge", [] { return Poly({{0, 0}, {10, 0}, {10, 10}}, true); }, 5, 0.5, 1, true},
      {"polygon closing edge not tested", [] { return Poly({{0, 0}, {10, 0}, {10, 10}}, true); }, 5, 5, 1,
       false},
      {"polygon inside not tested", [] { return Poly({{0, 0}, {10, 0}, {10, 10}}, true); }, 8, 2, 1, false},
      {"zero-length segment", [] { return Poly({{0, 0}, {0, 0}}); }, 0, 0, 1, false},
      {"one vertex", [] { return Poly({{0, 0}}); }, 0, 0, 1, false},
  };
  for (const HitCase& c : cases) {
    auto s = c.make();
    EXPECT_EQ(s->HitTest(c.x, c.y, c.t), c.hit) << c.name;
  }
}

TEST(ShapeRecords, BoundingBoxes) {
  struct Case {
    const char* name;
    std::unique_ptr<TQShape> shape;
    double minX, minY, maxX, maxY;
  };
  Case cases[] = {
      {"point", Point(10, 20), 7, 17, 13, 23},
      {"line", Line(5, 1, -5, 3), -5, 1, 5, 3},
      {"circle", Circle(0, 0, 2), -2, -2, 2, 2},
      {"arc", Arc(0, 0, 5, 7, 10, -1), 0, -1, 10, 7},
      {"text of 5 characters", Text(0, 0, "12345"), -10, -10, 0 + 5 * 10 * 0.6 + 10, 10},
      {"text counts characters, not bytes", Text(0, 0, "\xc3\xbc\xc3\xbc"), -10, -10, 2 * 6 + 10, 10},
      {"polyline", Poly({{1, 2}, {-3, 4}, {5, -6}}), -3, -6, 5, 4},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(c.shape->MinX, c.minX) << c.name;
    EXPECT_DOUBLE_EQ(c.shape->MinY, c.minY) << c.name;
    EXPECT_DOUBLE_EQ(c.shape->MaxX, c.maxX) << c.name;
    EXPECT_DOUBLE_EQ(c.shape->MaxY, c.maxY) << c.name;
  }
}

TEST(ShapeRecords, PolylineVerticesKeepDoublePrecision) {
  TQPolyline p;
  p.AddPoint(512345.67, 4512345.67);
  p.AddPoint(512346.01, 4500000.3);
  EXPECT_EQ(p.GetPointX(0), 512345.67);
  EXPECT_EQ(p.GetPointY(0), 4512345.67);
  EXPECT_EQ(p.GetPointY(1), 4500000.3);
  p.SetPoint(1, 1.25, 4512345.68);
  EXPECT_EQ(p.GetPointY(1), 4512345.68);
  EXPECT_EQ(p.MaxY, 4512345.68);
  p.Rotate(0, 0, 0);
  EXPECT_EQ(p.GetPointY(0), 4512345.67);
}

TEST(ShapeRecords, VertexIndexOutsideList) {
  TQPolyline p;
  p.AddPoint(1, 2);
  p.AddPoint(3, 4);
  EXPECT_EQ(p.GetPointX(-1), 0.0);
  EXPECT_EQ(p.GetPointY(2), 0.0);
  p.SetPoint(2, 9, 9);
  p.SetPoint(-1, 9, 9);
  EXPECT_EQ(p.PointCount(), 2);
  EXPECT_EQ(p.GetPointX(1), 3.0);
  EXPECT_EQ(p.MaxX, 3.0);
}

TEST(ShapeRecords, EmptyPolylineKeepsItsBox) {
  TQPolyline p;
  p.MinX = 1, p.MaxX = 2;
  p.UpdateBounds();
  EXPECT_EQ(p.MinX, 1.0);
  EXPECT_EQ(p.MaxX, 2.0);
}

TEST(ShapeRecords, NonFiniteGeometryHasNoFiniteBounds) {
  auto r = Rect(0, 0, std::numeric_limits<double>::infinity(), 10);
  EXPECT_FALSE(r->HasFiniteBounds());
  auto l = Line(0, std::nan(""), 1, 1);
  EXPECT_FALSE(l->HasFiniteBounds());
  EXPECT_TRUE(Line(0, 0, 1, 1)->HasFiniteBounds());
}

// Mirror about x = 10 (Scale with -1, 1): the reflect rule of the canvas.
TEST(ShapeRecords, ReflectEveryRecord) {
  auto line = Line(12, 0, 15, 5);
  line->Scale(-1, 1, 10, 0);
  const auto* l = static_cast<TQLine*>(line.get());
  EXPECT_DOUBLE_EQ(l->X1, 8);
  EXPECT_DOUBLE_EQ(l->X2, 5);
  EXPECT_DOUBLE_EQ(l->Y2, 5);

  auto circle = Circle(12, 1, 3);
  circle->Scale(-1, 1, 10, 0);
  const auto* c = static_cast<TQCircle*>(circle.get());
  EXPECT_DOUBLE_EQ(c->CenterX, 8);
  EXPECT_DOUBLE_EQ(c->Radius, 3) << "a mirrored circle keeps its size";
  EXPECT_DOUBLE_EQ(c->MinX, 5);

  auto rect = Rect(12, 0, 15, 5);
  rect->Scale(-1, 1, 10, 0);
  const auto* r = static_cast<TQRectangle*>(rect.get());
  EXPECT_DOUBLE_EQ(r->X1, 8);
  EXPECT_DOUBLE_EQ(r->X2, 5);
  EXPECT_TRUE(rect->HitTest(6, 2, 0.1));
  EXPECT_DOUBLE_EQ(rect->MinX, 5);
  EXPECT_DOUBLE_EQ(rect->MaxX, 8);

  auto point = Point(12, 1);
  point->Scale(-1, 1, 10, 0);
  EXPECT_DOUBLE_EQ(static_cast<TQPoint*>(point.get())->X, 8);
  EXPECT_EQ(static_cast<TQPoint*>(point.get())->PointSize, 3);

  auto ellipse = Ellipse(12, 0, 16, 2);
  ellipse->Scale(1, -1, 0, 10);
  const auto* e = static_cast<TQEllipse*>(ellipse.get());
  EXPECT_DOUBLE_EQ(e->Y1, 20);
  EXPECT_DOUBLE_EQ(e->Y2, 18);

  auto arc = Arc(11, 0, 12, 1, 13, 0);
  arc->Scale(-1, 1, 10, 0);
  const auto* a = static_cast<TQArc*>(arc.get());
  EXPECT_DOUBLE_EQ(a->X1, 9);
  EXPECT_DOUBLE_EQ(a->X2, 8);
  EXPECT_DOUBLE_EQ(a->X3, 7);

  auto text = Text(12, 0, "ab");
  text->Scale(-1, 1, 10, 0);
  const auto* t = static_cast<TQText*>(text.get());
  EXPECT_DOUBLE_EQ(t->X, 8);
  EXPECT_DOUBLE_EQ(t->Height, 10);

  auto poly = Poly({{11, 0}, {14, 3}});
  poly->Scale(-1, 1, 10, 0);
  const auto* p = static_cast<TQPolyline*>(poly.get());
  EXPECT_DOUBLE_EQ(p->GetPointX(0), 9);
  EXPECT_DOUBLE_EQ(p->GetPointX(1), 6);
  EXPECT_DOUBLE_EQ(p->MinX, 6);
}

TEST(ShapeRecords, RotateEveryRecord) {
  const double eps = 1e-9;
  auto line = Line(1, 0, 2, 0);
  line->Rotate(90, 0, 0);
  const auto* l = static_cast<TQLine*>(line.get());
  EXPECT_NEAR(l->X1, 0, eps);
  EXPECT_NEAR(l->Y1, 1, eps);
  EXPECT_NEAR(l->Y2, 2, eps);
  EXPECT_NEAR(line->MaxY, 2, eps);

  auto circle = Circle(10, 0, 2);
  circle->Rotate(90, 0, 0);
  EXPECT_NEAR(static_cast<TQCircle*>(circle.get())->CenterY, 10, eps);
  EXPECT_DOUBLE_EQ(static_cast<TQCircle*>(circle.get())->Radius, 2);

  auto rect = Rect(1, 1, 3, 2);
  rect->Rotate(90, 0, 0);
  EXPECT_DOUBLE_EQ(static_cast<TQRectangle*>(rect.get())->X1, 1) << "corners stay";
  EXPECT_DOUBLE_EQ(rect->MaxX, 3);

  auto ellipse = Ellipse(1, 1, 3, 2);
  ellipse->Rotate(45, 0, 0);
  EXPECT_DOUBLE_EQ(static_cast<TQEllipse*>(ellipse.get())->X2, 3);

  auto point = Point(0, 5);
  point->Rotate(-90, 0, 0);
  EXPECT_NEAR(static_cast<TQPoint*>(point.get())->X, 5, eps);
  EXPECT_NEAR(static_cast<TQPoint*>(point.get())->Y, 0, eps);

  auto arc = Arc(1, 0, 2, 0, 3, 0);
  arc->Rotate(180, 0, 0);
  EXPECT_NEAR(static_cast<TQArc*>(arc.get())->X3, -3, eps);

  auto text = Text(100, 100, "ab");
  text->Rotate(90, 5000, -5000);
  const auto* t = static_cast<TQText*>(text.get());
  EXPECT_DOUBLE_EQ(t->X, 100) << "the anchor stays";
  EXPECT_DOUBLE_EQ(t->Angle, 90);

  auto poly = Poly({{1, 0}, {0, 1}});
  poly->Rotate(90, 0, 0);
  const auto* p = static_cast<TQPolyline*>(poly.get());
  EXPECT_NEAR(p->GetPointY(0), 1, eps);
  EXPECT_NEAR(p->GetPointX(1), -1, eps);
}

TEST(ShapeRecords, ScaleEveryRecord) {
  auto circle = Circle(2, 2, 4);
  circle->Scale(2, 3, 1, 1);
  const auto* c = static_cast<TQCircle*>(circle.get());
  EXPECT_DOUBLE_EQ(c->CenterX, 3);
  EXPECT_DOUBLE_EQ(c->CenterY, 4);
  EXPECT_DOUBLE_EQ(c->Radius, 10);

  auto circle2 = Circle(0, 0, 4);
  circle2->Scale(-2, 3, 0, 0);
  EXPECT_DOUBLE_EQ(static_cast<TQCircle*>(circle2.get())->Radius, 10);

  auto text = Text(2, 2, "x");
  text->Scale(2, 2, 0, 0);
  EXPECT_DOUBLE_EQ(static_cast<TQText*>(text.get())->X, 4);
  EXPECT_DOUBLE_EQ(static_cast<TQText*>(text.get())->Height, 10);

  auto point = Point(2, 2);
  point->Scale(2, 2, 0, 0);
  EXPECT_DOUBLE_EQ(static_cast<TQPoint*>(point.get())->Y, 4);
  EXPECT_DOUBLE_EQ(point->MaxY, 7);

  auto rect = Rect(1, 1, 2, 2);
  rect->Scale(2, 3, 0, 0);
  EXPECT_DOUBLE_EQ(rect->MaxX, 4);
  EXPECT_DOUBLE_EQ(rect->MaxY, 6);

  auto line = Line(1, 1, 2, 2);
  line->Translate(10, -1);
  EXPECT_DOUBLE_EQ(line->MinX, 11);
  EXPECT_DOUBLE_EQ(line->MinY, 0);
}

TEST(ShapeRecords, TextDrawSize) {
  TQText t;
  const std::pair<double, int> cases[] = {{0, 10}, {-5, 10}, {100, 72}, {2, 4}, {12.9, 12}};
  for (const auto& [height, size] : cases) {
    t.Height = height;
    EXPECT_EQ(t.DrawFontSize(), size) << height;
  }
}

// The text fields of the records share one table of strings: each record
// keeps its own text through copies, moves, reassignment and the reuse of
// freed slots.
TEST(ShapeRecords, TextFieldsStayTheRecordsOwn) {
  TQLine a;
  a.Notes = "depth 12.3";
  a.Text = std::string("first");
  TQLine b = a;
  b.Notes = "changed";
  EXPECT_EQ(a.Notes.str(), "depth 12.3");
  EXPECT_EQ(b.Notes.str(), "changed");
  EXPECT_EQ(b.Text.str(), "first");

  a.Text = a.Text;  // NOLINT(self-assign)
  a.Notes = a.Notes.str();
  EXPECT_EQ(a.Text.str(), "first");
  EXPECT_EQ(a.Notes.str(), "depth 12.3");

  TShapeText moved = std::move(b.Notes);
  EXPECT_TRUE(b.Notes.empty());
  EXPECT_EQ(moved.str(), "changed");
  b.Text = "";
  EXPECT_TRUE(b.Text.empty());
  EXPECT_EQ(b.Text.str(), "");

  // Slots freed by many records are taken again by new ones.
  std::vector<std::pair<std::unique_ptr<TQShape>, std::string>> many;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 1000; ++i) {
      std::string text = "p" + std::to_string(round) + "." + std::to_string(i);
      many.emplace_back(std::make_unique<TQPoint>(), text);
      many.back().first->Text = text;
    }
    for (std::size_t i = 0; i < many.size(); i += 2) many[i].first.reset();
    std::erase_if(many, [](const auto& m) { return !m.first; });
  }
  for (const auto& [shape, text] : many) EXPECT_EQ(shape->Text.str(), text);
  EXPECT_EQ(moved.str(), "changed");
  EXPECT_EQ(a.Notes.str(), "depth 12.3");
}
