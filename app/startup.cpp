#include "app/startup.h"

#include <clocale>
#include <exception>

#include "app/displaysettings.h"
#include "app/formats.h"
#include "app/settingsfile.h"
#include "platform/prompts.h"

std::string ReadStartSettings() {
  IniFile ini;
  const std::string theme = ini.ReadString("APPLICATION", "ThemeStyle", "Light");
  OverlayFontSize = StrToIntDef(ini.ReadString("OVERLAY_SETTINGS", "FontSize", "40"), 40);
  OverlayDepthColor = static_cast<TColor>(ini.ReadInteger("OVERLAY_SETTINGS", "DepthColor", 8388608));
  OverlaySpeedColor = static_cast<TColor>(ini.ReadInteger("OVERLAY_SETTINGS", "SpeedColor", 0));
  return theme;
}

QuarixApplication::QuarixApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // Numbers are never formatted or scanned through the user's locale.
  std::setlocale(LC_NUMERIC, "C");
}

QString CurrentExceptionText() {
  try {
    throw;
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QString();
  }
}

bool QuarixApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    prompts::ShowException(CurrentExceptionText());
    return false;
  }
}
