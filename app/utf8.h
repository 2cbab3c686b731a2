#pragma once
// UTF-8, the program's 8-bit text encoding.
#include <cstdint>
#include <string>
#include <string_view>

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, uint32_t codePoint);

// The length of the UTF-8 byte-order mark that text begins with: 3, or 0
// when it begins with none. Editors on other systems put one in front of
// the files they save; readers of hand-edited files skip it.
std::size_t ByteOrderMarkLength(std::string_view text);
