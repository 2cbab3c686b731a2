// The main window's map commands and tools, driven through its buttons, menu
// items, keys and the map's mouse events on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

#include "canvas/QuarixCanvas.h"
#include "platform/prompts.h"
#include "runtime/mapcommands.h"
#include "runtime/statuspanels.h"
#include "tests/runtime/formsfixture.h"

namespace {

class MapCommands : public FormsTest {
 protected:
  void SetUp() override {
    prompts::CurrentScript() = {};
    Start();
    FNav->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FNav));
    map = FNav->fcad;
    ASSERT_GT(map->width(), 500);
    ASSERT_GT(map->height(), 300);
  }

  void Press(Qt::MouseButton button, QPoint p) { QTest::mouseClick(map, button, {}, p); }
  void Left(std::initializer_list<QPoint> points) {
    for (QPoint p : points) Press(Qt::LeftButton, p);
  }
  void Right(QPoint p = {450, 20}) { Press(Qt::RightButton, p); }
  // A key goes to the focus widget, or to the window when nothing has the focus.
  void Key(int key) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : FNav, static_cast<Qt::Key>(key));
  }

  // A point shape at a pixel of the map, on the named layer.
  int32_t PointAt(QPoint p, const char* layer) {
    double x = 0, y = 0;
    map->ScreenToWorld(p.x(), p.y(), x, y);
    return map->DrawPoint(x, y, map->LayerFindByName(layer));
  }
  int ShapesOn(const char* layer) const {
    const int n = map->LayerFindByName(layer);
    int count = 0;
    for (TQShape* s : map->Shapes)
      if (s->Layer == n) ++count;
    return count;
  }
  QString Panel(int i) const { return FNav->sStatusBar->PanelText(i); }
  const std::vector<QString>& Shown() const { return prompts::CurrentScript().shown; }

  TQuarixCanvas* map = nullptr;
};

TEST_F(MapCommands, EachDrawingToolDrawsOnTheUserLayerWithTheMapTimerPaused) {
  const struct {
    QToolButton* button;
    int tool;
    std::vector<QPoint> clicks;
    bool rightFinish;
    int16_t shapeType;
  } cases[] = {
      {FNav->ToolButton7, 17, {{100, 100}}, false, 17},
      {FNav->ToolButton12, 3, {{100, 100}, {200, 150}}, true, 3},
      {FNav->ToolButton21, 1, {{100, 100}, {200, 150}}, true, 1},
      {FNav->ToolButton23, 5, {{100, 100}, {200, 150}, {250, 90}}, true, 5},
      {FNav->ToolButton27, 4, {{100, 100}, {200, 150}}, true, 20},
      {FNav->ToolButton28, 6, {{100, 100}, {200, 150}, {250, 90}}, true, 6},
      {FNav->ToolButton29, 8, {{100, 100}, {200, 150}, {250, 90}}, true, 8},
      {FNav->ToolButton30, 10, {{100, 100}, {200, 150}, {250, 90}}, true, 10},
      {FNav->ToolButton31, 19, {{100, 100}, {200, 150}}, true, 19},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tool);
    map->ClearDrawingState();  // a right-button finish swallows the next left press
    FNav->tMap->stop();
    const size_t before = map->Shapes.size();
    c.button->click();
    EXPECT_EQ(map->CurrentTool, c.tool);
    EXPECT_EQ(map->CurrentLayer, UserShapeLayer);
    Press(Qt::LeftButton, c.clicks[0]);
    EXPECT_EQ(FNav->tMap->isActive(), !c.rightFinish);  // paused from the first click on
    for (size_t i = 1; i < c.clicks.size(); ++i) Press(Qt::LeftButton, c.clicks[i]);
    if (c.rightFinish) {
      EXPECT_FALSE(FNav->tMap->isActive());
      Right();
    }
    EXPECT_TRUE(FNav->tMap->isActive());
    EXPECT_EQ(map->CurrentTool, 0);
    EXPECT_FALSE(map->KeepTool);
    ASSERT_EQ(map->Shapes.size(), before + 1);
    EXPECT_EQ(map->Shapes.back()->ShapeType, c.shapeType);
    EXPECT_EQ(map->Shapes.back()->Layer, UserShapeLayer);
  }
}

