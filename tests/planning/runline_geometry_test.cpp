// Runline geometry and the runline layers of the map model.
#include <gtest/gtest.h>

#include <cmath>

#include "app/settingsfile.h"
#include "canvas/canvasmodel.h"
#include "canvas/shapes.h"
#include "planning/runlines.h"
#include "tests/support/tempenv.h"

using namespace runlines;

namespace {

double Length(const Polyline& l) {
  return std::hypot(l.back().first - l.front().first, l.back().second - l.front().second);
}

void ExpectPoint(const Point& p, double x, double y) {
  EXPECT_NEAR(p.first, x, 1e-9);
  EXPECT_NEAR(p.second, y, 1e-9);
}

TEST(RunlineEdits, NumbersOrDefaults) {
  struct Case {
    const char* text;
    double spacing, length;
  } cases[] = {
      {"2.5", 2.5, 2.5}, {"0", 10, 100}, {"-3", 10, 100}, {"", 10, 100},
      {"abc", 10, 100},  {"1,5", 10, 100}, {"nan", 10, 100}, {"1e400", 10, 100}, {" 20 ", 20, 20},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SpacingOf(c.text), c.spacing) << c.text;
    EXPECT_EQ(LengthOf(c.text), c.length) << c.text;
  }
}

TEST(RunlineGeometry, CrossLinesAlongAStraightRoute) {
  std::vector<Polyline> lines;
  ASSERT_TRUE(PerpendicularLines({{0, 0}, {100, 0}}, 10, 100, lines));
  ASSERT_EQ(lines.size(), 11u);  // t = 0 .. 100
  for (std::size_t i = 0; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i].size(), 2u);
    // From the left of the direction of travel to its right, centred on the route.
    ExpectPoint(lines[i][0], 10.0 * i, 100);
    ExpectPoint(lines[i][1], 10.0 * i, -100);
  }
}

TEST(RunlineGeometry, CrossLinesRestartOnEverySegmentAndSkipTinyOnes) {
  std::vector<Polyline> lines;
  // 25 m east (t = 0, 10, 20), a 0.0005 m step, 10 m north (t = 0, 10).
  ASSERT_TRUE(PerpendicularLines({{0, 0}, {25, 0}, {25.0005, 0}, {25.0005, 10}}, 10, 5, lines));
  ASSERT_EQ(lines.size(), 5u);
  ExpectPoint(lines[2][0], 20, 5);
  ExpectPoint(lines[3][0], 25.0005 - 5, 0);  // left of northwards is west
  ExpectPoint(lines[3][1], 25.0005 + 5, 0);
  for (const Polyline& l : lines) EXPECT_NEAR(Length(l), 10, 1e-9);
}

TEST(RunlineGeometry, ParallelLinesLeftThenRightPerOffset) {
  struct Case {
    double spacing, length;
    std::size_t lines;
  } cases[] = {{10, 100, 20}, {10, 25, 4}, {10, 5, 0}, {3, 10, 6}};
  for (const Case& c : cases) {
    std::vector<Polyline> lines;
    ASSERT_TRUE(ParallelLines({{0, 0}, {100, 0}}, c.spacing, c.length, lines));
    ASSERT_EQ(lines.size(), c.lines) << c.spacing << " " << c.length;
    for (std::size_t k = 0; k < lines.size() / 2; ++k) {
      const double o = (k + 1) * c.spacing;
      ExpectPoint(lines[2 * k][0], 0, o);
      ExpectPoint(lines[2 * k][1], 100, o);
      ExpectPoint(lines[2 * k + 1][0], 0, -o);
      ExpectPoint(lines[2 * k + 1][1], 100, -o);
    }
  }
}

TEST(RunlineGeometry, NormalsAtCornersRunAlongTheBisector) {
  const double h = std::sqrt(0.5);
  struct Case {
    Polyline route;
    std::vector<Point> normals;
  } cases[] = {
      {{{0, 0}, {100, 0}, {100, 100}}, {{0, 1}, {-h, h}, {-1, 0}}},
      // Turning back on itself: the mean is zero and stays so.
      {{{0, 0}, {10, 0}, {0, 0}}, {{0, 1}, {0, 0}, {0, -1}}},
      // An end on a tiny segment keeps the zero normal; the inner point
      // takes half the other normal, made unit.
      {{{0, 0}, {0.0001, 0}, {0.0001, 50}}, {{0, 0}, {-1, 0}, {-1, 0}}},
  };
  for (const Case& c : cases) {
    const std::vector<Point> n = PointNormals(c.route);
    ASSERT_EQ(n.size(), c.normals.size());
    for (std::size_t j = 0; j < n.size(); ++j) ExpectPoint(n[j], c.normals[j].first, c.normals[j].second);
  }
  // The corner offset is not lengthened for the angle.
  std::vector<Polyline> lines;
  ASSERT_TRUE(ParallelLines({{0, 0}, {100, 0}, {100, 100}}, 10, 10, lines));
  ASSERT_EQ(lines.size(), 2u);
  ExpectPoint(lines[0][1], 100 - 10 * h, 10 * h);
  ExpectPoint(lines[1][1], 100 + 10 * h, -10 * h);
}

