#pragma once
// TFNav: the main window. It owns the two serial devices (GNSS receiver and
// echo sounder), the map, the menus and tool bars, the status bar and the map,
// echogram and screenshot timers; it starts and stops a survey and opens the
// other windows.
#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct TKMLGridSettings;

#include "runtime/echogram.h"
#include "runtime/screenshots.h"
#include "settings/devicesettings.h"

namespace gridconv {
class GridConverter;
}

class QAction;
class QMenu;
class QMenuBar;
class QTimer;
class QToolBar;
class QToolButton;
class TQuarixCanvas;
class TQuarixCanvasModel;
class TQuarixNumericKeypad;
class TQuarixSerialGPS;
class TQuarixSimpleKeyboard;
class TQuarixStatusBar;

// Survey state of the main window's unit.
extern int RealtimeActive;            // 1 while a survey runs
extern uint32_t GNSSOpenTick;         // tick when the start opened the GNSS port; 0 when stopped
extern uint32_t SounderOpenTick;      // tick when the start opened the echo sounder; 0 when not
extern uint32_t LastDepthTick;        // tick of the last echo-sounder line
extern bool SounderDataSeen;          // a depth line arrived since the start
extern bool SounderTimeoutReported;   // the echogram watchdog reported a silent sounder
extern std::string LastFileName;      // drawing file last opened, imported or reloaded
extern bool FollowVesselActive;       // the navigation loop keeps the vessel in the map's centre

// Survey road: what the GNSS intake, the depth intake and the navigation loop
// leave for each other and for the rest of the program (unavigation_survey.cpp).
extern double GNSSLatitude;      // degrees of the last position event (0 after an idle report)
extern double GNSSLongitude;
extern double GNSSAltitude;      // m
extern double GyroHeading;       // degrees of the last HDT sentence (1e-9 before any)
extern double SpeedKnots;        // speed over ground of the last RMC or VTG sentence
extern double RTKAntennaHeight;  // ellipsoidal antenna height of the last RTK fixed GGA
extern double RTKTide;           // RTKAntennaHeight - OffsetCValue
extern double OffsetAValue;      // copies of the offsets dialog's values
extern double SVValue;
extern double OffsetCValue;
extern double TideHtValue;
extern int ShownFixQuality;      // the fix quality whose colour the realtime window shows
extern double TrueDepthHi;       // corrected depths of the last echo-sounder line (0 without depth;
extern double TrueDepthLo;       // TrueDepthHi is 0 for a sounder that gives only the low depth)
extern double SoundingDepth;     // the depth the last sounding stands for, as the map, its labels and the
                                 // echogram show it: TrueDepthLo for a sounder that gives only the low depth,
                                 // else TrueDepthHi (0 without depth)
extern bool NewDepthAvailable;   // a depth arrived since the echogram timer last looked
extern double DepthAlarmValue;   // shallow-water alarm depth in effect
extern double GridEasting;       // grid position of the antenna from the last conversion
extern double GridNorthing;
extern double GridConvergence;   // degrees (1e-9 at start)
extern double GridHeading;       // heading + grid convergence (1e-9 at start)

