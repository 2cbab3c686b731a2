// The drawing file (.qvt): the text the writer makes, its compressed
// container, the reader's records and defaults, and damaged files.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <malloc.h>
#include <zlib.h>

#include <QDir>
#include <cerrno>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <random>

#include "app/textfile.h"
#include "canvas/canvasmodel.h"
#include "drawingfiles/qvtfile.h"
#include "platform/clock.h"
#include "tests/support/qvtrecords.h"
#include "tests/support/tempenv.h"

namespace {

const char* kHeader =
    "# Quarix Helm - QVT\n"
    "# Quarix\n"
    "# Created on: 2026-01-30 14:35:12.34\n"
    "#\n";

std::string Inflate(const std::string& bytes) {
  std::string out(1 << 20, '\0');
  uLongf n = out.size();
  EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &n,
                       reinterpret_cast<const Bytef*>(bytes.data() + 4), bytes.size() - 4),
            Z_OK);
  out.resize(n);
  return out;
}

// The lines of the text after the header.
std::vector<std::string> Records(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t p = 0;
  while (p < text.size()) {
    const std::size_t lf = text.find('\n', p);
    lines.push_back(text.substr(p, lf - p));
    p = lf + 1;
  }
  return std::vector<std::string>(lines.begin() + 4, lines.end());
}

template <class T>
T* Add(TQuarixCanvasModel& c, int type, int layer, std::function<void(T&)> fill) {
  auto* s = new T;
  s->ShapeType = type;
  s->Layer = layer;
  fill(*s);
  s->UpdateBounds();
  s->Number = c.NextShapeNumber++;
  c.Shapes.push_back(s);
  c.ShapeCount = static_cast<int>(c.Shapes.size());
  return s;
}

TQPolyline* Poly(TQuarixCanvasModel& c, int type, bool closed, std::vector<TPointD> pts, int layer = 0) {
  return Add<TQPolyline>(c, type, layer, [&](TQPolyline& p) {
    p.Closed = closed;
    p.Points.assign(pts.begin(), pts.end());
    p.PenFg = 0x00FF00;
    p.PenWidth = 2;
  });
}

// One shape of every record, on two layers, with the fields the file keeps.
void FillDrawing(TQuarixCanvasModel& c) {
  c.WorldLeft = -12.5, c.WorldRight = 987654.25, c.WorldBottom = -3, c.WorldTop = 4500100.125;
  const int grid = c.LayerOpen("Quarix Grid");
  const int blank = c.LayerOpen("");
  c.SetShapePenFg(c.DrawLine(-1.25, 2, 3, 4500000.123456, grid), clBtnFace);
  c.SetShapePenWidth(1, 3);
  c.SetShapePenFg(c.DrawCircle(10, 20, 5.5, 0), clRed);
  Add<TQPoint>(c, stPoint, blank, [](TQPoint& p) {
    p.X = 1, p.Y = 2, p.Z = 12.75, p.PenFg = 0x123456, p.PenWidth = 4;
  });
  const int32_t t = c.TextAdd(grid, "two  words ", 5, 6, 0);
  auto* text = static_cast<TQText*>(c.FindShape(t));
  text->PenFg = clBlue, text->Height = 12.5, text->Angle = -30, text->Bold = true;
  c.TextAdd(0, "", 7, 8, -1);
  Poly(c, stPolyline, false, {{1, 2}, {3, 4}, {5.5, 6.25}}, grid);
  Poly(c, stPolyline, true, {{1, 2}, {3, 4}, {5, 0}});  // type 5 but closed: a polygon
  Poly(c, stSpline, true, {{0, 0}, {1, 1}});
  Poly(c, stArc, false, {{0, 0}, {1, 1}, {2, 0}});
  Poly(c, stPolyline, false, {});
  Add<TQRectangle>(c, stRectangle, grid, [](TQRectangle& r) {
    r.X1 = 1, r.Y1 = 2, r.X2 = 3, r.Y2 = 4, r.Value = -7.5, r.PenFg = 0xFF, r.PenWidth = 2;
    r.BrushFg = 0xAABBCC, r.BrushStyle = bsSolid;
  });
  Add<TQEllipse>(c, stEllipseTool, 0, [](TQEllipse& e) { e.X1 = 1, e.Y1 = 2, e.X2 = 3, e.Y2 = 4; });
  Add<TQEllipse>(c, stEllipse, grid, [](TQEllipse& e) {
    e.X1 = -1, e.Y1 = -2, e.X2 = 3, e.Y2 = 4, e.PenFg = 0x0000AA, e.PenWidth = 5;
  });
  // An arc held by its three points, as a drawing file brings it.
  Add<TQArc>(c, stArc, grid, [](TQArc& a) {
    a.X1 = 450000.5, a.Y1 = 4500000.25, a.X2 = 450010, a.Y2 = 4500010.125, a.X3 = 450020.75, a.Y3 = 4500000;
    a.PenFg = 0x00AA00, a.PenWidth = 2;
  });
}

class Qvt : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return env.Home() + name; }
  std::string Plain(const std::string& name, const std::string& text) const {
    WriteFileAtomically(File(name), text);
    return File(name);
  }
  TempEnv env;  // wall clock 2026-01-30 14:35:12.345
};

// ---------------------------------------------------------------------------
// Writer

TEST_F(Qvt, EmptyCanvasGivesHeaderWorldAndDefaultLayerBehindTheMagic) {
  TQuarixCanvasModel c;
  const std::string file = File("empty.qvt");
  ASSERT_EQ(c.CadSave(file, -1), 1);
  const std::string bytes = env.ReadFile(file);
  ASSERT_GT(bytes.size(), 10u);
  EXPECT_EQ(bytes.substr(0, 4), "QVT1");
  // A zlib header of the default level follows directly: 0x78 0x9C.
  EXPECT_EQ(static_cast<unsigned char>(bytes[4]), 0x78);
  EXPECT_EQ(static_cast<unsigned char>(bytes[5]), 0x9C);
  EXPECT_EQ(Inflate(bytes), std::string(kHeader) +
                                "WORLD 0.000000 1000.000000 0.000000 1000.000000\n"
                                "LAYER 0 Default\n");
}

