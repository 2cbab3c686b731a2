#include "geodesy/unavset.h"

TNavset* Navset = nullptr;

TNavset::TNavset(QWidget* parent) : QWidget(parent) {
  setObjectName("Navset");
  setWindowTitle("Navigation Settings");
}
