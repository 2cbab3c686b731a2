#pragma once
// The message window: device messages of the main window, shown for a few
// seconds.
#include <QWidget>

class QPlainTextEdit;
class QTimer;

class TFMsg : public QWidget {
  Q_OBJECT
 public:
  explicit TFMsg(QWidget* parent = nullptr);

  QPlainTextEdit* Msg;  // the lines the main window adds
  QTimer* Timer1;       // 4000 ms, runs only while the window is visible

  // Adds one line to the memo (the window is not shown by this).
  void AddLine(const QString& line);

  void Timer1Timer();  // hides the window
  void MsgClick();     // hides the window and empties the memo

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
};

extern TFMsg* FMsg;
