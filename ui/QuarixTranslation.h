#pragma once
// The interface-language dictionary. The windows are designed in English and
// an English text is its own key; a language file ("Languages/<code>.json"
// next to the executable) gives the text of every key in one language. "en"
// never has a file. Keys the current language lacks are collected in
// "Languages/missing.log".
//
// Reading reports no failure: a missing or unreadable language file is an
// empty dictionary. A file that cannot be written is left as it was; the
// writing operations tell whether they wrote.
#include <map>
#include <string>
#include <vector>

class TQuarixTranslation {
 public:
  // Creates the language folder (with its parents) when it is missing, scans
  // the languages, and starts in English with the Turkish texts loaded, so a
  // caption that is already Turkish translates back to its English key.
  TQuarixTranslation();

  std::map<std::string, std::string> Dictionary;         // key -> text of the language loaded last
  std::map<std::string, std::string> ReverseDictionary;  // text -> key, from Dictionary
  std::string CurrentLanguage = "en";
  std::string LanguageFolder;          // the executable's folder + "Languages/"
  std::vector<std::string> Languages;  // codes offered

  // Codes of the "*.json" files of the language folder in name order, then
  // "en" and "tr" when they are not among them.
  void ScanLanguages();
  // Empties target, then fills it from the language file of code when there is one.
  void LoadLanguage(const std::string& code, std::map<std::string, std::string>& target) const;
  // Nothing when the code is already current; otherwise makes it current and,
  // unless it is "en", loads its texts. A switch to "en" keeps the texts of the
  // previous language, so its captions still translate back to English.
  void SetLanguage(const std::string& code);
  // ReverseDictionary = non-empty text -> key; the last key in key order wins.
  void BuildReverseMap();
  // The text to show for a text in the current language. An already translated
  // text is first taken back to its key; a key without a non-empty text is
  // logged as missing and shown as it is.
  std::string Translate(const std::string& text) const;
  // The keys of the Turkish file, in key order.
  std::vector<std::string> GetKeys() const;
  // The text of key in a language: the key itself for "en" and when the
  // language has no entry for it (an empty text is an entry).
  std::string GetText(const std::string& code, const std::string& key) const;
  // Sets the text of key, only for the current language and never for "en".
  void SetText(const std::string& code, const std::string& key, const std::string& text);
  // Writes Dictionary to the language file, only for the current language and
  // never for "en". False when nothing was written.
  bool SaveLanguage(const std::string& code) const;
  // Gives a language the texts (key -> text) and writes its file, whether or
  // not it is current: the current language's texts go into Dictionary, any
  // other language's are merged with what its file holds. False, with nothing
  // changed, for "en" (its texts are the keys themselves), for a code that
  // names no file, for an existing file that cannot be read, and when the
  // file cannot be written.
  bool SaveLanguageTexts(const std::string& code, const std::map<std::string, std::string>& texts);
  // Scans the languages again and reloads the current one (unless "en").
  void Reload();
  // Adds the key to "missing.log" once.
  void LogMissingKey(const std::string& key) const;

  // Path of the language file of code; empty for a code that cannot name a
  // file in the language folder (empty, ".", "..", or holding a path separator).
  std::string LanguageFileName(const std::string& code) const;
};

// The one dictionary, created by the main window; null until then.
extern TQuarixTranslation* Translation;
