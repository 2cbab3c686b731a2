#include "geodesy/geotext.h"

#include <gtest/gtest.h>

#include <cmath>

using geotext::GeneralText;
using geotext::NumberScanner;
using geotext::ReadNumbers;

TEST(GeneralText, FifteenDigitsFixedOrExponent) {
  const struct {
    long double value;
    const char* text;
  } cases[] = {
      {0.0L, "0"},
      {-0.0L, "0"},
      {41.0L, "41"},
      {-41.123456789012345L, "-41.1234567890123"},
      {0.1, "0.1"},  // the double 0.1 is 0.1000000000000000055...
      {577274.98381300004L, "577274.983813"},
      {0.99999999999999999L, "1"},
      {0.0001L, "0.0001"},
      {0.00009L, "9E-5"},
      {-1.5e-5L, "-1.5E-5"},
      {123456789012345.0L, "123456789012345"},
      {1234567890123456.0L, "1.23456789012346E15"},
      {1e20L, "1E20"},
      {4045649.3209779516L, "4045649.32097795"},
  };
  for (const auto& c : cases) EXPECT_EQ(GeneralText(c.value), c.text) << static_cast<double>(c.value);
}

TEST(NumberScanner, ReadsLikeAFormattedScan) {
  const struct {
    const char* text;
    int wanted;
    bool ok;
  } cases[] = {
      {"41.5 29.25", 2, true},
      {" \t41\t29\r\n", 2, true},
      {"1e2 -3.5E-1 +5 .5", 4, true},
      {"41 29 and more", 2, true},  // trailing tokens are ignored
      {"41 29", 3, false},
      {"", 1, false},
      {"north 29", 1, false},
      {"41,5 29", 2, false},  // the comma ends the scan after 41
      {"12abc 3", 2, false},
      {"inf 1", 1, false},
      {"nan", 1, false},
      {"1e99999", 1, false},
      {"+-5", 1, false},
      {"-", 1, false},
  };
  for (const auto& c : cases) {
    long double values[4];
    EXPECT_EQ(ReadNumbers(c.text, values, c.wanted), c.ok) << c.text;
  }
  long double v[4];
  ASSERT_TRUE(ReadNumbers("1e2 -3.5E-1 +5 .5", v, 4));
  EXPECT_EQ(v[0], 100);
  EXPECT_EQ(v[1], -0.35L);
  EXPECT_EQ(v[2], 5);
  EXPECT_EQ(v[3], 0.5);
  double d;
  ASSERT_TRUE(ReadNumbers("0.1", &d, 1));
  EXPECT_EQ(d, 0.1);  // "%lf" reads a double
}

TEST(NumberScanner, SkipsWordsOfLimitedLength) {
  long double a, f;
  NumberScanner ok("6378137.0 0.0033528106647474 6377563.396 0.0033408506414971");
  EXPECT_TRUE(ok.SkipWord(20) && ok.SkipWord(20) && ok.Read(a) && ok.Read(f));
  EXPECT_EQ(a, 6377563.396L);
  // A word longer than 20 characters takes both skips: the next word is read as a number.
  NumberScanner longWord("abcdefghijklmnopqrstuvwxyz 6377563.396 0.00334");
  EXPECT_TRUE(longWord.SkipWord(20) && longWord.SkipWord(20) && longWord.Read(a) && longWord.Read(f));
  EXPECT_EQ(a, 6377563.396L);
  NumberScanner tooShort("WGS84 6377563.396");
  EXPECT_FALSE(tooShort.SkipWord(20) && tooShort.SkipWord(20) && tooShort.Read(a));
}
