#pragma once
// The map saved as a drawing file (.qvt) and read back: the entry points the
// main window's commands use.
#include <string>

class TQuarixCanvas;

// Reads a drawing file into the map; mode 0 first empties the drawing, mode 2
// adds to it. 1 when the file was read, 0 otherwise (errno says why;
// ECANCELED when the user cancelled a long load, EINTR when a termination
// request stopped it; either leaves the map as it was).
int LoadLayoutFile(TQuarixCanvas* map, const std::string& fileName, int mode);
// Writes the map as a drawing file, replacing it unless `replace` is false
// (then an existing file fails with EEXIST). 1 when written, 0 otherwise.
int SaveLayoutFile(TQuarixCanvas* map, const std::string& fileName, bool replace = true);
