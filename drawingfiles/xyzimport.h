#pragma once
// The main window's XYZ import: depth points of a text file drawn as small
// dots, each with its depth as a centred label, on one layer of the map.
// Plain C++ on the canvas model.
#include <cstddef>
#include <cstdint>
#include <string>

#include "drawingfiles/importstage.h"

class TQuarixCanvasModel;

// A line of an XYZ file keeps at most this many bytes; the rest of a longer
// line, up to its line end, is dropped (it never starts a point).
constexpr std::size_t kMaxXYZLineLength = 64 * 1024;

// One line of an XYZ file, with or without its line feed. Point lines start
// with a digit, "-" or "+";
// commas and tabs separate like blanks; four numbers are number, X, Y, Z,
// three are X, Y, Z. False for anything else, for a piece shorter than 3
// characters, for non-finite numbers and for X and Y both 0.
bool ParseXYZImportPiece(const std::string& Piece, double& X, double& Y, double& Z);

// The depth label of a point: Z with two decimals.
std::string XYZDepthLabel(double Z);

// The largest XYZ file an import reads: every line of it becomes a point and
// a label on the map, which must still fit the drawing read back at start.
constexpr uint64_t kMaxXYZFileBytes = 256ull << 20;

// What ImportXYZPoints answers besides a count of points.
constexpr long kXYZNotRead = -1;    // the file cannot be opened, is no regular file or is too large
constexpr long kXYZCancelled = -2;  // Progress asked to stop

// Reads the file line by line (whole lines, however long) and draws every
// point with its label on the layer. The number of points drawn, or one of
// the answers above; Why (when given) then says why the file was not read.
// Anything but a regular file (a FIFO, a device, a link to one) and a file
// larger than kMaxXYZFileBytes are refused at once (OpenFileToRead). Progress is told the bytes read of the file's size.
long ImportXYZPoints(TQuarixCanvasModel& Canvas, const std::string& FileName, int Layer,
                     const TImportProgress& Progress = {}, std::string* Why = nullptr);
