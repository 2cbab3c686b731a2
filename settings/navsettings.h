#pragma once
// The values of the navigation settings window without its widgets: the
// NAVIGATION_SETTINGS section and the rules of its edits.
#include <string>

#include "app/color.h"

class IniFile;

namespace navsettings {

extern const char* const kSection;  // "NAVIGATION_SETTINGS"

struct NavigationSettings {
  std::string vesselWidth = "3";
  std::string trackWidth = "3";
  std::string trackDistance = "20";
  // The colours the boxes have at creation.
  TColor vesselColor = clNavy;
  TColor trackFixColor = clGreen;     // ColorTracklines1
  TColor trackFloatColor = clYellow;  // ColorTracklines0
  TColor backgroundColor = clWhite;
  bool lineOrDot = true;
  std::string depthAlert = "1";
};

// Input limits of the width and distance edits (digits only).
constexpr int kWidthMaxLength = 2;
constexpr int kDistanceMaxLength = 8;

// True when the text holds only the digits 0-9 and at most maxLength of them
// (an empty text passes: the edits' own handlers refill it).
bool DigitsOnly(const std::string& text, int maxLength);

// Missing keys give the defaults above; a missing colour keeps the colour its
// box has at creation, so a first start draws on white. A stored
// width or distance that its digits-only edit would not accept gives the
// default instead, so the navigation loop never meets a text it cannot
// convert.
NavigationSettings ReadNavigationSettings(const IniFile& ini);
// The nine keys in their order; false when a value could not be stored.
bool WriteNavigationSettings(IniFile& ini, const NavigationSettings& s);

// The map timer's interval for the update-rate text: empty gives 500 ms, a
// whole number below 50 gives 50, no upper limit. False when the text is not
// a whole number.
bool MapTimerInterval(const std::string& text, int& intervalMs);

}  // namespace navsettings
