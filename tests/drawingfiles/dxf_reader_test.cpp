// DXF import into the canvas model: passes, layer table, blocks, entities,
// hostile input and real files of other writers.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "drawingfiles/dxfimport.h"
#include "drawingfiles/dxfreader.h"
#include "platform/prompts.h"
#include "tests/support/tempenv.h"

namespace {

// A DXF text from its lines, each ended by a line feed.
std::string Lines(std::initializer_list<std::string> lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

std::string Entities(const std::string& body) {
  return Lines({"0", "SECTION", "2", "ENTITIES"}) + body + Lines({"0", "ENDSEC", "0", "EOF"});
}

class DxfImport : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDxfTraceSink([this](const std::string& s) { traces.push_back(s); });
  }
  void TearDown() override { SetDxfTraceSink({}); }

  std::string Write(const std::string& name, const std::string& content) {
    const std::string path = dir.path().toStdString() + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  bool Import(const std::string& content, const std::string& name = "site.dxf") {
    return DXFLoad(m, Write(name, content), [this](const std::string& s) { messages.push_back(s); });
  }
  // The shapes on the import layer, in drawing order.
  std::vector<TQShape*> Imported() const {
    std::vector<TQShape*> out;
    for (TQShape* s : m.Shapes)
      if (s->Layer == m.DXFImportLayer) out.push_back(s);
    return out;
  }
  template <typename T>
  T* Only() {
    auto shapes = Imported();
    EXPECT_EQ(shapes.size(), 1u);
    return shapes.empty() ? nullptr : dynamic_cast<T*>(shapes[0]);
  }
  TQLayer* ImportLayer() const { return m.FindLayer(m.DXFImportLayer); }

  QTemporaryDir dir;
  TQuarixCanvasModel m;
  std::vector<std::string> messages, traces;
};

// ---- Passes and the import layer ---------------------------------------------

TEST_F(DxfImport, MissingFileChangesNothing) {
  EXPECT_FALSE(DXFLoad(m, dir.path().toStdString() + "/none.dxf", [](const std::string&) {}));
  EXPECT_EQ(m.Layers.size(), 1u);
  EXPECT_EQ(m.DXFImportLayer, 0);
}

// A file that cannot be imported leaves the map as it was: an earlier
// import of the same name keeps its layer and shapes.
TEST_F(DxfImport, FileWithoutEntitiesReportsAndChangesNothing) {
  ASSERT_TRUE(Import(Entities(Lines({"0", "POINT", "10", "1", "20", "1"}))));
  const int layer = m.DXFImportLayer;
  const std::size_t layers = m.Layers.size();
  for (const std::string& content :
       {Lines({"0", "SECTION", "2", "HEADER", "0", "ENDSEC", "0", "EOF"}),
        std::string("AutoCAD Binary DXF\r\n\x1a\0\0\x02", 24), std::string("0\n"),
        Lines({"0", "SECTION", "2", "entities", "0", "LINE", "0", "ENDSEC"})}) {
    messages.clear();
    EXPECT_FALSE(Import(content));
    EXPECT_EQ(messages, std::vector<std::string>{"DXF load failed: ENTITIES section not found"});
    EXPECT_EQ(m.DXFImportLayer, layer);
    EXPECT_EQ(m.Layers.size(), layers);
    EXPECT_EQ(Imported().size(), 1u);
  }
  // Nor is a layer made for a new file that cannot be imported.
  EXPECT_FALSE(Import(Lines({"0", "EOF"}), "other.dxf"));
  EXPECT_LT(m.LayerFindByName("_dxf_other.dxf"), 0);
  EXPECT_EQ(m.Layers.size(), layers);
}

TEST_F(DxfImport, MissingSectionGoesToTheMessageBoxWithoutASink) {
  prompts::CurrentScript().shown.clear();
  EXPECT_FALSE(DXFLoad(m, Write("x.dxf", Lines({"0", "EOF"}))));
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
  EXPECT_EQ(prompts::CurrentScript().shown[0].toStdString(),
            "DXF load failed: ENTITIES section not found");
}

// Lines end in LF, CR LF or a CR alone (older tools write those).
TEST_F(DxfImport, ByteOrderMarkPaddedCodesAndCrLfOrCrReadLikeBareLines) {
  const std::string plain = Entities(Lines({"0", "LINE", "10", "1", "20", "2", "11", "3", "21", "4"}));
  const std::string dressed =
      "\xEF\xBB\xBF" "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n 10\r\n1\r\n 20\r\n2\r\n"
      " 11\r\n3\r\n 21\r\n4\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
  std::string crOnly = plain;
  std::replace(crOnly.begin(), crOnly.end(), '\n', '\r');
  for (const std::string& content : {plain, dressed, crOnly}) {
    ASSERT_TRUE(Import(content));
    auto* l = Only<TQLine>();
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(std::vector<double>({l->X1, l->Y1, l->X2, l->Y2}), std::vector<double>({1, 2, 3, 4}));
  }
}

TEST_F(DxfImport, ReimportEmptiesTheLayerAndEachFileNameHasItsOwn) {
  const std::string one = Entities(Lines({"0", "POINT", "10", "1", "20", "1"}));
  const std::string two = Entities(Lines({"0", "POINT", "10", "1", "20", "1", "0", "POINT"}));
  ASSERT_TRUE(Import(one, "a.dxf"));
  const int layerA = m.DXFImportLayer;
  ASSERT_TRUE(Import(two, "a.dxf"));
  EXPECT_EQ(m.DXFImportLayer, layerA);
  EXPECT_EQ(Imported().size(), 2u);
  ASSERT_TRUE(Import(one, "b.dxf"));
  EXPECT_NE(m.DXFImportLayer, layerA);
  EXPECT_EQ(m.ShapeCount, 3);
  EXPECT_EQ(m.LayerFindByName("_dxf_b.dxf"), m.DXFImportLayer);
  EXPECT_EQ(m.CurrentLayer, m.DXFImportLayer);
}

// GDAL's default DXF writes polygons as HATCH only: a file of nothing else
// reads no shape, says so with what it left out, and changes nothing.
TEST_F(DxfImport, SectionWithNothingImportableSaysWhatItLeftOut) {
  m.DrawLine(100, 100, 200, 300, 0);
  m.WorldSet(0, 1000, 1000, 0);
  const std::string file = Write("hatch.dxf", Entities(Lines({"0", "HATCH", "2", "SOLID", "0", "HATCH", "0",
                                                               "DIMENSION", "0", "SEQEND"})));
  EXPECT_FALSE(DXFLoad(m, file, [this](const std::string& s) { messages.push_back(s); }));
  EXPECT_EQ(messages, std::vector<std::string>{"DXF import: no shape was read from " + file +
                                               "; left out 1 DIMENSION and 2 HATCH entities of kinds the "
                                               "import does not read."});
  EXPECT_EQ(m.WorldTop, 1000);
  EXPECT_LT(m.LayerFindByName("_dxf_hatch.dxf"), 0);
}

// ---- Layer table --------------------------------------------------------------

TEST_F(DxfImport, LayerTableSetsTheImportLayerPen) {
  auto table = [](std::initializer_list<std::string> entries) {
    std::string s = Lines({"0", "SECTION", "2", "TABLES", "0", "TABLE", "2", "LAYER", "70", "0"});
    for (const auto& e : entries) s += e;
    return s + Lines({"0", "ENDTAB", "0", "ENDSEC"}) +
           Entities(Lines({"0", "LINE", "0", "POINT"}));
  };
  auto entry = [](const std::string& name, const std::string& colour) {
    return colour.empty() ? Lines({"0", "LAYER", "2", name, "70", "0"})
                          : Lines({"0", "LAYER", "2", name, "70", "0", "62", colour});
  };
  const struct {
    std::string file;
    TColor pen;
  } cases[] = {
      {table({entry("A", "1"), entry("B", "5")}), 0xFF0000},
      {table({entry("A", "")}), 0xFFFFFF},
      {table({entry("A", "1"), entry("B", "-3")}), 0x0000FF},
      {table({entry("A", "1"), entry("B", "256")}), 0x0000FF},
      {table({entry("A", "1"), entry("", "5")}), 0x0000FF},
      {Entities(Lines({"0", "LINE"})), 0},
  };
  int n = 0;
  for (const auto& c : cases) {
    TQuarixCanvasModel fresh;
    std::string name = "t";
    name += std::to_string(n++);
    name += ".dxf";
    ASSERT_TRUE(DXFLoad(fresh, Write(name, c.file)));
    EXPECT_EQ(fresh.FindLayer(fresh.DXFImportLayer)->PenFg, c.pen) << n;
    // A LINE without colour takes the layer's pen; so does a POINT.
    for (TQShape* s : fresh.Shapes) EXPECT_EQ(s->PenFg, c.pen) << n;
  }
}

// ---- Blocks -------------------------------------------------------------------

std::string Blocks(const std::string& body) {
  return Lines({"0", "SECTION", "2", "BLOCKS"}) + body + Lines({"0", "ENDSEC"});
}

TEST_F(DxfImport, BlocksKeepTheirLinesOnly) {
  const std::string file =
      Blocks(Lines({"0", "BLOCK", "2", "A", "10", "10", "20", "20", "0", "LINE", "8", "0", "10",
                    "1", "20", "2", "11", "3", "21", "4", "0", "LINE", "62", "1", "0", "ENDBLK",
                    "0", "BLOCK", "2", "C", "0", "CIRCLE", "40", "5", "0", "ENDBLK", "0", "BLOCK",
                    "2", "CUT", "0", "LINE"})) +
      Entities(Lines({"0", "POINT"}));
  EXPECT_TRUE(Import(file));
  ASSERT_EQ(m.Blocks.size(), 2u);
  TQBlock* a = FindBlock(m, "A");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->BaseX, 10);
  EXPECT_EQ(a->BaseY, 20);
  ASSERT_EQ(a->BlockShapes.size(), 2u);
  auto* l = dynamic_cast<TQLine*>(a->BlockShapes[0]);
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(std::vector<double>({l->X1, l->Y1, l->X2, l->Y2}), std::vector<double>({1, 2, 3, 4}));
  EXPECT_EQ(l->Number, 0);
  EXPECT_EQ(l->PenFg, 0u);
  EXPECT_EQ(FindBlock(m, "a"), nullptr);
  ASSERT_NE(FindBlock(m, "C"), nullptr);
  EXPECT_TRUE(FindBlock(m, "C")->BlockShapes.empty());
  EXPECT_EQ(FindBlock(m, "CUT"), nullptr);
  EXPECT_EQ(m.Shapes.size(), 1u);  // the POINT
}

