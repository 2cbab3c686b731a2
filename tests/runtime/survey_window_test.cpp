// The survey road through the main window: the GNSS receiver's handlers, the
// echo sounder's line handler and the navigation loop, on the whole window set
// (Qt's offscreen platform), with the serial devices on pseudo-terminals where
// the road runs from port to file.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "app/color.h"
#include "app/displaysettings.h"
#include "app/formats.h"
#include "app/settingsfile.h"
#include "canvas/QuarixCanvas.h"
#include "platform/clock.h"
#include "devices/QuarixSerialGPS.h"
#include "platform/paths.h"
#include "runtime/statuspanels.h"
#include "runtime/surveyrecord.h"
#include "tests/geodesy/oracle.h"
#include "tests/platform/ptypair.h"
#include "tests/runtime/formsfixture.h"

namespace {

const std::string kHeader =
    "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True Depth (Lo),"
    "Raw Depth (Hi),Raw Depth (Lo),Message Format,Sound Velocity,Transducer Draft,GPS, RTK Antenna "
    "Height,Manual Tide,RTK Tide\r\n";

// Metres of grid easting per degree of longitude on the equator at the central
// meridian of a transverse Mercator with scale 0.9996.
constexpr double kMetresPerDegree = 111319.490793 * 0.9996;

TColor WindowColour(const QWidget* w) { return FromQColor(w->palette().color(QPalette::Window)); }
TColor MemoColour(const QPlainTextEdit* m) { return FromQColor(m->palette().color(QPalette::Base)); }

std::string LastLine(const QPlainTextEdit* memo) {
  const QStringList lines = memo->toPlainText().split('\n');
  return lines.isEmpty() ? std::string() : lines.last().toStdString();
}

// An NMEA sentence with its checksum.
std::string Nmea(const std::string& body) {
  unsigned sum = 0;
  for (unsigned char c : body) sum ^= c;
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X", sum);
  return "$" + body + tail;
}

// A GGA sentence of a position north and east of (0, 0), with its checksum.
std::string GGA(double latitude, double longitude, int quality, const char* time = "120000.00") {
  char body[128];
  std::snprintf(body, sizeof body, "GPGGA,%s,%02d%07.4f,N,%03d%07.4f,E,%d,12,0.8,12.5,M,36.1,M,,", time,
                int(latitude), (latitude - int(latitude)) * 60, int(longitude), (longitude - int(longitude)) * 60,
                quality);
  return Nmea(body);
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

std::vector<TQShape*> ShapesOn(TQuarixCanvas* map, const std::string& layerName) {
  const int layer = map->LayerFindByName(layerName);
  std::vector<TQShape*> out;
  for (TQShape* s : map->Shapes)
    if (s->Layer == layer) out.push_back(s);
  return out;
}

class SurveyRoadWindow : public FormsTest {
 protected:
  void TearDown() override {
    platform::SetTickSource({});
    FormsTest::TearDown();
  }

  // The window set with a transverse Mercator on central meridian 9 (false
  // easting 500000, false northing 1000), the offsets of the survey and the
  // offsets dialog closed, a vessel arrow of 10 m by 2 x 4 m and two circles.
  void StartSurveyWindows() {
    // The survey state of the unit as a fresh program has it.
    GNSSLatitude = GNSSLongitude = GNSSAltitude = SpeedKnots = 0;
    RTKAntennaHeight = RTKTide = OffsetAValue = SVValue = OffsetCValue = TideHtValue = 0;
    GyroHeading = GridConvergence = GridHeading = 1e-9;
    TrueDepthHi = TrueDepthLo = SoundingDepth = DepthAlarmValue = GridEasting = GridNorthing = 0;
    ShownFixQuality = 0;
    NewDepthAvailable = NoValidPosition = false;
    FollowVesselActive = true;
    StoreAcceptedOffsets();
    Start();
    const std::vector<std::pair<QLineEdit*, const char*>> geodesy = {
        {FGPS->edSMA, "6378137.0"}, {FGPS->edIF, "0.0033528106647474"},
        {FGPS->edPPM, "0"}, {FGPS->edRX, "0"}, {FGPS->edRY, "0"}, {FGPS->edRZ, "0"},
        {FGPS->edSX, "0"}, {FGPS->edSY, "0"}, {FGPS->edSZ, "0"},
        {FGPS->edCM, "9"}, {FGPS->edRL, "0"}, {FGPS->edSF, "0.9996"},
        {FGPS->edFE, "500000"}, {FGPS->edFN, "1000"}};
    for (const auto& [edit, text] : geodesy) edit->setText(text);
    FGPS->cbUseLCCProjection->setChecked(false);
    FGPS->GyroEnabled->setChecked(true);
    FGPS->SensorEnabled->setChecked(true);
    FGPS->cSBESMessage->setCurrentText("NMEA DPT");
    FGPS->eSBESFormat->setText("%*6s,%lf");
    Offsets->hide();
    Navset->VesselWidth->setText("2");
    Navset->TrackWidth->setText("3");
    Navset->TrackDistance->setText("10");
    Navset->edDepthAlert1->setText("5");
    Navset->VesselColor->SetSelected(clBlue);
    Navset->ColorTracklines1->SetSelected(clLime);
    Navset->ColorTracklines0->SetSelected(clYellow);
    Navset->fcadColor->SetSelected(clWhite);
    Navset->cLineOrDot->setChecked(false);
    FShape->edAmount->setText("2");
    FShape->edInterval->setText("5");
    FShape->edRadious->setText("5");
    FShape->edLArrow->setText("4");
    FShape->edBArrow->setText("10");
    FMsg->hide();
    FMsg->Msg->clear();
    fRealtime->DepthFrameHi->hide();  // as the survey start leaves them
    fRealtime->DepthFrameLo->hide();
  }

  // The offsets of the last accepted Realtime press, as the settings file
  // holds them when the program starts.
  void StoreAcceptedOffsets() {
    IniFile ini;
    offsets::WriteSection(ini, accepted);
  }
  offsets::Entries accepted{"0.50", "2.00", "1.50", "1480", "1.00", "Harbour", "Launch", "Surveyor", ""};

  // The last line of the survey record, split into its columns.
  QStringList LastRecord() const {
    return QString::fromStdString(env.ReadFile(CoordinatesFileName)).trimmed().split('\n').last().trimmed().split(',');
  }

  // The grid position PROJ gives for a WGS-84 position on the fixture's grid.
  static oracle::Row Proj(double latitude, double longitude) {
    const std::vector<oracle::Row> rows =
        oracle::Cct("+proj=tmerc +lat_0=0 +lon_0=9 +k_0=0.9996 +x_0=500000 +y_0=1000 +ellps=WGS84",
                    {{longitude, latitude, 0, 0}});
    return rows.empty() ? oracle::Row{0, 0} : rows[0];
  }

  void Gnss(const std::string& line) { FNav->ZGPS1NewCommand(FNav->ZGPS1, line); }
  void Sounder(const std::string& line) { FNav->ZSENSORNewCommand(FNav->ZSENSOR, line); }
  void Tick() { FNav->tMapTimer(FNav->tMap); }
  // The receiver's decoded fix and position, as its GGA line and position
  // event leave them.
  void At(double latitude, double longitude, int quality = 4, double altitude = 12.5) {
    Gnss("$GPGGA,120000.00,0000.0000,N,00000.0000,E," + std::to_string(quality) + ",12,,,M,,M,,");
    FNav->ZGPS1->FixQuality = quality;
    FNav->ZGPS1->Satellites = 12;
    FNav->ZGPS1Position3DChange(FNav->ZGPS1, latitude, longitude, altitude);
  }
  // The offsets copies, as the first receiver line with the dialog closed takes them.
  void TakeOffsets() { Gnss("$GPZDA,120000.00,30,01,2026,00,00*61"); }
};

// ---------------------------------------------------------------------------
// GNSS receiver

TEST_F(SurveyRoadWindow, FirstReceiverLineOfASurveyStartsTheMap) {
  StartSurveyWindows();
  GNSSOpenTick = 0;  // no survey: the map stays off
  Gnss("$HEHDT,274.07,T");
  EXPECT_FALSE(FNav->tMap->isActive());
  EXPECT_DOUBLE_EQ(GyroHeading, 274.07);

  GNSSOpenTick = 1234;
  FNav->ZGPS1Timeout(FNav->ZGPS1);  // the monitor red, as a report leaves it
  Gnss("$HEHDT,,T");                // an empty heading keeps the last one
  EXPECT_TRUE(FNav->tMap->isActive());
  EXPECT_DOUBLE_EQ(GyroHeading, 274.07);
  EXPECT_EQ(WindowColour(fRealtime->GPSGroupBox), clLime);
  EXPECT_EQ(MemoColour(FGPS->MemoGPS), clWhite);

  // While a shape is being drawn the map stays paused; afterwards a line starts it.
  FNav->tMap->stop();
  FNav->fcad->HasFirstPoint = true;
  Gnss("$HEHDT,270.00,T");
  EXPECT_FALSE(FNav->tMap->isActive());
  FNav->fcad->HasFirstPoint = false;
  Gnss("$HEHDT,270.00,T");
  EXPECT_TRUE(FNav->tMap->isActive());
  FNav->tMap->stop();
}

TEST_F(SurveyRoadWindow, ReceiverSentencesSetHeadingSpeedAndRtkValues) {
  StartSurveyWindows();
  struct Row {
    const char* line;
    double heading, knots, antenna, tide;
    bool noPosition;
  };
  // Each row starts from heading 10, speed 3, antenna 1, tide 1 and a valid position.
  const std::vector<Row> rows = {
      {"$HEHDT,274.07,T", 274.07, 3, 1, 1, false},
      {"$HEHDT,,T", 10, 3, 1, 1, false},
      {"$GPVTG,054.7,T,,M,005.5,N,010.2,K", 10, 5.5, 1, 1, false},  // empty magnetic track
      {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48", 10, 5.5, 1, 1, false},
      {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", 10, 22.4, 1, 1, false},
      {"$GPRMC,123519,V,,,,,,,230394,,*33", 10, 0, 1, 1, false},
      {"$GPGGA,120000.00,0000.0000,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*5A", 10, 3, 48.6, 47.1, false},
      {"$GPGGA,120000.00,0000.0000,N,00900.0000,E,4,12,0.8,12.5,M,,M,,*40", 10, 3, 12.5, 11.0, false},
      {"$GPGGA,120000.00,0000.0000,N,00900.0000,E,5,12,0.8,12.5,M,36.1,M,,*5B", 10, 3, 1, 1, false},
      {"$GPGGA,000000.00,0000.0000,N,00900.0000,E,1,12,0.8,12.5,M,36.1,M,,*5C", 10, 3, 1, 1, false},  // midnight
      {"$GPGGA,,,,,,0,00,,,M,,M,,*66", 10, 3, 1, 1, true},
      // Lines that only mention a type are not of it.
      {"$GNTXT,01,01,02,GGA output rate changed*5C", 10, 3, 1, 1, false},
      {"$PUBX,40,GGA,0,1,0,0,0,0*5A", 10, 3, 1, 1, false},
      {"$GPTXT,01,01,02,HDT RMC VTG off", 10, 3, 1, 1, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    GyroHeading = 10;
    SpeedKnots = 3;
    RTKAntennaHeight = RTKTide = 1;
    NoValidPosition = false;
    Gnss(row.line);
    EXPECT_NEAR(GyroHeading, row.heading, 1e-9);
    EXPECT_NEAR(SpeedKnots, row.knots, 1e-9);
    EXPECT_NEAR(RTKAntennaHeight, row.antenna, 1e-9);
    EXPECT_NEAR(RTKTide, row.tide, 1e-9);
    EXPECT_EQ(NoValidPosition, row.noPosition);
  }
  EXPECT_TRUE(FMsg->Msg->toPlainText().isEmpty());
}

// The survey corrects every sounding with the offsets of the last accepted
// Realtime press (here those stored at start), also soundings that come
// before the first receiver line of a survey the main window started. Texts
// typed in the dialog, half typed or cancelled, change no record; Cancel puts
// the accepted texts back, and only the next accepted press changes the
// offsets.
TEST_F(SurveyRoadWindow, OffsetsTypedAndCancelledDuringASurveyChangeNoRecord) {
  StartSurveyWindows();
  Offsets->show();
  Offsets->OffsetA->setText("5.0");
  Offsets->SV->setText("1490");
  FNav->Realtime->click();
  ASSERT_EQ(RealtimeActive, 1);
  EXPECT_EQ(SVValue, 1480);
  EXPECT_EQ(OffsetAValue, 0.5);
  EXPECT_EQ(TideHtValue, 1.0);

  auto sounding = [&](const char* line) {
    Sounder(line);
    const QStringList r = LastRecord();
    EXPECT_EQ(r.size(), 18);
    return r.mid(7, 1) + r.mid(12, 2);  // true depth, sound velocity, draft
  };
  const QStringList accepted = {"10.37", "1480.00", "0.50"};  // 10 x 1480 / 1500 + 0.50
  EXPECT_EQ(sounding("$SDDPT,10.00,0.5*7D"), accepted);  // before any receiver line
  Offsets->OffsetA->setText("2");  // half typed
  EXPECT_EQ(sounding("$SDDPT,10.00,0.5*7D"), accepted);
  Offsets->OffsetA->setText("");
  EXPECT_EQ(sounding("$SDDPT,10.00,0.5*7D"), accepted);
  TakeOffsets();
  EXPECT_EQ(OffsetAValue, 0.5);

  Offsets->BitBtn3->click();  // Cancel
  EXPECT_FALSE(Offsets->isVisible());
  EXPECT_EQ(Offsets->OffsetA->text(), "0.50");
  EXPECT_EQ(Offsets->SV->text(), "1480");
  TakeOffsets();
  EXPECT_EQ(sounding("$SDDPT,10.00,0.5*7D"), accepted);
  EXPECT_EQ(offsets::ReadSection(IniFile()).offsetA, "0.50");
  EXPECT_FALSE(platform::FileExists(offsets::ReportFileName()));

  // An accepted press during the survey: the next soundings use its offsets.
  Offsets->show();
  Offsets->OffsetA->setText("0.60");
  Offsets->OffsetB->setText("2.10");
  Offsets->BitBtn1->click();
  EXPECT_FALSE(Offsets->isVisible());
  EXPECT_EQ(RealtimeActive, 1);  // the survey keeps running
  EXPECT_EQ(sounding("$SDDPT,10.00,0.5*7D"), (QStringList{"10.47", "1480.00", "0.60"}));
  EXPECT_EQ(OffsetAValue, 0.6);
  FNav->Realtime->click();
}

// Offsets stored by hand that are no numbers: the last valid value (0 before
// any) is used and each bad text is told once, not on every line.
TEST_F(SurveyRoadWindow, BadStoredOffsetsAreToldOnce) {
  accepted.offsetA = "";
  accepted.sv = "15OO";
  StartSurveyWindows();
  for (int i = 0; i < 3; ++i) TakeOffsets();
  Sounder("$SDDPT,10.00,0.5*7D");
  EXPECT_EQ(OffsetAValue, 0);
  EXPECT_EQ(SVValue, 0);
  EXPECT_EQ(OffsetCValue, 1.5);
  const std::string msg = FMsg->Msg->toPlainText().toStdString();
  EXPECT_EQ(Count(msg, "Offset A (transducer draft) is empty; 0 is used."), 1u) << msg;
  EXPECT_EQ(Count(msg, "SV (sound velocity): \"15OO\" is not a number; 0 is used."), 1u) << msg;
  EXPECT_TRUE(FMsg->isVisible());
  EXPECT_EQ(Count(EventsLog(), "\tOffset A (transducer draft) is empty; 0 is used."), 1u);
}

TEST_F(SurveyRoadWindow, FixQualityColourChangesOnlyWithTheQuality) {
  StartSurveyWindows();
  struct Row {
    int quality;
    TColor colour;
  };
  for (const Row& row : std::vector<Row>{{4, clLime}, {2, clAqua}, {5, clYellow}, {3, clYellow}, {1, clRed},
                                         {0, clRed}, {4, clLime}}) {
    FNav->ZGPS1->FixQuality = row.quality;
    TakeOffsets();
    EXPECT_EQ(WindowColour(fRealtime->GPSGroupBox), row.colour) << row.quality;
    EXPECT_EQ(ShownFixQuality, row.quality);
  }
  // After an idle report the box stays red while the quality stays the same.
  FNav->ZGPS1Idle(FNav->ZGPS1);
  TakeOffsets();
  EXPECT_EQ(WindowColour(fRealtime->GPSGroupBox), clRed);
}

TEST_F(SurveyRoadWindow, ReceivedLinesEchoIntoTheShownMonitor) {
  StartSurveyWindows();
  Gnss("$HEHDT,1.0,T");  // monitor hidden
  EXPECT_EQ(FGPS->MemoGPS->toPlainText(), "NMEA POSITION DATA");
  FGPS->show();
  Gnss("$HEHDT,2.0,T");
  EXPECT_EQ(LastLine(FGPS->MemoGPS), "$HEHDT,2.0,T");
  Sounder("$SDDPT,12.34,0.5*56");
  EXPECT_EQ(LastLine(FGPS->MemoSensor), "$SDDPT,12.34,0.5*56");
  FNav->EchoToMonitor = false;  // a mouse button held in a monitor
  Gnss("$HEHDT,3.0,T");
  EXPECT_EQ(LastLine(FGPS->MemoGPS), "$HEHDT,2.0,T");
}

TEST_F(SurveyRoadWindow, DeviceEventsAreShownLoggedAndActOnTheWindows) {
  StartSurveyWindows();
  struct Row {
    const char* text;
    bool showsMessages;
    std::function<void()> raise;
    std::function<void()> check;
  };
  const std::vector<Row> rows = {
      {"Connected to GPS on COM5", false, [] { FNav->ZGPS1Connect(FNav->ZGPS1, 5); },
       [] {
         EXPECT_TRUE(FNav->Realtime->isChecked());
         EXPECT_EQ(VesselLayer, FNav->fcad->LayerFindByName("~~Quarix Vessel"));
         EXPECT_EQ(FNav->fcad->GetLayerAction(VesselLayer), 1);
       }},
      {"Disconnected from GPS on COM5", true,
       [] {
         FNav->tMap->start();
         FNav->ZGPS1Disconnect(FNav->ZGPS1, 5);
       },
       [] {
         EXPECT_FALSE(FNav->tMap->isActive());
         EXPECT_FALSE(FNav->Realtime->isChecked());
       }},
      {"GPS is idle!", true,
       [] {
         FNav->tMap->start();
         FNav->ZGPS1Position3DChange(FNav->ZGPS1, 41.5, 29.1, 12.5);
         FNav->ZGPS1Idle(FNav->ZGPS1);
       },
       [] {
         EXPECT_FALSE(FNav->tMap->isActive());
         EXPECT_EQ(GNSSLatitude, 0);
         EXPECT_EQ(GNSSLongitude, 0);
         EXPECT_EQ(GNSSAltitude, 12.5);
         EXPECT_EQ(WindowColour(fRealtime->GPSGroupBox), clRed);
       }},
      {"GPS Timeout!", true, [] { FNav->ZGPS1Timeout(FNav->ZGPS1); },
       [] { EXPECT_EQ(MemoColour(FGPS->MemoGPS), clRed); }},
      {"Command sent to device: $PASHS,RST", true, [] { FNav->ZGPS1Send(FNav->ZGPS1, "$PASHS,RST"); }, [] {}},
      {"Sensor TimeOut.", true, [] { FNav->ZSENSORTimeout(); },
       [] {
         EXPECT_EQ(WindowColour(fRealtime->DepthFrameHi), clRed);
         EXPECT_EQ(WindowColour(fRealtime->DepthFrameLo), clRed);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    FMsg->hide();
    row.raise();
    EXPECT_EQ(FMsg->isVisible(), row.showsMessages);
    EXPECT_EQ(LastLine(FMsg->Msg), row.text);
    EXPECT_EQ(Count(EventsLog(), std::string("Auto Event:\t2026-01-30 143512345\t") + row.text), 1u);
    row.check();
  }
  FNav->tMap->stop();
}

TEST_F(SurveyRoadWindow, SpeedEventShowsKnotsWithOneDecimal) {
  StartSurveyWindows();
  FNav->ZGPS1SpeedChange(FNav->ZGPS1, 18.52);
  EXPECT_EQ(fRealtime->Speed->text(), "10.0");
  FNav->ZGPS1SpeedChange(FNav->ZGPS1, 1.0);
  EXPECT_EQ(fRealtime->Speed->text(), "0.5");
}

// ---------------------------------------------------------------------------
// Echo sounder

TEST_F(SurveyRoadWindow, DepthLineIsCorrectedShownAndRecordedWithTheLastGridPosition) {
  StartSurveyWindows();
  TakeOffsets();
  Gnss("$GPGGA,120000.00,0000.0000,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*5A");
  At(0, 9);
  Tick();
  ASSERT_NEAR(GridEasting, 500000, 1e-6);
  ASSERT_NEAR(GridNorthing, 1000, 1e-6);
  EXPECT_FALSE(fWaterfal->isVisible());

  Sounder("$SDDPT,12.34,0.5*56");
  EXPECT_TRUE(fWaterfal->isVisible());
  EXPECT_FALSE(fRealtime->DepthFrameHi->isHidden());
  EXPECT_TRUE(fRealtime->DepthFrameLo->isHidden());
  EXPECT_TRUE(SounderDataSeen);
  EXPECT_NE(LastDepthTick, 0u);
  EXPECT_EQ(WindowColour(fRealtime->DepthFrameHi), clLime);
  EXPECT_EQ(fRealtime->lDepthHi->text(), "12.68");
  EXPECT_EQ(fRealtime->lDepthLo->text(), "0.50");
  EXPECT_NEAR(TrueDepthHi, 12.34 * 1480 / 1500 + 0.5, 1e-12);
  EXPECT_TRUE(NewDepthAvailable);
  EXPECT_EQ(DepthAlarmValue, 5);
  EXPECT_EQ(env.ReadFile(CoordinatesFileName),
            kHeader + "2026-01-30 143512345,0,9,500000.00,1000.00,-11.68,0.50,12.68,0.50,12.34,0,NMEA DPT,"
                      "1480.00,0.50,4,48.60,1.00,47.10\r\n");
  EXPECT_EQ(env.ReadFile(DayXYZFolder + "2026-01-30 Simple XYZ.csv"),
            "Easting,Northing,Elevation\r\n500000.00,1000.00,-11.68\r\n");

  // A line of another type gives no depth and no record line.
  NewDepthAvailable = false;
  Sounder("$SDDBT,40.5,f,12.3,M,6.7,F*06");
  EXPECT_EQ(fRealtime->lDepthHi->text(), "--.-");
  EXPECT_EQ(fRealtime->lDepthLo->text(), "--.-");
  EXPECT_EQ(TrueDepthHi, 0);
  EXPECT_FALSE(NewDepthAvailable);
  EXPECT_EQ(Count(env.ReadFile(CoordinatesFileName), "\n"), 2u);
  EXPECT_TRUE(FMsg->Msg->toPlainText().isEmpty());
}

TEST_F(SurveyRoadWindow, DepthAlarmColoursTheMapOnlyWhileTheSurveyButtonIsDown) {
  StartSurveyWindows();
  TakeOffsets();
  const TColor start = FNav->fcad->BackColor;
  Sounder("$SDDPT,3.0,0.5*51");  // 3.46 m, alarm at 5 m, button up
  EXPECT_EQ(FNav->fcad->BackColor, start);
  FNav->Realtime->setChecked(true);
  Sounder("$SDDPT,3.0,0.5*51");
  EXPECT_EQ(FNav->fcad->BackColor, clRed);
  FNav->Realtime->setChecked(false);
  Sounder("$SDDPT,30.0,0.5*61");
  EXPECT_EQ(FNav->fcad->BackColor, clRed);  // kept while the button is up
  FNav->Realtime->setChecked(true);
  Navset->fcadColor->SetSelected(clSilver);
  Sounder("$SDDPT,30.0,0.5*61");
  EXPECT_EQ(FNav->fcad->BackColor, clSilver);
}

// A first start has no navigation settings: the map's colour outside an
// alarm is the background box's colour of creation, white.
TEST_F(SurveyRoadWindow, AFirstStartsMapStaysWhiteAfterDepthLines) {
  accepted.sv = "1500";
  StoreAcceptedOffsets();
  Start();
  FGPS->SensorEnabled->setChecked(true);
  FGPS->cSBESMessage->setCurrentText("NMEA DPT");
  FGPS->eSBESFormat->setText("%*6s,%lf");
  Offsets->hide();
  TakeOffsets();
  FNav->Realtime->setChecked(true);
  ASSERT_EQ(Navset->edDepthAlert1->text(), "1");
  for (const char* line : {"$SDDPT,12.34,0.5*56", "$SDDPT,0.40,0.5*66", "$SDDPT,8.00,0.5*6A"}) {
    Sounder(line);
    EXPECT_EQ(FNav->fcad->BackColor, std::string(line) == "$SDDPT,0.40,0.5*66" ? clRed : clWhite) << line;
  }
}

TEST_F(SurveyRoadWindow, SentenceTypesShowTheirFramesAndBattery) {
  StartSurveyWindows();
  TakeOffsets();
  FGPS->cSBESMessage->setCurrentText("Quarix XDR H/L");
  FGPS->eSBESFormat->setText("%*8s,%lf,%*8s,%lf");
  Sounder("$SDXDR,D,7.50,M,XDHI,D,8.25,M,XDLO");
  EXPECT_FALSE(fRealtime->DepthFrameLo->isHidden());  // first line of the run
  EXPECT_EQ(fRealtime->lDepthHi->text(), "7.90");
  EXPECT_EQ(fRealtime->lDepthLo->text(), "8.64");
  // A partial scan takes no depth and records nothing.
  Sounder("$SDXDR,D,7.50,M,XDHI,D,,M,XDLO");
  EXPECT_EQ(fRealtime->lDepthHi->text(), "--.-");
  EXPECT_EQ(Count(env.ReadFile(CoordinatesFileName), "\n"), 2u);

  FGPS->cSBESMessage->setCurrentText("Quarix SMT");
  FGPS->eSBESFormat->setText("%*8s,%lf,%lf");
  Sounder("$PQSMT01,7.25,12.6");
  EXPECT_EQ(fJoystick->pBattery->text(), "12.60");
  Sounder("$PQSMT01,7.25");  // one value: no depth, the battery caption stays
  EXPECT_EQ(fJoystick->pBattery->text(), "12.60");
  EXPECT_EQ(fRealtime->lDepthHi->text(), "--.-");

  // A type that is none of the eight leaves everything as it was.
  FGPS->cSBESMessage->setCurrentText("NMEA DPT");
  FGPS->eSBESFormat->setText("%*6s,%lf");
  Sounder("$SDDPT,5.0,0.5*57");
  FGPS->cSBESMessage->addItem("Something else");
  FGPS->cSBESMessage->setCurrentText("Something else");
  Sounder("$SDDPT,9.0,0.5*5B");
  EXPECT_EQ(fRealtime->lDepthHi->text(), "5.43");
  EXPECT_NEAR(TrueDepthHi, 5.0 * 1480 / 1500 + 0.5, 1e-12);
  EXPECT_EQ(Count(env.ReadFile(CoordinatesFileName), "\n"), 4u);
}

TEST_F(SurveyRoadWindow, UnsafeScanFormatTakesNoDepthAndIsToldOnce) {
  StartSurveyWindows();
  TakeOffsets();
  for (const char* format : {"%s", "%*6s,%lf%n", "%*6s,%lf,%lf"}) {
    SCOPED_TRACE(format);
    FMsg->Msg->clear();
    FGPS->eSBESFormat->setText(format);
    Sounder("$SDDPT,12.34,0.5*56");
    Sounder("$SDDPT,12.34,0.5*56");
    EXPECT_EQ(fRealtime->lDepthHi->text(), "--.-");
    EXPECT_EQ(Count(FMsg->Msg->toPlainText().toStdString(), "cannot be used for NMEA DPT"), 1u);
  }
  EXPECT_EQ(Count(env.ReadFile(CoordinatesFileName), "\n"), 1u);  // the header alone
}

TEST_F(SurveyRoadWindow, SoundVelocityColumnOfTheProfile) {
  StartSurveyWindows();
  TakeOffsets();
  QStringList column;
  for (int i = 0; i <= 14; ++i) column << QString::number(1400 + i);
  fSVP->mSVPColumn->setPlainText(column.join('\n') + '\n');
  fSVP->cUseSVP->setChecked(true);
  ASSERT_TRUE(fSVP->cUseSVP->isChecked());
  Sounder("$SDDPT,12.5,0.5*64");  // line 13
  EXPECT_NEAR(TrueDepthHi, 12.5 * 1413 / 1500 + 0.5, 1e-12);
  EXPECT_EQ(fRealtime->lDepthHi->text().toStdString(), FormatFixed(TrueDepthHi, 2));
  EXPECT_NE(env.ReadFile(CoordinatesFileName).find(",1413.00,0.50,"), std::string::npos);
  Sounder("$SDDPT,12.49,0.5*5C");  // line 12
  EXPECT_NEAR(TrueDepthHi, 12.49 * 1412 / 1500 + 0.5, 1e-12);
  EXPECT_TRUE(FMsg->Msg->toPlainText().isEmpty());

  // Deeper than the column: its last line, told once.
  Sounder("$SDDPT,40,0.5*78");
  Sounder("$SDDPT,41,0.5*79");
  EXPECT_NEAR(TrueDepthHi, 41.0 * 1414 / 1500 + 0.5, 1e-12);
  EXPECT_EQ(Count(FMsg->Msg->toPlainText().toStdString(), "The SV column ends at line 14"), 1u);
}

// ---------------------------------------------------------------------------
// Navigation loop

TEST_F(SurveyRoadWindow, StatusTextsOfTheTick) {
  StartSurveyWindows();
  struct Row {
    int quality;
    const char* speed;  // the realtime window's speed caption
    bool offsetsShown, sensor, noPosition;
    double depth;
    const char* overlay;
  };
  const std::vector<Row> rows = {
      {4, "5.5", false, true, false, 12.68,
       "RTK Fix | Spd: 5.5 kn | SV: 12 | Ant: 48.60 m | Tide: 47.10 m | Depth: 12.68 m"},
      {5, "---", false, true, false, 0, "RTK Float | Spd: 0.0 kn | SV: 12 | Ant: 48.60 m | Tide: 47.10 m"},
      {3, "1.25", true, true, false, 3, "Fix:3 | Spd: 1.3 kn | SV: 12 | Ant: 48.60 m | Tide: - m | Depth: 3.00 m"},
      {2, "2", false, false, false, 3, "DGPS | Spd: 2.0 kn | SV: 12 | Ant: 48.60 m | Tide: 47.10 m"},
      {0, "2", false, true, true, 3, "*** EMPTY GGA - NO POSITION ***"},
  };
  RTKAntennaHeight = 48.6;
  RTKTide = 47.1;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.overlay);
    At(0, 9, row.quality);
    fRealtime->Speed->setText(row.speed);
    Offsets->setVisible(row.offsetsShown);
    FGPS->SensorEnabled->setChecked(row.sensor);
    NoValidPosition = row.noPosition;
    SoundingDepth = row.depth;
    Tick();
    EXPECT_EQ(GGAOverlayText, row.overlay);
    EXPECT_EQ(GGAFixQuality, row.quality);
    EXPECT_EQ(fRealtime->Fixed->text().toStdString(), std::to_string(row.quality));
    EXPECT_EQ(fRealtime->SatelliteLabel->text(), "12");
    EXPECT_EQ(fRealtime->LAntennaH->text(), "48.60");
    EXPECT_EQ(fRealtime->LTideHt->text(), row.offsetsShown ? "-" : "47.10");
  }
}

TEST_F(SurveyRoadWindow, TickConvertsFollowsAndFillsStatusBarAndNtripWindow) {
  StartSurveyWindows();
  At(0.001, 9.002);
  GyroHeading = 90;
  Tick();
  EXPECT_EQ(FNav->DatumParams,
            "6378137.0  0.0033528106647474  0.0  0.0  0.0  0.0  0.0  0.0  0.0 6378137.0 0.0033528106647474 "
            "0 0 0 0 0 0 0");
  EXPECT_NEAR(GridEasting, 500000 + 0.002 * kMetresPerDegree, 0.5);
  EXPECT_NEAR(GridNorthing, 1000 + 110.6, 0.5);
  EXPECT_LT(GridConvergence, 0);  // east of the central meridian
  EXPECT_NEAR(GridHeading, 90 + GridConvergence, 1e-12);
  EXPECT_NEAR((FNav->fcad->WorldLeft + FNav->fcad->WorldRight) / 2, GridEasting, 1e-6);
  EXPECT_NEAR((FNav->fcad->WorldTop + FNav->fcad->WorldBottom) / 2, GridNorthing, 1e-6);
  EXPECT_EQ(FNav->sStatusBar->PanelText(0), QString::fromUtf8("0°0'3.600\"N, 9°0'7.200\"E"));
  EXPECT_EQ(FNav->sStatusBar->PanelText(1).toStdString(),
            "E" + FormatFixed(GridEasting, 2) + ", N" + FormatFixed(GridNorthing, 2));
  for (int i : {0, 1})
    EXPECT_EQ(FNav->sStatusBar->PanelWidth(i), FNav->sStatusBar->TextWidth(FNav->sStatusBar->PanelText(i)) + 20);
  EXPECT_EQ(frmNTRIPSettings->edtLatitude->text(), "0.00100000");
  EXPECT_EQ(frmNTRIPSettings->edtLongitude->text(), "9.00200000");

  // Not following: the view stays; parameters changed later do not count.
  FollowVesselActive = false;
  const double left = FNav->fcad->WorldLeft;
  FGPS->edFE->setText("0");
  At(0.002, 9.002);
  Tick();
  EXPECT_EQ(FNav->fcad->WorldLeft, left);
  EXPECT_NEAR(GridEasting, 500000 + 0.002 * kMetresPerDegree, 0.5);
  FollowVesselActive = true;

  // Without the gyro the heading is the course over ground.
  FGPS->GyroEnabled->setChecked(false);
  FNav->ZGPS1->Course = 45;
  Tick();
  EXPECT_NEAR(GridHeading, 45 + GridConvergence, 1e-12);

  // A position that does not convert ends the tick: the grid position and the
  // vessel stay as they were.
  const double easting = GridEasting;
  const size_t vessel = ShapesOn(FNav->fcad, "~~Quarix Vessel").size();
  At(95, 9.5);
  Tick();
  EXPECT_EQ(GridEasting, easting);
  EXPECT_EQ(ShapesOn(FNav->fcad, "~~Quarix Vessel").size(), vessel);
}

TEST_F(SurveyRoadWindow, LambertConvergenceAndRejectedSetUp) {
  StartSurveyWindows();
  FGPS->cbUseLCCProjection->setChecked(true);
  FGPS->cLambert1->setChecked(true);
  const std::vector<std::pair<QLineEdit*, const char*>> lambert = {
      {FGPS->eLCCCP, "45"}, {FGPS->eLCCM, "0"}, {FGPS->eLCCSF, "1"}, {FGPS->eLCCFE, "600000"},
      {FGPS->eLCCFN, "200000"}, {FGPS->eLCCSP1, "44"}, {FGPS->eLCCSP2, "46"}};
  for (const auto& [edit, text] : lambert) edit->setText(text);
  GyroHeading = 90;
  At(45, 3);
  Tick();
  EXPECT_NEAR(GridConvergence, -std::sin(45 * std::numbers::pi / 180) * 3, 1e-9);
  EXPECT_NEAR(GridHeading, 90 - std::sin(45 * std::numbers::pi / 180) * 3, 1e-9);
  EXPECT_GT(GridEasting, 600000);
  EXPECT_GT(GridNorthing, 200000);
  EXPECT_LT(GridNorthing, 210000);
  At(45, -3);
  Tick();
  EXPECT_NEAR(GridConvergence, std::sin(45 * std::numbers::pi / 180) * 3, 1e-9);
  EXPECT_TRUE(FMsg->Msg->toPlainText().isEmpty());
}

TEST_F(SurveyRoadWindow, RejectedLambertSetUpEndsTheTickAndIsToldOnce) {
  StartSurveyWindows();
  FGPS->cbUseLCCProjection->setChecked(true);
  FGPS->cLambert1->setChecked(true);
  FGPS->eLCCCP->setText("45");
  FGPS->eLCCM->setText("0");
  FGPS->eLCCSF->setText("0.1");  // outside 0.3 .. 3
  FGPS->eLCCFE->setText("600000");
  FGPS->eLCCFN->setText("200000");
  GridEasting = 123;
  GridNorthing = 456;
  At(45, 3);
  Tick();
  Tick();
  EXPECT_EQ(GridEasting, 123);
  EXPECT_EQ(GridNorthing, 456);
  EXPECT_TRUE(ShapesOn(FNav->fcad, "~~Quarix Vessel").empty());
  EXPECT_EQ(Count(FMsg->Msg->toPlainText().toStdString(), "Lambert projection parameters are not accepted"), 1u);
}

TEST_F(SurveyRoadWindow, VesselSymbolFromTheGeometryEdits) {
  StartSurveyWindows();
  GyroHeading = 90;  // bow to grid east (the convergence is 0 on the central meridian)
  At(0, 9);
  Tick();
  Tick();
  std::vector<TQShape*> shapes = ShapesOn(FNav->fcad, "~~Quarix Vessel");
  ASSERT_EQ(shapes.size(), 7u);  // five lines, two circles: one symbol however many ticks
  const double e = 500000, n = 1000;
  const double expected[5][4] = {{e, n, e + 10, n}, {e, n, e, n - 4}, {e, n, e, n + 4},
                                 {e + 10, n, e, n - 4}, {e + 10, n, e, n + 4}};
  for (int i = 0; i < 5; ++i) {
    auto* l = dynamic_cast<TQLine*>(shapes[i]);
    ASSERT_NE(l, nullptr);
    EXPECT_NEAR(l->X1, expected[i][0], 1e-6);
    EXPECT_NEAR(l->Y1, expected[i][1], 1e-6);
    EXPECT_NEAR(l->X2, expected[i][2], 1e-6);
    EXPECT_NEAR(l->Y2, expected[i][3], 1e-6);
    EXPECT_EQ(l->PenFg, clBlue);
    EXPECT_EQ(l->PenWidth, 2);
  }
  for (int i = 0; i < 2; ++i) {
    auto* c = dynamic_cast<TQCircle*>(shapes[5 + i]);
    ASSERT_NE(c, nullptr);
    EXPECT_NEAR(c->Radius, 5 + 5 * i, 1e-12);
  }

  // An empty edit keeps its value; a bad one keeps it and is told once.
  FShape->edAmount->setText("");
  FShape->edBArrow->setText("x");
  Tick();
  Tick();
  shapes = ShapesOn(FNav->fcad, "~~Quarix Vessel");
  ASSERT_EQ(shapes.size(), 7u);
  EXPECT_NEAR(dynamic_cast<TQLine*>(shapes[0])->X2, e + 10, 1e-6);
  EXPECT_EQ(Count(FMsg->Msg->toPlainText().toStdString(), "Arrow bow length: \"x\" is not a number; 10 is used."),
            1u);
}

TEST_F(SurveyRoadWindow, WithoutTheVesselLayerNoSymbolPilesUpElsewhere) {
  StartSurveyWindows();
  At(0, 9);
  Tick();
  const size_t shapes = FNav->fcad->Shapes.size();
  FNav->fcad->LayerClear(VesselLayer);
  VesselLayer = -1;
  Tick();
  Tick();
  EXPECT_EQ(FNav->fcad->Shapes.size(), shapes - 7);
}

TEST_F(SurveyRoadWindow, EmptyGeometryFromTheStartCollapsesTheArrow) {
  StartSurveyWindows();
  for (QLineEdit* e : {FShape->edAmount, FShape->edInterval, FShape->edRadious, FShape->edLArrow, FShape->edBArrow})
    e->setText("");
  At(0, 9);
  Tick();
  const std::vector<TQShape*> shapes = ShapesOn(FNav->fcad, "~~Quarix Vessel");
  ASSERT_EQ(shapes.size(), 5u);
  for (TQShape* s : shapes) {
    auto* l = dynamic_cast<TQLine*>(s);
    ASSERT_NE(l, nullptr);
    EXPECT_NEAR(l->X1, l->X2, 1e-9);
    EXPECT_NEAR(l->Y1, l->Y2, 1e-9);
  }
  EXPECT_TRUE(FMsg->Msg->toPlainText().isEmpty());
}

TEST_F(SurveyRoadWindow, TrackPointsFollowTheGateOnTheLayerOfTheFix) {
  StartSurveyWindows();
  const double step = 1.0 / kMetresPerDegree;  // one metre east
  struct Row {
    double metres;  // east of the central meridian
    int quality;
    bool noPosition;
    const char* layer;  // where a point lands, "" for none
  };
  const std::vector<Row> rows = {
      {0, 4, false, ""},              // the first tick anchors
      {5, 4, false, ""},              // too short
      {12, 4, false, "track_fix"},    // 12 m from the anchor
      {20, 5, false, ""},             // 8 m: too short
      {24, 5, false, "track_float"},  // 12 m
      {36, 3, false, "track_float"},
      {48, 1, false, "track_nofix"},
      {300, 4, false, ""},            // a jump
      {60, 4, true, ""},              // no usable position
      {60, 4, false, "track_fix"},
  };
  int points = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.metres);
    At(0, 9 + row.metres * step, row.quality);
    NoValidPosition = row.noPosition;
    Tick();
    for (const char* layer : {"track_fix", "track_float", "track_nofix"}) {
      const std::vector<TQShape*> on = ShapesOn(FNav->fcad, layer);
      if (row.layer == std::string(layer)) {
        ASSERT_FALSE(on.empty());
        auto* p = dynamic_cast<TQPoint*>(on.back());
        ASSERT_NE(p, nullptr);
        EXPECT_NEAR(p->X, GridEasting, 1e-6);
        EXPECT_EQ(p->PenWidth, 3);
      }
    }
    const int now = static_cast<int>(ShapesOn(FNav->fcad, "track_fix").size() +
                                     ShapesOn(FNav->fcad, "track_float").size() +
                                     ShapesOn(FNav->fcad, "track_nofix").size());
    EXPECT_EQ(now, points + (*row.layer ? 1 : 0));
    points = now;
  }
  EXPECT_EQ(ShapesOn(FNav->fcad, "track_fix").front()->PenFg, clLime);
  EXPECT_EQ(ShapesOn(FNav->fcad, "track_float").front()->PenFg, clYellow);
  EXPECT_EQ(ShapesOn(FNav->fcad, "track_nofix").front()->PenFg, clRed);

  // As a line: from the position to the last point.
  Navset->cLineOrDot->setChecked(true);
  At(0, 9 + 72 * step, 4);
  Tick();
  auto* line = dynamic_cast<TQLine*>(ShapesOn(FNav->fcad, "track_fix").back());
  ASSERT_NE(line, nullptr);
  EXPECT_NEAR(line->X1 - line->X2, 12, 0.01);
}

TEST_F(SurveyRoadWindow, TrackIsAnchoredAfreshWhenTheMapStartsAgainAndAfterRepeatedJumps) {
  StartSurveyWindows();
  const double step = 1.0 / kMetresPerDegree;
  auto points = [&] { return ShapesOn(FNav->fcad, "track_fix").size(); };
  // Anchored on a usable position only: an empty GGA's (0, 0) does not count.
  At(0, 0);
  NoValidPosition = true;
  Tick();
  NoValidPosition = false;
  At(0, 9);
  Tick();  // anchors here
  At(0, 9 + 12 * step);
  Tick();
  EXPECT_EQ(points(), 1u);

  // Three jumps in a row: the third becomes the new reference, without a point.
  for (int i = 0; i < 3; ++i) {
    At(0, 9 + (1000 + i) * step);
    Tick();
  }
  EXPECT_EQ(points(), 1u);
  At(0, 9 + 1014 * step);
  Tick();
  EXPECT_EQ(points(), 2u);

  // The map timer stopped (idle) and started again by a receiver line: the
  // next position anchors, even 12 m on.
  GNSSOpenTick = 1;
  FNav->ZGPS1Idle(FNav->ZGPS1);
  TakeOffsets();
  EXPECT_TRUE(FNav->tMap->isActive());
  FNav->tMap->stop();
  At(0, 9 + 1026 * step);
  Tick();
  EXPECT_EQ(points(), 2u);
  At(0, 9 + 1038 * step);
  Tick();
  EXPECT_EQ(points(), 3u);

  // A drawing on the map pauses the loop; when it ends the track anchors afresh.
  FNav->fcadDrawBegin(FNav->fcad, 17, 0, 0);
  EXPECT_FALSE(FNav->tMap->isActive());
  FNav->fcadDrawEnd(FNav->fcad, 17, 0, 0);
  EXPECT_TRUE(FNav->tMap->isActive());
  FNav->tMap->stop();
  At(0, 9 + 1050 * step);
  Tick();
  EXPECT_EQ(points(), 3u);
  At(0, 9 + 1062 * step);
  Tick();
  EXPECT_EQ(points(), 4u);
}

TEST_F(SurveyRoadWindow, BadTrackDistanceKeepsTheLastValueAndTheTickGoesOn) {
  StartSurveyWindows();
  const double step = 1.0 / kMetresPerDegree;
  At(0, 9);
  Tick();
  Navset->TrackDistance->setText("ten");
  At(0, 9 + 12 * step);
  Tick();
  Tick();
  EXPECT_EQ(ShapesOn(FNav->fcad, "track_fix").size(), 1u);
  EXPECT_EQ(ShapesOn(FNav->fcad, "~~Quarix Vessel").size(), 7u);
  EXPECT_EQ(Count(FMsg->Msg->toPlainText().toStdString(), "Track distance (Dist): \"ten\" is not a number; 10 is used."),
            1u);
}

TEST_F(SurveyRoadWindow, DepthLabelAndDepthAndSpeedPanel) {
  StartSurveyWindows();
  ShowDepthLabels = true;
  DepthLabelSpacing = 10;
  At(0, 9);
  TrueDepthHi = SoundingDepth = 12.68;
  TrueDepthLo = 14.2;
  SpeedKnots = 5.5;
  Tick();
  Tick();  // the same place: the canvas refuses a second label
  ASSERT_EQ(FNav->fcad->DepthLabels.size(), 1u);
  EXPECT_NEAR(FNav->fcad->DepthLabels[0].X, 500000, 1e-6);
  EXPECT_EQ(FNav->fcad->DepthLabels[0].Depth, 12.68);
  EXPECT_EQ(FNav->fcad->CurrentDepth, 12.68);
  EXPECT_EQ(FNav->fcad->CurrentDepthLo, 0.0);  // the low-frequency frame is hidden
  EXPECT_TRUE(FNav->fcad->ShowCurrentDepth);
  EXPECT_EQ(FNav->fcad->CurrentSpeed, 5.5);
  EXPECT_TRUE(FNav->fcad->ShowCurrentSpeed);

  fRealtime->DepthFrameLo->show();
  Tick();
  EXPECT_EQ(FNav->fcad->CurrentDepthLo, 14.2);

  // Without the echo sounder the depth panel keeps its values; the speed goes on.
  FGPS->SensorEnabled->setChecked(false);
  TrueDepthHi = 3;
  SpeedKnots = 1;
  Tick();
  EXPECT_EQ(FNav->fcad->CurrentDepth, 12.68);
  EXPECT_EQ(FNav->fcad->CurrentSpeed, 1);
}

// A position the receiver did not give (zeroed by the idle report, or a GGA
// without one) is neither handed on, converted, followed, drawn nor labelled,
// and the soundings taken meanwhile say so by fix quality 0.
TEST_F(SurveyRoadWindow, APositionTheReceiverDidNotGiveLeavesNoTrace) {
  struct Row {
    const char* name;
    std::function<void()> lose;
    const char* status;  // the status box's text begins so
    bool toldAtOnce;     // before the next tick
  };
  const std::vector<Row> rows = {
      {"idle report", [] { FNav->ZGPS1Idle(FNav->ZGPS1); }, "No Fix | ", true},
      {"GGA without a position", [this] { At(0, 0, 0); }, "No Fix | ", false},
      {"GGA without a time", [] { NoValidPosition = true; }, "*** EMPTY GGA - NO POSITION ***", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    StartSurveyWindows();
    ShowDepthLabels = true;
    DepthLabelSpacing = 1;
    TakeOffsets();
    At(0.001, 9.002);
    SoundingDepth = 12.68;
    Tick();
    const double easting = GridEasting, northing = GridNorthing;
    const double left = FNav->fcad->WorldLeft, top = FNav->fcad->WorldTop;
    const size_t labels = FNav->fcad->DepthLabels.size();
    ASSERT_EQ(labels, 1u);
    std::vector<double> vessel;
    for (TQShape* s : ShapesOn(FNav->fcad, "~~Quarix Vessel"))
      if (auto* line = dynamic_cast<TQLine*>(s)) vessel.push_back(line->X1);
    ASSERT_FALSE(vessel.empty());
    const QString panel = FNav->sStatusBar->PanelText(1);

    row.lose();
    // The idle report stops the map, so it tells the status box itself; the
    // map goes on ticking all the same once a finished drawing restarts it.
    if (row.toldAtOnce) EXPECT_EQ(GGAOverlayText.rfind(row.status, 0), 0u) << GGAOverlayText;
    SoundingDepth = 7.5;
    Tick();
    Tick();
    EXPECT_EQ(GGAOverlayText.rfind(row.status, 0), 0u) << GGAOverlayText;
    EXPECT_EQ(GGAFixQuality, 0);
    EXPECT_EQ(fRealtime->Fixed->text(), "0");
    EXPECT_EQ(GridEasting, easting);
    EXPECT_EQ(GridNorthing, northing);
    EXPECT_EQ(FNav->fcad->WorldLeft, left);
    EXPECT_EQ(FNav->fcad->WorldTop, top);
    EXPECT_EQ(FNav->fcad->DepthLabels.size(), labels);
    std::vector<double> after;
    for (TQShape* s : ShapesOn(FNav->fcad, "~~Quarix Vessel"))
      if (auto* line = dynamic_cast<TQLine*>(s)) after.push_back(line->X1);
    EXPECT_EQ(after, vessel);
    EXPECT_EQ(FNav->sStatusBar->PanelText(1), panel);
    EXPECT_EQ(frmNTRIPSettings->edtLatitude->text(), "0.00100000");

    // A sounding meanwhile: no position and fix quality 0, and no simple XYZ line.
    const std::string xyz = env.ReadFile(survey::SimpleXYZFileName());
    Sounder("$SDDPT,12.34,0.5*56");
    const QStringList fields = LastRecord();
    ASSERT_EQ(fields.size(), 18);
    EXPECT_EQ(fields.mid(1, 4), (QStringList{"", "", "", ""}));
    EXPECT_EQ(fields[14], "0");
    EXPECT_EQ(env.ReadFile(survey::SimpleXYZFileName()), xyz);

    // A position given again counts again.
    NoValidPosition = false;
    At(0.002, 9.002);
    Tick();
    EXPECT_EQ(GGAFixQuality, 4);
    EXPECT_GT(GridNorthing, northing);
    Sounder("$SDDPT,12.34,0.5*56");
    EXPECT_EQ(QString::fromStdString(env.ReadFile(CoordinatesFileName)).trimmed().split('\n').last().split(',')[14],
              "4");
    TearDown();
  }
}

TEST_F(SurveyRoadWindow, LatencyOfTheTickWhileItsWindowIsShown) {
  StartSurveyWindows();
  uint32_t tick = 1000;
  platform::SetTickSource([&tick] { return tick += 4; });
  At(0, 9);
  const QString before = fLatency->eCurrentLatency->text();
  Tick();
  EXPECT_EQ(fLatency->eCurrentLatency->text(), before);  // not measured while hidden
  fLatency->show();
  Tick();
  EXPECT_EQ(fLatency->eCurrentLatency->text(), "4");
  EXPECT_EQ(fLatency->eLatencyAveraged->text(), "4.0");
}

// ---------------------------------------------------------------------------
// From the ports to the files

class SurveyRoadPorts : public SurveyRoadWindow {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gnss.Ok() && sounder.Ok());
    IniFile ini;
    ini.WriteString("SERIAL_PORT_MAP", "COM5", gnss.DevicePath());
    ini.WriteString("SERIAL_PORT_MAP", "COM6", sounder.DevicePath());
  }
  // Sends lines and polls the device until its last line has been handled.
  static bool Feed(PtyPair& pty, TQuarixSerialGPS* device, const std::string& lines,
                   const std::function<bool()>& handled) {
    if (!pty.Send(lines)) return false;
    return WaitFor([&] {
      device->PollTimerTimer();
      return handled();
    });
  }
  PtyPair gnss, sounder;
};

TEST_F(SurveyRoadPorts, SoundingTravelsFromThePortsIntoTheRecordsAndTheTrack) {
  StartSurveyWindows();
  FGPS->Port->setCurrentText("COM5");
  FGPS->SPort->setCurrentText("COM6");
  FNav->RealtimeClick();
  ASSERT_TRUE(FNav->ZGPS1->Active && FNav->ZSENSOR->Active);
  EXPECT_NE(EventsLog().find("\tConnected to GPS on COM5"), std::string::npos);

  ASSERT_TRUE(Feed(gnss, FNav->ZGPS1,
                   "$GPGGA,120000.00,0000.0000,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*5A\r\n$HEHDT,274.07,T\r\n",
                   [] { return GyroHeading == 274.07; }));
  EXPECT_TRUE(FNav->tMap->isActive());  // runs on (no event loop here: the test ticks itself)
  EXPECT_EQ(GNSSLongitude, 9);
  EXPECT_EQ(FNav->ZGPS1->GetFixQuality(), 4);
  Tick();
  Tick();
  ASSERT_TRUE(Feed(sounder, FNav->ZSENSOR, "$SDDPT,12.34,0.5*56\r\n", [] { return NewDepthAvailable; }));
  EXPECT_EQ(env.ReadFile(CoordinatesFileName),
            kHeader + "2026-01-30 143512345,0,9,500000.00,1000.00,-11.68,0.50,12.68,0.50,12.34,0,NMEA DPT,"
                      "1480.00,0.50,4,48.60,1.00,47.10\r\n");
  EXPECT_EQ(env.ReadFile(DayXYZFolder + "2026-01-30 Simple XYZ.csv"),
            "Easting,Northing,Elevation\r\n500000.00,1000.00,-11.68\r\n");

  // 12 m further east on the RTK fix: a point on "track_fix".
  const std::string moved = "$GPGGA,120001.00,0000.0000,N,00900.0065,E,4,12,0.8,12.5,M,36.1,M,,*58\r\n";
  ASSERT_TRUE(Feed(gnss, FNav->ZGPS1, moved, [] { return GNSSLongitude > 9; }));
  Tick();
  ASSERT_EQ(ShapesOn(FNav->fcad, "track_fix").size(), 1u);
  EXPECT_NEAR(dynamic_cast<TQPoint*>(ShapesOn(FNav->fcad, "track_fix")[0])->X, GridEasting, 1e-6);
  EXPECT_TRUE(FMsg->Msg->toPlainText().contains("Connected to GPS on COM5"));
}

// Each sounding's record stands where it was measured: its grid position is
// PROJ's conversion of the Lat/Lon written in the same record, whatever the
// map's last tick converted; a sounding without a current position (none
// yet, quality 0, an outage, a stale or idle receiver) has fix 0, no position
// and no simple XYZ line. A GGA whose checksum does not match is not taken,
// nor one that lost its end on the line; a GGA at midnight is a position like
// any other, and lines that merely mention GGA do not judge the position.
TEST_F(SurveyRoadPorts, EverySoundingStandsWhereItWasMeasured) {
  uint32_t now = 100000;
  platform::SetTickSource([&now] { return now; });
  StartSurveyWindows();
  FGPS->Port->setCurrentText("COM5");
  FGPS->SPort->setCurrentText("COM6");
  FNav->RealtimeClick();
  ASSERT_TRUE(FNav->ZGPS1->Active && FNav->ZSENSOR->Active);

  const std::string corrupted = [] {  // one digit off: 0.0062 N read as 0.0229 N, 1.85 km north
    std::string s = GGA(0.0062, 9.0023, 4);
    s[20] = '1';
    return s;
  }();
  ASSERT_EQ(corrupted.substr(0, 28), "$GPGGA,120000.00,0001.3720,N");
  const std::string cut = [] {  // lost its end in the altitude: 12 m for 12.5 m, 36 m off the RTK tide
    const std::string s = GGA(0.0070, 9.0030, 4);
    return s.substr(0, s.find(",12.5,") + 3);
  }();
  const std::string mentions = Nmea("GNTXT,01,01,02,GGA output rate changed") + "\r\n" +
                               Nmea("PUBX,40,GGA,0,1,0,0,0,0") + "\r\n" + Nmea("GNGSA,A,3,GGA,,,,,,,,,,,,1.2,0.8,0.9");
  struct Step {
    const char* name;
    std::function<void()> before;    // what happens first
    std::vector<std::string> gnss;   // the receiver's lines, one second apart
    uint32_t silence;                // ms without a receiver line before the sounding
    bool hasPosition;
    double latitude, longitude;
  };
  const auto none = [] {};
  const auto tick = [this] { Tick(); };
  const auto restart = [] {
    FNav->RealtimeClick();  // stop
    FNav->RealtimeClick();  // and start again, 532 m further north
    ASSERT_TRUE(FNav->ZGPS1->Active && FNav->ZSENSOR->Active);
  };
  const std::vector<Step> steps = {
      {"first sounding after the first GGA, before any tick", none, {GGA(0.001, 9.002, 4)}, 0, true, 0.001, 9.002},
      {"after a tick and a jump, before the next tick", tick, {GGA(0.0013, 9.0025, 4)}, 0, true, 0.0013, 9.0025},
      {"after Stop and Realtime, before a GGA", restart, {}, 0, false, 0, 0},
      {"at the new place", none, {GGA(0.0061, 9.002, 4)}, 0, true, 0.0061, 9.002},
      {"stale position", tick, {GGA(0.0061, 9.002, 4)}, 3500, false, 0, 0},
      {"first after a 10 s outage", none, {GGA(0.0063, 9.0022, 4)}, 0, true, 0.0063, 9.0022},
      {"GGA without a position", none, {Nmea("GPGGA,120001.00,,,,,0,00,,,M,,M,,")}, 0, false, 0, 0},
      {"position with quality 0", none, {GGA(0.0064, 9.0022, 0)}, 0, false, 0, 0},
      {"a GGA with a wrong checksum", none, {GGA(0.0062, 9.0023, 4), corrupted}, 0, true, 0.0062, 9.0023},
      {"a GGA at midnight", none, {GGA(0.0066, 9.0026, 4, "000000.00")}, 0, true, 0.0066, 9.0026},
      {"lines mentioning GGA after a GGA", none, {GGA(0.0067, 9.0027, 4), mentions}, 0, true, 0.0067, 9.0027},
      {"a GGA cut before its checksum, then another sentence", none,
       {GGA(0.0068, 9.0028, 4), cut + Nmea("GPRMC,000001.00,A,0000.4200,N,00900.1800,E,0.1,0.0,301226,,,A")}, 0,
       true, 0.0068, 9.0028},
      {"idle receiver", [] { FNav->ZGPS1Idle(FNav->ZGPS1); }, {}, 0, false, 0, 0},
  };
  int marker = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.before();
    now += step.name == std::string("first after a 10 s outage") ? 10000 : 0;
    for (const std::string& line : step.gnss) {
      now += 1000;
      const double heading = ++marker;  // a last line to wait for
      ASSERT_TRUE(Feed(gnss, FNav->ZGPS1, line + "\r\n" + Nmea("HEHDT," + std::to_string(marker) + ".0,T") + "\r\n",
                       [heading] { return GyroHeading == heading; }));
    }
    now += step.silence;
    const std::string xyzBefore = env.ReadFile(survey::SimpleXYZFileName());
    NewDepthAvailable = false;
    ASSERT_TRUE(Feed(sounder, FNav->ZSENSOR, "$SDDPT,12.34,0.5*56\r\n", [] { return NewDepthAvailable; }));
    const QStringList r = LastRecord();
    ASSERT_EQ(r.size(), 18);
    const std::string xyz = env.ReadFile(survey::SimpleXYZFileName());
    if (!step.hasPosition) {
      EXPECT_EQ(r.mid(1, 4), (QStringList{"", "", "", ""}));
      EXPECT_EQ(r[14], "0");
      EXPECT_EQ(xyz, xyzBefore);
      continue;
    }
    EXPECT_NEAR(r[1].toDouble(), step.latitude, 1e-9);
    EXPECT_NEAR(r[2].toDouble(), step.longitude, 1e-9);
    const oracle::Row grid = Proj(r[1].toDouble(), r[2].toDouble());
    EXPECT_NEAR(r[3].toDouble(), grid[0], 0.006);
    EXPECT_NEAR(r[4].toDouble(), grid[1], 0.006);
    EXPECT_EQ(r[14], "4");
    EXPECT_EQ(r.mid(15), (QStringList{"48.60", "1.00", "47.10"}));  // RTK antenna height and tide
    EXPECT_EQ(xyz.substr(0, xyzBefore.size()), xyzBefore);
    EXPECT_EQ(xyz.substr(xyzBefore.size()), (xyzBefore.empty() ? "Easting,Northing,Elevation\r\n" : "") +
                                                (r[3] + "," + r[4] + ",-11.68\r\n").toStdString());
  }
  EXPECT_NE(EventsLog().find("\tCOM5: A sentence with a wrong checksum was not taken: " + corrupted),
            std::string::npos);
  FNav->RealtimeClick();  // the closing port tells the damaged sentences it has not told yet
  EXPECT_NE(EventsLog().find("\tCOM5: 1 more damaged sentence (wrong checksum or cut short) was not taken (2 since "
                             "the port was opened)."),
            std::string::npos);
}

// Each sounder type records and shows the depths it gives: a sounding of the
// type that gives only the low-frequency depth is recorded too, with its
// low-frequency columns, empty high-frequency ones and its low-frequency
// elevation in the simple XYZ file; the status box, the depth label and the
// echogram show the depth the sounding stands for (never the draft alone),
// and the depth panel's two slots show what the realtime window's frames do.
TEST_F(SurveyRoadPorts, EachSounderTypeRecordsAndShowsTheDepthsItGives) {
  StartSurveyWindows();
  FGPS->Port->setCurrentText("COM5");
  FGPS->SPort->setCurrentText("COM6");
  ShowDepthLabels = true;
  DepthLabelSpacing = 0;  // every tick drops a label, all at the same place
  struct Row {
    const char* type;
    const char* format;
    std::string line;
    QStringList depths;  // elevations, true depths and raw depths, high then low
    std::string xyzElevation;
    std::string shown;   // the sounding's depth on the map and the echogram
    QStringList frames;  // lDepthHi, lDepthLo
    std::string panel;   // the depth panel's texts
  };
  const std::vector<Row> rows = {
      {"NMEA DPT", "%*6s,%lf", "$SDDPT,12.34,0.5*56", {"-11.68", "0.50", "12.68", "0.50", "12.34", "0"}, "-11.68",
       "12.68", {"12.68", "0.50"}, "12.68m"},
      {"Quarix XDR HI", "%*8s,%lf", Nmea("SDXDR,D,7.50,M,XDHI"), {"-6.90", "0.50", "7.90", "0.50", "7.5", "0"},
       "-6.90", "7.90", {"7.90", "0.50"}, "7.90m"},
      {"Quarix XDR LO", "%*8s,%*lf,%*8s,%lf", Nmea("SDXDR,D,7.50,M,XDHI,D,8.25,M,XDLO"),
       {"", "-7.64", "", "8.64", "", "8.25"}, "-7.64", "8.64", {"--.-", "8.64"}, "--.-m / 8.64m"},
      {"Quarix XDR H/L", "%*8s,%lf,%*8s,%lf", Nmea("SDXDR,D,7.50,M,XDHI,D,8.25,M,XDLO"),
       {"-6.90", "-7.64", "7.90", "8.64", "7.5", "8.25"}, "-6.90", "7.90", {"7.90", "8.64"}, "7.90m / 8.64m"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.type);
    FGPS->cSBESMessage->setCurrentText(row.type);
    FGPS->eSBESFormat->setText(row.format);
    FNav->RealtimeClick();
    ASSERT_TRUE(FNav->ZGPS1->Active && FNav->ZSENSOR->Active);
    GNSSLongitude = 0;
    ASSERT_TRUE(Feed(gnss, FNav->ZGPS1, GGA(0.001, 9.002, 4) + "\r\n", [] { return GNSSLongitude > 9; }));
    NewDepthAvailable = false;
    ASSERT_TRUE(Feed(sounder, FNav->ZSENSOR, row.line + "\r\n", [] { return NewDepthAvailable; }));
    const QStringList r = LastRecord();
    ASSERT_EQ(r.size(), 18);
    EXPECT_NEAR(r[1].toDouble(), 0.001, 1e-9);
    EXPECT_EQ(r.mid(5, 6), row.depths);
    EXPECT_EQ(r[11].toStdString(), row.type);
    const QStringList xyz = QString::fromStdString(env.ReadFile(survey::SimpleXYZFileName())).trimmed().split("\r\n");
    EXPECT_EQ(xyz.last(), r[3] + "," + r[4] + "," + QString::fromStdString(row.xyzElevation));

    EXPECT_EQ((QStringList{fRealtime->lDepthHi->text(), fRealtime->lDepthLo->text()}), row.frames);
    Tick();
    const std::string suffix = " | Depth: " + row.shown + " m";
    EXPECT_EQ(GGAOverlayText.substr(GGAOverlayText.size() - std::min(GGAOverlayText.size(), suffix.size())), suffix)
        << GGAOverlayText;
    ASSERT_FALSE(FNav->fcad->DepthLabels.empty());
    EXPECT_EQ(FormatFixed(FNav->fcad->DepthLabels.back().Depth, 2), row.shown);
    const TDepthPanelTexts panel = FNav->fcad->DepthPanelTexts();
    EXPECT_EQ(panel.Line1 + panel.Line1Small, row.panel);
    ASSERT_TRUE(fWaterfal->isVisible());
    FNav->tEchogramTimer(FNav->tEchogram);
    EXPECT_EQ(FormatFixed(fWaterfal->History.Depths()[fWaterfal->DataWidth - 1], 2), row.shown);
    FNav->RealtimeClick();  // stop
  }
  EXPECT_EQ(FNav->fcad->DepthLabels.size(), rows.size());
  EXPECT_EQ(Count(env.ReadFile(survey::SimpleXYZFileName()), "\r\n"), rows.size() + 1);
}

// A receiver and a sounder that end their lines with a carriage return alone:
// each line is taken when its CR arrives, not when the next line begins, so
// every sounding is recorded with the time and the position of its own
// arrival, the last one before the sounder pauses included (every sounding
// here is the last line sent before the test looks). A CR whose LF comes in
// a later read ends its line once. A GGA that the receiver cut short between
// whole ones keeps the last fix and position; a whole GGA without a fix gives
// fix 0 and no position.
TEST_F(SurveyRoadPorts, LinesEndedByACarriageReturnAloneAreTakenWhenTheyArrive) {
  uint32_t tick = 100000;
  platform::SetTickSource([&tick] { return tick; });
  QDateTime clock(QDate(2026, 1, 30), QTime(14, 35, 12, 0));
  env.SetNow(clock);
  StartSurveyWindows();
  FGPS->Port->setCurrentText("COM5");
  FGPS->SPort->setCurrentText("COM6");
  FNav->RealtimeClick();
  ASSERT_TRUE(FNav->ZGPS1->Active && FNav->ZSENSOR->Active);

  const std::string noFix = Nmea("GPGGA,120003.00,,,,,0,00,,,M,,M,,");
  struct Step {
    const char* name;
    std::string gnss;  // the receiver's bytes, ended by a CR alone
    bool hasPosition;
    double latitude, longitude;
  };
  const std::vector<Step> steps = {
      {"a GGA", GGA(0.001, 9.002, 4, "120000.00") + "\r", true, 0.001, 9.002},
      {"the next GGA, with the LF of the last CR in front", "\n" + GGA(0.0012, 9.0021, 4, "120001.00") + "\r", true,
       0.0012, 9.0021},
      {"a GGA cut short between whole ones", GGA(0.0013, 9.0022, 4, "120002.00") + "\r$GPGGA,120002.20,0000.1\r",
       true, 0.0013, 9.0022},
      {"a whole GGA without a fix", noFix + "\r", false, 0, 0},
      {"a fix again", GGA(0.0015, 9.0024, 4, "120004.00") + "\r", true, 0.0015, 9.0024},
  };
  int marker = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    tick += 1000;
    clock = clock.addMSecs(1000);
    env.SetNow(clock);
    // A heading line, the last the receiver sends, is taken without a line
    // after it and shows that the lines before it have been handled.
    const double heading = ++marker;
    const std::string headingLine = Nmea("HEHDT," + std::to_string(marker) + ".0,T") + "\r";
    ASSERT_TRUE(Feed(gnss, FNav->ZGPS1, step.gnss + headingLine, [heading] { return GyroHeading == heading; }));
    EXPECT_EQ(NoValidPosition, !step.hasPosition);

    // The sounding 300 ms later, the last line the sounder sends for now.
    tick += 300;
    clock = clock.addMSecs(300);
    env.SetNow(clock);
    NewDepthAvailable = false;
    ASSERT_TRUE(Feed(sounder, FNav->ZSENSOR, "$SDDPT,12.34,0.5*56\r", [] { return NewDepthAvailable; }));
    const QStringList r = LastRecord();
    ASSERT_EQ(r.size(), 18);
    EXPECT_EQ(r[0], clock.toString("yyyy-MM-dd hhmmsszzz"));
    if (!step.hasPosition) {
      EXPECT_EQ(r.mid(1, 4), (QStringList{"", "", "", ""}));
      EXPECT_EQ(r[14], "0");
      continue;
    }
    EXPECT_NEAR(r[1].toDouble(), step.latitude, 1e-9);
    EXPECT_NEAR(r[2].toDouble(), step.longitude, 1e-9);
    EXPECT_EQ(r[14], "4");
  }
  // One record per sounding, and a simple XYZ line (after its header) for
  // each one with a position.
  EXPECT_EQ(Count(env.ReadFile(CoordinatesFileName), "NMEA DPT"), steps.size());
  const size_t positioned = std::count_if(steps.begin(), steps.end(), [](const Step& s) { return s.hasPosition; });
  EXPECT_EQ(Count(env.ReadFile(survey::SimpleXYZFileName()), "\r\n"), 1 + positioned);
}

