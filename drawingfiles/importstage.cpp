#include "drawingfiles/importstage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "canvas/canvasmodel.h"
#include "canvas/shapes.h"

TImportStage::TImportStage(TQuarixCanvasModel& Canvas, const std::string& Name)
    : canvas_(Canvas), name_(Name), blocks_(Canvas.Blocks.size()) {
  auto* layer = new TQLayer;
  if (const TQLayer* target = canvas_.FindLayer(canvas_.LayerFindByName(Name))) {
    *layer = *target;
    layer->PenChecked = 0;
    layer->PenCheckedLast = nullptr;
    layer->PenFgUniform = layer->PenWidthUniform = false;
  }
  layer->Number = canvas_.NextLayerNumber++;
  layer->Name.clear();
  layer->Visible = false;
  work_ = layer->Number;
  canvas_.Layers.push_back(layer);
}

TImportStage::~TImportStage() {
  if (open_) Abort();
}

void TImportStage::RemoveWorkLayer() {
  auto& layers = canvas_.Layers;
  const auto it = std::find_if(layers.begin(), layers.end(), [this](const TQLayer* l) { return l->Number == work_; });
  if (it != layers.end()) {
    delete *it;
    layers.erase(it);
  }
  // The work layer's number is given back when nothing took a later one.
  if (canvas_.NextLayerNumber == work_ + 1) --canvas_.NextLayerNumber;
}

int TImportStage::Commit() {
  open_ = false;
  const TQLayer* work = canvas_.FindLayer(work_);
  const TColor pen = work ? work->PenFg : 0;
  int target = canvas_.LayerFindByName(name_);
  if (target >= 0) {
    canvas_.CadClearShapes(target);
    RemoveWorkLayer();
  } else {
    RemoveWorkLayer();
    target = canvas_.LayerOpen(name_);  // takes the work layer's number when it was the last
  }
  if (target != work_) canvas_.LayerCopy(work_, target, 1);
  if (TQLayer* l = canvas_.FindLayer(target)) l->PenFg = pen;
  canvas_.NeedsRedraw = true;
  return target;
}

void TImportStage::Abort() {
  open_ = false;
  canvas_.CadClearShapes(work_);
  RemoveWorkLayer();
  auto& blocks = canvas_.Blocks;
  while (blocks.size() > blocks_) {
    delete blocks.back();
    blocks.pop_back();
  }
}

int OpenImportFile(const std::string& Path, std::string& Why) {
  // Opened without waiting, so a FIFO cannot hold the window.
  const int fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    Why = std::strerror(errno);
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    Why = "it is not a regular file";
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

std::string ImportFileProblem(const std::string& Path) {
  std::string why;
  const int fd = OpenImportFile(Path, why);
  if (fd >= 0) ::close(fd);
  return why;
}
