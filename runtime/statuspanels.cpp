#include "runtime/statuspanels.h"

#include <QLabel>
#include <QMouseEvent>

TQuarixStatusBar::TQuarixStatusBar(int panelCount, int panelWidth, QWidget* parent) : QWidget(parent) {
  setObjectName("sStatusBar");
  for (int i = 0; i < panelCount; ++i) {
    auto* l = new QLabel(this);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    panels_.push_back(l);
    widths_.push_back(panelWidth);
  }
  setFixedHeight(fontMetrics().height() + 6);
  // The panels are placed by hand, not by a layout: however wide they grow,
  // the bar asks its window for no width, and what passes the window's right
  // edge is cut there.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  PlacePanels();
}

QSize TQuarixStatusBar::sizeHint() const { return {0, height()}; }
QSize TQuarixStatusBar::minimumSizeHint() const { return {0, height()}; }

void TQuarixStatusBar::PlacePanels() {
  int left = 0;
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    panels_[i]->setGeometry(left, 0, widths_[i], height());
    left += widths_[i];
  }
}

void TQuarixStatusBar::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  PlacePanels();
}

QString TQuarixStatusBar::PanelText(int index) const {
  if (index < 0 || index >= PanelCount()) return {};
  return panels_[index]->text();
}

void TQuarixStatusBar::SetPanelText(int index, const QString& text) {
  if (index < 0 || index >= PanelCount()) return;
  panels_[index]->setText(text);
}

int TQuarixStatusBar::PanelWidth(int index) const {
  if (index < 0 || index >= PanelCount()) return 0;
  return widths_[index];
}

void TQuarixStatusBar::SetPanelWidth(int index, int width) {
  if (index < 0 || index >= PanelCount()) return;
  if (widths_[index] == width) return;
  widths_[index] = width;
  PlacePanels();
}

int TQuarixStatusBar::TextWidth(const QString& text) const { return fontMetrics().horizontalAdvance(text); }

void TQuarixStatusBar::mousePressEvent(QMouseEvent* e) {
  QWidget::mousePressEvent(e);
  if (e->button() == Qt::LeftButton && OnClick) OnClick(this);
}

void TQuarixStatusBar::mouseDoubleClickEvent(QMouseEvent* e) {
  QWidget::mouseDoubleClickEvent(e);
  if (OnDblClick) OnDblClick(this);
}
