// The pieces of the main window's import that need no window: XYZ depth
// points with labels, KML placemarks on a layer, the grid conversion texts.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "canvas/canvasmodel.h"
#include "canvas/shapes.h"
#include "drawingfiles/QuarixKMZLoader.h"
#include "drawingfiles/kmlimport.h"
#include "drawingfiles/xyzimport.h"
#include "tests/support/tempenv.h"
#include "tests/support/utm35.h"

namespace {

TEST(XYZImportPiece, LineRules) {
  const struct {
    const char* piece;
    bool point;
    double x, y, z;
  } cases[] = {
      {"12,500.5,400.25,3.456\n", true, 500.5, 400.25, 3.456},  // number, x, y, z
      {"500.5 400.25 -1.2\n", true, 500.5, 400.25, -1.2},
      {"500.5\t400.25\t-1.2\r\n", true, 500.5, 400.25, -1.2},
      {"+1e2 2E1 3 4 5\n", true, 2e1, 3, 4},  // four read, the rest ignored
      {"-1,-2,-3 text\n", true, -1, -2, -3},
      {"1 2 3 x\n", true, 1, 2, 3},
      {"Easting Northing Depth\n", false, 0, 0, 0},
      {" 500 400 1\n", false, 0, 0, 0},  // leading blank
      {".5 400 1\n", false, 0, 0, 0},
      {"#1 2 3\n", false, 0, 0, 0},
      {"/1 2 3\n", false, 0, 0, 0},
      {"0 0 5\n", false, 0, 0, 0},  // x and y both 0
      {"7 0 0 5\n", false, 0, 0, 0},
      {"1 2\n", false, 0, 0, 0},
      {"1\n", false, 0, 0, 0},
      {"-nan 1 2\n", false, 0, 0, 0},
      {"1 inf 2\n", false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    double x = -99, y = -99, z = -99;
    EXPECT_EQ(ParseXYZImportPiece(c.piece, x, y, z), c.point) << c.piece;
    if (!c.point) continue;
    EXPECT_DOUBLE_EQ(x, c.x) << c.piece;
    EXPECT_DOUBLE_EQ(y, c.y) << c.piece;
    EXPECT_DOUBLE_EQ(z, c.z) << c.piece;
  }
  EXPECT_EQ(XYZDepthLabel(3.456), "3.46");
  EXPECT_EQ(XYZDepthLabel(-1.2), "-1.20");
  EXPECT_EQ(XYZDepthLabel(-3.456), "-3.46");
  EXPECT_EQ(XYZDepthLabel(2.125), "2.13");  // halves away from zero
}

TEST(XYZImport, PointsAndCentredLabels) {
  QTemporaryDir dir;
  const std::string path = (dir.path() + "/depths.xyz").toStdString();
  std::ofstream(path, std::ios::binary) << "X Y Z\r\n12,500.5,400.25,3.456\r\n0 0 1\r\n"
                                        << "501 401 -1.2\r\n" << std::string(1500, '7') << "\n"
                                        // long lines whose tails read like points
                                        << "#" << std::string(1022, 'x') << "300 400 2.5\n"
                                        << "Remark " << std::string(kMaxXYZLineLength, ' ') << "300 400 2.5\n";
  TQuarixCanvasModel canvas;
  const int layer = canvas.LayerOpen("depths");
  canvas.SetLayerPenFg(layer, 0x00FF00);
  // Lines are read whole: a long number line gives nothing, and the tail of
  // a long comment is no point.
  EXPECT_EQ(ImportXYZPoints(canvas, path, layer), 2);
  ASSERT_EQ(canvas.Shapes.size(), 4u);
  const double want[2][2] = {{500.5, 400.25}, {501, 401}};
  const char* labels[] = {"3.46", "-1.20"};
  for (int i = 0; i < 2; ++i) {
    auto* dot = dynamic_cast<TQPoint*>(canvas.Shapes[2 * i]);
    auto* text = dynamic_cast<TQText*>(canvas.Shapes[2 * i + 1]);
    ASSERT_TRUE(dot && text);
    EXPECT_EQ(dot->X, want[i][0]);
    EXPECT_EQ(dot->Y, want[i][1]);
    EXPECT_EQ(dot->PointSize, 1);
    EXPECT_EQ(dot->PenWidth, 1);
    EXPECT_EQ(dot->PenFg, 0x00FF00u);
    EXPECT_EQ(text->TextString, labels[i]);
    EXPECT_EQ(text->X, want[i][0]);
    EXPECT_EQ(text->TextAlign, 1);
    EXPECT_EQ(text->TextJustify, 1);
    EXPECT_EQ(dot->Layer, layer);
    EXPECT_EQ(text->Layer, layer);
  }
  // A later layer pen width reaches the imported shapes (pen book-keeping kept).
  canvas.SetLayerPenWidth(layer, 3);
  EXPECT_EQ(canvas.Shapes[0]->PenWidth, 3);
  EXPECT_EQ(ImportXYZPoints(canvas, path + ".missing", layer), -1);

  // A last line without a line feed, and a point line padded beyond the buffer.
  std::ofstream(path, std::ios::binary) << "1 2 3\n4 5 6" << std::string(300000, ' ') << "\n7 8 9";
  TQuarixCanvasModel again;
  EXPECT_EQ(ImportXYZPoints(again, path, again.LayerOpen("depths")), 3);

  // Saved by an editor with a byte-order mark: the first line is a point still.
  std::ofstream(path, std::ios::binary | std::ios::trunc) << "\xEF\xBB\xBF" "1 2 3\r\n4 5 6\r\n";
  TQuarixCanvasModel marked;
  EXPECT_EQ(ImportXYZPoints(marked, path, marked.LayerOpen("depths")), 2);
}

// Older tools end the lines of their XYZ files with a carriage return alone:
// every point is read, at its own place, as with LF or CR LF line ends.
TEST(XYZImport, EveryLineEndReadsEveryPoint) {
  QTemporaryDir dir;
  const std::string path = (dir.path() + "/depths.xyz").toStdString();
  for (const std::string end : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(end == "\r" ? "CR" : end == "\n" ? "LF" : "CR LF");
    std::string text = "Easting,Northing,Depth" + end;
    for (int i = 0; i < 100; ++i)
      text += std::to_string(500000 + i) + "," + std::to_string(4100000 + 2 * i) + "," + std::to_string(i) + ".25" + end;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    TQuarixCanvasModel canvas;
    EXPECT_EQ(ImportXYZPoints(canvas, path, canvas.LayerOpen("depths")), 100);
    ASSERT_EQ(canvas.Shapes.size(), 200u);
    for (int i = 0; i < 100; ++i) {
      auto* dot = dynamic_cast<TQPoint*>(canvas.Shapes[2 * i]);
      auto* label = dynamic_cast<TQText*>(canvas.Shapes[2 * i + 1]);
      ASSERT_TRUE(dot && label);
      EXPECT_EQ(dot->X, 500000 + i);
      EXPECT_EQ(dot->Y, 4100000 + 2 * i);
      EXPECT_EQ(label->TextString, std::to_string(i) + ".25");
    }
  }
}

TEST(KMLImport, PlacemarksOnTheLayer) {
  TQuarixKMZLoader loader;
  loader.OnConvertCoordinate = [](double& x, double& y, double lat, double lon) {
    if (lon == 13) return;  // a failed conversion leaves 0, 0
    x = lon * 100;
    y = lat * 100;
  };
  ASSERT_TRUE(loader.ParseKML(
      "<Placemark><name>Harbour</name><Polygon><outerBoundaryIs><LinearRing><coordinates>"
      "1,1 2,1 2,2 1,2 1,1</coordinates></LinearRing></outerBoundaryIs></Polygon></Placemark>"
      "<Placemark><name>Buoy</name><Point><coordinates>5,6</coordinates></Point>"
      "<Point><coordinates>13,1</coordinates></Point></Placemark>"
      "<Placemark><LineString><coordinates>7,7 13,2 8,8</coordinates></LineString></Placemark>"
      "<Placemark><name>Gone</name><LineString><coordinates>13,3 9,9</coordinates></LineString>"
      "</Placemark>"));
  TQuarixCanvasModel canvas;
  const int layer = canvas.LayerOpen("harbour");
  DrawKMLPlacemarks(canvas, loader, layer);
  std::vector<std::string> got;
  for (const TQShape* s : canvas.Shapes) {
    std::string d = std::to_string(s->ShapeType) + " on " + std::to_string(s->Layer);
    if (auto* p = dynamic_cast<const TQPoint*>(s)) d += " at " + std::to_string(int(p->X));
    if (auto* p = dynamic_cast<const TQPolyline*>(s)) d += " vertices " + std::to_string(p->Points.size());
    if (auto* t = dynamic_cast<const TQText*>(s)) d += " " + t->TextString + " at " + std::to_string(int(t->X));
    got.push_back(d);
  }
  const std::string L = std::to_string(layer);
  const std::vector<std::string> want = {
      "17 on " + L + " at 500",          // Buoy's first point; the second is not converted
      "5 on " + L + " vertices 5",       // the polygon, open
      "5 on " + L + " vertices 2",       // the line string without its failed point
      "11 on " + L + " Harbour at 100",  // one label per geometry
      "11 on " + L + " Buoy at 500",     // the second geometry's first point failed
  };
  EXPECT_EQ(got, want);
}

TEST(KMLImport, BranchAndLayerOfAFile) {
  const struct {
    const char* path;
    int kind;
    const char* layer;
  } cases[] = {
      {"/data/Harbour.2024.kml", 0, "Harbour.2024"}, {"/data/SURVEY.KMZ", 0, "SURVEY"},
      {"/data/depths.xyz", 1, "depths"},             {"/data/depths.CSV", 1, "depths"},
      {"/data/depths.txt", 1, "depths"},             {"/data/plan.dxf", 2, "plan"},
      {"/data/readme", 2, "readme"},                 {"/data/x.pdf", 2, "x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ImportKindOf(c.path), c.kind) << c.path;
    EXPECT_EQ(ImportLayerName(c.path), c.layer) << c.path;
  }
}

TEST(KMLImport, GridTexts) {
  const TKMLGridTexts t = KMLGridTexts(Utm35(), 41.5, 29.123456789012345);
  EXPECT_EQ(t.Position, "41.5 29.1234567890123");
  EXPECT_EQ(t.Datum,
            "6378137.0  0.0033528106647474  0.0  0.0  0.0  0.0  0.0  0.0  0.0 6378137 "
            "0.0033528106647474 0 0 0 0 0 0 0");
  EXPECT_EQ(t.Projection, "27 0 0.9996 500000 0");
  EXPECT_EQ(t.Ellipsoid, "6378137.0 0.0033528106647474 6378137 0.0033528106647474");
}

TEST(KMLImport, ConversionIntoTheGrid) {
  // Oracle: cct +proj=utm +zone=35 +ellps=WGS84 gives 708665.1177 4597281.7347.
  double x = 0, y = 0;
  ConvertKMLPosition(Utm35(), x, y, 41.5, 29.5);
  EXPECT_NEAR(x, 708665.1177, 0.01);
  EXPECT_NEAR(y, 4597281.7347, 0.01);
}

}  // namespace
