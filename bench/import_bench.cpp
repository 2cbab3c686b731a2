// Imports of foreign files, each beside GDAL's own full read of the same file
// in the same run (ogr2ogr -f CSV /vsistdout/ FILE > /dev/null):
//  - DXF of 1,000,000 entities written by GDAL (points and three-vertex
//    lines): the DXF import onto the map <= 1 x GDAL's read;
//  - XYZ of 1,000,000 points through the Import command's reader (a dot and a
//    depth label each, then the view fit): <= 10 s and <= 1.5 GB peak memory;
//  - KML of one LineString of 200,000 tuples written by GDAL's LIBKML driver
//    (a tuple a line): the KML reader <= 2 x GDAL's read, and the whole
//    import (read, grid conversion to UTM zone 35, drawing) <= 2 x GDAL's
//    read and reprojection to the same zone (ogr2ogr -t_srs EPSG:32635).
// Each import runs in a child process of its own, so its peak memory is its
// own. The input files are made in a temporary folder (GDAL writes the DXF
// and the KML); set QUARIX_BENCH_KEEP=folder to make them there once and
// keep them for later runs.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "canvas/canvasmodel.h"
#include "drawingfiles/QuarixKMZLoader.h"
#include "drawingfiles/dxfimport.h"
#include "drawingfiles/kmlimport.h"
#include "drawingfiles/xyzimport.h"
#include "tests/support/utm35.h"

namespace fs = std::filesystem;

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Wall time of a shell command; negative when it failed.
double TimeCommand(const std::string& command) {
  const double t0 = Now();
  const int rc = std::system(command.c_str());
  const double t = Now() - t0;
  return rc == 0 ? t : -1;
}

// The best of three runs of a command.
double BestOfThree(const std::string& command) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    const double t = TimeCommand(command);
    if (t < 0) return -1;
    best = std::min(best, t);
  }
  return best;
}

double GdalRead(const std::string& file) {
  return BestOfThree("ogr2ogr -f CSV /vsistdout/ '" + file + "' > /dev/null 2>&1");
}

struct TChildResult {
  double seconds = -1;
  double peakMB = -1;
  long count = 0;
};

// Runs the work in a child process: its wall time (best of Runs, each in a
// fresh child) and the largest peak resident memory of the children.
TChildResult InChild(const std::function<long()>& work, int Runs = 3) {
  TChildResult best;
  for (int run = 0; run < Runs; ++run) {
    int fds[2];
    if (pipe(fds) != 0) return best;
    const pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      const double t0 = Now();
      const long count = work();
      const double t = Now() - t0;
      struct rusage usage {};
      getrusage(RUSAGE_SELF, &usage);
      const double r[3] = {t, usage.ru_maxrss / 1024.0, static_cast<double>(count)};
      if (write(fds[1], r, sizeof r) != static_cast<ssize_t>(sizeof r)) _exit(1);
      _exit(0);
    }
    close(fds[1]);
    double r[3] = {-1, -1, 0};
    const bool got = read(fds[0], r, sizeof r) == static_cast<ssize_t>(sizeof r);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!got) return best;
    if (best.seconds < 0 || r[0] < best.seconds) best.seconds = r[0];
    best.peakMB = std::max(best.peakMB, r[1]);
    best.count = static_cast<long>(r[2]);
  }
  return best;
}

// ---- Inputs ---------------------------------------------------------------

bool MakeDxf(const std::string& dir, const std::string& dxf) {
  if (fs::exists(dxf)) return true;
  const std::string csv = dir + "/entities.csv";
  {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> d(0, 20000);
    std::ofstream out(csv);
    out << "WKT,id\n";  // a CSV of one column is no CSV to GDAL
    char buf[160];
    for (int i = 0; i < 1000000; ++i) {
      const double x = 450000 + d(rng), y = 4500000 + d(rng);
      if (i % 2 == 0)
        std::snprintf(buf, sizeof buf, "\"POINT (%.3f %.3f)\",%d\n", x, y, i);
      else
        std::snprintf(buf, sizeof buf, "\"LINESTRING (%.3f %.3f,%.3f %.3f,%.3f %.3f)\",%d\n", x, y, x + 5,
                      y + 3, x + 9, y - 2, i);
      out << buf;
    }
  }
  // The DXF driver complains about the id field it cannot keep: the file
  // itself tells whether it was written.
  std::system(("ogr2ogr -f DXF -oo KEEP_GEOM_COLUMNS=NO '" + dxf + "' '" + csv + "' > /dev/null 2>&1").c_str());
  fs::remove(csv);
  return fs::exists(dxf) && fs::file_size(dxf) > 1000000;
}

bool MakeXyz(const std::string& xyz) {
  if (fs::exists(xyz)) return true;
  std::mt19937 rng(13);
  std::uniform_real_distribution<double> d(0, 20000), z(-60, -2);
  std::ofstream out(xyz);
  out << "Easting Northing Depth\n";
  char buf[96];
  for (int i = 0; i < 1000000; ++i) {
    std::snprintf(buf, sizeof buf, "%.2f %.2f %.2f\n", 450000 + d(rng), 4500000 + d(rng), z(rng));
    out << buf;
  }
  return static_cast<bool>(out);
}

