// Overlays drawn over the map at every paint: distance measurement, depth and
// event labels, the current depth and speed panel and the GNSS status box.
// They never enter the back buffer, so updating them costs no rebuild.
#include <algorithm>
#include <cmath>

#include "app/displaysettings.h"
#include "app/formats.h"
#include "canvas/canvasmodel.h"
#include "canvas/geometry.h"

namespace {

constexpr std::size_t kMaxDepthLabels = 10000;
constexpr std::size_t kDepthLabelsDropped = 1000;

int NextCorner(int value) { return static_cast<int>((static_cast<int64_t>(value) + 1) % 4); }

// A depth with its last digit apart: 12.34 -> {"12.3", "4m"}.
struct TSplitDepth {
  std::string Big, Small;
};
TSplitDepth SplitLastDigit(double value) {
  const std::string t = FormatFixed(value, 2);
  TSplitDepth d{std::string(t, 0, t.size() - 1), std::string(1, t.back())};
  d.Small.push_back('m');
  return d;
}
const TSplitDepth kNoDepth{"--.-", "m"};

bool HasValue(double v) { return std::isfinite(v) && v > 0; }

}  // namespace

// ---------------------------------------------------------------------------
// Data

void TQuarixCanvasModel::StartDistanceMeasure(double X, double Y) {
  DistanceActive = true;
  DistanceX1 = DistanceX2 = X;
  DistanceY1 = DistanceY2 = Y;
  DistanceValue = 0;
  InvalidateControl();
}

void TQuarixCanvasModel::UpdateDistanceMeasure(double X, double Y, double Distance, double Bearing) {
  if (!DistanceActive) return;
  DistanceX2 = X;
  DistanceY2 = Y;
  DistanceValue = Distance;
  DistanceBearing = Bearing;
  InvalidateControl();
}

void TQuarixCanvasModel::EndDistanceMeasure() {
  DistanceActive = false;
  InvalidateControl();
}

void TQuarixCanvasModel::AddDepthLabel(double X, double Y, double Depth) {
  if (!AllFinite(X, Y) || !std::isfinite(Depth)) return;
  for (const DepthLabel& l : DepthLabels) {
    const double dx = X - l.X, dy = Y - l.Y;
    if (std::sqrt(dx * dx + dy * dy) < LabelSpacing) return;
  }
  DepthLabels.push_back({X, Y, Depth});
  ++LabelsVersion;
  if (DepthLabels.size() > kMaxDepthLabels)
    DepthLabels.erase(DepthLabels.begin(), DepthLabels.begin() + kDepthLabelsDropped);
  InvalidateControl();
}

void TQuarixCanvasModel::ClearDepthLabels() {
  ++LabelsVersion;
  DepthLabels.clear();
  InvalidateControl();
}

void TQuarixCanvasModel::SetDepthLabelSettings(bool Show, double Spacing, const std::string& FontName,
                                               int FontSize, TColor Color) {
  // The navigation loop sets them on every tick: the labels are drawn again
  // only when a setting really changed.
  const bool same = LabelShow == Show && LabelSpacing == Spacing && LabelFontName == FontName &&
                    LabelFontSize == FontSize && LabelColor == Color;
  LabelShow = Show;
  LabelSpacing = Spacing;
  LabelFontName = FontName;
  LabelFontSize = FontSize;
  LabelColor = Color;
  if (!same) ++LabelsVersion;
  InvalidateControl();
}

void TQuarixCanvasModel::AddEventLabel(double X, double Y, int EventNumber) {
  ++LabelsVersion;
  EventLabels.push_back({X, Y, EventNumber});
  InvalidateControl();
}

void TQuarixCanvasModel::ClearEventLabels() {
  ++LabelsVersion;
  EventLabels.clear();
  InvalidateControl();
}

void TQuarixCanvasModel::SetCurrentDepth(double Depth, double DepthLo, bool Show) {
  CurrentDepth = Depth;
  CurrentDepthLo = DepthLo;
  ShowCurrentDepth = Show;
  InvalidateControl();
}

void TQuarixCanvasModel::SetCurrentSpeed(double Knots, bool Show) {
  CurrentSpeed = Knots;
  ShowCurrentSpeed = Show;
  InvalidateControl();
}

