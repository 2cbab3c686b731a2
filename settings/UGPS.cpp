#include "settings/UGPS.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QTextBlock>
#include <QVBoxLayout>

#include "app/displaysettings.h"
#include "app/helpers.h"
#include "app/settingsfile.h"
#include "platform/prompts.h"
#include "devices/QuarixSerialGPS.h"
#include "devices/serialportmap.h"
#include "settings/devicesettings_links.h"

TFGPS* FGPS = nullptr;

using namespace devicesettings;

namespace {

QStringList ToQStringList(const std::vector<std::string>& items) {
  QStringList out;
  for (const auto& s : items) out << QString::fromStdString(s);
  return out;
}

std::string Text(const QComboBox* box) { return box->currentText().toStdString(); }
std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

// A drop-down box that takes a typed text as well as a choice from its list.
QComboBox* MakeDropDown(QWidget* parent, const std::vector<std::string>& items,
                        const std::string& initial) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->addItems(ToQStringList(items));
  box->setCurrentText(Q(initial));
  return box;
}

// An edit with its own label above it; the label names the edit for screen readers.
QLineEdit* MakeLabeledEdit(QWidget* parent, QGridLayout* grid, int row, int column,
                           const QString& label, const QString& text = QString()) {
  auto* caption = new QLabel(label, parent);
  auto* edit = new QLineEdit(text, parent);
  caption->setBuddy(edit);
  edit->setAccessibleName(label);
  grid->addWidget(caption, row * 2, column);
  grid->addWidget(edit, row * 2 + 1, column);
  return edit;
}

// A colour box with its label beside it.
TColorBox* MakeColorBox(QWidget* parent, QGridLayout* grid, int row, int column,
                        const QString& label, TColor initial) {
  auto* caption = new QLabel(label, parent);
  auto* box = new TColorBox(TColorBox::Standard | TColorBox::Extended | TColorBox::System, parent);
  box->SetSelected(initial);
  caption->setBuddy(box);
  box->setAccessibleName(label);
  grid->addWidget(caption, row * 2, column);
  grid->addWidget(box, row * 2 + 1, column);
  return box;
}

// The number of lines a memo shows (a last empty line after a line break
// does not count).
int MemoLineCount(const QPlainTextEdit* memo) {
  const QTextDocument* doc = memo->document();
  if (doc->isEmpty()) return 0;
  int n = doc->blockCount();
  if (doc->lastBlock().text().isEmpty()) --n;
  return n;
}

}  // namespace

TFGPS::TFGPS(QWidget* parent) : QWidget(parent) {
  setObjectName("FGPS");
  setWindowTitle("Settings");
  // A fixed dialog on top of the other windows, without title-bar buttons.
  setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint);

  auto* outer = new QVBoxLayout(this);
  PageControl1 = new QTabWidget(this);
  outer->addWidget(PageControl1);
  BuildGpsTab();
  BuildSensorTab();
  BuildParametersTab();
  BuildGlobalTab();
  BuildMonitorTab();
  PageControl1->setCurrentWidget(tGlobalSetting);

  auto* bottom = new QHBoxLayout();
  LockStateCheck1 = new QCheckBox("SAVE && LOCK SETTINGS", this);
  BitBtn2 = new QPushButton("Close", this);
  bottom->addWidget(LockStateCheck1);
  bottom->addStretch(1);
  bottom->addWidget(BitBtn2);
  outer->addLayout(bottom);

  // Handlers: check boxes run theirs on every change of state, also one made
  // in code; edits on every change of text; drop-down and colour boxes only
  // on a choice of the user.
  connect(GPSSet, &QPushButton::clicked, this, [this] { GPSSetClick(); });
  connect(SensorSet, &QPushButton::clicked, this, [this] { SensorSetClick(); });
  connect(cSBESMessage, &QComboBox::textActivated, this, [this] { cSBESMessageChange(); });
  connect(cSBESMessage->lineEdit(), &QLineEdit::textEdited, this, [this] { cSBESMessageChange(); });
  connect(cbUseTMProjection, &QCheckBox::toggled, this, [this] { cbUseTMProjectionClick(); });
  connect(cbUseLCCProjection, &QCheckBox::toggled, this, [this] { cbUseLCCProjectionClick(); });
  connect(cLambert1, &QCheckBox::toggled, this, [this] { cLambert1Click(); });
  connect(cbGridVisible, &QCheckBox::toggled, this, [this] { cbGridVisibleClick(); });
  connect(cbGridColor, &TColorBox::ColorChanged, this, [this] { cbGridColorChange(); });
  connect(cbAutoGrid, &QCheckBox::toggled, this, [this] { cbAutoGridClick(); });
  connect(cbShowDepthLabels, &QCheckBox::toggled, this, [this] { cbShowDepthLabelsClick(); });
  connect(edEventLabelFontSize, &QLineEdit::textChanged, this, [this] { edEventLabelFontSizeChange(); });
  connect(cbEventLabelColor, &TColorBox::ColorChanged, this, [this] { cbEventLabelColorChange(); });
  connect(edOverlayFontSize, &QLineEdit::textChanged, this, [this] { edOverlayFontSizeChange(); });
  connect(cbOverlayDepthColor, &TColorBox::ColorChanged, this, [this] { cbOverlayDepthColorChange(); });
  connect(cbOverlaySpeedColor, &TColorBox::ColorChanged, this, [this] { cbOverlaySpeedColorChange(); });
  connect(eScreenshotInterval, &QLineEdit::textChanged, this,
          [this] { eScreenshotIntervalChange(eScreenshotInterval); });
  connect(MemoGPS, &QPlainTextEdit::textChanged, this, [this] { MemoGPSChange(); });
  connect(MemoSensor, &QPlainTextEdit::textChanged, this, [this] { MemoSensorChange(); });
  MemoGPS->viewport()->installEventFilter(this);
  MemoSensor->viewport()->installEventFilter(this);
  connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  connect(LockStateCheck1, &QCheckBox::toggled, this, [this] { LockStateCheck1Click(); });

  adjustSize();
  setFixedSize(sizeHint());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect r = screen->availableGeometry();
    move(r.center() - rect().center());
  }

  FormCreate();
}

