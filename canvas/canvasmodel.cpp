// The canvas model: construction, layers, fonts, lookups, property access and
// shape creation.
#include "canvas/canvasmodel.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "app/formats.h"
#include "canvas/geometry.h"

TQuarixCanvasModel::TQuarixCanvasModel() {
  LayerOpen("Default");
  Fonts.push_back(TQFont{"Arial", 10, false, false});
}

TQuarixCanvasModel::~TQuarixCanvasModel() {
  for (TQShape* s : Shapes) delete s;
  Shapes.clear();
  for (TQBlock* b : Blocks) delete b;
  Blocks.clear();
  for (TQLayer* l : Layers) delete l;
  Layers.clear();
  delete DrawingPolyline;
  DrawingPolyline = nullptr;
}

void TQuarixCanvasModel::Refresh() {
  NeedsRedraw = true;
  InvalidateControl();
}

void TQuarixCanvasModel::Update() {
  NeedsRedraw = true;
  InvalidateControl();
}

void TQuarixCanvasModel::SetControlSize(int Width, int Height) {
  clientWidth_ = std::max(0, Width);
  clientHeight_ = std::max(0, Height);
  Resize();
}

void TQuarixCanvasModel::MeasureText(const TFontState& Font, const std::string& Text, int& W,
                                     int& H) const {
  // Without a window: a rough cell of 0.6 em per character at 96 dpi.
  const int px = std::max(1, Font.Size * 96 / 72);
  std::size_t chars = 0;
  for (unsigned char ch : Text)
    if ((ch & 0xC0) != 0x80) ++chars;
  W = static_cast<int>(chars) * (px * 6 / 10);
  H = px * 12 / 10 + 1;
}

// ---------------------------------------------------------------------------
// Lookups

TQLayer* TQuarixCanvasModel::FindLayer(int Number) const {
  for (TQLayer* l : Layers)
    if (l->Number == Number) return l;
  return nullptr;
}

TQShape* TQuarixCanvasModel::FindShape(int32_t Number) const {
  for (TQShape* s : Shapes)
    if (s->Number == Number) return s;
  return nullptr;
}

int TQuarixCanvasModel::LayerFindByName(const std::string& Name) const {
  for (TQLayer* l : Layers)
    if (l->Name == Name) return l->Number;
  return -1;
}

int32_t TQuarixCanvasModel::GetShapeAt(double X, double Y) const {
  const int w = ControlWidth();
  if (w <= 0 || !AllFinite(X, Y)) return -1;
  const double p = GetWorldWidth() / w;
  if (!std::isfinite(p)) return -1;
  for (auto it = Shapes.rbegin(); it != Shapes.rend(); ++it) {
    const TQShape* s = *it;
    if (!s->Visible || !s->HasFiniteBounds()) continue;
    const double tolerance = p * std::max(s->PenWidth, 3);
    if (s->HitTest(X, Y, tolerance)) return s->Number;
  }
  return -1;
}

// ---------------------------------------------------------------------------
// Layers

int TQuarixCanvasModel::LayerOpen(const std::string& Name) {
  const int n = LayerFindByName(Name);
  if (n >= 0) {
    CurrentLayer = n;
    return n;
  }
  auto* layer = new TQLayer;
  layer->Number = NextLayerNumber++;
  layer->Name = Name;
  Layers.push_back(layer);
  CurrentLayer = layer->Number;
  return layer->Number;
}

void TQuarixCanvasModel::LayerCopy(int From, int To, int Mode) {
  if (Mode == 1) ForgetPenChecks(To);
  if (Mode == 1) {
    const std::size_t filed = index_.Synced();
    for (std::size_t i = 0; i < Shapes.size(); ++i) {
      TQShape* s = Shapes[i];
      if (s->Layer != From) continue;
      if (i < filed) index_.LayerChanged(From, To);
      s->Layer = To;
    }
  }
  MarkDrawingChanged();
}

