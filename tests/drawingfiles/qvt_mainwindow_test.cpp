// The main window's file commands with real drawing files: Save writes a file
// that the canvas reads back, Open adds one, the start reloads the last one.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <csignal>

#include "app/settingsfile.h"
#include "app/textfile.h"
#include "canvas/QuarixCanvas.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/termination.h"
#include "runtime/longtask.h"
#include "tests/runtime/formsfixture.h"

namespace {

class MainWindowFiles : public FormsTest {
 protected:
  void ExpectToldAtStartAndAtOpen(const std::string& file, const std::string& why);
};

// The layers and shapes of a canvas in a form that compares whole.
std::vector<std::string> Describe(const TQuarixCanvasModel& c) {
  std::vector<std::string> out;
  for (const TQLayer* l : c.Layers) out.push_back("layer " + std::to_string(l->Number) + " " + l->Name);
  for (const TQShape* s : c.Shapes)
    out.push_back("shape " + std::to_string(s->ShapeType) + " on " + std::to_string(s->Layer) + " pen " +
                  std::to_string(s->PenFg) + " box " + std::to_string(s->MinX) + " " + std::to_string(s->MaxY));
  return out;
}

TEST_F(MainWindowFiles, SaveWritesADrawingThatReadsBack) {
  Start();
  TQuarixCanvas* map = FNav->fcad;
  map->DrawLine(450000, 4500000, 450010.5, 4500020.25, UserShapeLayer);
  map->DrawPolyline({{1, 2}, {3, 4}, {5, 6}}, UserShapeLayer, true);
  map->TextAdd(EventNumberLayer, "12", 7, 8, 0);
  map->DrawLine(0, 0, 1, 1, VesselLayer);  // not saved
  map->DrawLine(0, 0, 1, 1, GridLayer);    // not saved
  FNav->Save1->trigger();

  const std::string file = DayLayoutFolder + "2026-01-30 1435.qvt";
  EXPECT_EQ(IniFile().ReadString("FILE", "Last File Saved", ""), file);
  const std::string bytes = env.ReadFile(file);
  ASSERT_GE(bytes.size(), 6u);
  EXPECT_EQ(bytes.substr(0, 4), "QVT1");
  EXPECT_FALSE(platform::FileExists(file + ".tmp"));

  TQuarixCanvasModel back;
  ASSERT_EQ(back.CadLoad(file, -1, -1, 0), 1);
  EXPECT_EQ(back.ShapeCount, 3);
  EXPECT_EQ(Describe(back), Describe(*map));
  EXPECT_NEAR(back.WorldLeft, map->WorldLeft, 1e-6);  // the file keeps six decimals
  EXPECT_NEAR(back.WorldTop, map->WorldTop, 1e-6);
}

TEST_F(MainWindowFiles, OpenAddsASavedDrawingAndEmptiesTheVesselAndGridLayers) {
  Start();
  const std::string file = env.Home() + "other.qvt";
  {
    TQuarixCanvasModel other;
    other.DrawLine(1, 1, 2, 2, other.LayerOpen("~~Quarix Vessel"));
    other.DrawLine(1, 1, 2, 2, other.LayerOpen("Quarix Grid"));
    other.DrawCircle(5, 5, 1, other.LayerOpen("quarix_usershape"));
    other.DrawPoint(3, 3, other.LayerOpen("Soundings"));
    ASSERT_EQ(other.CadSave(file), 1);
  }
  TQuarixCanvas* map = FNav->fcad;
  map->DrawLine(0, 0, 1, 1, UserShapeLayer);
  const int layers = static_cast<int>(map->Layers.size());
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(file));
  FNav->Open1->trigger();
  ASSERT_EQ(map->ShapeCount, 3);  // the own line, the file's circle and point
  EXPECT_EQ(map->Shapes[1]->Layer, UserShapeLayer);
  EXPECT_EQ(map->Shapes[2]->Layer, map->LayerFindByName("Soundings"));
  EXPECT_EQ(static_cast<int>(map->Layers.size()), layers + 1);
  EXPECT_EQ(map->Shapes[2]->Number, 5);  // numbered on after the file's vessel and grid lines
  EXPECT_NE(EventsLog().find("\tOpened file: " + file), std::string::npos);
}

