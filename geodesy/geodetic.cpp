#include "geodesy/geodetic.h"

#include <cmath>

#include "app/formats.h"
#include "geodesy/geotext.h"

using geotext::GeneralText;
using geotext::NumberScanner;
using geotext::ReadNumbers;

namespace {

// The double constant, also where the arithmetic runs in long double.
constexpr long double kPi = 3.141592653589793;
constexpr long double kHalfPi = kPi / 2;
constexpr int kMaxGeodeticIterations = 50;
const std::string kFailed = "0";

bool UsableEllipsoid(long double a, long double f) {
  return std::isfinite(a) && a > 0 && f >= 0 && f < 1;
}

bool UsableLatitude(long double degrees) { return degrees >= -90 && degrees <= 90; }

bool AllFinite(std::initializer_list<long double> values) {
  for (long double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// Longitude difference (radians) taken into (-pi, pi]; left as it is inside.
template <typename T>
T WrapLongitude(T d) {
  if (d > kPi || d <= -kPi) {
    d = std::remainder(d, static_cast<T>(2 * kPi));
    if (d <= -static_cast<T>(kPi)) d += static_cast<T>(2 * kPi);
  }
  return d;
}

std::string Join(long double x, long double y, long double z, const char* separator) {
  return GeneralText(x) + separator + GeneralText(y) + separator + GeneralText(z);
}

// Appends numbers, each after one blank, in the general form.
void AppendNumbers(std::string& text, const double* values, int count) {
  for (int i = 0; i < count; ++i) text.append(" ").append(GeneralText(values[i]));
}

}  // namespace

long double AngleConvert(long double value, const std::string& unit) {
  if (unit == "r" || unit == "R") return value * kPi / 180;
  if (unit == "d" || unit == "D") return value * 180 / kPi;
  return 0;
}

namespace {

// Transverse Mercator forward projection of a position in degrees; par holds
// the TM parameters in text order. False for an unusable ellipsoid or
// latitude, or a result that is not finite.
bool TMForward(long double latDeg, long double lonDeg, const long double par[5], long double a, long double f,
               long double& easting, long double& northing) {
  if (!UsableEllipsoid(a, f) || !UsableLatitude(latDeg) || !UsableLatitude(par[1])) return false;
  const long double lon0 = AngleConvert(par[0], "R");
  const long double lat0 = AngleConvert(par[1], "R");
  const long double k0 = par[2], fe = par[3], fn = par[4];
  const long double lat = AngleConvert(latDeg, "R");
  const long double lon = AngleConvert(lonDeg, "R");

  const long double e = std::sqrt(f * (2 - f));
  const long double e2 = e * e, e4 = e2 * e2, e6 = e4 * e2;
  const long double sinLat = std::sin(lat), cosLat = std::cos(lat), tanLat = std::tan(lat);
  const long double T = tanLat * tanLat;
  const long double ep2 = e2 / (1 - e2);
  const long double eta2 = e2 * cosLat * cosLat / (1 - e2);
  const long double A = WrapLongitude(lon - lon0) * cosLat;
  const long double N = a / std::sqrt(1 - e2 * sinLat * sinLat);
  auto meridianArc = [&](long double x) {
    return a * ((1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) * x -
                (3 * e2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * x) +
                (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * x) - (35 * e6 / 3072) * std::sin(6 * x));
  };
  const long double M = meridianArc(lat), M0 = meridianArc(lat0);
  const long double A2 = A * A, A3 = A2 * A, A4 = A3 * A, A5 = A4 * A, A6 = A5 * A;

  easting =
      fe + k0 * N * (A + (1 - T + eta2) * A3 / 6 + (5 - 18 * T + T * T + 72 * eta2 - 58 * ep2) * A5 / 120);
  northing = fn + k0 * (M - M0 +
                        N * tanLat *
                            (A2 / 2 + (5 - T + 9 * eta2 + 4 * eta2 * eta2) * A4 / 24 +
                             (61 - 58 * T + T * T + 600 * eta2 - 330 * ep2) * A6 / 720));
  return AllFinite({easting, northing});
}

// Geographic (degrees, metres) on ellipsoid a, f -> ECEF.
bool ToECEF(long double latitude, long double longitude, long double height, long double a, long double f,
            long double out[3]) {
  if (!UsableEllipsoid(a, f) || !UsableLatitude(latitude) || !AllFinite({longitude, height})) return false;
  const long double e = std::sqrt(f * (2 - f));
  const long double e2 = e * e;
  const long double lat = AngleConvert(latitude, "R");
  const long double lon = AngleConvert(longitude, "R");
  const long double sinLat = std::sin(lat);
  const long double N = a / std::sqrt(1 - e2 * sinLat * sinLat);
  out[0] = (N + height) * std::cos(lat) * std::cos(lon);
  out[1] = (N + height) * std::cos(lat) * std::sin(lon);
  out[2] = ((1 - e2) * N + height) * sinLat;
  return AllFinite({out[0], out[1], out[2]});
}

// R = R3(gamma) * R2(beta) * R1(alpha) of rotations in arc seconds, without
// small-angle shortcuts.
void RotationMatrix(double rx, double ry, double rz, long double r[3][3]) {
  const long double alpha = AngleConvert(rx / 3600.0L, "R");
  const long double beta = AngleConvert(ry / 3600.0L, "R");
  const long double gamma = AngleConvert(rz / 3600.0L, "R");
  const long double sa = std::sin(alpha), ca = std::cos(alpha);
  const long double sb = std::sin(beta), cb = std::cos(beta);
  const long double sg = std::sin(gamma), cg = std::cos(gamma);
  const long double m[3][3] = {
      {cg * cb, cg * sb * sa + sg * ca, sg * sa - cg * sb * ca},
      {-sg * cb, ca * cg - sa * sb * sg, sg * sb * ca + cg * sa},
      {sb, -cb * sa, ca * cb},
  };
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 3; ++k) r[i][k] = m[i][k];
}

// The Helmert shift into WGS 84: P' = s R P + T.
void HelmertToWGS(long double s, const long double r[3][3], const long double t[3], const long double p[3],
                  long double out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = s * (r[i][0] * p[0] + r[i][1] * p[1] + r[i][2] * p[2]) + t[i];
}

// ECEF -> latitude and longitude in degrees and height on ellipsoid a, f.
bool ECEFToLatLon(long double x, long double y, long double z, long double a, long double f,
                  long double& latDeg, long double& lonDeg, long double& h) {
  if (!UsableEllipsoid(a, f) || !AllFinite({x, y, z})) return false;
  const long double e = std::sqrt(f * (2 - f));
  const long double e2 = e * e;
  const long double p = std::sqrt(x * x + y * y);
  auto radius = [&](long double lat) {
    const long double s = std::sin(lat);
    return a / std::sqrt(1 - e2 * s * s);
  };

  long double lat = 0, lon = 0;
  h = 0;
  if (p == 0) {
    // On the polar axis: a pole, or no latitude at all at the centre.
    if (z == 0) return false;
    lat = z > 0 ? kHalfPi : -kHalfPi;
    h = std::fabs(z) - a * std::sqrt(1 - e2);
  } else {
    long double previous = 1e-9L;
    int left = kMaxGeodeticIterations;
    while (std::fabs(lat - previous) > 1e-12L) {
      if (left-- == 0) return false;
      previous = lat;
      const long double n = radius(lat);
      lat = std::atan((z / p) / (1 - e2 * n / (n + h)));
      // Near the poles p / cos(lat) loses its digits; z / sin(lat) is the same height there.
      const long double nNew = radius(lat);
      h = std::fabs(lat) <= kPi / 4 ? p / std::cos(lat) - nNew : z / std::sin(lat) - nNew * (1 - e2);
    }
    lon = std::atan2(y, x);
  }
  latDeg = AngleConvert(lat, "D"), lonDeg = AngleConvert(lon, "D");
  return AllFinite({latDeg, lonDeg, h});
}

}  // namespace

std::string GeodeticToTM(const std::string& position, const std::string& projection,
                         const std::string& ellipsoid) {
  long double pos[2], par[5], a = 0, f = 0;
  if (!ReadNumbers(position, pos, 2)) return kFailed;
  if (!ReadNumbers(projection, par, 5)) return kFailed;
  NumberScanner ell(ellipsoid);
  if (!(ell.SkipWord(20) && ell.SkipWord(20) && ell.Read(a) && ell.Read(f))) return kFailed;
  long double easting, northing;
  if (!TMForward(pos[0], pos[1], par, a, f, easting, northing)) return kFailed;
  return GeneralText(easting) + " " + GeneralText(northing);
}

std::string GeodeticToECEF(long double latitude, long double longitude, long double height, long double a,
                           long double f) {
  long double xyz[3];
  if (!ToECEF(latitude, longitude, height, a, f, xyz)) return kFailed;
  return Join(xyz[0], xyz[1], xyz[2], "\t");
}

GeoMatrix& MatrixInverse(GeoMatrix& m, int n) {
  if (n <= 0 || m.size() < static_cast<size_t>(n)) return m;
  for (int r = 0; r < n; ++r)
    if (m[r].size() < static_cast<size_t>(n)) return m;
  for (int i = 0; i < n; ++i) {
    m[i][i] = -1 / m[i][i];
    for (int j = 0; j < n; ++j)
      if (j != i) m[j][i] *= m[i][i];
    for (int j = 0; j < n; ++j) {
      if (j == i) continue;
      for (int k = 0; k < n; ++k)
        if (k != i) m[j][k] += m[j][i] * m[i][k];
    }
    for (int k = 0; k < n; ++k)
      if (k != i) m[i][k] *= m[i][i];
  }
  for (int j = 0; j < n; ++j)
    for (int k = 0; k < n; ++k) m[j][k] = -m[j][k];
  return m;
}

GeoMatrix MatrixMultiply(const GeoMatrix& a, int rowsA, int colsA, const GeoMatrix& b, int rowsB, int colsB) {
  if (rowsA <= 0 || rowsB <= 0 || colsB <= 0 || rowsB > colsA) return {};
  if (a.size() < static_cast<size_t>(rowsA) || b.size() < static_cast<size_t>(rowsB)) return {};
  for (int i = 0; i < rowsA; ++i)
    if (a[i].size() < static_cast<size_t>(rowsB)) return {};
  for (int l = 0; l < rowsB; ++l)
    if (b[l].size() < static_cast<size_t>(colsB)) return {};
  GeoMatrix q(static_cast<size_t>(rowsA), std::vector<long double>(static_cast<size_t>(colsB), 0.0L));
  for (int i = 0; i < rowsA; ++i)
    for (int k = 0; k < colsB; ++k) {
      long double sum = 0;
      for (int l = 0; l < rowsB; ++l) sum += a[i][l] * b[l][k];
      q[i][k] = sum;
    }
  return q;
}

void MatrixFree(GeoMatrix& m, int rows) {
  m.clear();
  m.shrink_to_fit();
}

std::string HelmertTransform(const std::string& direction, const std::string& text) {
  double v[10];
  if (!ReadNumbers(text, v, 10)) return kFailed;
  const long double x = v[0], y = v[1], z = v[2];
  const long double s = 1 + v[3] * 1e-6L;
  const long double dx = v[7], dy = v[8], dz = v[9];
  long double r[3][3];
  RotationMatrix(v[4], v[5], v[6], r);

  long double out[3];
  if (direction == "WGS") {
    const long double p[3] = {x, y, z}, t[3] = {dx, dy, dz};
    HelmertToWGS(s, r, t, p, out);
  } else {
    GeoMatrix sr(3, std::vector<long double>(3));
    for (int i = 0; i < 3; ++i)
      for (int k = 0; k < 3; ++k) sr[i][k] = s * r[i][k];
    MatrixInverse(sr, 3);
    GeoMatrix shifted = {{x - dx}, {y - dy}, {z - dz}};
    GeoMatrix result = MatrixMultiply(sr, 3, 3, shifted, 3, 1);
    if (result.size() != 3) return kFailed;
    for (int i = 0; i < 3; ++i) out[i] = result[i][0];
    MatrixFree(sr, 3);
    MatrixFree(shifted, 3);
    MatrixFree(result, 3);
  }
  if (!AllFinite({out[0], out[1], out[2]})) return kFailed;
  return Join(out[0], out[1], out[2], "\t");
}

std::string ECEFToGeodetic(long double x, long double y, long double z, long double a, long double f) {
  long double latDeg, lonDeg, h;
  if (!ECEFToLatLon(x, y, z, a, f, latDeg, lonDeg, h)) return "";
  return FormatFixed(static_cast<double>(latDeg), 8) + "\t" + FormatFixed(static_cast<double>(lonDeg), 8) +
         "\t" + FormatFixed(static_cast<double>(h), 2);
}

std::string DatumTransform(const std::string& kind, const std::string& coordinates,
                           const std::string& datumParameters) {
  double c[3], d[18];
  if (!ReadNumbers(coordinates, c, 3)) return kFailed;
  if (!ReadNumbers(datumParameters, d, 18)) return kFailed;

  std::string cartesian = GeodeticToECEF(c[0], c[1], c[2], d[0], d[1]);
  if (cartesian == kFailed) return kFailed;
  AppendNumbers(cartesian, d + 2, 7);
  std::string wgs = HelmertTransform("WGS", cartesian);
  if (wgs == kFailed) return kFailed;
  AppendNumbers(wgs, d + 11, 7);
  const std::string local = HelmertTransform("Local", wgs);
  if (local == kFailed || kind == "XYZ") return local;

  long double xyz[3];
  if (!ReadNumbers(local, xyz, 3)) return kFailed;
  const std::string geographic = ECEFToGeodetic(xyz[0], xyz[1], xyz[2], d[9], d[10]);
  return geographic.empty() ? kFailed : geographic;
}

std::string GeographicToGrid(const std::string& position, const std::string& datumParameters,
                             const std::string& projection, const std::string& ellipsoid) {
  const std::string geographic = DatumTransform("BLH", position + " 0", datumParameters);
  long double latLon[2];
  if (!ReadNumbers(geographic, latLon, 2)) return kFailed;
  return GeodeticToTM(GeneralText(latLon[0]) + " " + GeneralText(latLon[1]), projection, ellipsoid);
}

bool TGridConversion::Setup(const std::string& datumParameters, const std::string& projection,
                            const std::string& ellipsoid) {
  ready_ = false;
  double d[18];
  if (!ReadNumbers(datumParameters, d, 18) || !ReadNumbers(projection, tm_, 5)) return false;
  NumberScanner ell(ellipsoid);
  if (!(ell.SkipWord(20) && ell.SkipWord(20) && ell.Read(a_) && ell.Read(f_))) return false;
  for (int k = 0; k < 2; ++k) {
    const double* p = d + 9 * k;
    datumA_[k] = p[0], datumF_[k] = p[1];
    scale_[k] = 1 + p[2] * 1e-6L;
    RotationMatrix(p[3], p[4], p[5], rotation_[k]);
    shift_[k][0] = p[6], shift_[k][1] = p[7], shift_[k][2] = p[8];
  }
  // Two shifts without any parameter between equal ellipsoids leave every
  // position where it is.
  identity_ = datumA_[0] == datumA_[1] && datumF_[0] == datumF_[1] && UsableEllipsoid(datumA_[0], datumF_[0]);
  for (int i = 2; i < 9 && identity_; ++i) identity_ = d[i] == 0 && d[9 + i] == 0;
  ready_ = true;
  return true;
}

bool TGridConversion::Convert(double latitude, double longitude, double& easting, double& northing) const {
  if (!ready_) return false;
  long double lat = latitude, lon = longitude;
  if (!identity_) {
    long double p[3];
    if (!ToECEF(lat, lon, 0, datumA_[0], datumF_[0], p)) return false;
    // Into WGS 84 with the first shift (P' = s R P + T) ...
    long double w[3];
    HelmertToWGS(scale_[0], rotation_[0], shift_[0], p, w);
    // ... and out of it with the inverse of the second (P = R^T (P' - T) / s).
    long double q[3];
    for (int i = 0; i < 3; ++i)
      q[i] = (rotation_[1][0][i] * (w[0] - shift_[1][0]) + rotation_[1][1][i] * (w[1] - shift_[1][1]) +
              rotation_[1][2][i] * (w[2] - shift_[1][2])) /
             scale_[1];
    long double h;
    if (!ECEFToLatLon(q[0], q[1], q[2], datumA_[1], datumF_[1], lat, lon, h)) return false;
  } else if (!UsableLatitude(lat) || !std::isfinite(lon)) {
    return false;
  }
  long double e, n;
  if (!TMForward(lat, lon, tm_, a_, f_, e, n)) return false;
  easting = static_cast<double>(e), northing = static_cast<double>(n);
  return true;
}

long double TMScaleOrConvergence(const std::string& selector, double a, double f, double latitude,
                                 double longitude, double centralMeridian, double referenceLatitude,
                                 double scaleFactor, double falseEasting, double falseNorthing) {
  const bool scale = selector == "PtScFac";
  if (!scale && selector != "GrdConv") return 0;
  if (!UsableEllipsoid(a, f) || !UsableLatitude(latitude)) return 0;
  const double pi = static_cast<double>(kPi);
  const double lat = latitude * pi / 180;
  const double w = WrapLongitude(longitude * pi / 180 - centralMeridian * pi / 180);
  const double t = std::tan(lat), t2 = t * t, t4 = t2 * t2;
  const double e = std::sqrt((2 - f) * f);
  const double e2 = e * e;
  const double sinLat = std::sin(lat), cosLat = std::cos(lat);
  const double c2 = cosLat * cosLat, c4 = c2 * c2, c6 = c4 * c2;
  const double w2 = w * w, w3 = w2 * w, w4 = w3 * w, w5 = w4 * w, w6 = w5 * w, w7 = w6 * w;
  const double q = 1 - e2 * sinLat * sinLat;
  const double nu = a / std::sqrt(q);
  const double rho = a * (1 - e2) / std::pow(q, 1.5);
  const double psi = nu / rho, psi2 = psi * psi, psi3 = psi2 * psi, psi4 = psi3 * psi;

  double result;
  if (scale) {
    result = scaleFactor * (1 + (w2 / 2) * psi * c2 +
                            (w4 / 24) * c4 * (4 * psi3 * (1 - 6 * t2) + psi2 * (1 + 24 * t2) - 4 * psi * t2) +
                            (w6 / 720) * c6 * (61 - 148 * t2 + 16 * t4));
  } else {
    const double gamma =
        -w * sinLat - (w3 / 3) * sinLat * c2 * (2 * psi2 - psi) -
        (w5 / 15) * sinLat * c4 *
            (psi4 * (11 - 24 * t2) - psi3 * (11 - 36 * t2) + 2 * psi2 * (1 - 7 * t2) + psi * t2) -
        (w7 / 315) * sinLat * c6 * (17 - 26 * t2 + 2 * t4);
    result = gamma * 180 / pi;
  }
  return std::isfinite(result) ? result : 0;
}
