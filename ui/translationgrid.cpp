#include "ui/translationgrid.h"

#include <map>

#include "ui/QuarixTranslation.h"

std::vector<TranslationRow> TranslationRows(const TQuarixTranslation& dictionary, const std::string& language) {
  std::vector<TranslationRow> rows;
  for (const std::string& key : dictionary.GetKeys())
    rows.push_back({key, dictionary.GetText("en", key), dictionary.GetText(language, key)});
  if (rows.empty()) rows.push_back({});
  return rows;
}

bool StoreTranslationRows(TQuarixTranslation& dictionary, const std::string& language,
                          const std::vector<TranslationRow>& rows) {
  std::map<std::string, std::string> texts;
  for (const TranslationRow& row : rows)
    if (!row.Key.empty()) texts[row.Key] = row.Text;
  return dictionary.SaveLanguageTexts(language, texts);
}

std::string TrimmedKey(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}