TEST_F(MapCommands, APolygonBegunRightAfterStartSurvivesTheVesselRedraw) {
  // The vessel layer is current after start, and a polygon takes the current
  // layer at its first click.
  ASSERT_EQ(map->CurrentLayer, VesselLayer);
  FNav->ToolButton28->click();
  Left({{100, 100}, {200, 150}, {250, 90}});
  Right();
  ASSERT_FALSE(map->Shapes.empty());
  const int32_t polygon = map->Shapes.back()->Number;
  map->CadClearShapes(VesselLayer);  // as every navigation tick does
  ASSERT_NE(map->FindShape(polygon), nullptr);
  EXPECT_EQ(map->GetShapeOnLayer(polygon), UserShapeLayer);
}

TEST_F(MapCommands, EscapeCancelsADrawingAndTheMapTimerRunsAgain) {
  FNav->tMap->start();
  FNav->ToolButton28->click();
  Left({{100, 100}, {200, 150}});
  EXPECT_FALSE(FNav->tMap->isActive());
  const size_t shapes = map->Shapes.size();
  Key(Qt::Key_Escape);
  EXPECT_TRUE(FNav->tMap->isActive());
  EXPECT_EQ(map->DrawingPolyline, nullptr);
  EXPECT_EQ(map->Shapes.size(), shapes);
  EXPECT_EQ(map->CurrentTool, 6);  // the tool stays for the next shape
}

TEST_F(MapCommands, ClearCommandsAskFirstAndClearOnlyOnYes) {
  const char* const layers[] = {"track_fix", "track_nofix", "track_float", "quarix_usershape"};
  const struct {
    std::function<void()> command;
    const char* question;
    const char* layer;
    const char* logText;  // empty: nothing logged
  } cases[] = {
      {[] { FNav->ClearFixedTracks1->trigger(); }, "Fixed/Float/DGPS tracking points to be cleared. Continue?",
       "track_fix", "Cleared Fixed/Float/DGPS tracklines"},
      {[] { FNav->tbFloat->click(); }, "Autonomous tracking points to be cleared. Continue?", "track_float",
       "Cleared Autonomous tracklines"},
      {[] { FNav->tbAuto->click(); }, "NoFix tracking points to be cleared. Continue?", "track_nofix",
       "Cleared NoFix tracklines"},
      {[] { FNav->ClearUserAddedShapes1->trigger(); }, "User added shapes to be deleted! Continue?",
       "quarix_usershape", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layer);
    for (const char* l : layers) {
      map->CadClearShapes(map->LayerFindByName(l));
      PointAt({100, 100}, l);
      PointAt({120, 100}, l);
    }
    const std::string logBefore = EventsLog();

    prompts::CurrentScript().answers = {prompts::Answer::No};
    c.command();
    ASSERT_FALSE(Shown().empty());
    EXPECT_EQ(Shown().back(), c.question);
    for (const char* l : layers) EXPECT_EQ(ShapesOn(l), 2) << l;
    EXPECT_EQ(EventsLog(), logBefore);

    prompts::CurrentScript().answers = {prompts::Answer::Yes};
    c.command();
    for (const char* l : layers) EXPECT_EQ(ShapesOn(l), std::string(l) == c.layer ? 0 : 2) << l;
    const std::string added = EventsLog().substr(logBefore.size());
    if (*c.logText)
      EXPECT_NE(added.find(std::string("\t") + c.logText), std::string::npos) << added;
    else
      EXPECT_EQ(added, "");
  }

  // Before the fixed layers exist the user-shape layer is -1, which would name every layer.
  const int userLayer = UserShapeLayer;
  UserShapeLayer = -1;
  const size_t shapes = map->Shapes.size();
  prompts::CurrentScript().answers = {prompts::Answer::Yes};
  FNav->ToolButton11->click();
  EXPECT_EQ(map->Shapes.size(), shapes);
  UserShapeLayer = userLayer;
}

