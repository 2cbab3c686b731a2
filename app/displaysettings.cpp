#include "app/displaysettings.h"

bool GridVisible = true;
bool GridAutoSpacing = false;
double GridSpacingX = 100;
double GridSpacingY = 100;
TColor GridColor = clSilver;
bool ShowDepthLabels = true;
double DepthLabelSpacing = 10;
std::string DepthLabelFontName;  // the device settings dialog sets "Arial" when empty
int DepthLabelFontSize = 12;
TColor DepthLabelColor = 0;
int EventLabelFontSize = 24;
TColor EventLabelColor = clRed;
int OverlayFontSize = 40;
TColor OverlayDepthColor = 0x800000;
TColor OverlaySpeedColor = 0;
