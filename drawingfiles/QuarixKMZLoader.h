#pragma once
// The KML/KMZ reader: the placemarks of a KML file, or of the KML file inside
// a KMZ archive, as plain records (name, description, Point, LineString and
// Polygon coordinates). Elements are found by searching the text for their
// tags, with or without attributes (GDAL's LIBKML driver writes ids on
// placemarks); nothing is parsed as XML beyond the character data of names
// and descriptions (entities, character references and CDATA), so no
// external reference is ever resolved. An owner's conversion closure can turn every longitude/latitude
// into grid coordinates.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "drawingfiles/kmlfiles.h"

// x (out), y (out), latitude, longitude in decimal degrees.
using TKMLConvertEvent = std::function<void(double& X, double& Y, double Latitude, double Longitude)>;

struct TKMLPoint {
  double Latitude = 0;   // second number of a coordinate tuple
  double Longitude = 0;  // first number
  double Altitude = 0;   // third number, 0 when absent
  double X = 0;          // easting from the conversion closure
  double Y = 0;          // northing from the conversion closure
};

constexpr int kmlPoint = 0;
constexpr int kmlLineString = 1;
constexpr int kmlPolygon = 2;

struct TKMLGeometry {
  int Type = kmlPoint;  // 0 Point, 1 LineString, 2 Polygon
  std::vector<TKMLPoint> Points;
};

struct TKMLPlacemark {
  std::string Name;
  std::string Description;
  std::vector<TKMLGeometry> Geometries;  // Points, then LineStrings, then Polygons
};

class TQuarixKMZLoader {
 public:
  std::string LastError;
  std::string TempFolder;  // extraction folder of the KMZ being read
  TKMLConvertEvent OnConvertCoordinate;
  // Told how far the parse has come (characters of the text); false stops
  // it, and the load then fails with an empty list.
  std::function<bool(uint64_t Done, uint64_t Total)> OnProgress;
  std::vector<TKMLPlacemark> Placemarks;

  TQuarixKMZLoader() = default;
  ~TQuarixKMZLoader();
  TQuarixKMZLoader(const TQuarixKMZLoader&) = delete;
  TQuarixKMZLoader& operator=(const TQuarixKMZLoader&) = delete;

  // Loads a .kml or .kmz file; true when at least one placemark with a
  // geometry was found. LastError says why not, whatever the cause (no file,
  // no zip, a KML entry refused by a size cap, no placemark, no coordinates).
  bool LoadFromFile(const std::string& Path);
  bool ParseKML(const std::string& Text);
  // The KML text inside a KMZ archive, expanded into a fresh work folder next
  // to the program; empty on failure. The documents of the same archive it
  // links to (NetworkLink) are read with it, for the next ParseKML.
  std::string ExtractKMZ(const std::string& Path);
  // Deletes the work folder this loader created, with everything in it.
  void RemoveTempFolder();
  void ParseGeometries(std::string_view PlacemarkText, TKMLPlacemark& Placemark);
  void ParseCoordinates(std::string_view Text, std::vector<TKMLPoint>& Points);
  void ConvertCoordinates();
  std::vector<TKMLPoint> GetAllPoints() const;
  std::vector<std::vector<TKMLPoint>> GetAllLines() const;

 private:
  void CollectPlacemarks(std::string_view Text, std::size_t& Found);
  void FollowLinks(const std::string& DocEntry, const std::string& DocText, const TKMZExpandReport& Report);

  bool createdFolder_ = false;  // TempFolder was made by this loader
  // The archive's documents that the KML text of the last extraction links
  // to, read with it; ParseKML reads their placemarks too.
  std::vector<std::string> linkedTexts_;
  std::string linkNote_;  // why a link was not followed, for LastError
  bool stopped_ = false;  // OnProgress asked to stop
};
