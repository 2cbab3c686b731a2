// The ASCII DXF reader: line reader, section searches and the four passes.
#include "drawingfiles/dxfreader.h"

#include <cmath>
#include <optional>

#include "app/textlines.h"
#include "drawingfiles/dxftext.h"

namespace dxf {

// ---------------------------------------------------------------------------
// Line reader

TDxfLineReader::TDxfLineReader(std::istream& In) : in_(In) {
  std::streambuf* sb = in_.rdbuf();
  const std::streampos start = sb->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
  char bom[3] = {0, 0, 0};
  const std::streamsize n = sb->sgetn(bom, 3);
  const bool hasBom = n == 3 && static_cast<unsigned char>(bom[0]) == 0xEF &&
                      static_cast<unsigned char>(bom[1]) == 0xBB &&
                      static_cast<unsigned char>(bom[2]) == 0xBF;
  contentStart_ = hasBom ? start + std::streamoff(3) : start;
  Rewind();
}

bool TDxfLineReader::ReadLine(std::string& Line) {
  Line.clear();
  if (stopped_) return false;
  if (bytes_ >= nextReport_ && OnProgress) {
    nextReport_ = bytes_ + (1u << 20);
    if (!OnProgress(bytes_)) {
      stopped_ = true;
      return false;
    }
  }
  std::size_t n = 0;
  if (!textlines::GetLine(*in_.rdbuf(), Line, kMaxDxfLineLength, &n)) return false;
  bytes_ += n;
  return true;
}

bool TDxfLineReader::ReadTrimmed(std::string& Line) {
  if (!ReadLine(Line)) return false;
  TrimLine(Line);
  return true;
}

void TDxfLineReader::Rewind() {
  in_.clear();
  in_.rdbuf()->pubseekpos(contentStart_, std::ios_base::in);
}

// ---------------------------------------------------------------------------
// Object coordinate systems

namespace {

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

bool Normalise(double v[3]) {
  const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(len > 0) || !std::isfinite(len)) return false;
  for (int i = 0; i < 3; ++i) v[i] /= len;
  return true;
}

}  // namespace

TDxfOcs::TDxfOcs(const TDxfExtrusion& N) {
  double n[3] = {N.X, N.Y, N.Z};
  if (N.X == 0 && N.Y == 0 && N.Z > 0) return;  // the world's own system
  if (!Normalise(n)) return;
  static const double wy[3] = {0, 1, 0}, wz[3] = {0, 0, 1};
  constexpr double kLimit = 1.0 / 64;
  Cross(std::fabs(n[0]) < kLimit && std::fabs(n[1]) < kLimit ? wy : wz, n, ax_);
  Normalise(ax_);
  Cross(n, ax_, ay_);
  Normalise(ay_);
  for (int i = 0; i < 3; ++i) az_[i] = n[i];
  world_ = false;
}

void TDxfOcs::ToWorld(double X, double Y, double Z, double& WX, double& WY) const {
  if (world_) {
    WX = X, WY = Y;
    return;
  }
  WX = X * ax_[0] + Y * ay_[0] + Z * az_[0];
  WY = X * ax_[1] + Y * ay_[1] + Z * az_[1];
  // Values near the limits of a double may overflow: they stay as written.
  if (!std::isfinite(WX) || !std::isfinite(WY)) WX = X, WY = Y;
}

double TDxfOcs::WorldAngle(double Degrees) const {
  if (world_) return Degrees;
  constexpr double kPi = 3.141592653589793;
  const double a = Degrees * kPi / 180, c = std::cos(a), s = std::sin(a);
  const double dx = c * ax_[0] + s * ay_[0], dy = c * ax_[1] + s * ay_[1];
  if (dx == 0 && dy == 0) return Degrees;  // seen edge-on: no direction on the map
  return std::atan2(dy, dx) * 180 / kPi;
}

