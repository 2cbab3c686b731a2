// Reading the drawing file: unpacking the container and applying the records.
#include <zlib.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>

#include "canvas/canvasmodel.h"
#include "drawingfiles/qvtfile.h"

namespace qvt {
namespace {

bool IsSpace(char ch) {
  return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

// The fields of one line, read front to back as numbers separated by white
// space. Once a field cannot be read, it and every later field keep the
// value they had (their default).
class Fields {
 public:
  explicit Fields(std::string_view line) : p_(line.data()), end_(line.data() + line.size()) {}

  bool Ok() const { return ok_; }

  std::string_view Word() {
    SkipSpace();
    const char* start = p_;
    while (p_ < end_ && !IsSpace(*p_)) ++p_;
    return {start, static_cast<std::size_t>(p_ - start)};
  }

  void Real(double& v) {
    const char* s = Start();
    if (!s) return;
    double x = 0;
    const auto r = std::from_chars(s, end_, x, std::chars_format::general);
    if (r.ec != std::errc() || !std::isfinite(x)) return Fail();
    v = x;
    p_ = r.ptr;
  }

  void Int(int& v) {
    long long x = 0;
    if (Integer(x, INT32_MIN, INT32_MAX)) v = static_cast<int>(x);
  }

  // A colour: a signed 32-bit value as written; an unsigned one is taken too.
  void Color(TColor& v) {
    long long x = 0;
    if (Integer(x, INT32_MIN, UINT32_MAX)) v = static_cast<TColor>(static_cast<uint32_t>(x));
  }

  // The rest of the line from the current position, untouched.
  std::string_view Rest() const { return {p_, static_cast<std::size_t>(end_ - p_)}; }

 private:
  void SkipSpace() {
    while (p_ < end_ && IsSpace(*p_)) ++p_;
  }
  // Where the number starts (past white space and a "+"), null when the
  // line is used up or an earlier field failed.
  const char* Start() {
    if (!ok_) return nullptr;
    SkipSpace();
    if (p_ == end_) {
      Fail();
      return nullptr;
    }
    const char* s = p_;
    if (*s == '+' && s + 1 < end_ && *(s + 1) != '-' && *(s + 1) != '+') ++s;
    return s;
  }
  bool Integer(long long& v, long long lo, long long hi) {
    const char* s = Start();
    if (!s) return false;
    long long x = 0;
    const auto r = std::from_chars(s, end_, x);
    if (r.ec != std::errc() || x < lo || x > hi) {
      Fail();
      return false;
    }
    v = x;
    p_ = r.ptr;
    return true;
  }
  void Fail() { ok_ = false; }

  const char* p_;
  const char* end_;
  bool ok_ = true;
};

// The text one line at a time, each ending at a line feed (not included).
class Lines {
 public:
  explicit Lines(const std::string& text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const std::size_t lf = text_.find('\n', pos_);
    const std::size_t stop = lf == std::string::npos ? text_.size() : lf;
    line = std::string_view(text_).substr(pos_, stop - pos_);
    pos_ = lf == std::string::npos ? text_.size() : lf + 1;
    return true;
  }

 private:
  const std::string& text_;
  std::size_t pos_ = 0;
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

class Reader {
 public:
  Reader(TQuarixCanvasModel& canvas, const std::string& text, bool cut) : c_(canvas), lines_(text), cut_(cut) {}

  void Run() {
    std::string_view line;
    while (lines_.Next(line)) {
      if (line.empty() || line.front() == '#') continue;
      Fields f(line);
      const std::string_view kw = f.Word();
      if (kw == "WORLD") World(f);
      else if (kw == "LAYER") Layer(f);
      else if (kw == "LINE") LineOrCircle(f, false);
      else if (kw == "CIRCLE") LineOrCircle(f, true);
      else if (kw == "POINT") Point(f);
      else if (kw == "TEXT") Text(f);
      else if (kw == "POLYLINE") Poly(f, stPolyline, false);
      else if (kw == "POLYGON") Poly(f, stPolygon, true);
      else if (kw == "SPLINE") Poly(f, stSpline, false);
      else if (kw == "ARC3P") Poly(f, stArc, false);
      else if (kw == "RECTANGLE") Rectangle(f);
      else if (kw == "ELLIPSE") Ellipse(f);
      else if (kw == "ARC") Arc(f);
    }
  }

 private:
  int Translate(int fileLayer) const {
    const auto it = layers_.find(fileLayer);
    return it == layers_.end() ? fileLayer : it->second;
  }

  // Numbers a shape built here and puts it at the end of the drawing.
  template <class T>
  void Append(std::unique_ptr<T> s) {
    s->Number = c_.NextShapeNumber++;
    Push(std::move(s));
  }
  template <class T>
  void Push(std::unique_ptr<T> s) {
    c_.Shapes.push_back(s.get());
    s.release();
    c_.ShapeCount = static_cast<int>(c_.Shapes.size());
  }

  void World(Fields& f) {
    f.Real(c_.WorldLeft);
    f.Real(c_.WorldRight);
    f.Real(c_.WorldBottom);
    f.Real(c_.WorldTop);
  }

  void Layer(Fields& f) {
    int number = 0;
    f.Int(number);
    const std::string name(Trim(f.Rest()));
    layers_[number] = c_.LayerOpen(name);
  }

  void LineOrCircle(Fields& f, bool circle) {
    double a = 0, b = 0, x = 0, y = 0;
    int layer = 0, width = 1;
    TColor color = 0;
    f.Real(a), f.Real(b), f.Real(x);
    if (!circle) f.Real(y);
    f.Int(layer), f.Color(color), f.Int(width);
    if (circle)
      c_.DrawCircle(a, b, x, Translate(layer));
    else
      c_.DrawLine(a, b, x, y, Translate(layer));
    // The shape just made is the last of the drawing: it is taken from
    // there, never searched for, so the read stays linear. The layer's pen
    // bookkeeping looks at appended shapes when it is next consulted.
    if (color != 0) {
      TQShape* s = c_.Shapes.back();
      s->PenFg = color;
      s->PenWidth = width;
    }
  }

  void Point(Fields& f) {
    auto p = std::make_unique<TQPoint>();
    int layer = 0;
    f.Real(p->X), f.Real(p->Y), f.Int(layer), f.Color(p->PenFg), f.Int(p->PenWidth), f.Real(p->Z);
    p->PointSize = 3;
    p->ShapeType = stPoint;
    p->Layer = Translate(layer);
    p->UpdateBounds();
    Append(std::move(p));
  }

  void Text(Fields& f) {
    double x = 0, y = 0, height = 10.0, angle = 0;
    int layer = 0, font = 0, bold = 0, italic = 0;
    TColor color = 0;
    f.Real(x), f.Real(y), f.Int(layer), f.Int(font), f.Color(color);
    f.Real(height), f.Real(angle), f.Int(bold), f.Int(italic);
    std::string fontName, text;
    if (f.Ok()) {
      fontName = std::string(f.Word());
      std::string_view rest = f.Rest();
      if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
      text = std::string(rest);
    }
    c_.TextAdd(Translate(layer), text, x, y, font);
    if (auto* t = dynamic_cast<TQText*>(c_.Shapes.back())) {
      if (color != 0) t->PenFg = color;
      t->Height = height;
      t->Angle = angle;
      t->Bold = bold != 0;
      t->Italic = italic != 0;
      if (!fontName.empty() && fontName != "0") t->FontName = fontName;
      t->UpdateBounds();  // the box follows the height read
    }
  }

  void Poly(Fields& f, int type, bool closed) {
    int layer = 0, count = 0, width = 1;
    TColor color = 0;
    f.Int(layer), f.Int(count), f.Color(color), f.Int(width);
    auto p = std::make_unique<TQPolyline>();
    p->ShapeType = type;
    p->Closed = closed;
    p->Layer = Translate(layer);
    if (color != 0) {
      p->PenFg = color;
      p->PenWidth = width;
    } else {
      p->PenFg = 0;
      p->PenWidth = 1;
    }
    p->Number = c_.NextShapeNumber++;
    // Exactly `count` lines follow as vertices, whatever they hold; a text
    // that ends early gives no vertices for the missing lines.
    std::string_view line;
    int i = 0;
    for (; i < count && lines_.Next(line); ++i) {
      Fields v(line);
      double x = 0, y = 0;
      v.Real(x), v.Real(y);
      p->AddPoint(x, y);
    }
    // In a text that was cut off, a record whose vertex lines are missing
    // is not whole: it is dropped.
    if (i < count && cut_) return;
    p->UpdateBounds();
    Push(std::move(p));
  }

  void Rectangle(Fields& f) {
    auto r = std::make_unique<TQRectangle>();
    int layer = 0, style = 0;
    r->BrushFg = 0;  // a brush colour left out of the record is black
    f.Real(r->X1), f.Real(r->Y1), f.Real(r->X2), f.Real(r->Y2);
    f.Int(layer), f.Color(r->PenFg), f.Int(r->PenWidth), f.Color(r->BrushFg), f.Int(style), f.Real(r->Value);
    r->Rounded = false;
    r->CornerRadius = 10.0;
    r->ShapeType = stRectangle;
    r->Layer = Translate(layer);
    // Brush styles outside the known ordinals fall back to solid.
    r->BrushStyle = style >= bsSolid && style <= bsDiagCross ? static_cast<TBrushStyle>(style) : bsSolid;
    r->UpdateBounds();
    Append(std::move(r));
  }

  void Ellipse(Fields& f) {
    auto e = std::make_unique<TQEllipse>();
    int layer = 0, width = 1;
    TColor color = 0;
    f.Real(e->X1), f.Real(e->Y1), f.Real(e->X2), f.Real(e->Y2), f.Int(layer), f.Color(color), f.Int(width);
    e->ShapeType = stEllipse;
    Finish(std::move(e), layer, color, width);
  }

  void Arc(Fields& f) {
    auto a = std::make_unique<TQArc>();
    int layer = 0, width = 1;
    TColor color = 0;
    f.Real(a->X1), f.Real(a->Y1), f.Real(a->X2), f.Real(a->Y2), f.Real(a->X3), f.Real(a->Y3);
    f.Int(layer), f.Color(color), f.Int(width);
    a->ShapeType = stArc;
    Finish(std::move(a), layer, color, width);
  }

  template <class T>
  void Finish(std::unique_ptr<T> s, int layer, TColor color, int width) {
    s->Layer = Translate(layer);
    s->PenFg = color;
    s->PenWidth = color != 0 ? width : 1;
    s->UpdateBounds();
    Append(std::move(s));
  }

  TQuarixCanvasModel& c_;
  Lines lines_;
  bool cut_;
  std::map<int, int> layers_{{0, 0}};
};

}  // namespace

bool UnpackDrawingText(const std::string& bytes, std::string& text, std::size_t limit, bool* cut) {
  text.clear();
  if (cut) *cut = false;
  if (bytes.size() < 4 || std::memcmp(bytes.data(), kMagic, 4) != 0) {
    if (bytes.size() > limit) return false;
    text = bytes;
    return true;
  }
  if (bytes.size() - 4 > UINT32_MAX) return false;
  z_stream zs{};
  if (inflateInit2(&zs, 15) != Z_OK) return false;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + 4));
  zs.avail_in = static_cast<uInt>(bytes.size() - 4);
  bool ok = true;
  bool streamEnd = false;
  // Inflated straight into the text, which grows as needed (drawing text
  // packs about four to one).
  std::size_t used = 0;
  text.resize(std::min(limit, std::max<std::size_t>(1 << 16, (bytes.size() - 4) * 5)));
  for (;;) {
    if (used == text.size()) {
      if (text.size() >= limit) {
        // Full at the limit: one byte more means the text is too long.
        unsigned char probe;
        zs.next_out = &probe;
        zs.avail_out = 1;
        const int rc = inflate(&zs, Z_NO_FLUSH);
        if (zs.avail_out == 0 || (rc != Z_STREAM_END && rc != Z_BUF_ERROR && rc != Z_OK)) ok = false;
        streamEnd = rc == Z_STREAM_END;
        break;
      }
      text.resize(std::min(limit, text.size() * 2));
    }
    zs.next_out = reinterpret_cast<Bytef*>(text.data() + used);
    zs.avail_out = static_cast<uInt>(std::min<std::size_t>(text.size() - used, UINT32_MAX));
    const uInt room = zs.avail_out;
    const int rc = inflate(&zs, Z_NO_FLUSH);
    if (rc == Z_STREAM_ERROR || rc == Z_DATA_ERROR || rc == Z_MEM_ERROR || rc == Z_NEED_DICT) {
      ok = false;
      break;
    }
    const std::size_t got = room - zs.avail_out;
    used += got;
    // The end of the stream, or input used up before it (a cut-off file:
    // what came out so far is the drawing).
    if (rc == Z_STREAM_END) streamEnd = true;
    if (rc == Z_STREAM_END || rc == Z_BUF_ERROR || (got == 0 && zs.avail_in == 0)) break;
  }
  const bool ended = streamEnd;
  inflateEnd(&zs);
  text.resize(ok ? used : 0);
  if (!ok) {
    text.clear();
    return false;
  }
  if (!ended) {
    // A stream cut off before its end: the last line is not known to be
    // whole, so it is dropped rather than applied as a shorter record.
    const std::size_t lf = text.rfind('\n');
    text.resize(lf == std::string::npos ? 0 : lf + 1);
  }
  if (cut) *cut = !ended;
  return true;
}

bool WithinBounds(const std::string& text) {
  Lines lines(text);
  std::string_view line;
  std::size_t shapes = 0, vertices = 0;
  while (lines.Next(line)) {
    if (line.empty() || line.front() == '#') continue;
    Fields f(line);
    const std::string_view kw = f.Word();
    if (kw == "POLYLINE" || kw == "POLYGON" || kw == "SPLINE" || kw == "ARC3P") {
      int layer = 0, count = 0;
      f.Int(layer), f.Int(count);
      for (int i = 0; i < count && lines.Next(line); ++i)
        if (++vertices > kMaxVertices) return false;
    } else if (kw != "LINE" && kw != "CIRCLE" && kw != "POINT" && kw != "TEXT" && kw != "RECTANGLE" &&
               kw != "ELLIPSE" && kw != "ARC") {
      continue;
    }
    if (++shapes > kMaxShapes) return false;
  }
  return true;
}

void ApplyDrawingText(TQuarixCanvasModel& canvas, const std::string& text, bool cut) {
  Reader(canvas, text, cut).Run();
}

}  // namespace qvt
