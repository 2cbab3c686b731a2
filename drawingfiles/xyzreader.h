#pragma once
// The canvas's XYZ point reader: a text file of x y z points becomes coloured
// shapes on one layer of the map, filled cells when the points form a regular
// grid, dots otherwise. Plain C++ on the canvas model.
#include <cstddef>
#include <string>

#include "app/color.h"

class TQuarixCanvasModel;

// Reads the file and appends one shape per accepted point to the layer
// (stored unchanged; the caller passes an existing layer). low is the z drawn
// red, high the z drawn blue; both 0 takes them from the data. True when at
// least one shape was added; the view is then fitted to the visible shapes.
bool XYZLoad(TQuarixCanvasModel& Canvas, const std::string& FileName, int Layer, double Low,
             double High);

// The five-colour ramp red, yellow, green, cyan, blue over low ... high.
TColor DepthToColor(double Value, double Low, double High);

// Cell size of a regular grid found among the first 1000 points, or false
// when the points are not a grid (10 points or fewer never are).
bool DetectXYZGrid(const double* X, const double* Y, std::size_t Count, double& CellWidth,
                   double& CellHeight);
