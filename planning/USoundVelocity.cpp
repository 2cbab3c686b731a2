#include "planning/USoundVelocity.h"

TfSVP* fSVP = nullptr;

TfSVP::TfSVP(QWidget* parent) : QWidget(parent) {
  setObjectName("fSVP");
  setWindowTitle("Sound Velocity");
}
