#pragma once
// The fixed layers of the map that the survey runtime draws on or looks up.
class TQuarixCanvas;

// Numbers of four of the fixed layers; -1 until OpenFixedLayers has run.
extern int GridLayer;         // "Quarix Grid"
extern int UserShapeLayer;    // "quarix_usershape"
extern int EventNumberLayer;  // "event_number"
extern int VesselLayer;       // "~~Quarix Vessel"

// The fixed layers in the order they are opened.
extern const char* const kFixedLayerNames[8];

// Makes sure every fixed layer exists on the map and keeps the numbers of the
// four above. A layer that exists keeps its number, pen and shapes, and the
// current layer is changed only by layers that had to be opened. Nothing for
// a null map.
void OpenFixedLayers(TQuarixCanvas* map);
