// The main window's Import command with real files: XYZ points with labels,
// KML/KMZ placemarks converted into the grid, DXF drawings, and its messages.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>

#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "canvas/QuarixCanvas.h"
#include "app/settingsfile.h"
#include "platform/prompts.h"
#include "platform/termination.h"
#include "runtime/longtask.h"
#include "tests/runtime/formsfixture.h"

namespace fs = std::filesystem;

namespace {

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class MainWindowImport : public FormsTest {
 protected:
  void SetUp() override {
    Start();
    map = FNav->fcad;
  }
  // Runs the command with the file chosen in the dialog; the messages shown
  // after the dialog.
  std::vector<std::string> Import(const std::string& path) {
    prompts::CurrentScript().shown.clear();
    prompts::CurrentScript().fileNames.push_back(QString::fromStdString(path));
    FNav->Import1->trigger();
    std::vector<std::string> out;
    for (const QString& t : prompts::CurrentScript().shown) out.push_back(t.toStdString());
    if (!out.empty()) out.erase(out.begin());  // the dialog's caption
    return out;
  }
  std::vector<TQShape*> ShapesOn(const std::string& layer) const {
    std::vector<TQShape*> out;
    const int n = map->LayerFindByName(layer);
    for (TQShape* s : map->Shapes)
      if (n >= 0 && s->Layer == n) out.push_back(s);
    return out;
  }
  void SetGrid(const char* sma, const char* cm) {
    FGPS->edSMA->setText(sma);
    FGPS->edIF->setText("0.0033528106647474");
    for (QLineEdit* e : {FGPS->edPPM, FGPS->edRX, FGPS->edRY, FGPS->edRZ, FGPS->edSX, FGPS->edSY,
                         FGPS->edSZ, FGPS->edRL, FGPS->edFN})
      e->setText("0");
    FGPS->edCM->setText(cm);
    FGPS->edSF->setText("0.9996");
    FGPS->edFE->setText("500000");
  }
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = env.Home() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  TQuarixCanvas* map = nullptr;
};

TEST_F(MainWindowImport, XYZFileIsSkippedUntilItChanges) {
  const std::string path =
      Write("depths.xyz", "Easting,Northing,Depth\r\n12,500.5,400.25,3.456\r\n500.5 401 -1.2\r\n 1 2 3\r\n");
  EXPECT_TRUE(Import(path).empty());
  auto shapes = ShapesOn("depths");
  ASSERT_EQ(shapes.size(), 4u);
  EXPECT_EQ(dynamic_cast<TQText*>(shapes[1])->TextString, "3.46");
  EXPECT_NE(EventsLog().find("\tImported XYZ: " + path + " (2 points) to layer: depths"),
            std::string::npos);
  EXPECT_EQ(map->GetLayerAction(map->LayerFindByName("depths")), 15);

  // Skipped before anything is emptied: the points stay.
  EXPECT_EQ(Import(path), std::vector<std::string>{"File unchanged since last import. Skipping."});
  EXPECT_EQ(ShapesOn("depths").size(), 4u);

  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_TRUE(Import(path).empty());
  EXPECT_EQ(ShapesOn("depths").size(), 4u);

  // Once its layer was emptied (New), the unchanged file is read again.
  map->CadClearShapes(map->LayerFindByName("depths"));
  EXPECT_TRUE(Import(path).empty());
  EXPECT_EQ(ShapesOn("depths").size(), 4u);

  // depths.csv is another file: it gets a layer of its own and leaves depths alone.
  Import(Write("depths.csv", "1,10,20,5\n"));
  EXPECT_EQ(ShapesOn("depths").size(), 4u);
  EXPECT_EQ(ShapesOn("depths.csv").size(), 2u);

  EXPECT_EQ(Import(env.Home() + "missing.txt"),
            std::vector<std::string>{"Failed to open XYZ file: " + env.Home() +
                                     "missing.txt (No such file or directory)"});
  EXPECT_LT(map->LayerFindByName("missing"), 0);
}

TEST_F(MainWindowImport, KmlAndKmzPlacemarksInTheGrid) {
  SetGrid("6378137", "27");
  for (const char* name : {"kml/harbour.kml", "kml/harbour.kmz"}) {
    const std::string path = TestData(name);
    EXPECT_TRUE(Import(path).empty()) << name;
    const auto shapes = ShapesOn("harbour");
    ASSERT_EQ(shapes.size(), 6u) << name;  // a point, two polylines, three labels
    auto* buoy = dynamic_cast<TQPoint*>(shapes[0]);
    ASSERT_NE(buoy, nullptr);
    EXPECT_NEAR(buoy->X, 708665.1177, 0.01);  // cct +proj=utm +zone=35 +ellps=WGS84
    EXPECT_NEAR(buoy->Y, 4597281.7347, 0.01);
    auto* channel = dynamic_cast<TQPolyline*>(shapes[1]);
    auto* harbour = dynamic_cast<TQPolyline*>(shapes[2]);
    ASSERT_TRUE(channel && harbour);
    EXPECT_EQ(channel->Points.size(), 3u);
    EXPECT_EQ(harbour->Points.size(), 5u);
    EXPECT_FALSE(harbour->Closed);
    EXPECT_NEAR(channel->Points[0].x, 668207.8852, 0.01);
    EXPECT_EQ(dynamic_cast<TQText*>(shapes[3])->TextString, "Buoy 1");
    EXPECT_EQ(dynamic_cast<TQText*>(shapes[5])->TextString, "Harbour");
    EXPECT_NE(EventsLog().find("\tImported KML/KMZ: " + path + " to layer: harbour"), std::string::npos);
  }
  for (const auto& e : fs::directory_iterator(env.ProgramFolder()))
    EXPECT_NE(e.path().filename().string().rfind("temp_kmz_", 0), 0u) << e.path();
}

// GDAL's LIBKML driver writes ids on Placemark and Document elements
// (ogr2ogr -f LIBKML of harbour.geojson). Oracle: gdaltransform -s_srs
// "+proj=longlat +datum=WGS84" -t_srs "+proj=utm +zone=35 +datum=WGS84".
TEST_F(MainWindowImport, LibkmlPlacemarksWithIds) {
  SetGrid("6378137", "27");
  const std::string path = TestData("kml/harbour-libkml.kml");
  EXPECT_TRUE(Import(path).empty());
  const auto shapes = ShapesOn("harbour-libkml");
  ASSERT_EQ(shapes.size(), 6u);  // a point, two polylines, three labels
  auto* buoy = dynamic_cast<TQPoint*>(shapes[0]);
  auto* channel = dynamic_cast<TQPolyline*>(shapes[1]);
  auto* harbour = dynamic_cast<TQPolyline*>(shapes[2]);
  ASSERT_TRUE(buoy && channel && harbour);
  EXPECT_NEAR(buoy->X, 708665.117669572, 0.01);
  EXPECT_NEAR(buoy->Y, 4597281.73469963, 0.01);
  const double channelWant[3][2] = {{668207.885193807, 4540683.52927658},
                                    {676485.191829463, 4546432.06719712},
                                    {684749.693553379, 4552190.39375408}};
  const double harbourWant[5][2] = {{668207.885193807, 4540683.52927658},
                                    {669048.973157238, 4540702.84693898},
                                    {669023.408648841, 4541813.03902555},
                                    {668182.447998182, 4541793.72040957},
                                    {668207.885193807, 4540683.52927658}};
  ASSERT_EQ(channel->Points.size(), 3u);
  ASSERT_EQ(harbour->Points.size(), 5u);  // the outer ring
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(channel->Points[i].x, channelWant[i][0], 0.01) << i;
    EXPECT_NEAR(channel->Points[i].y, channelWant[i][1], 0.01) << i;
  }
  for (int i = 0; i < 5; ++i) {
    EXPECT_NEAR(harbour->Points[i].x, harbourWant[i][0], 0.01) << i;
    EXPECT_NEAR(harbour->Points[i].y, harbourWant[i][1], 0.01) << i;
  }
  const char* names[] = {"Buoy 1", "Channel", "Harbour"};
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(dynamic_cast<TQText*>(shapes[3 + i])->TextString, names[i]);
}

