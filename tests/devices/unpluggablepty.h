#pragma once
// A pseudo-terminal whose other side the test can close while the program
// holds the device side open: to the program it looks like a receiver whose
// USB adapter was pulled out (the line hangs up).
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

class UnpluggablePty {
 public:
  UnpluggablePty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    char name[128];
    if (ptsname_r(master_, name, sizeof name) == 0) devicePath_ = name;
  }
  ~UnpluggablePty() { Unplug(); }
  UnpluggablePty(const UnpluggablePty&) = delete;
  UnpluggablePty& operator=(const UnpluggablePty&) = delete;

  bool Ok() const { return master_ >= 0 && !devicePath_.empty(); }
  const std::string& DevicePath() const { return devicePath_; }

  // Writes a few bytes to the device's input (far less than its queue holds).
  bool Send(const std::string& bytes) {
    return master_ >= 0 && ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  void Unplug() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string devicePath_;
};
