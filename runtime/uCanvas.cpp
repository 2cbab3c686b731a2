#include "runtime/uCanvas.h"

TfWaterfal* fWaterfal = nullptr;

TfWaterfal::TfWaterfal(QWidget* parent) : QWidget(parent) {
  setObjectName("fWaterfal");
  setWindowTitle("Acoustic Waterfall");
  resize(388, 147);
}
