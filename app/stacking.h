#pragma once
// Stacking of the program's windows: several of them stay on top of the main
// window for the whole run, so a window the user opens (a dialog, an editor, a
// message) must not open under one of them.
class QWidget;

// From now on every window shown other than the main window and its pop-ups
// stands above the main window, among the windows that stay on top; being
// shown last, it opens above them.
void KeepWindowsAboveMainWindow(QWidget* mainWindow);
