#pragma once
// TQuarixCanvas: the map control. The drawing, world window, tools and
// overlays live in TQuarixCanvasModel (plain C++); this class adds the Qt
// window: the back buffer, painting through the GDI adapter, and the
// translation of Qt's mouse, wheel, key and resize events.
#include <QImage>
#include <QWidget>
#include <QRect>
#include <functional>
#include <vector>

#include "canvas/canvasmodel.h"

class TQuarixCanvas : public QWidget, public TQuarixCanvasModel {
  Q_OBJECT

 public:
  explicit TQuarixCanvas(QWidget* Owner = nullptr);
  ~TQuarixCanvas() override;

  // Events of the control itself (sender first).
  std::function<void(TQuarixCanvas* Sender)> OnClick;
  std::function<void(TQuarixCanvas* Sender)> OnDblClick;
  std::function<void(TQuarixCanvas* Sender, TMouseButton Button, int16_t Shift, int X, int Y)>
      OnMouseDown;
  std::function<void(TQuarixCanvas* Sender, int16_t Shift, int X, int Y)> OnMouseMove;
  std::function<void(TQuarixCanvas* Sender, TMouseButton Button, int16_t Shift, int X, int Y)>
      OnMouseUp;
  std::function<void(TQuarixCanvas* Sender)> OnResize;
  std::function<void(TQuarixCanvas* Sender, int16_t& Key, int16_t Shift)> OnKeyDown;
  std::function<void(TQuarixCanvas* Sender, int16_t& Key, int16_t Shift)> OnKeyUp;

  // The off-screen image of background, grid and shapes (RGB32), and how
  // many times it was rebuilt.
  QImage BackBuffer;
  int RebuildCount = 0;
  // Rebuilds that drew the whole drawing rather than the cached base picture
  // plus what was added since.
  int BaseRebuildCount = 0;

  // Shows the component's banner in a plain message box.
  void AboutBox();
  // Paints one frame onto the given image as a paint message would: rebuilds
  // the back buffer when needed, copies it, then draws the overlays.
  void PaintTo(QImage& Target);

  int ControlWidth() const override { return width(); }
  int ControlHeight() const override { return height(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

  void InvalidateControl() override;
  void SetScreenCursor(int Cursor) override;
  void MeasureText(const TFontState& Font, const std::string& Text, int& W, int& H) const override;

 private:
  bool RebuildBackBufferIfNeeded();
  void HandlePress(QMouseEvent* event);
  bool UnderLabels() const { return (IsDrawing && HasFirstPoint) || DistanceActive; }
  bool LabelsShown() const { return (LabelShow && !DepthLabels.empty()) || !EventLabels.empty(); }

  bool pressedForClick_ = false;
  QImage frame_;  // the frame: back buffer and overlays, shown by paintEvent

  // The picture of the drawing's stable part: background, grid and the
  // first-pass shapes before baseEnd_ (where the last shapes of layers
  // emptied by layer, the vessel's, begin). A navigation tick draws only what follows
  // it, and the texts, over it. Valid while the view, the background and
  // the grid are the same and nothing before baseEnd_ changed.
  struct TBaseKey {
    double Left = 0, Right = 0, Top = 0, Bottom = 0;
    int Width = 0, Height = 0;
    TColor Back = 0;
    bool GridVisible = false, GridAutoScale = false;
    double GridSpacingX = 0, GridSpacingY = 0;
    TColor GridColor = 0;
    uint64_t Geometry = 0;  // GeometryVersion
    bool operator==(const TBaseKey&) const = default;
  };
  TBaseKey CurrentBaseKey() const;
  bool BaseStillValid(const TBaseKey& key);
  // Where the stable part of a new base picture ends.
  std::size_t StableEnd() const;
  void BuildBase(const TBaseKey& key);
  // Pixels the shapes and texts of a plan may cover (left, top, right, bottom).
  QRect PixelsOf(const TRenderPlan& plan) const;
  QImage baseBuffer_;
  TBaseKey baseKey_;
  TBaseKey lastRebuildKey_;  // the view of the previous rebuild
  bool baseValid_ = false;
  std::size_t baseEnd_ = 0;
  const TQShape* baseLast_ = nullptr;   // the shape before baseEnd_
  std::vector<uint32_t> basePrefix_;    // first-pass shapes in the picture
  std::vector<uint32_t> baseTexts_;     // texts before baseEnd_, drawn over everything
  uint64_t baseHash_ = 0;
  TPlanState baseState_;                // the planning at baseEnd_

  // What the back buffer holds beyond the base: whether it was composed from
  // it, the pixels of what was drawn after the base's texts' start, and
  // whether (and which) labels are on it.
  bool backFromBase_ = false;
  QRect backExtras_;
  struct TLabelKey {
    uint64_t Version = 0;
    std::size_t Depths = 0, Events = 0;
    bool Show = false;
    std::string FontName;
    int FontSize = 0;
    TColor Color = 0;
    int EventSize = 0;
    TColor EventColor = 0;
    bool operator==(const TLabelKey&) const = default;
  };
  TLabelKey CurrentLabelKey() const;
  bool backLabels_ = false;
  TLabelKey backLabelKey_;
  double backFirstLabelX_ = 0, backFirstLabelY_ = 0;
  // Depth labels added since the back buffer was composed, and nothing else
  // about the labels changed.
  bool OnlyLabelsAdded(const TLabelKey& key) const;
};