void TQuarixCanvasModel::ToggleDepthSpeedDisplayMode() {
  DepthSpeedDisplayMode = NextCorner(DepthSpeedDisplayMode);
  InvalidateControl();
}

void TQuarixCanvasModel::ToggleGGAOverlayPosition() {
  GGAOverlayPosition = NextCorner(GGAOverlayPosition);
  InvalidateControl();
}

void TQuarixCanvasModel::SetHeadingValid(bool Valid) {
  HeadingValid = Valid;
  InvalidateControl();
}

// ---------------------------------------------------------------------------
// Decisions

TDepthPanelTexts TQuarixCanvasModel::DepthPanelTexts() const {
  TSplitDepth depth, lo;
  if (ShowCurrentDepth) {
    depth = HasValue(CurrentDepth) ? SplitLastDigit(CurrentDepth) : kNoDepth;
    if (HasValue(CurrentDepthLo))
      lo = SplitLastDigit(CurrentDepthLo);
    else if (CurrentDepthLo == 0 && CurrentDepth == 0)
      lo = kNoDepth;
  }
  TDepthPanelTexts t{depth.Big, depth.Small, {}, {}};
  if (!lo.Big.empty()) t.Line1Small.append(" / ").append(lo.Big).append(lo.Small);
  if (ShowCurrentSpeed) {
    t.SpeedBig = std::isfinite(CurrentSpeed) ? FormatFixed(CurrentSpeed, 1) : std::string("--.-");
    t.SpeedSmall = std::string("kn");
  }
  return t;
}

std::string TQuarixCanvasModel::GGABoxText() const {
  return NoValidPosition ? std::string("NO VALID POSITION RECEIVED") : GGAOverlayText;
}

TColor TQuarixCanvasModel::GGABoxColor() const {
  if (NoValidPosition) return clRed;
  switch (GGAFixQuality) {
    case 0:
    case 1: return clRed;
    case 2: return clAqua;
    case 4:
    case 7: return clLime;
    default: return clYellow;
  }
}

TColor TQuarixCanvasModel::GGATextColor() const { return GGABoxColor() == clRed ? clWhite : clBlack; }

namespace {

TFontState StatusFont() {
  TFontState f;
  f.Name = "Consolas";
  f.Size = 12;
  f.Bold = true;
  f.Color = clBlack;
  return f;
}

// Top-left corner of the status box's text for a text of w x h pixels.
void StatusOrigin(int position, int w, int h, int width, int height, int& x, int& y) {
  switch (position) {
    case 1: x = width - w - 8, y = 8; break;
    case 2: x = width - w - 8, y = height - h - 10; break;
    case 3: x = 8, y = height - h - 10; break;
    default: x = 8, y = 8; break;
  }
}

}  // namespace

bool TQuarixCanvasModel::IsPointInGGAOverlay(int X, int Y) const {
  const std::string text = GGABoxText();
  if (text.empty()) return false;
  int w = 0, h = 0;
  MeasureText(StatusFont(), text, w, h);
  int x = 0, y = 0;
  StatusOrigin(GGAOverlayPosition, w, h, ControlWidth(), ControlHeight(), x, y);
  return X >= x - 6 && X <= x + w + 6 && Y >= y - 6 && Y <= y + h + 6;
}

// ---------------------------------------------------------------------------
// Drawing

