#pragma once
// Termination requests from outside (a logout, a shutdown, a service stop,
// Ctrl+C in a terminal, a closed terminal) turned into a call on the event
// loop, so the program can close as if the user had chosen File > Exit.
#include <functional>

namespace platform {

// SIGTERM, SIGINT and SIGHUP, and the desktop session's end, call onRequest
// once on the GUI thread. A second signal after that ends the program at once
// (the default action), for a closing that hangs. Needs the application object.
// The end is unconditional: once a request has come, message boxes and
// questions no longer wait for an answer (TerminationRequested), and a
// closing that has not ended the program within kTerminationDeadlineMs (a
// hung device, a caster that does not answer) is cut short.
void OnTerminationRequest(std::function<void()> onRequest);
inline constexpr int kTerminationDeadlineMs = 10000;
// Tests that send themselves signals turn the deadline off (ms <= 0).
void SetTerminationDeadline(int ms);
// True from the moment a termination request has come (also while it waits
// for a hold to end).
bool TerminationRequested();

// Held while work that must not be saved half-done (an import drawn onto its
// work layer, a drawing being read) lets the event loop run: a termination
// request that comes meanwhile waits, TerminationPending() says so, and the
// request is carried out from the event loop once the last hold has ended,
// when the work has stopped and left the map as it was.
class TerminationHold {
 public:
  TerminationHold();
  ~TerminationHold();
  TerminationHold(const TerminationHold&) = delete;
  TerminationHold& operator=(const TerminationHold&) = delete;
};
bool TerminationPending();

}  // namespace platform