TEST_F(MainWindowFiles, StartReloadsTheLastSavedDrawing) {
  const std::string file = env.Home() + "last.qvt";
  {
    TQuarixCanvasModel last;
    last.DrawCircle(5, 5, 1, last.LayerOpen("quarix_usershape"));
    last.DrawLine(1, 1, 2, 2, last.LayerOpen("~~Quarix Vessel"));
    ASSERT_EQ(last.CadSave(file), 1);
    IniFile().WriteString("FILE", "Last File Saved", file);
  }
  Start();
  TQuarixCanvas* map = FNav->fcad;
  ASSERT_EQ(map->ShapeCount, 1);  // the vessel's shapes are dropped
  EXPECT_NE(dynamic_cast<TQCircle*>(map->Shapes[0]), nullptr);
  EXPECT_EQ(map->Shapes[0]->Layer, map->LayerFindByName("quarix_usershape"));
  EXPECT_EQ(LastFileName, file);
  EXPECT_EQ(FNav->windowTitle().toStdString(), "Quarix Depthmark - " + file);
}

// A logout or kill -TERM while the last drawing is reloaded at start: the
// program closes without saving the map that holds none of it, so the drawing
// stays the last one saved and the next start shows it.
TEST_F(MainWindowFiles, TerminationDuringTheReloadAtStartKeepsTheLastDrawing) {
  const std::string file = env.Home() + "last.qvt";
  {
    TQuarixCanvasModel last;
    const int layer = last.LayerOpen("Soundings");
    for (int i = 0; i < 200000; ++i) last.DrawPoint(i, i, layer);
    ASSERT_EQ(last.CadSave(file), 1);
    IniFile().WriteString("FILE", "Last File Saved", file);
  }
  platform::SetTerminationDeadline(0);  // the test process goes on after the request
  platform::OnTerminationRequest([] {
    if (FNav) FNav->close();
  });
  TLongTask::ShowAfterMs = 0;
  bool raised = false;
  QTimer::singleShot(0, [&raised] { raised = ::raise(SIGTERM) == 0; });  // once the reload's progress shows
  Start();
  TLongTask::ShowAfterMs = 1000;
  ASSERT_TRUE(raised);
  for (int i = 0; i < 100 && FNav->isVisible(); ++i) QCoreApplication::processEvents();
  EXPECT_FALSE(FNav->isVisible());
  EXPECT_EQ(FNav->fcad->LayerFindByName("Soundings"), -1);

  EXPECT_EQ(IniFile().ReadString("FILE", "Last File Saved", ""), file);
  EXPECT_TRUE(QDir(QString::fromStdString(DayLayoutFolder)).entryList({"*.qvt"}, QDir::Files).isEmpty());
  EXPECT_NE(EventsLog().find("Drawing not saved: the reload at start was stopped by the closing; the last saved "
                             "drawing stays " + file),
            std::string::npos)
      << EventsLog();
  Stop();

  Start();
  EXPECT_EQ(LastFileName, file);
  EXPECT_EQ(FNav->fcad->ShapeCount, 200000);
}

// An arc that came with an opened drawing (held by its three points) is
// written back by the save at Exit, and the next start shows it again.
TEST_F(MainWindowFiles, AnArcOfAnOpenedDrawingIsSavedAndReloaded) {
  const std::string file = env.Home() + "arcs.qvt";
  ASSERT_TRUE(WriteFileAtomically(file,
                                  "LAYER 1 chart\n"
                                  "ARC 450000.5 4500000.25 450010 4500010.125 450020.75 4500000 1 255 2\n"
                                  "LINE 1 2 3 4 1 0 1\n"));
  Start();
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(file));
  FNav->Open1->trigger();
  ASSERT_EQ(FNav->fcad->ShapeCount, 2);
  const std::vector<std::string> opened = Describe(*FNav->fcad);
  FNav->Exit1->trigger();
  const std::string saved = IniFile().ReadString("FILE", "Last File Saved", "");
  ASSERT_FALSE(saved.empty());
  Stop();

  Start();
  EXPECT_EQ(LastFileName, saved);
  EXPECT_EQ(Describe(*FNav->fcad), opened);
  const TQArc* arc = nullptr;
  for (const TQShape* s : FNav->fcad->Shapes)
    if (!arc) arc = dynamic_cast<const TQArc*>(s);
  ASSERT_NE(arc, nullptr);
  EXPECT_EQ(arc->ShapeType, stArc);
  EXPECT_EQ(arc->X1, 450000.5);
  EXPECT_EQ(arc->Y2, 4500010.125);
  EXPECT_EQ(arc->X3, 450020.75);
  EXPECT_EQ(arc->PenFg, 255u);
  EXPECT_EQ(arc->PenWidth, 2);
  EXPECT_EQ(arc->Layer, FNav->fcad->LayerFindByName("chart"));
}

