// Memory of a paint against the memory of the drawing it paints. Drawings
// made to make painting allocate: one SPLINE, POLYLINE or POLYGON of 400,000
// zig-zag vertices (a file of some tens of KB), with thin and wide pens, a
// circle a thousand times the size of the view, a text of a megabyte on one
// line, and DXF files with an LWPOLYLINE and a SPLINE of 400,000 vertices.
//
// Each drawing is read as at start (the program reloads its last drawing
// then) onto a 1920 x 1080 map whose pictures are already made, and painted
// three times: as the file's view comes in (a rebuild from scratch), again
// once the view holds still (the kept base picture and the frame), and with
// the whole drawing in view. Measured: the most the heap held during those
// paints above what it held before them, every allocation of the process
// (Qt's own included) counted through malloc itself; and against it what the
// reader counted for the drawing (a DXF import: what its records take, as
// the drawing file's reader counts them). The summary prints each ratio
// beside its target. The time of each paint is printed too, for the record.
// Each drawing runs in a process of its own, held to kMemoryCap of address
// space and kCaseSeconds of time: a paint that would take more fails there,
// and is reported so. PAINT_BENCH_ONLY=text runs the drawings whose name
// holds the text.
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/childrun.h"
#include "canvas/QuarixCanvas.h"
#include "drawingfiles/dxfimport.h"
#include "drawingfiles/qvtfile.h"

// ---------------------------------------------------------------------------
// Every allocation of the process, through malloc itself: the bytes held now
// and the most held since the bench last set it.

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {

std::atomic<long long> heldBytes{0}, peakHeldBytes{0};

void* Held(void* p) {
  if (p) {
    const long long held = heldBytes.fetch_add(static_cast<long long>(malloc_usable_size(p))) +
                           static_cast<long long>(malloc_usable_size(p));
    long long peak = peakHeldBytes.load(std::memory_order_relaxed);
    while (held > peak && !peakHeldBytes.compare_exchange_weak(peak, held)) {
    }
  }
  return p;
}

void Released(void* p) {
  if (p) heldBytes.fetch_sub(static_cast<long long>(malloc_usable_size(p)));
}

}  // namespace

extern "C" {
void* malloc(size_t size) { return Held(__libc_malloc(size)); }
void* calloc(size_t n, size_t size) { return Held(__libc_calloc(n, size)); }
void free(void* p) {
  Released(p);
  __libc_free(p);
}
void* realloc(void* p, size_t size) {
  Released(p);
  void* q = __libc_realloc(p, size);
  if (!q && size) Held(p);  // the old block stays
  return Held(q);
}
void* memalign(size_t align, size_t size) { return Held(__libc_memalign(align, size)); }
void* aligned_alloc(size_t align, size_t size) { return Held(__libc_memalign(align, size)); }
int posix_memalign(void** out, size_t align, size_t size) {
  void* p = Held(__libc_memalign(align, size));
  if (!p) return 12;  // ENOMEM
  *out = p;
  return 0;
}
void* valloc(size_t size) { return Held(__libc_memalign(4096, size)); }
void* pvalloc(size_t size) { return Held(__libc_memalign(4096, (size + 4095) / 4096 * 4096)); }
}

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kVertices = 400000;
// A paint may take at most this many times what the reader counted.
constexpr double kTargetRatio = 1.0;
constexpr rlim_t kMemoryCap = rlim_t{6} << 30;
constexpr unsigned kCaseSeconds = 300;

struct Result {
  std::string name;
  std::size_t fileBytes = 0, counted = 0;
  long long peak = 0;
  double ms[3] = {0, 0, 0};
};
std::vector<Result> results;

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The zig-zag: a vertex a metre east of the last, alternately at 0 and
// 1000 m north, so that every segment crosses the whole height of a view
// a few hundred metres wide. In place, it goes back and forth between the
// same two points in the middle of the view (the file packs into a few KB).
std::string ZigZagRecord(const char* keyword, int width, bool inPlace = false) {
  std::string t = std::string(keyword) + " 1 " + std::to_string(kVertices) + " 255 " + std::to_string(width) + "\n";
  char line[64];
  for (int i = 0; i < kVertices; ++i) {
    std::snprintf(line, sizeof line, "%d.000000 %d.000000\n", inPlace ? 1000 + (i % 2) * 10 : i, (i % 2) * 1000);
    t += line;
  }
  return t;
}

