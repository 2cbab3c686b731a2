#pragma once
// The map canvas without its window: the drawing (layers, shapes, fonts,
// blocks), the world window, selection and editing, the mouse tools' state
// machine, the overlays' data and the painting onto a GDI-style TCanvas.
// Plain C++ (no widgets): the control size is passed in, and the few things
// the window does (invalidate, cursor, text metrics) are virtual hooks.
// TQuarixCanvas (QuarixCanvas.h) is the Qt control built on it.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/color.h"
#include "canvas/gdicanvas.h"
#include "canvas/shapeindex.h"
#include "canvas/shapes.h"

class TQuarixCanvasModel;

// Published events; the sender is the canvas. Button: 1 left, 2 right,
// 4 middle. Shift: 1 Shift, 2 Ctrl, 4 Alt held. Action: the tool at the press.
using TQShapeSelectedEvent =
    std::function<void(TQuarixCanvasModel* Sender, int16_t ShapeType, int32_t ShapeNumber)>;
using TQWorldMouseMoveEvent = std::function<void(TQuarixCanvasModel* Sender, int16_t Shift, double X,
                                                 double Y, double Magnitude, double Angle)>;
using TQWorldMouseDownEvent = std::function<void(TQuarixCanvasModel* Sender, int16_t Button,
                                                 int16_t Shift, int16_t Action, double X, double Y)>;
using TQDrawBeginEvent =
    std::function<void(TQuarixCanvasModel* Sender, int16_t ShapeType, double X, double Y)>;

// Mouse buttons and shift codes as the input handlers take them.
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
constexpr int16_t ssShift = 1;
constexpr int16_t ssCtrl = 2;
constexpr int16_t ssAlt = 4;

// Screen cursors.
constexpr int crDefault = 0;
constexpr int crCross = -3;
constexpr int crSizeAll = -22;

// Key codes handled by KeyDown.
constexpr int16_t VK_ESCAPE_KEY = 27;
constexpr int16_t VK_DELETE_KEY = 46;

// Mouse tools other than the shape type codes.
constexpr int toolSelect = 0;
constexpr int toolSelectAlt = -1;
constexpr int toolZoomWindow = -3;
constexpr int toolDragZoom = -4;

// Upper bound of shapes drawn per rebuild of the whole drawing. The control
// keeps the picture of such a rebuild while it draws what is added after it
// (at most a few thousand shapes) over it, so between two whole rebuilds
// that many more may show.
constexpr std::size_t kMaxShapesDrawn = 500000;

// Which shapes a rebuild draws, in order: the first pass (everything but
// texts), then the decluttered texts. Entries are indexes into Shapes.
struct TRenderPlan {
  std::vector<uint32_t> FirstPass;
  std::vector<uint32_t> Texts;
  std::size_t Size() const { return FirstPass.size() + Texts.size(); }
};

// Where the planning of a rebuild stands after some of the shapes: the last
// drawn point of the thinning and the text cells taken.
struct TPlanState {
  int LastX = -9999, LastY = -9999;
  std::vector<char> Taken;
};

// Grid lines and labels of one rebuild, in pixels.
struct TGridPlan {
  double StepX = 0, StepY = 0;
  std::vector<double> Xs, Ys;  // world coordinates of the lines
  std::vector<int> Columns;    // pixel column of each vertical line
  std::vector<int> Rows;       // pixel row of each horizontal line
  bool Axes = false;
  int OriginX = 0, OriginY = 0;
};

// Texts of the current depth and speed panel.
struct TDepthPanelTexts {
  std::string Line1, Line1Small, SpeedBig, SpeedSmall;
};

class TQuarixCanvasModel {
 public:
  struct DepthLabel {
    double X = 0, Y = 0, Depth = 0;
  };
  struct EventLabel {
    double X = 0, Y = 0;
    int EventNumber = 0;
  };

  TQuarixCanvasModel();
  virtual ~TQuarixCanvasModel();
  TQuarixCanvasModel(const TQuarixCanvasModel&) = delete;
  TQuarixCanvasModel& operator=(const TQuarixCanvasModel&) = delete;

