// The world window: transforms, zoom, pan, extents, resize, background.
#include <algorithm>
#include <cmath>

#include "canvas/canvasmodel.h"
#include "canvas/geometry.h"

void TQuarixCanvasModel::WorldToScreen(double X, double Y, int& SX, int& SY) const {
  double spanX = WorldRight - WorldLeft;
  if (spanX == 0) spanX = 1;
  double spanY = WorldTop - WorldBottom;
  if (spanY == 0) spanY = 1;
  const double fx = ControlWidth() / spanX;
  const double fy = ControlHeight() / spanY;
  SX = TruncPixel((X - WorldLeft) * fx);
  SY = TruncPixel((WorldTop - Y) * fy);
}

void TQuarixCanvasModel::ScreenToWorld(int SX, int SY, double& X, double& Y) const {
  const int w = ControlWidth() > 0 ? ControlWidth() : 1;
  const int h = ControlHeight() > 0 ? ControlHeight() : 1;
  X = WorldLeft + SX * ((WorldRight - WorldLeft) / w);
  Y = WorldTop - SY * ((WorldTop - WorldBottom) / h);
}

int TQuarixCanvasModel::WorldToAbsX(double X) const {
  int sx = 0, sy = 0;
  WorldToScreen(X, 0, sx, sy);
  return sx;
}

int TQuarixCanvasModel::WorldToAbsY(double Y) const {
  int sx = 0, sy = 0;
  WorldToScreen(0, Y, sx, sy);
  return sy;
}

void TQuarixCanvasModel::WorldSet(double Left, double Top, double Right, double Bottom) {
  if (!AllFinite(Left, Top, Right, Bottom)) return;
  WorldLeft = Left;
  WorldTop = Top;
  WorldRight = Right;
  WorldBottom = Bottom;
  NeedsRedraw = true;
  InvalidateControl();
}

// Every operation that moves the window ends in WorldSet, which ignores a
// window with a non-finite edge.
void TQuarixCanvasModel::WorldPan(double DX, double DY) {
  WorldSet(WorldLeft + DX, WorldTop + DY, WorldRight + DX, WorldBottom + DY);
}

void TQuarixCanvasModel::WorldZoom(int, double Factor, double X, double Y) {
  const int w = ControlWidth(), h = ControlHeight();
  if (w <= 0 || h <= 0 || !std::isfinite(Factor) || !AllFinite(X, Y)) return;
  double s = 1 - Factor;
  if (s <= 0) s = 0.1;
  if (s > 10) s = 10;
  double ww = GetWorldWidth();
  if (ww <= 0) ww = 1;
  double wh = GetWorldHeight();
  if (wh <= 0) wh = 1;
  const double aspect = static_cast<double>(w) / h;
  const double newW = ww * s;
  const double newH = newW / aspect;
  const double fx = (X - WorldLeft) / ww;
  const double fy = (Y - WorldBottom) / wh;
  WorldSet(X - newW * fx, Y + (1 - fy) * newH, X + (1 - fx) * newW, Y - newH * fy);
}

void TQuarixCanvasModel::WorldExtents() {
  const int w = ControlWidth(), h = ControlHeight();
  if (w <= 0 || h <= 0) return;
  auto setDefault = [this] { WorldSet(0, 1000, 1000, 0); };
  if (Shapes.empty()) {
    setDefault();
    return;
  }
  double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
  int count = 0;
  for (const TQShape* s : Shapes) {
    if (!s->Visible) continue;
    if (!(s->MinX >= -1e15 && s->MaxX <= 1e15 && s->MinY >= -1e15 && s->MaxY <= 1e15)) continue;
    if (!(s->MinX <= s->MaxX && s->MinY <= s->MaxY)) continue;
    minX = std::min(minX, s->MinX);
    maxX = std::max(maxX, s->MaxX);
    minY = std::min(minY, s->MinY);
    maxY = std::max(maxY, s->MaxY);
    ++count;
  }
  if (count == 0 || !(minX < maxX) || !(minY < maxY)) {
    setDefault();
    return;
  }
  const double mx = (maxX - minX) * 0.05, my = (maxY - minY) * 0.05;
  minX -= mx, maxX += mx, minY -= my, maxY += my;
  const double W = maxX - minX, H = maxY - minY;
  const double aspect = static_cast<double>(w) / h;
  if (W / H > aspect) {
    const double cy = (minY + maxY) / 2, nh = W / aspect;
    minY = cy - nh / 2;
    maxY = cy + nh / 2;
  } else {
    const double cx = (minX + maxX) / 2, nw = H * aspect;
    minX = cx - nw / 2;
    maxX = cx + nw / 2;
  }
  WorldSet(minX, maxY, maxX, minY);
}

// Passing sizes (a window manager framing the window, a layout settling)
// must not add up: a fit after fits starts again from the window as it was
// set, so only the last size counts.
void TQuarixCanvasModel::KeepProportions() {
  const int w = ControlWidth(), h = ControlHeight();
  if (w <= 0 || h <= 0) return;
  const std::array<double, 4> now{WorldLeft, WorldRight, WorldTop, WorldBottom};
  if (!fittedOnce_ || now != fitted_) fitBase_ = now;
  const auto [left, right, top, bottom] = fitBase_;
  const double W = right - left;
  const double H = top - bottom;
  const double cx = (left + right) / 2, cy = (top + bottom) / 2;
  const double aspect = static_cast<double>(w) / h;
  const double ratio = W / (H <= 0 ? 1 : H);
  WorldLeft = left, WorldRight = right, WorldTop = top, WorldBottom = bottom;
  if (ratio > aspect) {
    const double nh = W / aspect;
    WorldBottom = cy - nh / 2;
    WorldTop = cy + nh / 2;
  } else {
    const double nw = H * aspect;
    WorldLeft = cx - nw / 2;
    WorldRight = cx + nw / 2;
  }
  fitted_ = {WorldLeft, WorldRight, WorldTop, WorldBottom};
  fittedOnce_ = true;
  NeedsRedraw = true;
}

void TQuarixCanvasModel::Resize() {
  KeepProportions();
  NeedsRedraw = true;
}

void TQuarixCanvasModel::SetBackColor(TColor Color) {
  if (Color == BackColor) return;
  BackColor = Color;
  NeedsRedraw = true;
  RepaintControl();
}

TColor TQuarixCanvasModel::GetContrastColor(TColor Color) const { return ContrastColor(Color, BackColor); }
