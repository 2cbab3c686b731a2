#include "platform/serialport.h"

#include "platform/interrupted.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <linux/serial.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <chrono>
#include <fstream>

// The kernel's termios2, for rates outside the POSIX table. Declared here
// because <asm/termbits.h> clashes with <termios.h>; the layout is the kernel's
// on every architecture Debian builds for except the few with their own.
struct termios2 {
  tcflag_t c_iflag;
  tcflag_t c_oflag;
  tcflag_t c_cflag;
  tcflag_t c_lflag;
  cc_t c_line;
  cc_t c_cc[19];
  speed_t c_ispeed;
  speed_t c_ospeed;
};
#ifndef BOTHER
#define BOTHER 0010000
#endif
#ifndef CBAUD
#define CBAUD 0010017
#endif

namespace platform {
namespace {

// The POSIX speed constant of a rate, or B0 when the table has none.
speed_t PosixSpeed(int rate) {
  switch (rate) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 500000: return B500000;
    case 576000: return B576000;
    case 921600: return B921600;
    case 1000000: return B1000000;
    case 1152000: return B1152000;
    case 1500000: return B1500000;
    case 2000000: return B2000000;
    default: return B0;
  }
}

}  // namespace

bool BuildLineTermios(termios& t, const SerialLineSettings& s) {
  if (s.dataBits < 5 || s.dataBits > 8 || s.baudRate <= 0) return false;
  const tcflag_t oldParity = t.c_cflag & (PARENB | PARODD | CMSPAR);
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;

  t.c_cflag &= ~CSIZE;
  switch (s.dataBits) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    default: t.c_cflag |= CS8; break;
  }
  // One and a half stop bits do not exist on Linux; two is the nearest.
  if (s.stopBits == 2 || s.stopBits == 3) t.c_cflag |= CSTOPB;
  else t.c_cflag &= ~CSTOPB;

  t.c_cflag &= ~(PARENB | PARODD | CMSPAR);
  switch (s.parity) {
    case 0: break;
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: t.c_cflag |= oldParity; break;
  }
  if (s.parity != 0) t.c_iflag |= INPCK;
  else t.c_iflag &= ~INPCK;

  const speed_t posix = PosixSpeed(s.baudRate);
  if (posix != B0) {
    cfsetispeed(&t, posix);
    cfsetospeed(&t, posix);
  }
  return true;
}

namespace {

bool ApplySettings(int fd, const SerialLineSettings& s) {
  termios t{};
  if (tcgetattr(fd, &t) != 0 || !BuildLineTermios(t, s)) return false;
  if (tcsetattr(fd, TCSANOW, &t) != 0) return false;
  const speed_t posix = PosixSpeed(s.baudRate);

  if (posix == B0) {
    termios2 t2{};
    if (ioctl(fd, TCGETS2, &t2) != 0) return false;
    t2.c_cflag &= ~(CBAUD | (CBAUD << 16));
    t2.c_cflag |= BOTHER | (BOTHER << 16);
    t2.c_ispeed = static_cast<speed_t>(s.baudRate);
    t2.c_ospeed = static_cast<speed_t>(s.baudRate);
    if (ioctl(fd, TCSETS2, &t2) != 0) return false;
  }

  // Modem lines: pseudo-terminals do not have them, so errors are ignored.
  int dtr = TIOCM_DTR;
  int rts = TIOCM_RTS;
  (void)ioctl(fd, s.dtr ? TIOCMBIS : TIOCMBIC, &dtr);
  (void)ioctl(fd, s.rts ? TIOCMBIS : TIOCMBIC, &rts);
  return true;
}

}  // namespace

std::shared_ptr<SerialPort> SerialPort::Open(const std::string& devicePath,
                                             const SerialLineSettings& settings) {
  if (devicePath.empty()) return nullptr;
  const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  // No sharing: other programs are kept out by TIOCEXCL, other openers that
  // honour advisory locks (this program included) by the lock.
  if (!isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0 ||
      !ApplySettings(fd, settings)) {
    ::close(fd);
    return nullptr;
  }
  (void)tcflush(fd, TCIOFLUSH);
  const int timeout = settings.writeTimeoutMs > 0 ? settings.writeTimeoutMs : 0;
  return std::shared_ptr<SerialPort>(new SerialPort(fd, devicePath, timeout));
}

