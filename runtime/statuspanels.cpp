#include "runtime/statuspanels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

TQuarixStatusBar::TQuarixStatusBar(int panelCount, int panelWidth, QWidget* parent) : QWidget(parent) {
  setObjectName("sStatusBar");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (int i = 0; i < panelCount; ++i) {
    auto* l = new QLabel(this);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setFixedWidth(panelWidth);
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    layout->addWidget(l);
    panels_.push_back(l);
    widths_.push_back(panelWidth);
  }
  layout->addStretch(1);
  setFixedHeight(fontMetrics().height() + 6);
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
  widths_[index] = width;
  panels_[index]->setFixedWidth(width);
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
