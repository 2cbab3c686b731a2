#include "ui/translationjson.h"

#include <cstdint>

#include "app/utf8.h"

namespace translation {

namespace {

const char* const kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr int kMaxDepth = 64;                      // nesting of values that are passed over

// Length of the valid UTF-8 sequence at s[i], 0 when it is not one.
size_t Utf8Length(const std::string& s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  if (c < 0x80) return 1;
  size_t n;
  uint32_t cp;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;  // overlong or too big
  if (cp >= 0xD800 && cp <= 0xDFFF) return 0;                                           // surrogate
  return n;
}

class Parser {
 public:
  explicit Parser(const std::string& text) : s_(text) {}

  bool Object(TextMap& map) {
    Blanks();
    if (!Take('{')) return false;
    Blanks();
    if (Take('}')) return true;
    for (;;) {
      Blanks();
      std::string key;
      if (!String(key)) return false;
      Blanks();
      if (!Take(':')) return false;
      Blanks();
      if (Peek() == '"') {
        std::string text;
        if (!String(text)) return false;
        map[key] = text;
      } else if (!SkipValue(1)) {
        return false;
      }
      Blanks();
      if (Take(',')) continue;
      return Take('}');
    }
  }

  bool AtEnd() {
    Blanks();
    return i_ == s_.size();
  }

 private:
  char Peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
  bool Take(char c) {
    if (Peek() != c || i_ >= s_.size()) return false;
    ++i_;
    return true;
  }
  void Blanks() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) ++i_;
  }

  bool Hex4(uint32_t& v) {
    if (i_ + 4 > s_.size()) return false;
    v = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = s_[i_++];
      v <<= 4;
      if (c >= '0' && c <= '9') v |= static_cast<uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f') v |= static_cast<uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') v |= static_cast<uint32_t>(c - 'A' + 10);
      else return false;
    }
    return true;
  }

  // A string literal; control characters inside it are taken as they stand.
  bool String(std::string& out) {
    if (!Take('"')) return false;
    for (;;) {
      if (i_ >= s_.size()) return false;
      const char c = s_[i_];
      if (c == '"') {
        ++i_;
        return true;
      }
      if (c != '\\') {
        const size_t n = Utf8Length(s_, i_);
        if (n == 0) {
          out += kReplacement;
          ++i_;
        } else {
          out.append(s_, i_, n);
          i_ += n;
        }
        continue;
      }
      ++i_;
      if (i_ >= s_.size()) return false;
      const char e = s_[i_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          uint32_t cp;
          if (!Hex4(cp)) return false;
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            // A high surrogate wants its low half right after it.
            uint32_t low;
            if (i_ + 1 < s_.size() && s_[i_] == '\\' && s_[i_ + 1] == 'u') {
              const size_t back = i_;
              i_ += 2;
              if (!Hex4(low)) return false;
              if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00));
                break;
              }
              i_ = back;
            }
            out += kReplacement;
          } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            out += kReplacement;
          } else {
            AppendUtf8(out, cp);
          }
          break;
        }
        default: return false;
      }
    }
  }

  bool Literal(const char* word) {
    for (const char* p = word; *p; ++p)
      if (!Take(*p)) return false;
    return true;
  }

  bool Number() {
    const size_t start = i_;
    Take('-');
    while (i_ < s_.size() && ((s_[i_] >= '0' && s_[i_] <= '9') || s_[i_] == '.' || s_[i_] == 'e' ||
                              s_[i_] == 'E' || s_[i_] == '+' || s_[i_] == '-'))
      ++i_;
    return i_ > start;
  }

  // Any value that is not stored: objects and arrays to a bounded depth,
  // numbers, true, false and null.
  bool SkipValue(int depth) {
    if (depth > kMaxDepth) return false;
    Blanks();
    const char c = Peek();
    if (c == '"') {
      std::string ignored;
      return String(ignored);
    }
    if (c == '{' || c == '[') {
      const char close = c == '{' ? '}' : ']';
      ++i_;
      Blanks();
      if (Take(close)) return true;
      for (;;) {
        Blanks();
        if (c == '{') {
          std::string ignored;
          if (!String(ignored)) return false;
          Blanks();
          if (!Take(':')) return false;
        }
        if (!SkipValue(depth + 1)) return false;
        Blanks();
        if (Take(',')) continue;
        return Take(close);
      }
    }
    if (c == 't') return Literal("true");
    if (c == 'f') return Literal("false");
    if (c == 'n') return Literal("null");
    return Number();
  }

  const std::string& s_;
  size_t i_ = 0;
};

}  // namespace

bool ParseLanguageJson(const std::string& bytes, TextMap& map) {
  map.clear();
  if (bytes.size() > kMaxLanguageFileBytes) return false;
  const std::string text = bytes.substr(ByteOrderMarkLength(bytes));
  Parser p(text);
  TextMap parsed;
  if (!p.Object(parsed) || !p.AtEnd()) return false;
  map.swap(parsed);
  return true;
}

std::string JsonString(const std::string& text) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\f': out += "\\f"; break;
      case '\r': out += "\\r"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          out += "\\u00";
          out += kHex[(c >> 4) & 0xF];
          out += kHex[c & 0xF];
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

std::string WriteLanguageJson(const TextMap& map) {
  std::string out = "\xEF\xBB\xBF{\r\n";
  size_t left = map.size();
  for (const auto& [key, text] : map) {
    out += "  ";
    out += JsonString(key);
    out += ": ";
    out += JsonString(text);
    if (--left > 0) out += ',';
    out += "\r\n";
  }
  out += "}\r\n";
  return out;
}

}  // namespace translation
