#include "runtime/unavigation.h"

TFNav* FNav = nullptr;

TFNav::TFNav(QWidget* parent) : QMainWindow(parent) {
  setObjectName("FNav");
  setWindowTitle("Quarix Depthmark");
  resize(987, 541);
}
