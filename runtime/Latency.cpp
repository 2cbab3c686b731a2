#include "runtime/Latency.h"

TfLatency* fLatency = nullptr;

TfLatency::TfLatency(QWidget* parent) : QWidget(parent) {
  setObjectName("fLatency");
  setWindowTitle("Latency");
}