class TFNav : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFNav(QWidget* parent = nullptr);
  ~TFNav() override;

  // Main menu. The Tools menu is Settings1 and the Edit menu ools1.
  QMenuBar* MainMenu1;
  QMenu *File1, *Zoom1, *Settings1, *ools1, *Window2, *Help1;
  QAction *New1, *Open1, *Save1, *SaveAs1, *Import1, *Export1, *Exit1;
  QAction *In1, *Out1, *Extents1, *Window1, *Dynamic1;
  QAction *VesselShape1, *OpenLogFolder1, *LatencyWatchSet1, *TranslationEditor1;
  QAction *ClearUnfixedTracks1, *ClearFixedTracks1, *ClearUserAddedShapes1, *Deletetracksselected1,
      *Followvessel1, *Donotfollowvessel1, *MarkEvent1;
  QAction *NavigationSettings1, *mRealtimeWindow1, *Echogram1, *OffsetsandValues1, *themeSelection1,
      *SoundVelocityProfile1, *QuarixNTRIPClient1, *GenerateRunline1, *Parameters1;
  QAction *RemoteSupport1, *About1;

  // Tool bar of the survey (top row).
  QToolBar* tRealtime;
  QToolButton* Realtime;  // toggles down while the survey runs
  QToolButton *tbRunline, *ConnectIcon, *tbFixed, *tbFloat, *tbAuto, *bSelectTracks, *bDelSelected,
      *bFollowVessel, *ToolButton13;
  // Tool bar of the map (second row).
  QToolBar* tDraw;
  QToolButton *bOpen, *bSave, *Zoomin, *Zoomout, *Zoomextents, *Zoomwindow, *Zoomdynamic, *Zoompan,
      *bMouseSelect, *ToolButton11, *btEventAdd, *btEventReset, *bExit, *bRestart;
  // Drawing tools (left edge).
  QToolBar* tShape;
  QToolButton *ToolButton7, *ToolButton12, *ToolButton21, *ToolButton23, *ToolButton27, *ToolButton28,
      *ToolButton29, *ToolButton30, *ToolButton31;

  QWidget* Panel4;              // holds the map
  QWidget* pRealtime;           // bottom panel holding the status bar
  TQuarixStatusBar* sStatusBar;  // seven panels

  QTimer* tMap;         // navigation loop, 200 ms, off until the first GNSS line
  QTimer* tEchogram;    // echogram and echo-sounder watchdog, 200 ms
  QTimer* tScreenshot;  // screenshots

  TQuarixNumericKeypad* NumericKeypad = nullptr;   // made on first use
  TQuarixSimpleKeyboard* SimpleKeyboard = nullptr;  // made on first use
  TQuarixSerialGPS* ZGPS1 = nullptr;    // the GNSS receiver
  TQuarixSerialGPS* ZSENSOR = nullptr;  // the echo sounder
  TQuarixCanvas* fcad = nullptr;        // the map
  std::string DatumParams;              // datum parameter text of the navigation loop
  bool EchoToMonitor = false;           // echo received lines into the device settings monitors

  // Life cycle.
  void FormCreate();
  void FormShow();
  void FormCloseQuery(QObject* Sender, bool& CanClose);

  // Survey and program commands.
  void RealtimeClick(QObject* Sender = nullptr);
  void Exit1Click(QObject* Sender = nullptr);
  void bExitClick(QObject* Sender = nullptr);
  void bRestartClick(QObject* Sender = nullptr);
  void RemoteSupport1Click(QObject* Sender = nullptr);

  // Window commands.
  void About1Click(QObject* Sender = nullptr);
  void Parameters1Click(QObject* Sender = nullptr);
  void ConnectIconClick(QObject* Sender = nullptr);
  void OffsetsandValues1Click(QObject* Sender = nullptr);
  void NavigationSettings1Click(QObject* Sender = nullptr);
  void mRealtimeWindow1Click(QObject* Sender = nullptr);
  void LatencyWatchSet1Click(QObject* Sender = nullptr);
  void OpenLogFolder1Click(QObject* Sender = nullptr);
  void VesselShape1Click(QObject* Sender = nullptr);
  void SoundVelocityProfile1Click(QObject* Sender = nullptr);
  void tbRunlineClick(QObject* Sender = nullptr);
  void Generate1Click(QObject* Sender = nullptr);
  void themeSelection1Click(QObject* Sender = nullptr);
  void QuarixNTRIPClient1Click(QObject* Sender = nullptr);

  // On-screen keyboards for the offsets window's edits. Each is a window of
  // its own above every window of the program, at its place in the main
  // window (which it follows), and never takes the focus from the edit it
  // types into.
  void ShowNumericKeypad(QWidget* Target);
  void ShowSimpleKeyboard(QWidget* Target);
  // Hides the keypad and the keyboard when they type into a control of window.
  void HideKeyboardsOf(QWidget* window);

  // The windows that stay on top of this one, each with the corner of the
  // map where it stands while it has no placement of its own.
  std::vector<std::pair<QWidget*, Qt::Corner>> StayOnTopWindows() const;

  // File commands.
  void New1Click(QObject* Sender = nullptr);
  void Open1Click(QObject* Sender = nullptr);
  void Save1Click(QObject* Sender = nullptr);
  // Save1Click for callers that go on after it; an error is shown, not raised.
  void SaveAndGoOn(QObject* Sender = nullptr);
  void SaveAs1Click(QObject* Sender = nullptr);
  void Import1Click(QObject* Sender = nullptr);
  // Turns a WGS84 position of an imported KML into the grid of the device
  // settings (datum shift and transverse Mercator); the KML reader's closure.
  void ConvertKMLCoordinate(double& X, double& Y, double Latitude, double Longitude);
  // The datum and projection texts of the device settings window.
  TKMLGridSettings KMLGridSettingsOfWindow() const;
  // The layers the imports made, as the settings file remembers them; read
  // at the first import of the run.
  struct ImportRecords;
  std::shared_ptr<ImportRecords> Imports;
  ImportRecords& ImportState();
  void Export1Click(QObject* Sender = nullptr);
  void ShowLastFileFolder(const std::string& Path);
  void StatusBarFolderClick(QObject* Sender = nullptr);

  // Interface language.
  void ApplyLanguage();
  void sStatusBarDblClick(QObject* Sender = nullptr);
  void TranslationEditor1Click(QObject* Sender = nullptr);

  // Device events (GNSS receiver and echo sounder).
  void ZGPS1Connect(QObject* Sender, int Port);
  void ZGPS1Disconnect(QObject* Sender, int Port);
  void ZGPS1Idle(QObject* Sender);
  void ZGPS1Timeout(QObject* Sender);
  void ZGPS1NewCommand(QObject* Sender, const std::string& Line);
  void ZGPS1Position3DChange(QObject* Sender, double Latitude, double Longitude, double Altitude);
  void ZGPS1SpeedChange(QObject* Sender, double Speed);
  void ZGPS1Send(QObject* Sender, const std::string& Text);
  void ZSENSORNewCommand(QObject* Sender, const std::string& Line);
  void ZSENSORTimeout(QObject* Sender = nullptr);
  void ZSENSORConnect(QObject* Sender, int Port);
  void ZSENSORDisconnect(QObject* Sender, int Port);

  // Map events, drawing tools and keys.
  void fcadShapeNumberSelected(TQuarixCanvasModel* Sender, int16_t ShapeType, int32_t ShapeNumber);
  void fcadWorldMouseMove(TQuarixCanvasModel* Sender, int16_t Shift, double X, double Y, double Magnitude,
                          double Angle);
  void fcadWorldMouseDown(TQuarixCanvasModel* Sender, int16_t Button, int16_t Shift, int16_t Action, double X,
                          double Y);
  void fcadDrawBegin(TQuarixCanvasModel* Sender, int16_t ShapeType, double X, double Y);
  void fcadDrawEnd(TQuarixCanvasModel* Sender, int16_t ShapeType, double X, double Y);
  std::vector<std::pair<double, double>> FinishedRoutePoints() const;
  void fcadDblClick(QObject* Sender = nullptr);
  void bMouseSelectClick(QObject* Sender = nullptr);
  // The window sees every key before its controls (Qt key codes); setting Key
  // to 0 consumes it.
  void FormKeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);

  // Timers.
  void tMapTimer(QObject* Sender = nullptr);
  void tEchogramTimer(QObject* Sender = nullptr);
  void tScreenshotTimer(QObject* Sender = nullptr);

  // Compact mode: no border and no menu (true), or the sizeable border and the
  // main menu again (false).
  void SetCompactFrame(bool compact);

  // How the program ends at once (bExit). Tests replace it.
  static std::function<void(int)> ExitProcess;

  // Map commands, echogram, events, screenshots
  // The echo-sounder watchdog on the survey state above: the echogram timer
  // checks it, every depth line re-arms it (SounderWatch.DepthLine).
  SounderWatchdog SounderWatch{SounderOpenTick, LastDepthTick, SounderTimeoutReported, SounderDataSeen};
  ScreenshotTaker Screenshots;
  bool TrackSelectMode = false;  // the next finished polygon selects track points
  bool ShapeSelectMode = false;  // the next finished polygon selects shapes of every layer
  bool MeasureActive = false;    // a distance measurement of the main window runs
  double MeasureStartX = 0;      // its start point, world metres (0, 0 when none)
  double MeasureStartY = 0;
  int32_t DrawFirstShape = 0;    // the first shape number of the drawing in progress
  int DrawLayer = -1;            // and the layer it draws on
  void ConnectMapCommands();     // buttons and menu items of the map commands
  void ToolButton10Click(QObject* Sender = nullptr);  // point
  void ToolButton9Click(QObject* Sender = nullptr);   // line
  void ToolButton16Click(QObject* Sender = nullptr);  // rectangle
  void ToolButton14Click(QObject* Sender = nullptr);  // polyline
  void ToolButton19Click(QObject* Sender = nullptr);  // ellipse
  void ToolButton15Click(QObject* Sender = nullptr);  // polygon
  void ToolButton17Click(QObject* Sender = nullptr);  // spline
  void ToolButton20Click(QObject* Sender = nullptr);  // arc
  void ToolButton18Click(QObject* Sender = nullptr);  // circle
  void ZoominClick(QObject* Sender = nullptr);
  void ZoomoutClick(QObject* Sender = nullptr);
  void ZoomextentsClick(QObject* Sender = nullptr);
  void ZoomwindowClick(QObject* Sender = nullptr);
  void ZoomdynamicClick(QObject* Sender = nullptr);
  void bFollowVesselClick(QObject* Sender = nullptr);
  void ToolButton13Click(QObject* Sender = nullptr);  // no follow
  void ToolButton11Click(QObject* Sender = nullptr);  // clear the user's shapes
  void tbFixedClick(QObject* Sender = nullptr);
  void tbFloatClick(QObject* Sender = nullptr);
  void tbAutoClick(QObject* Sender = nullptr);
  void bSelectTracksClick(QObject* Sender = nullptr);
  void bDelSelectedClick(QObject* Sender = nullptr);
  void fcadDrawCancel(TQuarixCanvasModel* Sender, int16_t ShapeType, double X, double Y);
  void Echogram1Click(QObject* Sender = nullptr);
  void btEventAddClick(QObject* Sender = nullptr);
  void btEventResetClick(QObject* Sender = nullptr);

  // Survey road
  // The state the GNSS and depth intake and the navigation loop keep between
  // lines and ticks (made on first use), and how they tell the user: a text
  // in the message window, shown, and in the events log.
  struct SurveyRoad;
  std::shared_ptr<SurveyRoad> Road;
  SurveyRoad& SurveyState();
  // Starts the map timer and re-anchors the track.
  void StartMapTimer();
  // The receiver's fix quality while the survey holds a position the receiver
  // gave (the last GGA carried one and no idle report zeroed it), else 0.
  int ReceiverFixQuality() const;
  // Writes the realtime window's GNSS labels and the map's status box
  // (GGAFixQuality, GGAOverlayText) from the receiver's state.
  void ShowReceiverStatus();
  void SurveyReport(const std::string& Text);
  // The geodetic parameters of the device settings as they stand (the dialog's
  // texts, or the settings file's without the dialog).
  devicesettings::GeodeticTexts GeodesyInSettings() const;
  // The parameters every position of the run converts with, from now on.
  void LoadGridParameters(const devicesettings::GeodeticTexts& g);
  // The run's parameters (those in the settings when no run has loaded any).
  gridconv::GridConverter& GridParameters();
  // A survey run starts: no position is current until the receiver gives
  // one, and the accepted offsets are in force.
  void SurveyStarts();
  // The receiver stopped (idle, disconnected): its position is no longer current.
  void ReceiverStopped();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void BuildMenu();
  void BuildToolBars();
  void BuildPanels();
  void StartSurvey();
  void StopSurvey();
  void SaveClosingSettings();
  // Gives the windows of StayOnTopWindows their places beside the map, as it
  // stands when each is placed.
  void PlaceStayOnTopWindows();
  // Puts the shown keyboards at their places and above the other windows.
  void PlaceKeyboards();
  bool shown_ = false;
  bool placed_ = false;  // the first showing has put the windows at their places
  bool closing_ = false;
  std::string reloadInterrupted_;  // the last drawing, when a closing request stopped its reload at start
  // The drawings Save wrote in this run: the only files it may replace.
  std::vector<std::string> savedDrawings_;
};

extern TFNav* FNav;

// Translation of windows through the dictionary `Translation` (nothing while
// it is null). TranslateControl translates the caption of a label, button,
// check box, radio button, group box, tab or menu item and goes on into the
// controls a windowed control parents; TranslateForm translates a window's
// title and everything it holds; TranslateMenuItem a menu item and its
// sub-items. Tool-bar buttons, edits, lists, grids and status-bar panels keep
// their texts.
void TranslateControl(QObject* Component);
void TranslateForm(QWidget* Control);
void TranslateMenuItem(QAction* Item);
