#pragma once
// What the two settings windows do to the main window, its map, its timers
// and serial devices, and to the realtime window. Every call does nothing
// while the window or object it needs does not exist.
#include <string>

#include "app/color.h"
#include "settings/devicesettings.h"

class TQuarixSerialGPS;

namespace settingslinks {

// The main window's serial devices (nullptr while there is none).
TQuarixSerialGPS* GnssDevice();
TQuarixSerialGPS* SounderDevice();

// The realtime window's low-frequency depth box.
void ShowLowFreqDepth(devicesettings::LowFreqBox action);

// The map's grid members.
void CopyGridToMap(const devicesettings::MapGrid& grid);
void SetMapGridVisible(bool visible, TColor color);
void SetMapGridColor(TColor color);
void SetMapGridSpacing(double spacingX, double spacingY);

// Asks the map to repaint.
void RepaintMap();
// Repaints the map at once.
void RepaintMapNow();

// The main window's screenshot timer.
void SetScreenshotTimer(const devicesettings::TimerSetting& timer);
// The main window's flag that lets the intakes echo lines into the monitors.
void SetEchoToMonitor(bool echo);

// Navigation settings: the map's background and layer pens, the map timer.
bool MapExists();
void SetMapBackColor(TColor color);
// Layer number of a name, -1 when there is no such layer (or no map).
int MapLayerByName(const std::string& name);
// Pen of a layer and of every shape on it.
void SetMapLayerPenWidth(int layer, int width);
void SetMapLayerPenColor(int layer, TColor color);
void SetMapTimerInterval(int intervalMs);

}  // namespace settingslinks
