#include "app/themes.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
#include <cmath>

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

// Further carried styles, each drawn from one hue in a light or a dark scheme.
struct Tint {
  const char* name;
  int hue;
  bool dark;
};

const Tint kTints[] = {
    {"Harbour Mist", 200, false}, {"Deep Harbour", 205, true},  {"Sea Glass", 165, false},
    {"Kelp", 140, true},          {"Lagoon", 180, false},       {"Abyss", 225, true},
    {"Coral", 10, false},         {"Ember", 15, true},          {"Amber", 40, false},
    {"Bronze", 35, true},         {"Meadow", 100, false},       {"Forest", 120, true},
    {"Lilac", 270, false},        {"Plum", 285, true},          {"Rose", 335, false},
    {"Wine", 345, true},          {"Glacier", 190, false},      {"Polar Night", 215, true},
    {"Dune", 45, false},          {"Basalt", 30, true},         {"Slate", 210, false},
    {"Graphite", 0, true},        {"Chart Paper", 55, false},   {"Bridge Night", 355, true},
    {"Mariner", 230, false},      {"Storm", 220, true},         {"Fog", 0, false},
    {"Midnight Teal", 175, true},
};

QRgb Hsv(int h, int s, int v) { return QColor::fromHsv(h, s, v).rgb(); }

Style Tinted(const Tint& t) {
  const int h = t.hue;
  if (t.dark)
    return {t.name,        Hsv(h, 40, 52),  Hsv(h, 12, 232), Hsv(h, 40, 36), Hsv(h, 12, 232),
            Hsv(h, 40, 72), Hsv(h, 12, 232), Hsv(h, 150, 200)};
  return {t.name,         Hsv(h, 22, 242), Hsv(h, 60, 35), 0xFFFFFF,       Hsv(h, 60, 35),
          Hsv(h, 32, 226), Hsv(h, 60, 35), Hsv(h, 170, 190)};
}

// Every carried style: the explicit ones, then the tinted ones.
const std::vector<Style>& Styles() {
  static const std::vector<Style> all = [] {
    std::vector<Style> v(std::begin(kStyles), std::end(kStyles));
    for (const Tint& t : kTints) v.push_back(Tinted(t));
    return v;
  }();
  return all;
}

std::string gActive = kDefaultStyleName;
QPalette gDefaultPalette;
QString gDefaultStyle;  // the platform's own widget style
bool gHaveDefault = false;

const Style* FindStyle(const std::string& name) {
  for (const auto& s : Styles())
    if (name == s.name) return &s;
  return nullptr;
}

const char* const kDesignButtonText = "quarixDesignButtonText";
const char* const kStateText = "quarixStateText";  // text colour given by a state colour of a parent
const char* const kDesignText = "quarixDesignText";  // a label's own text colour of the design
const char* const kStateColour = "quarixStateColour";  // the state colour a control is painted in
constexpr double kReadableContrast = 4.5;

double Luminance(const QColor& c) {
  auto channel = [](int v) {
    const double x = v / 255.0;
    return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

void ApplyDesignButtonText(QWidget* w) {
  const QColor wanted = w->property(kDesignButtonText).value<QColor>();
  const QPalette theme = QApplication::palette(w);
  const QColor text = ContrastRatio(wanted, theme.color(QPalette::Button)) >= kReadableContrast
                          ? wanted
                          : theme.color(QPalette::ButtonText);
  QPalette p = w->palette();
  p.setColor(QPalette::ButtonText, text);
  w->setPalette(p);
}

void RefreshDesignButtonTexts() {
  for (QWidget* w : QApplication::allWidgets())
    if (w->property(kDesignButtonText).isValid()) ApplyDesignButtonText(w);
}

// A change of style polishes every control anew, and a control under a style
// sheet gets back the palette it had when it was first polished: every
// control in a state colour is painted in it again.
void RefreshStateColours() {
  for (QWidget* w : QApplication::allWidgets()) {
    const QVariant colour = w->property(kStateColour);
    if (colour.isValid()) SetStateColour(w, colour.value<QColor>());
  }
}

void RefreshOwnColours() {
  RefreshStateColours();
  RefreshDesignButtonTexts();
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
  for (const auto& s : Styles()) names.emplace_back(s.name);
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
    RefreshOwnColours();
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
  RefreshOwnColours();
  return true;
}

QColor ThemePanelColor(const std::string& name) {
  if (name == kDefaultStyleName) return gHaveDefault ? gDefaultPalette.color(QPalette::Window)
                                                     : QApplication::palette().color(QPalette::Window);
  const Style* s = FindStyle(name);
  return s ? QColor(s->window) : QColor();
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableTextColour(const QColor& background) {
  const QColor black(Qt::black), white(Qt::white);
  return ContrastRatio(white, background) > ContrastRatio(black, background) ? white : black;
}

void SetStateColour(QWidget* w, const QColor& background) {
  if (!w) return;
  w->setProperty(kDesignButtonText, QVariant());  // the state's text colour rules now
  w->setProperty(kStateColour, background);
  const QColor text = ReadableTextColour(background);
  QPalette p = w->palette();
  p.setColor(QPalette::Window, background);
  p.setColor(QPalette::Button, background);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::ButtonText, text);
  w->setPalette(p);
  // Under a style sheet the children do not inherit the palette: their text
  // colour is given to each of them.
  if (!w->testAttribute(Qt::WA_StyleSheet)) return;
  for (QWidget* child : w->findChildren<QWidget*>()) {
    // A label's design colour stays where it reads on the state colour.
    const QColor design = child->property(kDesignText).value<QColor>();
    const QColor childText =
        design.isValid() && ContrastRatio(design, background) >= kReadableContrast ? design : text;
    QPalette c = child->palette();
    c.setColor(QPalette::WindowText, childText);
    c.setColor(QPalette::ButtonText, childText);
    child->setPalette(c);
    child->setProperty(kStateText, true);
  }
}

void ClearStateColour(QWidget* w) {
  if (!w) return;
  w->setProperty(kDesignButtonText, QVariant());
  w->setProperty(kStateColour, QVariant());
  w->setPalette(QPalette());
  for (QWidget* child : w->findChildren<QWidget*>())
    if (child->property(kStateText).isValid()) {
      child->setProperty(kStateText, QVariant());
      child->setPalette(QPalette());
      const QColor design = child->property(kDesignText).value<QColor>();
      if (design.isValid()) SetDesignTextColour(child, design);
    }
}

void SetDesignTextColour(QWidget* w, const QColor& colour) {
  if (!w) return;
  w->setProperty(kDesignText, colour);
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  w->setPalette(p);
}

void SetDesignButtonTextColour(QWidget* w, const QColor& colour) {
  if (!w) return;
  w->setProperty(kDesignButtonText, colour);
  ApplyDesignButtonText(w);
}

void SetStateBaseColour(QWidget* w, const QColor& base) {
  if (!w) return;
  QPalette p = w->palette();
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::Text, ReadableTextColour(base));
  w->setPalette(p);
}
