// Screenshots over a survey day: the resident memory a program keeps after
// each screenshot tick, with the idle time of the default interval passing
// between pictures.
//
// The real screenshot path runs: the main window's taker grabs every screen,
// its worker encodes the pictures at PNG level 9 and writes them into a
// temporary day folder. Between two pictures the benchmark waits until every
// thread Qt keeps idle in its global pool has expired, as it has in the 60 s
// of the default interval. To keep the run short the pool's expiry timeout is
// shortened from Qt's 30 s to 5 s and the wait to 10 s: still longer than the
// writing of a picture, so that, as over a minute, pool threads started for a
// picture outlive the thread that wrote it, and all are gone before the next.
//
// Run it on a screen of survey size, e.g. under "Xvfb :35 -screen 0
// 3840x1080x24" with DISPLAY=:35. Without a display it uses Qt's offscreen
// platform with a 3840 x 1080 screen (where grabs come back empty and the
// pictures are black ones of the screen's size).
//
// Printed: VmRSS after the second and after the last picture, and the growth
// per picture beside its target (at most 2 MB a picture); for information,
// the longest time a tick took on the calling thread and the longest wait for
// the writer after it.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QThreadPool>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "app/helpers.h"
#include "runtime/screenshots.h"

namespace {

constexpr int kPictures = 12;
constexpr double kTargetMbPerPicture = 2.0;
// SCREENSHOT_BENCH_EXPIRY_MS=30000 keeps Qt's own expiry (and waits 60 s).
const int kPoolExpiryMs = qEnvironmentVariableIsSet("SCREENSHOT_BENCH_EXPIRY_MS")
                              ? qEnvironmentVariableIntValue("SCREENSHOT_BENCH_EXPIRY_MS")
                              : 5000;
const auto kIdle = std::chrono::milliseconds(2 * kPoolExpiryMs);

double ResidentMb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

// Something like a survey screen to grab: a map with grid, tracks and text
// on a gradient, so the encoder has real work.
class SurveyScreen : public QRasterWindow {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QLinearGradient g(0, 0, width(), height());
    g.setColorAt(0, QColor(20, 60, 110));
    g.setColorAt(1, QColor(200, 220, 235));
    p.fillRect(QRect(QPoint(), size()), g);
    p.setPen(QColor(90, 90, 90));
    for (int x = 0; x < width(); x += 97) p.drawLine(x, 0, x, height());
    for (int y = 0; y < height(); y += 97) p.drawLine(0, y, width(), y);
    for (int line = 0; line < 60; ++line) {
      p.setPen(QPen(QColor::fromHsv((line * 37) % 360, 200, 220), 2));
      QPolygon track;
      for (int x = 0; x < width(); x += 40) track << QPoint(x, 20 + line * 17 + ((x * (line + 3)) / 7) % 23);
      p.drawPolyline(track);
    }
    p.setPen(Qt::black);
    for (int i = 0; i < 400; ++i)
      p.drawText((i * 271) % width(), (i * 53) % height(), QString::number(12.34 + i * 0.17, 'f', 2));
  }
};

void BM_ScreenshotsAtDefaultInterval(benchmark::State& state) {
  for (auto _ : state) {
    QTemporaryDir day;
    DayLogFolder = QDir(day.path()).filePath("LOG/").toStdString();
    double afterSecond = 0, afterLast = 0, tickMs = 0, writeMs = 0;
    ScreenshotTaker taker;
    for (int picture = 1; picture <= kPictures; ++picture) {
      const auto start = std::chrono::steady_clock::now();
      taker.Tick();
      const auto ticked = std::chrono::steady_clock::now();
      if (taker.WaitForPictures().empty()) state.SkipWithError("no picture written");
      const auto written = std::chrono::steady_clock::now();
      tickMs = std::max(tickMs, std::chrono::duration<double, std::milli>(ticked - start).count());
      writeMs = std::max(writeMs, std::chrono::duration<double, std::milli>(written - ticked).count());
      std::this_thread::sleep_for(kIdle);
      QCoreApplication::processEvents();
      if (picture == 2) afterSecond = ResidentMb();
      if (picture == kPictures) afterLast = ResidentMb();
    }
    const double perPicture = (afterLast - afterSecond) / (kPictures - 2);
    state.counters["rss_after_2nd_MB"] = afterSecond;
    state.counters["rss_after_last_MB"] = afterLast;
    state.counters["growth_MB_per_picture"] = perPicture;
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    std::printf("\nScreenshots of %dx%d, %d pictures, %lld ms idle between them (pool expiry %d ms)\n",
                screen.width(), screen.height(), kPictures, static_cast<long long>(kIdle.count()),
                kPoolExpiryMs);
    std::printf("VmRSS after picture 2:  %8.1f MB\n", afterSecond);
    std::printf("VmRSS after picture %d: %8.1f MB\n", kPictures, afterLast);
    std::printf("longest tick on the calling thread %.0f ms; longest wait after it for the writer %.0f ms\n",
                tickMs, writeMs);
    std::printf("growth per picture:     %8.2f MB   target <= %.2f MB   ratio %.2f   %s\n\n", perPicture,
                kTargetMbPerPicture, perPicture / kTargetMbPerPicture,
                perPicture <= kTargetMbPerPicture ? "ok" : "MISSED");
  }
}
BENCHMARK(BM_ScreenshotsAtDefaultInterval)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir config;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
    const QString file = config.filePath("screens.json");
    QFile f(file);
    if (f.open(QIODevice::WriteOnly))
      f.write(R"({"screens": [{"name": "survey", "x": 0, "y": 0, "width": 3840, "height": 1080}]})");
    f.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file).toUtf8());
  }
  QGuiApplication app(argc, argv);
  QThreadPool::globalInstance()->setExpiryTimeout(kPoolExpiryMs);
  SurveyScreen screen;
  screen.setGeometry(QGuiApplication::primaryScreen()->geometry());
  screen.showFullScreen();
  for (int i = 0; i < 20; ++i) {  // let it be mapped and painted
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
