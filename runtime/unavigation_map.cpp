// The main window's map commands and tools (drawing tools, zoom, follow,
// clearing tracks and user shapes, polygon selection, the distance measure,
// keys, compact mode by double click), the echogram timer with the
// echo-sounder watchdog, event marks and the screenshot timer.
#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

#include "app/helpers.h"
#include "canvas/QuarixCanvas.h"
#include "settings/unavset.h"
#include "planning/URunlines.h"
#include "platform/clock.h"
#include "platform/prompts.h"
#include "devices/QuarixSerialGPS.h"
#include "runtime/RealtimeData.h"
#include "runtime/eventmarks.h"
#include "runtime/fixedlayers.h"
#include "runtime/mapcommands.h"
#include "runtime/statuspanels.h"
#include "runtime/uCanvas.h"
#include "runtime/unavigation.h"

bool FollowVesselActive = true;

namespace {

void SetPanel(TQuarixStatusBar* bar, int index, const std::string& text) {
  if (bar && bar->PanelCount() > index) bar->SetPanelText(index, QString::fromStdString(text));
}

bool Confirmed(const char* question) {
  return prompts::AskYesNo(question, prompts::Kind::Warning) == prompts::Answer::Yes;
}

// Empties one track layer after its question; a layer that does not exist
// leaves every shape alone.
void ClearTrackLayer(TQuarixCanvas* map, TrackClear which) {
  const TrackClearing& c = TrackClearingFor(which);
  if (!Confirmed(c.question)) return;
  if (map) {
    const int layer = map->LayerFindByName(c.layerName);
    if (layer >= 0) {
      map->CadClearShapes(layer);
      map->Refresh();
    }
  }
  LogEvent(c.logText);
}

std::vector<TPointD> Polygon(const std::vector<std::pair<double, double>>& points) {
  std::vector<TPointD> polygon;
  polygon.reserve(points.size());
  for (const auto& p : points) polygon.push_back({p.first, p.second});
  return polygon;
}

bool CompactMode() { return fRealtime && fRealtime->btHideImageIndex == 1; }

}  // namespace

void TFNav::ConnectMapCommands() {
  const std::pair<QToolButton*, void (TFNav::*)(QObject*)> tools[] = {
      {ToolButton7, &TFNav::ToolButton10Click},  {ToolButton12, &TFNav::ToolButton9Click},
      {ToolButton21, &TFNav::ToolButton16Click}, {ToolButton23, &TFNav::ToolButton14Click},
      {ToolButton27, &TFNav::ToolButton19Click}, {ToolButton28, &TFNav::ToolButton15Click},
      {ToolButton29, &TFNav::ToolButton17Click}, {ToolButton30, &TFNav::ToolButton20Click},
      {ToolButton31, &TFNav::ToolButton18Click}, {Zoomin, &TFNav::ZoominClick},
      {Zoomout, &TFNav::ZoomoutClick},           {Zoomextents, &TFNav::ZoomextentsClick},
      {Zoomwindow, &TFNav::ZoomwindowClick},     {Zoomdynamic, &TFNav::ZoomdynamicClick},
      {bFollowVessel, &TFNav::bFollowVesselClick}, {ToolButton13, &TFNav::ToolButton13Click},
      {ToolButton11, &TFNav::ToolButton11Click}, {tbFixed, &TFNav::tbFixedClick},
      {tbFloat, &TFNav::tbFloatClick},           {tbAuto, &TFNav::tbAutoClick},
      {bSelectTracks, &TFNav::bSelectTracksClick}, {bDelSelected, &TFNav::bDelSelectedClick},
      {btEventAdd, &TFNav::btEventAddClick},     {btEventReset, &TFNav::btEventResetClick},
  };
  for (const auto& tool : tools)
    connect(tool.first, &QToolButton::clicked, this,
            [this, button = tool.first, handler = tool.second] { (this->*handler)(button); });

  const std::pair<QAction*, void (TFNav::*)(QObject*)> items[] = {
      {In1, &TFNav::ZoominClick},
      {Out1, &TFNav::ZoomoutClick},
      {Extents1, &TFNav::ZoomextentsClick},
      {Window1, &TFNav::ZoomwindowClick},
      {Dynamic1, &TFNav::ZoomdynamicClick},
      {Followvessel1, &TFNav::bFollowVesselClick},
      {Donotfollowvessel1, &TFNav::ToolButton13Click},
      {ClearUserAddedShapes1, &TFNav::ToolButton11Click},
      {ClearFixedTracks1, &TFNav::tbFixedClick},
      {ClearUnfixedTracks1, &TFNav::tbFloatClick},
      {MarkEvent1, &TFNav::btEventAddClick},
      {Echogram1, &TFNav::Echogram1Click},
  };
  for (const auto& menuItem : items)
    connect(menuItem.first, &QAction::triggered, this,
            [this, item = menuItem.first, handler = menuItem.second] { (this->*handler)(item); });

  // A drawing cancelled with Escape must restart the map timer too.
  if (fcad)
    fcad->OnDrawCancel = [this](TQuarixCanvasModel* s, int16_t type, double x, double y) {
      fcadDrawCancel(s, type, x, y);
    };
}

