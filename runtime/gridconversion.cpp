#include "runtime/gridconversion.h"

#include <numbers>

#include "app/formats.h"
#include "app/scanformat.h"
#include "geodesy/geodetic.h"
#include "geodesy/lambert.h"
#include "runtime/navloop.h"

namespace gridconv {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180;

double Number(const std::string& text, const char* name, std::vector<std::string>& reports) {
  double v = 0;
  if (TryStrToFloat(text, v)) return v;
  reports.push_back(std::string("Geodetic parameter ") + name + ": \"" + text.substr(0, 40) +
                    "\" is not a number; 0 is used.");
  return 0;
}

}  // namespace

GridParameters ParametersFrom(const devicesettings::GeodeticTexts& g, std::vector<std::string>& reports) {
  GridParameters p;
  p.lambert = g.useLCC;
  p.lambert1 = g.lambert1;
  p.datumParams = navloop::DatumParamsText({g.semiMajorAxis, g.flattening, g.scalePpm, g.rotX, g.rotY, g.rotZ,
                                            g.shiftX, g.shiftY, g.shiftZ});
  p.tmEllipsoid = navloop::TMEllipsoidText(g.semiMajorAxis, g.flattening);
  p.tmParameters = navloop::TMParameterText(g.centralMeridian, g.referenceLatitude, g.scaleFactor,
                                            g.falseEasting, g.falseNorthing);
  std::vector<std::string> tm, lcc;
  p.a = Number(g.semiMajorAxis, "semi-major axis", reports);
  p.f = Number(g.flattening, "flattening", reports);
  p.centralMeridian = Number(g.centralMeridian, "central meridian", tm);
  p.referenceLatitude = Number(g.referenceLatitude, "reference latitude", tm);
  p.scaleFactor = Number(g.scaleFactor, "scale factor", tm);
  p.falseEasting = Number(g.falseEasting, "false easting", tm);
  p.falseNorthing = Number(g.falseNorthing, "false northing", tm);
  p.lccSP1 = Number(g.lccSP1, "Lambert standard parallel 1", lcc) * kDegToRad;
  p.lccSP2 = Number(g.lccSP2, "Lambert standard parallel 2", lcc) * kDegToRad;
  p.lccScale = Number(g.lccSF, "Lambert scale factor", lcc);
  p.lccOrigin = Number(g.lccCP, "Lambert latitude of origin", lcc) * kDegToRad;
  p.lccMeridianDeg = Number(g.lccM, "Lambert central meridian", lcc);
  p.lccMeridian = p.lccMeridianDeg * kDegToRad;
  p.lccFalseEasting = Number(g.lccFE, "Lambert false easting", lcc);
  p.lccFalseNorthing = Number(g.lccFN, "Lambert false northing", lcc);
  for (const std::string& r : p.lambert ? lcc : tm) reports.push_back(r);
  return p;
}

GridPosition ToGrid(const GridParameters& p, double latitude, double longitude, double altitude) {
  GridPosition r;
  std::vector<double> v;
  if (p.lambert) {
    const std::string shifted =
        DatumTransform("BLH", navloop::PositionText(latitude, longitude, altitude), p.datumParams);
    if (scanformat::Scan("%lf %lf %lf", shifted, v) < 3) return r;
    const double lat = v[0], lon = v[1];
    int setup = 0, result = 0;
    double n = 0;
    if (p.lambert1) {
      n = SetLCC1Parameters(p.a, p.f, p.lccOrigin, p.lccMeridian, p.lccFalseEasting, p.lccFalseNorthing,
                            p.lccScale, &setup);
      if (setup == 0) result = GeodeticToLCC1(lat * kDegToRad, lon * kDegToRad, r.easting, r.northing);
    } else {
      n = SetLCC2Parameters(p.a, p.f, p.lccOrigin, p.lccMeridian, p.lccSP1, p.lccSP2, p.lccFalseEasting,
                            p.lccFalseNorthing, &setup);
      if (setup == 0) result = GeodeticToLCC2(lat * kDegToRad, lon * kDegToRad, r.easting, r.northing);
    }
    r.lambertSetup = setup;
    if (setup != 0 || result != 0) return r;
    r.convergence = navloop::LambertConvergence(n, lon, p.lccMeridianDeg);
  } else {
    r.convergence = static_cast<double>(TMScaleOrConvergence("GrdConv", p.a, p.f, latitude, longitude,
                                                             p.centralMeridian, p.referenceLatitude,
                                                             p.scaleFactor, p.falseEasting, p.falseNorthing));
    const std::string grid =
        GeographicToGrid(navloop::PositionText(latitude, longitude), p.datumParams, p.tmParameters, p.tmEllipsoid);
    if (scanformat::Scan("%lf %lf", grid, v) < 2) return r;
    r.easting = v[0];
    r.northing = v[1];
  }
  r.ok = true;
  return r;
}

void GridConverter::Load(const GridParameters& p) {
  p_ = p;
  loaded_ = true;
  cached_ = false;
}

GridPosition GridConverter::Convert(double latitude, double longitude, double altitude) {
  // The transverse Mercator chain does not use the altitude.
  const bool sameAltitude = !p_.lambert || altitude == altitude_;
  if (cached_ && latitude == latitude_ && longitude == longitude_ && sameAltitude) return last_;
  last_ = ToGrid(p_, latitude, longitude, altitude);
  cached_ = true;
  latitude_ = latitude;
  longitude_ = longitude;
  altitude_ = altitude;
  return last_;
}

}  // namespace gridconv
