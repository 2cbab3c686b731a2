#include "canvas/geometry.h"

#include <cstdlib>

#include "app/formats.h"

double SegmentDistance(double x, double y, double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double len2 = dx * dx + dy * dy;
  if (len2 == 0.0) return std::hypot(x - x1, y - y1);
  double u = ((x - x1) * dx + (y - y1) * dy) / len2;
  if (u < 0.0) u = 0.0;
  if (u > 1.0) u = 1.0;
  return std::hypot(x - (x1 + u * dx), y - (y1 + u * dy));
}

bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double xMin, double yMin, double xMax,
                 double yMax) {
  double t0 = 0, t1 = 1;
  const double dx = x2 - x1, dy = y2 - y1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - xMin, xMax - x1, y1 - yMin, yMax - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0) {
      if (r > t1) return false;
      if (r > t0) t0 = r;
    } else {
      if (r < t0) return false;
      if (r < t1) t1 = r;
    }
  }
  const double ox = x1, oy = y1;
  x1 = ox + t0 * dx, y1 = oy + t0 * dy;
  x2 = ox + t1 * dx, y2 = oy + t1 * dy;
  return true;
}

double RoundTo125(double value) {
  const double mag = std::pow(10.0, std::floor(std::log10(value)));
  const double f = value / mag;
  if (f < 1.5) return mag;
  if (f < 3.5) return mag * 2;
  if (f < 7.5) return mag * 5;
  return mag * 10;
}

double NiceGridStep(double span, int divisions) {
  if (!(span > 0) || divisions <= 0 || !std::isfinite(span)) return 1.0;
  return RoundTo125(span / divisions);
}

int ColorBrightness(TColor c) {
  const int r = static_cast<int>(c & 0xFF);
  const int g = static_cast<int>((c >> 8) & 0xFF);
  const int b = static_cast<int>((c >> 16) & 0xFF);
  return (299 * r + 587 * g + 114 * b) / 1000;
}

TColor ContrastColor(TColor color, TColor back) {
  const int lc = ColorBrightness(color);
  const int lb = ColorBrightness(back);
  if (lc < 50 && lb < 50) return clWhite;
  if (lc > 200 && lb > 200) return clBlack;
  int diff = 0;
  for (int shift = 0; shift <= 16; shift += 8)
    diff += std::abs(static_cast<int>((color >> shift) & 0xFF) - static_cast<int>((back >> shift) & 0xFF));
  if (diff < 60) return lb <= 128 ? clWhite : clBlack;
  return color;
}

bool ComputeScaleBar(double worldWidth, int widthPixels, TScaleBar& bar) {
  if (!(worldWidth > 0) || !std::isfinite(worldWidth) || widthPixels <= 0) return false;
  const double upp = worldWidth / widthPixels;
  double nice = RoundTo125(upp * 150.0);
  if (!std::isfinite(nice) || !(nice > 0)) return false;
  // A 1-2-5 length lands between about 86 and 214 pixels; step down through
  // the 1-2-5 series until the bar fits in 150 pixels.
  for (int guard = 0; guard < 4 && nice / upp >= 151.0; ++guard) {
    const double mag = std::pow(10.0, std::floor(std::log10(nice) + 1e-9));
    const double f = nice / mag;
    if (f > 7.5) nice = mag * 5;        // 10 -> 5
    else if (f > 3.5) nice = mag * 2;   // 5 -> 2
    else if (f > 1.5) nice = mag;       // 2 -> 1
    else nice = mag / 2;                // 1 -> 0.5
  }
  int len = TruncPixel(nice / upp);
  if (len < 30) len = 30;
  if (len > 150) len = 150;
  bar.Length = nice;
  bar.Pixels = len;
  return true;
}

std::string ScaleBarLabel(double length) {
  if (length >= 1000) return FormatFixed(length / 1000.0, 1) + " km";
  if (length >= 1) return FormatFixed(length, 0) + " m";
  return FormatFixed(length * 100.0, 0) + " cm";
}
