#include "ntrip/uRTCMParsing.h"

TfRTCMParsing* fRTCMParsing = nullptr;

TfRTCMParsing::TfRTCMParsing(QWidget* parent) : QWidget(parent) {
  setObjectName("fRTCMParsing");
  setWindowTitle("RTCM Message Parser");
}
