#include "geodesy/lambert.h"

#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = kPi / 2;
constexpr double kMaxLatitude = 1.5707914786580854;  // 89d59'59"
constexpr double kPoleTolerance = 1.0e-10;           // also: parallels closer than this are one
constexpr double kInverseTolerance = 4.85e-10;
constexpr int kInverseIterations = 30;
constexpr double kGridRange = 40000000;
constexpr double kSnapToZero = 2.0e-7;
constexpr double kSnapToPi = 3.5e-6;

struct Lcc1State {
  double a, f, e, halfE, n, rho0, rhoOrigin, t0, originLatitude, centralMeridian, falseNorthing,
      falseEasting, scaleFactor, eastingRange, northingRange;
};

struct Lcc2State {
  double a, f, e, halfE, derivedOriginLatitude, derivedScaleFactor, derivedFalseNorthing, standardParallel1,
      standardParallel2, originLatitude, centralMeridian, falseNorthing, falseEasting, eastingRange,
      northingRange;
};

// WGS-84, origin 45 degrees; the derived values as they stand before any set-up.
constexpr Lcc1State kInitialLcc1 = {6378137.0,          0.0033528106647474805, 0.08181919084262188,
                                    0.040909595421311,  0.70710678118655,      6388838.2901212,
                                    6388838.2901211,    0.41618115138974,      0.7853981633974483,
                                    0,                  0,                     0,
                                    1.0,                kGridRange,            kGridRange};
constexpr Lcc2State kInitialLcc2 = {6378137.0,          0.0033528106647474805, 0.081819190842621,
                                    0.040909595421311,  0.78669154042193,      0.99620424745181,
                                    8204.2214438468,    0.6981317007977318,    0.8726646259971648,
                                    0.7853981633974483, 0,                     0,
                                    0,                  kGridRange,            kGridRange};

Lcc1State lcc1 = kInitialLcc1;
Lcc2State lcc2 = kInitialLcc2;

// m(phi) and t(phi) of the cone formulas, for eccentricity e.
double ConeM(double phi, double e) {
  const double s = std::sin(phi);
  return std::cos(phi) / std::sqrt(1 - e * e * s * s);
}

double ConeT(double phi, double e) {
  const double es = e * std::sin(phi);
  return std::tan(kPi / 4 - phi / 2) / std::pow((1 - es) / (1 + es), e / 2);
}

bool WithinMaxLatitude(double phi) { return phi >= -kMaxLatitude && phi <= kMaxLatitude; }
bool ValidMeridian(double lambda) { return lambda >= -kPi && lambda <= 2 * kPi; }
bool ValidAxis(double a) { return std::isfinite(a) && a > 0; }
bool ValidFlattening(double f) {
  const double inverse = 1 / f;
  return inverse >= 250 && inverse <= 350;
}

int CheckLcc1(double a, double f, double originLatitude, double centralMeridian, double scaleFactor) {
  int bits = 0;
  if (!WithinMaxLatitude(originLatitude) || originLatitude == 0) bits |= 0x10;
  if (!ValidMeridian(centralMeridian)) bits |= 0x20;
  if (!(scaleFactor >= 0.3 && scaleFactor <= 3.0)) bits |= 0x40;
  if (!ValidAxis(a)) bits |= 0x80;
  if (!ValidFlattening(f)) bits |= 0x100;
  return bits;
}

int CheckLcc2(double a, double f, double originLatitude, double centralMeridian, double sp1, double sp2) {
  int bits = 0;
  if (!WithinMaxLatitude(sp1)) bits |= 0x10;
  if (!WithinMaxLatitude(sp2)) bits |= 0x20;
  if (!WithinMaxLatitude(originLatitude)) bits |= 0x40;
  if (!ValidMeridian(centralMeridian)) bits |= 0x80;
  if (!ValidAxis(a)) bits |= 0x100;
  if (!ValidFlattening(f)) bits |= 0x200;
  if (sp1 == -sp2) bits |= 0x400;
  if (sp1 == 0 && sp2 == 0) bits |= 0x800;
  return bits;
}

double ReduceMeridian(double lambda) { return lambda > kPi ? lambda - 2 * kPi : lambda; }

int CheckPosition(double latitude, double longitude) {
  int bits = 0;
  if (!(latitude >= -kHalfPi && latitude <= kHalfPi)) bits |= kLccLatitudeError;
  if (!ValidMeridian(longitude)) bits |= kLccLongitudeError;
  return bits;
}

void Report(int* setupErrors, int bits) {
  if (setupErrors) *setupErrors = bits;
}

// Loads the two-parallel record's one-parallel equivalent (accepted at its set-up).
bool LoadDerivedLcc1() {
  int bits = 0;
  SetLCC1Parameters(lcc2.a, lcc2.f, lcc2.derivedOriginLatitude, lcc2.centralMeridian, lcc2.falseEasting,
                    lcc2.derivedFalseNorthing, lcc2.derivedScaleFactor, &bits);
  return bits == 0;
}

}  // namespace

