// The translation dictionary and its language files, on real files in a
// temporary program folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/textfile.h"
#include "platform/paths.h"
#include "tests/support/tempenv.h"
#include "ui/QuarixTranslation.h"
#include "ui/translationgrid.h"
#include "ui/translationjson.h"

namespace {

using translation::TextMap;

class Dictionary : public ::testing::Test {
 protected:
  std::string Folder() const { return env.ProgramFolder() + "Languages/"; }
  void WriteLanguage(const std::string& code, const std::string& bytes) {
    std::filesystem::create_directories(Folder());
    ASSERT_TRUE(WriteFileAtomically(Folder() + code + ".json", bytes));
  }
  std::string Missing() const { return env.ReadFile(Folder() + "missing.log"); }
  bool MissingExists() const { return platform::FileExists(Folder() + "missing.log"); }

  TempEnv env;
};

const char* const kTurkish =
    "\xEF\xBB\xBF{\r\n"
    "  \"Cancel\": \"\xC4\xB0ptal\",\r\n"
    "  \"Close\": \"Kapat\",\r\n"
    "  \"Empty\": \"\",\r\n"
    "  \"Exit\": \"Kapat\",\r\n"
    "  \"Save\": \"Kaydet\"\r\n"
    "}\r\n";

TEST_F(Dictionary, FirstStartMakesTheFolderAndTranslatesNothing) {
  TQuarixTranslation t;
  EXPECT_TRUE(platform::FolderExists(Folder()));
  EXPECT_EQ(t.LanguageFolder, Folder());
  EXPECT_EQ(t.Languages, (std::vector<std::string>{"en", "tr"}));
  EXPECT_EQ(t.CurrentLanguage, "en");
  EXPECT_TRUE(t.Dictionary.empty());
  EXPECT_EQ(t.Translate("Cancel"), "Cancel");
  EXPECT_EQ(t.Translate(""), "");
  EXPECT_FALSE(MissingExists());
}

TEST_F(Dictionary, LanguagesOfferedFromTheFolder) {
  const struct {
    std::vector<std::string> files;
    std::vector<std::string> expected;
  } cases[] = {
      {{"tr"}, {"tr", "en"}},
      {{"tr", "de", "en"}, {"de", "en", "tr"}},
      {{"fr"}, {"fr", "en", "tr"}},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(Folder());
    for (const std::string& f : c.files) WriteLanguage(f, "{}");
    // Neither other files nor a folder named like a language file count.
    ASSERT_TRUE(WriteFileAtomically(Folder() + "missing.log", "x\r\n"));
    std::filesystem::create_directories(Folder() + "old.json");
    TQuarixTranslation t;
    EXPECT_EQ(t.Languages, c.expected) << c.files.size();
  }
}

TEST_F(Dictionary, StartsInEnglishWithTurkishLoadedAndTranslatesBothWays) {
  WriteLanguage("tr", kTurkish);
  TQuarixTranslation t;
  EXPECT_EQ(t.CurrentLanguage, "en");
  EXPECT_EQ(t.Dictionary.size(), 5u);
  // English: a Turkish caption goes back to its key; "Kapat" is the text of
  // both "Close" and "Exit", and the last key in key order wins.
  EXPECT_EQ(t.Translate("\xC4\xB0ptal"), "Cancel");
  EXPECT_EQ(t.Translate("Kapat"), "Exit");
  EXPECT_EQ(t.Translate("Cancel"), "Cancel");

  t.SetLanguage("tr");
  EXPECT_EQ(t.Translate("Cancel"), "\xC4\xB0ptal");
  EXPECT_EQ(t.Translate("\xC4\xB0ptal"), "\xC4\xB0ptal");  // translating twice changes nothing
  EXPECT_EQ(t.Translate("Save"), "Kaydet");
  EXPECT_FALSE(MissingExists());

  t.SetLanguage("en");
  EXPECT_EQ(t.Translate("Kaydet"), "Save");
  EXPECT_EQ(t.Translate("\xC4\xB0ptal"), "Cancel");
}

TEST_F(Dictionary, MissingKeysAreLoggedOnce) {
  WriteLanguage("tr", kTurkish);
  TQuarixTranslation t;
  t.SetLanguage("tr");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(t.Translate("Open"), "Open");
    EXPECT_EQ(t.Translate("open"), "open");  // case counts
    EXPECT_EQ(t.Translate("Empty"), "Empty");  // an empty text is missing too
    EXPECT_EQ(t.Translate("Two\nlines"), "Two\nlines");
  }
  EXPECT_EQ(Missing(), "Open\r\nopen\r\nEmpty\r\nTwo\r\nlines\r\n");
  EXPECT_EQ(t.GetText("tr", "Empty"), "");  // the editor still sees the empty text
}

TEST_F(Dictionary, SwitchBetweenTwoOtherLanguagesLeavesOldCaptions) {
  WriteLanguage("tr", kTurkish);
  WriteLanguage("de", "{\"Save\": \"Speichern\"}");
  TQuarixTranslation t;
  t.SetLanguage("tr");
  t.SetLanguage("de");
  EXPECT_EQ(t.Translate("Kaydet"), "Kaydet");
  EXPECT_EQ(t.Translate("Save"), "Speichern");
  EXPECT_EQ(Missing(), "Kaydet\r\n");
  EXPECT_EQ(t.ReverseDictionary, (TextMap{{"Speichern", "Save"}}));
}

