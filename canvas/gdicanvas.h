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
#include <cstdint>
#include <string>

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
