#pragma once
// The files of the four sound-velocity stage lists: one list line per file
// line, each ended by CR LF. Every list has a file next to the program and a
// dated copy in the day's SVP folder; at start the dated copy wins.
#include <string>
#include <vector>

namespace svp {

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
// neither can (the list keeps what it holds).
bool LoadStartList(Stage s, std::vector<std::string>& lines);

// True when some line holds more than blanks.
bool HasValue(const std::vector<std::string>& lines);

}  // namespace svp
