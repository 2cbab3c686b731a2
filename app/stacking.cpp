#include "app/stacking.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

class StackingGuard : public QObject {
 public:
  explicit StackingGuard(QWidget* mainWindow) : QObject(mainWindow), main_(mainWindow) {
    setObjectName(kName);
    qApp->installEventFilter(this);
  }
  static constexpr const char* kName = "stackingGuard";

 protected:
  // A window's Show comes after its native window is made and before it is
  // mapped: the window manager learns the state with the window itself.
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Show && watched->isWidgetType() && !e->spontaneous()) {
      auto* w = static_cast<QWidget*>(watched);
      if (w->isWindow() && w != main_ && Raisable(w)) {
        w->overrideWindowFlags(w->windowFlags() | Qt::WindowStaysOnTopHint);
        if (QWindow* handle = w->windowHandle()) handle->setFlags(w->windowFlags());
      }
    }
    return QObject::eventFilter(watched, e);
  }

 private:
  // Windows that take part in the window manager's stacking and are not on
  // top yet: no pop-up, tool tip or splash, nothing outside the window manager.
  static bool Raisable(const QWidget* w) {
    const Qt::WindowFlags f = w->windowFlags();
    if (f & (Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint)) return false;
    switch (w->windowType()) {
      case Qt::Window:
      case Qt::Dialog:
      case Qt::Sheet:
      case Qt::Tool:
        return true;
      default:
        return false;
    }
  }
  QPointer<QWidget> main_;
};

}  // namespace

void KeepWindowsAboveMainWindow(QWidget* mainWindow) {
  if (mainWindow && !mainWindow->findChild<QObject*>(StackingGuard::kName, Qt::FindDirectChildrenOnly))
    new StackingGuard(mainWindow);
}