// The drawing text as the writer lays it out: the view first.
std::string Drawing(const std::string& records) {
  return "# drawing\nWORLD 0 2000 -300 1300\nLAYER 0 Default\nLAYER 1 chart\n" + records;
}

std::string ZigZagDxf(bool spline) {
  std::string t = "0\nSECTION\n2\nENTITIES\n0\n";
  t += spline ? "SPLINE\n8\nchart\n70\n8\n71\n3\n73\n" + std::to_string(kVertices) + "\n"
              : "LWPOLYLINE\n8\nchart\n90\n" + std::to_string(kVertices) + "\n70\n0\n";
  char line[64];
  for (int i = 0; i < kVertices; ++i) {
    std::snprintf(line, sizeof line, "10\n%d.0\n20\n%d.0\n", i, (i % 2) * 1000);
    t += line;
  }
  return t + "0\nENDSEC\n0\nEOF\n";
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Paints the loaded drawing three times (see the head of the file) and
// records the peak above the heap held before the first.
void MeasurePaints(TQuarixCanvas& c, Result& r) {
  QImage frame(kWidth, kHeight, QImage::Format_RGB32);
  const long long before = heldBytes.load();
  peakHeldBytes = before;
  auto timed = [&](double& ms) {
    const auto t0 = std::chrono::steady_clock::now();
    c.PaintTo(frame);
    ms = Ms(std::chrono::steady_clock::now() - t0);
  };
  timed(r.ms[0]);   // the file's view, rebuilt from scratch
  c.Refresh();
  timed(r.ms[1]);   // the view held still: the base picture and the frame
  c.WorldExtents();
  c.Refresh();
  timed(r.ms[2]);   // the whole drawing
  r.peak = peakHeldBytes.load() - before;
}

// A map as the program has it once it is shown: its size, its pictures made.
std::unique_ptr<TQuarixCanvas> ShownMap() {
  auto c = std::make_unique<TQuarixCanvas>();
  c->resize(kWidth, kHeight);
  c->GridVisible = true;
  QImage frame;
  c->PaintTo(frame);
  c->Refresh();
  c->PaintTo(frame);
  return c;
}

void QvtCase(const QTemporaryDir& dir, const std::string& name, const std::string& text) {
  Result r;
  r.name = name;
  std::string packed;
  if (!qvt::PackDrawingText(text, packed)) return;
  const std::string path = dir.filePath("last.qvt").toStdString();
  WriteFile(path, packed);
  r.fileBytes = packed.size();
  {
    TQuarixCanvasModel scratch;
    qvt::LoadedDrawing out;
    if (qvt::ReadDrawing(packed, scratch, true, out) != 0) {
      std::printf("%s: not read\n", name.c_str());
      return;
    }
    r.counted = out.CountedBytes;
  }
  std::string().swap(packed);
  auto c = ShownMap();
  if (c->CadLoad(path, -1, -1, 0) != 1) return;
  MeasurePaints(*c, r);
  results.push_back(r);
}

void DxfCase(const QTemporaryDir& dir, const std::string& name, const std::string& text) {
  Result r;
  r.name = name;
  const std::string path = dir.filePath("zigzag.dxf").toStdString();
  WriteFile(path, text);
  r.fileBytes = text.size();
  auto c = ShownMap();
  if (!DXFLoad(*c, path, [](const std::string&) {})) {
    std::printf("%s: not imported\n", name.c_str());
    return;
  }
  r.counted = qvt::DrawingBytes(*c);
  c->WorldSet(0, 1300, 2000, -300);
  MeasurePaints(*c, r);
  results.push_back(r);
}

// The drawings, each run by a process of its own.
struct Case {
  const char* name;
  std::function<void(const QTemporaryDir&, const std::string&)> run;
};

std::vector<Case> Cases() {
  auto qvt = [](std::function<std::string()> text) {
    return [text](const QTemporaryDir& dir, const std::string& name) { QvtCase(dir, name, text()); };
  };
  auto dxf = [](bool spline) {
    return [spline](const QTemporaryDir& dir, const std::string& name) { DxfCase(dir, name, ZigZagDxf(spline)); };
  };
  const std::string megabyte(1 << 20, 'W');
  return {
      {"SPLINE 400,000 zig-zag vertices in place", qvt([] { return Drawing(ZigZagRecord("SPLINE", 1, true)); })},
      {"SPLINE 400,000 zig-zag vertices in place, pen 3",
       qvt([] { return Drawing(ZigZagRecord("SPLINE", 3, true)); })},
      {"SPLINE 400,000 zig-zag vertices, pen 1", qvt([] { return Drawing(ZigZagRecord("SPLINE", 1)); })},
      {"SPLINE 400,000 zig-zag vertices, pen 3", qvt([] { return Drawing(ZigZagRecord("SPLINE", 3)); })},
      {"POLYLINE 400,000 zig-zag vertices, pen 1", qvt([] { return Drawing(ZigZagRecord("POLYLINE", 1)); })},
      {"POLYLINE 400,000 zig-zag vertices, pen 3", qvt([] { return Drawing(ZigZagRecord("POLYLINE", 3)); })},
      {"POLYGON 400,000 zig-zag vertices, pen 3", qvt([] { return Drawing(ZigZagRecord("POLYGON", 3)); })},
      {"ARC3P 400,000 zig-zag vertices, pen 3", qvt([] { return Drawing(ZigZagRecord("ARC3P", 3)); })},
      {"CIRCLE 1,000 views wide, pen 5", qvt([] { return Drawing("CIRCLE 1000 500 1000000 1 255 5\n"); })},
      {"ELLIPSE 1,000 views wide, pen 5",
       qvt([] { return Drawing("ELLIPSE -1000000 -1000000 1002000 1001000 1 255 5\n"); })},
      {"TEXT of 1 MB on one line",
       qvt([megabyte] { return Drawing("TEXT 10 500 1 0 255 10 0 0 0 Arial " + megabyte + "\n"); })},
      {"TEXT of 1 MB on one line, turned",
       qvt([megabyte] { return Drawing("TEXT 10 500 1 0 255 10 30 0 0 Arial " + megabyte + "\n"); })},
      {"DXF LWPOLYLINE 400,000 zig-zag vertices", dxf(false)},
      {"DXF SPLINE 400,000 zig-zag control points", dxf(true)},
  };
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("%-48s %8s %9s %9s %7s %7s %7s %7s   %s\n", "drawing", "file KB", "read MB", "paint MB", "ms",
              "ms", "ms", "ratio", "target");
  bool ok = true;
  const char* only = std::getenv("PAINT_BENCH_ONLY");
  for (const Case& k : Cases()) {
    if (only && std::string(k.name).find(only) == std::string::npos) continue;
    const std::string out = RunInChild([&](int fd) {
      const rlimit cap{kMemoryCap, kMemoryCap};
      setrlimit(RLIMIT_AS, &cap);
      alarm(kCaseSeconds);
      if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
      QApplication app(argc, argv);
      std::setlocale(LC_NUMERIC, "C");
      QTemporaryDir dir;
      if (dir.isValid()) k.run(dir, k.name);
      if (!results.empty()) {
        const Result& r = results.front();
        const double v[7] = {static_cast<double>(r.fileBytes), static_cast<double>(r.counted),
                             static_cast<double>(r.peak), r.ms[0], r.ms[1], r.ms[2], 0};
        if (write(fd, v, sizeof v) != static_cast<ssize_t>(sizeof v)) return 1;
      }
      return 0;
    });
    double v[7] = {};
    if (out.size() == sizeof v) std::memcpy(v, out.data(), sizeof v);
    if (out.size() != sizeof v) {
      ok = false;
      std::printf("%-48s the paint failed within %llu GB of address space and %u s  MISSED\n", k.name,
                  static_cast<unsigned long long>(kMemoryCap >> 30), kCaseSeconds);
      continue;
    }
    const double ratio = v[2] / v[1];
    ok = ok && ratio <= kTargetRatio;
    std::printf("%-48s %8.1f %9.2f %9.2f %7.1f %7.1f %7.1f %7.3f   <= %.1f  %s\n", k.name, v[0] / 1024,
                v[1] / (1 << 20), v[2] / (1 << 20), v[3], v[4], v[5], ratio, kTargetRatio,
                ratio <= kTargetRatio ? "ok" : "MISSED");
  }
  std::printf("(ms: the file's view from scratch, the same view held still, the whole drawing)\n");
  return ok ? 0 : 1;
}
