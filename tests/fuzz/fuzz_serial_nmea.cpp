// Serial byte stream of a receiver: chunks cut into lines, lines into the raw
// log form and NMEA decoding, as the serial device component does on each poll.
// The first byte sets the chunk size, so lines also arrive split, and whether
// the stream is cut as NMEA sentences (a "$" also ends a line).
#include <QDateTime>
#include <algorithm>

#include "devices/nmea.h"
#include "devices/serialtext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t chunk = 1 + data[0] % 64;
  const bool sentences = data[0] & 64;
  ++data;
  --size;
  const QDateTime now(QDate(2026, 12, 10), QTime(12, 0));
  std::string buffer, line;
  bool cutShort = false;
  nmea::NavValues values;
  for (size_t at = 0; at < size; at += chunk) {
    serialtext::AppendChunk(buffer, reinterpret_cast<const char*>(data) + at, std::min(chunk, size - at));
    while (sentences ? serialtext::TakeSentence(buffer, line, cutShort) : serialtext::TakeLine(buffer, line)) {
      if (line.empty() || cutShort) continue;
      serialtext::RawLogEntry(line, true, now);
      serialtext::TrimLine(line);
      if (line[0] == '$') nmea::DecodeSentence(line, values);
    }
    serialtext::BoundRest(buffer);
  }
  return 0;
}
