#pragma once
#include <QWidget>

class TfLatency : public QWidget {
  Q_OBJECT
 public:
  explicit TfLatency(QWidget* parent = nullptr);
};

extern TfLatency* fLatency;
