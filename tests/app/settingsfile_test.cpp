#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>

#include "app/settingsfile.h"
#include "app/textfile.h"
#include "tests/support/tempenv.h"

namespace {

std::string Write(const TempEnv& env, const std::string& text) {
  const std::string f = env.Home() + "t.ini";
  WriteFileAtomically(f, text);
  return f;
}

TEST(IniFile, PaddedKeysAndCaseMatchAndAreWrittenAsGiven) {
  TempEnv env;
  const std::string f = env.Home() + "t.ini";
  {
    IniFile ini(f);
    ini.WriteString("FILE", "Last File Saved        ", "a.qvt");
    ini.WriteInteger("OVERLAY_SETTINGS", "FontSize", 40);
  }
  EXPECT_EQ(env.ReadFile(f), "[FILE]\r\nLast File Saved        =a.qvt\r\n\r\n[OVERLAY_SETTINGS]\r\nFontSize=40\r\n");
  IniFile ini(f);
  EXPECT_EQ(ini.ReadString("file", "  last file saved", "x"), "a.qvt");
  // Replaced in place, keeping the padding as first written.
  ini.WriteString("File", "Last File Saved", "b.qvt");
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(env.ReadFile(f), "[FILE]\r\nLast File Saved        =b.qvt\r\n\r\n[OVERLAY_SETTINGS]\r\nFontSize=40\r\n");
}

TEST(IniFile, ReadsLfFilesAndKeepsOrder) {
  TempEnv env;
  const std::string f = Write(env, "[A]\nz=1\ny = two \n[B]\nx=3\n");
  IniFile ini(f);
  EXPECT_EQ(ini.ReadSection("a"), (std::vector<std::string>{"z", "y"}));
  EXPECT_EQ(ini.ReadString("A", "y", ""), "two");
  ini.WriteString("A", "w", "4");
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(env.ReadFile(f), "[A]\r\nz=1\r\ny = two \r\nw=4\r\n[B]\r\nx=3\r\n");
}

TEST(IniFile, NumbersAndBooleans) {
  TempEnv env;
  const std::string f = Write(env, "[S]\nb1=1\nb0=0\nb7=7\nbw=yes\ni=-12\nh=$FF\nw=abc\nr=1.25\nrc=1,25\n");
  IniFile ini(f);
  struct Case { const char* key; bool def; bool want; };
  for (const Case& c : {Case{"b1", false, true}, Case{"b0", true, false}, Case{"b7", false, true},
                        Case{"bw", true, true}, Case{"bw", false, false}, Case{"missing", true, true}})
    EXPECT_EQ(ini.ReadBool("S", c.key, c.def), c.want) << c.key;
  EXPECT_EQ(ini.ReadInteger("S", "i", 0), -12);
  EXPECT_EQ(ini.ReadInteger("S", "h", 0), 255);
  EXPECT_EQ(ini.ReadInteger("S", "w", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "missing", 9), 9);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "r", 0), 1.25);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "rc", 7), 7);
}

TEST(IniFile, SettingsFileIsPrivate) {
  TempEnv env;
  IniFile ini;
  ini.WriteString("NTRIP", "Password", "secret");
  ASSERT_TRUE(ini.UpdateFile());
  QFile f(QString::fromStdString(env.SettingsFile()));
  ASSERT_TRUE(f.exists());
  EXPECT_EQ(f.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
}

mode_t Mode(const std::string& file) {
  struct stat st {};
  return ::lstat(file.c_str(), &st) == 0 ? st.st_mode : 0;
}

TEST(IniFile, ALinkedSettingsFileIsWrittenThroughItsLinkKeepingItsMode) {
  TempEnv env;
  // The settings file kept in a shared folder, linked from the program's.
  const std::string shared = env.Home() + "shared/";
  ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0);
  const std::string target = shared + "settings.ini";
  ASSERT_TRUE(WriteFileAtomically(target, "[NTRIP]\r\nServer=a\r\n", 0600));
  const std::string relative =
      QDir(QString::fromStdString(env.ProgramFolder())).relativeFilePath(QString::fromStdString(target)).toStdString();
  ASSERT_EQ(::symlink(relative.c_str(), env.SettingsFile().c_str()), 0);
  {
    IniFile ini;
    EXPECT_EQ(ini.ReadString("NTRIP", "Server", ""), "a");
    ini.WriteString("NTRIP", "Server", "b");
  }
  EXPECT_TRUE(S_ISLNK(Mode(env.SettingsFile())));
  EXPECT_EQ(env.ReadFile(target), "[NTRIP]\r\nServer=b\r\n");
  EXPECT_EQ(Mode(target) & 07777, 0600u);
  // Any other mode an existing file has is kept too; a new file follows the
  // umask.
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  IniFile().WriteString("NTRIP", "Port", "2101");
  EXPECT_EQ(Mode(target) & 07777, 0640u);
  const mode_t mask = ::umask(027);
  EXPECT_TRUE(WriteFileAtomically(env.Home() + "new.txt", "x"));
  ::umask(mask);
  EXPECT_EQ(Mode(env.Home() + "new.txt") & 07777, 0640u);
  // Nothing but the file is left in the shared folder.
  EXPECT_EQ(QDir(QString::fromStdString(shared)).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1);
}