// ---------------------------------------------------------------------------
// Drawing tools. A polyline, polygon, spline or arc takes the current layer at
// its first click, before the drawing-begin event can point it at the user
// shapes: the buttons do so first, so no shape lands on a layer that the
// navigation loop empties (the vessel layer is current after start).

namespace {
void SelectDrawingTool(TQuarixCanvas* map, int tool) {
  map->CurrentTool = tool;
  if (UserShapeLayer >= 0) map->CurrentLayer = UserShapeLayer;
}
}  // namespace

void TFNav::ToolButton10Click(QObject*) { SelectDrawingTool(fcad, stPoint); }
void TFNav::ToolButton9Click(QObject*) { SelectDrawingTool(fcad, stLine); }
void TFNav::ToolButton16Click(QObject*) { SelectDrawingTool(fcad, stRectangle); }
void TFNav::ToolButton14Click(QObject*) { SelectDrawingTool(fcad, stPolyline); }
void TFNav::ToolButton19Click(QObject*) { SelectDrawingTool(fcad, stEllipseTool); }
void TFNav::ToolButton15Click(QObject*) { SelectDrawingTool(fcad, stPolygon); }
void TFNav::ToolButton17Click(QObject*) { SelectDrawingTool(fcad, stSpline); }
void TFNav::ToolButton20Click(QObject*) { SelectDrawingTool(fcad, stArc); }
void TFNav::ToolButton18Click(QObject*) { SelectDrawingTool(fcad, stCircle); }

// ---------------------------------------------------------------------------
// Zoom and follow

void TFNav::ZoominClick(QObject*) {
  fcad->WorldZoom(0, 0.2, (fcad->WorldLeft + fcad->WorldRight) / 2, (fcad->WorldTop + fcad->WorldBottom) / 2);
}

void TFNav::ZoomoutClick(QObject*) {
  fcad->WorldZoom(0, -0.2, (fcad->WorldLeft + fcad->WorldRight) / 2, (fcad->WorldTop + fcad->WorldBottom) / 2);
}

void TFNav::ZoomextentsClick(QObject*) { fcad->WorldExtents(); }
void TFNav::ZoomwindowClick(QObject*) { fcad->CurrentTool = toolZoomWindow; }
void TFNav::ZoomdynamicClick(QObject*) { fcad->CurrentTool = toolDragZoom; }

void TFNav::bFollowVesselClick(QObject*) { FollowVesselActive = true; }
void TFNav::ToolButton13Click(QObject*) { FollowVesselActive = false; }

// ---------------------------------------------------------------------------
// Clearing

void TFNav::ToolButton11Click(QObject*) {
  if (!Confirmed(kClearUserShapesQuestion)) return;
  // The user-shape layer's number is -1 until the fixed layers exist; -1
  // would clear the whole map.
  if (UserShapeLayer < 0) return;
  fcad->CadClearShapes(UserShapeLayer);
  fcad->Refresh();
}

void TFNav::tbFixedClick(QObject*) { ClearTrackLayer(fcad, TrackClear::Fixed); }
void TFNav::tbFloatClick(QObject*) { ClearTrackLayer(fcad, TrackClear::Float); }
void TFNav::tbAutoClick(QObject*) { ClearTrackLayer(fcad, TrackClear::Auto); }

// ---------------------------------------------------------------------------
// Polygon selection

namespace {

// Empties the selection layer, or opens it, and draws the next polygon on it.
void StartPolygonSelection(TQuarixCanvas* map) {
  int layer = map->LayerFindByName(kSelectPolyLayerName);
  if (layer >= 0)
    map->CadClearShapes(layer);
  else
    layer = map->LayerOpen(kSelectPolyLayerName);
  map->CurrentLayer = layer;
  map->CurrentTool = stPolygon;
  map->KeepTool = false;
}

}  // namespace

