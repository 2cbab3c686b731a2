#pragma once
// The frame a window manager puts around a top-level window, asked of the
// display server itself.
#include <QMargins>
#include <QPoint>

class QWindow;

namespace platform {

// The margins of the frame the window manager gave the window, as it tells
// them now (_NET_FRAME_EXTENTS on X11). False when it tells none: no window
// manager, a window not framed (yet), or a platform without such a property.
// Qt keeps the margins it learned when the window was framed; a window
// manager that framed a window already shown (one started after the program)
// leaves Qt without margins or with those of a frame still being built.
bool WindowFrameExtents(const QWindow* window, QMargins& margins);

// Where the window's client area stands on the screen, as the display server
// has it now. Qt learns of a move by the window manager (the framing of a
// window, which shifts its client area under the title bar) only a moment
// later. False where the display server cannot be asked.
bool WindowClientOrigin(const QWindow* window, QPoint& origin);

}  // namespace platform
