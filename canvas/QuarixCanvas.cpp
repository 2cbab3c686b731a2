#include "canvas/QuarixCanvas.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>

#include "app/displaysettings.h"
#include "app/formats.h"
#include "canvas/qpaintercanvas.h"
#include "platform/prompts.h"

namespace {

int16_t ShiftCode(Qt::KeyboardModifiers m) {
  int16_t code = 0;
  if (m & Qt::ShiftModifier) code |= ssShift;
  if (m & Qt::ControlModifier) code |= ssCtrl;
  if (m & Qt::AltModifier) code |= ssAlt;
  return code;
}

bool ButtonOf(Qt::MouseButton b, TMouseButton& out) {
  switch (b) {
    case Qt::LeftButton: out = TMouseButton::mbLeft; return true;
    case Qt::RightButton: out = TMouseButton::mbRight; return true;
    case Qt::MiddleButton: out = TMouseButton::mbMiddle; return true;
    default: return false;
  }
}

// The virtual-key code of a Qt key, as the key handlers expect it.
int16_t VirtualKey(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<int16_t>('A' + (key - Qt::Key_A));
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<int16_t>('0' + (key - Qt::Key_0));
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<int16_t>(112 + (key - Qt::Key_F1));
  switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Plus: return 107;
    case Qt::Key_Minus: return 109;
    default: return 0;
  }
}

}  // namespace

TQuarixCanvas::TQuarixCanvas(QWidget* Owner) : QWidget(Owner) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  resize(400, 300);
}

TQuarixCanvas::~TQuarixCanvas() = default;

void TQuarixCanvas::AboutBox() {
  prompts::ShowMessage(QStringLiteral("TQuarixCanvas\nVector map canvas for survey navigation"));
}

void TQuarixCanvas::InvalidateControl() {
  ++InvalidateCount;
  QWidget::update();
}

void TQuarixCanvas::SetScreenCursor(int Cursor) {
  ScreenCursor = Cursor;
  switch (Cursor) {
    case crCross: setCursor(Qt::CrossCursor); break;
    case crSizeAll: setCursor(Qt::SizeAllCursor); break;
    default: unsetCursor(); break;
  }
}

void TQuarixCanvas::MeasureText(const TFontState& Font, const std::string& Text, int& W, int& H) const {
  const QFontMetrics fm(TQPainterCanvas::MakeFont(Font));
  W = fm.horizontalAdvance(QString::fromStdString(Text));
  H = fm.height();
}

namespace {

// Shapes drawn after the stable part before that part is rebuilt.
constexpr std::size_t kMaxSuffix = 4096;
// The stable part ends before the shapes of layers emptied by layer (the
// vessel's) among this many last shapes; such shapes further back (runlines
// drawn anew once) belong to it, and emptying their layer rebuilds it.
constexpr std::size_t kVolatileTail = kMaxSuffix / 2;
// Up to this many shapes in the stable part, its records are also checked
// against a hash on every rebuild, so that a record edited directly (not
// through the canvas) shows at once. Beyond it only the canvas's own
// operations are seen.
constexpr std::size_t kVerifyLimit = 65536;

void CopyImage(const QImage& from, QImage& to) {
  if (to.width() != from.width() || to.height() != from.height() || to.format() != from.format())
    to = QImage(from.width(), from.height(), from.format());
  if (from.isNull()) return;
  if (to.bytesPerLine() == from.bytesPerLine()) {
    std::memcpy(to.bits(), from.constBits(), static_cast<std::size_t>(from.sizeInBytes()));
  } else {
    QPainter p(&to);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, from);
  }
}

// Copies the pixels of `r` between images of the same size and format.
void CopyRect(const QImage& from, QImage& to, const QRect& r) {
  const int bytes = r.width() * 4;
  for (int y = r.top(); y <= r.bottom(); ++y)
    std::memcpy(to.scanLine(y) + r.left() * 4, from.constScanLine(y) + r.left() * 4, static_cast<std::size_t>(bytes));
}

}  // namespace

TQuarixCanvas::TBaseKey TQuarixCanvas::CurrentBaseKey() const {
  return TBaseKey{WorldLeft,    WorldRight,   WorldTop,  WorldBottom,    width(),
                  height(),     BackColor,    GridVisible, GridAutoScale, GridSpacingX,
                  GridSpacingY, GridColor,    GeometryVersion};
}

