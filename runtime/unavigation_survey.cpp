// The survey road of the main window: the GNSS receiver's line, position,
// speed and device events, the echo sounder's line, and the map timer's
// navigation loop. The decisions live in the logic units (gnssintake,
// depthintake, surveyrecord, navloop); these handlers read the windows,
// call them and show what they return.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <string>
#include <vector>

#include "app/color.h"
#include "app/themes.h"
#include "app/displaysettings.h"
#include "app/formats.h"
#include "app/helpers.h"
#include "app/settingsfile.h"
#include "canvas/QuarixCanvas.h"
#include "settings/UGPS.h"
#include "settings/unavset.h"
#include "ntrip/uNTRIPSettings.h"
#include "planning/UShape.h"
#include "planning/USoundVelocity.h"
#include "platform/clock.h"
#include "runtime/Bathymetry.h"
#include "runtime/Latency.h"
#include "devices/QuarixSerialGPS.h"
#include "runtime/RealtimeData.h"
#include "runtime/UMsg.h"
#include "runtime/depthintake.h"
#include "runtime/editvalue.h"
#include "runtime/fixedlayers.h"
#include "runtime/geodesylog.h"
#include "runtime/gnssintake.h"
#include "runtime/gridconversion.h"
#include "runtime/navloop.h"
#include "runtime/statuspanels.h"
#include "runtime/uCanvas.h"
#include "runtime/uJoystick.h"
#include "runtime/unavigation.h"

double GNSSLatitude = 0;
double GNSSLongitude = 0;
double GNSSAltitude = 0;
double GyroHeading = 1e-9;
double SpeedKnots = 0;
double RTKAntennaHeight = 0;
double RTKTide = 0;
double OffsetAValue = 0;
double SVValue = 0;
double OffsetCValue = 0;
double TideHtValue = 0;
int ShownFixQuality = 0;
double TrueDepthHi = 0;
double TrueDepthLo = 0;
double SoundingDepth = 0;
bool NewDepthAvailable = false;
double DepthAlarmValue = 0;
double GridEasting = 0;
double GridNorthing = 0;
double GridConvergence = 1e-9;
double GridHeading = 1e-9;

// What the survey road keeps between lines and ticks of one main window.
struct TFNav::SurveyRoad {
  gnss::OffsetsCopy offsets;
  survey::DepthIntake depth;
  navloop::VesselGeometryEdits vesselEdits;
  navloop::VesselGeometry vessel;
  navloop::TrackSettingEdits trackEdits;
  navloop::TrackGate track;
  navloop::LatencyStats latency;
  OnceReporter reporter;
  // The geodetic parameters of the run and its last conversion.
  gridconv::GridConverter grid;
  // When the receiver last gave a position.
  gnss::PositionAge positionAge;

  // The receiver's offsets copy and the depth intake read the same OffsetA.
  SurveyRoad() { depth.ShareDraft(offsets.OffsetA()); }
};

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* e) { return e ? e->text().toStdString() : std::string(); }
bool Checked(const QCheckBox* c) { return c && c->isChecked(); }

// State colours come with a text colour that reads on them.
void SetWindowColour(QWidget* w, TColor c) { SetStateColour(w, ToQColor(c)); }
void SetMemoColour(QPlainTextEdit* m, TColor c) { SetStateBaseColour(m, ToQColor(c)); }

// The receiver gave the position the survey holds: the last GGA carried one
// and it has not been zeroed by an idle report since.
bool PositionGiven() { return navloop::PositionUsable(NoValidPosition, GNSSLatitude, GNSSLongitude); }

// A device's port opened at the survey's start is noted in the message window
// and the events log; one found again after it was lost is told as loudly as
// the loss was.
void TellPortOpened(TFNav& nav, const TQuarixSerialGPS* device, const std::string& text) {
  if (device && device->Reopening) {
    nav.SurveyReport(text);
    return;
  }
  if (FMsg) FMsg->AddLine(Q(text));
  LogEvent(text);
}

