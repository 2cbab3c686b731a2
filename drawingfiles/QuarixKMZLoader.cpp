#include "drawingfiles/QuarixKMZLoader.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "app/formats.h"
#include "drawingfiles/kmlfiles.h"
#include "platform/clock.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace {

// Blanks and control characters off both ends.
std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

// The text between the first Open at or after pos and the first Close after
// it; pos then moves past the Close. False when either is missing.
bool NextElementText(const std::string& text, const std::string& open, const std::string& close,
                     std::size_t& pos, std::string& inner) {
  const std::size_t a = text.find(open, pos);
  if (a == std::string::npos) return false;
  const std::size_t from = a + open.size();
  const std::size_t b = text.find(close, from);
  if (b == std::string::npos) return false;
  inner = text.substr(from, b - from);
  pos = b + close.size();
  return true;
}

bool FirstElementText(const std::string& text, const std::string& open, const std::string& close,
                      std::string& inner) {
  std::size_t pos = 0;
  return NextElementText(text, open, close, pos, inner);
}

std::string ReplaceAll(std::string s, const std::string& what, const std::string& with) {
  std::size_t pos = 0;
  while ((pos = s.find(what, pos)) != std::string::npos) {
    s.replace(pos, what.size(), with);
    pos += with.size();
  }
  return s;
}

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool IsRegularFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(p, ec));
}

}  // namespace

TQuarixKMZLoader::~TQuarixKMZLoader() { RemoveTempFolder(); }

bool TQuarixKMZLoader::LoadFromFile(const std::string& Path) {
  Placemarks.clear();
  LastError.clear();
  if (!platform::FileExists(Path)) {
    LastError = "File not found: " + Path;
    return false;
  }
  bool result;
  if (LowerAscii(fs::path(Path).extension().string()) == ".kmz") {
    const std::string text = ExtractKMZ(Path);
    if (text.empty()) return false;
    result = ParseKML(text);
  } else {
    std::string text;
    if (!ReadKMLTextFile(Path, text)) {
      LastError = "Failed to read KML file: " + Path;
      return false;
    }
    result = ParseKML(text);
  }
  RemoveTempFolder();
  return result;
}

std::string TQuarixKMZLoader::ExtractKMZ(const std::string& Path) {
  // A fresh folder named after the tick count; one that is already there
  // belongs to someone else and is never used (nor later removed).
  RemoveTempFolder();
  createdFolder_ = false;
  uint32_t ticks = platform::TickCount();
  for (int attempt = 0; attempt < 1000; ++attempt, ++ticks) {
    TempFolder = platform::ProgramFolder() + "temp_kmz_" +
                 std::to_string(static_cast<int32_t>(ticks));
    std::error_code ec;
    if (fs::create_directory(TempFolder, ec) && !ec) {
      createdFolder_ = true;
      break;
    }
  }
  const std::string zipPath = TempFolder + "/temp.zip";
  std::error_code ec;
  if (!createdFolder_ ||
      !fs::copy_file(Path, zipPath, fs::copy_options::overwrite_existing, ec) || ec) {
    LastError = "Failed to copy KMZ file";
    return {};
  }
  ExpandKMZArchive(zipPath, TempFolder);

  fs::path kml = fs::path(TempFolder) / "doc.kml";
  if (!IsRegularFile(kml)) {
    // The first .kml file at the top of the archive, by name.
    std::vector<std::string> names;
    for (fs::directory_iterator it(TempFolder, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.size() > 4 && LowerAscii(name.substr(name.size() - 4)) == ".kml" &&
          IsRegularFile(it->path()))
        names.push_back(name);
    }
    if (names.empty()) {
      LastError = "No KML file found in KMZ archive";
      return {};
    }
    kml = fs::path(TempFolder) / *std::min_element(names.begin(), names.end());
  }
  std::string text;
  if (!ReadKMLTextFile(kml.string(), text)) {
    LastError = "Failed to read extracted KML file";
    return {};
  }
  return text;
}

void TQuarixKMZLoader::RemoveTempFolder() {
  if (TempFolder.empty() || !platform::FolderExists(TempFolder)) return;
  if (createdFolder_) {
    std::error_code ec;
    fs::remove_all(TempFolder, ec);  // does not follow links inside
  }
  createdFolder_ = false;
  TempFolder.clear();
}