TEST_F(MainWindowImport, KmlFailures) {
  SetGrid("", "27");
  EXPECT_EQ(Import(TestData("kml/harbour.kml")),
            std::vector<std::string>{
                "Please configure datum parameters in GPS Settings before importing KML/KMZ files."});
  EXPECT_LT(map->LayerFindByName("harbour"), 0);

  SetGrid("6378137", "27");
  EXPECT_EQ(Import(TestData("kml/nokml.kmz")),
            std::vector<std::string>{"Failed to load KML/KMZ file: No KML file found in KMZ archive"});
  EXPECT_EQ(EventsLog().find("Imported KML/KMZ"), std::string::npos);
  // A file without usable placemarks says so.
  EXPECT_EQ(Import(Write("empty.kml", "<kml><Document/></kml>")),
            std::vector<std::string>{"Failed to load KML/KMZ file: No placemark found in the KML file"});
}

TEST_F(MainWindowImport, DxfGoesToItsOwnLayer) {
  const std::string path = TestData("harbour.dxf");
  Import(path);
  EXPECT_GE(map->LayerFindByName("harbour"), 0);
  EXPECT_TRUE(ShapesOn("harbour").empty());
  EXPECT_FALSE(ShapesOn("_dxf_harbour.dxf").empty());
  EXPECT_NE(EventsLog().find("\tImported DXF: " + path), std::string::npos);
}

