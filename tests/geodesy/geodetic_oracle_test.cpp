// The geodetic routines against PROJ (cct, proj -V).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "geodesy/geodetic.h"
#include "oracle.h"

using oracle::Cct;
using oracle::Num;
using oracle::Row;

namespace {

struct Ellipsoid {
  double a, f;
  std::string Proj() const { return " +a=" + Num(a) + " +f=" + Num(f); }
  std::string Text() const { return Num(a) + " " + Num(f); }
};
const Ellipsoid kWgs84{6378137.0, 0.0033528106647474};
const Ellipsoid kAiry{6377563.396, 1 / 299.3249646};
const Ellipsoid kInternational{6378388.0, 1 / 297.0};
const Ellipsoid kBessel{6377397.155, 1 / 299.1528128};
const Ellipsoid kClarke1866{6378206.4, 1 / 294.9786982138982};
const Ellipsoid kKrassowsky{6378245.0, 1 / 298.3};

// Seven parameters that take a datum into WGS-84: scale (ppm), rotations
// (arc seconds, coordinate-frame signs), translations (m).
struct Shift {
  double ppm, rx, ry, rz, dx, dy, dz;
  std::string Text() const {
    std::string t;
    for (double v : {ppm, rx, ry, rz, dx, dy, dz}) t += Num(v) + " ";
    return t;
  }
  // P' = s R3 R2 R1 P + T as cct steps (forward), or their inverse.
  std::string Proj(bool inverse) const {
    const std::string frame = " +exact +convention=coordinate_frame";
    const std::string inv = inverse ? " +inv" : "";
    const std::string steps[4] = {
        " +step" + inv + " +proj=helmert +rx=" + Num(rx) + frame,
        " +step" + inv + " +proj=helmert +ry=" + Num(ry) + frame,
        " +step" + inv + " +proj=helmert +rz=" + Num(rz) + frame,
        " +step" + inv + " +proj=helmert +s=" + Num(ppm) + " +x=" + Num(dx) + " +y=" + Num(dy) + " +z=" + Num(dz),
    };
    return inverse ? steps[3] + steps[2] + steps[1] + steps[0] : steps[0] + steps[1] + steps[2] + steps[3];
  }
};
const Shift kNull{0, 0, 0, 0, 0, 0, 0};

std::vector<double> Numbers(const std::string& text) {
  std::vector<double> v;
  const char* p = text.c_str();
  char* end;
  for (double x = std::strtod(p, &end); end != p; x = std::strtod(p, &end)) {
    v.push_back(x);
    p = end;
  }
  return v;
}

}  // namespace

TEST(GeodeticOracle, PublishedTransverseMercatorOnAiry) {
  // The first two words of the ellipsoid text are skipped (each at most 20 characters).
  const std::string grid = GeodeticToTM("50.5 0.5", "-2 49 0.9996012717 400000 -100000",
                                        "6378137.0 0.0033528106647474 " + kAiry.Text());
  const auto got = Numbers(grid);
  ASSERT_EQ(got.size(), 2u) << grid;
  const auto cct = Cct("+proj=tmerc +lat_0=49 +lon_0=-2 +k_0=0.9996012717 +x_0=400000 +y_0=-100000" + kAiry.Proj(),
                       {{0.5, 50.5, 0, 0}});
  ASSERT_EQ(cct.size(), 1u);
  EXPECT_NEAR(got[0], cct[0][0], 0.002);
  EXPECT_NEAR(got[1], cct[0][1], 0.002);
  EXPECT_NEAR(got[0], 577274.99, 0.01);  // the published values
  EXPECT_NEAR(got[1], 69740.50, 0.01);
}