SerialPort::SerialPort(int fd, std::string path, int writeTimeoutMs)
    : fd_(fd), path_(std::move(path)), writeTimeoutMs_(writeTimeoutMs) {}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::IsOpen() const {
  std::shared_lock lock(stateMutex_);
  return fd_ >= 0;
}

void SerialPort::Close() {
  std::unique_lock lock(stateMutex_);
  if (fd_ < 0) return;
  (void)ioctl(fd_, TIOCNXCL);
  ::close(fd_);  // also releases the lock
  fd_ = -1;
}

int SerialPort::QueuedBytes() const {
  std::shared_lock lock(stateMutex_);
  if (fd_ < 0) return -1;
  int n = 0;
  if (ioctl(fd_, FIONREAD, &n) != 0) return -1;
  return n;
}

bool SerialPort::Failed() const {
  std::shared_lock lock(stateMutex_);
  if (fd_ < 0) return true;
  pollfd p{fd_, POLLIN, 0};
  const int r = PollFor(&p, 1, 0);
  return r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

long SerialPort::Read(char* buffer, size_t maxBytes) {
  std::shared_lock lock(stateMutex_);
  if (fd_ < 0) return -1;
  if (maxBytes == 0) return 0;
  const ssize_t n = RetryInterrupted([&] { return ::read(fd_, buffer, maxBytes); });
  if (n >= 0) return n;
  return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
}

size_t SerialPort::Write(const char* data, size_t length) {
  std::lock_guard writer(writeMutex_);
  std::shared_lock lock(stateMutex_);
  if (fd_ < 0) return 0;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(writeTimeoutMs_);
  size_t done = 0;
  while (done < length) {
    const ssize_t n = RetryInterrupted([&] { return ::write(fd_, data + done, length - done); });
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd p{fd_, POLLOUT, 0};
    const int r = PollFor(&p, 1, static_cast<int>(left));
    if (r <= 0 || (p.revents & (POLLERR | POLLNVAL))) break;
  }
  return done;
}

long SerialPort::WriteNow(const char* data, size_t length) {
  std::lock_guard writer(writeMutex_);
  std::shared_lock lock(stateMutex_);
  if (fd_ < 0) return -1;
  if (length == 0) return 0;
  const ssize_t n = RetryInterrupted([&] { return ::write(fd_, data, length); });
  if (n >= 0) return n;
  return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
}

bool SerialPort::WaitWritable(int timeoutMs) const {
  std::shared_lock lock(stateMutex_);
  if (fd_ < 0) return false;
  pollfd p{fd_, POLLOUT, 0};
  return PollFor(&p, 1, timeoutMs) > 0 && (p.revents & POLLOUT) != 0;
}

std::string DefaultSerialDevice(int portNumber) {
  if (portNumber < 1 || portNumber > 256) return {};
  return "/dev/ttyS" + std::to_string(portNumber - 1);
}

bool IsSerialLine(const std::string& devicePath) {
  struct stat st{};
  if (::stat(devicePath.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  // A UART that the driver knows has a type other than "unknown" (0); the
  // kernel lists it for every /dev/ttySn, probed hardware or not.
  char real[PATH_MAX];
  const std::string target = ::realpath(devicePath.c_str(), real) ? real : devicePath;
  const auto slash = target.rfind('/');
  const std::string name = target.substr(slash == std::string::npos ? 0 : slash + 1);
  std::ifstream typeFile("/sys/class/tty/" + name + "/type");
  int type = 0;
  if (typeFile >> type) return type != 0;
  // Otherwise: any terminal device that accepts the terminal requests.
  const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  termios t{};
  const bool ok = isatty(fd) && tcgetattr(fd, &t) == 0;
  ::close(fd);
  return ok;
}

std::vector<std::string> ListSerialPorts(const std::vector<std::string>& mappedNames) {
  std::vector<std::string> list;
  auto listed = [&list](const std::string& name) {
    for (const auto& n : list)
      if (n == name) return true;
    return false;
  };
  for (const auto& name : mappedNames)
    if (!listed(name)) list.push_back(name);
  for (int n = 1; n <= 256; ++n) {
    const std::string name = "COM" + std::to_string(n);
    if (listed(name)) continue;
    if (IsSerialLine(DefaultSerialDevice(n))) list.push_back(name);
  }
  return list;
}

}  // namespace platform
