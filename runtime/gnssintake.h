#pragma once
// What the main window takes from each GNSS receiver line besides what the
// serial device component decodes: the gyro heading (HDT), the speed in knots
// (RMC, VTG), the GGA time check and the RTK antenna height and tide; and its
// copies of the offsets dialog's values.
//
// A line is of a type when it is a sentence whose address ends in the type's
// three letters ($GPGGA, $GNGGA; see nmea::IsSentence): a line that mentions
// a type elsewhere ("$GNTXT,01,01,02,GGA output rate changed") is not of it.
// A GGA counts only when whole, as the serial component decodes it
// (nmea::IsWholeSentence): one the receiver cut short but ended normally
// ("$GPGGA,120000.20,5100.6") neither dates nor judges the position.
//
//   HDT  $HEHDT,274.07,T              "%*7s %lf": heading; an empty field keeps the last one
//   RMC  $GPRMC,hhmmss,A,llll.ll,a,yyyyy.yy,a,speed,course,...
//        "%*6s,%*lf,%*1s,%*lf,%*1s,%*lf,%*1s,%lf": knots; fields that do not scan give 0
//   VTG  $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K
//        field 5 (after the tag) by comma splitting, so an empty magnetic
//        track reads; a speed field that is not a number gives 0
//   GGA  $GPGGA,time,lat,N,lon,E,quality,sats,hdop,alt,M,geoid,M,...
//        "%*6s,%lf,%*lf,%*1s,%*lf,%*1s,%d,%*d,%*lf,%lf,%*1s,%lf": n values of
//        time, quality, altitude, geoid separation
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/color.h"
#include "runtime/editvalue.h"

namespace gnss {

// HDT: the heading when the line is an HDT sentence and its heading reads;
// heading is unchanged otherwise. True when the line is of type HDT.
bool TakeHDT(const std::string& line, double& gyroHeading);
// RMC and VTG: speed over ground in knots, 0 when it does not read.
bool TakeRMCSpeed(const std::string& line, double& speedKnots);
bool TakeVTGSpeed(const std::string& line, double& speedKnots);

// The GGA scan: count of values read, in the order time, quality, altitude,
// geoid separation (later values are 0 when not read).
struct GGAScan {
  int count = 0;
  double time = 0;
  int quality = 0;
  double altitude = 0;
  double geoidSeparation = 0;
};
GGAScan ScanGGA(const std::string& line);

// GGA: noValidPosition = fewer than two values read (no time or no fix
// quality; a time of 000000.00 is midnight, not a missing time). With quality 4
// (RTK fixed) and the altitude read: rtkAntennaHeight = altitude + geoid
// separation (altitude alone when the separation is missing), rtkTide =
// rtkAntennaHeight - offsetC; otherwise both keep their values.
// True when the line is a whole GGA; any other line changes nothing.
bool TakeGGA(const std::string& line, double offsetC, bool& noValidPosition, double& rtkAntennaHeight,
             double& rtkTide);

// The offsets dialog's edits as the receiver line handler copies them while
// the dialog is hidden. A text that is not a number keeps the last valid
// value (0 before any) and is reported once.
class OffsetsCopy {
 public:
  struct Texts {
    std::string offsetA, sv, offsetC, tideHt;
  };
  // Writes the four values in effect; returns the messages to report.
  std::vector<std::string> Take(const Texts& t, double& offsetAValue, double& svValue, double& offsetCValue,
                                double& tideHtValue);
  // The reading of OffsetA, which the depth intake shares (DepthIntake::ShareDraft)
  // so that a bad draft is told once, not once by each reader.
  EditValue& OffsetA() { return a_; }

 private:
  EditValue a_{"Offset A (transducer draft)"};
  EditValue sv_{"SV (sound velocity)"};
  EditValue c_{"Offset C (antenna height above water)"};
  EditValue tide_{"Tide Ht (tide height)"};
};

// How old the receiver's position is. The receiver stamps every GGA that
// carries a time and a fix quality; a position older than three of the
// receiver's own intervals, and 2 s old at least, is no longer current (a
// 10 Hz receiver's position stays current for 2 s, a 1 Hz one's for 3 s). The interval is the median of the last few between
// stamps, so one lost sentence or an outage does not stretch it; before two
// stamps it counts as 1 s.
class PositionAge {
 public:
  static constexpr uint32_t kMinimumMs = 2000;
  static constexpr uint32_t kUnknownIntervalMs = 1000;
  // A GGA with a position at tick now (ms).
  void Stamp(uint32_t now);
  // No position from now on until the next stamp (start, stop, idle, disconnect).
  void Forget() { stamped_ = false; }
  bool Current(uint32_t now) const;
  uint32_t IntervalMs() const;

 private:
  bool stamped_ = false;
  uint32_t last_ = 0;
  std::array<uint32_t, 5> intervals_{};
  size_t count_ = 0;  // intervals held (up to 5)
  size_t next_ = 0;   // where the next interval goes
};

// Colour of the realtime window's GNSS box for a fix quality: 0 and 1 red,
// 2 aqua, 4 lime, any other yellow.
TColor FixQualityColor(int quality);

// The speed label of the realtime window: km/h as knots with 1 decimal.
std::string KnotsText(double speedKmh);

}  // namespace gnss
