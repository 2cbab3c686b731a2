#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/helpers.h"
#include "app/textfile.h"
#include "runtime/depthintake.h"
#include "runtime/surveyrecord.h"
#include "tests/support/tempenv.h"

namespace {

using survey::DepthIntake;
using survey::DepthLineInput;
using survey::DepthLineResult;

const std::string kHeader =
    "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True Depth (Lo),"
    "Raw Depth (Hi),Raw Depth (Lo),Message Format,Sound Velocity,Transducer Draft,GPS, RTK Antenna "
    "Height,Manual Tide,RTK Tide\r\n";

// The survey state of a vessel at (0 N, 9 E) on an RTK fix, offsets A 0.50,
// SV 1480, tide 1.00, antenna 1.50 above the water.
DepthLineInput Input(const std::string& type, const std::string& format, const std::string& line) {
  DepthLineInput in;
  in.line = line;
  in.messageType = type;
  in.scanFormat = format;
  in.draftText = "0.50";
  in.depthAlarmText = "1";
  in.svValue = 1480;
  in.tideHt = 1.00;
  in.rtkAntennaHeight = 48.6;
  in.rtkTide = 47.1;
  in.hasPosition = true;
  in.latitude = 0;
  in.longitude = 9;
  in.gridEasting = 500000;
  in.gridNorthing = 1000;
  in.fixQuality = 4;
  return in;
}

std::string Read(const TempEnv& env, const std::string& path) { return env.ReadFile(path); }

TEST(SurveyDepthIntake, DptSoundingIsCorrectedAndRecorded) {
  TempEnv env;
  DepthIntake intake;
  const DepthLineResult r = intake.TakeLine(Input("NMEA DPT", "%*6s,%lf", "$SDDPT,12.34,0.5*56"));
  EXPECT_TRUE(r.knownType);
  EXPECT_TRUE(r.taken);
  EXPECT_EQ(r.labelHi, "12.68");
  EXPECT_EQ(r.labelLo, "0.50");
  EXPECT_DOUBLE_EQ(r.trueHi, 12.34 * 1480 / 1500 + 0.5);
  EXPECT_TRUE(r.recorded);
  EXPECT_TRUE(r.reports.empty());
  EXPECT_EQ(Read(env, CoordinatesFileName),
            kHeader + "2026-01-30 143512345,0,9,500000.00,1000.00,-11.68,0.50,12.68,0.50,12.34,0,NMEA DPT,"
                      "1480.00,0.50,4,48.60,1.00,47.10\r\n");
  EXPECT_EQ(Read(env, DayXYZFolder + "2026-01-30 Simple XYZ.csv"),
            "Easting,Northing,Elevation\r\n500000.00,1000.00,-11.68\r\n");

  // A second line adds only its data line; a line without depth adds nothing.
  intake.TakeLine(Input("NMEA DPT", "%*6s,%lf", "$SDDPT,12.34,0.5*56"));
  const DepthLineResult none = intake.TakeLine(Input("NMEA DPT", "%*6s,%lf", "$SDDPT,,0.5*7C"));
  EXPECT_FALSE(none.taken);
  EXPECT_EQ(none.labelHi, "--.-");
  EXPECT_EQ(none.trueHi, 0);
  const std::string csv = Read(env, CoordinatesFileName);
  EXPECT_EQ(csv.find("Date,"), 0u);
  EXPECT_EQ(csv.rfind("Date,"), 0u);  // the header exactly once
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);
}

// A sounding without a current position is recorded with fix 0 and empty
// position columns (whatever stale values it is given), and has no simple XYZ
// line: that file has no column to tell it by.
TEST(SurveyDepthIntake, SoundingWithoutAPositionHasNoneInTheRecordAndNoXyzLine) {
  TempEnv env;
  DepthIntake intake;
  intake.TakeLine(Input("NMEA DPT", "%*6s,%lf", "$SDDPT,12.34,0.5*56"));
  DepthLineInput in = Input("NMEA DPT", "%*6s,%lf", "$SDDPT,13.00,0.5*56");
  in.hasPosition = false;
  const DepthLineResult r = intake.TakeLine(in);
  EXPECT_TRUE(r.recorded);
  const std::string csv = Read(env, CoordinatesFileName);
  EXPECT_EQ(csv.substr(csv.rfind("\r\n", csv.size() - 3) + 2),
            "2026-01-30 143512345,,,,,-12.33,0.50,13.33,0.50,13,0,NMEA DPT,1480.00,0.50,0,48.60,1.00,47.10\r\n");
  EXPECT_EQ(Read(env, DayXYZFolder + "2026-01-30 Simple XYZ.csv"),
            "Easting,Northing,Elevation\r\n500000.00,1000.00,-11.68\r\n");
}

