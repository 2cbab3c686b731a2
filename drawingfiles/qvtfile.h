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
//   ARC x1 y1 x2 y2 x3 y3 layer colour width                  (read only)
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

// Neither a file nor the text inflated from it may exceed this: a damaged or
// hostile file is refused rather than exhausting memory.
inline constexpr std::size_t kMaxTextBytes = std::size_t{1} << 30;

// No real drawing comes near these: a file holding more shapes, or more
// polyline vertices, is refused whole before the map changes.
inline constexpr std::size_t kMaxShapes = 5000000;
inline constexpr std::size_t kMaxVertices = 20000000;

// The bounds every load applies (the constants above). Tests lower them to
// reach them with small files.
struct LoadBounds {
  std::size_t TextBytes = kMaxTextBytes;
  std::size_t Shapes = kMaxShapes;
  std::size_t Vertices = kMaxVertices;
};
LoadBounds& Bounds();

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
// piece as it is made.
bool PackDrawingText(const std::string& text, std::string& bytes);
bool PackDrawing(const TQuarixCanvasModel& canvas, const QDateTime& created, std::string& bytes);

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
};

// Reads the drawing held in file bytes (inflated behind the magic, else the
// bytes as plain text) against the canvas, which is only looked at: its
// layers are matched by name and its numbering continued, or, with
// `replace`, the drawing is read as onto an emptied one. File layers are
// created when missing and shapes numbered afresh; a WORLD record sets the
// view. A stream that ends early gives its whole records up to there.
// Returns 0 when read, else why not: EILSEQ damaged data, EFBIG past the
// bounds, ENOMEM out of memory.
int ReadDrawing(const std::string& bytes, const TQuarixCanvasModel& canvas, bool replace, LoadedDrawing& out);

}  // namespace qvt
