#include "runtime/geodesylog.h"

#include <filesystem>

#include <stdexcept>

#include "app/formats.h"
#include "app/helpers.h"
#include "app/settingsfile.h"
#include "app/textfile.h"
#include "platform/clock.h"
#include "platform/paths.h"

namespace {

const char* const kSection = "GEODETIC_PARAMETERS";

}  // namespace

std::vector<std::string> GeodesyLogHeader(const std::string& date) {
  return {"GEODETIC PARAMETERS LOG - " + date, std::string(40, '='), ""};
}

std::vector<std::string> GeodesyLogBlock(const IniFile& ini, const std::string& time) {
  auto v = [&](const char* key) { return ini.ReadString(kSection, key, ""); };
  auto yn = [&](const char* key) { return std::string(ini.ReadBool(kSection, key, false) ? "Yes" : "No"); };
  return {
      "=== SESSION START: " + time + " ===",
      "",
      "--- ELLIPSOID ---",
      "Semi-Major Axis: " + v("SemiMajorAxis"),
      "Inverse Flattening: " + v("InverseFlattening"),
      "",
      "--- DATUM TRANSFORMATION ---",
      "Name of Datum: " + v("Name of Datum"),
      "Use DTP: " + yn("Use DTP"),
      "X/Y/Z Rotation: " + v("X_Rotation") + ", " + v("Y_Rotation") + ", " + v("Z_Rotation"),
      "X/Y/Z Shift: " + v("X_Shift") + ", " + v("Y_Shift") + ", " + v("Z_Shift"),
      "Scale PPM: " + v("Scale_PPM"),
      "",
      "--- TRANSVERSE MERCATOR ---",
      "Use TM: " + yn("Use Projection"),
      "CM: " + v("Central_Meridian") + ", Ref Lat: " + v("Reference_Latitude") + ", SF: " + v("Scale_Factor"),
      "FE: " + v("False_Easting") + ", FN: " + v("False_Northing"),
      "",
      "--- LAMBERT CONFORMAL CONIC ---",
      "Use LCC: " + yn("cbUseLCCProjection"),
      "SP1: " + v("eLCCSP1") + ", SP2: " + v("eLCCSP2"),
      "CP: " + v("eLCCCP") + ", CM: " + v("eLCCM"),
      "FE: " + v("eLCCFE") + ", FN: " + v("eLCCFN"),
      "",
      std::string(40, '-'),
      "",
  };
}

std::string GeodesyLogFileName() { return DayLogFolder + DateText() + " Geodesy.txt"; }

void AppendGeodesyBlock(const std::string& fileName, const std::string& date,
                        const std::vector<std::string>& block) {
  std::vector<std::string> lines;
  if (platform::FileExists(fileName)) {
    std::string old;
    if (!ReadWholeFile(fileName, old))
      throw std::runtime_error("Cannot open file \"" + fileName + "\".");
    lines = SplitTextLines(old);
  } else {
    lines = GeodesyLogHeader(date);
  }
  lines.insert(lines.end(), block.begin(), block.end());
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  // The day folder may have been deleted during the survey: make it again.
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(fileName).parent_path(), ec);
  if (!WriteFileAtomically(fileName, text))
    throw std::runtime_error("Cannot create file \"" + fileName + "\".");
}

void WriteGeodesyLog() {
  const std::string fileName = GeodesyLogFileName();
  const std::string date = DateText();
  IniFile ini;
  const auto block = GeodesyLogBlock(ini, FormatTime(platform::Now()));
  AppendGeodesyBlock(fileName, date, block);
}