// A sounder that gives only the low-frequency depth: each sounding is
// recorded with its low-frequency columns (the high-frequency ones, which it
// has no depth for, stay empty) and its low-frequency elevation in the simple
// XYZ file; with the profile, the sound velocity recorded is the low depth's.
TEST(SurveyDepthIntake, LowFrequencySoundingsAreRecordedByTheirLowDepth) {
  TempEnv env;
  DepthIntake intake;
  const std::string format = "%*8s,%*lf,%*8s,%lf";
  DepthLineResult r = intake.TakeLine(Input("Quarix XDR LO", format, "$SDXDR,D,7.50,M,XDHI,D,8.25,M,XDLO"));
  EXPECT_TRUE(r.recorded);
  DepthLineInput in = Input("Quarix XDR LO", format, "$SDXDR,D,7.50,M,XDHI,D,10.40,M,XDLO");
  in.useSVP = true;
  for (int i = 0; i <= 20; ++i) in.svColumn.push_back(std::to_string(1400 + i) + ".00");
  r = intake.TakeLine(in);
  EXPECT_TRUE(r.recorded);
  EXPECT_DOUBLE_EQ(r.svUsed, 1410);
  EXPECT_TRUE(r.reports.empty());
  EXPECT_EQ(Read(env, CoordinatesFileName),
            kHeader +
                "2026-01-30 143512345,0,9,500000.00,1000.00,,-7.64,,8.64,,8.25,Quarix XDR LO,1480.00,0.50,4,48.60,"
                "1.00,47.10\r\n"
                "2026-01-30 143512345,0,9,500000.00,1000.00,,-9.28,,10.28,,10.4,Quarix XDR LO,1410.00,0.50,4,48.60,"
                "1.00,47.10\r\n");
  EXPECT_EQ(Read(env, DayXYZFolder + "2026-01-30 Simple XYZ.csv"),
            "Easting,Northing,Elevation\r\n500000.00,1000.00,-7.64\r\n500000.00,1000.00,-9.28\r\n");
}

