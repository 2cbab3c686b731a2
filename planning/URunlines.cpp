#include "planning/URunlines.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/helpers.h"
#include "app/placement.h"
#include "app/settingsfile.h"
#include "canvas/QuarixCanvas.h"
#include "planning/runlines.h"
#include "platform/prompts.h"
#include "runtime/unavigation.h"

TfRunline1* fRunline1 = nullptr;

namespace {

const QColor kGrey(128, 128, 128);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

TQuarixCanvas* Map() { return FNav ? FNav->fcad : nullptr; }

void RepaintMap() {
  if (TQuarixCanvas* map = Map()) map->repaint();
}

}  // namespace

TfRunline1::TfRunline1(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setObjectName("fRunline1");
  setWindowTitle("Runline Generator");
  auto* layout = new QVBoxLayout(this);

  auto* step1 = new QGroupBox("Step 1: Draw Route", this);
  auto* s1 = new QVBoxLayout(step1);
  lRouteStatus = new QLabel(step1);
  lRouteStatus->setObjectName("lRouteStatus");
  bDrawRoute = new QPushButton("Draw Route", step1);
  bDrawRoute->setObjectName("bDrawRoute");
  s1->addWidget(lRouteStatus);
  s1->addWidget(bDrawRoute);
  layout->addWidget(step1);

  auto* step2 = new QGroupBox("Step 2: Spacing (meters)", this);
  auto* s2 = new QHBoxLayout(step2);
  auto* spacingLabel = new QLabel("Spacing", step2);
  eSpacing = new QLineEdit("10", step2);
  eSpacing->setObjectName("eSpacing");
  spacingLabel->setBuddy(eSpacing);
  auto* lengthLabel = new QLabel("Length", step2);
  eLength = new QLineEdit("100", step2);
  eLength->setObjectName("eLength");
  lengthLabel->setBuddy(eLength);
  s2->addWidget(spacingLabel);
  s2->addWidget(eSpacing);
  s2->addWidget(lengthLabel);
  s2->addWidget(eLength);
  layout->addWidget(step2);

  auto* step3 = new QGroupBox("Step 3: Line Type", this);
  auto* s3 = new QHBoxLayout(step3);
  rbPerpendicular = new QRadioButton("Perpendicular", step3);
  rbPerpendicular->setObjectName("rbPerpendicular");
  rbPerpendicular->setChecked(true);
  rbParallel = new QRadioButton("Parallel", step3);
  rbParallel->setObjectName("rbParallel");
  s3->addWidget(rbPerpendicular);
  s3->addWidget(rbParallel);
  layout->addWidget(step3);

  auto* actions = new QGroupBox("Actions", this);
  auto* s4 = new QHBoxLayout(actions);
  bGenerate = new QPushButton("Generate", actions);
  bGenerate->setObjectName("bGenerate");
  QFont bold = bGenerate->font();
  bold.setBold(true);
  bGenerate->setFont(bold);
  QPalette pal = bGenerate->palette();
  pal.setColor(QPalette::ButtonText, kGreen);
  bGenerate->setPalette(pal);
  bClear = new QPushButton("Clear", actions);
  bClear->setObjectName("bClear");
  bClose = new QPushButton("Close", actions);
  bClose->setObjectName("bClose");
  s4->addWidget(bGenerate);
  s4->addWidget(bClear);
  s4->addWidget(bClose);
  layout->addWidget(actions);

  connect(bDrawRoute, &QPushButton::clicked, this, [this] { bDrawRouteClick(); });
  connect(bGenerate, &QPushButton::clicked, this, [this] { bGenerateClick(); });
  connect(bClear, &QPushButton::clicked, this, [this] { bClearClick(); });
  connect(bClose, &QPushButton::clicked, this, [this] { close(); });
  connect(eSpacing, &QLineEdit::textChanged, this, [this] { eSpacingChange(); });
  connect(eLength, &QLineEdit::textChanged, this, [this] { eLengthChange(); });
  connect(rbPerpendicular, &QRadioButton::clicked, this, [this] { rbPerpendicularClick(); });
  connect(rbParallel, &QRadioButton::clicked, this, [this] { rbParallelClick(); });

  FormCreate();
  adjustSize();
}