TEST_F(MainWindowImport, ImportsNeverEmptyTheProgramsOrTheUsersLayers) {
  // A recorded track, the user's drawing, the Default layer and a layer that
  // came with an opened drawing.
  const int chart = map->LayerOpen("chart");
  for (const char* name : {"track_fix", "quarix_usershape", "Default", "chart"})
    map->DrawPoint(1, 2, map->LayerFindByName(name));
  const std::string dxf = "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1\n20\n2\n11\n3\n21\n4\n0\nENDSEC\n";
  const struct {
    std::string file, content, layer;
  } cases[] = {
      {"track_fix.csv", "1,10,20,5\n", "track_fix.csv"},
      {"quarix_usershape.xyz", "10 20 5\n", "quarix_usershape.xyz"},
      {"chart.xyz", "10 20 5\n", "chart.xyz"},
      {"Default.dxf", dxf, "Default.dxf"},
      // Not made yet, but the program's: the runline command would draw on it.
      {"Quarix_Route.txt", "10 20 5\n", "Quarix_Route.txt"},
      {"sub/chart.xyz", "10 20 5\n11 21 6\n", "chart.xyz (2)"},  // another file of that name
  };
  fs::create_directories(env.Home() + "sub");
  for (const auto& c : cases) {
    const std::string path = Write(c.file, c.content);
    EXPECT_TRUE(Import(path).empty()) << c.file;
    EXPECT_GE(map->LayerFindByName(c.layer), 0) << c.file;
    EXPECT_EQ(map->GetLayerAction(map->LayerFindByName(c.layer)), 15) << c.file;
    for (const char* name : {"track_fix", "quarix_usershape", "Default", "chart"})
      EXPECT_EQ(ShapesOn(name).size(), 1u) << c.file << " emptied " << name;
  }
  EXPECT_EQ(ShapesOn("chart.xyz").size(), 2u);
  EXPECT_EQ(ShapesOn("chart.xyz (2)").size(), 4u);
  EXPECT_EQ(ShapesOn("_dxf_Default.dxf").size(), 1u);
  EXPECT_NE(EventsLog().find("to layer: track_fix.csv"), std::string::npos);

  // A changed file goes back to the layer its first import made.
  const std::string path = Write("track_fix.csv", "1,10,20,5\n2,11,21,6\n");
  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_TRUE(Import(path).empty());
  EXPECT_EQ(ShapesOn("track_fix.csv").size(), 4u);
  EXPECT_EQ(map->LayerFindByName("track_fix.csv (2)"), -1);
  EXPECT_EQ(ShapesOn("track_fix").size(), 1u);
  EXPECT_EQ(map->LayerFindByName("chart"), chart);
  EXPECT_EQ(map->LayerFindByName("Quarix_Route"), -1);
}