// Each type with a matching line, the line without its tag and a partial scan.
TEST(SurveyDepthIntake, RecognitionTable) {
  const std::string odc = "$PODC,B," + std::string(34, '0');  // 42 characters before the depth
  struct Row {
    const char* type;
    const char* format;
    std::string line;
    bool taken;
    double rawHi, rawLo;
    bool recorded;
  };
  const std::vector<Row> rows = {
      {"Quarix SMT", "%*8s,%lf,%lf", "$PQSMT01,7.25,12.60", true, 7.25, 0, true},
      {"Quarix SMT", "%*8s,%lf,%lf", "$PQSMT01,7.25", false, 0, 0, false},  // partial
      {"Quarix SMT", "%*8s,%lf,%lf", "$PQXXX01,7.25,12.60", false, 0, 0, false},
      {"NMEA DPT", "%*6s,%lf", "$SDDPT,12.34,0.5*56", true, 12.34, 0, true},
      {"NMEA DPT", "%*6s,%lf", "$SDDBT,40.5,f,12.3,M,6.7,F*06", false, 0, 0, false},
      {"NMEA DBT", "%*6s,%*lf,%*1s,%lf", "$SDDBT,40.5,f,12.3,M,6.7,F*06", true, 12.3, 0, true},
      {"NMEA DBT", "%*6s,%lf", "$SDDPT,12.34,0.5*56", false, 0, 0, false},
      {"Quarix XDR HI", "%*8s,%lf", "$SDXDR,D,7.50,M,XDHI", true, 7.5, 0, true},
      {"Quarix XDR HI", "%*8s,%lf", "$SDXDR,D,7.50,M,XDLO", false, 0, 0, false},
      {"Quarix XDR LO", "%*8s,%*lf,%*8s,%lf", "$SDXDR,D,7.50,M,XDHI,D,8.25,M,XDLO", true, 0, 8.25, true},
      {"Quarix XDR LO", "%*8s,%*lf,%*8s,%lf", "$SDXDR,D,7.50,M,XDHI,D,0,M,XDLO", true, 0, 0, false},  // depth 0
      {"Quarix XDR LO", "%*8s,%*lf,%*8s,%lf", "$SDXDR,D,7.50,M,XDHI", false, 0, 0, false},
      {"Quarix XDR H/L", "%*8s,%lf,%*8s,%lf", "$SDXDR,D,7.50,M,XDHI,D,8.25,M,XDLO", true, 7.5, 8.25, true},
      {"Quarix XDR H/L", "%*8s,%lf,%*8s,%lf", "$SDXDR,D,7.50,M,XDHI,D,,M,XDLO", false, 0, 0, false},  // partial
      {"ODC HI", "%*42s,%lf", odc + ",12.30", true, 12.3, 0, true},
      {"ODC HI", "%*42s,%lf", "$PODC,A," + std::string(34, '0') + ",12.30", false, 0, 0, false},
      {"OTHER", "depth %lf", "depth 3.5", true, 3.5, 0, true},
      {"OTHER", "depth %lf", "$SDDPT,12.34", false, 0, 0, false},
      {"OTHER", "", "depth 3.5", false, 0, 0, false},
      {"NMEA DPT", "%*6s,%lf", "$SDDPT,0,0.5", true, 0, 0, false},  // depth 0 writes no line
      // Lines that only mention a sentence type or its tags are not of it.
      {"NMEA DPT", "%*6s,%lf", "$SDTXT,DPT,12.34", false, 0, 0, false},
      {"NMEA DPT", "%*6s,%lf", "$PSDPT1,12.34", false, 0, 0, false},
      {"NMEA DBT", "%*6s,%*lf,%*1s,%lf", "$SDTXT,40.5,f,12.3,DBT", false, 0, 0, false},
      {"Quarix XDR HI", "%*8s,%lf", "$SDTXT,D,7.50,M,XDHI", false, 0, 0, false},
      {"Quarix XDR H/L", "%*8s,%lf,%*8s,%lf", "$SDTXT,D,7.50,M,XDHI,D,8.25,M,XDLO", false, 0, 0, false},
  };
  for (const Row& row : rows) {
    TempEnv env;
    DepthIntake intake;
    const DepthLineResult r = intake.TakeLine(Input(row.type, row.format, row.line));
    SCOPED_TRACE(std::string(row.type) + " / " + row.line);
    EXPECT_TRUE(r.knownType);
    EXPECT_EQ(r.taken, row.taken);
    EXPECT_EQ(r.rawHi, row.rawHi);
    EXPECT_EQ(r.rawLo, row.rawLo);
    EXPECT_EQ(r.recorded, row.recorded);
    if (!r.taken) {
      EXPECT_EQ(r.labelHi, "--.-");
      EXPECT_EQ(r.labelLo, "--.-");
      EXPECT_EQ(r.trueHi, 0);
    }
    // The record file always has its header; a data line only when recorded.
    const std::string csv = Read(env, CoordinatesFileName);
    EXPECT_EQ(csv.substr(0, kHeader.size()), kHeader);
    EXPECT_EQ(csv.size() > kHeader.size(), row.recorded);
  }
}

