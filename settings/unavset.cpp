#include "settings/unavset.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/formats.h"
#include "app/placement.h"
#include "app/settingsfile.h"
#include "settings/devicesettings_links.h"
#include "platform/prompts.h"

TNavset* Navset = nullptr;

using namespace navsettings;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string Text(const QLineEdit* e) { return e->text().toStdString(); }

// The class library's report of a text that is not a whole number.
void ReportNotAnInteger(const std::string& text) {
  prompts::ShowException(Q("'" + text + "' is not a valid integer value"));
}

// Converts a width edit's text; reports a text that is not a whole number.
bool WidthOf(const QLineEdit* edit, int& width) {
  if (TryStrToInt(Text(edit), width)) return true;
  ReportNotAnInteger(Text(edit));
  return false;
}

QValidator* DigitsValidator(int maxLength, QObject* parent) {
  return new QRegularExpressionValidator(
      QRegularExpression(QString("[0-9]{0,%1}").arg(maxLength)), parent);
}

const char* const kVesselLayer = "~~Quarix Vessel";
const char* const kTrackLayers[] = {"track_fix", "track_float", "track_nofix"};

}  // namespace

TNavset::TNavset(QWidget* parent) : QWidget(parent) {
  setObjectName("Navset");
  setWindowTitle("Navigation Settings");
  // A small window on top of the others with only a close button.
  setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  const int colorStyles = TColorBox::Standard | TColorBox::Extended | TColorBox::Custom;
  auto* layout = new QVBoxLayout(this);

  auto* vessel = new QGroupBox(" Vessel Color && Width", this);
  auto* vg = new QGridLayout(vessel);
  VesselColor = new TColorBox(colorStyles, vessel);
  VesselColor->SetSelected(clNavy);
  VesselWidth = new QLineEdit("2", vessel);
  VesselWidth->setMaxLength(kWidthMaxLength);
  VesselWidth->setValidator(DigitsValidator(kWidthMaxLength, VesselWidth));
  UpDownVesselWidth = new TUpDown(VesselWidth, 0, 15, 1, vessel);
  auto* rateLabel = new QLabel("Update Rate (ms)", vessel);
  eVesselUpdateRate = new QLineEdit("500", vessel);
  rateLabel->setBuddy(eVesselUpdateRate);
  UpDownVesselUpdateRate = new TUpDown(eVesselUpdateRate, 0, 5000, 50, vessel);
  vg->addWidget(VesselColor, 0, 0);
  vg->addWidget(VesselWidth, 0, 1);
  vg->addWidget(UpDownVesselWidth, 0, 2);
  vg->addWidget(rateLabel, 1, 0);
  vg->addWidget(eVesselUpdateRate, 1, 1);
  vg->addWidget(UpDownVesselUpdateRate, 1, 2);
  layout->addWidget(vessel);

  auto* background = new QGroupBox("Background Color", this);
  auto* bg = new QHBoxLayout(background);
  fcadColor = new TColorBox(colorStyles, background);
  fcadColor->SetSelected(clWhite);
  bg->addWidget(fcadColor);
  layout->addWidget(background);

  auto* tracks = new QGroupBox(" Track Lines (Fixed/Float)", this);
  auto* tg = new QGridLayout(tracks);
  ColorTracklines1 = new TColorBox(colorStyles, tracks);
  ColorTracklines1->SetSelected(clGreen);
  ColorTracklines0 = new TColorBox(colorStyles, tracks);
  ColorTracklines0->SetSelected(clYellow);
  cLineOrDot = new QCheckBox("Draw as Line", tracks);
  auto* widthLabel = new QLabel("Wid.", tracks);
  TrackWidth = new QLineEdit("2", tracks);
  TrackWidth->setMaxLength(kWidthMaxLength);
  TrackWidth->setValidator(DigitsValidator(kWidthMaxLength, TrackWidth));
  widthLabel->setBuddy(TrackWidth);
  UpDownTrackWidth = new TUpDown(TrackWidth, 0, 15, 1, tracks);
  auto* distanceLabel = new QLabel("Dist (m)", tracks);
  TrackDistance = new QLineEdit("20", tracks);
  TrackDistance->setMaxLength(kDistanceMaxLength);
  TrackDistance->setValidator(DigitsValidator(kDistanceMaxLength, TrackDistance));
  distanceLabel->setBuddy(TrackDistance);
  UpDownTrackDistance = new TUpDown(TrackDistance, 0, 500, 1, tracks);
  tg->addWidget(ColorTracklines1, 0, 0, 1, 3);
  tg->addWidget(ColorTracklines0, 1, 0, 1, 3);
  tg->addWidget(cLineOrDot, 2, 0, 1, 3);
  tg->addWidget(widthLabel, 3, 0);
  tg->addWidget(TrackWidth, 3, 1);
  tg->addWidget(UpDownTrackWidth, 3, 2);
  tg->addWidget(distanceLabel, 4, 0);
  tg->addWidget(TrackDistance, 4, 1);
  tg->addWidget(UpDownTrackDistance, 4, 2);
  layout->addWidget(tracks);

  auto* alert = new QGroupBox("Alert", this);
  auto* ag = new QHBoxLayout(alert);
  auto* alertLabel = new QLabel("Shallow Water", alert);
  edDepthAlert1 = new QLineEdit("0.5", alert);
  alertLabel->setBuddy(edDepthAlert1);
  ag->addWidget(alertLabel);
  ag->addWidget(edDepthAlert1);
  ag->addWidget(new QLabel("m", alert));
  layout->addWidget(alert);

  connect(fcadColor, &TColorBox::ColorChanged, this, [this] { fcadColorChange(); });
  connect(VesselColor, &TColorBox::ColorChanged, this, [this] { VesselColorChange(); });
  connect(VesselWidth, &QLineEdit::textChanged, this, [this] { VesselWidthChange(); });
  connect(TrackWidth, &QLineEdit::textChanged, this, [this] { TrackWidthChange(); });
  connect(TrackDistance, &QLineEdit::textChanged, this, [this] { TrackDistanceChange(); });
  connect(edDepthAlert1, &QLineEdit::textChanged, this, [this] { edDepthAlert1Change(); });
  connect(eVesselUpdateRate, &QLineEdit::textChanged, this, [this] { eVesselUpdateRateChange(); });

  adjustSize();
  // Visible from its creation on.
  show();
}