void TQuarixCanvasModel::LayerSelectShapes(int Layer, bool Add) {
  if (!Add) ClearSelection();
  for (TQShape* s : Shapes) {
    if (s->Layer != Layer) continue;
    s->IsSelected = true;
    SelectedShapes.push_back(s->Number);
  }
  MarkDrawingChanged();
}

void TQuarixCanvasModel::LayerDeselectShapes(int Layer) {
  for (TQShape* s : Shapes)
    if (s->Layer == Layer) s->IsSelected = false;
  for (std::size_t i = SelectedShapes.size(); i-- > 0;) {
    const TQShape* s = FindShape(SelectedShapes[i]);
    if (s && s->Layer == Layer) SelectedShapes.erase(SelectedShapes.begin() + static_cast<long>(i));
  }
  MarkDrawingChanged();
}

// ---------------------------------------------------------------------------
// Fonts

int TQuarixCanvasModel::FontOpen(const std::string& Spec, int) {
  TQFont font;  // "Arial", 10, not bold, not italic
  const std::size_t p = Spec.find(',');
  if (p == std::string::npos) {
    font.Name = Spec;
  } else {
    font.Name = Spec.substr(0, p);
    const std::string rest = Spec.substr(p + 1);
    const std::size_t q = rest.find(',');
    const std::string size = q == std::string::npos ? rest : rest.substr(0, q);
    int value = 0;
    font.Size = TryStrToInt(size, value) ? value : 10;
    if (q != std::string::npos) {
      std::string styles = rest.substr(q + 1);
      for (char& c : styles) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      font.Bold = styles.find('B') != std::string::npos;
      font.Italic = styles.find('I') != std::string::npos;
    }
  }
  std::string upper = font.Name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper == "TXT") font.Name = "Arial";
  Fonts.push_back(font);
  return static_cast<int>(Fonts.size()) - 1;
}

void TQuarixCanvasModel::CadFontBehaviorReset() {
  DefaultTextAlign = 0;
  DefaultTextJustify = 0;
}

// ---------------------------------------------------------------------------
// Layer properties

int TQuarixCanvasModel::GetLayerAction(int Layer) const {
  const TQLayer* l = FindLayer(Layer);
  return l ? l->Action : 0;
}
void TQuarixCanvasModel::SetLayerAction(int Layer, int Value) {
  if (TQLayer* l = FindLayer(Layer)) {
    l->Action = Value;
    NeedsRedraw = true;
  }
}

TColor TQuarixCanvasModel::GetLayerPenFg(int Layer) const {
  const TQLayer* l = FindLayer(Layer);
  return l ? l->PenFg : 0;
}
// Brings the layer's pen bookkeeping up to date by checking the shapes
// appended since its last check.
void TQuarixCanvasModel::CheckAppendedPens(TQLayer* l) {
  if (!l->PenFgUniform && !l->PenWidthUniform) return;
  const std::size_t n = Shapes.size();
  if (l->PenChecked > n || (l->PenChecked > 0 && Shapes[l->PenChecked - 1] != l->PenCheckedLast)) {
    l->PenFgUniform = l->PenWidthUniform = false;
    return;
  }
  for (std::size_t i = l->PenChecked; i < n; ++i) {
    const TQShape* s = Shapes[i];
    if (s->Layer != l->Number) continue;
    if (s->PenFg != l->PenFg) l->PenFgUniform = false;
    if (s->PenWidth != l->PenWidth) l->PenWidthUniform = false;
  }
  l->PenChecked = n;
  l->PenCheckedLast = n ? Shapes[n - 1] : nullptr;
}

// Gives every shape on the layer the layer's pen colour; the width is only
// checked.
void TQuarixCanvasModel::RestyleLayer(TQLayer* l) {
  bool widthUniform = true;
  for (std::size_t i = 0; i < Shapes.size(); ++i) {
    TQShape* s = Shapes[i];
    if (s->Layer != l->Number) continue;
    if (s->PenFg != l->PenFg) {
      s->PenFg = l->PenFg;
      MarkDrawingChanged(i);
    }
    if (s->PenWidth != l->PenWidth) widthUniform = false;
  }
  l->PenFgUniform = true;
  l->PenWidthUniform = widthUniform;
  l->PenChecked = Shapes.size();
  l->PenCheckedLast = Shapes.empty() ? nullptr : Shapes.back();
}

