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
  const int number = LastEventNumber() + 1;
  if (addLabel) addLabel({values.gridEasting, values.gridNorthing, number});
  IniFile().WriteInteger(kSection, kKey, number);
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
  IniFile().WriteInteger(kSection, kKey, 0);
  LogEvent("Event number was reset.");
  return true;
}
