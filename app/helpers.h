#pragma once
#include <functional>
// Helpers shared by every window: the day folders, the date and time texts of
// folder and file names, and the day's events log.
#include <memory>
#include <string>

// Day-folder texts, computed once at start from the local date of that moment
// and never changed while the program runs (not even past midnight).
extern std::string StartDate;            // e.g. 2026-01-30
extern std::string DayFolder;            // <data root>/<StartDate>/
extern std::string DayLayoutFolder;      // DayFolder + "QVT/"
extern std::string DayLogFolder;         // DayFolder + "LOG/"
extern std::string DayXYZFolder;         // DayFolder + "XYZ/"
extern std::string DaySVPFolder;         // DayFolder + "SVP/"
extern std::string CoordinatesFileName;  // DayLogFolder + StartDate + " Coordinates.csv"

// Computes the texts above from the clock and the data root. The program calls
// it once before anything else; tests call it after setting HOME and the clock.
void InitDayFolderTexts();

// The local date of this moment as YYYY-MM-DD.
std::string DateText();
// The local time of this moment as four digits, hours and minutes.
std::string TimeText();

// Creates the data root, the folder of the current date and its QVT, LOG and
// SVP sub-folders when they are missing.
void MakeDayFolders();

// Appends one events-log entry: CR LF, "Auto Event:", tab, date and time, tab, text.
void AppendEventLog(const std::string& text, const std::string& fileName);
// Where a run of events-log entries that cannot be written is told (and its
// end); without a handler, on the standard error output.
// Counts an entry written into an events log by other means (true when it
// was written), for the same telling.
void NoteEventLogWrite(bool ok, const std::string& fileName);
void SetEventLogProblemHandler(std::function<void(const std::string&)> handler);
// The events log every caller names: DayLogFolder + DateText + " Events.log".
std::string EventsLogFileName();
// AppendEventLog into that file.
void LogEvent(const std::string& text);

// A newly allocated, zero-terminated wide-character copy of an 8-bit (UTF-8) text.
std::unique_ptr<wchar_t[]> AnsiToWide(const std::string& text);
