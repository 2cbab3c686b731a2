#include "planning/vesselshape.h"

#include "app/formats.h"
#include "app/settingsfile.h"

namespace vesselshape {

namespace {
const char* const kSection = "VESSEL_SHAPE";
const char* const kRadius = "Radious of first circle";
const char* const kInterval = "Cirecle offset interval";
const char* const kAmount = "Number of circles";
const char* const kLArrow = "Left right offset of arrow";
const char* const kBArrow = "Arrow length to bow";

std::string Real(const IniFile& ini, const char* key, double def) {
  return FloatToStr(StrToFloatDef(ini.ReadString(kSection, key, ""), def));
}
}  // namespace

Texts Read(const IniFile& ini) {
  Texts t;
  t.Radius = Real(ini, kRadius, 10);
  t.Interval = Real(ini, kInterval, 10);
  t.Amount = std::to_string(StrToIntDef(ini.ReadString(kSection, kAmount, ""), 2));
  t.LArrow = Real(ini, kLArrow, 0);
  t.BArrow = Real(ini, kBArrow, 100);
  return t;
}

void Write(IniFile& ini, const Texts& t) {
  ini.WriteString(kSection, kRadius, t.Radius);
  ini.WriteString(kSection, kInterval, t.Interval);
  ini.WriteString(kSection, kAmount, t.Amount);
  ini.WriteString(kSection, kLArrow, t.LArrow);
  ini.WriteString(kSection, kBArrow, t.BArrow);
}

Texts Defaults() { return {"10", "10", "2", "10", "100"}; }

}  // namespace vesselshape
