// Map canvas at survey scale, 1920 x 1080 pixels. One survey day is
//  - a background drawing of 250,000 shapes over about 20 x 20 km (150,000
//    lines, 75,000 polylines of 20 vertices, 25,000 texts),
//  - a track of 180,000 points on the three track layers (survey lines 5 km
//    long, 25 m apart),
//  - depth labels every 10 m of track (the canvas keeps the last 10,000) and
//    500 event labels; the day's runlines, drawn before any of it;
// scenes of 1, 2 and 4 days (430,000 to 1.7 million shapes), each day's
// area east of the previous day's, with the vessel symbol at the end of the
// last day's track: following the vessel sees as much at 4 days as at 1.
// Measured on each scene: a rebuild of the back buffer and a navigation tick
// with its repaint, following the vessel (200 m view) and with the whole
// drawing in view; a whole frame (back buffer, labels, overlays) after a view
// change; memory per shape including the spatial index. The summary at the
// end prints every figure beside its target, and the 4-day / 1-day ratios.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <cmath>
#include <memory>
#include <random>

#include "bench/childrun.h"
#include "canvas/QuarixCanvas.h"
#include "canvas/qpaintercanvas.h"

namespace {

constexpr double kEast0 = 500000, kNorth0 = 4500000, kArea = 20000;
constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kLinesPerDay = 36;  // survey lines of 5000 points

struct Survey {
  int days = 0;
  std::unique_ptr<TQuarixCanvas> canvas;
  int vessel = 0, fix = 0, flt = 0, nofix = 0;
  double vx = 0, vy = 0;  // vessel position (end of the track)
  std::size_t shapes = 0;
  double bytesPerShape = 0;
  double indexBytesPerShape = 0;
};

// Heap in use, large blocks the allocator maps on their own included.
std::size_t HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

void AddBackground(TQuarixCanvas& c, std::mt19937& rng, double east0) {
  std::uniform_real_distribution<double> pos(0, kArea), len(5, 120), ang(0, 2 * M_PI), step(10, 40),
      depth(2, 60);
  const int chart = c.LayerOpen("chart");
  const int contours = c.LayerOpen("contours");
  const int soundings = c.LayerOpen("soundings");
  c.SetLayerPenFg(chart, 0x404040);
  c.SetLayerPenFg(contours, 0x808000);
  c.SetLayerPenFg(soundings, clNavy);
  for (int i = 0; i < 150000; ++i) {
    const double x = east0 + pos(rng), y = kNorth0 + pos(rng), a = ang(rng), l = len(rng);
    c.DrawLine(x, y, x + l * std::cos(a), y + l * std::sin(a), chart);
  }
  std::vector<std::pair<double, double>> pts(20);
  for (int i = 0; i < 75000; ++i) {
    double x = east0 + pos(rng), y = kNorth0 + pos(rng), a = ang(rng);
    for (auto& p : pts) {
      p = {x, y};
      a += (ang(rng) - M_PI) * 0.2;
      const double s = step(rng);
      x += s * std::cos(a);
      y += s * std::sin(a);
    }
    c.DrawPolyline(pts, contours, false);
  }
  char text[16];
  for (int i = 0; i < 25000; ++i) {
    std::snprintf(text, sizeof text, "%.1f", depth(rng));
    c.TextAdd(soundings, text, east0 + pos(rng), kNorth0 + pos(rng), 0);
  }
}

// One day's survey lines, 25 m apart, a point per metre; the fix quality
// changes every 1000 points. A depth label every 10 m, an event label every
// 360 points up to 500 a day.
void AddTrack(Survey& s, int day, double east0) {
  TQuarixCanvas& c = *s.canvas;
  const int layers[] = {s.fix, s.fix, s.fix, s.flt, s.fix, s.nofix};
  int n = 0, events = 0;
  for (int line = 0; line < kLinesPerDay; ++line) {
    const double y = kNorth0 + 5000 + line * 25.0;
    for (int i = 0; i < 5000; ++i, ++n) {
      const double x = east0 + 5000 + ((line % 2) ? 5000 - i : i);
      c.DrawPoint(x, y, layers[(n / 1000) % 6]);
      if (n % 10 == 0) c.AddDepthLabel(x, y, 10 + (n % 500) * 0.1);
      if (n % 360 == 0 && events < 500) c.AddEventLabel(x, y, ++events);
      s.vx = x;
      s.vy = y;
    }
  }
}

void DrawVessel(Survey& s) {
  TQuarixCanvas& c = *s.canvas;
  const double x = s.vx, y = s.vy;
  const double pts[][2] = {{0, 12}, {4, 4}, {4, -10}, {-4, -10}, {-4, 4}, {0, 12}};
  for (int i = 0; i + 1 < 6; ++i)
    c.DrawLine(x + pts[i][0], y + pts[i][1], x + pts[i + 1][0], y + pts[i + 1][1], s.vessel);
  c.DrawLine(x, y - 30, x, y + 60, s.vessel);
  c.DrawCircle(x, y, 2, s.vessel);
  c.DrawCircle(x, y, 15, s.vessel);
}

void FollowVessel(Survey& s) {
  const double w = 200, h = w * kHeight / kWidth;
  s.canvas->WorldSet(s.vx - w / 2, s.vy + h / 2, s.vx + w / 2, s.vy - h / 2);
}

void ShowAll(Survey& s) { s.canvas->WorldExtents(); }

// One scene at a time: a 4-day scene holds 1.7 million shapes.
std::unique_ptr<Survey> current;

Survey& Scene(int days) {
  if (current && current->days == days) return *current;
  current.reset();
  auto d = std::make_unique<Survey>();
  d->days = days;
  const std::size_t before = HeapInUse();
  d->canvas = std::make_unique<TQuarixCanvas>();
  TQuarixCanvas& c = *d->canvas;
  c.resize(kWidth, kHeight);
  c.GridVisible = true;
  std::mt19937 rng(20260130);
  d->fix = c.LayerOpen("track_fix");
  d->flt = c.LayerOpen("track_float");
  d->nofix = c.LayerOpen("track_nofix");
  d->vessel = c.LayerOpen("~~Quarix Vessel");
  c.SetLayerPenFg(d->fix, clLime);
  c.SetLayerPenFg(d->flt, clYellow);
  c.SetLayerPenFg(d->nofix, clRed);
  // The planned lines of every day, drawn by the runline generator, which
  // empties its layer first.
  const int runlines = c.LayerOpen("Quarix_Runlines");
  c.CadClearShapes(runlines);
  for (int day = 0; day < days; ++day)
    for (int line = 0; line < kLinesPerDay; ++line) {
      const double x = kEast0 + day * kArea + 5000, y = kNorth0 + 5000 + line * 25.0;
      c.DrawLine(x, y, x + 5000, y, runlines);
    }
  for (int day = 0; day < days; ++day) {
    AddBackground(c, rng, kEast0 + day * kArea);
    AddTrack(*d, day, kEast0 + day * kArea);
  }
  DrawVessel(*d);
  d->shapes = c.Shapes.size();
  FollowVessel(*d);
  c.BuildRenderPlan();  // files the drawing in the spatial index
  d->bytesPerShape = static_cast<double>(HeapInUse() - before) / static_cast<double>(d->shapes);
  d->indexBytesPerShape = static_cast<double>(c.ShapeIndexBytes()) / static_cast<double>(d->shapes);
  GGAOverlayText = "RTK Fix | Spd: 4.2 kn | SV: 21 | Ant: 1.23 m | Tide: 0.45 m | Depth: 12.34 m";
  GGAFixQuality = 4;
  c.SetDepthLabelSettings(true, 10.0, "Arial", 12, 0);
  c.SetCurrentDepth(12.34, 12.1, true);
  c.SetCurrentSpeed(4.2, true);
  current = std::move(d);
  return *current;
}

// Mean time per iteration of each measured figure, for the summary.
struct Figure {
  std::string name;
  double value = 0;
  std::string unit;
  double target = 0;  // 0: no target of its own
};
std::vector<Figure> figures;

void Record(const std::string& name, double value, const std::string& unit, double target) {
  for (Figure& f : figures)
    if (f.name == name) {
      f.value = value;
      return;
    }
  figures.push_back({name, value, unit, target});
}

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Name(const char* what, int days) { return std::string(what) + " @" + std::to_string(days) + "d"; }

// The back buffer's rebuild alone: background, grid, shapes.
void Rebuild(TQuarixCanvas& c, QImage& buffer) {
  QPainter painter(&buffer);
  TQPainterCanvas gc(painter, buffer);
  c.RenderBackBuffer(&gc);
}

void BM_Rebuild(benchmark::State& state, bool follow, double target) {
  const int days = static_cast<int>(state.range(0));
  Survey& s = Scene(days);
  if (follow)
    FollowVessel(s);
  else
    ShowAll(s);
  QImage buffer(kWidth, kHeight, QImage::Format_RGB32);
  double total = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    Rebuild(*s.canvas, buffer);
    total += Ms(std::chrono::steady_clock::now() - t0);
  }
  Record(Name(follow ? "rebuild, following 200 m" : "rebuild, whole view", days),
         total / static_cast<double>(state.iterations()), "ms", days == 4 ? target : 0);
  state.counters["shapes"] = static_cast<double>(s.canvas->Shapes.size());
  state.counters["drawn"] = static_cast<double>(s.canvas->BuildRenderPlan().Size());
}
void BM_RebuildFollowing(benchmark::State& state) { BM_Rebuild(state, true, 10); }
void BM_RebuildWholeView(benchmark::State& state) { BM_Rebuild(state, false, 150); }

