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

bool TakeLine(std::string& buffer, std::string& line, bool sentences) {
  size_t end = buffer.find('\n');
  if (end != std::string::npos) ++end;
  if (sentences) end = std::min(end, buffer.find('$', 1));
  if (end == std::string::npos) return false;
  line = TrimLine(buffer.substr(0, end));
  buffer.erase(0, end);
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
