#include "canvas/qpaintercanvas.h"

#include <QFontMetrics>
#include <QPainterPath>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "canvas/geometry.h"

namespace {

Qt::BrushStyle QtBrushStyle(TBrushStyle s) {
  switch (s) {
    case bsSolid: return Qt::SolidPattern;
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
  }
}

QRect Normalized(int l, int t, int r, int b) {
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  return QRect(l, t, r - l, b - t);
}

}  // namespace

QRgb TQPainterCanvas::ToRgb(TColor color) {
  const uint32_t high = color >> 24;
  if (high == 0xFF || high == 0x80) return ToQColor(color).rgb();
  return 0xFF000000u | ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

QFont TQPainterCanvas::MakeFont(const TFontState& f) {
  QFont font(QString::fromStdString(f.Name));
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(std::abs(f.Size) * 96.0 / 72.0))));
  font.setBold(f.Bold);
  font.setItalic(f.Italic);
  return font;
}

TQPainterCanvas::TQPainterCanvas(QPainter& Painter, QImage& Image) : painter_(Painter), image_(Image) {
  width_ = image_.width();
  height_ = image_.height();
  if (image_.format() == QImage::Format_RGB32 || image_.format() == QImage::Format_ARGB32 ||
      image_.format() == QImage::Format_ARGB32_Premultiplied) {
    bits_ = reinterpret_cast<uint32_t*>(image_.bits());
    stride_ = static_cast<int>(image_.bytesPerLine() / 4);
  }
  clipRight_ = width_;
  clipBottom_ = height_;
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

void TQPainterCanvas::SetClip(int left, int top, int right, int bottom) {
  clipLeft_ = std::clamp(left, 0, width_);
  clipTop_ = std::clamp(top, 0, height_);
  clipRight_ = std::clamp(right, clipLeft_, width_);
  clipBottom_ = std::clamp(bottom, clipTop_, height_);
  painter_.setClipRect(QRect(clipLeft_, clipTop_, clipRight_ - clipLeft_, clipBottom_ - clipTop_));
}

bool TQPainterCanvas::ThinPen() const { return Pen.Width <= 1 && bits_ != nullptr; }

void TQPainterCanvas::PlotRun(int x, int y, uint32_t rgb, bool xorMode) {
  if (x < clipLeft_ || x >= clipRight_ || y < clipTop_ || y >= clipBottom_) return;
  uint32_t& px = bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(stride_) + static_cast<std::size_t>(x)];
  if (xorMode)
    px ^= (rgb & 0x00FFFFFFu);
  else
    px = rgb;
}

void TQPainterCanvas::SetPixel(int x, int y, TColor color) {
  if (bits_) {
    PlotRun(x, y, ToRgb(color), false);
    return;
  }
  if (x >= clipLeft_ && y >= clipTop_ && x < clipRight_ && y < clipBottom_) image_.setPixel(x, y, ToRgb(color));
}

