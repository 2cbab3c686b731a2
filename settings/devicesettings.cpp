#include "settings/devicesettings.h"

#include <climits>
#include <initializer_list>
#include <string_view>

#include "app/displaysettings.h"
#include "app/helpers.h"
#include "app/settingsfile.h"

namespace devicesettings {

// ---------------------------------------------------------------------------
// Port boxes
// ---------------------------------------------------------------------------

const std::vector<std::string>& BaudRateItems() {
  static const std::vector<std::string> items = {"110",   "300",   "600",    "1200",   "2400",
                                                 "4800",  "9600",  "14400",  "19200",  "38400",
                                                 "56000", "57600", "115200", "128000", "256000"};
  return items;
}

const std::vector<std::string>& DataWidthItems() {
  static const std::vector<std::string> items = {"5", "6", "7", "8"};
  return items;
}

const std::vector<std::string>& StopBitsItems() {
  static const std::vector<std::string> items = {"1", "1.5", "2"};
  return items;
}

const std::vector<std::string>& ParityItems() {
  static const std::vector<std::string> items = {"Even", "Mark", "None", "Odd", "Space"};
  return items;
}

const std::vector<std::string>& PriorityItems() {
  static const std::vector<std::string> items = {"Higher", "Highest", "Idle",        "Lower",
                                                 "Lowest", "Normal",  "TimeCritical"};
  return items;
}

const std::vector<std::string>& DelayItems() {
  static const std::vector<std::string> items = {
      "1",   "5",   "10",   "100",  "200",  "300",  "400",   "500",   "600",   "700",
      "800", "900", "1000", "2000", "3000", "5000", "10000", "20000", "50000", "100000"};
  return items;
}

const std::vector<std::string>& BoolItems() {
  static const std::vector<std::string> items = {"True", "False"};
  return items;
}

PortTexts InitialPortTexts() {
  return {"COM1", "9600", "8", "1", "None", "Normal", "5", "False", "False", "True", "True"};
}

int ItemPosition(const std::vector<std::string>& items, const std::string& text) {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) return static_cast<int>(i);
  return -1;
}

