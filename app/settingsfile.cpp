#include "app/settingsfile.h"

#include <QCoreApplication>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "app/formats.h"
#include "app/helpers.h"
#include "app/textfile.h"
#include "platform/paths.h"
#include "platform/prompts.h"

namespace {
// The settings file holds a few hundred keys; a file this large is not one.
constexpr uint64_t kMaxSettingsFileBytes = 16ull << 20;

std::string Normalise(const std::string& s) {
  std::string t = TrimBlanks(s);
  for (auto& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return t;
}
}  // namespace

std::string TrimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

namespace {

void DefaultTelling(const std::string& text) {
  LogEvent(text);
  // Shown while the program runs; at its very end the log holds it.
  if (QCoreApplication::instance() && !QCoreApplication::closingDown())
    prompts::ShowMessage(QString::fromStdString(text));
}

void (*telling)(const std::string&) = DefaultTelling;
// The objects alive now: one opened on a file first stores what the others
// still hold for it, so it reads what they wrote.
std::vector<IniFile*> live;
// Texts told while the current event is handled: each is told once.
std::vector<std::string> told;
// Files whose store failed and was told, until a store succeeds again.
std::vector<std::string> failing;

}  // namespace

void IniFile::SetTelling(void (*tell)(const std::string& text)) { telling = tell ? tell : DefaultTelling; }

void IniFile::Tell(const std::string& text) {
  for (const auto& t : told)
    if (t == text) return;
  if (told.empty() && QCoreApplication::instance())
    QTimer::singleShot(0, QCoreApplication::instance(), [] { told.clear(); });
  told.push_back(text);
  telling(text);
}

IniFile::IniFile(std::string fileName) : fileName_(std::move(fileName)) {
  for (IniFile* other : live)
    if (other->fileName_ == fileName_) other->StoreOrTell();
  live.push_back(this);
  Load();
}
IniFile::IniFile() : IniFile(platform::SettingsFileName()) {}

IniFile::~IniFile() {
  std::erase(live, this);
  try {
    StoreOrTell();
  } catch (...) {
  }
}

void IniFile::StoreOrTell() {
  if (pending_.empty() || UpdateFile()) return;
  const std::string why = std::strerror(errno);
  if (NewFailure(fileName_))
    Tell("The settings file " + fileName_ + " could not be written (" + why +
         "); the settings just changed were not stored, and no later change will be until the file can be "
         "written again.");
}

bool IniFile::NewFailure(const std::string& fileName) {
  if (std::find(failing.begin(), failing.end(), fileName) != failing.end()) return false;
  failing.push_back(fileName);
  return true;
}

bool IniFile::Load() {
  lines_.clear();
  // A settings file edited by hand may be anything by now: it is read only
  // when it is a regular file of sensible size, never waited on. A missing
  // one reads as empty; one that cannot be read is never written over.
  std::string bytes;
  if (!ReadWholeFile(fileName_, bytes, kMaxSettingsFileBytes)) return errno == ENOENT;
  // Editors on other systems put a byte-order mark in front of the first
  // section's name; it is not part of the name.
  std::string current;
  for (const std::string& raw : SplitTextLines(bytes)) {
    Line line;
    line.text = raw;
    const std::string t = TrimBlanks(raw);
    if (!t.empty() && t.front() == '[') {
      const auto close = t.find(']');
      current = Normalise(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      line.isHeader = true;
    } else if (!t.empty() && t.front() != ';') {
      const auto eq = raw.find('=');
      if (eq != std::string::npos) line.key = Normalise(raw.substr(0, eq));
    }
    line.section = current;
    lines_.push_back(std::move(line));
  }
  return true;
}

bool IniFile::UpdateFile() {
  if (pending_.empty()) return writeOk_;
  std::vector<Change> changes;
  changes.swap(pending_);
  // Onto the file as it is now: what other writers stored stays.
  const std::vector<Line> mine = lines_;
  if (!Load()) {
    const int err = errno ? errno : EACCES;
    lines_ = mine;
    errno = err;
    return writeOk_ = false;
  }
  for (const auto& c : changes) Apply(c);
  std::string out;
  for (const auto& l : lines_) {
    out += l.text;
    out += "\r\n";
  }
  // It holds the caster password.
  writeOk_ = WriteOwnerOnlyFileAtomically(fileName_, out);
  if (writeOk_) std::erase(failing, fileName_);
  return writeOk_;
}

void IniFile::Apply(const Change& c) {
  const std::string s = Normalise(c.section), k = Normalise(c.key);
  switch (c.kind) {
    case Change::Set:
      SetValue(c.section, c.key, c.value);
      break;
    case Change::EraseSection:
      std::erase_if(lines_, [&](const Line& l) { return l.section == s; });
      break;
    case Change::DeleteKey:
      std::erase_if(lines_, [&](const Line& l) { return !l.isHeader && l.section == s && l.key == k; });
      break;
  }
}

const IniFile::Line* IniFile::Find(const std::string& section, const std::string& key) const {
  const std::string s = Normalise(section), k = Normalise(key);
  for (const auto& l : lines_)
    if (!l.isHeader && l.section == s && !l.key.empty() && l.key == k) return &l;
  return nullptr;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const {
  const Line* l = Find(section, key);
  if (!l) return def;
  return TrimBlanks(l->text.substr(l->text.find('=') + 1));
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  const Line* l = Find(section, key);
  if (!l) return def;
  int v;
  return TryStrToInt(ReadString(section, key, ""), v) ? v : def;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double IniFile::ReadFloat(const std::string& section, const std::string& key, double def) const {
  double v;
  return TryStrToFloat(ReadString(section, key, ""), v) ? v : def;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  // A line break would end the value and start a line of its own (a new
  // section even): the breaks are removed and the user told.
  std::string v = value;
  std::erase_if(v, [](char ch) { return ch == '\r' || ch == '\n'; });
  if (v.size() != value.size())
    Tell("The value of " + TrimBlanks(key) + " in [" + TrimBlanks(section) + "] of " + fileName_ +
         " held line breaks; it was stored without them.");
  SetValue(section, key, v);
  pending_.push_back({Change::Set, section, key, v});
}

void IniFile::SetValue(const std::string& section, const std::string& key, const std::string& value) {
  const std::string s = Normalise(section), k = Normalise(key);
  // Replace in place when the key exists.
  for (auto& l : lines_) {
    if (!l.isHeader && l.section == s && l.key == k && !k.empty()) {
      l.text = l.text.substr(0, l.text.find('=')) + "=" + value;
      return;
    }
  }
  // Otherwise append at the end of the section (after its last non-blank line).
  size_t insertAt = lines_.size();
  bool found = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].isHeader && lines_[i].section == s) {
      found = true;
      insertAt = i + 1;
      for (size_t j = i + 1; j < lines_.size() && !lines_[j].isHeader; ++j)
        if (!TrimBlanks(lines_[j].text).empty()) insertAt = j + 1;
      break;
    }
  }
  Line kv;
  kv.text = key + "=" + value;
  kv.section = s;
  kv.key = k;
  if (!found) {
    if (!lines_.empty() && !TrimBlanks(lines_.back().text).empty()) {
      Line blank;
      blank.section = lines_.back().section;
      lines_.push_back(blank);
    }
    Line header;
    header.text = "[" + section + "]";
    header.section = s;
    header.isHeader = true;
    lines_.push_back(header);
    lines_.push_back(kv);
  } else {
    lines_.insert(lines_.begin() + static_cast<long>(insertAt), kv);
  }
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::WriteFloat(const std::string& section, const std::string& key, double value) {
  WriteString(section, key, FloatToStr(value));
}

bool IniFile::SectionExists(const std::string& section) const {
  const std::string s = Normalise(section);
  for (const auto& l : lines_)
    if (l.isHeader && l.section == s) return true;
  return false;
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const {
  return Find(section, key) != nullptr;
}

std::vector<std::string> IniFile::ReadSection(const std::string& section) const {
  const std::string s = Normalise(section);
  std::vector<std::string> keys;
  for (const auto& l : lines_)
    if (!l.isHeader && l.section == s && !l.key.empty())
      keys.push_back(TrimBlanks(l.text.substr(0, l.text.find('='))));
  return keys;
}

void IniFile::EraseSection(const std::string& section) {
  const std::string s = Normalise(section);
  const auto before = lines_.size();
  std::erase_if(lines_, [&](const Line& l) { return l.section == s; });
  if (lines_.size() != before) pending_.push_back({Change::EraseSection, section, "", ""});
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) {
  const std::string s = Normalise(section), k = Normalise(key);
  const auto before = lines_.size();
  std::erase_if(lines_, [&](const Line& l) { return !l.isHeader && l.section == s && l.key == k; });
  if (lines_.size() != before) pending_.push_back({Change::DeleteKey, section, key, ""});
}
