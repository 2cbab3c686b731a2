#include "ui/QuarixTranslation.h"

#include <QDir>

#include "platform/paths.h"

TQuarixTranslation* Translation = nullptr;

TQuarixTranslation::TQuarixTranslation() : LanguageFolder(platform::ProgramFolder() + "Languages/") {
  QDir().mkpath(QString::fromStdString(LanguageFolder));
}

void TQuarixTranslation::SetLanguage(const std::string& code) {
  if (code == CurrentLanguage) return;
  CurrentLanguage = code;
}

std::string TQuarixTranslation::Translate(const std::string& text) const { return text; }
