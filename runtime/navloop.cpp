#include "runtime/navloop.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/formats.h"

namespace navloop {

std::string FixName(int quality) {
  switch (quality) {
    case 0: return "No Fix";
    case 1: return "GPS";
    case 2: return "DGPS";
    case 4: return "RTK Fix";
    case 5: return "RTK Float";
    default: return "Fix:" + std::to_string(quality);
  }
}

RealtimeLabels RealtimeLabelTexts(int quality, double rtkAntennaHeight, bool offsetsVisible, double rtkTide,
                                  int satellites) {
  RealtimeLabels l;
  l.fixed = std::to_string(quality);
  l.antennaHeight = FormatFixed(rtkAntennaHeight, 2);
  l.tide = offsetsVisible ? "-" : FormatFixed(rtkTide, 2);
  l.satellites = std::to_string(satellites);
  return l;
}

std::string StatusText(int quality, const std::string& speedLabel, int satellites, double rtkAntennaHeight,
                       const std::string& tideText) {
  double speed = 0;
  if (!TryStrToFloat(speedLabel, speed)) speed = 0;
  return FixName(quality) + " | Spd: " + FormatFixed(speed, 1) + " kn | SV: " + std::to_string(satellites) +
         " | Ant: " + FormatFixed(rtkAntennaHeight, 2) + " m | Tide: " + tideText + " m";
}

std::string OverlayText(const std::string& status, bool sensorEnabled, double depth, bool noValidPosition) {
  if (noValidPosition) return "*** EMPTY GGA - NO POSITION ***";
  if (sensorEnabled && depth > 0) return status + " | Depth: " + FormatFixed(depth, 2) + " m";
  return status;
}

std::string PositionText(double latitude, double longitude) {
  return FloatToStr(latitude) + " " + FloatToStr(longitude);
}

std::string PositionText(double latitude, double longitude, double altitude) {
  return PositionText(latitude, longitude) + " " + FloatToStr(altitude);
}

namespace {

std::string Dms(double value) {
  const double a = std::fabs(value);
  const double degrees = std::trunc(a);
  const double minutesExact = (a - degrees) * 60;
  const double minutes = std::trunc(minutesExact);
  const double seconds = (minutesExact - minutes) * 60;
  return FloatToStr(degrees) + "\u00B0" + FloatToStr(minutes) + "'" + FormatFixed(seconds, 3) + "\"";
}

}  // namespace

std::string DmsPanelText(double latitude, double longitude) {
  return Dms(latitude) + (latitude < 0 ? "S" : "N") + ", " + Dms(longitude) + (longitude < 0 ? "W" : "E");
}

std::string GridPanelText(double easting, double northing) {
  std::string s(1, 'E');
  s += FormatFixed(easting, 2);
  s += ", N";
  s += FormatFixed(northing, 2);
  return s;
}

std::string DatumParamsText(const DatumEditTexts& t) {
  return "6378137.0  0.0033528106647474  0.0  0.0  0.0  0.0  0.0  0.0  0.0 " + t.sma + " " + t.flattening +
         " " + t.ppm + " " + t.rx + " " + t.ry + " " + t.rz + " " + t.sx + " " + t.sy + " " + t.sz;
}

std::string TMEllipsoidText(const std::string& sma, const std::string& flattening) {
  return "6378137.0 0.0033528106647474 " + sma + " " + flattening;
}

std::string TMParameterText(const std::string& cm, const std::string& rl, const std::string& sf,
                            const std::string& fe, const std::string& fn) {
  return cm + " " + rl + " " + sf + " " + fe + " " + fn;
}

double LambertConvergence(double coneConstant, double longitudeDeg, double centralMeridianDeg) {
  double d = std::remainder(longitudeDeg - centralMeridianDeg, 360.0);  // -180 .. 180
  if (d == -180) d = 180;
  return -coneConstant * d;
}

VesselGeometry VesselGeometryEdits::Read(const Texts& t, std::vector<std::string>& reports) {
  std::string report;
  const auto note = [&] {
    if (!report.empty()) reports.push_back(report);
  };
  VesselGeometry g;
  g.circles = amount_.ReadInt(t.amount, &report);
  note();
  g.interval = interval_.Read(t.interval, &report);
  note();
  g.firstRadius = radius_.Read(t.radius, &report);
  note();
  g.halfWidth = lArrow_.Read(t.lArrow, &report);
  note();
  g.bowLength = bArrow_.Read(t.bArrow, &report);
  note();
  return g;
}

VesselSymbol VesselSymbolAt(double easting, double northing, double headingDeg, const VesselGeometry& g) {
  VesselSymbol s;
  if (easting == 0 && northing == 0) return s;
  const double t = headingDeg * std::numbers::pi / 180;
  const double half = std::numbers::pi / 2;
  const Point p{easting, northing};
  const Point b{easting + g.bowLength * std::sin(t), northing + g.bowLength * std::cos(t)};
  const Point r{easting + g.halfWidth * std::sin(t + half), northing + g.halfWidth * std::cos(t + half)};
  const Point l{easting + g.halfWidth * std::sin(t - half), northing + g.halfWidth * std::cos(t - half)};
  s.lines = {{p, b}, {p, r}, {p, l}, {b, r}, {b, l}};
  const int count = std::min(g.circles, kMaxRangeCircles);
  for (int i = 0; i < count; ++i) s.circles.push_back({p, g.firstRadius + i * g.interval});
  return s;
}

TrackSettings TrackSettingEdits::Read(const Texts& t, std::vector<std::string>& reports) {
  std::string report;
  TrackSettings s;
  s.vesselWidth = vesselWidth_.ReadInt(t.vesselWidth, &report);
  if (!report.empty()) reports.push_back(report);
  s.trackWidth = trackWidth_.ReadInt(t.trackWidth, &report);
  if (!report.empty()) reports.push_back(report);
  s.trackDistance = trackDistance_.Read(t.trackDistance, &report);
  if (!report.empty()) reports.push_back(report);
  return s;
}

bool PositionUsable(bool noValidPosition, double latitude, double longitude) {
  return !noValidPosition && !(latitude == 0 && longitude == 0);
}

TrackGate::Decision TrackGate::Offer(double easting, double northing, double trackDistance, bool usable) {
  Decision d;
  d.reference = reference_;
  if (!usable) {
    d.step = Step::Unusable;
    return d;
  }
  const Point here{easting, northing};
  if (!anchored_) {
    anchored_ = true;
    reference_ = here;
    jumps_ = 0;
    d.step = Step::Anchored;
    return d;
  }
  const double move = std::hypot(easting - reference_.x, northing - reference_.y);
  const bool referenceSet = !(reference_.x == 0 && reference_.y == 0);
  if (trackDistance <= move && move < 10 * trackDistance && referenceSet) {
    reference_ = here;
    jumps_ = 0;
    d.step = Step::Accepted;
    return d;
  }
  if (move >= 10 * trackDistance && move > 0) {
    if (++jumps_ >= kJumpsToReanchor) {
      reference_ = here;
      jumps_ = 0;
      d.step = Step::Reanchored;
    } else {
      d.step = Step::Jump;
    }
    return d;
  }
  jumps_ = 0;
  d.step = Step::TooShort;
  return d;
}

void TrackGate::Restart() {
  anchored_ = false;
  jumps_ = 0;
}

TrackStyle TrackStyleFor(int quality, TColor fixColor, TColor floatColor) {
  switch (quality) {
    case 4: return {"track_fix", fixColor};
    case 5:
    case 2:
    case 3: return {"track_float", floatColor};
    default: return {"track_nofix", clRed};
  }
}

void LatencyStats::Add(int milliseconds) {
  ++count_;
  current_ = milliseconds;
  average_ = ((count_ - 1) * average_ + current_) / count_;
}

std::string LatencyStats::CurrentText() const { return std::to_string(current_); }

std::string LatencyStats::AverageText() const { return FormatFixed(average_, 1); }

}  // namespace navloop