TEST(SurveyDepthIntake, SmtBatteryAndLowDepthAlarm) {
  TempEnv env;
  DepthIntake intake;
  DepthLineResult r = intake.TakeLine(Input("Quarix SMT", "%*8s,%lf,%lf", "$PQSMT01,7.25,12.6"));
  EXPECT_TRUE(r.battery);
  EXPECT_EQ(r.batteryText, "12.60");
  EXPECT_FALSE(r.alarm);
  // XDR LO gives no high depth (not the draft alone); the alarm compares the
  // low depth, the only one this sounder gives (8.64 m).
  DepthLineInput in = Input("Quarix XDR LO", "%*8s,%*lf,%*8s,%lf", "$SDXDR,D,7.50,M,XDHI,D,8.25,M,XDLO");
  for (const auto& [alarmText, alarm] : {std::pair{"0.5", false}, std::pair{"8.6", false}, std::pair{"8.7", true}}) {
    in.depthAlarmText = alarmText;
    r = intake.TakeLine(in);
    EXPECT_FALSE(r.battery);
    EXPECT_EQ(r.trueHi, 0);
    EXPECT_EQ(r.labelHi, "--.-");
    EXPECT_DOUBLE_EQ(r.depth, 8.25 * 1480 / 1500 + 0.5);
    EXPECT_EQ(r.labelLo, "8.64");
    EXPECT_EQ(r.alarm, alarm) << alarmText;
  }
  EXPECT_EQ(r.depthAlarmValue, 8.7);
}

TEST(SurveyDepthIntake, UnknownTypeEndsTheLine) {
  TempEnv env;
  DepthIntake intake;
  const DepthLineResult r = intake.TakeLine(Input("nmea dpt", "%*6s,%lf", "$SDDPT,12.34"));
  EXPECT_FALSE(r.knownType);
  EXPECT_FALSE(r.taken);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(CoordinatesFileName)));
}

TEST(SurveyDepthIntake, UnsafeFormatTakesNoDepthAndIsReportedOnce) {
  TempEnv env;
  DepthIntake intake;
  for (const char* format : {"%*6s,%s", "%*6s,%lf%n", "%*6s,%lf,%lf"}) {
    DepthLineResult r = intake.TakeLine(Input("NMEA DPT", format, "$SDDPT,12.34,0.5*56"));
    EXPECT_FALSE(r.taken) << format;
    ASSERT_EQ(r.reports.size(), 1u) << format;
    EXPECT_NE(r.reports[0].find(format), std::string::npos);
    EXPECT_NE(r.reports[0].find("No depth is taken"), std::string::npos);
    r = intake.TakeLine(Input("NMEA DPT", format, "$SDDPT,12.34,0.5*56"));
    EXPECT_TRUE(r.reports.empty()) << format;
  }
}

TEST(SurveyDepthIntake, BadDraftUsesLastValidValueAndRecordsIt) {
  TempEnv env;
  DepthIntake intake;
  DepthLineInput in = Input("NMEA DPT", "%*6s,%lf", "$SDDPT,15.00");
  in.svValue = 1500;
  in.draftText = "";  // first start: nothing saved yet
  DepthLineResult r = intake.TakeLine(in);
  EXPECT_TRUE(r.recorded);
  EXPECT_EQ(r.labelHi, "15.00");
  ASSERT_EQ(r.reports.size(), 1u);
  in.draftText = "0.80";
  r = intake.TakeLine(in);
  EXPECT_EQ(r.labelHi, "15.80");
  in.draftText = "0.8m";
  r = intake.TakeLine(in);
  EXPECT_EQ(r.labelHi, "15.80");
  EXPECT_EQ(r.reports.size(), 1u);
  r = intake.TakeLine(in);
  EXPECT_TRUE(r.reports.empty());
  // Column 14 holds the draft applied.
  const std::string csv = Read(env, CoordinatesFileName);
  EXPECT_NE(csv.find(",15,0,NMEA DPT,1500.00,0.80,4,"), std::string::npos);
  EXPECT_NE(csv.find(",15,0,NMEA DPT,1500.00,0.00,4,"), std::string::npos);
}

