// An XYZ point file through both readers: the map's coloured grid/dots reader
// and the Import command's dots and depth labels.
#include "canvas/canvasmodel.h"
#include "drawingfiles/xyzimport.h"
#include "drawingfiles/xyzreader.h"
#include "tests/fuzz/fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzzinput::WriteScratch("input.xyz", fuzzinput::Text(data, size));
  TQuarixCanvasModel grid;
  XYZLoad(grid, path, 0, 0, 0);
  TQuarixCanvasModel dots;
  ImportXYZPoints(dots, path, 0);
  return 0;
}
