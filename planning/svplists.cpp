#include "planning/svplists.h"

#include <algorithm>

#include "app/helpers.h"
#include "app/textfile.h"
#include "app/textlines.h"
#include "platform/paths.h"

namespace svp {

const char* StageName(Stage s) {
  switch (s) {
    case Stage::RawData: return "mRawSVData";
    case Stage::Extracted: return "mRawSVExtracted";
    case Stage::Averaged: return "mSortedAveragedSV";
    case Stage::Column: return "mSVPColumn";
  }
  return "";
}

std::string ProgramListFile(Stage s) { return platform::ProgramFolder() + StageName(s) + ".ini"; }

std::string DatedListFile(Stage s) { return DaySVPFolder + DateText() + " " + StageName(s) + ".ini"; }

std::string JoinListText(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

bool ProbeFileLines(const std::string& bytes, std::vector<std::string>& lines, std::string* why) {
  // Line ends counted before the lines are made (CR LF counts two).
  const auto breaks = static_cast<std::size_t>(std::count_if(bytes.begin(), bytes.end(), textlines::IsLineEnd));
  std::vector<std::string> cut;
  if (breaks <= 2 * kMaxProbeFileLines) cut = SplitTextLines(bytes);
  if (breaks > 2 * kMaxProbeFileLines || cut.size() > kMaxProbeFileLines) {
    if (why) *why = "it holds more than the " + std::to_string(kMaxProbeFileLines) + " lines such a file may hold";
    return false;
  }
  lines = std::move(cut);
  return true;
}

bool LoadStartList(Stage s, std::vector<std::string>& lines) {
  bool loaded = false;
  std::string bytes;
  for (const std::string& name : {ProgramListFile(s), DatedListFile(s)})
    if (ReadWholeFile(name, bytes, kMaxProbeFileBytes) && ProbeFileLines(bytes, lines)) loaded = true;
  return loaded;
}

bool HasValue(const std::vector<std::string>& lines) {
  for (const std::string& l : lines)
    if (l.find_first_not_of(" \t\r\n\f\v") != std::string::npos) return true;
  return false;
}

}  // namespace svp
