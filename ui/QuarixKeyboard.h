#pragma once
// On-screen keyboards for touch screens: a numeric keypad and a letter
// keyboard, each a black panel that types into one target control.
#include <QFrame>

class TQuarixNumericKeypad : public QFrame {
  Q_OBJECT
 public:
  explicit TQuarixNumericKeypad(QWidget* owner);
  QWidget* TargetControl = nullptr;  // the control the keys type into
};

class TQuarixSimpleKeyboard : public QFrame {
  Q_OBJECT
 public:
  explicit TQuarixSimpleKeyboard(QWidget* owner);
  QWidget* TargetControl = nullptr;
};
