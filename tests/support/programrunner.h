#pragma once
// Runs the real program from a temporary program folder with a temporary HOME,
// on Qt's offscreen platform, as a user who unpacked it would.
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <string>

class ProgramRunner {
 public:
  ProgramRunner();
  ~ProgramRunner();
  std::string Home() const;           // trailing '/'
  std::string ProgramFolder() const;  // trailing '/'
  std::string SettingsFile() const;   // next to the copied executable
  void WriteSettings(const std::string& text);
  // Starts the program on the offscreen platform; extra adds to (or
  // overrides) its environment, a display server for one.
  bool Start(const QProcessEnvironment& extra = {});
  // Waits (bounded) until cond() holds while the program runs.
  bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 15000);
  void Stop();  // terminate, then kill
  QString Output();  // everything the program printed so far
  QProcess& Process() { return process_; }

 private:
  QTemporaryDir dir_;
  QProcess process_;
  QString output_;
};
