// Painting: the back buffer's content (background, grid, shapes) and what
// every paint draws over it (rubber band, overlays, scale bar).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <typeinfo>

#include "app/formats.h"
#include "canvas/canvasmodel.h"
#include "canvas/geometry.h"

namespace {

constexpr int kThinning = 3;          // pixels: a point this close to the last drawn one is skipped
constexpr int kTextCell = 60;         // pixels: one text per cell
constexpr int kMaxGridLines = 1000;   // per axis

// A number with at most `decimals` decimals, trailing zeros and a bare
// period left out: 1250, 12.5, 0.125.
std::string GridLabel(double v, int decimals) {
  std::string s = FormatFixed(v, decimals);
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

// Lines of one grid axis from `lo` to `hi` with the given step; false when
// there would be more than the bound.
bool GridLines(double lo, double hi, double step, std::vector<double>& out) {
  out.clear();
  if (!(step > 0) || !std::isfinite(step)) return false;
  const double first = std::floor(lo / step) * step;
  const double count = std::floor((hi - first) / step) + 1;
  if (!std::isfinite(count) || count > kMaxGridLines || first + step == first) return false;
  for (int i = 0; i < static_cast<int>(count); ++i) {
    const double v = first + i * step;
    if (v <= hi) out.push_back(v);
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Decisions

namespace {

// A set of layer numbers: a table for the usual small numbers, a list for
// any others.
class LayerSet {
 public:
  void Add(int n) {
    if (n >= 0 && n < kTable) {
      if (static_cast<std::size_t>(n) >= table_.size()) table_.resize(static_cast<std::size_t>(n) + 1, 0);
      table_[static_cast<std::size_t>(n)] = 1;
    } else {
      others_.push_back(n);
    }
  }
  bool Contains(int n) const {
    if (n >= 0 && static_cast<std::size_t>(n) < table_.size()) return table_[static_cast<std::size_t>(n)] != 0;
    return !others_.empty() && std::find(others_.begin(), others_.end(), n) != others_.end();
  }

 private:
  static constexpr int kTable = 65536;
  std::vector<char> table_;
  std::vector<int> others_;
};

uint64_t Mix(uint64_t h, uint64_t v) { return (h ^ v) * 0x100000001b3ULL; }
uint64_t Bits(double d) {
  uint64_t u;
  std::memcpy(&u, &d, sizeof u);
  return u;
}

// What a drawn shape's picture depends on besides its geometry, which its
// box stands for.
uint64_t MixShape(uint64_t h, const TQShape* s) {
  h = Mix(h, reinterpret_cast<uintptr_t>(s));
  h = Mix(h, (static_cast<uint64_t>(static_cast<uint32_t>(s->Number)) << 32) | static_cast<uint32_t>(s->Layer));
  h = Mix(h, (static_cast<uint64_t>(static_cast<uint32_t>(s->ShapeType)) << 32) | s->PenFg);
  h = Mix(h, (static_cast<uint64_t>(static_cast<uint32_t>(s->PenWidth)) << 32) | s->BrushFg);
  h = Mix(h, static_cast<uint64_t>(s->BrushStyle) | (static_cast<uint64_t>(s->IsSelected) << 8) |
                 (static_cast<uint64_t>(s->Visible) << 16));
  h = Mix(h, Bits(s->MinX));
  h = Mix(h, Bits(s->MinY));
  h = Mix(h, Bits(s->MaxX));
  return Mix(h, Bits(s->MaxY));
}

}  // namespace

namespace {

// The planning of one rebuild: the window, the visible layers, the thinning
// and the text cells.
class Planner {
 public:
  Planner(const TQuarixCanvasModel& m, const std::vector<TQLayer*>& layers) : m_(m) {
    W_ = std::max(1, m.ControlWidth());
    H_ = std::max(1, m.ControlHeight());
    for (const TQLayer* l : layers)
      if (l->Visible && l->Number >= 0 && l->Number <= m.NextLayerNumber) visible_.Add(l->Number);
    double worldWidth = m.WorldRight - m.WorldLeft;
    if (worldWidth <= 0) worldWidth = 1.0;
    upp_ = worldWidth / W_;
    half_ = upp_ * 0.5;
    left_ = m.WorldLeft, right_ = m.WorldRight, bottom_ = m.WorldBottom, top_ = m.WorldTop;
    cols_ = W_ / kTextCell + 2;
    rows_ = H_ / kTextCell + 2;
    state_.Taken.assign(static_cast<std::size_t>(cols_) * static_cast<std::size_t>(rows_), 0);
  }
  void Start(const TPlanState& s) {
    state_.LastX = s.LastX, state_.LastY = s.LastY;
    if (s.Taken.size() == state_.Taken.size()) state_.Taken = s.Taken;
  }
  const TPlanState& State() const { return state_; }
  void TakeLastPoint(TPlanState& s) const { s.LastX = state_.LastX, s.LastY = state_.LastY; }

  // The first pass: a shape in the window on a visible layer, thinned.
  void Consider(std::size_t i, TRenderPlan& plan, std::vector<uint32_t>& texts) {
    const TQShape* s = m_.Shapes[i];
    if (!s->Visible || !visible_.Contains(s->Layer) || !s->HasFiniteBounds()) return;
    if (s->MaxX < left_ || s->MinX > right_ || s->MaxY < bottom_ || s->MinY > top_) return;
    switch (s->ShapeType) {
      case stText:
        if (typeid(*s) == typeid(TQText)) texts.push_back(static_cast<uint32_t>(i));
        return;
      case stRectangle:
      case stLine:
        break;
      case stPoint:
        if (typeid(*s) == typeid(TQPoint)) {
          const auto* p = static_cast<const TQPoint*>(s);
          const int px = TruncPixel((p->X - left_) / upp_), py = TruncPixel((top_ - p->Y) / upp_);
          const int dx = px - state_.LastX, dy = py - state_.LastY;
          if (dx > -kThinning && dx < kThinning && dy > -kThinning && dy < kThinning) return;
          state_.LastX = px;
          state_.LastY = py;
          break;
        }
        [[fallthrough]];
      default:
        if (s->MaxX - s->MinX < half_ && s->MaxY - s->MinY < half_) return;
        break;
    }
    plan.FirstPass.push_back(static_cast<uint32_t>(i));
  }

  // The text pass: one text per cell.
  void ConsiderText(uint32_t i, TRenderPlan& plan) {
    const auto* t = static_cast<const TQText*>(m_.Shapes[i]);
    const int px = TruncPixel((t->X - left_) / upp_), py = TruncPixel((top_ - t->Y) / upp_);
    const int col = std::clamp(px / kTextCell, 0, cols_ - 1);
    const int row = std::clamp(py / kTextCell, 0, rows_ - 1);
    char& cell = state_.Taken[static_cast<std::size_t>(col) + static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_)];
    if (cell) return;
    cell = 1;
    plan.Texts.push_back(i);
  }

  double Left() const { return left_; }
  double Right() const { return right_; }
  double Bottom() const { return bottom_; }
  double Top() const { return top_; }

 private:
  const TQuarixCanvasModel& m_;
  LayerSet visible_;
  int W_ = 1, H_ = 1, cols_ = 2, rows_ = 2;
  double upp_ = 1, half_ = 0.5, left_ = 0, right_ = 0, bottom_ = 0, top_ = 0;
  TPlanState state_;
};

}  // namespace

TRenderPlan TQuarixCanvasModel::BuildRenderPlan(std::size_t StateAt, TPlanState* State) const {
  TRenderPlan plan;
  Planner planner(*this, Layers);
  const std::size_t n = Shapes.size();
  std::vector<uint32_t> texts;  // candidates of the text pass, in order
  bool stateTaken = false;
  auto consider = [&](std::size_t i) {
    if (State && !stateTaken && i >= StateAt) {
      planner.TakeLastPoint(*State);
      stateTaken = true;
    }
    planner.Consider(i, plan, texts);
  };
  // The shapes the index names for the view, in drawing order; or all of
  // them when there is no index or the view holds most of the drawing.
  std::vector<uint32_t> candidates;
  bool indexed = false;
  if (UseShapeIndex()) {
    index_.Sync(Shapes);
    indexed = index_.Synced() == n &&
              index_.Query(Shapes, planner.Left(), planner.Right(), planner.Bottom(), planner.Top(), candidates);
  }
  if (indexed) {
    for (uint32_t i : candidates) consider(i);
  } else {
    for (std::size_t i = 0; i < n; ++i) consider(i);
  }
  if (State && !stateTaken) planner.TakeLastPoint(*State);

  bool cellsTaken = false;
  for (uint32_t i : texts) {
    if (State && !cellsTaken && i >= StateAt) {
      State->Taken = planner.State().Taken;
      cellsTaken = true;
    }
    planner.ConsiderText(i, plan);
  }
  if (State && !cellsTaken) State->Taken = planner.State().Taken;

  // Over the limit, the oldest shapes in drawing order give way, so the
  // vessel and the recent track are always drawn.
  if (plan.Size() > kMaxShapesDrawn) {
    std::size_t a = plan.FirstPass.size(), b = plan.Texts.size(), keep = 0;
    while (keep < kMaxShapesDrawn) {
      if (b == 0 || (a > 0 && plan.FirstPass[a - 1] > plan.Texts[b - 1]))
        --a;
      else
        --b;
      ++keep;
    }
    plan.FirstPass.erase(plan.FirstPass.begin(), plan.FirstPass.begin() + static_cast<long>(a));
    plan.Texts.erase(plan.Texts.begin(), plan.Texts.begin() + static_cast<long>(b));
  }
  return plan;
}

TRenderPlan TQuarixCanvasModel::ContinueRenderPlan(std::size_t From, TPlanState State) const {
  TRenderPlan plan;
  Planner planner(*this, Layers);
  planner.Start(State);
  std::vector<uint32_t> texts;
  for (std::size_t i = From; i < Shapes.size(); ++i) planner.Consider(i, plan, texts);
  for (uint32_t i : texts) planner.ConsiderText(i, plan);
  return plan;
}

bool TQuarixCanvasModel::BuildGridPlan(TGridPlan& Plan) const {
  Plan = TGridPlan();
  const double ww = WorldRight - WorldLeft, wh = WorldTop - WorldBottom;
  if (!(ww > 0) || !(wh > 0) || !std::isfinite(ww) || !std::isfinite(wh)) return false;
  double stepX = NiceGridStep(ww, 4), stepY = stepX;
  const bool fixed = !GridAutoScale && GridSpacingX > 0 && GridSpacingY > 0;
  if (fixed) {
    stepX = GridSpacingX;
    stepY = GridSpacingY;
  }
  if (!GridLines(WorldLeft, WorldRight, stepX, Plan.Xs) || !GridLines(WorldBottom, WorldTop, stepY, Plan.Ys)) {
    // A fixed step that would need too many lines (or cannot change the
    // coordinate at all) gives way to the automatic step.
    stepX = stepY = NiceGridStep(ww, 4);
    if (!GridLines(WorldLeft, WorldRight, stepX, Plan.Xs)) return false;
    if (!GridLines(WorldBottom, WorldTop, stepY, Plan.Ys)) {
      stepY = NiceGridStep(wh, 4);
      if (!GridLines(WorldBottom, WorldTop, stepY, Plan.Ys)) return false;
    }
  }
  Plan.StepX = stepX;
  Plan.StepY = stepY;
  for (double x : Plan.Xs) Plan.Columns.push_back(WorldToAbsX(x));
  for (double y : Plan.Ys) Plan.Rows.push_back(WorldToAbsY(y));
  if (WorldLeft < 0 && 0 < WorldRight && WorldBottom < 0 && 0 < WorldTop) {
    Plan.Axes = true;
    WorldToScreen(0, 0, Plan.OriginX, Plan.OriginY);
  }
  return true;
}

// ---------------------------------------------------------------------------
// Back buffer

void TQuarixCanvasModel::RenderBackBuffer(TCanvas* Canvas) {
  const int W = ControlWidth(), H = ControlHeight();
  Canvas->Brush = TBrushState{BackColor, bsSolid};
  Canvas->FillRect(0, 0, W, H);
  DrawGrid(Canvas);
  DrawAllShapes(Canvas);
}

namespace {

// Draws the shapes with the given indexes, each in the colour that shows on
// the background; its own pen colour is put back afterwards.
template <typename It>
void DrawInContrast(const TQuarixCanvasModel& m, TCanvas* Canvas, It first, It last, std::size_t To) {
  const double ww = m.WorldRight - m.WorldLeft, wh = m.WorldTop - m.WorldBottom;
  if (ww == 0 || wh == 0 || !std::isfinite(ww) || !std::isfinite(wh)) return;
  const int W = std::max(1, m.ControlWidth()), H = std::max(1, m.ControlHeight());
  for (It it = first; it != last && *it < To; ++it) {
    if (*it >= m.Shapes.size()) break;
    TQShape* s = m.Shapes[*it];
    const TColor c = s->PenFg;
    const TColor k = m.GetContrastColor(c);
    if (k != c) s->PenFg = k;
    s->Draw(Canvas, m.WorldLeft, m.WorldRight, m.WorldTop, m.WorldBottom, W, H);
    s->PenFg = c;
  }
}

}  // namespace

void TQuarixCanvasModel::DrawPlanShapes(TCanvas* Canvas, const TRenderPlan& Plan, std::size_t From,
                                        std::size_t To) {
  DrawInContrast(*this, Canvas, std::lower_bound(Plan.FirstPass.begin(), Plan.FirstPass.end(), From),
                 Plan.FirstPass.end(), To);
}

uint64_t TQuarixCanvasModel::HashShapes(const std::vector<uint32_t>& Indexes) const {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (uint32_t i : Indexes) {
    if (i >= Shapes.size()) return ~hash;
    hash = MixShape(hash, Shapes[i]);
  }
  return hash;
}

void TQuarixCanvasModel::DrawShapeList(TCanvas* Canvas, const std::vector<uint32_t>& Indexes) {
  DrawInContrast(*this, Canvas, Indexes.begin(), Indexes.end(), SIZE_MAX);
}

void TQuarixCanvasModel::DrawPlanTexts(TCanvas* Canvas, const TRenderPlan& Plan) {
  DrawInContrast(*this, Canvas, Plan.Texts.begin(), Plan.Texts.end(), SIZE_MAX);
}

void TQuarixCanvasModel::DrawAllShapes(TCanvas* Canvas) {
  const TRenderPlan plan = BuildRenderPlan();
  DrawPlanShapes(Canvas, plan, 0, SIZE_MAX);
  DrawPlanTexts(Canvas, plan);
}

void TQuarixCanvasModel::DrawGrid(TCanvas* Canvas) {
  if (!GridVisible) return;
  TGridPlan plan;
  if (!BuildGridPlan(plan)) return;
  const int W = ControlWidth(), H = ControlHeight();
  Canvas->Pen = TPenState{GridColor, 1, psDot, TPenMode::Copy};
  const int top = WorldToAbsY(WorldTop), bottom = WorldToAbsY(WorldBottom);
  const int left = WorldToAbsX(WorldLeft), right = WorldToAbsX(WorldRight);
  for (int x : plan.Columns) Canvas->Line(x, top, x, bottom);
  for (int y : plan.Rows) Canvas->Line(left, y, right, y);

  Canvas->Pen.Style = psSolid;
  Canvas->Font = TFontState{"Tahoma", 8, false, false, 0, clBlack};
  Canvas->Brush = TBrushState{clWhite, bsSolid};
  const int decimalsX = plan.StepX >= 1 ? 1 : 3;
  const int decimalsY = plan.StepY >= 1 ? 1 : 3;
  for (std::size_t i = 0; i < plan.Xs.size(); ++i) {
    const int sx = plan.Columns[i];
    if (sx <= 4 || sx > W - 50) continue;
    const std::string text = GridLabel(plan.Xs[i], decimalsX);
    const int w = Canvas->TextWidth(text), h = Canvas->TextHeight(text);
    const int half = w / 2;
    Canvas->FillRect(sx - half - 2, H - h - 4, sx + half + 2, H - 2);
    Canvas->TextOut(sx - half, H - h - 3, text);
  }
  for (std::size_t i = 0; i < plan.Ys.size(); ++i) {
    const int sy = plan.Rows[i];
    if (sy <= 14 || sy > H - 20) continue;
    const std::string text = GridLabel(plan.Ys[i], decimalsY);
    const int w = Canvas->TextWidth(text), h = Canvas->TextHeight(text);
    const int half = h / 2;
    Canvas->FillRect(2, sy - half - 1, w + 6, sy + half + 1);
    Canvas->TextOut(4, sy - half, text);
  }
  if (plan.Axes) {
    Canvas->Pen = TPenState{clRed, 1, psSolid, TPenMode::Copy};
    Canvas->Line(0, plan.OriginY, W, plan.OriginY);
    Canvas->Line(plan.OriginX, 0, plan.OriginX, H);
  }
  Canvas->Brush.Style = bsClear;
}

// ---------------------------------------------------------------------------
// Over the back buffer

void TQuarixCanvasModel::RenderOverlays(TCanvas* Canvas) {
  RenderUnderLabels(Canvas);
  RenderLabels(Canvas);
  RenderOverLabels(Canvas);
}

void TQuarixCanvasModel::RenderUnderLabels(TCanvas* Canvas) {
  DrawRubberBand(Canvas);
  DrawDistanceOverlay(Canvas);
}

void TQuarixCanvasModel::RenderLabels(TCanvas* Canvas) {
  DrawDepthLabelsOverlay(Canvas);
  DrawEventLabelsOverlay(Canvas);
}

void TQuarixCanvasModel::RenderOverLabels(TCanvas* Canvas) {
  DrawCurrentDepthOverlay(Canvas);
  DrawCurrentSpeedOverlay(Canvas);
  DrawGGAOverlay(Canvas);
  DrawScaleBar(Canvas);
}

void TQuarixCanvasModel::DrawRubberBand(TCanvas* Canvas) {
  if (!IsDrawing || !HasFirstPoint) return;
  Canvas->Pen = TPenState{clWhite, 1, psSolid, TPenMode::Xor};
  int sx1 = 0, sy1 = 0, sx2 = 0, sy2 = 0;
  WorldToScreen(RubberX1, RubberY1, sx1, sy1);
  WorldToScreen(RubberX2, RubberY2, sx2, sy2);
  switch (CurrentTool) {
    case stRectangle:
    case stEllipseTool:
    case toolZoomWindow:
    case toolSelectAlt:
      Canvas->Brush.Style = bsClear;
      Canvas->Rectangle(sx1, sy1, sx2, sy2);
      break;
    case stLine:
      Canvas->Line(sx1, sy1, sx2, sy2);
      break;
    case stPolyline:
    case stSpline:
    case stArc:
    case stPolygon:
      if (DrawingPolyline && DrawingPolyline->PointCount() >= 1) {
        std::vector<TPixelPoint> pts;
        pts.reserve(DrawingPolyline->Points.size() + 2);
        for (const TPointD& v : DrawingPolyline->Points) {
          TPixelPoint p;
          WorldToScreen(v.x, v.y, p.x, p.y);
          pts.push_back(p);
        }
        pts.push_back({sx2, sy2});
        if (CurrentTool == stPolygon) pts.push_back(pts.front());
        Canvas->Polyline(pts.data(), static_cast<int>(pts.size()));
      }
      break;
    case stCircle: {
      const double r = std::sqrt((RubberX2 - RubberX1) * (RubberX2 - RubberX1) +
                                 (RubberY2 - RubberY1) * (RubberY2 - RubberY1));
      const int px = WorldToAbsX(RubberX1 + r);
      const int radius = static_cast<int>(std::min<int64_t>(std::llabs(int64_t{px} - sx1), 1 << 22));
      Canvas->Brush.Style = bsClear;
      Canvas->Ellipse(sx1 - radius, sy1 - radius, sx1 + radius, sy1 + radius);
      break;
    }
    default:
      break;
  }
  Canvas->Pen.Mode = TPenMode::Copy;
}

void TQuarixCanvasModel::DrawScaleBar(TCanvas* Canvas) {
  const int W = ControlWidth(), H = ControlHeight();
  TScaleBar bar;
  if (!ComputeScaleBar(WorldRight - WorldLeft, W, bar)) return;
  const int len = bar.Pixels;
  const int x = W - len - 20, y = H - 8 - 20 - 15;
  Canvas->Brush = TBrushState{clWhite, bsSolid};
  Canvas->Pen = TPenState{clBlack, 1, psSolid, TPenMode::Copy};
  Canvas->Rectangle(x - 5, y - 5, x + len + 5, y + 28);
  Canvas->Brush.Color = clBlack;
  Canvas->FillRect(x, y, x + len / 2, y + 8);
  Canvas->Brush.Color = clWhite;
  Canvas->FillRect(x + len / 2, y, x + len, y + 8);
  Canvas->Brush.Style = bsClear;
  Canvas->Rectangle(x, y, x + len, y + 8);
  Canvas->Font = TFontState{"Arial", 8, false, false, 0, clBlack};
  const std::string label = ScaleBarLabel(bar.Length);
  Canvas->TextOut(x + (len - Canvas->TextWidth(label)) / 2, y + 10, label);
}
