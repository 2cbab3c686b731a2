#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "app/helpers.h"
#include "platform/prompts.h"
#include "runtime/screenshots.h"
#include "tests/support/tempenv.h"

namespace {

// An encoder that holds each picture until the test lets it go (or, so that
// a test whose thread waits for the writer fails instead of hanging, until
// ten seconds have passed), and fails the pictures it is told to.
class GatedEncoder {
 public:
  ScreenshotTaker::Encoder Encoder() {
    return [this](const QImage& picture, const std::string&) {
      std::unique_lock<std::mutex> lock(mutex_);
      const int me = started_++;
      sizes_.push_back(picture.size());
      changed_.notify_all();
      changed_.wait_for(lock, std::chrono::seconds(10), [&] { return released_ > me; });
      ++finished_;
      changed_.notify_all();
      return me >= failFirst_;
    };
  }
  void FailFirst(int count) {
    std::lock_guard<std::mutex> lock(mutex_);
    failFirst_ = count;
  }
  void WaitStarted(int count) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return started_ >= count; });
  }
  void WaitFinished(int count) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return finished_ >= count; });
  }
  void Release(int count) {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = count;
    changed_.notify_all();
  }
  int Finished() {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
  }
  std::vector<QSize> Sizes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sizes_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int started_ = 0, released_ = 0, finished_ = 0, failFirst_ = 0;
  std::vector<QSize> sizes_;
};

// Runs the calling thread's events until the condition holds (ten seconds at most).
template <typename Condition>
bool ProcessEventsUntil(Condition condition) {
  QDeadlineTimer deadline(10000);
  while (!condition() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return condition();
}

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

// Ticks that come while pictures are still being written return at once;
// one tick may wait behind the one being written, and a further one takes no
// pictures (noted once in the events log) instead of piling them up.
TEST(Screenshots, TicksNeverWaitForTheWriter) {
  TempEnv env;
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(DayLogFolder)));
  GatedEncoder gate;
  ScreenshotTaker taker(gate.Encoder());
  const std::vector<std::string> files = taker.Tick();
  ASSERT_EQ(files.size(), 1u);
  gate.WaitStarted(1);
  EXPECT_EQ(taker.Tick(), files);
  EXPECT_EQ(gate.Finished(), 0);  // the second tick did not wait for the first picture
  EXPECT_TRUE(taker.Tick().empty());
  EXPECT_TRUE(taker.Tick().empty());
  EXPECT_EQ(gate.Finished(), 0);
  const std::string log = env.ReadFile(EventsLogFileName());
  const std::string skipped = "Screenshots skipped: the pictures taken before are still being written";
  EXPECT_NE(log.find(skipped), std::string::npos);
  EXPECT_EQ(log.find(skipped), log.rfind(skipped));

  gate.Release(2);
  EXPECT_EQ(taker.WaitForPictures(), files);
  EXPECT_EQ(gate.Finished(), 2);
  // The writer caught up: the next tick takes its pictures again.
  gate.Release(3);
  EXPECT_EQ(taker.Tick(), files);
  EXPECT_EQ(taker.WaitForPictures(), files);
  EXPECT_EQ(gate.Sizes(), std::vector<QSize>(3, QGuiApplication::primaryScreen()->geometry().size()));
}

// The writer's notice of a finished tick reaches the window's thread without
// waiting for the picture of the tick after it, also when that tick came
// before the notice did.
TEST(Screenshots, NoticeOfAWrittenPictureNeverWaitsForTheNext) {
  TempEnv env;
  GatedEncoder gate;
  gate.FailFirst(1);
  ScreenshotTaker taker(gate.Encoder());
  const std::vector<std::string> files = taker.Tick();
  gate.Release(1);
  gate.WaitFinished(1);
  taker.Tick();  // before the first tick's notice is handled
  gate.WaitStarted(2);
  QCoreApplication::processEvents();  // what is queued by now
  ASSERT_TRUE(ProcessEventsUntil([] { return !prompts::CurrentScript().shown.empty(); }));
  EXPECT_EQ(gate.Finished(), 1);  // told while the second picture is still held
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
  EXPECT_EQ(prompts::CurrentScript().shown[0].toStdString(), "Screenshot could not be saved: " + files[0]);
  gate.Release(2);
  EXPECT_EQ(taker.WaitForPictures(), files);
  EXPECT_EQ(prompts::CurrentScript().shown.size(), 1u);
}

// What is written of a monitor: the system's 32-bit picture of the monitor's
// size as it is (no copy), anything else copied onto black in a picture of
// the monitor's size that is used again for the next tick.
TEST(Screenshots, MonitorPictureOfWhatTheSystemGave) {
  const QSize monitor(64, 32);
  const QRgb cyan = qRgb(0, 255, 255);  // exact in every format below
  struct Case {
    const char* what;
    QImage shot;
    QRect covered;  // where the shot shows; black elsewhere
  };
  auto filled = [&](QSize size, QImage::Format format) {
    QImage image(size, format);
    image.fill(QColor(cyan));
    return image;
  };
  const Case cases[] = {
      {"nothing", QImage(), QRect()},
      {"32-bit ARGB premultiplied", filled(monitor, QImage::Format_ARGB32_Premultiplied), QRect(QPoint(), monitor)},
      {"24-bit, smaller", filled(QSize(40, 20), QImage::Format_RGB888), QRect(0, 0, 40, 20)},
      {"32-bit RGB, larger", filled(QSize(80, 40), QImage::Format_RGB32), QRect(QPoint(), monitor)},
      {"16-bit", filled(monitor, QImage::Format_RGB16), QRect(QPoint(), monitor)},
  };
  QImage canvas;
  const uchar* canvasBits = nullptr;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QImage& picture = MonitorPicture(c.shot, monitor, canvas);
    ASSERT_EQ(&picture, &canvas);
    ASSERT_EQ(picture.size(), monitor);
    ASSERT_EQ(picture.format(), QImage::Format_RGB32);
    if (canvasBits) {
      EXPECT_EQ(canvas.constBits(), canvasBits);  // the same buffer again
    }
    canvasBits = canvas.constBits();
    for (int y = 0; y < monitor.height(); ++y)
      for (int x = 0; x < monitor.width(); ++x)
        ASSERT_EQ(picture.pixel(x, y), c.covered.contains(x, y) ? cyan : qRgb(0, 0, 0)) << x << "," << y;
  }
  const QImage whole = filled(monitor, QImage::Format_RGB32);
  EXPECT_EQ(&MonitorPicture(whole, monitor, canvas), &whole);
}

}  // namespace