  // ---- Members (the map's state; other units read and write them) --------
  double WorldLeft = 0;
  double WorldRight = 1000;
  double WorldTop = 1000;
  double WorldBottom = 0;
  std::vector<TQLayer*> Layers;  // owned, creation order
  int CurrentLayer = 0;
  int NextLayerNumber = 0;
  int DXFImportLayer = 0;
  std::vector<TQShape*> Shapes;  // owned, drawing order
  int ShapeCount = 0;            // kept equal to Shapes.size()
  int32_t NextShapeNumber = 1;
  std::vector<TQBlock*> Blocks;  // owned
  std::vector<TQFont> Fonts;
  int DefaultTextAlign = 0;
  int DefaultTextJustify = 0;
  int CurrentTool = 0;
  bool KeepTool = false;
  bool DeleteKeyEnabled = false;
  bool GridVisible = false;
  bool GridAutoScale = true;
  double GridSpacingX = 100.0;
  double GridSpacingY = 100.0;
  TColor GridColor = 0xC0C0C0;
  bool IsDrawing = false;
  bool HasFirstPoint = false;
  bool ShapeJustFinished = false;
  double RubberX1 = 0, RubberY1 = 0;
  double RubberX2 = 0, RubberY2 = 0;
  bool Panning = false;
  bool DragZooming = false;
  int DragStartX = 0, DragStartY = 0;
  TQPolyline* DrawingPolyline = nullptr;  // owned while drawn
  std::vector<int32_t> SelectedShapes;
  std::vector<int32_t>& Selection = SelectedShapes;  // the same list under its other name
  TColor BackColor = 0xFFFFFF;
  bool NeedsRedraw = true;
  double RefX = 0, RefY = 0;
  bool DistanceActive = false;
  double DistanceX1 = 0, DistanceY1 = 0;
  double DistanceX2 = 0, DistanceY2 = 0;
  double DistanceValue = 0;
  double DistanceBearing = 0;
  std::vector<DepthLabel> DepthLabels;
  bool LabelShow = true;
  double LabelSpacing = 10.0;
  std::string LabelFontName = "Arial";
  int LabelFontSize = 12;
  TColor LabelColor = 0;
  std::vector<EventLabel> EventLabels;
  double CurrentDepth = 0;
  double CurrentDepthLo = 0;
  bool ShowCurrentDepth = false;
  double CurrentSpeed = 0;
  bool ShowCurrentSpeed = false;
  int DepthSpeedDisplayMode = 0;
  int GGAOverlayPosition = 0;
  bool HeadingValid = true;

  TQShapeSelectedEvent OnShapeNumberSelected;
  TQWorldMouseMoveEvent OnWorldMouseMove;
  TQWorldMouseDownEvent OnWorldMouseDown;
  TQDrawBeginEvent OnDrawBegin;
  TQDrawBeginEvent OnDrawEnd;
  // Raised when Escape cancels a shape whose drawing began with OnDrawBegin.
  // When it is not set, OnDrawEnd is raised instead, so a caller that paused
  // its work at OnDrawBegin always hears that the drawing is over.
  TQDrawBeginEvent OnDrawCancel;

  // ---- The control as a whole ----------------------------------------------
  void Refresh();
  void Update();
  // The drawing file (.qvt), defined with its format in drawingfiles/.
  // CadSave writes the drawing, replacing the file: 1 when written, else 0.
  // CadLoad reads one: mode 0 replaces the drawing, any other mode adds to
  // it; 1 when read to its end, 0 when missing or unreadable (unchanged then).
  int CadSave(const std::string& FileName, int = -1);
  int CadLoad(const std::string& FileName, int, int, int Mode);
  int MetafileSave(const std::string& FileName) { return 0; }
  int MetafileToClipboard() { return 0; }
  void PrintView(int, const std::string&) {}
  int ViewDialogShow(int, long) { return 0; }

  // Client size of the control in pixels. The window overrides these; the
  // plain model keeps its own size (400 x 300 until SetControlSize).
  virtual int ControlWidth() const { return clientWidth_; }
  virtual int ControlHeight() const { return clientHeight_; }
  void SetControlSize(int Width, int Height);

