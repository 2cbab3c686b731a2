#pragma once
// Cutting text into lines, the same wherever the program reads text (the
// serial devices, files the user picks, its own files): a line feed (LF), a
// carriage return and a line feed (CR LF) and a carriage return alone (CR)
// each end one line. Older tools and many devices end their lines with CR
// alone; such a line is whole at its CR, without waiting for what follows.
#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace textlines {

constexpr bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// Where the first line end (CR or LF) at or after from stands; npos when none.
std::size_t FindLineEnd(std::string_view text, std::size_t from = 0);

// How many characters the line end at `at` (a CR or LF) takes: 2 for a CR
// followed by an LF, else 1.
std::size_t LineEndLength(std::string_view text, std::size_t at);

// Lines of a text that comes in pieces (a file read in blocks): a CR that
// ends one piece and an LF that begins the next are one line end, never an
// extra empty line.
class LineCutter {
 public:
  // The next line of piece from pos on. True: line is its text without the
  // line end, and pos stands after the line end. False: no line end follows;
  // line is the unfinished rest and pos its start (the caller keeps it, or
  // takes it and moves pos to the end).
  bool Next(std::string_view piece, std::size_t& pos, std::string_view& line);

 private:
  bool afterCR_ = false;  // the last piece ended in a CR: an LF that begins the next belongs to it
};

// std::getline with every line end: the next line of the stream without its
// end. At most maxLength characters of a longer line are kept; the rest up to
// its end is read and dropped. False at the end of the stream when nothing
// was left to read. bytes (when given) grows by the bytes read, line end
// included.
bool GetLine(std::streambuf& in, std::string& line, std::size_t maxLength = std::string::npos,
             std::size_t* bytes = nullptr);
// The same on a stream, whose state ends as std::getline leaves it at the end.
bool GetLine(std::istream& in, std::string& line);

// A whole text's lines. The last line counts without its line end too; a
// line end at the very end adds no empty line.
std::vector<std::string> Split(std::string_view text);

}  // namespace textlines
