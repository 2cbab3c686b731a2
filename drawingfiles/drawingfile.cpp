// The canvas's own drawing file: CadSave and CadLoad.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "canvas/canvasmodel.h"
#include "drawingfiles/qvtfile.h"
#include "platform/clock.h"

namespace {

// Writes the bytes into a temporary file made anew beside the target (a
// unique name, created exclusively, so no file or link already there is
// followed or overwritten) and renames it over the target: a failed write
// keeps the previous file whole. errno tells why on failure.
bool WriteDrawingFile(const std::string& fileName, const std::string& bytes) {
  std::vector<char> name(fileName.begin(), fileName.end());
  for (char ch : std::string(".XXXXXX")) name.push_back(ch);
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  const auto fail = [&](int err) {
    ::close(fd);
    ::unlink(name.data());
    errno = err;
    return false;
  };
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(n < 0 ? errno : ENOSPC);
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(name.data());
    errno = err;
    return false;
  }
  if (std::rename(name.data(), fileName.c_str()) != 0) {
    const int err = errno;
    ::unlink(name.data());
    errno = err;
    return false;
  }
  return true;
}

}  // namespace

int TQuarixCanvasModel::CadSave(const std::string& FileName, int) {
  try {
    std::string bytes;
    if (!qvt::PackDrawingText(qvt::BuildDrawingText(*this, platform::Now()), bytes)) return 0;
    return WriteDrawingFile(FileName, bytes) ? 1 : 0;
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
