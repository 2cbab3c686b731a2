#include "app/scanformat.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace scanformat {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr std::size_t kMaxWidth = 100000;

// Length of the decimal number at the start of s (sign, digits, fraction,
// exponent), 0 when s does not start with one.
std::size_t RealLength(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    const std::size_t expStart = j;
    while (j < s.size() && IsDigit(s[j])) ++j;
    if (j > expStart) i = j;  // "1e" reads as 1, the 'e' stays
  }
  return i;
}

std::size_t IntegerLength(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  const std::size_t start = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i > start ? i : 0;
}

bool ToDouble(std::string_view s, double& value) {
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  double v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) return false;
  value = negative ? -v : v;
  return true;
}

bool ToInt(std::string_view s, double& value) {
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  long long v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < INT_MIN || v > INT_MAX) return false;
  value = static_cast<double>(v);
  return true;
}

}  // namespace

Format::Format(std::string_view text) {
  if (!Parse(text)) {
    directives_.clear();
    assigned_ = assignedDoubles_ = 0;
  }
}

bool Format::Parse(std::string_view text) {
  if (text.size() > kMaxFormatLength) {
    problem_ = "the format is longer than " + std::to_string(kMaxFormatLength) + " characters";
    return false;
  }
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    Directive d;
    if (IsBlank(c)) {
      while (i < text.size() && IsBlank(text[i])) ++i;
      d.kind = Kind::Blank;
      directives_.push_back(d);
      continue;
    }
    if (c != '%') {
      d.kind = Kind::Literal;
      d.literal = c;
      directives_.push_back(d);
      ++i;
      continue;
    }
    const std::size_t start = i++;
    auto fail = [&](const std::string& why) {
      problem_.assign(1, '"');
      problem_.append(text.substr(start, i - start));
      problem_ += "\" ";
      problem_ += why;
      return false;
    };
    if (i >= text.size()) return fail("ends the format without a conversion");
    if (text[i] == '%') {
      d.kind = Kind::Literal;
      d.literal = '%';
      directives_.push_back(d);
      ++i;
      continue;
    }
    d.store = true;
    if (text[i] == '*') {
      d.store = false;
      ++i;
    }
    bool hasWidth = false;
    std::size_t width = 0;
    while (i < text.size() && IsDigit(text[i])) {
      hasWidth = true;
      width = width * 10 + static_cast<std::size_t>(text[i] - '0');
      ++i;
      if (width > kMaxWidth) return fail("has a width that is too large");
    }
    if (i < text.size() && text[i] == '$') {
      ++i;
      return fail("uses a numbered argument, which is not supported");
    }
    if (hasWidth && width == 0) return fail("has a width of 0");
    d.width = width;
    std::string modifier;
    while (i < text.size() && (text[i] == 'l' || text[i] == 'h' || text[i] == 'L' || text[i] == 'q' ||
                               text[i] == 'j' || text[i] == 'z' || text[i] == 't' || text[i] == 'm')) {
      modifier += text[i++];
    }
    if (i >= text.size()) return fail("ends the format without a conversion");
    const char conv = text[i++];
    const bool longOnly = modifier.empty() || modifier == "l";
    switch (conv) {
      case 'f':
      case 'e':
      case 'g':
      case 'E':
      case 'G':
        if (!longOnly) return fail("has a size that cannot be read; use %lf");
        if (d.store && modifier != "l") return fail("would store a float; use %lf");
        d.kind = Kind::Real;
        break;
      case 'd':
      case 'u':
        if (!longOnly) return fail("has a size that cannot be read");
        if (d.store && (conv != 'd' || !modifier.empty())) return fail("cannot store a value; use %d or skip it with %*");
        d.kind = Kind::Integer;
        break;
      case 's':
        if (!modifier.empty()) return fail("is not supported");
        if (d.store) return fail("would store text; skip it with %*s");
        d.kind = Kind::Text;
        break;
      case 'c':
        if (!modifier.empty()) return fail("is not supported");
        if (d.store) return fail("would store text; skip it with %*c");
        d.kind = Kind::Chars;
        if (d.width == 0) d.width = 1;
        break;
      case '[': {
        if (!modifier.empty()) return fail("is not supported");
        bool negate = false;
        if (i < text.size() && text[i] == '^') {
          negate = true;
          ++i;
        }
        std::bitset<256> set;
        bool first = true;
        bool closed = false;
        while (i < text.size()) {
          const unsigned char ch = static_cast<unsigned char>(text[i]);
          if (ch == ']' && !first) {
            closed = true;
            ++i;
            break;
          }
          // a-z is a range unless '-' is first or last in the set
          if (i + 2 < text.size() && text[i + 1] == '-' && text[i + 2] != ']' &&
              static_cast<unsigned char>(text[i + 2]) >= ch) {
            for (unsigned v = ch; v <= static_cast<unsigned char>(text[i + 2]); ++v) set.set(v);
            i += 3;
          } else {
            set.set(ch);
            ++i;
          }
          first = false;
        }
        if (!closed) return fail("has no closing ']'");
        if (d.store) return fail("would store text; skip it with %*[");
        d.kind = Kind::Set;
        d.set = negate ? ~set : set;
        break;
      }
      case 'n':
        return fail("is not supported (it stores a character count)");
      default:
        return fail("is not a supported conversion");
    }
    if (d.store) {
      ++assigned_;
      if (d.kind == Kind::Real) ++assignedDoubles_;
    }
    directives_.push_back(d);
  }
  return true;
}

