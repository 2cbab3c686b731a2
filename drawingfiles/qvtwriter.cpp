// Writing the drawing file: the drawing text, made a piece at a time into one
// buffer, and its compressed container.
#include <zlib.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "canvas/canvasmodel.h"
#include "drawingfiles/qvtfile.h"

namespace qvt {
namespace {

// Where the finished pieces of the text go.
class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual void Take(const char* data, std::size_t size) = 0;
};

// The text written into one buffer; every full piece is handed to the sink.
class TextOut {
 public:
  explicit TextOut(TextSink& sink) : sink_(sink), buffer_(new char[kPiece + kRecord]) {
    p_ = buffer_.get();
    limit_ = p_ + kPiece + kRecord;
  }

  // Called before each record: room for the numbers of one record plus
  // `extra` bytes of names and texts.
  void Begin(std::size_t extra = 0) {
    if (p_ - buffer_.get() >= static_cast<std::ptrdiff_t>(kPiece)) Flush();
    if (static_cast<std::size_t>(limit_ - p_) < kRecord + extra) {
      Flush();
      if (static_cast<std::size_t>(limit_ - p_) < kRecord + extra) {
        // A name or text longer than a piece: the buffer grows for it.
        buffer_.reset(new char[kRecord + extra]);
        p_ = buffer_.get();
        limit_ = p_ + kRecord + extra;
      }
    }
  }
  void Flush() {
    if (p_ != buffer_.get()) sink_.Take(buffer_.get(), static_cast<std::size_t>(p_ - buffer_.get()));
    p_ = buffer_.get();
  }

  TextOut& Word(const char* w) {
    const std::size_t n = std::strlen(w);
    std::memcpy(p_, w, n);
    p_ += n;
    return *this;
  }
  // Six decimals, ".", no grouping, independent of the locale.
  TextOut& Real(double v) {
    *p_++ = ' ';
    return Bare(v);
  }
  // A real without the blank in front (the first field of a vertex line).
  TextOut& Bare(double v) {
    p_ = Fixed6(p_, v);
    return *this;
  }
  TextOut& Int(long long v) {
    *p_++ = ' ';
    p_ = std::to_chars(p_, p_ + 24, v).ptr;
    return *this;
  }
  TextOut& Color(TColor c) { return Int(static_cast<int32_t>(c)); }
  // A line feed inside a name or text would split its record and let the
  // remainder be read as a record of its own: it is written as a blank.
  TextOut& Text(const std::string& t) {
    *p_++ = ' ';
    for (char ch : t) *p_++ = ch == '\n' ? ' ' : ch;
    return *this;
  }
  void End() { *p_++ = '\n'; }

 private:
  static constexpr std::size_t kPiece = std::size_t{1} << 18;
  // Room for the numbers of the longest record: ten reals of up to 317
  // characters (the largest doubles) and a few integers.
  static constexpr std::size_t kRecord = 4096;

  // The value with six decimals, exactly as to_chars writes it. Most values
  // are done by scaling: v x 10^6 rounded to an integer is the printed
  // number unless the product lies within its rounding error of a half;
  // those values, and the very large ones, go to to_chars.
  static char* Fixed6(char* p, double v) {
    const double s = v * 1e6;
    if (std::fabs(s) < 4.0e15) {
      const auto n = static_cast<int64_t>(s < 0 ? s - 0.5 : s + 0.5);
      const double gap = std::fabs(s - static_cast<double>(n));
      // s is within |s| x 2^-53 of the exact product; with twice that margin
      // the nearest integer of s is the nearest integer of the product.
      if (0.5 - gap > std::fabs(s) * 0x1p-52) {
        if (std::signbit(v)) *p++ = '-';
        const uint64_t u = static_cast<uint64_t>(n < 0 ? -n : n);
        p = std::to_chars(p, p + 24, u / 1000000).ptr;
        *p++ = '.';
        uint32_t f = static_cast<uint32_t>(u % 1000000);
        for (int i = 5; i >= 0; --i) {
          p[i] = static_cast<char>('0' + f % 10);
          f /= 10;
        }
        return p + 6;
      }
    }
    const auto r = std::to_chars(p, p + 400, v, std::chars_format::fixed, 6);
    return r.ec == std::errc() ? r.ptr : p;
  }