// The geodetic parameters are taken at each Realtime start: a central meridian
// changed between two runs applies to the next run, and each run's block in
// the geodesy log names the parameters its records were converted with.
TEST_F(SurveyRoadWindow, EachRunsGeodesyBlockNamesWhatItsRecordsWereConvertedWith) {
  StartSurveyWindows();
  auto run = [&](const char* centralMeridian) {
    FGPS->edCM->setText(centralMeridian);
    FNav->RealtimeClick();
    EXPECT_EQ(RealtimeActive, 1);
    FGPS->edCM->setText("27");  // a change during the run waits for the next start
    At(0.001, 9.002);
    Tick();
    Sounder("$SDDPT,12.34,0.5*56");
    FNav->RealtimeClick();
    return LastRecord();
  };
  const QStringList first = run("9");
  const QStringList second = run("8");

  const std::string log = env.ReadFile(DayLogFolder + "2026-01-30 Geodesy.txt");
  const size_t secondBlock = log.rfind("=== SESSION START: ");
  ASSERT_NE(secondBlock, log.find("=== SESSION START: "));
  EXPECT_NE(log.substr(0, secondBlock).find("\r\nCM: 9, Ref Lat: 0, SF: 0.9996\r\n"), std::string::npos) << log;
  EXPECT_NE(log.substr(secondBlock).find("\r\nCM: 8, Ref Lat: 0, SF: 0.9996\r\n"), std::string::npos) << log;
  for (const auto& [record, meridian] : {std::pair{first, 9}, std::pair{second, 8}}) {
    const std::vector<oracle::Row> grid = oracle::Cct(
        "+proj=tmerc +lat_0=0 +lon_0=" + std::to_string(meridian) + " +k_0=0.9996 +x_0=500000 +y_0=1000 +ellps=WGS84",
        {{9.002, 0.001, 0, 0}});
    ASSERT_EQ(grid.size(), 1u);
    EXPECT_NEAR(record[3].toDouble(), grid[0][0], 0.006) << meridian;
    EXPECT_NEAR(record[4].toDouble(), grid[0][1], 0.006) << meridian;
  }
  EXPECT_NEAR(GridEasting, second[3].toDouble(), 0.006);  // the map converts with the run's parameters too
}

