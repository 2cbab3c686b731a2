#include <gtest/gtest.h>

#include "app/formats.h"

namespace {

TEST(Formats, FixedRoundsHalvesAwayFromZero) {
  struct Case { double v; int d; const char* want; };
  for (const Case& c : {Case{1500.125, 2, "1500.13"}, Case{0.5, 0, "1"}, Case{2.5, 0, "3"},
                        Case{-0.005, 2, "-0.01"}, Case{-2.5, 0, "-3"}, Case{1.005, 2, "1.01"},
                        Case{-0.001, 2, "0.00"}, Case{0, 2, "0.00"}, Case{9.995, 2, "10.00"},
                        Case{12.34, 3, "12.340"}, Case{123456789.125, 2, "123456789.13"},
                        Case{0.049, 1, "0.0"}, Case{4512345.67, 2, "4512345.67"}})
    EXPECT_EQ(FormatFixed(c.v, c.d), c.want) << c.v << " " << c.d;
}

TEST(Formats, FloatToStrIsShortestWith15Digits) {
  struct Case { double v; const char* want; };
  for (const Case& c : {Case{0.1, "0.1"}, Case{1e-5, "0.00001"}, Case{1e-6, "1E-6"}, Case{1500, "1500"},
                        Case{-2.25, "-2.25"}, Case{0.0033528106647474, "0.0033528106647474"},
                        Case{1.0 / 3, "0.333333333333333"}, Case{1e20, "1E20"}, Case{0, "0"},
                        Case{123456789012345.0, "123456789012345"}, Case{1.5e-7, "1.5E-7"}})
    EXPECT_EQ(FloatToStr(c.v), c.want) << c.v;
}

TEST(Formats, StrictConversionsReportFailure) {
  double d = -1;
  for (const char* bad : {"", " ", "abc", "1,5", "12.5m", "inf", "nan", "0x10", "."})
    EXPECT_FALSE(TryStrToFloat(bad, d)) << bad;
  EXPECT_TRUE(TryStrToFloat(" 12.5 ", d));
  EXPECT_DOUBLE_EQ(d, 12.5);
  EXPECT_TRUE(TryStrToFloat("-1e3", d));
  EXPECT_DOUBLE_EQ(d, -1000);
  int i = 0;
  for (const char* bad : {"", "1.5", "abc", "99999999999", "12a"})
    EXPECT_FALSE(TryStrToInt(bad, i)) << bad;
  EXPECT_TRUE(TryStrToInt("-42", i));
  EXPECT_EQ(i, -42);
  EXPECT_EQ(StrToIntDef("40x", 40), 40);
}

TEST(Formats, DateAndTimeTexts) {
  const QDateTime t(QDate(2026, 1, 30), QTime(14, 35, 12, 345));
  EXPECT_EQ(FormatDateTime(t), "2026-01-30 143512345");
  EXPECT_EQ(FormatTime(QDateTime(QDate(2026, 3, 5), QTime(9, 5, 59, 7))), "090559007");
}

}  // namespace
