// DXF R12 export of the canvas model: exact output, round trip through the
// reader, and GDAL's ogrinfo as an independent reader.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "drawingfiles/dxfimport.h"
#include "drawingfiles/dxfwriter.h"

namespace {

// The expected file from its lines, each ended by CR LF.
std::string Crlf(std::initializer_list<std::string> lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

std::string Written(const TQuarixCanvasModel& m) {
  std::ostringstream out;
  WriteDxf(m, out);
  return out.str();
}

// The entities section's content.
std::string EntitiesOf(const std::string& file) {
  const std::string start = Crlf({"2", "ENTITIES"});
  const std::size_t b = file.find(start);
  const std::size_t e = file.rfind(Crlf({"0", "ENDSEC", "0", "EOF"}));
  if (b == std::string::npos || e == std::string::npos) return "<broken>";
  return file.substr(b + start.size(), e - b - start.size());
}

TEST(DxfWriter, EmptyDrawing) {
  TQuarixCanvasModel m;
  m.WorldSet(-2.5, 20, 10, 0);
  EXPECT_EQ(Written(m),
            Crlf({"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1009", "9", "$INSBASE",
                  "10", "0.0", "20", "0.0", "30", "0.0", "9", "$EXTMIN", "10", "-2.500000", "20",
                  "0.000000", "30", "0.0", "9", "$EXTMAX", "10", "10.000000", "20", "20.000000",
                  "30", "0.0", "0", "ENDSEC", "0", "SECTION", "2", "TABLES", "0", "TABLE", "2",
                  "LAYER", "70", "0", "0", "ENDTAB", "0", "ENDSEC", "0", "SECTION", "2",
                  "ENTITIES", "0", "ENDSEC", "0", "EOF"}));
}

TEST(DxfWriter, EntitiesByShapeKind) {
  const struct {
    std::function<void(TQuarixCanvasModel&)> draw;
    std::string entities;
  } cases[] = {
      {[](TQuarixCanvasModel& m) { m.DrawLine(0, 0, 10, 5, 0); },
       Crlf({"0", "LINE", "8", "Default", "10", "0.000000", "20", "0.000000", "30", "0.0", "11",
             "10.000000", "21", "5.000000", "31", "0.0"})},
      {[](TQuarixCanvasModel& m) { m.DrawCircle(1, 2, 3.25, 0); },
       Crlf({"0", "CIRCLE", "8", "Default", "10", "1.000000", "20", "2.000000", "30", "0.0", "40",
             "3.250000"})},
      {[](TQuarixCanvasModel& m) { m.DrawPoint(-1, 2, 0); },
       Crlf({"0", "POINT", "8", "Default", "10", "-1.000000", "20", "2.000000", "30", "0.0"})},
      {[](TQuarixCanvasModel& m) { m.DrawRectangle(1, 2, 3, 4, 0); },
       Crlf({"0", "POLYLINE", "8", "Default", "66", "1", "70", "1",
             "0", "VERTEX", "8", "Default", "10", "1.000000", "20", "2.000000", "30", "0.0",
             "0", "VERTEX", "8", "Default", "10", "3.000000", "20", "2.000000", "30", "0.0",
             "0", "VERTEX", "8", "Default", "10", "3.000000", "20", "4.000000", "30", "0.0",
             "0", "VERTEX", "8", "Default", "10", "1.000000", "20", "4.000000", "30", "0.0",
             "0", "SEQEND", "8", "Default"})},
      {[](TQuarixCanvasModel& m) { m.DrawTwoPointEllipse(0, 0, 10, 4, 0); },
       Crlf({"0", "CIRCLE", "8", "Default", "10", "5.000000", "20", "2.000000", "30", "0.0", "40",
             "3.500000"})},
      {[](TQuarixCanvasModel& m) { m.DrawPolyline({{0, 0}, {1.5, 2}}, 0, false); },
       Crlf({"0", "POLYLINE", "8", "Default", "66", "1", "70", "0",
             "0", "VERTEX", "8", "Default", "10", "0.000000", "20", "0.000000", "30", "0.0",
             "0", "VERTEX", "8", "Default", "10", "1.500000", "20", "2.000000", "30", "0.0",
             "0", "SEQEND", "8", "Default"})},
      {[](TQuarixCanvasModel& m) {
         auto* t = dynamic_cast<TQText*>(m.FindShape(m.TextAdd(0, "Caf\xC3\xA9\nx", 1, 2, -1)));
         t->Height = 0;
       },
       Crlf({"0", "TEXT", "8", "Default", "10", "1.000000", "20", "2.000000", "30", "0.0", "40",
             "2.500000", "1", "Caf\xE9 x"})},
      {[](TQuarixCanvasModel& m) {
         auto* t = dynamic_cast<TQText*>(m.FindShape(m.TextAdd(0, "A", 1, 2, -1)));
         t->Angle = -45;
       },
       Crlf({"0", "TEXT", "8", "Default", "10", "1.000000", "20", "2.000000", "30", "0.0", "40",
             "10.000000", "1", "A", "50", "-45.000000"})},
      {[](TQuarixCanvasModel& m) {
         m.DrawThreePointArc(0, 0, 1, 1, 2, 0, 0);
         m.FindShape(m.DrawLine(0, 0, 1, 1, 0))->Visible = false;
         auto* p = new TQPolyline;
         p->ShapeType = stPolyline;
         p->Number = m.NextShapeNumber++;
         m.Shapes.push_back(p);
         m.DrawLine(0, 0, NAN, 1, 0);
       },
       ""},
  };
  for (const auto& c : cases) {
    TQuarixCanvasModel m;
    c.draw(m);
    EXPECT_EQ(EntitiesOf(Written(m)), c.entities);
  }
}

TEST(DxfWriter, LayerTableListsTheLayersThatCarryShapes) {
  TQuarixCanvasModel m;
  const int a = m.LayerOpen("Alpha");
  const int b = m.LayerOpen("Beta");
  m.LayerOpen("Unused");
  m.DrawLine(0, 0, 1, 1, b);
  m.FindShape(m.DrawLine(0, 0, 1, 1, a))->Visible = false;
  m.DrawLine(0, 0, 1, 1, b);
  // A shape whose layer has no record counts but has no entry.
  m.FindShape(m.DrawPoint(0, 0, a))->Layer = 42;
  const std::string file = Written(m);
  EXPECT_NE(file.find(Crlf({"0", "TABLE", "2", "LAYER", "70", "3", "0", "LAYER", "2", "Beta", "70",
                            "0", "62", "7", "6", "CONTINUOUS", "0", "LAYER", "2", "Alpha", "70",
                            "0", "62", "7", "6", "CONTINUOUS", "0", "ENDTAB"})),
            std::string::npos);
  EXPECT_NE(file.find(Crlf({"0", "POINT", "8", "0"})), std::string::npos);
  EXPECT_EQ(file.find("Alpha\r\n10"), std::string::npos);
}

TEST(DxfWriter, ExportReportsAFileThatCannotBeOpened) {
  TQuarixCanvasModel m;
  QTemporaryDir dir;
  EXPECT_EQ(DXFSave(m, dir.path().toStdString() + "/missing/x.dxf"), 0);
  const std::string file = dir.path().toStdString() + "/x.dxf";
  EXPECT_EQ(DXFSave(m, file), 1);
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, Written(m));
}

// What the writer produces reads back through the canvas's own reader.
TEST(DxfWriter, RoundTripThroughTheReader) {
  TQuarixCanvasModel m;
  m.DrawLine(500000.25, 4500000.5, 500010, 4500020, 0);
  m.DrawCircle(10, 20, 5, 0);
  m.DrawPoint(3, 4, 0);
  m.DrawPolyline({{0, 0}, {10, 0}, {10, 10}}, 0, true);
  m.TextAdd(0, "Buoy \xC3\xA9", 7, 8, -1);
  // Outside code page 1252: Greek, Cyrillic, CJK, Turkish.
  const std::string other = "\xCE\xBB \xD0\x96 \xE6\xB8\xAF \xC4\xB0\xC5\x9F";
  m.TextAdd(0, other, 9, 9, -1);
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/round.dxf";
  ASSERT_EQ(DXFSave(m, path), 1);

  TQuarixCanvasModel back;
  ASSERT_TRUE(DXFLoad(back, path));
  ASSERT_EQ(back.Shapes.size(), 6u);
  auto* l = dynamic_cast<TQLine*>(back.Shapes[0]);
  ASSERT_NE(l, nullptr);
  EXPECT_DOUBLE_EQ(l->X1, 500000.25);
  EXPECT_DOUBLE_EQ(l->Y1, 4500000.5);
  auto* c = dynamic_cast<TQCircle*>(back.Shapes[1]);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Radius, 5);
  EXPECT_EQ(back.Shapes[2]->ShapeType, stPoint);
  auto* p = dynamic_cast<TQPolyline*>(back.Shapes[3]);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->ShapeType, stPolygon);
  EXPECT_EQ(p->PointCount(), 3);
  auto* t = dynamic_cast<TQText*>(back.Shapes[4]);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->TextString, "Buoy \xC3\xA9");
  EXPECT_EQ(t->Height, 10);
  EXPECT_EQ(dynamic_cast<TQText*>(back.Shapes[5])->TextString, other);
}