void TFNav::bSelectTracksClick(QObject*) {
  TrackSelectMode = true;
  ShapeSelectMode = false;
  StartPolygonSelection(fcad);
  SetPanel(sStatusBar, 0, kSelectTracksHint);
}

void TFNav::bMouseSelectClick(QObject*) {
  ShapeSelectMode = true;
  TrackSelectMode = false;
  StartPolygonSelection(fcad);
  SetPanel(sStatusBar, 0, kSelectShapesHint);
}

void TFNav::bDelSelectedClick(QObject*) {
  if (fcad->SelectedShapeCount() < 1) return;
  fcad->CadClearSelectedShapes();
  fcad->Refresh();
}

// ---------------------------------------------------------------------------
// Map events

void TFNav::fcadShapeNumberSelected(TQuarixCanvasModel*, int16_t, int32_t) {}

void TFNav::fcadWorldMouseMove(TQuarixCanvasModel*, int16_t, double X, double Y, double, double) {
  if (!MeasureActive || MeasureStartX == 0 || MeasureStartY == 0) return;
  const double distance = PlanarDistance(MeasureStartX, MeasureStartY, X, Y);
  const double bearing = GridBearing(MeasureStartX, MeasureStartY, X, Y) * 180.0 / M_PI;
  fcad->UpdateDistanceMeasure(X, Y, distance, bearing);
}

void TFNav::fcadWorldMouseDown(TQuarixCanvasModel*, int16_t Button, int16_t, int16_t, double X, double Y) {
  if (Button == 2) {
    if (MeasureActive) {
      MeasureActive = false;
      fcad->EndDistanceMeasure();
      MeasureStartX = MeasureStartY = 0;
    } else {
      MeasureActive = true;
      MeasureStartX = X;
      MeasureStartY = Y;
      fcad->StartDistanceMeasure(X, Y);
    }
    return;
  }
  if (!sStatusBar || sStatusBar->PanelCount() < 3) return;
  const QString text = QString::fromStdString(ClickedText(X, Y));
  sStatusBar->SetPanelText(2, text);
  sStatusBar->SetPanelWidth(2, sStatusBar->TextWidth(text) + 20);
}

void TFNav::fcadDrawBegin(TQuarixCanvasModel*, int16_t, double, double) {
  fcad->CurrentLayer = UserShapeLayer;
  // What this drawing makes: a polyline took its number and layer at the
  // first click, the other shapes take the next numbers on the user layer.
  if (const TQPolyline* drawing = fcad->DrawingPolyline) {
    DrawFirstShape = drawing->Number;
    DrawLayer = drawing->Layer;
  } else {
    DrawFirstShape = fcad->NextShapeNumber;
    DrawLayer = fcad->CurrentLayer;
  }
  tMap->stop();
}

void TFNav::fcadDrawCancel(TQuarixCanvasModel*, int16_t, double, double) { StartMapTimer(); }

// The vertices of the shape just finished: the newest line or polyline that
// this drawing made. Neither the last polyline of the map (a straight line is
// none, and once a selection polygon exists other layers are passed over) nor
// the last shape (the navigation loop may have drawn the vessel since) will
// do; a drawing that made no shape hands nothing over.
std::vector<std::pair<double, double>> TFNav::FinishedRoutePoints() const {
  for (auto it = fcad->Shapes.rbegin(); it != fcad->Shapes.rend(); ++it) {
    const TQShape* shape = *it;
    if (shape->Layer != DrawLayer || shape->Number < DrawFirstShape) continue;
    if (const auto* line = dynamic_cast<const TQLine*>(shape))
      return {{line->X1, line->Y1}, {line->X2, line->Y2}};
    if (const auto* poly = dynamic_cast<const TQPolyline*>(shape)) {
      std::vector<std::pair<double, double>> points;
      for (const TPointD& p : poly->Points) points.emplace_back(p.x, p.y);
      return points;
    }
  }
  return {};
}