TEST_F(Qvt, HeaderTimeCarriesHundredthsTruncated) {
  TQuarixCanvasModel c;
  const std::string text = qvt::BuildDrawingText(c, QDateTime(QDate(2026, 1, 30), QTime(7, 5, 9, 48)));
  EXPECT_EQ(text.substr(0, text.find("WORLD")),
            "# Quarix Helm - QVT\n# Quarix\n# Created on: 2026-01-30 07:05:09.04\n#\n");
}

TEST_F(Qvt, EveryShapeGivesItsRecord) {
  TQuarixCanvasModel c;
  FillDrawing(c);
  Add<TQLine>(c, stCircle, 0, [](TQLine&) {});  // a class that does not fit its code
  const std::vector<std::string> expected = {
      "WORLD -12.500000 987654.250000 -3.000000 4500100.125000",
      "LAYER 0 Default",
      "LAYER 1 Quarix Grid",
      "LAYER 2 ",
      "LINE -1.250000 2.000000 3.000000 4500000.123456 1 -16777201 3",
      "CIRCLE 10.000000 20.000000 5.500000 0 255 1",
      "POINT 1.000000 2.000000 2 1193046 4 12.750000",
      "TEXT 5.000000 6.000000 1 0 16711680 12.500000 -30.000000 1 0 Arial two  words ",
      "TEXT 7.000000 8.000000 0 -1 0 10.000000 0.000000 0 0 Arial ",
      "POLYLINE 1 3 65280 2",
      "1.000000 2.000000",
      "3.000000 4.000000",
      "5.500000 6.250000",
      "POLYGON 0 3 65280 2",
      "1.000000 2.000000",
      "3.000000 4.000000",
      "5.000000 0.000000",
      "SPLINE 0 2 65280 2",
      "0.000000 0.000000",
      "1.000000 1.000000",
      "ARC3P 0 3 65280 2",
      "0.000000 0.000000",
      "1.000000 1.000000",
      "2.000000 0.000000",
      "POLYLINE 0 0 65280 2",
      "RECTANGLE 1.000000 2.000000 3.000000 4.000000 1 255 2 11189196 0 -7.500000",
      "ELLIPSE 1.000000 2.000000 3.000000 4.000000 0 0 1",
      "ELLIPSE -1.000000 -2.000000 3.000000 4.000000 1 170 5",
      "ARC 450000.500000 4500000.250000 450010.000000 4500010.125000 450020.750000 4500000.000000 1 43520 2",
  };
  const std::string text = qvt::BuildDrawingText(c, platform::Now());
  EXPECT_EQ(text.substr(0, std::string(kHeader).size()), kHeader);
  EXPECT_EQ(Records(text), expected);
}

TEST_F(Qvt, NamesAndTextsThatWouldBreakARecordAreKeptOnOneLine) {
  TQuarixCanvasModel c;
  c.LayerOpen("two\nlines");
  auto* t = static_cast<TQText*>(c.FindShape(c.TextAdd(0, "a\nLINE 0 0 9 9 0 0 1", 1, 2, -1)));
  t->FontName = "Times New Roman";
  c.TextAdd(0, "x", 1, 2, -1);
  static_cast<TQText*>(c.Shapes.back())->FontName = "";
  const std::vector<std::string> records = Records(qvt::BuildDrawingText(c, platform::Now()));
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[2], "LAYER 1 two lines");
  EXPECT_EQ(records[3], "TEXT 1.000000 2.000000 0 -1 0 10.000000 0.000000 0 0 0 a LINE 0 0 9 9 0 0 1");
  EXPECT_EQ(records[4], "TEXT 1.000000 2.000000 0 -1 0 10.000000 0.000000 0 0 0 x");

  // Read back, the texts stay whole and no shape is made of them.
  const std::string file = File("texts.qvt");
  ASSERT_EQ(c.CadSave(file), 1);
  TQuarixCanvasModel r;
  ASSERT_EQ(r.CadLoad(file, -1, -1, 0), 1);
  ASSERT_EQ(r.ShapeCount, 2);
  EXPECT_EQ(static_cast<TQText*>(r.Shapes[0])->TextString, "a LINE 0 0 9 9 0 0 1");
  EXPECT_EQ(static_cast<TQText*>(r.Shapes[0])->FontName, "Arial");
  EXPECT_EQ(r.LayerFindByName("two lines"), 1);
}

TEST_F(Qvt, AFailedWriteReturns0AndKeepsThePreviousFile) {
  TQuarixCanvasModel c;
  EXPECT_EQ(c.CadSave(File("no such folder/x.qvt"), -1), 0);
}

