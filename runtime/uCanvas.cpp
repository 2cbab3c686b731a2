#include "runtime/uCanvas.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

#include "app/color.h"
#include "app/placement.h"
#include "app/settingsfile.h"
#include "settings/unavset.h"
#include "runtime/unavigation.h"

TfWaterfal* fWaterfal = nullptr;

namespace {

const char* const kSection = "ECHOGRAM";

constexpr TColor kBackground = 0xFFF8F0;
constexpr TColor kWater = 0xFFB464;
constexpr TColor kGrid = 0x808080;

// Point sizes of the drawing at 96 dots per inch.
QFont BoldFont(int points) {
  QFont f(QStringLiteral("Tahoma"));
  f.setPixelSize(points * 96 / 72);
  f.setBold(true);
  return f;
}

// Text anchored at its top-left corner, without a background.
void TextOut(QPainter& p, int x, int y, const std::string& text) {
  p.drawText(QRect(x, y, 1000, 200), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(text));
}

Qt::Edges QtEdges(EchogramEdge e) {
  switch (e) {
    case EchogramEdge::TopLeft: return Qt::TopEdge | Qt::LeftEdge;
    case EchogramEdge::TopRight: return Qt::TopEdge | Qt::RightEdge;
    case EchogramEdge::BottomLeft: return Qt::BottomEdge | Qt::LeftEdge;
    case EchogramEdge::BottomRight: return Qt::BottomEdge | Qt::RightEdge;
    case EchogramEdge::Left: return Qt::LeftEdge;
    case EchogramEdge::Right: return Qt::RightEdge;
    case EchogramEdge::Top: return Qt::TopEdge;
    case EchogramEdge::Bottom: return Qt::BottomEdge;
    case EchogramEdge::None: break;
  }
  return {};
}

Qt::CursorShape EdgeCursor(EchogramEdge e) {
  switch (e) {
    case EchogramEdge::TopLeft:
    case EchogramEdge::BottomRight: return Qt::SizeFDiagCursor;
    case EchogramEdge::TopRight:
    case EchogramEdge::BottomLeft: return Qt::SizeBDiagCursor;
    case EchogramEdge::Left:
    case EchogramEdge::Right: return Qt::SizeHorCursor;
    case EchogramEdge::Top:
    case EchogramEdge::Bottom: return Qt::SizeVerCursor;
    case EchogramEdge::None: break;
  }
  return Qt::ArrowCursor;
}

}  // namespace

TfWaterfal::TfWaterfal(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("fWaterfal");
  setWindowTitle("Acoustic Waterfall");
  setFont(QFont(QStringLiteral("Tahoma"), 8));
  setMouseTracking(true);  // the edge cursors follow the mouse without a button
  resize(388, 147);
}

void TfWaterfal::DrawEchogram(double NewDepth, double FallbackTop, double FallbackBottom,
                              int Count) {
  if (!isVisible() || !windowHandle()) return;
  const int cw = width(), ch = height();
  if (cw < 1 || ch < 1) return;
  Paint(History.Draw(NewDepth, FallbackTop, FallbackBottom, Count, cw, ch));
  update();
}

void TfWaterfal::Paint(const EchogramPicture& pic) {
  if (canvas_.size() != QSize(pic.width, pic.height))
    canvas_ = QImage(pic.width, pic.height, QImage::Format_RGB32);
  QPainter p(&canvas_);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(0, 0, pic.width, pic.height, ToQColor(kBackground));

  QPen bottomPen(ToQColor(clRed), 3, Qt::SolidLine, Qt::RoundCap);
  for (const auto& c : pic.columns) {
    if (c.y > 0) p.fillRect(QRect(c.x0, 0, c.x1 - c.x0, c.y), ToQColor(kWater));
    p.setPen(bottomPen);
    p.drawLine(c.x0, c.y, c.x1, c.y);
  }

  p.setPen(QPen(ToQColor(clBlack), 2, Qt::SolidLine, Qt::RoundCap));
  for (const auto& s : pic.profile) p.drawLine(s.x0, s.y0, s.x1, s.y1);

  p.setFont(BoldFont(9));
  for (const auto& g : pic.grid) {
    p.setPen(QPen(ToQColor(kGrid), 1, Qt::DotLine));
    p.drawLine(0, g.y, pic.width, g.y);
    p.setPen(ToQColor(clBlack));
    TextOut(p, 3, g.y + 2, g.label);
  }

  if (pic.leader) {
    p.setPen(QPen(ToQColor(clBlack), 1));
    p.drawLine(pic.leader->x0, pic.leader->y0, pic.leader->x1, pic.leader->y1);
  }
  if (pic.latestText) {
    p.fillRect(QRect(pic.width - 78, pic.height - 26, 76, 24), ToQColor(clYellow));
    p.setFont(BoldFont(12));
    p.setPen(ToQColor(clBlack));
    TextOut(p, pic.width - 75, pic.height - 24, *pic.latestText);
  }
}

