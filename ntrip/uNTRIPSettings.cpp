#include "ntrip/uNTRIPSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTimeZone>
#include <QTimer>
#include <cmath>

#include "app/formats.h"
#include "app/helpers.h"
#include "app/settingsfile.h"
#include "app/textfile.h"
#include "ntrip/QuarixNTRIPClient.h"
#include "ntrip/ntripprotocol.h"
#include "ntrip/rtcm3.h"
#include "ntrip/uRTCMParsing.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "devices/serialportmap.h"
#include "runtime/unavigation.h"

TfrmNTRIPSettings* frmNTRIPSettings = nullptr;

namespace {

const char* kSection = "NTRIP";
// profiles.txt holds a line of about a hundred bytes for each caster.
constexpr uint64_t kMaxProfilesFileBytes = 1ull << 20;
const int kBaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200};

std::string Text(const QLineEdit* e) { return e->text().toStdString(); }
std::string Text(const QComboBox* b) { return b->currentText().toStdString(); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

// "###,###,###,##0"
std::string Grouped(long long value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return value < 0 ? "-" + out : out;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// The caster port of the edit: 2101 when it is empty, 0 when it is no port
// number (1 to 65535).
int CasterPortOf(const std::string& text) {
  if (TrimBlanks(text).empty()) return 2101;
  int port = 0;
  return TryStrToInt(text, port) && port >= 1 && port <= 65535 ? port : 0;
}

double NumberOrZero(const std::string& text) {
  double v = 0;
  return TryStrToFloat(text, v) ? v : 0.0;
}

}  // namespace

TfrmNTRIPSettings::TfrmNTRIPSettings(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("frmNTRIPSettings");
  setWindowTitle("Quarix NTRIP Client");
  setFixedSize(320, 498);
  IniFileName = platform::SettingsFileName();
  ProfilesFileName = platform::ProgramFolder() + "profiles.txt";
  LastDataTime = platform::Now();

  auto label = [this](QLabel*& l, const char* name, const char* text, int x, int y) {
    l = new QLabel(text, this);
    l->setObjectName(name);
    l->move(x, y);
  };
  label(lblProfile, "lblProfile", "Profile", 12, 12);
  label(lblServer, "lblServer", "Server Address", 12, 38);
  label(lblPort, "lblPort", "Port", 12, 64);
  label(lblUsername, "lblUsername", "Username", 12, 90);
  label(lblPassword, "lblPassword", "Password", 12, 116);
  label(lblOutputPosition, "lblOutputPosition", "Output Position", 12, 142);
  label(lblLatitude, "lblLatitude", "Latitude (deg)", 12, 168);
  label(lblLongitude, "lblLongitude", "Longitude (deg)", 12, 194);
  label(lblMountpoint, "lblMountpoint", "Mountpoint", 12, 220);
  label(lblOutputPort, "lblOutputPort", "Output Port", 12, 380);
  label(lblOutputBaud, "lblOutputBaud", "Baud", 223, 380);
  label(lblBytesReceived, "lblBytesReceived", "Bytes Received", 12, 430);
  label(lblBytesSent, "lblBytesSent", "Bytes Sent", 12, 450);
  label(lblBytesReceivedValue, "lblBytesReceivedValue", "0", 110, 430);
  label(lblBytesSentValue, "lblBytesSentValue", "0", 110, 450);
  lblBytesReceivedValue->setStyleSheet("color: green");
  lblBytesSentValue->setStyleSheet("color: green");

  auto edit = [this](const char* name, const char* text, int x, int y, int w) {
    auto* e = new QLineEdit(text, this);
    e->setObjectName(name);
    e->setGeometry(x, y, w, 21);
    return e;
  };
  auto combo = [this](const char* name, int x, int y, int w) {
    auto* b = new QComboBox(this);
    b->setObjectName(name);
    b->setGeometry(x, y, w, 21);
    return b;
  };
  auto button = [this](const char* name, const char* text, int x, int y, int w, int h) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setGeometry(x, y, w, h);
    return b;
  };
  boxProfile = combo("boxProfile", 110, 9, 168);
  btnSaveProfile = button("btnSaveProfile", "+", 284, 9, 24, 21);
  edtServer = edit("edtServer", kDefaultCasterHost, 110, 35, 198);
  edtPort = edit("edtPort", "2101", 110, 61, 80);
  edtUsername = edit("edtUsername", "", 110, 87, 198);
  edtPassword = edit("edtPassword", "", 110, 113, 198);
  edtPassword->setEchoMode(QLineEdit::Password);
  rbFromGPS = new QRadioButton("From GPS", this);
  rbFromGPS->setObjectName("rbFromGPS");
  rbFromGPS->setGeometry(110, 141, 76, 17);
  rbFromGPS->setChecked(true);
  rbManual = new QRadioButton("Manual", this);
  rbManual->setObjectName("rbManual");
  rbManual->setGeometry(190, 141, 60, 17);
  edtLatitude = edit("edtLatitude", "0.0", 110, 165, 198);
  edtLatitude->setEnabled(false);
  edtLongitude = edit("edtLongitude", "0.0", 110, 191, 198);
  edtLongitude->setEnabled(false);
  boxMountpoint = combo("boxMountpoint", 110, 217, 99);
  btnFetchSources = button("btnFetchSources", "Fetch Sources", 215, 215, 93, 25);
  chkShowLog = new QCheckBox("Show Log", this);
  chkShowLog->setObjectName("chkShowLog");
  chkShowLog->setGeometry(12, 248, 98, 17);
  chkShowLog->setChecked(true);
  pbProgress = new QProgressBar(this);
  pbProgress->setObjectName("pbProgress");
  pbProgress->setGeometry(110, 248, 198, 17);
  pbProgress->setRange(0, 100);
  pbProgress->setValue(0);
  memoLog = new QPlainTextEdit(this);
  memoLog->setObjectName("memoLog");
  memoLog->setGeometry(12, 270, 296, 100);
  memoLog->setReadOnly(true);
  memoLog->setFont(QFont("Consolas"));
  memoLog->setMaximumBlockCount(100);
  memoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  chkOutputPort = new QCheckBox("Enable", this);
  chkOutputPort->setObjectName("chkOutputPort");
  chkOutputPort->setGeometry(12, 398, 55, 17);
  boxOutputPort = combo("boxOutputPort", 70, 395, 147);
  boxOutputBaud = combo("boxOutputBaud", 223, 395, 80);
  for (int rate : kBaudRates) boxOutputBaud->addItem(QString::number(rate));
  boxOutputBaud->setCurrentIndex(5);
  btnConnect = button("btnConnect", "Connect", 2, 469, 88, 25);  // room for "Connecting..."
  Button1 = button("Button1", "RTCM Parsing", 95, 469, 122, 25);
  btnClose = button("btnClose", "Close", 246, 469, 62, 25);
  tmrUpdate = new QTimer(this);
  tmrUpdate->setInterval(500);

  connect(btnConnect, &QPushButton::clicked, this, [this] { btnConnectClick(btnConnect); });
  connect(btnFetchSources, &QPushButton::clicked, this, [this] { btnFetchSourcesClick(btnFetchSources); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
  connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(btnClose); });
  connect(btnSaveProfile, &QPushButton::clicked, this, [this] { btnSaveProfileClick(btnSaveProfile); });
  connect(boxProfile, &QComboBox::activated, this, [this] { boxProfileChange(boxProfile); });
  connect(chkShowLog, &QCheckBox::toggled, this, [this] { chkShowLogClick(chkShowLog); });
  connect(chkOutputPort, &QCheckBox::toggled, this, [this] { chkOutputPortClick(chkOutputPort); });
  connect(rbFromGPS, &QRadioButton::toggled, this, [this](bool on) { if (on) rbFromGPSClick(rbFromGPS); });
  connect(rbManual, &QRadioButton::toggled, this, [this](bool on) { if (on) rbManualClick(rbManual); });
  connect(tmrUpdate, &QTimer::timeout, this, [this] { tmrUpdateTimer(tmrUpdate); });

  // FormCreate
  ListOutputPorts();
  Client = new TQuarixNTRIPClient(this);
  Client->OnStatus = [this](TQuarixNTRIPClient* c, int code, const std::string& m) { NTRIPClientStatus(c, code, m); };
  Client->OnData = [this](TQuarixNTRIPClient* c, const uint8_t* d, int n) { NTRIPClientData(c, d, n); };
  Client->OnSourceTable = [this](TQuarixNTRIPClient* c, const std::vector<std::string>* l) {
    NTRIPClientSourceTable(c, l);
  };
  Client->OnLog = [this](TQuarixNTRIPClient* c, const std::string& t) { NTRIPClientLog(c, t); };
  Client->OnForwardLoss = [this](TQuarixNTRIPClient* c, const CorrectionForwarder::Loss& loss) {
    NTRIPClientForwardLoss(c, loss);
  };
  LoadProfiles();
  LoadSettings();
  AddLog("Quarix NTRIP Client initialized");
  tmrUpdate->start();
  // The window lives until the program ends: its worker is stopped, its port
  // closed and its settings saved while the event loop still exists.
  if (QCoreApplication* app = QCoreApplication::instance())
    connect(app, &QCoreApplication::aboutToQuit, this, [this] { FormDestroy(); });
}