// Two DXF files of one name: each fills a layer of its own, and a layer of
// that name that came with an opened drawing is left alone.
TEST_F(MainWindowImport, DxfFilesOfOneNameKeepTheirOwnLayers) {
  const int opened = map->LayerOpen("_dxf_harbour.dxf");
  map->DrawPoint(1, 2, opened);
  const std::string first = TestData("harbour.dxf");
  fs::create_directories(env.Home() + "other");
  const std::string second = env.Home() + "other/harbour.dxf";
  fs::copy_file(TestData("harbour-lines.dxf"), second);
  Import(first);
  Import(second);
  Import(first);  // back to its own layer, emptied and filled again
  EXPECT_EQ(ShapesOn("_dxf_harbour.dxf").size(), 1u);
  EXPECT_EQ(ShapesOn("_dxf_harbour.dxf (2)").size(), 2u);  // POINT and LWPOLYLINE
  EXPECT_EQ(ShapesOn("_dxf_harbour.dxf (3)").size(), 4u);
  EXPECT_EQ(map->LayerFindByName("_dxf_harbour.dxf (4)"), -1);
}

// A re-import that fails leaves the layer of the earlier import as it was:
// the file is read before anything is emptied. Each failure is told with its
// reason ("{path}" stands for the file's path), and none is logged as an
// import: a file cut short, a file that is no regular file, one deleted after
// it was chosen, one without a single point.
TEST_F(MainWindowImport, FailedReimportLeavesTheMapAsItWas) {
  SetGrid("6378137", "27");
  const std::string fifo = env.Home() + "fifo.xyz";
  // The chosen file replaced by a FIFO, or by a link to a device.
  const auto makeFifo = [](const std::string& p) {
    fs::remove(p);
    ASSERT_EQ(mkfifo(p.c_str(), 0600), 0);
  };
  const auto linkToZero = [](const std::string& p) {
    fs::remove(p);
    fs::create_symlink("/dev/zero", p);
  };
  const struct {
    std::string file, layer;
    std::function<void(const std::string&)> spoil;
    std::string message;  // the start of the message the failure shows
  } cases[] = {
      {"broken.kml", "broken", [this](const std::string& p) { Write("broken.kml", "<kml><Placemark>"); },
       "Failed to load KML/KMZ file: The KML file ends before its document does: its <kml> element is never "
       "closed"},
      {"cut.kml", "cut",
       [](const std::string& p) {
         const std::string whole = ReadWhole(p);
         std::ofstream(p, std::ios::binary | std::ios::trunc) << whole.substr(0, whole.size() / 2);
       },
       "Failed to load KML/KMZ file: The KML file ends before its document does"},
      {"pipe.kml", "pipe",
       makeFifo,
       "Failed to load KML/KMZ file: Failed to read KML file {path}: it is not a regular file"},
      {"nopoint.xyz", "nopoint", [this](const std::string&) { Write("nopoint.xyz", "Easting Northing Depth\n0 0 5\n"); },
       "No point was imported from the XYZ file {path}: none of its lines holds X, Y and Z."},
      {"nodatum.kml", "nodatum", [this](const std::string&) { SetGrid("", "27"); },
       "Please configure datum parameters"},
      {"nodatum.kmz", "nodatum", [this](const std::string&) { SetGrid("6378137", ""); },
       "Please configure datum parameters"},
      {"gone.xyz", "gone", [](const std::string& p) { fs::remove(p); }, "Failed to open XYZ file: "},
      {"fifo.xyz", "fifo",
       makeFifo,
       "Failed to open XYZ file: "},
      {"zero.xyz", "zero",
       linkToZero,
       "Failed to open XYZ file: "},
      {"plan.dxf", "_dxf_plan.dxf", [this](const std::string&) { Write("plan.dxf", "0\nEOF\n"); },
       "DXF load failed: ENTITIES section not found"},
      {"fifo.dxf", "_dxf_fifo.dxf",
       makeFifo,
       "DXF load failed: {path} cannot be read (it is not a regular file)"},
      {"zero.dxf", "_dxf_zero.dxf",
       linkToZero,
       "DXF load failed: {path} cannot be read (it is not a regular file)"},
      {"gone.dxf", "_dxf_gone.dxf", [](const std::string& p) { fs::remove(p); },
       "DXF load failed: {path} cannot be read (No such file or directory)"},
  };
  for (const auto& c : cases) {
    const std::string path = env.Home() + c.file;
    const std::string ext = fs::path(c.file).extension().string();
    if (ext == ".xyz") Write(c.file, "10 20 5\n11 21 6\n");
    else if (ext == ".dxf") fs::copy_file(TestData("harbour-lines.dxf"), path);
    else fs::copy_file(TestData(ext == ".kml" ? "kml/harbour.kml" : "kml/harbour.kmz"), path);
    ASSERT_TRUE(Import(path).empty()) << c.file;
    const std::vector<TQShape*> before = ShapesOn(c.layer);
    ASSERT_FALSE(before.empty()) << c.file;
    const std::size_t layers = map->Layers.size();
    const std::string log = EventsLog();
    c.spoil(path);
    const std::vector<std::string> shown = Import(path);
    ASSERT_EQ(shown.size(), 1u) << c.file;
    std::string message = c.message;
    if (const std::size_t at = message.find("{path}"); at != std::string::npos) message.replace(at, 6, path);
    EXPECT_EQ(shown[0].rfind(message, 0), 0u) << shown[0];
    EXPECT_EQ(ShapesOn(c.layer), before) << c.file;
    EXPECT_EQ(map->Layers.size(), layers) << c.file;
    EXPECT_EQ(EventsLog(), log) << c.file;
    SetGrid("6378137", "27");
  }
  EXPECT_NE(Import(fifo)[0].find("(it is not a regular file)"), std::string::npos);
}