TEST(IniFile, TheKeysOfOneObjectAreStoredInOneWriteOntoTheFileAsItIsThen) {
  TempEnv env;
  const std::string f = Write(env, "[A]\nz=1\n");
  IniFile first(f);
  first.WriteString("A", "y", "2");
  first.WriteString("B", "x", "3");
  EXPECT_EQ(env.ReadFile(f), "[A]\nz=1\n");  // nothing stored yet
  {
    // Another object opened on the file reads what the first wrote, and
    // what it writes stays when the first stores more.
    IniFile second(f);
    EXPECT_EQ(second.ReadString("B", "x", ""), "3");
    second.WriteString("C", "w", "4");
  }
  first.WriteString("A", "z", "5");
  ASSERT_TRUE(first.UpdateFile());
  EXPECT_EQ(env.ReadFile(f), "[A]\r\nz=5\r\ny=2\r\n\r\n[B]\r\nx=3\r\n\r\n[C]\r\nw=4\r\n");
}

TEST(IniFile, LineBreaksNeverLeaveTheirValueAndAreTold) {
  TempEnv env;
  std::vector<std::string> told;
  static std::vector<std::string>* sink;
  sink = &told;
  IniFile::SetTelling([](const std::string& text) { sink->push_back(text); });
  {
    IniFile ini;
    ini.WriteString("NTRIP", "Server", "caster.example");
    ini.WriteString("NTRIP", "Password", "se\r\ncret\n[X]\nServer=evil");
    ini.WriteString("NTRIP", "Port", "2101");
    ini.WriteString("NTRIP", "Username", "tab\tuser");
  }
  IniFile::SetTelling(nullptr);
  IniFile ini;
  EXPECT_FALSE(ini.SectionExists("X"));
  EXPECT_EQ(ini.ReadSection("NTRIP"), (std::vector<std::string>{"Server", "Password", "Port", "Username"}));
  EXPECT_EQ(ini.ReadString("NTRIP", "Server", ""), "caster.example");
  EXPECT_EQ(ini.ReadString("NTRIP", "Password", ""), "secret[X]Server=evil");
  EXPECT_EQ(ini.ReadString("NTRIP", "Port", ""), "2101");
  EXPECT_EQ(ini.ReadString("NTRIP", "Username", ""), "tab\tuser");  // a TAB inside a value is kept
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], "The value of Password in [NTRIP] of " + env.SettingsFile() +
                        " held line breaks; it was stored without them.");
}

TEST(IniFile, AStoreThatFailsIsToldOnceAndLeavesNoTemporaryFile) {
  TempEnv env;
  std::vector<std::string> told;
  static std::vector<std::string>* sink;
  sink = &told;
  IniFile::SetTelling([](const std::string& text) { sink->push_back(text); });
  // A folder in place of the file: nothing can be stored.
  const std::string name = env.Home() + "blocked.ini";
  ASSERT_EQ(::mkdir(name.c_str(), 0700), 0);
  {
    IniFile ini(name);
    for (int i = 0; i < 5; ++i) ini.WriteInteger("S", "k" + std::to_string(i), i);
  }
  {
    IniFile again(name);  // the same failure within one event: told once
    again.WriteInteger("S", "k", 1);
  }
  IniFile::SetTelling(nullptr);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].rfind("The settings file " + name + " could not be written", 0), 0u) << told[0];
  EXPECT_EQ(QDir(QString::fromStdString(env.Home())).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 0);
  // An explicit store tells its caller, not the user.
  IniFile ini(name);
  ini.WriteInteger("S", "k", 2);
  EXPECT_FALSE(ini.UpdateFile());
  EXPECT_EQ(told.size(), 1u);
}

}  // namespace
