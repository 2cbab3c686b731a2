// KML text through the loader's parser (placemarks, geometries, coordinate
// tuples) and onto a map layer, with a coordinate conversion as the import
// sets it up.
#include "canvas/canvasmodel.h"
#include "drawingfiles/QuarixKMZLoader.h"
#include "drawingfiles/kmlimport.h"
#include "tests/fuzz/fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TQuarixKMZLoader loader;
  loader.OnConvertCoordinate = [](double& x, double& y, double lat, double lon) {
    x = lon * 1000;
    y = lat * 1000;
  };
  if (!loader.ParseKML(fuzzinput::Text(data, size))) return 0;
  TQuarixCanvasModel model;
  DrawKMLPlacemarks(model, loader, 0);
  return 0;
}
