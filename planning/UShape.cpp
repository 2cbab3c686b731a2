#include "planning/UShape.h"

TFShape* FShape = nullptr;

TFShape::TFShape(QWidget* parent) : QWidget(parent) {
  setObjectName("FShape");
  setWindowTitle("Vessel Geometry");
}
