// DXF import into the map canvas: the reader's records become canvas shapes.
#include "drawingfiles/dxfimport.h"

#include <QLoggingCategory>
#include <cmath>
#include <algorithm>
#include <istream>
#include <cerrno>
#include <cstring>
#include <map>
#include <unordered_map>
#include <vector>

#include "app/textfile.h"
#include "drawingfiles/dxfreader.h"
#include "drawingfiles/dxftext.h"
#include "platform/paths.h"
#include "platform/prompts.h"

namespace {

constexpr double kPi = 3.141592653589793;

TDxfTextSink& TraceSink() {
  static TDxfTextSink sink;
  return sink;
}

// The debug trace channel: off unless enabled (QT_LOGGING_RULES="quarix.dxf.debug=true").
Q_LOGGING_CATEGORY(lcDxf, "quarix.dxf", QtWarningMsg)

void Trace(const std::string& text) {
  if (TraceSink()) TraceSink()(text);
  else qCDebug(lcDxf, "%s", text.c_str());
}

// Builds canvas shapes from the reader's records. Every shape goes to the
// import layer; the DXF layer names are not kept apart.
class TCanvasDxfImport : public dxf::TDxfHandler {
 public:
  explicit TCanvasDxfImport(TQuarixCanvasModel& Model) : m_(Model) {}

  int Added() const { return added_; }

  // What the import left out (entity kinds it does not read, and what the
  // caps cut), as one clause for the user; empty when nothing was.
  std::string LeftOut() const {
    std::vector<std::string> parts;
    if (!skipped_.empty() || skippedOther_ > 0) {
      std::vector<std::string> kinds;
      std::size_t total = skippedOther_;
      for (const auto& [kind, n] : skipped_) kinds.push_back(std::to_string(n) + " " + kind), total += n;
      if (skippedOther_ > 0) kinds.push_back(std::to_string(skippedOther_) + " other");
      std::string text;
      for (std::size_t i = 0; i < kinds.size(); ++i)
        text += (i == 0 ? "" : i + 1 == kinds.size() ? " and " : ", ") + kinds[i];
      parts.push_back(text + (total == 1 ? " entity" : " entities") + " of kinds the import does not read");
    }
    if (droppedVertices_ > 0)
      parts.push_back(std::to_string(droppedVertices_) + " vertices of " + std::to_string(cutPolylines_) +
                      (cutPolylines_ == 1 ? " polyline" : " polylines") + " beyond the limit of " +
                      std::to_string(dxf::kMaxDxfVertices) + " vertices per polyline");
    if (droppedSplineValues_ > 0)
      parts.push_back(std::to_string(droppedSplineValues_) + " control point values of " +
                      std::to_string(cutSplines_) + (cutSplines_ == 1 ? " spline" : " splines") +
                      " beyond the limit of " + std::to_string(dxf::kMaxDxfVertices) + " per spline");
    if (droppedInsertLines_ > 0)
      parts.push_back(std::to_string(droppedInsertLines_) +
                      " lines of block references beyond the limit of " +
                      std::to_string(kMaxDxfInsertLines) + " lines copied from blocks per file");
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) text += (i ? "; " : "") + parts[i];
    return text;
  }