  // ---- Layers, fonts, lookups and properties ------------------------------
  TQLayer* FindLayer(int Number) const;
  TQShape* FindShape(int32_t Number) const;
  int LayerFindByName(const std::string& Name) const;
  int32_t GetShapeAt(double X, double Y) const;
  int LayerOpen(const std::string& Name);
  void LayerCopy(int From, int To, int Mode);
  void LayerSelectShapes(int Layer, bool Add);
  void LayerDeselectShapes(int Layer);
  int FontOpen(const std::string& Spec, int = 0);
  void CadFontBehaviorReset();
  void LayerFontBehaviorReset(int) {}
  void ShapeFontBehaviorReset(int32_t) {}

  int GetLayerAction(int Layer) const;
  void SetLayerAction(int Layer, int Value);
  TColor GetLayerPenFg(int Layer) const;
  void SetLayerPenFg(int Layer, TColor Value);
  int GetLayerPenWidth(int Layer) const;
  void SetLayerPenWidth(int Layer, int Value);
  int GetLayerPenStyle(int Layer) const;
  void SetLayerPenStyle(int Layer, int Value);
  TColor GetLayerBrushFg(int Layer) const;
  void SetLayerBrushFg(int Layer, TColor Value);
  TColor GetLayerBrushBg(int Layer) const;
  void SetLayerBrushBg(int Layer, TColor Value);
  TBrushStyle GetLayerBrushStyle(int Layer) const;
  void SetLayerBrushStyle(int Layer, TBrushStyle Value);
  int GetLayerBrushMode(int Layer) const;
  void SetLayerBrushMode(int Layer, int Value);
  bool GetLayerVisible(int Layer) const;
  void SetLayerVisible(int Layer, bool Value);

  int16_t GetShapeType(int32_t Shape) const;
  int GetShapePenWidth(int32_t Shape) const;
  void SetShapePenWidth(int32_t Shape, int Value);
  TColor GetShapePenFg(int32_t Shape) const;
  void SetShapePenFg(int32_t Shape, TColor Value);
  int GetShapePenStyle(int32_t Shape) const;
  void SetShapePenStyle(int32_t Shape, int Value);
  TColor GetShapeBrushFg(int32_t Shape) const;
  void SetShapeBrushFg(int32_t Shape, TColor Value);
  TBrushStyle GetShapeBrushStyle(int32_t Shape) const;
  void SetShapeBrushStyle(int32_t Shape, int Value);
  int GetShapeBrushMode(int32_t Shape) const;
  void SetShapeBrushMode(int32_t Shape, int Value);
  int GetShapeOnLayer(int32_t Shape) const;
  bool GetShapeIsSelected(int32_t Shape) const;
  std::string GetShapeText(int32_t Shape) const;
  void SetShapeText(int32_t Shape, const std::string& Value);
  std::string GetShapeNotes(int32_t Shape) const;
  void SetShapeNotes(int32_t Shape, const std::string& Value);
  int32_t GetShapeZOrder(int32_t Shape) const;
  void SetShapeZOrder(int32_t Shape, int32_t Value);
  int GetShapeTextAlign(int32_t Shape) const;
  void SetShapeTextAlign(int32_t Shape, int Value);
  int GetShapeTextJustify(int32_t Shape) const;
  void SetShapeTextJustify(int32_t Shape, int Value);
  int GetShapePointSize(int32_t Shape) const;
  void SetShapePointSize(int32_t Shape, int Value);

  // ---- Shape creation (each returns the new shape's number) ---------------
  int32_t DrawLine(double X1, double Y1, double X2, double Y2, int Layer);
  int32_t DrawCircle(double CenterX, double CenterY, double Radius, int Layer);
  int32_t DrawRectangle(double X1, double Y1, double X2, double Y2, int Layer);
  int32_t DrawPoint(double X, double Y, int Layer);
  int32_t DrawTwoPointEllipse(double X1, double Y1, double X2, double Y2, int Layer);
  int32_t DrawThreePointArc(double X1, double Y1, double X2, double Y2, double X3, double Y3,
                            int Layer);
  int32_t TextAdd(int Layer, const std::string& Text, double X, double Y, int FontIndex);
  int32_t DrawPolyline(const std::vector<std::pair<double, double>>& Points, int Layer, bool Closed);
  int32_t ShapeAdd(int, int) { return -1; }

