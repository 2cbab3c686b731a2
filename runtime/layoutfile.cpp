#include "runtime/layoutfile.h"

#include <cerrno>

#include "canvas/QuarixCanvas.h"
#include "drawingfiles/qvtfile.h"
#include "runtime/longtask.h"

int LoadLayoutFile(TQuarixCanvas* map, const std::string& fileName, int mode) {
  if (!map) return 0;
  // A long load shows its progress and may be cancelled.
  TLongTask task(map->window(), QString::fromStdString("Loading " + fileName));
  qvt::Progress() = [&task](uint64_t done, uint64_t total) { return task.Step(done, total); };
  const int result = map->CadLoad(fileName, -1, -1, mode);
  const int err = result != 1 && task.Interrupted() ? EINTR : errno;
  qvt::Progress() = nullptr;
  errno = err;
  return result;
}

int SaveLayoutFile(TQuarixCanvas* map, const std::string& fileName, bool replace) {
  return map ? qvt::SaveDrawingFile(*map, fileName, replace) : 0;
}
