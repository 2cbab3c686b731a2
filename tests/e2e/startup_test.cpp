#include <gtest/gtest.h>

#include <QDate>
#include <QDir>

#include "tests/support/programrunner.h"

namespace {

TEST(Startup, FirstStartCreatesTheDayFoldersAndShowsNoError) {
  ProgramRunner run;
  ASSERT_TRUE(run.Start());
  const QString day = QString::fromStdString(run.Home()) + "QVT/" + QDate::currentDate().toString("yyyy-MM-dd") + "/";
  EXPECT_TRUE(run.WaitFor([&] {
    for (const char* sub : {"QVT", "LOG", "XYZ", "SVP"})
      if (!QDir(day + sub).exists()) return false;
    return true;
  })) << run.Output().toStdString();
  // Give start-up time to finish, then check that nothing was shown to the user.
  run.WaitFor([] { return false; }, 1500);
  EXPECT_EQ(run.Process().state(), QProcess::Running);
  EXPECT_FALSE(run.Output().contains("quarix.prompts")) << run.Output().toStdString();
}

}  // namespace
