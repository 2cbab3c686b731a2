#include "app/placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "app/settingsfile.h"
#include "platform/windowframe.h"

// Left, Top, Width and Height are the window's frame (title bar and borders
// included), on saving and on restoring alike, so that a window comes back
// exactly where it was. Qt sizes a top-level window by its client area and
// learns the frame's margins only once the window manager has framed the
// window (before that, a window whose native window already exists may even
// be placed by its client area): a placement restored before the margins are
// known is applied again as soon as they are.

namespace {

// The frame's margins of a window; null while the window has no frame (not
// yet framed by the window manager, or no window manager at all). The window
// manager's own word comes first: Qt keeps what it learned when the window
// was framed, which for a window framed while already shown (the window
// manager started after the program) is nothing, or the margins of a frame
// still being built, smaller than the window itself.
QMargins FrameMargins(const QWidget* w) {
  QMargins told;
  if (platform::WindowFrameExtents(w->windowHandle(), told)) return told;
  const QRect f = w->frameGeometry();
  const QRect g = w->geometry();
  const QMargins m(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
  return m.left() < 0 || m.top() < 0 || m.right() < 0 || m.bottom() < 0 ? QMargins() : m;
}

// The window's frame on the screen, title bar included.
QRect FrameOf(const QWidget* w) { return w->geometry().marginsAdded(FrameMargins(w)); }

// The client size of a stored frame size; a dimension not stored (negative)
// keeps the window's current one.
QSize ClientSize(const QSize& frame, const QMargins& m, const QSize& current) {
  return {frame.width() < 0 ? current.width() : std::max(1, frame.width() - m.left() - m.right()),
          frame.height() < 0 ? current.height() : std::max(1, frame.height() - m.top() - m.bottom())};
}

// Applies a restored frame rectangle again once the window manager has framed
// the window, and puts the frame where it was asked for: Qt places a window
// by the frame margins it knows, which for a window framed while the program
// was busy (a long reload at start) may be none, so that the title bar would
// end up above the screen. Looks a few times after each showing, then goes
// away.
class FrameSizeKeeper : public QObject {
 public:
  static constexpr const char* kName = "placementFrameSizeKeeper";
  FrameSizeKeeper(QWidget* window, QPoint at, QSize frame, bool withSize)
      : QObject(window), window_(window), at_(at), frame_(frame), withSize_(withSize) {
    setObjectName(kName);
    timer_.setInterval(25);
    connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
    window->installEventFilter(this);
    if (window->isVisible()) timer_.start();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == window_ && e->type() == QEvent::Show) {
      looks_ = waits_ = 0;
      timer_.start();
    }
    return QObject::eventFilter(watched, e);
  }

 private:
  static constexpr int kLooks = 80;   // about two seconds once framed
  static constexpr int kWaits = 400;  // about ten seconds for the frame (a busy start)
  static constexpr int kMoves = 3;    // a window manager that will not put it there is left alone
  void Look() {
    // A window without a frame (no window manager): nothing to put right.
    if (!window_ || looks_ > kLooks || waits_ > kWaits || moves_ >= kMoves) {
      timer_.stop();
      deleteLater();
      return;
    }
    const QMargins m = FrameMargins(window_);
    if (!window_->isVisible() || window_->isMaximized() || m.isNull()) {
      ++waits_;
      return;
    }
    ++looks_;
    if (withSize_) {
      window_->resize(ClientSize(frame_, m, window_->size()));
      withSize_ = false;
    }
    // Done once the client area stands under the frame's place, where the
    // display server has it (Qt learns of the window manager's moves a
    // moment later). Otherwise moved there, whatever margins Qt goes by; a
    // move asked for already is waited for, not asked again.
    const QPoint client = at_ + QPoint(m.left(), m.top());
    QPoint now = window_->geometry().topLeft();
    platform::WindowClientOrigin(window_->windowHandle(), now);
    if (now == client) {
      timer_.stop();
      deleteLater();
      return;
    }
    const QPoint want = client - (window_->geometry().topLeft() - window_->pos());
    if (window_->pos() == want && window_->geometry().topLeft() == client) return;
    window_->move(want);
    ++moves_;
  }

  QPointer<QWidget> window_;
  QPoint at_;
  QSize frame_;
  bool withSize_ = false;
  QTimer timer_;
  int looks_ = 0;
  int waits_ = 0;
  int moves_ = 0;
};

// Where the user left a window: its state and frame, taken whenever the
// window moves, is resized or changes state while it is shown and framed.
// A window being hidden passes through geometries that are nobody's choice
// (once the window manager has taken its frame away, its client area; while
// it is taken down, a window of 1 x 1): what is saved or kept after that is
// the place it was left at.
class PlacementTracker : public QObject {
 public:
  static PlacementTracker* Of(QWidget* window) {
    auto* t = window->findChild<PlacementTracker*>(kName, Qt::FindDirectChildrenOnly);
    return t ? t : new PlacementTracker(window);
  }

