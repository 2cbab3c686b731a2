#include "ui/uTheme.h"

TfTheme* fTheme = nullptr;

TfTheme::TfTheme(QWidget* parent) : QDialog(parent) {
  setObjectName("fTheme");
  setWindowTitle("Theme Selection");
  resize(320, 612);
}
