#include "ui/keyboardlayout.h"

namespace keyboard {

namespace {
constexpr int kKey = 38;    // letter keyboard key size
constexpr int kPitch = 41;  // key size plus a 3-pixel gap
constexpr int kRowTops[] = {3, 44, 85, 126, 167};

void AddRow(std::vector<KeyPlace>& keys, const char* captions, int row, int firstLeft) {
  int k = 0;
  for (const char* c = captions; *c; ++c, ++k)
    keys.push_back({std::string(1, *c), firstLeft + kPitch * k, kRowTops[row], kKey, kKey, false});
}
}  // namespace

std::vector<KeyPlace> NumericKeys() {
  static const char* const kCaptions[] = {"7", "8", "9", "4", "5", "6", "1",     "2",
                                          "3", "Back", "0", "Enter", ".", "-"};
  std::vector<KeyPlace> keys;
  for (int i = 0; i < kNumericKeyCount; ++i) keys.push_back({kCaptions[i], 5 + (i % 3) * 55, 5 + (i / 3) * 50, 50, 45, true});
  return keys;
}

std::vector<KeyPlace> CharacterKeys() {
  std::vector<KeyPlace> keys;
  AddRow(keys, "1234567890", 0, 3);
  AddRow(keys, "QWERTYUIOP", 1, 3);
  AddRow(keys, "ASDFGHJKL", 2, 22);  // half a key to the right
  AddRow(keys, "ZXCVBNM", 3, 54);    // after the Shift key
  AddRow(keys, ".", 4, 3);           // before the Space key
  return keys;
}

std::vector<KeyPlace> SpecialKeys() {
  return {{"Shift", 3, kRowTops[3], 48, kKey, false},
          {"Space", 44, kRowTops[4], 250, kKey, false},
          {"Back", 341, kRowTops[3], 53, kKey, false},
          {"Enter", 297, kRowTops[4], 80, kKey, true}};
}

std::string DropLastCharacter(const std::string& text) {
  if (text.empty()) return text;
  size_t pos = text.size() - 1;
  int continuation = 0;
  while (pos > 0 && continuation < 3 && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) {
    --pos;
    ++continuation;
  }
  const auto lead = static_cast<unsigned char>(text[pos]);
  const int expected = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  // A stray byte that starts no sequence of this length goes alone.
  if (lead < 0xC0 || lead > 0xF7 || expected != continuation) return text.substr(0, text.size() - 1);
  return text.substr(0, pos);
}

std::string LetterCaption(const std::string& caption, bool upper) {
  if (caption.size() != 1) return caption;
  const char c = caption[0];
  if (c >= 'a' && c <= 'z') return std::string(1, upper ? char(c - 'a' + 'A') : c);
  if (c >= 'A' && c <= 'Z') return std::string(1, upper ? c : char(c - 'A' + 'a'));
  return caption;
}

}  // namespace keyboard