// ---------------------------------------------------------------------------
// Building the tabs
// ---------------------------------------------------------------------------

namespace {

struct PortBoxes {
  QComboBox *port, *baud, *dataWidth, *stopBits, *parity, *priority, *delay, *nmeaLog, *logTime,
      *dtr, *rts;
};

// The eleven boxes of one port tab in two groups.
PortBoxes BuildPortGroups(QWidget* page, QVBoxLayout* layout, const QString& portGroupTitle) {
  const PortTexts initial = InitialPortTexts();
  auto* portGroup = new QGroupBox(portGroupTitle, page);
  auto* portGrid = new QGridLayout(portGroup);
  auto* optionGroup = new QGroupBox("Optional Settings", page);
  auto* optionGrid = new QGridLayout(optionGroup);
  layout->addWidget(portGroup);
  layout->addWidget(optionGroup);

  auto add = [](QGridLayout* grid, QWidget* parent, int row, const QString& label,
                const std::vector<std::string>& items, const std::string& text) {
    auto* caption = new QLabel(label, parent);
    QComboBox* box = MakeDropDown(parent, items, text);
    caption->setBuddy(box);
    box->setAccessibleName(label.trimmed());
    grid->addWidget(caption, row, 0);
    grid->addWidget(box, row, 1);
    return box;
  };
  PortBoxes b{};
  b.port = add(portGrid, portGroup, 0, "Port No: ", SerialPortNames(), initial.port);
  b.baud = add(portGrid, portGroup, 1, "Baud Rate", BaudRateItems(), initial.baudRate);
  b.dataWidth = add(portGrid, portGroup, 2, "Data Width", DataWidthItems(), initial.dataWidth);
  b.stopBits = add(portGrid, portGroup, 3, "Stop Bits", StopBitsItems(), initial.stopBits);
  b.parity = add(portGrid, portGroup, 4, "Parity", ParityItems(), initial.parity);
  b.priority = add(optionGrid, optionGroup, 0, "Priority", PriorityItems(), initial.priority);
  b.delay = add(optionGrid, optionGroup, 1, "Delay", DelayItems(), initial.delay);
  b.nmeaLog = add(optionGrid, optionGroup, 2, "NMEA Log", BoolItems(), initial.nmeaLog);
  b.logTime = add(optionGrid, optionGroup, 3, "Log Time", BoolItems(), initial.logTime);
  b.dtr = add(optionGrid, optionGroup, 4, "Enable DTR", BoolItems(), initial.enableDTR);
  b.rts = add(optionGrid, optionGroup, 5, "Enable RTS", BoolItems(), initial.enableRTS);
  return b;
}

}  // namespace

