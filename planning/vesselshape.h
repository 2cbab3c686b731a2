#pragma once
// The five numbers of the vessel symbol as the vessel geometry window keeps
// them: edit texts, read from and written to section "VESSEL_SHAPE".
#include <string>

class IniFile;

namespace vesselshape {

struct Texts {
  std::string Radius;    // radius of the first circle
  std::string Interval;  // radius step to the next circle
  std::string Amount;    // number of circles
  std::string LArrow;    // sideward length of the arrow
  std::string BArrow;    // length of the arrow towards the bow
  bool operator==(const Texts&) const = default;
};

// The stored values as edit texts (floats in their shortest form, the count
// in decimal); a missing key or one that is not a number of its type gives
// the default 10, 10, 2, 0, 100.
Texts Read(const IniFile& ini);
// The texts as typed, one key each.
void Write(IniFile& ini, const Texts& texts);
// The values of the "Default" button.
Texts Defaults();

}  // namespace vesselshape
