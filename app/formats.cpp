#include "app/formats.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/settingsfile.h"

namespace {

// Decimal digits and exponent of |value| rounded to 15 significant digits:
// value = 0.d1d2...d15 x 10^exp10 style is avoided; we return digits "d1..d15"
// and the exponent of d1 (value = d1.d2d3... x 10^exp).
void Digits15(double value, std::string& digits, int& exp) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
  // buf: d.dddddddddddddde[+-]xx
  digits.clear();
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  exp = (*p == 'e') ? std::atoi(p + 1) : 0;
}

// Rounds a decimal digit string (value = 0.DIGITS x 10^(intDigits)) so that it
// keeps `keep` digits, half away from zero; may carry into a new leading digit.
std::string RoundDigits(const std::string& digits, int keep, int& intDigits) {
  if (keep < 0) return "";
  if (static_cast<size_t>(keep) >= digits.size()) return digits;
  std::string d = digits.substr(0, static_cast<size_t>(keep));
  if (digits[static_cast<size_t>(keep)] >= '5') {
    int i = keep - 1;
    for (; i >= 0; --i) {
      if (d[static_cast<size_t>(i)] == '9') {
        d[static_cast<size_t>(i)] = '0';
      } else {
        ++d[static_cast<size_t>(i)];
        break;
      }
    }
    if (i < 0) {
      d.insert(d.begin(), '1');
      ++intDigits;
    }
  }
  return d;
}

}  // namespace

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  std::string digits;
  int exp;
  Digits15(value, digits, exp);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  const std::string sign = value < 0 ? "-" : "";
  if (std::fabs(value) >= 0.00001 && exp < 15) {
    std::string out;
    if (exp >= 0) {
      std::string intPart = digits.substr(0, std::min(digits.size(), static_cast<size_t>(exp + 1)));
      while (static_cast<int>(intPart.size()) < exp + 1) intPart += '0';
      std::string frac =
          digits.size() > static_cast<size_t>(exp + 1) ? digits.substr(static_cast<size_t>(exp + 1)) : "";
      out = intPart + (frac.empty() ? "" : "." + frac);
    } else {
      out = "0." + std::string(static_cast<size_t>(-exp - 1), '0') + digits;
    }
    return sign + out;
  }
  std::string mant = digits.substr(0, 1);
  if (digits.size() > 1) mant += "." + digits.substr(1);
  return sign + mant + "E" + (exp < 0 ? "-" : "") + std::to_string(std::abs(exp));
}

std::string FormatFixed(double value, int decimals) {
  if (decimals < 0) decimals = 0;
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) value = 0;  // no "-0"
  std::string digits;
  int exp = 0;
  std::string rounded;
  int intDigits = 0;
  if (value != 0) {
    Digits15(value, digits, exp);
    intDigits = exp + 1;  // value = 0.DIGITS x 10^intDigits
    rounded = RoundDigits(digits, intDigits + decimals, intDigits);
  }
  // Build the fixed text from `rounded` with `intDigits` integer digits.
  std::string intPart, frac;
  for (int i = 0; i < intDigits; ++i)
    intPart += (i < static_cast<int>(rounded.size())) ? rounded[static_cast<size_t>(i)] : '0';
  if (intPart.empty()) intPart = "0";
  for (int i = 0; i < decimals; ++i) {
    const int idx = intDigits + i;
    frac += (idx >= 0 && idx < static_cast<int>(rounded.size())) ? rounded[static_cast<size_t>(idx)] : '0';
  }
  std::string out = intPart + (decimals > 0 ? "." + frac : "");
  const bool allZero = out.find_first_not_of("0.") == std::string::npos;
  return (value < 0 && !allZero ? "-" : "") + out;
}

bool TryStrToFloat(const std::string& text, double& value) {
  const std::string t = TrimBlanks(text);
  if (t.empty()) return false;
  // Only digits, one period, sign and exponent: no "inf", "nan", hex or commas.
  for (char c : t)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' ||
          c == 'e' || c == 'E'))
      return false;
  if (t.find_first_of("0123456789") == std::string::npos) return false;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || errno == ERANGE || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool TryStrToInt(const std::string& text, int& value) {
  const std::string t = TrimBlanks(text);
  if (t.empty()) return false;
  size_t i = 0;
  bool neg = false;
  if (t[i] == '+' || t[i] == '-') neg = t[i++] == '-';
  int base = 10;
  if (i < t.size() && t[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return false;
  long long v = 0;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFLL) return false;
  }
  if (neg) v = -v;
  if (base == 10 && (v > 2147483647LL || v < -2147483648LL)) return false;
  value = static_cast<int>(static_cast<int32_t>(static_cast<uint32_t>(v)));
  return true;
}

int StrToIntDef(const std::string& text, int def) {
  int v;
  return TryStrToInt(text, v) ? v : def;
}

double StrToFloatDef(const std::string& text, double def) {
  double v;
  return TryStrToFloat(text, v) ? v : def;
}

std::string FormatDate(const QDateTime& t) {
  char buf[32];
  const QDate d = t.date();
  std::snprintf(buf, sizeof buf, "%d-%02d-%02d", d.year(), d.month(), d.day());
  return buf;
}

std::string FormatTime(const QDateTime& t) {
  char buf[32];
  const QTime tm = t.time();
  std::snprintf(buf, sizeof buf, "%02d%02d%02d%03d", tm.hour(), tm.minute(), tm.second(), tm.msec());
  return buf;
}

std::string FormatDateTime(const QDateTime& t) { return FormatDate(t) + " " + FormatTime(t); }

std::string ByteCountText(uint64_t Bytes) {
  char buf[64];
  if (Bytes >= (1ull << 30))
    std::snprintf(buf, sizeof buf, "%.1f GB", Bytes / 1073741824.0);
  else if (Bytes >= (1ull << 20) && Bytes % (1ull << 20) == 0)
    std::snprintf(buf, sizeof buf, "%llu MB", static_cast<unsigned long long>(Bytes >> 20));
  else if (Bytes >= (1ull << 20))
    std::snprintf(buf, sizeof buf, "%.1f MB", Bytes / 1048576.0);
  else if (Bytes >= 1024)
    std::snprintf(buf, sizeof buf, "%.1f KB", Bytes / 1024.0);
  else
    std::snprintf(buf, sizeof buf, "%llu bytes", static_cast<unsigned long long>(Bytes));
  return buf;
}
