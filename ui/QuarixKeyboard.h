#pragma once
// On-screen keyboards for touch screens: a numeric keypad and a letter
// keyboard, each a black panel that types into one target control.
#include <QFrame>
#include <array>
#include <string>

#include "ui/keyboardlayout.h"

class QToolButton;

// Text of a line edit (masked or not) or a combo box; empty for null or any
// other control.
std::string GetControlText(QWidget* Control);
// Sets the text of such a control; nothing for null or any other control.
void SetControlText(QWidget* Control, const std::string& Text);

class TQuarixNumericKeypad : public QFrame {
  Q_OBJECT
 public:
  explicit TQuarixNumericKeypad(QWidget* owner);
  ~TQuarixNumericKeypad() override;

  QWidget* TargetControl = nullptr;   // the control the keys type into
  std::array<QToolButton*, keyboard::kNumericKeyCount> Keys{};  // in creation order

  void CreateKeypadButtons();
  // "Enter" hides the keypad, "Back" drops the target's last character, any
  // other key appends its caption; nothing without a target.
  void KeypadClick(QObject* Sender);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class TQuarixSimpleKeyboard : public QFrame {
  Q_OBJECT
 public:
  explicit TQuarixSimpleKeyboard(QWidget* owner);
  ~TQuarixSimpleKeyboard() override;

  QWidget* TargetControl = nullptr;
  bool ShiftOn = false;  // the next letter is upper case
  // Character keys from slot 0 on; Shift, Space, Back and Enter in slots
  // 50 to 53; the slots between stay empty.
  std::array<QToolButton*, keyboard::kKeySlots> Keys{};
  int KeyCount = 0;  // character keys built

  void CreateKeyboardButtons();
  // Letter captions in the case of ShiftOn; the digit row stays.
  void UpdateKeyCaptions();
  void KeyClick(QObject* Sender);  // appends the caption, ends a pending Shift
  void ShiftClick(QObject* Sender);
  void SpaceClick(QObject* Sender);
  void BackClick(QObject* Sender);
  void EnterClick(QObject* Sender);  // hides the keyboard, target or not

 protected:
  void paintEvent(QPaintEvent* event) override;
};
