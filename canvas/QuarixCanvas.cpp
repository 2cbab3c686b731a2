#include "canvas/QuarixCanvas.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>
#include <cstring>

#include "app/displaysettings.h"
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

}  // namespace

TQuarixCanvas::TBaseKey TQuarixCanvas::CurrentBaseKey() const {
  return TBaseKey{WorldLeft,    WorldRight,   WorldTop,  WorldBottom,    width(),
                  height(),     BackColor,    GridVisible, GridAutoScale, GridSpacingX,
                  GridSpacingY, GridColor,    GeometryVersion};
}

TQuarixCanvas::TLabelKey TQuarixCanvas::CurrentLabelKey() const {
  return TLabelKey{RebuildCount,  LabelsVersion, DepthLabels.size(), EventLabels.size(),  LabelShow,
                   LabelFontName, LabelFontSize, LabelColor,         ::EventLabelFontSize, ::EventLabelColor};
}

bool TQuarixCanvas::RebuildBackBufferIfNeeded() {
  const int w = width(), h = height();
  if (!NeedsRedraw && BackBuffer.width() == w && BackBuffer.height() == h) return false;
  if (BackBuffer.width() != w || BackBuffer.height() != h || BackBuffer.format() != QImage::Format_RGB32)
    BackBuffer = QImage(w, h, QImage::Format_RGB32);
  if (w > 0 && h > 0) {
    const TBaseKey key = CurrentBaseKey();
    const bool keyMatch = baseValid_ && key == baseKey_ && baseBuffer_.size() == BackBuffer.size();
    const TRenderPlan plan = BuildRenderPlan(keyMatch ? baseEnd_ : 0);
    const bool trimmed = plan.PrefixCount == SIZE_MAX;
    const bool reuse = keyMatch && !trimmed && plan.PrefixCount == basePrefixCount_ &&
                       plan.PrefixHash == basePrefixHash_ && plan.FirstPass.size() - plan.PrefixCount <= kMaxSuffix;
    const bool steadyView = key == lastRebuildKey_;
    lastRebuildKey_ = key;
    // Background, grid and the first-pass shapes before `end`.
    auto paintBase = [&](QImage& image, std::size_t end) {
      ++BaseRebuildCount;
      QPainter painter(&image);
      TQPainterCanvas canvas(painter, image);
      canvas.Brush = TBrushState{BackColor, bsSolid};
      canvas.FillRect(0, 0, w, h);
      DrawGrid(&canvas);
      DrawPlanShapes(&canvas, plan, 0, end);
    };
    std::size_t drawnUpTo = SIZE_MAX;
    if (!reuse && !steadyView) {
      // The view moves (the map follows the vessel): no stable part to keep.
      baseValid_ = false;
      paintBase(BackBuffer, SIZE_MAX);
    } else {
      if (!reuse) {
        // The stable part ends where the shapes of layers emptied by layer
        // (the vessel's) begin.
        baseEnd_ = trimmed ? 0 : std::min(plan.VolatileStart, Shapes.size());
        if (baseBuffer_.size() != BackBuffer.size() || baseBuffer_.format() != QImage::Format_RGB32)
          baseBuffer_ = QImage(w, h, QImage::Format_RGB32);
        paintBase(baseBuffer_, baseEnd_);
        PlanPrefix(plan, baseEnd_, basePrefixCount_, basePrefixHash_);
        baseKey_ = key;
        baseValid_ = !trimmed;
      }
      CopyImage(baseBuffer_, BackBuffer);
      drawnUpTo = baseEnd_;
    }
    QPainter painter(&BackBuffer);
    TQPainterCanvas canvas(painter, BackBuffer);
    DrawPlanShapes(&canvas, plan, drawnUpTo, SIZE_MAX);
    DrawPlanTexts(&canvas, plan);
  }
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
  const bool underLabels = (IsDrawing && HasFirstPoint) || DistanceActive;
  const bool labels = (LabelShow && !DepthLabels.empty()) || !EventLabels.empty();
  if (labels && !underLabels) {
    const TLabelKey key = CurrentLabelKey();
    if (!(key == labelKey_) || labelBuffer_.size() != BackBuffer.size()) {
      CopyImage(BackBuffer, labelBuffer_);
      QPainter painter(&labelBuffer_);
      TQPainterCanvas canvas(painter, labelBuffer_);
      RenderLabels(&canvas);
      labelKey_ = key;
    }
    CopyImage(labelBuffer_, Target);
    QPainter painter(&Target);
    TQPainterCanvas canvas(painter, Target);
    RenderOverLabels(&canvas);
    return;
  }
  CopyImage(BackBuffer, Target);
  QPainter painter(&Target);
  TQPainterCanvas canvas(painter, Target);
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
