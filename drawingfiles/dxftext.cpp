// Text rules of the DXF reader and writer.
#include "drawingfiles/dxftext.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "app/utf8.h"

namespace dxf {

namespace {

bool IsTrimmed(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Windows-1252 code points of the bytes 0x80..0x9F; the five bytes without a
// character map to the C1 control of the same number, as Windows does.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Cp1252ToUnicode(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return kCp1252High[b - 0x80];
  return b;
}

// The Windows-1252 byte of a code point, or -1 when it has none.
int UnicodeToCp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == c && !(c >= 0x80 && c <= 0x9F)) return 0x80 + i;
  return -1;
}

// Length of the well-formed UTF-8 sequence at s[i] (0 when there is none)
// and its code point.
std::size_t Utf8Sequence(std::string_view s, std::size_t i, char32_t& cp) {
  const unsigned char b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) len = 2, cp = b0 & 0x1F, min = 0x80;
  else if ((b0 & 0xF0) == 0xE0) len = 3, cp = b0 & 0x0F, min = 0x800;
  else if ((b0 & 0xF8) == 0xF0) len = 4, cp = b0 & 0x07, min = 0x10000;
  else return 0;
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const unsigned char b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A "\U+XXXX" escape (four hex digits, either case) at s[i].
bool UnicodeEscape(const std::string& s, std::size_t i, char32_t& cp) {
  if (i + 7 > s.size() || s[i] != '\\' || s[i + 1] != 'U' || s[i + 2] != '+') return false;
  cp = 0;
  for (std::size_t k = i + 3; k < i + 7; ++k) {
    const int h = HexValue(s[k]);
    if (h < 0) return false;
    cp = cp * 16 + static_cast<char32_t>(h);
  }
  return true;
}

}  // namespace

void TrimLine(std::string& Line) {
  std::size_t b = 0;
  while (b < Line.size() && IsTrimmed(Line[b])) ++b;
  std::size_t e = Line.size();
  while (e > b && IsTrimmed(Line[e - 1])) --e;
  Line.assign(Line, b, e - b);
}

int ParseInt(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size() && IsSpace(t[i])) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  long long v = 0;
  for (; i < t.size() && IsDigit(t[i]); ++i) {
    v = v * 10 + (t[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  return static_cast<int>(v);
}

double ParseReal(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size() && IsSpace(t[i])) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  const std::size_t start = i;
  std::size_t digits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  std::size_t end = i;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
    if (j < t.size() && IsDigit(t[j])) {
      while (j < t.size() && IsDigit(t[j])) ++j;
      end = j;
    }
  }
  double v = 0;
  const auto r = std::from_chars(t.data() + start, t.data() + end, v, std::chars_format::general);
  if (r.ec != std::errc() || !std::isfinite(v)) return 0.0;
  return negative ? -v : v;
}

int DXFColorToTColor(int Index) {
  switch (Index) {
    case 1: return 0x0000FF;
    case 2: return 0x00FFFF;
    case 3: return 0x00FF00;
    case 4: return 0xFFFF00;
    case 5: return 0xFF0000;
    case 6: return 0xFF00FF;
    case 7: return 0xFFFFFF;
    case 8: return 0x808080;
    case 9: return 0xC0C0C0;
    default: break;
  }
  if (Index >= 10 && Index <= 255) {
    const int r = (17 * Index) % 256, g = (37 * Index) % 256, b = (53 * Index) % 256;
    return r + g * 256 + b * 65536;
  }
  return -1;
}

std::string StripMTextFormatting(const std::string& Text) {
  static constexpr std::string_view kCodes = "ACFHKLOPQSTWfp";
  std::string out;
  out.reserve(Text.size());
  bool inCode = false;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c == '\\' && i + 1 < Text.size() && !inCode) {
      if (Text[i + 1] == '~') {  // non-breaking space
        out += ' ';
        ++i;
        continue;
      }
      char32_t cp = 0;
      if (UnicodeEscape(Text, i, cp)) {
        std::size_t used = 7;
        // A pair of surrogates written as two escapes is one character.
        char32_t low = 0;
        if (cp >= 0xD800 && cp < 0xDC00 && i + 7 < Text.size() && Text[i + 7] == '\\' &&
            UnicodeEscape(Text, i + 7, low) && low >= 0xDC00 && low < 0xE000) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          used = 14;
        }
        if (cp >= 0xD800 && cp < 0xE000) cp = 0xFFFD;
        if (cp < 0x20 || cp == 0x7F) cp = ' ';
        AppendUtf8(out, cp);
        i += used - 1;
        continue;
      }
    }
    if (c == '\\' && i + 1 < Text.size()) {
      const char next = Text[i + 1];
      if (kCodes.find(next) != std::string_view::npos) {
        inCode = true;
        ++i;
        continue;
      }
      if (next == '\\') {
        out += '\\';
        ++i;
        continue;
      }
    }
    if (inCode) {
      if (c == ';' || c == ' ') inCode = false;
      continue;
    }
    out += c;
  }
  return out;
}

std::string DecodeDxfText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    const std::size_t n = Utf8Sequence(s, i, cp);
    if (n > 0) {
      out.append(s.substr(i, n));
      i += n;
    } else {
      AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(s[i])));
      ++i;
    }
  }
  return out;
}

std::string EncodeDxfText(std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    std::size_t n = Utf8Sequence(s, i, cp);
    if (n == 0) {
      out += '?';
      ++i;
      continue;
    }
    i += n;
    if (cp < 0x20 || cp == 0x7F) {
      out += ' ';
      continue;
    }
    const int b = UnicodeToCp1252(cp);
    if (b >= 0) {
      out += static_cast<char>(b);
    } else if (cp <= 0xFFFF) {
      out += "\\U+";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(cp >> shift) & 0xF];
    } else {
      out += '?';
    }
  }
  return out;
}

}  // namespace dxf