namespace {
std::string Lower(std::string s) {
  for (auto& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}
}  // namespace

bool TryTextToBool(const std::string& text, bool& value) {
  double number = 0;
  if (TryStrToFloat(text, number)) {
    value = number != 0;
    return true;
  }
  const std::string t = Lower(TrimBlanks(text));
  if (t == "true") {
    value = true;
    return true;
  }
  if (t == "false") {
    value = false;
    return true;
  }
  return false;
}

std::string GnssLogFileName() { return DayLogFolder + DateText() + " QDM_GNSS_V3.log"; }
std::string SounderLogFileName() { return DayLogFolder + DateText() + " QDM_SBES_V3.log"; }

// ---------------------------------------------------------------------------
// Echo-sounder sentence types
// ---------------------------------------------------------------------------

const std::vector<SounderType>& SounderTypes() {
  // Scan formats: skip the sentence address (and the fields before the
  // depth), then read the depth or depths as reals.
  static const std::vector<SounderType> types = {
      {"Quarix SMT", "%*8s,%lf,%lf", LowFreqBox::Hide},
      {"NMEA DPT", "%*6s,%lf", LowFreqBox::Hide},
      {"NMEA DBT", "%*6s,%*lf,%*1s,%lf", LowFreqBox::Hide},
      {"Quarix XDR HI", "%*8s,%lf", LowFreqBox::Hide},
      {"Quarix XDR LO", "%*8s,%*lf,%*8s,%lf", LowFreqBox::Show},
      {"Quarix XDR H/L", "%*8s,%lf,%*8s,%lf", LowFreqBox::Show},
      {"ODC HI", "%*42s,%lf", LowFreqBox::Hide},
      {"OTHER", "", LowFreqBox::Unchanged},
  };
  return types;
}

std::vector<std::string> SounderTypeNames() {
  std::vector<std::string> names;
  for (const auto& t : SounderTypes()) names.emplace_back(t.name);
  return names;
}

const SounderType* FindSounderType(const std::string& text) {
  for (const auto& t : SounderTypes())
    if (text == t.name) return &t;
  return nullptr;
}

// ---------------------------------------------------------------------------
// Display settings
// ---------------------------------------------------------------------------

double GridSpacingValue(const std::string& text) { return StrToFloatDef(text, 100.0); }
int EventFontSizeValue(const std::string& text) { return StrToIntDef(text, 24); }
int OverlayFontSizeValue(const std::string& text) { return StrToIntDef(text, 40); }

DisplayValues DeriveDisplayValues(const DisplayTexts& t) {
  DisplayValues v;
  v.gridVisible = t.gridVisible;
  v.gridAutoSpacing = t.autoGrid;
  v.gridSpacingX = GridSpacingValue(t.gridSpacingX);
  v.gridSpacingY = GridSpacingValue(t.gridSpacingY);
  v.gridColor = t.gridColor;
  v.showDepthLabels = t.showDepthLabels;
  v.depthLabelSpacing = StrToFloatDef(t.labelSpacing, 10.0);
  v.depthLabelFontName = t.labelFontName;
  v.depthLabelFontSize = StrToIntDef(t.labelFontSize, 12);
  v.depthLabelColor = t.labelColor;
  v.eventLabelFontSize = EventFontSizeValue(t.eventFontSize);
  v.eventLabelColor = t.eventColor;
  v.overlayFontSize = OverlayFontSizeValue(t.overlayFontSize);
  v.overlayDepthColor = t.overlayDepthColor;
  v.overlaySpeedColor = t.overlaySpeedColor;
  return v;
}

void StoreDisplayGlobals(const DisplayValues& v) {
  GridVisible = v.gridVisible;
  GridAutoSpacing = v.gridAutoSpacing;
  GridSpacingX = v.gridSpacingX;
  GridSpacingY = v.gridSpacingY;
  GridColor = v.gridColor;
  ShowDepthLabels = v.showDepthLabels;
  DepthLabelSpacing = v.depthLabelSpacing;
  DepthLabelFontName = v.depthLabelFontName;
  DepthLabelFontSize = v.depthLabelFontSize;
  DepthLabelColor = v.depthLabelColor;
  EventLabelFontSize = v.eventLabelFontSize;
  EventLabelColor = v.eventLabelColor;
  OverlayFontSize = v.overlayFontSize;
  OverlayDepthColor = v.overlayDepthColor;
  OverlaySpeedColor = v.overlaySpeedColor;
}

MapGrid GridForMap(bool visible, bool autoSpacing, double spacingX, double spacingY,
                   TColor color) {
  MapGrid g;
  g.visible = visible;
  g.spacingX = autoSpacing ? 0.0 : spacingX;
  g.spacingY = autoSpacing ? 0.0 : spacingY;
  g.color = color;
  return g;
}

MapGrid GridFromGlobals() {
  return GridForMap(GridVisible, GridAutoSpacing, GridSpacingX, GridSpacingY, GridColor);
}

int ScreenshotSeconds(const std::string& text) { return StrToIntDef(text, 60); }

TimerSetting ScreenshotTimer(const std::string& text) {
  const int seconds = ScreenshotSeconds(text);
  TimerSetting t;
  t.enabled = seconds > 0;
  constexpr int kMaxSeconds = INT_MAX / 1000;
  if (seconds <= 0) t.intervalMs = 0;
  else t.intervalMs = (seconds > kMaxSeconds ? kMaxSeconds : seconds) * 1000;
  return t;
}

// ---------------------------------------------------------------------------
// Settings file
// ---------------------------------------------------------------------------

const char* const kLockSection = "LOCK SETTINGS";
const char* const kGpsSection = "GPS1 COMUNICATION SETTINGS";
const char* const kSensorSection = "SENSOR COMUNICATION SETTINGS";
const char* const kGyroSection = "GYRO";
const char* const kGeodeticSection = "GEODETIC_PARAMETERS";
const char* const kGridSection = "GRID_SETTINGS";
const char* const kDepthLabelSection = "DEPTH_LABEL_SETTINGS";
const char* const kEventLabelSection = "EVENT_LABEL_SETTINGS";
const char* const kOverlaySection = "OVERLAY_SETTINGS";
const char* const kScreenshotSection = "SCREENSHOT";

namespace {

constexpr const char* kLockKey = "Lock Settings";
constexpr const char* kSettingsLockedKey = "Settings Locked (true/false)";

// Key names of the port sections as the program writes them: padded with
// blanks to 15 characters, the sounder's port key to 16. Reading matches
// them without the blanks.
constexpr const char* kGpsPortKey = "Port No        ";
constexpr const char* kSensorPortKey = "Port No         ";
constexpr const char* kBaudKey = "Baud Rate      ";
constexpr const char* kDataWidthKey = "Data Width     ";
constexpr const char* kStopBitsKey = "Stop Bits      ";
constexpr const char* kParityKey = "Parity         ";
constexpr const char* kPriorityKey = "Priority       ";
constexpr const char* kDelayKey = "Delay          ";
constexpr const char* kNmeaLogKey = "NMEA LOG       ";
constexpr const char* kLogTimeKey = "Log Time       ";
constexpr const char* kDtrKey = "Enable DTR     ";
constexpr const char* kRtsKey = "Enable RTS     ";
constexpr const char* kSensorEnabledKey = "Sensor Enabled     ";
constexpr const char* kGyroEnabledKey = "Gyro Enabled     ";

// The eleven port keys with the member each one belongs to.
struct PortKey {
  const char* sensorKey;
  const char* gpsKey;
  std::string PortTexts::*field;
};
const PortKey kPortKeys[] = {
    {kSensorPortKey, kGpsPortKey, &PortTexts::port},
    {kBaudKey, kBaudKey, &PortTexts::baudRate},
    {kDataWidthKey, kDataWidthKey, &PortTexts::dataWidth},
    {kStopBitsKey, kStopBitsKey, &PortTexts::stopBits},
    {kParityKey, kParityKey, &PortTexts::parity},
    {kPriorityKey, kPriorityKey, &PortTexts::priority},
    {kDelayKey, kDelayKey, &PortTexts::delay},
    {kNmeaLogKey, kNmeaLogKey, &PortTexts::nmeaLog},
    {kLogTimeKey, kLogTimeKey, &PortTexts::logTime},
    {kDtrKey, kDtrKey, &PortTexts::enableDTR},
    {kRtsKey, kRtsKey, &PortTexts::enableRTS},
};

struct GeoTextKey {
  const char* key;
  std::string GeodeticTexts::*field;
};
const GeoTextKey kGeoTmKeys[] = {
    {"SemiMajorAxis", &GeodeticTexts::semiMajorAxis},
    {"InverseFlattening", &GeodeticTexts::flattening},
    {"X_Rotation", &GeodeticTexts::rotX},
    {"Y_Rotation", &GeodeticTexts::rotY},
    {"Z_Rotation", &GeodeticTexts::rotZ},
    {"X_Shift", &GeodeticTexts::shiftX},
    {"Y_Shift", &GeodeticTexts::shiftY},
    {"Z_Shift", &GeodeticTexts::shiftZ},
    {"Scale_PPM", &GeodeticTexts::scalePpm},
    {"Central_Meridian", &GeodeticTexts::centralMeridian},
    {"Reference_Latitude", &GeodeticTexts::referenceLatitude},
    {"Scale_Factor", &GeodeticTexts::scaleFactor},
    {"False_Easting", &GeodeticTexts::falseEasting},
    {"False_Northing", &GeodeticTexts::falseNorthing},
};
const GeoTextKey kGeoLccKeys[] = {
    {"eLCCSP1", &GeodeticTexts::lccSP1}, {"eLCCSP2", &GeodeticTexts::lccSP2},
    {"eLCCSF", &GeodeticTexts::lccSF},   {"eLCCCP", &GeodeticTexts::lccCP},
    {"eLCCM", &GeodeticTexts::lccM},     {"eLCCFE", &GeodeticTexts::lccFE},
    {"eLCCFN", &GeodeticTexts::lccFN},
};

TColor ReadColor(const IniFile& ini, const char* section, const char* key, TColor def) {
  return static_cast<TColor>(ini.ReadInteger(section, key, static_cast<int>(def)));
}

// Gathers the keys of one group and stores them in one write.
class Writer {
 public:
  explicit Writer(IniFile& ini) : ini_(ini) {}
  void Text(const char* section, const char* key, const std::string& value) {
    if (first_.empty()) first_ = key;
    ini_.WriteString(section, key, value);
  }
  void Bool(const char* section, const char* key, bool value) {
    Text(section, key, value ? "1" : "0");
  }
  void Int(const char* section, const char* key, int value) {
    Text(section, key, std::to_string(value));
  }
  void Color(const char* section, const char* key, TColor value) {
    Int(section, key, static_cast<int>(value));
  }
  // The keys written are stored together; when that fails, none is and the
  // first of them is named.
  const WriteResult& Result() {
    if (!ini_.UpdateFile()) {
      result_.ok = false;
      result_.failedKey = first_;
    }
    return result_;
  }

