#pragma once
// The program's style engine: a fixed set of named styles carried by the
// program, plus "Quarix DM - Default", the platform's own unstyled look.
#include <QColor>
#include <string>
#include <vector>

extern const char* const kDefaultStyleName;  // "Quarix DM - Default"

// The engine's style names: the default style first, then the carried ones.
std::vector<std::string> ThemeNames();
// Name of the style in force.
std::string ActiveThemeName();
// Applies a style by name. An unknown name shows the engine's error box,
// keeps the current look and returns false.
bool ApplyTheme(const std::string& name);
// Panel (window) colour of the named style; invalid colour for unknown names.
QColor ThemePanelColor(const std::string& name);
