#include "app/textlines.h"

#include <istream>
#include <streambuf>

namespace textlines {

std::size_t FindLineEnd(std::string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i)
    if (IsLineEnd(text[i])) return i;
  return std::string_view::npos;
}

std::size_t LineEndLength(std::string_view text, std::size_t at) {
  return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

bool LineCutter::Next(std::string_view piece, std::size_t& pos, std::string_view& line) {
  if (afterCR_ && pos < piece.size()) {
    afterCR_ = false;
    if (piece[pos] == '\n') ++pos;
  }
  const std::size_t end = FindLineEnd(piece, pos);
  if (end == std::string_view::npos) {
    line = piece.substr(pos);
    return false;
  }
  line = piece.substr(pos, end - pos);
  pos = end + LineEndLength(piece, end);
  // A CR at the very end of the piece: its LF, if any, begins the next one.
  afterCR_ = piece[end] == '\r' && pos == piece.size();
  return true;
}

bool GetLine(std::streambuf& in, std::string& line, std::size_t maxLength, std::size_t* bytes) {
  using Traits = std::streambuf::traits_type;
  line.clear();
  Traits::int_type c = in.sbumpc();
  if (Traits::eq_int_type(c, Traits::eof())) return false;
  std::size_t n = 1;
  while (!Traits::eq_int_type(c, Traits::eof()) && !IsLineEnd(Traits::to_char_type(c))) {
    if (line.size() < maxLength) line.push_back(Traits::to_char_type(c));
    c = in.sbumpc();
    ++n;
  }
  if (Traits::eq_int_type(c, Traits::eof())) {
    --n;
  } else if (c == '\r' && Traits::eq_int_type(in.sgetc(), Traits::to_int_type('\n'))) {
    in.sbumpc();
    ++n;
  }
  if (bytes) *bytes += n;
  return true;
}

bool GetLine(std::istream& in, std::string& line) {
  line.clear();
  const std::istream::sentry ok(in, true);
  if (!ok || !in.rdbuf()) {
    in.setstate(std::ios::failbit);
    return false;
  }
  // A read error (a folder in place of the file) leaves the stream bad, as
  // std::getline does, rather than escaping as an exception.
  try {
    if (GetLine(*in.rdbuf(), line)) return true;
    in.setstate(std::ios::eofbit | std::ios::failbit);
  } catch (...) {
    in.setstate(std::ios::badbit);
  }
  return false;
}

std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> lines;
  LineCutter cutter;
  std::size_t pos = 0;
  std::string_view line;
  while (cutter.Next(text, pos, line)) lines.emplace_back(line);
  if (!line.empty()) lines.emplace_back(line);
  return lines;
}

}  // namespace textlines