// Which layer an import made survives a restart (the last drawing is read
// back at start) and New: importing the same file again replaces its copy.
TEST_F(MainWindowImport, ReimportAfterRestartReplacesItsCopy) {
  SetGrid("6378137", "27");
  const std::string kml = env.Home() + "harbour.kml";
  fs::copy_file(TestData("kml/harbour.kml"), kml);
  const std::string dxf = TestData("harbour-lines.dxf");
  Import(kml);
  Import(dxf);
  ASSERT_EQ(ShapesOn("harbour").size(), 6u);
  ASSERT_EQ(ShapesOn("_dxf_harbour-lines.dxf").size(), 4u);
  FNav->Save1Click();

  TearDown();
  Start();
  map = FNav->fcad;
  SetGrid("6378137", "27");
  ASSERT_EQ(ShapesOn("harbour").size(), 6u);  // the drawing read back at start
  Import(kml);
  Import(dxf);
  EXPECT_EQ(ShapesOn("harbour").size(), 6u);
  EXPECT_EQ(ShapesOn("_dxf_harbour-lines.dxf").size(), 4u);
  EXPECT_LT(map->LayerFindByName("harbour.kml"), 0);
  EXPECT_LT(map->LayerFindByName("harbour-lines.dxf"), 0);
  EXPECT_LT(map->LayerFindByName("_dxf_harbour-lines.dxf (2)"), 0);

  // A layer of that name that the user filled is never taken.
  map->DrawPoint(1, 2, map->LayerFindByName("harbour"));
  Import(kml);
  EXPECT_EQ(ShapesOn("harbour").size(), 7u);
  EXPECT_EQ(ShapesOn("harbour.kml").size(), 6u);
}

// GDAL's LIBKML KMZ: a doc.kml that only links to layers/*.kml in the same
// archive (ogr2ogr -f LIBKML of tests/data/gis/harbour.geojson). Names come
// as CDATA and with non-ASCII letters.
TEST_F(MainWindowImport, LibkmlKmzFollowsItsLinks) {
  SetGrid("6378137", "29");
  EXPECT_TRUE(Import(TestData("gis/harbour-libkml.kmz")).empty());
  std::vector<std::string> labels;
  std::size_t polylines = 0;
  for (TQShape* s : ShapesOn("harbour-libkml")) {
    if (auto* t = dynamic_cast<TQText*>(s)) labels.push_back(t->TextString);
    if (dynamic_cast<TQPolyline*>(s)) ++polylines;
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"Pier & Quay", "Harbour basin", "Şamandıra <1>", "Moorings",
                                              "Moorings"}));
  EXPECT_EQ(polylines, 4u);  // the line, the basin's outer ring, two moorings
}

// A long import shows its progress window, whose Cancel leaves the map as it
// was.
TEST_F(MainWindowImport, CancelledImportLeavesTheMapAsItWas) {
  const std::string path = Write("long.xyz", "10 20 5\n");
  Import(path);
  const std::vector<TQShape*> before = ShapesOn("long");
  ASSERT_EQ(before.size(), 2u);
  std::string lines;
  for (int i = 0; i < 40000; ++i) lines += std::to_string(100 + i) + " 200 5\n";
  Write("long.xyz", lines);
  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));

  TLongTask::ShowAfterMs = 0;
  bool cancelled = false;
  QTimer::singleShot(0, [&cancelled] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible()) d->cancel(), cancelled = true;
  });
  EXPECT_TRUE(Import(path).empty());
  TLongTask::ShowAfterMs = 1000;
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(ShapesOn("long"), before);
  EXPECT_EQ(EventsLog().find("Imported XYZ: " + path + " (40000"), std::string::npos);
}

