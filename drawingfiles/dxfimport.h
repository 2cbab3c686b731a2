#pragma once
// DXF import into the map canvas: every shape of one file goes to one canvas
// layer, "_dxf_" followed by the file's name, which a second import of a file
// of the same name empties and fills again. Layer colours come from the
// file's layer table, block definitions (lines only) are kept by the canvas
// for its whole life and drawn wherever an INSERT references them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "canvas/canvasmodel.h"
#include "drawingfiles/importstage.h"

using TDxfTextSink = std::function<void(const std::string&)>;

// Upper bound of the lines that the INSERTs of one import copy out of block
// definitions: a small file could otherwise reference a large block millions
// of times. What this cap and the reader's vertex caps leave out is told to
// the user in one message at the end of the import.
constexpr std::size_t kMaxDxfInsertLines = 1000000;
// The largest DXF file an import reads (it is read four times over).
constexpr uint64_t kMaxDxfFileBytes = 256ull << 20;

// Imports the file into its import layer, fits the view to the drawing and
// asks for a repaint. Entities with an extrusion direction are placed in
// world coordinates (a circle seen tilted becomes a closed polyline). The
// file is read first, onto a hidden work layer: the import layer is emptied
// and filled only when the read gave shapes, so a failed or stopped import
// leaves the map as it was. True when at least one shape was added; false
// when the file is missing or cannot be opened, has no ENTITIES section
// (ShowMessage then gets "DXF load failed: ENTITIES section not found";
// without a sink the program's message box shows it), gave no shape (the
// message says so, and which entity kinds it left out) or Progress asked to
// stop. Entity kinds the reader does not take (HATCH, DIMENSION, ...) and
// what the caps cut are told in one message after a successful import.
// LayerName, when given, is the import layer's name instead of
// DxfImportLayerName(FileName).
bool DXFLoad(TQuarixCanvasModel& Model, const std::string& FileName,
             const TDxfTextSink& ShowMessage = {}, const std::string& LayerName = {},
             const TImportProgress& Progress = {});
// The same import; kept for the Import command's replace mode.
bool DXFLoadReplace(TQuarixCanvasModel& Model, const std::string& FileName,
                    const TDxfTextSink& ShowMessage = {}, const std::string& LayerName = {},
                    const TImportProgress& Progress = {});

// The import layer's name for a file: "_dxf_" + the name without its folder.
std::string DxfImportLayerName(const std::string& FileName);

// The import layer for the Import command's import of Path. Owned maps the
// path of every DXF file imported before to the import layer it filled. That
// layer is taken again while it exists; otherwise DxfImportLayerName(Path)
// when no layer bears it, else that name followed by " (2)", " (3)", ...: so
// a file never empties the layer of another file of the same name, nor one
// that came with an opened drawing.
std::string ChooseDxfImportLayerName(const TQuarixCanvasModel& Model, const std::string& Path,
                                     const std::map<std::string, std::string>& Owned);

// The first block of exactly that name (case counts) among all blocks the
// canvas holds, the oldest definition first; null when there is none.
TQBlock* FindBlock(const TQuarixCanvasModel& Model, const std::string& Name);

// Where the import's debug trace goes (the first LINE entities of each
// import); without a sink, the logging category "quarix.dxf" (debug level,
// off by default). An empty sink restores that.
void SetDxfTraceSink(TDxfTextSink Sink);