  // ---- World window and transforms ------------------------------------------
  void WorldToScreen(double X, double Y, int& SX, int& SY) const;
  void ScreenToWorld(int SX, int SY, double& X, double& Y) const;
  int WorldToAbsX(double X) const;
  int WorldToAbsY(double Y) const;
  double GetWorldWidth() const { return WorldRight - WorldLeft; }
  double GetWorldHeight() const { return WorldTop - WorldBottom; }
  void WorldSet(double Left, double Top, double Right, double Bottom);
  void WorldPan(double DX, double DY);
  void WorldZoom(int, double Factor, double X, double Y);
  void WorldExtents();
  void SetBackColor(TColor Color);
  TColor GetContrastColor(TColor Color) const;
  // The resize handling: the world window keeps the control's proportions.
  void Resize();
  // Widens the world window about its centre to the control's proportions,
  // so that a metre is as many pixels across as up (nothing while the
  // control has no size). A resize does it; so must whoever sets the four
  // members directly once the control has its size. Fits in a row, with no
  // other change of the window between them, all start from the window as
  // it was set.
  void KeepProportions();

  // ---- Clearing, deletion, selection and editing ---------------------------
  void LayerClear(int Layer);
  void CadClearShapes(int Layer);
  void CadClearShapesByLayerName(const std::string& Name);
  void CadClearSelectedShapes();
  void ClearDrawingState();
  void ShapeDelete(int32_t Number);
  void ShapeSelect(int32_t Number, bool Add);
  void ShapeDeselect(int32_t Number);
  void CadSelectShapes();
  void CadDeselectShapes();
  void ShapeSelectDelete();
  void ShapeSelectMoveDelta(double DX, double DY);
  // The selection list in order, duplicates included; empty when nothing is
  // selected.
  std::vector<int32_t> GetShapeSelectNumbers() const;
  int32_t ShapeHitTest(double X, double Y) const;
  void ShapeToLayer(int32_t Number, int Layer);
  void ShapeToFront(int32_t Number);
  void ShapeToBack(int32_t Number);
  void ShapeZOrderJump(int32_t Number, int32_t Direction);
  void ShapeTranslate(int32_t Number, double DX, double DY);
  void ShapeScale(int32_t Number, double SX, double SY, double CX, double CY);
  void ShapeRotate(int32_t Number, double Degrees, double CX, double CY);
  void ShapeReflect(int32_t Number, int Axis, double CX, double CY);
  double ShapePointGetX(int32_t Number, int Index) const;
  double ShapePointGetY(int32_t Number, int Index) const;
  void ShapePointSet(int32_t Number, int Index, double X, double Y);
  void ShapePointInsert(int32_t Number, int Index, double X, double Y);
  void ShapePointDelete(int32_t Number, int Index);
  int ShapePointCount(int32_t Number) const;

  // ---- Polygon selection -----------------------------------------------------
  std::vector<std::pair<double, double>> GetLastPolylinePoints() const;
  static bool PointInPolygon(double X, double Y, const std::vector<TPointF>& Polygon);
  static bool PointInPolygon(double X, double Y, const std::vector<TPointD>& Polygon);
  void SelectShapesInPolygon(const std::vector<TPointF>& Polygon, const std::vector<int32_t>& Layers);
  void SelectShapesInPolygon(const std::vector<TPointD>& Polygon, const std::vector<int32_t>& Layers);
  void SelectAllShapesInPolygon(const std::vector<TPointF>& Polygon);
  void SelectAllShapesInPolygon(const std::vector<TPointD>& Polygon);
  void SelectShapesOnLayers(const std::vector<int32_t>& Layers);
  void ClearSelection();
  void DeleteSelectedShapes();
  int SelectedShapeCount() const;

