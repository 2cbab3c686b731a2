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
// rest up to its line end is dropped), a polyline or spline keeps at most
// kMaxDxfVertices vertices and its record counts what it left out; only the
// current lines are held in memory.
//
// Planar entities (LWPOLYLINE, 2D POLYLINE, CIRCLE, ARC, TEXT) give their
// coordinates in the object coordinate system of their extrusion direction;
// the records carry that direction and TDxfOcs turns them into world
// coordinates.
#include <cstddef>
#include <istream>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dxf {

constexpr std::size_t kMaxDxfLineLength = 64 * 1024;
constexpr std::size_t kMaxDxfVertices = 1000000;

// ---- Records handed to the handler (values as read; defaults where absent) --

// The extrusion direction of a planar entity (groups 210, 220, 230). Its
// coordinates are in the object coordinate system that this direction
// defines; (0, 0, 1), the default, makes them world coordinates.
struct TDxfExtrusion {
  double X = 0, Y = 0, Z = 1;
};

// The object coordinate system of an extrusion direction, by the DXF
// reference's arbitrary-axis algorithm: the normalised direction N is the z
// axis; the x axis is Wy x N when N lies within 1/64 of the world z axis,
// else Wz x N; the y axis is N x x. A direction of length 0 or with a value
// that is no number counts as (0, 0, 1).
class TDxfOcs {
 public:
  explicit TDxfOcs(const TDxfExtrusion& N);
  // True when the system is the world's (coordinates pass unchanged).
  bool IsWorld() const { return world_; }
  // True when the plane is parallel to the world's xy plane (N is (0, 0, +-1)),
  // so circles stay circles on the map.
  bool IsFlat() const { return az_[0] == 0 && az_[1] == 0; }
  // World x and y of an object point (the object x and y where the sum
  // overflows a double).
  void ToWorld(double X, double Y, double Z, double& WX, double& WY) const;
  // The world direction, in degrees counter-clockwise from the world x axis,
  // of the object direction at Degrees from the object x axis.
  double WorldAngle(double Degrees) const;

 private:
  bool world_ = true;
  double ax_[3] = {1, 0, 0}, ay_[3] = {0, 1, 0}, az_[3] = {0, 0, 1};
};

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

// CIRCLE and ARC: centre (10, 20, 30) and angles in the object system.
struct TDxfCircle {
  std::string Layer = "0";
  int Color = -1;
  double CenterX = 0, CenterY = 0, CenterZ = 0, Radius = 0;
  TDxfExtrusion Extrusion;
};

struct TDxfArc {
  std::string Layer = "0";
  int Color = -1;
  double CenterX = 0, CenterY = 0, CenterZ = 0, Radius = 0;
  double StartAngle = 0, EndAngle = 360;  // degrees, counter-clockwise
  TDxfExtrusion Extrusion;
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
  // Control point values beyond kMaxDxfVertices, left out.
  std::size_t DroppedValues = 0;
};

// POLYLINE (with its VERTEX entities) and LWPOLYLINE. The points of an
// LWPOLYLINE and of a 2D POLYLINE lie in the object system at the height
// Elevation (LWPOLYLINE group 38, POLYLINE group 30); 3D polylines and
// meshes (flag bits 8, 16, 64) are in world coordinates.
struct TDxfPolyline {
  std::string Layer = "0";
  int Color = -1;
  int Flags = 0;  // bit value 1: closed
  std::vector<std::pair<double, double>> Points;
  double Elevation = 0;
  TDxfExtrusion Extrusion;
  // Vertices beyond kMaxDxfVertices, left out.
  std::size_t DroppedVertices = 0;
};

// TEXT and MTEXT (only the last group 1 chunk of an MTEXT). A TEXT's anchor
// and angle are in the object system of its extrusion; an MTEXT's are world
// values.
struct TDxfText {
  std::string Layer = "0";
  std::string Text;  // group 1, trimmed, 8-bit as in the file
  double X = 0, Y = 0, Z = 0;
  double Height = 2.5;
  double Angle = 0;  // degrees
  TDxfExtrusion Extrusion;
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
  // An entity of the ENTITIES section that no reader takes (HATCH,
  // DIMENSION, ...), by its name; passed over after this.
  virtual void SkipEntity(const std::string&) {}
};

// Reads the file's lines one at a time from a seekable stream.
class TDxfLineReader {
 public:
  explicit TDxfLineReader(std::istream& In);
  // The next line without its line end (LF, CR LF or a CR alone), cut to
  // kMaxDxfLineLength bytes. False at the end of the file.
  bool ReadLine(std::string& Line);
  // ReadLine, then TrimLine.
  bool ReadTrimmed(std::string& Line);
  // Back to the start of the content (after a UTF-8 byte-order mark).
  void Rewind();

  // Told the bytes read over all passes every megabyte or so; false stops
  // the reading: every later read then fails as at the end of the file.
  std::function<bool(uint64_t)> OnProgress;
  bool Stopped() const { return stopped_; }

 private:
  std::istream& in_;
  std::streampos contentStart_{0};
  uint64_t bytes_ = 0, nextReport_ = 0;
  bool stopped_ = false;
};

enum class TDxfReadResult { Ok, NoEntities, Stopped };

// Reads one DXF file through its four passes. NoEntities when the file has no
// ENTITIES section (nothing is handed to the handler then); Stopped when
// Progress (told the bytes read over all passes) asked to stop.
TDxfReadResult ReadDxf(std::istream& In, TDxfHandler& Handler,
                       const std::function<bool(uint64_t)>& Progress = {});

}  // namespace dxf
