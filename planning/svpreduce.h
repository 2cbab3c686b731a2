#pragma once
// Reduction of a sound-velocity probe file to the per-metre sound-velocity
// column, in three steps over plain text lines, and the detection of the scan
// format from a header line. No widgets: lines in, lines out.
//
//   stage 1  probe lines      -> "depth,sv"         (depth 0 decimals, sv 3)
//   stage 2  extracted pairs  -> "i,mean,hits"      one line per metre 0 .. max depth
//   stage 3  averaged lines   -> "mean 0..i"        one line per metre 0 .. max depth
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace svp {

// Deepest Max Depth the window accepts, in whole metres (deeper than any sea).
constexpr int kMaxDepthLimit = 12000;

// The value itself when 1350 <= sv <= 1600, else 0.
double ValidSV(double sv);

// Max Depth as typed: a whole number 0 .. kMaxDepthLimit. Throws
// std::runtime_error with the text shown to the user otherwise.
int ParseMaxDepth(const std::string& text);

// Why a typed scan format cannot serve stage 1 (it must read exactly two
// numbers with %lf); empty when it can.
std::string FormatProblem(const std::string& format);

// Stage 1. Lines that do not give exactly two values are skipped. For a sound
// velocity outside ValidSV, outOfRange(sv, line index) is asked: true skips the
// line, false ends the step with the lines taken so far. The format must have
// passed FormatProblem.
struct ExtractResult {
  std::vector<std::string> lines;
  bool cancelled = false;
};
ExtractResult ExtractPairs(const std::vector<std::string>& probe, const std::string& format, bool svFirst,
                           const std::function<bool(double sv, int line)>& outOfRange);

// Stage 2: line i = the mean of the samples whose depth is i ("i,mean,hits"),
// empty for a metre above the deepest sample that no sample fell on; metres
// below the deepest sample repeat its sound velocity with 0 hits. With no
// sample at all every line stays empty.
std::vector<std::string> AverageByMetre(const std::vector<std::string>& extracted, int maxDepth);

// Stage 3: line i = the mean sound velocity from 0 to i metres, 2 decimals.
// Each averaged line gives its value to the metre it names (its depth, not its
// place in the list); a metre that no line names takes the value interpolated
// between its neighbours, or the nearest value above the shallowest or below
// the deepest. Line 0 of the list must give a depth and a sound velocity.
struct ColumnResult {
  enum class Status { Ok, BlankTop, OutOfRange };
  Status status = Status::Ok;
  int line = 0;                     // the failing line for OutOfRange
  std::vector<std::string> column;  // Ok: maxDepth + 1 values; BlankTop: maxDepth empty lines; OutOfRange: none
};
ColumnResult BuildColumn(const std::vector<std::string>& averaged, int maxDepth);

// Header detection.
struct HeaderFormat {
  int headerLine = 0;
  char delimiter = ',';
  int svColumn = 0;
  int depthColumn = 0;
  std::string format;
  bool svFirst = true;
};
// Nothing when no header line names both columns (or one field names both).
std::optional<HeaderFormat> DetectHeader(const std::vector<std::string>& probe);
// The report shown after a detection, item per line.
std::string DetectionReport(const HeaderFormat& h, bool english);

}  // namespace svp
