#pragma once
// A window's placement (state and bounds) in the settings section named after
// the window's object name.
class QWidget;

void SaveFormPlacement(QWidget* window);
void RestoreFormPlacement(QWidget* window, bool withSize);

// A window shown again comes back where it was hidden. Without this a window
// the program never placed itself is placed anew by the window manager at
// every showing (back to its first place, whatever the user did).
void KeepPlaceWhenHidden(QWidget* window);