void TFGPS::BuildGpsTab() {
  GPSTabSheet = new QWidget();
  auto* layout = new QVBoxLayout(GPSTabSheet);
  const PortBoxes b = BuildPortGroups(GPSTabSheet, layout, "GPS Port Settings");
  Port = b.port;
  BaudRate = b.baud;
  DataWidth = b.dataWidth;
  StopBits = b.stopBits;
  Parity = b.parity;
  Priority = b.priority;
  Delay = b.delay;
  NMEALog = b.nmeaLog;
  LogTime = b.logTime;
  EnableDTR = b.dtr;
  EnableRTS = b.rts;
  GyroEnabled = new QCheckBox("Enable Gyro", GPSTabSheet);
  GPSSet = new QPushButton("GPS Set", GPSTabSheet);
  layout->addWidget(GyroEnabled);
  layout->addWidget(GPSSet);
  layout->addStretch(1);
  PageControl1->addTab(GPSTabSheet, "GPS Settings");
}

void TFGPS::BuildSensorTab() {
  SensorTabSheet = new QWidget();
  auto* layout = new QVBoxLayout(SensorTabSheet);
  const PortBoxes b = BuildPortGroups(SensorTabSheet, layout, "NMEA Sensor Port Settings");
  SPort = b.port;
  SBaudRate = b.baud;
  SDataWidth = b.dataWidth;
  SStopBits = b.stopBits;
  SParity = b.parity;
  SPriority = b.priority;
  SDelay = b.delay;
  SNMEALog = b.nmeaLog;
  SLogTime = b.logTime;
  SEnableDTR = b.dtr;
  SEnableRTS = b.rts;
  SensorEnabled = new QCheckBox("Sensor Enabled", SensorTabSheet);
  SensorSet = new QPushButton("SBES Set", SensorTabSheet);
  layout->addWidget(SensorEnabled);
  layout->addWidget(SensorSet);

  auto* group = new QGroupBox("SBESMessage", SensorTabSheet);
  auto* row = new QHBoxLayout(group);
  cSBESMessage = MakeDropDown(group, SounderTypeNames(), "Quarix SMT");
  eSBESFormat = new QLineEdit(group);
  row->addWidget(cSBESMessage);
  row->addWidget(eSBESFormat);
  layout->addWidget(group);
  layout->addStretch(1);
  PageControl1->addTab(SensorTabSheet, "Sensor (SBES) Settings");
}

void TFGPS::BuildParametersTab() {
  ParametersTabSheet = new QWidget();
  auto* layout = new QHBoxLayout(ParametersTabSheet);

  auto* datum = new QGroupBox("Datum", ParametersTabSheet);
  auto* datumLayout = new QVBoxLayout(datum);
  auto* ellipsoid = new QGroupBox("Ellipsoid", datum);
  auto* eg = new QGridLayout(ellipsoid);
  edSMA = MakeLabeledEdit(ellipsoid, eg, 0, 0, "Semi Major Axis");
  edIF = MakeLabeledEdit(ellipsoid, eg, 1, 0, "Flattening");
  auto* shift = new QGroupBox("Transformation Parameters from WGS-84", datum);
  auto* sg = new QGridLayout(shift);
  edRX = MakeLabeledEdit(shift, sg, 0, 0, "X Rotation");
  edRY = MakeLabeledEdit(shift, sg, 1, 0, "Y Rotation");
  edRZ = MakeLabeledEdit(shift, sg, 2, 0, "Z Rotation");
  edSX = MakeLabeledEdit(shift, sg, 0, 1, "X Shift");
  edSY = MakeLabeledEdit(shift, sg, 1, 1, "Y Shift");
  edSZ = MakeLabeledEdit(shift, sg, 2, 1, "Z Shift");
  edPPM = MakeLabeledEdit(shift, sg, 3, 0, "Scale Factor");
  cbUseDTP = new QCheckBox("Use DTP", shift);
  cbUseDTP->setChecked(true);
  cbUseDTP->setEnabled(false);
  sg->addWidget(cbUseDTP, 7, 1);
  auto* ng = new QGridLayout();
  edNameOfDatum = MakeLabeledEdit(datum, ng, 0, 0, "Name of Datum");
  datumLayout->addLayout(ng);
  datumLayout->addWidget(ellipsoid);
  datumLayout->addWidget(shift);
  datumLayout->addStretch(1);
  layout->addWidget(datum);

  auto* right = new QVBoxLayout();
  auto* tm = new QGroupBox("TM Parameters", ParametersTabSheet);
  auto* tg = new QGridLayout(tm);
  edCM = MakeLabeledEdit(tm, tg, 0, 0, "Central Meridian");
  edRL = MakeLabeledEdit(tm, tg, 0, 1, "Reference Latitude");
  edSF = MakeLabeledEdit(tm, tg, 1, 0, "Scale Factor");
  edFE = MakeLabeledEdit(tm, tg, 1, 1, "False Easting");
  edFN = MakeLabeledEdit(tm, tg, 2, 0, "False Northing");
  cbUseTMProjection = new QCheckBox("Use Projection", tm);
  cbUseTMProjection->setChecked(true);
  tg->addWidget(cbUseTMProjection, 5, 1);
  right->addWidget(tm);

  auto* lcc = new QGroupBox("LCC Parameters", ParametersTabSheet);
  auto* lg = new QGridLayout(lcc);
  eLCCSP1 = MakeLabeledEdit(lcc, lg, 0, 0, "Standard Parallel 1");
  eLCCSP2 = MakeLabeledEdit(lcc, lg, 0, 1, "Standard Parallel 2");
  eLCCCP = MakeLabeledEdit(lcc, lg, 1, 0, "Central Parallel");
  eLCCM = MakeLabeledEdit(lcc, lg, 1, 1, "Central Meridian");
  eLCCSF = MakeLabeledEdit(lcc, lg, 2, 0, "Scale Factor");
  eLCCFE = MakeLabeledEdit(lcc, lg, 2, 1, "False Easting");
  eLCCFN = MakeLabeledEdit(lcc, lg, 3, 0, "False Norhing");
  cLambert1 = new QCheckBox("Use Lambert 1", lcc);
  cbUseLCCProjection = new QCheckBox("Use Projection", lcc);
  lg->addWidget(cLambert1, 8, 0);
  lg->addWidget(cbUseLCCProjection, 8, 1);
  right->addWidget(lcc);
  right->addStretch(1);
  layout->addLayout(right);
  PageControl1->addTab(ParametersTabSheet, "Godetic Parameters");
}

