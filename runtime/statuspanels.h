#pragma once
// The main window's status bar: a row of panels of given widths, each with a
// text, reporting clicks and double clicks. A panel keeps its width whatever
// its text: a longer text is cut at the panel's edge.
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

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  std::vector<QLabel*> panels_;
  std::vector<int> widths_;
};
