#pragma once
// The rows of the translation editor without the window: one row per key of
// the Turkish file with its English text (the key itself) and its text in the
// language shown, and the way edited rows go back into the dictionary.
#include <string>
#include <vector>

class TQuarixTranslation;

struct TranslationRow {
  std::string Key;
  std::string English;
  std::string Text;
};

// One row per key in key order; one empty row when there are no keys.
std::vector<TranslationRow> TranslationRows(const TQuarixTranslation& dictionary, const std::string& language);

// Gives every row's text to language and writes that language's file, the
// current language or not. English cells are never kept (English is the key
// itself), and rows without a key (the empty row of an empty grid) are passed
// over. False when nothing could be written: for "en", or when the file cannot
// be read or written.
bool StoreTranslationRows(TQuarixTranslation& dictionary, const std::string& language,
                          const std::vector<TranslationRow>& rows);

// A typed key with blanks and control characters removed at both ends.
std::string TrimmedKey(const std::string& text);