void TFGPS::BuildGlobalTab() {
  tGlobalSetting = new QWidget();
  auto* layout = new QGridLayout(tGlobalSetting);

  auto* grid = new QGroupBox("Grid Settings", tGlobalSetting);
  auto* gg = new QGridLayout(grid);
  cbGridVisible = new QCheckBox("Show Grid", grid);
  cbGridVisible->setChecked(true);
  cbAutoGrid = new QCheckBox("Auto Scale", grid);
  gg->addWidget(cbGridVisible, 0, 0);
  gg->addWidget(cbAutoGrid, 0, 1);
  edGridSpacingX = MakeLabeledEdit(grid, gg, 1, 0, "Grid Spacing X", "100");
  edGridSpacingY = MakeLabeledEdit(grid, gg, 1, 1, "Grid Spacing Y", "100");
  cbGridColor = MakeColorBox(grid, gg, 2, 0, "Grid Color", clSilver);
  layout->addWidget(grid, 0, 0);

  auto* labels = new QGroupBox("Depth Labels", tGlobalSetting);
  auto* lg = new QGridLayout(labels);
  cbShowDepthLabels = new QCheckBox("Show Depth Labels", labels);
  cbShowDepthLabels->setChecked(true);
  lg->addWidget(cbShowDepthLabels, 0, 0);
  edDepthLabelSpacing = MakeLabeledEdit(labels, lg, 1, 0, "Label Spacing (m)", "10");
  edDepthLabelFontName = MakeLabeledEdit(labels, lg, 1, 1, "Font Name", "Arial");
  edDepthLabelFontSize = MakeLabeledEdit(labels, lg, 2, 0, "Font Size", "12");
  cbTextColor = MakeColorBox(labels, lg, 2, 1, "Text Color", clBlack);
  layout->addWidget(labels, 0, 1);

  auto* events = new QGroupBox("Event Labels", tGlobalSetting);
  auto* evg = new QGridLayout(events);
  edEventLabelFontSize = MakeLabeledEdit(events, evg, 0, 0, "Font Size", "24");
  cbEventLabelColor = MakeColorBox(events, evg, 0, 1, "Text Color", clRed);
  layout->addWidget(events, 1, 0);

  auto* shot = new QGroupBox("Screenshot", tGlobalSetting);
  auto* shg = new QGridLayout(shot);
  eScreenshotInterval = MakeLabeledEdit(shot, shg, 0, 0, "Inteval (second)", "60");
  layout->addWidget(shot, 1, 1);

  auto* overlay = new QGroupBox("Depth/Speed Overlay", tGlobalSetting);
  auto* og = new QGridLayout(overlay);
  edOverlayFontSize = MakeLabeledEdit(overlay, og, 0, 0, "Font Size", "40");
  cbOverlayDepthColor = MakeColorBox(overlay, og, 0, 1, "Depth Color", clNavy);
  cbOverlaySpeedColor = MakeColorBox(overlay, og, 0, 2, "Speed Color", clBlack);
  layout->addWidget(overlay, 2, 0, 1, 2);
  layout->setRowStretch(3, 1);
  PageControl1->addTab(tGlobalSetting, "Global Setting");
}