double SetLCC1Parameters(double a, double f, double originLatitude, double centralMeridian, double falseEasting,
                         double falseNorthing, double scaleFactor, int* setupErrors) {
  const int bits = CheckLcc1(a, f, originLatitude, centralMeridian, scaleFactor);
  Report(setupErrors, bits);
  if (bits) return lcc1.n;

  lcc1.a = a;
  lcc1.f = f;
  lcc1.originLatitude = originLatitude;
  lcc1.centralMeridian = ReduceMeridian(centralMeridian);
  lcc1.falseEasting = falseEasting;
  lcc1.falseNorthing = falseNorthing;
  lcc1.scaleFactor = scaleFactor;
  lcc1.e = std::sqrt(2 * f - f * f);
  lcc1.halfE = lcc1.e / 2;
  lcc1.n = std::sin(originLatitude);
  lcc1.t0 = ConeT(originLatitude, lcc1.e);
  lcc1.rho0 = a * scaleFactor * ConeM(originLatitude, lcc1.e) / lcc1.n;
  lcc1.rhoOrigin = lcc1.rho0;
  return lcc1.n;
}

void GetLCC1Parameters(double& a, double& f, double& originLatitude, double& centralMeridian,
                       double& falseEasting, double& falseNorthing, double& scaleFactor) {
  a = lcc1.a;
  f = lcc1.f;
  originLatitude = lcc1.originLatitude;
  centralMeridian = lcc1.centralMeridian;
  falseEasting = lcc1.falseEasting;
  falseNorthing = lcc1.falseNorthing;
  scaleFactor = lcc1.scaleFactor;
}

int GeodeticToLCC1(double latitude, double longitude, double& easting, double& northing) {
  if (const int bits = CheckPosition(latitude, longitude)) return bits;
  double rho;
  if (std::fabs(std::fabs(latitude) - kHalfPi) > kPoleTolerance) {
    rho = lcc1.rho0 * std::pow(ConeT(latitude, lcc1.e) / lcc1.t0, lcc1.n);
  } else {
    if (latitude * lcc1.n <= 0) return kLccLatitudeError;  // the cone opens away from this pole
    rho = 0;
  }
  double dLambda = longitude - lcc1.centralMeridian;
  if (dLambda > kPi) dLambda -= 2 * kPi;
  if (dLambda < -kPi) dLambda += 2 * kPi;
  const double theta = lcc1.n * dLambda;
  easting = rho * std::sin(theta) + lcc1.falseEasting;
  northing = lcc1.rhoOrigin - rho * std::cos(theta) + lcc1.falseNorthing;
  return 0;
}

int LCC1ToGeodetic(double easting, double northing, double& latitude, double& longitude) {
  int bits = 0;
  if (!(std::fabs(easting - lcc1.falseEasting) <= lcc1.eastingRange)) bits |= kLccEastingError;
  if (!(std::fabs(northing - lcc1.falseNorthing) <= lcc1.northingRange)) bits |= kLccNorthingError;
  if (bits) return bits;

  double dx = easting - lcc1.falseEasting;
  double dy = lcc1.rhoOrigin - (northing - lcc1.falseNorthing);
  double rho = std::sqrt(dx * dx + dy * dy);
  if (lcc1.n < 0) {
    rho = -rho;
    dx = -dx;
    dy = -dy;
  }
  if (rho == 0) {
    latitude = lcc1.n > 0 ? kHalfPi : -kHalfPi;
    longitude = lcc1.centralMeridian;
    return 0;
  }
  const double theta = std::atan2(dx, dy);
  const double t = lcc1.t0 * std::pow(rho / lcc1.rho0, 1 / lcc1.n);
  double phi = kHalfPi - 2 * std::atan(t);
  double previous = 0;
  int counter = kInverseIterations;
  while (std::fabs(phi - previous) > kInverseTolerance && counter != 0) {
    previous = phi;
    const double es = lcc1.e * std::sin(phi);
    phi = kHalfPi - 2 * std::atan(t * std::pow((1 - es) / (1 + es), lcc1.halfE));
    --counter;
  }
  if (counter == 0) return bits | kLccNorthingError;

  double lat = phi;
  double lon = theta / lcc1.n + lcc1.centralMeridian;
  if (std::fabs(lat) < kSnapToZero) lat = 0;
  if (lat > kHalfPi) lat = kHalfPi;
  else if (lat < -kHalfPi) lat = -kHalfPi;
  if (lon > kPi) lon = lon - kPi < kSnapToPi ? kPi : lon - 2 * kPi;
  if (lon < -kPi) lon = -kPi - lon < kSnapToPi ? -kPi : lon + 2 * kPi;
  if (std::fabs(lon) < kSnapToZero) lon = 0;
  if (lon > kPi) lon = kPi;
  else if (lon < -kPi) lon = -kPi;
  latitude = lat;
  longitude = lon;
  return 0;
}