 private:
  IniFile& ini_;
  std::string first_;
  WriteResult result_;
};

void WritePortSection(Writer& w, const char* section, const PortTexts& t, bool sensor) {
  for (const auto& k : kPortKeys) w.Text(section, sensor ? k.sensorKey : k.gpsKey, t.*k.field);
}

void ReadPortSection(const IniFile& ini, const char* section, PortTexts& t, bool sensor) {
  for (const auto& k : kPortKeys) t.*k.field = ini.ReadString(section, sensor ? k.sensorKey : k.gpsKey, "");
}

}  // namespace

void ReadPortSections(const IniFile& ini, DeviceSettings& s) {
  ReadPortSection(ini, kGpsSection, s.gps, false);
  ReadPortSection(ini, kSensorSection, s.sensor, true);
  s.sensorEnabled = ini.ReadBool(kSensorSection, kSensorEnabledKey, true);
  s.sbesMessage = ini.ReadString(kSensorSection, "cSBESMessage", "Quarix SMT");
  s.sbesFormat = ini.ReadString(kSensorSection, "eSBESFormat", "%*8s,%lf");
  s.gyroEnabled = ini.ReadBool(kGyroSection, kGyroEnabledKey, true);
}

void ReadGeodeticSection(const IniFile& ini, GeodeticTexts& g) {
  for (const auto& k : kGeoTmKeys) g.*k.field = ini.ReadString(kGeodeticSection, k.key, g.*k.field);
  g.useTM = ini.ReadBool(kGeodeticSection, "Use Projection", g.useTM);
  g.useDTP = ini.ReadBool(kGeodeticSection, "Use DTP", g.useDTP);
  g.datumName = ini.ReadString(kGeodeticSection, "Name of Datum", "");
  for (const auto& k : kGeoLccKeys) g.*k.field = ini.ReadString(kGeodeticSection, k.key, g.*k.field);
  g.useLCC = ini.ReadBool(kGeodeticSection, "cbUseLCCProjection", g.useLCC);
  g.lambert1 = ini.ReadBool(kGeodeticSection, "cLambert1", g.lambert1);
}

void ReadDisplaySections(const IniFile& ini, DisplayTexts& d) {
  d.gridVisible = ini.ReadBool(kGridSection, "GridVisible", true);
  d.autoGrid = ini.ReadBool(kGridSection, "AutoGrid", false);
  d.gridSpacingX = ini.ReadString(kGridSection, "GridSpacingX", "100");
  d.gridSpacingY = ini.ReadString(kGridSection, "GridSpacingY", "100");
  d.gridColor = ReadColor(ini, kGridSection, "GridColor", 12632256);
  d.showDepthLabels = ini.ReadBool(kDepthLabelSection, "ShowDepthLabels", true);
  d.labelSpacing = ini.ReadString(kDepthLabelSection, "LabelSpacing", "10");
  d.labelFontName = ini.ReadString(kDepthLabelSection, "FontName", "Arial");
  d.labelFontSize = ini.ReadString(kDepthLabelSection, "FontSize", "12");
  d.labelColor = ReadColor(ini, kDepthLabelSection, "TextColor", 0);
  d.eventFontSize = ini.ReadString(kEventLabelSection, "FontSize", "24");
  d.eventColor = ReadColor(ini, kEventLabelSection, "TextColor", 255);
  d.overlayFontSize = ini.ReadString(kOverlaySection, "FontSize", "40");
  d.overlayDepthColor = ReadColor(ini, kOverlaySection, "DepthColor", 8388608);
  d.overlaySpeedColor = ReadColor(ini, kOverlaySection, "SpeedColor", 0);
}

std::string ReadScreenshotIntervalText(const IniFile& ini) {
  return std::to_string(ini.ReadInteger(kScreenshotSection, "Interval", 60));
}

bool ReadLockSetting(const IniFile& ini) { return ini.ReadBool(kLockSection, kLockKey, false); }

std::string ReadSettingsLockedText(const IniFile& ini) {
  return ini.ReadString(kLockSection, kSettingsLockedKey, "");
}

bool ReadSettingsLocked(const IniFile& ini, bool def) {
  return ini.ReadBool(kLockSection, kSettingsLockedKey, def);
}

TabLock TabLockFromText(const std::string& text) {
  if (text == "true") return TabLock::Disable;
  if (text == "false") return TabLock::Enable;
  return TabLock::Keep;
}

WriteResult WriteLockSetting(IniFile& ini, bool locked) {
  Writer w(ini);
  w.Bool(kLockSection, kLockKey, locked);
  return w.Result();
}

WriteResult WriteDeviceSections(IniFile& ini, const DeviceSettings& s) {
  Writer w(ini);
  WritePortSection(w, kGpsSection, s.gps, false);
  WritePortSection(w, kSensorSection, s.sensor, true);
  w.Bool(kSensorSection, kSensorEnabledKey, s.sensorEnabled);
  w.Text(kSensorSection, "cSBESMessage", s.sbesMessage);
  w.Text(kSensorSection, "eSBESFormat", s.sbesFormat);
  w.Bool(kGyroSection, kGyroEnabledKey, s.gyroEnabled);
  const GeodeticTexts& g = s.geodetic;
  for (const auto& k : kGeoTmKeys) w.Text(kGeodeticSection, k.key, g.*k.field);
  w.Bool(kGeodeticSection, "Use Projection", g.useTM);
  w.Bool(kGeodeticSection, "Use DTP", g.useDTP);
  w.Text(kGeodeticSection, "Name of Datum", g.datumName);
  for (const auto& k : kGeoLccKeys) w.Text(kGeodeticSection, k.key, g.*k.field);
  w.Bool(kGeodeticSection, "cbUseLCCProjection", g.useLCC);
  w.Bool(kGeodeticSection, "cLambert1", g.lambert1);
  return w.Result();
}

WriteResult WriteDisplaySections(IniFile& ini, const DisplayTexts& d) {
  Writer w(ini);
  w.Bool(kGridSection, "GridVisible", d.gridVisible);
  w.Bool(kGridSection, "AutoGrid", d.autoGrid);
  w.Text(kGridSection, "GridSpacingX", d.gridSpacingX);
  w.Text(kGridSection, "GridSpacingY", d.gridSpacingY);
  w.Color(kGridSection, "GridColor", d.gridColor);
  w.Bool(kDepthLabelSection, "ShowDepthLabels", d.showDepthLabels);
  w.Text(kDepthLabelSection, "LabelSpacing", d.labelSpacing);
  w.Text(kDepthLabelSection, "FontName", d.labelFontName);
  w.Text(kDepthLabelSection, "FontSize", d.labelFontSize);
  w.Color(kDepthLabelSection, "TextColor", d.labelColor);
  w.Text(kEventLabelSection, "FontSize", d.eventFontSize);
  w.Color(kEventLabelSection, "TextColor", d.eventColor);
  w.Text(kOverlaySection, "FontSize", d.overlayFontSize);
  w.Color(kOverlaySection, "DepthColor", d.overlayDepthColor);
  w.Color(kOverlaySection, "SpeedColor", d.overlaySpeedColor);
  w.Int(kScreenshotSection, "Interval", ScreenshotSeconds(d.screenshotInterval));
  return w.Result();
}

std::vector<std::string> SettingsSummary(const DeviceSettings& s) {
  const GeodeticTexts& g = s.geodetic;
  auto join = [](std::initializer_list<std::string_view> parts) {
    std::string line;
    for (auto p : parts) line.append(p);
    return line;
  };
  return {
      "=== SETTINGS SAVED ===",
      join({"GPS: Port=", s.gps.port, ", Baud=", s.gps.baudRate}),
      join({"Sensor: Port=", s.sensor.port, ", Baud=", s.sensor.baudRate,
            ", Enabled=", s.sensorEnabled ? "Yes" : "No"}),
      join({"Datum: ", g.datumName, ", DTP=", g.useDTP ? "Yes" : "No"}),
      join({"TM: CM=", g.centralMeridian, ", RefLat=", g.referenceLatitude, ", SF=", g.scaleFactor,
            ", FE=", g.falseEasting, ", FN=", g.falseNorthing}),
      join({"LCC: ", g.useLCC ? "Enabled" : "Disabled", ", SP1=", g.lccSP1, ", SP2=", g.lccSP2}),
      "======================",
  };
}

}  // namespace devicesettings
