#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "runtime/echogram.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<std::string> Labels(const std::vector<EchogramGridLine>& lines) {
  std::vector<std::string> out;
  for (const auto& l : lines) out.push_back(l.label);
  return out;
}

struct ScaleCase {
  const char* name;
  std::vector<double> samples;
  double top, bottom, step;
  std::vector<std::string> labels;  // grid labels on a 147-pixel picture
};

TEST(EchogramScale, FollowsTheSamples) {
  const std::vector<ScaleCase> cases = {
      {"three samples", {10, 11, 12}, 0, 50, 20, {"0m", "20m", "40m"}},
      {"all equal", {7, 7, 7, 7, 7}, 0, 50, 20, {"0m", "20m", "40m"}},
      {"margin raised to 0.3", {10.0, 10.1, 10.3, 10.5}, 9.7, 10.8, 0.5, {"10.0m", "10.5m"}},
      {"margin of 10 %", {5, 25, 10, 15}, 3, 27, 10, {"10m", "20m"}},
      {"top held at the surface", {0.2, 1, 1.5, 2}, 0, 2.3, 1, {"0m", "1m", "2m"}},
      {"no depths and bad values skipped", {0, -1, kNaN, kInf, 5, 25, 10, 15}, 3, 27, 10,
       {"10m", "20m"}},
      {"only three usable among bad values", {0, -4, kNaN, 5, 25, 10}, 0, 50, 20,
       {"0m", "20m", "40m"}},
  };
  for (const auto& c : cases) {
    const EchogramScale s =
        ScaleForSamples(c.samples.data(), static_cast<int>(c.samples.size()), 0.0, 50.0);
    EXPECT_NEAR(s.top, c.top, 1e-9) << c.name;
    EXPECT_NEAR(s.bottom, c.bottom, 1e-9) << c.name;
    EXPECT_NEAR(s.range, c.bottom - c.top, 1e-9) << c.name;
    EXPECT_NEAR(EchogramGridStep(s.range), c.step, 1e-12) << c.name;
    EXPECT_EQ(Labels(EchogramGridLines(s, 147)), c.labels) << c.name;
  }
}

TEST(EchogramScale, EmptyFallbackSpanStillDivides) {
  const double none[] = {0};
  const EchogramScale s = ScaleForSamples(none, 1, 5.0, 5.0);
  EXPECT_EQ(s.range, 1);
}

TEST(EchogramGrid, StepsAndDecimals) {
  struct Case {
    double range, step;
    int decimals;
  };
  const Case cases[] = {
      {1, 0.25, 1}, {4, 1, 0},   {8, 2, 0},        {10, 2.5, 0},   {20, 5, 0},
      {24, 10, 0},  {40, 10, 0}, {50, 20, 0},      {1.1, 0.5, 1},  {0.4, 0.1, 1},
      {0.3, 0.1, 1}, {0.2, 0.05, 2}, {2000, 500, 0},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(EchogramGridStep(c.range), c.step, c.step * 1e-12) << c.range;
    EXPECT_EQ(EchogramGridDecimals(EchogramGridStep(c.range)), c.decimals) << c.range;
  }
  for (double bad : {0.0, -3.0, kNaN, kInf}) EXPECT_EQ(EchogramGridStep(bad), 0) << bad;
}

TEST(EchogramGrid, LineOnTheBottomEdgeIsKept) {
  // 0 .. 40 m: step 10, the 40 m line lies on row 147 (its label below the window).
  const EchogramScale s{0, 40, 40};
  const auto lines = EchogramGridLines(s, 147);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines.front().y, 0);
  EXPECT_EQ(lines[1].y, 36);  // trunc(10 * 147 / 40) = trunc(36.75)
  EXPECT_EQ(lines.back().y, 147);
  EXPECT_EQ(lines.back().label, "40m");
}

TEST(EchogramHistory, ShiftsTheNewestInAndComputesRows) {
  EchogramHistory h;
  for (double d : {5.0, 25.0, 10.0}) h.Draw(d, 0, 50, 4, 400, 100);
  const EchogramPicture p = h.Draw(15.0, 0, 50, 4, 400, 100);
  EXPECT_EQ(h.Depths()[0], 5.0);
  EXPECT_EQ(h.Depths()[3], 15.0);
  EXPECT_EQ(h.Depths()[4], 0.0);
  // Scale 3 .. 27 m on 100 rows.
  EXPECT_EQ(h.Rows()[0], 8);    // trunc(2 * 100 / 24)
  EXPECT_EQ(h.Rows()[1], 91);   // trunc(22 * 100 / 24)
  EXPECT_EQ(h.Rows()[3], 50);
  ASSERT_EQ(p.columns.size(), 4u);
  EXPECT_EQ(p.columns[1].x0, 100);
  EXPECT_EQ(p.columns[1].x1, 200);
  EXPECT_EQ(p.columns[1].y, 91);
  ASSERT_EQ(p.profile.size(), 3u);
  EXPECT_EQ(p.profile[0].x0, 50);
  EXPECT_EQ(p.profile[0].y0, 8);
  EXPECT_EQ(p.profile[0].x1, 150);
  EXPECT_EQ(p.profile[0].y1, 91);
  ASSERT_TRUE(p.latestText);
  EXPECT_EQ(*p.latestText, "15.0m");
  // Latest bottom at row 50: the leader runs from it down to the box.
  ASSERT_TRUE(p.leader);
  EXPECT_EQ(p.leader->x0, 360);
  EXPECT_EQ(p.leader->y0, 50);
  EXPECT_EQ(p.leader->y1, 72);
}

