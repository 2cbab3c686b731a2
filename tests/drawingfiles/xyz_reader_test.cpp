#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <fstream>
#include <string>
#include <vector>

#include "canvas/canvasmodel.h"
#include "canvas/shapes.h"
#include "drawingfiles/xyzreader.h"

namespace {

class XYZReader : public ::testing::Test {
 protected:
  std::string Write(const std::string& text) {
    const std::string path = (dir.path() + "/points.xyz").toStdString();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  // x varying fastest; z = the point's index.
  static std::string Grid(int columns, int rows, double step) {
    std::string s;
    int i = 0;
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < columns; ++c)
        s += std::to_string(1000 + c * step) + " " + std::to_string(2000 + r * step) + " " +
             std::to_string(i++) + "\n";
    return s;
  }
  QTemporaryDir dir;
  TQuarixCanvasModel canvas;
};

TEST(DepthToColorTest, RampAndEnds) {
  struct Case {
    double value, low, high;
    TColor colour;
  } cases[] = {
      {0, 0, 4, 255},          {1, 0, 4, 65535},      {2, 0, 4, 65280},
      {3, 0, 4, 16776960},     {4, 0, 4, 16711680},   {-7, 0, 4, 255},
      {9, 0, 4, 16711680},     {0.5, 0, 4, 255 + 256 * 127},  // truncated, not rounded
      {5, 5, 5, 255},          {5.5, 5, 5, 65280},    {6, 5, 5, 16711680},
      {7, 5, 3, 16711680},  // high below low: the range counts as 1
  };
  for (const Case& c : cases)
    EXPECT_EQ(DepthToColor(c.value, c.low, c.high), c.colour)
        << c.value << " in " << c.low << ".." << c.high;
}

TEST_F(XYZReader, RegularGridBecomesFilledCells) {
  const int layer = canvas.LayerOpen("depths");
  const int32_t firstNumber = canvas.NextShapeNumber;
  ASSERT_TRUE(XYZLoad(canvas, Write(Grid(4, 4, 5)), layer, 0, 0));
  ASSERT_EQ(canvas.Shapes.size(), 16u);
  EXPECT_EQ(canvas.ShapeCount, 16);
  for (int i = 0; i < 16; ++i) {
    auto* cell = dynamic_cast<TQRectangle*>(canvas.Shapes[i]);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->ShapeType, stRectangle);
    EXPECT_EQ(cell->Number, firstNumber + i);
    EXPECT_EQ(cell->Layer, layer);
    const double x = 1000 + (i % 4) * 5, y = 2000 + (i / 4) * 5;
    EXPECT_DOUBLE_EQ(cell->X1, x - 2.5);
    EXPECT_DOUBLE_EQ(cell->Y1, y - 2.5);
    EXPECT_DOUBLE_EQ(cell->X2, x + 2.5);
    EXPECT_DOUBLE_EQ(cell->Y2, y + 2.5);
    EXPECT_DOUBLE_EQ(cell->Value, i);
    EXPECT_EQ(cell->PenFg, cell->BrushFg);
    EXPECT_EQ(cell->PenWidth, 0);
    EXPECT_EQ(cell->BrushStyle, bsSolid);
    EXPECT_DOUBLE_EQ(cell->MinX, x - 2.5);  // bounds brought up to date
  }
  EXPECT_EQ(canvas.Shapes.front()->PenFg, 255u);
  EXPECT_EQ(canvas.Shapes.back()->PenFg, 16711680u);
  EXPECT_EQ(canvas.NextShapeNumber, firstNumber + 16);
  // The view was fitted to the cells.
  EXPECT_LE(canvas.WorldLeft, 997.5);
  EXPECT_GE(canvas.WorldRight, 1017.5);
}

TEST_F(XYZReader, PointsThatAreNoGridBecomeDots) {
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"ten grid points", Grid(5, 2, 5)},
      {"one horizontal line", "0 7 1\n1 7 2\n2 7 3\n3 7 4\n4 7 5\n5 7 6\n6 7 7\n7 7 8\n8 7 9\n"
                              "9 7 10\n10 7 11\n11 7 12\n"},
      {"scattered", "0 0 1\n1.37 0.41 2\n2.9 3.3 3\n0.77 4.2 4\n5.51 1.13 5\n3.71 6.07 6\n"
                    "6.63 2.29 7\n8.17 5.83 8\n4.39 8.91 9\n9.53 9.17 10\n7.19 0.61 11\n"},
  };
  for (const auto& c : cases) {
    TQuarixCanvasModel model;
    ASSERT_TRUE(XYZLoad(model, Write(c.text), 0, 0, 0)) << c.what;
    for (TQShape* s : model.Shapes) {
      auto* dot = dynamic_cast<TQPoint*>(s);
      ASSERT_NE(dot, nullptr) << c.what;
      EXPECT_EQ(dot->ShapeType, stPoint);
      EXPECT_EQ(dot->PointSize, 1);
      EXPECT_EQ(dot->PenWidth, 0);
      EXPECT_EQ(dot->BrushStyle, bsClear);
    }
  }
}

