// Text layouts and failure answers of the geodetic routines.
#include "geodesy/geodetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>

namespace {

constexpr long double kPi = 3.141592653589793;
const std::string kWgsEllipsoid = "6378137.0 0.0033528106647474 6378137.0 0.0033528106647474";
const std::string kNullShift = "6378137.0 0.0033528106647474 0 0 0 0 0 0 0 ";
const std::string kWgsNullDatum = kNullShift + kNullShift;
const std::string kUtm35 = "27 0 0.9996 500000 0";
const std::regex kGeneral(R"(-?\d+(\.\d+)?(E-?\d+)?)");

bool IsGeneralPair(const std::string& text) {
  const auto blank = text.find(' ');
  return blank != std::string::npos && std::regex_match(text.substr(0, blank), kGeneral) &&
         std::regex_match(text.substr(blank + 1), kGeneral);
}

std::vector<std::string> Fields(const std::string& text, char separator) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t p; (p = text.find(separator, start)) != std::string::npos; start = p + 1)
    fields.push_back(text.substr(start, p - start));
  fields.push_back(text.substr(start));
  return fields;
}

std::pair<double, double> Pair(const std::string& text) {
  double x = 0, y = 0;
  std::sscanf(text.c_str(), "%lf %lf", &x, &y);
  return {x, y};
}

}  // namespace

TEST(AngleConvert, OneLetterUnitsOnly) {
  EXPECT_NEAR(static_cast<double>(AngleConvert(180, "R")), 3.141592653589793, 1e-15);
  EXPECT_NEAR(static_cast<double>(AngleConvert(180, "r")), 3.141592653589793, 1e-15);
  EXPECT_NEAR(static_cast<double>(AngleConvert(kPi, "d")), 180, 1e-13);
  EXPECT_NEAR(static_cast<double>(AngleConvert(kPi, "D")), 180, 1e-13);
  for (const char* unit : {"rad", "", "deg", " r", "x"}) EXPECT_EQ(AngleConvert(180, unit), 0) << unit;
}

TEST(GeodeticToTM, LayoutAndOrigin) {
  const std::string airy = "6378137.0 0.0033528106647474 6377563.396 0.0033408506414970775";
  const std::string osgb = "-2 49 0.9996012717 400000 -100000";
  const std::string grid = GeodeticToTM("50.5 0.5", osgb, airy);
  EXPECT_TRUE(IsGeneralPair(grid)) << grid;
  // On the central meridian at the reference latitude: exactly the false origin.
  EXPECT_EQ(GeodeticToTM("49 -2", osgb, airy), "400000 -100000");
  // On the central meridian elsewhere: exactly the false easting.
  EXPECT_EQ(Fields(GeodeticToTM("55.25 -2", osgb, airy), ' ')[0], "400000");
}

