// Clearing, deletion, selection, shape editing and polygon selection.
#include <algorithm>
#include <typeinfo>

#include "canvas/canvasmodel.h"
#include "canvas/geometry.h"

void TQuarixCanvasModel::RemoveFromSelection(int32_t Number) {
  if (SelectedShapes.empty()) return;
  SelectedShapes.erase(std::remove(SelectedShapes.begin(), SelectedShapes.end(), Number),
                       SelectedShapes.end());
}

// Deletes the shapes `remove` picks in one pass that keeps the order of the
// others.
template <typename Remove>
void TQuarixCanvasModel::RemoveShapes(Remove remove, bool dropFromSelection) {
  std::vector<std::size_t> gone;
  for (std::size_t i = 0; i < Shapes.size(); ++i)
    if (remove(Shapes[i])) gone.push_back(i);
  RemovePositions(gone, dropFromSelection);
}

// Only the shapes from the first removed one on move. The layers' pen
// bookkeeping and the spatial index move with the compacted list.
void TQuarixCanvasModel::RemovePositions(const std::vector<std::size_t>& gone, bool dropFromSelection) {
  if (gone.empty()) return;
  const std::size_t n = Shapes.size(), first = gone.front();
  index_.Remove(Shapes, gone);
  MarkDrawingChanged(first);
  struct Check {
    TQLayer* layer;
    std::size_t at;
  };
  std::vector<Check> checks;
  for (TQLayer* l : Layers) {
    if (!l->PenFgUniform && !l->PenWidthUniform) continue;
    if (l->PenChecked > n || (l->PenChecked > 0 && Shapes[l->PenChecked - 1] != l->PenCheckedLast)) {
      l->PenFgUniform = l->PenWidthUniform = false;
      continue;
    }
    if (l->PenChecked <= first) continue;  // the shapes it covers stay where they are
    const auto below = std::lower_bound(gone.begin(), gone.end(), l->PenChecked) - gone.begin();
    checks.push_back({l, l->PenChecked - static_cast<std::size_t>(below)});
  }
  std::size_t kept = first, r = 0;
  for (std::size_t i = first; i < n; ++i) {
    TQShape* s = Shapes[i];
    if (r < gone.size() && gone[r] == i) {
      ++r;
      if (dropFromSelection) RemoveFromSelection(s->Number);
      delete s;
    } else {
      Shapes[kept++] = s;
    }
  }
  Shapes.resize(kept);
  for (const Check& c : checks) {
    c.layer->PenChecked = c.at;
    c.layer->PenCheckedLast = c.at ? Shapes[c.at - 1] : nullptr;
  }
  SyncShapeCount();
}

std::size_t TQuarixCanvasModel::ShapePosition(int32_t Number) const {
  for (std::size_t i = 0; i < Shapes.size(); ++i)
    if (Shapes[i]->Number == Number) return i;
  return SIZE_MAX;
}

void TQuarixCanvasModel::ShapeBoxChanged(std::size_t Position) {
  if (Position < Shapes.size()) index_.Refile(Shapes[Position], static_cast<uint32_t>(Position));
  ++GeometryVersion;
  MarkDrawingChanged(Position);
}

void TQuarixCanvasModel::ShapesChanged() {
  index_.Invalidate();
  ++GeometryVersion;
  MarkDrawingChanged();
}

// ---------------------------------------------------------------------------
// Clearing

void TQuarixCanvasModel::LayerClear(int Layer) { CadClearShapes(Layer); }

