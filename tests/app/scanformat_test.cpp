#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/scanformat.h"

namespace {

using scanformat::Format;

struct ScanCase {
  const char* format;
  const char* input;
  std::vector<double> expected;  // the values stored (their count is the result)
};

// Each row is what sscanf stores for the same format and input.
TEST(SurveyScanFormat, ScansLikeSscanf) {
  const std::vector<ScanCase> cases = {
      // the default echo-sounder formats
      {"%*6s,%lf", "$SDDPT,12.34,0.5*56", {12.34}},
      {"%*6s,%*lf,%*1s,%lf", "$SDDBT,40.5,f,12.3,M,6.7,F*06", {12.3}},
      {"%*8s,%lf,%lf", "$PQSMT01,7.25,12.60", {7.25, 12.6}},
      {"%*8s,%lf,%lf", "$PQSMT01,7.25", {7.25}},  // partial scan
      {"%*8s,%lf,%*8s,%lf", "$PQXDHI1,7.5,$PQXDLO1,8.25", {7.5, 8.25}},
      {"%*8s,%*lf,%*8s,%lf", "$PQXDHI1,7.5,$PQXDLO1,8.25", {8.25}},
      // width of %*s counts non-blank characters; a blank directive skips any blanks
      {"%*7s %lf", "$HEHDT,274.07,T", {274.07}},
      {"%*7s %lf", "$HEHDT,,T", {}},
      {"%*s %lf", "depth:   3.5", {3.5}},
      // scan sets, including a range and ']' first
      {"%*[^,],%*[^,],%lf,%lf", "12:00,4.2,1487.5,9.1", {1487.5, 9.1}},
      {"%*[a-z]%lf", "abc-2.5", {-2.5}},
      {"%*[]x]%lf", "]x]7", {7}},
      {"%*[^,],%lf", ",5", {}},  // a set must take at least one character
      // %*c takes characters without skipping blanks
      {"%*3c%lf", " ab9", {9}},
      // %d stores an integer, %*d and %*u skip one
      {"%d,%lf", "13,1490.25,4", {13, 1490.25}},
      {"%*d,%lf", "x,1", {}},
      {"%*u %lf", "7 8", {8}},
      // literals, %% and white space
      {"D=%lf%%", "D=3%", {3}},
      {"D=%lf", "d=3", {}},
      {" %lf", "\t\r\n 4", {4}},
      // number forms
      {"%lf", "-.5", {-0.5}},
      {"%lf", "+5.", {5}},
      {"%lf", "1.5e2x", {150}},
      {"%lf,%lf", "1e,2", {1}},  // "1e" reads 1 and leaves the 'e'
      {"%lf", ".", {}},
      {"%lf", "1e999", {}},  // out of range
      {"%3lf%lf", "12345", {123, 45}},
      {"%lf", "", {}},
      {"%lf", "   ", {}},
      {"", "12.5", {}},
  };
  for (const ScanCase& c : cases) {
    std::vector<double> values{99, 99};
    const int n = Format(c.format).Scan(c.input, values);
    EXPECT_EQ(n, static_cast<int>(c.expected.size())) << c.format << " on " << c.input;
    EXPECT_EQ(values, c.expected) << c.format << " on " << c.input;
  }
}

// Formats that would make sscanf write past its targets or store something
// other than a double are refused, and a refused format stores nothing.
TEST(SurveyScanFormat, RefusesUnsafeFormats) {
  const std::vector<const char*> refused = {
      "%s",     "%*6s,%s",  "%n",      "%lf%n",   "%c",     "%[^,]",  "%f",      "%Lf",
      "%hd",    "%lld",     "%ld",     "%p",      "%x",     "%i",     "%1$lf",   "%0lf",
      "%lf%",   "%*[^,",    "%*hhd",   "%a",      "%*99999999lf",
  };
  for (const char* f : refused) {
    const Format format(f);
    EXPECT_FALSE(format.ok()) << f;
    EXPECT_FALSE(format.problem().empty()) << f;
    std::vector<double> v;
    EXPECT_EQ(format.Scan("$SDDPT,12.34 abc 5", v), 0) << f;
    EXPECT_TRUE(v.empty()) << f;
  }
  EXPECT_FALSE(Format(std::string(scanformat::kMaxFormatLength + 1, ' ')).ok());
  EXPECT_TRUE(Format(std::string(scanformat::kMaxFormatLength, ' ')).ok());
}

TEST(SurveyScanFormat, UserFormatNeedsExactlyTheRequiredDoubles) {
  struct Row {
    const char* format;
    int required;
    bool usable;
  };
  const std::vector<Row> rows = {
      {"%*6s,%lf", 1, true},          {"%*8s,%lf,%lf", 2, true},  {"%*8s,%lf,%lf", 1, false},
      {"%*6s,%lf", 2, false},         {"", 1, false},             {"%*6s,%d", 1, false},
      {"%*6s,%lf,%lf,%lf", 2, false}, {"%*23s %lf,%lf", 2, true}, {"%*6s,%s", 1, false},
  };
  for (const Row& r : rows) {
    std::string problem;
    EXPECT_EQ(scanformat::CheckUserFormat(Format(r.format), r.required, problem), r.usable) << r.format;
    EXPECT_EQ(problem.empty(), r.usable) << r.format;
  }
}

// Unlike sscanf, only decimal numbers are numbers: a depth field of "inf",
// "nan" or hexadecimal takes nothing (or only its leading decimal digits).
TEST(SurveyScanFormat, OnlyDecimalNumbers) {
  std::vector<double> v;
  EXPECT_EQ(Format("%lf").Scan("inf", v), 0);
  EXPECT_EQ(Format("%lf").Scan("nan", v), 0);
  EXPECT_EQ(Format("%lf,%lf").Scan("0x10,1", v), 1);
  EXPECT_EQ(v, std::vector<double>{0});
}

TEST(SurveyScanFormat, HostileInputStaysBounded) {
  const std::string longLine = "1." + std::string(100000, '0');
  std::vector<double> v;
  EXPECT_EQ(Format("%lf").Scan(longLine, v), 1);
  EXPECT_EQ(v, std::vector<double>{1});
  EXPECT_EQ(Format("%lf").Scan(std::string(400, '9'), v), 0);  // beyond the double range
  EXPECT_EQ(Format("%*s%lf").Scan(longLine, v), 0);
  const std::string blanks(100000, ' ');
  EXPECT_EQ(Format("%lf").Scan(blanks + "1", v), 1);
  EXPECT_EQ(v, std::vector<double>{1});
  EXPECT_EQ(Format("%lf").Scan(std::string("1\0002", 3), v), 1);
}

}  // namespace
