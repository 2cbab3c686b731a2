#pragma once
// A temporary HOME and program folder for one test, with the wall clock fixed.
#include <QDateTime>
#include <QTemporaryDir>
#include <string>

class TempEnv {
 public:
  // now: the wall-clock moment the program sees (tick clock left real).
  explicit TempEnv(const QDateTime& now = QDateTime(QDate(2026, 1, 30), QTime(14, 35, 12, 345)));
  ~TempEnv();
  std::string Home() const;           // with trailing '/'
  std::string ProgramFolder() const;  // with trailing '/'
  std::string SettingsFile() const;
  void SetNow(const QDateTime& now);
  std::string ReadFile(const std::string& path) const;

 private:
  QTemporaryDir dir_;
  QByteArray oldHome_;
  QDateTime now_;
};

// Path of a file in tests/data or in the shared test data.
std::string TestData(const std::string& name);
std::string SharedTestData(const std::string& name);
