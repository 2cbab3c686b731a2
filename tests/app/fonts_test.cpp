// The designed Windows fonts land on their metric twins at the designed size,
// and labels placed by hand grow with their text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QVBoxLayout>

#include "app/fonts.h"

namespace {

class Fonts : public ::testing::Test {
 protected:
  void SetUp() override { SetupDesignFonts(); }
  static void Settle() {
    for (int i = 0; i < 2; ++i) QApplication::processEvents();
  }
};

TEST_F(Fonts, DesignedFacesMapToTheirMetricTwinsAtTheDesignedSize) {
  const struct {
    const char* face;
    const char* family;
  } cases[] = {{"MS Sans Serif", "Liberation Sans"}, {"Tahoma", "Liberation Sans"},
               {"Segoe UI", "Liberation Sans"},      {"Arial", "Liberation Sans"},
               {"Consolas", "Liberation Mono"},      {"Courier New", "Liberation Mono"}};
  for (const auto& c : cases) {
    const QFontInfo info(QFont(c.face, 8));
    EXPECT_EQ(info.family(), c.family) << c.face;
    EXPECT_EQ(info.pixelSize(), 11) << c.face;  // 8 points at 96 dpi, as the windows are drawn for
  }
  const QFontInfo app(QApplication::font());
  EXPECT_EQ(app.family(), "Liberation Sans");
  EXPECT_EQ(app.pixelSize(), 11);
  // A window that names only a face takes the designed size with it.
  QWidget w;
  w.setFont(QFont("Tahoma"));
  EXPECT_EQ(QFontInfo(w.font()).pixelSize(), 11);
}

TEST_F(Fonts, LabelPlacedByHandGrowsWithItsText) {
  QWidget w;
  w.resize(400, 100);
  auto* placed = new QLabel("Port", &w);
  placed->move(10, 10);
  auto* sized = new QLabel("Port", &w);  // given a size by its window: keeps it
  sized->setGeometry(10, 40, 30, 16);
  w.show();
  Settle();
  const int narrow = placed->width();
  EXPECT_GE(narrow, placed->fontMetrics().horizontalAdvance("Port"));

  const QString longer = QString::fromUtf8("Kullan\xC4\xB1""c\xC4\xB1 Ad\xC4\xB1");
  placed->setText(longer);
  sized->setText(longer);
  Settle();
  EXPECT_GE(placed->width(), placed->fontMetrics().horizontalAdvance(longer));
  EXPECT_EQ(placed->pos(), QPoint(10, 10));
  EXPECT_EQ(sized->width(), 30);

  // A text changed while the window is hidden shows whole at the next showing.
  w.hide();
  placed->setText("Port Number Of The Caster");
  w.show();
  Settle();
  EXPECT_GE(placed->width(), placed->fontMetrics().horizontalAdvance("Port Number Of The Caster"));
  // Shorter again: back to its text.
  placed->setText("Port");
  Settle();
  EXPECT_EQ(placed->width(), narrow);
}

TEST_F(Fonts, LabelsInLayoutsAreLeftToTheirLayout) {
  QWidget w;
  auto* layout = new QVBoxLayout(&w);
  auto* l = new QLabel("Port", &w);
  layout->addWidget(l);
  w.resize(300, 60);
  w.show();
  Settle();
  EXPECT_EQ(l->width(), layout->contentsRect().width());
}

}  // namespace
