#include "app/themes.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include "platform/prompts.h"

const char* const kDefaultStyleName = "Quarix DM - Default";

namespace {
struct Style {
  const char* name;
  QRgb window, windowText, base, text, button, buttonText, highlight;
};

// The styles the program carries, "Light" (the settings default) first.
const Style kStyles[] = {
    {"Light", 0xF3F3F3, 0x1E1E1E, 0xFFFFFF, 0x1E1E1E, 0xE6E6E6, 0x1E1E1E, 0x0078D7},
    {"Dark", 0x2B2B2B, 0xE8E8E8, 0x1E1E1E, 0xE8E8E8, 0x3A3A3A, 0xE8E8E8, 0x3D7FC1},
    {"Carbon", 0x3C3F41, 0xDADADA, 0x2B2B2B, 0xDADADA, 0x4B4F52, 0xDADADA, 0x5F8A3A},
    {"Slate Blue", 0x2F3B4C, 0xE6EEF7, 0x243041, 0xE6EEF7, 0x3B4A5F, 0xE6EEF7, 0x4E8FD8},
    {"Sky", 0xDCEBF7, 0x10233A, 0xFFFFFF, 0x10233A, 0xC7DDF0, 0x10233A, 0x2A7BD1},
    {"Sand", 0xEFE6D2, 0x3A2E1A, 0xFFFBF2, 0x3A2E1A, 0xE0D3B5, 0x3A2E1A, 0xB7862F},
    {"Night Blue", 0x101A2A, 0xC9D6EA, 0x0A1220, 0xC9D6EA, 0x1C2A40, 0xC9D6EA, 0x2F6FB5},
};

std::string gActive = kDefaultStyleName;
QPalette gDefaultPalette;
QString gDefaultStyle;  // the platform's own widget style
bool gHaveDefault = false;

const Style* FindStyle(const std::string& name) {
  for (const auto& s : kStyles)
    if (name == s.name) return &s;
  return nullptr;
}

QPalette PaletteOf(const Style& s) {
  QPalette p;
  p.setColor(QPalette::Window, QColor(s.window));
  p.setColor(QPalette::WindowText, QColor(s.windowText));
  p.setColor(QPalette::Base, QColor(s.base));
  p.setColor(QPalette::AlternateBase, QColor(s.button));
  p.setColor(QPalette::Text, QColor(s.text));
  p.setColor(QPalette::Button, QColor(s.button));
  p.setColor(QPalette::ButtonText, QColor(s.buttonText));
  p.setColor(QPalette::Highlight, QColor(s.highlight));
  p.setColor(QPalette::HighlightedText, QColor(0xFFFFFF));
  p.setColor(QPalette::ToolTipBase, QColor(s.base));
  p.setColor(QPalette::ToolTipText, QColor(s.text));
  return p;
}
}  // namespace

std::vector<std::string> ThemeNames() {
  std::vector<std::string> names{kDefaultStyleName};
  for (const auto& s : kStyles) names.emplace_back(s.name);
  return names;
}

std::string ActiveThemeName() { return gActive; }

bool ApplyTheme(const std::string& name) {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!app) return false;
  if (!gHaveDefault) {
    gDefaultPalette = QApplication::palette();
    gDefaultStyle = QApplication::style()->name();
    gHaveDefault = true;
  }
  if (name == kDefaultStyleName) {
    if (QApplication::style()->name() != gDefaultStyle)
      if (QStyle* own = QStyleFactory::create(gDefaultStyle)) QApplication::setStyle(own);
    QApplication::setPalette(gDefaultPalette);
    gActive = name;
    return true;
  }
  const Style* s = FindStyle(name);
  if (!s) {
    prompts::ShowException(QString::fromStdString("Style '" + name + "' not found."));
    return false;
  }
  if (QStyle* fusion = QStyleFactory::create("Fusion")) QApplication::setStyle(fusion);
  QApplication::setPalette(PaletteOf(*s));
  gActive = name;
  return true;
}

QColor ThemePanelColor(const std::string& name) {
  if (name == kDefaultStyleName) return gHaveDefault ? gDefaultPalette.color(QPalette::Window)
                                                     : QApplication::palette().color(QPalette::Window);
  const Style* s = FindStyle(name);
  return s ? QColor(s->window) : QColor();
}
