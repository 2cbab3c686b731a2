#include "app/displaysettings.h"

bool GridVisible = true;
bool GridAutoSpacing = true;
double GridSpacingX = 100;
double GridSpacingY = 100;
TColor GridColor = clSilver;
bool ShowDepthLabels = false;
double DepthLabelSpacing = 10;
std::string DepthLabelFontName = "Arial";
int DepthLabelFontSize = 8;
TColor DepthLabelColor = clBlue;
int EventLabelFontSize = 10;
TColor EventLabelColor = clRed;
int OverlayFontSize = 40;
TColor OverlayDepthColor = 0x800000;
TColor OverlaySpeedColor = 0;
