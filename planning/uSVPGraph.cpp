#include "planning/uSVPGraph.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/formats.h"

TfSVPGraph* fSVPGraph = nullptr;

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

void SetCell(QTableWidget* t, int row, int column, const QString& text) {
  auto* item = t->item(row, column);
  if (!item) t->setItem(row, column, new QTableWidgetItem(text));
  else item->setText(text);
}

std::string Cell(const QTableWidget* t, int row, int column) {
  const auto* item = t->item(row, column);
  return item ? item->text().toStdString() : std::string();
}

// The plot: paints and reports its mouse through the window.
class PlotBox : public QWidget {
 public:
  explicit PlotBox(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }
};
}  // namespace

TfSVPGraph::TfSVPGraph(QWidget* parent) : QDialog(parent) {
  setObjectName("fSVPGraph");
  setWindowTitle("SVP Profile Graph - Drag Points or Lasso Select");
  resize(900, 550);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  Splitter1 = new QSplitter(Qt::Horizontal, this);
  Splitter1->setObjectName("Splitter1");
  Splitter1->setHandleWidth(5);
  PaintBox1 = new PlotBox(Splitter1);
  PaintBox1->setObjectName("PaintBox1");
  PaintBox1->setAttribute(Qt::WA_OpaquePaintEvent);
  PanelGrid = new QWidget(Splitter1);
  PanelGrid->setObjectName("PanelGrid");
  PanelGrid->setFixedWidth(195);
  auto* gridLayout = new QVBoxLayout(PanelGrid);
  gridLayout->setContentsMargins(0, 0, 0, 0);
  StringGrid1 = new QTableWidget(0, 3, PanelGrid);
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->verticalHeader()->hide();
  StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
  bAddRow = new QPushButton("Add Row", PanelGrid);
  bAddRow->setObjectName("bAddRow");
  bAddRow->setFixedHeight(40);
  bDeleteRow = new QPushButton("Delete Row", PanelGrid);
  bDeleteRow->setObjectName("bDeleteRow");
  bDeleteRow->setFixedHeight(40);
  gridLayout->addWidget(StringGrid1);
  gridLayout->addWidget(bAddRow);
  gridLayout->addWidget(bDeleteRow);
  Splitter1->addWidget(PaintBox1);
  Splitter1->addWidget(PanelGrid);
  Splitter1->setStretchFactor(0, 1);
  outer->addWidget(Splitter1, 1);

  Panel1 = new QWidget(this);
  Panel1->setObjectName("Panel1");
  Panel1->setFixedHeight(50);
  auto* bottom = new QHBoxLayout(Panel1);
  Label1 = new QLabel("Drag points to edit SV, or draw lasso to select spikes", Panel1);
  Label1->setObjectName("Label1");
  bDeleteSelected = new QPushButton("Delete Selected (0)", Panel1);
  bDeleteSelected->setObjectName("bDeleteSelected");
  bDeleteSelected->setEnabled(false);
  bSaveAndClose = new QPushButton("Save && Close", Panel1);
  bSaveAndClose->setObjectName("bSaveAndClose");
  bCancel = new QPushButton("Cancel", Panel1);
  bCancel->setObjectName("bCancel");
  bottom->addWidget(Label1, 1);
  bottom->addWidget(bDeleteSelected);
  bottom->addWidget(bSaveAndClose);
  bottom->addWidget(bCancel);
  outer->addWidget(Panel1);

  connect(bDeleteSelected, &QPushButton::clicked, this, [this] { bDeleteSelectedClick(); });
  connect(bAddRow, &QPushButton::clicked, this, [this] { bAddRowClick(); });
  connect(bDeleteRow, &QPushButton::clicked, this, [this] { bDeleteRowClick(); });
  connect(bSaveAndClose, &QPushButton::clicked, this, [this] { bSaveAndCloseClick(); });
  connect(bCancel, &QPushButton::clicked, this, [this] { bCancelClick(); });
  connect(StringGrid1, &QTableWidget::cellClicked, this, [this] { StringGrid1Click(); });

  FormCreate();
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TfSVPGraph::FormCreate() {
  PaintBox1->installEventFilter(this);
  StringGrid1->viewport()->installEventFilter(this);
  StringGrid1->setHorizontalHeaderLabels({"Depth (m)", "SV (m/s)", "Hits"});
  FitTableColumns();
}

void TfSVPGraph::FitTableColumns() {
  // Columns of 60 pixels, wider where a caption needs more, and the panel
  // wide enough for all of them beside a vertical scroll bar.
  const QHeaderView* header = StringGrid1->horizontalHeader();
  int total = 0;
  for (int c = 0; c < StringGrid1->columnCount(); ++c) {
    const int width = std::max(60, header->sectionSizeHint(c));
    StringGrid1->setColumnWidth(c, width);
    total += width;
  }
  const int needed = total + 2 * StringGrid1->frameWidth() + StringGrid1->verticalScrollBar()->sizeHint().width();
  PanelGrid->setFixedWidth(std::max(195, needed));
}

void TfSVPGraph::changeEvent(QEvent* e) {
  QDialog::changeEvent(e);
  if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) FitTableColumns();
}