// A whole frame after a view change: the back buffer, the depth and event
// labels, the overlays and the scale bar, as a paint message draws them.
void BM_FrameAfterViewChange(benchmark::State& state, bool follow, double target) {
  const int days = static_cast<int>(state.range(0));
  Survey& s = Scene(days);
  TQuarixCanvas& c = *s.canvas;
  QImage frame;
  double total = 0;
  int flip = 0;
  for (auto _ : state) {
    // Alternate between two views, so every frame starts from a new one.
    const double shift = (++flip % 2) ? 0.5 : 0.0;
    if (follow)
      FollowVessel(s);
    else
      ShowAll(s);
    c.WorldPan(shift, 0);
    const auto t0 = std::chrono::steady_clock::now();
    c.PaintTo(frame);
    total += Ms(std::chrono::steady_clock::now() - t0);
    benchmark::DoNotOptimize(frame.constBits());
  }
  Record(Name(follow ? "frame after view change, following" : "frame after view change, whole view", days),
         total / static_cast<double>(state.iterations()), "ms", days == 4 ? target : 0);
}
void BM_FrameFollowing(benchmark::State& state) { BM_FrameAfterViewChange(state, true, 0); }
void BM_FrameWholeView(benchmark::State& state) { BM_FrameAfterViewChange(state, false, 0); }

