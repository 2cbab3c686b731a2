#pragma once
// The model of the profile graph editor without widgets: the points of an
// averaged profile, their list lines, the view extents, the pixel scales and
// the lasso test.
#include <string>
#include <utility>
#include <vector>

// One profile point.
struct TSVPPoint {
  int depth = 0;      // whole metres
  double SV = 0;      // m/s
  int hits = 1;       // samples averaged; 0 for a filled metre
  bool selected = false;
};

namespace svp {

// Points from list lines "%d,%lf,%d" in line order; a line with depth and SV
// only gets 1 hit; other lines are skipped.
std::vector<TSVPPoint> ParseProfile(const std::vector<std::string>& lines);
// One line per point: depth, SV with 2 decimals, hits.
std::vector<std::string> ProfileLines(const std::vector<TSVPPoint>& points);

struct ViewExtents {
  double MinSV = 0, MaxSV = 0, MinDepth = 0, MaxDepth = 0;
};
// The data extents with 5 % padding on the SV span (at least 10 m/s);
// unchanged when there is no point.
void ComputeExtents(const std::vector<TSVPPoint>& points, ViewExtents& view);

// Plot margins in pixels.
struct Margins {
  int left = 60, top = 20, right = 20, bottom = 40;
};

// Pixel scales of a plot of width w and height h.
struct Scales {
  ViewExtents view;
  Margins margins;
  int width = 0, height = 0;
  int SVToX(double sv) const;
  int DepthToY(double depth) const;
  double XToSV(int x) const;
  double YToDepth(int y) const;
};

// Index of the first point within 8 pixels in x and y of (x, y), -1 when none.
int HitTest(const std::vector<TSVPPoint>& points, const Scales& s, int x, int y);

// Even-odd test of (x, y) against the closed outline, integer arithmetic.
bool PointInPolygon(const std::vector<std::pair<int, int>>& outline, int x, int y);

// Zoom by the wheel around (px, py): factor 0.9 in, 1.1 out; spans at least 5.
void WheelZoom(Scales& s, int px, int py, bool zoomIn);

// Grid step of the depth axis: 10 m, 50 m above 200 m of range, 100 m above 500 m.
double DepthGridStep(double minDepth, double maxDepth);

}  // namespace svp