void TQPainterCanvas::ThinLine(int x1, int y1, int x2, int y2, bool lastPixel) {
  const int lo = -2;
  if (x1 < lo || y1 < lo || x2 < lo || y2 < lo || x1 > width_ + 1 || x2 > width_ + 1 ||
      y1 > height_ + 1 || y2 > height_ + 1) {
    double a = x1, b = y1, c = x2, d = y2;
    if (!ClipSegment(a, b, c, d, lo, lo, width_ + 1, height_ + 1)) return;
    x1 = static_cast<int>(std::lround(a));
    y1 = static_cast<int>(std::lround(b));
    x2 = static_cast<int>(std::lround(c));
    y2 = static_cast<int>(std::lround(d));
  }
  const uint32_t rgb = ToRgb(Pen.Color);
  const bool xorMode = Pen.Mode == TPenMode::Xor;
  const bool dotted = Pen.Style != psSolid;
  int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  int x = x1, y = y1;
  for (;;) {
    const bool last = x == x2 && y == y2;
    if (last && !lastPixel) break;
    if (!dotted || (dotPhase_++ & 1) == 0) PlotRun(x, y, rgb, xorMode);
    if (last) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

void TQPainterCanvas::ApplyCompositionMode() {
  painter_.setCompositionMode(Pen.Mode == TPenMode::Xor ? QPainter::RasterOp_SourceXorDestination
                                                        : QPainter::CompositionMode_SourceOver);
}

void TQPainterCanvas::ApplyPen() {
  QPen pen(QColor::fromRgb(ToRgb(Pen.Color)));
  pen.setWidth(std::max(1, Pen.Width));
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setStyle(Pen.Style == psSolid ? Qt::SolidLine : Pen.Style == psDash ? Qt::DashLine : Qt::DotLine);
  painter_.setPen(pen);
  ApplyCompositionMode();
}

void TQPainterCanvas::ApplyNoPen() {
  painter_.setPen(Qt::NoPen);
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQPainterCanvas::ApplyBrush() {
  if (Brush.Style == bsClear) {
    painter_.setBrush(Qt::NoBrush);
  } else {
    painter_.setBrush(QBrush(QColor::fromRgb(ToRgb(Brush.Color)), QtBrushStyle(Brush.Style)));
  }
}

void TQPainterCanvas::Line(int x1, int y1, int x2, int y2) {
  if (ThinPen()) {
    ThinLine(x1, y1, x2, y2, false);
    return;
  }
  ApplyPen();
  painter_.drawLine(x1, y1, x2, y2);
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// A wide pen strokes a line segment by segment: with its round caps the
// segments draw what the line's round joins would, segments whose reach lies
// outside the image are left out, and no stroke holds more than one segment
// however long the line.
void TQPainterCanvas::StrokeSegments(const TPixelPoint* points, int count, bool closed) {
  ApplyPen();
  painter_.setBrush(Qt::NoBrush);
  const int margin = PenReach(Pen.Width);
  const int segments = closed ? count : count - 1;
  for (int i = 0; i < segments; ++i) {
    const TPixelPoint& a = points[i];
    const TPixelPoint& b = points[(i + 1) % count];
    if (OutsideView({a, b}, width_, height_, margin)) continue;
    painter_.drawLine(a.x, a.y, b.x, b.y);
  }
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQPainterCanvas::Polyline(const TPixelPoint* points, int count) {
  if (count < 2) return;
  if (ThinPen()) {
    for (int i = 0; i + 1 < count; ++i)
      ThinLine(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, false);
    return;
  }
  StrokeSegments(points, count, false);
}

void TQPainterCanvas::Polygon(const TPixelPoint* points, int count) {
  if (count < 2) return;
  if (Brush.Style != bsClear) {
    QPolygon poly(count);
    for (int i = 0; i < count; ++i) poly.setPoint(i, points[i].x, points[i].y);
    ApplyNoPen();
    ApplyBrush();
    painter_.drawPolygon(poly, Qt::OddEvenFill);
  }
  if (ThinPen()) {
    for (int i = 0; i < count; ++i) {
      const TPixelPoint& a = points[i];
      const TPixelPoint& b = points[(i + 1) % count];
      ThinLine(a.x, a.y, b.x, b.y, false);
    }
    return;
  }
  StrokeSegments(points, count, true);
}

// Flattened into a line as it goes, a run at a time: curves wholly outside
// the image (and what the pen reaches) are left out, a curve gets one point
// per kCurveStepPixels pixels of its control polygon, at most
// kMaxCurveSteps, and past the paint's kMaxFlattenedPoints only its chord.
void TQPainterCanvas::PolyBezier(const TPixelPoint* points, int count) {
  const int margin = PenReach(Pen.Width);
  TPixelRun run([this](const TPixelPoint* p, int k) { Polyline(p, k); }, static_cast<std::size_t>(count));
  for (int i = 0; i + 3 < count; i += 3) {
    const TPixelPoint* c = points + i;
    if (OutsideView({c[0], c[1], c[2], c[3]}, width_, height_, margin)) {
      run.End();
      continue;
    }
    if (run.Empty()) run.Add(c[0]);
    const double ax = c[0].x, ay = c[0].y, bx = c[1].x, by = c[1].y;
    const double cx = c[2].x, cy = c[2].y, dx = c[3].x, dy = c[3].y;
    const double len = std::hypot(bx - ax, by - ay) + std::hypot(cx - bx, cy - by) + std::hypot(dx - cx, dy - cy);
    int steps = std::clamp(static_cast<int>(len / kCurveStepPixels), 1, kMaxCurveSteps);
    if (steps > flattenLeft_) steps = 1;
    flattenLeft_ -= std::min<long>(steps, flattenLeft_);
    for (int k = 1; k <= steps; ++k) {
      const double t = static_cast<double>(k) / steps, u = 1 - t;
      const double x = u * u * u * ax + 3 * u * u * t * bx + 3 * u * t * t * cx + t * t * t * dx;
      const double y = u * u * u * ay + 3 * u * u * t * by + 3 * u * t * t * cy + t * t * t * dy;
      const TPixelPoint q{static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
      if (!(q == run.Last())) run.Add(q);
    }
  }
  run.End();
}

void TQPainterCanvas::Rectangle(int left, int top, int right, int bottom) {
  const QRect r = Normalized(left, top, right, bottom);
  if (r.width() <= 0 || r.height() <= 0) return;
  if (Brush.Style != bsClear) {
    ApplyNoPen();
    ApplyBrush();
    painter_.drawRect(r);
  }
  const int l = r.left(), t = r.top(), rr = r.left() + r.width() - 1, b = r.top() + r.height() - 1;
  if (ThinPen()) {
    ThinLine(l, t, rr, t, false);
    ThinLine(rr, t, rr, b, false);
    ThinLine(rr, b, l, b, false);
    ThinLine(l, b, l, t, false);
    if (rr == l && b == t) PlotRun(l, t, ToRgb(Pen.Color), Pen.Mode == TPenMode::Xor);
    return;
  }
  ApplyPen();
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRect(l, t, rr - l, b - t));
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQPainterCanvas::RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                                int ellipseHeight) {
  const QRect r = Normalized(left, top, right, bottom);
  if (r.width() <= 0 || r.height() <= 0) return;
  ApplyPen();
  ApplyBrush();
  painter_.drawRoundedRect(QRect(r.left(), r.top(), r.width() - 1, r.height() - 1),
                           std::max(0, ellipseWidth) / 2.0, std::max(0, ellipseHeight) / 2.0);
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQPainterCanvas::Span(int y, int x0, int x1, uint32_t rgb, bool xorMode) {
  if (y < clipTop_ || y >= clipBottom_) return;
  x0 = std::max(x0, clipLeft_);
  x1 = std::min(x1, clipRight_ - 1);
  uint32_t* row = bits_ + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride_);
  for (int x = x0; x <= x1; ++x) row[x] = xorMode ? (row[x] ^ (rgb & 0x00FFFFFFu)) : rgb;
}

// An ellipse inscribed in the box [left, right) x [top, bottom): a pixel
// belongs to it when its centre lies inside; the outline is the ring of
// pixels inside the ellipse but outside the one a pixel smaller.
void TQPainterCanvas::ThinEllipse(int left, int top, int right, int bottom) {
  const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
  const double a = (right - left) / 2.0, b = (bottom - top) / 2.0;
  const uint32_t pen = ToRgb(Pen.Color), brush = ToRgb(Brush.Color);
  const bool xorMode = Pen.Mode == TPenMode::Xor;
  const bool fill = Brush.Style == bsSolid;
  auto span = [](double c, double r, double v, int& x0, int& x1) {
    if (r <= 0 || std::fabs(v) > 1) return false;
    const double hw = r * std::sqrt(1 - v * v);
    x0 = static_cast<int>(std::ceil(c - hw - 0.5));
    x1 = static_cast<int>(std::floor(c + hw - 0.5));
    return x0 <= x1;
  };
  const int y0 = std::max(top, 0), y1 = std::min(bottom, height_) - 1;
  for (int y = y0; y <= y1; ++y) {
    const double py = y + 0.5 - cy;
    int ox0 = 0, ox1 = -1, ix0 = 0, ix1 = -1;
    if (!span(cx, a, py / b, ox0, ox1)) continue;
    const bool inner = a > 1 && b > 1 && span(cx, a - 1, py / (b - 1), ix0, ix1);
    if (!inner) {
      Span(y, ox0, ox1, pen, xorMode);
      continue;
    }
    Span(y, ox0, ix0 - 1, pen, xorMode);
    Span(y, ix1 + 1, ox1, pen, xorMode);
    if (fill) Span(y, ix0, ix1, brush, false);
  }
}

void TQPainterCanvas::Ellipse(int left, int top, int right, int bottom) {
  const QRect r = Normalized(left, top, right, bottom);
  if (r.width() <= 0 || r.height() <= 0) return;
  if (ThinPen() && Pen.Style == psSolid && (Brush.Style == bsSolid || Brush.Style == bsClear)) {
    ThinEllipse(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
    return;
  }
  ApplyPen();
  ApplyBrush();
  painter_.drawEllipse(QRect(r.left(), r.top(), r.width() - 1, r.height() - 1));
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQPainterCanvas::FillRect(int left, int top, int right, int bottom) {
  if (Brush.Style == bsClear) return;
  const QRect r = Normalized(left, top, right, bottom);
  if (r.width() <= 0 || r.height() <= 0) return;
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter_.fillRect(r, QBrush(QColor::fromRgb(ToRgb(Brush.Color)), QtBrushStyle(Brush.Style)));
}

const QFont& TQPainterCanvas::CurrentFont() {
  if (fontValid_ && fontState_.Name == Font.Name && fontState_.Size == Font.Size &&
      fontState_.Bold == Font.Bold && fontState_.Italic == Font.Italic)
    return font_;
  struct Entry {
    QFont font;
    int id;
  };
  // Kept for the whole run and never destroyed: fonts must not outlive the
  // application object at exit.
  static auto& cache = *new std::unordered_map<std::string, Entry>;
  std::string key = Font.Name;
  key += '|';
  key += std::to_string(Font.Size);
  key += Font.Bold ? 'B' : '-';
  key += Font.Italic ? 'I' : '-';
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, Entry{MakeFont(Font), static_cast<int>(cache.size())}).first;
  font_ = it->second.font;
  fontId_ = it->second.id;
  metrics_ = std::make_unique<QFontMetrics>(font_);
  fontState_ = Font;
  fontValid_ = true;
  return font_;
}

namespace {
constexpr std::size_t kMaxSprites = 8192;
// What the sprites may hold in all. Texts that change on every tick (the
// status box with speed and depth, the depth panel) are new sprites each
// time: without this bound they would fill the cache with megabytes of
// pictures never drawn again before it is emptied.
constexpr std::size_t kMaxSpriteBytes = std::size_t{4} << 20;
}  // namespace

// A text of the current font rendered once as 8-bit coverage; null when the
// text is too large to keep.
const TQPainterCanvas::TextSprite* TQPainterCanvas::Sprite(const std::string& text) {
  static auto& sprites = *new std::unordered_map<std::string, TextSprite>;
  static std::size_t spriteBytes = 0;
  CurrentFont();
  std::string key = std::to_string(fontId_);
  key += '\0';
  key += text;
  auto it = sprites.find(key);
  if (it != sprites.end()) return &it->second;
  const QString s = QString::fromStdString(text);
  const int advance = metrics_->horizontalAdvance(s);
  const int w = std::max(1, metrics_->boundingRect(s).right() + 2);
  const int h = metrics_->height();
  if (w > 4096 || h > 1024 || advance > 4096) return nullptr;
  QImage img(std::max(w, advance), h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font_);
    p.setPen(Qt::white);
    p.drawText(0, metrics_->ascent(), s);
  }
  TextSprite sprite{img.convertToFormat(QImage::Format_Alpha8), advance, {}};
  for (int y = 0; y < sprite.coverage.height(); ++y) {
    const uchar* a = sprite.coverage.constScanLine(y);
    int first = 0, last = sprite.coverage.width();
    while (first < last && a[first] == 0) ++first;
    while (last > first && a[last - 1] == 0) --last;
    sprite.rows.emplace_back(first, last);
  }
  const std::size_t bytes = static_cast<std::size_t>(sprite.coverage.sizeInBytes()) +
                            sprite.rows.capacity() * sizeof(sprite.rows[0]) + key.capacity() + 64;
  if (sprites.size() >= kMaxSprites || spriteBytes + bytes > kMaxSpriteBytes) {
    sprites.clear();
    spriteBytes = 0;
  }
  spriteBytes += bytes;
  it = sprites.emplace(std::move(key), std::move(sprite)).first;
  return &it->second;
}

// Upright texts on a clear background are blended from sprites: depth labels
// and soundings repeat the same few hundred texts thousands of times.
bool TQPainterCanvas::BlitCachedText(int x, int y, const std::string& text) {
  if (!bits_ || Font.Orientation % 3600 != 0 || Brush.Style != bsClear) return false;
  if (x >= width_ || y >= height_ || x <= -4096 || y <= -1024) return true;
  const TextSprite* sprite = Sprite(text);
  if (!sprite) return false;
  const QImage& cov = sprite->coverage;
  const QRgb rgb = ToRgb(Font.Color);
  const int cr = qRed(rgb), cg = qGreen(rgb), cb = qBlue(rgb);
  const int y0 = std::max(0, clipTop_ - y), y1 = std::min(cov.height(), clipBottom_ - y);
  const int xmin = std::max(0, clipLeft_ - x), xmax = std::min(cov.width(), clipRight_ - x);
  for (int yy = y0; yy < y1; ++yy) {
    const int x0 = std::max(xmin, sprite->rows[static_cast<std::size_t>(yy)].first);
    const int x1 = std::min(xmax, sprite->rows[static_cast<std::size_t>(yy)].second);
    if (x0 >= x1) continue;
    const uchar* a = cov.constScanLine(yy);
    uint32_t* row = bits_ + static_cast<std::size_t>(y + yy) * static_cast<std::size_t>(stride_) + x;
    for (int xx = x0; xx < x1; ++xx) {
      // Weight 0..256 (255 -> 256), so full coverage gives the colour exactly.
      const int w = a[xx] + (a[xx] >> 7);
      const uint32_t d = row[xx];
      const int dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
      const int r = dr + (((cr - dr) * w) >> 8);
      const int g = dg + (((cg - dg) * w) >> 8);
      const int b = db + (((cb - db) * w) >> 8);
      row[xx] = 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
                static_cast<uint32_t>(b);
    }
  }
  return true;
}

void TQPainterCanvas::TextOut(int x, int y, const std::string& text) {
  if (text.empty()) return;
  const QFont& font = CurrentFont();
  if (BlitCachedText(x, y, text)) return;
  const QString s = QString::fromStdString(text);
  const QFontMetrics& fm = *metrics_;
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter_.setFont(font);
  if (Font.Orientation % 3600 != 0) {
    painter_.save();
    painter_.translate(x, y);
    painter_.rotate(-(Font.Orientation % 3600) / 10.0);
    if (Brush.Style != bsClear)
      painter_.fillRect(QRect(0, 0, fm.horizontalAdvance(s), fm.height()), QColor::fromRgb(ToRgb(Brush.Color)));
    painter_.setPen(QColor::fromRgb(ToRgb(Font.Color)));
    painter_.drawText(0, fm.ascent(), s);
    painter_.restore();
    return;
  }
  if (Brush.Style != bsClear)
    painter_.fillRect(QRect(x, y, fm.horizontalAdvance(s), fm.height()), QColor::fromRgb(ToRgb(Brush.Color)));
  painter_.setPen(QColor::fromRgb(ToRgb(Font.Color)));
  painter_.drawText(x, y + fm.ascent(), s);
}

int TQPainterCanvas::TextWidth(const std::string& text) {
  if (const TextSprite* sprite = Sprite(text)) return sprite->advance;
  return metrics_->horizontalAdvance(QString::fromStdString(text));
}

int TQPainterCanvas::TextHeight(const std::string&) {
  CurrentFont();
  return metrics_->height();
}
