#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include "app/helpers.h"
#include "platform/prompts.h"
#include "runtime/screenshots.h"
#include "tests/support/tempenv.h"

namespace {

TEST(Screenshots, EveryScreenSavedAsA24BitPng) {
  TempEnv env;
  ASSERT_EQ(QGuiApplication::screens().size(), 1);
  ScreenshotTaker taker;
  const std::vector<std::string> files = taker.Tick();
  const std::string expected = DayFolder + "PNG/QDM 2026-01-30 143512 Primary.png";
  ASSERT_EQ(files, std::vector<std::string>{expected});
  ASSERT_EQ(taker.WaitForPictures(), files);
  std::string bytes = env.ReadFile(expected);
  ASSERT_GT(bytes.size(), 33u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  EXPECT_EQ(bytes[24], 8);  // bit depth
  EXPECT_EQ(bytes[25], 2);  // colour type: RGB, no alpha
  const size_t idat = bytes.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  EXPECT_EQ(static_cast<unsigned char>(bytes[idat + 5]), 0xDAu);  // zlib header: level 9
  const QImage img(QString::fromStdString(expected));
  EXPECT_EQ(img.size(), QGuiApplication::primaryScreen()->geometry().size());
  EXPECT_TRUE(prompts::CurrentScript().shown.empty());

  // The next tick overwrites the picture of the same second.
  EXPECT_EQ(taker.Tick(), files);
  EXPECT_EQ(taker.WaitForPictures(), files);
}

TEST(Screenshots, SaveFailureIsReportedOnceAndSkipped) {
  TempEnv env;
  const QString png = QString::fromStdString(DayFolder + "PNG/");
  // A folder in the picture's place: the picture cannot be written.
  ASSERT_TRUE(QDir().mkpath(png + "QDM 2026-01-30 143512 Primary.png"));
  ScreenshotTaker taker;
  taker.Tick();
  EXPECT_TRUE(taker.WaitForPictures().empty());
  taker.Tick();
  EXPECT_TRUE(taker.WaitForPictures().empty());
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
  EXPECT_EQ(prompts::CurrentScript().shown[0].toStdString(),
            "Screenshot could not be saved: " + DayFolder + "PNG/QDM 2026-01-30 143512 Primary.png");

  // A later tick saves again; a failure after it is reported again.
  env.SetNow(QDateTime(QDate(2026, 1, 30), QTime(14, 36, 12)));
  taker.Tick();
  EXPECT_EQ(taker.WaitForPictures().size(), 1u);
  ASSERT_TRUE(QDir(png).removeRecursively());
  QFile blocker(png.chopped(1));  // a file where the folder belongs
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_TRUE(taker.Tick().empty());
  EXPECT_TRUE(taker.Tick().empty());
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 2u);
  EXPECT_EQ(prompts::CurrentScript().shown[1].toStdString(),
            "Screenshot folder could not be created: " + DayFolder + "PNG/");
}

}  // namespace