void TQuarixCanvasModel::ForgetPenChecks(int Layer) {
  for (TQLayer* l : Layers)
    if (l->Number == Layer) l->PenFgUniform = l->PenWidthUniform = false;
}

void TQuarixCanvasModel::ForgetAllPenChecks() {
  for (TQLayer* l : Layers) l->PenFgUniform = l->PenWidthUniform = false;
}

void TQuarixCanvasModel::SetLayerPenFg(int Layer, TColor Value) {
  TQLayer* l = FindLayer(Layer);
  if (!l) return;
  CheckAppendedPens(l);
  if (!(l->PenFg == Value && l->PenFgUniform)) {
    l->PenFg = Value;
    RestyleLayer(l);
  }
  NeedsRedraw = true;
  InvalidateControl();
}

int TQuarixCanvasModel::GetLayerPenWidth(int Layer) const {
  const TQLayer* l = FindLayer(Layer);
  return l ? l->PenWidth : 1;
}
void TQuarixCanvasModel::SetLayerPenWidth(int Layer, int Value) {
  TQLayer* l = FindLayer(Layer);
  if (!l) return;
  CheckAppendedPens(l);
  if (!(l->PenWidth == Value && l->PenWidthUniform)) {
    l->PenWidth = Value;
    bool colourUniform = true;
    for (std::size_t i = 0; i < Shapes.size(); ++i) {
      TQShape* s = Shapes[i];
      if (s->Layer != Layer) continue;
      if (s->PenWidth != Value) {
        s->PenWidth = Value;
        MarkDrawingChanged(i);
      }
      if (s->PenFg != l->PenFg) colourUniform = false;
    }
    l->PenWidthUniform = true;
    l->PenFgUniform = colourUniform;
    l->PenChecked = Shapes.size();
    l->PenCheckedLast = Shapes.empty() ? nullptr : Shapes.back();
  }
  NeedsRedraw = true;
  InvalidateControl();
}

int TQuarixCanvasModel::GetLayerPenStyle(int Layer) const {
  const TQLayer* l = FindLayer(Layer);
  return l ? l->PenStyle : 0;
}
void TQuarixCanvasModel::SetLayerPenStyle(int Layer, int Value) {
  if (TQLayer* l = FindLayer(Layer)) {
    l->PenStyle = Value;
    NeedsRedraw = true;
  }
}

TColor TQuarixCanvasModel::GetLayerBrushFg(int Layer) const {
  const TQLayer* l = FindLayer(Layer);
  return l ? l->BrushFg : 0xFFFFFF;
}
void TQuarixCanvasModel::SetLayerBrushFg(int Layer, TColor Value) {
  if (TQLayer* l = FindLayer(Layer)) {
    l->BrushFg = Value;
    NeedsRedraw = true;
  }
}

TColor TQuarixCanvasModel::GetLayerBrushBg(int Layer) const {
  const TQLayer* l = FindLayer(Layer);
  return l ? l->BrushBg : 0xFFFFFF;
}
void TQuarixCanvasModel::SetLayerBrushBg(int Layer, TColor Value) {
  if (TQLayer* l = FindLayer(Layer)) {
    l->BrushBg = Value;
    NeedsRedraw = true;
  }
}

TBrushStyle TQuarixCanvasModel::GetLayerBrushStyle(int Layer) const {
  const TQLayer* l = FindLayer(Layer);
  return l ? l->BrushStyle : bsClear;
}
void TQuarixCanvasModel::SetLayerBrushStyle(int Layer, TBrushStyle Value) {
  if (TQLayer* l = FindLayer(Layer)) {
    l->BrushStyle = Value;
    NeedsRedraw = true;
  }
}

