// The vessel-shape values in the settings file.
#include <gtest/gtest.h>

#include "app/settingsfile.h"
#include "planning/vesselshape.h"
#include "tests/support/tempenv.h"

namespace {

TEST(VesselShapeSettings, StoredTextsReadAsNumbersOfTheirType) {
  struct Case {
    const char* key;
    const char* stored;
    std::string vesselshape::Texts::*field;
    const char* expected;
  } cases[] = {
      {"Radious of first circle", "12.50", &vesselshape::Texts::Radius, "12.5"},
      {"Radious of first circle", "1,5", &vesselshape::Texts::Radius, "10"},
      {"Cirecle offset interval", "-3", &vesselshape::Texts::Interval, "-3"},
      {"Number of circles", "2.5", &vesselshape::Texts::Amount, "2"},
      {"Number of circles", " 4 ", &vesselshape::Texts::Amount, "4"},
      {"Left right offset of arrow", "", &vesselshape::Texts::LArrow, "0"},
      {"Left right offset of arrow", "7", &vesselshape::Texts::LArrow, "7"},
      {"Arrow length to bow", "abc", &vesselshape::Texts::BArrow, "100"},
  };
  for (const Case& c : cases) {
    TempEnv env;
    IniFile ini;
    ini.WriteString("VESSEL_SHAPE", c.key, c.stored);
    EXPECT_EQ(vesselshape::Read(ini).*c.field, c.expected) << c.key << " = " << c.stored;
  }
}

TEST(VesselShapeSettings, MissingSectionAndRoundTrip) {
  TempEnv env;
  IniFile ini;
  const vesselshape::Texts missing{"10", "10", "2", "0", "100"};
  EXPECT_EQ(vesselshape::Read(ini), missing);
  // The sideward length's default button value differs from its missing value.
  EXPECT_EQ(vesselshape::Defaults(), (vesselshape::Texts{"10", "10", "2", "10", "100"}));

  vesselshape::Write(ini, {"1.25", "3", "0", "4", "20"});
  EXPECT_EQ(vesselshape::Read(IniFile()), (vesselshape::Texts{"1.25", "3", "0", "4", "20"}));
  EXPECT_EQ(IniFile().ReadString("VESSEL_SHAPE", "Cirecle offset interval", ""), "3");
}

}  // namespace