  // The window's state (0 normal, 1 minimized, 2 maximized) and frame: as it
  // is now while it is shown and framed, otherwise as it was last left;
  // nothing for a window that was never shown, which stands nowhere the
  // user could have seen it.
  std::optional<std::pair<int, QRect>> Placement() {
    Take();
    if (taken_) return std::pair{state_, frame_};
    if (!shown_ && !window_->isVisible()) return std::nullopt;
    return std::pair{StateOf(window_), FrameOf(window_)};
  }
  bool EverShown() const { return shown_ || window_->isVisible(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == window_)
      switch (e->type()) {
        case QEvent::Show:
          shown_ = true;
          Take();
          break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowStateChange:
        case QEvent::WindowActivate:
          Take();
          break;
        default:
          break;
      }
    return QObject::eventFilter(watched, e);
  }

 private:
  static constexpr const char* kName = "placementTracker";
  explicit PlacementTracker(QWidget* window) : QObject(window), window_(window) {
    setObjectName(kName);
    window->installEventFilter(this);
  }
  static int StateOf(const QWidget* w) { return w->isMaximized() ? 2 : w->isMinimized() ? 1 : 0; }
  // Shown and framed: the window stands where the user sees it. A minimized
  // window keeps the frame it had before, with its state.
  void Take() {
    if (!window_->isVisible()) return;
    if (window_->isMinimized()) {
      if (taken_) state_ = 1;
      return;
    }
    const QMargins m = FrameMargins(window_);
    if (m.isNull()) return;
    state_ = StateOf(window_);
    frame_ = window_->geometry().marginsAdded(m);
    taken_ = true;
  }

  QWidget* window_;
  bool shown_ = false;
  bool taken_ = false;
  int state_ = 0;
  QRect frame_;
};

// Runs an action on its window whenever the program hides it (a spontaneous
// hide is the window manager's minimizing, not a closing). A window has at
// most one watcher of each name.
class HideWatcher : public QObject {
 public:
  static void Attach(QWidget* window, const char* name, void (*action)(QWidget*)) {
    PlacementTracker::Of(window);
    if (!window->findChild<QObject*>(name, Qt::FindDirectChildrenOnly)) new HideWatcher(window, name, action);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Hide && !e->spontaneous() && watched == parent()) action_(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, e);
  }

 private:
  HideWatcher(QWidget* window, const char* name, void (*action)(QWidget*)) : QObject(window), action_(action) {
    setObjectName(name);
    window->installEventFilter(this);
  }
  void (*action_)(QWidget*);
};

// The native window asks for the place it was left at from now on: a window
// whose place was left to the window manager is placed anew at every showing.
void KeepFramePosition(QWidget* w) {
  const auto placement = PlacementTracker::Of(w)->Placement();
  if (!placement) return;
  const auto& [state, frame] = *placement;
  if (QWindow* handle = w->windowHandle(); handle && state == 0 && !w->isFullScreen())
    handle->setFramePosition(frame.topLeft());
}

// Puts the frame's top-left corner at `at`, now and again once the window
// manager has framed the window (with the stored frame size when asked).
void PlaceFrame(QWidget* window, QPoint at, QSize frame, bool withSize) {
  window->move(at);
  for (QObject* old : window->findChildren<QObject*>(FrameSizeKeeper::kName, Qt::FindDirectChildrenOnly)) delete old;
  // A window the window manager never frames has nothing to wait for.
  if (window->windowFlags() & (Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)) return;
  new FrameSizeKeeper(window, at, frame, withSize && FrameMargins(window).isNull());
}

// The frame's top-left corner, and with it the title bar, stays on the
// primary screen, where the window can be seen and dragged.
QPoint OnScreen(QPoint at) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect sg = screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
  if (at.x() < sg.left() || at.x() > sg.right()) at.rx() = sg.left();
  if (at.y() < sg.top() || at.y() > sg.bottom()) at.ry() = sg.top();
  return at;
}

// A window's place while no placement is stored: the area and the corner of it.
class DefaultPlaceOf : public QObject {
 public:
  static constexpr const char* kName = "placementDefaultPlace";
  DefaultPlaceOf(QWidget* window, std::function<QRect()> area, Qt::Corner corner)
      : QObject(window), area(std::move(area)), corner(corner) {
    setObjectName(kName);
  }
  static DefaultPlaceOf* Of(const QWidget* window) {
    return window->findChild<DefaultPlaceOf*>(kName, Qt::FindDirectChildrenOnly);
  }
  std::function<QRect()> area;
  Qt::Corner corner;
};

