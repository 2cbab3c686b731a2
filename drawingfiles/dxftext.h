#pragma once
// The small text rules of the DXF reader and writer: line trimming, group
// code and number conversion (always "." as decimal point, whatever the
// locale), the ACI colour table, MTEXT format-code stripping and the 8-bit
// text conversions between DXF files and the canvas's UTF-8 texts.
#include <string>
#include <string_view>

#include "app/color.h"

namespace dxf {

// Removes blanks, tabs and carriage returns at both ends, in place. Nothing
// else counts as white space (a form feed or a no-break space stays).
void TrimLine(std::string& Line);

// A group code or an integer value: leading white space, an optional sign,
// then the digits up to the first other character; no digits give 0. Values
// beyond the int range are held at its limits.
int ParseInt(std::string_view Text);

// A real value: leading white space, sign, digits, fraction and exponent up to
// the first character that does not fit; no number gives 0.0. "inf", "nan"
// and values beyond the double range are no numbers and give 0.0 too.
double ParseReal(std::string_view Text);

// The AutoCAD colour index as a TColor value (0x00BBGGRR): 1..9 from the
// standard table, 10..255 computed, -1 (no colour) for 0 (by block), 256 (by
// layer) and every other index.
int DXFColorToTColor(int Index);

// The text of an MTEXT value without its format codes: a backslash followed
// by one of A C F H K L O P Q S T W f p starts a code that runs to the next
// semicolon or blank (both dropped); two backslashes give one; "\~" (a
// non-breaking space) gives a blank; "\U+XXXX" (four hex digits) gives that
// character in UTF-8 (two escapes of a surrogate pair give one character,
// a control character gives a blank); any other backslash stays.
std::string StripMTextFormatting(const std::string& Text);

// 8-bit DXF text as UTF-8: valid UTF-8 passes unchanged; every other byte is
// taken as a Windows-1252 character (files written in a single-byte code
// page). Equal bytes always give equal texts.
std::string DecodeDxfText(std::string_view Bytes);

// UTF-8 text as a DXF value line: Windows-1252 where the character has a
// code there, "\U+XXXX" for other characters of the basic plane, "?" beyond
// it and for broken UTF-8; control characters (line breaks among them)
// become blanks so the value stays on its one line.
std::string EncodeDxfText(std::string_view Utf8);

}  // namespace dxf
