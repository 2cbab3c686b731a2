// DXF R12 writer of the map canvas.
#include "drawingfiles/dxfwriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>
#include <vector>

#include "app/textfile.h"
#include "drawingfiles/dxftext.h"

namespace {

class TDxfOut {
 public:
  explicit TDxfOut(std::ostream& Out) : out_(Out) {}
  void Line(const std::string& s) { out_ << s << "\r\n"; }
  // One group: its code line and its value line.
  void Pair(int Code, const std::string& Value) {
    Line(std::to_string(Code));
    Line(Value);
  }
  void Real(int Code, double Value) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed, 6);
    Pair(Code, std::string(buf, r.ptr));
  }
  // The start of an entity: its name and its layer.
  void Entity(const char* Name, const std::string& Layer) {
    Pair(0, Name);
    Pair(8, Layer);
  }
  // x, y and the fixed z 0.0 under the codes 10+k, 20+k, 30+k.
  void Point(int k, double X, double Y) {
    Real(10 + k, X);
    Real(20 + k, Y);
    Pair(30 + k, "0.0");
  }

 private:
  std::ostream& out_;
};

std::string LayerName(const TQuarixCanvasModel& m, int Number) {
  const TQLayer* l = m.FindLayer(Number);
  return dxf::EncodeDxfText(l ? l->Name : std::string("0"));
}

void WritePolyline(TDxfOut& o, const std::string& layer, bool closed,
                   const std::vector<std::pair<double, double>>& points) {
  o.Entity("POLYLINE", layer);
  o.Pair(66, "1");
  o.Pair(70, closed ? "1" : "0");
  for (const auto& [x, y] : points) {
    o.Entity("VERTEX", layer);
    o.Point(0, x, y);
  }
  o.Entity("SEQEND", layer);
}

void WriteShape(TDxfOut& o, const TQuarixCanvasModel& m, const TQShape* s) {
  const std::string layer = LayerName(m, s->Layer);
  switch (s->ShapeType) {
    case stLine:
      if (const auto* l = dynamic_cast<const TQLine*>(s)) {
        o.Entity("LINE", layer);
        o.Point(0, l->X1, l->Y1);
        o.Point(1, l->X2, l->Y2);
      }
      break;
    case stCircle:
      if (const auto* c = dynamic_cast<const TQCircle*>(s)) {
        o.Entity("CIRCLE", layer);
        o.Point(0, c->CenterX, c->CenterY);
        o.Real(40, c->Radius);
      }
      break;
    case stPoint:
      if (const auto* p = dynamic_cast<const TQPoint*>(s)) {
        o.Entity("POINT", layer);
        o.Point(0, p->X, p->Y);
      }
      break;
    case stText:
      if (const auto* t = dynamic_cast<const TQText*>(s)) {
        o.Entity("TEXT", layer);
        o.Point(0, t->X, t->Y);
        o.Real(40, t->Height > 0 ? t->Height : 2.5);
        o.Pair(1, dxf::EncodeDxfText(t->TextString));
        if (t->Angle != 0) o.Real(50, t->Angle);
      }
      break;
    case stRectangle:
      if (const auto* r = dynamic_cast<const TQRectangle*>(s))
        WritePolyline(o, layer, true,
                      {{r->X1, r->Y1}, {r->X2, r->Y1}, {r->X2, r->Y2}, {r->X1, r->Y2}});
      break;
    case stEllipse:
      if (const auto* e = dynamic_cast<const TQEllipse*>(s)) {
        o.Entity("CIRCLE", layer);
        o.Point(0, (e->X1 + e->X2) / 2, (e->Y1 + e->Y2) / 2);
        o.Real(40, (std::fabs(e->X2 - e->X1) / 2 + std::fabs(e->Y2 - e->Y1) / 2) / 2);
      }
      break;
    case stPolyline:
    case stPolygon:
      if (const auto* p = dynamic_cast<const TQPolyline*>(s)) {
        if (p->Points.empty()) break;
        std::vector<std::pair<double, double>> points;
        points.reserve(p->Points.size());
        for (int i = 0; i < p->PointCount(); ++i) points.emplace_back(p->GetPointX(i), p->GetPointY(i));
        WritePolyline(o, layer, p->Closed, points);
      }
      break;
    default:
      break;
  }
}

}  // namespace

void WriteDxf(const TQuarixCanvasModel& Model, std::ostream& Out) {
  TDxfOut o(Out);
  o.Pair(0, "SECTION");
  o.Pair(2, "HEADER");
  o.Pair(9, "$ACADVER");
  o.Pair(1, "AC1009");
  o.Pair(9, "$INSBASE");
  o.Pair(10, "0.0");
  o.Pair(20, "0.0");
  o.Pair(30, "0.0");
  o.Pair(9, "$EXTMIN");
  o.Point(0, Model.WorldLeft, Model.WorldBottom);
  o.Pair(9, "$EXTMAX");
  o.Point(0, Model.WorldRight, Model.WorldTop);
  o.Pair(0, "ENDSEC");

  // Layer numbers in order of their first shape, hidden shapes included.
  std::vector<int> used;
  for (const TQShape* s : Model.Shapes)
    if (std::find(used.begin(), used.end(), s->Layer) == used.end()) used.push_back(s->Layer);

  o.Pair(0, "SECTION");
  o.Pair(2, "TABLES");
  o.Pair(0, "TABLE");
  o.Pair(2, "LAYER");
  o.Pair(70, std::to_string(used.size()));
  for (int n : used) {
    const TQLayer* l = Model.FindLayer(n);
    if (!l) continue;
    o.Pair(0, "LAYER");
    o.Pair(2, dxf::EncodeDxfText(l->Name));
    o.Pair(70, "0");
    o.Pair(62, "7");
    o.Pair(6, "CONTINUOUS");
  }
  o.Pair(0, "ENDTAB");
  o.Pair(0, "ENDSEC");

  o.Pair(0, "SECTION");
  o.Pair(2, "ENTITIES");
  for (const TQShape* s : Model.Shapes) {
    if (!s->Visible) continue;
    // Geometry that is not finite would write "nan" or "inf", which no DXF
    // reader accepts; such a shape is not drawn on the map either.
    if (!s->HasFiniteBounds()) continue;
    WriteShape(o, Model, s);
  }
  o.Pair(0, "ENDSEC");
  o.Pair(0, "EOF");
}

int DXFSave(const TQuarixCanvasModel& Model, const std::string& FileName) {
  // Built whole in memory and written beside the target, then renamed over
  // it: a failed write (a full disk) leaves no cut-off drawing behind and
  // keeps an earlier file of that name.
  std::ostringstream out;
  WriteDxf(Model, out);
  return WriteFileAtomically(FileName, out.str()) ? 1 : 0;
}
