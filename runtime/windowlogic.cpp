#include "runtime/windowlogic.h"

#include "app/formats.h"

std::string ExtractFilePath(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExcludeTrailingDelimiter(const std::string& path) {
  if (!path.empty() && path.back() == '/') return path.substr(0, path.size() - 1);
  return path;
}

std::string LastFileFolderText(const std::string& fileName) {
  const std::string folder = ExtractFilePath(fileName);
  const std::string parent = ExtractFilePath(ExcludeTrailingDelimiter(folder));
  return parent.empty() ? folder : parent;
}

std::string LogFolderToOpen(const std::string& rawLogFileName, const std::string& dayLogFolder) {
  std::string base;
  if (!rawLogFileName.empty()) base = ExtractFilePath(rawLogFileName);
  if (base.empty()) base = dayLogFolder;
  const std::string folder = ExtractFilePath(ExcludeTrailingDelimiter(base));
  return folder.empty() ? base : folder;
}

std::optional<TColor> LatencyColor(const std::string& current, const std::string& tolerance) {
  int cur = 0, tol = 0;
  if (!TryStrToInt(current, cur) || !TryStrToInt(tolerance, tol)) return std::nullopt;
  return cur < tol ? clLime : clRed;
}

PanelPlace KeypadPlace(int clientWidth, int clientHeight, int width, int height) {
  return {clientWidth - width - 10, clientHeight - height - 10};
}

PanelPlace KeyboardPlace(int clientWidth, int clientHeight, int width, int height) {
  return {(clientWidth - width) / 2, clientHeight - height - 10};
}

PanelPlace ClearOfWindow(PanelPlace place, int width, int height, const ScreenBox& window, const ScreenBox& screen) {
  const bool covers = place.left < window.right && place.left + width > window.left && place.top < window.bottom &&
                      place.top + height > window.top;
  if (!covers) return place;
  constexpr int kGap = 2;
  if (window.bottom + kGap + height <= screen.bottom) return {place.left, window.bottom + kGap};
  if (window.top - kGap - height >= screen.top) return {place.left, window.top - kGap - height};
  return place;
}
