#pragma once
// Pieces of the navigation loop (the map timer's tick) that need no window:
// the realtime labels and the status texts, the first-tick geodetic texts,
// the Lambert grid convergence, the vessel symbol, the track gate, the track
// style of a fix quality and the latency statistics (the latency window
// colours itself: windowlogic.h).
#include <string>
#include <vector>

#include "app/color.h"
#include "runtime/editvalue.h"

namespace navloop {

// ---------------------------------------------------------------------------
// Texts
// ---------------------------------------------------------------------------

// "No Fix", "GPS", "DGPS", "RTK Fix", "RTK Float" for 0, 1, 2, 4, 5; "Fix:" and
// the number for any other quality.
std::string FixName(int quality);

// The realtime window's GNSS labels.
struct RealtimeLabels {
  std::string fixed;          // Fixed: the fix quality
  std::string antennaHeight;  // LAntennaH: RTK antenna height, 2 decimals
  std::string tide;           // LTideHt: "-" while the offsets dialog is shown, else RTK tide
  std::string satellites;     // SatelliteLabel
};
RealtimeLabels RealtimeLabelTexts(int quality, double rtkAntennaHeight, bool offsetsVisible, double rtkTide,
                                  int satellites);

// "<fix name> | Spd: <speed> kn | SV: <satellites> | Ant: <antenna> m | Tide: <tide> m";
// speedLabel is the realtime window's speed caption (0 when not a number),
// tideText the LTideHt caption.
std::string StatusText(int quality, const std::string& speedLabel, int satellites, double rtkAntennaHeight,
                       const std::string& tideText);

// GGAOverlayText: the status, with " | Depth: <d> m" while the echo sounder
// is enabled and the depth is above 0; "*** EMPTY GGA - NO POSITION ***" when
// the last GGA gave no usable position.
std::string OverlayText(const std::string& status, bool sensorEnabled, double depth, bool noValidPosition);

// "lat lon" in the general float format (the transverse Mercator input).
std::string PositionText(double latitude, double longitude);
// "lat lon alt" in the general float format (the Lambert datum-shift input).
std::string PositionText(double latitude, double longitude, double altitude);

// Status bar: panel 0 in degrees, minutes and seconds (41°0'32.400"N, 29°...E),
// panel 1 "E<easting>, N<northing>".
std::string DmsPanelText(double latitude, double longitude);
std::string GridPanelText(double easting, double northing);

// ---------------------------------------------------------------------------
// First-tick geodetic texts (built from the device settings' edit texts)
// ---------------------------------------------------------------------------

struct DatumEditTexts {
  std::string sma, flattening, ppm, rx, ry, rz, sx, sy, sz;
};
// WGS-84 and seven zero parameters, then the local ellipsoid and its
// parameters: "6378137.0  0.0033528106647474  0.0 ... 0.0 <sma> <f> <ppm> ...".
std::string DatumParamsText(const DatumEditTexts& t);
// "6378137.0 0.0033528106647474 <sma> <f>".
std::string TMEllipsoidText(const std::string& sma, const std::string& flattening);
// "<cm> <rl> <sf> <fe> <fn>".
std::string TMParameterText(const std::string& cm, const std::string& rl, const std::string& sf,
                            const std::string& fe, const std::string& fn);

// Lambert grid convergence in degrees: -n x (longitude - central meridian),
// the difference wrapped into -180 .. 180 (the transverse Mercator sign:
// grid heading = heading + convergence).
double LambertConvergence(double coneConstant, double longitudeDeg, double centralMeridianDeg);

// ---------------------------------------------------------------------------
// Vessel symbol
// ---------------------------------------------------------------------------

struct VesselGeometry {
  int circles = 0;           // edAmount
  double interval = 0;       // edInterval: radius step
  double firstRadius = 0;    // edRadious
  double bowLength = 0;      // edBArrow
  double halfWidth = 0;      // edLArrow
};

// The five vessel geometry edits: an empty edit keeps its value silently, a
// text that is not a number keeps the last valid value and is reported once.
class VesselGeometryEdits {
 public:
  struct Texts {
    std::string amount, interval, radius, lArrow, bArrow;
  };
  VesselGeometry Read(const Texts& t, std::vector<std::string>& reports);