// The offsets the survey corrects with: those of the last accepted Realtime
// press of the offsets dialog (or stored at start), never edits in progress.
void TakeAcceptedOffsets(TFNav& nav, TFNav::SurveyRoad& road) {
  if (!Offsets) return;
  const offsets::Entries& e = Offsets->AcceptedEntries();
  for (const std::string& r : road.offsets.Take({e.offsetA, e.sv, e.offsetC, e.tideHt}, OffsetAValue, SVValue,
                                                OffsetCValue, TideHtValue))
    nav.SurveyReport(r);
}

}  // namespace

int TFNav::ReceiverFixQuality() const {
  return PositionGiven() && ZGPS1 ? ZGPS1->GetFixQuality() : 0;
}

// The realtime window's GNSS labels and the map's status box.
void TFNav::ShowReceiverStatus() {
  const int quality = ReceiverFixQuality();
  const int satellites = ZGPS1 ? ZGPS1->GetSatellites() : 0;
  const navloop::RealtimeLabels labels = navloop::RealtimeLabelTexts(
      quality, RTKAntennaHeight, Offsets && Offsets->isVisible(), RTKTide, satellites);
  if (fRealtime) {
    fRealtime->Fixed->setText(Q(labels.fixed));
    fRealtime->LAntennaH->setText(Q(labels.antennaHeight));
    fRealtime->LTideHt->setText(Q(labels.tide));
    fRealtime->SatelliteLabel->setText(Q(labels.satellites));
  }

  GGAFixQuality = quality;
  const std::string speedLabel = fRealtime ? fRealtime->Speed->text().toStdString() : std::string();
  const std::string status = navloop::StatusText(quality, speedLabel, satellites, RTKAntennaHeight, labels.tide);
  const bool sensorEnabled = FGPS && Checked(FGPS->SensorEnabled);
  GGAOverlayText = navloop::OverlayText(status, sensorEnabled, SoundingDepth, NoValidPosition);
}

// Every restart of the navigation loop anchors the track afresh on its next
// usable position, so a pause (idle receiver, a drawing) never draws a jump.
void TFNav::StartMapTimer() {
  tMap->start();
  SurveyState().track.Restart();
}

devicesettings::GeodeticTexts TFNav::GeodesyInSettings() const {
  return FGPS ? FGPS->CurrentSettings().geodetic : StoredGeodesy(IniFile());
}

void TFNav::LoadGridParameters(const devicesettings::GeodeticTexts& g) {
  std::vector<std::string> reports;
  SurveyState().grid.Load(gridconv::ParametersFrom(g, reports));
  DatumParams = SurveyState().grid.Parameters().datumParams;
  for (const std::string& r : reports) SurveyReport(r);
}

// A conversion before any survey start takes the settings as they stand.
gridconv::GridConverter& TFNav::GridParameters() {
  SurveyRoad& road = SurveyState();
  if (!road.grid.Loaded()) LoadGridParameters(GeodesyInSettings());
  return road.grid;
}

void TFNav::SurveyStarts() {
  SurveyRoad& road = SurveyState();
  road.positionAge.Forget();
  TakeAcceptedOffsets(*this, road);
}

void TFNav::ReceiverStopped() { SurveyState().positionAge.Forget(); }

TFNav::SurveyRoad& TFNav::SurveyState() {
  if (!Road) Road = std::make_shared<SurveyRoad>();
  return *Road;
}

void TFNav::SurveyReport(const std::string& Text) {
  if (FMsg) {
    FMsg->show();
    FMsg->AddLine(Q(Text));
  }
  LogEvent(Text);
}

// ---------------------------------------------------------------------------
// GNSS receiver

