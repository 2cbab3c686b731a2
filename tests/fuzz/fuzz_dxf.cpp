// A DXF file through the import the Import command runs, into a fresh map.
#include "canvas/canvasmodel.h"
#include "drawingfiles/dxfimport.h"
#include "tests/fuzz/fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzzinput::WriteScratch("input.dxf", fuzzinput::Text(data, size));
  TQuarixCanvasModel model;
  DXFLoad(model, path, [](const std::string&) {});
  return 0;
}
