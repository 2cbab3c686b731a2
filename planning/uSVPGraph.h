#pragma once
// The profile graph editor: the averaged sound-velocity profile as a plot of
// sound velocity against depth beside an editable table. Points are dragged
// to a new sound velocity, selected with a lasso or a table click and deleted.
#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "planning/svpgraph.h"

class QLabel;
class QPushButton;
class QSplitter;
class QTableWidget;
class QWidget;

class TfSVPGraph : public QDialog {
  Q_OBJECT
 public:
  explicit TfSVPGraph(QWidget* parent = nullptr);

  QWidget* PaintBox1;
  QSplitter* Splitter1;
  QWidget* PanelGrid;
  QTableWidget* StringGrid1;  // the header row is the table's header; data row r is table row r - 1
  QPushButton* bAddRow;
  QPushButton* bDeleteRow;
  QWidget* Panel1;
  QLabel* Label1;
  QPushButton* bDeleteSelected;
  QPushButton* bSaveAndClose;
  QPushButton* bCancel;

  std::vector<TSVPPoint> Points;
  std::vector<std::pair<int, int>> LassoPoints;
  bool LassoActive = false;
  bool Dragging = false;
  int DragIndex = -1;
  bool Modified = false;
  // The start values of an extents computation: a profile without points
  // shows no grid line.
  double MinSV = 1600, MaxSV = 1300, MinDepth = 10000, MaxDepth = 0;
  svp::Margins Margin;

  void LoadProfile(const std::vector<std::string>& lines);
  void StoreProfile(std::vector<std::string>& lines) const;
  void ComputeExtents();
  void FillProfileGrid();
  void ReadProfileGrid();

  int SVToX(double SV) const;
  int DepthToY(double depth) const;
  double XToSV(int x) const;
  double YToDepth(int y) const;
  int HitTestPoint(int x, int y) const;
  bool PointInLasso(int x, int y) const;
  void SelectInLasso();

  void FormCreate();
  // Column and panel widths that give every header caption its room.
  void FitTableColumns();
  void PaintBox1Paint();
  void DrawAxes(class QPainter& p);
  void DrawProfile(class QPainter& p);
  void DrawLasso(class QPainter& p);

  // Left button only; the others do nothing.
  void PaintBox1MouseDown(Qt::MouseButton button, int x, int y);
  void PaintBox1MouseMove(int x, int y);
  void PaintBox1MouseUp(Qt::MouseButton button, int x, int y);
  void PaintBox1DblClick();
  void bDeleteSelectedClick();
  void StringGrid1Click();
  void bAddRowClick();
  void bDeleteRowClick();
  void bSaveAndCloseClick();
  void bCancelClick();
  // delta > 0 zooms in; (x, y) in paint-box pixels.
  void FormMouseWheel(int delta, int x, int y);
  void FormResize();

  int ShowModal() { return exec(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void wheelEvent(class QWheelEvent* e) override;
  void resizeEvent(class QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  svp::Scales CurrentScales() const;
  void SetExtents(const svp::ViewExtents& v);
};

extern TfSVPGraph* fSVPGraph;
