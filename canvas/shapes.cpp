#include "canvas/shapes.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <initializer_list>
#include <mutex>
#include <new>
#include <string_view>

#include "canvas/geometry.h"

// ---------------------------------------------------------------------------
// Pooled storage of shape records. A survey map holds hundreds of thousands of
// small records; carving them from 256 KiB blocks with one free list per size
// saves the allocator's per-block overhead. Blocks are kept for reuse.
namespace {

class ShapePool {
 public:
  void* Allocate(std::size_t size) {
    const std::size_t rounded = Round(size);
    if (rounded > kMaxSize) return ::operator new(size);
    std::lock_guard<std::mutex> lock(mutex_);
    FreeNode*& head = free_[rounded / kAlign];
    if (head) {
      FreeNode* node = head;
      head = node->next;
      return node;
    }
    if (left_ < rounded) {
      cursor_ = static_cast<char*>(::operator new(kBlockSize));
      left_ = kBlockSize;
    }
    void* p = cursor_;
    cursor_ += rounded;
    left_ -= rounded;
    return p;
  }

  void Release(void* p, std::size_t size) noexcept {
    if (!p) return;
    const std::size_t rounded = Round(size);
    if (rounded > kMaxSize) {
      ::operator delete(p);
      return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    FreeNode* node = static_cast<FreeNode*>(p);
    node->next = free_[rounded / kAlign];
    free_[rounded / kAlign] = node;
  }

 private:
  struct FreeNode {
    FreeNode* next;
  };
  static constexpr std::size_t kAlign = alignof(TQShape) > 8 ? alignof(TQShape) : 8;
  static constexpr std::size_t kMaxSize = 512;
  static constexpr std::size_t kBlockSize = 256 * 1024;
  static std::size_t Round(std::size_t size) { return (size + kAlign - 1) / kAlign * kAlign; }

  std::mutex mutex_;
  FreeNode* free_[kMaxSize / kAlign + 1] = {};
  char* cursor_ = nullptr;
  std::size_t left_ = 0;
};

ShapePool& Pool() {
  // Never destroyed: records may still be released during static destruction.
  static ShapePool* pool = new ShapePool;
  return *pool;
}

// The strings of the records' non-empty text fields, by slot. Slot 0 stands
// for the empty text and is never handed out; released slots are reused. A
// deque keeps every string in place as the table grows.
class TextTable {
 public:
  uint32_t Acquire(const std::string& s) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!free_.empty()) {
      const uint32_t id = free_.back();
      slots_[id] = s;
      free_.pop_back();
      return id;
    }
    if (slots_.size() > 0xFFFFFFFEu) throw std::bad_alloc();
    slots_.push_back(s);
    return static_cast<uint32_t>(slots_.size() - 1);
  }
  std::string* Slot(uint32_t id) {
    std::lock_guard<std::mutex> lock(mutex_);
    return &slots_[id];
  }
  void Release(uint32_t id) noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string().swap(slots_[id]);
    try {
      free_.push_back(id);
    } catch (...) {
      // The slot stays unused; nothing is lost but its reuse.
    }
  }

 private:
  std::mutex mutex_;
  std::deque<std::string> slots_{std::string()};
  std::vector<uint32_t> free_;
};

TextTable& Texts() {
  // Never destroyed, like the pool.
  static TextTable* table = new TextTable;
  return *table;
}

// World-to-pixel mapping of one Draw call.
struct Mapper {
  double left, top, sx, sy;
  Mapper(double Left, double Right, double Top, double Bottom, int W, int H)
      : left(Left), top(Top), sx(W / (Right - Left)), sy(H / (Top - Bottom)) {}
  double FX(double x) const { return (x - left) * sx; }
  double FY(double y) const { return (top - y) * sy; }
  int X(double x) const { return TruncPixel(FX(x)); }
  int Y(double y) const { return TruncPixel(FY(y)); }
};

// Smaller and larger of two values; NaN wins, so a box with NaN geometry is
// not finite and the shape is neither drawn nor hit.
double Lo(double a, double b) { return (a < b || std::isnan(a)) ? a : b; }
double Hi(double a, double b) { return (a > b || std::isnan(a)) ? a : b; }