// One navigation tick as the main window runs it: empty the vessel layer,
// draw the vessel, add a track point and a depth label, set the label
// settings and restyle the layers; follow the vessel or refresh; then the
// repaint.
void NavigationTick(benchmark::State& state, bool follow, double target) {
  const int days = static_cast<int>(state.range(0));
  Survey& s = Scene(days);
  TQuarixCanvas& c = *s.canvas;
  if (follow)
    FollowVessel(s);
  else
    ShowAll(s);
  QImage frame;
  c.PaintTo(frame);
  const int rebuildsBefore = c.BaseRebuildCount;
  double total = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    s.vx += 0.4;
    if (follow) FollowVessel(s);
    c.CadClearShapes(s.vessel);
    DrawVessel(s);
    c.DrawPoint(s.vx, s.vy, s.fix);
    c.SetDepthLabelSettings(true, 10.0, "Arial", 12, 0);
    c.AddDepthLabel(s.vx, s.vy, 12.3);
    c.SetLayerPenFg(s.fix, clLime);
    c.SetLayerPenWidth(s.fix, 1);
    c.SetLayerPenFg(s.vessel, clBlack);
    c.SetLayerPenWidth(s.vessel, 2);
    c.SetCurrentDepth(12.34, 12.1, true);
    c.SetCurrentSpeed(4.2, true);
    if (!follow) c.Refresh();
    c.PaintTo(frame);
    total += Ms(std::chrono::steady_clock::now() - t0);
    benchmark::DoNotOptimize(frame.constBits());
  }
  Record(Name(follow ? "tick with repaint, following" : "tick with repaint, whole view", days),
         total / static_cast<double>(state.iterations()), "ms", days == 4 ? target : 0);
  if (!follow)
    Record(Name("whole-view ticks that redrew the whole base", days),
           static_cast<double>(c.BaseRebuildCount - rebuildsBefore), "", 0);
  state.counters["base_rebuilds"] = static_cast<double>(c.BaseRebuildCount - rebuildsBefore);
}
void BM_TickFollowing(benchmark::State& state) { NavigationTick(state, true, 15); }
void BM_TickWholeView(benchmark::State& state) { NavigationTick(state, false, 40); }

