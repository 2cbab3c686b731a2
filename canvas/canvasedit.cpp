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
// others. The layers' pen bookkeeping moves with the compacted list.
template <typename Remove>
void TQuarixCanvasModel::RemoveShapes(Remove remove, bool dropFromSelection) {
  const std::size_t n = Shapes.size();
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
    checks.push_back({l, l->PenChecked});
  }
  std::sort(checks.begin(), checks.end(), [](const Check& a, const Check& b) { return a.at < b.at; });
  std::size_t kept = 0, next = 0;
  auto settle = [&](std::size_t at) {
    for (; next < checks.size() && checks[next].at == at; ++next) {
      checks[next].layer->PenChecked = kept;
      checks[next].layer->PenCheckedLast = kept ? Shapes[kept - 1] : nullptr;
    }
  };
  for (std::size_t i = 0; i < n; ++i) {
    settle(i);
    TQShape* s = Shapes[i];
    if (remove(s)) {
      if (dropFromSelection) RemoveFromSelection(s->Number);
      delete s;
    } else {
      Shapes[kept++] = s;
    }
  }
  settle(n);
  Shapes.resize(kept);
  SyncShapeCount();
}

// ---------------------------------------------------------------------------
// Clearing

void TQuarixCanvasModel::LayerClear(int Layer) { CadClearShapes(Layer); }

void TQuarixCanvasModel::CadClearShapes(int Layer) {
  if (Layer == -1) {
    RemoveShapes([](const TQShape*) { return true; }, false);
    SelectedShapes.clear();
    NextShapeNumber = 1;
  } else {
    // The vessel layer is cleared this way on every navigation tick.
    RemoveShapes([Layer](const TQShape* s) { return s->Layer == Layer; }, true);
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
      const TQShape* target = Shapes[i];
      RemoveShapes([target](const TQShape* s) { return s == target; }, false);
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
  NeedsRedraw = true;
}

void TQuarixCanvasModel::ShapeDeselect(int32_t Number) {
  if (TQShape* s = FindShape(Number)) s->IsSelected = false;
  RemoveFromSelection(Number);
  NeedsRedraw = true;
}

void TQuarixCanvasModel::CadSelectShapes() {
  for (TQShape* s : Shapes) {
    s->IsSelected = true;
    SelectedShapes.push_back(s->Number);
  }
  NeedsRedraw = true;
}

void TQuarixCanvasModel::CadDeselectShapes() {
  ClearSelection();
  NeedsRedraw = true;
}

void TQuarixCanvasModel::ShapeSelectDelete() {
  if (Shapes.empty()) return;
  RemoveShapes([](const TQShape* s) { return s->IsSelected; }, false);
  SelectedShapes.clear();
  NeedsRedraw = true;
  InvalidateControl();
}

void TQuarixCanvasModel::ShapeSelectMoveDelta(double DX, double DY) {
  for (TQShape* s : Shapes)
    if (s->IsSelected) s->Translate(DX, DY);
  ++GeometryVersion;
  NeedsRedraw = true;
}

std::vector<int32_t> TQuarixCanvasModel::GetShapeSelectNumbers() const { return SelectedShapes; }

int32_t TQuarixCanvasModel::ShapeHitTest(double X, double Y) const { return GetShapeAt(X, Y); }

// ---------------------------------------------------------------------------
// Drawing order and editing

void TQuarixCanvasModel::ShapeToLayer(int32_t Number, int Layer) {
  if (TQShape* s = FindShape(Number)) {
    s->Layer = Layer;
    ForgetPenChecks(Layer);
    NeedsRedraw = true;
  }
}

void TQuarixCanvasModel::ShapeToFront(int32_t Number) {
  auto it = std::find_if(Shapes.begin(), Shapes.end(), [&](TQShape* s) { return s->Number == Number; });
  if (it != Shapes.end()) std::rotate(it, it + 1, Shapes.end());
  ForgetAllPenChecks();
  NeedsRedraw = true;
}

void TQuarixCanvasModel::ShapeToBack(int32_t Number) {
  auto it = std::find_if(Shapes.begin(), Shapes.end(), [&](TQShape* s) { return s->Number == Number; });
  if (it != Shapes.end()) std::rotate(Shapes.begin(), it, it + 1);
  ForgetAllPenChecks();
  NeedsRedraw = true;
}

void TQuarixCanvasModel::ShapeZOrderJump(int32_t Number, int32_t Direction) {
  if (Direction > 0)
    ShapeToFront(Number);
  else if (Direction < 0)
    ShapeToBack(Number);
}

void TQuarixCanvasModel::ShapeTranslate(int32_t Number, double DX, double DY) {
  if (TQShape* s = FindShape(Number)) {
    s->Translate(DX, DY);
    ++GeometryVersion;
    NeedsRedraw = true;
  }
}

void TQuarixCanvasModel::ShapeScale(int32_t Number, double SX, double SY, double CX, double CY) {
  if (TQShape* s = FindShape(Number)) {
    s->Scale(SX, SY, CX, CY);
    ++GeometryVersion;
    NeedsRedraw = true;
  }
}

void TQuarixCanvasModel::ShapeRotate(int32_t Number, double Degrees, double CX, double CY) {
  if (TQShape* s = FindShape(Number)) {
    s->Rotate(Degrees, CX, CY);
    ++GeometryVersion;
    NeedsRedraw = true;
  }
}

void TQuarixCanvasModel::ShapeReflect(int32_t Number, int Axis, double CX, double CY) {
  if (TQShape* s = FindShape(Number)) {
    s->Scale(Axis == 0 ? -1 : 1, Axis == 1 ? -1 : 1, CX, CY);
    ++GeometryVersion;
    NeedsRedraw = true;
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
  if (TQPolyline* p = AsPolyline(FindShape(Number))) {
    p->SetPoint(Index, X, Y);
    ++GeometryVersion;
    NeedsRedraw = true;
  }
}

void TQuarixCanvasModel::ShapePointInsert(int32_t Number, int Index, double X, double Y) {
  TQPolyline* p = AsPolyline(FindShape(Number));
  if (!p || Index < 0 || Index > p->PointCount()) return;
  p->Points.insert(p->Points.begin() + Index, TPointD{X, Y});
  p->UpdateBounds();
  ++GeometryVersion;
  NeedsRedraw = true;
}

void TQuarixCanvasModel::ShapePointDelete(int32_t Number, int Index) {
  TQPolyline* p = AsPolyline(FindShape(Number));
  if (!p || Index < 0 || Index >= p->PointCount()) return;
  p->Points.erase(p->Points.begin() + Index);
  p->UpdateBounds();
  ++GeometryVersion;
  NeedsRedraw = true;
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
  NeedsRedraw = true;
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
  NeedsRedraw = true;
  InvalidateControl();
}

void TQuarixCanvasModel::ClearSelection() {
  for (TQShape* s : Shapes) s->IsSelected = false;
  SelectedShapes.clear();
}

// The same as CadClearSelectedShapes: its repaint is an invalidation.
void TQuarixCanvasModel::DeleteSelectedShapes() { CadClearSelectedShapes(); }

int TQuarixCanvasModel::SelectedShapeCount() const {
  return static_cast<int>(std::count_if(Shapes.begin(), Shapes.end(), [](const TQShape* s) { return s->IsSelected; }));
}
