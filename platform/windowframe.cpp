#include "platform/windowframe.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>

#if QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace platform {

bool WindowFrameExtents(const QWindow* window, QMargins& margins) {
#if QT_CONFIG(xcb)
  if (!window || !window->handle() || !qGuiApp) return false;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return false;
  xcb_connection_t* c = x11->connection();
  static const xcb_atom_t extents = [c] {
    const char name[] = "_NET_FRAME_EXTENTS";
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
    const xcb_atom_t atom = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    return atom;
  }();
  if (extents == static_cast<xcb_atom_t>(XCB_ATOM_NONE)) return false;
  // Left, right, top, bottom.
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      c, xcb_get_property(c, 0, static_cast<xcb_window_t>(window->winId()), extents, XCB_ATOM_CARDINAL, 0, 4),
      nullptr);
  bool told = false;
  if (r && r->format == 32 && xcb_get_property_value_length(r) == 16) {
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r));
    // A frame wider than the screen is no frame.
    told = v[0] < 4096 && v[1] < 4096 && v[2] < 4096 && v[3] < 4096;
    if (told)
      margins = QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                         static_cast<int>(v[3]));
  }
  std::free(r);
  return told;
#else
  (void)window;
  (void)margins;
  return false;
#endif
}

}  // namespace platform
