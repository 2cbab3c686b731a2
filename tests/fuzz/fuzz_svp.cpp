// A sound-velocity probe file through every stage the window runs: header
// detection, extraction with the detected (or a default) format, averaging by
// metre and the per-metre column. The first byte sets the maximum depth.
#include "app/textfile.h"
#include "planning/svpreduce.h"
#include "tests/fuzz/fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int maxDepth = data[0];
  const std::vector<std::string> probe = SplitTextLines(fuzzinput::Text(data + 1, size - 1));
  std::string format = "%lf,%lf";
  bool svFirst = false;
  if (const auto header = svp::DetectHeader(probe)) {
    svp::DetectionReport(*header, true);
    format = header->format;
    svFirst = header->svFirst;
  }
  svp::FormatProblem(format);
  const svp::ExtractResult pairs = svp::ExtractPairs(probe, format, svFirst, [](double, int) { return true; });
  svp::BuildColumn(svp::AverageByMetre(pairs.lines, maxDepth), maxDepth);
  return 0;
}
