#include "devices/serialtext.h"

#include <algorithm>

#include "app/textlines.h"

namespace serialtext {

namespace {
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }
constexpr size_t kRestLimit = 4096;
constexpr size_t kRestKept = 2048;
}  // namespace

void AppendChunk(std::string& buffer, const char* data, size_t length) {
  buffer.reserve(buffer.size() + length);
  std::copy_if(data, data + length, std::back_inserter(buffer), [](char c) { return c != '\0'; });
}

std::string TrimLine(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlankOrControl(text[begin])) ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

namespace {
// Takes the first end bytes off the buffer as a trimmed line.
void Take(std::string& buffer, size_t end, std::string& line) {
  line = TrimLine(buffer.substr(0, end));
  buffer.erase(0, end);
}
}  // namespace

// A line ends at its CR, LF or CR LF (app/textlines.h). A CR LF split
// between two reads ends the line at its CR; the LF that the next read brings
// is then an empty line, which nobody is handed.
bool TakeLine(std::string& buffer, std::string& line) {
  const size_t end = textlines::FindLineEnd(buffer);
  if (end == std::string::npos) return false;
  Take(buffer, end + textlines::LineEndLength(buffer, end), line);
  return true;
}

bool TakeSentence(std::string& buffer, std::string& line, bool& cutShort) {
  const size_t end = textlines::FindLineEnd(buffer);
  const size_t dollar = buffer.find('$', 1);
  if (end == std::string::npos && dollar == std::string::npos) return false;
  const bool byDollar = dollar < end;
  Take(buffer, byDollar ? dollar : end + textlines::LineEndLength(buffer, end), line);
  cutShort = byDollar && !line.empty() && line[0] == '$';
  return true;
}

void BoundRest(std::string& buffer) {
  if (buffer.size() > kRestLimit) buffer.erase(0, buffer.size() - kRestKept);
}

std::string RawLogEntry(const std::string& line, bool withTime, const QDateTime& now) {
  std::string entry;
  if (withTime)
    entry = now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")).toStdString();
  entry += line;
  entry += "\r\n";
  return entry;
}

}  // namespace serialtext