void TFGPS::BuildMonitorTab() {
  TabSheet1 = new QWidget();
  auto* layout = new QHBoxLayout(TabSheet1);
  auto makeMemo = [this](const QString& firstLine) {
    auto* memo = new QPlainTextEdit(TabSheet1);
    QFont f = memo->font();
    f.setBold(true);
    memo->setFont(f);
    QPalette pal = memo->palette();
    pal.setColor(QPalette::Base, Qt::black);
    pal.setColor(QPalette::Text, QColor(0, 255, 0));
    memo->setPalette(pal);
    memo->setPlainText(firstLine);
    return memo;
  };
  MemoGPS = makeMemo("NMEA POSITION DATA");
  MemoSensor = makeMemo("NMEA SENSOR DATA");
  MemoSensor->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(MemoGPS);
  layout->addWidget(MemoSensor);
  PageControl1->addTab(TabSheet1, "I/O Port Monitor");
}

// ---------------------------------------------------------------------------
// Controls as values
// ---------------------------------------------------------------------------

PortTexts TFGPS::GpsPortTexts() const {
  return {Text(Port),  Text(BaudRate), Text(DataWidth), Text(StopBits),  Text(Parity),   Text(Priority),
          Text(Delay), Text(NMEALog),  Text(LogTime),   Text(EnableDTR), Text(EnableRTS)};
}

PortTexts TFGPS::SensorPortTexts() const {
  return {Text(SPort),  Text(SBaudRate), Text(SDataWidth), Text(SStopBits),  Text(SParity),   Text(SPriority),
          Text(SDelay), Text(SNMEALog),  Text(SLogTime),   Text(SEnableDTR), Text(SEnableRTS)};
}

DisplayTexts TFGPS::GlobalSettingTexts() const {
  DisplayTexts d;
  d.gridVisible = cbGridVisible->isChecked();
  d.autoGrid = cbAutoGrid->isChecked();
  d.gridSpacingX = Text(edGridSpacingX);
  d.gridSpacingY = Text(edGridSpacingY);
  d.gridColor = cbGridColor->Selected();
  d.showDepthLabels = cbShowDepthLabels->isChecked();
  d.labelSpacing = Text(edDepthLabelSpacing);
  d.labelFontName = Text(edDepthLabelFontName);
  d.labelFontSize = Text(edDepthLabelFontSize);
  d.labelColor = cbTextColor->Selected();
  d.eventFontSize = Text(edEventLabelFontSize);
  d.eventColor = cbEventLabelColor->Selected();
  d.screenshotInterval = Text(eScreenshotInterval);
  d.overlayFontSize = Text(edOverlayFontSize);
  d.overlayDepthColor = cbOverlayDepthColor->Selected();
  d.overlaySpeedColor = cbOverlaySpeedColor->Selected();
  return d;
}

DeviceSettings TFGPS::CurrentSettings() const {
  DeviceSettings s;
  s.gps = GpsPortTexts();
  s.sensor = SensorPortTexts();
  s.sensorEnabled = SensorEnabled->isChecked();
  s.sbesMessage = Text(cSBESMessage);
  s.sbesFormat = Text(eSBESFormat);
  s.gyroEnabled = GyroEnabled->isChecked();
  GeodeticTexts& g = s.geodetic;
  g.semiMajorAxis = Text(edSMA);
  g.flattening = Text(edIF);
  g.rotX = Text(edRX);
  g.rotY = Text(edRY);
  g.rotZ = Text(edRZ);
  g.shiftX = Text(edSX);
  g.shiftY = Text(edSY);
  g.shiftZ = Text(edSZ);
  g.scalePpm = Text(edPPM);
  g.centralMeridian = Text(edCM);
  g.referenceLatitude = Text(edRL);
  g.scaleFactor = Text(edSF);
  g.falseEasting = Text(edFE);
  g.falseNorthing = Text(edFN);
  g.useTM = cbUseTMProjection->isChecked();
  g.useDTP = cbUseDTP->isChecked();
  g.datumName = Text(edNameOfDatum);
  g.lccSP1 = Text(eLCCSP1);
  g.lccSP2 = Text(eLCCSP2);
  g.lccSF = Text(eLCCSF);
  g.lccCP = Text(eLCCCP);
  g.lccM = Text(eLCCM);
  g.lccFE = Text(eLCCFE);
  g.lccFN = Text(eLCCFN);
  g.useLCC = cbUseLCCProjection->isChecked();
  g.lambert1 = cLambert1->isChecked();
  s.display = GlobalSettingTexts();
  return s;
}