// The receiver's USB adapter pulled out during a survey (the pseudo-terminal
// closed under the port): told as a disconnection by the port's own timer;
// the soundings after it carry fix quality 0 until the receiver gives a
// position again.
TEST_F(SurveyRoadWindow, AnUnpluggedReceiverIsToldAndLaterSoundingsCarryNoFix) {
  PtyPair gnss;
  PtyPair sounder;
  ASSERT_TRUE(gnss.Ok() && sounder.Ok());
  {
    IniFile ini;
    ini.WriteString("SERIAL_PORT_MAP", "COM5", gnss.DevicePath());
    ini.WriteString("SERIAL_PORT_MAP", "COM6", sounder.DevicePath());
  }
  StartSurveyWindows();
  FGPS->Port->setCurrentText("COM5");
  FGPS->SPort->setCurrentText("COM6");
  FNav->RealtimeClick();
  ASSERT_TRUE(FNav->ZGPS1->Active && FNav->ZSENSOR->Active);
  ASSERT_TRUE(FNav->ZGPS1->PollTimer->isActive());

  auto sounding = [&](const std::string& line) {
    NewDepthAvailable = false;
    EXPECT_TRUE(sounder.Send(line + "\r\n"));
    EXPECT_TRUE(WaitFor([] {
      FNav->ZSENSOR->PollTimerTimer();
      return NewDepthAvailable;
    }));
    const std::string record = env.ReadFile(CoordinatesFileName);
    return QString::fromStdString(record).trimmed().split('\n').last().split(',');
  };

  ASSERT_TRUE(gnss.Send("$GPGGA,120000.00,0000.0000,N,00900.0000,E,4,12,0.8,12.5,M,36.1,M,,*5A\r\n"));
  ASSERT_TRUE(WaitFor([] {
    FNav->ZGPS1->PollTimerTimer();
    return GNSSLongitude == 9;
  }));
  Tick();
  EXPECT_EQ(sounding("$SDDPT,12.34,0.5*56")[14], "4");
  FMsg->hide();

  gnss.Unplug();
  // The event loop runs the port's poll timer until it has found the hang-up.
  QElapsedTimer clock;
  clock.start();
  while (FNav->ZGPS1->Active && clock.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  ASSERT_FALSE(FNav->ZGPS1->Active);
  EXPECT_TRUE(FMsg->isVisible());
  EXPECT_EQ(LastLine(FMsg->Msg), "Disconnected from GPS on COM5");
  EXPECT_EQ(Count(EventsLog(), "\tDisconnected from GPS on COM5"), 1u);
  EXPECT_FALSE(FNav->tMap->isActive());
  EXPECT_EQ(GGAOverlayText.rfind("No Fix | ", 0), 0u) << GGAOverlayText;

  const QStringList later = sounding("$SDDPT,13.00,0.5*50");
  EXPECT_EQ(later[9], "13");
  EXPECT_EQ(later[14], "0");
  FNav->RealtimeClick();  // stop
}

}  // namespace