TEST_F(Dictionary, LanguageWithoutFileTranslatesNothingAndLogs) {
  TQuarixTranslation t;
  t.SetLanguage("tr");
  EXPECT_TRUE(t.Dictionary.empty());
  EXPECT_EQ(t.Translate("Cancel"), "Cancel");
  EXPECT_EQ(Missing(), "Cancel\r\n");
}

TEST_F(Dictionary, TextsOfEveryLanguage) {
  WriteLanguage("tr", kTurkish);
  WriteLanguage("de", "{\"Save\": \"Speichern\", \"Zoom\": \"\"}");
  TQuarixTranslation t;
  t.SetLanguage("de");
  // Keys always come from the Turkish file.
  EXPECT_EQ(t.GetKeys(), (std::vector<std::string>{"Cancel", "Close", "Empty", "Exit", "Save"}));
  const struct {
    const char* code;
    const char* key;
    const char* text;
  } cases[] = {
      {"en", "Save", "Save"},   {"de", "Save", "Speichern"}, {"de", "Zoom", ""},
      {"de", "Exit", "Exit"},   {"tr", "Save", "Kaydet"},    {"tr", "Open", "Open"},
      {"fr", "Save", "Save"},   {"../tr", "Save", "Save"},
  };
  for (const auto& c : cases) EXPECT_EQ(t.GetText(c.code, c.key), c.text) << c.code << " " << c.key;
}

TEST_F(Dictionary, SetTextAndSaveOnlyForTheCurrentLanguage) {
  WriteLanguage("tr", kTurkish);
  WriteLanguage("de", "{}");
  TQuarixTranslation t;
  // English current: nothing is kept or written, for any code.
  for (const char* code : {"en", "tr"}) {
    t.SetText(code, "Save", "X");
    t.SaveLanguage(code);
  }
  EXPECT_EQ(t.Dictionary.at("Save"), "Kaydet");
  EXPECT_EQ(env.ReadFile(Folder() + "tr.json"), kTurkish);

  t.SetLanguage("de");
  t.SetText("tr", "Save", "X");
  t.SaveLanguage("tr");
  t.SetText("en", "Save", "X");
  t.SaveLanguage("en");
  EXPECT_EQ(env.ReadFile(Folder() + "tr.json"), kTurkish);
  EXPECT_FALSE(platform::FileExists(Folder() + "en.json"));

  t.SetText("de", "Save", "Speichern");
  t.SaveLanguage("de");
  EXPECT_EQ(env.ReadFile(Folder() + "de.json"), "\xEF\xBB\xBF{\r\n  \"Save\": \"Speichern\"\r\n}\r\n");
  EXPECT_TRUE(t.ReverseDictionary.empty());  // not rebuilt by SetText
}

TEST_F(Dictionary, SavedFileLoadsBackEqual) {
  TQuarixTranslation t;
  t.SetLanguage("tr");
  const TextMap texts = {{"Quote \" and \\ slash", "Tab\there"},
                         {"Line\r\nbreak", "Form\ffeed\bback"},
                         {"\xC3\x9C" "ber", "\xC3\x87" "\xC4\xB1k"},
                         {"Bell\x07", ""},
                         {"", "empty key"}};
  for (const auto& [k, v] : texts) t.SetText("tr", k, v);
  t.SaveLanguage("tr");
  const std::string bytes = env.ReadFile(Folder() + "tr.json");
  EXPECT_EQ(bytes.substr(0, 4), "\xEF\xBB\xBF{");
  EXPECT_NE(bytes.find("  \"Line\\r\\nbreak\": \"Form\\ffeed\\bback\",\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("\"\xC3\x9C" "ber\": \"\xC3\x87\xC4\xB1k\""), std::string::npos);  // no \u escapes
  EXPECT_NE(bytes.find("\"Bell\\u0007\": \"\""), std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - 9), "\xC4\xB1k\"\r\n}\r\n");  // no comma after the last entry
  // Every line ends in CR LF.
  for (size_t p = bytes.find('\n'); p != std::string::npos; p = bytes.find('\n', p + 1)) EXPECT_EQ(bytes[p - 1], '\r');

  TQuarixTranslation again;
  again.SetLanguage("tr");
  EXPECT_EQ(again.Dictionary, texts);
}

TEST_F(Dictionary, EmptyDictionarySavesAnEmptyObject) {
  TQuarixTranslation t;
  t.SetLanguage("xx");
  t.SaveLanguage("xx");
  EXPECT_EQ(env.ReadFile(Folder() + "xx.json"), "\xEF\xBB\xBF{\r\n}\r\n");
}

