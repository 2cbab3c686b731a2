// The profile graph editor window: table, drag, lasso, rows and closing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>

#include "planning/uSVPGraph.h"
#include "tests/support/tempenv.h"

using Lines = std::vector<std::string>;

class SvpGraph : public ::testing::Test {
 protected:
  void SetUp() override {
    g = new TfSVPGraph();
    g->PaintBox1->setFixedSize(680, 460);  // plot 600 x 400 pixels
    g->show();
  }
  void TearDown() override { delete g; }
  std::string Cell(int row, int column) const {
    auto* item = g->StringGrid1->item(row, column);
    return item ? item->text().toStdString() : std::string();
  }
  Lines Stored() const {
    Lines l;
    g->StoreProfile(l);
    return l;
  }
  TempEnv env;
  TfSVPGraph* g = nullptr;
};

TEST_F(SvpGraph, AFirstProfileWithoutPointsKeepsTheStartExtents) {
  g->LoadProfile({"", "x"});
  EXPECT_TRUE(g->Points.empty());
  EXPECT_EQ(g->StringGrid1->rowCount(), 0);
  // SV 1600 .. 1300 and depth 10000 .. 0: no grid value lies in either range.
  EXPECT_DOUBLE_EQ(g->MinSV, 1600);
  EXPECT_DOUBLE_EQ(g->MaxSV, 1300);
  EXPECT_DOUBLE_EQ(g->MinDepth, 10000);
  EXPECT_DOUBLE_EQ(g->MaxDepth, 0);
}

TEST_F(SvpGraph, LoadSkipsEmptyLinesAndFillsTheTable) {
  g->LoadProfile({"0,1480.00,2", "", "10,1520.00,0", "20,1500.00"});
  ASSERT_EQ(g->Points.size(), 3u);
  EXPECT_EQ(g->StringGrid1->rowCount(), 3);
  EXPECT_EQ(g->StringGrid1->horizontalHeaderItem(1)->text(), "SV (m/s)");
  EXPECT_EQ(Cell(2, 0), "20");
  EXPECT_EQ(Cell(2, 1), "1500.00");
  EXPECT_EQ(Cell(2, 2), "1");
  EXPECT_DOUBLE_EQ(g->MinSV, 1478);
  EXPECT_DOUBLE_EQ(g->MaxSV, 1522);
  g->repaint();  // draws without trouble

  g->LoadProfile({"", "x"});
  EXPECT_TRUE(g->Points.empty());
  EXPECT_EQ(g->StringGrid1->rowCount(), 0);
  g->repaint();
}

TEST_F(SvpGraph, DragChangesOnlyTheSoundVelocityWithin1300To1700) {
  g->LoadProfile({"0,1500.00,1", "100,1500.00,1"});  // SV 1499.5 .. 1500.5 over 600 px
  const int x = g->SVToX(1500), y = g->DepthToY(100);
  g->PaintBox1MouseDown(Qt::LeftButton, x, y);
  EXPECT_TRUE(g->Dragging);
  EXPECT_EQ(g->DragIndex, 1);
  g->PaintBox1MouseMove(x + 120, y + 50);
  const double moved = g->Points[1].SV;
  EXPECT_NEAR(moved, 1500.2, 0.01);
  EXPECT_EQ(g->Points[1].depth, 100);
  EXPECT_TRUE(g->Label1->text().startsWith("SV: 1500.2 m/s  Depth: "));
  EXPECT_EQ(Cell(1, 1), "1500.20");
  EXPECT_TRUE(g->Modified);
  g->MinSV = 1000;  // a position past 1700 m/s leaves the point where it was
  g->MaxSV = 2000;
  g->PaintBox1MouseMove(g->SVToX(1750), y);
  EXPECT_DOUBLE_EQ(g->Points[1].SV, moved);
  g->PaintBox1MouseUp(Qt::LeftButton, 0, 0);
  EXPECT_FALSE(g->Dragging);
  EXPECT_EQ(g->DragIndex, -1);
  EXPECT_LT(g->MaxSV, 1600);  // back to the data extents
}

