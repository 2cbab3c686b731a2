#include "geodesy/UGPS.h"

TFGPS* FGPS = nullptr;

TFGPS::TFGPS(QWidget* parent) : QWidget(parent) {
  setObjectName("FGPS");
  setWindowTitle("Settings");
}