TfrmNTRIPSettings::~TfrmNTRIPSettings() { FormDestroy(); }

void TfrmNTRIPSettings::FormDestroy() {
  // The client goes first, while the controls it reports to exist.
  tmrUpdate->stop();
  SaveSettings();
  CloseOutputPort();
  if (Client) {
    Client->Disconnect();
    delete Client;
    Client = nullptr;
  }
}

void TfrmNTRIPSettings::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous() && FNav) {  // placed at the centre of the main window
    QRect r = geometry();
    r.moveCenter(FNav->geometry().center());
    move(r.topLeft());
  }
  FormShow();
}

void TfrmNTRIPSettings::FormShow() { UpdatePositionMode(); }

void TfrmNTRIPSettings::AddLog(const std::string& text) {
  memoLog->appendPlainText(platform::Now().toString("hh:mm:ss") + " " + Q(text));
}

void TfrmNTRIPSettings::UpdatePositionMode() {
  const bool manual = rbManual->isChecked();
  for (QLineEdit* e : {edtLatitude, edtLongitude}) {
    e->setEnabled(manual);
    e->setReadOnly(!manual);
    e->setBackgroundRole(manual ? QPalette::Base : QPalette::Button);
  }
  if (Client) {
    std::lock_guard<std::mutex> lock(Client->PositionMutex);
    Client->UseManualPosition = manual;
  }
}