void TFGPS::SetPortTexts(const PortTexts& t, bool sensor) {
  QComboBox* const gps[] = {Port,  BaudRate, DataWidth, StopBits,  Parity,   Priority,
                            Delay, NMEALog,  LogTime,   EnableDTR, EnableRTS};
  QComboBox* const snd[] = {SPort,  SBaudRate, SDataWidth, SStopBits,  SParity,   SPriority,
                            SDelay, SNMEALog,  SLogTime,   SEnableDTR, SEnableRTS};
  const std::string* texts[] = {&t.port,  &t.baudRate, &t.dataWidth, &t.stopBits,  &t.parity,   &t.priority,
                                &t.delay, &t.nmeaLog,  &t.logTime,   &t.enableDTR, &t.enableRTS};
  for (int i = 0; i < 11; ++i) (sensor ? snd : gps)[i]->setCurrentText(Q(*texts[i]));
}

// In the order of the settings file; the projection boxes run their handlers.
void TFGPS::SetGeodeticControls(const GeodeticTexts& g) {
  edSMA->setText(Q(g.semiMajorAxis));
  edIF->setText(Q(g.flattening));
  edRX->setText(Q(g.rotX));
  edRY->setText(Q(g.rotY));
  edRZ->setText(Q(g.rotZ));
  edSX->setText(Q(g.shiftX));
  edSY->setText(Q(g.shiftY));
  edSZ->setText(Q(g.shiftZ));
  edPPM->setText(Q(g.scalePpm));
  edCM->setText(Q(g.centralMeridian));
  edRL->setText(Q(g.referenceLatitude));
  edSF->setText(Q(g.scaleFactor));
  edFE->setText(Q(g.falseEasting));
  edFN->setText(Q(g.falseNorthing));
  cbUseTMProjection->setChecked(g.useTM);
  cbUseDTP->setChecked(g.useDTP);
  edNameOfDatum->setText(Q(g.datumName));
  eLCCSP1->setText(Q(g.lccSP1));
  eLCCSP2->setText(Q(g.lccSP2));
  eLCCSF->setText(Q(g.lccSF));
  eLCCCP->setText(Q(g.lccCP));
  eLCCM->setText(Q(g.lccM));
  eLCCFE->setText(Q(g.lccFE));
  eLCCFN->setText(Q(g.lccFN));
  cbUseLCCProjection->setChecked(g.useLCC);
  cLambert1->setChecked(g.lambert1);
}

void TFGPS::SetGlobalSettingControls(const DisplayTexts& d) {
  cbGridVisible->setChecked(d.gridVisible);
  cbAutoGrid->setChecked(d.autoGrid);
  edGridSpacingX->setText(Q(d.gridSpacingX));
  edGridSpacingY->setText(Q(d.gridSpacingY));
  cbGridColor->SetSelected(d.gridColor);
  cbShowDepthLabels->setChecked(d.showDepthLabels);
  edDepthLabelSpacing->setText(Q(d.labelSpacing));
  edDepthLabelFontName->setText(Q(d.labelFontName));
  edDepthLabelFontSize->setText(Q(d.labelFontSize));
  cbTextColor->SetSelected(d.labelColor);
  edEventLabelFontSize->setText(Q(d.eventFontSize));
  cbEventLabelColor->SetSelected(d.eventColor);
  edOverlayFontSize->setText(Q(d.overlayFontSize));
  cbOverlayDepthColor->SetSelected(d.overlayDepthColor);
  cbOverlaySpeedColor->SetSelected(d.overlaySpeedColor);
}

