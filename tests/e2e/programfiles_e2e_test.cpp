// The real program's own files while it runs: a package update or a rebuild
// renames a new executable over the running one, and the settings still go
// to the settings file beside it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <regex>
#include <string>

#include "tests/support/programrunner.h"

namespace {

std::string ReadFile(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

mode_t Mode(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(ProgramFilesE2E, AfterTheExecutableIsReplacedTheSettingsStillReachTheirFile) {
  ProgramRunner run;
  // A settings file the user left readable by everyone, with a caster login
  // the NTRIP window connects to by itself once the program runs (nothing
  // listens there), and a program started under a stricter umask than the
  // usual one.
  run.WriteSettings("[NAVIGATION_SETTINGS]\nTrackWidth=5\n"
                    "[NTRIP]\nServer=127.0.0.1\nPort=1\nUsername=bob\nPassword=secret\nMountPoint=MP\nAutoConnect=1\n");
  ASSERT_EQ(::chmod(run.SettingsFile().c_str(), 0644), 0);
  run.Process().setChildProcessModifier([] { ::umask(027); });
  ASSERT_TRUE(run.Start());
  // Connecting stores the window's settings, caster password included: the
  // file is its owner's alone from then on.
  ASSERT_TRUE(run.WaitFor([&] { return ReadFile(run.SettingsFile()).find("UseManualPosition=") != std::string::npos; }))
      << run.Output().toStdString();
  EXPECT_EQ(Mode(run.SettingsFile()), 0600u);
  const std::string today = QDate::currentDate().toString("yyyy-MM-dd").toStdString();
  const std::string events = run.Home() + "QVT/" + today + "/LOG/" + today + " Events.log";

  // The update: a new executable renamed over the running one.
  const std::string exe = run.ProgramFolder() + "QuarixDM";
  ASSERT_TRUE(QFile::copy(QString::fromStdString(exe), QString::fromStdString(exe + ".new")));
  ASSERT_EQ(::rename((exe + ".new").c_str(), exe.c_str()), 0);

  run.Process().terminate();
  ASSERT_TRUE(run.Process().waitForFinished(15000));
  EXPECT_EQ(run.Process().exitCode(), 0) << run.Output().toStdString();

  // The closing sequence's stores reached the settings file: the last drawing,
  // the placements and the map's settings, beside what was there.
  const std::string ini = ReadFile(run.SettingsFile());
  const std::regex saved("Auto-saved: ([^\\r\\n]+\\.qvt)");
  std::smatch m;
  const std::string log = ReadFile(events);
  ASSERT_TRUE(std::regex_search(log, m, saved)) << log << run.Output().toStdString();
  const std::string drawing = m[1];
  EXPECT_NE(ini.find("Last File Saved    =" + drawing), std::string::npos) << ini;
  EXPECT_NE(ini.find("[FNav]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("PlanWorldLeft="), std::string::npos) << ini;
  EXPECT_NE(ini.find("TrackWidth=5"), std::string::npos) << ini;
  EXPECT_EQ(QDir(QString::fromStdString(run.ProgramFolder())).entryList(QDir::Files, QDir::Name).join(", "),
            "QuarixDM, QuarixDM.INI");
  EXPECT_NE(ini.find("Password=secret"), std::string::npos) << ini;
  EXPECT_EQ(Mode(run.SettingsFile()), 0600u);
  // The drawing, a new file, follows the umask the program was started with.
  EXPECT_EQ(Mode(drawing), 0640u);
}

}  // namespace
