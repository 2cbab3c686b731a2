#pragma once
// The received byte stream of a serial device as text: chunks appended to a
// line buffer, complete lines taken off it, the unfinished rest kept bounded,
// and the raw-log form of a line.
#include <QDateTime>
#include <cstddef>
#include <string>

namespace serialtext {

// Appends a read chunk to the buffer, leaving out zero bytes (a zero byte in
// the stream is noise; the text after it is kept).
void AppendChunk(std::string& buffer, const char* data, size_t length);

// Takes the text up to and including the first line end (LF, CR LF or a CR
// alone) off the buffer and returns it without leading and trailing blanks and
// control characters. False (buffer unchanged) when the buffer holds no line
// end.
bool TakeLine(std::string& buffer, std::string& line);

// TakeLine for a stream of NMEA sentences, where a "$" also ends the text
// before it: line noise without a line end never swallows the sentence that
// follows it. cutShort is set when the text is a sentence (it begins with
// "$") that the next "$" ended before its line end: its end was lost on the
// line.
bool TakeSentence(std::string& buffer, std::string& line, bool& cutShort);

// Leading and trailing characters up to and including the blank removed.
std::string TrimLine(const std::string& text);

// A rest without line end longer than 4096 characters is cut to its last 2048.
void BoundRest(std::string& buffer);

// One raw-log entry: "yyyy-MM-dd HH:mm:ss.zzz " when withTime, the line, CR LF.
std::string RawLogEntry(const std::string& line, bool withTime, const QDateTime& now);

}  // namespace serialtext
