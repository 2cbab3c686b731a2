// The DXF text rules: trimming, numbers, colours, MTEXT codes, 8-bit texts.
#include <gtest/gtest.h>

#include "drawingfiles/dxftext.h"

namespace {

TEST(DxfText, TrimLineRemovesOnlyBlanksTabsAndCarriageReturns) {
  const struct {
    std::string in, out;
  } cases[] = {
      {" \t 10 \r", "10"},
      {"  0", "0"},
      {"0\r", "0"},
      {" \t\r ", ""},
      {"\f10", "\f10"},
      {"10\xC2\xA0", "10\xC2\xA0"},
      {"a b", "a b"},
  };
  for (const auto& c : cases) {
    std::string s = c.in;
    dxf::TrimLine(s);
    EXPECT_EQ(s, c.out) << c.in;
  }
}

TEST(DxfText, GroupCodesAndIntegersReadTheirLeadingNumber) {
  const struct {
    const char* in;
    int out;
  } cases[] = {{"  62", 62}, {"-3", -3}, {"+7", 7}, {"256QSW", 256}, {"abc", 0}, {"", 0},
               {"99999999999999", 2147483647}, {"-99999999999999", -2147483647 - 1}};
  for (const auto& c : cases) EXPECT_EQ(dxf::ParseInt(c.in), c.out) << c.in;
}

TEST(DxfText, RealsUseThePointWhateverTheLocaleAndRejectNonNumbers) {
  const struct {
    const char* in;
    double out;
  } cases[] = {{"1.5", 1.5},   {" -2.25", -2.25}, {"+3", 3},     {".5", 0.5},   {"5.", 5},
               {"1e3", 1000},  {"1E-2", 0.01},    {"2e", 2},     {"2e+", 2},    {"1,5", 1},
               {"12abc", 12},  {"abc", 0},        {"", 0},       {"inf", 0},    {"nan", 0},
               {"1e999", 0},   {"-", 0},          {".", 0}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(dxf::ParseReal(c.in), c.out) << c.in;
}

TEST(DxfText, ColourIndexTable) {
  const struct {
    int index, colour;
  } cases[] = {{1, 0x0000FF}, {2, 0x00FFFF}, {3, 0x00FF00}, {4, 0xFFFF00}, {5, 0xFF0000},
               {6, 0xFF00FF}, {7, 0xFFFFFF}, {8, 0x808080}, {9, 0xC0C0C0},
               {10, 170 + 114 * 256 + 18 * 65536}, {128, 0x808080}, {255, 0xCBDBEF},
               {0, -1}, {256, -1}, {-1, -1}, {300, -1}};
  for (const auto& c : cases) EXPECT_EQ(dxf::DXFColorToTColor(c.index), c.colour) << c.index;
}

TEST(DxfText, MTextFormatCodesAreStripped) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"\\fArial|b0|i0;Word", "Word"},
      {"{\\H2.5x;Word}", "{Word}"},
      {"a\\\\b", "a\\b"},
      {"one\\Ptwo three", "onethree"},
      {"\\fTimes New Roman;Word", "New Roman;Word"},
      {"Buoy\\~1", "Buoy 1"},  // non-breaking space
      {"\\U+03BB \\U+03bb\\U+00e9", "\xCE\xBB \xCE\xBB\xC3\xA9"},
      {"a\\\\U+03BB", "a\\U+03BB"},  // an escaped backslash: no escape
      {"\\U+03B", "\\U+03B"},
      {"\\U+12G4", "\\U+12G4"},
      {"\\U+D83D\\U+DE00|\\U+D83D|\\U+000A", "\xF0\x9F\x98\x80|\xEF\xBF\xBD| "},
      {"\\fArial;\\U+03BB\\~m", "\xCE\xBB m"},
      {"a\\lb", "a\\lb"},
      {"end\\", "end\\"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(dxf::StripMTextFormatting(c.in), c.out) << c.in;
}

TEST(DxfText, EightBitTextsBecomeUtf8AndBack) {
  // UTF-8 stays; other bytes are Windows-1252.
  EXPECT_EQ(dxf::DecodeDxfText("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(dxf::DecodeDxfText("\xBF?"), "\xC2\xBF?");
  EXPECT_EQ(dxf::DecodeDxfText("\x80 \xC4\xDC\xD6"), "\xE2\x82\xAC \xC3\x84\xC3\x9C\xC3\x96");
  EXPECT_EQ(dxf::DecodeDxfText("\xC3"), "\xC3\x83");

  EXPECT_EQ(dxf::EncodeDxfText("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
  EXPECT_EQ(dxf::EncodeDxfText("\xCE\xBB"), "\\U+03BB");
  EXPECT_EQ(dxf::EncodeDxfText("two\r\nlines\t"), "two  lines ");
  EXPECT_EQ(dxf::EncodeDxfText("\xF0\x9F\x98\x80"), "?");
  EXPECT_EQ(dxf::EncodeDxfText("\xFF"), "?");
}

}  // namespace
