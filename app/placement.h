#pragma once
// A window's placement (state and bounds) in the settings section named after
// the window's object name.
class QWidget;

void SaveFormPlacement(QWidget* window);
void RestoreFormPlacement(QWidget* window, bool withSize);
