// Received correction bytes: the frame scan and the report built from it, and
// the reference-station search run on every received block.
#include "ntrip/rtcm3.h"
#include "tests/fuzz/fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string buffer = fuzzinput::Text(data, size);
  const rtcm3::Scan scan = rtcm3::ScanFrames(buffer);
  rtcm3::Vessel vessel;
  vessel.latitude = 47.5;
  vessel.longitude = 8.25;
  rtcm3::ReportLines(buffer, scan, vessel, "2026-12-10 12:00:00", 60);
  rtcm3::BaseLogLine(scan);
  rtcm3::FindStations(data, static_cast<int>(size));
  return 0;
}
