#include "settings/navsettings.h"

#include "app/formats.h"
#include "app/settingsfile.h"

namespace navsettings {

const char* const kSection = "NAVIGATION_SETTINGS";

bool DigitsOnly(const std::string& text, int maxLength) {
  if (static_cast<int>(text.size()) > maxLength) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

namespace {
std::string ReadDigits(const IniFile& ini, const char* key, const std::string& def, int maxLength) {
  const std::string v = ini.ReadString(kSection, key, def);
  return DigitsOnly(v, maxLength) ? v : def;
}
TColor ReadColor(const IniFile& ini, const char* key, TColor def) {
  return static_cast<TColor>(ini.ReadInteger(kSection, key, static_cast<int>(def)));
}
}  // namespace

NavigationSettings ReadNavigationSettings(const IniFile& ini) {
  NavigationSettings s;
  s.vesselWidth = ReadDigits(ini, "VesselWidth", "3", kWidthMaxLength);
  s.trackWidth = ReadDigits(ini, "TrackWidth", "3", kWidthMaxLength);
  s.trackDistance = ReadDigits(ini, "TrackDistance", "20", kDistanceMaxLength);
  s.vesselColor = ReadColor(ini, "VesselColor", s.vesselColor);
  s.trackFixColor = ReadColor(ini, "ColorTracklines1", s.trackFixColor);
  s.trackFloatColor = ReadColor(ini, "ColorTracklines0", s.trackFloatColor);
  s.backgroundColor = ReadColor(ini, "BackgroundColor", s.backgroundColor);
  s.lineOrDot = ini.ReadBool(kSection, "cLineOrDot", true);
  s.depthAlert = ini.ReadString(kSection, "edDepthAlert", "1");
  return s;
}

bool WriteNavigationSettings(IniFile& ini, const NavigationSettings& s) {
  const std::pair<const char*, std::string> keys[] = {
      {"VesselWidth", s.vesselWidth},
      {"TrackWidth", s.trackWidth},
      {"TrackDistance", s.trackDistance},
      {"VesselColor", std::to_string(static_cast<int>(s.vesselColor))},
      {"ColorTracklines1", std::to_string(static_cast<int>(s.trackFixColor))},
      {"ColorTracklines0", std::to_string(static_cast<int>(s.trackFloatColor))},
      {"BackgroundColor", std::to_string(static_cast<int>(s.backgroundColor))},
      {"cLineOrDot", s.lineOrDot ? "1" : "0"},
      {"edDepthAlert", s.depthAlert},
  };
  for (const auto& [key, value] : keys) ini.WriteString(kSection, key, value);
  return ini.UpdateFile();
}

bool MapTimerInterval(const std::string& text, int& intervalMs) {
  if (text.empty()) {
    intervalMs = 500;
    return true;
  }
  int v = 0;
  if (!TryStrToInt(text, v)) return false;
  intervalMs = v < 50 ? 50 : v;
  return true;
}

}  // namespace navsettings