void TfRunline1::FormCreate() {
  const runlines::Settings s = runlines::ReadSettings(IniFile());
  eSpacing->setText(QString::fromStdString(s.Spacing));
  eLength->setText(QString::fromStdString(s.Length));
  rbPerpendicular->setChecked(s.Perpendicular);
  rbParallel->setChecked(!s.Perpendicular);
  RouteReady = false;
  SetStatus("No route drawn", kGrey);
}

void TfRunline1::FormShow() { RestoreFormPlacement(this, false); }

void TfRunline1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfRunline1::SetStatus(const QString& text, const QColor& colour) {
  lRouteStatus->setText(text);
  QPalette pal = lRouteStatus->palette();
  pal.setColor(QPalette::WindowText, colour);
  lRouteStatus->setPalette(pal);
}

void TfRunline1::ShowRouteStatus() {
  SetStatus("Route: " + QString::number(RoutePoints.size()) + " points", kGreen);
}

void TfRunline1::SetRoute(const std::vector<std::pair<double, double>>& points) {
  RoutePoints = points;
  RouteReady = points.size() > 1;
  if (points.size() < 2) {
    SetStatus("Need at least 2 points", kRed);
    return;
  }
  ShowRouteStatus();
  GenerateRunlines();
}

void TfRunline1::GenerateRunlines() {
  if (RoutePoints.size() < 2) return;
  const std::string spacingText = eSpacing->text().toStdString();
  const std::string lengthText = eLength->text().toStdString();
  AppendEventLog(runlines::GenerationLogText(spacingText, lengthText), EventsLogFileName());
  TQuarixCanvas* map = Map();
  if (!map) return;
  const runlines::Generation g =
      runlines::Generate(*map, RoutePoints, runlines::SpacingOf(spacingText), runlines::LengthOf(lengthText),
                         rbPerpendicular->isChecked());
  RunlineLayer = g.Layer;
  if (g.TooMany)
    SetStatus(QString("Too many runlines (more than %1)").arg(runlines::kMaxRunlines), kRed);
  else
    ShowRouteStatus();
  map->repaint();
}

void TfRunline1::ClearRunlines() {
  if (RunlineLayer == -1) return;
  TQuarixCanvas* map = Map();
  if (!map) return;
  const int layer = map->LayerFindByName(runlines::kRunlineLayerName);
  if (layer >= 0) RunlineLayer = layer;
  if (runlines::ClearRunlineLayer(*map)) map->repaint();
}

void TfRunline1::bDrawRouteClick() {
  ClearRunlines();
  RoutePoints.clear();
  RouteReady = false;
  TQuarixCanvas* map = Map();
  if (map) runlines::PrepareRouteLayer(*map);
  SetStatus("Drawing... (right-click to finish)", kBlue);
  RepaintMap();
}

void TfRunline1::bGenerateClick() {
  if (!RouteReady) {
    prompts::ShowMessage("Please draw a route first.");
    return;
  }
  GenerateRunlines();
  runlines::Settings s;
  s.Spacing = eSpacing->text().toStdString();
  s.Length = eLength->text().toStdString();
  s.Perpendicular = rbPerpendicular->isChecked();
  IniFile ini;
  runlines::WriteSettings(ini, s);
}

void TfRunline1::bClearClick() {
  ClearRunlines();
  RoutePoints.clear();
  RouteReady = false;
  SetStatus("No route drawn", kGrey);
}

void TfRunline1::eSpacingChange() {
  if (RouteReady) GenerateRunlines();
}

void TfRunline1::eLengthChange() {
  if (RouteReady) GenerateRunlines();
}

void TfRunline1::rbPerpendicularClick() {
  if (RouteReady) GenerateRunlines();
}

void TfRunline1::rbParallelClick() {
  if (RouteReady) GenerateRunlines();
}