// An import that is stopped (Cancel in the progress window) leaves the map
// as it was: the earlier import's shapes, and no block of the stopped one.
TEST_F(DxfImport, StoppedImportChangesNothing) {
  ASSERT_TRUE(Import(Entities(Lines({"0", "POINT", "10", "1", "20", "1"}))));
  const std::vector<TQShape*> before = Imported();
  const std::size_t layers = m.Layers.size();
  const std::string file =
      Write("site.dxf", Blocks(Lines({"0", "BLOCK", "2", "A", "0", "ENDBLK"})) +
                            Entities(Lines({"0", "LINE", "0", "LINE", "0", "POINT"})));
  uint64_t calls = 0;
  EXPECT_FALSE(DXFLoad(m, file, [this](const std::string& s) { messages.push_back(s); }, {},
                       [&calls](uint64_t, uint64_t) { return ++calls < 1; }));
  EXPECT_GT(calls, 0u);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Imported(), before);
  EXPECT_EQ(m.Layers.size(), layers);
  EXPECT_TRUE(m.Blocks.empty());
}

TEST_F(DxfImport, TheFirstDefinitionOfABlockNameWins) {
  auto file = [](const std::string& x) {
    return Blocks(Lines({"0", "BLOCK", "2", "A", "0", "LINE", "11", x, "0", "ENDBLK"})) +
           Entities(Lines({"0", "INSERT", "2", "A"}));
  };
  ASSERT_TRUE(Import(file("1"), "one.dxf"));
  ASSERT_TRUE(Import(file("2"), "two.dxf"));
  EXPECT_EQ(m.Blocks.size(), 2u);
  auto* l = Only<TQLine>();
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->X2, 1);
}

