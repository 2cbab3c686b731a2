#pragma once
// Language files: one JSON object whose members map an English text (the key)
// to its text in one language.
//
//   EF BB BF                          UTF-8 byte-order mark (optional on reading)
//   {\r\n
//     "Cancel": "İptal",\r\n          two blanks, key, ": ", text, comma but after the last
//     "Save && Exit": "Kaydet && Çık"\r\n
//   }\r\n
//
// Reading takes any JSON text whose top-level value is an object, in any
// layout; a member whose value is not a string is passed over, and of two
// members with the same name the later one wins.
#include <map>
#include <string>

namespace translation {

using TextMap = std::map<std::string, std::string>;

// Largest language file that is read; a longer one counts as unreadable.
constexpr size_t kMaxLanguageFileBytes = 16 * 1024 * 1024;

// Parses the bytes of a language file into map (emptied first). False, with
// the map left empty, when the bytes are not a JSON object. Invalid UTF-8 in
// a string becomes U+FFFD.
bool ParseLanguageJson(const std::string& bytes, TextMap& map);

// The bytes of a language file holding the map, in key order.
std::string WriteLanguageJson(const TextMap& map);

// A JSON string literal (quotes included) as the language files hold it: the
// quotation mark, backslash, backspace, tab, line feed, form feed and carriage
// return get their two-character escapes, any other control character a \u
// escape, and every other character stays as it is.
std::string JsonString(const std::string& text);

}  // namespace translation
