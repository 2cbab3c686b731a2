#pragma once
// System calls that a signal can interrupt. A signal that arrives while a
// call waits (a handler installed without SA_RESTART, a stop and continue of
// the program by a debugger, a tracer or a suspend) makes it fail with EINTR
// although nothing went wrong; these helpers carry the call on instead.
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>

#include <cerrno>
#include <cstddef>

namespace platform {

// Repeats call() while it fails with EINTR; its result otherwise, errno as
// the last attempt left it. For calls that return -1 on failure (read, write,
// recv, send, ftruncate, tcdrain, ...).
template <class Call>
auto RetryInterrupted(Call&& call) -> decltype(call()) {
  for (;;) {
    const auto result = call();
    if (result != -1 || errno != EINTR) return result;
  }
}

// poll() whose time-out counts from this call, not from the last
// interruption; timeoutMs < 0 waits without end.
int PollFor(pollfd* fds, nfds_t count, int timeoutMs);

// connect() of a blocking socket. An interrupted connect goes on in the
// background (POSIX); it is waited for, at most timeoutMs, and its outcome
// returned: 0, or -1 with errno (ETIMEDOUT when the wait ran out).
int ConnectCarryingOn(int socket, const sockaddr* address, socklen_t length, int timeoutMs);

// Sends every byte (partial sends continued, interruptions carried on, no
// SIGPIPE). Returns the count sent: less than length on failure, with errno.
std::size_t SendWhole(int socket, const char* data, std::size_t length);

}  // namespace platform