void BM_Memory(benchmark::State& state) {
  const int days = static_cast<int>(state.range(0));
  Survey& s = Scene(days);
  for (auto _ : state) benchmark::DoNotOptimize(s.shapes);
  state.counters["shapes"] = static_cast<double>(s.shapes);
  state.counters["bytes_per_shape"] = s.bytesPerShape;
  state.counters["index_bytes_per_shape"] = s.indexBytesPerShape;
  Record(Name("shapes", days), static_cast<double>(s.shapes), "", 0);
  Record(Name("memory per shape incl. index", days), s.bytesPerShape, "bytes", days == 4 ? 200 : 0);
  Record(Name("  of which the index", days), s.indexBytesPerShape, "bytes", 0);
}

void Summary() {
  std::printf("\n%-52s %12s   %s\n", "figure", "measured", "target");
  for (const Figure& f : figures) {
    char target[64] = "";
    if (f.target > 0)
      std::snprintf(target, sizeof target, "<= %g %s  %s", f.target, f.unit.c_str(), f.value <= f.target ? "ok" : "MISSED");
    else if (f.unit == "ms")
      std::snprintf(target, sizeof target, "(no target of its own)");
    std::printf("%-52s %9.2f %-3s  %s\n", f.name.c_str(), f.value, f.unit.c_str(), target);
  }
  auto find = [](const std::string& name) {
    for (const Figure& f : figures)
      if (f.name == name) return f.value;
    return 0.0;
  };
  for (const char* what : {"rebuild, following 200 m", "tick with repaint, following"}) {
    const double one = find(Name(what, 1)), four = find(Name(what, 4));
    if (one > 0 && four > 0)
      std::printf("%-52s %9.2f      <= 1.5  %s\n", (std::string(what) + ", 4d / 1d").c_str(), four / one,
                  four / one <= 1.5 ? "ok" : "MISSED");
  }
}

}  // namespace

#define SCENE(bm, unit) BENCHMARK(bm)->Unit(benchmark::kMillisecond)->MinTime(unit)
BENCHMARK(BM_Memory)->Arg(1)->Arg(2)->Arg(4)->Iterations(1);
SCENE(BM_RebuildFollowing, 1)->Arg(1)->Arg(2)->Arg(4);
SCENE(BM_RebuildWholeView, 2)->Arg(1)->Arg(2)->Arg(4);
SCENE(BM_FrameFollowing, 1)->Arg(1)->Arg(2)->Arg(4);
SCENE(BM_FrameWholeView, 2)->Arg(1)->Arg(2)->Arg(4);
SCENE(BM_TickFollowing, 2)->Arg(1)->Arg(2)->Arg(4);
SCENE(BM_TickWholeView, 2)->Arg(1)->Arg(2)->Arg(4);

// Each scene runs in a process of its own, so that no scene inherits the
// heap of another (its memory figure and the placement of its records are
// those of a program that built just that drawing).
int RunScene(int days, int argc, char** argv, int out) {
  figures.clear();  // the parent's, copied by fork
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  std::vector<char*> args(argv, argv + argc);
  // Within the scene, the benchmarks CANVAS_BENCH_ONLY names (a pattern), or all.
  const char* only = std::getenv("CANVAS_BENCH_ONLY");
  std::string filter = "--benchmark_filter=" + std::string(only ? only : "") + ".*/" + std::to_string(days) + "/";
  args.push_back(filter.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::string text;
  for (const Figure& f : figures)
    text += f.name + "\t" + std::to_string(f.value) + "\t" + f.unit + "\t" + std::to_string(f.target) + "\n";
  if (write(out, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return 1;
  current.reset();
  return 0;
}

int main(int argc, char** argv) {
  // CANVAS_BENCH_DAYS=4 runs that scene alone.
  std::vector<int> scenes = {1, 2, 4};
  if (const char* d = std::getenv("CANVAS_BENCH_DAYS")) scenes = {std::atoi(d)};
  for (int days : scenes) {
    const std::string text = RunInChild([&](int out) { return RunScene(days, argc, argv, out); });
    std::size_t pos = 0;
    while (pos < text.size()) {
      const std::size_t end = text.find('\n', pos);
      const std::string line = text.substr(pos, end - pos);
      pos = end == std::string::npos ? text.size() : end + 1;
      const std::size_t a = line.find('\t'), b = line.find('\t', a + 1), c = line.find('\t', b + 1);
      if (c == std::string::npos) continue;
      figures.push_back({line.substr(0, a), std::stod(line.substr(a + 1, b - a - 1)), line.substr(b + 1, c - b - 1),
                         std::stod(line.substr(c + 1))});
    }
  }
  Summary();
  return 0;
}
