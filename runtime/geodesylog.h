#pragma once
// The geodesy log: each survey start records the geodetic parameters in force,
// as last saved in the settings file, so every run's soundings can be tied to
// the datum and projection they were reduced with. One file per day in the
// start day's LOG folder: "<date> Geodesy.txt".
#include <string>
#include <vector>

class IniFile;

// The three header lines a new file begins with.
std::vector<std::string> GeodesyLogHeader(const std::string& date);

// The 26 lines of one start block; values are copied as stored in
// [GEODETIC_PARAMETERS], yes/no lines read the key as a boolean (absent = No).
std::vector<std::string> GeodesyLogBlock(const IniFile& ini, const std::string& time);

// DayLogFolder + today's date + " Geodesy.txt".
std::string GeodesyLogFileName();

// Appends a block to the file, starting it with the header when it is new,
// and writes the whole file back. Throws std::runtime_error when the file
// cannot be read or written.
void AppendGeodesyBlock(const std::string& fileName, const std::string& date,
                        const std::vector<std::string>& block);

// The start block of a survey run, from the program's own settings file.
void WriteGeodesyLog();
