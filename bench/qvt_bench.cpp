// Drawing file load and save on a survey-day drawing (430,000 shapes:
// coloured track lines, labels, polylines) and on 1,000,000 shapes (an XYZ
// import saved as points), written as the program writes them.
// Targets, each against zlib on the same bytes in the same run:
//  - load (read, inflate, parse, onto the map) <= 3 x inflate of the file;
//  - save (text, deflate, write) <= 1.3 x deflate of the drawing text;
//  - load time of each record kind grows in proportion to the records: 8
//    times the records take <= 10 x the time (onto an emptied map and added
//    to a drawing of 1,000 points), thread CPU time, best of five.
#include <zlib.h>

#include <QDateTime>
#include <QTemporaryDir>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "canvas/canvasmodel.h"
#include "drawingfiles/qvtfile.h"
#include "tests/support/qvtrecords.h"

namespace {

double Seconds(const std::function<void()>& f, int runs = 3) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

void SurveyDay(TQuarixCanvasModel& c) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> d(-5, 5);
  const int fix = c.LayerOpen("track_fix"), flt = c.LayerOpen("track_float"), labels = c.LayerOpen("event_number");
  const int chart = c.LayerOpen("chart");
  double x = 450000, y = 4500000;
  for (int i = 0; i < 400000; ++i) {
    const double nx = x + d(rng), ny = y + d(rng);
    const int32_t n = c.DrawLine(x, y, nx, ny, i % 10 ? fix : flt);
    c.Shapes.back()->PenFg = i % 10 ? 0x00AA00 : 0x00AAAA;
    c.Shapes.back()->PenWidth = 2;
    (void)n;
    x = nx, y = ny;
    if (i % 20 == 0) c.TextAdd(labels, std::to_string(i / 20), x, y, 0);
  }
  for (int i = 0; i < 10000; ++i) {
    std::vector<std::pair<double, double>> pts;
    for (int v = 0; v < 10; ++v) pts.push_back({450000 + d(rng) * 1000, 4500000 + d(rng) * 1000});
    c.DrawPolyline(pts, chart, false);
  }
}

void Points(TQuarixCanvasModel& c) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> d(0, 20000), z(2, 60);
  const int layer = c.LayerOpen("_dxf_soundings.xyz");
  for (int i = 0; i < 1000000; ++i) {
    c.DrawPoint(450000 + d(rng), 4500000 + d(rng), layer);
    static_cast<TQPoint*>(c.Shapes.back())->Z = z(rng);
  }
}

void Run(const char* name, const std::function<void(TQuarixCanvasModel&)>& fill, const std::string& dir) {
  TQuarixCanvasModel source;
  fill(source);
  const std::string file = dir + "/drawing.qvt";
  const std::string text = qvt::BuildDrawingText(source, QDateTime::currentDateTime());
  std::string packed;
  qvt::PackDrawingText(text, packed);

  std::string out(text.size(), '\0');
  const double inflate = Seconds([&] {
    uLongf n = out.size();
    uncompress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(packed.data() + 4),
               packed.size() - 4);
  });
  std::string deflated(compressBound(text.size()), '\0');
  const double deflate = Seconds([&] {
    uLongf n = deflated.size();
    compress2(reinterpret_cast<Bytef*>(deflated.data()), &n, reinterpret_cast<const Bytef*>(text.data()),
              text.size(), Z_DEFAULT_COMPRESSION);
  });
  const double save = Seconds([&] { source.CadSave(file); });
  // The load onto a fresh map, as at start; freeing the map afterwards is
  // not part of it.
  std::size_t loaded = 0;
  double load = 1e9;
  for (int i = 0; i < 3; ++i) {
    auto map = std::make_unique<TQuarixCanvasModel>();
    load = std::min(load, Seconds([&] { map->CadLoad(file, -1, -1, 0); }, 1));
    loaded = map->Shapes.size();
  }
  std::printf("%s: %zu shapes, text %.1f MB, file %.1f MB\n", name, loaded, text.size() / 1e6, packed.size() / 1e6);
  std::printf("  load %.3f s, inflate %.3f s: ratio %.2f (target <= 3.0)\n", load, inflate, load / inflate);
  std::printf("  save %.3f s, deflate %.3f s: ratio %.2f (target <= 1.3)\n", save, deflate, save / deflate);
}

// CPU time of this thread, in seconds: unlike the wall clock it does not
// count the time other processes take.
double ThreadSeconds() {
  timespec ts{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Each record kind the reader builds, in drawings of 1, 2, 4 and 8 times a
// size, saved packed as the program saves them. Work that looks every new
// shape up in the drawing grows with the square of the records (64 times
// from the first size to the last); a linear read grows 8 times, a little
// more where the larger drawings leave the caches.
void Linearity(const std::string& dir) {
  const std::vector<QvtRecordKind> kinds = QvtRecordKinds();
  const int base = 5000;
  std::printf("load time against records (1x to 8x of %d):\n", base);
  for (const QvtRecordKind& kind : kinds) {
    std::vector<std::string> files;
    for (int scale : {1, 2, 4, 8}) {
      std::string text = "LAYER 1 records\n", packed;
      for (int i = 0; i < base * scale; ++i) text += kind.record(i);
      qvt::PackDrawingText(text, packed);
      files.push_back(dir + "/linear" + std::to_string(scale) + ".qvt");
      FILE* f = std::fopen(files.back().c_str(), "wb");
      if (!f) return;
      std::fwrite(packed.data(), 1, packed.size(), f);
      std::fclose(f);
    }
    for (int mode : {0, 2}) {
      std::vector<double> best(files.size(), 1e9);
      for (int round = 0; round < 5; ++round) {
        for (std::size_t f = 0; f < files.size(); ++f) {
          TQuarixCanvasModel c;
          for (int i = 0; i < 1000; ++i) c.DrawPoint(i, i, 0);
          const double t0 = ThreadSeconds();
          c.CadLoad(files[f], -1, -1, mode);
          best[f] = std::min(best[f], ThreadSeconds() - t0);
        }
      }
      std::printf("  %-16s mode %d: %.4f s .. %.4f s: ratio %.2f (target <= 10)\n", kind.name, mode, best[0], best[3],
                  best[3] / best[0]);
    }
  }
}

}  // namespace

int main() {
  QTemporaryDir dir;
  const std::string d = dir.path().toStdString();
  Run("survey day", SurveyDay, d);
  Run("1,000,000 points", Points, d);
  Linearity(d);
  return 0;
}
