#include "ui/themechoice.h"

std::string ThemeInfoText(size_t count) {
  return "Available themes: " + std::to_string(count) + ". Select to preview.";
}

int ThemeRowToSelect(const std::vector<std::string>& names, const std::string& active) {
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == active) return static_cast<int>(i);
  return names.empty() ? -1 : 0;
}
