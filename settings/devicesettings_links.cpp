#include "settings/devicesettings_links.h"

#include <QTimer>

#include "canvas/QuarixCanvas.h"
#include "devices/QuarixSerialGPS.h"
#include "runtime/RealtimeData.h"
#include "runtime/unavigation.h"

namespace settingslinks {

namespace {
TQuarixCanvas* Map() { return FNav ? FNav->fcad : nullptr; }
}  // namespace

TQuarixSerialGPS* GnssDevice() { return FNav ? FNav->ZGPS1 : nullptr; }
TQuarixSerialGPS* SounderDevice() { return FNav ? FNav->ZSENSOR : nullptr; }

void ShowLowFreqDepth(devicesettings::LowFreqBox action) {
  if (!fRealtime) return;
  switch (action) {
    case devicesettings::LowFreqBox::Show: fRealtime->ShowLowFreqDepth(); break;
    case devicesettings::LowFreqBox::Hide: fRealtime->HideLowFreqDepth(); break;
    case devicesettings::LowFreqBox::Unchanged: break;
  }
}

void CopyGridToMap(const devicesettings::MapGrid& grid) {
  TQuarixCanvas* map = Map();
  if (!map) return;
  map->GridVisible = grid.visible;
  map->GridSpacingX = grid.spacingX;
  map->GridSpacingY = grid.spacingY;
  map->GridColor = grid.color;
}

void SetMapGridVisible(bool visible, TColor color) {
  if (TQuarixCanvas* map = Map()) {
    map->GridVisible = visible;
    map->GridColor = color;
  }
}

void SetMapGridColor(TColor color) {
  if (TQuarixCanvas* map = Map()) map->GridColor = color;
}

void SetMapGridSpacing(double spacingX, double spacingY) {
  if (TQuarixCanvas* map = Map()) {
    map->GridSpacingX = spacingX;
    map->GridSpacingY = spacingY;
  }
}

void RepaintMap() {
  if (TQuarixCanvas* map = Map()) map->Refresh();
}

void RepaintMapNow() {
  if (TQuarixCanvas* map = Map()) {
    map->Refresh();
    map->repaint();
  }
}

void SetScreenshotTimer(const devicesettings::TimerSetting& timer) {
  if (!FNav || !FNav->tScreenshot) return;
  if (timer.enabled) {
    FNav->tScreenshot->setInterval(timer.intervalMs);
    FNav->tScreenshot->start();
  } else {
    FNav->tScreenshot->stop();
  }
}

void SetEchoToMonitor(bool echo) {
  if (FNav) FNav->EchoToMonitor = echo;
}

bool MapExists() { return Map() != nullptr; }

void SetMapBackColor(TColor color) {
  if (TQuarixCanvas* map = Map()) map->SetBackColor(color);
}

int MapLayerByName(const std::string& name) {
  TQuarixCanvas* map = Map();
  return map ? map->LayerFindByName(name) : -1;
}

void SetMapLayerPenWidth(int layer, int width) {
  if (TQuarixCanvas* map = Map()) map->SetLayerPenWidth(layer, width);
}

void SetMapLayerPenColor(int layer, TColor color) {
  if (TQuarixCanvas* map = Map()) map->SetLayerPenFg(layer, color);
}

void SetMapTimerInterval(int intervalMs) {
  if (FNav && FNav->tMap) FNav->tMap->setInterval(intervalMs);
}

}  // namespace settingslinks
