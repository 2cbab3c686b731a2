// Map canvas on a realistic survey day, 1920 x 1080 pixels:
//  - a background drawing of 250,000 shapes over about 20 km (150,000 lines,
//    75,000 polylines of 20 vertices, 25,000 texts),
//  - a track of 180,000 points on the three track layers,
//  - 10,000 depth labels and 500 event labels, the vessel symbol.
// Measured: a full rebuild with everything in view and with a 200 m view
// following the vessel, a paint without rebuild, one navigation tick with
// its repaint, and memory per shape.
// Targets: rebuild <= 100 ms (all in view) and <= 30 ms (following); paint
// without rebuild <= 8 ms; navigation tick with repaint <= 40 ms;
// <= 200 bytes per shape.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <clocale>
#include <cmath>
#include <memory>
#include <random>

#include "canvas/QuarixCanvas.h"
#include "canvas/qpaintercanvas.h"

namespace {

constexpr double kEast0 = 500000, kNorth0 = 4500000, kArea = 20000;
constexpr int kWidth = 1920, kHeight = 1080;

struct Survey {
  std::unique_ptr<TQuarixCanvas> canvas;
  int vessel = 0, fix = 0, flt = 0, nofix = 0;
  double vx = 0, vy = 0;  // vessel position (end of the track)
  double heading = 0;
  std::size_t shapes = 0;
  double bytesPerShape = 0;
};

std::size_t HeapInUse() { return mallinfo2().uordblks; }

void AddBackground(TQuarixCanvas& c, std::mt19937& rng) {
  std::uniform_real_distribution<double> pos(0, kArea), len(5, 120), ang(0, 2 * M_PI), step(10, 40),
      depth(2, 60);
  const int chart = c.LayerOpen("chart");
  const int contours = c.LayerOpen("contours");
  const int soundings = c.LayerOpen("soundings");
  c.SetLayerPenFg(chart, 0x404040);
  c.SetLayerPenFg(contours, 0x808000);
  c.SetLayerPenFg(soundings, clNavy);
  for (int i = 0; i < 150000; ++i) {
    const double x = kEast0 + pos(rng), y = kNorth0 + pos(rng), a = ang(rng), l = len(rng);
    c.DrawLine(x, y, x + l * std::cos(a), y + l * std::sin(a), chart);
  }
  std::vector<std::pair<double, double>> pts(20);
  for (int i = 0; i < 75000; ++i) {
    double x = kEast0 + pos(rng), y = kNorth0 + pos(rng), a = ang(rng);
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
    c.TextAdd(soundings, text, kEast0 + pos(rng), kNorth0 + pos(rng), 0);
  }
}

// Survey lines 5 km long, 25 m apart, a point per metre; the fix quality
// changes every 1000 points. A depth label every 10 m along the first 100 km,
// an event label every 360 points.
void AddTrack(Survey& s) {
  TQuarixCanvas& c = *s.canvas;
  const int layers[] = {s.fix, s.fix, s.fix, s.flt, s.fix, s.nofix};
  int n = 0;
  for (int line = 0; n < 180000; ++line) {
    const double y = kNorth0 + 5000 + line * 25.0;
    for (int i = 0; i < 5000 && n < 180000; ++i, ++n) {
      const double x = kEast0 + 5000 + ((line % 2) ? 5000 - i : i);
      c.DrawPoint(x, y, layers[(n / 1000) % 6]);
      if (n % 10 == 0 && c.DepthLabels.size() < 10000) c.AddDepthLabel(x, y, 10 + (n % 500) * 0.1);
      if (n % 360 == 0 && c.EventLabels.size() < 500) c.AddEventLabel(x, y, n / 360 + 1);
      s.vx = x;
      s.vy = y;
      s.heading = (line % 2) ? 270 : 90;
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

Survey& Day() {
  static Survey* s = [] {
    auto* d = new Survey;
    const std::size_t before = HeapInUse();
    d->canvas = std::make_unique<TQuarixCanvas>();
    TQuarixCanvas& c = *d->canvas;
    c.resize(kWidth, kHeight);
    c.GridVisible = true;
    std::mt19937 rng(20260130);
    AddBackground(c, rng);
    d->fix = c.LayerOpen("track_fix");
    d->flt = c.LayerOpen("track_float");
    d->nofix = c.LayerOpen("track_nofix");
    d->vessel = c.LayerOpen("~~Quarix Vessel");
    c.SetLayerPenFg(d->fix, clLime);
    c.SetLayerPenFg(d->flt, clYellow);
    c.SetLayerPenFg(d->nofix, clRed);
    AddTrack(*d);
    DrawVessel(*d);
    d->shapes = c.Shapes.size();
    d->bytesPerShape = static_cast<double>(HeapInUse() - before) / static_cast<double>(d->shapes);
    GGAOverlayText = "RTK Fix | E 512345.67 N 4512345.67 | THdg: 90.0 | Depth: 12.34 m";
    GGAFixQuality = 4;
    c.SetCurrentDepth(12.34, 12.1, true);
    c.SetCurrentSpeed(4.2, true);
    return d;
  }();
  return *s;
}

void ShowAll(Survey& s) { s.canvas->WorldExtents(); }

// The back buffer's rebuild alone: background, grid, shapes.
void Rebuild(TQuarixCanvas& c, QImage& buffer) {
  QPainter painter(&buffer);
  TQPainterCanvas gc(painter, buffer);
  c.RenderBackBuffer(&gc);
}

void BM_RebuildAllInView(benchmark::State& state) {
  Survey& s = Day();
  ShowAll(s);
  QImage buffer(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) Rebuild(*s.canvas, buffer);
  state.SetLabel("target <= 100 ms");
  state.counters["shapes"] = static_cast<double>(s.canvas->Shapes.size());
  state.counters["drawn"] = static_cast<double>(s.canvas->BuildRenderPlan().Size());
}

void BM_RebuildFollowing(benchmark::State& state) {
  Survey& s = Day();
  FollowVessel(s);
  QImage buffer(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) Rebuild(*s.canvas, buffer);
  state.SetLabel("target <= 30 ms");
  state.counters["drawn"] = static_cast<double>(s.canvas->BuildRenderPlan().Size());
}

void PaintWithoutRebuild(benchmark::State& state, bool follow) {
  Survey& s = Day();
  if (follow)
    FollowVessel(s);
  else
    ShowAll(s);
  QImage frame;
  s.canvas->PaintTo(frame);  // builds the back buffer once
  for (auto _ : state) {
    s.canvas->PaintTo(frame);
    benchmark::DoNotOptimize(frame.constBits());
  }
  state.SetLabel("target <= 8 ms");
}
void BM_PaintWithoutRebuildFollowing(benchmark::State& state) { PaintWithoutRebuild(state, true); }
void BM_PaintWithoutRebuildAllInView(benchmark::State& state) { PaintWithoutRebuild(state, false); }

// One navigation tick: empty the vessel layer, draw the vessel, add a track
// point and a depth label, restyle two layers; then the repaint.
void NavigationTick(benchmark::State& state, bool follow) {
  Survey& s = Day();
  TQuarixCanvas& c = *s.canvas;
  if (!follow) ShowAll(s);
  QImage frame;
  c.PaintTo(frame);
  double step = 0.4;
  for (auto _ : state) {
    s.vx += step;
    if (follow) FollowVessel(s);
    c.CadClearShapes(s.vessel);
    DrawVessel(s);
    c.DrawPoint(s.vx, s.vy, s.fix);
    c.AddDepthLabel(s.vx, s.vy, 12.3);
    c.SetLayerPenFg(s.fix, clLime);
    c.SetLayerPenWidth(s.fix, 1);
    c.SetLayerPenFg(s.vessel, clBlack);
    c.SetLayerPenWidth(s.vessel, 2);
    c.SetCurrentDepth(12.34, 12.1, true);
    c.Refresh();
    c.PaintTo(frame);
    benchmark::DoNotOptimize(frame.constBits());
  }
  state.SetLabel("target <= 40 ms");
}
void BM_NavigationTickFollowing(benchmark::State& state) { NavigationTick(state, true); }
void BM_NavigationTickAllInView(benchmark::State& state) { NavigationTick(state, false); }

void BM_MemoryPerShape(benchmark::State& state) {
  Survey& s = Day();
  for (auto _ : state) benchmark::DoNotOptimize(s.shapes);
  state.counters["shapes"] = static_cast<double>(s.shapes);
  state.counters["bytes_per_shape"] = s.bytesPerShape;
  state.SetLabel("target <= 200 bytes per shape");
}

}  // namespace

BENCHMARK(BM_MemoryPerShape)->Iterations(1);
BENCHMARK(BM_RebuildAllInView)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RebuildFollowing)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PaintWithoutRebuildFollowing)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PaintWithoutRebuildAllInView)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_NavigationTickFollowing)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_NavigationTickAllInView)->Unit(benchmark::kMillisecond)->MinTime(2);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
