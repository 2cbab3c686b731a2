#include "runtime/longtask.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>

#include "platform/termination.h"

int TLongTask::ShowAfterMs = 1000;

TLongTask::TLongTask(QWidget* Parent, QString Label) : parent_(Parent), label_(std::move(Label)) { clock_.start(); }

TLongTask::~TLongTask() = default;

bool TLongTask::Step(uint64_t Done, uint64_t Total) {
  if (cancelled_) return false;
  if (!dialog_ && clock_.elapsed() < ShowAfterMs) return true;
  // The progress window lets the event loop run (setValue of a modal dialog
  // does too): a logout or kill -TERM that comes now stops the task like
  // Cancel, and the program closes once the task has left the map as it was.
  const platform::TerminationHold hold;
  if (!dialog_) {
    dialog_ = std::make_unique<QProgressDialog>(label_, "Cancel", 0, 1000, parent_);
    dialog_->setWindowTitle("Quarix DM");
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->show();
  }
  const int value = Total > 0 ? static_cast<int>(std::min<uint64_t>(Done, Total) * 1000 / Total) : 0;
  dialog_->setValue(value);
  QCoreApplication::processEvents();
  interrupted_ = platform::TerminationPending();
  if (dialog_->wasCanceled() || interrupted_) cancelled_ = true;
  return !cancelled_;
}
