#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/navloop.h"

namespace {

using namespace navloop;

TEST(SurveyNavLoop, FixNamesAndStatusTexts) {
  const std::vector<std::pair<int, std::string>> names = {
      {0, "No Fix"}, {1, "GPS"}, {2, "DGPS"}, {3, "Fix:3"}, {4, "RTK Fix"}, {5, "RTK Float"}, {6, "Fix:6"}, {-1, "Fix:-1"}};
  for (const auto& [q, name] : names) EXPECT_EQ(FixName(q), name) << q;

  struct Row {
    int quality;
    const char* speedLabel;
    int satellites;
    double antenna;
    const char* tide;
    const char* status;
  };
  const std::vector<Row> rows = {
      {4, "5.4", 12, 48.6, "47.10", "RTK Fix | Spd: 5.4 kn | SV: 12 | Ant: 48.60 m | Tide: 47.10 m"},
      {3, "---", 0, 0, "-", "Fix:3 | Spd: 0.0 kn | SV: 0 | Ant: 0.00 m | Tide: - m"},
      {1, "12.25", 7, -0.125, "0.00", "GPS | Spd: 12.3 kn | SV: 7 | Ant: -0.13 m | Tide: 0.00 m"},
  };
  for (const Row& r : rows) EXPECT_EQ(StatusText(r.quality, r.speedLabel, r.satellites, r.antenna, r.tide), r.status);

  const std::string status = "RTK Fix | Spd: 5.4 kn | SV: 12 | Ant: 48.60 m | Tide: 47.10 m";
  EXPECT_EQ(OverlayText(status, true, 12.675, false), status + " | Depth: 12.68 m");
  EXPECT_EQ(OverlayText(status, false, 12.675, false), status);
  EXPECT_EQ(OverlayText(status, true, 0, false), status);
  EXPECT_EQ(OverlayText(status, true, 12.5, true), "*** EMPTY GGA - NO POSITION ***");

  const RealtimeLabels shown = RealtimeLabelTexts(4, 48.6, true, 47.1, 12);
  EXPECT_EQ(shown.fixed, "4");
  EXPECT_EQ(shown.antennaHeight, "48.60");
  EXPECT_EQ(shown.tide, "-");
  EXPECT_EQ(shown.satellites, "12");
  EXPECT_EQ(RealtimeLabelTexts(4, 48.6, false, 47.1, 12).tide, "47.10");
}

TEST(SurveyNavLoop, PositionAndPanelTexts) {
  EXPECT_EQ(PositionText(0, 9), "0 9");
  EXPECT_EQ(PositionText(41.0123456789, -29.5, 12.5), "41.0123456789 -29.5 12.5");
  EXPECT_EQ(DmsPanelText(41.009, -29.5), "41\u00B00'32.400\"N, 29\u00B030'0.000\"W");
  EXPECT_EQ(DmsPanelText(-0.5, 9), "0\u00B030'0.000\"S, 9\u00B00'0.000\"E");
  EXPECT_EQ(GridPanelText(500000, 1000.005), "E500000.00, N1000.01");
}

TEST(SurveyNavLoop, FirstTickGeodeticTexts) {
  DatumEditTexts t{"6378137", "0.0033528106647474", "0", "0", "0", "0", "0", "0", "0"};
  EXPECT_EQ(DatumParamsText(t),
            "6378137.0  0.0033528106647474  0.0  0.0  0.0  0.0  0.0  0.0  0.0 6378137 0.0033528106647474 0 0 0 0 0 0 0");
  EXPECT_EQ(TMEllipsoidText("6378137", "0.0033528106647474"), "6378137.0 0.0033528106647474 6378137 0.0033528106647474");
  EXPECT_EQ(TMParameterText("9", "0", "0.9996", "500000", "1000"), "9 0 0.9996 500000 1000");
}

TEST(SurveyNavLoop, LambertConvergenceHasTheTransverseMercatorSign) {
  struct Row {
    double n, lon, cm, expected;
  };
  const std::vector<Row> rows = {
      {0.7, 32, 30, -1.4}, {0.7, 28, 30, 1.4}, {0.7, 30, 30, 0}, {0.5, 179, -179, 1.0}, {0.5, -179, 179, -1.0},
  };
  for (const Row& r : rows) EXPECT_NEAR(LambertConvergence(r.n, r.lon, r.cm), r.expected, 1e-12) << r.lon;
}

TEST(SurveyNavLoop, VesselSymbolGeometry) {
  const VesselGeometry g{3, 10, 5, 10, 4};
  struct Row {
    double heading;
    Point bow, right, left;
  };
  const std::vector<Row> rows = {
      {0, {100, 210}, {104, 200}, {96, 200}},
      {90, {110, 200}, {100, 196}, {100, 204}},
      {180, {100, 190}, {96, 200}, {104, 200}},
  };
  for (const Row& r : rows) {
    const VesselSymbol s = VesselSymbolAt(100, 200, r.heading, g);
    ASSERT_EQ(s.lines.size(), 5u);
    const Point p{100, 200};
    const std::vector<Segment> expected = {{p, r.bow}, {p, r.right}, {p, r.left}, {r.bow, r.right}, {r.bow, r.left}};
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_NEAR(s.lines[i].from.x, expected[i].from.x, 1e-9) << r.heading << " line " << i;
      EXPECT_NEAR(s.lines[i].from.y, expected[i].from.y, 1e-9) << r.heading << " line " << i;
      EXPECT_NEAR(s.lines[i].to.x, expected[i].to.x, 1e-9) << r.heading << " line " << i;
      EXPECT_NEAR(s.lines[i].to.y, expected[i].to.y, 1e-9) << r.heading << " line " << i;
    }
    ASSERT_EQ(s.circles.size(), 3u);
    EXPECT_EQ(s.circles[0].radius, 5);
    EXPECT_EQ(s.circles[2].radius, 25);
    EXPECT_EQ(s.circles[1].centre.x, 100);
  }
  EXPECT_TRUE(VesselSymbolAt(0, 0, 0, g).lines.empty());          // no position: nothing
  EXPECT_TRUE(VesselSymbolAt(5, 0, 0, VesselGeometry{}).circles.empty());
  EXPECT_EQ(VesselSymbolAt(5, 0, 0, VesselGeometry{}).lines.size(), 5u);  // collapsed arrow
  EXPECT_EQ(VesselSymbolAt(5, 0, 0, VesselGeometry{1000000, 1, 1, 1, 1}).circles.size(),
            static_cast<std::size_t>(kMaxRangeCircles));
}

