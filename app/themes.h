#pragma once
// The program's style engine: a fixed set of named styles carried by the
// program, plus "Quarix DM - Default", the platform's own unstyled look.
#include <QColor>
#include <string>
#include <vector>

class QWidget;

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

// ---------------------------------------------------------------------------
// Colours the program sets itself. A state colour (the green tool bar while
// recording, the lime or red boxes) comes with a text colour that reads on
// it; leaving the state gives the control back to the theme.

// Contrast ratio of two colours, 1 (none) to 21 (black on white), from their
// relative luminance.
double ContrastRatio(const QColor& a, const QColor& b);
// Black or white, whichever reads better on the background.
QColor ReadableTextColour(const QColor& background);

// Paints a control and its children in a state colour (window and button
// backgrounds) with readable window and button text.
void SetStateColour(QWidget* w, const QColor& background);
// The control and its children take the theme's colours again.
void ClearStateColour(QWidget* w);
// A label's own text colour (the realtime window's teal tide height): kept
// under a state colour of its parent where it reads there, black or white
// where it does not.
void SetDesignTextColour(QWidget* w, const QColor& colour);
// A text colour of the design (the survey button's navy caption) on a control
// that draws on the theme's button face: kept where it reads there, the
// theme's button text where it does not; decided again at every theme change.
void SetDesignButtonTextColour(QWidget* w, const QColor& colour);
// The same for a text area (an edit or a monitor): its base colour and text.
void SetStateBaseColour(QWidget* w, const QColor& base);