TEST_F(XYZReader, LineRulesAndGivenRange) {
  const std::string text =
      "# comment\n"
      "; another\n"
      "\n"
      "1,2,3\r\n"              // commas and CR LF
      "  4\t5   6 trailing\n"  // white space of any kind, rest ignored
      "7 8\n"                  // two numbers: skipped
      "x 1 2 3\n"              // does not begin with numbers
      "nan 1 2\n"              // not a finite number
      "1e1 2E1 -5\n";
  ASSERT_TRUE(XYZLoad(canvas, Write(text), 0, -5, 3));
  ASSERT_EQ(canvas.Shapes.size(), 3u);
  const double want[3][3] = {{1, 2, 3}, {4, 5, 6}, {10, 20, -5}};
  for (int i = 0; i < 3; ++i) {
    auto* dot = dynamic_cast<TQPoint*>(canvas.Shapes[i]);
    ASSERT_NE(dot, nullptr);
    EXPECT_DOUBLE_EQ(dot->X, want[i][0]);
    EXPECT_DOUBLE_EQ(dot->Y, want[i][1]);
    EXPECT_DOUBLE_EQ(dot->Z, want[i][2]);
  }
  EXPECT_EQ(canvas.Shapes[0]->PenFg, 16711680u);  // z 3 = high: blue
  EXPECT_EQ(canvas.Shapes[1]->PenFg, 16711680u);  // above high
  EXPECT_EQ(canvas.Shapes[2]->PenFg, 255u);       // z -5 = low: red
}

// A file whose lines end in a carriage return alone reads as the same file
// with LF or CR LF line ends: every point, none glued to the next.
TEST_F(XYZReader, EveryLineEndReadsEveryPoint) {
  const std::string grid = Grid(4, 4, 5);
  ASSERT_TRUE(XYZLoad(canvas, Write(grid), 0, 0, 0));
  ASSERT_EQ(canvas.Shapes.size(), 16u);
  for (const std::string end : {"\r\n", "\r"}) {
    SCOPED_TRACE(end == "\r" ? "CR" : "CR LF");
    std::string text = "# depths" + end;
    for (char c : grid) text += c == '\n' ? end : std::string(1, c);
    TQuarixCanvasModel other;
    ASSERT_TRUE(XYZLoad(other, Write(text), 0, 0, 0));
    ASSERT_EQ(other.Shapes.size(), 16u);
    for (size_t i = 0; i < 16; ++i) {
      const TQShape& a = *other.Shapes[i];
      const TQShape& b = *canvas.Shapes[i];
      EXPECT_EQ(a.ShapeType, b.ShapeType);
      EXPECT_EQ((std::vector<double>{a.MinX, a.MinY, a.MaxX, a.MaxY}),
                (std::vector<double>{b.MinX, b.MinY, b.MaxX, b.MaxY}));
      EXPECT_EQ(a.PenFg, b.PenFg);
    }
  }
}

TEST_F(XYZReader, EqualDepthsAreAllRed) {
  ASSERT_TRUE(XYZLoad(canvas, Write("1 1 4\n2 5 4\n3 2 4\n"), 0, 0, 0));
  for (TQShape* s : canvas.Shapes) EXPECT_EQ(s->PenFg, 255u);
}

// A byte-order mark in front of the first point leaves it a point.
TEST_F(XYZReader, AByteOrderMarkIsSkipped) {
  ASSERT_TRUE(XYZLoad(canvas, Write("\xEF\xBB\xBF" "1 1 4\n"), 0, 0, 0));
  ASSERT_EQ(canvas.Shapes.size(), 1u);
  auto* dot = dynamic_cast<TQPoint*>(canvas.Shapes[0]);
  ASSERT_NE(dot, nullptr);
  EXPECT_DOUBLE_EQ(dot->X, 1);
  EXPECT_DOUBLE_EQ(dot->Z, 4);
}

TEST_F(XYZReader, NothingReadAddsNothing) {
  const double left = canvas.WorldLeft;
  EXPECT_FALSE(XYZLoad(canvas, Write("# only\n; comments\n\n"), 0, 0, 0));
  EXPECT_FALSE(XYZLoad(canvas, (dir.path() + "/missing.xyz").toStdString(), 0, 0, 0));
  // A FIFO is never waited on.
  const std::string fifo = (dir.path() + "/fifo.xyz").toStdString();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(XYZLoad(canvas, fifo, 0, 0, 0));
  EXPECT_TRUE(canvas.Shapes.empty());
  EXPECT_EQ(canvas.NextShapeNumber, 1);
  EXPECT_EQ(canvas.WorldLeft, left);
}

}  // namespace
