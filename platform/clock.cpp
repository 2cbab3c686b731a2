#include "platform/clock.h"

#include <chrono>

namespace platform {
namespace {
std::function<uint32_t()>& TickHook() {
  static std::function<uint32_t()> hook;
  return hook;
}
std::function<QDateTime()>& NowHook() {
  static std::function<QDateTime()> hook;
  return hook;
}
}  // namespace

uint32_t TickCount() {
  uint32_t t;
  if (TickHook()) {
    t = TickHook()();
  } else {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    t = static_cast<uint32_t>(ms);
  }
  return t == 0 ? 1 : t;
}

QDateTime Now() { return NowHook() ? NowHook()() : QDateTime::currentDateTime(); }

void SetTickSource(std::function<uint32_t()> source) { TickHook() = std::move(source); }
void SetNowSource(std::function<QDateTime()> source) { NowHook() = std::move(source); }

}  // namespace platform
