#include "planning/runlines.h"

#include <cmath>

#include "app/formats.h"
#include "app/settingsfile.h"
#include "canvas/canvasmodel.h"
#include "canvas/shapes.h"

namespace runlines {

const char* const kRouteLayerName = "Quarix_Route";
const char* const kRunlineLayerName = "Quarix_Runlines";

namespace {

const char* const kSection = "RUNLINE";

double PositiveOr(const std::string& text, double def) {
  double v = 0;
  if (!TryStrToFloat(text, v) || v <= 0) return def;
  return v;
}

// The unit left normal of the segment from a to b; zero for a segment
// shorter than kMinSegment.
Point LeftNormal(const Point& a, const Point& b) {
  const double dx = b.first - a.first, dy = b.second - a.second;
  const double d = std::hypot(dx, dy);
  if (!(d >= kMinSegment)) return {0.0, 0.0};
  return {-dy / d, dx / d};
}

}  // namespace

double SpacingOf(const std::string& text) { return PositiveOr(text, 10.0); }
double LengthOf(const std::string& text) { return PositiveOr(text, 100.0); }

bool PerpendicularLines(const Polyline& route, double spacing, double length, std::vector<Polyline>& lines,
                        std::size_t limit) {
  lines.clear();
  for (std::size_t i = 0; i + 1 < route.size(); ++i) {
    const Point& p = route[i];
    const double dx = route[i + 1].first - p.first, dy = route[i + 1].second - p.second;
    const double d = std::hypot(dx, dy);
    if (!(d >= kMinSegment)) continue;
    const double ux = dx / d, uy = dy / d;
    const double nx = -uy, ny = ux;
    // The distance run grows by repeated addition, as a surveyor steps it off;
    // the limit also ends a spacing too small to move it on.
    for (double t = 0; t <= d; t += spacing) {
      if (lines.size() >= limit) {
        lines.clear();
        return false;
      }
      const double qx = p.first + t * ux, qy = p.second + t * uy;
      lines.push_back({{qx + length * nx, qy + length * ny}, {qx - length * nx, qy - length * ny}});
    }
  }
  return true;
}

std::vector<Point> PointNormals(const Polyline& route) {
  const std::size_t n = route.size();
  std::vector<Point> normals(n, Point{0.0, 0.0});
  if (n < 2) return normals;
  normals[0] = LeftNormal(route[0], route[1]);
  normals[n - 1] = LeftNormal(route[n - 2], route[n - 1]);
  for (std::size_t j = 1; j + 1 < n; ++j) {
    const Point a = LeftNormal(route[j - 1], route[j]);
    const Point b = LeftNormal(route[j], route[j + 1]);
    Point m{(a.first + b.first) / 2, (a.second + b.second) / 2};
    const double len = std::hypot(m.first, m.second);
    if (len > kMinSegment) m = {m.first / len, m.second / len};
    normals[j] = m;
  }
  return normals;
}

bool ParallelLines(const Polyline& route, double spacing, double length, std::vector<Polyline>& lines,
                   std::size_t limit) {
  lines.clear();
  if (route.size() < 2) return true;
  const double ratio = std::trunc(length / spacing);
  if (!(ratio * 2 <= static_cast<double>(limit))) return false;
  const int m = static_cast<int>(ratio);
  const std::vector<Point> normals = PointNormals(route);
  for (int k = 1; k <= m; ++k) {
    const double o = k * spacing;
    Polyline left, right;
    for (std::size_t j = 0; j < route.size(); ++j) {
      const Point& p = route[j];
      const Point& n = normals[j];
      left.emplace_back(p.first + o * n.first, p.second + o * n.second);
      right.emplace_back(p.first - o * n.first, p.second - o * n.second);
    }
    lines.push_back(std::move(left));
    lines.push_back(std::move(right));
  }
  return true;
}

Generation Generate(TQuarixCanvasModel& map, const Polyline& route, double spacing, double length,
                    bool perpendicular) {
  Generation g;
  if (route.size() < 2) return g;
  // Generating does not change the layer the surveyor draws on.
  const int current = map.CurrentLayer;
  g.Layer = map.LayerOpen(kRunlineLayerName);
  map.CurrentLayer = current;
  map.CadClearShapes(g.Layer);
  map.DrawPolyline(route, g.Layer, false);
  std::vector<Polyline> lines;
  const bool ok = perpendicular ? PerpendicularLines(route, spacing, length, lines)
                                : ParallelLines(route, spacing, length, lines);
  g.TooMany = !ok;
  for (const Polyline& line : lines) map.DrawPolyline(line, g.Layer, false);
  g.Lines = lines.size();
  return g;
}

int PrepareRouteLayer(TQuarixCanvasModel& map) {
  int layer = map.LayerFindByName(kRouteLayerName);
  if (layer < 0)
    layer = map.LayerOpen(kRouteLayerName);
  else
    map.CadClearShapes(layer);
  map.CurrentLayer = layer;
  map.CurrentTool = stPolyline;
  map.KeepTool = false;
  return layer;
}

bool ClearRunlineLayer(TQuarixCanvasModel& map) {
  // Looked up by name: a drawing opened since the last generation may have
  // given the old number to another layer.
  const int layer = map.LayerFindByName(kRunlineLayerName);
  if (layer < 0) return false;
  map.CadClearShapes(layer);
  return true;
}

std::string GenerationLogText(const std::string& spacingText, const std::string& lengthText) {
  return "Runlines generated - Spacing: " + spacingText + ", Length: " + lengthText;
}

Settings ReadSettings(const IniFile& ini) {
  Settings s;
  s.Spacing = ini.ReadString(kSection, "Spacing", s.Spacing);
  s.Length = ini.ReadString(kSection, "Length", s.Length);
  s.Perpendicular = ini.ReadBool(kSection, "Perpendicular", s.Perpendicular);
  return s;
}

void WriteSettings(IniFile& ini, const Settings& settings) {
  ini.WriteString(kSection, "Spacing", settings.Spacing);
  ini.WriteString(kSection, "Length", settings.Length);
  ini.WriteBool(kSection, "Perpendicular", settings.Perpendicular);
}

}  // namespace runlines
