#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/editvalue.h"
#include "runtime/gnssintake.h"

namespace {

TEST(SurveyEditValue, KeepsLastValidValueAndReportsEachBadTextOnce) {
  EditValue draft("Offset A");
  std::string report;
  EXPECT_EQ(draft.Read("", &report), 0);  // empty at first start: 0
  EXPECT_EQ(report, "Offset A is empty; 0 is used.");
  EXPECT_EQ(draft.Read("", &report), 0);
  EXPECT_EQ(report, "");  // once
  EXPECT_EQ(draft.Read(" 0.50 ", &report), 0.5);
  EXPECT_TRUE(draft.LastGood());
  EXPECT_EQ(draft.Read("0.5x", &report), 0.5);
  EXPECT_FALSE(draft.LastGood());
  EXPECT_EQ(report, "Offset A: \"0.5x\" is not a number; 0.5 is used.");
  EXPECT_EQ(draft.Read("0.5x", &report), 0.5);
  EXPECT_EQ(report, "");
  EXPECT_EQ(draft.Read("0.5y", &report), 0.5);  // another bad text is told again
  EXPECT_FALSE(report.empty());
  EXPECT_EQ(draft.Read("0.7", &report), 0.7);
  EXPECT_EQ(draft.Read("0.5y", &report), 0.7);  // bad again after a good text: told again
  EXPECT_FALSE(report.empty());
}

TEST(SurveyEditValue, IntegerAndSilentEmpty) {
  EditValue amount("Amount", EditValue::Kind::Integer, EditValue::Empty::KeepsValue);
  std::string report;
  EXPECT_EQ(amount.ReadInt("3", &report), 3);
  EXPECT_EQ(amount.ReadInt("", &report), 3);
  EXPECT_EQ(report, "");
  EXPECT_EQ(amount.ReadInt("2.5", &report), 3);
  EXPECT_FALSE(report.empty());
  EXPECT_EQ(amount.ReadInt(std::string(500, 'x'), &report), 3);
  EXPECT_LT(report.size(), 100u);  // a long text is cut in the message
}

TEST(SurveyOnceReporter, TellsEachKeyOnceAndStaysBounded) {
  OnceReporter r;
  EXPECT_TRUE(r.First("a"));
  EXPECT_FALSE(r.First("a"));
  r.Forget("a");
  EXPECT_TRUE(r.First("a"));
  for (int i = 0; i < 1000; ++i) r.First(std::to_string(i));
  EXPECT_FALSE(r.First("new after the limit"));
}

TEST(SurveyGnssIntake, HeadingFromHDT) {
  double heading = 1e-9;
  EXPECT_TRUE(gnss::TakeHDT("$HEHDT,274.07,T", heading));
  EXPECT_DOUBLE_EQ(heading, 274.07);
  EXPECT_TRUE(gnss::TakeHDT("$HEHDT,,T*01", heading));  // empty heading keeps
  EXPECT_DOUBLE_EQ(heading, 274.07);
  EXPECT_TRUE(gnss::TakeHDT("$IIHDT,,T", heading));
  EXPECT_DOUBLE_EQ(heading, 274.07);
  EXPECT_TRUE(gnss::TakeHDT("$HEHDT,27", heading));  // cut short by the receiver: keeps
  EXPECT_DOUBLE_EQ(heading, 274.07);
  EXPECT_FALSE(gnss::TakeHDT("$GPGGA,1", heading));
  EXPECT_FALSE(gnss::TakeHDT("$hehdt,12,T", heading));  // case-sensitive
}

TEST(SurveyGnssIntake, SpeedFromRMCAndVTG) {
  struct Row {
    const char* line;
    double before;
    double after;
  };
  const std::vector<Row> rows = {
      {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", 0, 22.4},
      {"$GPRMC,123519,V,,,,,,,230394,,*33", 5, 0},  // no fix: 0
      {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48", 0, 5.5},
      {"$GPVTG,054.7,T,,M,005.5,N,010.2,K", 0, 5.5},  // empty magnetic track
      {"$GPVTG,,T,,M,,N,,K,N*2C", 3, 0},
      {"$GPVTG,054.7,T,,M,5.5*61", 3, 5.5},  // checksum right after the speed
      {"$GPVTG,054.7", 3, 0},
  };
  for (const Row& r : rows) {
    double speed = r.before;
    const std::string line = r.line;
    const bool rmc = gnss::TakeRMCSpeed(line, speed);
    const bool vtg = gnss::TakeVTGSpeed(line, speed);
    EXPECT_TRUE(rmc || vtg) << line;
    EXPECT_DOUBLE_EQ(speed, r.after) << line;
  }
  double speed = 7;
  EXPECT_FALSE(gnss::TakeVTGSpeed("$GPGGA,1", speed));
  EXPECT_EQ(speed, 7);
}

TEST(SurveyGnssIntake, GGATimeCheckAndRtkHeight) {
  struct Row {
    const char* line;
    bool noValid;
    double antenna;  // after; starts 1
    double tide;     // after; starts 2
  };
  const double offsetC = 1.2;
  const std::vector<Row> rows = {
      {"$GPGGA,120000.00,4100.0000,N,02900.0000,E,4,12,0.8,12.5,M,36.1,M,,*5D", false, 48.6, 47.4},
      {"$GPGGA,120000.00,4100.0000,N,02900.0000,E,4,12,0.8,12.5,M,,M,,*47", false, 12.5, 11.3},
      {"$GPGGA,120000.00,4100.0000,N,02900.0000,E,5,12,0.8,12.5,M,36.1,M,,*5C", false, 1, 2},
      {"$GPGGA,120000.00,4100.0000,N,02900.0000,E,4,,0.8,12.5,M,36.1,M,,*5E", false, 1, 2},  // n = 2
      {"$GPGGA,000000.00,4100.0000,N,02900.0000,E,1,12,0.8,12.5,M,36.1,M,,*5B", false, 1, 2},  // midnight
      {"$GPGGA,000000.00,4100.0000,N,02900.0000,E,4,12,0.8,12.5,M,36.1,M,,*5E", false, 48.6, 47.4},
      {"$GPGGA,,4100.0000,N,02900.0000,E,4,12,0.8,12.5,M,36.1,M,,*70", true, 1, 2},  // no time
      {"$GPGGA,120000.00,,,,,0,00,,,M,,M,,*4B", true, 1, 2},                                      // empty GGA
      {"$GPGGA,,,,,,0,,,,,,,,*66", true, 1, 2},
  };
  for (const Row& r : rows) {
    bool noValid = !r.noValid;
    double antenna = 1, tide = 2;
    EXPECT_TRUE(gnss::TakeGGA(r.line, offsetC, noValid, antenna, tide)) << r.line;
    EXPECT_EQ(noValid, r.noValid) << r.line;
    EXPECT_NEAR(antenna, r.antenna, 1e-9) << r.line;
    EXPECT_NEAR(tide, r.tide, 1e-9) << r.line;
  }
}

// A line is of a type only when its address ends in the type: lines that
// mention a type elsewhere neither judge the position nor set heading or speed.
TEST(SurveyGnssIntake, LinesThatOnlyMentionATypeAreNotOfIt) {
  for (const char* line : {"$GNTXT,01,01,02,GGA output rate changed*5C", "$PUBX,40,GGA,0,1,0,0,0,0*5A",
                           "$GNGSA,A,3,GGA,VTG,RMC,HDT,,,,,,,,,1.2,0.8,0.9", "$PXXX,GGA,1", "$GPGGA1,1,2,N,3,E,1",
                           "GGA,120000.00,4100.0000,N,02900.0000,E,4,12", "$HEHDTX,274.07,T", "$GPTXT,HDT 274.07",
                           "$GPTXT,RMC,1,A,,,,,022.4", "$GPTXT,VTG,054.7,T,034.4,M,005.5,N"}) {
    SCOPED_TRACE(line);
    bool noValid = false;
    double antenna = 1, tide = 2, heading = 3, speed = 4;
    EXPECT_FALSE(gnss::TakeGGA(line, 0, noValid, antenna, tide));
    EXPECT_FALSE(gnss::TakeHDT(line, heading));
    EXPECT_FALSE(gnss::TakeRMCSpeed(line, speed));
    EXPECT_FALSE(gnss::TakeVTGSpeed(line, speed));
    EXPECT_FALSE(noValid);
    EXPECT_EQ(antenna, 1);
    EXPECT_EQ(tide, 2);
    EXPECT_EQ(heading, 3);
    EXPECT_EQ(speed, 4);
  }
}

// A GGA that the receiver cut short but ended normally is not whole: it
// neither dates nor judges the position, like the serial component, which
// takes nothing from it either. A whole GGA without a fix still judges it.
TEST(SurveyGnssIntake, AGGAThatIsNotWholeJudgesNothing) {
  for (const char* line : {"$GPGGA,120000.20,5100.6", "$GPGGA,120000.20,5100.6*3A", "$GPGGA,120000.20",
                           "$GPGGA,120000.00,4100.0000,N,02900.0000,E,4,12,0.8"}) {
    SCOPED_TRACE(line);
    bool noValid = false;
    double antenna = 1, tide = 2;
    EXPECT_FALSE(gnss::TakeGGA(line, 0, noValid, antenna, tide));
    EXPECT_FALSE(noValid);
    EXPECT_EQ(antenna, 1);
    EXPECT_EQ(tide, 2);
  }
  bool noValid = false;
  double antenna = 1, tide = 2;
  EXPECT_TRUE(gnss::TakeGGA("$GPGGA,120000.20,,,,,0,00,,,M,,M,,", 0, noValid, antenna, tide));
  EXPECT_TRUE(noValid);
  EXPECT_TRUE(gnss::TakeGGA("$GPGGA,120000.00,4100.0000,N,02900.0000,E,4,12,0.8,12.5", 0, noValid, antenna, tide));
  EXPECT_FALSE(noValid);
  EXPECT_EQ(antenna, 12.5);
}

TEST(SurveyGnssIntake, OffsetsCopyKeepsLastValidValues) {
  gnss::OffsetsCopy copy;
  double a = -1, sv = -1, c = -1, tide = -1;
  auto reports = copy.Take({"", "", "", ""}, a, sv, c, tide);  // first start
  EXPECT_EQ(reports.size(), 4u);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(sv, 0);
  reports = copy.Take({"0.50", "1480", "1.50", "1.00"}, a, sv, c, tide);
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(a, 0.5);
  EXPECT_EQ(sv, 1480);
  EXPECT_EQ(c, 1.5);
  EXPECT_EQ(tide, 1);
  reports = copy.Take({"0.50", "14x0", "1.50", "1.00"}, a, sv, c, tide);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(sv, 1480);
  EXPECT_TRUE(copy.Take({"0.50", "14x0", "1.50", "1.00"}, a, sv, c, tide).empty());
}

TEST(SurveyGnssIntake, ColoursAndKnots) {
  EXPECT_EQ(gnss::FixQualityColor(0), 0x0000FFu);
  EXPECT_EQ(gnss::FixQualityColor(1), 0x0000FFu);
  EXPECT_EQ(gnss::FixQualityColor(2), 0xFFFF00u);
  EXPECT_EQ(gnss::FixQualityColor(4), 0x00FF00u);
  EXPECT_EQ(gnss::FixQualityColor(3), 0x00FFFFu);
  EXPECT_EQ(gnss::FixQualityColor(5), 0x00FFFFu);
  EXPECT_EQ(gnss::KnotsText(18.52), "10.0");
  EXPECT_EQ(gnss::KnotsText(0), "0.0");
}

// A position is current up to three of the receiver's own intervals, and
// at least 2 s; the interval is the median of the last five, so one outage
// or one burst does not stretch or shrink it.
TEST(SurveyPositionAge, CurrentForThreeIntervalsAndAtLeastTwoSeconds) {
  struct Case {
    const char* name;
    std::vector<uint32_t> stamps;
    uint32_t age;  // ms after the last stamp
    bool current;
  };
  const std::vector<Case> cases = {
      {"no position yet", {}, 0, false},
      {"one stamp: the interval counts as 1 s", {1000}, 3000, true},
      {"one stamp, 3.001 s later", {1000}, 3001, false},
      {"10 Hz: 2 s at least", {0, 100, 200, 300}, 1999, true},
      {"10 Hz, 2 s later", {0, 100, 200, 300}, 2000, false},
      {"1 Hz: three intervals", {0, 1000, 2000, 3000}, 3000, true},
      {"1 Hz, just over", {0, 1000, 2000, 3000}, 3001, false},
      {"0.2 Hz: 15 s", {0, 5000, 10000}, 15000, true},
      {"1 Hz after a 10 s outage", {0, 1000, 2000, 3000, 13000}, 3500, false},
      {"1 Hz with a burst", {0, 1000, 1001, 2000, 3000, 4000}, 3000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gnss::PositionAge age;
    for (uint32_t s : c.stamps) age.Stamp(s + 1);
    const uint32_t last = c.stamps.empty() ? 1 : c.stamps.back() + 1;
    EXPECT_EQ(age.Current(last + c.age), c.current);
    age.Forget();
    EXPECT_FALSE(age.Current(last));
  }
}

}  // namespace
