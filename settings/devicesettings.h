#pragma once
// The values of the device settings dialog without its widgets: the port box
// lists and their conversion into serial device fields, the echo-sounder
// sentence types, the display settings derived from the "Global Setting" tab,
// and the sections of the settings file with the summary block of a save.
#include <string>
#include <vector>

#include "app/color.h"
#include "app/formats.h"

class IniFile;

namespace devicesettings {

// ---------------------------------------------------------------------------
// Port boxes
// ---------------------------------------------------------------------------

// Item lists of the port boxes, in the order shown (positions matter: the
// data width, stop bits and priority codes are position + 1). The port boxes
// list the serial ports the platform offers.
const std::vector<std::string>& BaudRateItems();
const std::vector<std::string>& DataWidthItems();
const std::vector<std::string>& StopBitsItems();
const std::vector<std::string>& ParityItems();
const std::vector<std::string>& PriorityItems();
const std::vector<std::string>& DelayItems();
const std::vector<std::string>& BoolItems();  // "True" "False"

// The texts of the eleven boxes of one port tab.
struct PortTexts {
  std::string port, baudRate, dataWidth, stopBits, parity, priority, delay, nmeaLog, logTime,
      enableDTR, enableRTS;
};

// The texts the boxes show when the dialog is built.
PortTexts InitialPortTexts();

// Place of a text in a list (exact match), -1 when it is none of the items.
int ItemPosition(const std::vector<std::string>& items, const std::string& text);

// A box text read as a boolean: "True"/"False" in any letter case, or a
// number where non-zero means true. False when it is neither.
bool TryTextToBool(const std::string& text, bool& value);

// Raw-log names of the two devices: DayLogFolder + DateText + the suffix.
std::string GnssLogFileName();
std::string SounderLogFileName();

// Copies a port tab into a serial device, one field after the other. The
// first conversion that fails (baud, delay or a log flag that is not a
// number or boolean) ends the copy silently: the fields set before keep
// their new values, the later ones (the log file name included) their old
// ones. Returns false when it stopped early.
//
// Device needs the configuration members Port, BaudRate, DataWidth, StopBits,
// Parity, Priority, Delay, NMEALog, LogTime, EnableDTR, EnableRTS,
// LogFileName and the conversions PortNumberFromName and ValidBaudRate.
template <class Device>
bool ApplyPortTexts(const PortTexts& t, Device& d, const std::string& logFileName) {
  d.Port = d.PortNumberFromName(t.port);
  int baud = 0;
  if (!TryStrToInt(t.baudRate, baud)) return false;
  d.BaudRate = d.ValidBaudRate(baud);
  d.DataWidth = ItemPosition(DataWidthItems(), t.dataWidth) + 1;
  d.StopBits = ItemPosition(StopBitsItems(), t.stopBits) + 1;
  d.Parity = 0;  // the port is always opened without parity; the box is only kept
  d.Priority = static_cast<decltype(d.Priority)>(ItemPosition(PriorityItems(), t.priority) + 1);
  int delay = 0;
  if (!TryStrToInt(t.delay, delay)) return false;
  d.Delay = delay;
  bool flag = false;
  if (!TryTextToBool(t.nmeaLog, flag)) return false;
  d.NMEALog = flag;
  if (!TryTextToBool(t.logTime, flag)) return false;
  d.LogTime = flag;
  d.EnableDTR = t.enableDTR == "True";
  d.EnableRTS = t.enableRTS == "True";
  d.LogFileName = logFileName;
  return true;
}

// ---------------------------------------------------------------------------
// Echo-sounder sentence types
// ---------------------------------------------------------------------------

enum class LowFreqBox { Hide, Show, Unchanged };

struct SounderType {
  const char* name;    // text of the type box
  const char* format;  // default scan format put into the format box
  LowFreqBox lowFreq;  // what the realtime window does with its low-frequency box
};

// The eight types in the order of the type box.
const std::vector<SounderType>& SounderTypes();
std::vector<std::string> SounderTypeNames();
// The type of exactly this text (letter case counts), nullptr for any other.
const SounderType* FindSounderType(const std::string& text);

// ---------------------------------------------------------------------------
// Display settings ("Global Setting" tab)
// ---------------------------------------------------------------------------

struct DisplayTexts {
  bool gridVisible = true;
  bool autoGrid = false;
  std::string gridSpacingX = "100", gridSpacingY = "100";
  TColor gridColor = clSilver;
  bool showDepthLabels = true;
  std::string labelSpacing = "10", labelFontName = "Arial", labelFontSize = "12";
  TColor labelColor = clBlack;
  std::string eventFontSize = "24";
  TColor eventColor = clRed;
  std::string screenshotInterval = "60";
  std::string overlayFontSize = "40";
  TColor overlayDepthColor = clNavy;
  TColor overlaySpeedColor = clBlack;
};

// The values the map's drawing code reads (the display globals).
struct DisplayValues {
  bool gridVisible = true;
  bool gridAutoSpacing = false;
  double gridSpacingX = 100, gridSpacingY = 100;
  TColor gridColor = clSilver;
  bool showDepthLabels = true;
  double depthLabelSpacing = 10;
  std::string depthLabelFontName = "Arial";
  int depthLabelFontSize = 12;
  TColor depthLabelColor = clBlack;
  int eventLabelFontSize = 24;
  TColor eventLabelColor = clRed;
  int overlayFontSize = 40;
  TColor overlayDepthColor = clNavy;
  TColor overlaySpeedColor = clBlack;
};

// Texts that are not numbers fall back to 100 (grid spacings), 10 (label
// spacing), 12, 24 and 40 (font sizes).
double GridSpacingValue(const std::string& text);
int EventFontSizeValue(const std::string& text);
int OverlayFontSizeValue(const std::string& text);
DisplayValues DeriveDisplayValues(const DisplayTexts& t);
// Writes the display globals (app/displaysettings.h).
void StoreDisplayGlobals(const DisplayValues& v);

// What the map's grid members receive: a spacing of 0 lets the map choose.
struct MapGrid {
  bool visible = true;
  double spacingX = 100, spacingY = 100;
  TColor color = clSilver;
};
MapGrid GridForMap(bool visible, bool autoSpacing, double spacingX, double spacingY, TColor color);
// The grid of the current display globals.
MapGrid GridFromGlobals();

// Screenshot interval: whole seconds (60 when the text is not a whole
// number); the timer runs exactly when the seconds are above 0. The interval
// is capped so that seconds * 1000 fits the timer's millisecond range.
int ScreenshotSeconds(const std::string& text);
struct TimerSetting {
  int intervalMs = 60000;
  bool enabled = true;
};
TimerSetting ScreenshotTimer(const std::string& text);

// A port monitor shows at most this many lines; one more clears it.
constexpr int kMonitorMaxLines = 100;

// ---------------------------------------------------------------------------
// Settings file
// ---------------------------------------------------------------------------

struct GeodeticTexts {
  std::string semiMajorAxis, flattening, rotX, rotY, rotZ, shiftX, shiftY, shiftZ, scalePpm,
      centralMeridian, referenceLatitude, scaleFactor, falseEasting, falseNorthing;
  bool useTM = true;
  bool useDTP = true;
  std::string datumName;
  std::string lccSP1, lccSP2, lccSF, lccCP, lccM, lccFE, lccFN;
  bool useLCC = false;
  bool lambert1 = false;
};

struct DeviceSettings {
  PortTexts gps, sensor;
  bool sensorEnabled = true;
  std::string sbesMessage = "Quarix SMT";
  std::string sbesFormat;
  bool gyroEnabled = true;
  GeodeticTexts geodetic;
  DisplayTexts display;
};

// Section names.
extern const char* const kLockSection;
extern const char* const kGpsSection;
extern const char* const kSensorSection;
extern const char* const kGyroSection;
extern const char* const kGeodeticSection;
extern const char* const kGridSection;
extern const char* const kDepthLabelSection;
extern const char* const kEventLabelSection;
extern const char* const kOverlaySection;
extern const char* const kScreenshotSection;

// Reading fills s section by section; keys without a fixed default (the
// geodetic edits and boxes) keep the value s holds on entry.
void ReadPortSections(const IniFile& ini, DeviceSettings& s);  // GPS1, SENSOR, GYRO
void ReadGeodeticSection(const IniFile& ini, GeodeticTexts& g);
void ReadDisplaySections(const IniFile& ini, DisplayTexts& d);  // GRID .. OVERLAY
// The stored screenshot interval as the text of its edit (default "60").
std::string ReadScreenshotIntervalText(const IniFile& ini);
bool ReadLockSetting(const IniFile& ini);
// "Settings Locked (true/false)", a key only people write.
std::string ReadSettingsLockedText(const IniFile& ini);
bool ReadSettingsLocked(const IniFile& ini, bool def);

enum class TabLock { Disable, Enable, Keep };
// Exactly "true" locks, exactly "false" unlocks, anything else keeps.
TabLock TabLockFromText(const std::string& text);

// The keys of a group are stored together; when they cannot be, ok is false
// and failedKey names the group's first key.
struct WriteResult {
  bool ok = true;
  std::string failedKey;
};
WriteResult WriteLockSetting(IniFile& ini, bool locked);
// GPS1, SENSOR, GYRO and GEODETIC_PARAMETERS.
WriteResult WriteDeviceSections(IniFile& ini, const DeviceSettings& s);
// GRID, DEPTH_LABEL, EVENT_LABEL, OVERLAY, then SCREENSHOT Interval.
WriteResult WriteDisplaySections(IniFile& ini, const DisplayTexts& d);

// The seven entries a save appends to the events log.
std::vector<std::string> SettingsSummary(const DeviceSettings& s);

}  // namespace devicesettings