TEST_F(Qvt, TheTemporaryFileIsMadeAnewAndNoLinkIsFollowed) {
  TQuarixCanvasModel c;
  c.DrawLine(0, 0, 1, 1, 0);
  const std::string file = File("keep.qvt");
  const std::string victim = File("victim.txt");
  WriteFileAtomically(victim, "victim");
  // Links where a fixed temporary name would be: none of them is written through.
  for (const std::string& name : {file + ".tmp", file + "~", file + ".new"})
    ASSERT_EQ(::symlink(victim.c_str(), name.c_str()), 0);
  ASSERT_EQ(c.CadSave(file, -1), 1);
  EXPECT_EQ(env.ReadFile(victim), "victim");
  struct stat st {};
  ASSERT_EQ(::lstat(file.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(env.ReadFile(file).substr(0, 4), "QVT1");
  // Nothing but the drawing, the victim and the links is left in the folder.
  EXPECT_EQ(QDir(QString::fromStdString(env.Home())).entryList(QDir::Files | QDir::System).size(), 5);
}

// ---------------------------------------------------------------------------
// Round trip

TEST_F(Qvt, WrittenDrawingReadsBackInMode0) {
  TQuarixCanvasModel c;
  FillDrawing(c);
  const std::string file = File("round.qvt");
  ASSERT_EQ(c.CadSave(file, -1), 1);

  TQuarixCanvasModel r;
  r.LayerOpen("old layer");
  r.DrawLine(0, 0, 1, 1, 1);
  r.ShapeSelect(1, false);
  ASSERT_EQ(r.CadLoad(file, -1, -1, 0), 1);

  EXPECT_EQ(r.WorldLeft, c.WorldLeft);
  EXPECT_EQ(r.WorldRight, c.WorldRight);
  EXPECT_EQ(r.WorldBottom, c.WorldBottom);
  EXPECT_EQ(r.WorldTop, c.WorldTop);
  ASSERT_EQ(r.Layers.size(), c.Layers.size());
  for (std::size_t i = 0; i < c.Layers.size(); ++i) {
    EXPECT_EQ(r.Layers[i]->Number, c.Layers[i]->Number);
    EXPECT_EQ(r.Layers[i]->Name, c.Layers[i]->Name);
  }
  EXPECT_EQ(r.CurrentLayer, 2);  // the last LAYER record
  EXPECT_TRUE(r.Selection.empty());
  ASSERT_EQ(r.ShapeCount, 14);
  ASSERT_EQ(r.Shapes.size(), 14u);
  EXPECT_EQ(r.NextShapeNumber, 15);
  for (std::size_t i = 0; i < r.Shapes.size(); ++i) {
    const TQShape* a = c.Shapes[i];
    const TQShape* b = r.Shapes[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(b->Number, static_cast<int32_t>(i + 1));
    EXPECT_EQ(b->Layer, a->Layer);
    EXPECT_EQ(b->PenFg, a->PenFg);
    EXPECT_EQ(b->PenWidth, a->PenWidth);
    // Ellipses come back as type 20; a closed polyline as a polygon.
    const bool polygon = a->ShapeType == stPolyline && static_cast<const TQPolyline*>(a)->Closed;
    EXPECT_EQ(b->ShapeType, a->ShapeType == stEllipseTool ? stEllipse : polygon ? stPolygon : a->ShapeType);
    EXPECT_EQ(typeid(*b), typeid(*a));
    if (a->ShapeType != stText) {
      EXPECT_DOUBLE_EQ(b->MinX, a->MinX);
      EXPECT_DOUBLE_EQ(b->MaxY, a->MaxY);
    }
  }
  auto& line = *static_cast<TQLine*>(r.Shapes[0]);
  EXPECT_EQ(line.Y2, 4500000.123456);
  auto& point = *static_cast<TQPoint*>(r.Shapes[2]);
  EXPECT_EQ(point.Z, 12.75);
  EXPECT_EQ(point.PointSize, 3);
  auto& text = *static_cast<TQText*>(r.Shapes[3]);
  EXPECT_EQ(text.TextString, "two  words ");
  EXPECT_EQ(text.Height, 12.5);
  EXPECT_EQ(text.Angle, -30);
  EXPECT_TRUE(text.Bold);
  EXPECT_FALSE(text.Italic);
  EXPECT_EQ(text.FontName, "Arial");
  EXPECT_EQ(static_cast<TQText*>(r.Shapes[4])->TextString, "");
  for (int i : {5, 6, 7, 8, 9}) {
    auto* a = static_cast<TQPolyline*>(c.Shapes[static_cast<std::size_t>(i)]);
    auto* b = static_cast<TQPolyline*>(r.Shapes[static_cast<std::size_t>(i)]);
    EXPECT_EQ(b->Closed, a->Closed && a->ShapeType != stSpline) << i;
    ASSERT_EQ(b->PointCount(), a->PointCount()) << i;
    for (int v = 0; v < a->PointCount(); ++v) {
      EXPECT_EQ(b->GetPointX(v), a->GetPointX(v));
      EXPECT_EQ(b->GetPointY(v), a->GetPointY(v));
    }
  }
  auto& rect = *static_cast<TQRectangle*>(r.Shapes[10]);
  EXPECT_EQ(rect.Value, -7.5);
  EXPECT_EQ(rect.BrushFg, 0xAABBCCu);
  EXPECT_EQ(rect.BrushStyle, bsSolid);
  EXPECT_FALSE(rect.Rounded);
  auto& arc = *static_cast<TQArc*>(r.Shapes[13]);
  EXPECT_EQ(arc.X1, 450000.5);
  EXPECT_EQ(arc.Y1, 4500000.25);
  EXPECT_EQ(arc.X2, 450010);
  EXPECT_EQ(arc.Y2, 4500010.125);
  EXPECT_EQ(arc.X3, 450020.75);
  EXPECT_EQ(arc.Y3, 4500000);

  // The same drawing written again gives the same records.
  EXPECT_EQ(Records(qvt::BuildDrawingText(r, platform::Now())),
            Records(qvt::BuildDrawingText(c, platform::Now())));
}

TEST_F(Qvt, Mode2AddsAndFindsLayersByName) {
  TQuarixCanvasModel c;
  FillDrawing(c);
  const std::string file = File("add.qvt");
  ASSERT_EQ(c.CadSave(file), 1);

  TQuarixCanvasModel r;
  r.LayerOpen("mine");          // 1
  r.LayerOpen("Quarix Grid");   // 2: the file's layer 1 maps here
  r.DrawLine(0, 0, 1, 1, 1);
  ASSERT_EQ(r.CadLoad(file, -1, -1, 2), 1);
  ASSERT_EQ(r.CadLoad(file, -1, -1, 2), 1);
  EXPECT_EQ(r.Layers.size(), 4u);  // Default, mine, Quarix Grid, ""
  EXPECT_EQ(r.LayerFindByName(""), 3);
  ASSERT_EQ(r.ShapeCount, 29);
  EXPECT_EQ(r.Shapes[0]->Layer, 1);
  EXPECT_EQ(r.Shapes[1]->Layer, 2);   // the file's grid line
  EXPECT_EQ(r.Shapes[3]->Layer, 3);   // the point on the nameless layer
  EXPECT_EQ(r.Shapes[15]->Layer, 2);  // the second copy finds the layer again
  EXPECT_EQ(r.Shapes[28]->Layer, 2);  // and its arc too
  for (int i = 0; i < 29; ++i) EXPECT_EQ(r.Shapes[static_cast<std::size_t>(i)]->Number, i + 1);
}

// ---------------------------------------------------------------------------
// Reader: records and defaults (plain text files)

TEST_F(Qvt, PlainRecordsAndTheirDefaults) {
  const std::string text =
      "line 0 0 1 1 0 255 1\n"           // keywords are upper case
      "  \t\r\n"                         // no keyword
      "FOO 1 2\n"                        // unknown
      "LAYER 5   Survey  Lines  \r\n"
      "LINE 0 0 1 1 5 0 9\n"             // colour 0: the layer's pen, width unused
      "LINE 0 0 1 1 5 255 4\n"
      "LINE 0 0 1 1 7 255\n"             // no LAYER 7: used as it is -> Default
      "POINT 3 4 5 0 6\n"                // colour 0 is black, width kept; z 0
      "CIRCLE 1 2 3\n"                   // layer 0 before any mapping: 0
      "TEXT 1 2 5 0 255 8 45 0 1 0   two lead\n"
      "TEXT 1 2 5 0 0 8 0 0 0 Courier\n"
      "TEXT 1 2 5 x\n"                   // a field that cannot be read
      "POLYLINE 5 0 255 2\n"             // no vertices: the next line is a record
      "POLYGON 5 3 255 2\n"
      "1 2\n"
      "# a comment is a vertex here\n"
      "5.5 6.5\r\n"
      "RECTANGLE 0 0 2 2 5\n"            // colours, style and value left out
      "ELLIPSE 0 0 2 2 5 0 7\n"          // colour 0: width 1
      "ARC 0 0 1 1 2 0 5 255 3\n"
      "WORLD 1 2 3\n";                   // the fourth bound stays
  TQuarixCanvasModel c;
  c.Fonts.push_back(TQFont{"Verdana", 14, false, true});
  c.SetLayerPenFg(0, 0x00AA00);
  ASSERT_EQ(c.CadLoad(Plain("plain.qvt", text), -1, -1, 0), 1);
  ASSERT_EQ(c.Layers.size(), 2u);
  EXPECT_EQ(c.Layers[1]->Name, "Survey  Lines");
  EXPECT_EQ(c.Layers[1]->Number, 1);
  ASSERT_EQ(c.ShapeCount, 13);
  const auto& s = c.Shapes;
  EXPECT_EQ(s[0]->Layer, 1);
  EXPECT_EQ(s[0]->PenFg, 0u);
  EXPECT_EQ(s[0]->PenWidth, 1);
  EXPECT_EQ(s[1]->PenFg, 255u);
  EXPECT_EQ(s[1]->PenWidth, 4);
  EXPECT_EQ(s[2]->Layer, 0);  // an unknown layer sends a line to "Default"
  auto* point = static_cast<TQPoint*>(s[3]);
  EXPECT_EQ(point->Layer, 1);
  EXPECT_EQ(point->PenFg, 0u);
  EXPECT_EQ(point->PenWidth, 6);
  EXPECT_EQ(point->Z, 0);
  EXPECT_EQ(static_cast<TQCircle*>(s[4])->Radius, 3);
  EXPECT_EQ(s[4]->Layer, 0);
  auto* t1 = static_cast<TQText*>(s[5]);
  EXPECT_EQ(t1->TextString, "  two lead");
  EXPECT_EQ(t1->FontName, "Arial");  // "0": the font-table font stays
  EXPECT_TRUE(t1->Italic);
  EXPECT_EQ(t1->Angle, 45);
  EXPECT_EQ(t1->Height, 8);
  EXPECT_EQ(t1->PenFg, 255u);
  auto* t2 = static_cast<TQText*>(s[6]);
  EXPECT_EQ(t2->FontName, "Courier");
  EXPECT_EQ(t2->TextString, "");
  auto* t3 = static_cast<TQText*>(s[7]);
  EXPECT_EQ(t3->FontIndex, 0);
  EXPECT_EQ(t3->Height, 10.0);
  EXPECT_EQ(static_cast<TQPolyline*>(s[8])->PointCount(), 0);
  auto* poly = static_cast<TQPolyline*>(s[9]);
  EXPECT_TRUE(poly->Closed);
  EXPECT_EQ(poly->ShapeType, stPolygon);
  ASSERT_EQ(poly->PointCount(), 3);
  EXPECT_EQ(poly->GetPointX(1), 0);
  EXPECT_EQ(poly->GetPointY(2), 6.5);
  auto* rect = static_cast<TQRectangle*>(s[10]);
  EXPECT_EQ(rect->PenFg, 0u);
  EXPECT_EQ(rect->PenWidth, 1);
  EXPECT_EQ(rect->BrushFg, 0u);
  EXPECT_EQ(rect->BrushStyle, bsSolid);
  EXPECT_EQ(rect->CornerRadius, 10.0);
  EXPECT_EQ(s[11]->PenWidth, 1);
  EXPECT_EQ(s[11]->ShapeType, stEllipse);
  EXPECT_NE(dynamic_cast<TQArc*>(s[12]), nullptr);
  EXPECT_EQ(s[12]->PenWidth, 3);
  EXPECT_EQ(c.WorldLeft, 1);
  EXPECT_EQ(c.WorldRight, 2);
  EXPECT_EQ(c.WorldBottom, 3);
  EXPECT_EQ(c.WorldTop, 1000);
  EXPECT_TRUE(c.NeedsRedraw);
}

TEST_F(Qvt, ShortAndForeignFilesAreReadAsPlainTextAndNeedARecord) {
  struct Case {
    const char* bytes;
    int layers;  // 0: refused as holding no drawing
    int shapes;
  };
  const Case cases[] = {
      {"", 0, 0},     // empty
      {"QVT", 0, 0},  // shorter than the magic
      {"QVT2LINE 0 0 1 1 0 0 1\n", 0, 0},
      {"# only a comment\n\nline 0 0 1 1 0 0 1\n", 0, 0},
      {"WORLD 0 1 0 1\n", 1, 0},                // a view alone is a drawing
      {"LAYER 3 A\nLINE 0 0 1 1 3 0 1", 2, 1},  // no final line feed
  };
  for (const Case& k : cases) {
    TQuarixCanvasModel c;
    c.DrawLine(0, 0, 1, 1, 0);
    c.LayerOpen("kept");
    errno = 0;
    const int rc = c.CadLoad(Plain("short.qvt", k.bytes), -1, -1, 0);
    if (k.layers == 0) {
      EXPECT_EQ(rc, 0) << k.bytes;
      EXPECT_EQ(errno, ENOMSG) << k.bytes;
      EXPECT_EQ(c.ShapeCount, 1) << k.bytes;
      EXPECT_EQ(c.LayerFindByName("kept"), 1) << k.bytes;
      continue;
    }
    EXPECT_EQ(rc, 1) << k.bytes;
    EXPECT_EQ(static_cast<int>(c.Layers.size()), k.layers) << k.bytes;
    EXPECT_EQ(c.ShapeCount, k.shapes) << k.bytes;
    EXPECT_EQ(c.NextLayerNumber, k.layers);
  }
}

TEST_F(Qvt, HostileFieldsAreBounded) {
  const std::string text =
      "LINE nan inf 1 1 0 0 1\n"         // not numbers: zero
      "LINE 1e999 0 1 1 99999999999 0 1\n"
      "CIRCLE 1 2 3 0 99999999999 4\n"   // a colour out of range is not read
      "RECTANGLE 0 0 1 1 0 255 1 255 77 3\n"
      "POLYLINE 0 2000000000 255 1\n"   // far more vertices than lines: the rest
      "1 2\n"
      "LINE 3 4 5 6 0 0 1\n";
  TQuarixCanvasModel c;
  ASSERT_EQ(c.CadLoad(Plain("hostile.qvt", text), -1, -1, 0), 1);
  ASSERT_EQ(c.ShapeCount, 5);
  EXPECT_TRUE(c.Shapes[0]->HasFiniteBounds());
  EXPECT_EQ(static_cast<TQLine*>(c.Shapes[0])->X1, 0);
  EXPECT_TRUE(c.Shapes[1]->HasFiniteBounds());
  EXPECT_EQ(c.Shapes[2]->PenFg, 0u);
  EXPECT_LE(c.Shapes[3]->BrushStyle, bsDiagCross);
  auto* poly = static_cast<TQPolyline*>(c.Shapes[4]);
  ASSERT_EQ(poly->PointCount(), 2);
  EXPECT_EQ(poly->GetPointX(1), 0);  // a record line taken as a vertex reads as 0 0
}

TEST_F(Qvt, RealsAreWrittenAndReadExactlyAsTheCLibraryDoes) {
  // Values whose sixth decimal is a true half, that round to a signed zero,
  // sit near 2^53 once scaled, or are too large for any shortcut, and many
  // random ones at map coordinates and at small sizes.
  std::vector<double> values = {0.0078125, -0.0078125, 2.5, 0.5e-6, 1.5e-6, 2.0000005, -0.0, 1e-9, -1e-9,
                                4503599627.370496, 4503599627.3704955, 9007199254.740993, 4e15, 1e22, -1e300,
                                123456.0000005, 4500000.123456, 0.1, 0.7, 1.0 / 3, 999999.9999995, 1e-320};
  std::mt19937_64 rng(5);
  for (int i = 0; i < 20000; ++i) {
    values.push_back(std::uniform_real_distribution<double>(-5e6, 5e6)(rng));
    values.push_back(std::ldexp(static_cast<double>(rng() % 4096), -static_cast<int>(rng() % 40)));
  }
  TQuarixCanvasModel c;
  for (double v : values) c.DrawLine(v, 0, 0, 0, 0);
  const std::vector<std::string> lines = Records(qvt::BuildDrawingText(c, platform::Now()));
  std::string plain;
  for (std::size_t i = 0; i < values.size(); ++i) {
    char want[400];
    std::snprintf(want, sizeof want, "LINE %.6f ", values[i]);
    ASSERT_EQ(lines[i + 2].substr(0, std::strlen(want)), want) << i;
    // Read back as the C library reads the same text.
    const std::string field = lines[i + 2].substr(5, std::strlen(want) - 6);
    plain += "LINE " + field + " 0 0 0 0 0 1\n";
  }
  // Longer and unusual forms go the same way.
  for (const char* field : {"0.30000000000000004441", "-.5", "5.", "1e3", "12345678901234567890", "0.1234567890123456789"})
    plain += std::string("LINE ") + field + " 0 0 0 0 0 1\n";
  TQuarixCanvasModel r;
  ASSERT_EQ(r.CadLoad(Plain("reals.qvt", plain), -1, -1, 0), 1);
  std::size_t i = 0;
  for (std::size_t at = 0; at < plain.size(); ++i) {
    const double want = std::strtod(plain.c_str() + at + 5, nullptr);
    ASSERT_LT(i, r.Shapes.size());
    const double got = static_cast<TQLine*>(r.Shapes[i])->X1;
    EXPECT_TRUE(got == want && std::signbit(got) == std::signbit(want)) << plain.substr(at, 40);
    at = plain.find('\n', at) + 1;
  }
}

TEST_F(Qvt, CarriageReturnsAreReadLikeLineFeedsButStayInTexts) {
  TQuarixCanvasModel a, b;
  const std::string lf = "LAYER 1 Depths\nLINE 0 0 1 1 1 255 2\nTEXT 1 2 1 0 0 10 0 0 0 Arial hi\n";
  std::string crlf;
  for (char ch : lf) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  ASSERT_EQ(a.CadLoad(Plain("lf.qvt", lf), -1, -1, 0), 1);
  ASSERT_EQ(b.CadLoad(Plain("crlf.qvt", crlf), -1, -1, 0), 1);
  EXPECT_EQ(b.Layers[1]->Name, "Depths");
  ASSERT_EQ(b.ShapeCount, 2);
  EXPECT_EQ(b.Shapes[0]->PenWidth, a.Shapes[0]->PenWidth);
  EXPECT_EQ(static_cast<TQText*>(b.Shapes[1])->TextString, "hi\r");
}

// ---------------------------------------------------------------------------
// The read is linear in the records

// Heap allocations of this process: calls and bytes asked for; the bytes
// held now, and the most held since the test last set it.
std::atomic<unsigned long long> allocations{0}, allocatedBytes{0}, heldBytes{0}, peakHeldBytes{0};

}  // namespace

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  allocatedBytes.fetch_add(size, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) {
    const unsigned long long held = heldBytes.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
    unsigned long long peak = peakHeldBytes.load();
    while (held > peak && !peakHeldBytes.compare_exchange_weak(peak, held)) {
    }
    return p;
  }
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  if (p) heldBytes.fetch_sub(malloc_usable_size(p));
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

TEST_F(Qvt, ReadingWorkGrowsInProportionToTheRecords) {
  // Each record kind the reader builds, in drawings of 1, 2 and 4 times a
  // size, saved packed as the program saves them: the allocations a read
  // makes, and the bytes they ask for, grow with the records and no faster.
  // (Its time is measured by bench/qvt_bench.)
  std::vector<QvtRecordKind> kinds = QvtRecordKinds();
  kinds.push_back({"LAYER", [](int i) { return "LAYER " + std::to_string(i + 2) + " layer " + std::to_string(i) + "\n"; }});
  const int base = 4000;
  for (const QvtRecordKind& kind : kinds) {
    std::string files[3];
    for (int k = 0; k < 3; ++k) {
      std::string text = "LAYER 1 records\n", packed;
      for (int i = 0; i < (base << k); ++i) text += kind.record(i);
      ASSERT_TRUE(qvt::PackDrawingText(text, packed));
      files[k] = Plain("linear" + std::to_string(k) + ".qvt", packed);
    }
    {
      // The records' pool keeps the room earlier reads gave back and takes
      // new chunks only when a read outgrows it: one read of the largest
      // drawing first, so that every measured read finds the same pool.
      TQuarixCanvasModel warm;
      for (int i = 0; i < 1000; ++i) warm.DrawPoint(i, i, 0);
      ASSERT_EQ(warm.CadLoad(files[2], -1, -1, 0), 1) << kind.name;
    }
    for (int mode : {0, 2}) {
      std::vector<double> calls, bytes;
      for (const std::string& file : files) {
        TQuarixCanvasModel c;
        for (int i = 0; i < 1000; ++i) c.DrawPoint(i, i, 0);
        const unsigned long long calls0 = allocations, bytes0 = allocatedBytes;
        ASSERT_EQ(c.CadLoad(file, -1, -1, mode), 1) << kind.name;
        calls.push_back(static_cast<double>(allocations - calls0));
        bytes.push_back(static_cast<double>(allocatedBytes - bytes0));
      }
      // Four times the records: about four times the work, never sixteen.
      EXPECT_LT(calls[2] / calls[0], 5.0) << kind.name << " mode " << mode << ": " << calls[0] << " " << calls[2];
      EXPECT_LT(bytes[2] / bytes[0], 5.0) << kind.name << " mode " << mode << ": " << bytes[0] << " " << bytes[2];
    }
  }
}

// Lowers the load bounds for one test, so that small files reach them.
class LowerBounds {
 public:
  LowerBounds(std::size_t memory, std::size_t ratio, std::size_t minText) : saved_(qvt::Bounds()) {
    qvt::Bounds().MemoryBytes = memory;
    qvt::Bounds().TextRatio = ratio;
    qvt::Bounds().MinTextBytes = minText;
  }
  ~LowerBounds() { qvt::Bounds() = saved_; }

 private:
  qvt::LoadBounds saved_;
};

// A read of a file's bytes as CadLoad makes it (the file held during the
// read): the most the heap held above what it held before, and the most the
// reader counted against its memory bound.
struct MeasuredRead {
  int rc = 0;
  std::size_t peak = 0, counted = 0;
};
MeasuredRead ReadMeasured(const std::string& file) {
  TQuarixCanvasModel c;
  qvt::LoadedDrawing out;
  MeasuredRead m;
  const unsigned long long before = heldBytes;
  peakHeldBytes = before;
  {
    const std::string bytes = file;
    m.rc = qvt::ReadDrawing(bytes, c, true, out);
    m.counted = out.CountedBytes;
  }
  m.peak = static_cast<std::size_t>(peakHeldBytes - before);
  return m;
}

TEST_F(Qvt, TheReaderNeverHoldsMoreThanItCountedSoTheMemoryBoundHolds) {
  // Drawings made to make the reader allocate: a polyline of millions of
  // vertices (its vertex list grows as it is read), one whose count
  // promises ten times the lines it has, a text of megabytes on one line
  // (the inflate buffer and two copies of the text), many layers, many
  // texts.
  const auto vertices = [](int count, int promised) {
    std::string t = "LAYER 1 soundings\nPOLYLINE 1 " + std::to_string(promised) + " 255 1\n";
    for (int i = 0; i < count; ++i) t += std::to_string(450000 + i) + ".5 " + std::to_string(i % 977) + ".25\n";
    return t;
  };
  const std::string longText = "TEXT 1 2 0 0 255 10 0 0 0 Arial " + std::string(8 << 20, 'x') + "\n";
  std::string layers, texts;
  for (int i = 0; i < 100000; ++i) layers += "LAYER " + std::to_string(i + 1) + " layer of chart " + std::to_string(i) + "\n";
  for (int i = 0; i < 200000; ++i)
    texts += "TEXT " + std::to_string(i) + " 2 0 0 255 10 0 0 0 Helvetica-Narrow depth label " + std::to_string(i) + "\n";
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"3,000,000 vertices", vertices(3000000, 3000000)},
      {"a count ten times the lines", vertices(3000000, 30000000)},
      {"an 8 MB text", longText},
      {"100,000 layers", layers},
      {"200,000 texts", texts},
  };
  for (const auto& k : cases) {
    std::string packed;
    ASSERT_TRUE(qvt::PackDrawingText(k.text, packed)) << k.name;
    for (const std::string* file : {static_cast<const std::string*>(&packed), &k.text}) {
      const MeasuredRead m = ReadMeasured(*file);
      ASSERT_EQ(m.rc, 0) << k.name;
      EXPECT_LE(m.peak, m.counted) << k.name << (file == &packed ? " packed" : " plain");
      // What it counted is its bound: it reads at exactly that bound, and
      // below it the read stops before the heap holds more than the bound.
      const LowerBounds exact(m.counted, 64, 256 << 20);
      EXPECT_EQ(ReadMeasured(*file).rc, 0) << k.name;
      qvt::Bounds().MemoryBytes = m.counted * 3 / 4;
      const MeasuredRead below = ReadMeasured(*file);
      EXPECT_EQ(below.rc, EFBIG) << k.name;
      EXPECT_LE(below.peak, m.counted * 3 / 4) << k.name;
    }
  }
}

