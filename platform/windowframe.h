#pragma once
// The frame a window manager puts around a top-level window, asked of the
// display server itself.
#include <QMargins>

class QWindow;

namespace platform {

// The margins of the frame the window manager gave the window, as it tells
// them now (_NET_FRAME_EXTENTS on X11). False when it tells none: no window
// manager, a window not framed (yet), or a platform without such a property.
// Qt keeps the margins it learned when the window was framed; a window
// manager that framed a window already shown (one started after the program)
// leaves Qt without margins or with those of a frame still being built.
bool WindowFrameExtents(const QWindow* window, QMargins& margins);

}  // namespace platform