bool InPixelRange(double v) { return v > -kPixelLimit && v < kPixelLimit; }

// A line between two pixel positions given as doubles; positions beyond the
// pixel limit are clipped first, so no out-of-range value becomes an int.
void DrawClippedLine(TCanvas* c, double x1, double y1, double x2, double y2) {
  if (!AllFinite(x1, y1, x2, y2)) return;
  if (InPixelRange(x1) && InPixelRange(y1) && InPixelRange(x2) && InPixelRange(y2)) {
    c->Line(TruncPixel(x1), TruncPixel(y1), TruncPixel(x2), TruncPixel(y2));
    return;
  }
  const double half = kPixelLimit / 2;
  if (!ClipSegment(x1, y1, x2, y2, -half, -half, half, half)) return;
  c->Line(TruncPixel(x1), TruncPixel(y1), TruncPixel(x2), TruncPixel(y2));
}

// Sutherland-Hodgman clip of a polygon (pixel doubles) to [lo, hi] squared,
// taken a vertex at a time through the four edges in turn: only the clipped
// polygon is held, as pixels.
class PolygonClipper {
 public:
  PolygonClipper(double lo, double hi, std::vector<TPixelPoint>& out) : lo_(lo), hi_(hi), out_(out) {}
  void Add(const TPointD& p) { Push(0, p); }
  // Closes the polygon: the edge from the last vertex back to the first.
  void Close() {
    for (int edge = 0; edge < 4; ++edge) {
      Stage& s = stages_[edge];
      if (s.started && Inside(edge, s.prev) != Inside(edge, s.first)) Push(edge + 1, Cross(edge, s.prev, s.first));
    }
  }

 private:
  struct Stage {
    bool started = false;
    TPointD first, prev;
  };
  bool Inside(int edge, const TPointD& p) const {
    switch (edge) {
      case 0: return p.x >= lo_;
      case 1: return p.x <= hi_;
      case 2: return p.y >= lo_;
      default: return p.y <= hi_;
    }
  }
  TPointD Cross(int edge, const TPointD& a, const TPointD& b) const {
    const double bound = (edge == 0 || edge == 2) ? lo_ : hi_;
    const double t = (edge < 2) ? (bound - a.x) / (b.x - a.x) : (bound - a.y) / (b.y - a.y);
    return TPointD{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
  }
  void Push(int edge, const TPointD& p) {
    if (edge == 4) {
      out_.push_back({TruncPixel(p.x), TruncPixel(p.y)});
      return;
    }
    Stage& s = stages_[edge];
    if (!s.started) {
      s.started = true;
      s.first = p;
    } else if (Inside(edge, s.prev) != Inside(edge, p)) {
      Push(edge + 1, Cross(edge, s.prev, p));
    }
    if (Inside(edge, p)) Push(edge + 1, p);
    s.prev = p;
  }

  double lo_, hi_;
  std::vector<TPixelPoint>& out_;
  Stage stages_[4];
};

int ClampSum(int64_t v) {
  const int64_t lim = static_cast<int64_t>(kPixelLimit);
  return static_cast<int>(std::clamp<int64_t>(v, -lim, lim));
}

void RotatePoint(double& x, double& y, double degrees, double cx, double cy) {
  const double t = degrees * M_PI / 180.0;
  const double c = std::cos(t), s = std::sin(t);
  const double dx = x - cx, dy = y - cy;
  x = cx + c * dx - s * dy;
  y = cy + s * dx + c * dy;
}

void ScalePoint(double& x, double& y, double sx, double sy, double cx, double cy) {
  x = cx + (x - cx) * sx;
  y = cy + (y - cy) * sy;
}

// Lines, rectangles and ellipses are kept as two points (X1, Y1), (X2, Y2):
// their box, move and scale are the same.
template <typename R>
void TwoPointBounds(R& r) {
  r.MinX = Lo(r.X1, r.X2);
  r.MaxX = Hi(r.X1, r.X2);
  r.MinY = Lo(r.Y1, r.Y2);
  r.MaxY = Hi(r.Y1, r.Y2);
}

template <typename R>
void TwoPointTranslate(R& r, double dx, double dy) {
  r.X1 += dx, r.Y1 += dy, r.X2 += dx, r.Y2 += dy;
  TwoPointBounds(r);
}

template <typename R>
void TwoPointScale(R& r, double sx, double sy, double cx, double cy) {
  ScalePoint(r.X1, r.Y1, sx, sy, cx, cy);
  ScalePoint(r.X2, r.Y2, sx, sy, cx, cy);
  TwoPointBounds(r);
}

// Number of characters (code points) of a UTF-8 text.
double CharCount(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char ch : s)
    if ((ch & 0xC0) != 0x80) ++n;
  return static_cast<double>(n);
}

