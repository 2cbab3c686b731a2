#include "drawingfiles/numberscan.h"

#include <cctype>
#include <charconv>

namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

bool ScanLfNumber(const char*& p, const char* end, double& value) {
  while (p < end && IsSpace(*p)) ++p;
  const char* start = p;
  bool plus = false;
  if (p < end && *p == '+') {
    plus = true;
    ++start;
  }
  if (plus && start < end && *start == '-') return false;
  double v = 0;
  const auto r = std::from_chars(start, end, v, std::chars_format::general);
  if (r.ec != std::errc()) return false;
  value = v;
  p = r.ptr;
  return true;
}

