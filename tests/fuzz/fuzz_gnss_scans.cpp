// The main window's scans of each receiver line: gyro heading, speeds and the
// GGA time, quality and heights.
#include "runtime/gnssintake.h"
#include "tests/fuzz/fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line = fuzzinput::Text(data, size);
  double heading = 0, knots = 0, height = 0, tide = 0;
  bool noPosition = false;
  gnss::TakeHDT(line, heading);
  gnss::TakeRMCSpeed(line, knots);
  gnss::TakeVTGSpeed(line, knots);
  gnss::ScanGGA(line);
  gnss::TakeGGA(line, 1.5, noPosition, height, tide);
  return 0;
}