void TFGPS::SetSettingsTabsEnabled(bool enabled) {
  GPSTabSheet->setEnabled(enabled);
  SensorTabSheet->setEnabled(enabled);
  ParametersTabSheet->setEnabled(enabled);
  tGlobalSetting->setEnabled(enabled);
}

// ---------------------------------------------------------------------------
// Serial devices and sentence type
// ---------------------------------------------------------------------------

void TFGPS::GPSSetClick() {
  if (TQuarixSerialGPS* device = settingslinks::GnssDevice())
    ApplyPortTexts(GpsPortTexts(), *device, GnssLogFileName());
}

void TFGPS::SensorSetClick() {
  if (TQuarixSerialGPS* device = settingslinks::SounderDevice())
    ApplyPortTexts(SensorPortTexts(), *device, SounderLogFileName());
}

void TFGPS::cSBESMessageChange() {
  const SounderType* type = FindSounderType(Text(cSBESMessage));
  if (!type) return;
  eSBESFormat->setText(QString::fromLatin1(type->format));
  settingslinks::ShowLowFreqDepth(type->lowFreq);
}

// ---------------------------------------------------------------------------
// Projection boxes: exactly one of TM and LCC is selected
// ---------------------------------------------------------------------------

void TFGPS::cbUseTMProjectionClick() {
  cbUseLCCProjection->setChecked(!cbUseTMProjection->isChecked());
}

void TFGPS::cbUseLCCProjectionClick() {
  cbUseTMProjection->setChecked(!cbUseLCCProjection->isChecked());
}

void TFGPS::cLambert1Click() {
  const bool oneParallel = cLambert1->isChecked();
  eLCCSP1->setEnabled(!oneParallel);
  eLCCSP2->setEnabled(!oneParallel);
}

// ---------------------------------------------------------------------------
// Display settings
// ---------------------------------------------------------------------------

void TFGPS::ApplyDisplaySettings() {
  StoreDisplayGlobals(DeriveDisplayValues(GlobalSettingTexts()));
  settingslinks::CopyGridToMap(GridFromGlobals());
}

void TFGPS::cbGridVisibleClick() {
  GridVisible = cbGridVisible->isChecked();
  settingslinks::SetMapGridVisible(GridVisible, cbGridColor->Selected());
  settingslinks::RepaintMap();
}

void TFGPS::cbGridColorChange() {
  GridColor = cbGridColor->Selected();
  settingslinks::SetMapGridColor(GridColor);
  settingslinks::RepaintMap();
}

void TFGPS::cbAutoGridClick() {
  GridAutoSpacing = cbAutoGrid->isChecked();
  edGridSpacingX->setEnabled(!GridAutoSpacing);
  edGridSpacingY->setEnabled(!GridAutoSpacing);
  const MapGrid g = GridForMap(true, GridAutoSpacing, GridSpacingValue(Text(edGridSpacingX)),
                               GridSpacingValue(Text(edGridSpacingY)), GridColor);
  settingslinks::SetMapGridSpacing(g.spacingX, g.spacingY);
  settingslinks::RepaintMap();
}

void TFGPS::cbShowDepthLabelsClick() { ShowDepthLabels = cbShowDepthLabels->isChecked(); }

void TFGPS::edEventLabelFontSizeChange() {
  EventLabelFontSize = EventFontSizeValue(Text(edEventLabelFontSize));
  settingslinks::RepaintMap();
}

void TFGPS::cbEventLabelColorChange() {
  EventLabelColor = cbEventLabelColor->Selected();
  settingslinks::RepaintMap();
}

void TFGPS::edOverlayFontSizeChange() {
  OverlayFontSize = OverlayFontSizeValue(Text(edOverlayFontSize));
  settingslinks::RepaintMap();
}

void TFGPS::cbOverlayDepthColorChange() {
  OverlayDepthColor = cbOverlayDepthColor->Selected();
  settingslinks::RepaintMap();
}

void TFGPS::cbOverlaySpeedColorChange() {
  OverlaySpeedColor = cbOverlaySpeedColor->Selected();
  settingslinks::RepaintMap();
}

void TFGPS::eScreenshotIntervalChange(QObject* Sender) {
  if (Sender != eScreenshotInterval) return;
  settingslinks::SetScreenshotTimer(ScreenshotTimer(Text(eScreenshotInterval)));
}

// ---------------------------------------------------------------------------
// Port monitor
// ---------------------------------------------------------------------------

void TFGPS::ClearMemoWhenFull(QPlainTextEdit* memo) {
  if (MemoLineCount(memo) > kMonitorMaxLines) memo->clear();
}