TEST_F(MapCommands, TracksInsideADrawnPolygonAreSelectedAndDeleted) {
  const int32_t fixInside = PointAt({150, 150}, "track_fix");
  const int32_t floatInside = PointAt({300, 200}, "track_float");
  const int32_t nofixOutside = PointAt({480, 280}, "track_nofix");
  const int32_t userInside = PointAt({200, 200}, "quarix_usershape");

  FNav->bSelectTracks->click();
  EXPECT_TRUE(FNav->TrackSelectMode);
  EXPECT_EQ(Panel(0), "Draw polygon to select tracks (right-click to finish)");
  const int selectLayer = map->LayerFindByName("Quarix_SelectPoly");
  ASSERT_GE(selectLayer, 0);
  EXPECT_EQ(map->CurrentLayer, selectLayer);
  EXPECT_EQ(map->CurrentTool, 6);

  Left({{50, 50}, {400, 50}, {400, 250}, {50, 250}});
  Right({450, 20});
  EXPECT_FALSE(FNav->TrackSelectMode);
  EXPECT_TRUE(FNav->tMap->isActive());
  EXPECT_EQ(map->CurrentTool, 0);
  EXPECT_EQ(ShapesOn("Quarix_SelectPoly"), 0);  // the drawn polygon is gone
  EXPECT_EQ(map->SelectedShapeCount(), 2);
  EXPECT_TRUE(map->GetShapeIsSelected(fixInside));
  EXPECT_TRUE(map->GetShapeIsSelected(floatInside));
  EXPECT_FALSE(map->GetShapeIsSelected(nofixOutside));
  EXPECT_FALSE(map->GetShapeIsSelected(userInside));
  EXPECT_EQ(Panel(0), "2 track(s) selected. Press Delete to remove.");

  Key(Qt::Key_Delete);
  EXPECT_EQ(map->FindShape(fixInside), nullptr);
  EXPECT_EQ(map->FindShape(floatInside), nullptr);
  EXPECT_NE(map->FindShape(nofixOutside), nullptr);
  EXPECT_NE(map->FindShape(userInside), nullptr);

  // The next left press acts normally: the selection consumed the finish.
  FNav->ToolButton7->click();
  Left({{10, 10}});
  EXPECT_EQ(map->Shapes.back()->ShapeType, 17);
}

TEST_F(MapCommands, ShapesOfEveryLayerInsideAPolygonAreSelected) {
  const int32_t a = PointAt({150, 150}, "track_nofix");
  const int32_t b = PointAt({200, 200}, "quarix_usershape");
  const int32_t outside = PointAt({480, 280}, "quarix_usershape");
  FNav->bMouseSelect->click();
  EXPECT_TRUE(FNav->ShapeSelectMode);
  EXPECT_EQ(Panel(0), "Draw polygon to select shapes (right-click to finish)");
  Left({{50, 50}, {400, 50}, {400, 250}, {50, 250}});
  Right();
  EXPECT_FALSE(FNav->ShapeSelectMode);
  EXPECT_TRUE(map->GetShapeIsSelected(a));
  EXPECT_TRUE(map->GetShapeIsSelected(b));
  EXPECT_FALSE(map->GetShapeIsSelected(outside));
  EXPECT_EQ(Panel(0), "2 shape(s) selected. Press Delete to remove.");
  FNav->bDelSelected->click();
  EXPECT_EQ(map->FindShape(a), nullptr);
  EXPECT_EQ(map->FindShape(b), nullptr);
  EXPECT_NE(map->FindShape(outside), nullptr);
}

TEST_F(MapCommands, SelectionsThatSelectNothing) {
  const int32_t inside = PointAt({150, 150}, "track_fix");

  // Two vertices: nothing selected, the tool reset, the polygon gone, the hint left.
  FNav->bSelectTracks->click();
  Left({{50, 50}, {400, 250}});
  Right();
  EXPECT_EQ(map->SelectedShapeCount(), 0);
  EXPECT_EQ(map->CurrentTool, 0);
  EXPECT_EQ(ShapesOn("Quarix_SelectPoly"), 0);
  EXPECT_EQ(Panel(0), "Draw polygon to select tracks (right-click to finish)");

  // Nothing inside: the panel is emptied.
  FNav->bSelectTracks->click();
  Left({{300, 50}, {400, 50}, {400, 100}});
  Right();
  EXPECT_EQ(Panel(0), "");

  // Escape ends a pending selection; the polygon then draws nothing special.
  FNav->bSelectTracks->click();
  Key(Qt::Key_Escape);
  EXPECT_FALSE(FNav->TrackSelectMode);
  EXPECT_EQ(Panel(0), "");
  map->ClearDrawingState();
  Left({{50, 50}, {400, 50}, {400, 250}});
  Right();
  EXPECT_FALSE(map->GetShapeIsSelected(inside));
  EXPECT_EQ(ShapesOn("Quarix_SelectPoly"), 1);  // an ordinary polygon on the layer it was begun on

  // A track selection without any track layer selects nothing and leaves the panel.
  for (const char* l : {"track_fix", "track_nofix", "track_float"}) {
    TQLayer* layer = map->FindLayer(map->LayerFindByName(l));
    ASSERT_NE(layer, nullptr);
    layer->Name = std::string("gone ") + l;
  }
  FNav->bSelectTracks->click();
  map->ClearDrawingState();
  Left({{50, 50}, {400, 50}, {400, 250}});
  Right();
  EXPECT_EQ(map->SelectedShapeCount(), 0);
  EXPECT_EQ(Panel(0), "Draw polygon to select tracks (right-click to finish)");
  EXPECT_EQ(map->CurrentTool, 0);
}

