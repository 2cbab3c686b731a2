#pragma once
#include <QWidget>

class TfRTCMParsing : public QWidget {
  Q_OBJECT
 public:
  explicit TfRTCMParsing(QWidget* parent = nullptr);
};

extern TfRTCMParsing* fRTCMParsing;
