#include "ntrip/uNTRIPSettings.h"

TfrmNTRIPSettings* frmNTRIPSettings = nullptr;

TfrmNTRIPSettings::TfrmNTRIPSettings(QWidget* parent) : QWidget(parent) {
  setObjectName("frmNTRIPSettings");
  setWindowTitle("Quarix NTRIP Client");
  resize(320, 498);
}
