// Reading the drawing file: the text a piece at a time (inflated as it is
// taken apart), its records built into shapes apart from the map.
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "canvas/canvasmodel.h"
#include "drawingfiles/qvtfile.h"

namespace qvt {

namespace {

// Three quarters of the physical memory, or of the address space or data
// size the process is held to when that is less.
std::size_t MachineMemory() {
  const long pages = ::sysconf(_SC_PHYS_PAGES), page = ::sysconf(_SC_PAGESIZE);
  unsigned long long room = pages > 0 && page > 0 ? static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(page)
                                                  : 1ULL << 32;
  for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
    rlimit limit{};
    if (::getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
      room = std::min<unsigned long long>(room, limit.rlim_cur);
  }
  room = room / 4 * 3;
  return static_cast<std::size_t>(std::min<unsigned long long>(room, SIZE_MAX / 2));
}

// What a record costs beyond its own size: its place in the shape list
// (24 bytes while the list grows) and in the spatial index, and the
// allocator's bookkeeping of its vertex list.
constexpr std::size_t kRecordOverhead = 48;
// A string's own allocation, when it is longer than the room inside the
// string object: its bytes, the terminating NUL and the allocator's header
// and rounding.
std::size_t HeapString(std::size_t size) { return size > 15 ? size + 32 : 0; }
// A non-empty text field of a record: its slot in the shared table and the
// slot's string.
std::size_t TextSlot(std::size_t size) { return size ? 40 + HeapString(size) : 0; }
std::size_t TextRecordBytes(std::size_t text, std::size_t font) {
  // The text is held twice: as the text record's own string and as its
  // general text field.
  return kRecordOverhead + sizeof(TQText) + HeapString(text) + TextSlot(text) + HeapString(font);
}
// A layer's record and name, and its entries in the reader's lookups by name
// (a copy of the name), by number and in the file's number translation.
std::size_t LayerNameBytes(std::size_t name) { return sizeof(TQLayer) + 2 * HeapString(name) + 192; }

// What the reader holds whatever it reads: zlib's inflate state with its
// window, and the steps in which the records' pool and the lookups take
// their room (the pool's blocks are 256 KB).
constexpr std::size_t kInflateBytes = std::size_t{1} << 16;
constexpr std::size_t kReaderSlack = std::size_t{1} << 19;
// The buffer that a packed stream is inflated into; it grows for a line
// longer than a quarter of it.
constexpr std::size_t kPiece = std::size_t{1} << 18;

}  // namespace

LoadBounds::LoadBounds() : MemoryBytes(MachineMemory()) {}

LoadBounds& Bounds() {
  static LoadBounds bounds;
  return bounds;
}

std::size_t TextBound(std::size_t fileBytes) {
  const LoadBounds& b = Bounds();
  const std::size_t ratio = fileBytes > SIZE_MAX / b.TextRatio ? SIZE_MAX : fileBytes * b.TextRatio;
  return std::max(ratio, b.MinTextBytes);
}

std::size_t ShapeBytes(const TQShape& s) {
  if (const auto* t = dynamic_cast<const TQText*>(&s))
    return TextRecordBytes(t->TextString.size(), t->FontName.size()) - TextSlot(t->TextString.size()) +
           TextSlot(t->Text.size()) + TextSlot(t->Notes.size());
  std::size_t bytes = kRecordOverhead + TextSlot(s.Text.size()) + TextSlot(s.Notes.size());
  if (const auto* p = dynamic_cast<const TQPolyline*>(&s)) {
    bytes += sizeof(TQPolyline) + p->Points.capacity() * sizeof(TPointD);
  } else if (dynamic_cast<const TQRectangle*>(&s)) {
    bytes += sizeof(TQRectangle);
  } else if (dynamic_cast<const TQArc*>(&s)) {
    bytes += sizeof(TQArc);
  } else {
    bytes += std::max({sizeof(TQLine), sizeof(TQCircle), sizeof(TQPoint), sizeof(TQEllipse)});
  }
  return bytes;
}

std::size_t LayerBytes(const TQLayer& layer) { return LayerNameBytes(layer.Name.size()); }

std::size_t DrawingBytes(const TQuarixCanvasModel& canvas) {
  std::size_t bytes = 0;
  for (const TQLayer* l : canvas.Layers) bytes += LayerBytes(*l);
  for (const TQShape* s : canvas.Shapes) bytes += ShapeBytes(*s);
  return bytes;
}

std::size_t ReadingBytes(const TQuarixCanvasModel& canvas) {
  // While the longest polyline is read its vertex room grows: the room
  // before the last step is held beside the final one. A line longer than
  // the inflate buffer makes the buffer grow to under twice the line, with
  // the smaller buffer held during the step.
  std::size_t vertices = 0, line = 0;
  for (const TQLayer* l : canvas.Layers) line = std::max(line, l->Name.size() + 32);
  for (const TQShape* s : canvas.Shapes) {
    if (const auto* p = dynamic_cast<const TQPolyline*>(s))
      vertices = std::max(vertices, p->Points.size() * sizeof(TPointD));
    else if (const auto* t = dynamic_cast<const TQText*>(s))
      line = std::max(line, t->TextString.size() + t->FontName.size() + 512);
  }
  return kReaderSlack + kInflateBytes + kPiece + 3 * (line + kPiece / 4) + vertices + DrawingBytes(canvas);
}

LoadProgress& Progress() {
  static LoadProgress progress;
  return progress;
}

LoadedDrawing::~LoadedDrawing() {
  for (TQShape* s : Shapes) delete s;
  for (TQLayer* l : Layers) delete l;
}

namespace {

bool IsSpace(char ch) {
  return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// A read stops with one of these; the drawing read so far is thrown away.
struct Refused {
  int why;
};

// The memory a read holds, counted against the bound before it is taken:
// every allocation of the read asks here first, and gives its count back
// when the room is freed.
class Budget {
 public:
  Budget(std::size_t limit, std::size_t held) : limit_(limit) { Take(held); }
  void Take(std::size_t bytes) {
    if (bytes > limit_ || used_ > limit_ - bytes) throw Refused{EFBIG};
    used_ += bytes;
    peak_ = std::max(peak_, used_);
  }
  void Give(std::size_t bytes) { used_ -= std::min(bytes, used_); }
  // Room that was counted as `was` bytes and is now `now`.
  void Change(std::size_t was, std::size_t now) {
    if (now > was) Take(now - was);
    else Give(was - now);
  }
  std::size_t Peak() const { return peak_; }

 private:
  std::size_t limit_;
  std::size_t used_ = 0;
  std::size_t peak_ = 0;
};

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A plain decimal "[-]digits[.digits]" ending at white space or the line's
// end, whose digits fit 53 bits, is the quotient of two exact doubles: one
// division gives the correctly rounded value, the value from_chars gives.
// False (nothing read) for any other form.
bool PlainDecimal(const char*& p, const char* end, double& v) {
  const char* s = p;
  const bool negative = s < end && *s == '-';
  if (negative) ++s;
  uint64_t m = 0;
  int digits = 0, decimals = 0;
  while (s < end && IsDigit(*s)) {
    m = m * 10 + static_cast<uint64_t>(*s++ - '0');
    if (m != 0) ++digits;
  }
  const char* intEnd = s;
  if (s < end && *s == '.') {
    ++s;
    while (s < end && IsDigit(*s)) {
      m = m * 10 + static_cast<uint64_t>(*s++ - '0');
      ++decimals;
      if (m != 0) ++digits;
    }
  }
  const bool anyDigit = intEnd > p + (negative ? 1 : 0) || decimals > 0;
  if (!anyDigit || digits > 15 || decimals > 22 || (s < end && !IsSpace(*s))) return false;
  const double x = static_cast<double>(m) / kPow10[decimals];
  v = negative ? -x : x;
  p = s;
  return true;
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
    if (PlainDecimal(s, end_, v)) {
      p_ = s;
      return;
    }
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

// The drawing text one line at a time, each ending at a line feed (not
// included). Unlike other text the program reads, a carriage return ends no
// line here: the writer ends its records with a line feed alone and keeps a
// carriage return that a text holds (an imported text may have one)
// inside its TEXT record. Plain text is taken straight from the file's bytes; a packed
// stream is inflated a piece at a time as the lines are taken, so the whole
// text is never held. A stream that ends early (its data stop before the
// zlib trailer) ends the text at its last whole line.
class Lines {
 public:
  Lines(const std::string& bytes, Budget& budget)
      : limit_(TextBound(bytes.size())), start_(bytes.data()), size_(bytes.size()), progress_(Progress()),
        budget_(budget) {
    if (bytes.size() < 4 || std::memcmp(bytes.data(), kMagic, 4) != 0) {
      pos_ = bytes.data();
      end_ = pos_ + bytes.size();
      done_ = true;
      return;
    }
    if (bytes.size() - 4 > UINT32_MAX) throw Refused{EFBIG};
    budget_.Take(kInflateBytes + kPiece);
    capacity_ = kPiece;
    buffer_.reset(new char[capacity_]);
    pos_ = end_ = buffer_.get();
    if (inflateInit2(&zs_, 15) != Z_OK) throw Refused{ENOMEM};
    packed_ = true;
    zs_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + 4));
    zs_.avail_in = static_cast<uInt>(bytes.size() - 4);
  }
  ~Lines() {
    if (packed_) inflateEnd(&zs_);
  }
  Lines(const Lines&) = delete;
  Lines& operator=(const Lines&) = delete;

  // True when the stream was cut off before its end.
  bool Cut() const { return cut_; }

  bool Next(std::string_view& line) {
    if (progress_ && (++lines_ & 0xFFF) == 0) {
      const uint64_t done = packed_ ? size_ - zs_.avail_in : static_cast<uint64_t>(pos_ - start_);
      if (!progress_(done, size_)) throw Refused{ECANCELED};
    }
    for (;;) {
      if (pos_ < end_) {
        if (const void* lf = std::memchr(pos_, '\n', static_cast<std::size_t>(end_ - pos_))) {
          const char* at = static_cast<const char*>(lf);
          line = std::string_view(pos_, static_cast<std::size_t>(at - pos_));
          pos_ = at + 1;
          return true;
        }
      }
      if (done_) {
        if (pos_ == end_) return false;
        // The last line has no line feed: whole at the end of the text, not
        // known to be whole where the stream was cut off.
        line = std::string_view(pos_, static_cast<std::size_t>(end_ - pos_));
        pos_ = end_;
        return !cut_;
      }
      Inflate();
    }
  }

 private:
  // Moves the unfinished line to the front and inflates behind it.
  void Inflate() {
    const std::size_t kept = static_cast<std::size_t>(end_ - pos_);
    if (kept > 0 && pos_ != buffer_.get()) std::memmove(buffer_.get(), pos_, kept);
    if (kept > limit_) throw Refused{EFBIG};
    if (kept + kPiece / 4 > capacity_) {
      // One line longer than the buffer: it grows, both buffers counted
      // while both are held.
      budget_.Take(capacity_ * 2);
      std::unique_ptr<char[]> grown(new char[capacity_ * 2]);
      std::memcpy(grown.get(), buffer_.get(), kept);
      buffer_ = std::move(grown);
      budget_.Give(capacity_);
      capacity_ *= 2;
    }
    char* room = buffer_.get() + kept;
    const std::size_t size = capacity_ - kept;
    zs_.next_out = reinterpret_cast<Bytef*>(room);
    zs_.avail_out = static_cast<uInt>(size);
    const int rc = inflate(&zs_, Z_NO_FLUSH);
    const std::size_t got = size - zs_.avail_out;
    pos_ = buffer_.get();
    end_ = room + got;
    total_ += got;
    if (rc == Z_MEM_ERROR) throw Refused{ENOMEM};
    if (rc == Z_STREAM_ERROR || rc == Z_DATA_ERROR || rc == Z_NEED_DICT) throw Refused{EILSEQ};
    if (total_ > limit_) throw Refused{EFBIG};
    if (rc == Z_STREAM_END) {
      done_ = true;
    } else if (got == 0 && (zs_.avail_in == 0 || rc == Z_BUF_ERROR)) {
      // The data stop before the stream's end.
      done_ = true;
      cut_ = true;
    }
  }

  std::size_t limit_;
  const char* start_;
  uint64_t size_;
  const LoadProgress& progress_;
  Budget& budget_;
  uint64_t lines_ = 0;
  z_stream zs_{};
  bool packed_ = false;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
  std::size_t total_ = 0;
  bool done_ = false;
  bool cut_ = false;
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Builds the file's records into a LoadedDrawing, looking at the canvas's
// layers, fonts and numbering but changing nothing in it. Lines, circles and
// texts get what the canvas's own creation operations give them (layer pen,
// "Default" for an unknown layer); the other shapes are built as read.
class Reader {
 public:
  Reader(const TQuarixCanvasModel& canvas, bool replace, Lines& lines, LoadedDrawing& out, Budget& budget)
      : c_(canvas), lines_(lines), out_(out), budget_(budget) {
    out_.WorldLeft = canvas.WorldLeft;
    out_.WorldRight = canvas.WorldRight;
    out_.WorldBottom = canvas.WorldBottom;
    out_.WorldTop = canvas.WorldTop;
    if (replace) {
      out_.NextLayerNumber = 0;
      out_.NextShapeNumber = 1;
      LayerOpen("Default");
    } else {
      out_.NextLayerNumber = canvas.NextLayerNumber;
      out_.NextShapeNumber = canvas.NextShapeNumber;
      out_.CurrentLayer = canvas.CurrentLayer;
      for (const TQLayer* l : canvas.Layers) Register(l);
    }
  }

  // Records read: the view, layers and shapes.
  std::size_t Records() const { return records_ + out_.Shapes.size(); }

  void Run() {
    std::string_view line;
    while (lines_.Next(line)) {
      if (line.empty() || line.front() == '#') continue;
      Fields f(line);
      const std::string_view kw = f.Word();
      switch (kw.size()) {
        case 3:
          if (kw == "ARC") Arc(f);
          break;
        case 4:
          if (kw == "LINE") LineOrCircle(f, false);
          else if (kw == "TEXT") Text(f);
          break;
        case 5:
          if (kw == "POINT") Point(f);
          else if (kw == "WORLD") World(f);
          else if (kw == "LAYER") Layer(f);
          else if (kw == "ARC3P") Poly(f, stArc, false);
          break;
        case 6:
          if (kw == "CIRCLE") LineOrCircle(f, true);
          else if (kw == "SPLINE") Poly(f, stSpline, false);
          break;
        case 7:
          if (kw == "POLYGON") Poly(f, stPolygon, true);
          else if (kw == "ELLIPSE") Ellipse(f);
          break;
        case 8:
          if (kw == "POLYLINE") Poly(f, stPolyline, false);
          break;
        case 9:
          if (kw == "RECTANGLE") Rectangle(f);
          break;
        default:
          break;
      }
    }
  }

 private:
  // ---- Layers: the canvas's (or, replacing, none) and the file's new ones.
  void Register(const TQLayer* l) {
    byName_.try_emplace(l->Name, l->Number);
    byNumber_.try_emplace(l->Number, l);
  }

  int LayerOpen(const std::string& name) {
    const auto it = byName_.find(name);
    if (it != byName_.end()) return out_.CurrentLayer = it->second;
    budget_.Take(LayerNameBytes(name.size()));
    auto layer = std::make_unique<TQLayer>();
    layer->Number = out_.NextLayerNumber++;
    layer->Name = name;
    out_.Layers.push_back(layer.get());
    Register(layer.release());
    return out_.CurrentLayer = out_.Layers.back()->Number;
  }

  const TQLayer* FindLayer(int number) {
    if (lastLayer_ && lastLayer_->Number == number) return lastLayer_;
    const auto it = byNumber_.find(number);
    if (it == byNumber_.end()) return nullptr;
    return lastLayer_ = it->second;
  }

  // The layer a shape made by a creation operation goes on: an unknown
  // number sends it to "Default" (made again when missing), then current.
  const TQLayer* LayerForNewShape(int number) {
    if (const TQLayer* l = FindLayer(number)) return l;
    return FindLayer(LayerOpen("Default"));
  }

  int Translate(int fileLayer) const {
    if (fileLayer == lastFile_) return lastCanvas_;
    const auto it = layers_.find(fileLayer);
    lastFile_ = fileLayer;
    lastCanvas_ = it == layers_.end() ? fileLayer : it->second;
    return lastCanvas_;
  }

  // ---- Shapes
  // Numbers a shape and puts it at the end of the file's drawing. `counted`
  // of its bytes were counted while it was built (a record of a fixed size
  // is counted once made).
  template <class T>
  void Append(std::unique_ptr<T> s, std::size_t counted = 0) {
    budget_.Change(counted, ShapeBytes(*s));
    s->Number = out_.NextShapeNumber++;
    out_.Shapes.push_back(s.get());
    s.release();
  }

  // What the canvas's creation operations give a shape from its layer.
  static void FromLayer(TQShape& s, const TQLayer& layer) {
    s.Layer = layer.Number;
    s.PenFg = layer.PenFg;
    s.PenWidth = layer.PenWidth;
  }

  void World(Fields& f) {
    ++records_;
    f.Real(out_.WorldLeft);
    f.Real(out_.WorldRight);
    f.Real(out_.WorldBottom);
    f.Real(out_.WorldTop);
  }

  void Layer(Fields& f) {
    ++records_;
    int number = 0;
    f.Int(number);
    const std::string name(Trim(f.Rest()));
    if (layers_.find(number) == layers_.end()) budget_.Take(64);  // the translation's entry
    layers_[number] = LayerOpen(name);
    lastFile_ = INT32_MIN;  // the entry may have changed
  }

  void LineOrCircle(Fields& f, bool circle) {
    double a = 0, b = 0, x = 0, y = 0;
    int layer = 0, width = 1;
    TColor color = 0;
    f.Real(a), f.Real(b), f.Real(x);
    if (!circle) f.Real(y);
    f.Int(layer), f.Color(color), f.Int(width);
    const TQLayer& l = *LayerForNewShape(Translate(layer));
    if (circle) {
      auto s = std::make_unique<TQCircle>();
      s->CenterX = a, s->CenterY = b, s->Radius = x;
      s->ShapeType = stCircle;
      FromLayer(*s, l);
      s->BrushFg = l.BrushFg;
      s->BrushStyle = l.BrushStyle;
      Finish(std::move(s), color, width);
    } else {
      auto s = std::make_unique<TQLine>();
      s->X1 = a, s->Y1 = b, s->X2 = x, s->Y2 = y;
      s->ShapeType = stLine;
      FromLayer(*s, l);
      Finish(std::move(s), color, width);
    }
  }

  // A colour other than 0 overrides the layer's pen, width included.
  template <class T>
  void Finish(std::unique_ptr<T> s, TColor color, int width) {
    if (color != 0) {
      s->PenFg = color;
      s->PenWidth = width;
    }
    s->UpdateBounds();
    Append(std::move(s));
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
    std::string_view fontName, text;
    if (f.Ok()) {
      fontName = f.Word();
      // A font name ends at a NUL, as it always did when names were C strings.
      fontName = fontName.substr(0, fontName.find('\0'));
      text = f.Rest();
      if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    }
    const TQLayer& l = *LayerForNewShape(Translate(layer));
    // The record's strings are counted before they are made.
    const bool ownFont = !fontName.empty() && fontName != "0";
    const std::size_t tableFont =
        font >= 0 && font < static_cast<int>(c_.Fonts.size()) ? c_.Fonts[static_cast<std::size_t>(font)].Name.size()
                                                              : std::string("Arial").size();
    const std::size_t counted = TextRecordBytes(text.size(), ownFont ? fontName.size() : tableFont);
    budget_.Take(counted);
    // As the canvas's TextAdd makes it, then the record's fields.
    auto t = std::make_unique<TQText>();
    t->X = x, t->Y = y;
    t->TextString.assign(text);
    t->Text = t->TextString;
    t->FontIndex = font;
    t->ShapeType = stText;
    t->Layer = l.Number;
    t->PenFg = l.PenFg;
    t->TextAlign = c_.DefaultTextAlign;
    t->TextJustify = c_.DefaultTextJustify;
    if (font >= 0 && font < static_cast<int>(c_.Fonts.size())) {
      const TQFont& tf = c_.Fonts[static_cast<std::size_t>(font)];
      t->FontName = tf.Name;
    }
    if (color != 0) t->PenFg = color;
    t->Height = height;
    t->Angle = angle;
    t->Bold = bold != 0;
    t->Italic = italic != 0;
    if (ownFont) t->FontName.assign(fontName);
    t->UpdateBounds();
    Append(std::move(t), counted);
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
    // Exactly `count` lines follow as vertices, whatever they hold; a text
    // that ends early gives no vertices for the missing lines. The vertex
    // room grows with the lines read, up to the count, each step counted
    // before it is taken with the room it replaces still held; a count
    // that promises more than the file holds costs no more than the lines
    // that are there.
    TPointList& points = p->Points;
    std::size_t room = 0;  // bytes of vertex room counted
    // The vertices moved into room for `capacity` of them.
    const auto reroom = [&](std::size_t capacity) {
      budget_.Take(capacity * sizeof(TPointD));
      TPointList grown;
      grown.reserve(capacity);
      grown.assign(points.begin(), points.end());
      points.swap(grown);
      grown = TPointList();
      budget_.Change(room + capacity * sizeof(TPointD), points.capacity() * sizeof(TPointD));
      room = points.capacity() * sizeof(TPointD);
    };
    std::string_view line;
    int i = 0;
    for (; i < count && lines_.Next(line); ++i) {
      if (points.size() == points.capacity())
        reroom(std::min(static_cast<std::size_t>(count), std::max<std::size_t>(4096, points.capacity() * 2)));
      Fields v(line);
      double x = 0, y = 0;
      v.Real(x), v.Real(y);
      points.push_back({x, y});
    }
    // In a text that was cut off, a record whose vertex lines are missing
    // is not whole: it is dropped.
    if (i < count && lines_.Cut()) {
      budget_.Give(room);
      return;
    }
    if (points.capacity() != points.size()) reroom(points.size());  // a count that promised more
    p->UpdateBounds();
    Append(std::move(p), room);
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
    Built(std::move(e), layer, color, width);
  }

  void Arc(Fields& f) {
    auto a = std::make_unique<TQArc>();
    int layer = 0, width = 1;
    TColor color = 0;
    f.Real(a->X1), f.Real(a->Y1), f.Real(a->X2), f.Real(a->Y2), f.Real(a->X3), f.Real(a->Y3);
    f.Int(layer), f.Color(color), f.Int(width);
    a->ShapeType = stArc;
    Built(std::move(a), layer, color, width);
  }

  // Ellipses and arcs: the translated layer, the record's pen when its
  // colour is not 0, else black of width 1.
  template <class T>
  void Built(std::unique_ptr<T> s, int layer, TColor color, int width) {
    s->Layer = Translate(layer);
    s->PenFg = color;
    s->PenWidth = color != 0 ? width : 1;
    s->UpdateBounds();
    Append(std::move(s));
  }

  const TQuarixCanvasModel& c_;
  Lines& lines_;
  LoadedDrawing& out_;
  Budget& budget_;
  std::size_t records_ = 0;  // WORLD and LAYER records
  // File layer number -> canvas layer number, for this read only.
  std::map<int, int> layers_{{0, 0}};
  mutable int lastFile_ = INT32_MIN;
  mutable int lastCanvas_ = 0;
  // Every layer the shapes may go on, first of a name or number winning as
  // in the canvas's own lookups.
  std::unordered_map<std::string, int> byName_;
  std::unordered_map<int, const TQLayer*> byNumber_;
  const TQLayer* lastLayer_ = nullptr;
};

}  // namespace

int ReadDrawing(const std::string& bytes, const TQuarixCanvasModel& canvas, bool replace, LoadedDrawing& out) {
  std::unique_ptr<Budget> budget;
  const auto counted = [&](int why) {
    out.CountedBytes = budget ? budget->Peak() : bytes.size();
    return why;
  };
  try {
    // The file is held while it is read.
    budget = std::make_unique<Budget>(Bounds().MemoryBytes, bytes.size() + kReaderSlack);
    Lines lines(bytes, *budget);
    Reader reader(canvas, replace, lines, out, *budget);
    reader.Run();
    // A stream cut off before its end was read only in part; a text without
    // a single record is no drawing. Neither is taken.
    if (lines.Cut()) return counted(ENODATA);
    if (reader.Records() == 0) return counted(ENOMSG);
    return counted(0);
  } catch (const Refused& r) {
    return counted(r.why);
  } catch (const std::bad_alloc&) {
    return counted(ENOMEM);
  } catch (const std::length_error&) {
    return counted(ENOMEM);
  }
}

}  // namespace qvt
