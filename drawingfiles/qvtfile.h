#pragma once
// The map's own drawing file (.qvt): the four bytes "QVT1" followed by one
// zlib stream of the drawing text, or the same text plain without the magic
// (read, never written). The text holds the world window, the layers and the
// shapes as records, one line each, ended by a line feed:
//
//   WORLD xmin xmax ymin ymax
//   LAYER number name
//   LINE x1 y1 x2 y2 layer colour width
//   CIRCLE cx cy radius layer colour width
//   POINT x y layer colour width z
//   TEXT x y layer fontindex colour height angle bold italic fontname text
//   POLYLINE|POLYGON|SPLINE|ARC3P layer count colour width   (then count "x y" lines)
//   RECTANGLE x1 y1 x2 y2 layer colour width brushcolour brushstyle value
//   ELLIPSE x1 y1 x2 y2 layer colour width
//   ARC x1 y1 x2 y2 x3 y3 layer colour width
//
// Reals have six decimals and "." whatever the locale; colours are signed
// 32-bit TColor values; lines starting with "#" are comments. The canvas's
// CadSave and CadLoad are built on the pieces below.
#include <QDateTime>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TQuarixCanvasModel;
class TQShape;
struct TQLayer;

namespace qvt {

// The four bytes in front of the compressed form.
inline constexpr char kMagic[] = "QVT1";

// What a load may take. The shapes a drawing holds are bounded only by the
// memory the machine can give them, so whatever the writer saved reads back
// whole; what a hostile file can make the reader do stays bounded: the
// records built (and the file itself) by that memory, the text a packed
// stream inflates to by its ratio to the file's size.
struct LoadBounds {
  // Bytes the file and the records read from it may take: three quarters of
  // the physical memory, or of the address space or data size the process
  // is held to when less.
  std::size_t MemoryBytes = 0;
  // A packed stream may inflate to this many times the file's size, and
  // always to MinTextBytes. Real drawings pack 5 to 10 times; the writer
  // stores a drawing that packs better than this uncompressed.
  std::size_t TextRatio = 64;
  std::size_t MinTextBytes = std::size_t{256} << 20;
  LoadBounds();
};
// The bounds every load applies. Tests lower them to reach them with small
// files.
LoadBounds& Bounds();

// The text a packed file of that many bytes may inflate to.
std::size_t TextBound(std::size_t fileBytes);
// The memory a record, a layer or the records of a drawing take, as the
// reader counts it against MemoryBytes: what it allocates for them, the
// allocator's rounding and the lists that hold them included.
std::size_t ShapeBytes(const TQShape& shape);
std::size_t LayerBytes(const TQLayer& layer);
std::size_t DrawingBytes(const TQuarixCanvasModel& canvas);
// The most the reader counts while it reads back what the writer saves of
// this canvas, the file itself left out: the records, the reader's own
// buffers, and what grows while a long polyline or a long line is read.
std::size_t ReadingBytes(const TQuarixCanvasModel& canvas);
// Told how far a load has come (bytes of the file taken in, of its size)
// every few thousand lines; false stops the load, which then fails with
// ECANCELED and leaves the map as it was. Empty: no reports.
using LoadProgress = std::function<bool(uint64_t Done, uint64_t Total)>;
LoadProgress& Progress();

// The drawing text of the canvas as the writer stores it; `created` is the
// local time named in the header.
std::string BuildDrawingText(const TQuarixCanvasModel& canvas, const QDateTime& created);

// "QVT1" + one zlib stream (default level, deflate, 15 window bits, memory
// level 8, default strategy) of the drawing text. False when compression
// fails. PackDrawing builds the text a piece at a time and compresses each
// piece as it is made; a text that packs past the reader's ratio is stored
// (deflate level 0) instead, so it always reads back.
bool PackDrawingText(const std::string& text, std::string& bytes);
bool PackDrawing(const TQuarixCanvasModel& canvas, const QDateTime& created, std::string& bytes);

// CadSave: writes the drawing into the file; with `replace` false an existing
// file is never replaced. 0 with errno EFBIG when the drawing is larger than
// the reader would take back on this machine.
int SaveDrawingFile(const TQuarixCanvasModel& canvas, const std::string& fileName, bool replace);

// A drawing read from a file and held apart from the map: the map takes it
// over only when the whole file has been read.
struct LoadedDrawing {
  LoadedDrawing() = default;
  LoadedDrawing(const LoadedDrawing&) = delete;
  LoadedDrawing& operator=(const LoadedDrawing&) = delete;
  ~LoadedDrawing();

  double WorldLeft = 0, WorldRight = 0, WorldBottom = 0, WorldTop = 0;
  // Layers the file adds; when it replaces the drawing, the first is the
  // new "Default". Owned until handed over.
  std::vector<TQLayer*> Layers;
  // The file's shapes, numbered and in drawing order. Owned until handed over.
  std::vector<TQShape*> Shapes;
  int CurrentLayer = 0;
  int NextLayerNumber = 0;
  int32_t NextShapeNumber = 1;
  // The most the read had counted against MemoryBytes at any one time: the
  // file, the reader's buffers and the records, room that grows included.
  // Nothing the read allocates goes beyond it.
  std::size_t CountedBytes = 0;
};

// Reads the drawing held in file bytes (inflated behind the magic, else the
// bytes as plain text) against the canvas, which is only looked at: its
// layers are matched by name and its numbering continued, or, with
// `replace`, the drawing is read as onto an emptied one. File layers are
// created when missing and shapes numbered afresh; a WORLD record sets the
// view. Returns 0 when read, else why not: EILSEQ damaged data, ENODATA a
// stream cut off before its end (read only in part), ENOMSG a text that
// holds no record at all (not a drawing), EFBIG past the bounds, ENOMEM out
// of memory. The memory bound holds for what the read allocates: room is
// counted before it is taken.
int ReadDrawing(const std::string& bytes, const TQuarixCanvasModel& canvas, bool replace, LoadedDrawing& out);

}  // namespace qvt
