#include "platform/termination.h"

#include "platform/interrupted.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <memory>
#include <thread>

#include <QGuiApplication>
#include <QMetaObject>
#include <QSessionManager>
#include <QSocketNotifier>

namespace platform {
namespace {

int wakePipe[2] = {-1, -1};
std::atomic<bool> requested{false};
std::atomic<int> deadlineMs{kTerminationDeadlineMs};

// From the first request on, the program ends within the deadline whatever
// its closing meets.
void StartDeadline() {
  if (requested.exchange(true)) return;
  const int ms = deadlineMs;
  if (ms <= 0) return;
  std::thread([ms] {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    static const char text[] = "Quarix DM: the closing did not end within the time allowed; the program ends now.\n";
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, text, sizeof text - 1);
    ::_exit(1);
  }).detach();
}
// Termination holds alive, and the request that waits for them to end (GUI
// thread only).
int holds = 0;
std::function<void()> waiting;

// Carries out the request now, or once the last hold has ended.
void Deliver(const std::function<void()>& request) {
  if (holds > 0) {
    waiting = request;
    return;
  }
  request();
}
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// The signals whose handler is ours; the others were ignored by whoever
// started us and stay ignored to the end. Written before any handler is set.
volatile sig_atomic_t handled[std::size(kSignals)] = {};

// Only the signals we handle go back to their default action: a signal
// ignored at start (SIGHUP under nohup) never ends the program.
void RestoreDefaultActions() {
  for (size_t i = 0; i < std::size(kSignals); ++i)
    if (handled[i]) ::signal(kSignals[i], SIG_DFL);
}

// Only async-signal-safe calls here: the rest runs on the event loop.
extern "C" void OnSignal(int sig) {
  const int saved = errno;
  RestoreDefaultActions();
  const unsigned char byte = static_cast<unsigned char>(sig);
  [[maybe_unused]] const ssize_t n = RetryInterrupted([&] { return ::write(wakePipe[1], &byte, 1); });
  errno = saved;
}

}  // namespace

void OnTerminationRequest(std::function<void()> onRequest) {
  auto request = std::make_shared<std::function<void()>>(std::move(onRequest));
  auto once = [request] {
    if (!*request) return;
    auto f = std::move(*request);
    *request = nullptr;
    RestoreDefaultActions();
    f();
  };

  if (wakePipe[0] < 0 && ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [once] {
    unsigned char buf[16];
    while (RetryInterrupted([&] { return ::read(wakePipe[0], buf, sizeof buf); }) > 0) {
    }
    StartDeadline();
    Deliver(once);
  });

  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kSignals); ++i) {
    // A signal ignored by whoever started us (nohup, a background job) stays ignored.
    struct sigaction old {};
    if (::sigaction(kSignals[i], nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    handled[i] = 1;
    ::sigaction(kSignals[i], &sa, nullptr);
  }

  // The desktop session ends: save now, as the session manager expects the
  // application's data to be safe once this returns.
  if (auto* gui = qobject_cast<QGuiApplication*>(qApp))
    QObject::connect(gui, &QGuiApplication::commitDataRequest, gui, [once](QSessionManager&) {
                       StartDeadline();
                       Deliver(once);
                     },
                     Qt::DirectConnection);
}

TerminationHold::TerminationHold() { ++holds; }

TerminationHold::~TerminationHold() {
  if (--holds > 0 || !waiting) return;
  // From the event loop, after the held work has unwound.
  std::function<void()> request = std::move(waiting);
  waiting = nullptr;
  QMetaObject::invokeMethod(qApp, [request] { Deliver(request); }, Qt::QueuedConnection);
}

bool TerminationPending() { return static_cast<bool>(waiting); }

bool TerminationRequested() { return requested; }

void SetTerminationDeadline(int ms) { deadlineMs = ms; }

}  // namespace platform