void TQuarixCanvasModel::DrawDistanceOverlay(TCanvas* c) {
  if (!DistanceActive) return;
  int sx = 0, sy = 0, ex = 0, ey = 0;
  WorldToScreen(DistanceX1, DistanceY1, sx, sy);
  WorldToScreen(DistanceX2, DistanceY2, ex, ey);
  const int64_t dx = int64_t{ex} - sx, dy = int64_t{ey} - sy;
  const int64_t d2 = dx * dx + dy * dy;
  if (d2 < 4) return;
  const int r = TruncPixel(std::sqrt(static_cast<double>(d2)));
  c->Pen = TPenState{clRed, 1, psSolid, TPenMode::Copy};
  c->Brush.Style = bsClear;
  if (r > 2) c->Ellipse(sx - r, sy - r, sx + r, sy + r);
  c->Brush = TBrushState{clRed, bsSolid};
  c->Ellipse(sx - 3, sy - 3, sx + 3, sy + 3);
  c->Pen = TPenState{clBlue, 1, psSolid, TPenMode::Copy};
  c->Line(sx, sy, ex, ey);
  c->Line(ex - 8, ey, ex + 8, ey);
  c->Line(ex, ey - 8, ex, ey + 8);

  c->Font.Size = 11;
  c->Font.Bold = true;
  c->Font.Italic = false;
  c->Font.Orientation = 0;
  const std::string t1 = FormatFixed(DistanceValue, 2) + " m";
  const std::string t2 = FormatFixed(DistanceBearing, 1) + "\xc2\xb0";
  const int w1 = c->TextWidth(t1), w2 = c->TextWidth(t2);
  const int w = std::max(w1, w2);
  const int h = c->TextHeight(t1);
  const int mx = static_cast<int>(sx + dx / 2);
  const int ty = static_cast<int>(sy + dy / 2 - 30);
  c->Brush = TBrushState{clYellow, bsSolid};
  c->Pen = TPenState{clBlack, 1, psSolid, TPenMode::Copy};
  c->Rectangle(mx - w / 2 - 8, ty - 2, mx + w / 2 + 8, ty + 2 * h + 6);
  c->Brush.Style = bsClear;
  c->Font.Color = clBlack;
  c->TextOut(mx - w1 / 2, ty, t1);
  c->Font.Color = clNavy;
  c->TextOut(mx - w2 / 2, ty + h + 2, t2);
  c->Font.Bold = false;
}

namespace {

// Writes each label's text centred on its point, in the given font on a
// clear brush. Labels more than 50 pixels left or right of the control, or
// 20 above or below it, are left out.
// With `near`, only the labels whose text may reach into that pixel
// rectangle (left, top, right, bottom) are drawn.
template <typename Label, typename TextOf>
void DrawLabelTexts(const TQuarixCanvasModel& m, TCanvas* c, const TFontState& font,
                    const std::vector<Label>& labels, TextOf textOf, const int* near = nullptr) {
  c->Font = font;
  c->Brush.Style = bsClear;
  const int w = m.ControlWidth(), h = m.ControlHeight();
  // Far enough from the rectangle that no label of this font reaches it.
  const int reach = near ? 64 + 16 * std::max(1, std::abs(font.Size)) : 0;
  for (const Label& l : labels) {
    int px = 0, py = 0;
    m.WorldToScreen(l.X, l.Y, px, py);
    if (px < -50 || px > w + 50 || py < -20 || py > h + 20) continue;
    if (near && (px < near[0] - reach || px > near[2] + reach || py < near[1] - reach || py > near[3] + reach))
      continue;
    const std::string text = textOf(l);
    const int tw = c->TextWidth(text), th = c->TextHeight(text);
    const int x = px - tw / 2, y = py - th / 2;
    if (near && (x - 4 >= near[2] || x + tw + 4 <= near[0] || y - 4 >= near[3] || y + th + 4 <= near[1])) continue;
    c->TextOut(x, y, text);
  }
}

}  // namespace

void TQuarixCanvasModel::DrawDepthLabelsOverlay(TCanvas* c) {
  if (!LabelShow || DepthLabels.empty()) return;
  DrawLabelTexts(*this, c, TFontState{LabelFontName, LabelFontSize, false, false, 0, LabelColor}, DepthLabels,
                 [](const DepthLabel& l) { return FormatFixed(l.Depth, 1); });
}

void TQuarixCanvasModel::DrawEventLabelsOverlay(TCanvas* c) {
  if (EventLabels.empty()) return;
  DrawLabelTexts(*this, c, TFontState{"Arial", ::EventLabelFontSize, true, false, 0, ::EventLabelColor},
                 EventLabels, [](const EventLabel& l) { return std::to_string(l.EventNumber); });
  c->Font.Bold = false;
}

void TQuarixCanvasModel::RenderLabelsNear(TCanvas* c, int Left, int Top, int Right, int Bottom) {
  const int near[4] = {Left, Top, Right, Bottom};
  if (LabelShow && !DepthLabels.empty())
    DrawLabelTexts(*this, c, TFontState{LabelFontName, LabelFontSize, false, false, 0, LabelColor}, DepthLabels,
                   [](const DepthLabel& l) { return FormatFixed(l.Depth, 1); }, near);
  if (!EventLabels.empty()) {
    DrawLabelTexts(*this, c, TFontState{"Arial", ::EventLabelFontSize, true, false, 0, ::EventLabelColor},
                   EventLabels, [](const EventLabel& l) { return std::to_string(l.EventNumber); }, near);
    c->Font.Bold = false;
  }
}