int TQuarixCanvasModel::GetLayerBrushMode(int Layer) const {
  const TQLayer* l = FindLayer(Layer);
  return l ? l->BrushMode : 0;
}
void TQuarixCanvasModel::SetLayerBrushMode(int Layer, int Value) {
  if (TQLayer* l = FindLayer(Layer)) {
    l->BrushMode = Value;
    NeedsRedraw = true;
  }
}

bool TQuarixCanvasModel::GetLayerVisible(int Layer) const {
  const TQLayer* l = FindLayer(Layer);
  return l ? l->Visible : false;
}
void TQuarixCanvasModel::SetLayerVisible(int Layer, bool Value) {
  if (TQLayer* l = FindLayer(Layer)) {
    l->Visible = Value;
    MarkDrawingChanged();
  }
}

// ---------------------------------------------------------------------------
// Shape properties

int16_t TQuarixCanvasModel::GetShapeType(int32_t Shape) const {
  const TQShape* s = FindShape(Shape);
  return s ? static_cast<int16_t>(s->ShapeType) : 0;
}

int TQuarixCanvasModel::GetShapePenWidth(int32_t Shape) const {
  const TQShape* s = FindShape(Shape);
  return s ? s->PenWidth : 1;
}
void TQuarixCanvasModel::SetShapePenWidth(int32_t Shape, int Value) {
  if (TQShape* s = FindShape(Shape)) {
    s->PenWidth = Value;
    ForgetPenChecks(s->Layer);
    MarkDrawingChanged();
  }
}

TColor TQuarixCanvasModel::GetShapePenFg(int32_t Shape) const {
  const TQShape* s = FindShape(Shape);
  return s ? s->PenFg : 0;
}
void TQuarixCanvasModel::SetShapePenFg(int32_t Shape, TColor Value) {
  if (TQShape* s = FindShape(Shape)) {
    s->PenFg = Value;
    ForgetPenChecks(s->Layer);
    MarkDrawingChanged();
  }
}

int TQuarixCanvasModel::GetShapePenStyle(int32_t Shape) const {
  const TQShape* s = FindShape(Shape);
  return s ? s->PenStyle : 0;
}
void TQuarixCanvasModel::SetShapePenStyle(int32_t Shape, int Value) {
  if (TQShape* s = FindShape(Shape)) {
    s->PenStyle = StoredCode(Value);
    MarkDrawingChanged();
  }
}

TColor TQuarixCanvasModel::GetShapeBrushFg(int32_t Shape) const {
  const TQShape* s = FindShape(Shape);
  return s ? s->BrushFg : 0xFFFFFF;
}
void TQuarixCanvasModel::SetShapeBrushFg(int32_t Shape, TColor Value) {
  if (TQShape* s = FindShape(Shape)) {
    s->BrushFg = Value;
    MarkDrawingChanged();
  }
}

TBrushStyle TQuarixCanvasModel::GetShapeBrushStyle(int32_t Shape) const {
  const TQShape* s = FindShape(Shape);
  return s ? s->BrushStyle : bsSolid;
}
void TQuarixCanvasModel::SetShapeBrushStyle(int32_t Shape, int Value) {
  if (TQShape* s = FindShape(Shape)) {
    s->BrushStyle = static_cast<TBrushStyle>(Value & 0xFF);
    MarkDrawingChanged();
  }
}

int TQuarixCanvasModel::GetShapeBrushMode(int32_t Shape) const {
  const TQShape* s = FindShape(Shape);
  return s ? s->BrushMode : 0;
}
void TQuarixCanvasModel::SetShapeBrushMode(int32_t Shape, int Value) {
  if (TQShape* s = FindShape(Shape)) {
    s->BrushMode = StoredCode(Value);
    MarkDrawingChanged();
  }
}

int TQuarixCanvasModel::GetShapeOnLayer(int32_t Shape) const {
  const TQShape* s = FindShape(Shape);
  return s ? s->Layer : -1;
}

bool TQuarixCanvasModel::GetShapeIsSelected(int32_t Shape) const {
  const TQShape* s = FindShape(Shape);
  return s ? s->IsSelected : false;
}

