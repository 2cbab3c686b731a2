#pragma once
// Display settings of the map shared by the device settings dialog (which
// writes them), the start-up code (the three overlay values) and the map's
// painting and the navigation loop (which read them).
#include <string>

#include "app/color.h"

extern bool GridVisible;
extern bool GridAutoSpacing;
extern double GridSpacingX;
extern double GridSpacingY;
extern TColor GridColor;
extern bool ShowDepthLabels;
extern double DepthLabelSpacing;
extern std::string DepthLabelFontName;
extern int DepthLabelFontSize;
extern TColor DepthLabelColor;
extern int EventLabelFontSize;
extern TColor EventLabelColor;
extern int OverlayFontSize;
extern TColor OverlayDepthColor;
extern TColor OverlaySpeedColor;
