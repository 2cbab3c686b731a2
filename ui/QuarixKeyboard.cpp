#include "ui/QuarixKeyboard.h"

namespace {
void MakeBlackPanel(QFrame* panel, int width, int height) {
  panel->setFrameShape(QFrame::NoFrame);
  panel->setFixedSize(width, height);
  panel->setAutoFillBackground(true);
  QPalette pal = panel->palette();
  pal.setColor(QPalette::Window, Qt::black);
  panel->setPalette(pal);
}
}  // namespace

TQuarixNumericKeypad::TQuarixNumericKeypad(QWidget* owner) : QFrame(owner) {
  setObjectName("NumericKeypad");
  MakeBlackPanel(this, 170, 200);
}

TQuarixSimpleKeyboard::TQuarixSimpleKeyboard(QWidget* owner) : QFrame(owner) {
  setObjectName("SimpleKeyboard");
  MakeBlackPanel(this, 420, 200);
}
