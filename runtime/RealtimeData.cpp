#include "runtime/RealtimeData.h"

TfRealtime* fRealtime = nullptr;

TfRealtime::TfRealtime(QWidget* parent) : QWidget(parent) {
  setObjectName("fRealtime");
  setWindowTitle("Realtime Data");
  resize(192, 382);
}