void TQuarixCanvasModel::CadClearShapes(int Layer) {
  if (Layer == -1) {
    RemoveShapes([](const TQShape*) { return true; }, false);
    index_.Invalidate();
    SelectedShapes.clear();
    NextShapeNumber = 1;
  } else {
    // The vessel layer is cleared this way on every navigation tick: with
    // the index's layer count the search stops at the layer's last shape
    // from the end, so it costs what the layer holds.
    bool done = false;
    if (UseShapeIndex()) {
      index_.Sync(Shapes);
      if (index_.InStep(Shapes) && index_.Synced() == Shapes.size()) {
        std::vector<std::size_t> gone;
        for (std::size_t left = index_.LayerCount(Layer), i = Shapes.size(); left > 0 && i-- > 0;)
          if (Shapes[i]->Layer == Layer) gone.push_back(i), --left;
        std::reverse(gone.begin(), gone.end());
        RemovePositions(gone, true);
        done = true;
      }
    }
    if (!done) RemoveShapes([Layer](const TQShape* s) { return s->Layer == Layer; }, true);
    if (std::find(volatileLayers_.begin(), volatileLayers_.end(), Layer) == volatileLayers_.end())
      volatileLayers_.push_back(Layer);
  }
  NeedsRedraw = true;
  RepaintControl();
}

void TQuarixCanvasModel::CadClearShapesByLayerName(const std::string& Name) {
  // Layer names compare as the program's own (UTF-8) text, case included. A
  // record's layer is the first layer carrying its number.
  std::vector<int> numbers;
  for (const TQLayer* l : Layers) {
    const TQLayer* first = FindLayer(l->Number);
    if (first == l && l->Name == Name) numbers.push_back(l->Number);
  }
  for (int n : numbers)
    if (std::find(volatileLayers_.begin(), volatileLayers_.end(), n) == volatileLayers_.end())
      volatileLayers_.push_back(n);
  if (!numbers.empty()) {
    RemoveShapes(
        [&numbers](const TQShape* s) { return std::find(numbers.begin(), numbers.end(), s->Layer) != numbers.end(); },
        true);
  }
  NeedsRedraw = true;
  RepaintControl();
}

void TQuarixCanvasModel::CadClearSelectedShapes() {
  RemoveShapes([](const TQShape* s) { return s->IsSelected; }, false);
  SelectedShapes.clear();
  NeedsRedraw = true;
  RepaintControl();
}

void TQuarixCanvasModel::ClearDrawingState() {
  IsDrawing = false;
  HasFirstPoint = false;
  ShapeJustFinished = false;
  // A polyline still being drawn is not in the drawing; it is discarded here
  // rather than lost.
  delete DrawingPolyline;
  DrawingPolyline = nullptr;
  SetScreenCursor(crDefault);
}

// ---------------------------------------------------------------------------
// Deletion and selection

void TQuarixCanvasModel::ShapeDelete(int32_t Number) {
  for (std::size_t i = Shapes.size(); i-- > 0;) {
    if (Shapes[i]->Number == Number) {
      RemovePositions({i}, false);
      break;
    }
  }
  RemoveFromSelection(Number);
  NeedsRedraw = true;
}

void TQuarixCanvasModel::ShapeSelect(int32_t Number, bool Add) {
  if (!Add) ClearSelection();
  if (TQShape* s = FindShape(Number)) {
    s->IsSelected = true;
    SelectedShapes.push_back(Number);
  }
  MarkDrawingChanged();
}

void TQuarixCanvasModel::ShapeDeselect(int32_t Number) {
  if (TQShape* s = FindShape(Number)) s->IsSelected = false;
  RemoveFromSelection(Number);
  MarkDrawingChanged();
}

void TQuarixCanvasModel::CadSelectShapes() {
  for (TQShape* s : Shapes) {
    s->IsSelected = true;
    SelectedShapes.push_back(s->Number);
  }
  MarkDrawingChanged();
}

void TQuarixCanvasModel::CadDeselectShapes() {
  ClearSelection();
  MarkDrawingChanged();
}

void TQuarixCanvasModel::ShapeSelectDelete() {
  if (Shapes.empty()) return;
  RemoveShapes([](const TQShape* s) { return s->IsSelected; }, false);
  SelectedShapes.clear();
  NeedsRedraw = true;
  InvalidateControl();
}