void TfrmNTRIPSettings::rbFromGPSClick(QObject*) { UpdatePositionMode(); }
void TfrmNTRIPSettings::rbManualClick(QObject*) { UpdatePositionMode(); }
void TfrmNTRIPSettings::chkShowLogClick(QObject*) { memoLog->setVisible(chkShowLog->isChecked()); }
void TfrmNTRIPSettings::btnCloseClick(QObject*) { close(); }

void TfrmNTRIPSettings::btnConnectClick(QObject*) {
  if (!Client) return;
  if (Client->Connected) {
    AddLog("Disconnecting (manual)...");
    AutoConnect = false;
    SaveSettings();
    Client->AutoReconnect = false;
    Client->Disconnect();
    btnConnect->setText("Connect");
    ShownStatus = 0;  // the client reports nothing for a disconnection it was asked for
    UpdateCaption();
    return;
  }
  if (Text(boxMountpoint).empty()) {
    AddLog("Please select a mountpoint first");
    return;
  }
  const int port = CasterPortOf(Text(edtPort));
  if (port == 0) {
    AddLog("Invalid port: " + Text(edtPort) + " (1 to 65535)");
    return;
  }
  SaveSettings();
  Client->CasterHost = Text(edtServer);
  Client->CasterPort = port;
  Client->Username = Text(edtUsername);
  Client->Password = Text(edtPassword);
  Client->MountPoint = Text(boxMountpoint);
  {
    std::lock_guard<std::mutex> lock(Client->PositionMutex);
    Client->UseManualPosition = rbManual->isChecked();
    Client->Latitude = NumberOrZero(Text(edtLatitude));
    Client->Longitude = NumberOrZero(Text(edtLongitude));
  }
  AddLog("Position: " + Text(edtLatitude) + ", " + Text(edtLongitude));
  AddLog("Connecting to " + Text(edtServer) + ":" + Text(edtPort) + "/" + Text(boxMountpoint));
  Client->AutoReconnect = true;
  Client->Connect();
  btnConnect->setText("Disconnect");
}

