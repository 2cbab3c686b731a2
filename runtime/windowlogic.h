#pragma once
// Small rules of the main window and its run-time windows, kept apart from the
// widgets: folder texts shown and opened, the latency colour, the placement of
// the on-screen keyboards.
#include <optional>
#include <string>

#include "app/color.h"

// The path up to and including its last '/' (empty when it has none).
std::string ExtractFilePath(const std::string& path);
// The path without one trailing '/'.
std::string ExcludeTrailingDelimiter(const std::string& path);

// The folder the status bar shows for a drawing file: the parent of the
// file's folder, with its trailing '/', or the file's folder when it has no
// parent ("/d/QVT/2026-01-30/QVT/x.qvt" shows "/d/QVT/2026-01-30/").
std::string LastFileFolderText(const std::string& fileName);

// The folder "Open Log Folder" opens: the parent of the GNSS raw log's folder
// (or of the day's LOG folder when no raw log is named), i.e. the day folder.
std::string LogFolderToOpen(const std::string& rawLogFileName, const std::string& dayLogFolder);

// Colour of the latency group: lime while the current latency is below the
// tolerance, red otherwise. Empty when either text is not a whole number:
// the colour is then left as it is.
std::optional<TColor> LatencyColor(const std::string& current, const std::string& tolerance);

struct PanelPlace {
  int left;
  int top;
};
// Numeric keypad: bottom right of the client area, 10 pixels from both edges.
PanelPlace KeypadPlace(int clientWidth, int clientHeight, int width, int height);
// Letter keyboard: centred at the bottom, 10 pixels above the bottom edge.
PanelPlace KeyboardPlace(int clientWidth, int clientHeight, int width, int height);

// A rectangle on the screen; right and bottom are the first columns and rows
// past it.
struct ScreenBox {
  int left;
  int top;
  int right;
  int bottom;
};
// Where a keyboard of the size, placed at `place` on the screen, leaves the
// window it types into free: at its place when it covers none of the window;
// otherwise just below the window, or else just above it, where the screen
// has room for the whole keyboard; otherwise at its place.
PanelPlace ClearOfWindow(PanelPlace place, int width, int height, const ScreenBox& window, const ScreenBox& screen);
