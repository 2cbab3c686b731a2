#pragma once
// Depth intake of the echo sounder: recognises a line by the chosen message
// type, scans the raw depth(s) with the user's scan format, corrects them for
// sound velocity and draft and writes the survey records.
//
// Message types (exact names), the sentence a line must be (its address ends
// in the type's letters, see nmea::IsSentence) and what else it must contain
// (case-sensitive, anywhere in the line):
//   "Quarix SMT"      any line   "SMT"            high depth, battery   2 values
//   "NMEA DPT"        DPT                         high depth            1
//   "NMEA DBT"        DBT                         high depth            1
//   "Quarix XDR HI"   XDR        "XDHI"           high depth            1
//   "Quarix XDR LO"   XDR        "XDHI", "XDLO"   low depth             1
//   "Quarix XDR H/L"  XDR        "XDHI", "XDLO"   high, low depth       2
//   "ODC HI"          any line   ",B,"            high depth            1
//   "OTHER"           any line   nothing          high depth            1
// A depth is taken only when the scan stores exactly the required values; a
// partial scan takes nothing (the raw depths stay 0).
//
// Correction: true depth = raw x sound velocity / 1500 + draft, the sound
// velocity being the single value, or with the profile in use the line
// trunc(raw + 0.5) of the per-metre column.
//
// A sounding's depth is the one its type gives: the low one for "Quarix XDR
// LO", else the high one. It is recorded when that raw depth is not 0, the
// depth alarm compares it, and it is the depth the map and the echogram show.
// A type without the high depth gives no high depth (0, label "--.-", not the
// draft alone), leaves the record's high-frequency columns empty, and its
// simple XYZ line carries the low-frequency elevation.
#include <memory>
#include <string>
#include <vector>

#include "runtime/editvalue.h"
#include "app/scanformat.h"
#include "runtime/surveyrecord.h"

namespace survey {

enum class DepthValues { High, HighBattery, Low, HighLow };

struct SounderRule {
  const char* type;
  const char* sentence;  // the NMEA sentence type the line must be; nullptr: any line
  const char* tag1;  // nullptr: no tag
  const char* tag2;  // nullptr: no second tag
  int required;      // values the scan must store
  DepthValues values;
};

// The eight types, in the order above.
const std::vector<SounderRule>& SounderRules();
// The rule of exactly this type text, nullptr for any other text.
const SounderRule* FindSounderRule(const std::string& messageType);

struct DepthScan {
  bool tagsFound = false;
  bool taken = false;
  double rawHi = 0, rawLo = 0, battery = 0;
};
// Tags and scan of one line. The format must have passed CheckUserFormat for
// the rule's required count; otherwise nothing is taken.
DepthScan ScanDepthLine(const SounderRule& rule, const scanformat::Format& format,
                        const std::string& line);

inline double CorrectedDepth(double raw, double soundVelocity, double draft) {
  return raw * soundVelocity / 1500 + draft;
}

// Sound velocity for a raw depth from the per-metre column (line i holds the
// sound velocity of i metres). Beyond the column's end its last line is used;
// an empty column or a line that is not a number gives the single sound
// velocity; a negative raw depth takes no depth. problem names what happened
// (empty when the column served as it is).
struct ColumnSV {
  bool depthOk = true;
  double soundVelocity = 0;
  std::string problem;
};
ColumnSV SoundVelocityFromColumn(const std::vector<std::string>& column, double raw, double singleSV);

// What the depth handler reads for one line.
struct DepthLineInput {
  std::string line;
  std::string messageType;     // FGPS cSBESMessage text
  std::string scanFormat;      // FGPS eSBESFormat text
  std::string draftText;       // Offsets OffsetA text
  std::string depthAlarmText;  // Navset edDepthAlert1 text
  bool useSVP = false;         // fSVP cUseSVP checked
  std::vector<std::string> svColumn;  // fSVP mSVPColumn lines (read only with useSVP)
  double svValue = 0;          // SVValue
  double tideHt = 0;           // TideHtValue
  double rtkAntennaHeight = 0;
  double rtkTide = 0;
  // The sounding's position: the receiver's current position and its own
  // conversion to the grid. Without one (no position the receiver gave, a
  // stale one, or one that does not convert) the record has no position.
  bool hasPosition = false;
  double latitude = 0, longitude = 0;        // GNSSLatitude, GNSSLongitude
  double gridEasting = 0, gridNorthing = 0;  // their grid position
  int fixQuality = 0;                        // ZGPS1 fix quality
};

struct DepthLineResult {
  bool knownType = false;  // false: none of the eight types; nothing below applies
  bool taken = false;      // a depth was taken (TrueDepthHi/Lo, NewDepthAvailable, labels)
  double rawHi = 0, rawLo = 0;
  double trueHi = 0, trueLo = 0;  // 0 when no depth was taken; trueHi 0 for a type without the high depth
  double depth = 0;               // the sounding's depth: trueLo for a low-frequency type, else trueHi
  double svUsed = 0;
  double draft = 0;            // the draft applied
  double depthAlarmValue = 0;  // DepthAlarmValue
  bool alarm = false;          // taken and the sounding's depth at or below the alarm depth
  std::string labelHi = "--.-", labelLo = "--.-";
  bool battery = false;        // a "Quarix SMT" depth was taken: show batteryText
  std::string batteryText;
  bool recorded = false;       // the sounding line reached the coordinates file
  std::vector<std::string> reports;  // for the message window and events log, each given once
};

class DepthIntake {
 public:
  // Handles one echo-sounder line. The record files are CoordinatesFileName
  // and SimpleXYZFileName() unless set below.
  DepthLineResult TakeLine(const DepthLineInput& in);

  // Reads the draft through another reader of the same edit (the GNSS
  // intake's offsets copy), which must outlive this intake: both then keep
  // one last valid value and tell a bad text once.
  void ShareDraft(EditValue& draft) { sharedDraft_ = &draft; }

  // Record files (tests; empty means the day's names).
  std::string coordinatesFile;
  std::string xyzFile;

 private:
  const scanformat::Format& FormatFor(const std::string& text);
  EditValue alarm_{"Depth alarm (Shallow Water)"};
  EditValue draft_{"Offset A (transducer draft)"};
  EditValue* sharedDraft_ = nullptr;
  std::string formatText_;
  std::unique_ptr<scanformat::Format> format_;
  OnceReporter reporter_;
  SurveyRecordWriter writer_;
};

}  // namespace survey