void TfrmNTRIPSettings::btnFetchSourcesClick(QObject*) {
  if (!Client) return;
  const int port = CasterPortOf(Text(edtPort));
  if (port == 0) {
    AddLog("Invalid port: " + Text(edtPort) + " (1 to 65535)");
    return;
  }
  Client->CasterHost = Text(edtServer);
  Client->CasterPort = port;
  Client->Username = Text(edtUsername);
  Client->Password = Text(edtPassword);
  AddLog("Fetching source table...");
  btnFetchSources->setEnabled(false);
  Client->FetchSourceTable();
}

void TfrmNTRIPSettings::NTRIPClientSourceTable(QObject*, const std::vector<std::string>* list) {
  btnFetchSources->setEnabled(true);
  boxMountpoint->clear();
  for (const auto& name : *list) boxMountpoint->addItem(Q(name));
  if (!list->empty()) boxMountpoint->setCurrentIndex(0);
  AddLog("Found " + std::to_string(list->size()) + " mount points");
}

void TfrmNTRIPSettings::NTRIPClientLog(QObject*, const std::string& text) { AddLog(text); }

void TfrmNTRIPSettings::NTRIPClientForwardLoss(QObject*, const CorrectionForwarder::Loss& loss) {
  const std::string amount = Grouped(static_cast<long long>(loss.bytes)) + " bytes, " +
                             Grouped(static_cast<long long>(loss.frames)) + " RTCM frames";
  const std::string text =
      loss.dropping ? "Corrections dropped: the receiver's port " + ForwardPortName() +
                          " cannot take them as fast as they arrive (" + amount + " so far)"
                    : "The receiver's port " + ForwardPortName() + " takes the corrections again (" + amount +
                          " were dropped)";
  ForwardDropping = loss.dropping;
  AddLog(text);
  LogEvent("NTRIP: " + text);
  UpdateCaption();
}

std::string TfrmNTRIPSettings::ForwardPortName() {
  if (OutputPortHandle) return Text(boxOutputPort);
  return GPSPortName.empty() ? std::string("(GPS)") : GPSPortName;
}

void TfrmNTRIPSettings::NTRIPClientStatus(QObject*, int code, const std::string&) {
  if (code == 0 || code == 4) {
    btnFetchSources->setEnabled(true);
    if (DataFlowing) {
      DataFlowing = false;
      if (!isVisible()) {
        show();
        AddLog("Connection lost - showing NTRIP settings");
      }
    }
  }
  if (code == 3) {
    DataFlowing = true;
    if (!AutoConnect) {
      AutoConnect = true;
      SaveSettings();
      AddLog("Auto-connect enabled for next startup");
    }
  }
  static const char* const buttons[] = {"Connect", "Connecting...", "Disconnect", "Disconnect", "Connect"};
  if (code >= 0 && code <= 4) {
    btnConnect->setText(buttons[code]);
    ShownStatus = code;
    UpdateCaption();
  }
}

bool TfrmNTRIPSettings::CorrectionsForwarded() {
  const platform::SerialHandle port = Client ? Client->GetSerialHandle() : nullptr;
  return port && port->IsOpen();
}

