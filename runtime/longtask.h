#pragma once
// Progress of a long load or import on the user-interface thread: nothing
// shows for the first second; after that a progress window with a Cancel
// button keeps the program alive. Handed to the readers as their progress
// callback; a Cancel makes them stop, and the import then leaves the map as
// it was. A termination request stops them the same way before the program
// closes.
#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <memory>

class QProgressDialog;
class QWidget;

class TLongTask {
 public:
  TLongTask(QWidget* Parent, QString Label);
  ~TLongTask();
  TLongTask(const TLongTask&) = delete;
  TLongTask& operator=(const TLongTask&) = delete;

  // Done of Total units; false once the user has cancelled.
  bool Step(uint64_t Done, uint64_t Total);
  bool Cancelled() const { return cancelled_; }
  // Stopped by a termination request rather than by the user.
  bool Interrupted() const { return interrupted_; }

  // How long a task runs before its progress window shows (1000 ms).
  static int ShowAfterMs;

 private:
  QWidget* parent_;
  QString label_;
  QElapsedTimer clock_;
  std::unique_ptr<QProgressDialog> dialog_;
  bool cancelled_ = false;
  bool interrupted_ = false;
};
