// The canvas's own drawing file: CadSave and CadLoad.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "app/textfile.h"
#include "canvas/canvasmodel.h"
#include "drawingfiles/qvtfile.h"
#include "platform/clock.h"

int TQuarixCanvasModel::CadSave(const std::string& FileName, int) { return qvt::SaveDrawingFile(*this, FileName, true); }

int qvt::SaveDrawingFile(const TQuarixCanvasModel& canvas, const std::string& fileName, bool replace) {
  try {
    // What the reader could not take back on this machine is not written.
    const std::size_t reading = ReadingBytes(canvas);
    if (reading > Bounds().MemoryBytes) {
      errno = EFBIG;
      return 0;
    }
    std::string bytes;
    if (!qvt::PackDrawing(canvas, platform::Now(), bytes)) return 0;
    if (bytes.size() > Bounds().MemoryBytes - reading) {  // the reader holds the file too
      errno = EFBIG;
      return 0;
    }
    return WriteFileAtomically(fileName, bytes, 0666, replace) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    errno = ENOMEM;
    return 0;
  } catch (...) {
    errno = EIO;
    return 0;
  }
}

int TQuarixCanvasModel::CadLoad(const std::string& FileName, int, int, int Mode) {
  // The file is read whole and its drawing built apart; the map changes
  // only once all of it is in hand, so a file that fails anywhere (damaged,
  // past the bounds, out of memory) leaves the map exactly as it was.
  qvt::LoadedDrawing loaded;
  try {
    std::string bytes;
    // Refused when it is not a readable regular file or larger than any
    // drawing the reader takes; errno tells why.
    if (!ReadWholeFile(FileName, bytes, qvt::Bounds().MemoryBytes)) return 0;
    if (const int why = qvt::ReadDrawing(bytes, *this, Mode == 0, loaded)) {
      errno = why;
      return 0;
    }
    // Room for the new records first: from here on nothing can fail.
    if (Mode != 0) {
      Shapes.reserve(Shapes.size() + loaded.Shapes.size());
      Layers.reserve(Layers.size() + loaded.Layers.size());
    }
  } catch (const std::bad_alloc&) {
    errno = ENOMEM;
    return 0;
  } catch (...) {
    errno = EIO;
    return 0;
  }
  if (Mode == 0) {
    // The drawing is replaced: every shape and layer goes, the selection is
    // emptied and the numbering starts again (the loaded drawing starts
    // with its own "Default").
    Shapes.swap(loaded.Shapes);
    Layers.swap(loaded.Layers);
    SelectedShapes.clear();
    volatileLayers_.clear();
    // A new list: the spatial index and the painting's caches start again.
    ShapesChanged();
  } else {
    Shapes.insert(Shapes.end(), loaded.Shapes.begin(), loaded.Shapes.end());
    Layers.insert(Layers.end(), loaded.Layers.begin(), loaded.Layers.end());
    loaded.Shapes.clear();
    loaded.Layers.clear();
  }
  // What `loaded` still holds (after mode 0: the previous drawing) is freed
  // with it.
  SyncShapeCount();
  NextShapeNumber = loaded.NextShapeNumber;
  NextLayerNumber = loaded.NextLayerNumber;
  CurrentLayer = loaded.CurrentLayer;
  WorldLeft = loaded.WorldLeft;
  WorldRight = loaded.WorldRight;
  WorldBottom = loaded.WorldBottom;
  WorldTop = loaded.WorldTop;
  NeedsRedraw = true;
  InvalidateControl();
  return 1;
}
