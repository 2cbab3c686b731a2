#pragma once
// The offsets dialog without its widgets: the checks of the Realtime press in
// their order, the messages in English and Turkish, the offsets report that is
// appended to the day's " Offsets.log", and the settings section
// ECHOSOUNDER_OFFSETS with its padded key names.
#include <string>

class IniFile;

namespace offsets {

// The dialog's texts as typed.
struct Entries {
  std::string offsetA, offsetB, offsetC, sv, tideHt;
  std::string location, surveyBoat, surveyor;
  std::string time;  // the clock label
};

enum class Field { None, OffsetA, OffsetB, OffsetC, SV, TideHt, Location, SurveyBoat, Surveyor };

// The clock text holds a ':' (the press shows TimeFormatMessage and goes on).
bool ClockTextBad(const std::string& time);
std::string TimeFormatMessage(bool english);

// Result of the checks: ok, or the message to show and the edit to focus.
// conversionError: a number check passed on a leading number but the strict
// conversion failed; the message is the conversion error's text and no edit
// is focused.
struct CheckResult {
  bool ok = true;
  Field focus = Field::None;
  std::string message;
  bool conversionError = false;
};

// The checks of the Realtime press, in order: the five numbers must scan with
// "%lf"; location, vessel and surveyor must not be empty; |A + C - B| must be
// at most 0.025 m; SV must lie in 1300 .. 1700 m/s.
CheckResult CheckEntries(const Entries& e, bool english);

// The class library's message for a text that is not a floating-point value.
std::string ConversionErrorText(const std::string& text);

// The report (no trailing line feed; "\n" becomes CR LF in the file).
std::string ReportText(const Entries& e, bool profileInUse, bool english);
// DayLogFolder + DateText() + " Offsets.log".
std::string ReportFileName();

extern const char* const kSection;  // "ECHOSOUNDER_OFFSETS"
// Writes the nine keys (names padded with blanks to 13 characters, but
// "SurveyLocation") in their order.
void WriteSection(IniFile& ini, const Entries& e);
// Reads the eight edit texts (the clock is not read); missing keys give "".
Entries ReadSection(const IniFile& ini);

}  // namespace offsets
