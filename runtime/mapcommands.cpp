#include "runtime/mapcommands.h"

#include <cmath>

#include "app/formats.h"

double PlanarDistance(double x1, double y1, double x2, double y2) {
  const long double dx = static_cast<long double>(x2) - x1;
  const long double dy = static_cast<long double>(y2) - y1;
  return static_cast<double>(std::sqrt(dx * dx + dy * dy));
}

double GridBearing(double startX, double startY, double endX, double endY) {
  const double dx = endX - startX;
  double dy = endY - startY;
  if (dy == 0) dy = 1e-16;
  const double ratio = dx / dy;
  double b = std::atan(ratio);
  if (dy < 0)
    b += M_PI;
  else if (ratio < 0)
    b += 2 * M_PI;
  // A bearing a hair west of north rounds up to a full turn: that is north.
  if (b >= 2 * M_PI) b = 0;
  return b;
}

const TrackClearing& TrackClearingFor(TrackClear which) {
  static const TrackClearing kFixed{"Fixed/Float/DGPS tracking points to be cleared. Continue?", "track_fix",
                                    "Cleared Fixed/Float/DGPS tracklines"};
  static const TrackClearing kFloat{"Autonomous tracking points to be cleared. Continue?", "track_float",
                                    "Cleared Autonomous tracklines"};
  static const TrackClearing kAuto{"NoFix tracking points to be cleared. Continue?", "track_nofix",
                                   "Cleared NoFix tracklines"};
  switch (which) {
    case TrackClear::Fixed: return kFixed;
    case TrackClear::Float: return kFloat;
    case TrackClear::Auto: break;
  }
  return kAuto;
}

std::string SelectionCountText(int count, bool tracks) {
  if (count <= 0) return {};
  return std::to_string(count) + (tracks ? " track(s) selected. Press Delete to remove."
                                         : " shape(s) selected. Press Delete to remove.");
}

std::string ClickedText(double x, double y) {
  return "Clicked: E" + FormatFixed(x, 2) + ", N" + FormatFixed(y, 2);
}
