#pragma once
#include <QWidget>

class TfJoystick : public QWidget {
  Q_OBJECT
 public:
  explicit TfJoystick(QWidget* parent = nullptr);
};

extern TfJoystick* fJoystick;
