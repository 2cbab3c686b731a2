// A caster's answer: the response header judged against the mount point, and
// the source table read from the rest.
#include "ntrip/ntripprotocol.h"
#include "tests/fuzz/fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzzinput::Text(data, size);
  ntrip::CheckResponse(text, "MOUNT1");
  ntrip::ParseSourceTable(text);
  std::string tail;
  for (size_t at = 0; at < size; at += 97)
    ntrip::AppendTail(tail, reinterpret_cast<const char*>(data) + at, std::min<size_t>(97, size - at), 1024);
  return 0;
}