TEST(SurveyNavLoop, VesselGeometryEditsKeepValues) {
  VesselGeometryEdits edits;
  std::vector<std::string> reports;
  VesselGeometry g = edits.Read({"", "", "", "", ""}, reports);  // all empty from the start
  EXPECT_EQ(g.circles, 0);
  EXPECT_EQ(g.bowLength, 0);
  EXPECT_TRUE(reports.empty());
  g = edits.Read({"2", "10", "5", "3", "12"}, reports);
  EXPECT_EQ(g.circles, 2);
  EXPECT_EQ(g.halfWidth, 3);
  EXPECT_EQ(g.bowLength, 12);
  g = edits.Read({"", "ten", "5", "3", "12"}, reports);
  EXPECT_EQ(g.circles, 2);
  EXPECT_EQ(g.interval, 10);
  EXPECT_EQ(reports.size(), 1u);
  edits.Read({"", "ten", "5", "3", "12"}, reports);
  EXPECT_EQ(reports.size(), 1u);
}

TEST(SurveyNavLoop, TrackSettingEditsKeepValues) {
  TrackSettingEdits edits;
  std::vector<std::string> reports;
  TrackSettings s = edits.Read({"3", "2", "20"}, reports);
  EXPECT_EQ(s.vesselWidth, 3);
  EXPECT_EQ(s.trackDistance, 20);
  EXPECT_TRUE(reports.empty());
  s = edits.Read({"3", "2", ""}, reports);  // every tick, but told once
  s = edits.Read({"3", "2", ""}, reports);
  EXPECT_EQ(s.trackDistance, 20);
  EXPECT_EQ(reports.size(), 1u);
}

