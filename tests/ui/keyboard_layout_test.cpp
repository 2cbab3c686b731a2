// Key layouts and text editing of the on-screen keyboards, and the theme
// window's list texts, without widgets.
#include <gtest/gtest.h>

#include "ui/keyboardlayout.h"
#include "ui/themechoice.h"

using keyboard::KeyPlace;

namespace {
bool Overlap(const KeyPlace& a, const KeyPlace& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}
}  // namespace

TEST(KeypadLayout, ThreeColumnsFiveRowsEndingAtThePanelEdge) {
  const auto keys = keyboard::NumericKeys();
  ASSERT_EQ(keys.size(), 14u);
  const struct {
    int index;
    const char* caption;
    int left, top;
  } cases[] = {{0, "7", 5, 5},     {1, "8", 60, 5},    {2, "9", 115, 5},     {3, "4", 5, 55},
               {5, "6", 115, 55},  {6, "1", 5, 105},   {9, "Back", 5, 155},  {10, "0", 60, 155},
               {11, "Enter", 115, 155}, {12, ".", 5, 205},   {13, "-", 60, 205}};
  for (const auto& c : cases) {
    const KeyPlace& k = keys[c.index];
    EXPECT_EQ(k.caption, c.caption) << c.index;
    EXPECT_EQ(k.left, c.left) << c.caption;
    EXPECT_EQ(k.top, c.top) << c.caption;
  }
  for (const KeyPlace& k : keys) {
    EXPECT_EQ(k.width, 50);
    EXPECT_EQ(k.height, 45);
    EXPECT_TRUE(k.bold);
    EXPECT_LE(k.left + k.width, keyboard::kKeypadWidth - 5) << k.caption;
  }
  EXPECT_EQ(keys.back().top + keys.back().height, keyboard::kKeypadHeight);
}

TEST(LetterKeyboardLayout, RowsSlotsAndNoOverlap) {
  const auto chars = keyboard::CharacterKeys();
  const auto special = keyboard::SpecialKeys();
  ASSERT_EQ(chars.size(), 37u);
  ASSERT_EQ(special.size(), 4u);
  std::string captions;
  for (const KeyPlace& k : chars) captions += k.caption;
  EXPECT_EQ(captions, "1234567890QWERTYUIOPASDFGHJKLZXCVBNM.");

  const struct {
    int slot;
    int left, top;
  } cases[] = {{0, 3, 3},    {9, 372, 3},   {10, 3, 44},    {19, 372, 44},
               {20, 22, 85}, {28, 350, 85}, {29, 54, 126},  {35, 300, 126}, {36, 3, 167}};
  for (const auto& c : cases) {
    EXPECT_EQ(chars[c.slot].left, c.left) << chars[c.slot].caption;
    EXPECT_EQ(chars[c.slot].top, c.top) << chars[c.slot].caption;
    EXPECT_EQ(chars[c.slot].width, 38);
    EXPECT_FALSE(chars[c.slot].bold);
  }
  EXPECT_EQ(special[0].caption, "Shift");
  EXPECT_EQ(special[3].caption, "Enter");
  EXPECT_TRUE(special[3].bold);

  std::vector<KeyPlace> all = chars;
  all.insert(all.end(), special.begin(), special.end());
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_LE(all[i].left + all[i].width, 420) << all[i].caption;
    for (size_t j = i + 1; j < all.size(); ++j)
      EXPECT_FALSE(Overlap(all[i], all[j])) << all[i].caption << " and " << all[j].caption;
  }
}

TEST(KeyboardText, DropLastCharacter) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"", ""},
      {"7", ""},
      {"12.5", "12."},
      {"a\xC3\xA9", "a"},              // é in two bytes goes whole
      {"\xE2\x82\xAC", ""},            // € in three bytes
      {"x\xF0\x9F\x98\x80", "x"},      // a four-byte character
      {"\xC3\xA9\xC3\xA9", "\xC3\xA9"},
      {"ab\x80", "ab"},                // a stray continuation byte goes alone
      {"a\xC3", "a"},                  // a cut-off lead byte goes alone
      {"\x80\x80\x80\x80", "\x80\x80\x80"},
  };
  for (const auto& c : cases) EXPECT_EQ(keyboard::DropLastCharacter(c.text), c.expected) << c.text;
}

TEST(KeyboardText, LetterCaptionFollowsShiftOnlyForOneLetter) {
  const struct {
    const char* caption;
    bool upper;
    const char* expected;
  } cases[] = {{"Q", false, "q"}, {"q", true, "Q"}, {"q", false, "q"}, {"Q", true, "Q"},
               {"1", false, "1"}, {"Back", false, "Back"}, {"", true, ""}, {"-", true, "-"}};
  for (const auto& c : cases)
    EXPECT_EQ(keyboard::LetterCaption(c.caption, c.upper), c.expected) << c.caption << " " << c.upper;
}

TEST(ThemeChoice, InfoTextAndRowToSelect) {
  EXPECT_EQ(ThemeInfoText(0), "Available themes: 0. Select to preview.");
  EXPECT_EQ(ThemeInfoText(36), "Available themes: 36. Select to preview.");
  const std::vector<std::string> names{"Quarix DM - Default", "Light", "Dark"};
  const struct {
    const char* active;
    int row;
  } cases[] = {{"Dark", 2}, {"Light", 1}, {"Quarix DM - Default", 0}, {"Nowhere", 0}, {"dark", 0}, {"", 0}};
  for (const auto& c : cases) EXPECT_EQ(ThemeRowToSelect(names, c.active), c.row) << c.active;
  EXPECT_EQ(ThemeRowToSelect({}, "Light"), -1);
}