  // ---- Mouse and keyboard input (control pixels) ----------------------------
  void MouseDown(TMouseButton Button, int16_t Shift, int X, int Y);
  void MouseMove(int16_t Shift, int X, int Y);
  void MouseUp(TMouseButton Button, int16_t Shift, int X, int Y);
  void KeyDown(int16_t& Key, int16_t Shift);
  // One wheel message at control pixel (X, Y); returns the message result 1.
  int WMMouseWheel(int WheelDelta, int X, int Y);

  // ---- Overlays ----------------------------------------------------------------
  void StartDistanceMeasure(double X, double Y);
  void UpdateDistanceMeasure(double X, double Y, double Distance, double Bearing);
  void EndDistanceMeasure();
  void AddDepthLabel(double X, double Y, double Depth);
  void ClearDepthLabels();
  void SetDepthLabelSettings(bool Show, double Spacing, const std::string& FontName, int FontSize,
                             TColor Color);
  void AddEventLabel(double X, double Y, int EventNumber);
  void ClearEventLabels();
  void SetCurrentDepth(double Depth, double DepthLo, bool Show);
  void SetCurrentSpeed(double Knots, bool Show);
  void ToggleDepthSpeedDisplayMode();
  void ToggleGGAOverlayPosition();
  void SetHeadingValid(bool Valid);
  bool IsPointInGGAOverlay(int X, int Y) const;

  // ---- Painting --------------------------------------------------------------
  // The back buffer's content: background, grid, shapes.
  void RenderBackBuffer(TCanvas* Canvas);
  // What every paint draws over the copied back buffer, in order.
  void RenderOverlays(TCanvas* Canvas);
  void DrawAllShapes(TCanvas* Canvas);
  void DrawGrid(TCanvas* Canvas);
  void DrawRubberBand(TCanvas* Canvas);
  void DrawScaleBar(TCanvas* Canvas);
  void DrawDistanceOverlay(TCanvas* Canvas);
  void DrawDepthLabelsOverlay(TCanvas* Canvas);
  void DrawEventLabelsOverlay(TCanvas* Canvas);
  void DrawCurrentDepthOverlay(TCanvas* Canvas);
  void DrawCurrentSpeedOverlay(TCanvas*) {}
  void DrawGGAOverlay(TCanvas* Canvas);

  // Decisions of the painting, open to tests. With State, also where the
  // planning stood before the first shape at or after StateAt.
  TRenderPlan BuildRenderPlan(std::size_t StateAt = SIZE_MAX, TPlanState* State = nullptr) const;
  // The plan of the shapes from index From on, as the whole drawing's plan
  // has them when its planning stood at State before From (the drawing
  // limit aside).
  TRenderPlan ContinueRenderPlan(std::size_t From, TPlanState State) const;
  // Draws the plan's first-pass shapes with index in [From, To), or its texts.
  void DrawPlanShapes(TCanvas* Canvas, const TRenderPlan& Plan, std::size_t From, std::size_t To);
  void DrawPlanTexts(TCanvas* Canvas, const TRenderPlan& Plan);
  // Draws the shapes with the given indexes, as a plan does.
  void DrawShapeList(TCanvas* Canvas, const std::vector<uint32_t>& Indexes);
  // A hash of what the shapes with the given indexes draw with (record, box,
  // pen, brush, selection, visibility).
  uint64_t HashShapes(const std::vector<uint32_t>& Indexes) const;
  // The overlays in their painting order, split where the labels lie.
  void RenderUnderLabels(TCanvas* Canvas);
  void RenderLabels(TCanvas* Canvas);
  // The labels that may reach into the pixel rectangle [Left, Right) x
  // [Top, Bottom), drawn as RenderLabels draws them.
  void RenderLabelsNear(TCanvas* Canvas, int Left, int Top, int Right, int Bottom);
  void RenderOverLabels(TCanvas* Canvas);
  bool BuildGridPlan(TGridPlan& Plan) const;
  TDepthPanelTexts DepthPanelTexts() const;
  // The GNSS status box: its text ("" when none) and colours.
  std::string GGABoxText() const;
  TColor GGABoxColor() const;
  TColor GGATextColor() const;