// The part of a text that a view of w x h pixels can show. A character is
// at least a pixel wide and a drawn text's anchor lies at most 500 pixels
// outside the view, so w + h + 1000 characters reach across it whatever the
// text's turn; a longer text is cut to as many, from its start, middle or end
// as it is aligned left, centred or right, so that a text of megabytes costs
// a paint no more than a line across the view.
std::string_view ShownText(const std::string& s, int w, int h, int align) {
  const std::size_t most = static_cast<std::size_t>(std::max(w, 0)) + static_cast<std::size_t>(std::max(h, 0)) + 1000;
  if (s.size() <= most) return s;  // no more characters than bytes
  const std::size_t chars = static_cast<std::size_t>(CharCount(s));
  if (chars <= most) return s;
  const std::size_t skip = align == 1 ? (chars - most) / 2 : align == 2 ? chars - most : 0;
  std::size_t begin = s.size(), end = s.size(), index = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
    if (index == skip) begin = i;
    if (index == skip + most) {
      end = i;
      break;
    }
    ++index;
  }
  return std::string_view(s).substr(begin, end - begin);
}

void PenOf(TCanvas* c, const TQShape& s) {
  c->Pen.Color = s.DrawColor();
  c->Pen.Width = s.PenWidth;
  c->Pen.Style = psSolid;
  c->Pen.Mode = TPenMode::Copy;
}

void BrushOf(TCanvas* c, const TQShape& s) {
  c->Brush.Color = s.BrushFg;
  c->Brush.Style = s.BrushStyle;
}

}  // namespace

// ---------------------------------------------------------------------------
// TQShape

uint32_t TShapeText::Acquire(const std::string& s) { return Texts().Acquire(s); }
std::string* TShapeText::Slot(uint32_t id) { return Texts().Slot(id); }
void TShapeText::Release(uint32_t id) noexcept { Texts().Release(id); }

void* TQShape::operator new(std::size_t size) { return Pool().Allocate(size); }
void TQShape::operator delete(void* p, std::size_t size) noexcept { Pool().Release(p, size); }

TQBlock::~TQBlock() {
  for (TQShape* s : BlockShapes) delete s;
  BlockShapes.clear();
}

// ---------------------------------------------------------------------------
// TQLine

void TQLine::Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom,
                  int PixelWidth, int PixelHeight) {
  if (!Visible || !HasFiniteBounds()) return;
  const Mapper m(Left, Right, Top, Bottom, PixelWidth, PixelHeight);
  PenOf(Canvas, *this);
  DrawClippedLine(Canvas, m.FX(X1), m.FY(Y1), m.FX(X2), m.FY(Y2));
}

bool TQLine::HitTest(double x, double y, double t) const {
  return SegmentDistance(x, y, X1, Y1, X2, Y2) <= t;
}

void TQLine::UpdateBounds() { TwoPointBounds(*this); }
void TQLine::Translate(double DX, double DY) { TwoPointTranslate(*this, DX, DY); }
void TQLine::Scale(double SX, double SY, double CX, double CY) { TwoPointScale(*this, SX, SY, CX, CY); }

void TQLine::Rotate(double Degrees, double CX, double CY) {
  RotatePoint(X1, Y1, Degrees, CX, CY);
  RotatePoint(X2, Y2, Degrees, CX, CY);
  UpdateBounds();
}