void TQuarixCanvasModel::ShapeSelectMoveDelta(double DX, double DY) {
  for (std::size_t i = 0; i < Shapes.size(); ++i)
    if (Shapes[i]->IsSelected) {
      Shapes[i]->Translate(DX, DY);
      ShapeBoxChanged(i);
    }
  ++GeometryVersion;
  MarkDrawingChanged();
}

std::vector<int32_t> TQuarixCanvasModel::GetShapeSelectNumbers() const { return SelectedShapes; }

int32_t TQuarixCanvasModel::ShapeHitTest(double X, double Y) const { return GetShapeAt(X, Y); }

// ---------------------------------------------------------------------------
// Drawing order and editing

void TQuarixCanvasModel::ShapeToLayer(int32_t Number, int Layer) {
  const std::size_t at = ShapePosition(Number);
  if (at != SIZE_MAX) {
    TQShape* s = Shapes[at];
    if (at < index_.Synced()) index_.LayerChanged(s->Layer, Layer);
    s->Layer = Layer;
    ForgetPenChecks(Layer);
    MarkDrawingChanged();
  }
}

void TQuarixCanvasModel::ShapeToFront(int32_t Number) {
  auto it = std::find_if(Shapes.begin(), Shapes.end(), [&](TQShape* s) { return s->Number == Number; });
  if (it != Shapes.end()) std::rotate(it, it + 1, Shapes.end());
  index_.Invalidate();
  ForgetAllPenChecks();
  MarkDrawingChanged();
}

void TQuarixCanvasModel::ShapeToBack(int32_t Number) {
  auto it = std::find_if(Shapes.begin(), Shapes.end(), [&](TQShape* s) { return s->Number == Number; });
  if (it != Shapes.end()) std::rotate(Shapes.begin(), it, it + 1);
  index_.Invalidate();
  ForgetAllPenChecks();
  MarkDrawingChanged();
}

void TQuarixCanvasModel::ShapeZOrderJump(int32_t Number, int32_t Direction) {
  if (Direction > 0)
    ShapeToFront(Number);
  else if (Direction < 0)
    ShapeToBack(Number);
}

void TQuarixCanvasModel::ShapeTranslate(int32_t Number, double DX, double DY) {
  const std::size_t at = ShapePosition(Number);
  if (at != SIZE_MAX) {
    TQShape* s = Shapes[at];
    s->Translate(DX, DY);
    ShapeBoxChanged(at);
  }
}

void TQuarixCanvasModel::ShapeScale(int32_t Number, double SX, double SY, double CX, double CY) {
  const std::size_t at = ShapePosition(Number);
  if (at != SIZE_MAX) {
    TQShape* s = Shapes[at];
    s->Scale(SX, SY, CX, CY);
    ShapeBoxChanged(at);
  }
}

void TQuarixCanvasModel::ShapeRotate(int32_t Number, double Degrees, double CX, double CY) {
  const std::size_t at = ShapePosition(Number);
  if (at != SIZE_MAX) {
    TQShape* s = Shapes[at];
    s->Rotate(Degrees, CX, CY);
    ShapeBoxChanged(at);
  }
}

void TQuarixCanvasModel::ShapeReflect(int32_t Number, int Axis, double CX, double CY) {
  const std::size_t at = ShapePosition(Number);
  if (at != SIZE_MAX) {
    TQShape* s = Shapes[at];
    s->Scale(Axis == 0 ? -1 : 1, Axis == 1 ? -1 : 1, CX, CY);
    ShapeBoxChanged(at);
  }
}

namespace {
TQPolyline* AsPolyline(TQShape* s) { return dynamic_cast<TQPolyline*>(s); }
}  // namespace

double TQuarixCanvasModel::ShapePointGetX(int32_t Number, int Index) const {
  const TQPolyline* p = AsPolyline(FindShape(Number));
  return p ? p->GetPointX(Index) : 0.0;
}

double TQuarixCanvasModel::ShapePointGetY(int32_t Number, int Index) const {
  const TQPolyline* p = AsPolyline(FindShape(Number));
  return p ? p->GetPointY(Index) : 0.0;
}

