#pragma once
// Number and date texts as the whole program writes and reads them. Numbers
// always use the period; nothing here depends on the user's locale.
#include <QDateTime>
#include <cstdint>
#include <string>

// Shortest text of a value with at most 15 significant digits: fixed notation
// for values from 0.00001 up to 15 integer digits, otherwise "1.5E-6" / "1E20".
std::string FloatToStr(double value);

// Fixed notation with the given number of decimals, halves rounded away from
// zero (1500.125 -> "1500.13", 2.5 -> "3" at 0 decimals). The value is first
// taken to 15 significant digits, so 1.005 gives "1.01".
std::string FormatFixed(double value, int decimals);

// Strict conversions: the whole text (blanks around it allowed) must be a
// number with a period as decimal separator. They report failure, never throw.
bool TryStrToFloat(const std::string& text, double& value);
bool TryStrToInt(const std::string& text, int& value);
int StrToIntDef(const std::string& text, int def);
double StrToFloatDef(const std::string& text, double def);

// "YYYY-MM-DD", "hhnnsszzz" and "YYYY-MM-DD hhnnsszzz": the program-wide date
// and time formats (no ':' is ever written into a date or time text).
std::string FormatDate(const QDateTime& t);
std::string FormatTime(const QDateTime& t);
std::string FormatDateTime(const QDateTime& t);

// A byte count as reasons given to the user write it: "64 MB", "1.5 KB",
// "300 bytes".
std::string ByteCountText(uint64_t Bytes);
