#pragma once
// The program's INI settings file with the Windows profile rules the windows
// rely on: section and key names match without letter case and without the
// blanks around them, a padded key name is written exactly as given, values are
// kept as text, lines keep their order, a key is replaced in place, CR LF is
// written and LF or CR LF read. Every write goes to disk at once (temporary
// file and rename, mode 0600 because the file holds caster passwords).
#include <string>
#include <vector>

class IniFile {
 public:
  explicit IniFile(std::string fileName);
  // The program's own settings file (next to the executable).
  IniFile();

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // Decimal (or $hex / 0x hex) integer; a text that is not a number gives def.
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  // Read as a number: non-zero is true; a text that is not a number gives def.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;
  double ReadFloat(const std::string& section, const std::string& key, double def) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void WriteFloat(const std::string& section, const std::string& key, double value);

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  // Key names of a section as written (padding removed), in file order.
  std::vector<std::string> ReadSection(const std::string& section) const;
  void EraseSection(const std::string& section);
  void DeleteKey(const std::string& section, const std::string& key);

  // False when the last write could not be stored.
  bool LastWriteOk() const { return writeOk_; }

 private:
  struct Line {
    std::string text;     // the line as read or written, without its line end
    std::string section;  // normalised section name it belongs to
    std::string key;      // normalised key name, empty for other lines
    bool isHeader = false;
  };
  void Load();
  void Save();
  const Line* Find(const std::string& section, const std::string& key) const;
  std::string fileName_;
  std::vector<Line> lines_;
  bool writeOk_ = true;
};

// Trims blanks and tabs from both ends.
std::string TrimBlanks(const std::string& s);
