#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <csignal>

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

// Editors on other systems save a byte-order mark in front of the first
// section: the section is still found, and a write keeps one section of each
// name, every key where it was.
TEST(IniFile, AByteOrderMarkKeepsTheFirstSectionAndAWriteKeepsTheSectionsWhole) {
  TempEnv env;
  const std::string f =
      Write(env, "\xEF\xBB\xBF[FILE]\r\nLast File Saved        =c.qvt\r\n\r\n[SERIAL_PORT_MAP]\r\nCOM3=/dev/ttyUSB0\r\n");
  {
    IniFile ini(f);
    EXPECT_EQ(ini.ReadString("FILE", "Last File Saved", ""), "c.qvt");
    EXPECT_EQ(ini.ReadSection("FILE"), std::vector<std::string>{"Last File Saved"});
    EXPECT_TRUE(ini.SectionExists("file"));
    ini.WriteString("FILE", "Last File Saved        ", "d.qvt");
    ini.WriteString("SERIAL_PORT_MAP", "COM4", "/dev/ttyUSB1");
  }
  EXPECT_EQ(env.ReadFile(f),
            "[FILE]\r\nLast File Saved        =d.qvt\r\n\r\n[SERIAL_PORT_MAP]\r\nCOM3=/dev/ttyUSB0\r\nCOM4=/dev/ttyUSB1\r\n");
  EXPECT_EQ(IniFile(f).ReadString("FILE", "Last File Saved", ""), "d.qvt");
}

// A settings file that is no regular file (a FIFO left under its name) is
// never waited on: its keys read as their defaults, and it is not written
// over.
TEST(IniFile, ASettingsFileThatIsAFifoIsNeitherWaitedOnNorReplaced) {
  TempEnv env;
  const std::string f = env.Home() + "fifo.ini";
  ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0);
  std::vector<std::string> told;
  static std::vector<std::string>* sink = nullptr;
  sink = &told;
  IniFile::SetTelling([](const std::string& text) { sink->push_back(text); });
  {
    IniFile ini(f);
    EXPECT_EQ(ini.ReadString("FILE", "Last File Saved", "none"), "none");
    ini.WriteString("FILE", "Last File Saved", "e.qvt");
    EXPECT_FALSE(ini.UpdateFile());
  }
  IniFile::SetTelling(nullptr);
  struct stat st {};
  ASSERT_EQ(::lstat(f.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// A file edited by hand on another system may end its lines in CR alone.
TEST(IniFile, ReadsCrOnlyFilesAsLfOnes) {
  TempEnv env;
  const std::string f = Write(env, "[A]\rz=1\ry = two \r[B]\rx=3\r");
  IniFile ini(f);
  EXPECT_EQ(ini.ReadSection("a"), (std::vector<std::string>{"z", "y"}));
  EXPECT_EQ(ini.ReadString("A", "y", ""), "two");
  EXPECT_EQ(ini.ReadString("B", "x", ""), "3");
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

TEST(IniFile, ALinkedSettingsFileIsWrittenThroughItsLinkAndKeptPrivate) {
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
  // It holds the caster password: a mode that lets others read it (given by
  // the user or an earlier version) does not survive the next store, the
  // owner's own bits do.
  for (const auto& [before, after] : {std::pair<mode_t, mode_t>{0644, 0600}, {0640, 0600}, {0604, 0600}, {0755, 0700},
                                      {0444, 0400}}) {
    ASSERT_EQ(::chmod(target.c_str(), before), 0);
    IniFile().WriteString("NTRIP", "Password", "secret");
    EXPECT_EQ(Mode(target) & 07777, after) << std::oct << before;
    EXPECT_TRUE(S_ISLNK(Mode(env.SettingsFile())));
  }
  EXPECT_EQ(IniFile().ReadString("NTRIP", "Password", ""), "secret");
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

// Files larger than `bytes` cannot be written while it lives: a write that
// passes the limit fails (EFBIG) as on a full disk, after the temporary file
// was made and partly written.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }

 private:
  rlimit old_{};
  void (*oldSignal_)(int);
};

std::vector<std::string>* toldSink;
void Collect(const std::string& text) { toldSink->push_back(text); }

TEST(IniFile, AStoreThatFailsIsToldOnceAndLeavesNoTemporaryFile) {
  TempEnv env;
  std::vector<std::string> told;
  toldSink = &told;
  IniFile::SetTelling(Collect);
  const std::string name = env.Home() + "full.ini";
  const std::string before = "[S]\r\nk=0\r\n";
  ASSERT_TRUE(WriteFileAtomically(name, before));
  const std::string value(4096, 'v');
  {
    const FileSizeLimit full(1024);
    {
      IniFile ini(name);
      for (int i = 0; i < 5; ++i) ini.WriteString("S", "k" + std::to_string(i), value);
    }
    {
      IniFile again(name);  // the same failure: told once
      again.WriteString("S", "k", value);
    }
    // An explicit store tells its caller, not the user.
    IniFile ini(name);
    ini.WriteString("S", "k", value);
    EXPECT_FALSE(ini.UpdateFile());
    EXPECT_EQ(errno, EFBIG);
  }
  IniFile::SetTelling(nullptr);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].rfind("The settings file " + name + " could not be written (File too large)", 0), 0u) << told[0];
  // The file as it was, and nothing beside it.
  EXPECT_EQ(env.ReadFile(name), before);
  EXPECT_EQ(QDir(QString::fromStdString(env.Home())).entryList(QDir::Files | QDir::Hidden | QDir::System).join(", "),
            "full.ini");
}

// Closing stores some sixteen objects, and each message box runs an event loop
// of its own: a failure that goes on is told once, and told again only after
// the file could be stored in between.
TEST(IniFile, AFailureThatGoesOnIsToldOnceEvenAcrossMessageBoxes) {
  TempEnv env;
  std::vector<std::string> told;
  toldSink = &told;
  IniFile::SetTelling([](const std::string& text) {
    toldSink->push_back(text);
    QEventLoop box;  // what a modal message box does while it is shown
    QTimer::singleShot(0, &box, &QEventLoop::quit);
    box.exec();
  });
  const std::string name = env.Home() + "full.ini";
  const std::string value(4096, 'v');
  const auto closing = [&] {
    for (int i = 0; i < 16; ++i) IniFile(name).WriteString("W" + std::to_string(i), "Left", value);
  };
  {
    const FileSizeLimit full(1024);
    closing();
    EXPECT_EQ(told.size(), 1u);
    QCoreApplication::processEvents();  // the next event: still failing, still told once
    closing();
    // A window that tells its own store failure tells it only as the first.
    IniFile own(name);
    own.WriteString("NAVIGATION_SETTINGS", "TrackWidth", value);
    EXPECT_FALSE(own.UpdateFile());
    EXPECT_FALSE(IniFile::NewFailure(name));
    EXPECT_EQ(told.size(), 1u);
  }
  IniFile(name).WriteString("S", "k", "1");  // the disk has room again
  {
    const FileSizeLimit full(1024);
    closing();
  }
  IniFile::SetTelling(nullptr);
  EXPECT_EQ(told.size(), 2u);
  EXPECT_EQ(IniFile(name).ReadString("S", "k", ""), "1");
  EXPECT_FALSE(IniFile::NewFailure(name));  // the failure since then was told
}

}  // namespace
