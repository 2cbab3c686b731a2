#pragma once
// What the theme window shows, without widgets.
#include <string>
#include <vector>

// "Available themes: <count>. Select to preview."
std::string ThemeInfoText(size_t count);

// The list row to select when the window opens: the row of the style in
// force, else the first row; -1 for an empty list.
int ThemeRowToSelect(const std::vector<std::string>& names, const std::string& active);