  // Entities of kinds no reader takes are counted by kind. SEQEND only
  // closes the attributes of a block reference; a name that reads like no
  // entity kind, or one kind too many, counts as "other".
  void SkipEntity(const std::string& Name) override {
    if (Name == "SEQEND") return;
    bool plain = !Name.empty() && Name.size() <= 32;
    for (char c : Name)
      if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) plain = false;
    if (plain && (skipped_.count(Name) || skipped_.size() < 32)) ++skipped_[Name];
    else ++skippedOther_;
  }

  void AddLayer(const dxf::TDxfLayerEntry& e) override {
    if (e.Name.empty()) return;
    const int colour = dxf::DXFColorToTColor(e.Color);
    const int layer = ImportLayer();
    if (colour >= 0 && layer >= 0)
      if (TQLayer* l = m_.FindLayer(layer)) l->PenFg = static_cast<TColor>(colour);
  }

  void AddBlock(const dxf::TDxfBlock& b) override {
    auto* block = new TQBlock;
    block->Name = dxf::DecodeDxfText(b.Name);
    block->BaseX = b.BaseX;
    block->BaseY = b.BaseY;
    block->BlockShapes.reserve(b.Lines.size());
    for (const dxf::TDxfBlockLine& bl : b.Lines) {
      auto* s = new TQLine;
      s->ShapeType = stLine;
      s->X1 = bl.X1, s->Y1 = bl.Y1, s->X2 = bl.X2, s->Y2 = bl.Y2;
      s->UpdateBounds();
      block->BlockShapes.push_back(s);
    }
    m_.Blocks.push_back(block);
  }

  void AddLine(const dxf::TDxfLine& e) override {
    if (added_ < 5) {
      const TQLayer* l = m_.FindLayer(ImportLayer());
      auto flag = [l](bool TQLayer::*f) { return l ? (l->*f ? "Y" : "N") : "NULL"; };
      Trace("DXF LINE: layer='" + e.Layer + "' lid=" + std::to_string(ImportLayer()) +
            " visible=" + flag(&TQLayer::Visible) + " locked=" + flag(&TQLayer::Locked));
    }
    auto* s = new TQLine;
    s->ShapeType = stLine;
    s->X1 = e.X1, s->Y1 = e.Y1, s->X2 = e.X2, s->Y2 = e.Y2;
    s->UpdateBounds();
    s->PenWidth = LayerPenWidth();
    Append(s, EntityPen(e.Color));
  }

  // A circle whose plane is tilted against the map's is seen as an ellipse:
  // a closed polyline of 37 vertices (36 segments) then.
  void AddCircle(const dxf::TDxfCircle& e) override {
    const dxf::TDxfOcs ocs(e.Extrusion);
    if (!ocs.IsFlat()) {
      auto* s = NewPolyline(true);
      for (int i = 0; i <= 36; ++i) {
        const double a = 2 * kPi * i / 36;
        double x, y;
        ocs.ToWorld(e.CenterX + e.Radius * std::cos(a), e.CenterY + e.Radius * std::sin(a), e.CenterZ,
                    x, y);
        s->AddPoint(x, y);
      }
      Append(s, EntityPen(e.Color));
      return;
    }
    auto* s = new TQCircle;
    s->ShapeType = stCircle;
    ocs.ToWorld(e.CenterX, e.CenterY, e.CenterZ, s->CenterX, s->CenterY);
    s->Radius = e.Radius;
    s->UpdateBounds();
    s->PenWidth = LayerPenWidth();
    Append(s, EntityPen(e.Color));
  }

  // 21 vertices (20 segments) counter-clockwise from the start angle, in the
  // arc's own plane.
  void AddArc(const dxf::TDxfArc& e) override {
    double sweep = e.EndAngle - e.StartAngle;
    if (sweep < 0) sweep += 360;
    const dxf::TDxfOcs ocs(e.Extrusion);
    auto* s = NewPolyline(false);
    for (int i = 0; i <= 20; ++i) {
      const double a = (i * sweep / 20 + e.StartAngle) * kPi / 180;
      double x, y;
      ocs.ToWorld(e.CenterX + e.Radius * std::cos(a), e.CenterY + e.Radius * std::sin(a), e.CenterZ, x,
                  y);
      s->AddPoint(x, y);
    }
    Append(s, EntityPen(e.Color));
  }

  // 37 vertices from the start to the end parameter; closed when the span
  // covers the whole ellipse (within 0.01 rad).
  void AddEllipse(const dxf::TDxfEllipse& e) override {
    const double span = e.EndParam - e.StartParam;
    const bool closed = std::fabs(span) >= 6.2731853071795864;
    const double a = std::sqrt(e.MajorX * e.MajorX + e.MajorY * e.MajorY);
    const double theta = std::atan2(e.MajorY, e.MajorX);
    const double b = a * e.Ratio;
    const double ct = std::cos(theta), st = std::sin(theta);
    auto* s = NewPolyline(closed);
    for (int i = 0; i <= 36; ++i) {
      const double t = span * i / 36 + e.StartParam;
      const double px = a * std::cos(t), py = b * std::sin(t);
      s->AddPoint(e.CenterX + px * ct - py * st, e.CenterY + px * st + py * ct);
    }
    Append(s, EntityPen(e.Color));
  }

  // Corners 1, 2, 4, 3: the file gives a quadrilateral's corners in zigzag
  // order. A triangle repeats its third corner as the fourth.
  void AddSolid(const dxf::TDxfSolid& e) override {
    auto* s = NewPolyline(true);
    s->AddPoint(e.X[0], e.Y[0]);
    s->AddPoint(e.X[1], e.Y[1]);
    s->AddPoint(e.X[3], e.Y[3]);
    if (!(e.X[2] == e.X[3] && e.Y[2] == e.Y[3])) s->AddPoint(e.X[2], e.Y[2]);
    Append(s, EntityPen(e.Color));
  }

  void AddPoint(const dxf::TDxfPoint& e) override {
    m_.DrawPoint(e.X, e.Y, ImportLayer());
    ++added_;
  }

  // The control polygon stands for the curve.
  void AddSpline(const dxf::TDxfSpline& e) override {
    if (e.DroppedValues > 0) {
      ++cutSplines_;
      droppedSplineValues_ += e.DroppedValues;
    }
    if (e.Xs.size() < 2 || e.Ys.size() != e.Xs.size()) return;
    auto* s = NewPolyline((e.Flags & 1) != 0);
    for (std::size_t i = 0; i < e.Xs.size(); ++i) s->AddPoint(e.Xs[i], e.Ys[i]);
    Append(s, EntityPen(e.Color));
  }

  // Bulges are not read: every segment is straight.
  void AddPolyline(const dxf::TDxfPolyline& e) override {
    if (e.DroppedVertices > 0) {
      ++cutPolylines_;
      droppedVertices_ += e.DroppedVertices;
    }
    if (e.Points.size() < 2) return;
    auto* s = NewPolyline((e.Flags & 1) != 0);
    s->Points.reserve(e.Points.size());
    const dxf::TDxfOcs ocs(e.Extrusion);
    if (ocs.IsWorld()) {
      for (const auto& [x, y] : e.Points) s->AddPoint(x, y);
    } else {
      for (const auto& point : e.Points) {
        double x, y;
        ocs.ToWorld(point.first, point.second, e.Elevation, x, y);
        s->AddPoint(x, y);
      }
    }
    Append(s, EntityPen(e.Color));
  }

  // Left-aligned, bottom at the anchor, in the import layer's colour.
  void AddText(const dxf::TDxfText& e) override {
    if (e.Text.empty()) return;
    const std::string stripped = dxf::StripMTextFormatting(e.Text);
    if (stripped.empty()) return;
    const std::string text = dxf::DecodeDxfText(stripped);
    const dxf::TDxfOcs ocs(e.Extrusion);
    auto* s = new TQText;
    s->ShapeType = stText;
    ocs.ToWorld(e.X, e.Y, e.Z, s->X, s->Y);
    s->TextString = text;
    s->Text = text;
    s->FontIndex = -1;
    s->Layer = ImportLayer();
    s->UpdateBounds();  // the box of the record's default height 10
    s->Height = e.Height > 0.1 ? e.Height : 2.5;
    s->FontName = "Arial";
    s->Angle = ocs.WorldAngle(e.Angle);
    s->TextAlign = 0;
    s->TextJustify = 2;
    Append(s, LayerPen());
  }

  // One line per line of the block: base point to the origin, scaled,
  // rotated counter-clockwise, moved to the insertion point.
  void AddInsert(const dxf::TDxfInsert& e) override {
    const TQBlock* block = IndexedBlock(dxf::DecodeDxfText(e.BlockName));
    if (!block) return;
    const double c = std::cos(e.Angle * kPi / 180), sn = std::sin(e.Angle * kPi / 180);
    const int insertColour = e.Color >= 0 ? dxf::DXFColorToTColor(e.Color) : -1;
    for (const TQShape* shape : block->BlockShapes) {
      if (shape->ShapeType != stLine) continue;
      const auto* bl = dynamic_cast<const TQLine*>(shape);
      if (!bl) continue;
      if (insertLines_ >= kMaxDxfInsertLines) {
        ++droppedInsertLines_;
        continue;
      }
      ++insertLines_;
      auto place = [&](double x, double y, double& X, double& Y) {
        const double u = (x - block->BaseX) * e.ScaleX, v = (y - block->BaseY) * e.ScaleY;
        X = u * c - v * sn + e.X;
        Y = u * sn + v * c + e.Y;
      };
      auto* s = new TQLine;
      s->ShapeType = stLine;
      place(bl->X1, bl->Y1, s->X1, s->Y1);
      place(bl->X2, bl->Y2, s->X2, s->Y2);
      s->UpdateBounds();
      Append(s, insertColour >= 0 ? static_cast<TColor>(insertColour) : bl->PenFg);
    }
  }

 private:
  // Every DXF layer name maps to the import layer of this file.
  int ImportLayer() const { return m_.DXFImportLayer; }
  TColor LayerPen() const {
    const TQLayer* l = m_.FindLayer(ImportLayer());
    return l ? l->PenFg : 0;
  }
  int LayerPenWidth() const {
    const TQLayer* l = m_.FindLayer(ImportLayer());
    return l ? l->PenWidth : 1;
  }
  // The entity's colour when its index maps to one, else the layer's.
  TColor EntityPen(int Index) const {
    const int c = Index >= 0 ? dxf::DXFColorToTColor(Index) : -1;
    return c >= 0 ? static_cast<TColor>(c) : LayerPen();
  }
  // FindBlock's answer, looked up in an index: the block list is complete
  // once the entities are read, and a file with many blocks and many
  // references would otherwise cost blocks x references name comparisons.
  const TQBlock* IndexedBlock(const std::string& Name) {
    if (!blocksIndexed_) {
      for (TQBlock* b : m_.Blocks) blockIndex_.emplace(b->Name, b);  // the first of a name stays
      blocksIndexed_ = true;
    }
    const auto it = blockIndex_.find(Name);
    return it == blockIndex_.end() ? nullptr : it->second;
  }
  TQPolyline* NewPolyline(bool Closed) {
    auto* s = new TQPolyline;
    s->Closed = Closed;
    s->ShapeType = Closed ? stPolygon : stPolyline;
    return s;
  }
  // A polyline is whole when appended: its vertex list gives back what it
  // reserved while growing.
  void Append(TQPolyline* s, TColor Pen) {
    s->Points.shrink_to_fit();
    Append(static_cast<TQShape*>(s), Pen);
  }
  void Append(TQShape* s, TColor Pen) {
    s->Layer = ImportLayer();
    s->Number = m_.NextShapeNumber++;
    s->PenFg = Pen;
    m_.Shapes.push_back(s);
    m_.ShapeCount = static_cast<int>(m_.Shapes.size());
    ++added_;
  }

  TQuarixCanvasModel& m_;
  int added_ = 0;
  std::size_t insertLines_ = 0;
  std::size_t droppedInsertLines_ = 0;
  std::size_t droppedVertices_ = 0, cutPolylines_ = 0;
  std::size_t droppedSplineValues_ = 0, cutSplines_ = 0;
  std::map<std::string, std::size_t> skipped_;
  std::size_t skippedOther_ = 0;
  std::unordered_map<std::string, const TQBlock*> blockIndex_;
  bool blocksIndexed_ = false;
};

}  // namespace

