#include "runtime/geodesylog.h"

#include <filesystem>

#include <stdexcept>

#include "app/formats.h"
#include "app/helpers.h"
#include "app/settingsfile.h"
#include "app/textfile.h"
#include "platform/clock.h"
#include "platform/paths.h"

std::vector<std::string> GeodesyLogHeader(const std::string& date) {
  return {"GEODETIC PARAMETERS LOG - " + date, std::string(40, '='), ""};
}

std::vector<std::string> GeodesyLogBlock(const devicesettings::GeodeticTexts& g, const std::string& time) {
  auto yn = [](bool b) { return std::string(b ? "Yes" : "No"); };
  return {
      "=== SESSION START: " + time + " ===",
      "",
      "--- ELLIPSOID ---",
      "Semi-Major Axis: " + g.semiMajorAxis,
      "Inverse Flattening: " + g.flattening,
      "",
      "--- DATUM TRANSFORMATION ---",
      "Name of Datum: " + g.datumName,
      "Use DTP: " + yn(g.useDTP),
      "X/Y/Z Rotation: " + g.rotX + ", " + g.rotY + ", " + g.rotZ,
      "X/Y/Z Shift: " + g.shiftX + ", " + g.shiftY + ", " + g.shiftZ,
      "Scale PPM: " + g.scalePpm,
      "",
      "--- TRANSVERSE MERCATOR ---",
      "Use TM: " + yn(g.useTM),
      "CM: " + g.centralMeridian + ", Ref Lat: " + g.referenceLatitude + ", SF: " + g.scaleFactor,
      "FE: " + g.falseEasting + ", FN: " + g.falseNorthing,
      "",
      "--- LAMBERT CONFORMAL CONIC ---",
      "Use LCC: " + yn(g.useLCC),
      "SP1: " + g.lccSP1 + ", SP2: " + g.lccSP2,
      "CP: " + g.lccCP + ", CM: " + g.lccM,
      "FE: " + g.lccFE + ", FN: " + g.lccFN,
      "",
      std::string(40, '-'),
      "",
  };
}

devicesettings::GeodeticTexts StoredGeodesy(const IniFile& ini) {
  devicesettings::GeodeticTexts g;
  g.useTM = g.useDTP = g.useLCC = g.lambert1 = false;
  devicesettings::ReadGeodeticSection(ini, g);
  return g;
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

void WriteGeodesyLog(const devicesettings::GeodeticTexts& g) {
  AppendGeodesyBlock(GeodesyLogFileName(), DateText(), GeodesyLogBlock(g, FormatTime(platform::Now())));
}

void WriteGeodesyLog() { WriteGeodesyLog(StoredGeodesy(IniFile())); }