TEST(SurveyDepthIntake, SoundVelocityColumn) {
  const std::vector<std::string> column = {"1500.00", "1490.00", "1480.00", "abc", "1470.00"};
  struct Row {
    double raw;
    bool depthOk;
    double sv;
    bool problem;
  };
  const std::vector<Row> rows = {
      {0, true, 1500, false},    {1.49, true, 1490, false}, {1.5, true, 1480, false},
      {2.5, true, 1455, true},   // line 3 is not a number: the single SV
      {4, true, 1470, false},    {250, true, 1470, true},   // beyond the end: the last line
      {-0.2, false, 1455, true}, {1e300, true, 1470, true},
  };
  for (const Row& r : rows) {
    const survey::ColumnSV c = survey::SoundVelocityFromColumn(column, r.raw, 1455);
    EXPECT_EQ(c.depthOk, r.depthOk) << r.raw;
    EXPECT_EQ(c.soundVelocity, r.sv) << r.raw;
    EXPECT_EQ(!c.problem.empty(), r.problem) << r.raw;
  }
  const survey::ColumnSV empty = survey::SoundVelocityFromColumn({}, 3, 1455);
  EXPECT_TRUE(empty.depthOk);
  EXPECT_EQ(empty.soundVelocity, 1455);
  EXPECT_FALSE(empty.problem.empty());
}

TEST(SurveyDepthIntake, ProfileCorrectionUsesTheColumnLine) {
  TempEnv env;
  DepthIntake intake;
  DepthLineInput in = Input("NMEA DPT", "%*6s,%lf", "$SDDPT,12.5");
  in.useSVP = true;
  in.svValue = 1500;
  for (int i = 0; i <= 20; ++i) in.svColumn.push_back(std::to_string(1400 + i) + ".00");
  DepthLineResult r = intake.TakeLine(in);
  EXPECT_DOUBLE_EQ(r.svUsed, 1413);  // line trunc(12.5 + 0.5) = 13
  EXPECT_DOUBLE_EQ(r.trueHi, 12.5 * 1413 / 1500 + 0.5);
  in.line = "$SDDPT,12.49";
  r = intake.TakeLine(in);
  EXPECT_DOUBLE_EQ(r.svUsed, 1412);
  EXPECT_TRUE(r.reports.empty());
  // Deeper than the column: its last line, reported once, never an error per line.
  in.line = "$SDDPT,40";
  r = intake.TakeLine(in);
  EXPECT_DOUBLE_EQ(r.svUsed, 1420);
  EXPECT_EQ(r.reports.size(), 1u);
  r = intake.TakeLine(in);
  EXPECT_TRUE(r.reports.empty());
  // A negative raw depth takes no depth.
  in.line = "$SDDPT,-1";
  r = intake.TakeLine(in);
  EXPECT_FALSE(r.taken);
  EXPECT_FALSE(r.recorded);
  EXPECT_EQ(r.labelHi, "--.-");
}

TEST(SurveyRecord, AlternativeNamesWhenTheRecordCannotBeOpened) {
  TempEnv env;
  survey::MakeStartDayRecordFolders();
  // A directory in place of the file cannot be opened for appending (a
  // read-only file would not stop a test run as root).
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(CoordinatesFileName)));
  DepthIntake intake;
  DepthLineResult r = intake.TakeLine(Input("NMEA DPT", "%*6s,%lf", "$SDDPT,12.34"));
  EXPECT_TRUE(r.recorded);
  const std::string alt1 = DayLogFolder + "2026-01-30 Coordinates_1.csv";
  EXPECT_EQ(Read(env, alt1).substr(0, kHeader.size()), kHeader);
  ASSERT_TRUE(QFile::remove(QString::fromStdString(alt1)));
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(alt1)));
  r = intake.TakeLine(Input("NMEA DPT", "%*6s,%lf", "$SDDPT,12.34"));
  EXPECT_TRUE(r.recorded);
  EXPECT_NE(Read(env, DayLogFolder + "2026-01-30 Coordinates_2.csv").find("NMEA DPT"), std::string::npos);
  EXPECT_EQ(survey::AlternativeFileName("/a.b/c", 3), "/a.b/c_3");
  EXPECT_EQ(survey::AlternativeFileName("/x/2026 Coordinates.csv", 99), "/x/2026 Coordinates_99.csv");
}