void TfrmNTRIPSettings::UpdateCaption() {
  static const char* const titles[] = {"Disconnected", "Connecting...", "Connected", "Receiving Data", "Error"};
  if (ShownStatus < 0 || ShownStatus > 4) return;
  QString title = QString("Quarix NTRIP Client - ") + titles[ShownStatus];
  if ((ShownStatus == 2 || ShownStatus == 3) && !CorrectionsForwarded()) title += " - Not Forwarded (no GPS port)";
  else if (ForwardDropping) title += " - Corrections Dropped (port too slow)";
  if (title != windowTitle()) setWindowTitle(title);
}

void TfrmNTRIPSettings::tmrUpdateTimer(QObject*) {
  if (!Client) return;
  if (PendingAutoConnect) {
    PendingAutoConnect = false;
    if (!Client->Connected) {
      AddLog("Auto-reconnecting...");
      btnConnectClick(btnConnect);
    }
  }
  if (DataFlowing && Client->Connected && LastDataTime.msecsTo(platform::Now()) > 30000 && !isVisible()) {
    show();
    AddLog("No data received for 30 seconds - showing NTRIP settings");
  }
  const int received = Client->BytesReceived;
  // The counters are sized to their text: they grow with it.
  lblBytesReceivedValue->setText(Q(Grouped(received)));
  lblBytesReceivedValue->adjustSize();
  lblBytesSentValue->setText(Q(Grouped(Client->BytesSent)));
  lblBytesSentValue->adjustSize();
  pbProgress->setValue((received % 5000) / 50);
  UpdateCaption();  // the receiver's port may have closed meanwhile
}

void TfrmNTRIPSettings::NTRIPClientData(QObject*, const uint8_t* data, int length) {
  LastDataTime = platform::Now();  // the client has forwarded the block already
  for (const rtcm3::StationFix& s : rtcm3::FindStations(data, length)) {
    if (s.id == BaseStationId && std::fabs(s.latitude - BaseLatitude) <= 0.00001 &&
        std::fabs(s.longitude - BaseLongitude) <= 0.00001)
      continue;
    const std::string text = rtcm3::StationText(s.id, s.latitude, s.longitude, s.height);
    AddLog("Base " + text);
    LogBaseStationEvent(text);
    BaseStationId = s.id;
    BaseLatitude = s.latitude;
    BaseLongitude = s.longitude;
    BaseHeight = s.height;
  }
}

void TfrmNTRIPSettings::LogBaseStationEvent(const std::string& stationText) {
  const QDateTime now = platform::Now();
  const std::string today = now.toString("yyyy-MM-dd").toStdString();
  const std::string folder = platform::DataRoot() + today + "/LOG/";
  if (!platform::FolderExists(folder)) return;
  const std::string file = folder + today + " Events.log";
  std::vector<std::string> lines;
  std::string bytes;
  if (platform::FileExists(file)) {
    if (!ReadWholeFile(file, bytes)) {  // never written over, and told as a write that failed
      NoteEventLogWrite(false, file);
      return;
    }
    lines = SplitTextLines(bytes);
  }
  lines.push_back("Auto Event:\t" + now.toString("yyyy-MM-dd hhmmss").toStdString() + "000" +
                  "\tNTRIP Base Station " + stationText);
  NoteEventLogWrite(WriteFileAtomically(file, JoinLines(lines)), file);
}

void TfrmNTRIPSettings::SetGPSPort(platform::SerialHandle handle, const std::string& portName) {
  if (handle && !handle->IsOpen()) handle.reset();
  GPSPort = std::move(handle);
  if (Client) {
    HandForwardPort();
    if (GPSPort)
      AddLog("Serial port handle connected");
    else if (!OutputPortHandle)
      AddLog("GPS port " + (portName.empty() ? GPSPortName : portName) +
             " closed - corrections are not forwarded until it is open again");
  }
  if (!portName.empty()) {
    GPSPortName = portName;
    if (boxOutputPort->count() > 0) boxOutputPort->setItemText(0, Q(GPSPortName + " This Port (GPS)"));
  }
  UpdateCaption();
}

