#pragma once
// Shape, layer, font and block records of the map canvas. Plain C++: the
// records keep their geometry in world units (grid metres, y up), draw
// themselves onto a GDI-style TCanvas, hit-test, keep their bounding box and
// move, scale and rotate themselves.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "app/color.h"
#include "canvas/gdicanvas.h"
#include "canvas/shapetext.h"

// A vertex pair of 32-bit floats: the selection polygon handed over by the
// main window is built from these.
struct TPointF {
  float x = 0;
  float y = 0;
};

// A polyline vertex. Kept in double precision: grid northings of several
// million metres would otherwise lose up to half a metre.
struct TPointD {
  double x = 0;
  double y = 0;
};

// Shape type codes shared by the canvas, its tools and the file readers.
constexpr int stRectangle = 1;
constexpr int stLine = 3;
constexpr int stEllipseTool = 4;
constexpr int stPolyline = 5;
constexpr int stPolygon = 6;
constexpr int stSpline = 8;
constexpr int stArc = 10;
constexpr int stText = 11;
constexpr int stPoint = 17;
constexpr int stCircle = 19;
constexpr int stEllipse = 20;

// A shape keeps its pen style and brush mode codes (small numbers) in a
// byte; a value outside its range is held at the nearer end.
inline int8_t StoredCode(int Value) { return static_cast<int8_t>(std::clamp(Value, -128, 127)); }

// The colour selected shapes draw in.
constexpr TColor kSelectedColor = 0x0000FF;

class TQShape {
 public:
  TQShape() = default;
  TQShape(const TQShape&) = default;
  TQShape& operator=(const TQShape&) = default;
  virtual ~TQShape() = default;

  // The fields every pass over the drawing reads (box, layer, type, flags,
  // pen) come first, so they share the record's first cache line. Fields are
  // placed so that the record has no padding inside; two one-byte fields come
  // last, where a derived record may place a small field of its own in what
  // would otherwise be the tail padding.
  double MinX = 0;  // bounding box in world units, kept by UpdateBounds
  double MinY = 0;
  double MaxX = 0;
  double MaxY = 0;
  int32_t Number = 0;
  int Layer = 0;
  uint8_t ShapeType = 0;  // one of the type codes above
  TBrushStyle BrushStyle = bsClear;
  bool IsSelected = false;
  bool Visible = true;
  TColor PenFg = 0;
  int PenWidth = 1;
  TColor BrushFg = 0xFFFFFF;
  TColor BrushBg = 0xFFFFFF;  // stored only
  int ZOrder = 0;             // stored only; the drawing order is the canvas's list order
  // Bookkeeping of the canvas's spatial index, not shape data: the cell the
  // record is filed under.
  uint32_t IndexCell = 0xFFFFFFFFu;
  TShapeText Notes;
  TShapeText Text;
  int8_t PenStyle = 0;   // stored only; never applied when drawing
  int8_t BrushMode = 0;  // stored only

  // Left/Right/Top/Bottom: world coordinates of the control's edges.
  virtual void Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom,
                    int PixelWidth, int PixelHeight) = 0;
  virtual bool HitTest(double X, double Y, double Tolerance) const = 0;
  virtual void UpdateBounds() = 0;
  virtual void Translate(double DX, double DY) = 0;
  virtual void Scale(double SX, double SY, double CX, double CY) = 0;
  virtual void Rotate(double Degrees, double CX, double CY) = 0;

  // A shape whose box is not finite (NaN or infinite geometry) is neither
  // drawn nor hit.
  bool HasFiniteBounds() const {
    return std::isfinite(MinX) && std::isfinite(MinY) && std::isfinite(MaxX) && std::isfinite(MaxY);
  }
  // The colour the shape draws in: red when selected, else its pen.
  TColor DrawColor() const { return IsSelected ? kSelectedColor : PenFg; }

  // Records are many and small: they come from a pooled allocator without
  // per-allocation overhead.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;
};

class TQLine : public TQShape {
 public:
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;

  void Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom, int PixelWidth,
            int PixelHeight) override;
  bool HitTest(double X, double Y, double Tolerance) const override;
  void UpdateBounds() override;
  void Translate(double DX, double DY) override;
  void Scale(double SX, double SY, double CX, double CY) override;
  void Rotate(double Degrees, double CX, double CY) override;
};

class TQCircle : public TQShape {
 public:
  double CenterX = 0, CenterY = 0, Radius = 0;

  void Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom, int PixelWidth,
            int PixelHeight) override;
  bool HitTest(double X, double Y, double Tolerance) const override;
  void UpdateBounds() override;
  void Translate(double DX, double DY) override;
  void Scale(double SX, double SY, double CX, double CY) override;
  void Rotate(double Degrees, double CX, double CY) override;
};

class TQRectangle : public TQShape {
 public:
  bool Rounded = false;
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  double Value = 0;  // cell value of an XYZ grid cell
  double CornerRadius = 10.0;  // world units

  void Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom, int PixelWidth,
            int PixelHeight) override;
  bool HitTest(double X, double Y, double Tolerance) const override;
  void UpdateBounds() override;
  void Translate(double DX, double DY) override;
  void Scale(double SX, double SY, double CX, double CY) override;
  void Rotate(double Degrees, double CX, double CY) override;
};

