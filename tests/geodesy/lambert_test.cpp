#include "geodesy/lambert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "oracle.h"

using oracle::Num;
using oracle::Row;

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDeg = kPi / 180;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kClarkeA = 6378206.4, kClarkeF = 1 / 294.9786982138982;
constexpr double kWgsA = 6378137.0, kWgsF = 0.0033528106647474;
constexpr double kUsFoot = 1200.0 / 3937.0;

struct Lcc1 {
  double a, f, lat0, lon0, fe, fn, k0;
  bool operator==(const Lcc1&) const = default;
};
Lcc1 GetLcc1() {
  Lcc1 p;
  GetLCC1Parameters(p.a, p.f, p.lat0, p.lon0, p.fe, p.fn, p.k0);
  return p;
}
struct Lcc2 {
  double a, f, lat0, lon0, sp1, sp2, fe, fn;
  bool operator==(const Lcc2&) const = default;
};
Lcc2 GetLcc2() {
  Lcc2 p;
  GetLCC2Parameters(p.a, p.f, p.lat0, p.lon0, p.sp1, p.sp2, p.fe, p.fn);
  return p;
}

// The published examples: Jamaica 1969 (one parallel) and Texas South Central (two).
double SetJamaica(int* errors = nullptr) {
  return SetLCC1Parameters(kClarkeA, kClarkeF, 18 * kDeg, -77 * kDeg, 250000, 150000, 1.0, errors);
}
double SetTexas(int* errors = nullptr) {
  return SetLCC2Parameters(kClarkeA, kClarkeF, (27 + 50 / 60.0) * kDeg, -99 * kDeg, (28 + 23 / 60.0) * kDeg,
                           (30 + 17 / 60.0) * kDeg, 2000000 * kUsFoot, 0, errors);
}

class Lambert : public ::testing::Test {
 protected:
  void SetUp() override { ResetLCCParameters(); }
};

}  // namespace

TEST_F(Lambert, InitialStateAndRejectedZeroOrigin) {
  EXPECT_EQ(GetLcc1(), (Lcc1{6378137.0, 0.0033528106647474805, 0.7853981633974483, 0, 0, 0, 1.0}));
  EXPECT_EQ(GetLcc2(), (Lcc2{6378137.0, 0.0033528106647474805, 0.7853981633974483, 0, 0.6981317007977318,
                             0.8726646259971648, 0, 0}));
  int errors = -1;
  EXPECT_EQ(SetLCC1Parameters(kWgsA, kWgsF, 0, 0, 0, 0, 1, &errors), 0.70710678118655);
  EXPECT_EQ(errors, 0x10);
  EXPECT_EQ(GetLcc1().lat0, 0.7853981633974483);
}

TEST_F(Lambert, OneParallelSetupRejections) {
  const double held = SetJamaica();
  ASSERT_NEAR(held, std::sin(18 * kDeg), 1e-15);
  const Lcc1 before = GetLcc1();
  const struct {
    Lcc1 p;
    int bits;
  } cases[] = {
      {{0, kWgsF, 0.5, 0, 0, 0, 1}, 0x80},
      {{-1, kWgsF, 0.5, 0, 0, 0, 1}, 0x80},
      {{kNaN, kWgsF, 0.5, 0, 0, 0, 1}, 0x80},
      {{kWgsA, 0.01, 0.5, 0, 0, 0, 1}, 0x100},  // 1/f = 100
      {{kWgsA, 0, 0.5, 0, 0, 0, 1}, 0x100},
      {{kWgsA, kWgsF, 0.5, 0, 0, 0, 0.2}, 0x40},
      {{kWgsA, kWgsF, 0.5, 0, 0, 0, 3.5}, 0x40},
      {{kWgsA, kWgsF, 0.5, 7, 0, 0, 1}, 0x20},
      {{kWgsA, kWgsF, 0.5, -3.2, 0, 0, 1}, 0x20},
      {{kWgsA, kWgsF, 0, 0, 0, 0, 1}, 0x10},
      {{kWgsA, kWgsF, 1.5708, 0, 0, 0, 1}, 0x10},  // beyond 89d59'59"
      {{0, kWgsF, 0.5, 0, 0, 0, 5}, 0xC0},
  };
  for (const auto& c : cases) {
    int errors = -1;
    EXPECT_EQ(SetLCC1Parameters(c.p.a, c.p.f, c.p.lat0, c.p.lon0, c.p.fe, c.p.fn, c.p.k0, &errors), held);
    EXPECT_EQ(errors, c.bits) << c.p.a << " " << c.p.f << " " << c.p.lat0 << " " << c.p.lon0 << " " << c.p.k0;
    EXPECT_EQ(GetLcc1(), before);
  }
  int errors = -1;
  EXPECT_EQ(SetLCC1Parameters(kWgsA, kWgsF, -1.5707914786580854, 0, 0, 0, 1, &errors),
            std::sin(-1.5707914786580854));
  EXPECT_EQ(errors, 0);
  // A central meridian above pi is kept less a full turn.
  SetLCC1Parameters(kWgsA, kWgsF, 0.5, 4, 0, 0, 1, &errors);
  EXPECT_EQ(errors, 0);
  EXPECT_EQ(GetLcc1().lon0, 4 - 2 * kPi);
}