// A logout or kill -TERM during a long import: the import stops and leaves
// nothing behind, then the program closes as File > Exit does, and the
// drawing that the closing saves holds nothing of the import.
TEST_F(MainWindowImport, TerminationDuringAnImportLeavesNothingOfItInTheSavedDrawing) {
  platform::SetTerminationDeadline(0);  // the test process goes on after the request
  platform::OnTerminationRequest([] {
    if (FNav) FNav->close();
  });
  map->DrawLine(0, 0, 1, 1, UserShapeLayer);
  std::string lines;
  for (int i = 0; i < 300000; ++i) lines += std::to_string(100 + i) + " 200 5\n";
  const std::string path = Write("survey.xyz", lines);
  const std::size_t layers = map->Layers.size();

  TLongTask::ShowAfterMs = 0;
  bool raised = false;
  QTimer::singleShot(0, [&raised] { raised = ::raise(SIGTERM) == 0; });  // once the import's progress shows
  EXPECT_TRUE(Import(path).empty());
  TLongTask::ShowAfterMs = 1000;
  ASSERT_TRUE(raised);
  EXPECT_TRUE(ShapesOn("survey").empty());
  EXPECT_EQ(map->Layers.size(), layers);
  EXPECT_EQ(EventsLog().find("Imported XYZ"), std::string::npos);
  // The request is carried out once the import has unwound.
  for (int i = 0; i < 100 && FNav->isVisible(); ++i) QCoreApplication::processEvents();
  EXPECT_FALSE(FNav->isVisible());

  const std::string saved = IniFile().ReadString("FILE", "Last File Saved", "");
  ASSERT_FALSE(saved.empty());
  EXPECT_NE(EventsLog().find("\tAuto-saved: " + saved), std::string::npos);
  TQuarixCanvasModel back;
  ASSERT_EQ(back.CadLoad(saved, -1, -1, 0), 1);
  EXPECT_EQ(back.ShapeCount, map->ShapeCount);
  EXPECT_LT(back.LayerFindByName("survey"), 0);
  for (const TQLayer* l : back.Layers) EXPECT_FALSE(l->Name.empty()) << "a work layer was saved";
  for (const TQShape* s : back.Shapes) EXPECT_EQ(dynamic_cast<const TQPoint*>(s), nullptr);
}

// So does a long drawing load (Open) when it is cancelled.
TEST_F(MainWindowImport, CancelledOpenLeavesTheMapAsItWas) {
  const std::string file = env.Home() + "big.qvt";
  {
    TQuarixCanvasModel other;
    const int layer = other.LayerOpen("Soundings");
    for (int i = 0; i < 20000; ++i) other.DrawPoint(i, i, layer);
    ASSERT_EQ(other.CadSave(file), 1);
  }
  map->DrawLine(0, 0, 1, 1, UserShapeLayer);
  const std::vector<TQShape*> shapes = map->Shapes;
  const std::size_t layers = map->Layers.size();
  TLongTask::ShowAfterMs = 0;
  bool cancelled = false;
  QTimer::singleShot(0, [&cancelled] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible()) d->cancel(), cancelled = true;
  });
  prompts::CurrentScript().shown.clear();
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(file));
  FNav->Open1->trigger();
  TLongTask::ShowAfterMs = 1000;
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(map->Shapes, shapes);
  EXPECT_EQ(map->Layers.size(), layers);
  ASSERT_FALSE(prompts::CurrentScript().shown.empty());
  EXPECT_TRUE(prompts::CurrentScript().shown.back().contains("the reading was cancelled"));
}

TEST_F(MainWindowImport, CancelChangesNothing) {
  const std::size_t layers = map->Layers.size(), shapes = map->Shapes.size();
  prompts::CurrentScript().fileNames.clear();
  FNav->Import1->trigger();
  EXPECT_EQ(map->Layers.size(), layers);
  EXPECT_EQ(map->Shapes.size(), shapes);
}

}  // namespace
