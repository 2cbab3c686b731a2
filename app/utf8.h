#pragma once
// UTF-8, the program's 8-bit text encoding.
#include <cstdint>
#include <string>

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, uint32_t codePoint);
