#include "runtime/uJoystick.h"

#include <QComboBox>
#include <QLabel>
#include <QTimer>

#include "settings/UGPS.h"

TfJoystick* fJoystick = nullptr;

TfJoystick::TfJoystick(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("fJoystick");
  setWindowTitle("Battery");
  setFixedSize(131, 42);

  pBattery = new QLabel(this);
  pBattery->setObjectName("pBattery");
  pBattery->setGeometry(0, 0, 131, 41);
  pBattery->setAlignment(Qt::AlignCenter);
  pBattery->setFrameShape(QFrame::Panel);
  pBattery->setFrameShadow(QFrame::Raised);
  QFont f("Segoe UI");
  f.setPixelSize(13);
  f.setBold(true);
  pBattery->setFont(f);

  Timer1 = new QTimer(this);
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &TfJoystick::Timer1Timer);
  Timer1->start();
  show();
}

void TfJoystick::Timer1Timer() {
  if (FGPS && FGPS->cSBESMessage->currentText() != "Quarix SMT") hide();
}