TEST_F(MapCommands, DistanceMeasureAndClickCoordinates) {
  auto down = [](int16_t button, double x, double y) { FNav->fcadWorldMouseDown(FNav->fcad, button, 0, 0, x, y); };
  auto move = [](double x, double y) { FNav->fcadWorldMouseMove(FNav->fcad, 0, x, y, 0, 0); };

  down(2, 1000, 2000);
  EXPECT_TRUE(FNav->MeasureActive);
  EXPECT_TRUE(map->DistanceActive);
  const struct {
    double x, y, distance, bearing;
  } moves[] = {{1000, 2100, 100, 0}, {1030, 2040, 50, 36.869897645844}, {1100, 2000, 100, 90},
               {1000, 1900, 100, 180}, {900, 2000, 100, 270}};
  for (const auto& m : moves) {
    move(m.x, m.y);
    EXPECT_DOUBLE_EQ(map->DistanceValue, m.distance);
    EXPECT_NEAR(map->DistanceBearing, m.bearing, 1e-9);
  }
  down(2, 5, 5);  // the second right press ends it
  EXPECT_FALSE(FNav->MeasureActive);
  EXPECT_FALSE(map->DistanceActive);
  EXPECT_EQ(FNav->MeasureStartX, 0);

  // A measurement started on the line x = 0 is never updated.
  down(2, 0, 2000);
  move(100, 2100);
  EXPECT_EQ(map->DistanceValue, 0);
  down(2, 0, 0);

  down(1, 500123.456, 4400123);
  EXPECT_EQ(Panel(2), "Clicked: E500123.46, N4400123.00");
  EXPECT_EQ(FNav->sStatusBar->PanelWidth(2), FNav->sStatusBar->TextWidth(Panel(2)) + 20);
}

TEST_F(MapCommands, ZoomCommandsAndFollow) {
  map->WorldExtents();
  const double w0 = map->GetWorldWidth();
  const double cx = (map->WorldLeft + map->WorldRight) / 2, cy = (map->WorldTop + map->WorldBottom) / 2;
  FNav->Zoomin->click();
  EXPECT_NEAR(map->GetWorldWidth(), 0.8 * w0, 1e-9);
  FNav->Out1->trigger();
  EXPECT_NEAR(map->GetWorldWidth(), 0.96 * w0, 1e-9);  // not back where it was
  EXPECT_NEAR((map->WorldLeft + map->WorldRight) / 2, cx, 1e-9);
  EXPECT_NEAR((map->WorldTop + map->WorldBottom) / 2, cy, 1e-9);
  FNav->Extents1->trigger();
  EXPECT_NEAR(map->GetWorldWidth(), w0, 1e-9);

  FNav->Zoomwindow->click();
  EXPECT_EQ(map->CurrentTool, -3);
  FNav->Dynamic1->trigger();
  EXPECT_EQ(map->CurrentTool, -4);

  EXPECT_TRUE(FollowVesselActive);
  FNav->ToolButton13->click();
  EXPECT_FALSE(FollowVesselActive);
  FNav->Followvessel1->trigger();
  EXPECT_TRUE(FollowVesselActive);
  FNav->Donotfollowvessel1->trigger();
  EXPECT_FALSE(FollowVesselActive);
  FNav->bFollowVessel->click();
  EXPECT_TRUE(FollowVesselActive);
}

TEST_F(MapCommands, F2AndF3MoveTheOverlays) {
  const int depth = map->DepthSpeedDisplayMode, gga = map->GGAOverlayPosition;
  Key(Qt::Key_F2);
  EXPECT_NE(map->DepthSpeedDisplayMode, depth);
  EXPECT_EQ(map->GGAOverlayPosition, gga);
  Key(Qt::Key_F3);
  EXPECT_NE(map->GGAOverlayPosition, gga);
}