std::string TQuarixCanvasModel::GetShapeText(int32_t Shape) const {
  const TQShape* s = FindShape(Shape);
  return s ? s->Text.str() : std::string();
}
void TQuarixCanvasModel::SetShapeText(int32_t Shape, const std::string& Value) {
  if (TQShape* s = FindShape(Shape)) {
    s->Text = Value;
    MarkDrawingChanged();
  }
}

std::string TQuarixCanvasModel::GetShapeNotes(int32_t Shape) const {
  const TQShape* s = FindShape(Shape);
  return s ? s->Notes.str() : std::string();
}
void TQuarixCanvasModel::SetShapeNotes(int32_t Shape, const std::string& Value) {
  if (TQShape* s = FindShape(Shape)) s->Notes = Value;
}

int32_t TQuarixCanvasModel::GetShapeZOrder(int32_t Shape) const {
  const TQShape* s = FindShape(Shape);
  return s ? s->ZOrder : 0;
}
void TQuarixCanvasModel::SetShapeZOrder(int32_t Shape, int32_t Value) {
  if (TQShape* s = FindShape(Shape)) {
    s->ZOrder = Value;
    MarkDrawingChanged();
  }
}

namespace {
TQText* AsText(TQShape* s) { return s && s->ShapeType == stText ? dynamic_cast<TQText*>(s) : nullptr; }
TQPoint* AsPoint(TQShape* s) { return s && s->ShapeType == stPoint ? dynamic_cast<TQPoint*>(s) : nullptr; }
}  // namespace

int TQuarixCanvasModel::GetShapeTextAlign(int32_t Shape) const {
  const TQText* t = AsText(FindShape(Shape));
  return t ? t->TextAlign : 0;
}
void TQuarixCanvasModel::SetShapeTextAlign(int32_t Shape, int Value) {
  if (TQText* t = AsText(FindShape(Shape))) {
    t->TextAlign = Value;
    MarkDrawingChanged();
  }
}

int TQuarixCanvasModel::GetShapeTextJustify(int32_t Shape) const {
  const TQText* t = AsText(FindShape(Shape));
  return t ? t->TextJustify : 0;
}
void TQuarixCanvasModel::SetShapeTextJustify(int32_t Shape, int Value) {
  if (TQText* t = AsText(FindShape(Shape))) {
    t->TextJustify = Value;
    MarkDrawingChanged();
  }
}

int TQuarixCanvasModel::GetShapePointSize(int32_t Shape) const {
  const TQPoint* p = AsPoint(FindShape(Shape));
  return p ? p->PointSize : 0;
}
void TQuarixCanvasModel::SetShapePointSize(int32_t Shape, int Value) {
  if (TQPoint* p = AsPoint(FindShape(Shape))) {
    p->PointSize = Value;
    MarkDrawingChanged();
  }
}

// ---------------------------------------------------------------------------
// Shape creation

// The layer a new shape goes on: an unknown layer number sends it to
// "Default" (created again when missing), which then becomes current.
TQLayer* TQuarixCanvasModel::LayerForNewShape(int Layer) {
  if (TQLayer* l = FindLayer(Layer)) return l;
  return FindLayer(LayerOpen("Default"));
}

int32_t TQuarixCanvasModel::AppendShape(TQShape* Shape, TQLayer* Layer, bool CopyBrush,
                                        bool CopyPenStyle) {
  Shape->Layer = Layer->Number;
  Shape->UpdateBounds();
  Shape->Number = NextShapeNumber++;
  Shape->PenFg = Layer->PenFg;
  Shape->PenWidth = Layer->PenWidth;
  if (CopyPenStyle) Shape->PenStyle = StoredCode(Layer->PenStyle);
  if (CopyBrush) {
    Shape->BrushFg = Layer->BrushFg;
    Shape->BrushStyle = Layer->BrushStyle;
  }
  Shapes.push_back(Shape);
  SyncShapeCount();
  NeedsRedraw = true;
  return Shape->Number;
}