void TfrmNTRIPSettings::SetGPSPosition(double latitude, double longitude, double altitude) {
  if (rbManual->isChecked()) return;
  edtLatitude->setText(Q(FormatFixed(latitude, 8)));
  edtLongitude->setText(Q(FormatFixed(longitude, 8)));
  GPSAltitude = altitude;
  if (Client) Client->SetPosition(latitude, longitude, altitude);
}

// ---------------------------------------------------------------------------
// Settings, profiles and the output port

void TfrmNTRIPSettings::LoadSettings() {
  IniFile ini(IniFileName);
  edtServer->setText(Q(ini.ReadString(kSection, "Server", kDefaultCasterHost)));
  edtPort->setText(Q(ini.ReadString(kSection, "Port", "2101")));
  edtUsername->setText(Q(ini.ReadString(kSection, "Username", "")));
  edtPassword->setText(Q(ini.ReadString(kSection, "Password", "")));
  const std::string mount = ini.ReadString(kSection, "MountPoint", "");
  if (!mount.empty()) {
    boxMountpoint->addItem(Q(mount));
    boxMountpoint->setCurrentIndex(0);
  }
  if (ini.ReadBool(kSection, "UseManualPosition", false)) rbManual->setChecked(true);
  else rbFromGPS->setChecked(true);
  edtLatitude->setText(Q(ini.ReadString(kSection, "Latitude", "0.0")));
  edtLongitude->setText(Q(ini.ReadString(kSection, "Longitude", "0.0")));
  const std::string port = ini.ReadString(kSection, "OutputPort", "");
  if (!port.empty()) {
    const int i = boxOutputPort->findText(Q(port), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i >= 0) boxOutputPort->setCurrentIndex(i);
  }
  const int baud = ini.ReadInteger(kSection, "OutputBaud", 5);
  boxOutputBaud->setCurrentIndex(baud >= 0 && baud <= 5 ? baud : -1);
  // Read before the output box may save the settings.
  const bool autoConnect = ini.ReadBool(kSection, "AutoConnect", false);
  AutoConnect = autoConnect;
  chkOutputPort->setChecked(ini.ReadBool(kSection, "OutputEnabled", false));
  AutoConnect = autoConnect;
  UpdatePositionMode();
  if (AutoConnect && !Text(boxMountpoint).empty()) {
    PendingAutoConnect = true;
    AddLog("Auto-connect enabled - will connect on startup");
  }
}

void TfrmNTRIPSettings::SaveSettings() {
  IniFile ini(IniFileName);
  ini.WriteString(kSection, "Server", Text(edtServer));
  ini.WriteString(kSection, "Port", Text(edtPort));
  ini.WriteString(kSection, "Username", Text(edtUsername));
  ini.WriteString(kSection, "Password", Text(edtPassword));
  ini.WriteString(kSection, "MountPoint", Text(boxMountpoint));
  ini.WriteBool(kSection, "UseManualPosition", rbManual->isChecked());
  ini.WriteString(kSection, "Latitude", Text(edtLatitude));
  ini.WriteString(kSection, "Longitude", Text(edtLongitude));
  ini.WriteString(kSection, "OutputPort", Text(boxOutputPort));
  ini.WriteInteger(kSection, "OutputBaud", boxOutputBaud->currentIndex());
  ini.WriteBool(kSection, "OutputEnabled", chkOutputPort->isChecked());
  ini.WriteBool(kSection, "AutoConnect", AutoConnect);
}

