#include "runtime/uJoystick.h"

TfJoystick* fJoystick = nullptr;

TfJoystick::TfJoystick(QWidget* parent) : QWidget(parent) {
  setObjectName("fJoystick");
  setWindowTitle("Battery");
  resize(131, 42);
}
