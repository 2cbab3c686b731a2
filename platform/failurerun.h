#pragma once
// A run of failures told once when it begins and once when the work succeeds
// again, with what the run cost: the one way the program treats writes that
// can fail again and again (corrections a port cannot take, logs that cannot
// be written, reports that cannot be sent), so a failure is never taken for
// success and the user is not flooded.
#include <cstdint>

namespace platform {

class FailureRun {
 public:
  // Counts a failure that lost `amount` (bytes, frames, entries: the caller's
  // unit) and `items` pieces; true when this failure begins a run.
  bool Failed(uint64_t amount = 1, uint64_t items = 1) {
    const bool begins = !failing_;
    if (begins) amount_ = items_ = 0;
    failing_ = true;
    amount_ += amount;
    items_ += items;
    return begins;
  }
  // The work succeeded; true when this ends a run (Amount() and Items() then
  // tell what the whole run lost).
  bool Succeeded() {
    const bool ends = failing_;
    failing_ = false;
    return ends;
  }
  // Forgets a run without telling its end (the work was given up).
  void Reset() { failing_ = false; amount_ = items_ = 0; }
  uint64_t Amount() const { return amount_; }
  uint64_t Items() const { return items_; }

 private:
  bool failing_ = false;
  uint64_t amount_ = 0;
  uint64_t items_ = 0;
};

}  // namespace platform
