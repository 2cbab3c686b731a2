#pragma once
// Runline geometry and the runline layers of the map, without any window:
// cross lines at a fixed spacing along a route, or lines beside the route at
// fixed offsets, laid onto the canvas model as open polylines.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

class IniFile;
class TQuarixCanvasModel;

namespace runlines {

using Point = std::pair<double, double>;
using Polyline = std::vector<Point>;

// Map layers of the route the surveyor draws and of the generated lines.
extern const char* const kRouteLayerName;     // "Quarix_Route"
extern const char* const kRunlineLayerName;   // "Quarix_Runlines"

// Upper bound of the lines one generation lays. A spacing that is tiny next
// to the route or the length would otherwise make the map unusable (or, for
// a spacing lost in the rounding of the distance run, never end).
constexpr std::size_t kMaxRunlines = 10000;

// Segments shorter than this get no cross lines and no normal.
constexpr double kMinSegment = 0.001;

// The spacing and length of the edits: a text that is not a number, zero or
// negative gives the default (10 and 100).
double SpacingOf(const std::string& text);
double LengthOf(const std::string& text);

// Cross lines: along every segment, for t = 0, s, 2s, ... while t <= segment
// length, a line 2 L long centred on the route, from its left to its right.
// False (and no lines) when there would be more than `limit`.
bool PerpendicularLines(const Polyline& route, double spacing, double length, std::vector<Polyline>& lines,
                        std::size_t limit = kMaxRunlines);

// Lines beside the route at offsets k s, k = 1 .. trunc(L / s): for each
// offset the left line, then the right one. The offset at an inner point runs
// along the corner's bisector. False (and no lines) when there would be more
// than `limit`.
bool ParallelLines(const Polyline& route, double spacing, double length, std::vector<Polyline>& lines,
                   std::size_t limit = kMaxRunlines);

// The unit left normals of the route's points used by ParallelLines.
std::vector<Point> PointNormals(const Polyline& route);

// What one generation did.
struct Generation {
  int Layer = -1;         // number of the runline layer
  std::size_t Lines = 0;  // runlines drawn (the route copy not counted)
  bool TooMany = false;   // more than kMaxRunlines: only the route copy drawn
};

// Rebuilds the runline layer: opens it when missing, deletes its shapes,
// draws the route copy and then the runlines. Nothing when the route has
// fewer than 2 points (Layer -1).
Generation Generate(TQuarixCanvasModel& map, const Polyline& route, double spacing, double length,
                    bool perpendicular);

// Readies the map for drawing a route: the route layer opened or emptied and
// made current, the polyline tool chosen for one shape. Returns the layer.
int PrepareRouteLayer(TQuarixCanvasModel& map);

// Deletes the shapes of the runline layer when the map has it; false when not.
bool ClearRunlineLayer(TQuarixCanvasModel& map);

// The events-log text of a generation (the edit texts as typed).
std::string GenerationLogText(const std::string& spacingText, const std::string& lengthText);

// Section "RUNLINE" of the settings file.
struct Settings {
  std::string Spacing = "10";
  std::string Length = "100";
  bool Perpendicular = true;
};
Settings ReadSettings(const IniFile& ini);
void WriteSettings(IniFile& ini, const Settings& settings);

}  // namespace runlines