TQuarixCanvas::TLabelKey TQuarixCanvas::CurrentLabelKey() const {
  return TLabelKey{LabelsVersion, DepthLabels.size(), EventLabels.size(), LabelShow, LabelFontName,
                   LabelFontSize, LabelColor,         ::EventLabelFontSize, ::EventLabelColor};
}

bool TQuarixCanvas::BaseStillValid(const TBaseKey& key) {
  if (!baseValid_ || !(key == baseKey_) || baseBuffer_.size() != BackBuffer.size()) return false;
  const std::size_t n = Shapes.size();
  if (DrawingChangedFrom < baseEnd_ || baseEnd_ > n || n - baseEnd_ > kMaxSuffix) return false;
  if (baseEnd_ > 0 && Shapes[baseEnd_ - 1] != baseLast_) return false;
  if (basePrefix_.size() + baseTexts_.size() <= kVerifyLimit &&
      (HashShapes(basePrefix_) ^ (HashShapes(baseTexts_) * 31)) != baseHash_)
    return false;
  return true;
}

std::size_t TQuarixCanvas::StableEnd() const {
  const std::size_t n = Shapes.size();
  std::size_t end = n;
  if (volatileLayers_.empty()) return end;
  for (std::size_t i = n; i-- > (n > kVolatileTail ? n - kVolatileTail : 0);)
    if (std::find(volatileLayers_.begin(), volatileLayers_.end(), Shapes[i]->Layer) != volatileLayers_.end()) end = i;
  return end;
}

void TQuarixCanvas::BuildBase(const TBaseKey& key) {
  const std::size_t end = StableEnd();
  TPlanState state;
  const TRenderPlan plan = BuildRenderPlan(end, &state);
  basePrefix_.clear();
  for (uint32_t i : plan.FirstPass)
    if (i < end) basePrefix_.push_back(i);
  baseTexts_.clear();
  for (uint32_t i : plan.Texts)
    if (i < end) baseTexts_.push_back(i);
  if (baseBuffer_.size() != BackBuffer.size() || baseBuffer_.format() != QImage::Format_RGB32)
    baseBuffer_ = QImage(BackBuffer.size(), QImage::Format_RGB32);
  QPainter painter(&baseBuffer_);
  TQPainterCanvas canvas(painter, baseBuffer_);
  canvas.Brush = TBrushState{BackColor, bsSolid};
  canvas.FillRect(0, 0, baseBuffer_.width(), baseBuffer_.height());
  DrawGrid(&canvas);
  DrawShapeList(&canvas, basePrefix_);
  baseEnd_ = end;
  baseLast_ = end ? Shapes[end - 1] : nullptr;
  baseState_ = std::move(state);
  baseKey_ = key;
  baseHash_ = basePrefix_.size() + baseTexts_.size() <= kVerifyLimit
                  ? HashShapes(basePrefix_) ^ (HashShapes(baseTexts_) * 31)
                  : 0;
  baseValid_ = true;
  DrawingChangedFrom = SIZE_MAX;
}

QRect TQuarixCanvas::PixelsOf(const TRenderPlan& plan) const {
  QRect r;
  for (uint32_t i : plan.FirstPass) {
    const TQShape* s = Shapes[i];
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    WorldToScreen(s->MinX, s->MaxY, x0, y0);
    WorldToScreen(s->MaxX, s->MinY, x1, y1);
    int m = 2 * std::max(s->PenWidth, 1) + 4;
    switch (s->ShapeType) {
      case stLine: case stPoint: case stRectangle: case stCircle: case stEllipse: case stPolyline: case stPolygon:
        break;
      default:  // curves may bulge out of the box of their points
        m += std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        break;
    }
    r |= QRect(QPoint(std::min(x0, x1) - m, std::min(y0, y1) - m), QPoint(std::max(x0, x1) + m, std::max(y0, y1) + m));
  }
  for (uint32_t i : plan.Texts) {
    const auto* t = static_cast<const TQText*>(Shapes[i]);
    int x = 0, y = 0;
    WorldToScreen(t->X, t->Y, x, y);
    // Any turn and alignment about the anchor stays within this reach.
    const int px = t->DrawFontSize() * 4 / 3 + 2;
    const int reach = static_cast<int>(std::min<std::size_t>(t->TextString.size() + 2, 4096)) * px;
    r |= QRect(QPoint(x - reach, y - reach), QPoint(x + reach, y + reach));
  }
  return r;
}