void TFNav::ZGPS1NewCommand(QObject* Sender, const std::string& Line) {
  SurveyRoad& road = SurveyState();

  // The first line after the start (or after an idle stop) starts the map;
  // the track is anchored afresh on its next usable position.
  // A shape being drawn on the map keeps the map paused (the map would pan
  // under the user's clicks); the end of the drawing starts it again.
  const bool drawing = fcad && fcad->HasFirstPoint;
  if (!tMap->isActive() && GNSSOpenTick > 0 && !drawing) {
    StartMapTimer();
    if (fRealtime) SetWindowColour(fRealtime->GPSGroupBox, clLime);
    if (FGPS) SetMemoColour(FGPS->MemoGPS, clWhite);
  }

  if (FGPS && FGPS->isVisible() && EchoToMonitor && FGPS->MemoGPS)
    FGPS->MemoGPS->appendPlainText(QString::fromLatin1(Line.data(), static_cast<qsizetype>(Line.size())));

  gnss::TakeHDT(Line, GyroHeading);
  gnss::TakeRMCSpeed(Line, SpeedKnots);
  gnss::TakeVTGSpeed(Line, SpeedKnots);

  TakeAcceptedOffsets(*this, road);

  // Every whole GGA with a time and a fix quality dates the receiver's
  // position, also when the position repeats the last one; a GGA cut short
  // neither dates nor judges it, so the last whole fix stays current.
  if (gnss::TakeGGA(Line, OffsetCValue, NoValidPosition, RTKAntennaHeight, RTKTide) && !NoValidPosition)
    road.positionAge.Stamp(platform::TickCount());

  const int quality = ZGPS1 ? ZGPS1->GetFixQuality() : 0;
  if (quality != ShownFixQuality) {
    if (fRealtime) SetWindowColour(fRealtime->GPSGroupBox, gnss::FixQualityColor(quality));
    ShownFixQuality = quality;
  }
}

void TFNav::ZGPS1Position3DChange(QObject* Sender, double Latitude, double Longitude, double Altitude) {
  GNSSLatitude = Latitude;
  GNSSLongitude = Longitude;
  GNSSAltitude = Altitude;
}

void TFNav::ZGPS1SpeedChange(QObject* Sender, double Speed) {
  if (fRealtime) fRealtime->Speed->setText(Q(gnss::KnotsText(Speed)));
}

// The RTK corrections follow the receiver's port: every opening (the survey's
// start, a port found again) hands it to the NTRIP window, every closing
// takes it back.
void TFNav::ZGPS1Connect(QObject* Sender, int Port) {
  TellPortOpened(*this, ZGPS1, "Connected to GPS on " + TQuarixSerialGPS::PortName(Port));
  if (frmNTRIPSettings && ZGPS1) frmNTRIPSettings->SetGPSPort(ZGPS1->Handle, TQuarixSerialGPS::PortName(Port));
  Realtime->setChecked(true);
  if (fcad) {
    VesselLayer = fcad->LayerFindByName("~~Quarix Vessel");
    fcad->SetLayerAction(VesselLayer, 1);
  }
}

// The map stops with the receiver, so the status box is brought up to date
// here: without a receiver there is no fix.
void TFNav::ZGPS1Disconnect(QObject* Sender, int Port) {
  tMap->stop();
  if (frmNTRIPSettings) frmNTRIPSettings->SetGPSPort(nullptr, TQuarixSerialGPS::PortName(Port));
  ReceiverStopped();
  SurveyReport("Disconnected from GPS on " + TQuarixSerialGPS::PortName(Port));
  Realtime->setChecked(false);
  ShowReceiverStatus();
  if (fcad) fcad->update();
}

// The zeroed position is one the receiver did not give: nothing converts,
// draws or records it as a position (see PositionGiven). The component
// forgets its position too, so that the receiver's next GGA is reported
// even when the boat has not moved meanwhile.
void TFNav::ZGPS1Idle(QObject* Sender) {
  tMap->stop();
  GNSSLatitude = 0;
  GNSSLongitude = 0;
  if (ZGPS1) ZGPS1->ForgetPosition();
  ReceiverStopped();
  SurveyReport("GPS is idle!");
  if (fRealtime) SetWindowColour(fRealtime->GPSGroupBox, clRed);
  ShowReceiverStatus();
  if (fcad) fcad->update();
}

