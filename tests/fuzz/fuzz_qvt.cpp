// The program's drawing file. The first byte chooses what the rest is: the
// file's bytes as they are, or the drawing text packed as the writer packs it
// (so the fuzzer reaches the records behind the compression). A drawing that
// loads must write, read and write again to the same text.
#include <QDateTime>
#include <cstdlib>

#include "canvas/canvasmodel.h"
#include "drawingfiles/qvtfile.h"
#include "tests/fuzz/fuzzinput.h"

namespace {
const QDateTime kCreated(QDate(2026, 12, 10), QTime(12, 0));

bool LoadPacked(TQuarixCanvasModel& model, const std::string& text) {
  std::string bytes;
  if (!qvt::PackDrawingText(text, bytes)) return false;
  return model.CadLoad(fuzzinput::WriteScratch("drawing.qvt", bytes), 0, 0, 0) == 1;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string rest = fuzzinput::Text(data + 1, size - 1);
  TQuarixCanvasModel first;
  const bool loaded = (data[0] & 1) ? LoadPacked(first, rest)
                                    : first.CadLoad(fuzzinput::WriteScratch("drawing.qvt", rest), 0, 0, 0) == 1;
  if (!loaded) return 0;
  const std::string written = qvt::BuildDrawingText(first, kCreated);
  TQuarixCanvasModel second;
  if (!LoadPacked(second, written) || qvt::BuildDrawingText(second, kCreated) != written) std::abort();
  return 0;
}
