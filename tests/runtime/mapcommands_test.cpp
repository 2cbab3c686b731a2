// Distance, bearing and texts of the main window's map commands.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/mapcommands.h"

namespace {

TEST(MapCommands, PlanarDistance) {
  EXPECT_EQ(PlanarDistance(0, 0, 3, 4), 5.0);
  EXPECT_EQ(PlanarDistance(3, 4, 0, 0), 5.0);
  EXPECT_EQ(PlanarDistance(7, 7, 7, 7), 0.0);
  // Grid coordinates of millions of metres keep the centimetres.
  EXPECT_NEAR(PlanarDistance(500000.01, 4400000.02, 500003.01, 4400004.02), 5.0, 1e-9);
}

TEST(MapCommands, GridBearingClockwiseFromGridNorth) {
  const struct {
    double dx, dy, degrees;
  } cases[] = {
      {0, 10, 0},     {10, 10, 45},   {10, 0, 90},     {10, -10, 135}, {0, -10, 180},
      {-10, -10, 225}, {-10, 0, 270}, {-10, 10, 315},  {0, 0, 0},      {1, -1e-9, 90},
      {-1e-20, 1, 0},  // a hair west of north is north, never a full turn
  };
  for (const auto& c : cases) {
    const double b = GridBearing(500000, 4400000, 500000 + c.dx, 4400000 + c.dy);
    EXPECT_GE(b, 0.0) << c.dx << "," << c.dy;
    EXPECT_LT(b, 2 * M_PI) << c.dx << "," << c.dy;
    EXPECT_NEAR(b * 180 / M_PI, c.degrees, 1e-6) << c.dx << "," << c.dy;
  }
}

TEST(MapCommands, TrackClearings) {
  const struct {
    TrackClear which;
    const char *question, *layer, *log;
  } cases[] = {
      {TrackClear::Fixed, "Fixed/Float/DGPS tracking points to be cleared. Continue?", "track_fix",
       "Cleared Fixed/Float/DGPS tracklines"},
      {TrackClear::Float, "Autonomous tracking points to be cleared. Continue?", "track_float",
       "Cleared Autonomous tracklines"},
      {TrackClear::Auto, "NoFix tracking points to be cleared. Continue?", "track_nofix",
       "Cleared NoFix tracklines"},
  };
  for (const auto& c : cases) {
    const TrackClearing& t = TrackClearingFor(c.which);
    EXPECT_STREQ(t.question, c.question);
    EXPECT_STREQ(t.layerName, c.layer);
    EXPECT_STREQ(t.logText, c.log);
  }
}

TEST(MapCommands, StatusTexts) {
  EXPECT_EQ(SelectionCountText(3, true), "3 track(s) selected. Press Delete to remove.");
  EXPECT_EQ(SelectionCountText(1, false), "1 shape(s) selected. Press Delete to remove.");
  EXPECT_EQ(SelectionCountText(0, true), "");
  EXPECT_EQ(ClickedText(500123.456, 4400123), "Clicked: E500123.46, N4400123.00");
  EXPECT_EQ(ClickedText(-0.005, 0), "Clicked: E-0.01, N0.00");
}

}  // namespace
