// The vessel geometry window.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/settingsfile.h"
#include "planning/UShape.h"
#include "tests/support/tempenv.h"

namespace {

TEST(VesselWindow, DefaultThenSaveAndHide) {
  TempEnv env;
  TFShape w;
  EXPECT_EQ(w.windowTitle(), "Vessel Geometry");
  EXPECT_EQ(w.BitBtn1->text(), "Save && Hide");
  EXPECT_EQ(w.edLArrow->text(), "0");

  w.bDefault->click();
  EXPECT_EQ(w.edRadious->text(), "10");
  EXPECT_EQ(w.edInterval->text(), "10");
  EXPECT_EQ(w.edAmount->text(), "2");
  EXPECT_EQ(w.edLArrow->text(), "10");
  EXPECT_EQ(w.edBArrow->text(), "100");
  EXPECT_FALSE(IniFile().SectionExists("VESSEL_SHAPE"));

  w.show();
  w.edAmount->setText("three");
  w.edRadious->setText("7.50");
  w.BitBtn1->click();
  EXPECT_FALSE(w.isVisible());
  IniFile ini;
  EXPECT_EQ(ini.ReadString("VESSEL_SHAPE", "Number of circles", ""), "three");
  EXPECT_EQ(ini.ReadString("VESSEL_SHAPE", "Radious of first circle", ""), "7.50");
  EXPECT_EQ(ini.ReadString("VESSEL_SHAPE", "Left right offset of arrow", ""), "10");

  // The next start reads what was stored, a text that is no number as the default.
  TFShape next;
  EXPECT_EQ(next.edAmount->text(), "2");
  EXPECT_EQ(next.edRadious->text(), "7.5");
  EXPECT_EQ(next.edLArrow->text(), "10");
}

}  // namespace
