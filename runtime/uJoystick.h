#pragma once
// The battery window: the battery value that a "Quarix SMT" echo sounder
// reports. It hides itself while another sentence type is selected.
#include <QWidget>

class QLabel;
class QTimer;

class TfJoystick : public QWidget {
  Q_OBJECT
 public:
  explicit TfJoystick(QWidget* parent = nullptr);

  QLabel* pBattery;  // the battery value as text (written by the depth intake)
  QTimer* Timer1;    // 1000 ms, enabled from creation

  void Timer1Timer();
};

extern TfJoystick* fJoystick;
