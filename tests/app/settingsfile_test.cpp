#include <gtest/gtest.h>

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
  EXPECT_EQ(env.ReadFile(f), "[FILE]\r\nLast File Saved        =b.qvt\r\n\r\n[OVERLAY_SETTINGS]\r\nFontSize=40\r\n");
}

TEST(IniFile, ReadsLfFilesAndKeepsOrder) {
  TempEnv env;
  const std::string f = Write(env, "[A]\nz=1\ny = two \n[B]\nx=3\n");
  IniFile ini(f);
  EXPECT_EQ(ini.ReadSection("a"), (std::vector<std::string>{"z", "y"}));
  EXPECT_EQ(ini.ReadString("A", "y", ""), "two");
  ini.WriteString("A", "w", "4");
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
  QFile f(QString::fromStdString(env.SettingsFile()));
  EXPECT_EQ(f.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
}

}  // namespace
