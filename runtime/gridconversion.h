#pragma once
// Conversion of a WGS-84 position to the grid of the device settings: datum
// shift and transverse Mercator, or datum shift and Lambert conformal conic
// with one or two standard parallels. The parameters are taken from the
// device settings' texts once per survey run (at its start), so every
// position of a run - the vessel on the map and each sounding's record - is
// converted with the parameters the geodesy log names for that run.
#include <string>
#include <vector>

#include "settings/devicesettings.h"

namespace gridconv {

struct GridParameters {
  bool lambert = false;   // cbUseLCCProjection
  bool lambert1 = false;  // cLambert1: one standard parallel
  std::string datumParams, tmEllipsoid, tmParameters;  // texts of the geodetic routines
  double a = 0, f = 0, centralMeridian = 0, referenceLatitude = 0, scaleFactor = 0, falseEasting = 0,
         falseNorthing = 0;
  // Lambert: parallels, origin and central meridian in radians.
  double lccSP1 = 0, lccSP2 = 0, lccOrigin = 0, lccMeridian = 0, lccMeridianDeg = 0, lccScale = 0,
         lccFalseEasting = 0, lccFalseNorthing = 0;
};

// The parameters of the device settings' texts. A number that does not read
// gives 0 and a report; each projection's numbers are told about only when
// that projection is in use.
GridParameters ParametersFrom(const devicesettings::GeodeticTexts& g, std::vector<std::string>& reports);

struct GridPosition {
  bool ok = false;          // the conversion gave its numbers
  double easting = 0, northing = 0;
  double convergence = 0;   // degrees, added to a true heading gives the grid heading
  int lambertSetup = 0;     // error bits of a refused Lambert set-up (then ok is false)
};

// One position (degrees, altitude in m) on the grid.
GridPosition ToGrid(const GridParameters& p, double latitude, double longitude, double altitude);

// The parameters of the run and the last conversion: a position converted
// again (the map's tick and the soundings between two fixes) is not
// computed twice.
class GridConverter {
 public:
  void Load(const GridParameters& p);
  bool Loaded() const { return loaded_; }
  const GridParameters& Parameters() const { return p_; }
  GridPosition Convert(double latitude, double longitude, double altitude);

 private:
  bool loaded_ = false;
  GridParameters p_;
  bool cached_ = false;
  double latitude_ = 0, longitude_ = 0, altitude_ = 0;
  GridPosition last_;
};

}  // namespace gridconv