TEST_F(Dictionary, ReloadReadsTheFilesAgain) {
  WriteLanguage("tr", "{\"Save\": \"Kaydet\"}");
  TQuarixTranslation t;
  t.SetLanguage("tr");
  WriteLanguage("tr", "{\"Save\": \"Sakla\"}");
  WriteLanguage("de", "{}");
  EXPECT_EQ(t.Translate("Save"), "Kaydet");
  t.Reload();
  EXPECT_EQ(t.Translate("Save"), "Sakla");
  EXPECT_EQ(t.Translate("Kaydet"), "Kaydet");
  EXPECT_EQ(t.Languages, (std::vector<std::string>{"de", "tr", "en"}));
}

TEST_F(Dictionary, CodesThatNameNoFileInTheFolder) {
  WriteLanguage("tr", "{\"Save\": \"Kaydet\"}");
  std::filesystem::create_directories(env.ProgramFolder() + "sub");
  ASSERT_TRUE(WriteFileAtomically(env.ProgramFolder() + "sub/evil.json", "{\"Save\": \"Evil\"}"));
  TQuarixTranslation t;
  for (const char* code : {"../sub/evil", "..", "", "sub/../../Languages/tr"}) {
    t.SetLanguage(code);
    EXPECT_TRUE(t.Dictionary.empty()) << code;
    t.SetText(code, "Save", "Written");
    t.SaveLanguage(code);
  }
  EXPECT_EQ(env.ReadFile(env.ProgramFolder() + "sub/evil.json"), "{\"Save\": \"Evil\"}");
  EXPECT_FALSE(platform::FileExists(env.ProgramFolder() + ".json"));
}

// Language files that are no regular files (a FIFO, a link to /dev/zero)
// are never waited on nor read: the language translates nothing, and a
// missing.log in their place is left alone.
TEST_F(Dictionary, LanguageFilesThatAreNoRegularFilesAreNeverWaitedOn) {
  std::filesystem::create_directories(Folder());
  ASSERT_EQ(::mkfifo((Folder() + "tr.json").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", Folder() + "de.json");
  TQuarixTranslation t;
  EXPECT_TRUE(t.Dictionary.empty());
  for (const char* code : {"tr", "de"}) {
    t.SetLanguage(code);
    EXPECT_TRUE(t.Dictionary.empty()) << code;
  }
  EXPECT_EQ(t.GetText("tr", "Save"), "Save");
  // Texts saved for the FIFO's language are not written in its place.
  EXPECT_FALSE(t.SaveLanguageTexts("tr", {{"Save", "Kaydet"}}));
  EXPECT_TRUE(std::filesystem::is_fifo(Folder() + "tr.json"));
  EXPECT_TRUE(std::filesystem::is_symlink(Folder() + "de.json"));
}

TEST(LanguageJson, Reading) {
  const struct {
    const char* name;
    std::string bytes;
    bool ok;
    TextMap map;
  } cases[] = {
      {"without mark, any layout", "{\"a\":\"1\",\n\t\"b\" : \"2\"}", true, {{"a", "1"}, {"b", "2"}}},
      {"with mark", "\xEF\xBB\xBF {\"a\": \"1\"} \r\n", true, {{"a", "1"}}},
      {"later duplicate wins", "{\"a\": \"1\", \"a\": \"2\"}", true, {{"a", "2"}}},
      {"escapes", R"({"q\"\\\/\b\f\n\r\t": "\u00c7\u0131\ud83d\ude00"})", true,
       {{"q\"\\/\b\f\n\r\t", "\xC3\x87\xC4\xB1\xF0\x9F\x98\x80"}}},
      {"lone surrogate", R"({"a": "\ud800x"})", true, {{"a", "\xEF\xBF\xBDx"}}},
      {"invalid UTF-8 replaced", "{\"a\": \"\xFE\xC3\"}", true, {{"a", "\xEF\xBF\xBD\xEF\xBF\xBD"}}},
      {"other values passed over", R"({"n": 1.5e3, "b": true, "z": null, "o": {"x": [1, {"y": "2"}]}, "s": "t"})",
       true, {{"s", "t"}}},
      {"empty object", "{}", true, {}},
      {"top level array", "[\"a\"]", false, {}},
      {"truncated", "{\"a\": \"1\", \"b\": \"2", false, {}},
      {"trailing comma", "{\"a\": \"1\",}", false, {}},
      {"garbage after", "{\"a\": \"1\"} x", false, {}},
      {"bad escape", R"({"a": "\x"})", false, {}},
      {"empty file", "", false, {}},
      {"deep nesting", "{\"a\": " + std::string(100, '[') + std::string(100, ']') + "}", false, {}},
  };
  for (const auto& c : cases) {
    TextMap map = {{"old", "entry"}};
    EXPECT_EQ(translation::ParseLanguageJson(c.bytes, map), c.ok) << c.name;
    EXPECT_EQ(map, c.map) << c.name;
  }
}

TEST(TranslationGrid, TypedKeysAreTrimmed) {
  const struct {
    const char* typed;
    const char* key;
  } cases[] = {{"  Open  ", "Open"}, {"\t\r\nSave As\x01", "Save As"}, {"   ", ""}, {"a b", "a b"}};
  for (const auto& c : cases) EXPECT_EQ(TrimmedKey(c.typed), c.key) << c.typed;
}

}  // namespace
