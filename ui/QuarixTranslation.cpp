#include "ui/QuarixTranslation.h"

#include <QtGlobal>

#include "platform/failurerun.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/textfile.h"
#include "app/textlines.h"
#include "platform/paths.h"
#include "ui/translationjson.h"

TQuarixTranslation* Translation = nullptr;

namespace {

const char* const kMissingLog = "missing.log";
constexpr size_t kMaxMissingLogBytes = 16 * 1024 * 1024;

}  // namespace

TQuarixTranslation::TQuarixTranslation() : LanguageFolder(platform::ProgramFolder() + "Languages/") {
  std::error_code ec;
  std::filesystem::create_directories(LanguageFolder, ec);
  ScanLanguages();
  CurrentLanguage = "en";
  LoadLanguage("tr", Dictionary);
  BuildReverseMap();
}

std::string TQuarixTranslation::LanguageFileName(const std::string& code) const {
  if (code.empty() || code == "." || code == ".." || code.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
    return {};
  return LanguageFolder + code + ".json";
}

void TQuarixTranslation::ScanLanguages() {
  Languages.clear();
  std::vector<std::string> found;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(LanguageFolder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::filesystem::path& p = it->path();
    if (p.extension() != ".json") continue;
    std::error_code typeError;
    if (it->is_directory(typeError)) continue;
    found.push_back(p.stem().string());
  }
  std::sort(found.begin(), found.end());
  Languages = found;
  for (const char* code : {"en", "tr"})
    if (std::find(Languages.begin(), Languages.end(), code) == Languages.end()) Languages.push_back(code);
}

void TQuarixTranslation::LoadLanguage(const std::string& code, std::map<std::string, std::string>& target) const {
  target.clear();
  const std::string file = LanguageFileName(code);
  std::string bytes;
  if (file.empty() || !ReadWholeFile(file, bytes, translation::kMaxLanguageFileBytes)) return;
  translation::ParseLanguageJson(bytes, target);
}

void TQuarixTranslation::SetLanguage(const std::string& code) {
  if (code == CurrentLanguage) return;
  CurrentLanguage = code;
  if (code == "en") return;
  LoadLanguage(code, Dictionary);
  BuildReverseMap();
}

void TQuarixTranslation::BuildReverseMap() {
  ReverseDictionary.clear();
  for (const auto& [key, text] : Dictionary)
    if (!text.empty()) ReverseDictionary[text] = key;
}

std::string TQuarixTranslation::Translate(const std::string& text) const {
  std::string key = text;
  if (const auto r = ReverseDictionary.find(text); r != ReverseDictionary.end()) key = r->second;
  if (CurrentLanguage == "en") return key;
  if (const auto d = Dictionary.find(key); d != Dictionary.end() && !d->second.empty()) return d->second;
  LogMissingKey(key);
  return key;
}

std::vector<std::string> TQuarixTranslation::GetKeys() const {
  std::map<std::string, std::string> turkish;
  LoadLanguage("tr", turkish);
  std::vector<std::string> keys;
  keys.reserve(turkish.size());
  for (const auto& entry : turkish) keys.push_back(entry.first);
  return keys;
}

std::string TQuarixTranslation::GetText(const std::string& code, const std::string& key) const {
  if (code == "en") return key;
  if (code == CurrentLanguage) {
    const auto d = Dictionary.find(key);
    return d != Dictionary.end() ? d->second : key;
  }
  std::map<std::string, std::string> other;
  LoadLanguage(code, other);
  const auto o = other.find(key);
  return o != other.end() ? o->second : key;
}

void TQuarixTranslation::SetText(const std::string& code, const std::string& key, const std::string& text) {
  if (code == "en" || code != CurrentLanguage) return;
  Dictionary[key] = text;
}

bool TQuarixTranslation::SaveLanguage(const std::string& code) const {
  if (code == "en" || code != CurrentLanguage) return false;
  const std::string file = LanguageFileName(code);
  if (file.empty()) return false;
  return WriteFileAtomically(file, translation::WriteLanguageJson(Dictionary));
}

bool TQuarixTranslation::SaveLanguageTexts(const std::string& code, const std::map<std::string, std::string>& texts) {
  const std::string file = LanguageFileName(code);
  if (code == "en" || file.empty()) return false;
  std::map<std::string, std::string> merged;
  if (code == CurrentLanguage) {
    merged = Dictionary;
  } else if (platform::FileExists(file)) {
    // Never replace a file whose other texts could not be read.
    std::string bytes;
    if (!ReadWholeFile(file, bytes, translation::kMaxLanguageFileBytes) ||
        !translation::ParseLanguageJson(bytes, merged))
      return false;
  }
  for (const auto& [key, text] : texts) merged[key] = text;
  if (!WriteFileAtomically(file, translation::WriteLanguageJson(merged))) return false;
  if (code == CurrentLanguage) {
    Dictionary = std::move(merged);
    // The texts shown so far still translate back to their keys.
    for (const auto& [key, text] : texts)
      if (!text.empty()) ReverseDictionary[text] = key;
  }
  return true;
}

void TQuarixTranslation::Reload() {
  ScanLanguages();
  if (CurrentLanguage == "en") return;
  LoadLanguage(CurrentLanguage, Dictionary);
  BuildReverseMap();
}

void TQuarixTranslation::LogMissingKey(const std::string& key) const {
  const std::string file = LanguageFolder + kMissingLog;
  std::string text;
  if (platform::FileExists(file) && !ReadWholeFile(file, text, kMaxMissingLogBytes))
    return;  // never replace what we cannot read
  // A key stands in the log as one line, or as several when it holds line
  // breaks itself; either way it is found again and written only once.
  const std::vector<std::string> lines = SplitTextLines(text);
  const std::vector<std::string> keyLines = key.empty() ? std::vector<std::string>{""} : textlines::Split(key + "\n");
  if (std::search(lines.begin(), lines.end(), keyLines.begin(), keyLines.end()) != lines.end()) return;
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  for (const std::string& line : keyLines) out += line + "\r\n";
  // A log that cannot be written is told once, and once when it is again.
  static platform::FailureRun failures;
  if (!WriteFileAtomically(file, out)) {
    if (failures.Failed()) qWarning("The missing-text log %s cannot be written.", file.c_str());
  } else if (failures.Succeeded()) {
    qWarning("The missing-text log %s is written again.", file.c_str());
  }
}