void TfWaterfal::FormShow() {
  IniFile ini;
  DataWidth = ClampEchogramWidth(ini.ReadInteger(kSection, "DataWidth", kEchogramDefaultWidth));
  Interval = ValidEchogramInterval(ini.ReadInteger(kSection, "Interval", kEchogramDefaultInterval));
  if (FNav && FNav->tEchogram) FNav->tEchogram->setInterval(Interval);
  if (Navset && Navset->fcadColor) {  // the map's background colour
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(Navset->fcadColor->Selected()));
    setPalette(pal);
  }
  RestoreFormPlacement(this, true);
}

void TfWaterfal::FormCloseQuery(bool& CanClose) {
  IniFile ini;
  ini.WriteInteger(kSection, "DataWidth", DataWidth);
  ini.WriteInteger(kSection, "Interval", Interval);
  SaveFormPlacement(this);
  CanClose = true;
}

// Where the window system can move or resize the window itself (it must, on
// Wayland), it does, but only once the mouse moves with the button held: a
// move or resize asked for at the press of a click whose button is up again
// before the window manager takes the pointer goes on until the next click,
// the window following the mouse.
void TfWaterfal::FormMouseDown(Qt::MouseButton Button, int X, int Y) {
  if (Button != Qt::LeftButton) return;
  const EchogramEdge edge = EchogramEdgeAt(X, Y, width(), height());
  Dragging = edge == EchogramEdge::None;
  pressedEdge_ = edge;
  systemMove_ = false;
  DragX = X;
  DragY = Y;
}

void TfWaterfal::FormMouseMove(int X, int Y) {
  const bool moved = X != DragX || Y != DragY;
  if (pressedEdge_ != EchogramEdge::None) {
    if (!moved) return;
    releaseMouse();
    if (windowHandle()) windowHandle()->startSystemResize(QtEdges(pressedEdge_));
    pressedEdge_ = EchogramEdge::None;
    return;
  }
  if (Dragging) {
    if (systemMove_) return;
    // Moved first, so that a move the window system takes over from here
    // keeps the press point under the cursor.
    move(x() + X - DragX, y() + Y - DragY);
    if (moved) systemMove_ = windowHandle() && windowHandle()->startSystemMove();
    return;
  }
  const EchogramEdge edge = EchogramEdgeAt(X, Y, width(), height());
  if (edge == EchogramEdge::None) unsetCursor();
  else setCursor(EdgeCursor(edge));
}

void TfWaterfal::FormMouseUp(Qt::MouseButton Button, int X, int Y) {
  if (Button == Qt::LeftButton) pressedEdge_ = EchogramEdge::None;
  if (Button != Qt::LeftButton || !Dragging) return;
  Dragging = false;
  systemMove_ = false;
  SaveFormPlacement(this);
}

void TfWaterfal::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfWaterfal::closeEvent(QCloseEvent* event) {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (canClose) event->accept();
  else event->ignore();
}

void TfWaterfal::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  FormMouseDown(event->button(), p.x(), p.y());
}

void TfWaterfal::mouseMoveEvent(QMouseEvent* event) {
  // A press whose release went elsewhere (to the window manager's move) is over.
  if (!(event->buttons() & Qt::LeftButton)) {
    Dragging = systemMove_ = false;
    pressedEdge_ = EchogramEdge::None;
  }
  const QPoint p = event->position().toPoint();
  FormMouseMove(p.x(), p.y());
}

void TfWaterfal::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  FormMouseUp(event->button(), p.x(), p.y());
}

void TfWaterfal::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Window));
  if (!canvas_.isNull()) p.drawImage(0, 0, canvas_);
}

void DrawEchogram(double NewDepth, double FallbackTop, double FallbackBottom, int Count) {
  if (fWaterfal) fWaterfal->DrawEchogram(NewDepth, FallbackTop, FallbackBottom, Count);
}
