#include "devices/serialtext.h"

#include <algorithm>

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

bool TakeLine(std::string& buffer, std::string& line) {
  const size_t feed = buffer.find('\n');
  if (feed == std::string::npos) return false;
  Take(buffer, feed + 1, line);
  return true;
}

bool TakeSentence(std::string& buffer, std::string& line, bool& cutShort) {
  const size_t feed = buffer.find('\n');
  const size_t dollar = buffer.find('$', 1);
  if (feed == std::string::npos && dollar == std::string::npos) return false;
  const bool byDollar = dollar < feed;
  const bool lineEnded = !byDollar || buffer[dollar - 1] == '\r';
  Take(buffer, byDollar ? dollar : feed + 1, line);
  cutShort = !lineEnded && !line.empty() && line[0] == '$';
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
