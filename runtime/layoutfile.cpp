#include "runtime/layoutfile.h"

#include "canvas/QuarixCanvas.h"

int LoadLayoutFile(TQuarixCanvas* map, const std::string& fileName, int mode) {
  return map ? map->CadLoad(fileName, -1, -1, mode) : 0;
}

int SaveLayoutFile(TQuarixCanvas* map, const std::string& fileName) {
  return map ? map->CadSave(fileName, -1) : 0;
}
