#include "drawingfiles/kmlimport.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include "canvas/canvasmodel.h"
#include "drawingfiles/QuarixKMZLoader.h"
#include "geodesy/geodetic.h"

namespace {

bool Converted(const TKMLPoint& p) { return p.X != 0 || p.Y != 0; }

// General format with up to 15 significant digits, "." as decimal point.
std::string AngleText(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

void DrawKMLPlacemarks(TQuarixCanvasModel& Canvas, const TQuarixKMZLoader& Loader, int Layer) {
  for (const TKMLPoint& p : Loader.GetAllPoints())
    if (Converted(p)) Canvas.DrawPoint(p.X, p.Y, Layer);
  for (const std::vector<TKMLPoint>& line : Loader.GetAllLines()) {
    std::vector<std::pair<double, double>> pairs;
    for (const TKMLPoint& p : line)
      if (Converted(p)) pairs.emplace_back(p.X, p.Y);
    if (pairs.size() >= 2) Canvas.DrawPolyline(pairs, Layer, false);
  }
  for (const TKMLPlacemark& placemark : Loader.Placemarks) {
    if (placemark.Name.empty()) continue;
    for (const TKMLGeometry& geometry : placemark.Geometries) {
      if (geometry.Points.empty()) continue;
      const TKMLPoint& first = geometry.Points.front();
      if (Converted(first)) Canvas.TextAdd(Layer, placemark.Name, first.X, first.Y, 0);
    }
  }
}

TKMLGridTexts KMLGridTexts(const TKMLGridSettings& s, double Latitude, double Longitude) {
  TKMLGridTexts t;
  t.Position = AngleText(Latitude) + " " + AngleText(Longitude);
  t.Datum = "6378137.0  0.0033528106647474  0.0  0.0  0.0  0.0  0.0  0.0  0.0 " + s.SemiMajorAxis +
            " " + s.Flattening + " " + s.Scale + " " + s.RX + " " + s.RY + " " + s.RZ + " " + s.SX +
            " " + s.SY + " " + s.SZ;
  t.Projection = s.CentralMeridian + " " + s.ReferenceLatitude + " " + s.ScaleFactor + " " +
                 s.FalseEasting + " " + s.FalseNorthing;
  t.Ellipsoid = "6378137.0 0.0033528106647474 " + s.SemiMajorAxis + " " + s.Flattening;
  return t;
}

TKMLGridConverter::TKMLGridConverter(const TKMLGridSettings& Settings) {
  const TKMLGridTexts t = KMLGridTexts(Settings, 0, 0);
  conversion_.Setup(t.Datum, t.Projection, t.Ellipsoid);
}

void TKMLGridConverter::operator()(double& X, double& Y, double Latitude, double Longitude) const {
  double e, n;
  if (conversion_.Convert(Latitude, Longitude, e, n)) X = e, Y = n;
}

void ConvertKMLPosition(const TKMLGridSettings& Settings, double& X, double& Y, double Latitude,
                        double Longitude) {
  const TKMLGridConverter convert(Settings);
  convert(X, Y, Latitude, Longitude);
}

int ImportKindOf(const std::string& Path) {
  const std::string ext = LowerAscii(std::filesystem::path(Path).extension().string());
  if (ext == ".kml" || ext == ".kmz") return 0;
  if (ext == ".xyz" || ext == ".txt" || ext == ".csv") return 1;
  return 2;
}

std::string ImportLayerName(const std::string& Path) {
  return std::filesystem::path(Path).stem().string();
}

bool IsProgramLayerName(const std::string& Name) {
  static const char* const kNames[] = {
      "Default",          "track_fix",        "track_float",     "track_nofix",
      "Quarix Grid",      "~~Quarix Vessel",  "quarix_tempshape", "quarix_usershape",
      "event_number",     "Quarix_Route",     "Quarix_Runlines", "Quarix_SelectPoly"};
  for (const char* n : kNames)
    if (Name == n) return true;
  return Name.rfind("_dxf_", 0) == 0;
}

std::string ChooseImportLayerName(const TQuarixCanvasModel& Canvas, const std::string& Path,
                                  const std::map<std::string, std::string>& Owned) {
  const auto owned = Owned.find(Path);
  if (owned != Owned.end() && Canvas.LayerFindByName(owned->second) >= 0) return owned->second;
  auto free = [&Canvas](const std::string& name) {
    return !name.empty() && !IsProgramLayerName(name) && Canvas.LayerFindByName(name) < 0;
  };
  const std::string stem = ImportLayerName(Path);
  if (free(stem)) return stem;
  std::string base = std::filesystem::path(Path).filename().string();
  if (base.empty()) base = stem.empty() ? std::string("import") : stem;
  if (free(base)) return base;
  for (int n = 2;; ++n) {
    const std::string name = base + " (" + std::to_string(n) + ")";
    if (free(name)) return name;
  }
}