TEST(GeodeticToTM, BadInputAnswersZero) {
  const struct {
    const char* position;
    std::string projection, ellipsoid;
  } cases[] = {
      {"41", kUtm35, kWgsEllipsoid},
      {"", kUtm35, kWgsEllipsoid},
      {"41,5 29", kUtm35, kWgsEllipsoid},
      {"north 29", kUtm35, kWgsEllipsoid},
      {"91 29", kUtm35, kWgsEllipsoid},
      {"41 29", "27 0 0.9996 500000", kWgsEllipsoid},  // an empty false northing edit
      {"41 29", "", kWgsEllipsoid},
      {"41 29", "27 0 0,9996 500000 0", kWgsEllipsoid},
      {"41 29", kUtm35, "6378137.0 0.0033528106647474 6378137.0"},
      {"41 29", kUtm35, "6378137.0 0.0033528106647474 6378137.0 flattening"},
      {"41 29", kUtm35, "6378137.0 0.0033528106647474 0 0.0033528106647474"},
      {"41 29", kUtm35, "6378137.0 0.0033528106647474 6378137.0 1"},
      {"41 29", kUtm35, "6378137.0 0.0033528106647474 6378137.0 -0.1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GeodeticToTM(c.position, c.projection, c.ellipsoid), "0")
        << c.position << " | " << c.projection << " | " << c.ellipsoid;
}

TEST(GeodeticToTM, LongitudeDifferenceIsWrapped) {
  // 2 degrees west of the central meridian, written four ways.
  const auto expected = Pair(GeodeticToTM("45 25", kUtm35, kWgsEllipsoid));
  for (const auto& [position, projection] : std::vector<std::pair<std::string, std::string>>{
           {"45 -335", kUtm35}, {"45 385", kUtm35}, {"45 179", "-179 0 0.9996 500000 0"}}) {
    const auto got = Pair(GeodeticToTM(position, projection, kWgsEllipsoid));
    EXPECT_NEAR(got.first, expected.first, 1e-6) << position;
    EXPECT_NEAR(got.second, expected.second, 1e-6) << position;
  }
  EXPECT_NEAR(Pair(GeodeticToTM("45 181", "-179 0 0.9996 500000 0", kWgsEllipsoid)).first, 500000, 1e-6);
}

TEST(GeodeticToECEF, LayoutAndBadInput) {
  EXPECT_EQ(GeodeticToECEF(0, 0, 0, 6378137, 0.0033528106647474), "6378137\t0\t0");
  const auto fields = Fields(GeodeticToECEF(41, 29, 0, 6378137, 0.0033528106647474), '\t');
  ASSERT_EQ(fields.size(), 3u);
  for (const auto& f : fields) EXPECT_TRUE(std::regex_match(f, kGeneral)) << f;

  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  EXPECT_EQ(GeodeticToECEF(41, 29, 0, 0, 0.0033528106647474), "0");
  EXPECT_EQ(GeodeticToECEF(41, 29, 0, 6378137, 1), "0");
  EXPECT_EQ(GeodeticToECEF(90.5, 29, 0, 6378137, 0.0033528106647474), "0");
  EXPECT_EQ(GeodeticToECEF(41, nan, 0, 6378137, 0.0033528106647474), "0");
}

TEST(Matrix, SweepInverseAndProduct) {
  // A scaled rotation about Z and X.
  const long double c = std::cos(0.3L), s = std::sin(0.3L), k = 1.00002L;
  GeoMatrix m = {{k * c, k * s, 0}, {-k * s * 0.8L, k * c * 0.8L, k * 0.6L}, {k * s * 0.6L, -k * c * 0.6L, k * 0.8L}};
  GeoMatrix inverse = m;
  MatrixInverse(inverse, 3);
  const GeoMatrix identity = MatrixMultiply(m, 3, 3, inverse, 3, 3);
  ASSERT_EQ(identity.size(), 3u);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(static_cast<double>(identity[i][j]), i == j ? 1.0 : 0.0, 1e-15);

  const GeoMatrix a = {{1, 2, 3}, {4, 5, 6}};
  const GeoMatrix column = {{1}, {0}, {-1}};
  const GeoMatrix product = MatrixMultiply(a, 2, 3, column, 3, 1);
  ASSERT_EQ(product.size(), 2u);
  EXPECT_EQ(product[0][0], -2);
  EXPECT_EQ(product[1][0], -2);
  EXPECT_TRUE(MatrixMultiply(a, 2, 3, column, 4, 1).empty());  // B has 3 rows, not 4
  GeoMatrix freed = product;
  MatrixFree(freed, 2);
  EXPECT_TRUE(freed.empty());
}

TEST(HelmertTransform, LayoutCountAndRoundTrip) {
  EXPECT_EQ(HelmertTransform("WGS", "1 2 3 0 0 0 0 0 0"), "0");  // nine numbers
  EXPECT_EQ(HelmertTransform("WGS", "1 2 3 0 0 0 0 0 0 x"), "0");
  EXPECT_EQ(HelmertTransform("WGS", "1 2 3 0 0 0 0 0 0 0"), "1\t2\t3");
  EXPECT_EQ(HelmertTransform("Local", "1 2 3 0 0 0 0 0 0 0"), "1\t2\t3");

  const std::string start = "4208830.88 -2273324.1 4208830.5";
  const std::string parameters = " -8.3 -2.1 1.5 -5.3 -87.5 -98.1 -121.1";
  const std::string wgs = HelmertTransform("WGS", start + parameters);
  const std::string back = HelmertTransform("Local", wgs + parameters);
  double x, y, z;
  ASSERT_EQ(std::sscanf(back.c_str(), "%lf\t%lf\t%lf", &x, &y, &z), 3) << back;
  EXPECT_NEAR(x, 4208830.88, 1e-7);
  EXPECT_NEAR(y, -2273324.1, 1e-7);
  EXPECT_NEAR(z, 4208830.5, 1e-7);
  // Only "WGS" exactly is the forward direction.
  EXPECT_EQ(HelmertTransform("wgs", start + parameters), HelmertTransform("Local", start + parameters));
}

TEST(ECEFToGeodetic, LayoutPolesAndBadInput) {
  const long double a = 6378137, f = 0.0033528106647474, b = a * (1 - f);
  EXPECT_EQ(ECEFToGeodetic(a, 0, 0, a, f), "0.00000000\t0.00000000\t0.00");
  EXPECT_EQ(ECEFToGeodetic(0, -a - 12.346L, 0, a, f), "0.00000000\t-90.00000000\t12.35");
  EXPECT_EQ(ECEFToGeodetic(-a, 0, 0, a, f), "0.00000000\t180.00000000\t0.00");
  // On the polar axis.
  EXPECT_EQ(ECEFToGeodetic(0, 0, b, a, f), "90.00000000\t0.00000000\t0.00");
  EXPECT_EQ(ECEFToGeodetic(0, 0, -b - 100, a, f), "-90.00000000\t0.00000000\t100.00");
  EXPECT_EQ(ECEFToGeodetic(1e-9L, 0, b + 5, a, f), "90.00000000\t0.00000000\t5.00");

  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  EXPECT_EQ(ECEFToGeodetic(0, 0, 0, a, f), "");  // the centre has no latitude
  EXPECT_EQ(ECEFToGeodetic(a, 0, 0, 0, f), "");
  EXPECT_EQ(ECEFToGeodetic(a, 0, 0, a, 1.5L), "");
  EXPECT_EQ(ECEFToGeodetic(nan, 0, 0, a, f), "");
  // Deep inside the earth the iteration may not settle: it ends either way.
  const std::string inside = ECEFToGeodetic(1e-3L, 0, 1e-3L, a, f);
  EXPECT_TRUE(inside.empty() || Fields(inside, '\t').size() == 3) << inside;
}

TEST(DatumTransform, LayoutsAndBadInput) {
  EXPECT_EQ(DatumTransform("BLH", "41 29 0", kWgsNullDatum), "41.00000000\t29.00000000\t0.00");
  const auto xyz = Fields(DatumTransform("XYZ", "41 29 0", kWgsNullDatum), '\t');
  ASSERT_EQ(xyz.size(), 3u);
  EXPECT_EQ(xyz[0].substr(0, 8), "4216183.");  // cartesian, not geographic
  for (const auto& f : xyz) EXPECT_TRUE(std::regex_match(f, kGeneral)) << f;

  const std::string seventeen = kNullShift + "6378137.0 0.0033528106647474 0 0 0 0 0 0";
  const struct {
    const char* coordinates;
    std::string datum;
    bool cartesianFails;  // the local ellipsoid enters only the geographic result
  } cases[] = {
      {"41 29", kWgsNullDatum, true},
      {"41 29 h", kWgsNullDatum, true},
      {"41,5 29 0", kWgsNullDatum, true},
      {"95 29 0", kWgsNullDatum, true},
      {"41 29 0", seventeen, true},
      {"41 29 0", kNullShift + "6378137.0 0,0033528106647474 0 0 0 0 0 0 0", true},
      {"41 29 0", "6378137.0 1 0 0 0 0 0 0 0 " + kNullShift, true},
      // Beyond the range of a double between the two shifts.
      {"41 29 0", "6378137.0 0.0033528106647474 1e308 0 0 0 0 0 0 " + kNullShift, true},
      {"41 29 0", kNullShift + "0 0.0033528106647474 0 0 0 0 0 0 0", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DatumTransform("BLH", c.coordinates, c.datum), "0") << c.coordinates << " | " << c.datum;
    if (c.cartesianFails) {
      EXPECT_EQ(DatumTransform("XYZ", c.coordinates, c.datum), "0") << c.coordinates << " | " << c.datum;
    }
  }
}

TEST(GeographicToGrid, NullDatumIsPlainProjection) {
  EXPECT_EQ(GeographicToGrid("41 29", kWgsNullDatum, kUtm35, kWgsEllipsoid),
            GeodeticToTM("41 29", kUtm35, kWgsEllipsoid));
  for (const char* position : {"", "41", "41,5 29", "x y", "41 190e999"})
    EXPECT_EQ(GeographicToGrid(position, kWgsNullDatum, kUtm35, kWgsEllipsoid), "0") << position;
  EXPECT_EQ(GeographicToGrid("41 29", kWgsNullDatum, "27 0 0.9996", kWgsEllipsoid), "0");
  EXPECT_EQ(GeographicToGrid("41 29", "", kUtm35, kWgsEllipsoid), "0");
}

TEST(TMScaleOrConvergence, CentralMeridianSelectorsAndWrap) {
  const double a = 6378137, f = 0.0033528106647474;
  EXPECT_EQ(TMScaleOrConvergence("GrdConv", a, f, 41, 27, 27, 0, 0.9996, 500000, 0), 0);
  EXPECT_EQ(TMScaleOrConvergence("PtScFac", a, f, 41, 27, 27, 0, 0.9996, 500000, 0), 0.9996);
  for (const char* selector : {"grdconv", "", "PtScFac ", "Scale"})
    EXPECT_EQ(TMScaleOrConvergence(selector, a, f, 41, 29, 27, 0, 0.9996, 500000, 0), 0) << selector;
  EXPECT_EQ(TMScaleOrConvergence("GrdConv", 0, f, 41, 29, 27, 0, 0.9996, 500000, 0), 0);
  EXPECT_EQ(TMScaleOrConvergence("PtScFac", a, f, 91, 29, 27, 0, 0.9996, 500000, 0), 0);
  // East of the central meridian in the north the convergence is negative.
  EXPECT_LT(TMScaleOrConvergence("GrdConv", a, f, 41, 29, 27, 0, 0.9996, 500000, 0), 0);
  // 3 degrees east, written across the antimeridian.
  for (const char* selector : {"GrdConv", "PtScFac"})
    EXPECT_NEAR(static_cast<double>(TMScaleOrConvergence(selector, a, f, 45, -178, 179, 0, 0.9996, 0, 0)),
                static_cast<double>(TMScaleOrConvergence(selector, a, f, 45, 2, -1, 0, 0.9996, 0, 0)), 1e-12)
        << selector;
}
