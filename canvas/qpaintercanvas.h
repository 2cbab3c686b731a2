#pragma once
// The GDI-style drawing surface over a QImage (RGB32) and a QPainter on it.
// Thin solid or dotted pens are drawn pixel by pixel with the GDI rules (a
// line leaves out its last pixel, XOR works on any colour); wider pens,
// fills, ellipses and text go through QPainter with antialiasing off, round
// caps, odd-even fill and text placed by its top-left corner. Point sizes
// convert to pixels at 96 dpi.
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "canvas/gdicanvas.h"

class TQPainterCanvas : public TCanvas {
 public:
  // The painter must be active on the image.
  TQPainterCanvas(QPainter& Painter, QImage& Image);

  void SetPixel(int x, int y, TColor color) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void Polyline(const TPixelPoint* points, int count) override;
  void Polygon(const TPixelPoint* points, int count) override;
  void PolyBezier(const TPixelPoint* points, int count) override;
  void Rectangle(int left, int top, int right, int bottom) override;
  void RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) override;
  void Ellipse(int left, int top, int right, int bottom) override;
  void FillRect(int left, int top, int right, int bottom) override;
  void TextOut(int x, int y, const std::string& text) override;
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string& text) override;

  // The QFont of a font state (cached).
  // Limits every drawing to the pixels of [left, right) x [top, bottom);
  // what is drawn inside is the same as without the limit.
  void SetClip(int left, int top, int right, int bottom);

  static QFont MakeFont(const TFontState& font);
  static QRgb ToRgb(TColor color);

 private:
  bool ThinPen() const;
  void ThinLine(int x1, int y1, int x2, int y2, bool lastPixel);
  void StrokeSegments(const TPixelPoint* points, int count, bool closed);
  void ApplyPen();
  void ApplyNoPen();
  void ApplyBrush();
  void ApplyCompositionMode();
  struct TextSprite {
    QImage coverage;  // Format_Alpha8, white text rendered once
    int advance = 0;
    std::vector<std::pair<int, int>> rows;  // per row: first and one past the last covered column
  };
  const QFont& CurrentFont();
  const TextSprite* Sprite(const std::string& text);
  bool BlitCachedText(int x, int y, const std::string& text);
  void PlotRun(int x, int y, uint32_t rgb, bool xorMode);
  void Span(int y, int x0, int x1, uint32_t rgb, bool xorMode);
  void ThinEllipse(int left, int top, int right, int bottom);

  QPainter& painter_;
  QImage& image_;
  uint32_t* bits_ = nullptr;
  int stride_ = 0;  // pixels per row
  int width_ = 0;
  int height_ = 0;
  int clipLeft_ = 0, clipTop_ = 0, clipRight_ = 0, clipBottom_ = 0;
  int dotPhase_ = 0;
  long flattenLeft_ = kMaxFlattenedPoints;  // points this paint may still flatten curves into
  // The font in use: the state it was made from, the font, its metrics and
  // its number in the process-wide font cache.
  TFontState fontState_;
  bool fontValid_ = false;
  QFont font_;
  std::unique_ptr<QFontMetrics> metrics_;
  int fontId_ = -1;
};
