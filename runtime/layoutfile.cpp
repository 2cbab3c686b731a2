#include "runtime/layoutfile.h"

#include "canvas/QuarixCanvas.h"
#include "drawingfiles/qvtfile.h"

int LoadLayoutFile(TQuarixCanvas* map, const std::string& fileName, int mode) {
  return map ? map->CadLoad(fileName, -1, -1, mode) : 0;
}

int SaveLayoutFile(TQuarixCanvas* map, const std::string& fileName, bool replace) {
  return map ? qvt::SaveDrawingFile(*map, fileName, replace) : 0;
}
