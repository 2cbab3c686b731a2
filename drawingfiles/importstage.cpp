#include "drawingfiles/importstage.h"

#include <algorithm>

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