void TQuarixCanvasModel::ShapePointSet(int32_t Number, int Index, double X, double Y) {
  const std::size_t at = ShapePosition(Number);
  if (TQPolyline* p = at == SIZE_MAX ? nullptr : AsPolyline(Shapes[at])) {
    p->SetPoint(Index, X, Y);
    ShapeBoxChanged(at);
  }
}

void TQuarixCanvasModel::ShapePointInsert(int32_t Number, int Index, double X, double Y) {
  TQPolyline* p = AsPolyline(FindShape(Number));
  if (!p || Index < 0 || Index > p->PointCount()) return;
  p->Points.insert(p->Points.begin() + Index, TPointD{X, Y});
  p->UpdateBounds();
  ShapeBoxChanged(ShapePosition(Number));
}

void TQuarixCanvasModel::ShapePointDelete(int32_t Number, int Index) {
  TQPolyline* p = AsPolyline(FindShape(Number));
  if (!p || Index < 0 || Index >= p->PointCount()) return;
  p->Points.erase(p->Points.begin() + Index);
  p->UpdateBounds();
  ShapeBoxChanged(ShapePosition(Number));
}

int TQuarixCanvasModel::ShapePointCount(int32_t Number) const {
  const TQPolyline* p = AsPolyline(FindShape(Number));
  return p ? p->PointCount() : 0;
}

// ---------------------------------------------------------------------------
// Polygon selection

std::vector<std::pair<double, double>> TQuarixCanvasModel::GetLastPolylinePoints() const {
  const int route = LayerFindByName("Quarix_Route");
  const int select = LayerFindByName("Quarix_SelectPoly");
  std::vector<std::pair<double, double>> result;
  for (auto it = Shapes.rbegin(); it != Shapes.rend(); ++it) {
    const TQPolyline* p = AsPolyline(*it);
    if (!p || p->PointCount() < 2) continue;
    if ((route >= 0 || select >= 0) && p->Layer != route && p->Layer != select) continue;
    result.reserve(p->Points.size());
    for (const TPointD& v : p->Points) result.emplace_back(v.x, v.y);
    break;
  }
  return result;
}

bool TQuarixCanvasModel::PointInPolygon(double X, double Y, const std::vector<TPointF>& Polygon) {
  return PointInPolygonT(X, Y, Polygon.data(), Polygon.size());
}

bool TQuarixCanvasModel::PointInPolygon(double X, double Y, const std::vector<TPointD>& Polygon) {
  return PointInPolygonT(X, Y, Polygon.data(), Polygon.size());
}