void TFNav::fcadDrawEnd(TQuarixCanvasModel*, int16_t ShapeType, double, double) {
  fcad->KeepTool = false;
  StartMapTimer();

  const bool tracks = TrackSelectMode && ShapeType == stPolygon;
  const bool shapes = !tracks && ShapeSelectMode && ShapeType == stPolygon;
  if (tracks || shapes) {
    if (tracks)
      TrackSelectMode = false;
    else
      ShapeSelectMode = false;
    try {
      // Grid coordinates need double precision: a float northing of a few
      // million metres is only good to half a metre.
      const std::vector<TPointD> polygon = Polygon(fcad->GetLastPolylinePoints());
      const int selectLayer = fcad->LayerFindByName(kSelectPolyLayerName);
      if (selectLayer >= 0) fcad->CadClearShapes(selectLayer);
      std::vector<int32_t> layers;
      if (tracks)
        for (const char* name : kTrackLayerNames) {
          const int n = fcad->LayerFindByName(name);
          if (n >= 0) layers.push_back(n);
        }
      if ((shapes || !layers.empty()) && polygon.size() > 2) {
        if (tracks)
          fcad->SelectShapesInPolygon(polygon, layers);
        else
          fcad->SelectAllShapesInPolygon(polygon);
        fcad->Refresh();
        SetPanel(sStatusBar, 0, SelectionCountText(fcad->SelectedShapeCount(), tracks));
      }
      fcad->CurrentTool = toolSelect;
      fcad->ClearDrawingState();
    } catch (...) {
      fcad->ClearDrawingState();
    }
    return;
  }

  if (fRunline1 && fRunline1->isVisible() &&
      (ShapeType == stLine || ShapeType == stPolyline || ShapeType == stPolygon)) {
    const auto points = FinishedRoutePoints();
    if (points.size() > 1) fRunline1->SetRoute(points);
  }
}

void TFNav::fcadDblClick(QObject*) {
  const QPoint p = fcad->mapFromGlobal(QCursor::pos());
  if (!fcad->IsPointInGGAOverlay(p.x(), p.y()) || !fRealtime) return;
  if (!CompactMode()) {
    fRealtime->btHide->click();
    return;
  }
  // Back to normal mode; the realtime window itself stays hidden.
  tRealtime->show();
  tDraw->show();
  pRealtime->show();
  if (Navset) Navset->show();
  SetCompactFrame(false);
  fRealtime->SetHideImage(0);
  if (fWaterfal && SounderDataSeen) fWaterfal->show();
  tShape->show();
}

// ---------------------------------------------------------------------------
// Keys

void TFNav::FormKeyDown(QObject*, int& Key, Qt::KeyboardModifiers) {
  switch (Key) {
    case Qt::Key_Escape:
      if (CompactMode()) fRealtime->btHide->click();
      if (TrackSelectMode) {
        TrackSelectMode = false;
        fcad->ClearSelection();
        SetPanel(sStatusBar, 0, "");
      }
      if (ShapeSelectMode) {
        ShapeSelectMode = false;
        fcad->ClearSelection();
        SetPanel(sStatusBar, 0, "");
      }
      break;
    case Qt::Key_F2: fcad->ToggleDepthSpeedDisplayMode(); break;
    case Qt::Key_F3: fcad->ToggleGGAOverlayPosition(); break;
    case Qt::Key_Delete:
      bDelSelectedClick(this);
      Key = 0;
      break;
    default: break;
  }
}

// ---------------------------------------------------------------------------
// Echogram

void TFNav::tEchogramTimer(QObject*) {
  if (SounderWatch.Check(platform::TickCount())) {
    if (fWaterfal) fWaterfal->hide();
    ZSENSORTimeout(tEchogram);
  }
  if (fWaterfal && fWaterfal->isVisible() && NewDepthAvailable && ZSENSOR && ZSENSOR->Active)
    DrawEchogram(SoundingDepth, 0.0, 50.0, fWaterfal->DataWidth);
  NewDepthAvailable = false;
}

void TFNav::Echogram1Click(QObject*) {
  if (ZSENSOR && ZSENSOR->Active) {
    if (fWaterfal) fWaterfal->show();
  } else {
    prompts::ShowMessage("Sensor is not connected. Connect sensor to view waterfall.");
  }
}

// ---------------------------------------------------------------------------
// Event marks and screenshots

void TFNav::btEventAddClick(QObject*) {
  EventMarkValues values;
  values.gridEasting = GridEasting;
  values.gridNorthing = GridNorthing;
  values.gridHeading = GridHeading;
  if (fRealtime) {
    values.depthHiText = fRealtime->lDepthHi->text().toStdString();
    values.depthLoText = fRealtime->lDepthLo->text().toStdString();
  }
  AddEventMark(values, [this](const EventLabelPlacement& l) {
    if (fcad) fcad->AddEventLabel(l.x, l.y, l.number);
  });
}

void TFNav::btEventResetClick(QObject*) { ResetEventNumbers(); }

void TFNav::tScreenshotTimer(QObject*) { Screenshots.Tick(); }