// ---- model ----

void TfSVPGraph::LoadProfile(const std::vector<std::string>& lines) {
  Points = svp::ParseProfile(lines);
  ComputeExtents();
  FillProfileGrid();
  PaintBox1->update();
}

void TfSVPGraph::StoreProfile(std::vector<std::string>& lines) const { lines = svp::ProfileLines(Points); }

void TfSVPGraph::SetExtents(const svp::ViewExtents& v) {
  MinSV = v.MinSV;
  MaxSV = v.MaxSV;
  MinDepth = v.MinDepth;
  MaxDepth = v.MaxDepth;
}

void TfSVPGraph::ComputeExtents() {
  svp::ViewExtents v{MinSV, MaxSV, MinDepth, MaxDepth};
  svp::ComputeExtents(Points, v);
  SetExtents(v);
}

void TfSVPGraph::FillProfileGrid() {
  StringGrid1->setRowCount(static_cast<int>(Points.size()));
  for (int i = 0; i < static_cast<int>(Points.size()); ++i) {
    const TSVPPoint& p = Points[static_cast<std::size_t>(i)];
    SetCell(StringGrid1, i, 0, QString::number(p.depth));
    SetCell(StringGrid1, i, 1, Q(FormatFixed(p.SV, 2)));
    SetCell(StringGrid1, i, 2, QString::number(p.hits));
  }
}

void TfSVPGraph::ReadProfileGrid() {
  Points.clear();
  for (int r = 0; r < StringGrid1->rowCount(); ++r) {
    TSVPPoint p;
    double sv = 0;
    if (!TryStrToInt(Cell(StringGrid1, r, 0), p.depth) || !TryStrToFloat(Cell(StringGrid1, r, 1), sv)) continue;
    p.SV = sv;
    if (!TryStrToInt(Cell(StringGrid1, r, 2), p.hits)) p.hits = 1;
    Points.push_back(p);
  }
  ComputeExtents();
  Modified = true;
}

svp::Scales TfSVPGraph::CurrentScales() const {
  svp::Scales s;
  s.view = {MinSV, MaxSV, MinDepth, MaxDepth};
  s.margins = Margin;
  s.width = PaintBox1->width();
  s.height = PaintBox1->height();
  return s;
}

int TfSVPGraph::SVToX(double SV) const { return CurrentScales().SVToX(SV); }
int TfSVPGraph::DepthToY(double depth) const { return CurrentScales().DepthToY(depth); }
double TfSVPGraph::XToSV(int x) const { return CurrentScales().XToSV(x); }
double TfSVPGraph::YToDepth(int y) const { return CurrentScales().YToDepth(y); }

int TfSVPGraph::HitTestPoint(int x, int y) const { return svp::HitTest(Points, CurrentScales(), x, y); }

bool TfSVPGraph::PointInLasso(int x, int y) const { return svp::PointInPolygon(LassoPoints, x, y); }

void TfSVPGraph::SelectInLasso() {
  for (TSVPPoint& p : Points) p.selected = PointInLasso(SVToX(p.SV), DepthToY(p.depth));
}

// ---- drawing ----

void TfSVPGraph::PaintBox1Paint() {
  QPainter p(PaintBox1);
  p.fillRect(PaintBox1->rect(), Qt::white);
  DrawAxes(p);
  DrawProfile(p);
  DrawLasso(p);
}