NavigationSettings TNavset::CurrentSettings() const {
  NavigationSettings s;
  s.vesselWidth = Text(VesselWidth);
  s.trackWidth = Text(TrackWidth);
  s.trackDistance = Text(TrackDistance);
  s.vesselColor = VesselColor->Selected();
  s.trackFixColor = ColorTracklines1->Selected();
  s.trackFloatColor = ColorTracklines0->Selected();
  s.backgroundColor = fcadColor->Selected();
  s.lineOrDot = cLineOrDot->isChecked();
  s.depthAlert = Text(edDepthAlert1);
  return s;
}

void TNavset::FormShow() {
  RestoreFormPlacement(this, false);
  NavigationSettings s;
  {
    const IniFile ini;
    s = ReadNavigationSettings(ini);
  }
  // Edits run their change handlers (the widths reach the map layers);
  // colour boxes set in code run none.
  VesselWidth->setText(Q(s.vesselWidth));
  TrackWidth->setText(Q(s.trackWidth));
  TrackDistance->setText(Q(s.trackDistance));
  VesselColor->SetSelected(s.vesselColor);
  ColorTracklines1->SetSelected(s.trackFixColor);
  ColorTracklines0->SetSelected(s.trackFloatColor);
  fcadColor->SetSelected(s.backgroundColor);
  cLineOrDot->setChecked(s.lineOrDot);
  edDepthAlert1->setText(Q(s.depthAlert));
}

void TNavset::FormCloseQuery(bool& CanClose) {
  IniFile ini;
  if (!WriteNavigationSettings(ini, CurrentSettings()) && IniFile::NewFailure(ini.FileName()))
    prompts::ShowException(Q("Unable to write to " + ini.FileName()));
  SaveFormPlacement(this);
  CanClose = true;
}

void TNavset::FormHide() { SaveFormPlacement(this); }

void TNavset::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TNavset::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (!event->spontaneous()) FormHide();
}

void TNavset::closeEvent(QCloseEvent* event) {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (canClose) event->accept();
  else event->ignore();
}

void TNavset::fcadColorChange() { settingslinks::SetMapBackColor(fcadColor->Selected()); }

void TNavset::VesselColorChange() {
  const int layer = settingslinks::MapLayerByName(kVesselLayer);
  if (layer < 0) return;
  settingslinks::SetMapLayerPenColor(layer, VesselColor->Selected());
  settingslinks::RepaintMapNow();
}

void TNavset::VesselWidthChange() {
  if (VesselWidth->text().isEmpty()) {
    VesselWidth->setText("2");  // runs this handler again
    return;
  }
  if (!settingslinks::MapExists()) return;
  const int layer = settingslinks::MapLayerByName(kVesselLayer);
  if (layer < 0) return;
  int width = 0;
  if (!WidthOf(VesselWidth, width)) return;
  settingslinks::SetMapLayerPenWidth(layer, width);
  settingslinks::RepaintMapNow();
}

void TNavset::TrackWidthChange() {
  if (TrackWidth->text().isEmpty()) {
    TrackWidth->setText("2");  // runs this handler again
    return;
  }
  if (!settingslinks::MapExists()) return;
  int width = 0;
  if (!WidthOf(TrackWidth, width)) return;
  for (const char* name : kTrackLayers) {
    const int layer = settingslinks::MapLayerByName(name);
    if (layer >= 0) settingslinks::SetMapLayerPenWidth(layer, width);
  }
  settingslinks::RepaintMapNow();
}

void TNavset::TrackDistanceChange() {
  if (TrackDistance->text().isEmpty()) TrackDistance->setText("1");
}

void TNavset::edDepthAlert1Change() {
  if (edDepthAlert1->text().isEmpty()) edDepthAlert1->setText("0");
}

void TNavset::eVesselUpdateRateChange() {
  int interval = 0;
  if (!MapTimerInterval(Text(eVesselUpdateRate), interval)) {
    ReportNotAnInteger(Text(eVesselUpdateRate));
    return;
  }
  settingslinks::SetMapTimerInterval(interval);
}
