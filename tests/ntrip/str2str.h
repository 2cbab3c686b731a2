#pragma once
// RTKLIB's str2str as an NTRIP caster for tests: the test feeds its input
// server, and -b 1 relays what a client sends to the caster back to that
// feeding connection. Mount point "MP", user "user", password "secret".
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/ntrip/fakecaster.h"

class Str2str {
 public:
  // With generate options (-msg, -sta, -p, -a, -i ...) str2str decodes the fed
  // RTCM 3 and sends the messages that -msg names, station messages made from
  // its own options; without them it relays the fed bytes unchanged.
  explicit Str2str(const QStringList& generate = {})
      : input_(FakeCaster::ClosedPort()), caster_(FakeCaster::ClosedPort()) {
    const QString format = generate.isEmpty() ? QString() : QString("#rtcm3");
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start("str2str", QStringList{"-in", QString("tcpsvr://:%1%2").arg(input_).arg(format), "-out",
                                          QString("ntripc://user:secret@:%1/MP%2").arg(caster_).arg(format), "-b",
                                          "1"} + generate);
    started_ = process_.waitForStarted(5000);
  }
  ~Str2str() {
    if (feeder_ >= 0) ::close(feeder_);
    process_.kill();
    process_.waitForFinished(5000);
  }
  static bool Installed() { return !QStandardPaths::findExecutable("str2str").isEmpty(); }
  int CasterPort() const { return caster_; }
  // Connects to the input server once str2str listens, and waits until its
  // caster listens too (a probe connection that sends nothing is dropped).
  bool Feed() {
    for (int i = 0; started_ && i < 250 && feeder_ < 0; ++i) {
      feeder_ = Connect(input_);
      if (feeder_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    bool casterListens = false;
    for (int i = 0; feeder_ >= 0 && i < 250 && !casterListens; ++i) {
      const int probe = Connect(caster_);
      casterListens = probe >= 0;
      if (casterListens) ::close(probe);
      else std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return casterListens;
  }
  void Send(const std::string& bytes) { ::send(feeder_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
  // What came back on the feeding connection so far.
  std::string Relayed() {
    char buf[4096];
    for (;;) {
      pollfd p{feeder_, POLLIN, 0};
      if (::poll(&p, 1, 0) <= 0) break;
      const ssize_t n = ::recv(feeder_, buf, sizeof buf, 0);
      if (n <= 0) break;
      relayed_.append(buf, std::size_t(n));
    }
    return relayed_;
  }

 private:
  static int Connect(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return s;
    ::close(s);
    return -1;
  }

  QProcess process_;
  int input_, caster_;
  int feeder_ = -1;
  bool started_ = false;
  std::string relayed_;
};
