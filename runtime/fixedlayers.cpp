#include "runtime/fixedlayers.h"

#include "canvas/QuarixCanvas.h"

int GridLayer = -1;
int UserShapeLayer = -1;
int EventNumberLayer = -1;
int VesselLayer = -1;

const char* const kFixedLayerNames[8] = {
    "Quarix Grid",      "track_fix",        "track_nofix",  "track_float",
    "quarix_tempshape", "quarix_usershape", "event_number", "~~Quarix Vessel",
};

void OpenFixedLayers(TQuarixCanvas* map) {
  if (!map) return;
  int* const keptIn[8] = {&GridLayer, nullptr, nullptr, nullptr, nullptr, &UserShapeLayer, &EventNumberLayer,
                          &VesselLayer};
  for (int i = 0; i < 8; ++i) {
    int n = map->LayerFindByName(kFixedLayerNames[i]);
    if (n == -1) n = map->LayerOpen(kFixedLayerNames[i]);
    if (keptIn[i]) *keptIn[i] = n;
  }
}