std::string DxfImportLayerName(const std::string& FileName) {
  const std::size_t slash = FileName.find_last_of("/\\");
  return "_dxf_" + (slash == std::string::npos ? FileName : FileName.substr(slash + 1));
}

TQBlock* FindBlock(const TQuarixCanvasModel& Model, const std::string& Name) {
  for (TQBlock* b : Model.Blocks)
    if (b->Name == Name) return b;
  return nullptr;
}

void SetDxfTraceSink(TDxfTextSink Sink) { TraceSink() = std::move(Sink); }

std::string ChooseDxfImportLayerName(const TQuarixCanvasModel& Model, const std::string& Path,
                                     const std::map<std::string, std::string>& Owned) {
  const auto owned = Owned.find(Path);
  if (owned != Owned.end() && Model.LayerFindByName(owned->second) >= 0) return owned->second;
  const std::string base = DxfImportLayerName(Path);
  if (Model.LayerFindByName(base) < 0) return base;
  for (int n = 2;; ++n) {
    const std::string name = base + " (" + std::to_string(n) + ")";
    if (Model.LayerFindByName(name) < 0) return name;
  }
}

bool DXFLoad(TQuarixCanvasModel& Model, const std::string& FileName,
             const TDxfTextSink& ShowMessage, const std::string& LayerName,
             const TImportProgress& Progress) {
  auto show = [&ShowMessage](const std::string& text) {
    if (ShowMessage) ShowMessage(text);
    else prompts::ShowMessage(QString::fromStdString(text));
  };
  // A file that cannot be read (gone since it was chosen, a FIFO, a device,
  // too large) is told with its reason; a FIFO is never waited on.
  std::string problem;
  uint64_t size = 0;
  const int fd = OpenFileToRead(FileName, kMaxDxfFileBytes, &problem, &size);
  if (fd < 0) {
    show("DXF load failed: " + FileName + " cannot be read (" + problem + ")");
    return false;
  }
  FileReadBuffer file(fd);
  std::istream in(&file);

  // The file is read onto a work layer; the import layer keeps what it holds
  // until the read has given shapes.
  const std::string layerName = LayerName.empty() ? DxfImportLayerName(FileName) : LayerName;
  TImportStage stage(Model, layerName);
  const int previousImportLayer = Model.DXFImportLayer;
  Model.DXFImportLayer = stage.Layer();
  if (TQLayer* l = Model.FindLayer(stage.Layer())) {
    l->Visible = true;  // the import layer's flags, as the shapes will find them
    l->Locked = true;
  }
  TCanvasDxfImport import(Model);
  // Four passes over the file.
  std::function<bool(uint64_t)> progress;
  if (Progress)
    progress = [&Progress, size](uint64_t bytes) { return Progress(std::min(bytes, 4 * size), 4 * size); };
  const dxf::TDxfReadResult result = dxf::ReadDxf(in, import, progress);
  if (result != dxf::TDxfReadResult::Ok || import.Added() == 0) {
    stage.Abort();
    Model.DXFImportLayer = previousImportLayer;
    if (result == dxf::TDxfReadResult::NoEntities) {
      show("DXF load failed: ENTITIES section not found");
    } else if (result == dxf::TDxfReadResult::Ok) {
      const std::string leftOut = import.LeftOut();
      show("DXF import: no shape was read from " + FileName + (leftOut.empty() ? "." : "; left out " + leftOut + "."));
    }
    return false;
  }
  const int layer = stage.Commit();
  Model.DXFImportLayer = layer;
  Model.CurrentLayer = layer;
  if (TQLayer* l = Model.FindLayer(layer)) {
    l->Visible = true;
    l->Locked = true;
  }
  Model.WorldExtents();
  Model.NeedsRedraw = true;
  Model.Refresh();
  const std::string leftOut = import.LeftOut();
  if (!leftOut.empty()) show("DXF import: left out " + leftOut + ".");
  return true;
}

bool DXFLoadReplace(TQuarixCanvasModel& Model, const std::string& FileName,
                    const TDxfTextSink& ShowMessage, const std::string& LayerName,
                    const TImportProgress& Progress) {
  return DXFLoad(Model, FileName, ShowMessage, LayerName, Progress);
}
