#pragma once
// A safe interpreter for scanf-style formats. Formats typed by the user (the
// echo-sounder line format, the sound-velocity probe line format) and the
// program's own fixed formats are scanned here instead of by sscanf, so a
// format can never write outside its values.
//
// Directives, with sscanf's meaning:
//   blank, tab, ...   skips any amount of white space (none included)
//   other characters  must match the next input character exactly ("%%" is '%')
//   %lf %le %lg       reads a decimal number into the next value (double)
//   %d                reads a decimal integer into the next value
//   %*...             reads and discards: s, [set], [^set], c, d, u, f, e, g
//                     (with an optional "l"), each with an optional width
// Conversions other than %c and %[...] first skip white space. A width limits
// the characters one conversion takes (%*6s takes at most six).
//
// Refused (the format is not usable): %n, %p, %s / %c / %[ that would store
// text, %f without "l" (a float), other length modifiers, positional
// arguments ("%1$lf"), a width of 0, a '%' at the end, an unclosed '[', and
// formats longer than kMaxFormatLength.
//
// Numbers: sign, digits, an optional period with digits and an optional
// exponent; at least one digit. Hexadecimal, "inf" and "nan" are not numbers.
// Period as decimal separator whatever the user's locale.
#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace scanformat {

constexpr std::size_t kMaxFormatLength = 1024;

class Format {
 public:
  explicit Format(std::string_view text);

  // The format can be scanned; problem() says why not otherwise.
  bool ok() const { return problem_.empty(); }
  const std::string& problem() const { return problem_; }
  // Number of conversions that store a value, and how many of them are %lf.
  int assigned() const { return assigned_; }
  int assignedDoubles() const { return assignedDoubles_; }

  // Scans input as sscanf would and returns how many values were stored
  // before the first mismatch or the end of the input (0 when the format is
  // not usable). values holds exactly those values, in order.
  int Scan(std::string_view input, std::vector<double>& values) const;

 private:
  enum class Kind { Blank, Literal, Text, Set, Chars, Integer, Real };
  struct Directive {
    Kind kind = Kind::Literal;
    char literal = 0;
    bool store = false;
    std::size_t width = 0;  // 0: no width given
    std::bitset<256> set;   // characters of a %[...] set (negation applied)
  };
  bool Parse(std::string_view text);
  std::vector<Directive> directives_;
  std::string problem_;
  int assigned_ = 0;
  int assignedDoubles_ = 0;
};

// A format chosen by the user is usable when it parses, stores only %lf
// values and exactly `required` of them. False with a reason otherwise.
bool CheckUserFormat(const Format& format, int required, std::string& problem);

// sscanf-like convenience for the program's own fixed formats: returns the
// number of values stored (0 for an unusable format).
int Scan(std::string_view format, std::string_view input, std::vector<double>& values);

}  // namespace scanformat