// ---------------------------------------------------------------------------
// TQCircle

void TQCircle::Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom,
                    int PixelWidth, int PixelHeight) {
  if (!Visible || !HasFiniteBounds()) return;
  const Mapper m(Left, Right, Top, Bottom, PixelWidth, PixelHeight);
  PenOf(Canvas, *this);
  BrushOf(Canvas, *this);
  const int cx = m.X(CenterX), cy = m.Y(CenterY);
  const int rx = TruncPixel(Radius * m.sx), ry = TruncPixel(Radius * m.sy);
  Canvas->Ellipse(ClampSum(int64_t{cx} - rx), ClampSum(int64_t{cy} - ry), ClampSum(int64_t{cx} + rx),
                  ClampSum(int64_t{cy} + ry));
}

bool TQCircle::HitTest(double x, double y, double t) const {
  return std::fabs(std::hypot(x - CenterX, y - CenterY) - Radius) <= t;
}

void TQCircle::UpdateBounds() {
  MinX = CenterX - Radius;
  MaxX = CenterX + Radius;
  MinY = CenterY - Radius;
  MaxY = CenterY + Radius;
}

void TQCircle::Translate(double DX, double DY) {
  CenterX += DX, CenterY += DY;
  UpdateBounds();
}

void TQCircle::Scale(double SX, double SY, double CX, double CY) {
  ScalePoint(CenterX, CenterY, SX, SY, CX, CY);
  // A mirror factor keeps the size: the radius takes the absolute factors.
  Radius *= (std::fabs(SX) + std::fabs(SY)) / 2;
  UpdateBounds();
}

void TQCircle::Rotate(double Degrees, double CX, double CY) {
  RotatePoint(CenterX, CenterY, Degrees, CX, CY);
  UpdateBounds();
}

// ---------------------------------------------------------------------------
// TQRectangle

void TQRectangle::Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom,
                       int PixelWidth, int PixelHeight) {
  if (!Visible || !HasFiniteBounds()) return;
  const Mapper m(Left, Right, Top, Bottom, PixelWidth, PixelHeight);
  const int ax = m.X(X1), ay = m.Y(Y1), bx = m.X(X2), by = m.Y(Y2);
  const int l = std::min(ax, bx), r = std::max(ax, bx);
  const int t = std::min(ay, by), b = std::max(ay, by);
  if (PenWidth == 0 && BrushStyle == bsSolid && !IsSelected && !Rounded) {
    Canvas->Brush.Color = BrushFg;
    Canvas->Brush.Style = bsSolid;
    Canvas->FillRect(l, t, r, b);
    return;
  }
  PenOf(Canvas, *this);
  BrushOf(Canvas, *this);
  if (Rounded) {
    const int e = TruncPixel(CornerRadius * std::min(m.sx, m.sy));
    Canvas->RoundRect(l, t, r, b, e, e);
  } else {
    Canvas->Rectangle(l, t, r, b);
  }
}

bool TQRectangle::HitTest(double x, double y, double t) const {
  return x >= std::min(X1, X2) - t && x <= std::max(X1, X2) + t && y >= std::min(Y1, Y2) - t &&
         y <= std::max(Y1, Y2) + t;
}

void TQRectangle::UpdateBounds() { TwoPointBounds(*this); }
void TQRectangle::Translate(double DX, double DY) { TwoPointTranslate(*this, DX, DY); }
void TQRectangle::Scale(double SX, double SY, double CX, double CY) { TwoPointScale(*this, SX, SY, CX, CY); }

// Stored as two axis-parallel corners: a rotation leaves the box as it is.
void TQRectangle::Rotate(double, double, double) { UpdateBounds(); }

// ---------------------------------------------------------------------------
// TQPoint

