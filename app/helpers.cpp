#include "app/helpers.h"

#include <QtGlobal>
#include <functional>

#include "platform/failurerun.h"

#include <QString>

#include "app/formats.h"
#include "app/textfile.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/prompts.h"

std::string StartDate;
std::string DayFolder;
std::string DayLayoutFolder;
std::string DayLogFolder;
std::string DayXYZFolder;
std::string DaySVPFolder;
std::string CoordinatesFileName;

void InitDayFolderTexts() {
  StartDate = DateText();
  DayFolder = platform::DataRoot() + StartDate + "/";
  DayLayoutFolder = DayFolder + "QVT/";
  DayLogFolder = DayFolder + "LOG/";
  DayXYZFolder = DayFolder + "XYZ/";
  DaySVPFolder = DayFolder + "SVP/";
  CoordinatesFileName = DayLogFolder + StartDate + " Coordinates.csv";
}

std::string DateText() { return FormatDate(platform::Now()); }

std::string TimeText() { return FormatTime(platform::Now()).substr(0, 4); }

void MakeDayFolders() {
  try {
    std::string root = platform::DataRoot();
    root.pop_back();  // without the trailing '/'
    const std::string day = root + "/" + DateText();
    for (const std::string& f : {root, day, day + "/QVT", day + "/LOG", day + "/SVP"})
      platform::MakeFolder(f);
  } catch (...) {
    prompts::ShowMessage(QString::fromStdString(
        "Cannot create log folder " + platform::DataRoot() +
        "LOG/. Check if you are authorized create folder at this address."));
  }
}

namespace {
platform::FailureRun eventLogFailures;
std::function<void(const std::string&)> eventLogProblem;
}  // namespace

void SetEventLogProblemHandler(std::function<void(const std::string&)> handler) {
  eventLogProblem = std::move(handler);
}

// An entry that cannot be written is not taken as written: the first of a
// run is told, and so is the first that is written again.
void AppendEventLog(const std::string& text, const std::string& fileName) {
  NoteEventLogWrite(AppendTextFile(fileName, "\nAuto Event:\t" + FormatDateTime(platform::Now()) + "\t" + text),
                    fileName);
}

void NoteEventLogWrite(bool ok, const std::string& fileName) {
  std::string told;
  if (!ok && eventLogFailures.Failed())
    told = "The events log " + fileName + " cannot be written; events are not logged.";
  else if (ok && eventLogFailures.Succeeded())
    told = "The events log " + fileName + " is written again (" + std::to_string(eventLogFailures.Amount()) +
           " entries were not logged).";
  if (told.empty()) return;
  if (eventLogProblem) eventLogProblem(told);
  else qWarning("%s", told.c_str());
}

std::string EventsLogFileName() { return DayLogFolder + DateText() + " Events.log"; }

void LogEvent(const std::string& text) { AppendEventLog(text, EventsLogFileName()); }

std::unique_ptr<wchar_t[]> AnsiToWide(const std::string& text) {
  const std::wstring w = QString::fromStdString(text).toStdWString();
  auto buf = std::make_unique<wchar_t[]>(w.size() + 1);
  for (size_t i = 0; i < w.size(); ++i) buf[i] = w[i];
  buf[w.size()] = 0;
  return buf;
}
