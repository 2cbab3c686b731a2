// Mouse and keyboard input and the drawing tools.
//
// Drawing flags (the rubber band shows only while a shape is in progress):
//   idle            IsDrawing false, HasFirstPoint false
//   in progress     IsDrawing true,  HasFirstPoint true
//   between shapes  IsDrawing true,  HasFirstPoint false (tools 1, 4, 10, 19)
// A right press ends the drawing mode (OnDrawEnd), Escape cancels it.
#include <algorithm>
#include <cmath>

#include "canvas/canvasmodel.h"
#include "canvas/geometry.h"

namespace {

int16_t ButtonCode(TMouseButton b) {
  switch (b) {
    case TMouseButton::mbLeft: return 1;
    case TMouseButton::mbRight: return 2;
    default: return 4;
  }
}

bool StartsWithDrawBegin(int tool) {
  switch (tool) {
    case stRectangle:
    case stLine:
    case stEllipseTool:
    case stPolyline:
    case stPolygon:
    case stSpline:
    case stArc:
    case stCircle: return true;
    default: return false;
  }
}

}  // namespace

// First point of a shape (or of a zoom window): both rubber points at the
// press, cross cursor, OnDrawBegin.
void TQuarixCanvasModel::StartShape(double WX, double WY, bool RaiseDrawBegin) {
  HasFirstPoint = true;
  IsDrawing = true;
  RubberX1 = RubberX2 = WX;
  RubberY1 = RubberY2 = WY;
  SetScreenCursor(crCross);
  if (RaiseDrawBegin && OnDrawBegin) OnDrawBegin(this, static_cast<int16_t>(CurrentTool), WX, WY);
}

void TQuarixCanvasModel::FinishRightButton(double WX, double WY) {
  if (DrawingPolyline) {
    if (DrawingPolyline->PointCount() >= 2) {
      DrawingPolyline->Points.shrink_to_fit();  // finished: no room for more vertices
      DrawingPolyline->UpdateBounds();
      Shapes.push_back(DrawingPolyline);
      SyncShapeCount();
      MarkDrawingChanged();
    } else {
      delete DrawingPolyline;
    }
  }
  DrawingPolyline = nullptr;
  HasFirstPoint = false;
  IsDrawing = false;
  ShapeJustFinished = true;
  if (OnDrawEnd) OnDrawEnd(this, static_cast<int16_t>(CurrentTool), WX, WY);
  if (!KeepTool) CurrentTool = toolSelect;
  SetScreenCursor(crDefault);
  InvalidateControl();
  RefX = WX;
  RefY = WY;
}

void TQuarixCanvasModel::MouseDown(TMouseButton Button, int16_t Shift, int X, int Y) {
  double wx = 0, wy = 0;
  ScreenToWorld(X, Y, wx, wy);

  if (Button == TMouseButton::mbRight && (IsDrawing || HasFirstPoint)) {
    FinishRightButton(wx, wy);
    return;
  }
  if (OnWorldMouseDown)
    OnWorldMouseDown(this, ButtonCode(Button), Shift, static_cast<int16_t>(CurrentTool), wx, wy);

  if (Button == TMouseButton::mbRight) {
    StartDistanceMeasure(wx, wy);
    return;  // the reference point stays where it was
  }
  if (Button == TMouseButton::mbLeft) {
    if (ShapeJustFinished) {
      ShapeJustFinished = false;
      RefX = wx;
      RefY = wy;
      return;
    }
    if (!IsDrawing && !HasFirstPoint && (CurrentTool == toolSelect || CurrentTool == toolSelectAlt)) {
      const bool adding = (Shift & (ssShift | ssCtrl)) != 0;
      const int32_t n = GetShapeAt(wx, wy);
      TQShape* shape = n >= 0 ? FindShape(n) : nullptr;
      if (!adding) ClearSelection();
      if (shape) {
        shape->IsSelected = true;
        SelectedShapes.push_back(n);
        if (OnShapeNumberSelected) OnShapeNumberSelected(this, static_cast<int16_t>(shape->ShapeType), n);
      }
      MarkDrawingChanged();
      InvalidateControl();
    }
    LeftToolStep(X, Y, wx, wy);
  }
  if (Button == TMouseButton::mbMiddle) {
    Panning = true;
    DragStartX = X;
    DragStartY = Y;
    RubberX2 = wx;
    RubberY2 = wy;
    SetScreenCursor(crSizeAll);
  }
  RefX = wx;
  RefY = wy;
}

