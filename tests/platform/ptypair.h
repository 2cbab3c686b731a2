#pragma once
// A pseudo-terminal for serial tests: the program opens the device side by its
// path, the test talks through the other side.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

class PtyPair {
 public:
  PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    char name[128];
    if (ptsname_r(master_, name, sizeof name) == 0) devicePath_ = name;
    // Keep one handle of the device side open so that the link stays up
    // between the program's openings; it is never read.
    keeper_ = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  }
  ~PtyPair() {
    if (keeper_ >= 0) ::close(keeper_);
    if (master_ >= 0) ::close(master_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Ok() const { return master_ >= 0 && keeper_ >= 0 && !devicePath_.empty(); }
  // Closes the test's side: to the program the line hangs up, like a
  // receiver whose USB adapter was pulled out.
  void Unplug() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  const std::string& DevicePath() const { return devicePath_; }
  int MasterFd() const { return master_; }
  // The test's own handle of the device side (opened before any exclusive
  // opening), for reading the line settings.
  int DeviceFd() const { return keeper_; }

  // Writes all bytes to the device's input, waiting (bounded) while the
  // terminal's queue is full.
  bool Send(const std::string& bytes) {
    size_t done = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
        continue;
      }
      if (std::chrono::steady_clock::now() > deadline) return false;
      pollfd p{master_, POLLOUT, 0};
      ::poll(&p, 1, 10);
    }
    return true;
  }

  // Everything the program wrote to the device, collected until `expected`
  // bytes arrived or about two seconds passed.
  std::string Receive(size_t expected) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    char buf[4096];
    while (got.size() < expected && std::chrono::steady_clock::now() < deadline) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 10) > 0) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) got.append(buf, static_cast<size_t>(n));
      }
    }
    return got;
  }

  // What is waiting now, without waiting.
  std::string Drain() {
    std::string got;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(master_, buf, sizeof buf)) > 0) got.append(buf, static_cast<size_t>(n));
    return got;
  }

 private:
  int master_ = -1;
  int keeper_ = -1;
  std::string devicePath_;
};

// Calls `condition` until it holds or about two seconds passed: the terminal
// hands written bytes over to the reading side a moment later.
inline bool WaitFor(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}
