#include "app/About.h"

TformAbout* formAbout = nullptr;

TformAbout::TformAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("formAbout");
  setWindowTitle("About Quarix Depthmark");
}