void TQuarixCanvasModel::LeftToolStep(int X, int Y, double wx, double wy) {
  const bool differs = wx != RubberX1 || wy != RubberY1;
  auto resetRubber = [this] { RubberX1 = RubberY1 = RubberX2 = RubberY2 = 0; };
  switch (CurrentTool) {
    case stRectangle:
      if (!HasFirstPoint) {
        StartShape(wx, wy);
      } else {
        if (differs) {
          DrawRectangle(RubberX1, RubberY1, wx, wy, CurrentLayer);
          InvalidateControl();
        }
        HasFirstPoint = false;
        resetRubber();
      }
      break;
    case stLine:
      if (!HasFirstPoint) {
        StartShape(wx, wy);
      } else if (differs) {
        DrawLine(RubberX1, RubberY1, wx, wy, CurrentLayer);
        RubberX1 = wx;
        RubberY1 = wy;
        InvalidateControl();
      }
      break;
    case stEllipseTool:
      if (!HasFirstPoint) {
        StartShape(wx, wy);
      } else {
        if (wx != RubberX1 && wy != RubberY1) {
          DrawTwoPointEllipse(RubberX1, RubberY1, wx, wy, CurrentLayer);
          InvalidateControl();
        }
        HasFirstPoint = false;
        resetRubber();
      }
      break;
    case stPolyline:
    case stPolygon:
    case stSpline:
    case stArc:
      if (!HasFirstPoint || !DrawingPolyline) {
        delete DrawingPolyline;
        auto* p = new TQPolyline;
        p->Number = NextShapeNumber++;
        p->Layer = CurrentLayer;
        p->ShapeType = CurrentTool;
        p->Closed = CurrentTool == stPolygon;
        if (const TQLayer* layer = FindLayer(CurrentLayer)) {
          p->PenFg = layer->PenFg;
          p->PenWidth = layer->PenWidth;
          if (CurrentTool == stPolygon) {
            p->BrushFg = layer->BrushFg;
            p->BrushStyle = layer->BrushStyle;
          }
        }
        p->AddPoint(wx, wy);
        DrawingPolyline = p;
        StartShape(wx, wy);
      } else if (CurrentTool == stArc) {
        DrawingPolyline->AddPoint(wx, wy);
        if (DrawingPolyline->PointCount() >= 3) {
          DrawingPolyline->Points.shrink_to_fit();
          DrawingPolyline->UpdateBounds();
          Shapes.push_back(DrawingPolyline);
          SyncShapeCount();
          DrawingPolyline = nullptr;
          HasFirstPoint = false;
          RubberX1 = RubberY1 = 0;
          MarkDrawingChanged();
        } else {
          RubberX1 = wx;
          RubberY1 = wy;
        }
        InvalidateControl();
      } else if (differs) {
        DrawingPolyline->AddPoint(wx, wy);
        RubberX1 = wx;
        RubberY1 = wy;
        MarkDrawingChanged();
        InvalidateControl();
      }
      break;
    case stPoint:
      DrawPoint(wx, wy, CurrentLayer);
      if (OnDrawEnd) OnDrawEnd(this, stPoint, wx, wy);
      if (!KeepTool) CurrentTool = toolSelect;
      InvalidateControl();
      break;
    case stCircle:
      if (!HasFirstPoint) {
        StartShape(wx, wy);
      } else {
        const double r = std::sqrt((wx - RubberX1) * (wx - RubberX1) + (wy - RubberY1) * (wy - RubberY1));
        if (r > 0) {
          DrawCircle(RubberX1, RubberY1, r, CurrentLayer);
          InvalidateControl();
        }
        HasFirstPoint = false;
        resetRubber();
      }
      break;
    case toolDragZoom:
      DragZooming = true;
      DragStartX = X;
      DragStartY = Y;
      break;
    case toolZoomWindow:
      if (!HasFirstPoint) {
        StartShape(wx, wy, false);
      } else {
        const double x1 = std::min(RubberX1, wx), x2 = std::max(RubberX1, wx);
        const double y1 = std::min(RubberY1, wy), y2 = std::max(RubberY1, wy);
        const int w = ControlWidth(), h = ControlHeight();
        if (x2 - x1 > 0.001 && y2 - y1 > 0.001 && w > 0 && h > 0) {
          const double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
          double bw = x2 - x1, bh = y2 - y1;
          const double aspect = static_cast<double>(w) / h;
          if (bw / bh > aspect)
            bh = bw / aspect;
          else
            bw = bh * aspect;
          WorldSet(cx - bw / 2, cy + bh / 2, cx + bw / 2, cy - bh / 2);
        }
        HasFirstPoint = false;
        IsDrawing = false;
        SetScreenCursor(crDefault);
        if (!KeepTool) CurrentTool = toolSelect;
        InvalidateControl();
      }
      break;
    default:
      break;
  }
}