void TfrmNTRIPSettings::LoadProfiles() {
  boxProfile->clear();
  boxProfile->addItem("<New Profile>");
  std::string bytes;
  if (platform::FileExists(ProfilesFileName) && ReadWholeFile(ProfilesFileName, bytes, kMaxProfilesFileBytes)) {
    // Each entry keeps the number of its file line: lines without a TAB are
    // left out of the list but still count.
    const std::vector<std::string> lines = SplitTextLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::size_t tab = lines[i].find('\t');
      if (tab != std::string::npos) boxProfile->addItem(Q(lines[i].substr(0, tab)), int(i));
    }
  }
  boxProfile->setCurrentIndex(boxProfile->count() > 1 ? 1 : 0);
}

void TfrmNTRIPSettings::boxProfileChange(QObject*) {
  const int index = boxProfile->currentIndex();
  if (index <= 0 || !platform::FileExists(ProfilesFileName)) return;
  std::string bytes;
  if (!ReadWholeFile(ProfilesFileName, bytes, kMaxProfilesFileBytes)) return;
  const std::vector<std::string> lines = SplitTextLines(bytes);
  const int line = boxProfile->itemData(index).toInt();
  if (line < 0 || line >= int(lines.size())) return;
  const std::vector<std::string> f = ntrip::SplitFields(lines[line], '\t');
  if (f.size() < 5) return;
  edtServer->setText(Q(f[1]));
  edtPort->setText(Q(f[2]));
  edtUsername->setText(Q(f[3]));
  edtPassword->setText(Q(f[4]));
  if (f.size() >= 7) {
    edtLatitude->setText(Q(f[5]));
    edtLongitude->setText(Q(f[6]));
  }
}

void TfrmNTRIPSettings::btnSaveProfileClick(QObject*) { SaveProfile(); }

