#pragma once
// The geodesy log: each survey start records the geodetic parameters in force,
// the ones the run's positions and soundings are converted with (taken from
// the device settings at that start), so every run's soundings can be tied to
// the datum and projection they were reduced with. One file per day in the
// start day's LOG folder: "<date> Geodesy.txt".
#include <string>
#include <vector>

#include "settings/devicesettings.h"

class IniFile;

// The three header lines a new file begins with.
std::vector<std::string> GeodesyLogHeader(const std::string& date);

// The geodetic parameters as stored in [GEODETIC_PARAMETERS]: absent keys
// give empty texts, and the yes/no keys read as booleans (absent = No).
devicesettings::GeodeticTexts StoredGeodesy(const IniFile& ini);

// The 26 lines of one start block; values are copied as the texts hold them.
std::vector<std::string> GeodesyLogBlock(const devicesettings::GeodeticTexts& g, const std::string& time);

// DayLogFolder + today's date + " Geodesy.txt".
std::string GeodesyLogFileName();

// Appends a block to the file, starting it with the header when it is new,
// and writes the whole file back. Throws std::runtime_error when the file
// cannot be read or written.
void AppendGeodesyBlock(const std::string& fileName, const std::string& date,
                        const std::vector<std::string>& block);

// The start block of a survey run with the parameters it converts with.
void WriteGeodesyLog(const devicesettings::GeodeticTexts& g);
// The same with the parameters of the program's own settings file.
void WriteGeodesyLog();
