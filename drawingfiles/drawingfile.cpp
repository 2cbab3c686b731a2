// The canvas's own drawing file: CadSave and CadLoad.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "app/textfile.h"
#include "canvas/canvasmodel.h"
#include "drawingfiles/qvtfile.h"
#include "platform/clock.h"

int TQuarixCanvasModel::CadSave(const std::string& FileName, int) {
  try {
    std::string bytes;
    if (!qvt::PackDrawingText(qvt::BuildDrawingText(*this, platform::Now()), bytes)) return 0;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return WriteFileAtomically(FileName, bytes, static_cast<int>(0666 & ~mask)) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

namespace {

// The whole file, refused when it is not a readable regular file or larger
// than any drawing the reader takes.
bool ReadDrawingFile(const std::string& fileName, std::string& bytes) {
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (static_cast<unsigned long long>(st.st_size) > qvt::kMaxTextBytes) return false;
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  bytes.resize(static_cast<std::size_t>(st.st_size));
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return !in.bad();
}

}  // namespace

int TQuarixCanvasModel::CadLoad(const std::string& FileName, int, int, int Mode) {
  std::string text;
  bool cut = false;
  try {
    std::string bytes;
    // Everything is read and inflated before the drawing changes.
    if (!ReadDrawingFile(FileName, bytes) || !qvt::UnpackDrawingText(bytes, text, qvt::kMaxTextBytes, &cut)) return 0;
    // A drawing beyond the bounds fails whole, before anything is cleared.
    if (!qvt::WithinBounds(text)) {
      errno = EFBIG;
      return 0;
    }
  } catch (...) {
    return 0;
  }
  try {
    if (Mode == 0) {
      CadClearShapes(-1);
      for (TQLayer* l : Layers) delete l;
      Layers.clear();
      volatileLayers_.clear();
      NextLayerNumber = 0;
      NextShapeNumber = 1;
      LayerOpen("Default");
    }
    qvt::ApplyDrawingText(*this, text, cut);
  } catch (...) {
    NeedsRedraw = true;
    InvalidateControl();
    return 0;
  }
  NeedsRedraw = true;
  InvalidateControl();
  return 1;
}