void TQPoint::Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom,
                   int PixelWidth, int PixelHeight) {
  if (!Visible || !HasFiniteBounds()) return;
  const Mapper m(Left, Right, Top, Bottom, PixelWidth, PixelHeight);
  const int px = m.X(X), py = m.Y(Y);
  const TColor c = DrawColor();
  if (PenWidth <= 0) {
    Canvas->SetPixel(px, py, c);
  } else if (PenWidth == 1) {
    Canvas->SetPixel(px, py, c);
    Canvas->SetPixel(px + 1, py, c);
    Canvas->SetPixel(px, py + 1, c);
    Canvas->SetPixel(px + 1, py + 1, c);
  } else {
    const int r = (std::min(PenWidth, 1000) + 1) / 2;
    Canvas->Brush.Color = c;
    Canvas->Brush.Style = bsSolid;
    if (PenWidth <= 3) {
      Canvas->FillRect(px - r, py - r, px + r + 1, py + r + 1);
    } else {
      Canvas->Pen.Color = c;
      Canvas->Pen.Width = 1;
      Canvas->Pen.Style = psSolid;
      Canvas->Pen.Mode = TPenMode::Copy;
      Canvas->Ellipse(px - r, py - r, px + r, py + r);
    }
  }
}

bool TQPoint::HitTest(double x, double y, double t) const { return std::hypot(x - X, y - Y) <= t; }

void TQPoint::UpdateBounds() {
  MinX = X - PointSize;
  MaxX = X + PointSize;
  MinY = Y - PointSize;
  MaxY = Y + PointSize;
}

void TQPoint::Translate(double DX, double DY) {
  X += DX, Y += DY;
  UpdateBounds();
}

void TQPoint::Scale(double SX, double SY, double CX, double CY) {
  ScalePoint(X, Y, SX, SY, CX, CY);
  UpdateBounds();
}

void TQPoint::Rotate(double Degrees, double CX, double CY) {
  RotatePoint(X, Y, Degrees, CX, CY);
  UpdateBounds();
}

// ---------------------------------------------------------------------------
// TQEllipse

void TQEllipse::Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom,
                     int PixelWidth, int PixelHeight) {
  if (!Visible || !HasFiniteBounds()) return;
  const Mapper m(Left, Right, Top, Bottom, PixelWidth, PixelHeight);
  PenOf(Canvas, *this);
  BrushOf(Canvas, *this);
  Canvas->Ellipse(m.X(X1), m.Y(Y1), m.X(X2), m.Y(Y2));
}

bool TQEllipse::HitTest(double x, double y, double t) const {
  const double a = std::fabs(X2 - X1) / 2, b = std::fabs(Y2 - Y1) / 2;
  if (a == 0 || b == 0) return false;
  const double u = (x - (X1 + X2) / 2) / a, v = (y - (Y1 + Y2) / 2) / b;
  return std::fabs(u * u + v * v - 1) <= t / std::min(a, b);
}

void TQEllipse::UpdateBounds() { TwoPointBounds(*this); }
void TQEllipse::Translate(double DX, double DY) { TwoPointTranslate(*this, DX, DY); }
void TQEllipse::Scale(double SX, double SY, double CX, double CY) { TwoPointScale(*this, SX, SY, CX, CY); }

void TQEllipse::Rotate(double, double, double) { UpdateBounds(); }

// ---------------------------------------------------------------------------
// TQArc

void TQArc::Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom,
                 int PixelWidth, int PixelHeight) {
  if (!Visible || !HasFiniteBounds()) return;
  const Mapper m(Left, Right, Top, Bottom, PixelWidth, PixelHeight);
  PenOf(Canvas, *this);
  DrawClippedLine(Canvas, m.FX(X1), m.FY(Y1), m.FX(X2), m.FY(Y2));
  DrawClippedLine(Canvas, m.FX(X2), m.FY(Y2), m.FX(X3), m.FY(Y3));
}

bool TQArc::HitTest(double x, double y, double t) const {
  return x >= MinX - t && x <= MaxX + t && y >= MinY - t && y <= MaxY + t;
}

void TQArc::UpdateBounds() {
  MinX = Lo(Lo(X1, X2), X3);
  MaxX = Hi(Hi(X1, X2), X3);
  MinY = Lo(Lo(Y1, Y2), Y3);
  MaxY = Hi(Hi(Y1, Y2), Y3);
}