// ---- Entities of lines, arcs, areas and points ------------------------------

std::vector<std::pair<double, double>> Vertices(const TQPolyline* p) {
  std::vector<std::pair<double, double>> v;
  for (int i = 0; i < p->PointCount(); ++i) v.emplace_back(p->GetPointX(i), p->GetPointY(i));
  return v;
}

TEST_F(DxfImport, CurvesBecomePolylines) {
  const struct {
    std::string entity;
    int type;
    int count;
    double firstDeg, lastDeg;  // angle of the first and last vertex on a unit circle, or NAN
  } cases[] = {
      {Lines({"0", "ARC", "40", "1", "50", "350", "51", "10"}), 5, 21, 350, 370},
      {Lines({"0", "ARC", "40", "1"}), 5, 21, 0, 360},
      {Lines({"0", "ARC", "40", "1", "50", "90"}), 5, 21, 90, 360},
      {Lines({"0", "ARC", "40", "1", "50", "30", "51", "30"}), 5, 21, 30, 30},
      {Lines({"0", "ELLIPSE", "11", "1"}), 6, 37, 0, 360},
      {Lines({"0", "ELLIPSE", "11", "1", "41", "0", "42", "6.27"}), 5, 37, 0, 6.27 * 180 / M_PI},
  };
  for (const auto& c : cases) {
    TQuarixCanvasModel fresh;
    ASSERT_TRUE(DXFLoad(fresh, Write("c.dxf", Entities(c.entity)))) << c.entity;
    ASSERT_EQ(fresh.Shapes.size(), 1u);
    auto* p = dynamic_cast<TQPolyline*>(fresh.Shapes[0]);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->ShapeType, c.type) << c.entity;
    EXPECT_EQ(p->Closed, c.type == 6);
    EXPECT_EQ(p->PointCount(), c.count);
    EXPECT_EQ(p->PenWidth, 1);
    const double f = c.firstDeg * M_PI / 180, l = c.lastDeg * M_PI / 180;
    EXPECT_NEAR(p->GetPointX(0), std::cos(f), 1e-9);
    EXPECT_NEAR(p->GetPointY(0), std::sin(f), 1e-9);
    EXPECT_NEAR(p->GetPointX(c.count - 1), std::cos(l), 1e-9);
    EXPECT_NEAR(p->GetPointY(c.count - 1), std::sin(l), 1e-9);
  }
}