void TfrmNTRIPSettings::SaveProfile() {
  // A profile is one line of TAB-separated fields: a TAB or a line break in a
  // field would shift or split them, so they are left out and the user told.
  bool stripped = false;
  const auto field = [&stripped](const std::string& text) {
    std::string f = text;
    std::erase_if(f, [](char ch) { return ch == '\t' || ch == '\r' || ch == '\n'; });
    stripped = stripped || f.size() != text.size();
    return f;
  };
  const std::string server = field(Text(edtServer)), port = field(Text(edtPort)), user = field(Text(edtUsername)),
                    password = field(Text(edtPassword)), latitude = field(Text(edtLatitude)),
                    longitude = field(Text(edtLongitude));
  if (stripped)
    prompts::ShowMessage("TABs and line breaks cannot be kept in a caster profile; the profile was saved without them.");
  std::string name = server + ":" + port;
  if (!user.empty()) name = user + "@" + name;
  const std::string line = name + "\t" + server + "\t" + port + "\t" + user + "\t" + password + "\t" + latitude +
                           "\t" + longitude;
  std::vector<std::string> lines;
  std::string bytes;
  bool ok = true;
  if (platform::FileExists(ProfilesFileName)) {
    ok = ReadWholeFile(ProfilesFileName, bytes, kMaxProfilesFileBytes);
    lines = SplitTextLines(bytes);
  }
  if (ok) {
    bool replaced = false;
    for (auto& l : lines)
      if (l.rfind(name + "\t", 0) == 0) {
        l = line;
        replaced = true;
        break;
      }
    if (!replaced) lines.push_back(line);
    // The file holds caster passwords: readable by the user only.
    ok = WriteOwnerOnlyFileAtomically(ProfilesFileName, JoinLines(lines));
  }
  AddLog(ok ? "Profile saved: " + name : "Error saving profile");
  LoadProfiles();
  const int i = boxProfile->findText(Q(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (i >= 0) boxProfile->setCurrentIndex(i);
}

void TfrmNTRIPSettings::ListOutputPorts() {
  boxOutputPort->clear();
  boxOutputPort->addItem("This port (GPS)");
  for (const std::string& name : SerialPortNames(IniFile(IniFileName))) boxOutputPort->addItem(Q(name));
  boxOutputPort->setCurrentIndex(0);
}

void TfrmNTRIPSettings::chkOutputPortClick(QObject*) {
  if (chkOutputPort->isChecked()) OpenOutputPort();
  else CloseOutputPort();
  SaveSettings();
}

void TfrmNTRIPSettings::OpenOutputPort() {
  if (OutputPortOpen) CloseOutputPort();
  const int index = boxOutputPort->currentIndex();
  if (index < 0) {
    AddLog("No output port selected");
    chkOutputPort->setChecked(false);
    return;
  }
  if (index == 0) {
    OutputPortHandle.reset();
    OutputPortOpen = true;
    AddLog("Output enabled: Using GPS input port");
    return;
  }
  const std::string name = Text(boxOutputPort);
  const int baudIndex = boxOutputBaud->currentIndex();
  platform::SerialLineSettings line;
  line.baudRate = baudIndex >= 0 && baudIndex <= 5 ? kBaudRates[baudIndex] : 115200;
  line.dataBits = 8;
  line.parity = 0;
  line.stopBits = 1;
  line.dtr = true;
  line.rts = true;
  const std::string device = SerialDevicePath(ComNumber(name), IniFile(IniFileName));
  OutputPortHandle = device.empty() ? nullptr : platform::SerialPort::Open(device, line);
  if (!OutputPortHandle) {
    AddLog("Failed to open output port: " + name);
    chkOutputPort->setChecked(false);
    return;
  }
  OutputPortOpen = true;
  HandForwardPort();
  AddLog("Output port opened: " + name + " @ " + Text(boxOutputBaud));
}

void TfrmNTRIPSettings::CloseOutputPort() {
  if (OutputPortHandle) {
    OutputPortHandle->Close();
    OutputPortHandle.reset();
    HandForwardPort();
    AddLog("Output port closed");
  }
  OutputPortOpen = false;
}

// The client writes the corrections from its own thread into one port: the
// separate output port while it is open, otherwise the receiver's port.
void TfrmNTRIPSettings::HandForwardPort() {
  if (!Client) return;
  const platform::SerialHandle port = OutputPortHandle ? OutputPortHandle : GPSPort;
  // Another port starts afresh: what was dropped for the old one is over.
  if (port != Client->GetSerialHandle()) ForwardDropping = false;
  Client->SetSerialHandle(port);
}

// ---------------------------------------------------------------------------
// RTCM report

std::string TfrmNTRIPSettings::RTCMMessageName(int number) { return rtcm3::MessageName(number); }

void TfrmNTRIPSettings::Button1Click(QObject*) {
  const std::string copy = Client ? Client->ReceivedDataCopy() : std::string();
  if (!Client || copy.size() <= 5) {
    AddLog("No RTCM data to parse");
    return;
  }
  if (!fRTCMParsing) fRTCMParsing = new TfRTCMParsing();
  fRTCMParsing->ClearLines();
  fRTCMParsing->show();
  const QDateTime now = platform::Now();
  const int zoneMinutes = QTimeZone::systemTimeZone().standardTimeOffset(now) / 60;
  rtcm3::Vessel vessel;
  {
    std::lock_guard<std::mutex> lock(Client->PositionMutex);
    vessel = {Client->Latitude, Client->Longitude, Client->Altitude, Client->UseManualPosition};
  }
  const rtcm3::Scan scan = rtcm3::ScanFrames(copy);
  for (const std::string& line :
       rtcm3::ReportLines(copy, scan, vessel, now.toString("yyyy-MM-dd hh:mm:ss").toStdString(), zoneMinutes))
    fRTCMParsing->AddLine(line);
  if (scan.positionValid &&
      (scan.stationId != BaseStationId || (BaseLatitude == 0 && BaseLongitude == 0) ||
       std::fabs(scan.latitude - BaseLatitude) > 0.00001 || std::fabs(scan.longitude - BaseLongitude) > 0.00001)) {
    AddLog(rtcm3::BaseLogLine(scan));
    BaseLatitude = scan.latitude;
    BaseLongitude = scan.longitude;
    BaseHeight = scan.height;
    BaseStationId = scan.stationId;
  }
}