  TextSink& sink_;
  std::unique_ptr<char[]> buffer_;
  char* p_;
  char* limit_;
};

// The font name is one word in front of the text: an empty name, or one
// holding white space, would shift the text, so it is written as "0" (the
// text then keeps the font-table font when read).
const char* FontWord(const std::string& name) {
  if (name.empty()) return "0";
  for (unsigned char ch : name)
    if (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f') return "0";
  return name.c_str();
}

void WritePoly(TextOut& o, const char* keyword, const TQPolyline& p) {
  o.Begin();
  o.Word(keyword).Int(p.Layer).Int(static_cast<long long>(p.Points.size())).Color(p.PenFg).Int(p.PenWidth);
  o.End();
  for (const TPointD& v : p.Points) {
    o.Begin();
    o.Bare(v.x).Real(v.y);  // no blank at the start of a vertex line
    o.End();
  }
}

void WriteShape(TextOut& o, const TQShape* s) {
  switch (s->ShapeType) {
    case stLine:
      if (auto* l = dynamic_cast<const TQLine*>(s)) {
        o.Begin();
        o.Word("LINE").Real(l->X1).Real(l->Y1).Real(l->X2).Real(l->Y2);
        o.Int(l->Layer).Color(l->PenFg).Int(l->PenWidth).End();
      }
      break;
    case stCircle:
      if (auto* c = dynamic_cast<const TQCircle*>(s)) {
        o.Begin();
        o.Word("CIRCLE").Real(c->CenterX).Real(c->CenterY).Real(c->Radius);
        o.Int(c->Layer).Color(c->PenFg).Int(c->PenWidth).End();
      }
      break;
    case stPoint:
      if (auto* p = dynamic_cast<const TQPoint*>(s)) {
        o.Begin();
        o.Word("POINT").Real(p->X).Real(p->Y).Int(p->Layer).Color(p->PenFg).Int(p->PenWidth).Real(p->Z);
        o.End();
      }
      break;
    case stText:
      if (auto* t = dynamic_cast<const TQText*>(s)) {
        const char* font = FontWord(t->FontName);
        o.Begin(std::strlen(font) + t->TextString.size());
        o.Word("TEXT").Real(t->X).Real(t->Y).Int(t->Layer).Int(t->FontIndex).Color(t->PenFg);
        o.Real(t->Height).Real(t->Angle).Int(t->Bold ? 1 : 0).Int(t->Italic ? 1 : 0);
        o.Word(" ").Word(font).Text(t->TextString).End();
      }
      break;
    case stSpline:
      if (auto* p = dynamic_cast<const TQPolyline*>(s)) WritePoly(o, "SPLINE", *p);
      break;
    case stArc:
      // The three-point arc drawn with the mouse is a polyline; an arc held
      // by its three points (one a drawing file brought) keeps them.
      if (auto* p = dynamic_cast<const TQPolyline*>(s)) {
        WritePoly(o, "ARC3P", *p);
      } else if (auto* a = dynamic_cast<const TQArc*>(s)) {
        o.Begin();
        o.Word("ARC").Real(a->X1).Real(a->Y1).Real(a->X2).Real(a->Y2).Real(a->X3).Real(a->Y3);
        o.Int(a->Layer).Color(a->PenFg).Int(a->PenWidth).End();
      }
      break;
    case stPolyline:
    case stPolygon:
      if (auto* p = dynamic_cast<const TQPolyline*>(s)) WritePoly(o, p->Closed ? "POLYGON" : "POLYLINE", *p);
      break;
    case stRectangle:
      if (auto* r = dynamic_cast<const TQRectangle*>(s)) {
        o.Begin();
        o.Word("RECTANGLE").Real(r->X1).Real(r->Y1).Real(r->X2).Real(r->Y2);
        o.Int(r->Layer).Color(r->PenFg).Int(r->PenWidth).Color(r->BrushFg).Int(r->BrushStyle).Real(r->Value);
        o.End();
      }
      break;
    case stEllipseTool:
    case stEllipse:
      if (auto* e = dynamic_cast<const TQEllipse*>(s)) {
        o.Begin();
        o.Word("ELLIPSE").Real(e->X1).Real(e->Y1).Real(e->X2).Real(e->Y2);
        o.Int(e->Layer).Color(e->PenFg).Int(e->PenWidth).End();
      }
      break;
    default:
      break;
  }
}

void WriteDrawing(TextOut& o, const TQuarixCanvasModel& canvas, const QDateTime& created) {
  const QDate d = created.date();
  const QTime t = created.time();
  char stamp[96];
  std::snprintf(stamp, sizeof stamp, "# Created on: %d-%02d-%02d %02d:%02d:%02d.%02d", d.year(), d.month(), d.day(),
                t.hour(), t.minute(), t.second(), t.msec() / 10);
  o.Begin();
  o.Word("# Quarix Helm - QVT").End();
  o.Word("# Quarix").End();
  o.Word(stamp).End();
  o.Word("#").End();
  o.Word("WORLD").Real(canvas.WorldLeft).Real(canvas.WorldRight).Real(canvas.WorldBottom).Real(canvas.WorldTop);
  o.End();
  for (const TQLayer* l : canvas.Layers) {
    o.Begin(l->Name.size());
    o.Word("LAYER").Int(l->Number).Text(l->Name).End();
  }
  for (const TQShape* s : canvas.Shapes) WriteShape(o, s);
  o.Flush();
}

class StringSink : public TextSink {
 public:
  explicit StringSink(std::string& text) : text_(text) {}
  void Take(const char* data, std::size_t size) override { text_.append(data, size); }

 private:
  std::string& text_;
};

// Deflates the text as its pieces come: zlib's default level, deflate, 15
// window bits, memory level 8, default strategy; "QVT1" in front.
class Deflater : public TextSink {
 public:
  explicit Deflater(std::string& bytes, int level = Z_DEFAULT_COMPRESSION) : bytes_(bytes) {
    bytes_.assign(kMagic, 4);
    if (deflateInit2(&zs_, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::bad_alloc();
  }
  ~Deflater() override { deflateEnd(&zs_); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  void Take(const char* data, std::size_t size) override { Run(data, size, Z_NO_FLUSH); }
  bool Finish() { return Run(nullptr, 0, Z_FINISH) == Z_STREAM_END; }
  // The text taken in so far.
  unsigned long long TextBytes() const { return zs_.total_in; }

 private:
  int Run(const char* data, std::size_t size, int flush) {
    zs_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    zs_.avail_in = static_cast<uInt>(size);
    int rc = Z_OK;
    do {
      zs_.next_out = out_;
      zs_.avail_out = sizeof out_;
      rc = deflate(&zs_, flush);
      if (rc == Z_STREAM_ERROR) throw std::runtime_error("deflate");
      bytes_.append(reinterpret_cast<const char*>(out_), sizeof out_ - zs_.avail_out);
    } while (zs_.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
    return rc;
  }

  std::string& bytes_;
  z_stream zs_{};
  Bytef out_[1 << 17];
};

}  // namespace

std::string BuildDrawingText(const TQuarixCanvasModel& canvas, const QDateTime& created) {
  std::string text;
  StringSink sink(text);
  TextOut o(sink);
  WriteDrawing(o, canvas, created);
  return text;
}

bool PackDrawing(const TQuarixCanvasModel& canvas, const QDateTime& created, std::string& bytes) {
  // Room for what drawings usually pack to (under 32 bytes a shape), so the
  // packed bytes are rarely moved while they grow.
  bytes.reserve(4096 + canvas.Shapes.size() * 32);
  for (int level : {Z_DEFAULT_COMPRESSION, Z_NO_COMPRESSION}) {
    auto deflater = std::make_unique<Deflater>(bytes, level);
    {
      TextOut o(*deflater);
      WriteDrawing(o, canvas, created);
    }
    if (!deflater->Finish()) break;
    // A text that packs better than the reader lets a file inflate (a
    // drawing of many equal shapes) is stored as it is.
    if (deflater->TextBytes() <= TextBound(bytes.size())) return true;
  }
  bytes.clear();
  return false;
}

bool PackDrawingText(const std::string& text, std::string& bytes) {
  try {
    auto deflater = std::make_unique<Deflater>(bytes);
    for (std::size_t at = 0; at < text.size(); at += std::size_t{1} << 20)
      deflater->Take(text.data() + at, std::min(text.size() - at, std::size_t{1} << 20));
    if (deflater->Finish()) return true;
  } catch (const std::exception&) {
  }
  bytes.clear();
  return false;
}

}  // namespace qvt
