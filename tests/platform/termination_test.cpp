// Termination requests by signal, in this test process: a signal that whoever
// started the program ignored (SIGHUP under nohup) stays ignored, also during
// the closing sequence that a SIGTERM starts.
#include "platform/termination.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <chrono>
#include <thread>

namespace {

void (*ActionOf(int sig))(int) {
  struct sigaction sa {};
  ::sigaction(sig, nullptr, &sa);
  return sa.sa_handler;
}

}  // namespace

TEST(Termination, ASignalIgnoredAtStartStaysIgnoredWhileClosing) {
  ::signal(SIGHUP, SIG_IGN);  // as nohup starts the program
  int requests = 0;
  platform::SetTerminationDeadline(0);  // the test process goes on after the request
  platform::OnTerminationRequest([&] { ++requests; });
  EXPECT_EQ(ActionOf(SIGHUP), SIG_IGN);
  EXPECT_NE(ActionOf(SIGTERM), SIG_DFL);

  ::raise(SIGTERM);  // the closing sequence starts on the event loop
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (requests == 0 && std::chrono::steady_clock::now() < end) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(requests, 1);
  // A second SIGTERM or SIGINT would end a closing that hangs; the ignored
  // SIGHUP still does nothing (were it back to its default, this process
  // would end here).
  EXPECT_EQ(ActionOf(SIGTERM), SIG_DFL);
  EXPECT_EQ(ActionOf(SIGINT), SIG_DFL);
  EXPECT_EQ(ActionOf(SIGHUP), SIG_IGN);
  ::raise(SIGHUP);
  QCoreApplication::processEvents();
  EXPECT_EQ(requests, 1);
  ::signal(SIGHUP, SIG_DFL);
}
