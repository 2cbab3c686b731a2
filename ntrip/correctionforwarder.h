#pragma once
// Carries the correction stream into the receiver's serial port on a thread
// of its own, so neither the caster's worker nor the user-interface thread
// ever waits for the port. What the port does not take at once waits and is
// written next, so a port that stalls for a moment loses nothing. Corrections
// that have waited longer than the hold time are useless to the receiver and
// are dropped, oldest first and as whole RTCM 3 frames (a receiver that gets
// a piece of a frame throws the frame away and may lose the next one too);
// bytes that are no frames are dropped in the runs between frames. Drops are
// told once when they begin and once when the port keeps up again.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/failurerun.h"
#include "platform/serialport.h"

class CorrectionForwarder {
 public:
  struct Loss {
    bool dropping = false;  // true: drops began; false: the port keeps up again
    uint64_t bytes = 0;     // dropped so far (when beginning) or in the whole run (when ending)
    uint64_t frames = 0;    // whole RTCM 3 frames among them
  };
  // Called on the forwarder's thread.
  using LossReport = std::function<void(const Loss&)>;

  static constexpr int kDefaultHoldMs = 5000;
  // Beyond this much waiting, the oldest corrections go whatever their age.
  static constexpr std::size_t kMaxWaitingBytes = 4u << 20;

  explicit CorrectionForwarder(LossReport report);
  ~CorrectionForwarder();
  CorrectionForwarder(const CorrectionForwarder&) = delete;
  CorrectionForwarder& operator=(const CorrectionForwarder&) = delete;

  // The port that receives the corrections; empty for none. Corrections that
  // waited for another port are dropped without a report: they were meant
  // for a line that is gone.
  void SetPort(platform::SerialHandle port);
  platform::SerialHandle Port();
  // Queues a block of the stream; nothing when no port is set.
  void Push(const char* data, std::size_t length);
  void SetHoldMs(int ms);
  // Bytes waiting for the port.
  std::size_t Waiting();

 private:
  using Clock = std::chrono::steady_clock;
  struct Unit {
    std::size_t length;
    bool frame;
    Clock::time_point arrived;
  };
  void Run();
  void Parse(Clock::time_point now, bool forceTail);
  void Consume(std::size_t written);
  void DropOld(Clock::time_point now);
  void Clear();

  LossReport report_;
  std::mutex mutex_;
  std::condition_variable wake_;
  platform::SerialHandle port_;
  std::string queue_;         // bytes not yet written, oldest first
  std::deque<Unit> units_;    // the queue's frames and runs; a tail not yet whole is not among them
  std::size_t parsed_ = 0;    // queue bytes covered by units_
  bool frontStarted_ = false; // the first unit is partly written: it is finished, never dropped
  int holdMs_ = kDefaultHoldMs;
  platform::FailureRun drops_;
  bool stop_ = false;
  std::thread thread_;
};
