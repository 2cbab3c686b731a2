#pragma once
// DXF export of the map canvas as AutoCAD Release 12 ASCII DXF ($ACADVER
// AC1009), lines ended by CR LF: a header with the view window as extents, a
// layer table of the layers that carry shapes (colour 7, CONTINUOUS), and one
// entity per visible shape: LINE, CIRCLE (circles and two-corner ellipses),
// POINT, TEXT, and POLYLINE with VERTEX and SEQEND (polylines, polygons,
// rectangles). Splines, three-point arcs and tool ellipses are not written.
// Reals have six decimals and "." as decimal point; texts are Windows-1252.
#include <ostream>
#include <string>

#include "canvas/canvasmodel.h"

// Writes the drawing to the stream.
void WriteDxf(const TQuarixCanvasModel& Model, std::ostream& Out);

// Writes the drawing to the file (created or replaced): 1 when the file was
// opened, 0 when it cannot be opened for writing (nothing written then).
int DXFSave(const TQuarixCanvasModel& Model, const std::string& FileName);