 private:
  EditValue amount_{"Range circles (Amount)", EditValue::Kind::Integer, EditValue::Empty::KeepsValue};
  EditValue interval_{"Range circle interval", EditValue::Kind::Real, EditValue::Empty::KeepsValue};
  EditValue radius_{"First range circle radius", EditValue::Kind::Real, EditValue::Empty::KeepsValue};
  EditValue lArrow_{"Arrow half width", EditValue::Kind::Real, EditValue::Empty::KeepsValue};
  EditValue bArrow_{"Arrow bow length", EditValue::Kind::Real, EditValue::Empty::KeepsValue};
};

struct Point {
  double x = 0, y = 0;
};
struct Segment {
  Point from, to;
};
struct Circle {
  Point centre;
  double radius = 0;
};
struct VesselSymbol {
  std::vector<Segment> lines;   // P-B, P-R, P-L, B-R, B-L
  std::vector<Circle> circles;  // first radius + i x interval
};

// At most this many range circles are drawn, whatever the edit says.
constexpr int kMaxRangeCircles = 100;

// The symbol at grid position (e, n) pointing along headingDeg (clockwise from
// grid north). Empty when e and n are both exactly 0.
VesselSymbol VesselSymbolAt(double easting, double northing, double headingDeg, const VesselGeometry& g);

// ---------------------------------------------------------------------------
// Track
// ---------------------------------------------------------------------------

// The navigation settings' pen widths and track distance as the tick reads
// them: a text that is not a number keeps the last valid value (0 before any)
// and is reported once.
struct TrackSettings {
  int vesselWidth = 0;       // VesselWidth
  int trackWidth = 0;        // TrackWidth
  double trackDistance = 0;  // TrackDistance, metres
};
class TrackSettingEdits {
 public:
  struct Texts {
    std::string vesselWidth, trackWidth, trackDistance;
  };
  TrackSettings Read(const Texts& t, std::vector<std::string>& reports);

 private:
  EditValue vesselWidth_{"Vessel width", EditValue::Kind::Integer};
  EditValue trackWidth_{"Track width", EditValue::Kind::Integer};
  EditValue trackDistance_{"Track distance (Dist)"};
};

// A position is usable for the track when the last GGA gave a position and it
// is not the empty (0, 0).
bool PositionUsable(bool noValidPosition, double latitude, double longitude);

// Decides whether a tick adds a track point. The reference is the position of
// the last accepted point. A point is accepted when the move from the
// reference is at least the track distance and less than ten times it; a
// longer move is a jump and draws nothing. The reference is anchored only on
// a usable position: on the first usable tick, after Restart() (the map timer
// started again) and after kJumpsToReanchor rejected jumps in a row; anchoring
// draws nothing.
class TrackGate {
 public:
  static constexpr int kJumpsToReanchor = 3;
  enum class Step { Unusable, Anchored, Accepted, TooShort, Jump, Reanchored };
  struct Decision {
    Step step = Step::Unusable;
    Point reference;  // the reference before this tick (the far end of a track line)
  };

  Decision Offer(double easting, double northing, double trackDistance, bool usable);
  // The map timer starts again: the next usable position anchors the track.
  void Restart();

  bool Anchored() const { return anchored_; }
  Point Reference() const { return reference_; }

 private:
  bool anchored_ = false;
  Point reference_;
  int jumps_ = 0;
};

// Layer and colour of a track point: quality 4 on "track_fix" in the fix
// colour; 5, 2 and 3 on "track_float" in the float colour; any other on
// "track_nofix" in red.
struct TrackStyle {
  std::string layer;
  TColor color = clRed;
};
TrackStyle TrackStyleFor(int quality, TColor fixColor, TColor floatColor);

// ---------------------------------------------------------------------------
// Latency
// ---------------------------------------------------------------------------

// Run time of the measured ticks: the current one and the running average
// over every measured tick.
class LatencyStats {
 public:
  void Add(int milliseconds);
  int Count() const { return count_; }
  int Current() const { return current_; }
  double Average() const { return average_; }
  std::string CurrentText() const;  // decimal integer
  std::string AverageText() const;  // 1 decimal

 private:
  int count_ = 0;
  int current_ = 0;
  double average_ = 0;
};

}  // namespace navloop
