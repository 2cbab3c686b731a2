#include "app/color.h"

#include <QGuiApplication>
#include <QPalette>

QColor ToQColor(TColor c) {
  const uint32_t high = c >> 24;
  if (high == 0xFF || high == 0x80) {
    // System colours: the palette roles that stand for them.
    const QPalette pal = QGuiApplication::palette();
    switch (c & 0xFF) {
      case 5: return pal.color(QPalette::Base);             // window background
      case 8: return pal.color(QPalette::Text);             // window text
      case 13: return pal.color(QPalette::Highlight);
      case 14: return pal.color(QPalette::HighlightedText);
      case 18: return pal.color(QPalette::ButtonText);
      case 15:                                              // button face
      default: return pal.color(QPalette::Window);
    }
  }
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

TColor FromQColor(const QColor& c) {
  return static_cast<TColor>(c.red()) | (static_cast<TColor>(c.green()) << 8) |
         (static_cast<TColor>(c.blue()) << 16);
}