void TQArc::Translate(double DX, double DY) {
  X1 += DX, Y1 += DY, X2 += DX, Y2 += DY, X3 += DX, Y3 += DY;
  UpdateBounds();
}

void TQArc::Scale(double SX, double SY, double CX, double CY) {
  ScalePoint(X1, Y1, SX, SY, CX, CY);
  ScalePoint(X2, Y2, SX, SY, CX, CY);
  ScalePoint(X3, Y3, SX, SY, CX, CY);
  UpdateBounds();
}

void TQArc::Rotate(double Degrees, double CX, double CY) {
  RotatePoint(X1, Y1, Degrees, CX, CY);
  RotatePoint(X2, Y2, Degrees, CX, CY);
  RotatePoint(X3, Y3, Degrees, CX, CY);
  UpdateBounds();
}

// ---------------------------------------------------------------------------
// TQText

int TQText::DrawFontSize() const {
  int size = 10;
  if (Height > 0) size = Height >= 72 ? 72 : static_cast<int>(Height);
  return std::clamp(size, 4, 72);
}

void TQText::Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom,
                  int PixelWidth, int PixelHeight) {
  if (!Visible || !HasFiniteBounds() || TextString.empty()) return;
  const Mapper m(Left, Right, Top, Bottom, PixelWidth, PixelHeight);
  const int px = m.X(X), py = m.Y(Y);
  if (px < -500 || px > PixelWidth + 500 || py < -100 || py > PixelHeight + 100) return;
  TColor color = DrawColor();
  if (!IsSelected) {
    const int mean = (static_cast<int>(color & 0xFF) + static_cast<int>((color >> 8) & 0xFF) +
                      static_cast<int>((color >> 16) & 0xFF)) / 3;
    if (mean > 200) color = clBlack;
  }
  Canvas->Font.Name = FontName;
  Canvas->Font.Size = DrawFontSize();
  Canvas->Font.Color = color;
  Canvas->Font.Bold = Bold;
  Canvas->Font.Italic = Italic;
  Canvas->Font.Orientation = std::isfinite(Angle) ? static_cast<int>(std::fmod(Angle, 360.0) * 10) : 0;
  Canvas->Brush.Style = bsClear;
  const std::string_view part = ShownText(TextString, PixelWidth, PixelHeight, TextAlign);
  std::string cut;
  if (part.size() != TextString.size()) cut = part;
  const std::string& shown = part.size() == TextString.size() ? TextString : cut;
  int dx = 0, dy = 0;
  if (TextAlign == 1 || TextAlign == 2 || TextJustify == 1 || TextJustify == 2) {
    const int tw = Canvas->TextWidth(shown);
    const int th = Canvas->TextHeight(shown);
    dx = TextAlign == 1 ? -(tw / 2) : TextAlign == 2 ? -tw : 0;
    dy = TextJustify == 1 ? -(th / 2) : TextJustify == 2 ? -th : 0;
  }
  Canvas->TextOut(px + dx, py + dy, shown);
  Canvas->Font.Orientation = 0;
}

bool TQText::HitTest(double x, double y, double t) const {
  const double n = CharCount(TextString);
  return x >= X && x <= X + 0.8 * n * t + 2 * t && y >= Y - 3 * t && y <= Y + t;
}

void TQText::UpdateBounds() {
  const double n = CharCount(TextString);
  MinX = X - Height;
  MaxX = X + n * Height * 0.6 + Height;
  MinY = Y - Height;
  MaxY = Y + Height;
}

void TQText::Translate(double DX, double DY) {
  X += DX, Y += DY;
  UpdateBounds();
}

void TQText::Scale(double SX, double SY, double CX, double CY) {
  ScalePoint(X, Y, SX, SY, CX, CY);
  UpdateBounds();
}

void TQText::Rotate(double Degrees, double, double) {
  Angle += Degrees;
  UpdateBounds();
}

// ---------------------------------------------------------------------------
// TQPolyline

