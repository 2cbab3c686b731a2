#pragma once
// Tick clock and wall clock of the program. Both can be replaced by tests so
// that watchdogs, timers and dated file names are checked without sleeping.
#include <QDateTime>
#include <cstdint>
#include <functional>

namespace platform {

// A 32-bit millisecond steady clock that wraps like the original tick count.
// It never returns 0: several components use 0 to mean "not set".
uint32_t TickCount();

// The local date and time of this moment.
QDateTime Now();

// Test hooks: an empty function restores the real clock.
void SetTickSource(std::function<uint32_t()> source);
void SetNowSource(std::function<QDateTime()> source);

}  // namespace platform
