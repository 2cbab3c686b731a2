#include "geodesy/geotext.h"

#include <charconv>
#include <cmath>

namespace geotext {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

template <typename T>
bool ParseNumber(std::string_view text, std::size_t& pos, T& value) {
  std::size_t p = pos;
  // from_chars takes no '+'; a scan does, once, before the digits.
  if (p < text.size() && text[p] == '+') {
    ++p;
    if (p < text.size() && text[p] == '-') return false;
  }
  const char* first = text.data() + p;
  const char* last = text.data() + text.size();
  // Only decimal digits or a point may start a number: no "inf", "nan".
  if (first == last) return false;
  const char c = *first == '-' && first + 1 < last ? first[1] : *first;
  if (!((c >= '0' && c <= '9') || c == '.')) return false;
  T v{};
  const auto [end, ec] = std::from_chars(first, last, v, std::chars_format::general);
  if (ec != std::errc() || !std::isfinite(v)) return false;
  value = v;
  pos = static_cast<std::size_t>(end - text.data());
  return true;
}

template <typename T>
bool ReadAll(std::string_view text, T* values, int count) {
  NumberScanner scan(text);
  for (int i = 0; i < count; ++i)
    if (!scan.Read(values[i])) return false;
  return true;
}

}  // namespace

void NumberScanner::SkipBlanks() {
  while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
}

bool NumberScanner::Read(long double& value) {
  if (failed_) return false;
  SkipBlanks();
  failed_ = !ParseNumber(text_, pos_, value);
  return !failed_;
}

bool NumberScanner::Read(double& value) {
  if (failed_) return false;
  SkipBlanks();
  failed_ = !ParseNumber(text_, pos_, value);
  return !failed_;
}

bool NumberScanner::SkipWord(std::size_t maxChars) {
  if (failed_) return false;
  SkipBlanks();
  const std::size_t start = pos_;
  while (pos_ < text_.size() && pos_ - start < maxChars && !IsBlank(text_[pos_])) ++pos_;
  failed_ = pos_ == start;
  return !failed_;
}

bool ReadNumbers(std::string_view text, long double* values, int count) {
  return ReadAll(text, values, count);
}

bool ReadNumbers(std::string_view text, double* values, int count) { return ReadAll(text, values, count); }

std::string GeneralText(long double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  // d.dddddddddddddde+XX: the 15 significant digits, correctly rounded.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
  std::string digits;
  const char* p = buf;
  for (; p < res.ptr && *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  int exp = 0;
  if (p < res.ptr && *++p == '+') ++p;
  std::from_chars(p, res.ptr, exp);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = value < 0 ? "-" : "";
  if (exp < -4 || exp >= 15) {
    out += digits[0];
    if (digits.size() > 1) out.append(".").append(digits, 1);
    out.append("E").append(std::to_string(exp));
  } else if (exp >= 0) {
    const std::size_t intDigits = static_cast<std::size_t>(exp) + 1;
    if (digits.size() <= intDigits) {
      out.append(digits).append(intDigits - digits.size(), '0');
    } else {
      out.append(digits, 0, intDigits).append(".").append(digits, intDigits);
    }
  } else {
    out.append("0.").append(static_cast<std::size_t>(-exp - 1), '0').append(digits);
  }
  return out;
}

}  // namespace geotext
