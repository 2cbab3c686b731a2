#pragma once
// The interface-language dictionary. The windows are designed in English and
// English is their own key; the language files come later, so for now every
// text translates to itself.
#include <string>

class TQuarixTranslation {
 public:
  // Creates the "Languages" folder next to the executable when it is missing;
  // the current language starts as "en".
  TQuarixTranslation();

  std::string CurrentLanguage = "en";
  std::string LanguageFolder;

  // Nothing when the code is already current; otherwise makes it current.
  void SetLanguage(const std::string& code);
  // The text to show for an English text in the current language.
  std::string Translate(const std::string& text) const;
};

// The one dictionary, created by the main window; null until then.
extern TQuarixTranslation* Translation;
