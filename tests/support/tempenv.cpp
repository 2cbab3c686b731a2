#include "tests/support/tempenv.h"

#include <QDir>

#include "app/helpers.h"
#include "app/textfile.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/prompts.h"

TempEnv::TempEnv(const QDateTime& now) : oldHome_(qgetenv("HOME")), now_(now) {
  QDir(dir_.path()).mkpath("home");
  QDir(dir_.path()).mkpath("prog");
  qputenv("HOME", (dir_.path() + "/home").toUtf8());
  platform::SetProgramPathForTests((dir_.path() + "/prog/QuarixDM").toStdString());
  platform::SetNowSource([this] { return now_; });
  InitDayFolderTexts();
  prompts::StartScript();
}

TempEnv::~TempEnv() {
  platform::SetNowSource({});
  platform::SetProgramPathForTests({});
  qputenv("HOME", oldHome_);
}

std::string TempEnv::Home() const { return (dir_.path() + "/home/").toStdString(); }
std::string TempEnv::ProgramFolder() const { return (dir_.path() + "/prog/").toStdString(); }
std::string TempEnv::SettingsFile() const { return platform::SettingsFileName(); }
void TempEnv::SetNow(const QDateTime& now) { now_ = now; }

std::string TempEnv::ReadFile(const std::string& path) const {
  std::string s;
  ReadWholeFile(path, s);
  return s;
}

std::string TestData(const std::string& name) { return std::string(QUARIX_TEST_DATA_DIR) + "/" + name; }
std::string SharedTestData(const std::string& name) {
  return std::string(QUARIX_SHARED_TESTDATA_DIR) + "/" + name;
}
