// The real program's first start from an empty program folder.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>

#include "tests/support/programrunner.h"

namespace {

TEST(MainWindowE2E, FirstStartMakesTheWholeDayFolderTreeAndLeavesNoGeodesyLog) {
  ProgramRunner run;
  ASSERT_TRUE(run.Start());
  const QString day =
      QString::fromStdString(run.Home()) + "QVT/" + QDate::currentDate().toString("yyyy-MM-dd") + "/";
  EXPECT_TRUE(run.WaitFor([&] {
    for (const char* sub : {"QVT", "LOG", "XYZ", "SVP", "JPG", "MP4"})
      if (!QDir(day + sub).exists()) return false;
    return true;
  })) << run.Output().toStdString();
  // The language folder comes with the dictionary, made after the day folders.
  EXPECT_TRUE(run.WaitFor([&] { return QDir(QString::fromStdString(run.ProgramFolder()) + "Languages").exists(); }));
  run.WaitFor([] { return false; }, 1000);
  EXPECT_EQ(run.Process().state(), QProcess::Running);
  // Nothing is surveyed before Realtime is pressed.
  EXPECT_TRUE(QDir(day + "LOG").entryList({"*Geodesy.txt"}, QDir::Files).isEmpty());
  EXPECT_FALSE(run.Output().contains("quarix.prompts")) << run.Output().toStdString();
}

}  // namespace