class TQPoint : public TQShape {
 public:
  int PointSize = 3;  // half the size of the bounding box, world units
  double X = 0, Y = 0, Z = 0;

  void Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom, int PixelWidth,
            int PixelHeight) override;
  bool HitTest(double X, double Y, double Tolerance) const override;
  void UpdateBounds() override;
  void Translate(double DX, double DY) override;
  void Scale(double SX, double SY, double CX, double CY) override;
  void Rotate(double Degrees, double CX, double CY) override;
};

class TQEllipse : public TQShape {
 public:
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;  // opposite corners of the box

  void Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom, int PixelWidth,
            int PixelHeight) override;
  bool HitTest(double X, double Y, double Tolerance) const override;
  void UpdateBounds() override;
  void Translate(double DX, double DY) override;
  void Scale(double SX, double SY, double CX, double CY) override;
  void Rotate(double Degrees, double CX, double CY) override;
};

class TQArc : public TQShape {
 public:
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, X3 = 0, Y3 = 0;  // start, middle, end

  void Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom, int PixelWidth,
            int PixelHeight) override;
  bool HitTest(double X, double Y, double Tolerance) const override;
  void UpdateBounds() override;
  void Translate(double DX, double DY) override;
  void Scale(double SX, double SY, double CX, double CY) override;
  void Rotate(double Degrees, double CX, double CY) override;
};

class TQText : public TQShape {
 public:
  bool Bold = false;
  bool Italic = false;
  int FontIndex = -1;  // index into the canvas's font table at creation
  double X = 0, Y = 0;  // anchor
  double Angle = 0;    // degrees, counter-clockwise
  double Height = 10.0;  // font size in points; world size of the box
  std::string TextString;
  std::string FontName = "Arial";
  int TextAlign = 0;   // 0 left, 1 centre, 2 right
  int TextJustify = 0; // 0 top, 1 middle, 2 bottom
  int Reserved = 0;    // kept 0 by every creator

  void Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom, int PixelWidth,
            int PixelHeight) override;
  bool HitTest(double X, double Y, double Tolerance) const override;
  void UpdateBounds() override;
  void Translate(double DX, double DY) override;
  void Scale(double SX, double SY, double CX, double CY) override;
  void Rotate(double Degrees, double CX, double CY) override;

  // Font size in points used for drawing: trunc(Height), 10 when Height is
  // not above 0, held within 4..72.
  int DrawFontSize() const;
};

// Allocator of shape data kept beside the records: it draws on the records'
// pool, which serves small blocks without per-allocation overhead.
template <class T>
struct TShapePoolAllocator {
  using value_type = T;
  TShapePoolAllocator() = default;
  template <class U>
  TShapePoolAllocator(const TShapePoolAllocator<U>&) noexcept {}  // NOLINT(implicit)
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(TQShape::operator new(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { TQShape::operator delete(p, n * sizeof(T)); }
  template <class U>
  friend bool operator==(const TShapePoolAllocator&, const TShapePoolAllocator<U>&) noexcept {
    return true;
  }
};

// The vertices of a polyline.
using TPointList = std::vector<TPointD, TShapePoolAllocator<TPointD>>;

class TQPolyline : public TQShape {
 public:
  bool Closed = false;
  TPointList Points;

  void Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom, int PixelWidth,
            int PixelHeight) override;
  bool HitTest(double X, double Y, double Tolerance) const override;
  void UpdateBounds() override;
  void Translate(double DX, double DY) override;
  void Scale(double SX, double SY, double CX, double CY) override;
  void Rotate(double Degrees, double CX, double CY) override;

  void AddPoint(double X, double Y);
  double GetPointX(int Index) const;
  double GetPointY(int Index) const;
  void SetPoint(int Index, double X, double Y);
  int PointCount() const { return static_cast<int>(Points.size()); }
};

// One layer of the drawing.
struct TQLayer {
  int Number = 0;
  std::string Name;
  bool Visible = true;
  bool Locked = false;
  int Action = 0;
  TColor PenFg = 0;
  int PenWidth = 1;
  int PenStyle = 0;
  TColor BrushFg = 0xFFFFFF;
  TColor BrushBg = 0xFFFFFF;
  TBrushStyle BrushStyle = bsClear;
  int BrushMode = 0;

  // Bookkeeping of the canvas, not layer data: the first PenChecked shapes of
  // the drawing (the last of them PenCheckedLast) are known to carry this
  // layer's pen colour / width where they lie on it. It lets the navigation
  // loop restyle a layer on every tick without a pass over the whole drawing.
  std::size_t PenChecked = 0;
  const TQShape* PenCheckedLast = nullptr;
  bool PenFgUniform = false;
  bool PenWidthUniform = false;
};

// One entry of the canvas's font table.
struct TQFont {
  std::string Name = "Arial";
  int Size = 10;
  bool Bold = false;
  bool Italic = false;
};

// A block definition read from a DXF file; its shapes are not in the drawing.
struct TQBlock {
  std::string Name;
  double BaseX = 0;
  double BaseY = 0;
  std::vector<TQShape*> BlockShapes;  // owned

  TQBlock() = default;
  TQBlock(const TQBlock&) = delete;
  TQBlock& operator=(const TQBlock&) = delete;
  ~TQBlock();
};