namespace {

// ---------------------------------------------------------------------------
// Group loop of one record

enum class TEnd { Zero, Eof };

// Reads the group-code / value pairs of one record. Next() gives true with a
// pair; false when the record ended: on a group-code line "0" (consumed: the
// next line is the following record's type) or at the end of the file.
class TPairs {
 public:
  explicit TPairs(TDxfLineReader& Reader) : r_(Reader) {}
  bool Next() {
    if (!r_.ReadTrimmed(codeLine_)) return Stop(TEnd::Eof);
    if (codeLine_ == "0") return Stop(TEnd::Zero);
    if (!r_.ReadTrimmed(value_)) return Stop(TEnd::Eof);
    code_ = ParseInt(codeLine_);
    return true;
  }
  int Code() const { return code_; }
  const std::string& Value() const { return value_; }
  double Real() const { return ParseReal(value_); }
  int Int() const { return ParseInt(value_); }
  TEnd End() const { return end_; }

 private:
  bool Stop(TEnd e) {
    end_ = e;
    return false;
  }
  TDxfLineReader& r_;
  std::string codeLine_, value_;
  int code_ = 0;
  TEnd end_ = TEnd::Eof;
};

// Scans for a line "0" followed by "SECTION"; the next line (group 2) is
// passed over and the one after it is the section name. True when the wanted
// section was found; reading then continues inside it.
bool FindSection(TDxfLineReader& r, const char* Name) {
  std::string line;
  bool afterZero = false;
  while (r.ReadTrimmed(line)) {
    if (afterZero && line == "SECTION") {
      std::string code, name;
      if (!r.ReadLine(code) || !r.ReadTrimmed(name)) return false;
      if (name == Name) return true;
      afterZero = false;
      continue;
    }
    afterZero = line == "0";
  }
  return false;
}

// ---------------------------------------------------------------------------
// Pass 2: LAYER entries of the TABLES section

void ReadLayers(TDxfLineReader& r, TDxfHandler& h) {
  if (!FindSection(r, "TABLES")) return;
  std::string line;
  bool afterZero = false;
  while (r.ReadTrimmed(line)) {
    if (afterZero && line == "ENDSEC") return;
    if (afterZero && line == "LAYER") {
      TDxfLayerEntry e;
      TPairs p(r);
      while (p.Next()) {
        if (p.Code() == 2) e.Name = p.Value();
        else if (p.Code() == 62) e.Color = p.Int();
      }
      h.AddLayer(e);
      if (p.End() == TEnd::Eof) return;
      afterZero = true;  // the "0" that ended the entry
      continue;
    }
    afterZero = line == "0";
  }
}

// ---------------------------------------------------------------------------
// Pass 3: BLOCK definitions with their LINE entities

void ReadBlocks(TDxfLineReader& r, TDxfHandler& h) {
  if (!FindSection(r, "BLOCKS")) return;
  std::optional<TDxfBlock> current;  // dropped when its ENDBLK never comes
  std::string line;
  bool afterZero = false;
  while (r.ReadTrimmed(line)) {
    if (afterZero) {
      if (line == "ENDSEC") return;
      if (line == "BLOCK") {
        current.emplace();
        TPairs p(r);
        while (p.Next()) {
          if (p.Code() == 2) current->Name = p.Value();
          else if (p.Code() == 10) current->BaseX = p.Real();
          else if (p.Code() == 20) current->BaseY = p.Real();
        }
        if (p.End() == TEnd::Eof) return;
        continue;  // afterZero stays: the block's first entity follows
      }
      if (line == "ENDBLK") {
        if (current) h.AddBlock(*current);
        current.reset();
        afterZero = false;
        continue;
      }
      if (line == "LINE" && current) {
        TDxfBlockLine l;
        TPairs p(r);
        while (p.Next()) {
          switch (p.Code()) {
            case 10: l.X1 = p.Real(); break;
            case 20: l.Y1 = p.Real(); break;
            case 11: l.X2 = p.Real(); break;
            case 21: l.Y2 = p.Real(); break;
            default: break;
          }
        }
        current->Lines.push_back(l);
        if (p.End() == TEnd::Eof) return;
        continue;
      }
    }
    afterZero = line == "0";
  }
}

// ---------------------------------------------------------------------------
// Pass 4: entities. Each reader consumes the entity's pairs up to and
// including the next group-code line "0" and returns how the entity ended.

TEnd ReadLineEntity(TPairs& p, TDxfHandler& h) {
  TDxfLine e;
  while (p.Next()) {
    switch (p.Code()) {
      case 8: e.Layer = p.Value(); break;
      case 62: e.Color = p.Int(); break;
      case 10: e.X1 = p.Real(); break;
      case 20: e.Y1 = p.Real(); break;
      case 11: e.X2 = p.Real(); break;
      case 21: e.Y2 = p.Real(); break;
      default: break;
    }
  }
  h.AddLine(e);
  return p.End();
}

TEnd ReadCircle(TPairs& p, TDxfHandler& h) {
  TDxfCircle e;
  while (p.Next()) {
    switch (p.Code()) {
      case 8: e.Layer = p.Value(); break;
      case 62: e.Color = p.Int(); break;
      case 10: e.CenterX = p.Real(); break;
      case 20: e.CenterY = p.Real(); break;
      case 30: e.CenterZ = p.Real(); break;
      case 40: e.Radius = p.Real(); break;
      case 210: e.Extrusion.X = p.Real(); break;
      case 220: e.Extrusion.Y = p.Real(); break;
      case 230: e.Extrusion.Z = p.Real(); break;
      default: break;
    }
  }
  h.AddCircle(e);
  return p.End();
}

TEnd ReadArc(TPairs& p, TDxfHandler& h) {
  TDxfArc e;
  while (p.Next()) {
    switch (p.Code()) {
      case 8: e.Layer = p.Value(); break;
      case 62: e.Color = p.Int(); break;
      case 10: e.CenterX = p.Real(); break;
      case 20: e.CenterY = p.Real(); break;
      case 30: e.CenterZ = p.Real(); break;
      case 40: e.Radius = p.Real(); break;
      case 50: e.StartAngle = p.Real(); break;
      case 51: e.EndAngle = p.Real(); break;
      case 210: e.Extrusion.X = p.Real(); break;
      case 220: e.Extrusion.Y = p.Real(); break;
      case 230: e.Extrusion.Z = p.Real(); break;
      default: break;
    }
  }
  h.AddArc(e);
  return p.End();
}

TEnd ReadEllipse(TPairs& p, TDxfHandler& h) {
  TDxfEllipse e;
  while (p.Next()) {
    switch (p.Code()) {
      case 8: e.Layer = p.Value(); break;
      case 62: e.Color = p.Int(); break;
      case 10: e.CenterX = p.Real(); break;
      case 20: e.CenterY = p.Real(); break;
      case 11: e.MajorX = p.Real(); break;
      case 21: e.MajorY = p.Real(); break;
      case 40: e.Ratio = p.Real(); break;
      case 41: e.StartParam = p.Real(); break;
      case 42: e.EndParam = p.Real(); break;
      default: break;
    }
  }
  h.AddEllipse(e);
  return p.End();
}

TEnd ReadSolid(TPairs& p, TDxfHandler& h) {
  TDxfSolid e;
  while (p.Next()) {
    const int c = p.Code();
    if (c == 8) e.Layer = p.Value();
    else if (c == 62) e.Color = p.Int();
    else if (c >= 10 && c <= 13) e.X[c - 10] = p.Real();
    else if (c >= 20 && c <= 23) e.Y[c - 20] = p.Real();
  }
  h.AddSolid(e);
  return p.End();
}

TEnd ReadPoint(TPairs& p, TDxfHandler& h) {
  TDxfPoint e;
  while (p.Next()) {
    switch (p.Code()) {
      case 8: e.Layer = p.Value(); break;
      case 10: e.X = p.Real(); break;
      case 20: e.Y = p.Real(); break;
      default: break;
    }
  }
  h.AddPoint(e);
  return p.End();
}

TEnd ReadSpline(TPairs& p, TDxfHandler& h) {
  TDxfSpline e;
  while (p.Next()) {
    switch (p.Code()) {
      case 8: e.Layer = p.Value(); break;
      case 62: e.Color = p.Int(); break;
      case 70: e.Flags = p.Int(); break;
      case 10:
        if (e.Xs.size() < kMaxDxfVertices) e.Xs.push_back(p.Real());
        else ++e.DroppedValues;
        break;
      case 20:
        if (e.Ys.size() < kMaxDxfVertices) e.Ys.push_back(p.Real());
        else ++e.DroppedValues;
        break;
      default: break;
    }
  }
  h.AddSpline(e);
  return p.End();
}

// An MTEXT's insertion point is a world point: its extrusion is not read.
TEnd ReadText(TPairs& p, TDxfHandler& h, bool MText) {
  TDxfText e;
  while (p.Next()) {
    switch (p.Code()) {
      case 1: e.Text = p.Value(); break;
      case 8: e.Layer = p.Value(); break;
      case 10: e.X = p.Real(); break;
      case 20: e.Y = p.Real(); break;
      case 30: e.Z = p.Real(); break;
      case 40: e.Height = p.Real(); break;
      case 50: e.Angle = p.Real(); break;
      case 210: if (!MText) e.Extrusion.X = p.Real(); break;
      case 220: if (!MText) e.Extrusion.Y = p.Real(); break;
      case 230: if (!MText) e.Extrusion.Z = p.Real(); break;
      default: break;
    }
  }
  h.AddText(e);
  return p.End();
}

TEnd ReadLwPolyline(TPairs& p, TDxfHandler& h) {
  TDxfPolyline e;
  double x = 0;
  bool xPending = false;
  while (p.Next()) {
    switch (p.Code()) {
      case 8: e.Layer = p.Value(); break;
      case 62: e.Color = p.Int(); break;
      case 70: e.Flags = p.Int(); break;
      case 10:
        x = p.Real();
        xPending = true;
        break;
      case 20:
        if (xPending) {
          if (e.Points.size() < kMaxDxfVertices) e.Points.emplace_back(x, p.Real());
          else ++e.DroppedVertices;
        }
        xPending = false;
        break;
      case 38: e.Elevation = p.Real(); break;
      case 210: e.Extrusion.X = p.Real(); break;
      case 220: e.Extrusion.Y = p.Real(); break;
      case 230: e.Extrusion.Z = p.Real(); break;
      default: break;
    }
  }
  h.AddPolyline(e);
  return p.End();
}

// POLYLINE header, then its VERTEX entities. The entity name that ends the
// vertex list (normally SEQEND) is handed back in Next so that the entities
// loop reads it as the following entity; empty at the end of the file.
TEnd ReadPolyline(TDxfLineReader& r, TPairs& p, TDxfHandler& h, std::string& Next) {
  TDxfPolyline e;
  Next.clear();
  while (p.Next()) {
    switch (p.Code()) {
      case 8: e.Layer = p.Value(); break;
      case 62: e.Color = p.Int(); break;
      case 70: e.Flags = p.Int(); break;
      case 30: e.Elevation = p.Real(); break;
      case 210: e.Extrusion.X = p.Real(); break;
      case 220: e.Extrusion.Y = p.Real(); break;
      case 230: e.Extrusion.Z = p.Real(); break;
      default: break;
    }
  }
  // 3D polylines, polygon meshes and polyface meshes hold world points.
  if (e.Flags & (8 | 16 | 64)) e.Extrusion = TDxfExtrusion();
  TEnd end = p.End();
  std::string name;
  while (end == TEnd::Zero) {
    if (!r.ReadTrimmed(name)) {
      end = TEnd::Eof;
      break;
    }
    if (name != "VERTEX") {
      Next = name;
      break;
    }
    double x = 0, y = 0;
    while (p.Next()) {
      if (p.Code() == 10) x = p.Real();
      else if (p.Code() == 20) y = p.Real();
    }
    if (e.Points.size() < kMaxDxfVertices) e.Points.emplace_back(x, y);
    else ++e.DroppedVertices;
    end = p.End();
  }
  h.AddPolyline(e);
  return end;
}

TEnd ReadInsert(TPairs& p, TDxfHandler& h) {
  TDxfInsert e;
  while (p.Next()) {
    switch (p.Code()) {
      case 2: e.BlockName = p.Value(); break;
      case 8: e.Layer = p.Value(); break;
      case 62: e.Color = p.Int(); break;
      case 10: e.X = p.Real(); break;
      case 20: e.Y = p.Real(); break;
      case 41: e.ScaleX = p.Real(); break;
      case 42: e.ScaleY = p.Real(); break;
      case 50: e.Angle = p.Real(); break;
      default: break;
    }
  }
  h.AddInsert(e);
  return p.End();
}

void ReadEntities(TDxfLineReader& r, TDxfHandler& h) {
  if (!FindSection(r, "ENTITIES")) return;
  std::string line;
  // Whatever stands before the first group-code line "0" is passed over.
  do {
    if (!r.ReadTrimmed(line)) return;
  } while (line != "0");

  std::string name, pending;
  for (;;) {
    if (!pending.empty()) {
      name.swap(pending);
      pending.clear();
    } else if (!r.ReadTrimmed(name)) {
      return;
    }
    if (name == "ENDSEC") return;
    TPairs p(r);
    TEnd end;
    if (name == "LINE") end = ReadLineEntity(p, h);
    else if (name == "CIRCLE") end = ReadCircle(p, h);
    else if (name == "ARC") end = ReadArc(p, h);
    else if (name == "ELLIPSE") end = ReadEllipse(p, h);
    else if (name == "SOLID" || name == "TRACE") end = ReadSolid(p, h);
    else if (name == "POINT") end = ReadPoint(p, h);
    else if (name == "SPLINE") end = ReadSpline(p, h);
    else if (name == "TEXT" || name == "MTEXT") end = ReadText(p, h, name == "MTEXT");
    else if (name == "LWPOLYLINE") end = ReadLwPolyline(p, h);
    else if (name == "POLYLINE") end = ReadPolyline(r, p, h, pending);
    else if (name == "INSERT") end = ReadInsert(p, h);
    else {
      // Any other entity (HATCH, DIMENSION, SEQEND, ATTRIB, ...) is passed
      // over pair by pair, so a value line that happens to read like an
      // entity name (a hatch pattern called SOLID) starts nothing.
      h.SkipEntity(name);
      while (p.Next()) {
      }
      end = p.End();
    }
    if (end == TEnd::Eof && pending.empty()) return;
  }
}

}  // namespace

TDxfReadResult ReadDxf(std::istream& In, TDxfHandler& Handler,
                       const std::function<bool(uint64_t)>& Progress) {
  TDxfLineReader r(In);
  r.OnProgress = Progress;
  const bool entities = FindSection(r, "ENTITIES");
  if (r.Stopped()) return TDxfReadResult::Stopped;
  if (!entities) return TDxfReadResult::NoEntities;
  r.Rewind();
  ReadLayers(r, Handler);
  r.Rewind();
  ReadBlocks(r, Handler);
  r.Rewind();
  ReadEntities(r, Handler);
  return r.Stopped() ? TDxfReadResult::Stopped : TDxfReadResult::Ok;
}

}  // namespace dxf