void TfSVPGraph::DrawAxes(QPainter& p) {
  const int W = PaintBox1->width(), H = PaintBox1->height();
  const svp::Margins& m = Margin;
  const QPen grid(QColor(192, 192, 192), 1, Qt::DotLine);
  // The plot is always white: its texts are black, whatever the theme.
  const QPen text(Qt::black);
  const int ascent = p.fontMetrics().ascent();
  // Bounded loops: a zoomed-out view never draws more lines than pixels.
  int guard = 0;
  for (double v = std::floor(MinSV / 10) * 10; v <= MaxSV && guard < 10000; v += 10, ++guard) {
    const int x = SVToX(v);
    if (x < m.left || x > W - m.right) continue;
    p.setPen(grid);
    p.drawLine(x, m.top, x, H - m.bottom);
    p.setPen(text);
    p.drawText(x - 15, H - m.bottom + 5 + ascent, Q(FormatFixed(v, 0)));
  }
  const double step = svp::DepthGridStep(MinDepth, MaxDepth);
  guard = 0;
  for (double d = std::floor(MinDepth / step) * step; d <= MaxDepth && guard < 10000; d += step, ++guard) {
    const int y = DepthToY(d);
    if (y < m.top || y > H - m.bottom) continue;
    p.setPen(grid);
    p.drawLine(m.left, y, W - m.right, y);
    p.setPen(text);
    p.drawText(5, y - 6 + ascent, Q(FormatFixed(d, 0) + "m"));
  }
  p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
  p.drawLine(m.left, m.top, m.left, H - m.bottom);
  p.drawLine(m.left, H - m.bottom, W - m.right, H - m.bottom);
  QFont bold = p.font();
  bold.setBold(true);
  p.setFont(bold);
  p.drawText(W / 2 - 30, H - 18 + p.fontMetrics().ascent(), "SV (m/s)");
  bold.setBold(false);
  p.setFont(bold);
}

void TfSVPGraph::DrawProfile(QPainter& p) {
  if (Points.empty()) return;
  p.setPen(QPen(QColor(0, 0, 255), 1, Qt::SolidLine));
  QPolygon line;
  for (const TSVPPoint& pt : Points) line << QPoint(SVToX(pt.SV), DepthToY(pt.depth));
  p.drawPolyline(line);
  for (int i = 0; i < static_cast<int>(Points.size()); ++i) {
    const TSVPPoint& pt = Points[static_cast<std::size_t>(i)];
    QColor fill(0, 0, 255), outline(0, 0, 128);
    if (pt.selected) fill = QColor(255, 0, 0), outline = QColor(128, 0, 0);
    else if (i == DragIndex) fill = QColor(0, 255, 0), outline = QColor(0, 128, 0);
    p.setPen(outline);
    p.setBrush(fill);
    const int x = SVToX(pt.SV), y = DepthToY(pt.depth);
    p.drawEllipse(QRect(QPoint(x - 4, y - 4), QPoint(x + 4, y + 4)));
  }
  p.setBrush(Qt::NoBrush);
}

void TfSVPGraph::DrawLasso(QPainter& p) {
  if (LassoPoints.size() < 2) return;
  p.setPen(QPen(QColor(255, 0, 0), 1, Qt::DashLine));
  p.setBrush(Qt::NoBrush);
  QPolygon outline;
  for (const auto& [x, y] : LassoPoints) outline << QPoint(x, y);
  if (LassoActive) p.drawPolygon(outline);
  else p.drawPolyline(outline);
}

// ---- interaction ----

void TfSVPGraph::PaintBox1MouseDown(Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton) return;
  const int i = HitTestPoint(x, y);
  if (i >= 0) {
    Dragging = true;
    DragIndex = i;
    PaintBox1->setCursor(Qt::SizeAllCursor);
    return;
  }
  LassoPoints.clear();
  LassoPoints.emplace_back(x, y);
  LassoActive = true;
}

void TfSVPGraph::PaintBox1MouseMove(int x, int y) {
  if (Dragging && DragIndex >= 0 && DragIndex < static_cast<int>(Points.size())) {
    const double sv = XToSV(x);
    if (sv >= 1300 && sv <= 1700) {
      Points[static_cast<std::size_t>(DragIndex)].SV = sv;
      FillProfileGrid();
      Modified = true;
      PaintBox1->update();
    }
  } else if (Dragging) {
    // a drag whose point is gone: nothing to move
  } else if (LassoActive) {
    const auto& last = LassoPoints.back();
    if (std::abs(x - last.first) > 3 || std::abs(y - last.second) > 3) {
      LassoPoints.emplace_back(x, y);
      PaintBox1->update();
    }
  } else {
    PaintBox1->setCursor(HitTestPoint(x, y) >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
  }
  Label1->setText(Q("SV: " + FormatFixed(XToSV(x), 1) + " m/s  Depth: " + FormatFixed(YToDepth(y), 1) +
                    " m  (Drag point to edit SV)"));
}

void TfSVPGraph::PaintBox1MouseUp(Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton) return;
  if (Dragging) {
    Dragging = false;
    DragIndex = -1;
    PaintBox1->setCursor(Qt::ArrowCursor);
    ComputeExtents();
    PaintBox1->update();
  } else if (LassoActive) {
    LassoActive = false;
    if (LassoPoints.size() >= 3) {
      SelectInLasso();
      int n = 0;
      for (const TSVPPoint& p : Points) n += p.selected ? 1 : 0;
      bDeleteSelected->setText(QString("Delete Selected (%1)").arg(n));
      bDeleteSelected->setEnabled(n > 0);
    }
    PaintBox1->update();
  }
}