TEST_F(Lambert, TwoParallelSetupRejections) {
  const double held = SetJamaica();
  const Lcc1 before1 = GetLcc1();
  const Lcc2 before2 = GetLcc2();
  const struct {
    Lcc2 p;
    int bits;
  } cases[] = {
      {{kWgsA, kWgsF, 0.5, 0, 0, 0, 0, 0}, 0xC00},  // 0 is also -0
      {{kWgsA, kWgsF, 0.5, 0, 30 * kDeg, -30 * kDeg, 0, 0}, 0x400},
      {{0, kWgsF, 0.5, 0, 0.4, 0.6, 0, 0}, 0x100},
      {{kWgsA, 0.01, 0.5, 0, 0.4, 0.6, 0, 0}, 0x200},
      {{kWgsA, kWgsF, 0.5, 7, 0.4, 0.6, 0, 0}, 0x80},
      {{kWgsA, kWgsF, 1.6, 0, 0.4, 0.6, 0, 0}, 0x40},
      {{kWgsA, kWgsF, 0.5, 0, 0.4, -1.6, 0, 0}, 0x20},
      {{kWgsA, kWgsF, 0.5, 0, kNaN, 0.6, 0, 0}, 0x10},
      // Accepted by the two-parallel checks, but the equivalent one-parallel form is not.
      {{kWgsA, kWgsF, 0.1, 0, -80 * kDeg, 85 * kDeg, 0, 0}, kLcc2DerivedRejected},
  };
  for (const auto& c : cases) {
    int errors = -1;
    EXPECT_EQ(SetLCC2Parameters(c.p.a, c.p.f, c.p.lat0, c.p.lon0, c.p.sp1, c.p.sp2, c.p.fe, c.p.fn, &errors), held);
    EXPECT_EQ(errors, c.bits) << c.p.a << " " << c.p.f << " " << c.p.lat0 << " " << c.p.sp1 << " " << c.p.sp2;
    EXPECT_EQ(GetLcc1(), before1);
    EXPECT_EQ(GetLcc2(), before2);
  }
}

TEST_F(Lambert, CoincidentParallelsAreTheOneParallelForm) {
  int errors = -1;
  const double n = SetLCC2Parameters(kWgsA, kWgsF, 0.3, 0.2, 45 * kDeg, 45 * kDeg, 1000, 2000, &errors);
  EXPECT_EQ(errors, 0);
  EXPECT_EQ(n, std::sin(45 * kDeg));
  EXPECT_EQ(GetLcc1(), (Lcc1{kWgsA, kWgsF, 45 * kDeg, 0.2, 1000, 2000, 1.0}));
}

TEST_F(Lambert, TwoParallelConversionLoadsItsOneParallelForm) {
  int errors = -1;
  const double n = SetTexas(&errors);
  ASSERT_EQ(errors, 0);
  double e2 = 0, n2 = 0, e1 = 0, n1 = 0;
  ASSERT_EQ(GeodeticToLCC2(28.5 * kDeg, -96 * kDeg, e2, n2), 0);
  const Lcc1 derived = GetLcc1();
  EXPECT_NEAR(derived.lat0, std::asin(n), 1e-15);
  EXPECT_NE(derived.k0, 1.0);
  EXPECT_NE(derived.fn, 0.0);
  ASSERT_EQ(GeodeticToLCC1(28.5 * kDeg, -96 * kDeg, e1, n1), 0);
  EXPECT_EQ(e1, e2);
  EXPECT_EQ(n1, n2);
  // The inverse's northing range is centred on the derived false northing.
  double lat = 7, lon = 7;
  EXPECT_EQ(LCC2ToGeodetic(2000000 * kUsFoot, derived.fn + 40000001, lat, lon), kLccNorthingError);
  EXPECT_EQ(LCC2ToGeodetic(2000000 * kUsFoot - 40000001, derived.fn, lat, lon), kLccEastingError);
  EXPECT_EQ(lat, 7);
  EXPECT_EQ(lon, 7);
}