TEST(GeodeticOracle, HelmertBothDirections) {
  const struct {
    Shift shift;
    double x, y, z;
  } cases[] = {
      // WGS 72 -> WGS 84: +4.5 m in Z, 0.554" about Z (position-vector sign, so -0.554 here), 0.219 ppm.
      {{0.219, 0, 0, -0.554, 0, 0, 4.5}, 3657660.66, 255768.55, 5201382.11},
      {{-8.3, -2.1, 1.5, -5.3, -87.5, -98.1, -121.1}, 4208830.88, -2273324.1, 4208830.5},
      {{25.0, 40.0, -30.0, 55.0, 600.0, -150.0, 420.0}, -2694892.5, -4297418.2, 3854579.1},
  };
  for (const auto& c : cases) {
    const std::string text = Num(c.x) + " " + Num(c.y) + " " + Num(c.z) + " " + c.shift.Text();
    for (bool inverse : {false, true}) {
      const auto got = Numbers(HelmertTransform(inverse ? "Local" : "WGS", text));
      const auto want = Cct("+proj=pipeline" + c.shift.Proj(inverse), {{c.x, c.y, c.z, 0}});
      ASSERT_EQ(got.size(), 3u);
      ASSERT_EQ(want.size(), 1u);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[0][i], 1e-4) << c.x << (inverse ? " Local" : " WGS");
    }
  }
  const auto wgs84 = Numbers(HelmertTransform("WGS", "3657660.66 255768.55 5201382.11 0.219 0 0 -0.554 0 0 4.5"));
  ASSERT_EQ(wgs84.size(), 3u);
  EXPECT_NEAR(wgs84[0], 3657660.78, 0.01);  // the published values
  EXPECT_NEAR(wgs84[1], 255778.43, 0.01);
  EXPECT_NEAR(wgs84[2], 5201387.75, 0.01);
}

TEST(GeodeticOracle, EcefBothWays) {
  const std::vector<Row> points = {
      {0, 0, 0},         {41, 29, 0},       {-33.9, 18.4, 1200.5}, {60.1, 120, -35},
      {-45.5, -135, 10}, {89.99, 45, 100},  {-89.5, -170.25, 0},   {0.1, 179.999, 5000},
      {90, 0, 250},      {-12.5, -77, -2.5}};
  for (const Ellipsoid& e : {kWgs84, kBessel}) {
    std::vector<Row> lonLat;
    for (const Row& p : points) lonLat.push_back({p[1], p[0], p[2], 0});
    const auto xyz = Cct("+proj=cart" + e.Proj(), lonLat);
    ASSERT_EQ(xyz.size(), points.size());
    for (size_t i = 0; i < points.size(); ++i) {
      const auto got = Numbers(GeodeticToECEF(points[i][0], points[i][1], points[i][2], e.a, e.f));
      ASSERT_EQ(got.size(), 3u);
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], xyz[i][k], 1e-4) << "point " << i << " axis " << k;
    }
    std::vector<Row> cartesian;
    for (const Row& r : xyz) cartesian.push_back({r[0], r[1], r[2], 0});
    cartesian.push_back({0, 0, -6356000, 0});  // on the polar axis
    const auto blh = Cct("+inv +proj=cart" + e.Proj(), cartesian);
    ASSERT_EQ(blh.size(), cartesian.size());
    for (size_t i = 0; i < cartesian.size(); ++i) {
      const std::string text = ECEFToGeodetic(cartesian[i][0], cartesian[i][1], cartesian[i][2], e.a, e.f);
      double lat, lon, h;
      ASSERT_EQ(std::sscanf(text.c_str(), "%lf\t%lf\t%lf", &lat, &lon, &h), 3) << text;
      EXPECT_NEAR(lat, blh[i][1], 1e-8) << text;
      // Longitude is free at the poles.
      if (std::fabs(blh[i][1]) < 89.999) {
        EXPECT_NEAR(lon, blh[i][0], 1e-8) << text;
      }
      EXPECT_NEAR(h, blh[i][2], 0.005) << text;
    }
  }
}