// The size of the window's frame; while the window manager has not framed
// the window yet, a title bar as high as the style draws one above it.
QSize ExpectedFrameSize(const QWidget* w) {
  const QMargins m = FrameMargins(w);
  if (!m.isNull()) return w->size().grownBy(m);
  if (w->windowFlags() & (Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)) return w->size();
  return w->size() + QSize(0, w->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, w));
}

// Where the frame's top-left corner stands while no placement is stored: in
// the window's corner of its area, never above or left of the area; the
// screen's top-left corner when no area is set.
QPoint DefaultPlace(const QWidget* w) {
  const DefaultPlaceOf* place = DefaultPlaceOf::Of(w);
  const QRect area = place && place->area ? place->area() : QRect();
  if (!area.isValid()) return {std::numeric_limits<int>::min(), std::numeric_limits<int>::min()};
  const Qt::Corner corner = place->corner;
  const QSize frame = ExpectedFrameSize(w);
  const bool right = corner == Qt::TopRightCorner || corner == Qt::BottomRightCorner;
  const bool bottom = corner == Qt::BottomLeftCorner || corner == Qt::BottomRightCorner;
  return {right ? std::max(area.left(), area.right() + 1 - frame.width()) : area.left(),
          bottom ? std::max(area.top(), area.bottom() + 1 - frame.height()) : area.top()};
}

// Puts a window that was never shown at its default place when it is first
// shown, then goes away. Its own showing may restore a stored placement
// after this.
class FirstPlacer : public QObject {
 public:
  static constexpr const char* kName = "placementFirstPlacer";
  explicit FirstPlacer(QWidget* window) : QObject(window) {
    setObjectName(kName);
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == parent() && e->type() == QEvent::Show && !e->spontaneous()) {
      auto* w = static_cast<QWidget*>(watched);
      w->removeEventFilter(this);
      deleteLater();
      if (!w->isMaximized() && !w->isFullScreen()) PlaceFrame(w, OnScreen(DefaultPlace(w)), {-1, -1}, false);
    }
    return QObject::eventFilter(watched, e);
  }
};

}  // namespace

void KeepPlaceWhenHidden(QWidget* window) {
  if (window) HideWatcher::Attach(window, "placementPlaceKeeper", KeepFramePosition);
}

namespace {
bool placementsHeld = false;
}  // namespace

void HoldPlacements(bool hold) { placementsHeld = hold; }

void SaveFormPlacement(QWidget* window) {
  if (!window || placementsHeld) return;
  const auto placement = PlacementTracker::Of(window)->Placement();
  if (!placement) return;
  const auto& [state, g] = *placement;
  IniFile ini;
  const std::string section = window->objectName().toStdString();
  ini.WriteInteger(section, "WindowState", state);
  ini.WriteInteger(section, "Left", g.left());
  ini.WriteInteger(section, "Top", g.top());
  ini.WriteInteger(section, "Width", g.width());
  ini.WriteInteger(section, "Height", g.height());
}

void RestoreFormPlacement(QWidget* window, bool withSize) {
  if (!window) return;
  // Hidden, it remembers where it was left, so that showing it again puts it
  // there (not where the last closing of the program left it).
  HideWatcher::Attach(window, "placementHideSaver", SaveFormPlacement);
  IniFile ini;
  const std::string section = window->objectName().toStdString();
  if (ini.ReadInteger(section, "WindowState", 0) == 2) {
    window->setWindowState(window->windowState() | Qt::WindowMaximized);
    return;
  }
  // A size that is not stored keeps the window's size.
  int width = -1, height = -1;
  if (withSize) {
    width = ini.ReadInteger(section, "Width", -1);
    height = ini.ReadInteger(section, "Height", -1);
    window->resize(ClientSize({width, height}, FrameMargins(window), window->size()));
  }
  // The default place (worked out from the map's place on the screen) only
  // where nothing usable is stored.
  constexpr int kNone = std::numeric_limits<int>::min();
  QPoint at(ini.ReadInteger(section, "Left", kNone), ini.ReadInteger(section, "Top", kNone));
  if (at.x() == kNone || at.y() == kNone) {
    const QPoint place = DefaultPlace(window);  // with the window's size as restored
    if (at.x() == kNone) at.rx() = place.x();
    if (at.y() == kNone) at.ry() = place.y();
  }
  PlaceFrame(window, OnScreen(at), {width, height}, withSize);
}

void SetDefaultPlace(QWidget* window, std::function<QRect()> area, Qt::Corner corner) {
  if (!window) return;
  delete DefaultPlaceOf::Of(window);
  new DefaultPlaceOf(window, std::move(area), corner);
  if (!PlacementTracker::Of(window)->EverShown() &&
      !window->findChild<QObject*>(FirstPlacer::kName, Qt::FindDirectChildrenOnly))
    new FirstPlacer(window);
}