TEST_F(Lambert, ForwardEdgeCases) {
  SetJamaica();
  double e = 0, n = 0;
  ASSERT_EQ(GeodeticToLCC1(18 * kDeg, -77 * kDeg, e, n), 0);
  EXPECT_EQ(e, 250000);
  EXPECT_EQ(n, 150000);
  // Out of range: bits, outputs untouched.
  const struct {
    double lat, lon;
    int bits;
  } cases[] = {{-kPi / 2, 0, 0x01}, {1.6, 0, 0x01}, {kNaN, 0, 0x01},  {0.3, -3.2, 0x02},
               {0.3, 6.3, 0x02},    {2, 7, 0x03},    {0.3, kNaN, 0x02}};
  for (const auto& c : cases) {
    double outE = 1, outN = 2;
    EXPECT_EQ(GeodeticToLCC1(c.lat, c.lon, outE, outN), c.bits) << c.lat << " " << c.lon;
    EXPECT_EQ(outE, 1);
    EXPECT_EQ(outN, 2);
  }
  // 190 degrees east of the central meridian is 170 degrees west of it.
  double e190 = 0, n190 = 0, e170 = 0, n170 = 0;
  ASSERT_EQ(GeodeticToLCC1(20 * kDeg, (-77 + 190) * kDeg, e190, n190), 0);
  ASSERT_EQ(GeodeticToLCC1(20 * kDeg, (-77 - 170) * kDeg + 2 * kPi, e170, n170), 0);
  EXPECT_NEAR(e190, e170, 1e-6);
  EXPECT_NEAR(n190, n170, 1e-6);
}

TEST_F(Lambert, InverseRangesAndRoundTrip) {
  SetJamaica();
  double lat = 7, lon = 7;
  EXPECT_EQ(LCC1ToGeodetic(250000 + 40000001, 150000, lat, lon), kLccEastingError);
  EXPECT_EQ(LCC1ToGeodetic(250000, 150000 - 40000001, lat, lon), kLccNorthingError);
  EXPECT_EQ(LCC1ToGeodetic(kNaN, kNaN, lat, lon), kLccEastingError | kLccNorthingError);
  EXPECT_EQ(lat, 7);
  EXPECT_EQ(lon, 7);

  // North and south cones.
  for (double origin : {18.0, -35.0}) {
    SetLCC1Parameters(kWgsA, kWgsF, origin * kDeg, 149 * kDeg, 500000, 1000000, 0.9999);
    for (double dLat : {-15.0, -4.5, 0.0, 3.25, 12.0})
      for (double dLon : {-20.0, -3.0, 0.0, 0.5, 17.5}) {
        const double inLat = (origin + dLat) * kDeg, inLon = (149 + dLon) * kDeg;
        double e = 0, n = 0, outLat = 0, outLon = 0;
        ASSERT_EQ(GeodeticToLCC1(inLat, inLon, e, n), 0);
        ASSERT_EQ(LCC1ToGeodetic(e, n, outLat, outLon), 0);
        EXPECT_NEAR(outLat, inLat, 4.85e-10) << origin << " " << dLat << " " << dLon;
        EXPECT_NEAR(outLon, inLon, 1e-12) << origin << " " << dLat << " " << dLon;
      }
  }
}

TEST_F(Lambert, PublishedExamplesAgainstCct) {
  const std::string clarke = " +a=" + Num(kClarkeA) + " +f=" + Num(kClarkeF);
  double e = 0, n = 0;
  SetJamaica();
  const double jamaicaLat = (17 + 55 / 60.0 + 55.80 / 3600) * kDeg;
  const double jamaicaLon = -(76 + 56 / 60.0 + 37.26 / 3600) * kDeg;
  ASSERT_EQ(GeodeticToLCC1(jamaicaLat, jamaicaLon, e, n), 0);
  auto want = oracle::Cct("+proj=lcc +lat_1=18 +lat_0=18 +lon_0=-77 +k_0=1 +x_0=250000 +y_0=150000" + clarke,
                          {{jamaicaLon / kDeg, jamaicaLat / kDeg, 0, 0}});
  ASSERT_EQ(want.size(), 1u);
  EXPECT_NEAR(e, want[0][0], 0.001);
  EXPECT_NEAR(n, want[0][1], 0.001);
  EXPECT_NEAR(e, 255966.58, 0.01);
  EXPECT_NEAR(n, 142493.51, 0.01);

  SetTexas();
  ASSERT_EQ(GeodeticToLCC2(28.5 * kDeg, -96 * kDeg, e, n), 0);
  want = oracle::Cct("+proj=lcc +lat_0=" + Num(27 + 50 / 60.0) + " +lon_0=-99 +lat_1=" + Num(28 + 23 / 60.0) +
                         " +lat_2=" + Num(30 + 17 / 60.0) + " +x_0=" + Num(2000000 * kUsFoot) + " +y_0=0" + clarke,
                     {{-96, 28.5, 0, 0}});
  ASSERT_EQ(want.size(), 1u);
  EXPECT_NEAR(e, want[0][0], 0.001);
  EXPECT_NEAR(n, want[0][1], 0.001);
  EXPECT_NEAR(e / kUsFoot, 2963503.91, 0.01);
  EXPECT_NEAR(n / kUsFoot, 254759.80, 0.01);
}

