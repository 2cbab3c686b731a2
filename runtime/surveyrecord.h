#pragma once
// The day's survey records: "<start date> Coordinates.csv" in the LOG folder
// (one line per sounding, eighteen columns) and "<start date> Simple XYZ.csv"
// in the XYZ folder (easting, northing, elevation). Both files are opened,
// appended and closed for every line; every line feed is stored as CR LF.
//
// Number forms: "general" is FloatToStr (up to 15 significant digits),
// "2 decimals" is FormatFixed(value, 2) (halves away from zero).
#include <string>
#include <vector>

namespace survey {

// One sounding with everything its record line shows. A sounding taken
// without a current position (hasPosition false) leaves Lat, Lon, Easting
// and Northing empty, carries fix quality 0 and has no simple XYZ line. A
// sounding of a sounder that gives only the low-frequency depth (highDepth
// false) leaves the three high-frequency columns empty; its simple XYZ line
// carries the low-frequency elevation.
struct SoundingRecord {
  std::string dateTime;         // "YYYY-MM-DD hhnnsszzz"
  bool hasPosition = true;      // latitude .. northing are the sounding's position
  bool highDepth = true;        // the sounder gave the high-frequency depth
  double latitude = 0;          // general
  double longitude = 0;         // general
  double easting = 0;           // 2 decimals
  double northing = 0;          // 2 decimals
  double trueDepthHi = 0;       // 2 decimals; elevation (Hi) = manualTide - trueDepthHi
  double trueDepthLo = 0;       // 2 decimals; elevation (Lo) = manualTide - trueDepthLo
  double rawDepthHi = 0;        // general
  double rawDepthLo = 0;        // general
  std::string messageType;      // the echo-sounder type text
  double soundVelocity = 0;     // 2 decimals: the sound velocity applied
  double draft = 0;             // 2 decimals: the draft applied
  int fixQuality = 0;           // integer
  double rtkAntennaHeight = 0;  // 2 decimals
  double manualTide = 0;        // 2 decimals
  double rtkTide = 0;           // 2 decimals
};

// Header of the coordinates file, without its line feed (the sixteenth name
// begins with a blank).
extern const char* const kCoordinatesHeader;
// The eighteen columns of one sounding, without the line feed.
std::string CoordinatesLine(const SoundingRecord& r);

extern const char* const kSimpleXYZHeader;  // "Easting,Northing,Elevation"
std::string SimpleXYZLine(double easting, double northing, double elevation);

// DayXYZFolder + StartDate + " Simple XYZ.csv".
std::string SimpleXYZFileName();

// The name with "_" and n inserted before the extension:
// ".../2026-01-30 Coordinates.csv", 3 -> ".../2026-01-30 Coordinates_3.csv".
std::string AlternativeFileName(const std::string& fileName, int n);

// Creates the data root, the start date's folder and its LOG and XYZ folders
// when they are missing.
void MakeStartDayRecordFolders();

// Writes the records of one echo-sounder line.
class SurveyRecordWriter {
 public:
  struct Outcome {
    bool recordOpened = false;     // the coordinates file (or an alternative) was opened
    std::string recordFile;        // the name that was used
    bool lineWritten = false;      // the sounding line reached the coordinates file
    bool xyzWritten = false;       // the sounding line reached the simple XYZ file
    std::vector<std::string> reports;  // messages for the message window and events log
  };

  // Opens coordinatesFile for appending, or when that fails the first of its
  // alternatives _1 .. _99 that opens; writes the header when the file is
  // empty; then, when sounding is given, its line, and when it has a
  // position the simple XYZ line into xyzFile (with its header when that
  // file is empty).
  // When no name opens, or the XYZ file does not open, the start day's record
  // folders are made again and the opening is tried once more; a failure
  // after that is reported once (until the file can be written again).
  Outcome Write(const SoundingRecord* sounding, const std::string& coordinatesFile,
                const std::string& xyzFile);

 private:
  bool recordFailureReported_ = false;
  bool xyzFailureReported_ = false;
};

}  // namespace survey