// After a start whose reload of the last drawing failed: the map holds no
// shape but has its fixed layers, no folder is shown, and the failure was
// logged and shown with its reason.
void ExpectReloadTold(const std::string& file, const std::string& why, const std::string& log) {
  EXPECT_EQ(FNav->fcad->ShapeCount, 0);
  EXPECT_GE(UserShapeLayer, 0);
  EXPECT_EQ(FNav->fcad->LayerFindByName("quarix_usershape"), UserShapeLayer);
  EXPECT_TRUE(LastFileName.empty());
  EXPECT_NE(log.find("\tReload failed: " + file + " could not be read (it " + why), std::string::npos);
  ASSERT_FALSE(prompts::CurrentScript().shown.empty());
  EXPECT_TRUE(prompts::CurrentScript().shown.front().contains("could not be reloaded"));
  EXPECT_TRUE(prompts::CurrentScript().shown.front().contains(QString::fromStdString(why)));
}

// The drawing named file as the last one saved: its reload at start is told
// with why; then Open tells it the same way, leaving the map as it was.
void MainWindowFiles::ExpectToldAtStartAndAtOpen(const std::string& file, const std::string& why) {
  IniFile().WriteString("FILE", "Last File Saved", file);
  prompts::CurrentScript().shown.clear();
  Start();
  ExpectReloadTold(file, why, EventsLog());
  FNav->fcad->DrawLine(0, 0, 1, 1, UserShapeLayer);
  const std::vector<std::string> before = Describe(*FNav->fcad);
  prompts::CurrentScript().shown.clear();
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(file));
  FNav->Open1->trigger();
  EXPECT_EQ(Describe(*FNav->fcad), before);
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 2u);  // the dialog's caption, then the message
  const std::string told = prompts::CurrentScript().shown.back().toStdString();
  EXPECT_EQ(told.rfind("The file " + file + " could not be read as a drawing: it " + why, 0), 0u) << told;
  Stop();
}

TEST_F(MainWindowFiles, ADamagedLastDrawingIsToldAtStart) {
  const std::string file = env.Home() + "damaged.qvt";
  WriteFileAtomically(file, std::string("QVT1") + "\x78\x9C not deflate data");
  IniFile().WriteString("FILE", "Last File Saved", file);
  Start();
  ExpectReloadTold(file, "is damaged", EventsLog());
}

TEST_F(MainWindowFiles, AMissingLastDrawingIsToldAtStart) {
  const std::string file = env.Home() + "gone.qvt";
  IniFile().WriteString("FILE", "Last File Saved", file);
  Start();
  ExpectReloadTold(file, "does not exist", EventsLog());
}

// A drawing of many shapes as Save writes it, and its first half.
std::string SavedDrawing(const std::string& file, int shapes) {
  TQuarixCanvasModel c;
  const int layer = c.LayerOpen("quarix_usershape");
  for (int i = 0; i < shapes; ++i) c.DrawPoint(450000 + i * 0.37, 4500000 + i * 0.11, layer);
  EXPECT_EQ(c.CadSave(file), 1);
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(file, bytes));
  return bytes;
}

TEST_F(MainWindowFiles, HalfADrawingOrOneWithoutRecordsIsToldAtStartAndAtOpen) {
  const std::string whole = SavedDrawing(env.Home() + "whole.qvt", 20000);
  struct Case {
    std::string bytes, why;
  };
  const Case cases[] = {
      {whole.substr(0, whole.size() / 2), "is cut short"},
      {whole.substr(0, whole.size() - 4), "is cut short"},  // no checksum
      {std::string("\x93\x11\xfe random bytes \x01\x7f\n\x02", 21), "holds no drawing"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.why);
    const std::string file = env.Home() + "part.qvt";
    ASSERT_TRUE(WriteFileAtomically(file, k.bytes));
    ExpectToldAtStartAndAtOpen(file, k.why);
  }
}