void TQuarixCanvasModel::MouseMove(int16_t Shift, int X, int Y) {
  double wx = 0, wy = 0;
  ScreenToWorld(X, Y, wx, wy);
  const double dx = wx - RefX, dy = wy - RefY;
  const double magnitude = std::sqrt(dx * dx + dy * dy);
  const double angle = (dx == 0 && dy == 0) ? 0.0 : std::atan2(dy, dx) * 180.0 / M_PI;
  if (OnWorldMouseMove) OnWorldMouseMove(this, Shift, wx, wy, magnitude, angle);

  if (Panning) {
    if (X - DragStartX < -2 || X - DragStartX > 2 || Y - DragStartY < -2 || Y - DragStartY > 2) {
      double px = 0, py = 0;
      ScreenToWorld(DragStartX, DragStartY, px, py);
      WorldPan(px - wx, py - wy);
      DragStartX = X;
      DragStartY = Y;
    }
  } else if (DragZooming) {
    const int d = DragStartY - Y;
    if (d < -3 || d > 3) {
      WorldZoom(0, d * 0.01, (WorldLeft + WorldRight) / 2, (WorldTop + WorldBottom) / 2);
      DragStartX = X;
      DragStartY = Y;
    }
  } else if (IsDrawing) {
    RubberX2 = wx;
    RubberY2 = wy;
    InvalidateControl();
  } else if (DistanceActive) {
    const double mx = wx - DistanceX1, my = wy - DistanceY1;
    const double distance = std::sqrt(mx * mx + my * my);
    double bearing = (mx == 0 && my == 0) ? 0.0 : std::atan2(mx, my) * 180.0 / M_PI;
    if (bearing < 0) bearing += 360;
    UpdateDistanceMeasure(wx, wy, distance, bearing);
    InvalidateControl();
  }
}

void TQuarixCanvasModel::MouseUp(TMouseButton Button, int16_t, int, int) {
  switch (Button) {
    case TMouseButton::mbMiddle:
      if (Panning) {
        Panning = false;
        SetScreenCursor(crDefault);
      }
      break;
    case TMouseButton::mbRight:
      if (DistanceActive) EndDistanceMeasure();
      break;
    case TMouseButton::mbLeft:
      if (Panning) {
        Panning = false;
        SetScreenCursor(crDefault);
      } else if (DragZooming) {
        DragZooming = false;
      }
      break;
  }
}

void TQuarixCanvasModel::KeyDown(int16_t& Key, int16_t) {
  if (Key == VK_DELETE_KEY && DeleteKeyEnabled) ShapeSelectDelete();
  if (Key == VK_ESCAPE_KEY && (IsDrawing || HasFirstPoint)) {
    delete DrawingPolyline;
    DrawingPolyline = nullptr;
    HasFirstPoint = false;
    IsDrawing = false;
    SetScreenCursor(crDefault);
    InvalidateControl();
    // A caller that paused its work when the drawing began must hear that it
    // is over; the tool stays, the next press starts a new shape.
    if (StartsWithDrawBegin(CurrentTool)) {
      const int16_t tool = static_cast<int16_t>(CurrentTool);
      if (OnDrawCancel)
        OnDrawCancel(this, tool, RefX, RefY);
      else if (OnDrawEnd)
        OnDrawEnd(this, tool, RefX, RefY);
    }
  }
}

int TQuarixCanvasModel::WMMouseWheel(int WheelDelta, int X, int Y) {
  double wx = 0, wy = 0;
  ScreenToWorld(X, Y, wx, wy);
  WorldZoom(0, WheelDelta > 0 ? 0.1 : -0.1, wx, wy);
  return 1;
}
