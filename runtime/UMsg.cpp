#include "runtime/UMsg.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

TFMsg* FMsg = nullptr;

TFMsg::TFMsg(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setObjectName("FMsg");
  setWindowTitle("Message Window");
  resize(413, 192);

  Msg = new QPlainTextEdit(this);
  Msg->setObjectName("Msg");
  QFont f("MS Sans Serif");
  f.setPixelSize(13);
  Msg->setFont(f);
  Msg->viewport()->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Msg);

  Timer1 = new QTimer(this);
  Timer1->setInterval(4000);
  connect(Timer1, &QTimer::timeout, this, &TFMsg::Timer1Timer);
}

void TFMsg::AddLine(const QString& line) { Msg->appendPlainText(line); }

void TFMsg::Timer1Timer() { hide(); }

void TFMsg::MsgClick() {
  hide();
  Msg->clear();
}

// The timer runs only while the window is visible: showing an already visible
// window does not come here, so it does not extend the display time.
void TFMsg::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!Timer1->isActive()) Timer1->start();
}

void TFMsg::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  Timer1->stop();
}

bool TFMsg::eventFilter(QObject* watched, QEvent* e) {
  if (watched == Msg->viewport() && e->type() == QEvent::MouseButtonPress) {
    MsgClick();
    return true;
  }
  return QWidget::eventFilter(watched, e);
}
