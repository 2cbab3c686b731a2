#pragma once
// The windows are laid out in pixels for the Windows fonts they name. These
// map those names onto metric twins that the program's run packages bring, at
// the designed point size and 96 dots per inch.

// Sets the font resolution to 96 dpi unless the user chose one. Call before
// the application object exists.
void PrepareFontResolution();

// Maps the designed sans-serif fonts ("MS Sans Serif", "Tahoma", "Segoe UI",
// "Arial") to Liberation Sans and the fixed fonts ("Courier New", "Consolas")
// to Liberation Mono, and makes 8-point Liberation Sans the application font.
// Labels that a window places by hand without giving them a size are sized to
// their text: from then on they grow and shrink with it, whenever they are
// shown or their text changes.
void SetupDesignFonts();

// Family that stands for the designed sans-serif fonts.
extern const char* const kDesignSansFamily;  // "Liberation Sans"