void TFNav::ZGPS1Timeout(QObject* Sender) {
  SurveyReport("GPS Timeout!");
  if (FGPS) SetMemoColour(FGPS->MemoGPS, clRed);
}

void TFNav::ZGPS1Send(QObject* Sender, const std::string& Text) {
  SurveyReport("Command sent to device: " + Text);
}

void TFNav::ZSENSORTimeout(QObject* Sender) {
  SurveyReport("Sensor TimeOut.");
  if (fRealtime) {
    SetWindowColour(fRealtime->DepthFrameHi, clRed);
    SetWindowColour(fRealtime->DepthFrameLo, clRed);
  }
}

// ---------------------------------------------------------------------------
// Echo sounder

// The sounder's port opened: at the survey's start, or found again after it
// was lost. Its sentence types of NMEA start every sentence with "$", which
// then also ends any line noise before it.
void TFNav::ZSENSORConnect(QObject* Sender, int Port) {
  const std::string messageType = FGPS ? FGPS->cSBESMessage->currentText().toStdString() : std::string();
  if (ZSENSOR)
    ZSENSOR->CarriesNMEA = messageType.rfind("NMEA ", 0) == 0 || messageType.rfind("Quarix XDR ", 0) == 0;
  TellPortOpened(*this, ZSENSOR, "Connected to NMEA Sensor on " + TQuarixSerialGPS::PortName(Port));
}

// The survey goes on without soundings; the component tries the port again.
void TFNav::ZSENSORDisconnect(QObject* Sender, int Port) {
  SurveyReport("Disconnected from NMEA Sensor on " + TQuarixSerialGPS::PortName(Port));
}

void TFNav::ZSENSORNewCommand(QObject* Sender, const std::string& Line) {
  SurveyRoad& road = SurveyState();
  const std::string messageType = FGPS ? FGPS->cSBESMessage->currentText().toStdString() : std::string();

  // The watchdog hears the line; the first line of a run shows the echogram
  // and the depth frames.
  if (SounderWatch.DepthLine(platform::TickCount())) {
    if (fWaterfal) fWaterfal->show();
    if (fRealtime) {
      fRealtime->DepthFrameHi->show();
      if (messageType == "Quarix XDR LO" || messageType == "Quarix XDR H/L") fRealtime->DepthFrameLo->show();
    }
  }

  if (FGPS && FGPS->isVisible() && EchoToMonitor && FGPS->MemoSensor)
    FGPS->MemoSensor->appendPlainText(QString::fromLatin1(Line.data(), static_cast<qsizetype>(Line.size())));

  if (fRealtime) {
    SetWindowColour(fRealtime->DepthFrameHi, clLime);
    SetWindowColour(fRealtime->DepthFrameLo, clLime);
  }

  TakeAcceptedOffsets(*this, road);

  survey::DepthLineInput in;
  in.line = Line;
  in.messageType = messageType;
  in.scanFormat = FGPS ? S(FGPS->eSBESFormat) : std::string();
  in.draftText = Offsets ? Offsets->AcceptedEntries().offsetA : std::string();
  in.depthAlarmText = Navset ? S(Navset->edDepthAlert1) : std::string();
  in.useSVP = fSVP && Checked(fSVP->cUseSVP);
  if (in.useSVP) {
    // A final line break opens no further line of the column.
    in.svColumn = ListLines(fSVP->mSVPColumn);
    if (!in.svColumn.empty() && in.svColumn.back().empty()) in.svColumn.pop_back();
  }
  in.svValue = SVValue;
  in.tideHt = TideHtValue;
  in.rtkAntennaHeight = RTKAntennaHeight;
  in.rtkTide = RTKTide;
  // The sounding stands where the receiver's current position is: that
  // position and its own grid conversion go into the record. Without a
  // current position (none given, fix quality 0, or older than the receiver's
  // rhythm allows) the record says so by fix quality 0 and has no position.
  const int quality = ReceiverFixQuality();
  if (quality > 0 && road.positionAge.Current(platform::TickCount())) {
    const gridconv::GridPosition grid = GridParameters().Convert(GNSSLatitude, GNSSLongitude, GNSSAltitude);
    if (grid.ok) {
      in.hasPosition = true;
      in.latitude = GNSSLatitude;
      in.longitude = GNSSLongitude;
      in.gridEasting = grid.easting;
      in.gridNorthing = grid.northing;
      in.fixQuality = quality;
    }
  }

  const survey::DepthLineResult r = road.depth.TakeLine(in);
  DepthAlarmValue = r.depthAlarmValue;
  for (const std::string& text : r.reports) SurveyReport(text);
  if (!r.knownType) return;

  TrueDepthHi = r.trueHi;
  TrueDepthLo = r.trueLo;
  SoundingDepth = r.depth;
  if (fRealtime) {
    fRealtime->lDepthHi->setText(Q(r.labelHi));
    fRealtime->lDepthLo->setText(Q(r.labelLo));
  }
  if (!r.taken) return;

  NewDepthAvailable = true;
  if (r.battery && fJoystick) fJoystick->pBattery->setText(Q(r.batteryText));
  if (Realtime->isChecked() && fcad) {
    const TColor normal = Navset ? Navset->fcadColor->Selected() : clWhite;
    const TColor wanted = r.alarm ? clRed : normal;
    if (fcad->BackColor != wanted) fcad->SetBackColor(wanted);
    fcad->update();
  }
}

