#pragma once
// A window's placement (state and bounds) in the settings section named after
// the window's object name.
// What is saved is where the user left the window: a window being hidden
// passes through geometries that are nobody's choice, and those are never
// saved (nor kept by KeepPlaceWhenHidden).
class QPoint;
class QWidget;

void SaveFormPlacement(QWidget* window);
void RestoreFormPlacement(QWidget* window, bool withSize);

// Where the window's frame (title bar included) stands while the settings
// file holds no placement of it: RestoreFormPlacement puts it there (at the
// screen's top-left corner when none is set).
void SetDefaultPlace(QWidget* window, QPoint frameTopLeft);

// A window shown again comes back where it was hidden. Without this a window
// the program never placed itself is placed anew by the window manager at
// every showing (back to its first place, whatever the user did).
void KeepPlaceWhenHidden(QWidget* window);