// The whole chain: geographic on the first ellipsoid, first shift into WGS-84,
// second shift out of it, geographic on the local ellipsoid, transverse Mercator.
TEST(GeodeticOracle, GeographicToGridGrid) {
  const struct {
    Ellipsoid first;
    Shift firstShift;
    Ellipsoid local;
    Shift localShift;
    double centralMeridian, referenceLatitude, scaleFactor, falseEasting, falseNorthing;
  } setups[] = {
      {kWgs84, kNull, kWgs84, kNull, 27, 0, 0.9996, 500000, 0},
      {kWgs84, kNull, kInternational, {-1.2, 0.45, -0.15, 0.9, -87, -98, -121}, 9, 0, 0.9996, 500000, 0},
      {kWgs84, kNull, kAiry, {-20.4894, 0.1502, 0.247, 0.8421, 446.448, -125.157, 542.06}, -2, 49, 0.9996012717,
       400000, -100000},
      {kWgs84, kNull, kBessel, {8.3, 4.1, -2.6, 7.9, 582, 105, 414}, 12, 0, 1, 4500000, 0},
      {kWgs84, kNull, kClarke1866, {1.5, -3.0, 2.0, -4.0, -8, 160, 176}, -81, 0, 0.9996, 500000, 10000000},
      {kKrassowsky, {-0.8, -0.35, 0.1, -0.65, 24, -123, -94}, kInternational,
       {-1.2, 0.45, -0.15, 0.9, -87, -98, -121}, 33, 10, 0.9999, 200000, 50000},
  };
  const double latitudes[] = {0, 7.5, 15, 23.25, 31, 38.5, 46, 53.75, 61, 68.5, 76, 80};
  const double offsets[] = {-4, -2.75, -1.2, 0, 0.6, 2.1, 3.4, 4};
  for (const auto& s : setups) {
    std::vector<Row> input;
    for (double lat : latitudes)
      for (double sign : {1.0, -1.0})
        for (double d : offsets) input.push_back({s.centralMeridian + d, sign * lat, 0, 0});
    const std::string pipeline =
        "+proj=pipeline +step +proj=cart" + s.first.Proj() + s.firstShift.Proj(false) + s.localShift.Proj(true) +
        " +step +inv +proj=cart" + s.local.Proj() + " +step +proj=tmerc +lon_0=" + Num(s.centralMeridian) +
        " +lat_0=" + Num(s.referenceLatitude) + " +k_0=" + Num(s.scaleFactor) + " +x_0=" + Num(s.falseEasting) +
        " +y_0=" + Num(s.falseNorthing) + s.local.Proj();
    const auto want = Cct(pipeline, input);
    ASSERT_EQ(want.size(), input.size());

    const std::string datum = s.first.Text() + " " + s.firstShift.Text() + s.local.Text() + " " + s.localShift.Text();
    const std::string projection = Num(s.centralMeridian) + " " + Num(s.referenceLatitude) + " " +
                                   Num(s.scaleFactor) + " " + Num(s.falseEasting) + " " + Num(s.falseNorthing);
    const std::string ellipsoid = "6378137.0 0.0033528106647474 " + s.local.Text();
    for (size_t i = 0; i < input.size(); ++i) {
      const std::string position = Num(input[i][1]) + " " + Num(input[i][0]);
      const std::string grid = GeographicToGrid(position, datum, projection, ellipsoid);
      const auto got = Numbers(grid);
      ASSERT_EQ(got.size(), 2u) << position << " -> " << grid;
      const double error = std::hypot(got[0] - want[i][0], got[1] - want[i][1]);
      EXPECT_LT(error, 0.002) << "CM " << s.centralMeridian << " at " << position << ": " << grid << " vs "
                              << Num(want[i][0]) << " " << Num(want[i][1]);
    }
  }
}

TEST(GeodeticOracle, ConvergenceAndPointScale) {
  const struct {
    Ellipsoid e;
    double centralMeridian, scaleFactor;
  } setups[] = {{kWgs84, 27, 0.9996}, {kAiry, -2, 0.9996012717}, {kBessel, 12, 1}};
  for (const auto& s : setups) {
    std::vector<Row> points;
    for (double lat : {-80.0, -61.5, -45.0, -20.25, -3.0, 0.5, 12.0, 33.3, 50.5, 72.0, 80.0})
      for (double d : {-4.0, -1.5, 0.0, 0.7, 2.9, 4.0}) points.push_back({s.centralMeridian + d, lat});
    const auto factors = oracle::ProjFactors(
        "+proj=tmerc +lon_0=" + Num(s.centralMeridian) + " +k_0=" + Num(s.scaleFactor) + s.e.Proj(), points);
    ASSERT_EQ(factors.size(), points.size());
    for (size_t i = 0; i < points.size(); ++i) {
      const double lon = points[i][0], lat = points[i][1];
      const double k = static_cast<double>(
          TMScaleOrConvergence("PtScFac", s.e.a, s.e.f, lat, lon, s.centralMeridian, 0, s.scaleFactor, 0, 0));
      const double gamma = static_cast<double>(
          TMScaleOrConvergence("GrdConv", s.e.a, s.e.f, lat, lon, s.centralMeridian, 0, s.scaleFactor, 0, 0));
      EXPECT_NEAR(k, factors[i].pointScale, 2e-8) << lat << " " << lon;
      // PROJ counts the convergence positive east of the central meridian in the north; this system negative.
      EXPECT_NEAR(gamma, -factors[i].convergence, 2e-7) << lat << " " << lon;
    }
  }
}
