#pragma once
// Grid settings of UTM zone 35 on WGS 84 (no datum shift), as the import
// tests and the import benchmark convert geographic positions with them.
#include "drawingfiles/kmlimport.h"

inline TKMLGridSettings Utm35() {
  TKMLGridSettings s;
  s.SemiMajorAxis = "6378137";
  s.Flattening = "0.0033528106647474";
  s.Scale = s.RX = s.RY = s.RZ = s.SX = s.SY = s.SZ = "0";
  s.CentralMeridian = "27";
  s.ReferenceLatitude = "0";
  s.ScaleFactor = "0.9996";
  s.FalseEasting = "500000";
  s.FalseNorthing = "0";
  return s;
}