// Forward against cct, and the inverse of cct's grid back to the position.
TEST_F(Lambert, GeneratedGridAgainstCct) {
  const struct {
    double a, f, lat0, lon0, sp1, sp2, fe, fn, k0;  // sp1 = sp2 = 0: the one-parallel form
  } setups[] = {
      {kClarkeA, kClarkeF, 18, -77, 0, 0, 250000, 150000, 1.0},
      {kWgsA, kWgsF, -35, 149, 0, 0, 500000, 1000000, 0.9999},
      {kWgsA, kWgsF, 62, 25, 0, 0, 3500000, 0, 1.0002},
      {kClarkeA, kClarkeF, 27 + 50 / 60.0, -99, 28 + 23 / 60.0, 30 + 17 / 60.0, 2000000 * kUsFoot, 0, 0},
      {kWgsA, 1 / 298.257222101, 52, 10, 35, 65, 4000000, 2800000, 0},
      {kWgsA, kWgsF, -32, 135, -28, -36, 1000000, 2000000, 0},
      {6378388.0, 1 / 297.0, 46.8, 2.337229167, 45.8989188889, 47.6960144444, 600000, 2200000, 0},
  };
  for (const auto& s : setups) {
    const bool twoParallels = s.sp1 != 0 || s.sp2 != 0;
    int errors = -1;
    if (twoParallels)
      SetLCC2Parameters(s.a, s.f, s.lat0 * kDeg, s.lon0 * kDeg, s.sp1 * kDeg, s.sp2 * kDeg, s.fe, s.fn, &errors);
    else
      SetLCC1Parameters(s.a, s.f, s.lat0 * kDeg, s.lon0 * kDeg, s.fe, s.fn, s.k0, &errors);
    ASSERT_EQ(errors, 0);
    const std::string parallels = twoParallels ? " +lat_1=" + Num(s.sp1) + " +lat_2=" + Num(s.sp2)
                                               : " +lat_1=" + Num(s.lat0) + " +k_0=" + Num(s.k0);
    const std::string operation = "+proj=lcc +lat_0=" + Num(s.lat0) + " +lon_0=" + Num(s.lon0) + parallels +
                                  " +x_0=" + Num(s.fe) + " +y_0=" + Num(s.fn) + " +a=" + Num(s.a) + " +f=" + Num(s.f);
    std::vector<Row> input;
    for (double dLat : {-12.0, -5.5, 0.0, 2.25, 9.0, 14.0})
      for (double dLon : {-15.0, -6.0, -0.5, 0.0, 4.0, 11.5}) input.push_back({s.lon0 + dLon, s.lat0 + dLat, 0, 0});
    const double pole = s.lat0 > 0 ? 90 : -90;  // the pole the cone reaches
    input.push_back({s.lon0 + 30, pole, 0, 0});
    const auto want = oracle::Cct(operation, input);
    ASSERT_EQ(want.size(), input.size());
    for (size_t i = 0; i < input.size(); ++i) {
      const double lat = input[i][1] * kDeg, lon = input[i][0] * kDeg;
      double e = 0, n = 0;
      ASSERT_EQ(twoParallels ? GeodeticToLCC2(lat, lon, e, n) : GeodeticToLCC1(lat, lon, e, n), 0);
      EXPECT_NEAR(e, want[i][0], 0.001) << operation << " at " << input[i][1] << " " << input[i][0];
      EXPECT_NEAR(n, want[i][1], 0.001) << operation << " at " << input[i][1] << " " << input[i][0];
      if (std::fabs(input[i][1]) == 90) continue;
      double outLat = 0, outLon = 0;
      ASSERT_EQ(twoParallels ? LCC2ToGeodetic(want[i][0], want[i][1], outLat, outLon)
                             : LCC1ToGeodetic(want[i][0], want[i][1], outLat, outLon),
                0);
      EXPECT_NEAR(outLat, lat, 1e-10) << operation << " at " << input[i][1] << " " << input[i][0];
      EXPECT_NEAR(outLon, lon, 1e-10) << operation << " at " << input[i][1] << " " << input[i][0];
    }
  }
}