bool TQuarixKMZLoader::ParseKML(const std::string& Text) {
  Placemarks.clear();
  LastError.clear();
  if (Text.empty()) {
    LastError = "Empty KML content";
    return false;
  }
  std::size_t pos = 0;
  std::string body;
  while (NextElementText(Text, "<Placemark>", "</Placemark>", pos, body)) {
    TKMLPlacemark placemark;
    std::string inner;
    if (FirstElementText(body, "<name>", "</name>", inner)) placemark.Name = Trim(inner);
    if (FirstElementText(body, "<description>", "</description>", inner))
      placemark.Description = Trim(inner);
    ParseGeometries(body, placemark);
    if (!placemark.Geometries.empty()) Placemarks.push_back(std::move(placemark));
  }
  return !Placemarks.empty();
}

void TQuarixKMZLoader::ParseGeometries(const std::string& PlacemarkText, TKMLPlacemark& Placemark) {
  static const struct {
    int Type;
    const char* Open;
    const char* Close;
  } passes[] = {{kmlPoint, "<Point>", "</Point>"},
                {kmlLineString, "<LineString>", "</LineString>"},
                {kmlPolygon, "<Polygon>", "</Polygon>"}};
  for (const auto& pass : passes) {
    std::size_t pos = 0;
    std::string element;
    while (NextElementText(PlacemarkText, pass.Open, pass.Close, pos, element)) {
      std::string coordinates;
      if (!FirstElementText(element, "<coordinates>", "</coordinates>", coordinates)) continue;
      TKMLGeometry geometry;
      geometry.Type = pass.Type;
      ParseCoordinates(coordinates, geometry.Points);
      if (!geometry.Points.empty()) Placemark.Geometries.push_back(std::move(geometry));
    }
  }
}

void TQuarixKMZLoader::ParseCoordinates(const std::string& Text, std::vector<TKMLPoint>& Points) {
  std::string text = ReplaceAll(Text, "\r\n", " ");
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\t', ' ');
  text = Trim(text);
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t blank = text.find(' ', pos);
    if (blank == std::string::npos) blank = text.size();
    const std::string token = Trim(text.substr(pos, blank - pos));
    pos = blank + 1;
    const std::size_t c1 = token.find(',');
    if (token.empty() || c1 == std::string::npos) continue;
    const std::string first = token.substr(0, c1);
    const std::string rest = token.substr(c1 + 1);
    std::string second = rest, third = "0";
    const std::size_t c2 = rest.find(',');
    if (c2 != std::string::npos) {
      second = rest.substr(0, c2);
      third = rest.substr(c2 + 1);
    }
    TKMLPoint point;
    point.Longitude = StrToFloatDef(first, 0);
    point.Latitude = StrToFloatDef(second, 0);
    point.Altitude = StrToFloatDef(third, 0);
    if (point.Longitude == 0 && point.Latitude == 0) continue;
    if (OnConvertCoordinate) OnConvertCoordinate(point.X, point.Y, point.Latitude, point.Longitude);
    Points.push_back(point);
  }
}

void TQuarixKMZLoader::ConvertCoordinates() {
  if (!OnConvertCoordinate) return;
  for (TKMLPlacemark& placemark : Placemarks)
    for (TKMLGeometry& geometry : placemark.Geometries)
      for (TKMLPoint& p : geometry.Points) OnConvertCoordinate(p.X, p.Y, p.Latitude, p.Longitude);
}

std::vector<TKMLPoint> TQuarixKMZLoader::GetAllPoints() const {
  std::vector<TKMLPoint> points;
  for (const TKMLPlacemark& placemark : Placemarks)
    for (const TKMLGeometry& geometry : placemark.Geometries)
      if (geometry.Type == kmlPoint)
        points.insert(points.end(), geometry.Points.begin(), geometry.Points.end());
  return points;
}

std::vector<std::vector<TKMLPoint>> TQuarixKMZLoader::GetAllLines() const {
  std::vector<std::vector<TKMLPoint>> lines;
  for (const TKMLPlacemark& placemark : Placemarks)
    for (const TKMLGeometry& geometry : placemark.Geometries)
      if ((geometry.Type == kmlLineString || geometry.Type == kmlPolygon) &&
          geometry.Points.size() > 1)
        lines.push_back(geometry.Points);
  return lines;
}
