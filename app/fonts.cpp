#include "app/fonts.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QLayout>

const char* const kDesignSansFamily = "Liberation Sans";

namespace {
const char* const kSansFaces[] = {"MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Tahoma", "Segoe UI",
                                  "Arial"};
const char* const kFixedFaces[] = {"Courier New", "Consolas", "Courier"};
constexpr int kDesignPointSize = 8;

// A label sized to its text: placed without a layout, never given a size of
// its own, one line.
bool SizedToText(const QLabel* l) {
  const QWidget* parent = l->parentWidget();
  if (!parent || l->isWindow() || l->wordWrap() || l->testAttribute(Qt::WA_Resized)) return false;
  return !parent->layout() || parent->layout()->indexOf(const_cast<QLabel*>(l)) < 0;
}

void FitToText(QLabel* l) {
  if (l->size() != l->sizeHint()) l->adjustSize();
  l->setAttribute(Qt::WA_Resized, false);  // still sized by its text, not by hand
}

// Watches the whole application: a label's text change makes its parent ask
// for a new layout (while the window is visible); a label that becomes
// visible may have got its text while hidden.
class LabelFitter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Show) {
      if (auto* l = qobject_cast<QLabel*>(watched); l && SizedToText(l)) FitToText(l);
    } else if (e->type() == QEvent::LayoutRequest && watched->isWidgetType()) {
      for (QObject* child : watched->children())
        if (auto* l = qobject_cast<QLabel*>(child); l && SizedToText(l)) FitToText(l);
    }
    return false;
  }
};
}  // namespace

void PrepareFontResolution() {
  if (qEnvironmentVariableIsEmpty("QT_FONT_DPI")) qputenv("QT_FONT_DPI", "96");
}

void SetupDesignFonts() {
  const QString sans = QString::fromLatin1(kDesignSansFamily);
  for (const char* face : kSansFaces) QFont::insertSubstitution(face, sans);
  for (const char* face : kFixedFaces) QFont::insertSubstitution(face, "Liberation Mono");
  QFont f(sans, kDesignPointSize);
  f.setStyleHint(QFont::SansSerif);
  QApplication::setFont(f);
  static LabelFitter* fitter = nullptr;
  if (!fitter && qApp) {
    fitter = new LabelFitter(qApp);
    qApp->installEventFilter(fitter);
  }
}