TEST_F(MapCommands, DoubleClickOnTheStatusBoxSwitchesCompactMode) {
  GGAOverlayText = "RTK FIXED | Sats: 12";
  QPoint box(-1, -1);
  for (int y = 0; y < map->height() && box.x() < 0; y += 4)
    for (int x = 0; x < map->width() && box.x() < 0; x += 4)
      if (map->IsPointInGGAOverlay(x, y)) box = QPoint(x, y);
  ASSERT_GE(box.x(), 0);
  QPoint elsewhere(box.x() < map->width() / 2 ? map->width() - 5 : 5,
                   box.y() < map->height() / 2 ? map->height() - 5 : 5);
  ASSERT_FALSE(map->IsPointInGGAOverlay(elsewhere.x(), elsewhere.y()));
  auto doubleClick = [&](QPoint p) {
    QCursor::setPos(map->mapToGlobal(p));
    FNav->fcadDblClick(map);
  };

  doubleClick(elsewhere);
  EXPECT_EQ(fRealtime->btHideImageIndex, 0);
  doubleClick(box);
  EXPECT_EQ(fRealtime->btHideImageIndex, 1);
  EXPECT_TRUE(FNav->tRealtime->isHidden());
  EXPECT_TRUE(FNav->tShape->isHidden());
  EXPECT_TRUE(FNav->MainMenu1->isHidden());

  SounderDataSeen = true;
  doubleClick(box);
  EXPECT_EQ(fRealtime->btHideImageIndex, 0);
  EXPECT_FALSE(FNav->tRealtime->isHidden());
  EXPECT_FALSE(FNav->tDraw->isHidden());
  EXPECT_FALSE(FNav->pRealtime->isHidden());
  EXPECT_FALSE(FNav->tShape->isHidden());
  EXPECT_FALSE(FNav->MainMenu1->isHidden());
  EXPECT_TRUE(Navset->isVisible());
  EXPECT_TRUE(fWaterfal->isVisible());
  EXPECT_FALSE(fRealtime->isVisible());  // stays hidden

  // Escape in compact mode returns to normal mode with the realtime window.
  doubleClick(box);
  ASSERT_EQ(fRealtime->btHideImageIndex, 1);
  Key(Qt::Key_Escape);
  EXPECT_EQ(fRealtime->btHideImageIndex, 0);
  EXPECT_TRUE(fRealtime->isVisible());
}

TEST_F(MapCommands, ADrawnRouteGoesToTheVisibleRunlineWindow) {
  FNav->ToolButton23->click();
  Left({{100, 100}, {200, 150}, {300, 120}});
  Right();
  EXPECT_TRUE(fRunline1->RoutePoints.empty());  // window hidden

  fRunline1->show();
  map->ClearDrawingState();
  FNav->ToolButton23->click();
  Left({{100, 100}, {200, 150}, {300, 120}});
  Right();
  ASSERT_EQ(fRunline1->RoutePoints.size(), 3u);
  double x = 0, y = 0;
  map->ScreenToWorld(300, 120, x, y);
  EXPECT_EQ(fRunline1->RoutePoints[2], std::make_pair(x, y));

  // A straight line drawn after it is the route, not the older polyline.
  fRunline1->RoutePoints.clear();
  map->ClearDrawingState();
  FNav->ToolButton12->click();
  Left({{120, 80}, {320, 80}});
  Right();
  ASSERT_EQ(fRunline1->RoutePoints.size(), 2u);
  map->ScreenToWorld(320, 80, x, y);
  EXPECT_EQ(fRunline1->RoutePoints[1], std::make_pair(x, y));

  // While a survey runs the navigation loop keeps drawing the vessel during a
  // drawing; the route is still the user's own line. A drawing that made no
  // shape hands nothing over.
  fRunline1->RoutePoints.clear();
  map->ClearDrawingState();
  FNav->ToolButton12->click();
  Left({{120, 200}, {320, 200}});
  map->DrawLine(1, 2, 3, 4, VesselLayer);
  map->DrawCircle(1, 2, 3, VesselLayer);
  Right();
  ASSERT_EQ(fRunline1->RoutePoints.size(), 2u);
  map->ScreenToWorld(320, 200, x, y);
  EXPECT_EQ(fRunline1->RoutePoints[1], std::make_pair(x, y));
  fRunline1->RoutePoints.clear();
  for (QToolButton* tool : {FNav->ToolButton12, FNav->ToolButton23}) {
    map->ClearDrawingState();
    tool->click();
    Left({{150, 150}});
    map->DrawLine(1, 2, 3, 4, VesselLayer);
    Right();
    EXPECT_TRUE(fRunline1->RoutePoints.empty());
  }

  // A selection polygon is not a route.
  fRunline1->RoutePoints.clear();
  FNav->bSelectTracks->click();
  map->ClearDrawingState();
  Left({{50, 50}, {400, 50}, {400, 250}});
  Right();
  EXPECT_TRUE(fRunline1->RoutePoints.empty());
}

}  // namespace