void TFGPS::MemoGPSChange() { ClearMemoWhenFull(MemoGPS); }
void TFGPS::MemoSensorChange() { ClearMemoWhenFull(MemoSensor); }
void TFGPS::MemoGPSMouseDown() { settingslinks::SetEchoToMonitor(false); }
void TFGPS::MemoGPSMouseUp() { settingslinks::SetEchoToMonitor(true); }

bool TFGPS::eventFilter(QObject* watched, QEvent* event) {
  if (watched == MemoGPS->viewport() || watched == MemoSensor->viewport()) {
    if (event->type() == QEvent::MouseButtonPress) MemoGPSMouseDown();
    else if (event->type() == QEvent::MouseButtonRelease) MemoGPSMouseUp();
  }
  return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Life cycle, loading, saving and the lock
// ---------------------------------------------------------------------------

void TFGPS::BitBtn2Click() { close(); }

void TFGPS::FormCloseQuery(bool& CanClose) {
  MemoGPS->setPlainText(QString());
  MemoSensor->setPlainText(QString());
  CanClose = true;
}

void TFGPS::closeEvent(QCloseEvent* event) {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (canClose) event->accept();
  else event->ignore();
}

void TFGPS::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TFGPS::FormCreate() {
  if (DepthLabelFontName.empty()) DepthLabelFontName = "Arial";
  const IniFile ini;

  DeviceSettings s = CurrentSettings();
  ReadPortSections(ini, s);
  SetPortTexts(s.gps, false);
  SetPortTexts(s.sensor, true);
  SensorEnabled->setChecked(s.sensorEnabled);
  cSBESMessage->setCurrentText(Q(s.sbesMessage));  // runs no handler
  eSBESFormat->setText(Q(s.sbesFormat));
  GyroEnabled->setChecked(s.gyroEnabled);

  ReadGeodeticSection(ini, s.geodetic);
  SetGeodeticControls(s.geodetic);

  LockStateCheck1->setText("SAVE && LOCK SETTINGS");
  switch (TabLockFromText(ReadSettingsLockedText(ini))) {
    case TabLock::Disable: SetSettingsTabsEnabled(false); break;
    case TabLock::Enable: SetSettingsTabsEnabled(true); break;
    case TabLock::Keep: break;
  }

  ReadDisplaySections(ini, s.display);
  SetGlobalSettingControls(s.display);
  ApplyDisplaySettings();
  edGridSpacingX->setEnabled(!cbAutoGrid->isChecked());
  edGridSpacingY->setEnabled(!cbAutoGrid->isChecked());

  // The stored screenshot interval goes into its edit before a stored lock
  // saves everything again, so that save keeps it.
  eScreenshotInterval->setText(Q(ReadScreenshotIntervalText(ini)));

  LockStateCheck1->setChecked(ReadLockSetting(ini));  // a change saves and locks
}

void TFGPS::FormShow() {
  bool locked = false;
  {
    const IniFile ini;
    locked = ReadSettingsLocked(ini, LockStateCheck1->isChecked());
  }
  LockStateCheck1->setChecked(locked);  // a change saves and locks, or unlocks
  tGlobalSetting->setEnabled(!locked);
  settingslinks::CopyGridToMap(GridFromGlobals());
}

void TFGPS::LockStateCheck1Click() {
  if (LockStateCheck1->isChecked()) SaveAndLock();
  else Unlock();
}

namespace {
// The class library's report of a settings value that could not be written.
bool ReportWriteFailure(const WriteResult& r, const IniFile& ini) {
  if (r.ok) return false;
  prompts::ShowException(QString::fromStdString("Unable to write to " + ini.FileName()));
  return true;
}
}  // namespace

void TFGPS::SaveAndLock() {
  IniFile ini;
  if (ReportWriteFailure(WriteLockSetting(ini, true), ini)) return;
  const DeviceSettings s = CurrentSettings();
  if (ReportWriteFailure(WriteDeviceSections(ini, s), ini)) return;
  for (const auto& line : SettingsSummary(s)) LogEvent(line);
  if (ReportWriteFailure(WriteDisplaySections(ini, s.display), ini)) return;
  ApplyDisplaySettings();
  settingslinks::RepaintMap();
  SetSettingsTabsEnabled(false);
}

void TFGPS::Unlock() {
  IniFile ini;
  if (ReportWriteFailure(WriteLockSetting(ini, false), ini)) return;
  SetSettingsTabsEnabled(true);
}