TEST(EchogramHistory, MissingSampleLeavesAGap) {
  EchogramHistory h;
  EchogramPicture p;
  for (double d : {5.0, 0.0, 10.0, 12.0, 15.0, -2.0}) p = h.Draw(d, 0, 50, 6, 60, 100);
  // Columns only for 5, 10, 12, 15; the profile only joins 10-12 and 12-15.
  ASSERT_EQ(p.columns.size(), 4u);
  EXPECT_EQ(p.columns[0].x0, 0);
  EXPECT_EQ(p.columns[1].x0, 20);
  ASSERT_EQ(p.profile.size(), 2u);
  EXPECT_EQ(p.profile[0].x0, 25);
  EXPECT_EQ(p.profile[1].x1, 45);
  EXPECT_FALSE(p.latestText);  // the latest sample has no depth: no box
  EXPECT_FALSE(p.leader);
  EXPECT_EQ(h.Rows()[1], 0);
}

TEST(EchogramHistory, CountIsHeldToTheHistory) {
  EchogramHistory h;
  h.Draw(3.0, 0, 50, 100000, 388, 147);
  EXPECT_EQ(h.Depths()[kEchogramHistorySize - 1], 3.0);
  const EchogramPicture p = h.Draw(4.0, 0, 50, -7, 388, 147);  // one sample
  EXPECT_EQ(h.Depths()[0], 4.0);
  ASSERT_EQ(p.columns.size(), 1u);
  EXPECT_EQ(p.columns[0].x1, 388);
  EXPECT_EQ(ClampEchogramWidth(201), 200);
  EXPECT_EQ(ClampEchogramWidth(0), 1);
  EXPECT_EQ(ClampEchogramWidth(80), 80);
  EXPECT_EQ(ValidEchogramInterval(0), 100);
  EXPECT_EQ(ValidEchogramInterval(-5), 100);
  EXPECT_EQ(ValidEchogramInterval(1), 1);
}

TEST(EchogramHistory, EmptyAreaMovesNothing) {
  EchogramHistory h;
  h.Draw(3.0, 0, 50, 10, 0, 147);
  h.Draw(3.0, 0, 50, 10, 388, 0);
  for (double d : h.Depths()) EXPECT_EQ(d, 0.0);
}

TEST(EchogramHistory, HugeDepthOutsideTheScaleStaysDrawable) {
  EchogramHistory h;
  const EchogramPicture p = h.Draw(1e300, 0, 50, 3, 300, 147);
  ASSERT_EQ(p.columns.size(), 1u);
  EXPECT_EQ(p.columns[0].y, 147);  // clamped to the window
}

TEST(EchogramWindowEdges, BandOfSixPixels) {
  struct Case {
    int x, y;
    EchogramEdge edge;
  };
  const Case cases[] = {
      {5, 70, EchogramEdge::Left},        {6, 70, EchogramEdge::None},
      {382, 70, EchogramEdge::Right},     {381, 70, EchogramEdge::None},
      {200, 5, EchogramEdge::Top},        {200, 141, EchogramEdge::Bottom},
      {200, 140, EchogramEdge::None},     {0, 0, EchogramEdge::TopLeft},
      {387, 0, EchogramEdge::TopRight},   {3, 146, EchogramEdge::BottomLeft},
      {387, 146, EchogramEdge::BottomRight},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EchogramEdgeAt(c.x, c.y, 388, 147), c.edge) << c.x << "," << c.y;
  EXPECT_EQ(static_cast<int>(EchogramEdge::TopLeft), 13);
  EXPECT_EQ(static_cast<int>(EchogramEdge::BottomRight), 17);
}

// The main window's watchdog variables.
struct WatchState {
  uint32_t openTick = 0, lastDepthTick = 0;
  bool reported = false, dataSeen = false;
  SounderWatchdog dog{openTick, lastDepthTick, reported, dataSeen};
};

TEST(SounderWatchdog, ReportsEachSilenceOnce) {
  WatchState s;
  SounderWatchdog& w = s.dog;
  EXPECT_FALSE(w.Check(100000));  // not armed before the Realtime command
  w.Arm(1000);
  EXPECT_FALSE(w.Check(6000));  // exactly 5000 ms
  EXPECT_TRUE(w.Check(6001));
  EXPECT_TRUE(s.reported);
  EXPECT_FALSE(s.dataSeen);
  for (uint32_t t : {7000u, 20000u, 900000u}) EXPECT_FALSE(w.Check(t)) << t;

  EXPECT_TRUE(w.DepthLine(900100));  // first line after the report shows the echogram again
  EXPECT_FALSE(w.DepthLine(901000));
  EXPECT_EQ(s.lastDepthTick, 901000u);
  EXPECT_FALSE(s.reported);
  EXPECT_TRUE(s.dataSeen);
  EXPECT_FALSE(w.Check(906000));
  EXPECT_TRUE(w.Check(906001));  // the next silence is reported again
  EXPECT_FALSE(w.Check(906002));

  w.Disarm();
  EXPECT_EQ(s.openTick, 0u);
  EXPECT_EQ(s.lastDepthTick, 0u);
  EXPECT_FALSE(s.dataSeen);
  EXPECT_FALSE(w.Check(2000000));
}

TEST(SounderWatchdog, CountsAcrossTheTickWrap) {
  WatchState s;
  SounderWatchdog& w = s.dog;
  w.Arm(0xFFFFF000u);
  EXPECT_FALSE(w.Check(0x00000388u));  // 5000 ms later
  EXPECT_TRUE(w.Check(0x00000389u));
  w.Arm(0xFFFFFF00u);  // a new survey re-arms it
  EXPECT_FALSE(s.reported);
  EXPECT_TRUE(w.DepthLine(0xFFFFFFF0u));
  EXPECT_FALSE(w.Check(0x00001378u));
  EXPECT_TRUE(w.Check(0x00001379u));
}

}  // namespace
