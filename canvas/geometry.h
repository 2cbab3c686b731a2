#pragma once
// Plain geometry of the map: pixel conversion that never overflows, distances,
// the point-in-polygon rule, grid and scale-bar steps, the contrast colour.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/color.h"

// Pixel coordinates are held within +-kPixelLimit before they become ints, so
// a far-away world point can never overflow an int (or the rasterizer).
constexpr double kPixelLimit = 4194304.0;  // 2^22

// trunc(v) towards zero as an int, with v first held within +-kPixelLimit;
// NaN gives -kPixelLimit (far off the top-left corner).
inline int TruncPixel(double v) {
  if (!(v > -kPixelLimit)) return -static_cast<int>(kPixelLimit);
  if (v > kPixelLimit) return static_cast<int>(kPixelLimit);
  return static_cast<int>(v);
}

inline bool AllFinite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }
inline bool AllFinite(double a, double b, double c, double d) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// Clips the segment (x1, y1)-(x2, y2) to the box [xMin, xMax] x [yMin, yMax]
// (Liang-Barsky); false when nothing of it lies inside.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double xMin, double yMin, double xMax,
                 double yMax);

// Distance from (x, y) to the segment (x1, y1)-(x2, y2); a segment of zero
// length gives the distance to its first point.
double SegmentDistance(double x, double y, double x1, double y1, double x2, double y2);

// Even-odd crossing test over n vertices (closed implicitly). Both comparisons
// are strict: a point on a left or bottom edge counts as inside, on a right or
// top edge as outside.
template <typename P>
bool PointInPolygonT(double x, double y, const P* pts, std::size_t n) {
  bool inside = false;
  if (n == 0) return false;
  std::size_t j = n - 1;
  for (std::size_t i = 0; i < n; ++i) {
    const double xi = pts[i].x, yi = pts[i].y;
    const double xj = pts[j].x, yj = pts[j].y;
    if ((yi > y) != (yj > y)) {
      const double xc = (xj - xi) * (y - yi) / (yj - yi) + xi;
      if (x < xc) inside = !inside;
    }
    j = i;
  }
  return inside;
}

// The 1-2-5 rounding of a value: mantissa below 1.5 -> 1, below 3.5 -> 2,
// below 7.5 -> 5, otherwise 10.
double RoundTo125(double value);
// A step for a span split into about `divisions` parts; 1.0 for a span or a
// division count of 0 or less.
double NiceGridStep(double span, int divisions);

// Brightness (299 R + 587 G + 114 B) / 1000 of a colour, integer arithmetic.
int ColorBrightness(TColor c);
// The colour a shape of colour `color` is painted in on the background `back`.
TColor ContrastColor(TColor color, TColor back);

// Scale bar: the 1-2-5 length and its bar in pixels. The length is the largest
// 1-2-5 value whose bar is at most 150 pixels, so the label always names the
// length actually drawn.
struct TScaleBar {
  double Length = 0;  // world units
  int Pixels = 0;
};
bool ComputeScaleBar(double worldWidth, int widthPixels, TScaleBar& bar);
// The label of a scale-bar length: "1.0 km", "500 m", "20 cm".
std::string ScaleBarLabel(double length);