void TQPolyline::Draw(TCanvas* Canvas, double Left, double Right, double Top, double Bottom,
                      int PixelWidth, int PixelHeight) {
  const std::size_t n = Points.size();
  if (!Visible || n < 2 || !HasFiniteBounds()) return;
  const Mapper m(Left, Right, Top, Bottom, PixelWidth, PixelHeight);
  PenOf(Canvas, *this);
  BrushOf(Canvas, *this);

  bool inRange = true;
  for (const TPointD& p : Points) {
    if (!InPixelRange(m.FX(p.x)) || !InPixelRange(m.FY(p.y))) {
      inRange = false;
      break;
    }
  }
  const bool polygon = ShapeType != stSpline && !(ShapeType == stArc && n == 3) && Closed && n > 2;
  if (!inRange) {
    // Vertices far off the map: clip before any pixel conversion. Curves are
    // drawn through their straight segments here.
    if (polygon) {
      std::vector<TPixelPoint> pts;
      PolygonClipper clip(-kPixelLimit / 2, kPixelLimit / 2, pts);
      for (const TPointD& p : Points) clip.Add({m.FX(p.x), m.FY(p.y)});
      clip.Close();
      if (pts.size() < 2) return;
      Canvas->Polygon(pts.data(), static_cast<int>(pts.size()));
    } else {
      for (std::size_t i = 0; i + 1 < n; ++i)
        DrawClippedLine(Canvas, m.FX(Points[i].x), m.FY(Points[i].y), m.FX(Points[i + 1].x),
                        m.FY(Points[i + 1].y));
    }
    return;
  }

  auto pixel = [&](std::size_t i) { return TPixelPoint{m.X(Points[i].x), m.Y(Points[i].y)}; };
  // What the pen reaches beyond a line: segments whose box lies farther out
  // than this are left out, and a long line goes in runs (TPixelRun).
  const int margin = PenReach(PenWidth);
  auto outside = [&](std::initializer_list<TPixelPoint> ps) { return OutsideView(ps, PixelWidth, PixelHeight, margin); };

  if (ShapeType == stSpline) {
    // Catmull-Rom through the vertices, one cubic Bezier per segment; the
    // missing neighbours at both ends are reflected. Segments whose curve
    // (inside the box of its four points) lies outside the view are left out.
    TPixelRun run([Canvas](const TPixelPoint* p, int k) { Canvas->PolyBezier(p, k); }, 3 * n + 1);
    TPixelPoint p1 = pixel(0), p2 = pixel(1);
    TPixelPoint p0{2 * p1.x - p2.x, 2 * p1.y - p2.y};
    for (std::size_t i = 0; i + 1 < n; ++i) {
      const TPixelPoint p3 = i + 2 < n ? pixel(i + 2) : TPixelPoint{2 * p2.x - p1.x, 2 * p2.y - p1.y};
      const TPixelPoint c1{static_cast<int>(p1.x + (p2.x - p0.x) * 0.5 / 3),
                           static_cast<int>(p1.y + (p2.y - p0.y) * 0.5 / 3)};
      const TPixelPoint c2{static_cast<int>(p2.x - (p3.x - p1.x) * 0.5 / 3),
                           static_cast<int>(p2.y - (p3.y - p1.y) * 0.5 / 3)};
      if (outside({p1, c1, c2, p2})) {
        run.End();
      } else {
        if (run.Empty()) run.Add(p1);
        run.Add(c1);
        run.Add(c2);
        run.Add(p2);
      }
      p0 = p1, p1 = p2, p2 = p3;
    }
    run.End();
  } else if (ShapeType == stArc && n == 3) {
    // The quadratic curve with the middle vertex as its control point.
    const TPixelPoint pts[3] = {pixel(0), pixel(1), pixel(2)};
    const TPixelPoint bez[4] = {
        pts[0],
        {static_cast<int>(pts[0].x + (pts[1].x - pts[0].x) * 2.0 / 3),
         static_cast<int>(pts[0].y + (pts[1].y - pts[0].y) * 2.0 / 3)},
        {static_cast<int>(pts[2].x + (pts[1].x - pts[2].x) * 2.0 / 3),
         static_cast<int>(pts[2].y + (pts[1].y - pts[2].y) * 2.0 / 3)},
        pts[2]};
    Canvas->PolyBezier(bez, 4);
  } else if (polygon) {
    // A fill needs the whole ring.
    std::vector<TPixelPoint> pts;
    pts.reserve(n);
    for (std::size_t i = 0; i < n; ++i) pts.push_back(pixel(i));
    Canvas->Polygon(pts.data(), static_cast<int>(n));
  } else if (n <= static_cast<std::size_t>(kMaxRunPoints) && m.X(MinX) >= -margin && m.Y(MaxY) >= -margin &&
             m.X(MaxX) <= PixelWidth + margin && m.Y(MinY) <= PixelHeight + margin) {
    // Short and wholly in view: one run as it stands.
    std::vector<TPixelPoint> pts;
    pts.reserve(n);
    for (std::size_t i = 0; i < n; ++i) pts.push_back(pixel(i));
    Canvas->Polyline(pts.data(), static_cast<int>(n));
  } else {
    TPixelRun run([Canvas](const TPixelPoint* p, int k) { Canvas->Polyline(p, k); }, n);
    TPixelPoint a = pixel(0);
    for (std::size_t i = 1; i < n; ++i) {
      const TPixelPoint b = pixel(i);
      if (outside({a, b})) {
        run.End();
      } else {
        if (run.Empty()) run.Add(a);
        run.Add(b);
      }
      a = b;
    }
    run.End();
  }
}

