// A language file: parsed, written back and parsed again, the texts must come
// back the same (the translation editor saves what it loaded).
#include <cstdlib>

#include "tests/fuzz/fuzzinput.h"
#include "ui/translationjson.h"

using translation::TextMap;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TextMap first;
  if (!translation::ParseLanguageJson(fuzzinput::Text(data, size), first)) return 0;
  TextMap second;
  if (!translation::ParseLanguageJson(translation::WriteLanguageJson(first), second) || second != first) std::abort();
  return 0;
}