TEST(RunlineGeometry, GenerationsBeyondTheLimitLayNothing) {
  std::vector<Polyline> lines;
  EXPECT_TRUE(PerpendicularLines({{0, 0}, {100, 0}}, 0.015625, 1, lines));
  EXPECT_EQ(lines.size(), 6401u);
  EXPECT_FALSE(PerpendicularLines({{0, 0}, {100, 0}}, 0.001, 1, lines));
  EXPECT_TRUE(lines.empty());
  // A spacing lost in the rounding of the distance run ends too.
  EXPECT_FALSE(PerpendicularLines({{5e5, 4e6}, {5e5 + 100, 4e6}}, 1e-300, 1, lines));
  EXPECT_TRUE(ParallelLines({{0, 0}, {100, 0}}, 1, 5000, lines));
  EXPECT_EQ(lines.size(), 10000u);
  EXPECT_FALSE(ParallelLines({{0, 0}, {100, 0}}, 1, 5001, lines));
  EXPECT_FALSE(ParallelLines({{0, 0}, {100, 0}}, 1e-300, 1e300, lines));
  EXPECT_TRUE(lines.empty());
}

std::size_t ShapesOn(const TQuarixCanvasModel& map, int layer) {
  std::size_t n = 0;
  for (const TQShape* s : map.Shapes) n += s->Layer == layer;
  return n;
}

TEST(RunlineLayers, GenerationReplacesTheRunlineLayer) {
  TQuarixCanvasModel map;
  const int user = map.LayerOpen("quarix_usershape");
  map.DrawLine(0, 0, 1, 1, user);
  const Polyline route{{0, 0}, {100, 0}};

  Generation g = Generate(map, route, 10, 100, true);
  ASSERT_GE(g.Layer, 0);
  EXPECT_EQ(map.FindLayer(g.Layer)->Name, "Quarix_Runlines");
  EXPECT_EQ(map.CurrentLayer, user);
  EXPECT_EQ(g.Lines, 11u);
  EXPECT_EQ(ShapesOn(map, g.Layer), 12u);  // the route copy first
  const auto* copy = dynamic_cast<const TQPolyline*>(map.Shapes[1]);
  ASSERT_NE(copy, nullptr);
  EXPECT_FALSE(copy->Closed);
  EXPECT_EQ(copy->Points.size(), 2u);

  g = Generate(map, route, 10, 100, false);
  EXPECT_EQ(ShapesOn(map, g.Layer), 21u);
  EXPECT_EQ(ShapesOn(map, user), 1u);

  g = Generate(map, route, 0.001, 100, true);
  EXPECT_TRUE(g.TooMany);
  EXPECT_EQ(ShapesOn(map, g.Layer), 1u);

  EXPECT_EQ(Generate(map, {{1, 1}}, 10, 100, true).Layer, -1);
  EXPECT_EQ(ShapesOn(map, g.Layer), 1u);

  EXPECT_TRUE(ClearRunlineLayer(map));
  EXPECT_EQ(ShapesOn(map, g.Layer), 0u);
  EXPECT_EQ(ShapesOn(map, user), 1u);
}

TEST(RunlineLayers, ClearingFindsTheLayerByName) {
  TQuarixCanvasModel map;
  EXPECT_FALSE(ClearRunlineLayer(map));
  const int other = map.LayerOpen("other");
  map.DrawLine(0, 0, 1, 1, other);
  EXPECT_FALSE(ClearRunlineLayer(map));
  EXPECT_EQ(ShapesOn(map, other), 1u);
}

TEST(RunlineLayers, RouteLayerReadiedForOnePolyline) {
  TQuarixCanvasModel map;
  map.KeepTool = true;
  const int layer = PrepareRouteLayer(map);
  EXPECT_EQ(map.FindLayer(layer)->Name, "Quarix_Route");
  map.DrawPolyline({{0, 0}, {5, 5}}, layer, false);
  map.CurrentLayer = 0;
  EXPECT_EQ(PrepareRouteLayer(map), layer);
  EXPECT_EQ(ShapesOn(map, layer), 0u);
  EXPECT_EQ(map.CurrentLayer, layer);
  EXPECT_EQ(map.CurrentTool, stPolyline);
  EXPECT_FALSE(map.KeepTool);
}

TEST(RunlineSettings, DefaultsAndRoundTrip) {
  TempEnv env;
  IniFile ini;
  Settings s = ReadSettings(ini);
  EXPECT_EQ(s.Spacing, "10");
  EXPECT_EQ(s.Length, "100");
  EXPECT_TRUE(s.Perpendicular);
  WriteSettings(ini, {"2,5", "x", false});
  s = ReadSettings(IniFile());
  EXPECT_EQ(s.Spacing, "2,5");
  EXPECT_EQ(s.Length, "x");
  EXPECT_FALSE(s.Perpendicular);
  EXPECT_EQ(IniFile().ReadString("RUNLINE", "Perpendicular", ""), "0");
}

}  // namespace
