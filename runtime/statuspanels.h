#pragma once
// The main window's status bar: a row of panels of given widths, each with a
// text, reporting clicks and double clicks. The bar never widens its window:
// panels that pass the window's right edge are cut there.
#include <QWidget>
#include <functional>
#include <vector>

class QLabel;

class TQuarixStatusBar : public QWidget {
  Q_OBJECT
 public:
  TQuarixStatusBar(int panelCount, int panelWidth, QWidget* parent = nullptr);

  int PanelCount() const { return static_cast<int>(panels_.size()); }
  QString PanelText(int index) const;
  void SetPanelText(int index, const QString& text);
  int PanelWidth(int index) const;
  void SetPanelWidth(int index, int width);
  // Width of a text in the status bar's font, in pixels.
  int TextWidth(const QString& text) const;

  std::function<void(QObject* Sender)> OnClick;
  std::function<void(QObject* Sender)> OnDblClick;

 QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  void PlacePanels();
  std::vector<QLabel*> panels_;
  std::vector<int> widths_;
};
