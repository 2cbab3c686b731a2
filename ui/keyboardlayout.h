#pragma once
// Key layouts and text editing of the on-screen keyboards, without widgets.
#include <string>
#include <vector>

namespace keyboard {

// One key: its caption and its place on the panel in pixels.
struct KeyPlace {
  std::string caption;
  int left, top, width, height;
  bool bold;
};

// The numeric keypad's 14 keys in creation order: "7" "8" "9" / "4" "5" "6" /
// "1" "2" "3" / "Back" "0" "Enter" / "." "-", 50 x 45 each on a 55 x 50 pitch.
// The fifth row lets offsets such as a 0.50 m draft or a negative tide be typed.
std::vector<KeyPlace> NumericKeys();
constexpr int kNumericKeyCount = 14;
constexpr int kKeypadWidth = 170;
constexpr int kKeypadHeight = 250;  // five rows of keys
// Places of the keypad's "Back" and "Enter" keys in that order.
constexpr int kNumericBackKey = 9;
constexpr int kNumericEnterKey = 11;

// The letter keyboard's 37 character keys in slot order: the digit row, the
// letter rows Q..P, A..L and Z..M, then "." left of Space; 38 x 38 each.
std::vector<KeyPlace> CharacterKeys();

// Slots of the four special keys and the size of the key table.
constexpr int kShiftSlot = 50;
constexpr int kSpaceSlot = 51;
constexpr int kBackSlot = 52;
constexpr int kEnterSlot = 53;
constexpr int kKeySlots = 54;
// The first slot whose caption follows the Shift state (the digit row stays).
constexpr int kFirstLetterSlot = 10;

// "Shift", "Space", "Back" and "Enter", in that order.
std::vector<KeyPlace> SpecialKeys();

// The text without its last character. A character written in several bytes
// goes as a whole, so the rest stays valid UTF-8; empty stays empty.
std::string DropLastCharacter(const std::string& text);

// A one-letter caption in upper or lower case; any other caption unchanged.
std::string LetterCaption(const std::string& caption, bool upper);

}  // namespace keyboard