bool TQuarixCanvas::OnlyLabelsAdded(const TLabelKey& key) const {
  const TLabelKey& b = backLabelKey_;
  return backLabels_ && key.Depths > b.Depths && key.Version - b.Version == key.Depths - b.Depths &&
         key.Events == b.Events && key.Show == b.Show && key.FontName == b.FontName && key.FontSize == b.FontSize &&
         key.Color == b.Color && key.EventSize == b.EventSize && key.EventColor == b.EventColor && b.Depths > 0 &&
         DepthLabels.front().X == backFirstLabelX_ && DepthLabels.front().Y == backFirstLabelY_;
}

bool TQuarixCanvas::RebuildBackBufferIfNeeded() {
  const int w = width(), h = height();
  const bool wantLabels = LabelsShown() && !UnderLabels();
  const TLabelKey labelKey = CurrentLabelKey();
  const bool labelsAdded = wantLabels && !(labelKey == backLabelKey_) && OnlyLabelsAdded(labelKey);
  const bool labelsStale =
      backLabels_ != wantLabels || (wantLabels && !(labelKey == backLabelKey_) && !labelsAdded);
  const bool sized = BackBuffer.width() == w && BackBuffer.height() == h && BackBuffer.format() == QImage::Format_RGB32;
  const bool labelsCurrent = backLabels_ == wantLabels && (!wantLabels || labelKey == backLabelKey_);
  if (!NeedsRedraw && sized && labelsCurrent) return false;
  if (!sized) {
    BackBuffer = QImage(w, h, QImage::Format_RGB32);
    backFromBase_ = false;
  }
  if (w > 0 && h > 0) {
    const TBaseKey key = CurrentBaseKey();
    const bool steadyView = key == lastRebuildKey_;
    lastRebuildKey_ = key;
    bool reuse = BaseStillValid(key);
    if (!reuse && steadyView) {
      BuildBase(key);
      backFromBase_ = false;
      ++BaseRebuildCount;
      reuse = true;
    }
    QPainter painter(&BackBuffer);
    TQPainterCanvas canvas(painter, BackBuffer);
    if (!reuse) {
      // The view moves (the map follows the vessel): no stable part to keep.
      baseValid_ = false;
      backFromBase_ = false;
      canvas.Brush = TBrushState{BackColor, bsSolid};
      canvas.FillRect(0, 0, w, h);
      DrawGrid(&canvas);
      const TRenderPlan plan = BuildRenderPlan();
      DrawPlanShapes(&canvas, plan, 0, SIZE_MAX);
      DrawPlanTexts(&canvas, plan);
      if (wantLabels) RenderLabels(&canvas);
      ++BaseRebuildCount;
    } else {
      const TRenderPlan suffix = ContinueRenderPlan(baseEnd_, baseState_);
      const QRect extras = PixelsOf(suffix);
      if (backFromBase_ && !labelsStale) {
        // Only where the shapes after the stable part were or are now, and
        // where labels were added.
        QRect dirty = backExtras_ | extras;
        if (labelsAdded) {
          const int px = std::abs(LabelFontSize) * 4 / 3 + 2;
          for (std::size_t i = backLabelKey_.Depths; i < DepthLabels.size(); ++i) {
            int x = 0, y = 0;
            WorldToScreen(DepthLabels[i].X, DepthLabels[i].Y, x, y);
            const int half = static_cast<int>(FormatFixed(DepthLabels[i].Depth, 1).size()) * px / 2 + px + 4;
            dirty |= QRect(QPoint(x - half, y - px - 4), QPoint(x + half, y + px + 4));
          }
        }
        dirty &= BackBuffer.rect();
        if (!dirty.isEmpty()) {
          CopyRect(baseBuffer_, BackBuffer, dirty);
          canvas.SetClip(dirty.left(), dirty.top(), dirty.right() + 1, dirty.bottom() + 1);
          DrawShapeList(&canvas, suffix.FirstPass);
          DrawShapeList(&canvas, baseTexts_);
          DrawShapeList(&canvas, suffix.Texts);
          if (wantLabels) RenderLabelsNear(&canvas, dirty.left(), dirty.top(), dirty.right() + 1, dirty.bottom() + 1);
        }
      } else {
        CopyImage(baseBuffer_, BackBuffer);
        DrawShapeList(&canvas, suffix.FirstPass);
        DrawShapeList(&canvas, baseTexts_);
        DrawShapeList(&canvas, suffix.Texts);
        if (wantLabels) RenderLabels(&canvas);
      }
      backFromBase_ = true;
      backExtras_ = extras;
    }
  }
  backLabels_ = wantLabels;
  backLabelKey_ = labelKey;
  if (!DepthLabels.empty()) backFirstLabelX_ = DepthLabels.front().X, backFirstLabelY_ = DepthLabels.front().Y;
  NeedsRedraw = false;
  ++RebuildCount;
  return true;
}

