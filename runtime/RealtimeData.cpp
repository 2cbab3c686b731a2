#include "runtime/RealtimeData.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/color.h"
#include "app/themes.h"
#include "app/helpers.h"
#include "app/placement.h"
#include "settings/UGPS.h"
#include "settings/unavset.h"
#include "platform/shell.h"
#include "runtime/Bathymetry.h"
#include "devices/QuarixSerialGPS.h"
#include "runtime/uCanvas.h"
#include "runtime/unavigation.h"
#include "runtime/windowlogic.h"

TfRealtime* fRealtime = nullptr;

namespace {
constexpr int kWidth = 192;

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& hint, QStyle::StandardPixmap icon,
                        int left) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setToolTip(hint);
  b->setIcon(parent->style()->standardIcon(icon));
  b->setGeometry(left, 2, 28, 24);
  return b;
}

QLabel* ValueLabel(QWidget* parent, const char* name, int top, int pixelSize, bool bold, TColor color) {
  auto* l = new QLabel("---", parent);
  l->setObjectName(name);
  QFont f = l->font();
  if (pixelSize > 0) f.setPixelSize(pixelSize);
  f.setBold(bold);
  l->setFont(f);
  if (color != clBlack) SetDesignTextColour(l, ToQColor(color));
  l->setGeometry(8, top, kWidth - 24, pixelSize > 0 ? pixelSize + 8 : 18);
  return l;
}

QGroupBox* DepthFrame(QWidget* parent, const char* name, const QString& caption, TColor colour, int top,
                      QLabel** label, const char* labelName) {
  auto* g = new QGroupBox(caption, parent);
  g->setObjectName(name);
  g->setAutoFillBackground(true);
  SetStateColour(g, ToQColor(colour));
  g->setGeometry(2, top, kWidth - 4, 94);
  auto* l = new QLabel("---", g);
  l->setObjectName(labelName);
  QFont f("Consolas");
  f.setPixelSize(52);
  f.setBold(true);
  l->setFont(f);
  l->setAlignment(Qt::AlignCenter);
  l->setGeometry(4, 18, kWidth - 12, 70);
  *label = l;
  return g;
}
}  // namespace

TfRealtime::TfRealtime(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName("fRealtime");
  setWindowTitle("Realtime Data");
  setFont(QFont("Segoe UI"));
  setAutoFillBackground(true);
  SetStateColour(this, Qt::white);  // white in every theme, with dark text

  btHide = ToolButton(this, "btHide", "Hide Window", QStyle::SP_TitleBarMinButton, 2);
  ToolButton2 = ToolButton(this, "ToolButton2", "Navigation Settings", QStyle::SP_ArrowUp, 32);
  ToolButton3 = ToolButton(this, "ToolButton3", "GPS Settings", QStyle::SP_ArrowDown, 62);
  btOpenLogFolder = ToolButton(this, "btOpenLogFolder", "Open Log Folder", QStyle::SP_DirOpenIcon, 92);
  btShowOffsets = ToolButton(this, "btShowOffsets", "Show Offsets", QStyle::SP_FileDialogDetailedView, 122);

  GPSGroupBox = new QGroupBox(" GPS Status ", this);
  GPSGroupBox->setObjectName("GPSGroupBox");
  GPSGroupBox->setAutoFillBackground(true);
  GPSGroupBox->setStyleSheet("QGroupBox::title { color: navy; font-weight: bold; }");
  GPSGroupBox->setGeometry(2, 28, kWidth - 4, 160);
  Fixed = ValueLabel(GPSGroupBox, "Fixed", 20, 0, false, clBlack);
  SatelliteLabel = ValueLabel(GPSGroupBox, "SatelliteLabel", 40, 0, false, clBlack);
  Speed = ValueLabel(GPSGroupBox, "Speed", 60, 19, true, clBlack);
  LAntennaH = ValueLabel(GPSGroupBox, "LAntennaH", 90, 0, false, clBlack);
  LTideHt = ValueLabel(GPSGroupBox, "LTideHt", 112, 19, true, clTeal);

  DepthFrameHi = DepthFrame(this, "DepthFrameHi", " Depth (High Freq.) ", clLime, 191, &lDepthHi, "lDepthHi");
  DepthFrameLo = DepthFrame(this, "DepthFrameLo", " Depth (Low Freq.) ", clYellow, 288, &lDepthLo, "lDepthLo");
  SetClientHeight(382);

  connect(btHide, &QToolButton::clicked, this, &TfRealtime::btHideClick);
  connect(ToolButton2, &QToolButton::clicked, this, &TfRealtime::ToolButton2Click);
  connect(ToolButton3, &QToolButton::clicked, this, &TfRealtime::ToolButton3Click);
  connect(btShowOffsets, &QToolButton::clicked, this, &TfRealtime::btShowOffsetsClick);
  connect(btOpenLogFolder, &QToolButton::clicked, this, &TfRealtime::btOpenLogFolderClick);

  Timer1 = new QTimer(this);
  Timer1->setInterval(10000);
  Timer1->setSingleShot(true);
  connect(Timer1, &QTimer::timeout, this, &TfRealtime::Timer1Timer);
  Timer1->start();
}

void TfRealtime::SetClientHeight(int height) { setFixedSize(kWidth, height); }

void TfRealtime::ShowLowFreqDepth() {
  if (!DepthFrameLo->isHidden()) return;
  DepthFrameLo->show();
  SetClientHeight(387);
}

void TfRealtime::HideLowFreqDepth() {
  if (DepthFrameLo->isHidden()) return;
  DepthFrameLo->hide();
  SetClientHeight(289);
}

void TfRealtime::SetHideImage(int index) {
  btHideImageIndex = index;
  btHide->setIcon(style()->standardIcon(index == 1 ? QStyle::SP_TitleBarNormalButton
                                                   : QStyle::SP_TitleBarMinButton));
}

// Ten seconds after start the echo-sounder format box is set to the default of
// the selected sentence type, once.
void TfRealtime::Timer1Timer() {
  Timer1->stop();
  if (FGPS) FGPS->cSBESMessageChange();
}

void TfRealtime::btHideClick() {
  if (!FNav) return;
  if (btHideImageIndex == 0) {
    FNav->tRealtime->hide();
    FNav->tDraw->hide();
    FNav->pRealtime->hide();
    if (Navset) Navset->close();
    FNav->SetCompactFrame(true);
    SetHideImage(1);
    if (fWaterfal) fWaterfal->hide();
    FNav->tShape->hide();
    hide();
  } else if (btHideImageIndex == 1) {
    show();
    FNav->tRealtime->show();
    FNav->tDraw->show();
    FNav->pRealtime->show();
    if (Navset) Navset->show();
    FNav->SetCompactFrame(false);
    SetHideImage(0);
    if (fWaterfal && FNav->ZSENSOR->Active && FNav->tEchogram->isActive()) fWaterfal->show();
    FNav->tShape->show();
  }
}

void TfRealtime::ToolButton2Click() {
  if (FNav) FNav->Zoomin->click();
}

void TfRealtime::ToolButton3Click() {
  if (FNav) FNav->Zoomout->click();
}

void TfRealtime::btShowOffsetsClick() {
  if (Offsets) Offsets->show();
}

void TfRealtime::btOpenLogFolderClick() {
  const std::string rawLog = FNav ? FNav->ZGPS1->LogFileName : std::string();
  const std::string folder = LogFolderToOpen(rawLog, DayLogFolder);
  QDir().mkpath(QString::fromStdString(folder));
  platform::ShellOpen(folder);
}

void TfRealtime::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  RestoreFormPlacement(this, false);
}