TEST_F(MainWindowFiles, SaveNeverReplacesADrawingOfAnEarlierStart) {
  // The last drawing lies under the very name a save in this minute takes:
  // damaged, cut short, or whole but saved by an earlier start.
  const std::string name = DayLayoutFolder + "2026-01-30 1435.qvt";
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(DayLayoutFolder)));
  const std::string whole = SavedDrawing(name, 100);
  for (const std::string& bytes : {std::string("QVT1") + "\x78\x9C not deflate data",
                                   whole.substr(0, whole.size() / 2), whole}) {
    ASSERT_TRUE(WriteFileAtomically(name, bytes));
    QFile::remove(QString::fromStdString(DayLayoutFolder + "2026-01-30 143512.qvt"));
    QFile::remove(QString::fromStdString(DayLayoutFolder + "2026-01-30 143512 (2).qvt"));
    IniFile().WriteString("FILE", "Last File Saved", name);
    Start();
    FNav->Save1->trigger();
    const std::string first = DayLayoutFolder + "2026-01-30 143512.qvt";
    EXPECT_EQ(IniFile().ReadString("FILE", "Last File Saved", ""), first);
    // A second save in the same second replaces what this run saved.
    FNav->fcad->DrawLine(0, 0, 1, 1, UserShapeLayer);
    FNav->Save1->trigger();
    EXPECT_EQ(IniFile().ReadString("FILE", "Last File Saved", ""), first);
    EXPECT_FALSE(platform::FileExists(DayLayoutFolder + "2026-01-30 143512 (2).qvt"));
    TQuarixCanvasModel saved;
    ASSERT_EQ(saved.CadLoad(first, -1, -1, 0), 1);
    EXPECT_EQ(saved.ShapeCount, FNav->fcad->ShapeCount);
    // Then File > Exit in the same minute.
    FNav->Exit1->trigger();
    EXPECT_EQ(env.ReadFile(name), bytes);
    Stop();
  }
  // A name with seconds taken by an earlier start too: a number is added.
  const std::string seconds = DayLayoutFolder + "2026-01-30 143512.qvt";
  ASSERT_TRUE(WriteFileAtomically(seconds, "earlier"));
  Start();
  FNav->Save1->trigger();
  EXPECT_EQ(IniFile().ReadString("FILE", "Last File Saved", ""), DayLayoutFolder + "2026-01-30 143512 (2).qvt");
  EXPECT_EQ(env.ReadFile(seconds), "earlier");
  EXPECT_EQ(env.ReadFile(name), whole);
}

TEST_F(MainWindowFiles, SaveAsIntoAMissingFolderWritesNothingAndTellsIt) {
  Start();
  const std::string file = env.Home() + "missing/x.qvt";
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(file));
  FNav->fcad->DrawLine(0, 0, 1, 1, UserShapeLayer);
  const QString title = FNav->windowTitle();
  FNav->SaveAs1->trigger();
  EXPECT_FALSE(platform::FileExists(file));
  EXPECT_EQ(FNav->windowTitle(), title);
  EXPECT_EQ(EventsLog().find("\tSaved As: "), std::string::npos);
  EXPECT_NE(EventsLog().find("\tSave As failed: " + file), std::string::npos);
  ASSERT_FALSE(prompts::CurrentScript().shown.empty());
  EXPECT_TRUE(prompts::CurrentScript().shown.back().contains("could not be saved"));
  EXPECT_EQ(FNav->fcad->ShapeCount, 1);
}

