#include "drawingfiles/xyzreader.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <istream>
#include <vector>

#include "app/textfile.h"
#include "app/textlines.h"
#include "app/utf8.h"
#include "canvas/canvasmodel.h"
#include "canvas/shapes.h"
#include "drawingfiles/xyzimport.h"

namespace {

// One number at p, skipping leading white space as scanf's %lf does; only
// finite values count (a NaN or infinite coordinate would poison the colour
// range and the view).
bool ReadNumber(const char*& p, double& value) {
  while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '\v' || *p == '\f') ++p;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(p, &end);
  if (end == p || errno == ERANGE || !std::isfinite(v)) return false;
  value = v;
  p = end;
  return true;
}

// x y z at the start of a line (commas count as blanks); the rest is ignored.
bool ParseXYZLine(std::string& line, double& x, double& y, double& z) {
  if (line.empty() || line[0] == '#' || line[0] == ';') return false;
  std::replace(line.begin(), line.end(), ',', ' ');
  const char* p = line.c_str();
  return ReadNumber(p, x) && ReadNumber(p, y) && ReadNumber(p, z);
}

int Component(double v) { return static_cast<int>(v); }  // truncated toward zero

}  // namespace

TColor DepthToColor(double Value, double Low, double High) {
  double range = High - Low;
  if (!(range > 0)) range = 1;
  double t = (Value - Low) / range;
  if (!(t > 0)) t = 0;  // also a NaN
  if (t > 1) t = 1;
  int r, g, b;
  if (t < 0.25) {
    r = 255;
    g = Component(255 * (t / 0.25));
    b = 0;
  } else if (t < 0.5) {
    r = Component(255 * (1 - (t - 0.25) / 0.25));
    g = 255;
    b = 0;
  } else if (t < 0.75) {
    r = 0;
    g = 255;
    b = Component(255 * ((t - 0.5) / 0.25));
  } else {
    r = 0;
    g = Component(255 * (1 - (t - 0.75) / 0.25));
    b = 255;
  }
  return static_cast<TColor>(r + 256 * g + 65536 * b);
}

bool DetectXYZGrid(const double* X, const double* Y, std::size_t Count, double& CellWidth,
                   double& CellHeight) {
  if (Count <= 10) return false;
  const std::size_t n = std::min<std::size_t>(Count, 1000);
  double dxmin = 1e30, dymin = 1e30;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t last = std::min(n - 1, i + 49);
    for (std::size_t j = i + 1; j <= last; ++j) {
      const double dx = std::fabs(X[j] - X[i]);
      const double dy = std::fabs(Y[j] - Y[i]);
      if (dx > 1e-9 && dx < dxmin) dxmin = dx;
      if (dy > 1e-9 && dy < dymin) dymin = dy;
    }
  }
  if (!(dxmin < 1e20) || !(dymin < 1e20)) return false;

  long tested = 0, good = 0;
  auto test = [&](double d, double step) {
    if (d > 1e-9) {
      const double r = d / step;
      if (std::fabs(r - std::floor(r + 0.5)) < 0.1) ++good;
      ++tested;
    }
  };
  for (std::size_t i = 0; i < n && tested < 100; ++i) {
    const std::size_t last = std::min(n - 1, i + 9);
    for (std::size_t j = i + 1; j <= last; ++j) {
      test(std::fabs(X[j] - X[i]), dxmin);
      test(std::fabs(Y[j] - Y[i]), dymin);
    }
  }
  if (tested == 0 || good * 100 / tested < 80) return false;
  CellWidth = dxmin;
  CellHeight = dymin;
  return true;
}

bool XYZLoad(TQuarixCanvasModel& Canvas, const std::string& FileName, int Layer, double Low,
             double High) {
  const int fd = OpenFileToRead(FileName, kMaxXYZFileBytes);
  if (fd < 0) return false;
  FileReadBuffer file(fd);
  std::istream in(&file);

  const bool fromData = Low == 0 && High == 0;
  std::vector<double> xs, ys, zs;
  double zmin = 1e30, zmax = -1e30;
  std::string line;
  // Lines end in LF, CR LF or a CR alone (older tools write those).
  for (bool first = true; textlines::GetLine(in, line); first = false) {
    if (first) line.erase(0, ByteOrderMarkLength(line));
    double x, y, z;
    if (!ParseXYZLine(line, x, y, z)) continue;
    xs.push_back(x);
    ys.push_back(y);
    zs.push_back(z);
    if (fromData) {
      zmin = std::min(zmin, z);
      zmax = std::max(zmax, z);
    }
  }
  if (xs.empty()) return false;
  if (fromData) {
    Low = zmin;
    High = zmax;
  }

  double w = 0, h = 0;
  const bool grid = DetectXYZGrid(xs.data(), ys.data(), xs.size(), w, h);
  Canvas.Shapes.reserve(Canvas.Shapes.size() + xs.size());
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const TColor colour = DepthToColor(zs[i], Low, High);
    TQShape* shape;
    if (grid) {
      auto* cell = new TQRectangle;
      cell->ShapeType = stRectangle;
      cell->X1 = xs[i] - w / 2;
      cell->Y1 = ys[i] - h / 2;
      cell->X2 = xs[i] + w / 2;
      cell->Y2 = ys[i] + h / 2;
      cell->Value = zs[i];
      cell->BrushFg = colour;
      cell->BrushStyle = bsSolid;
      shape = cell;
    } else {
      auto* dot = new TQPoint;
      dot->ShapeType = stPoint;
      dot->X = xs[i];
      dot->Y = ys[i];
      dot->Z = zs[i];
      dot->PointSize = 1;
      shape = dot;
    }
    shape->Layer = Layer;
    shape->PenFg = colour;
    shape->PenWidth = 0;
    shape->UpdateBounds();
    shape->Number = Canvas.NextShapeNumber++;
    Canvas.Shapes.push_back(shape);
    ++Canvas.ShapeCount;
  }
  Canvas.NeedsRedraw = true;
  Canvas.WorldExtents();
  return true;
}