void TQuarixCanvasModel::DrawCurrentDepthOverlay(TCanvas* c) {
  if (!ShowCurrentDepth && !ShowCurrentSpeed) return;
  const TDepthPanelTexts t = DepthPanelTexts();
  if (t.Line1.empty() && t.SpeedBig.empty()) return;
  c->Font.Name = "Arial Black";
  c->Font.Bold = true;
  c->Font.Italic = false;
  c->Font.Orientation = 0;
  const int bigSize = ::OverlayFontSize;
  auto widthAt = [&](const std::string& s, int size) {
    if (s.empty()) return 0;
    c->Font.Size = size;
    return c->TextWidth(s);
  };
  const int w1 = widthAt(t.Line1, bigSize);
  const int w2 = widthAt(t.Line1Small, 10);
  const int w3 = widthAt(t.SpeedBig, bigSize);
  const int w4 = widthAt(t.SpeedSmall, 10);
  const int total = w1 + w2 + w3 + w4;
  c->Font.Size = bigSize;
  const int h = c->TextHeight("0");
  const int W = ControlWidth(), H = ControlHeight();
  int x = 10, y = H - h - 10;
  switch (DepthSpeedDisplayMode) {
    case 1: x = W - total - 10, y = H - h - 10; break;
    case 2: x = W - total - 10, y = 10; break;
    case 3: x = 10, y = 10; break;
    default: break;
  }
  c->Brush = TBrushState{clWhite, bsSolid};
  c->Pen = TPenState{clBlack, 1, psSolid, TPenMode::Copy};
  c->RoundRect(x - 6, y - 6, x + total + 6, y + h + 6, 6, 6);
  c->Brush.Style = bsClear;
  int cx = x;
  if (!t.Line1.empty()) {
    c->Font.Color = ::OverlayDepthColor;
    c->Font.Size = bigSize;
    c->TextOut(cx, y, t.Line1);
    cx += w1;
    c->Font.Size = 10;
    c->TextOut(cx, y, t.Line1Small);
    cx += w2;
  }
  if (!t.SpeedBig.empty()) {
    c->Font.Size = bigSize;
    c->Font.Color = ::OverlaySpeedColor;
    c->TextOut(cx, y, t.SpeedBig);
    cx += w3;
    c->Font.Size = 10;
    c->TextOut(cx, y, t.SpeedSmall);
  }
  c->Font.Bold = false;
}

void TQuarixCanvasModel::DrawGGAOverlay(TCanvas* c) {
  const std::string text = GGABoxText();
  if (text.empty()) return;
  c->Font = StatusFont();
  const int w = c->TextWidth(text), h = c->TextHeight(text);
  int x = 0, y = 0;
  StatusOrigin(GGAOverlayPosition, w, h, ControlWidth(), ControlHeight(), x, y);
  const TColor box = GGABoxColor();
  c->Font.Color = GGATextColor();
  c->Brush = TBrushState{box, bsSolid};
  c->Pen = TPenState{box, 1, psSolid, TPenMode::Copy};
  c->RoundRect(x - 6, y - 6, x + w + 6, y + h + 6, 6, 6);
  c->Brush.Style = bsClear;
  const std::size_t p = text.find("THdg:");
  if (p == std::string::npos || HeadingValid) {
    c->TextOut(x, y, text);
  } else {
    const std::string a = text.substr(0, p), b = text.substr(p);
    c->TextOut(x, y, a);
    const int wa = c->TextWidth(a), wb = c->TextWidth(b);
    c->Brush = TBrushState{clRed, bsSolid};
    c->FillRect(x + wa - 2, y - 2, x + wa + wb + 2, y + h + 2);
    c->Brush.Style = bsClear;
    const TColor saved = c->Font.Color;
    c->Font.Color = clWhite;
    c->TextOut(x + wa, y, b);
    c->Font.Color = saved;
  }
  c->Font.Bold = false;
}