TEST_F(MainWindowFiles, SaveIntoAMissingFolderKeepsTheLastFileAndTellsItAndExitStillExits) {
  Start();
  IniFile().WriteString("FILE", "Last File Saved", "good.qvt");
  const QString title = FNav->windowTitle();
  QDir(QString::fromStdString(DayLayoutFolder)).removeRecursively();
  FNav->Exit1->trigger();
  EXPECT_EQ(EventsLog().find("\tAuto-saved: "), std::string::npos);
  EXPECT_NE(EventsLog().find("\tSave failed: " + DayLayoutFolder), std::string::npos);
  EXPECT_EQ(IniFile().ReadString("FILE", "Last File Saved", ""), "good.qvt");
  EXPECT_EQ(FNav->windowTitle(), title);
  ASSERT_FALSE(prompts::CurrentScript().shown.empty());
  EXPECT_TRUE(prompts::CurrentScript().shown.front().contains("could not be saved"));
  EXPECT_FALSE(FNav->isVisible());  // Exit went on and closed the window
}

TEST_F(MainWindowFiles, OpenOfGarbageOrAForeignFileLeavesTheMapAndTellsIt) {
  Start();
  FNav->fcad->DrawLine(0, 0, 1, 1, UserShapeLayer);
  const std::vector<std::string> before = Describe(*FNav->fcad);
  // Damaged data behind the magic, and a foreign file read as plain text
  // that holds no record.
  for (const std::string& bytes : {std::string("QVT1") + "\x01\x02 not a zlib stream",
                                   std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)}) {
    const std::string file = env.Home() + "garbage.qvt";
    WriteFileAtomically(file, bytes);
    prompts::CurrentScript().shown.clear();
    prompts::CurrentScript().fileNames.push_back(QString::fromStdString(file));
    FNav->Open1->trigger();
    EXPECT_EQ(Describe(*FNav->fcad), before);
    EXPECT_EQ(EventsLog().find("\tOpened file: "), std::string::npos);
    EXPECT_NE(EventsLog().find("\tOpen failed: " + file), std::string::npos);
    ASSERT_FALSE(prompts::CurrentScript().shown.empty());
    EXPECT_TRUE(prompts::CurrentScript().shown.back().contains("could not be read"));
  }
}

// A drawing that is no regular file (a FIFO, a link to /dev/zero, a folder)
// is never waited on nor read: told at start and at Open, the map as it was.
TEST_F(MainWindowFiles, ADrawingThatIsNoRegularFileIsToldAtStartAndAtOpen) {
  const std::string fifo = env.Home() + "fifo.qvt", zero = env.Home() + "zero.qvt", folder = env.Home() + "folder.qvt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  for (const std::string& file : {fifo, zero, folder}) {
    SCOPED_TRACE(file);
    ExpectToldAtStartAndAtOpen(file, "is not a regular file");
  }
  // Nor is the FIFO replaced by a drawing saved under its name.
  Start();
  prompts::CurrentScript().shown.clear();
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(fifo));
  FNav->SaveAs1->trigger();
  EXPECT_EQ(prompts::CurrentScript().shown.back().toStdString(),
            "The drawing could not be saved to " + fifo + ": the name is taken by something that is not a regular file");
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(MainWindowFiles, ExportIntoAMissingFolderTellsIt) {
  Start();
  const std::string file = env.Home() + "missing/map.dxf";
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(file));
  FNav->Export1->trigger();
  EXPECT_FALSE(platform::FileExists(file));
  EXPECT_NE(EventsLog().find("\tExport failed: " + file), std::string::npos);
  ASSERT_FALSE(prompts::CurrentScript().shown.empty());
  EXPECT_TRUE(prompts::CurrentScript().shown.back().contains("could not be exported"));
}

TEST_F(MainWindowFiles, ExportWritesTheWholeDrawingAsDxfAndCancelWritesNothing) {
  Start();
  FNav->fcad->DrawLine(450000, 4500000, 450010, 4500020, UserShapeLayer);
  FNav->fcad->DrawLine(0, 0, 1, 1, VesselLayer);  // exported too
  FNav->Export1->trigger();                       // cancelled: no name
  const std::string file = env.Home() + "map.dxf";
  EXPECT_FALSE(platform::FileExists(file));
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(file));
  FNav->Export1->trigger();
  const std::string dxf = env.ReadFile(file);
  EXPECT_NE(dxf.find("450010.000000"), std::string::npos);
  EXPECT_NE(dxf.find("~~Quarix Vessel"), std::string::npos);
  EXPECT_EQ(FNav->fcad->ShapeCount, 2);
}

}  // namespace
