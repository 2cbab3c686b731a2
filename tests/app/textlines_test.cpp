// Line cutting shared by every reader of text: LF, CR LF and a CR alone each
// end one line, whether the text is whole, comes in pieces or is read from a
// stream.
#include "app/textlines.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

struct Case {
  const char* name;
  std::string text;
  Lines lines;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"empty", "", {}},
      {"LF", "a\nb\n", {"a", "b"}},
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"CR alone", "a\rb\r", {"a", "b"}},
      {"mixed, last line without its end", "a\rb\r\nc\nd", {"a", "b", "c", "d"}},
      {"empty lines are lines", "a\r\rb\n\nc\r\n\r\nd", {"a", "", "b", "", "c", "", "d"}},
      {"LF CR is two line ends", "a\n\rb", {"a", "", "b"}},
      {"line ends only", "\r\n\r\n", {"", ""}},
      {"CR alone at the very end", "a\r", {"a"}},
  };
  return cases;
}

TEST(TextLines, WholeTextsOfEveryLineEnd) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(textlines::Split(c.text), c.lines);
  }
}

// A text cut into two pieces anywhere (a CR LF split between two blocks
// among them) gives the same lines as the whole text: never an extra empty
// line, never a line held back until the next piece.
TEST(TextLines, PiecesCutAnywhereGiveTheLinesOfTheWholeText) {
  for (const Case& c : Cases()) {
    for (size_t cut = 0; cut <= c.text.size(); ++cut) {
      SCOPED_TRACE(std::string(c.name) + ", cut at " + std::to_string(cut));
      textlines::LineCutter cutter;
      Lines lines;
      std::string rest;
      for (const std::string& piece : {c.text.substr(0, cut), c.text.substr(cut)}) {
        size_t pos = 0;
        std::string_view line;
        while (cutter.Next(piece, pos, line)) {
          lines.push_back(rest + std::string(line));
          rest.clear();
        }
        rest += line;
      }
      if (!rest.empty()) lines.push_back(rest);
      EXPECT_EQ(lines, c.lines);
    }
  }
  // A line ended by its CR is whole at once, before the next piece comes.
  textlines::LineCutter cutter;
  size_t pos = 0;
  std::string_view line;
  ASSERT_TRUE(cutter.Next("12.3\r", pos, line));
  EXPECT_EQ(line, "12.3");
  EXPECT_EQ(pos, 5u);
}

TEST(TextLines, StreamsOfEveryLineEnd) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    std::istringstream in(c.text);
    Lines lines;
    for (std::string line; textlines::GetLine(in, line);) lines.push_back(line);
    EXPECT_EQ(lines, c.lines);
    EXPECT_TRUE(in.eof());
  }
  // A long line keeps its first characters; the bytes count what was read,
  // line ends included.
  std::istringstream in("abcdef\r\ngh\rij");
  std::string line;
  size_t bytes = 0;
  ASSERT_TRUE(textlines::GetLine(*in.rdbuf(), line, 3, &bytes));
  EXPECT_EQ(line, "abc");
  EXPECT_EQ(bytes, 8u);
  ASSERT_TRUE(textlines::GetLine(*in.rdbuf(), line, 3, &bytes));
  EXPECT_EQ(line, "gh");
  EXPECT_EQ(bytes, 11u);
  ASSERT_TRUE(textlines::GetLine(*in.rdbuf(), line, 3, &bytes));
  EXPECT_EQ(line, "ij");
  EXPECT_EQ(bytes, 13u);
  EXPECT_FALSE(textlines::GetLine(*in.rdbuf(), line, 3, &bytes));
}

TEST(TextLines, LineEndsInAText) {
  EXPECT_EQ(textlines::FindLineEnd("ab\rc\n"), 2u);
  EXPECT_EQ(textlines::FindLineEnd("ab\rc\n", 3), 4u);
  EXPECT_EQ(textlines::FindLineEnd("abc"), std::string::npos);
  EXPECT_EQ(textlines::LineEndLength("a\r\nb", 1), 2u);
  EXPECT_EQ(textlines::LineEndLength("a\rb", 1), 1u);
  EXPECT_EQ(textlines::LineEndLength("a\r", 1), 1u);
  EXPECT_EQ(textlines::LineEndLength("a\n\r", 1), 1u);
}

}  // namespace
