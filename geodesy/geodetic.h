#pragma once
// Geodetic routines: geographic position -> ECEF -> two seven-parameter
// (Helmert) shifts -> geographic position on the local ellipsoid -> transverse
// Mercator grid. Free functions without state, computed in long double; cheap
// enough for the navigation loop's 200 ms tick.
//
// Positions and parameters travel as 8-bit texts of white-space separated
// numbers (period as decimal point). Angles in texts are decimal degrees
// (north/east positive), lengths metres, rotations arc seconds, scale ppm,
// flattening f itself (WGS-84: 6378137.0 0.0033528106647474).
//
// Text layouts in:
//   position      "lat lon"
//   coordinates   "lat lon h"
//   TM parameters "centralMeridian referenceLatitude scaleFactor falseEasting falseNorthing"
//   ellipsoid     "word word a f"   (the first two words, at most 20 chars each, are skipped)
//   Helmert text  "X Y Z ppm rX rY rZ dX dY dZ"
//   datum text    18 numbers: a1 f1 ppm1 rX1 rY1 rZ1 dX1 dY1 dZ1  a2 f2 ppm2 rX2 rY2 rZ2 dX2 dY2 dZ2;
//                 each shift takes its own datum into WGS-84.
// Texts out: numbers in the general form (15 significant digits, see
// geotext::GeneralText) or fixed with 8 / 2 decimals.
//
// Failure: a text with fewer numbers than its layout, an unusable ellipsoid
// (a <= 0, f outside [0, 1)), a latitude beyond +-90 degrees or a result that
// is not finite gives "0" (one number, so the callers' scans reject it);
// ECEFToGeodetic alone answers an empty text.
#include <string>
#include <vector>

// Degrees -> radians for unit "r"/"R", radians -> degrees for "d"/"D"
// (pi = 3.141592653589793); any other unit text gives 0.
long double AngleConvert(long double value, const std::string& unit);

// Transverse Mercator forward projection (series to the sixth power of A).
// position "lat lon"; projection: TM parameters; ellipsoid: "word word a f".
// Result "easting northing" (one blank, general form) or "0". The longitude
// difference is taken into (-180, 180] degrees.
std::string GeodeticToTM(const std::string& position, const std::string& projection,
                         const std::string& ellipsoid);

// Geographic (degrees, metres) on ellipsoid a, f -> "X\tY\tZ" (general form), or "0".
std::string GeodeticToECEF(long double latitude, long double longitude, long double height, long double a,
                           long double f);

// Rows of long double values; rows and columns counted from 0.
using GeoMatrix = std::vector<std::vector<long double>>;
// Inverts the n x n matrix in place (sweep method, no pivoting: meant for scaled
// rotation matrices) and returns it; a matrix smaller than n x n is left alone.
GeoMatrix& MatrixInverse(GeoMatrix& m, int n);
// New (rowsA x colsB) matrix A * B; empty when the sizes do not fit the matrices.
GeoMatrix MatrixMultiply(const GeoMatrix& a, int rowsA, int colsA, const GeoMatrix& b, int rowsB, int colsB);
// Releases the rows of a matrix.
void MatrixFree(GeoMatrix& m, int rows);

// Seven-parameter shift of the Helmert text "X Y Z ppm rX rY rZ dX dY dZ":
// direction "WGS" applies P' = s*R*P + T (R = R3(rZ) R2(rY) R1(rX), exact,
// coordinate-frame signs; s = 1 + ppm*1e-6); any other direction applies the
// exact inverse. Result "X\tY\tZ" (general form) or "0".
std::string HelmertTransform(const std::string& direction, const std::string& text);

// ECEF -> "lat\tlon\th" on ellipsoid a, f: degrees with 8 decimals (longitude
// in -180..180), height with 2. Points on the polar axis give +-90, 0 and
// |Z| - b. Empty text for the earth's centre, an unusable ellipsoid, a
// non-finite input or an iteration that does not settle.
std::string ECEFToGeodetic(long double x, long double y, long double z, long double a, long double f);

// Coordinates "lat lon h" through both shifts of the datum text. Kind "XYZ":
// the cartesian text "X\tY\tZ" of the second datum; any other kind ("BLH"):
// "lat\tlon\th" on the second ellipsoid as ECEFToGeodetic writes it. "0" on failure.
std::string DatumTransform(const std::string& kind, const std::string& coordinates,
                           const std::string& datumParameters);

// The whole chain for a position "lat lon" (height 0): DatumTransform, then
// GeodeticToTM. Result "easting northing" or "0".
std::string GeographicToGrid(const std::string& position, const std::string& datumParameters,
                             const std::string& projection, const std::string& ellipsoid);

// The chain of GeographicToGrid with its three parameter texts read once,
// for converting many positions with the same settings: the numbers never
// pass through texts, so the position is not rounded between the datum
// shift and the projection.
class TGridConversion {
 public:
  // False when a text holds fewer numbers than its layout; every Convert
  // then fails.
  bool Setup(const std::string& datumParameters, const std::string& projection, const std::string& ellipsoid);
  // Easting and northing of a WGS-84-side position in degrees (height 0);
  // false where GeographicToGrid answers "0".
  bool Convert(double latitude, double longitude, double& easting, double& northing) const;

 private:
  bool ready_ = false;
  bool identity_ = false;  // no shift at all: the datum step keeps the position
  long double tm_[5] = {};
  long double a_ = 0, f_ = 0;
  long double datumA_[2] = {}, datumF_[2] = {};
  long double scale_[2] = {};
  long double rotation_[2][3][3] = {};
  long double shift_[2][3] = {};
};

// Transverse Mercator point scale factor (selector "PtScFac") or grid
// convergence in degrees ("GrdConv"), Redfearn's series; angles in degrees.
// The convergence is negative east of the central meridian in the northern
// hemisphere (add it to a true heading to get a grid heading). The reference
// latitude and false origin do not enter. Any other selector, an unusable
// ellipsoid or latitude, or a non-finite result gives 0.
long double TMScaleOrConvergence(const std::string& selector, double a, double f, double latitude,
                                 double longitude, double centralMeridian, double referenceLatitude,
                                 double scaleFactor, double falseEasting, double falseNorthing);
