#include "drawingfiles/QuarixKMZLoader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
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
std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

// One number of a coordinate tuple: blanks and control characters around it
// are ignored; digits, a period, signs and an exponent only ("." as decimal
// point, whatever the locale); anything else, or nothing, gives 0.
double CoordinateNumber(std::string_view t) {
  while (!t.empty() && static_cast<unsigned char>(t.front()) <= ' ') t.remove_prefix(1);
  while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ') t.remove_suffix(1);
  if (!t.empty() && t.front() == '+') {
    t.remove_prefix(1);
    if (!t.empty() && t.front() == '-') return 0;
  }
  if (t.empty()) return 0;
  for (char c : t)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E')) return 0;
  double v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) return 0;
  return v;
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The end of the tag that starts at text[from] ('<'): the position after its
// '>', with quoted attribute values passed over; npos when it never ends.
std::size_t TagEnd(std::string_view text, std::size_t from) {
  char quote = 0;
  for (std::size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i + 1;
    }
  }
  return std::string::npos;
}

// The next tag "<Name" or "</Name" (prefix "<" or "</") at or after pos that
// is the whole element name: followed by '>', '/' or white space, so
// attributes are allowed and <Points> is no <Point>. Returns where it starts.
std::size_t FindTag(std::string_view text, const std::string& prefixed, std::size_t pos) {
  for (;;) {
    const std::size_t a = text.find(prefixed, pos);
    if (a == std::string::npos) return a;
    const std::size_t after = a + prefixed.size();
    if (after < text.size() && (text[after] == '>' || text[after] == '/' || IsXmlSpace(text[after])))
      return a;
    pos = a + 1;
  }
}

// The content of the next element Name at or after pos: from the end of its
// opening tag (attributes and all) to its closing tag; pos then moves past
// the closing tag. An empty element (<Name/>) has empty content. False when
// no opening tag comes, or when it is never closed.
bool NextElementText(std::string_view text, const std::string& name, std::size_t& pos,
                     std::string_view& inner) {
  const std::string open = "<" + name, close = "</" + name;
  const std::size_t a = FindTag(text, open, pos);
  if (a == std::string::npos) return false;
  const std::size_t from = TagEnd(text, a);
  if (from == std::string::npos) return false;
  if (text[from - 2] == '/') {
    inner = {};
    pos = from;
    return true;
  }
  const std::size_t b = FindTag(text, close, from);
  if (b == std::string::npos) return false;
  const std::size_t end = text.find('>', b);
  if (end == std::string::npos) return false;
  inner = text.substr(from, b - from);
  pos = end + 1;
  return true;
}

bool FirstElementText(std::string_view text, const std::string& name, std::string_view& inner) {
  std::size_t pos = 0;
  return NextElementText(text, name, pos, inner);
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
    std::string why;
    if (!ReadKMLTextFile(Path, text, 256ull << 20, &why)) {
      LastError = "Failed to read KML file " + Path + ": " + why;
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
  TKMZExpandReport report;
  if (!ExpandKMZArchive(zipPath, TempFolder, TKMZLimits(), &report)) {
    LastError = "The KMZ file is not a zip archive or is damaged: " + Path;
    return {};
  }
  // A KML entry at the top of the archive that the expansion refused.
  auto refusedKml = [&report]() -> std::string {
    for (const auto& [name, why] : report.Refused)
      if (name.find('/') == std::string::npos && name.size() > 4 &&
          LowerAscii(name.substr(name.size() - 4)) == ".kml")
        return "The KML file " + name + " of the KMZ archive was not expanded: " + why;
    return {};
  };

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
      LastError = refusedKml();
      if (LastError.empty()) LastError = "No KML file found in KMZ archive";
      return {};
    }
    kml = fs::path(TempFolder) / *std::min_element(names.begin(), names.end());
  }
  std::string text, why;
  if (!ReadKMLTextFile(kml.string(), text, 256ull << 20, &why)) {
    LastError = "Failed to read extracted KML file: " + why;
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
  std::string_view body;
  std::size_t found = 0;
  while (NextElementText(Text, "Placemark", pos, body)) {
    ++found;
    TKMLPlacemark placemark;
    std::string_view inner;
    if (FirstElementText(body, "name", inner)) placemark.Name = Trim(inner);
    if (FirstElementText(body, "description", inner)) placemark.Description = Trim(inner);
    ParseGeometries(body, placemark);
    if (!placemark.Geometries.empty()) Placemarks.push_back(std::move(placemark));
  }
  if (Placemarks.empty())
    LastError = found == 0 ? "No placemark found in the KML file"
                           : "No placemark with Point, LineString or Polygon coordinates found "
                             "in the KML file (" + std::to_string(found) + " placemarks read)";
  return !Placemarks.empty();
}

void TQuarixKMZLoader::ParseGeometries(std::string_view PlacemarkText, TKMLPlacemark& Placemark) {
  static const struct {
    int Type;
    const char* Name;
  } passes[] = {{kmlPoint, "Point"}, {kmlLineString, "LineString"}, {kmlPolygon, "Polygon"}};
  for (const auto& pass : passes) {
    std::size_t pos = 0;
    std::string_view element;
    while (NextElementText(PlacemarkText, pass.Name, pos, element)) {
      std::string_view coordinates;
      if (!FirstElementText(element, "coordinates", coordinates)) continue;
      TKMLGeometry geometry;
      geometry.Type = pass.Type;
      ParseCoordinates(coordinates, geometry.Points);
      if (!geometry.Points.empty()) Placemark.Geometries.push_back(std::move(geometry));
    }
  }
}

void TQuarixKMZLoader::ParseCoordinates(std::string_view Text, std::vector<TKMLPoint>& Points) {
  // Tuples are separated by blanks, tabs and line ends; one pass over the text.
  const std::size_t n = Text.size();
  std::size_t pos = 0;
  while (pos < n) {
    while (pos < n && (Text[pos] == ' ' || Text[pos] == '\t' || Text[pos] == '\n')) ++pos;
    std::size_t end = pos;
    while (end < n && Text[end] != ' ' && Text[end] != '\t' && Text[end] != '\n') ++end;
    if (end == pos) break;
    std::string_view token(Text.data() + pos, end - pos);
    pos = end;
    while (!token.empty() && static_cast<unsigned char>(token.front()) < ' ') token.remove_prefix(1);
    while (!token.empty() && static_cast<unsigned char>(token.back()) < ' ') token.remove_suffix(1);
    const std::size_t c1 = token.find(',');
    if (token.empty() || c1 == std::string_view::npos) continue;
    const std::string_view first = token.substr(0, c1);
    const std::string_view rest = token.substr(c1 + 1);
    std::string_view second = rest, third = "0";
    const std::size_t c2 = rest.find(',');
    if (c2 != std::string_view::npos) {
      second = rest.substr(0, c2);
      third = rest.substr(c2 + 1);
    }
    TKMLPoint point;
    point.Longitude = CoordinateNumber(first);
    point.Latitude = CoordinateNumber(second);
    point.Altitude = CoordinateNumber(third);
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
