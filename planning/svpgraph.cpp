#include "planning/svpgraph.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/formats.h"
#include "app/scanformat.h"

namespace svp {

std::vector<TSVPPoint> ParseProfile(const std::vector<std::string>& lines) {
  static const scanformat::Format format("%d,%lf,%d");
  std::vector<TSVPPoint> points;
  std::vector<double> values;
  for (const std::string& line : lines) {
    const int n = format.Scan(line, values);
    if (n < 2) continue;
    if (!(values[0] >= -2147483648.0 && values[0] <= 2147483647.0)) continue;
    TSVPPoint p;
    p.depth = static_cast<int>(values[0]);
    p.SV = values[1];
    p.hits = n >= 3 && values[2] >= -2147483648.0 && values[2] <= 2147483647.0 ? static_cast<int>(values[2]) : 1;
    points.push_back(p);
  }
  return points;
}

std::vector<std::string> ProfileLines(const std::vector<TSVPPoint>& points) {
  std::vector<std::string> lines;
  lines.reserve(points.size());
  for (const TSVPPoint& p : points)
    lines.push_back(std::to_string(p.depth) + "," + FormatFixed(p.SV, 2) + "," + std::to_string(p.hits));
  return lines;
}

void ComputeExtents(const std::vector<TSVPPoint>& points, ViewExtents& v) {
  if (points.empty()) return;
  v.MinSV = 1600;
  v.MaxSV = 1300;
  v.MinDepth = 10000;
  v.MaxDepth = 0;
  for (const TSVPPoint& p : points) {
    v.MinSV = std::min(v.MinSV, p.SV);
    v.MaxSV = std::max(v.MaxSV, p.SV);
    v.MinDepth = std::min(v.MinDepth, static_cast<double>(p.depth));
    v.MaxDepth = std::max(v.MaxDepth, static_cast<double>(p.depth));
  }
  double span = v.MaxSV - v.MinSV;
  if (span < 10) span = 10;
  const double pad = 0.05 * span;
  v.MinSV -= pad;
  v.MaxSV += pad;
}

namespace {
// Truncation towards zero into the int range (a zoom can push values far off).
int Trunc(double v) {
  if (!(v == v)) return 0;
  return static_cast<int>(std::clamp(std::trunc(v), -1.0e9, 1.0e9));
}
}  // namespace

int Scales::SVToX(double sv) const {
  if (view.MaxSV == view.MinSV) return margins.left;
  return margins.left +
         Trunc((sv - view.MinSV) / (view.MaxSV - view.MinSV) * (width - margins.left - margins.right));
}

int Scales::DepthToY(double depth) const {
  if (view.MaxDepth == view.MinDepth) return margins.top;
  return margins.top +
         Trunc((depth - view.MinDepth) / (view.MaxDepth - view.MinDepth) * (height - margins.top - margins.bottom));
}

double Scales::XToSV(int x) const {
  const int w = width - margins.left - margins.right;
  if (w == 0) return view.MinSV;
  return view.MinSV + (x - margins.left) * (view.MaxSV - view.MinSV) / w;
}

double Scales::YToDepth(int y) const {
  const int h = height - margins.top - margins.bottom;
  if (h == 0) return view.MinDepth;
  return view.MinDepth + (y - margins.top) * (view.MaxDepth - view.MinDepth) / h;
}

int HitTest(const std::vector<TSVPPoint>& points, const Scales& s, int x, int y) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (std::abs(s.SVToX(points[i].SV) - x) < 8 && std::abs(s.DepthToY(points[i].depth) - y) < 8)
      return static_cast<int>(i);
  }
  return -1;
}

bool PointInPolygon(const std::vector<std::pair<int, int>>& outline, int x, int y) {
  if (outline.size() < 3) return false;
  int crossings = 0;
  for (std::size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
    const long long xi = outline[i].first, yi = outline[i].second;
    const long long xj = outline[j].first, yj = outline[j].second;
    if ((yi > y) != (yj > y)) {
      const long long xc = xi + (y - yi) * (xj - xi) / (yj - yi);
      if (xc > x) ++crossings;
    }
  }
  return crossings % 2 == 1;
}

void WheelZoom(Scales& s, int px, int py, bool zoomIn) {
  const double sv0 = s.XToSV(px), d0 = s.YToDepth(py);
  const double factor = zoomIn ? 0.9 : 1.1;
  ViewExtents& v = s.view;
  const double sSV = v.MaxSV - v.MinSV, sD = v.MaxDepth - v.MinDepth;
  const double nSV = std::max(sSV * factor, 5.0), nD = std::max(sD * factor, 5.0);
  const double fx = sSV != 0 ? (sv0 - v.MinSV) / sSV : 0.5;
  const double fy = sD != 0 ? (d0 - v.MinDepth) / sD : 0.5;
  v.MinSV = sv0 - fx * nSV;
  v.MaxSV = sv0 + (1 - fx) * nSV;
  v.MinDepth = d0 - fy * nD;
  v.MaxDepth = d0 + (1 - fy) * nD;
}

double DepthGridStep(double minDepth, double maxDepth) {
  const double range = maxDepth - minDepth;
  if (range > 500) return 100;
  if (range > 200) return 50;
  return 10;
}

}  // namespace svp