void TfSVPGraph::PaintBox1DblClick() {
  ComputeExtents();
  PaintBox1->update();
}

void TfSVPGraph::bDeleteSelectedClick() {
  std::vector<TSVPPoint> kept;
  for (const TSVPPoint& p : Points)
    if (!p.selected) kept.push_back(p);
  Points = std::move(kept);
  Modified = true;
  LassoPoints.clear();
  bDeleteSelected->setText("Delete Selected (0)");
  bDeleteSelected->setEnabled(false);
  FillProfileGrid();
  ComputeExtents();
  PaintBox1->update();
}

void TfSVPGraph::StringGrid1Click() {
  const int r = StringGrid1->currentRow() + 1;
  if (r < 1 || r > static_cast<int>(Points.size())) return;
  for (std::size_t i = 0; i < Points.size(); ++i) Points[i].selected = static_cast<int>(i) == r - 1;
  PaintBox1->update();
}

void TfSVPGraph::bAddRowClick() {
  const int row = StringGrid1->rowCount();
  StringGrid1->setRowCount(row + 1);
  const int depth = Points.empty() ? 0 : Points.back().depth + 1;
  const double sv = Points.empty() ? 1500 : Points.back().SV;
  SetCell(StringGrid1, row, 0, QString::number(depth));
  SetCell(StringGrid1, row, 1, Q(FormatFixed(sv, 2)));
  SetCell(StringGrid1, row, 2, "0");
  ReadProfileGrid();
  PaintBox1->update();
}

void TfSVPGraph::bDeleteRowClick() {
  const int r = StringGrid1->currentRow();  // data row index; the header is not a table row here
  const int rows = StringGrid1->rowCount();
  if (r < 0 || r >= rows) return;
  for (int i = r; i + 1 < rows; ++i)
    for (int c = 0; c < 3; ++c) SetCell(StringGrid1, i, c, Q(Cell(StringGrid1, i + 1, c)));
  if (rows > 1) StringGrid1->setRowCount(rows - 1);
  ReadProfileGrid();
  PaintBox1->update();
}

void TfSVPGraph::bSaveAndCloseClick() {
  ReadProfileGrid();
  done(QDialog::Accepted);
}

void TfSVPGraph::bCancelClick() { done(QDialog::Rejected); }

void TfSVPGraph::FormMouseWheel(int delta, int x, int y) {
  svp::Scales s = CurrentScales();
  svp::WheelZoom(s, x, y, delta > 0);
  SetExtents(s.view);
  PaintBox1->update();
}

void TfSVPGraph::FormResize() { PaintBox1->update(); }

bool TfSVPGraph::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::Wheel) {
    auto* w = static_cast<QWheelEvent*>(e);
    const QPoint at = PaintBox1->mapFromGlobal(w->globalPosition().toPoint());
    FormMouseWheel(w->angleDelta().y(), at.x(), at.y());
    return true;
  }
  if (watched != PaintBox1) return QDialog::eventFilter(watched, e);
  switch (e->type()) {
    case QEvent::Paint:
      PaintBox1Paint();
      return true;
    case QEvent::MouseButtonPress: {
      auto* m = static_cast<QMouseEvent*>(e);
      PaintBox1MouseDown(m->button(), m->position().toPoint().x(), m->position().toPoint().y());
      return true;
    }
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(e);
      PaintBox1MouseMove(m->position().toPoint().x(), m->position().toPoint().y());
      return true;
    }
    case QEvent::MouseButtonRelease: {
      auto* m = static_cast<QMouseEvent*>(e);
      PaintBox1MouseUp(m->button(), m->position().toPoint().x(), m->position().toPoint().y());
      return true;
    }
    case QEvent::MouseButtonDblClick:
      PaintBox1DblClick();
      return true;
    default:
      return QDialog::eventFilter(watched, e);
  }
}

void TfSVPGraph::wheelEvent(QWheelEvent* e) {
  const QPoint at = PaintBox1->mapFromGlobal(e->globalPosition().toPoint());
  FormMouseWheel(e->angleDelta().y(), at.x(), at.y());
  e->accept();
}

void TfSVPGraph::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  FormResize();
}
