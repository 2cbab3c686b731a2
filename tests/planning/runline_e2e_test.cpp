// From the toolbar button through a route drawn with the mouse to the runlines.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "canvas/QuarixCanvas.h"
#include "tests/runtime/formsfixture.h"

namespace {

class RunlineRoad : public FormsTest {};

TEST_F(RunlineRoad, ARouteDrawnOnTheMapGetsItsRunlines) {
  Start();
  FNav->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(FNav));
  TQuarixCanvas* map = FNav->fcad;
  ASSERT_GT(map->width(), 400);

  FNav->tbRunline->click();
  ASSERT_TRUE(fRunline1->isVisible());
  fRunline1->rbParallel->click();
  fRunline1->bDrawRoute->click();
  for (QPoint p : {QPoint(100, 100), QPoint(300, 100), QPoint(300, 250)})
    QTest::mouseClick(map, Qt::LeftButton, {}, p);
  QTest::mouseClick(map, Qt::RightButton, {}, QPoint(450, 20));

  ASSERT_TRUE(fRunline1->RouteReady);
  EXPECT_EQ(fRunline1->lRouteStatus->text(), "Route: 3 points");
  const int route = map->LayerFindByName("Quarix_Route");
  const int runlines = map->LayerFindByName("Quarix_Runlines");
  ASSERT_GE(route, 0);
  ASSERT_GE(runlines, 0);
  int onRoute = 0, onRunlines = 0;
  for (const TQShape* s : map->Shapes) {
    onRoute += s->Layer == route;
    onRunlines += s->Layer == runlines;
  }
  EXPECT_EQ(onRoute, 1);
  EXPECT_EQ(onRunlines, 1 + 20);  // the route copy and 10 offsets each side
  EXPECT_EQ(map->CurrentTool, 0);  // one route, then back to selecting
  EXPECT_NE(EventsLog().find("Runlines generated - Spacing: 10, Length: 100"), std::string::npos);
}

}  // namespace
