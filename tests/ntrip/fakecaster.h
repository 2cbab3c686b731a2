#pragma once
// A caster for tests, on 127.0.0.1 only. Connections are served one after the
// other; each plays the script of its turn (the last script repeats).
#include <QCoreApplication>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FakeCaster {
 public:
  struct Script {
    std::vector<std::string> chunks;  // sent one by one, a little apart
    bool closeAfter = true;           // close after the chunks; otherwise wait for the client to close
    bool waitForRequest = true;       // read the request before answering
  };

  explicit FakeCaster(std::vector<Script> scripts) : scripts_(std::move(scripts)) {
    listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listen_, 8);
    socklen_t len = sizeof a;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  ~FakeCaster() {
    stop_ = true;
    thread_.join();
    ::close(listen_);
  }
  int Port() const { return port_; }
  int Connections() {
    std::lock_guard<std::mutex> l(m_);
    return int(received_.size());
  }
  // Connections that have ended.
  int Closed() {
    std::lock_guard<std::mutex> l(m_);
    return closed_;
  }
  // Everything the client sent on a connection.
  std::string Received(int connection) {
    std::lock_guard<std::mutex> l(m_);
    return connection < int(received_.size()) ? received_[connection] : std::string();
  }

  // A port on 127.0.0.1 where nothing listens.
  static int ClosedPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
  }

 private:
  bool Readable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) > 0;
  }
  // Reads what is there; false when the peer closed.
  bool ReadSome(int fd, int index) {
    char buf[4096];
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) return false;
    std::lock_guard<std::mutex> l(m_);
    received_[index].append(buf, std::size_t(n));
    return true;
  }
  void Run() {
    while (!stop_) {
      if (!Readable(listen_, 20)) continue;
      const int fd = ::accept(listen_, nullptr, nullptr);
      if (fd < 0) continue;
      int index;
      {
        std::lock_guard<std::mutex> l(m_);
        index = int(received_.size());
        received_.emplace_back();
      }
      const Script& script = scripts_[std::min<std::size_t>(index, scripts_.size() - 1)];
      bool open = true;
      if (script.waitForRequest) {
        while (open && !stop_ && Received(index).find("\r\n\r\n") == std::string::npos)
          if (Readable(fd, 20)) open = ReadSome(fd, index);
      }
      for (const std::string& chunk : script.chunks) {
        if (!open || stop_) break;
        ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
        std::this_thread::sleep_for(std::chrono::milliseconds(40));  // a read of its own
        while (Readable(fd, 0) && open) open = ReadSome(fd, index);
      }
      if (!script.closeAfter)
        while (open && !stop_)
          if (Readable(fd, 20)) open = ReadSome(fd, index);
      ::close(fd);
      std::lock_guard<std::mutex> l(m_);
      ++closed_;
    }
  }

  std::vector<Script> scripts_;
  int listen_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex m_;
  std::vector<std::string> received_;
  int closed_ = 0;
};

// Runs the event loop until done() holds or ms milliseconds have passed.
template <class F>
bool PumpUntil(F done, int ms = 15000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    QCoreApplication::processEvents();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return done();
}
