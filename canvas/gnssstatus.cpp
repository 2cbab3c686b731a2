// GNSS status globals read by the map's status box (declared in canvasmodel.h).
#include <string>

std::string GGAOverlayText;
bool NoValidPosition = false;
int GGAFixQuality = 0;
