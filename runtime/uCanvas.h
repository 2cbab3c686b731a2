#pragma once
// The echogram window: a small borderless window on top of the others that
// shows the echogram of the latest depths. It is moved by dragging its inside
// with the left button and resized from a 6-pixel band along its edges; it
// keeps the number of samples shown and the echogram timer's interval in the
// settings section ECHOGRAM and its placement in section fWaterfal.
#include <QImage>
#include <QWidget>

#include "runtime/echogram.h"

class TfWaterfal : public QWidget {
  Q_OBJECT
 public:
  explicit TfWaterfal(QWidget* parent = nullptr);

  bool Dragging = false;  // the window is being moved with the left button
  int DragX = 0;          // client pixel where the move started
  int DragY = 0;
  int DataWidth = kEchogramDefaultWidth;  // samples shown, 1 .. 200
  int Interval = kEchogramDefaultInterval;  // echogram timer interval, ms

  // The samples of the echogram; they live as long as the window, that is the whole run.
  EchogramHistory History;

  // Takes NewDepth as the latest of Count samples and draws the echogram;
  // nothing happens while the window is hidden or has no area.
  void DrawEchogram(double NewDepth, double FallbackTop, double FallbackBottom, int Count);
  // What the last drawing left on the window.
  const QImage& CanvasImage() const { return canvas_; }

  // Handlers.
  void FormShow();
  void FormCloseQuery(bool& CanClose);
  void FormMouseDown(Qt::MouseButton Button, int X, int Y);
  void FormMouseMove(int X, int Y);
  void FormMouseUp(Qt::MouseButton Button, int X, int Y);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Paint(const EchogramPicture& picture);
  QImage canvas_;
  bool systemMove_ = false;  // the window system moves the window for us
  // The edge pressed on, whose resize starts when the mouse moves with the
  // button held.
  EchogramEdge pressedEdge_ = EchogramEdge::None;
};

extern TfWaterfal* fWaterfal;

// The echogram drawing of the echogram timer, on fWaterfal when it exists:
// DrawEchogram(SoundingDepth, 0.0, 50.0, fWaterfal->DataWidth).
void DrawEchogram(double NewDepth, double FallbackTop, double FallbackBottom, int Count);