bool MakeKml(const std::string& dir, const std::string& kml) {
  if (fs::exists(kml)) return true;
  const std::string csv = dir + "/line.csv";
  {
    std::ofstream out(csv);
    out << "WKT,name\n\"LINESTRING (";
    char buf[64];
    for (int i = 0; i < 200000; ++i) {
      std::snprintf(buf, sizeof buf, "%s%.7f %.7f", i ? "," : "", 28.5 + i * 1e-6, 40.5 + i * 5e-7);
      out << buf;
    }
    out << ")\",Survey line\n";
  }
  const bool ok = std::system(("ogr2ogr -f LIBKML -oo KEEP_GEOM_COLUMNS=NO '" + kml + "' '" + csv +
                                   "' > /dev/null 2>&1").c_str()) == 0;
  fs::remove(csv);
  return ok && fs::exists(kml);
}

void Ratio(const char* what, double ours, double reference, double target) {
  if (ours < 0 || reference <= 0) {
    std::printf("  %s: not measured (ours %.3f s, GDAL %.3f s)\n", what, ours, reference);
    return;
  }
  std::printf("  %s %.3f s, GDAL %.3f s: ratio %.2f (target <= %.1f)\n", what, ours, reference,
              ours / reference, target);
}

}  // namespace

int main() {
  if (std::system("ogr2ogr --version > /dev/null 2>&1") != 0) {
    std::printf("ogr2ogr (gdal-bin) is needed for the reference\n");
    return 1;
  }
  const char* keep = std::getenv("QUARIX_BENCH_KEEP");
  const std::string dir =
      keep ? std::string(keep) : (fs::temp_directory_path() / ("import_bench_" + std::to_string(getpid()))).string();
  fs::create_directories(dir);
  const std::string dxf = dir + "/entities.dxf", xyz = dir + "/soundings.xyz", kml = dir + "/line.kml";
  if (!MakeDxf(dir, dxf) || !MakeXyz(xyz) || !MakeKml(dir, kml)) {
    std::printf("the input files could not be made in %s\n", dir.c_str());
    return 1;
  }

  // DXF
  {
    const TChildResult ours = InChild([&] {
      TQuarixCanvasModel map;
      DXFLoad(map, dxf, [](const std::string&) {});
      return static_cast<long>(map.Shapes.size());
    });
    const double gdal = GdalRead(dxf);
    std::printf("DXF, %.1f MB written by GDAL: %ld shapes, peak %.0f MB\n", fs::file_size(dxf) / 1e6,
                ours.count, ours.peakMB);
    Ratio("import", ours.seconds, gdal, 1.0);
  }

  // XYZ
  {
    const TChildResult ours = InChild([&] {
      TQuarixCanvasModel map;
      const int layer = map.LayerOpen("soundings");
      map.SetLayerAction(layer, 15);
      const long n = ImportXYZPoints(map, xyz, layer);
      map.WorldExtents();
      return n;
    });
    std::printf("XYZ, %.1f MB: %ld points with labels\n", fs::file_size(xyz) / 1e6, ours.count);
    std::printf("  import %.3f s (target <= 10 s), peak %.0f MB (target <= 1536 MB)\n", ours.seconds,
                ours.peakMB);
  }

  // KML
  {
    const TChildResult read = InChild([&] {
      TQuarixKMZLoader loader;
      loader.LoadFromFile(kml);
      long tuples = 0;
      for (const TKMLPlacemark& p : loader.Placemarks)
        for (const TKMLGeometry& g : p.Geometries) tuples += static_cast<long>(g.Points.size());
      return tuples;
    });
    const TChildResult import = InChild([&] {
      const TKMLGridSettings grid = Utm35();
      TQuarixKMZLoader loader;
      TQuarixCanvasModel map;
      const int layer = map.LayerOpen("line");
      if (loader.LoadFromFile(kml)) {
        loader.OnConvertCoordinate = TKMLGridConverter(grid);
        loader.ConvertCoordinates();
        DrawKMLPlacemarks(map, loader, layer);
        map.WorldExtents();
      }
      return static_cast<long>(map.Shapes.size());
    });
    const double gdal = GdalRead(kml);
    const double gdalUtm =
        BestOfThree("ogr2ogr -f CSV -t_srs EPSG:32635 /vsistdout/ '" + kml + "' > /dev/null 2>&1");
    std::printf("KML, %.1f MB written by GDAL: one LineString of %ld tuples\n", fs::file_size(kml) / 1e6,
                read.count);
    Ratio("read", read.seconds, gdal, 2.0);
    std::printf("  whole import (read, grid conversion, drawing) beside GDAL's read with -t_srs:\n");
    Ratio("import", import.seconds, gdalUtm, 2.0);
  }

  if (!keep) fs::remove_all(dir);
  return 0;
}
