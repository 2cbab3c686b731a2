// Writing the drawing file: the drawing text and its compressed container.
#include <zlib.h>

#include <charconv>
#include <climits>
#include <cstdio>

#include "canvas/canvasmodel.h"
#include "drawingfiles/qvtfile.h"

namespace qvt {
namespace {

class TextOut {
 public:
  explicit TextOut(std::string& out) : out_(out) {}

  TextOut& Word(const char* w) {
    out_ += w;
    return *this;
  }
  // Six decimals, ".", no grouping, independent of the locale.
  TextOut& Real(double v) {
    out_ += ' ';
    return Bare(v);
  }
  // A real without the blank in front (the first field of a vertex line).
  TextOut& Bare(double v) {
    char buf[512];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
    out_.append(buf, r.ec == std::errc() ? r.ptr : buf);
    return *this;
  }
  TextOut& Int(long long v) {
    char buf[24];
    buf[0] = ' ';
    const auto r = std::to_chars(buf + 1, buf + sizeof buf, v);
    out_.append(buf, r.ptr);
    return *this;
  }
  TextOut& Color(TColor c) { return Int(static_cast<int32_t>(c)); }
  TextOut& Text(const std::string& t) {
    out_ += ' ';
    out_ += OneLine(t);
    return *this;
  }
  void End() { out_ += '\n'; }

  // A line feed inside a name or text would split its record and let the
  // remainder be read as a record of its own: it is written as a blank.
  static std::string OneLine(const std::string& t) {
    std::string s = t;
    for (char& ch : s)
      if (ch == '\n') ch = ' ';
    return s;
  }

 private:
  std::string& out_;
};

// The font name is one word in front of the text: an empty name, or one
// holding white space, would shift the text, so it is written as "0" (the
// text then keeps the font-table font when read).
std::string FontWord(const std::string& name) {
  if (name.empty()) return "0";
  for (unsigned char ch : name)
    if (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f') return "0";
  return name;
}

void WritePoly(TextOut& o, const char* keyword, const TQPolyline& p) {
  o.Word(keyword).Int(p.Layer).Int(static_cast<long long>(p.Points.size())).Color(p.PenFg).Int(p.PenWidth);
  o.End();
  for (const TPointD& v : p.Points) {
    o.Bare(v.x).Real(v.y);  // no blank at the start of a vertex line
    o.End();
  }
}

void WriteShape(TextOut& o, const TQShape* s) {
  switch (s->ShapeType) {
    case stLine:
      if (auto* l = dynamic_cast<const TQLine*>(s)) {
        o.Word("LINE").Real(l->X1).Real(l->Y1).Real(l->X2).Real(l->Y2);
        o.Int(l->Layer).Color(l->PenFg).Int(l->PenWidth).End();
      }
      break;
    case stCircle:
      if (auto* c = dynamic_cast<const TQCircle*>(s)) {
        o.Word("CIRCLE").Real(c->CenterX).Real(c->CenterY).Real(c->Radius);
        o.Int(c->Layer).Color(c->PenFg).Int(c->PenWidth).End();
      }
      break;
    case stPoint:
      if (auto* p = dynamic_cast<const TQPoint*>(s)) {
        o.Word("POINT").Real(p->X).Real(p->Y).Int(p->Layer).Color(p->PenFg).Int(p->PenWidth).Real(p->Z);
        o.End();
      }
      break;
    case stText:
      if (auto* t = dynamic_cast<const TQText*>(s)) {
        o.Word("TEXT").Real(t->X).Real(t->Y).Int(t->Layer).Int(t->FontIndex).Color(t->PenFg);
        o.Real(t->Height).Real(t->Angle).Int(t->Bold ? 1 : 0).Int(t->Italic ? 1 : 0);
        o.Text(FontWord(t->FontName)).Text(t->TextString).End();
      }
      break;
    case stSpline:
      if (auto* p = dynamic_cast<const TQPolyline*>(s)) WritePoly(o, "SPLINE", *p);
      break;
    case stArc:
      // Only the three-point arc drawn with the mouse (a polyline) is kept.
      if (auto* p = dynamic_cast<const TQPolyline*>(s)) WritePoly(o, "ARC3P", *p);
      break;
    case stPolyline:
    case stPolygon:
      if (auto* p = dynamic_cast<const TQPolyline*>(s)) WritePoly(o, p->Closed ? "POLYGON" : "POLYLINE", *p);
      break;
    case stRectangle:
      if (auto* r = dynamic_cast<const TQRectangle*>(s)) {
        o.Word("RECTANGLE").Real(r->X1).Real(r->Y1).Real(r->X2).Real(r->Y2);
        o.Int(r->Layer).Color(r->PenFg).Int(r->PenWidth).Color(r->BrushFg).Int(r->BrushStyle).Real(r->Value);
        o.End();
      }
      break;
    case stEllipseTool:
    case stEllipse:
      if (auto* e = dynamic_cast<const TQEllipse*>(s)) {
        o.Word("ELLIPSE").Real(e->X1).Real(e->Y1).Real(e->X2).Real(e->Y2);
        o.Int(e->Layer).Color(e->PenFg).Int(e->PenWidth).End();
      }
      break;
    default:
      break;
  }
}

std::string TwoDigits(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

}  // namespace

std::string BuildDrawingText(const TQuarixCanvasModel& canvas, const QDateTime& created) {
  std::string text;
  text.reserve(canvas.Shapes.size() * 80 + 4096);
  TextOut o(text);
  const QDate d = created.date();
  const QTime t = created.time();
  o.Word("# Quarix Helm - QVT").End();
  o.Word("# Quarix").End();
  const std::string stamp = std::to_string(d.year()) + "-" + TwoDigits(d.month()) + "-" + TwoDigits(d.day()) +
                            " " + TwoDigits(t.hour()) + ":" + TwoDigits(t.minute()) + ":" +
                            TwoDigits(t.second()) + "." + TwoDigits(t.msec() / 10);
  o.Word(("# Created on: " + stamp).c_str()).End();
  o.Word("#").End();
  o.Word("WORLD").Real(canvas.WorldLeft).Real(canvas.WorldRight).Real(canvas.WorldBottom).Real(canvas.WorldTop);
  o.End();
  for (const TQLayer* l : canvas.Layers) o.Word("LAYER").Int(l->Number).Text(l->Name).End();
  for (const TQShape* s : canvas.Shapes) WriteShape(o, s);
  return text;
}

bool PackDrawingText(const std::string& text, std::string& bytes) {
  if (text.size() > UINT_MAX / 2) return false;
  z_stream zs{};
  if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  const uLong bound = deflateBound(&zs, static_cast<uLong>(text.size()));
  bytes.assign(kMagic, 4);
  bytes.resize(4 + bound);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  zs.avail_in = static_cast<uInt>(text.size());
  zs.next_out = reinterpret_cast<Bytef*>(bytes.data() + 4);
  zs.avail_out = static_cast<uInt>(bound);
  const int rc = deflate(&zs, Z_FINISH);
  const uLong written = zs.total_out;
  deflateEnd(&zs);
  if (rc != Z_STREAM_END) {
    bytes.clear();
    return false;
  }
  bytes.resize(4 + written);
  return true;
}

}  // namespace qvt
