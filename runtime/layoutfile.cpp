#include "runtime/layoutfile.h"

// The drawing-file reader and writer are not part of this build: nothing is
// read or written, and the callers, which never examine the result, go on.
int LoadLayoutFile(TQuarixCanvas*, const std::string&, int) { return 0; }
int SaveLayoutFile(TQuarixCanvas*, const std::string&) { return 0; }