TEST(SurveyRecord, MissingLogFolderIsMadeAgain) {
  TempEnv env;
  ASSERT_FALSE(QDir(QString::fromStdString(DayLogFolder)).exists());
  DepthIntake intake;
  DepthLineResult r = intake.TakeLine(Input("NMEA DPT", "%*6s,%lf", "$SDDPT,12.34"));
  EXPECT_TRUE(r.recorded);
  EXPECT_TRUE(r.reports.empty());
  EXPECT_NE(Read(env, DayXYZFolder + "2026-01-30 Simple XYZ.csv").find("500000.00"), std::string::npos);
  // Removed while the survey runs: made again for the next line.
  QDir(QString::fromStdString(DayFolder)).removeRecursively();
  r = intake.TakeLine(Input("NMEA DPT", "%*6s,%lf", "$SDDPT,12.34"));
  EXPECT_TRUE(r.recorded);
  EXPECT_EQ(Read(env, CoordinatesFileName).substr(0, kHeader.size()), kHeader);
}

TEST(SurveyRecord, UnwritableFolderIsReportedOnce) {
  TempEnv env;
  // A file where the day folder should be: nothing can be made or opened.
  QDir().mkpath(QString::fromStdString(env.Home() + "QVT"));
  std::string dayFolder = DayFolder;
  dayFolder.pop_back();
  QFile blocker(QString::fromStdString(dayFolder));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  DepthIntake intake;
  DepthLineResult r = intake.TakeLine(Input("NMEA DPT", "%*6s,%lf", "$SDDPT,12.34"));
  EXPECT_FALSE(r.recorded);
  EXPECT_TRUE(r.taken);  // the depth is still shown
  ASSERT_EQ(r.reports.size(), 1u);
  EXPECT_NE(r.reports[0].find(CoordinatesFileName), std::string::npos);
  r = intake.TakeLine(Input("NMEA DPT", "%*6s,%lf", "$SDDPT,12.34"));
  EXPECT_TRUE(r.reports.empty());
  // Once the folder can be made again the records resume, and a later failure is told again.
  QFile::remove(QString::fromStdString(dayFolder));
  r = intake.TakeLine(Input("NMEA DPT", "%*6s,%lf", "$SDDPT,12.34"));
  EXPECT_TRUE(r.recorded);
}

}  // namespace

namespace {
// A disk that fills: writes stop half-way through the block while full is set.
bool diskFull = false;
ssize_t WriteOnAFillingDisk(int fd, const void* data, size_t size) {
  if (!diskFull) return ::write(fd, data, size);
  if (size > 1) return ::write(fd, data, size / 2);
  errno = ENOSPC;
  return -1;
}
}  // namespace

TEST(SurveyDepthIntake, AWriteThatFailsPartWayLeavesOnlyWholeLinesAndBothMomentsAreTold) {
  TempEnv env;
  DepthIntake intake;
  SetAppendWriteForTests(WriteOnAFillingDisk);
  const auto line = [](int i) { return "$SDDPT," + std::to_string(10 + i) + ".25,0.5*00"; };
  std::vector<std::string> reports;
  for (int i = 0; i < 6; ++i) {
    diskFull = i == 2 || i == 3;
    const DepthLineResult r = intake.TakeLine(Input("NMEA DPT", "%*6s,%lf", line(i)));
    EXPECT_EQ(r.recorded, !diskFull) << i;
    reports.insert(reports.end(), r.reports.begin(), r.reports.end());
  }
  SetAppendWriteForTests(nullptr);
  diskFull = false;

  for (const std::string& file : {CoordinatesFileName, survey::SimpleXYZFileName()}) {
    const std::vector<std::string> lines = SplitTextLines(Read(env, file));
    ASSERT_EQ(lines.size(), 5u) << file;  // header and the four soundings that could be written
    const auto fields = [](const std::string& l) { return std::count(l.begin(), l.end(), ','); };
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(fields(lines[i]), fields(lines[0])) << file << ": " << lines[i];
  }
  EXPECT_EQ(Read(env, CoordinatesFileName).find("12.25"), std::string::npos);
  ASSERT_EQ(reports.size(), 4u);  // each record: stopped once, resumed once
  EXPECT_NE(reports[0].find("cannot be written"), std::string::npos);
  EXPECT_NE(reports[2].find("is written again"), std::string::npos);
}