// Layers == nullptr: every shape but those on the select-polygon layer, each
// kind with its own test points; otherwise the shapes of the listed layers,
// tested on their end points, vertices, anchor or box centre.
template <typename P>
void TQuarixCanvasModel::SelectInPolygon(const P* Polygon, std::size_t Count,
                                         const std::vector<int32_t>* LayerList) {
  ClearSelection();
  if (Count < 3) return;
  if (LayerList && LayerList->empty()) return;
  const int selectLayer = LayerList ? -1 : LayerFindByName("Quarix_SelectPoly");
  auto in = [&](double x, double y) { return PointInPolygonT(x, y, Polygon, Count); };
  try {
    for (TQShape* s : Shapes) {
      if (LayerList) {
        if (std::find(LayerList->begin(), LayerList->end(), s->Layer) == LayerList->end()) continue;
      } else if (selectLayer >= 0 && s->Layer == selectLayer) {
        continue;
      }
      bool hit = false;
      const std::type_info& type = typeid(*s);
      if (type == typeid(TQLine)) {
        const auto* l = static_cast<const TQLine*>(s);
        hit = in(l->X1, l->Y1) || in(l->X2, l->Y2);
      } else if (type == typeid(TQPolyline)) {
        const auto* p = static_cast<const TQPolyline*>(s);
        for (const TPointD& v : p->Points)
          if (in(v.x, v.y)) {
            hit = true;
            break;
          }
      } else if (type == typeid(TQPoint)) {
        const auto* p = static_cast<const TQPoint*>(s);
        hit = in(p->X, p->Y);
      } else if (!LayerList && type == typeid(TQRectangle)) {
        const auto* r = static_cast<const TQRectangle*>(s);
        hit = in(r->X1, r->Y1) || in(r->X2, r->Y2) || in(r->X1, r->Y2) || in(r->X2, r->Y1) ||
              in((r->X1 + r->X2) / 2, (r->Y1 + r->Y2) / 2);
      } else if (!LayerList && type == typeid(TQCircle)) {
        const auto* c = static_cast<const TQCircle*>(s);
        hit = in(c->CenterX, c->CenterY);
      } else if (!LayerList && type == typeid(TQEllipse)) {
        const auto* e = static_cast<const TQEllipse*>(s);
        hit = in((e->X1 + e->X2) / 2, (e->Y1 + e->Y2) / 2);
      } else if (!LayerList && type == typeid(TQText)) {
        const auto* t = static_cast<const TQText*>(s);
        hit = in(t->X, t->Y);
      } else if (!LayerList && type == typeid(TQArc)) {
        const auto* a = static_cast<const TQArc*>(s);
        hit = in(a->X1, a->Y1) || in(a->X3, a->Y3) || in(a->X2, a->Y2);
      } else if (LayerList) {
        hit = in((s->MinX + s->MaxX) / 2, (s->MinY + s->MaxY) / 2);
      }
      if (hit) {
        s->IsSelected = true;
        SelectedShapes.push_back(s->Number);
      }
    }
  } catch (...) {
    return;  // what was selected so far stays selected
  }
  MarkDrawingChanged();
  InvalidateControl();
}

void TQuarixCanvasModel::SelectShapesInPolygon(const std::vector<TPointF>& Polygon,
                                               const std::vector<int32_t>& LayerList) {
  SelectInPolygon(Polygon.data(), Polygon.size(), &LayerList);
}

void TQuarixCanvasModel::SelectShapesInPolygon(const std::vector<TPointD>& Polygon,
                                               const std::vector<int32_t>& LayerList) {
  SelectInPolygon(Polygon.data(), Polygon.size(), &LayerList);
}

void TQuarixCanvasModel::SelectAllShapesInPolygon(const std::vector<TPointF>& Polygon) {
  SelectInPolygon(Polygon.data(), Polygon.size(), nullptr);
}

void TQuarixCanvasModel::SelectAllShapesInPolygon(const std::vector<TPointD>& Polygon) {
  SelectInPolygon(Polygon.data(), Polygon.size(), nullptr);
}

void TQuarixCanvasModel::SelectShapesOnLayers(const std::vector<int32_t>& LayerList) {
  ClearSelection();
  for (TQShape* s : Shapes) {
    if (std::find(LayerList.begin(), LayerList.end(), s->Layer) == LayerList.end()) continue;
    s->IsSelected = true;
    SelectedShapes.push_back(s->Number);
  }
  MarkDrawingChanged();
  InvalidateControl();
}

void TQuarixCanvasModel::ClearSelection() {
  for (std::size_t i = 0; i < Shapes.size(); ++i) {
    if (!Shapes[i]->IsSelected) continue;
    Shapes[i]->IsSelected = false;
    DrawingChangedFrom = std::min(DrawingChangedFrom, i);  // it draws in its own colour again
  }
  SelectedShapes.clear();
}

// The same as CadClearSelectedShapes: its repaint is an invalidation.
void TQuarixCanvasModel::DeleteSelectedShapes() { CadClearSelectedShapes(); }

int TQuarixCanvasModel::SelectedShapeCount() const {
  return static_cast<int>(std::count_if(Shapes.begin(), Shapes.end(), [](const TQShape* s) { return s->IsSelected; }));
}
