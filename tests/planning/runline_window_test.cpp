// The runline generator window on the main window's map.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/settingsfile.h"
#include "canvas/QuarixCanvas.h"
#include "platform/prompts.h"
#include "tests/runtime/formsfixture.h"

namespace {

class RunlineWindow : public FormsTest {
 protected:
  void SetUp() override {
    Start();
    map = FNav->fcad;
  }

  std::size_t ShapesOn(const char* layerName) const {
    const int layer = map->LayerFindByName(layerName);
    std::size_t n = 0;
    for (const TQShape* s : map->Shapes) n += layer >= 0 && s->Layer == layer;
    return n;
  }

  int LogLines(const std::string& text) const {
    const std::string log = EventsLog();
    int n = 0;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }

  TQuarixCanvas* map = nullptr;
};

TEST_F(RunlineWindow, DesignAndStoredSettings) {
  EXPECT_EQ(fRunline1->windowTitle(), "Runline Generator");
  EXPECT_EQ(fRunline1->eSpacing->text(), "10");
  EXPECT_EQ(fRunline1->eLength->text(), "100");
  EXPECT_TRUE(fRunline1->rbPerpendicular->isChecked());
  EXPECT_FALSE(fRunline1->rbParallel->isChecked());
  EXPECT_EQ(fRunline1->RunlineLayer, -1);
  EXPECT_TRUE(fRunline1->bGenerate->font().bold());

  IniFile ini;
  ini.WriteString("RUNLINE", "Spacing", "25");
  ini.WriteString("RUNLINE", "Length", "50");
  ini.WriteBool("RUNLINE", "Perpendicular", false);
  TfRunline1 w;
  EXPECT_EQ(w.eSpacing->text(), "25");
  EXPECT_EQ(w.eLength->text(), "50");
  EXPECT_FALSE(w.rbPerpendicular->isChecked());
  EXPECT_TRUE(w.rbParallel->isChecked());
  EXPECT_FALSE(w.RouteReady);
  EXPECT_EQ(w.lRouteStatus->text(), "No route drawn");
}

TEST_F(RunlineWindow, RouteGeneratesAndEditsRegenerate) {
  fRunline1->SetRoute({{0, 0}, {100, 0}});
  EXPECT_EQ(ShapesOn("Quarix_Runlines"), 12u);  // route copy + 11 cross lines
  EXPECT_EQ(fRunline1->RunlineLayer, map->LayerFindByName("Quarix_Runlines"));
  EXPECT_EQ(LogLines("Runlines generated - Spacing: 10, Length: 100"), 1);

  fRunline1->rbParallel->click();
  EXPECT_EQ(ShapesOn("Quarix_Runlines"), 21u);
  fRunline1->eLength->setText("25");
  EXPECT_EQ(ShapesOn("Quarix_Runlines"), 5u);
  // Not a number: spacing 10, and the log shows the text as typed.
  fRunline1->eSpacing->setText("x");
  EXPECT_EQ(ShapesOn("Quarix_Runlines"), 5u);
  EXPECT_EQ(LogLines("Runlines generated - Spacing: x, Length: 25"), 1);
  EXPECT_EQ(LogLines("Runlines generated"), 4);

  // A spacing far too small for the route lays only the route copy and says so.
  fRunline1->rbPerpendicular->click();
  fRunline1->eSpacing->setText("0.0001");
  EXPECT_EQ(ShapesOn("Quarix_Runlines"), 1u);
  EXPECT_EQ(fRunline1->lRouteStatus->text(), "Too many runlines (more than 10000)");
  fRunline1->eSpacing->setText("50");
  EXPECT_EQ(ShapesOn("Quarix_Runlines"), 4u);
  EXPECT_EQ(fRunline1->lRouteStatus->text(), "Route: 2 points");

  // Nothing is stored without Generate.
  EXPECT_FALSE(IniFile().SectionExists("RUNLINE"));
}

TEST_F(RunlineWindow, GenerateStoresTheSettingsOnlyWithARoute) {
  fRunline1->bGenerate->click();
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
  EXPECT_EQ(prompts::CurrentScript().shown[0], "Please draw a route first.");
  EXPECT_FALSE(IniFile().SectionExists("RUNLINE"));
  EXPECT_EQ(LogLines("Runlines generated"), 0);

  fRunline1->SetRoute({{0, 0}, {0, 30}, {30, 30}});
  fRunline1->eSpacing->setText("15");
  fRunline1->rbParallel->click();
  fRunline1->bGenerate->click();
  IniFile ini;
  EXPECT_EQ(ini.ReadString("RUNLINE", "Spacing", ""), "15");
  EXPECT_EQ(ini.ReadString("RUNLINE", "Length", ""), "100");
  EXPECT_EQ(ini.ReadString("RUNLINE", "Perpendicular", ""), "0");
  EXPECT_EQ(ShapesOn("Quarix_Runlines"), 1u + 12u);
}

TEST_F(RunlineWindow, DrawRouteAndClear) {
  fRunline1->SetRoute({{0, 0}, {100, 0}});
  map->KeepTool = true;
  fRunline1->bDrawRoute->click();
  EXPECT_EQ(ShapesOn("Quarix_Runlines"), 0u);
  EXPECT_FALSE(fRunline1->RouteReady);
  EXPECT_TRUE(fRunline1->RoutePoints.empty());
  EXPECT_EQ(map->CurrentLayer, map->LayerFindByName("Quarix_Route"));
  EXPECT_EQ(map->CurrentTool, stPolyline);
  EXPECT_FALSE(map->KeepTool);
  EXPECT_EQ(fRunline1->lRouteStatus->text(), "Drawing... (right-click to finish)");
  EXPECT_EQ(fRunline1->lRouteStatus->palette().color(QPalette::WindowText), QColor(0, 0, 255));

  // Typing while no route is held generates nothing.
  fRunline1->eSpacing->setText("20");
  EXPECT_EQ(ShapesOn("Quarix_Runlines"), 0u);

  const int route = map->LayerFindByName("Quarix_Route");
  map->DrawPolyline({{0, 0}, {40, 0}}, route, false);
  fRunline1->SetRoute({{0, 0}, {40, 0}});
  EXPECT_EQ(ShapesOn("Quarix_Runlines"), 4u);
  fRunline1->bClear->click();
  EXPECT_EQ(ShapesOn("Quarix_Runlines"), 0u);
  EXPECT_EQ(ShapesOn("Quarix_Route"), 1u);  // stays until the next Draw Route
  EXPECT_FALSE(fRunline1->RouteReady);
  EXPECT_EQ(fRunline1->lRouteStatus->text(), "No route drawn");
  EXPECT_EQ(fRunline1->lRouteStatus->palette().color(QPalette::WindowText), QColor(128, 128, 128));

  fRunline1->bDrawRoute->click();
  EXPECT_EQ(ShapesOn("Quarix_Route"), 0u);
}

TEST_F(RunlineWindow, ClearLeavesALayerThatTookTheOldNumber) {
  fRunline1->SetRoute({{0, 0}, {100, 0}});
  const int old = fRunline1->RunlineLayer;
  // A drawing opened since: every shape and layer replaced.
  map->CadClearShapes(-1);
  for (TQLayer* l : map->Layers)
    if (l->Number == old) l->Name = "survey";
  map->DrawLine(0, 0, 5, 5, old);
  fRunline1->bClear->click();
  EXPECT_EQ(ShapesOn("survey"), 1u);
}

TEST_F(RunlineWindow, ShowingRestoresThePosition) {
  IniFile ini;
  ini.WriteInteger("fRunline1", "Left", 140);
  ini.WriteInteger("fRunline1", "Top", 90);
  fRunline1->show();
  EXPECT_EQ(fRunline1->x(), 140);
  EXPECT_EQ(fRunline1->y(), 90);
  fRunline1->bClose->click();
  EXPECT_FALSE(fRunline1->isVisible());
}

}  // namespace
