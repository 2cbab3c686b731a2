// Sound-velocity reduction: extraction, 1 m averages, the per-metre column and
// header detection, on small tables and on real probe files.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/helpers.h"
#include "app/textfile.h"
#include "planning/svplists.h"
#include "planning/svpreduce.h"
#include "tests/support/tempenv.h"

using Lines = std::vector<std::string>;

namespace {
Lines ProbeFile(const std::string& name) {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(TestData("svp/" + name), bytes)) << name;
  return SplitTextLines(bytes);
}

// Stage 1 that answers every out-of-range question with OK.
Lines Extract(const Lines& probe, const std::string& format, bool svFirst) {
  return svp::ExtractPairs(probe, format, svFirst, [](double, int) { return true; }).lines;
}
}  // namespace

TEST(SvpReduce, ValidSVKeepsOnly1350To1600) {
  const struct { double in, out; } cases[] = {
      {1349.999, 0}, {1350, 1350}, {1500.25, 1500.25}, {1600, 1600}, {1600.001, 0}, {0, 0}, {-1500, 0}};
  for (const auto& c : cases) EXPECT_EQ(svp::ValidSV(c.in), c.out) << c.in;
}

TEST(SvpReduce, MaxDepthMustBeAWholeNumberInRange) {
  EXPECT_EQ(svp::ParseMaxDepth("200"), 200);
  EXPECT_EQ(svp::ParseMaxDepth(" 0 "), 0);
  try {
    svp::ParseMaxDepth("abc");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
  for (const char* bad : {"", "12.5", "-1", "12001", "99999999999"})
    EXPECT_THROW(svp::ParseMaxDepth(bad), std::runtime_error) << bad;
}

TEST(SvpReduce, UserFormatMustReadExactlyTwoNumbers) {
  EXPECT_EQ(svp::FormatProblem("%*23s %lf,%lf"), "");
  EXPECT_EQ(svp::FormatProblem("%*[^,],%lf,%*[^,],%lf"), "");
  for (const char* bad : {"%s %lf", "%lf", "%lf %lf %lf", "%n%lf%lf", "%f %f", "%lf %lf%"})
    EXPECT_NE(svp::FormatProblem(bad), "") << bad;
}

TEST(SvpReduce, ExtractionOrdersRoundsAndSkips) {
  const Lines probe = {"header line", "", "12.5 1500.1234", "3 1490", "-0.4 1500", "7"};
  EXPECT_EQ(Extract(probe, "%lf %lf", false), (Lines{"13,1500.123", "3,1490.000", "0,1500.000"}));
  EXPECT_EQ(Extract({"1500.5 2.25"}, "%lf %lf", true), (Lines{"2,1500.500"}));
}

TEST(SvpReduce, OutOfRangeSoundVelocityAsksAndCancelStops) {
  const Lines probe = {"1 1500", "2 1700", "3 1501", "4 20", "5 1502"};
  std::vector<std::pair<double, int>> asked;
  auto r = svp::ExtractPairs(probe, "%lf %lf", false, [&](double sv, int line) {
    asked.emplace_back(sv, line);
    return true;
  });
  EXPECT_FALSE(r.cancelled);
  EXPECT_EQ(r.lines, (Lines{"1,1500.000", "3,1501.000", "5,1502.000"}));
  EXPECT_EQ(asked, (std::vector<std::pair<double, int>>{{1700, 1}, {20, 3}}));

  r = svp::ExtractPairs(probe, "%lf %lf", false, [](double, int) { return false; });
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(r.lines, (Lines{"1,1500.000"}));
}

TEST(SvpReduce, AveragesPerMetre) {
  const struct {
    const char* what;
    Lines extracted;
    int maxDepth;
    Lines want;
  } cases[] = {
      {"two samples at 10 give their mean and count 2",
       {"10,1500.000", "10,1502.000"},
       10,
       {"", "", "", "", "", "", "", "", "", "", "10,1501.00,2"}},
      {"a single sample keeps its own text", {"2,1500.125"}, 2, {"", "", "2,1500.125,1"}},
      {"the last line counts once; metres below repeat it with count 0",
       {"0,1500.125"},
       3,
       {"0,1500.125,1", "1,1500.13,0", "2,1500.13,0", "3,1500.13,0"}},
      {"-0 enters line 0, deeper than Max Depth enters nothing",
       {"-0,1500.000", "0,1501.000", "5,1400.000"},
       2,
       {"0,1500.50,2", "", ""}},
      {"a third sample starts from the stored two-decimal mean",
       {"1,1500.001", "1,1500.000", "1,1500.000"},
       1,
       {"", "1,1500.00,3"}},
      {"no usable sample leaves every line empty", {"x", "", "1;1500"}, 2, {"", "", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(svp::AverageByMetre(c.extracted, c.maxDepth), c.want) << c.what;
}

TEST(SvpReduce, ColumnIsTheRunningMeanFromTheSurface) {
  auto r = svp::BuildColumn({"0,1500.00,1", "1,1502.00,1"}, 1);
  EXPECT_EQ(r.status, svp::ColumnResult::Status::Ok);
  EXPECT_EQ(r.column, (Lines{"1500.00", "1501.00"}));

  // A metre without samples and a list shorter than Max Depth carry the last values on.
  r = svp::BuildColumn({"0,1500.00,1", "", "2,1500.00,1"}, 4);
  EXPECT_EQ(r.status, svp::ColumnResult::Status::Ok);
  EXPECT_EQ(r.column, (Lines{"1500.00", "1500.00", "1500.00", "1500.00", "1500.00"}));
}

TEST(SvpReduce, ColumnFailures) {
  auto r = svp::BuildColumn({"", "1,1500.00,1"}, 3);
  EXPECT_EQ(r.status, svp::ColumnResult::Status::BlankTop);
  EXPECT_EQ(r.column, Lines(3));

  r = svp::BuildColumn({"0,1500.00,1", "1,1500.00,1", "2,1300.00,1"}, 2);
  EXPECT_EQ(r.status, svp::ColumnResult::Status::OutOfRange);
  EXPECT_EQ(r.line, 2);
  EXPECT_TRUE(r.column.empty());

  // A metre's value taken from its neighbours is checked like any other.
  r = svp::BuildColumn({"0,1500.00,1", "4,2700.00,1"}, 2);
  EXPECT_EQ(r.status, svp::ColumnResult::Status::OutOfRange);
  EXPECT_EQ(r.line, 1);

  // Line 0 gives a value but names no metre of the column, and nothing deeper does.
  r = svp::BuildColumn({"-3,1500.00,1"}, 2);
  EXPECT_EQ(r.status, svp::ColumnResult::Status::BlankTop);
}

TEST(SvpReduce, ColumnTakesEachValueAtTheMetreItNames) {
  const struct {
    const char* what;
    Lines averaged;
    int maxDepth;
    Lines want;
  } cases[] = {
      {"a deleted point: its metre lies on the line between its neighbours",
       {"0,1500.00,1", "2,1504.00,1", "3,1504.00,1"},
       3,
       {"1500.00", "1501.00", "1502.00", "1502.50"}},
      {"a deleted 0 m point: line 0 takes the 1 m value",
       {"1,1502.00,1", "2,1505.00,1"},
       2,
       {"1502.00", "1502.00", "1503.00"}},
      {"lines in any order", {"2,1504.00,1", "0,1500.00,1"}, 2, {"1500.00", "1501.00", "1502.00"}},
      {"an empty metre of the averaging is interpolated too",
       {"0,1500.00,1", "", "2,1504.00,1"},
       2,
       {"1500.00", "1501.00", "1502.00"}},
      {"below the deepest point: the line to a point past Max Depth",
       {"0,1500.00,1", "4,1508.00,1"},
       2,
       {"1500.00", "1501.00", "1502.00"}},
      {"below the deepest point with none past Max Depth: its value",
       {"0,1500.00,1", "1,1502.00,1"},
       3,
       {"1500.00", "1501.00", "1501.33", "1501.50"}},
      {"two lines for one metre: their mean", {"0,1500.00,1", "0,1502.00,1"}, 0, {"1501.00"}},
      {"a negative depth names no metre", {"0,1500.00,1", "-1,1400.00,1"}, 1, {"1500.00", "1500.00"}},
      {"only a point past Max Depth", {"5,1500.00,1"}, 1, {"1500.00", "1500.00"}},
  };
  for (const auto& c : cases) {
    const auto r = svp::BuildColumn(c.averaged, c.maxDepth);
    EXPECT_EQ(r.status, svp::ColumnResult::Status::Ok) << c.what;
    EXPECT_EQ(r.column, c.want) << c.what;
  }
}

TEST(SvpReduce, HeaderDetection) {
  const struct {
    Lines probe;
    int line;
    char delimiter;
    int sv, depth;
    const char* format;
    bool svFirst;
  } cases[] = {
      {{"Time,Pressure,Temp,SV", "1,2,3,4"}, 0, ',', 3, 1, "%*[^,],%lf,%*[^,],%lf", false},
      {{"# probe", "Sound Velocity\tDepth\t"}, 1, '\t', 0, 1, "%lf\t%lf", true},
      {{"a;svp;b;DEPTH (m)"}, 0, ';', 1, 3, "%*[^;];%lf;%*[^;];%lf", true},
      {{"Depth SV"}, 0, ',', 0, 0, nullptr, false},  // one field names both
      {{"Depth,Temp", "Time,Temp"}, 0, ',', 0, 0, nullptr, false},
  };
  for (const auto& c : cases) {
    const auto h = svp::DetectHeader(c.probe);
    if (!c.format) {
      EXPECT_FALSE(h) << c.probe[0];
      continue;
    }
    ASSERT_TRUE(h) << c.probe[0];
    EXPECT_EQ(h->headerLine, c.line);
    EXPECT_EQ(h->delimiter, c.delimiter);
    EXPECT_EQ(h->svColumn, c.sv);
    EXPECT_EQ(h->depthColumn, c.depth);
    EXPECT_EQ(h->format, c.format);
    EXPECT_EQ(h->svFirst, c.svFirst);
  }
}

TEST(SvpReduce, HeaderDetectionCountsFieldsOfALongHeader) {
  // 100 000 fields of filler before the two named ones.
  std::string header;
  for (int i = 0; i < 100000; ++i) header += "T,";
  header += "Depth,SV,";
  const auto h = svp::DetectHeader({header});
  ASSERT_TRUE(h);
  EXPECT_EQ(h->depthColumn, 100000);
  EXPECT_EQ(h->svColumn, 100001);
  EXPECT_FALSE(h->svFirst);
}

TEST(SvpReduce, DetectionReportInBothLanguages) {
  const auto h = svp::DetectHeader({"x", "Time\tPressure\tTemp\tSV"});
  ASSERT_TRUE(h);
  EXPECT_EQ(svp::DetectionReport(*h, true),
            "Auto-detected format:\n- Header at line: 2\n- Delimiter: TAB\n- SV column: 4\n"
            "- Pressure column: 2\n- Search string: %*[^\t]\t%lf\t%*[^\t]\t%lf");
  EXPECT_EQ(svp::DetectionReport(*h, false),
            "Otomatik algilanan format:\n- Baslik satiri: 2\n- Ayirici: TAB\n- SV sutunu: 4\n"
            "- Basinc sutunu: 2\n- Arama dizesi: %*[^\t]\t%lf\t%*[^\t]\t%lf");
}

TEST(SvpReduce, CastawayCsvFileFromHeaderToColumn) {
  const Lines probe = ProbeFile("11E101663_20120821_122817.csv");
  const auto h = svp::DetectHeader(probe);
  ASSERT_TRUE(h);
  EXPECT_EQ(h->headerLine, 28);
  EXPECT_EQ(h->format, "%*[^,],%lf,%*[^,],%*[^,],%*[^,],%*[^,],%lf");
  EXPECT_FALSE(h->svFirst);

  const Lines extracted = Extract(probe, h->format, h->svFirst);
  ASSERT_EQ(extracted.size(), 75u);
  EXPECT_EQ(extracted.front(), "0,1512.630");
  EXPECT_EQ(extracted.back(), "22,1491.746");

  const Lines averaged = svp::AverageByMetre(extracted, 30);
  ASSERT_EQ(averaged.size(), 31u);
  EXPECT_EQ(averaged[0], "0,1512.64,2");
  EXPECT_EQ(averaged[10], "10,1500.32,3");
  EXPECT_EQ(averaged[22], "22,1491.84,3");
  EXPECT_EQ(averaged[30], "30,1491.84,0");

  const auto column = svp::BuildColumn(averaged, 30);
  ASSERT_EQ(column.status, svp::ColumnResult::Status::Ok);
  ASSERT_EQ(column.column.size(), 31u);
  EXPECT_EQ(column.column[0], "1512.64");
  EXPECT_EQ(column.column[1], "1512.65");
  EXPECT_EQ(column.column[10], "1508.50");
  EXPECT_EQ(column.column[22], "1501.13");
  EXPECT_EQ(column.column[30], "1498.73");
}

TEST(SvpReduce, SwiftTabFileReadsPressureAndSoundVelocity) {
  const Lines probe = ProbeFile("VL_68630_190312155825.vp2");
  const auto h = svp::DetectHeader(probe);
  ASSERT_TRUE(h);
  EXPECT_EQ(h->headerLine, 50);
  EXPECT_EQ(h->delimiter, '\t');
  EXPECT_EQ(h->svColumn, 3);
  EXPECT_EQ(h->depthColumn, 2);  // "Pressure" follows "Depth" and wins
  const Lines extracted = Extract(probe, h->format, h->svFirst);
  ASSERT_EQ(extracted.size(), 33u);
  EXPECT_EQ(extracted.front(), "1,1439.255");
  EXPECT_EQ(extracted.back(), "4,1436.931");
}

TEST(SvpReduce, MiniSvpFileWithoutHeaderNeedsAManualFormat) {
  const Lines probe = ProbeFile("_V000056.TXT");
  EXPECT_FALSE(svp::DetectHeader(probe));
  std::vector<int> asked;
  const auto r = svp::ExtractPairs(probe, "%lf %*lf %lf", false, [&](double sv, int line) {
    EXPECT_EQ(sv, 0);
    asked.push_back(line + 1);
    return true;
  });
  EXPECT_EQ(asked, (std::vector<int>{10, 11, 12, 636, 637, 638}));
  ASSERT_EQ(r.lines.size(), 623u);
  EXPECT_EQ(r.lines.front(), "0,1522.569");
}

TEST(SvpLists, FileTextSplitsAndJoinsLines) {
  EXPECT_EQ(SplitTextLines(""), Lines{});
  EXPECT_EQ(SplitTextLines("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitTextLines("a\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitTextLines("a\r\n\r\nb\rc"), (Lines{"a", "", "b", "c"}));
  // A probe file saved with a UTF-8 byte-order mark keeps its first line readable.
  EXPECT_EQ(SplitTextLines("\xEF\xBB\xBF" "1500.1,2.0\r\n"), (Lines{"1500.1,2.0"}));
  EXPECT_EQ(svp::JoinListText({"0,1500.00,1", ""}), "0,1500.00,1\r\n\r\n");
  EXPECT_TRUE(svp::HasValue({"", " 1500.00"}));
  EXPECT_FALSE(svp::HasValue({"", " \t"}));
}

TEST(SvpLists, StartListPrefersTodaysDatedCopy) {
  TempEnv env;  // 2026-01-30
  MakeDayFolders();
  Lines lines = {"kept"};
  EXPECT_FALSE(svp::LoadStartList(svp::Stage::Column, lines));
  EXPECT_EQ(lines, Lines{"kept"});

  ASSERT_TRUE(WriteFileAtomically(env.ProgramFolder() + "mSVPColumn.ini", "1500.00\r\n"));
  EXPECT_TRUE(svp::LoadStartList(svp::Stage::Column, lines));
  EXPECT_EQ(lines, Lines{"1500.00"});

  EXPECT_EQ(svp::DatedListFile(svp::Stage::Column), DaySVPFolder + "2026-01-30 mSVPColumn.ini");
  ASSERT_TRUE(WriteFileAtomically(DaySVPFolder + "2026-01-30 mSVPColumn.ini", "1490.00\r\n1491.00\r\n"));
  EXPECT_TRUE(svp::LoadStartList(svp::Stage::Column, lines));
  EXPECT_EQ(lines, (Lines{"1490.00", "1491.00"}));
}
