#pragma once
// The program's INI settings file with the Windows profile rules the windows
// rely on: section and key names match without letter case and without the
// blanks around them, a padded key name is written exactly as given, values are
// kept as text, lines keep their order, a key is replaced in place, CR LF is
// written and LF or CR LF read. The writes made through one object are stored
// together in one write of the whole file (temporary file, synced and renamed;
// the file is left readable by its owner only because it holds caster
// passwords): when the object is freed, when another object is opened on the
// same file (so that it reads them), or earlier through UpdateFile. They are
// stored onto the file as it is then, so keys another object stored meanwhile
// stay. A value never spans lines: line breaks in it are removed, and the
// user is told.
#include <string>
#include <vector>

class IniFile {
 public:
  explicit IniFile(std::string fileName);
  // The program's own settings file (next to the executable).
  IniFile();
  // Stores what is still unstored; a failure is told to the user, once
  // until the file is stored again.
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

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

  // Stores the writes made so far; false when they could not be (errno
  // tells why). The caller tells such a failure: it is not told again.
  bool UpdateFile();

  // Whether a failed store of the file is to be told: true the first time
  // after the file was last stored, false while the failure goes on. Closing
  // with a full disk stores some sixteen objects, and a message box's own
  // event loop ends "the event": one message tells it.
  static bool NewFailure(const std::string& fileName);

  // How the failures and changes above reach the user: once for each text
  // while the program handles one event. By default the text is logged in
  // the day's events log and shown in a message box.
  static void Tell(const std::string& text);
  static void SetTelling(void (*tell)(const std::string& text));

 private:
  struct Line {
    std::string text;     // the line as read or written, without its line end
    std::string section;  // normalised section name it belongs to
    std::string key;      // normalised key name, empty for other lines
    bool isHeader = false;
  };
  // A write waiting to be stored, replayed onto the file as it is then.
  struct Change {
    enum Kind { Set, EraseSection, DeleteKey } kind;
    std::string section, key, value;
  };
  bool Load();
  void StoreOrTell();
  void Apply(const Change& change);
  void SetValue(const std::string& section, const std::string& key, const std::string& value);
  const Line* Find(const std::string& section, const std::string& key) const;
  std::string fileName_;
  std::vector<Line> lines_;
  std::vector<Change> pending_;
  bool writeOk_ = true;
};

// Trims blanks and tabs from both ends.
std::string TrimBlanks(const std::string& s);
