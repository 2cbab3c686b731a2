#include "ntrip/correctionforwarder.h"

#include "ntrip/rtcm3.h"

namespace {
// A wait for the port is cut into short ones, so a port handed over or a
// hold that ran out is noticed in time.
constexpr int kWaitSliceMs = 50;
// A tail that may be the start of a frame waits this long for the rest; then
// it is written as it is (a stream that ends there, or one that is no RTCM).
constexpr auto kTailWait = std::chrono::milliseconds(100);
}  // namespace

CorrectionForwarder::CorrectionForwarder(LossReport report) : report_(std::move(report)) {
  thread_ = std::thread([this] { Run(); });
}

CorrectionForwarder::~CorrectionForwarder() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void CorrectionForwarder::SetPort(platform::SerialHandle port) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (port == port_) return;
  port_ = std::move(port);
  Clear();
  drops_.Reset();
}

platform::SerialHandle CorrectionForwarder::Port() {
  std::lock_guard<std::mutex> lock(mutex_);
  return port_;
}

void CorrectionForwarder::SetHoldMs(int ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  holdMs_ = ms;
}

std::size_t CorrectionForwarder::Waiting() {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size();
}

void CorrectionForwarder::Push(const char* data, std::size_t length) {
  if (length == 0) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!port_) return;
    queue_.append(data, length);
    Parse(Clock::now(), false);
  }
  wake_.notify_all();
}

void CorrectionForwarder::Clear() {
  queue_.clear();
  units_.clear();
  parsed_ = 0;
  frontStarted_ = false;
}

// Cuts the queue's new bytes into whole frames and the runs between them. A
// frame that has not arrived whole stays unparsed (and unwritten) until it
// has, so a write never ends inside a frame whose end is unknown; forced, it
// is taken as a run of bytes.
void CorrectionForwarder::Parse(Clock::time_point now, bool forceTail) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(queue_.data());
  const std::size_t size = queue_.size();
  while (parsed_ < size) {
    const long frame = rtcm3::FrameAt(bytes + parsed_, size - parsed_);
    if (frame == 0 && forceTail) {
      units_.push_back({size - parsed_, false, now});
      parsed_ = size;
      break;
    }
    if (frame == 0) break;
    if (frame > 0) {
      units_.push_back({std::size_t(frame), true, now});
      parsed_ += std::size_t(frame);
      continue;
    }
    std::size_t end = parsed_ + 1;
    while (end < size && rtcm3::FrameAt(bytes + end, size - end) < 0) ++end;
    units_.push_back({end - parsed_, false, now});
    parsed_ = end;
  }
}

void CorrectionForwarder::Consume(std::size_t written) {
  queue_.erase(0, written);
  parsed_ -= written;
  while (written > 0) {
    Unit& front = units_.front();
    if (written < front.length) {
      front.length -= written;
      frontStarted_ = true;
      return;
    }
    written -= front.length;
    units_.pop_front();
    frontStarted_ = false;
  }
}

void CorrectionForwarder::DropOld(Clock::time_point now) {
  const auto hold = std::chrono::milliseconds(holdMs_);
  uint64_t bytes = 0, frames = 0;
  // The first unit, once started, is finished: the next one is the oldest
  // that can go.
  const std::size_t first = frontStarted_ ? 1 : 0;
  const std::size_t offset = first == 1 ? units_.front().length : 0;
  std::size_t last = first;  // the units that go are [first, last), one run of the queue
  for (; last < units_.size(); ++last) {
    const Unit& unit = units_[last];
    const bool old = now - unit.arrived > hold;
    if (!old && queue_.size() - bytes <= kMaxWaitingBytes) break;
    bytes += unit.length;
    if (unit.frame) ++frames;
  }
  if (bytes == 0) return;
  queue_.erase(offset, bytes);
  parsed_ -= bytes;
  units_.erase(units_.begin() + long(first), units_.begin() + long(last));
  if (drops_.Failed(bytes, frames) && report_) report_({true, drops_.Amount(), drops_.Items()});
}

void CorrectionForwarder::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    if (parsed_ == 0) {
      if (queue_.empty()) wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      else if (!wake_.wait_for(lock, kTailWait, [this] { return stop_ || parsed_ > 0; })) Parse(Clock::now(), true);
      continue;
    }
    const platform::SerialHandle port = port_;
    const long n = port ? port->WriteNow(queue_.data(), parsed_) : -1;
    if (n < 0) {
      // Closed by its owner or failed: nothing will take these bytes.
      if (port_ == port) {
        Clear();
        drops_.Reset();
      }
      continue;
    }
    Consume(std::size_t(n));
    if (parsed_ == 0) {  // the port took everything that had waited: it keeps up
      if (drops_.Succeeded() && report_) report_({false, drops_.Amount(), drops_.Items()});
      continue;
    }
    DropOld(Clock::now());
    if (parsed_ == 0 || n > 0) continue;  // nothing left to write yet; or the port took some
    lock.unlock();
    port->WaitWritable(kWaitSliceMs);
    lock.lock();
  }
}