int Format::Scan(std::string_view input, std::vector<double>& values) const {
  values.clear();
  if (!ok()) return 0;
  std::size_t pos = 0;
  const std::size_t n = input.size();
  for (const Directive& d : directives_) {
    if (d.kind == Kind::Blank) {
      while (pos < n && IsBlank(input[pos])) ++pos;
      continue;
    }
    if (d.kind == Kind::Literal) {
      if (pos >= n || input[pos] != d.literal) break;
      ++pos;
      continue;
    }
    if (d.kind != Kind::Set && d.kind != Kind::Chars)
      while (pos < n && IsBlank(input[pos])) ++pos;
    if (pos >= n) break;
    const std::size_t limit = d.width > 0 ? std::min(n, pos + d.width) : n;
    const std::string_view field = input.substr(pos, limit - pos);
    std::size_t taken = 0;
    double value = 0;
    bool good = true;
    switch (d.kind) {
      case Kind::Text:
        while (taken < field.size() && !IsBlank(field[taken])) ++taken;
        break;
      case Kind::Chars:
        taken = d.width;
        good = pos + d.width <= n;
        break;
      case Kind::Set:
        while (taken < field.size() && d.set.test(static_cast<unsigned char>(field[taken]))) ++taken;
        good = taken > 0;
        break;
      case Kind::Integer:
        taken = IntegerLength(field);
        good = taken > 0 && (!d.store || ToInt(field.substr(0, taken), value));
        break;
      case Kind::Real:
        taken = RealLength(field);
        good = taken > 0 && (!d.store || ToDouble(field.substr(0, taken), value));
        break;
      default:
        good = false;
    }
    if (!good) break;
    pos += taken;
    if (d.store) values.push_back(value);
  }
  return static_cast<int>(values.size());
}

bool CheckUserFormat(const Format& format, int required, std::string& problem) {
  if (!format.ok()) {
    problem = format.problem();
    return false;
  }
  if (format.assigned() != format.assignedDoubles()) {
    problem = "only %lf may store a value; skip other fields with %*";
    return false;
  }
  if (format.assigned() != required) {
    problem = "it reads " + std::to_string(format.assigned()) + " value(s) with %lf where " +
              std::to_string(required) + " are needed";
    return false;
  }
  problem.clear();
  return true;
}

int Scan(std::string_view format, std::string_view input, std::vector<double>& values) {
  return Format(format).Scan(input, values);
}

}  // namespace scanformat
