#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "app/helpers.h"
#include "app/settingsfile.h"
#include "app/textfile.h"
#include "runtime/geodesylog.h"
#include "tests/support/tempenv.h"

namespace {

std::string Lines(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

std::string Block(const std::string& time, const std::vector<std::string>& values) {
  // values: SMA, IF, name, DTP, rot, shift, ppm, TM, cm line, fe line, LCC, sp, cp, fe
  return Lines({"=== SESSION START: " + time + " ===", "", "--- ELLIPSOID ---",
                "Semi-Major Axis: " + values[0], "Inverse Flattening: " + values[1], "",
                "--- DATUM TRANSFORMATION ---", "Name of Datum: " + values[2], "Use DTP: " + values[3],
                "X/Y/Z Rotation: " + values[4], "X/Y/Z Shift: " + values[5], "Scale PPM: " + values[6], "",
                "--- TRANSVERSE MERCATOR ---", "Use TM: " + values[7], values[8], values[9], "",
                "--- LAMBERT CONFORMAL CONIC ---", "Use LCC: " + values[10], values[11], values[12], values[13],
                "", std::string(40, '-'), ""});
}

class GeodesyLog : public ::testing::Test {
 protected:
  void SetUp() override { QDir().mkpath(QString::fromStdString(DayLogFolder)); }
  TempEnv env;
};

TEST_F(GeodesyLog, FirstStartWritesHeaderAndBlockSecondStartOnlyABlock) {
  IniFile ini;
  const char* s = "GEODETIC_PARAMETERS";
  ini.WriteString(s, "SemiMajorAxis", "6378137");
  ini.WriteString(s, "InverseFlattening", "0.0033528106647474");
  ini.WriteString(s, "Name of Datum", "ED50 Turkey");
  ini.WriteBool(s, "Use DTP", true);
  ini.WriteString(s, "X_Rotation", "0.1");
  ini.WriteString(s, "Y_Rotation", "-0.2");
  ini.WriteString(s, "Z_Rotation", "0.3");
  ini.WriteString(s, "X_Shift", "-84");
  ini.WriteString(s, "Y_Shift", "-107");
  ini.WriteString(s, "Z_Shift", "-120");
  ini.WriteString(s, "Scale_PPM", "1.5");
  ini.WriteString(s, "Use Projection   ", "1");  // padded key names are found too
  ini.WriteString(s, "Central_Meridian", "33");
  ini.WriteString(s, "Reference_Latitude", "0");
  ini.WriteString(s, "Scale_Factor", "0.9996");
  ini.WriteString(s, "False_Easting", "500000");
  ini.WriteString(s, "False_Northing", "0");
  ini.WriteString(s, "cbUseLCCProjection", "0");
  ini.WriteString(s, "eLCCSP1", "40");
  ini.WriteString(s, "eLCCSP2", "42");
  ini.WriteString(s, "eLCCCP", "41");
  ini.WriteString(s, "eLCCM", "35");
  ini.WriteString(s, "eLCCFE", "1000");
  ini.WriteString(s, "eLCCFN", "2000");

  WriteGeodesyLog();
  env.SetNow(QDateTime(QDate(2026, 1, 30), QTime(15, 0, 1, 2)));
  WriteGeodesyLog();

  const std::vector<std::string> v = {"6378137", "0.0033528106647474", "ED50 Turkey", "Yes",
                                      "0.1, -0.2, 0.3", "-84, -107, -120", "1.5", "Yes",
                                      "CM: 33, Ref Lat: 0, SF: 0.9996", "FE: 500000, FN: 0", "No",
                                      "SP1: 40, SP2: 42", "CP: 41, CM: 35", "FE: 1000, FN: 2000"};
  const std::string expected = Lines({"GEODETIC PARAMETERS LOG - 2026-01-30", std::string(40, '='), ""}) +
                               Block("143512345", v) + Block("150001002", v);
  EXPECT_EQ(env.ReadFile(DayLogFolder + "2026-01-30 Geodesy.txt"), expected);
}

TEST_F(GeodesyLog, MissingSectionGivesEmptyValuesAndNo) {
  WriteGeodesyLog();
  const std::vector<std::string> v = {"", "", "", "No", ", , ", ", , ", "", "No", "CM: , Ref Lat: , SF: ",
                                      "FE: , FN: ", "No", "SP1: , SP2: ", "CP: , CM: ", "FE: , FN: "};
  EXPECT_EQ(env.ReadFile(DayLogFolder + "2026-01-30 Geodesy.txt"),
            Lines({"GEODETIC PARAMETERS LOG - 2026-01-30", std::string(40, '='), ""}) + Block("143512345", v));
}

TEST_F(GeodesyLog, AfterMidnightANewFileWithItsHeaderInTheStartDaysFolder) {
  WriteGeodesyLog();
  env.SetNow(QDateTime(QDate(2026, 1, 31), QTime(0, 5, 0, 0)));
  WriteGeodesyLog();
  const std::string next = env.ReadFile(DayLogFolder + "2026-01-31 Geodesy.txt");
  EXPECT_EQ(next.rfind("GEODETIC PARAMETERS LOG - 2026-01-31\r\n", 0), 0u);
  EXPECT_NE(next.find("=== SESSION START: 000500000 ==="), std::string::npos);
  EXPECT_EQ(env.ReadFile(DayLogFolder + "2026-01-30 Geodesy.txt").find("000500000"), std::string::npos);
}

TEST_F(GeodesyLog, AVanishedLogFolderIsMadeAgainAndAnUnwritableOneRaises) {
  const QString folder = QString::fromStdString(DayLogFolder);
  QDir(folder).removeRecursively();  // deleted during the survey
  WriteGeodesyLog();
  EXPECT_EQ(env.ReadFile(DayLogFolder + "2026-01-30 Geodesy.txt").rfind("GEODETIC PARAMETERS LOG", 0), 0u);

  QDir(folder).removeRecursively();
  QFile blocker(folder.endsWith('/') ? folder.chopped(1) : folder);  // a file where the folder should be
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_THROW(WriteGeodesyLog(), std::runtime_error);
}

}  // namespace