double SetLCC2Parameters(double a, double f, double originLatitude, double centralMeridian,
                         double standardParallel1, double standardParallel2, double falseEasting,
                         double falseNorthing, int* setupErrors) {
  int bits = CheckLcc2(a, f, originLatitude, centralMeridian, standardParallel1, standardParallel2);
  if (bits) {
    Report(setupErrors, bits);
    return lcc1.n;
  }

  double derivedOrigin, derivedScale, derivedNorthing, n = 0;
  if (std::fabs(standardParallel1 - standardParallel2) > kPoleTolerance) {
    const double e = std::sqrt(2 * f - f * f);
    const double m1 = ConeM(standardParallel1, e), t1 = ConeT(standardParallel1, e);
    const double m2 = ConeM(standardParallel2, e), t2 = ConeT(standardParallel2, e);
    const double tOrigin = ConeT(originLatitude, e);
    n = std::log(m1 / m2) / std::log(t1 / t2);
    derivedOrigin = std::asin(n);
    const double tDerived = ConeT(derivedOrigin, e);
    derivedScale = (m1 / ConeM(derivedOrigin, e)) * std::pow(tDerived / t1, n);
    const double aF = a * m2 / (n * std::pow(t2, n));
    // The one-parallel grid with origin derivedOrigin gets its northing origin at originLatitude.
    derivedNorthing = falseNorthing + aF * std::pow(tOrigin, n) - aF * std::pow(tDerived, n);
  } else {
    derivedOrigin = standardParallel1;
    derivedScale = 1.0;
    derivedNorthing = falseNorthing;
  }

  // Conversions would silently run on the old one-parallel form if this failed.
  if (CheckLcc1(a, f, derivedOrigin, centralMeridian, derivedScale) != 0 ||
      !std::isfinite(derivedNorthing)) {
    Report(setupErrors, kLcc2DerivedRejected);
    return lcc1.n;
  }

  lcc2.a = a;
  lcc2.f = f;
  lcc2.e = std::sqrt(2 * f - f * f);
  lcc2.halfE = lcc2.e / 2;
  lcc2.originLatitude = originLatitude;
  lcc2.centralMeridian = ReduceMeridian(centralMeridian);
  lcc2.standardParallel1 = standardParallel1;
  lcc2.standardParallel2 = standardParallel2;
  lcc2.falseEasting = falseEasting;
  lcc2.falseNorthing = falseNorthing;
  lcc2.derivedOriginLatitude = derivedOrigin;
  lcc2.derivedScaleFactor = derivedScale;
  lcc2.derivedFalseNorthing = derivedNorthing;
  const double oneParallelN = SetLCC1Parameters(a, f, derivedOrigin, lcc2.centralMeridian, falseEasting,
                                                derivedNorthing, derivedScale);
  Report(setupErrors, 0);
  return std::fabs(standardParallel1 - standardParallel2) > kPoleTolerance ? n : oneParallelN;
}

void GetLCC2Parameters(double& a, double& f, double& originLatitude, double& centralMeridian,
                       double& standardParallel1, double& standardParallel2, double& falseEasting,
                       double& falseNorthing) {
  a = lcc2.a;
  f = lcc2.f;
  originLatitude = lcc2.originLatitude;
  centralMeridian = lcc2.centralMeridian;
  standardParallel1 = lcc2.standardParallel1;
  standardParallel2 = lcc2.standardParallel2;
  falseEasting = lcc2.falseEasting;
  falseNorthing = lcc2.falseNorthing;
}

int GeodeticToLCC2(double latitude, double longitude, double& easting, double& northing) {
  if (const int bits = CheckPosition(latitude, longitude)) return bits;
  if (!LoadDerivedLcc1()) return kLccLatitudeError;  // cannot happen: checked at the set-up
  return GeodeticToLCC1(latitude, longitude, easting, northing);
}

int LCC2ToGeodetic(double easting, double northing, double& latitude, double& longitude) {
  int bits = 0;
  if (!(std::fabs(easting - lcc2.falseEasting) <= lcc2.eastingRange)) bits |= kLccEastingError;
  if (!(std::fabs(northing - lcc2.derivedFalseNorthing) <= lcc2.northingRange)) bits |= kLccNorthingError;
  if (bits) return bits;
  if (!LoadDerivedLcc1()) return kLccNorthingError;  // cannot happen: checked at the set-up
  return LCC1ToGeodetic(easting, northing, latitude, longitude);
}

void ResetLCCParameters() {
  lcc1 = kInitialLcc1;
  lcc2 = kInitialLcc2;
}