bool TQPolyline::HitTest(double x, double y, double t) const {
  for (std::size_t i = 0; i + 1 < Points.size(); ++i) {
    const TPointD& a = Points[i];
    const TPointD& b = Points[i + 1];
    if (a.x == b.x && a.y == b.y) continue;
    if (SegmentDistance(x, y, a.x, a.y, b.x, b.y) <= t) return true;
  }
  return false;
}

void TQPolyline::UpdateBounds() {
  if (Points.empty()) return;
  double minX = Points[0].x, maxX = minX, minY = Points[0].y, maxY = minY;
  for (const TPointD& p : Points) {
    minX = Lo(minX, p.x);
    maxX = Hi(maxX, p.x);
    minY = Lo(minY, p.y);
    maxY = Hi(maxY, p.y);
  }
  MinX = minX, MaxX = maxX, MinY = minY, MaxY = maxY;
}

void TQPolyline::Translate(double DX, double DY) {
  for (TPointD& p : Points) p.x += DX, p.y += DY;
  UpdateBounds();
}

void TQPolyline::Scale(double SX, double SY, double CX, double CY) {
  for (TPointD& p : Points) ScalePoint(p.x, p.y, SX, SY, CX, CY);
  UpdateBounds();
}

void TQPolyline::Rotate(double Degrees, double CX, double CY) {
  for (TPointD& p : Points) RotatePoint(p.x, p.y, Degrees, CX, CY);
  UpdateBounds();
}

void TQPolyline::AddPoint(double X, double Y) {
  Points.push_back({X, Y});
  if (Points.size() == 1) {
    UpdateBounds();
    return;
  }
  // The box grows by the new vertex alone, as a recount would give, so a
  // reader appending a long line vertex by vertex does not go quadratic.
  MinX = Lo(MinX, X);
  MaxX = Hi(MaxX, X);
  MinY = Lo(MinY, Y);
  MaxY = Hi(MaxY, Y);
}

double TQPolyline::GetPointX(int Index) const {
  if (Index < 0 || Index >= PointCount()) return 0.0;
  return Points[static_cast<std::size_t>(Index)].x;
}

double TQPolyline::GetPointY(int Index) const {
  if (Index < 0 || Index >= PointCount()) return 0.0;
  return Points[static_cast<std::size_t>(Index)].y;
}

void TQPolyline::SetPoint(int Index, double X, double Y) {
  if (Index < 0 || Index >= PointCount()) return;
  Points[static_cast<std::size_t>(Index)] = {X, Y};
  UpdateBounds();
}
