#pragma once
// A window's placement (state and bounds) in the settings section named after
// the window's object name.
// What is saved is where the user left the window: a window being hidden
// passes through geometries that are nobody's choice, and those are never
// saved (nor kept by KeepPlaceWhenHidden); a window never shown has no
// placement to save, and the one stored stays.
#include <QtCore/qnamespace.h>

#include <functional>

class QRect;
class QWidget;

void SaveFormPlacement(QWidget* window);
// While held, SaveFormPlacement saves nothing and the stored placements stay.
void HoldPlacements(bool hold);
void RestoreFormPlacement(QWidget* window, bool withSize);

// Where the window's frame (title bar included) stands while the settings
// file holds no placement of it: in a corner of an area of the screen, both
// taken when the window is placed (the area as it stands then, the window
// with its size then). RestoreFormPlacement puts it there (at the screen's
// top-left corner when none is set), and so does the window's first showing,
// also for a window that never restores a placement; a placement restored at
// that showing still wins.
void SetDefaultPlace(QWidget* window, std::function<QRect()> area, Qt::Corner corner);

// A window shown again comes back where it was hidden. Without this a window
// the program never placed itself is placed anew by the window manager at
// every showing (back to its first place, whatever the user did).
void KeepPlaceWhenHidden(QWidget* window);
