#include "drawingfiles/importrecord.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/settingsfile.h"
#include "canvas/canvasmodel.h"
#include "canvas/shapes.h"
#include "geodesy/geotext.h"

namespace {

// A point of the shape that a saved and reopened drawing keeps as it is
// (the boxes of points and texts follow their size and height, which an
// import may set after the box was made).
void Anchor(const TQShape* s, double& x, double& y) {
  if (const auto* p = dynamic_cast<const TQPoint*>(s)) x = p->X, y = p->Y;
  else if (const auto* t = dynamic_cast<const TQText*>(s)) x = t->X, y = t->Y;
  else if (const auto* l = dynamic_cast<const TQLine*>(s)) x = l->X1, y = l->Y1;
  else if (const auto* c = dynamic_cast<const TQCircle*>(s)) x = c->CenterX, y = c->CenterY;
  else if (const auto* pl = dynamic_cast<const TQPolyline*>(s); pl && !pl->Points.empty())
    x = pl->Points.front().x, y = pl->Points.front().y;
  else x = (s->MinX + s->MaxX) / 2, y = (s->MinY + s->MaxY) / 2;
}

}  // namespace

TImportMark MarkImportLayer(const TQuarixCanvasModel& Canvas, const std::string& Layer) {
  TImportMark mark;
  mark.Layer = Layer;
  const int number = Canvas.LayerFindByName(Layer);
  if (number < 0) return mark;
  for (const TQShape* s : Canvas.Shapes) {
    if (s->Layer != number) continue;
    double x, y;
    Anchor(s, x, y);
    if (mark.Shapes++ == 0) {
      mark.MinX = mark.MaxX = x, mark.MinY = mark.MaxY = y;
    } else {
      mark.MinX = std::min(mark.MinX, x), mark.MinY = std::min(mark.MinY, y);
      mark.MaxX = std::max(mark.MaxX, x), mark.MaxY = std::max(mark.MaxY, y);
    }
  }
  return mark;
}

namespace {

// The same number of shapes within the same extent, to the millimetre a
// saved drawing keeps.
bool SameMark(const TImportMark& now, const TImportMark& Mark) {
  auto near = [](double a, double b) { return std::fabs(a - b) <= 1e-3 + 1e-9 * std::fabs(a); };
  return now.Shapes == Mark.Shapes && near(now.MinX, Mark.MinX) && near(now.MinY, Mark.MinY) &&
         near(now.MaxX, Mark.MaxX) && near(now.MaxY, Mark.MaxY);
}

}  // namespace

// Section layout: "Count", then for i = 1 .. Count the keys "File<i>",
// "Layer<i>" and "Mark<i>" (shape count and extent: "n minX minY maxX maxY").
void TImportRecord::Load(const IniFile& Ini) {
  marks_.clear();
  const int count = Ini.ReadInteger(section_, "Count", 0);
  for (int i = 1; i <= count && i <= 100000; ++i) {
    const std::string n = std::to_string(i);
    const std::string path = Ini.ReadString(section_, "File" + n, "");
    TImportMark mark;
    mark.Layer = Ini.ReadString(section_, "Layer" + n, "");
    double v[5];
    if (path.empty() || mark.Layer.empty() || !geotext::ReadNumbers(Ini.ReadString(section_, "Mark" + n, ""), v, 5))
      continue;
    mark.Shapes = static_cast<long>(v[0]);
    mark.MinX = v[1], mark.MinY = v[2], mark.MaxX = v[3], mark.MaxY = v[4];
    marks_[path] = mark;
  }
}

void TImportRecord::Save(IniFile& Ini) const {
  Ini.EraseSection(section_);
  int i = 0;
  for (const auto& [path, mark] : marks_) {
    if (path.find_first_of("\r\n") != std::string::npos || mark.Layer.find_first_of("\r\n") != std::string::npos)
      continue;
    const std::string n = std::to_string(++i);
    char text[160];
    std::snprintf(text, sizeof text, "%ld %.6f %.6f %.6f %.6f", mark.Shapes, mark.MinX, mark.MinY, mark.MaxX,
                  mark.MaxY);
    Ini.WriteString(section_, "File" + n, path);
    Ini.WriteString(section_, "Layer" + n, mark.Layer);
    Ini.WriteString(section_, "Mark" + n, text);
  }
  Ini.WriteInteger(section_, "Count", i);
}

std::map<std::string, std::string> TImportRecord::OwnedLayers(const TQuarixCanvasModel& Canvas) const {
  std::map<std::string, std::string> owned;
  for (const auto& [path, mark] : marks_) {
    if (Canvas.LayerFindByName(mark.Layer) < 0) continue;
    // One pass over the drawing for each record.
    const TImportMark now = MarkImportLayer(Canvas, mark.Layer);
    if (now.Shapes == 0 || SameMark(now, mark)) owned[path] = mark.Layer;
  }
  return owned;
}