  // The spatial index: a rebuild looks only at the shapes it names for the
  // view. Drawings below ShapeIndexMinimum shapes are passed over in full.
  bool ShapeIndexEnabled = true;
  std::size_t ShapeIndexMinimum = 4096;
  // Announces records changed directly rather than through the canvas's
  // operations (a box moved, a record replaced in the list): the index is
  // built anew and the drawing redrawn.
  void ShapesChanged();
  // Heap bytes of the spatial index.
  std::size_t ShapeIndexBytes() const { return index_.Bytes(); }

  // Times the control was asked to repaint (counted by the plain model).
  int InvalidateCount = 0;
  int ScreenCursor = crDefault;

 protected:
  // Window hooks: ask for a paint at the next paint message, set the cursor,
  // measure a text for hit tests outside painting.
  virtual void InvalidateControl() { ++InvalidateCount; }
  virtual void SetScreenCursor(int Cursor) { ScreenCursor = Cursor; }
  virtual void MeasureText(const TFontState& Font, const std::string& Text, int& W, int& H) const;

  void RepaintControl() { InvalidateControl(); }

  // Grows whenever the depth or event label lists or their settings change.
  uint64_t LabelsVersion = 0;
  // Grows whenever a shape's geometry is edited in place (moved, scaled,
  // turned, mirrored, vertices changed): such an edit can keep the box.
  uint64_t GeometryVersion = 0;
  // The lowest index in Shapes whose shape was changed, removed or moved
  // since the painting last took note (SIZE_MAX: none); appending changes
  // nothing before the end.
  std::size_t DrawingChangedFrom = 0;
  void MarkDrawingChanged(std::size_t From = 0) {
    DrawingChangedFrom = std::min(DrawingChangedFrom, From);
    NeedsRedraw = true;
  }

  // Position of the shape with that number in Shapes, or SIZE_MAX.
  std::size_t ShapePosition(int32_t Number) const;
  bool UseShapeIndex() const { return ShapeIndexEnabled && Shapes.size() >= ShapeIndexMinimum; }
  // The box of the shape at that position changed through an edit.
  void ShapeBoxChanged(std::size_t Position);

  mutable TShapeIndex index_;

 private:
  // Deletes the shapes at the given ascending positions, keeping the order
  // of the others.
  void RemovePositions(const std::vector<std::size_t>& Positions, bool dropFromSelection);
  TQLayer* LayerForNewShape(int Layer);
  int32_t AppendShape(TQShape* Shape, TQLayer* Layer, bool CopyBrush, bool CopyPenStyle);
  template <typename Remove>
  void RemoveShapes(Remove remove, bool dropFromSelection);
  void RemoveFromSelection(int32_t Number);
  void CheckAppendedPens(TQLayer* Layer);
  void RestyleLayer(TQLayer* Layer);
  void ForgetPenChecks(int Layer);
  void ForgetAllPenChecks();
  void SyncShapeCount() { ShapeCount = static_cast<int>(Shapes.size()); }
  template <typename P>
  void SelectInPolygon(const P* Polygon, std::size_t Count, const std::vector<int32_t>* Layers);
  void StartShape(double WX, double WY, bool RaiseDrawBegin = true);
  void FinishRightButton(double WX, double WY);
  void LeftToolStep(int X, int Y, double WX, double WY);

  int clientWidth_ = 400;
  int clientHeight_ = 300;
  // The world window as last set (left, right, top, bottom) and as the last
  // fit to the control's proportions left it: while nothing but fits changes
  // it, each fit starts again from the window as set.
  std::array<double, 4> fitBase_{}, fitted_{};
  bool fittedOnce_ = false;

 protected:
  std::vector<int> volatileLayers_;  // layers emptied by number or name
};

// GNSS status globals of the survey runtime that the map's status box reads
// at every paint. The navigation loop and the GNSS intake write them.
extern std::string GGAOverlayText;
extern bool NoValidPosition;
extern int GGAFixQuality;