// ---------------------------------------------------------------------------
// Damaged and missing files

class QvtDamaged : public Qvt {
 protected:
  void SetUp() override {
    FillDrawing(source);
    const std::string file = File("good.qvt");
    ASSERT_EQ(source.CadSave(file), 1);
    good = env.ReadFile(file);
  }
  // A canvas with a drawing of its own, to see that a refused file leaves it.
  static void Own(TQuarixCanvasModel& c) {
    c.LayerOpen("own");
    c.DrawLine(0, 0, 1, 1, 1);
    c.TextAdd(1, "mine", 2, 3, 0);
    c.ShapeSelect(2, false);
    c.WorldLeft = 42;
  }
  // Everything a load changes: the records the file would keep, the very
  // shape and layer records, numbering, current layer and selection.
  static std::string State(const TQuarixCanvasModel& c) {
    std::string s = qvt::BuildDrawingText(c, QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    for (const TQShape* shape : c.Shapes) s += std::to_string(reinterpret_cast<uintptr_t>(shape)) + " ";
    for (const TQLayer* layer : c.Layers) s += std::to_string(reinterpret_cast<uintptr_t>(layer)) + " ";
    for (int32_t n : c.Selection) s += "sel " + std::to_string(n);
    return s + " " + std::to_string(c.ShapeCount) + " " + std::to_string(c.NextShapeNumber) + " " +
           std::to_string(c.NextLayerNumber) + " " + std::to_string(c.CurrentLayer);
  }
  // Loads a file that must be refused, in both modes, onto a canvas with its
  // own drawing, and checks that the canvas is exactly as it was.
  static void ExpectRefused(const std::string& file, int why) {
    for (int mode : {0, 2}) {
      TQuarixCanvasModel c;
      Own(c);
      const std::string before = State(c);
      errno = 0;
      EXPECT_EQ(c.CadLoad(file, -1, -1, mode), 0) << file << " mode " << mode;
      if (why) EXPECT_EQ(errno, why) << file << " mode " << mode;
      EXPECT_EQ(State(c), before) << file << " mode " << mode;
    }
  }
  // In a child process: CadLoad with the address space held to what the
  // process has now plus 64 MB; exits 0 when the load failed for want of
  // memory and left the canvas exactly as it was.
  [[noreturn]] static void LoadWithLittleMemory(const std::string& file, int mode) {
    TQuarixCanvasModel c;
    Own(c);
    const std::string before = State(c);
    long pages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm || std::fscanf(statm, "%ld", &pages) != 1) std::_Exit(2);
    std::fclose(statm);
    const rlim_t room = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (64 << 20);
    const rlimit limit{room, room};
    if (::setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
    errno = 0;
    const int rc = c.CadLoad(file, -1, -1, mode);
    const int why = errno;
    const bool same = State(c) == before;
    std::fprintf(stderr, "rc %d errno %d same %d\n", rc, why, same ? 1 : 0);
    std::_Exit(rc == 0 && why == ENOMEM && same ? 0 : 1);
  }
  TQuarixCanvasModel source;
  std::string good;
};

TEST_F(QvtDamaged, MissingFileOrFolderReturns0AndChangesNothing) {
  ExpectRefused(File("none.qvt"), ENOENT);
  ExpectRefused(env.Home(), EISDIR);
}

TEST_F(QvtDamaged, DamagedStreamReturns0AndLeavesTheDrawing) {
  std::vector<std::string> damaged;
  damaged.push_back(std::string("QVT1") + "\x01\x02garbage");
  std::string header = good;
  header[4] = '\x79';  // the zlib header check fails
  damaged.push_back(header);
  std::string trailer = good;
  trailer.back() ^= 0x55;  // the Adler-32 check fails, after every record was read
  damaged.push_back(trailer);
  std::string middle = good;
  middle[good.size() / 2] ^= 0xFF;
  damaged.push_back(middle);
  for (std::size_t i = 0; i < damaged.size(); ++i) ExpectRefused(Plain("bad" + std::to_string(i) + ".qvt", damaged[i]), EILSEQ);
}

TEST_F(QvtDamaged, EveryFlippedByteIsRefusedOrReadWithoutHarm) {
  int refused = 0;
  for (std::size_t at = 4; at < good.size(); ++at) {
    std::string bytes = good;
    bytes[at] ^= 0x5A;
    TQuarixCanvasModel c;
    Own(c);
    const std::string before = State(c);
    const int rc = c.CadLoad(Plain("flip.qvt", bytes), -1, -1, 0);
    if (rc == 0) {
      EXPECT_EQ(State(c), before) << at;
      ++refused;
    }
    EXPECT_EQ(c.ShapeCount, static_cast<int>(c.Shapes.size()));
  }
  EXPECT_GT(refused, static_cast<int>(good.size() - 4) * 9 / 10);
}

TEST_F(QvtDamaged, ACutOffStreamIsNotTakenAtAll) {
  // Without its checksum, cut in its middle or anywhere else: the file was
  // read only in part, so none of it is taken and the map stays as it was.
  ExpectRefused(Plain("cut.qvt", good.substr(0, good.size() - 4)), ENODATA);
  ExpectRefused(Plain("cut.qvt", good.substr(0, good.size() / 2)), ENODATA);
  for (std::size_t len = 0; len < good.size(); ++len) {
    TQuarixCanvasModel c;
    Own(c);
    const std::string before = State(c);
    errno = 0;
    EXPECT_EQ(c.CadLoad(Plain("cut.qvt", good.substr(0, len)), -1, -1, len % 2 ? 2 : 0), 0) << len;
    EXPECT_TRUE(errno == ENODATA || (len < 4 && errno == ENOMSG)) << len << " errno " << errno;
    EXPECT_EQ(State(c), before) << len;
  }
}

TEST_F(QvtDamaged, ADrawingPastTheMemoryBoundFailsWholeInBothModes) {
  // The bound follows the machine: most of its memory, not a count of shapes.
  EXPECT_GT(qvt::Bounds().MemoryBytes, std::size_t{1} << 28);
  // Points, or vertices, up to what a lowered bound holds, then past it.
  std::string points;
  for (int i = 0; i < 4000; ++i) points += "POINT 1 2 0 0 1\n";
  const auto vertices = [](int count) {
    std::string v = "LAYER 1 big\nPOLYGON 1 " + std::to_string(count) + " 0 1\n";
    for (int i = 0; i < count; ++i) v += "3 4\n";
    return v;
  };
  struct Case {
    std::string fits, past;
    int shapes;  // the map's shapes when it fits
  };
  for (const Case& k : {Case{points, points + points, 4000}, Case{vertices(20000), vertices(40000), 1}}) {
    std::string packed;
    ASSERT_TRUE(qvt::PackDrawingText(k.fits, packed));
    TQuarixCanvasModel fits;
    ASSERT_EQ(fits.CadLoad(Plain("bound.qvt", packed), -1, -1, 0), 1);
    EXPECT_EQ(fits.ShapeCount, k.shapes);
    // Room for what reading these records takes; twice the records are past it.
    const LowerBounds low(ReadMeasured(packed).counted, 64, 1 << 20);
    TQuarixCanvasModel again;
    ASSERT_EQ(again.CadLoad(Plain("bound.qvt", packed), -1, -1, 0), 1);
    ASSERT_TRUE(qvt::PackDrawingText(k.past, packed));
    ExpectRefused(Plain("past.qvt", packed), EFBIG);
    ExpectRefused(Plain("past.txt", k.past), EFBIG);
  }
}

TEST_F(QvtDamaged, ATextInflatedPastItsRatioToTheFileFailsWhole) {
  // A small stream of many equal bytes inflates far beyond its size.
  const std::string many = "LINE 0 0 1 1 0 255 1\n" + std::string(1 << 20, 'A');
  std::string packed;
  ASSERT_TRUE(qvt::PackDrawingText(many, packed));
  ASSERT_LT(packed.size(), 4096u);
  {
    const LowerBounds exact(std::size_t{1} << 30, many.size() / packed.size() + 1, 0);
    TQuarixCanvasModel c;
    EXPECT_EQ(c.CadLoad(Plain("many.qvt", packed), -1, -1, 0), 1);
    EXPECT_EQ(c.ShapeCount, 1);
  }
  const LowerBounds low(std::size_t{1} << 30, many.size() / packed.size() - 1, 0);
  ExpectRefused(Plain("many.qvt", packed), EFBIG);
  // Plain text is its own size.
  TQuarixCanvasModel c;
  EXPECT_EQ(c.CadLoad(Plain("many.txt", many), -1, -1, 0), 1);
}

TEST_F(QvtDamaged, WhatTheWriterSavesTheReaderTakesBack) {
  // A drawing that packs better than the reader lets a file inflate is
  // stored unpacked, and reads back whole.
  const LowerBounds low(std::size_t{1} << 30, 4, 0);
  TQuarixCanvasModel same;
  for (int i = 0; i < 20000; ++i) same.DrawPoint(1, 2, 0);
  const std::string file = File("same.qvt");
  ASSERT_EQ(same.CadSave(file, -1), 1);
  const std::string bytes = env.ReadFile(file);
  EXPECT_EQ(bytes.substr(0, 4), "QVT1");
  EXPECT_GT(bytes.size(), 20000u * 16);
  TQuarixCanvasModel back;
  ASSERT_EQ(back.CadLoad(file, -1, -1, 0), 1);
  EXPECT_EQ(back.ShapeCount, 20000);
  // A drawing larger than the reader would take on this machine is not
  // written: the file stays as it was.
  qvt::Bounds().MemoryBytes = qvt::DrawingBytes(same) - 1;
  errno = 0;
  EXPECT_EQ(same.CadSave(file, -1), 0);
  EXPECT_EQ(errno, EFBIG);
  EXPECT_EQ(env.ReadFile(file), bytes);

  // A polyline of a million vertices, saved at the lowest bound the writer
  // takes, reads back whole at that bound: the writer counts the vertex
  // list's growth and the file as the reader does.
  TQuarixCanvasModel line;
  TQPolyline* longest = Poly(line, stPolyline, false, {});
  for (int i = 0; i < 1000000; ++i) longest->AddPoint(450000 + i * 0.5, 4500000 + i % 977);
  std::string packed;
  ASSERT_TRUE(qvt::PackDrawing(line, platform::Now(), packed));
  qvt::Bounds().MemoryBytes = qvt::ReadingBytes(line) + packed.size();
  const std::string lineFile = File("line.qvt");
  ASSERT_EQ(line.CadSave(lineFile, -1), 1);
  TQuarixCanvasModel lineBack;
  ASSERT_EQ(lineBack.CadLoad(lineFile, -1, -1, 0), 1);
  ASSERT_EQ(lineBack.ShapeCount, 1);
  EXPECT_EQ(static_cast<TQPolyline*>(lineBack.Shapes[0])->PointCount(), 1000000);
  qvt::Bounds().MemoryBytes -= 1;
  errno = 0;
  EXPECT_EQ(line.CadSave(File("line2.qvt"), -1), 0);
  EXPECT_EQ(errno, EFBIG);
}

// Saves a drawing of 5.2 million shapes (an XYZ import of 2.6 million
// soundings, two shapes a point) and reads it back; exits 0 when all of them
// came back. Run in a child process, so the gigabyte it takes is not left
// to the other tests.
[[noreturn]] void SaveAndReloadFiveMillionShapes(const std::string& file) {
  std::size_t saved = 0;
  {
    TQuarixCanvasModel c;
    const int layer = c.LayerOpen("_dxf_soundings.xyz");
    for (int i = 0; i < 2600000; ++i) {
      const double x = 450000 + (i % 2000) * 0.5, y = 4500000 + (i / 2000) * 0.5;
      c.DrawPoint(x, y, layer);
      c.DrawPoint(x + 0.25, y, layer);
    }
    saved = c.Shapes.size();
    if (c.CadSave(file, -1) != 1) std::_Exit(2);
  }
  TQuarixCanvasModel back;
  const int rc = back.CadLoad(file, -1, -1, 0);
  std::fprintf(stderr, "saved %zu read %d shapes %zu\n", saved, rc, back.Shapes.size());
  std::_Exit(saved > 5000000 && rc == 1 && back.Shapes.size() == saved ? 0 : 1);
}

TEST_F(QvtDamaged, MoreThanFiveMillionShapesSavedReadBackWhole) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "a gigabyte of shapes is too much for a sanitizer run";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  GTEST_SKIP() << "a gigabyte of shapes is too much for a sanitizer run";
#endif
#endif
  EXPECT_EXIT(SaveAndReloadFiveMillionShapes(File("big.qvt")), ::testing::ExitedWithCode(0), "saved 5200000 read 1");
}

TEST_F(QvtDamaged, RunningOutOfMemoryPartWayLeavesTheMapAsItWas) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves the address space that this test limits";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "AddressSanitizer reserves the address space that this test limits";
#endif
#endif
  // A packed drawing of a million points (a few hundred kilobytes that build
  // well over a hundred megabytes of shapes), read with the address space
  // held to what the process has now plus 64 MB.
  std::string text = "LAYER 1 soundings\n";
  for (int i = 0; i < 1000000; ++i) text += "POINT 450000.5 4500000.25 1 255 1 12.5\n";
  std::string packed;
  ASSERT_TRUE(qvt::PackDrawingText(text, packed));
  text.clear();
  text.shrink_to_fit();
  const std::string file = Plain("big.qvt", packed);
  for (int mode : {0, 2})
    EXPECT_EXIT(LoadWithLittleMemory(file, mode), ::testing::ExitedWithCode(0), "rc 0 errno 12 same 1")
        << "mode " << mode;
}

}  // namespace