int32_t TQuarixCanvasModel::DrawLine(double X1, double Y1, double X2, double Y2, int Layer) {
  TQLayer* layer = LayerForNewShape(Layer);
  auto* s = new TQLine;
  s->X1 = X1, s->Y1 = Y1, s->X2 = X2, s->Y2 = Y2;
  s->ShapeType = stLine;
  return AppendShape(s, layer, false, false);
}

int32_t TQuarixCanvasModel::DrawCircle(double CenterX, double CenterY, double Radius, int Layer) {
  TQLayer* layer = LayerForNewShape(Layer);
  auto* s = new TQCircle;
  s->CenterX = CenterX, s->CenterY = CenterY, s->Radius = Radius;
  s->ShapeType = stCircle;
  return AppendShape(s, layer, true, false);
}

int32_t TQuarixCanvasModel::DrawRectangle(double X1, double Y1, double X2, double Y2, int Layer) {
  TQLayer* layer = LayerForNewShape(Layer);
  auto* s = new TQRectangle;
  s->X1 = X1, s->Y1 = Y1, s->X2 = X2, s->Y2 = Y2;
  s->ShapeType = stRectangle;
  return AppendShape(s, layer, true, false);
}

int32_t TQuarixCanvasModel::DrawPoint(double X, double Y, int Layer) {
  TQLayer* layer = LayerForNewShape(Layer);
  auto* s = new TQPoint;
  s->X = X, s->Y = Y, s->PointSize = 3;
  s->ShapeType = stPoint;
  return AppendShape(s, layer, false, false);
}

int32_t TQuarixCanvasModel::DrawTwoPointEllipse(double X1, double Y1, double X2, double Y2,
                                                int Layer) {
  TQLayer* layer = LayerForNewShape(Layer);
  auto* s = new TQEllipse;
  s->X1 = X1, s->Y1 = Y1, s->X2 = X2, s->Y2 = Y2;
  s->ShapeType = stEllipse;
  return AppendShape(s, layer, false, false);
}

int32_t TQuarixCanvasModel::DrawThreePointArc(double X1, double Y1, double X2, double Y2, double X3,
                                              double Y3, int Layer) {
  TQLayer* layer = LayerForNewShape(Layer);
  auto* s = new TQArc;
  s->X1 = X1, s->Y1 = Y1, s->X2 = X2, s->Y2 = Y2, s->X3 = X3, s->Y3 = Y3;
  s->ShapeType = stArc;
  return AppendShape(s, layer, false, false);
}

int32_t TQuarixCanvasModel::TextAdd(int Layer, const std::string& Text, double X, double Y,
                                    int FontIndex) {
  TQLayer* layer = LayerForNewShape(Layer);
  auto* s = new TQText;
  s->X = X, s->Y = Y;
  s->TextString = Text;
  s->Text = Text;
  s->FontIndex = FontIndex;
  s->ShapeType = stText;
  s->Layer = layer->Number;
  s->Number = NextShapeNumber++;
  s->PenFg = layer->PenFg;
  s->TextAlign = DefaultTextAlign;
  s->TextJustify = DefaultTextJustify;
  if (FontIndex >= 0 && FontIndex < static_cast<int>(Fonts.size())) {
    const TQFont& f = Fonts[static_cast<std::size_t>(FontIndex)];
    s->FontName = f.Name;
    s->Height = f.Size;
    s->Bold = f.Bold;
    s->Italic = f.Italic;
  }
  s->UpdateBounds();
  Shapes.push_back(s);
  SyncShapeCount();
  NeedsRedraw = true;
  return s->Number;
}

int32_t TQuarixCanvasModel::DrawPolyline(const std::vector<std::pair<double, double>>& Points,
                                         int Layer, bool Closed) {
  if (Points.size() < 2) return -1;
  TQLayer* layer = LayerForNewShape(Layer);
  auto* s = new TQPolyline;
  s->Closed = Closed;
  s->ShapeType = Closed ? stPolygon : stPolyline;
  s->Points.reserve(Points.size());
  for (const auto& [x, y] : Points) s->Points.push_back({x, y});
  return AppendShape(s, layer, true, true);
}
