#pragma once
// The files of the four sound-velocity stage lists: one list line per file
// line, each ended by CR LF. Every list has a file next to the program and a
// dated copy in the day's SVP folder; at start the dated copy wins.
#include <cstdint>
#include <string>
#include <vector>

namespace svp {

// The largest probe file, and list file, read: a probe file is a few
// thousand lines; anything this large is not one.
constexpr uint64_t kMaxProbeFileBytes = 64ull << 20;
// The most lines such a file may hold: each becomes a line of a list on the
// screen, at a cost that follows the lines, not the bytes.
constexpr std::size_t kMaxProbeFileLines = 200000;

// The file's text cut into lines; false, with why, when it holds more lines
// than kMaxProbeFileLines.
bool ProbeFileLines(const std::string& bytes, std::vector<std::string>& lines, std::string* why = nullptr);

// The four lists in their fixed order, by their file stems.
enum class Stage { RawData = 0, Extracted = 1, Averaged = 2, Column = 3 };
constexpr int kStageCount = 4;
const char* StageName(Stage s);  // "mRawSVData", "mRawSVExtracted", "mSortedAveragedSV", "mSVPColumn"

// ProgramFolder + name + ".ini"
std::string ProgramListFile(Stage s);
// DaySVPFolder + today's date + " " + name + ".ini"
std::string DatedListFile(Stage s);

// Lines as a file holds them: each line followed by CR LF.
std::string JoinListText(const std::vector<std::string>& lines);

// The list as the program starts with it: the program-folder file when it
// can be read, replaced by the dated copy when that can be read. Nothing when
// neither can (the list keeps what it holds). A file that is no regular file
// or larger than kMaxProbeFileBytes cannot be read, and is never waited on.
bool LoadStartList(Stage s, std::vector<std::string>& lines);

// True when some line holds more than blanks.
bool HasValue(const std::vector<std::string>& lines);

}  // namespace svp
