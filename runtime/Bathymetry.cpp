#include "runtime/Bathymetry.h"

TOffsets* Offsets = nullptr;

TOffsets::TOffsets(QWidget* parent) : QWidget(parent) {
  setObjectName("Offsets");
  setWindowTitle("Offsets Essential for Post Processing / Recovery");
}
