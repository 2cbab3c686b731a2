// The profile graph model: list lines to points and back, extents, scales,
// the lasso test and the wheel zoom.
#include <gtest/gtest.h>

#include "planning/svpgraph.h"

using Lines = std::vector<std::string>;

namespace {
std::vector<TSVPPoint> Points(std::initializer_list<std::pair<int, double>> pts) {
  std::vector<TSVPPoint> v;
  for (const auto& [d, sv] : pts) v.push_back(TSVPPoint{d, sv, 1, false});
  return v;
}
}  // namespace

TEST(SvpGraphModel, LinesToPointsAndBack) {
  const auto pts = svp::ParseProfile({"0,1500.125,2", "", "x", "3,1501.5", "5,1502,0,junk", "7"});
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_EQ(pts[1].depth, 3);
  EXPECT_EQ(pts[1].hits, 1);
  EXPECT_EQ(svp::ProfileLines(pts), (Lines{"0,1500.13,2", "3,1501.50,1", "5,1502.00,0"}));
}

TEST(SvpGraphModel, Extents) {
  const struct {
    std::vector<TSVPPoint> pts;
    svp::ViewExtents want;
  } cases[] = {
      {Points({{0, 1500}, {10, 1500}}), {1499.5, 1500.5, 0, 10}},
      {Points({{2, 1480}, {40, 1520}}), {1478, 1522, 2, 40}},
      {Points({{5, 1650}, {6, 1700}}), {1595, 1705, 5, 6}},  // the start value 1600 stays in force
  };
  for (const auto& c : cases) {
    svp::ViewExtents v;
    svp::ComputeExtents(c.pts, v);
    EXPECT_DOUBLE_EQ(v.MinSV, c.want.MinSV);
    EXPECT_DOUBLE_EQ(v.MaxSV, c.want.MaxSV);
    EXPECT_DOUBLE_EQ(v.MinDepth, c.want.MinDepth);
    EXPECT_DOUBLE_EQ(v.MaxDepth, c.want.MaxDepth);
  }
  svp::ViewExtents kept{1, 2, 3, 4};
  svp::ComputeExtents({}, kept);
  EXPECT_EQ(kept.MinSV, 1);
  EXPECT_EQ(kept.MaxDepth, 4);
}

TEST(SvpGraphModel, ScalesTruncateAndInvert) {
  svp::Scales s;
  s.view = {1500, 1600, 0, 100};
  s.width = 180;   // plot 100 px wide
  s.height = 160;  // plot 100 px high
  EXPECT_EQ(s.SVToX(1500), 60);
  EXPECT_EQ(s.SVToX(1550.99), 110);
  EXPECT_EQ(s.DepthToY(100), 120);
  EXPECT_DOUBLE_EQ(s.XToSV(110), 1550);
  EXPECT_DOUBLE_EQ(s.YToDepth(70), 50);
  s.view.MaxSV = s.view.MinSV;
  EXPECT_EQ(s.SVToX(1700), 60);
  s.width = 80;
  EXPECT_DOUBLE_EQ(s.XToSV(300), 1500);

  const auto pts = Points({{0, 1500}, {50, 1550}});
  s.view = {1500, 1600, 0, 100};
  s.width = 180;
  EXPECT_EQ(svp::HitTest(pts, s, 117, 77), 1);
  EXPECT_EQ(svp::HitTest(pts, s, 118, 70), -1);
}

TEST(SvpGraphModel, LassoIsEvenOdd) {
  const std::vector<std::pair<int, int>> square = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_TRUE(svp::PointInPolygon(square, 5, 5));
  EXPECT_FALSE(svp::PointInPolygon(square, 15, 5));
  EXPECT_FALSE(svp::PointInPolygon({{0, 0}, {10, 10}}, 5, 5));
  // A bow tie: its crossing region is inside both halves.
  const std::vector<std::pair<int, int>> bow = {{0, 0}, {10, 10}, {10, 0}, {0, 10}};
  EXPECT_TRUE(svp::PointInPolygon(bow, 2, 5));
  EXPECT_FALSE(svp::PointInPolygon(bow, 5, 1));
}

TEST(SvpGraphModel, WheelZoomKeepsTheValueUnderTheMouseAndStopsAt5) {
  svp::Scales s;
  s.view = {1400, 1600, 0, 200};
  s.width = 280;
  s.height = 260;
  const double sv = s.XToSV(110), d = s.YToDepth(70);
  svp::WheelZoom(s, 110, 70, true);
  EXPECT_NEAR(s.view.MaxSV - s.view.MinSV, 180, 1e-9);
  EXPECT_NEAR(s.XToSV(110), sv, 1e-9);
  EXPECT_NEAR(s.YToDepth(70), d, 1e-9);
  for (int i = 0; i < 200; ++i) svp::WheelZoom(s, 110, 70, true);
  EXPECT_DOUBLE_EQ(s.view.MaxSV - s.view.MinSV, 5);
  EXPECT_DOUBLE_EQ(s.view.MaxDepth - s.view.MinDepth, 5);
  svp::WheelZoom(s, 110, 70, false);
  EXPECT_NEAR(s.view.MaxSV - s.view.MinSV, 5.5, 1e-9);
}

TEST(SvpGraphModel, DepthGridStep) {
  EXPECT_EQ(svp::DepthGridStep(0, 200), 10);
  EXPECT_EQ(svp::DepthGridStep(0, 300), 50);
  EXPECT_EQ(svp::DepthGridStep(0, 501), 100);
}
