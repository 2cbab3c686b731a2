#include "runtime/UMsg.h"

TFMsg* FMsg = nullptr;

TFMsg::TFMsg(QWidget* parent) : QWidget(parent) {
  setObjectName("FMsg");
  setWindowTitle("Message Window");
  resize(413, 192);
}