TEST_F(DxfImport, SolidsSplinesAndTheirCornerOrder) {
  using V = std::vector<std::pair<double, double>>;
  const struct {
    std::string entity;
    int type;  // 0: no shape
    V vertices;
  } cases[] = {
      {Lines({"0", "SOLID", "10", "0", "20", "0", "11", "1", "21", "0", "12", "0", "22", "1", "13",
              "1", "23", "1"}),
       6, V{{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
      {Lines({"0", "TRACE", "10", "0", "20", "0", "11", "1", "21", "0", "12", "5", "22", "5", "13",
              "5", "23", "5"}),
       6, V{{0, 0}, {1, 0}, {5, 5}}},
      {Lines({"0", "SPLINE", "70", "1", "10", "0", "20", "0", "10", "1", "20", "0", "10", "1", "20",
              "1", "10", "0", "20", "1"}),
       6, V{{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
      {Lines({"0", "SPLINE", "70", "8", "10", "0", "20", "0", "10", "2", "20", "3"}), 5,
       V{{0, 0}, {2, 3}}},
      {Lines({"0", "SPLINE", "11", "0", "21", "0", "11", "1", "21", "1"}), 0, V{}},
      {Lines({"0", "SPLINE", "10", "0", "20", "0", "10", "1"}), 0, V{}},
  };
  for (const auto& c : cases) {
    TQuarixCanvasModel fresh;
    EXPECT_EQ(DXFLoad(fresh, Write("s.dxf", Entities(c.entity))), c.type != 0) << c.entity;
    if (c.type == 0) {
      EXPECT_TRUE(fresh.Shapes.empty());
      continue;
    }
    auto* p = dynamic_cast<TQPolyline*>(fresh.Shapes.at(0));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->ShapeType, c.type);
    EXPECT_EQ(Vertices(p), c.vertices) << c.entity;
  }
}

TEST_F(DxfImport, EntityColoursAndWidths) {
  // Layer pen 0x808080 (index 8) and width 3 set before the import.
  const std::string table =
      Lines({"0", "SECTION", "2", "TABLES", "0", "LAYER", "2", "L", "62", "8", "0", "ENDSEC"});
  const struct {
    std::string entity;
    TColor pen;
    int width;
  } cases[] = {
      {Lines({"0", "LINE", "62", "256"}), 0x808080, 3},
      {Lines({"0", "LINE", "62", "0"}), 0x808080, 3},
      {Lines({"0", "LINE", "62", "-1"}), 0x808080, 3},
      {Lines({"0", "LINE", "62", "1"}), 0x0000FF, 3},
      {Lines({"0", "CIRCLE", "40", "2", "62", "3"}), 0x00FF00, 3},
      {Lines({"0", "ARC", "62", "5"}), 0xFF0000, 1},
      {Lines({"0", "POINT", "62", "1"}), 0x808080, 3},
      {Lines({"0", "LWPOLYLINE", "62", "2", "10", "0", "20", "0", "10", "1", "20", "1"}), 0x00FFFF, 1},
      {Lines({"0", "TEXT", "62", "1", "1", "x"}), 0x808080, 1},
  };
  for (const auto& c : cases) {
    TQuarixCanvasModel fresh;
    const std::string path = Write("w.dxf", table + Entities(c.entity));
    fresh.SetLayerPenWidth(fresh.LayerOpen("_dxf_w.dxf"), 3);
    ASSERT_TRUE(DXFLoad(fresh, path)) << c.entity;
    ASSERT_EQ(fresh.Shapes.size(), 1u);
    EXPECT_EQ(fresh.Shapes[0]->PenFg, c.pen) << c.entity;
    EXPECT_EQ(fresh.Shapes[0]->PenWidth, c.width) << c.entity;
  }
}

TEST_F(DxfImport, ShapesAreNumberedAndCountedInOrder) {
  m.DrawLine(0, 0, 1, 1, 0);
  ASSERT_TRUE(Import(Entities(Lines({"0", "LINE", "0", "CIRCLE", "40", "1", "0", "POINT"}))));
  ASSERT_EQ(m.Shapes.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(m.Shapes[i]->Number, i + 1);
  EXPECT_EQ(m.NextShapeNumber, 5);
  EXPECT_EQ(m.ShapeCount, 4);
  EXPECT_EQ(m.Shapes[1]->ShapeType, 3);
  EXPECT_EQ(m.Shapes[2]->ShapeType, 19);
  EXPECT_EQ(m.Shapes[3]->ShapeType, 17);
}

TEST_F(DxfImport, UnknownEntitiesArePassedOverPairByPair) {
  // A hatch pattern named SOLID and a text value LINE inside unknown
  // entities start nothing; lower-case names are not entity names.
  ASSERT_TRUE(Import(Entities(Lines({"0", "HATCH", "2", "SOLID", "10", "5", "0", "DIMENSION", "1",
                                     "LINE", "0", "line", "10", "7", "0", "LINE \t\r", "11", "9"}))));
  auto* l = Only<TQLine>();
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->X2, 9);
}

TEST_F(DxfImport, LineTraceCoversTheFirstFiveShapes) {
  std::string five;
  for (int i = 0; i < 6; ++i) five += Lines({"0", "LINE", "8", "Walls"});
  ASSERT_TRUE(Import(Entities(five)));
  ASSERT_EQ(traces.size(), 5u);
  EXPECT_EQ(traces[0], "DXF LINE: layer='Walls' lid=" + std::to_string(m.DXFImportLayer) +
                           " visible=Y locked=Y");
  traces.clear();
  ASSERT_TRUE(Import(Entities(Lines({"0", "CIRCLE"}) + five), "b.dxf"));
  EXPECT_EQ(traces.size(), 4u);
}

TEST_F(DxfImport, EntityCutOffByTheEndOfTheFileIsStillMade) {
  ASSERT_TRUE(Import(Lines({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1", "11", "2"})));
  auto* l = Only<TQLine>();
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->X2, 2);
}

// ---- Polylines ------------------------------------------------------------------

std::string Polyline(const std::string& flags, std::initializer_list<std::pair<int, int>> pts,
                     const std::string& end = "SEQEND") {
  std::string s = Lines({"0", "POLYLINE", "66", "1", "70", flags});
  for (auto [x, y] : pts)
    s += Lines({"0", "VERTEX", "10", std::to_string(x), "20", std::to_string(y), "70", "32"});
  return s + Lines({"0", end});
}

TEST_F(DxfImport, PolylineVariants) {
  using V = std::vector<std::pair<double, double>>;
  const struct {
    std::string body;
    int type;  // 0: no shape
    V vertices;
  } cases[] = {
      {Polyline("0", {{0, 0}, {1, 1}}), 5, V{{0, 0}, {1, 1}}},
      {Polyline("1", {{0, 0}, {1, 1}}), 6, V{{0, 0}, {1, 1}}},
      {Polyline("8", {{0, 0}, {1, 1}}), 5, V{{0, 0}, {1, 1}}},
      {Polyline("9", {{0, 0}, {1, 1}}), 6, V{{0, 0}, {1, 1}}},
      {Polyline("0", {{0, 0}}), 0, V{}},
      {Lines({"0", "LWPOLYLINE", "90", "2", "10", "1", "10", "2", "20", "5"}), 0, V{}},
      {Lines({"0", "LWPOLYLINE", "10", "1", "10", "2", "20", "5", "10", "3", "20", "6"}), 5,
       V{{2, 5}, {3, 6}}},
      {Lines({"0", "LWPOLYLINE", "20", "5", "10", "1", "20", "6", "10", "2", "20", "7"}), 5,
       V{{1, 6}, {2, 7}}},
      {Lines({"0", "LWPOLYLINE", "70", "129", "10", "0", "20", "0", "42", "1", "10", "4", "20",
              "0"}),
       6, V{{0, 0}, {4, 0}}},
  };
  for (const auto& c : cases) {
    TQuarixCanvasModel fresh;
    EXPECT_EQ(DXFLoad(fresh, Write("p.dxf", Entities(c.body))), c.type != 0) << c.body;
    if (c.type == 0) {
      EXPECT_TRUE(fresh.Shapes.empty()) << c.body;
      continue;
    }
    ASSERT_EQ(fresh.Shapes.size(), 1u) << c.body;
    auto* p = dynamic_cast<TQPolyline*>(fresh.Shapes[0]);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->ShapeType, c.type) << c.body;
    EXPECT_EQ(Vertices(p), c.vertices) << c.body;
  }
}

TEST_F(DxfImport, PolylineWithoutSeqEndKeepsTheEntityThatEndedIt) {
  ASSERT_TRUE(Import(Entities(Polyline("0", {{0, 0}, {1, 1}}, "LINE") + Lines({"11", "7"}))));
  auto shapes = Imported();
  ASSERT_EQ(shapes.size(), 2u);
  EXPECT_EQ(shapes[0]->ShapeType, 5);
  ASSERT_NE(dynamic_cast<TQLine*>(shapes[1]), nullptr);
  EXPECT_EQ(dynamic_cast<TQLine*>(shapes[1])->X2, 7);
}

TEST_F(DxfImport, CutFilesKeepTheirVerticesAndPolyfaceFacesAddOriginPoints) {
  ASSERT_TRUE(Import(Lines({"0", "SECTION", "2", "ENTITIES", "0", "POLYLINE", "0", "VERTEX", "10",
                            "1", "20", "1", "0", "VERTEX", "10", "2", "20", "3"}),
                     "cut.dxf"));
  auto* p = Only<TQPolyline>();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Vertices(p), (std::vector<std::pair<double, double>>{{1, 1}, {2, 3}}));
  TQuarixCanvasModel fresh;
  ASSERT_TRUE(DXFLoad(
      fresh, Write("face.dxf", Entities(Lines({"0", "POLYLINE", "70", "64", "0", "VERTEX", "10", "1",
                                               "20", "1", "0", "VERTEX", "71", "1", "72", "2", "0",
                                               "VERTEX", "10", "2", "20", "2", "0", "SEQEND"})))));
  EXPECT_EQ(Vertices(dynamic_cast<TQPolyline*>(fresh.Shapes.at(0))),
            (std::vector<std::pair<double, double>>{{1, 1}, {0, 0}, {2, 2}}));
}

// ---- Texts ------------------------------------------------------------------------

TEST_F(DxfImport, TextHeightsAndEmptyTexts) {
  const struct {
    std::string body;
    std::string text;  // empty: no shape
    double height;
  } cases[] = {
      {Lines({"0", "TEXT", "1", "A", "40", "0.1"}), "A", 2.5},
      {Lines({"0", "TEXT", "1", "A", "40", "0.11"}), "A", 0.11},
      {Lines({"0", "TEXT", "1", "A"}), "A", 2.5},
      {Lines({"0", "TEXT", "1", "A", "40", "-4"}), "A", 2.5},
      {Lines({"0", "TEXT", "1", "  padded  ", "40", "5"}), "padded", 5},
      {Lines({"0", "TEXT", "1", "   "}), "", 0},
      {Lines({"0", "MTEXT", "1", "\\fArial;"}), "", 0},
      {Lines({"0", "MTEXT", "3", "first chunk ", "1", "{\\H2x;last}\\Pchunk"}), "{last}", 2.5},
      {Lines({"0", "TEXT", "1", "Caf\xE9"}), "Caf\xC3\xA9", 2.5},
  };
  for (const auto& c : cases) {
    TQuarixCanvasModel fresh;
    EXPECT_EQ(DXFLoad(fresh, Write("t.dxf", Entities(c.body))), !c.text.empty()) << c.body;
    if (c.text.empty()) {
      EXPECT_TRUE(fresh.Shapes.empty());
      continue;
    }
    auto* t = dynamic_cast<TQText*>(fresh.Shapes.at(0));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->TextString, c.text);
    EXPECT_EQ(t->Text.str(), c.text);
    EXPECT_DOUBLE_EQ(t->Height, c.height);
  }
}

TEST_F(DxfImport, TextPlacementAndItsBox) {
  ASSERT_TRUE(Import(Entities(Lines({"0", "TEXT", "10", "100", "20", "50", "40", "2", "50", "30",
                                     "72", "1", "1", "abc"}))));
  auto* t = Only<TQText>();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->X, 100);
  EXPECT_EQ(t->Y, 50);
  EXPECT_EQ(t->Angle, 30);
  EXPECT_EQ(t->TextAlign, 0);
  EXPECT_EQ(t->TextJustify, 2);
  EXPECT_EQ(t->FontIndex, -1);
  EXPECT_EQ(t->FontName, "Arial");
  EXPECT_EQ(t->ShapeType, 11);
  // The box is the one of the record's height 10.
  EXPECT_DOUBLE_EQ(t->MinX, 90);
  EXPECT_DOUBLE_EQ(t->MaxX, 100 + 18 + 10);
  EXPECT_DOUBLE_EQ(t->MinY, 40);
  EXPECT_DOUBLE_EQ(t->MaxY, 60);
}

// ---- Block references -----------------------------------------------------------

TEST_F(DxfImport, InsertPlacesTheBlockLines) {
  const std::string block =
      Blocks(Lines({"0", "BLOCK", "2", "B", "10", "1", "20", "0", "0", "LINE", "10", "1", "20",
                    "0", "11", "2", "21", "0", "0", "ENDBLK", "0", "BLOCK", "2", "T", "0", "LINE",
                    "0", "LINE", "0", "LINE", "0", "ENDBLK"}));
  ASSERT_TRUE(Import(block + Entities(Lines({"0", "INSERT", "2", "B", "10", "10", "20", "10", "41",
                                             "2", "50", "90", "0", "SEQEND"}))));
  auto* l = Only<TQLine>();
  ASSERT_NE(l, nullptr);
  EXPECT_NEAR(l->X1, 10, 1e-12);
  EXPECT_NEAR(l->Y1, 10, 1e-12);
  EXPECT_NEAR(l->X2, 10, 1e-12);
  EXPECT_NEAR(l->Y2, 12, 1e-12);
  EXPECT_EQ(l->PenFg, 0u);

  const struct {
    std::string insert;
    std::size_t count;
    TColor pen;
  } cases[] = {
      {Lines({"0", "INSERT", "2", "B", "62", "256"}), 1, 0},
      {Lines({"0", "INSERT", "2", "B", "62", "1"}), 1, 0x0000FF},
      {Lines({"0", "INSERT", "2", "T"}), 3, 0},
      {Lines({"0", "INSERT", "2", "b"}), 0, 0},
  };
  for (const auto& c : cases) {
    TQuarixCanvasModel fresh;
    fresh.DrawPoint(0, 0, 0);
    EXPECT_EQ(DXFLoad(fresh, Write("i.dxf", block + Entities(c.insert))), c.count > 0);
    ASSERT_EQ(fresh.Shapes.size(), c.count + 1) << c.insert;
    for (std::size_t i = 1; i < fresh.Shapes.size(); ++i) {
      EXPECT_EQ(fresh.Shapes[i]->Number, static_cast<int>(i) + 1);
      EXPECT_EQ(fresh.Shapes[i]->PenFg, c.pen) << c.insert;
    }
  }
}

// ---- Hostile input ------------------------------------------------------------------

TEST_F(DxfImport, OverlongLinesAreCut) {
  std::istringstream in(std::string(200000, 'x') + "\nnext");
  dxf::TDxfLineReader r(in);
  std::string line;
  ASSERT_TRUE(r.ReadLine(line));
  EXPECT_EQ(line.size(), dxf::kMaxDxfLineLength);
  ASSERT_TRUE(r.ReadLine(line));
  EXPECT_EQ(line, "next");
  EXPECT_FALSE(r.ReadLine(line));

  const std::string longText(100000, 'a');
  ASSERT_TRUE(Import(Entities(Lines({"0", "TEXT", "1", longText, "0", "LINE", "11", "1e999",
                                     "21", "nan"}))));
  auto shapes = Imported();
  ASSERT_EQ(shapes.size(), 2u);
  EXPECT_EQ(dynamic_cast<TQText*>(shapes[0])->TextString.size(), dxf::kMaxDxfLineLength);
  auto* l = dynamic_cast<TQLine*>(shapes[1]);
  EXPECT_EQ(l->X2, 0);
  EXPECT_EQ(l->Y2, 0);
}

TEST_F(DxfImport, BlockReferencesCannotMultiplyWithoutBound) {
  std::string lines;
  for (int i = 0; i < 2000; ++i) lines += Lines({"0", "LINE", "11", std::to_string(i)});
  std::string inserts;
  for (int i = 0; i < 600; ++i) inserts += Lines({"0", "INSERT", "2", "BIG"});
  ASSERT_TRUE(Import(Blocks(Lines({"0", "BLOCK", "2", "BIG"}) + lines + Lines({"0", "ENDBLK"})) +
                     Entities(inserts)));
  EXPECT_EQ(m.Shapes.size(), kMaxDxfInsertLines);
  EXPECT_EQ(messages, std::vector<std::string>{
                          "DXF import: left out 200000 lines of block references beyond the limit "
                          "of 1000000 lines copied from blocks per file."});
}

TEST_F(DxfImport, CutPolylinesAndSplinesAreTold) {
  std::string body = Lines({"0", "LWPOLYLINE"});
  body.reserve(dxf::kMaxDxfVertices * 14);
  for (std::size_t i = 0; i < dxf::kMaxDxfVertices + 3; ++i) body += "10\n1\n20\n2\n";
  body += Lines({"0", "SPLINE"});
  for (std::size_t i = 0; i < dxf::kMaxDxfVertices + 1; ++i) body += "10\n1\n20\n2\n";
  ASSERT_TRUE(Import(Entities(body)));
  ASSERT_EQ(Imported().size(), 2u);
  EXPECT_EQ(dynamic_cast<TQPolyline*>(Imported()[0])->Points.size(), dxf::kMaxDxfVertices);
  EXPECT_EQ(messages, std::vector<std::string>{
                          "DXF import: left out 3 vertices of 1 polyline beyond the limit of 1000000 "
                          "vertices per polyline; 2 control point values of 1 spline beyond the "
                          "limit of 1000000 per spline."});
}

// ---- Files of other writers ------------------------------------------------------------

struct RealFile {
  const char* name;
  std::size_t shapes;
  std::size_t lines, circles, polylines, closed, points, texts;
  const char* leftOut;  // the message of what the import left out
};

TEST_F(DxfImport, RealFiles) {
  const RealFile files[] = {
      // POINT and the LWPOLYLINE channel; the harbour polygon is a HATCH, which
      // is passed over (its pattern name SOLID starts no solid).
      {"harbour.dxf", 2, 0, 0, 1, 0, 1, 0, "1 HATCH entity"},
      // GDAL's default DXF of a GeoJSON with a line, a polygon with a hole, a
      // 3D point and a multipolygon: the three polygons are HATCHes only.
      {"gis/harbour-hatch.dxf", 2, 0, 0, 1, 0, 1, 0, "3 HATCH entities"},
      // The rings as open LWPOLYLINEs.
      {"harbour-lines.dxf", 4, 0, 0, 3, 0, 1, 0, ""},
      // Two LINEs; the anonymous block *U1 holds only a TEXT, so its INSERT
      // draws nothing.
      {"ASCII_R12.dxf", 2, 2, 0, 0, 0, 0, 0, ""},
      // LINE x2 and the 5 lines of block STAR placed by an INSERT; ARC, a
      // partial and a full ELLIPSE; POINT; MTEXT; three DIMENSIONs passed over.
      {"assorted.dxf", 12, 7, 0, 3, 1, 1, 1, "3 DIMENSION entities"},
      {"closed_polyline_with_bulge.dxf", 1, 0, 0, 1, 1, 0, 0, ""},
      // 7 LWPOLYLINEs and 6 POLYLINEs with VERTEX and SEQEND (CRLF lines).
      {"LWPOLYLINE-OCS.dxf", 13, 0, 0, 13, 0, 0, 0, ""},
  };
  for (const RealFile& f : files) {
    TQuarixCanvasModel fresh;
    std::vector<std::string> shown;
    EXPECT_TRUE(DXFLoad(fresh, TestData(f.name), [&](const std::string& s) { shown.push_back(s); }))
        << f.name;
    const std::string leftOut = f.leftOut;
    EXPECT_EQ(shown, leftOut.empty() ? std::vector<std::string>{}
                                     : std::vector<std::string>{"DXF import: left out " + leftOut +
                                                                " of kinds the import does not read."})
        << f.name;
    RealFile got{f.name, fresh.Shapes.size(), 0, 0, 0, 0, 0, 0, f.leftOut};
    for (TQShape* s : fresh.Shapes) {
      switch (s->ShapeType) {
        case 3: ++got.lines; break;
        case 19: ++got.circles; break;
        case 5: ++got.polylines; break;
        case 6: ++got.polylines, ++got.closed; break;
        case 17: ++got.points; break;
        case 11: ++got.texts; break;
      }
    }
    EXPECT_EQ(std::vector<std::size_t>({got.shapes, got.lines, got.circles, got.polylines,
                                        got.closed, got.points, got.texts}),
              std::vector<std::size_t>({f.shapes, f.lines, f.circles, f.polylines, f.closed,
                                        f.points, f.texts}))
        << f.name;
  }
}

// A real drawing rewritten with CR alone at every line end gives the same
// shapes, in the same order and places.
TEST_F(DxfImport, ARealFileWithCrLineEndsReadsAsItsOriginal) {
  std::ifstream in(TestData("assorted.dxf"), std::ios::binary);
  const std::string original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string crOnly;
  for (size_t i = 0; i < original.size(); ++i)
    if (!(original[i] == '\r' && i + 1 < original.size() && original[i + 1] == '\n'))
      crOnly += original[i] == '\n' ? '\r' : original[i];
  ASSERT_EQ(crOnly.find('\n'), std::string::npos);
  TQuarixCanvasModel a, b;
  ASSERT_TRUE(DXFLoad(a, TestData("assorted.dxf"), [](const std::string&) {}));
  ASSERT_TRUE(DXFLoad(b, Write("assorted-cr.dxf", crOnly), [](const std::string&) {}));
  ASSERT_EQ(a.Shapes.size(), 12u);
  ASSERT_EQ(b.Shapes.size(), a.Shapes.size());
  for (size_t i = 0; i < a.Shapes.size(); ++i) {
    EXPECT_EQ(b.Shapes[i]->ShapeType, a.Shapes[i]->ShapeType) << i;
    EXPECT_EQ((std::vector<double>{b.Shapes[i]->MinX, b.Shapes[i]->MinY, b.Shapes[i]->MaxX, b.Shapes[i]->MaxY}),
              (std::vector<double>{a.Shapes[i]->MinX, a.Shapes[i]->MinY, a.Shapes[i]->MaxX, a.Shapes[i]->MaxY}))
        << i;
  }
}

TEST_F(DxfImport, RealFileDetails) {
  ASSERT_TRUE(DXFLoad(m, TestData("harbour.dxf")));
  auto* channel = dynamic_cast<TQPolyline*>(m.Shapes.at(1));
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(Vertices(channel),
            (std::vector<std::pair<double, double>>{{29, 41}, {29.1, 41.05}, {29.2, 41.1}}));
  auto* buoy = dynamic_cast<TQPoint*>(m.Shapes.at(0));
  ASSERT_NE(buoy, nullptr);
  EXPECT_EQ(buoy->X, 29.5);
  EXPECT_EQ(buoy->Y, 41.5);

  // Zone-prefixed eastings keep full precision.
  TQuarixCanvasModel bulge;
  ASSERT_TRUE(DXFLoad(bulge, TestData("closed_polyline_with_bulge.dxf")));
  auto* p = dynamic_cast<TQPolyline*>(bulge.Shapes.at(0));
  ASSERT_NE(p, nullptr);
  EXPECT_DOUBLE_EQ(p->GetPointX(0), 40585366.70650577);

  // assorted.dxf: the MTEXT of the ENTITIES section (those inside blocks are
  // not read) and the 5 lines of block STAR placed at the INSERT.
  TQuarixCanvasModel assorted;
  ASSERT_TRUE(DXFLoad(assorted, TestData("assorted.dxf")));
  int texts = 0;
  for (TQShape* s : assorted.Shapes)
    if (auto* t = dynamic_cast<TQText*>(s)) {
      ++texts;
      EXPECT_EQ(t->TextString, "Test");
    }
  EXPECT_EQ(texts, 1);
  const TQBlock* star = FindBlock(assorted, "STAR");
  ASSERT_NE(star, nullptr);
  EXPECT_EQ(star->BlockShapes.size(), 5u);
}

// The vertices of each WKT geometry of a file, one geometry a line (x and y;
// a Z value is passed over).
std::vector<std::vector<std::pair<double, double>>> ReadWkt(const std::string& path) {
  std::vector<std::vector<std::pair<double, double>>> out;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const bool z = line.find(" Z ") != std::string::npos;
    std::replace(line.begin(), line.end(), ',', ' ');
    std::istringstream values(line.substr(line.find('(') + 1));
    std::vector<std::pair<double, double>> points;
    double x, y, zz;
    while (values >> x >> y && (!z || values >> zz)) points.emplace_back(x, y);
    out.push_back(points);
  }
  return out;
}

bool Near(std::pair<double, double> a, std::pair<double, double> b, double tolerance = 1e-6) {
  return std::fabs(a.first - b.first) <= tolerance && std::fabs(a.second - b.second) <= tolerance;
}

// Entities with an extrusion direction other than (0, 0, 1) lie where GDAL
// (ogr2ogr -f CSV -lco GEOMETRY=AS_WKT, fixtures *.gdal.wkt) puts them.
TEST_F(DxfImport, ObjectCoordinateSystemsAgreeWithGdal) {
  ASSERT_TRUE(DXFLoad(m, TestData("LWPOLYLINE-OCS.dxf")));
  const auto gdal = ReadWkt(TestData("LWPOLYLINE-OCS.gdal.wkt"));
  ASSERT_EQ(gdal.size(), 13u);
  ASSERT_EQ(m.Shapes.size(), 13u);
  for (std::size_t i = 0; i < 13; ++i) {
    const auto ours = Vertices(dynamic_cast<TQPolyline*>(m.Shapes[i]));
    ASSERT_FALSE(ours.empty()) << i;
    // GDAL adds the points of bulge arcs; ours are the polyline's own vertices.
    EXPECT_TRUE(Near(ours.front(), gdal[i].front())) << i;
    EXPECT_TRUE(Near(ours.back(), gdal[i].back())) << i;
    std::size_t at = 0;
    for (const auto& v : ours) {
      while (at < gdal[i].size() && !Near(v, gdal[i][at])) ++at;
      EXPECT_LT(at, gdal[i].size()) << "shape " << i << " vertex " << v.first << " " << v.second;
    }
  }

  // Mirrored (0, 0, -1) and tilted circles, arcs and texts.
  TQuarixCanvasModel ocs;
  ASSERT_TRUE(DXFLoad(ocs, TestData("ocs-entities.dxf")));
  const auto ref = ReadWkt(TestData("ocs-entities.gdal.wkt"));
  ASSERT_EQ(ocs.Shapes.size(), 6u);
  ASSERT_EQ(ref.size(), 6u);
  auto* circle = dynamic_cast<TQCircle*>(ocs.Shapes[0]);
  ASSERT_NE(circle, nullptr);  // seen flat: still a circle
  for (const auto& v : ref[0])
    EXPECT_NEAR(std::hypot(v.first - circle->CenterX, v.second - circle->CenterY), circle->Radius, 1e-6);
  for (int k : {1, 3}) {  // arcs: GDAL runs them the other way round
    const auto ours = Vertices(dynamic_cast<TQPolyline*>(ocs.Shapes[k]));
    ASSERT_EQ(ours.size(), 21u);
    EXPECT_TRUE(Near(ours.front(), ref[k].back())) << k;
    EXPECT_TRUE(Near(ours.back(), ref[k].front())) << k;
  }
  // The tilted circle is an ellipse on the map: every 20 degrees our
  // vertices meet GDAL's, which lie every 4 degrees.
  const auto ellipse = Vertices(dynamic_cast<TQPolyline*>(ocs.Shapes[4]));
  ASSERT_EQ(ellipse.size(), 37u);
  for (std::size_t i = 0; i < ellipse.size(); i += 2) {
    bool found = false;
    for (const auto& v : ref[4]) found = found || Near(ellipse[i], v);
    EXPECT_TRUE(found) << i;
  }
  for (int k : {2, 5}) {
    auto* text = dynamic_cast<TQText*>(ocs.Shapes[k]);
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(Near({text->X, text->Y}, ref[k][0])) << k;
  }
  // The baseline runs where the mirrored text's runs (GDAL keeps the file's 30).
  EXPECT_NEAR(dynamic_cast<TQText*>(ocs.Shapes[2])->Angle, 150, 1e-9);
}

}  // namespace