TEST_F(SvpGraph, LassoSelectsAndDeleteRemoves) {
  g->LoadProfile({"0,1500.00,1", "10,1530.00,1", "20,1500.00,1", "30,1531.00,1", "40,1500.00,1"});
  const int left = g->SVToX(1520), right = g->SVToX(1540);
  const int top = g->DepthToY(5), bottom = g->DepthToY(35);
  g->PaintBox1MouseDown(Qt::RightButton, left, top);
  EXPECT_FALSE(g->LassoActive);
  g->PaintBox1MouseDown(Qt::LeftButton, left, top);
  ASSERT_TRUE(g->LassoActive);
  g->PaintBox1MouseMove(right, top);
  g->PaintBox1MouseMove(right + 2, top);  // within 3 pixels: not kept
  g->PaintBox1MouseMove(right, bottom);
  g->PaintBox1MouseMove(left, bottom);
  g->PaintBox1MouseUp(Qt::LeftButton, left, bottom);
  EXPECT_EQ(g->LassoPoints.size(), 4u);
  EXPECT_EQ(g->bDeleteSelected->text(), "Delete Selected (2)");
  EXPECT_TRUE(g->bDeleteSelected->isEnabled());

  // A table click selects one point and leaves the button alone.
  g->StringGrid1->setCurrentCell(2, 0);
  g->StringGrid1Click();
  EXPECT_TRUE(g->Points[2].selected);
  EXPECT_FALSE(g->Points[1].selected);
  EXPECT_EQ(g->bDeleteSelected->text(), "Delete Selected (2)");
  g->SelectInLasso();

  // A click without moving is a one-point lasso: the selection stays.
  g->PaintBox1MouseDown(Qt::LeftButton, 5, 5);
  g->PaintBox1MouseUp(Qt::LeftButton, 5, 5);
  EXPECT_TRUE(g->Points[1].selected);

  g->bDeleteSelectedClick();
  EXPECT_EQ(Stored(), (Lines{"0,1500.00,1", "20,1500.00,1", "40,1500.00,1"}));
  EXPECT_EQ(g->bDeleteSelected->text(), "Delete Selected (0)");
  EXPECT_FALSE(g->bDeleteSelected->isEnabled());
  EXPECT_TRUE(g->LassoPoints.empty());
  EXPECT_EQ(g->StringGrid1->rowCount(), 3);
}

TEST_F(SvpGraph, RowsAndTableEdits) {
  g->LoadProfile({});
  g->bAddRowClick();
  EXPECT_EQ(Stored(), Lines{"0,1500.00,0"});
  g->StringGrid1->setCurrentCell(0, 0);
  g->bDeleteRowClick();  // a single data row stays
  EXPECT_EQ(Stored(), Lines{"0,1500.00,0"});

  g->LoadProfile({"40,1490.125,3"});
  g->bAddRowClick();
  EXPECT_EQ(Stored(), (Lines{"40,1490.13,3", "41,1490.13,0"}));
  g->bAddRowClick();
  g->StringGrid1->setCurrentCell(0, 1);
  g->bDeleteRowClick();
  EXPECT_EQ(Stored(), (Lines{"41,1490.13,0", "42,1490.13,0"}));

  g->StringGrid1->item(0, 1)->setText("abc");
  g->StringGrid1->item(1, 2)->setText("n/a");
  g->bSaveAndCloseClick();
  EXPECT_EQ(g->result(), QDialog::Accepted);
  EXPECT_EQ(Stored(), Lines{"42,1490.13,1"});
}

TEST_F(SvpGraph, WheelZoomsAndDoubleClickResets) {
  g->LoadProfile({"0,1480.00,1", "300,1520.00,1"});
  g->FormMouseWheel(120, g->SVToX(1500), g->DepthToY(150));
  EXPECT_NEAR(g->MaxSV - g->MinSV, 44 * 0.9, 1e-9);
  g->PaintBox1DblClick();
  EXPECT_DOUBLE_EQ(g->MinSV, 1478);
  EXPECT_DOUBLE_EQ(g->MaxDepth, 300);
}

TEST_F(SvpGraph, AxisLabelsAreDrawnInTheTextColour) {
  g->LoadProfile({"0,1480.00,1", "300,1520.00,1"});
  const QImage plot = g->PaintBox1->grab().toImage();
  const int W = plot.width(), H = plot.height();
  // Dark pixels where only labels are drawn: left of the depth axis, and the
  // rows of the sound-velocity labels above the title.
  const auto darkIn = [&plot](int x0, int x1, int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += qGray(plot.pixel(x, y)) < 96 ? 1 : 0;
    return n;
  };
  EXPECT_GT(darkIn(0, g->Margin.left - 2, 0, H), 20);
  EXPECT_GT(darkIn(g->Margin.left + 2, W, H - g->Margin.bottom + 3, H - 19), 20);
}

TEST_F(SvpGraph, TableCaptionsAreWhole) {
  for (const int points : {3, 60}) {
    g->setFont(QFont(g->font().family(), points == 3 ? 9 : 14));
    Lines lines;
    for (int i = 0; i < points; ++i) lines.push_back(std::to_string(i) + ",1500.00,1");
    g->LoadProfile(lines);
    QApplication::processEvents();
    const QHeaderView* header = g->StringGrid1->horizontalHeader();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int c = 0; c < 3; ++c) {
      const QString caption = g->StringGrid1->horizontalHeaderItem(c)->text();
      EXPECT_GE(g->StringGrid1->columnWidth(c), header->fontMetrics().horizontalAdvance(caption) + 2 * margin)
          << caption.toStdString();
      EXPECT_GE(g->StringGrid1->columnWidth(c), 60);
    }
    // The panel shows the whole width of the table, with or without a scroll bar.
    EXPECT_EQ(g->StringGrid1->horizontalScrollBar()->maximum(), 0) << points;
  }
  EXPECT_EQ(g->StringGrid1->horizontalHeaderItem(0)->text(), "Depth (m)");
}
