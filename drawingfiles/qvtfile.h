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
#include <string>

class TQuarixCanvasModel;

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

// False when the text holds more shapes or vertices than the bounds above.
bool WithinBounds(const std::string& text);

// The drawing text of the canvas as the writer stores it; `created` is the
// local time named in the header.
std::string BuildDrawingText(const TQuarixCanvasModel& canvas, const QDateTime& created);

// "QVT1" + one zlib stream (default level, deflate, 15 window bits, memory
// level 8, default strategy) of the text. False when compression fails.
bool PackDrawingText(const std::string& text, std::string& bytes);

// The drawing text held in file bytes: inflated behind the magic, else the
// bytes themselves. A stream that ends early gives its whole lines up to
// there and sets `cut`; damaged data or a result longer than `limit` give
// false.
bool UnpackDrawingText(const std::string& bytes, std::string& text, std::size_t limit = kMaxTextBytes,
                       bool* cut = nullptr);

// Adds the records of a drawing text to the canvas: file layers are matched
// to the canvas's layers by name (created when missing), shapes are appended
// with fresh numbers, a WORLD record sets the view. Emptying the drawing
// first is CadLoad's job. In a text that was cut off (`cut`) a poly record
// whose vertex lines are missing is dropped.
void ApplyDrawingText(TQuarixCanvasModel& canvas, const std::string& text, bool cut = false);

}  // namespace qvt
