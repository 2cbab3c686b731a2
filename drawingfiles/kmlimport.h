#pragma once
// The main window's KML/KMZ import: the loaded placemarks drawn on one layer
// of the map, and the conversion of WGS84 positions into the grid of the
// device settings. Plain C++ on the canvas model.
#include <map>
#include <string>

#include "geodesy/geodetic.h"

class TQuarixCanvasModel;
class TQuarixKMZLoader;

// Points, open polylines (line strings and polygons alike) and one name label
// per geometry on the layer; points converted to x and y both 0 are left out.
void DrawKMLPlacemarks(TQuarixCanvasModel& Canvas, const TQuarixKMZLoader& Loader, int Layer);

// The target datum and projection as the device settings' edits hold them,
// texts as typed.
struct TKMLGridSettings {
  std::string SemiMajorAxis, Flattening, Scale;  // edSMA, edIF, edPPM
  std::string RX, RY, RZ, SX, SY, SZ;            // rotations and shifts
  std::string CentralMeridian, ReferenceLatitude, ScaleFactor, FalseEasting, FalseNorthing;
};

// The four texts handed to GeographicToGrid for one WGS84 position.
struct TKMLGridTexts {
  std::string Position, Datum, Projection, Ellipsoid;
};
TKMLGridTexts KMLGridTexts(const TKMLGridSettings& Settings, double Latitude, double Longitude);

// Converts WGS84 positions into the settings' grid (datum shift, then the
// transverse Mercator projection), numerically, with the settings' texts read
// once. X and Y keep their values where a position cannot be converted.
class TKMLGridConverter {
 public:
  explicit TKMLGridConverter(const TKMLGridSettings& Settings);
  void operator()(double& X, double& Y, double Latitude, double Longitude) const;

 private:
  TGridConversion conversion_;
};

// One position converted as TKMLGridConverter converts it.
void ConvertKMLPosition(const TKMLGridSettings& Settings, double& X, double& Y, double Latitude,
                        double Longitude);

// Which branch of the Import command a file takes, by its extension in lower
// case: 0 KML/KMZ, 1 XYZ (.xyz, .txt, .csv), 2 DXF (anything else).
int ImportKindOf(const std::string& Path);
// The layer an imported file owns: its name without folder and last extension.
std::string ImportLayerName(const std::string& Path);

// Whether the program itself makes or looks up a layer of this name (the
// canvas's "Default", the track, grid, vessel, drawing, label, route,
// runline and selection layers, and every "_dxf_" layer of a DXF import).
bool IsProgramLayerName(const std::string& Name);

// The layer an import of Path draws on. Owned maps the path of every file
// imported before to the layer that import made. The layer of an earlier
// import of the same path is taken again while it exists; otherwise the
// file's layer name when no layer bears it and the program does not use it;
// otherwise the file name with its extension, then that name followed by
// " (2)", " (3)", ...: the first that is free. So an import only ever empties
// a layer that an import of the same file made.
std::string ChooseImportLayerName(const TQuarixCanvasModel& Canvas, const std::string& Path,
                                  const std::map<std::string, std::string>& Owned);
