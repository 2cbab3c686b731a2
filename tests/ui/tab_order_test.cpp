// Tab visits the fields of a window in the order they are read: each box
// whole before the next, rows from top to bottom, left to right in a row.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "app/taborder.h"
#include "tests/runtime/formsfixture.h"

namespace {

// The fields Tab reaches from the first one, as long as it stays on the page.
std::vector<QWidget*> TabWalk(QWidget* window, QWidget* page, QWidget* first) {
  first->setFocus(Qt::TabFocusReason);
  std::vector<QWidget*> seen;
  for (int i = 0; i < 100; ++i) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !page->isAncestorOf(focus)) break;
    // An editable combo box's own edit stands for its box.
    if (auto* box = qobject_cast<QComboBox*>(focus->parentWidget()); box && box->lineEdit() == focus) focus = box;
    if (!seen.empty() && seen.front() == focus) break;
    seen.push_back(focus);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  return seen;
}

std::vector<std::string> Names(const std::vector<QWidget*>& widgets) {
  std::vector<std::string> names;
  for (QWidget* w : widgets) names.push_back(w->objectName().isEmpty() ? w->accessibleName().toStdString()
                                                                       : w->objectName().toStdString());
  return names;
}

class TabOrder : public FormsTest {};

TEST_F(TabOrder, DeviceSettingsTabsInReadingOrder) {
  Start();
  FGPS->LockStateCheck1->setChecked(false);
  FGPS->show();
  FGPS->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(FGPS));
  TFGPS* g = FGPS;
  const std::vector<std::pair<QWidget*, std::vector<QWidget*>>> pages = {
      {g->GPSTabSheet,
       {g->Port, g->BaudRate, g->DataWidth, g->StopBits, g->Parity, g->Priority, g->Delay, g->NMEALog, g->LogTime,
        g->EnableDTR, g->EnableRTS, g->GyroEnabled, g->GPSSet}},
      {g->SensorTabSheet,
       {g->SPort, g->SBaudRate, g->SDataWidth, g->SStopBits, g->SParity, g->SPriority, g->SDelay, g->SNMEALog,
        g->SLogTime, g->SEnableDTR, g->SEnableRTS, g->SensorEnabled, g->SensorSet, g->cSBESMessage, g->eSBESFormat}},
      // The datum (its name, the ellipsoid, the seven transformation fields)
      // before the projections; the disabled "Use DTP" takes no focus.
      {g->ParametersTabSheet,
       {g->edNameOfDatum, g->edSMA, g->edIF, g->edRX, g->edSX, g->edRY, g->edSY, g->edRZ, g->edSZ, g->edPPM, g->edCM,
        g->edRL, g->edSF, g->edFE, g->edFN, g->cbUseTMProjection, g->eLCCSP1, g->eLCCSP2, g->eLCCCP, g->eLCCM,
        g->eLCCSF, g->eLCCFE, g->eLCCFN, g->cLambert1, g->cbUseLCCProjection}},
      {g->tGlobalSetting,
       {g->cbGridVisible, g->cbAutoGrid, g->edGridSpacingX, g->edGridSpacingY, g->cbGridColor, g->cbShowDepthLabels,
        g->edDepthLabelSpacing, g->edDepthLabelFontName, g->edDepthLabelFontSize, g->cbTextColor,
        g->edEventLabelFontSize, g->cbEventLabelColor, g->eScreenshotInterval, g->edOverlayFontSize,
        g->cbOverlayDepthColor, g->cbOverlaySpeedColor}},
  };
  ASSERT_EQ(static_cast<int>(pages.size()) + 1, g->PageControl1->count());
  for (const auto& [page, fields] : pages) {
    g->PageControl1->setCurrentWidget(page);
    QApplication::processEvents();
    EXPECT_EQ(Names(TabWalk(g, page, fields.front())), Names(fields))
        << g->PageControl1->tabText(g->PageControl1->indexOf(page)).toStdString();
  }
  // On the monitor page Tab types into the memos; the chain still goes from the
  // left memo to the right one.
  QWidget* next = g->MemoGPS->nextInFocusChain();
  while (next != g->MemoGPS && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
  EXPECT_EQ(next, g->MemoSensor);
}

// Controls placed by hand are read by position; a box is read whole before
// the next; a grid row by row.
TEST(ReadingOrder, PositionsGridsAndBoxes) {
  QWidget w;
  auto* right = new QLineEdit(&w);
  right->setGeometry(200, 12, 80, 22);
  auto* left = new QLineEdit(&w);
  left->setGeometry(10, 10, 80, 22);
  auto* below = new QPushButton(&w);
  below->setGeometry(10, 60, 80, 22);
  auto* box = new QGroupBox(&w);
  box->setGeometry(10, 100, 300, 200);
  auto* grid = new QGridLayout(box);
  auto* b11 = new QLineEdit(box);
  auto* b00 = new QLineEdit(box);
  auto* b01 = new QLineEdit(box);
  auto* b10 = new QCheckBox(box);
  grid->addWidget(b11, 1, 1);
  grid->addWidget(b00, 0, 0);
  grid->addWidget(b01, 0, 1);
  grid->addWidget(b10, 1, 0);
  EXPECT_EQ(ReadingOrder(&w), (std::vector<QWidget*>{left, right, below, b00, b01, b10, b11}));
}

}  // namespace
