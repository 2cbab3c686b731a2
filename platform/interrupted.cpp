#include "platform/interrupted.h"

#include <chrono>

namespace platform {

int PollFor(pollfd* fds, nfds_t count, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    int wait = -1;
    if (timeoutMs >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait = left > 0 ? static_cast<int>(left) : 0;
    }
    const int r = ::poll(fds, count, wait);
    if (r >= 0 || errno != EINTR) return r;
  }
}

int ConnectCarryingOn(int socket, const sockaddr* address, socklen_t length, int timeoutMs) {
  if (::connect(socket, address, length) == 0) return 0;
  if (errno != EINTR) return -1;
  pollfd p{socket, POLLOUT, 0};
  const int r = PollFor(&p, 1, timeoutMs);
  if (r < 0) return -1;
  if (r == 0) {
    errno = ETIMEDOUT;
    return -1;
  }
  int error = 0;
  socklen_t size = sizeof error;
  if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return -1;
  if (error != 0) {
    errno = error;
    return -1;
  }
  return 0;
}

std::size_t SendWhole(int socket, const char* data, std::size_t length) {
  std::size_t done = 0;
  while (done < length) {
    const ssize_t n = RetryInterrupted([&] { return ::send(socket, data + done, length - done, MSG_NOSIGNAL); });
    if (n <= 0) {
      if (n == 0) errno = EPIPE;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace platform