void TQuarixCanvas::PaintTo(QImage& Target) {
  RebuildBackBufferIfNeeded();
  const int w = BackBuffer.width(), h = BackBuffer.height();
  if (w <= 0 || h <= 0) {
    Target = QImage(w, h, QImage::Format_RGB32);
    return;
  }
  // The one copy of the frame; the labels are on it already unless a rubber
  // band or a measure must lie under them.
  CopyImage(BackBuffer, Target);
  QPainter painter(&Target);
  TQPainterCanvas canvas(painter, Target);
  if (backLabels_)
    RenderOverLabels(&canvas);
  else
    RenderOverlays(&canvas);
}

void TQuarixCanvas::paintEvent(QPaintEvent*) {
  PaintTo(frame_);
  QPainter painter(this);
  painter.drawImage(0, 0, frame_);
}

void TQuarixCanvas::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (OnResize) OnResize(this);
  Resize();
}

void TQuarixCanvas::HandlePress(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), button)) return;
  const int16_t shift = ShiftCode(event->modifiers());
  const QPoint pos = event->position().toPoint();
  if (button == TMouseButton::mbLeft) pressedForClick_ = true;
  if (OnMouseDown) OnMouseDown(this, button, shift, pos.x(), pos.y());
  MouseDown(button, shift, pos.x(), pos.y());
}

void TQuarixCanvas::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  HandlePress(event);
  event->accept();
}

void TQuarixCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
  // Qt delivers the second press of a double click as this event only.
  HandlePress(event);
  if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
  event->accept();
}

void TQuarixCanvas::mouseMoveEvent(QMouseEvent* event) {
  const int16_t shift = ShiftCode(event->modifiers());
  const QPoint pos = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(this, shift, pos.x(), pos.y());
  MouseMove(shift, pos.x(), pos.y());
  event->accept();
}

void TQuarixCanvas::mouseReleaseEvent(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), button)) return;
  const int16_t shift = ShiftCode(event->modifiers());
  const QPoint pos = event->position().toPoint();
  const bool click = button == TMouseButton::mbLeft && pressedForClick_ && rect().contains(pos);
  if (button == TMouseButton::mbLeft) pressedForClick_ = false;
  if (click && OnClick) OnClick(this);
  if (OnMouseUp) OnMouseUp(this, button, shift, pos.x(), pos.y());
  MouseUp(button, shift, pos.x(), pos.y());
  event->accept();
}

void TQuarixCanvas::wheelEvent(QWheelEvent* event) {
  const QPoint pos = event->position().toPoint();
  int delta = event->angleDelta().y();
  if (delta == 0) delta = event->angleDelta().x();
  WMMouseWheel(delta, pos.x(), pos.y());
  event->accept();
}

void TQuarixCanvas::keyPressEvent(QKeyEvent* event) {
  const int16_t pressed = VirtualKey(event->key());
  int16_t key = pressed;
  const int16_t shift = ShiftCode(event->modifiers());
  if (OnKeyDown) OnKeyDown(this, key, shift);
  const bool handled = (pressed != 0 && key == 0) || (key == VK_ESCAPE_KEY && (IsDrawing || HasFirstPoint)) ||
                       (key == VK_DELETE_KEY && DeleteKeyEnabled);
  KeyDown(key, shift);
  // Keys the map does not use go on to the window around it.
  if (handled)
    event->accept();
  else
    event->ignore();
}

void TQuarixCanvas::keyReleaseEvent(QKeyEvent* event) {
  int16_t key = VirtualKey(event->key());
  if (OnKeyUp) OnKeyUp(this, key, ShiftCode(event->modifiers()));
  event->accept();
}
