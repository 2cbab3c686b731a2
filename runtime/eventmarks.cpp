#include "runtime/eventmarks.h"

#include <QString>
#include <climits>

#include "app/formats.h"
#include "app/helpers.h"
#include "app/settingsfile.h"
#include "app/textfile.h"
#include "platform/clock.h"
#include "platform/prompts.h"

namespace {
const char* const kSection = "EVENTS";
const char* const kKey = "Event Number";
// The last number given while the settings file could not be written (and
// that file): a number that could not be stored is still never given again.
int unstored = 0;
std::string unstoredIn;
}  // namespace

std::string EventLine(int number, const QDateTime& when, const EventMarkValues& v) {
  return "\nEvent No:" + std::to_string(number) + ",Date & Time:" + FormatDateTime(when) +
         ",Easting:" + FormatFixed(v.gridEasting, 2) + ",Northing:" + FormatFixed(v.gridNorthing, 2) +
         ",True Depth:" + v.depthHiText + ",True Depth:" + v.depthLoText +
         ",Heading:" + FormatFixed(v.gridHeading, 2);
}

int LastEventNumber() {
  const int n = IniFile().ReadInteger(kSection, kKey, 0);
  // The largest number cannot be followed; the numbering starts again.
  return (n < 0 || n == INT_MAX) ? 0 : n;
}

int AddEventMark(const EventMarkValues& values,
                 const std::function<void(const EventLabelPlacement&)>& addLabel) {
  IniFile ini;
  const int stored = LastEventNumber();
  const bool behind = unstoredIn == ini.FileName() && unstored > stored && unstored < INT_MAX;
  const int number = (behind ? unstored : stored) + 1;
  if (addLabel) addLabel({values.gridEasting, values.gridNorthing, number});
  ini.WriteInteger(kSection, kKey, number);
  unstored = 0;
  if (!ini.UpdateFile()) {
    unstored = number;
    unstoredIn = ini.FileName();
    prompts::ShowMessage(QString::fromStdString("Event No:" + std::to_string(number) +
                                                " could not be stored in the settings file " + ini.FileName() +
                                                "; the numbering goes on from it while the program runs."));
  }
  const std::string log = EventsLogFileName();
  if (!AppendTextFile(log, EventLine(number, platform::Now(), values)))
    prompts::ShowMessage(QString::fromStdString("Event No:" + std::to_string(number) +
                                                " could not be written to " + log + "."));
  return number;
}

bool ResetEventNumbers() {
  if (prompts::AskYesNo("Event ID will restart from 1 again. Continue?", prompts::Kind::Warning) !=
      prompts::Answer::Yes)
    return false;
  IniFile ini;
  ini.WriteInteger(kSection, kKey, 0);
  if (!ini.UpdateFile()) {
    prompts::ShowMessage(QString::fromStdString("The event number could not be reset: the settings file " +
                                                ini.FileName() + " could not be written."));
    return false;
  }
  unstored = 0;
  LogEvent("Event number was reset.");
  return true;
}
