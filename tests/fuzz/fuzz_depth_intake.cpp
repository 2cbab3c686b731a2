// Echo-sounder lines through the depth intake, with the user's scan format,
// for every sounder type. Input: "scan format\n--\nsounder lines". The first
// byte picks the sounder type; the survey records go to the scratch folder.
#include <filesystem>
#include <sstream>

#include "runtime/depthintake.h"
#include "tests/fuzz/fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto& rules = survey::SounderRules();
  const survey::SounderRule& rule = rules[data[0] % rules.size()];
  const auto parts = fuzzinput::Parts(fuzzinput::Text(data + 1, size - 1), 1);

  survey::DepthIntake intake;
  intake.coordinatesFile = fuzzinput::ScratchFolder() + "/Coordinates.csv";
  intake.xyzFile = fuzzinput::ScratchFolder() + "/Simple XYZ.csv";
  survey::DepthLineInput in;
  in.messageType = rule.type;
  in.scanFormat = parts[0];
  in.draftText = "0.5";
  in.depthAlarmText = "2";
  in.svValue = 1500;
  in.useSVP = (data[0] & 0x80) != 0;
  in.svColumn = {"1500", "1490.5", "x", "1480"};
  in.hasPosition = (data[0] & 0x40) != 0;
  std::istringstream lines(parts[1]);
  while (std::getline(lines, in.line)) intake.TakeLine(in);

  std::error_code ec;
  std::filesystem::remove(intake.coordinatesFile, ec);
  std::filesystem::remove(intake.xyzFile, ec);
  return 0;
}
