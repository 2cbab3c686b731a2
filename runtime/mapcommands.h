#pragma once
// The rules behind the main window's map commands, without any window: the
// distance and bearing of the distance measure, the track layers and what
// clearing each of them asks and logs, and the texts of the status bar.
#include <string>

// Straight-line distance between two world points, computed in extended precision.
double PlanarDistance(double x1, double y1, double x2, double y2);

// Bearing from a start point to an end point in radians, clockwise from grid
// north (+y): north 0, east pi/2, south pi, west 3pi/2; always in [0, 2pi).
// A move due east or west (no change in y) gives pi/2 or 3pi/2; the same point
// gives 0.
double GridBearing(double startX, double startY, double endX, double endY);

// The three track layers, in the order a track selection lists them.
constexpr const char* kTrackLayerNames[3] = {"track_fix", "track_nofix", "track_float"};
// The layer of the polygon drawn to select tracks or shapes.
constexpr const char* kSelectPolyLayerName = "Quarix_SelectPoly";

// Clearing one track layer: the question asked first, the layer emptied and
// the text logged in the day's events log.
enum class TrackClear { Fixed, Float, Auto };
struct TrackClearing {
  const char* question;
  const char* layerName;
  const char* logText;
};
const TrackClearing& TrackClearingFor(TrackClear which);

constexpr const char* kClearUserShapesQuestion = "User added shapes to be deleted! Continue?";
constexpr const char* kSelectTracksHint = "Draw polygon to select tracks (right-click to finish)";
constexpr const char* kSelectShapesHint = "Draw polygon to select shapes (right-click to finish)";

// Status text after a polygon selection: "3 track(s) selected. Press Delete to
// remove." (or "shape(s)"); empty when nothing was selected.
std::string SelectionCountText(int count, bool tracks);

// Status text of a click on the map: "Clicked: E500123.46, N4400123.00".
std::string ClickedText(double x, double y);
