#pragma once
// The ASCII DXF reader. It knows the file's structure and nothing of the
// canvas: it reads the layer table, the line-only block definitions and the
// entities of one file and hands each record to a TDxfHandler, which builds
// whatever it wants from them (dxfimport.h fills the map canvas).
//
// The file is read four times from the start of its content (after a UTF-8
// byte-order mark): a check that an ENTITIES section exists, the TABLES
// section's LAYER entries, the BLOCKS section, then the ENTITIES section.
// Nothing else is read: no header, classes or objects; binary DXF files are
// not supported.
//
// A DXF file is a sequence of lines in pairs: a group-code line, then a value
// line. Group code 0 starts a record; its value is the record's type:
//
//     0            <- group code 0
//   LINE           <- record type
//     8            <- group code
//   Walls          <- value
//    10            ...
//   1.5
//
// Every line is compared and converted after trimming blanks, tabs and
// carriage returns at both ends; keywords are case-sensitive.
//
// Hostile input is bounded: a line keeps at most kMaxDxfLineLength bytes (the
// rest up to its line feed is dropped), a polyline or spline keeps at most
// kMaxDxfVertices vertices; only the current lines are held in memory.
#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace dxf {

constexpr std::size_t kMaxDxfLineLength = 64 * 1024;
constexpr std::size_t kMaxDxfVertices = 1000000;

// ---- Records handed to the handler (values as read; defaults where absent) --

struct TDxfLayerEntry {
  std::string Name;  // group 2, 8-bit as in the file
  int Color = 7;     // group 62
};

struct TDxfBlockLine {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;  // groups 10, 20, 11, 21
};

// One BLOCK ... ENDBLK definition with the LINE entities it holds; other
// entities inside a block are passed over.
struct TDxfBlock {
  std::string Name;  // group 2, 8-bit as in the file
  double BaseX = 0, BaseY = 0;
  std::vector<TDxfBlockLine> Lines;
};

struct TDxfLine {
  std::string Layer = "0";
  int Color = -1;
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

struct TDxfCircle {
  std::string Layer = "0";
  int Color = -1;
  double CenterX = 0, CenterY = 0, Radius = 0;
};

struct TDxfArc {
  std::string Layer = "0";
  int Color = -1;
  double CenterX = 0, CenterY = 0, Radius = 0;
  double StartAngle = 0, EndAngle = 360;  // degrees, counter-clockwise
};

struct TDxfEllipse {
  std::string Layer = "0";
  int Color = -1;
  double CenterX = 0, CenterY = 0;
  double MajorX = 0, MajorY = 0;  // end of the major axis, relative to the centre
  double Ratio = 1.0;             // minor / major
  double StartParam = 0, EndParam = 6.283185307179586;
};

// SOLID and TRACE: corners 1..4 (groups 10/20 .. 13/23).
struct TDxfSolid {
  std::string Layer = "0";
  int Color = -1;
  double X[4] = {0, 0, 0, 0};
  double Y[4] = {0, 0, 0, 0};
};

struct TDxfPoint {
  std::string Layer = "0";
  double X = 0, Y = 0;
};

// SPLINE control points; the x and y lists may differ in length.
struct TDxfSpline {
  std::string Layer = "0";
  int Color = -1;
  int Flags = 0;
  std::vector<double> Xs, Ys;
};

// POLYLINE (with its VERTEX entities) and LWPOLYLINE.
struct TDxfPolyline {
  std::string Layer = "0";
  int Color = -1;
  int Flags = 0;  // bit value 1: closed
  std::vector<std::pair<double, double>> Points;
};

// TEXT and MTEXT (only the last group 1 chunk of an MTEXT).
struct TDxfText {
  std::string Layer = "0";
  std::string Text;  // group 1, trimmed, 8-bit as in the file
  double X = 0, Y = 0;
  double Height = 2.5;
  double Angle = 0;  // degrees
};

struct TDxfInsert {
  std::string Layer = "0";
  int Color = -1;
  std::string BlockName;  // 8-bit as in the file
  double X = 0, Y = 0;
  double ScaleX = 1.0, ScaleY = 1.0;
  double Angle = 0;  // degrees
};

// What the reader calls, in file order within each pass.
class TDxfHandler {
 public:
  virtual ~TDxfHandler() = default;
  virtual void AddLayer(const TDxfLayerEntry&) {}
  virtual void AddBlock(const TDxfBlock&) {}
  virtual void AddLine(const TDxfLine&) {}
  virtual void AddCircle(const TDxfCircle&) {}
  virtual void AddArc(const TDxfArc&) {}
  virtual void AddEllipse(const TDxfEllipse&) {}
  virtual void AddSolid(const TDxfSolid&) {}
  virtual void AddPoint(const TDxfPoint&) {}
  virtual void AddSpline(const TDxfSpline&) {}
  virtual void AddPolyline(const TDxfPolyline&) {}
  virtual void AddText(const TDxfText&) {}
  virtual void AddInsert(const TDxfInsert&) {}
};

// Reads the file's lines one at a time from a seekable stream.
class TDxfLineReader {
 public:
  explicit TDxfLineReader(std::istream& In);
  // The next line without its line feed (a carriage return stays), cut to
  // kMaxDxfLineLength bytes. False at the end of the file.
  bool ReadLine(std::string& Line);
  // ReadLine, then TrimLine.
  bool ReadTrimmed(std::string& Line);
  // Back to the start of the content (after a UTF-8 byte-order mark).
  void Rewind();

 private:
  std::istream& in_;
  std::streampos contentStart_{0};
};

enum class TDxfReadResult { Ok, NoEntities };

// Reads one DXF file through its four passes. NoEntities when the file has no
// ENTITIES section (nothing is handed to the handler then).
TDxfReadResult ReadDxf(std::istream& In, TDxfHandler& Handler);

}  // namespace dxf
