#pragma once
// The drawing surface the map paints on, with the conventions of the classic
// Windows GDI that the map's drawing rules are written for:
//  - a line from A to B leaves out its last pixel B;
//  - Rectangle/Ellipse/FillRect boxes exclude their right and bottom edges;
//  - polygons are filled with the odd-even rule;
//  - text is placed by the top-left corner of its cell;
//  - the pen, brush and font are state set before each call.
// The map's drawing code only sees this interface; the Qt adapter
// (qpaintercanvas.h) implements it over QPainter, tests record the calls.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/color.h"

using TBrushStyle = uint8_t;
constexpr TBrushStyle bsSolid = 0;
constexpr TBrushStyle bsClear = 1;
constexpr TBrushStyle bsHorizontal = 2;
constexpr TBrushStyle bsVertical = 3;
constexpr TBrushStyle bsFDiagonal = 4;
constexpr TBrushStyle bsBDiagonal = 5;
constexpr TBrushStyle bsCross = 6;
constexpr TBrushStyle bsDiagCross = 7;

constexpr int psSolid = 0;
constexpr int psDash = 1;
constexpr int psDot = 2;

enum class TPenMode { Copy, Xor };

struct TPixelPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const TPixelPoint&, const TPixelPoint&) = default;
};

struct TPenState {
  TColor Color = clBlack;
  int Width = 1;
  int Style = psSolid;
  TPenMode Mode = TPenMode::Copy;
};

struct TBrushState {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};

struct TFontState {
  std::string Name = "Arial";
  int Size = 8;  // points
  bool Bold = false;
  bool Italic = false;
  int Orientation = 0;  // tenths of a degree, counter-clockwise
  TColor Color = clBlack;
};

// Long paths reach the surface in bounded pieces, so that what a paint
// allocates for a path is bounded whatever the path holds: a polyline or a
// run of curves comes in runs of at most kMaxRunPoints points (a run of
// curves holds whole curves: its start and three points per curve), and what
// lies wholly outside the view is left out (a polygon comes whole: a fill
// needs its ring; a wide pen strokes it segment by segment). The surface
// flattens a curve into one point per kCurveStepPixels pixels of its control
// polygon, at most kMaxCurveSteps, and into at most kMaxFlattenedPoints points
// in one paint; past that a curve is drawn as its chord.
constexpr int kMaxRunPoints = 3 * 1365 + 1;
constexpr int kCurveStepPixels = 4;
constexpr int kMaxCurveSteps = 256;
constexpr long kMaxFlattenedPoints = 1L << 19;

// Whether a box of pixel positions lies wholly outside a view of w x h
// pixels widened by `margin` on every side (what a pen reaches beyond a line).
inline bool OutsideView(int minX, int minY, int maxX, int maxY, int w, int h, int margin) {
  return maxX < -margin || maxY < -margin || minX > w + margin || minY > h + margin;
}
// The same for the box of some points (a segment's ends, a curve's controls).
inline bool OutsideView(std::initializer_list<TPixelPoint> ps, int w, int h, int margin) {
  int x0 = ps.begin()->x, x1 = x0, y0 = ps.begin()->y, y1 = y0;
  for (const TPixelPoint& p : ps) {
    x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
  }
  return OutsideView(x0, y0, x1, y1, w, h, margin);
}
// What a pen of the width reaches beyond a line, with a pixel to spare.
inline int PenReach(int penWidth) { return std::max(penWidth, 1) + 2; }

// Points handed on in runs of at most kMaxRunPoints: a full run is handed on
// and the next one starts at its last point; End hands on what is held (two
// points or more) and starts afresh, so a gap follows.
class TPixelRun {
 public:
  using TSink = std::function<void(const TPixelPoint*, int)>;
  // `Expected`: about how many points will come, for the room taken at first.
  TPixelRun(TSink Sink, std::size_t Expected) : sink_(std::move(Sink)) {
    points_.reserve(std::min(Expected, static_cast<std::size_t>(kMaxRunPoints)));
  }
  bool Empty() const { return points_.empty(); }
  const TPixelPoint& Last() const { return points_.back(); }
  void Add(TPixelPoint p) {
    if (points_.size() == static_cast<std::size_t>(kMaxRunPoints)) {
      sink_(points_.data(), kMaxRunPoints);
      points_.front() = points_.back();
      points_.resize(1);
    }
    points_.push_back(p);
  }
  void End() {
    if (points_.size() >= 2) sink_(points_.data(), static_cast<int>(points_.size()));
    points_.clear();
  }

 private:
  TSink sink_;
  std::vector<TPixelPoint> points_;
};

class TCanvas {
 public:
  virtual ~TCanvas() = default;

  TPenState Pen;
  TBrushState Brush;
  TFontState Font;

  virtual void SetPixel(int x, int y, TColor color) = 0;
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  virtual void Polyline(const TPixelPoint* points, int count) = 0;
  virtual void Polygon(const TPixelPoint* points, int count) = 0;
  // 3n + 1 points: start, then two control points and an end per curve.
  // Curves wholly outside the surface are left out.
  virtual void PolyBezier(const TPixelPoint* points, int count) = 0;
  virtual void Rectangle(int left, int top, int right, int bottom) = 0;
  virtual void RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                         int ellipseHeight) = 0;
  virtual void Ellipse(int left, int top, int right, int bottom) = 0;
  virtual void FillRect(int left, int top, int right, int bottom) = 0;
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual int TextWidth(const std::string& text) = 0;
  virtual int TextHeight(const std::string& text) = 0;
};