// GDAL's DXF driver reads the export: geometry types and coordinates.
TEST(DxfWriter, OgrinfoReadsTheExport) {
  TQuarixCanvasModel m;
  m.LayerOpen("Quarix_Route");
  const int route = m.LayerFindByName("Quarix_Route");
  m.DrawLine(1, 2, 3, 4, route);
  m.DrawPolyline({{0, 0}, {10, 0}, {10, 10}}, route, true);
  m.DrawPolyline({{5, 5}, {6, 7}}, 0, false);
  m.DrawPoint(8, 9, 0);
  m.DrawCircle(0, 0, 2, 0);
  m.TextAdd(0, "Pier", 1, 1, -1);
  QTemporaryDir dir;
  const QString path = dir.path() + "/ogr.dxf";
  ASSERT_EQ(DXFSave(m, path.toStdString()), 1);

  QProcess ogr;
  ogr.start("ogrinfo", {"-ro", "-al", "-q", path});
  if (!ogr.waitForStarted(10000)) GTEST_SKIP() << "ogrinfo is not installed";
  ASSERT_TRUE(ogr.waitForFinished(60000));
  const QString out = QString::fromUtf8(ogr.readAllStandardOutput());
  EXPECT_EQ(ogr.exitCode(), 0) << ogr.readAllStandardError().toStdString();
  EXPECT_TRUE(out.contains("LINESTRING Z (1 2 0,3 4 0)")) << out.toStdString();
  EXPECT_TRUE(out.contains("LINESTRING Z (0 0 0,10 0 0,10 10 0,0 0 0)")) << out.toStdString();
  EXPECT_TRUE(out.contains("LINESTRING Z (5 5 0,6 7 0)")) << out.toStdString();
  EXPECT_TRUE(out.contains("POINT Z (8 9 0)")) << out.toStdString();
  EXPECT_TRUE(out.contains("Layer (String) = Quarix_Route")) << out.toStdString();
  EXPECT_TRUE(out.contains("Text (String) = Pier")) << out.toStdString();
  EXPECT_TRUE(out.contains("POINT Z (1 1 0)")) << out.toStdString();
  // The circle comes back as GDAL's tessellation from (2, 0).
  EXPECT_TRUE(out.contains("LINESTRING Z (2 0 0,")) << out.toStdString();
  EXPECT_EQ(out.count("OGRFeature("), 6) << out.toStdString();
}

}  // namespace
