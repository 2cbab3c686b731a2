#include "platform/windowframe.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>

#if QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace platform {

#if QT_CONFIG(xcb)
namespace {
xcb_connection_t* Connection(const QWindow* window) {
  if (!window || !window->handle() || !qGuiApp) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}
}  // namespace
#endif

bool WindowFrameExtents(const QWindow* window, QMargins& margins) {
#if QT_CONFIG(xcb)
  xcb_connection_t* c = Connection(window);
  if (!c) return false;
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

bool WindowClientOrigin(const QWindow* window, QPoint& origin) {
#if QT_CONFIG(xcb)
  xcb_connection_t* c = Connection(window);
  if (!c) return false;
  const auto win = static_cast<xcb_window_t>(window->winId());
  xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, win), nullptr);
  if (!g) return false;
  const xcb_window_t root = g->root;
  std::free(g);
  xcb_translate_coordinates_reply_t* t =
      xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, win, root, 0, 0), nullptr);
  if (!t) return false;
  origin = QPoint(t->dst_x, t->dst_y);
  std::free(t);
  return true;
#else
  (void)window;
  (void)origin;
  return false;
#endif
}

}  // namespace platform
