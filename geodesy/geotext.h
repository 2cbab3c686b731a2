#pragma once
// Number texts exchanged by the geodetic routines: reading numbers the way a
// formatted scan ("%lf", "%Lf", "%*20s") reads them, and writing the general
// form. Independent of the C locale: the period is always the decimal point.
#include <cstddef>
#include <string>
#include <string_view>

namespace geotext {

// Reads white-space separated numbers from the front of a text, one per call.
// A number is read as the longest prefix that forms one ("12abc" gives 12 and
// leaves "abc"); a token that is no number ends the scan, and every later read
// fails too. Infinities, NaNs, hex forms and values out of range are no numbers.
class NumberScanner {
 public:
  explicit NumberScanner(std::string_view text) : text_(text) {}
  bool Read(long double& value);  // "%Lf"
  bool Read(double& value);       // "%lf"
  // "%*Ns": skips blanks, then one word of at most maxChars characters.
  bool SkipWord(std::size_t maxChars);

 private:
  void SkipBlanks();
  std::string_view text_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

// Reads exactly `count` numbers into values[0..count-1]; false when fewer are there.
bool ReadNumbers(std::string_view text, long double* values, int count);
bool ReadNumbers(std::string_view text, double* values, int count);

// General form: the value rounded to 15 significant digits, trailing zeros
// dropped; fixed notation, but "1.5E-5" / "1E20" when the magnitude is below
// 0.0001 or has more than 15 integer digits. Zero (also -0) gives "0".
std::string GeneralText(long double value);

}  // namespace geotext