// ---------------------------------------------------------------------------
// Navigation loop

void TFNav::tMapTimer(QObject* Sender) {
  SurveyRoad& road = SurveyState();
  const bool measure = fLatency && fLatency->isVisible();
  const uint32_t start = measure ? platform::TickCount() : 0;

  // Only a position the receiver gave is handed on, converted, followed,
  // drawn and labelled; otherwise the grid position keeps its last value.
  const bool given = PositionGiven();
  if (given && frmNTRIPSettings) frmNTRIPSettings->SetGPSPosition(GNSSLatitude, GNSSLongitude, GNSSAltitude);

  ShowReceiverStatus();
  const int quality = GGAFixQuality;
  const bool sensorEnabled = FGPS && Checked(FGPS->SensorEnabled);

  gridconv::GridConverter& grid = GridParameters();
  std::vector<std::string> reports;
  if (FShape)
    road.vessel = road.vesselEdits.Read(
        {S(FShape->edAmount), S(FShape->edInterval), S(FShape->edRadious), S(FShape->edLArrow), S(FShape->edBArrow)},
        reports);
  navloop::TrackSettings track;
  if (Navset)
    track = road.trackEdits.Read({S(Navset->VesselWidth), S(Navset->TrackWidth), S(Navset->TrackDistance)}, reports);
  for (const std::string& r : reports) SurveyReport(r);

  // The position steps; false when the conversion ends the tick.
  auto placeVessel = [&]() -> bool {
    // Grid position. A conversion that does not give its numbers ends the tick:
    // the grid position keeps its last value.
    const gridconv::GridPosition g = grid.Convert(GNSSLatitude, GNSSLongitude, GNSSAltitude);
    if (g.lambertSetup != 0) {
      const std::string text = "The Lambert projection parameters are not accepted (code " +
                               std::to_string(g.lambertSetup) + "); no grid position is computed.";
      if (road.reporter.First(text)) SurveyReport(text);
      return false;
    }
    if (!g.ok) return false;
    const double convergence = g.convergence, easting = g.easting, northing = g.northing;
    GridConvergence = convergence;
    GridEasting = easting;
    GridNorthing = northing;

    const double heading = FGPS && Checked(FGPS->GyroEnabled) ? GyroHeading : ZGPS1->GetCourse();
    GridHeading = heading + GridConvergence;

    if (FollowVesselActive)
      fcad->WorldPan(GridEasting - (fcad->WorldLeft + fcad->WorldRight) / 2,
                     GridNorthing - (fcad->WorldTop + fcad->WorldBottom) / 2);
    else
      fcad->Refresh();

    // Vessel symbol: only on the vessel layer (shapes drawn on a missing layer
    // would land on "Default" and pile up, one symbol per tick).
    const bool vesselLayer = VesselLayer >= 0 && fcad->FindLayer(VesselLayer);
    if (vesselLayer) fcad->CadClearShapes(VesselLayer);
    const navloop::VesselSymbol symbol = navloop::VesselSymbolAt(GridEasting, GridNorthing, GridHeading, road.vessel);
    if (vesselLayer && !symbol.lines.empty()) {
      fcad->SetLayerPenFg(VesselLayer, Navset ? Navset->VesselColor->Selected() : clBlack);
      fcad->SetLayerPenWidth(VesselLayer, track.vesselWidth);
      for (const navloop::Segment& s : symbol.lines) fcad->DrawLine(s.from.x, s.from.y, s.to.x, s.to.y, VesselLayer);
      for (const navloop::Circle& c : symbol.circles) fcad->DrawCircle(c.centre.x, c.centre.y, c.radius, VesselLayer);
    }

    if (sStatusBar->PanelCount() >= 3) {
      const QString dms = Q(navloop::DmsPanelText(GNSSLatitude, GNSSLongitude));
      const QString grid = Q(navloop::GridPanelText(GridEasting, GridNorthing));
      sStatusBar->SetPanelText(0, dms);
      sStatusBar->SetPanelWidth(0, sStatusBar->TextWidth(dms) + 20);
      sStatusBar->SetPanelText(1, grid);
      sStatusBar->SetPanelWidth(1, sStatusBar->TextWidth(grid) + 20);
    }

    // Track point on the layer of the fix quality.
    const navloop::TrackGate::Decision d = road.track.Offer(GridEasting, GridNorthing, track.trackDistance, true);
    if (d.step == navloop::TrackGate::Step::Accepted && Navset) {
      const navloop::TrackStyle style =
          navloop::TrackStyleFor(quality, Navset->ColorTracklines1->Selected(), Navset->ColorTracklines0->Selected());
      const int layer = fcad->LayerFindByName(style.layer);
      if (layer >= 0) {
        fcad->SetLayerPenFg(layer, style.color);
        fcad->SetLayerPenWidth(layer, track.trackWidth);
        if (Checked(Navset->cLineOrDot))
          fcad->DrawLine(GridEasting, GridNorthing, d.reference.x, d.reference.y, layer);
        else
          fcad->DrawPoint(GridEasting, GridNorthing, layer);
      }
    }

    if (ShowDepthLabels && SoundingDepth > 0 && !(GridEasting == 0 && GridNorthing == 0)) {
      fcad->SetDepthLabelSettings(ShowDepthLabels, DepthLabelSpacing, DepthLabelFontName, DepthLabelFontSize,
                                  DepthLabelColor);
      fcad->AddDepthLabel(GridEasting, GridNorthing, SoundingDepth);
    }
    return true;
  };
  if (!given) fcad->Refresh();  // the status box changed; the vessel stays where the receiver last put it
  else if (!placeVessel()) return;

  if (sensorEnabled) {
    // The panel's two slots show what the realtime window's depth frames do.
    const bool lowInUse = fRealtime && !fRealtime->DepthFrameLo->isHidden();
    fcad->SetCurrentDepth(TrueDepthHi, lowInUse ? TrueDepthLo : 0.0, true);
  }
  fcad->SetCurrentSpeed(SpeedKnots, true);

  if (measure) {
    road.latency.Add(static_cast<int>(platform::TickCount() - start));
    fLatency->eCurrentLatency->setText(Q(road.latency.CurrentText()));
    fLatency->eLatencyAveraged->setText(Q(road.latency.AverageText()));
  }
}