TEST(SurveyNavLoop, TrackGate) {
  using Step = TrackGate::Step;
  struct Tick {
    double e, n;
    bool usable;
    Step step;
  };
  // Track distance 20, reference anchored at (1000, 1000).
  const std::vector<Tick> ticks = {
      {0, 0, false, Step::Unusable},         // empty GGA at the first tick: no anchor
      {1000, 1000, true, Step::Anchored},    // first usable position: anchor, no point
      {1019.9, 1000, true, Step::TooShort},  // 19.9 m
      {1020, 1000, true, Step::Accepted},    // 20 m
      {1220, 1000, true, Step::Jump},        // 200 m: a jump
      {1039.9, 1000, true, Step::TooShort},  // back near: the row of jumps is broken
      {1220, 1000, true, Step::Jump},
      {1221, 1000, true, Step::Jump},
      {1222, 1000, true, Step::Reanchored},  // third jump in a row: re-anchor, no point
      {1242, 1000, true, Step::Accepted},
      {5000, 5000, false, Step::Unusable},
  };
  TrackGate gate;
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    const TrackGate::Decision d = gate.Offer(ticks[i].e, ticks[i].n, 20, ticks[i].usable);
    EXPECT_EQ(d.step, ticks[i].step) << "tick " << i;
  }
  EXPECT_EQ(gate.Reference().x, 1242);

  // The accepted point's line runs from the previous reference.
  TrackGate line;
  line.Offer(10, 10, 20, true);
  const TrackGate::Decision d = line.Offer(10, 40, 20, true);
  EXPECT_EQ(d.step, Step::Accepted);
  EXPECT_EQ(d.reference.y, 10);

  // A restarted map timer anchors again without drawing (a stale reference
  // after an idle stop is not joined to the new position).
  line.Restart();
  EXPECT_EQ(line.Offer(10, 70, 20, true).step, Step::Anchored);
  EXPECT_EQ(line.Offer(10, 90, 20, true).step, Step::Accepted);

  EXPECT_TRUE(PositionUsable(false, 0, 9));
  EXPECT_FALSE(PositionUsable(false, 0, 0));
  EXPECT_FALSE(PositionUsable(true, 41, 29));
}

TEST(SurveyNavLoop, TrackStyles) {
  const TColor fix = 0x123456, flt = 0x654321;
  const std::vector<std::pair<int, TrackStyle>> rows = {
      {4, {"track_fix", fix}},   {5, {"track_float", flt}}, {2, {"track_float", flt}}, {3, {"track_float", flt}},
      {0, {"track_nofix", 255}}, {1, {"track_nofix", 255}}, {6, {"track_nofix", 255}},
  };
  for (const auto& [q, style] : rows) {
    const TrackStyle s = TrackStyleFor(q, fix, flt);
    EXPECT_EQ(s.layer, style.layer) << q;
    EXPECT_EQ(s.color, style.color) << q;
  }
}

TEST(SurveyNavLoop, Latency) {
  LatencyStats stats;
  struct Row {
    int ms;
    const char* current;
    const char* average;
  };
  const std::vector<Row> rows = {{10, "10", "10.0"}, {20, "20", "15.0"}, {0, "0", "10.0"}, {5, "5", "8.8"}};
  for (const Row& r : rows) {
    stats.Add(r.ms);
    EXPECT_EQ(stats.CurrentText(), r.current);
    EXPECT_EQ(stats.AverageText(), r.average);
  }
  EXPECT_EQ(stats.Count(), 4);
}

}  // namespace
