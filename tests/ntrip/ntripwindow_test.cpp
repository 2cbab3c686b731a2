// The NTRIP window and the RTCM report window on the offscreen platform:
// settings, profiles, the connection through a caster on 127.0.0.1, the
// reference-station log and the report.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>
#include <cmath>
#include <thread>

#include "app/helpers.h"
#include "app/settingsfile.h"
#include "app/textfile.h"
#include "platform/prompts.h"
#include "ntrip/QuarixNTRIPClient.h"
#include "ntrip/rtcm3.h"
#include "ntrip/uNTRIPSettings.h"
#include "ntrip/uRTCMParsing.h"
#include "platform/paths.h"
#include "tests/ntrip/fakecaster.h"
#include "tests/ntrip/str2str.h"
#include "tests/support/tempenv.h"

namespace {

void PutBits(std::string& b, int& pos, int64_t v, int len) {
  for (int i = len - 1; i >= 0; --i, ++pos) {
    if (pos / 8 >= int(b.size())) b.push_back(0);
    if ((uint64_t(v) >> i) & 1u) b[pos / 8] = char(b[pos / 8] | (0x80 >> (pos % 8)));
  }
}

// A 1005 (or 1006) frame of a station at a WGS 84 position.
std::string StationFrame(int number, int id, double latDeg, double lonDeg, double h) {
  const double a = 6378137.0, f = 1 / 298.257223563, e2 = 2 * f - f * f, d = 3.141592653589793 / 180;
  const double lat = latDeg * d, lon = lonDeg * d;
  const double n = a / std::sqrt(1 - e2 * std::sin(lat) * std::sin(lat));
  const double x = (n + h) * std::cos(lat) * std::cos(lon), y = (n + h) * std::cos(lat) * std::sin(lon);
  const double z = (n * (1 - e2) + h) * std::sin(lat);
  std::string p;
  int pos = 0;
  PutBits(p, pos, number, 12);
  PutBits(p, pos, id, 12);
  PutBits(p, pos, 0, 10);
  PutBits(p, pos, std::llround(x * 10000), 38);
  PutBits(p, pos, 0, 2);
  PutBits(p, pos, std::llround(y * 10000), 38);
  PutBits(p, pos, 0, 2);
  PutBits(p, pos, std::llround(z * 10000), 38);
  if (number == 1006) PutBits(p, pos, 0, 16);
  return rtcm3::MakeFrame(p);
}

std::vector<std::string> LogLines() {
  std::vector<std::string> lines;
  for (const QString& l : frmNTRIPSettings->memoLog->toPlainText().split('\n')) lines.push_back(l.mid(9).toStdString());
  return lines;
}
bool Logged(const std::string& line) {
  const auto l = LogLines();
  return std::find(l.begin(), l.end(), line) != l.end();
}
int CountLogged(const std::string& prefix) {
  int n = 0;
  for (const auto& l : LogLines()) n += l.rfind(prefix, 0) == 0;
  return n;
}

// A pseudo terminal whose device side is open as a serial port: the
// receiver's port as the main window hands it over.
struct ReceiverPort {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  platform::SerialHandle port;
  ReceiverPort() {
    ::grantpt(master);
    ::unlockpt(master);
    port = platform::SerialPort::Open(::ptsname(master), {});
  }
  ~ReceiverPort() {
    if (port) port->Close();
    ::close(master);
  }
};

class NtripWindow : public ::testing::Test {
 protected:
  void TearDown() override {
    delete frmNTRIPSettings;
    frmNTRIPSettings = nullptr;
    delete fRTCMParsing;
    fRTCMParsing = nullptr;
  }
  void Create() { frmNTRIPSettings = new TfrmNTRIPSettings(); }
  void Recreate() {
    delete frmNTRIPSettings;
    Create();
  }
  std::string Ini(const std::string& key) { return IniFile(env.SettingsFile()).ReadString("NTRIP", key, "<none>"); }
  // Points the window at a caster on 127.0.0.1.
  void PointAt(FakeCaster& caster) {
    frmNTRIPSettings->edtServer->setText("127.0.0.1");
    frmNTRIPSettings->edtPort->setText(QString::number(caster.Port()));
  }
  // Connects the window to mount point "MP" of the caster.
  void ConnectTo(FakeCaster& caster) {
    PointAt(caster);
    frmNTRIPSettings->boxMountpoint->addItem("MP");
    frmNTRIPSettings->btnConnectClick();
  }
  void Feed(const std::string& bytes) {
    frmNTRIPSettings->NTRIPClientData(frmNTRIPSettings->Client, reinterpret_cast<const uint8_t*>(bytes.data()),
                                      int(bytes.size()));
  }
  TempEnv env;
};

}  // namespace

TEST_F(NtripWindow, DefaultsWithoutASettingsFile) {
  Create();
  auto* w = frmNTRIPSettings;
  EXPECT_EQ(w->windowTitle(), "Quarix NTRIP Client");
  EXPECT_EQ(w->edtServer->text(), kDefaultCasterHost);
  EXPECT_EQ(w->edtPort->text(), "2101");
  EXPECT_EQ(w->edtUsername->text(), "");
  EXPECT_EQ(w->boxMountpoint->currentText(), "");
  EXPECT_TRUE(w->rbFromGPS->isChecked());
  EXPECT_EQ(w->edtLatitude->text(), "0.0");
  EXPECT_FALSE(w->edtLatitude->isEnabled());
  EXPECT_EQ(w->boxOutputPort->currentIndex(), 0);
  EXPECT_EQ(w->boxOutputBaud->currentText(), "115200");
  EXPECT_FALSE(w->chkOutputPort->isChecked());
  EXPECT_FALSE(w->PendingAutoConnect);
  EXPECT_EQ(w->boxProfile->itemText(0), "<New Profile>");
  EXPECT_EQ(LogLines().back(), "Quarix NTRIP Client initialized");
  EXPECT_EQ(w->tmrUpdate->interval(), 500);
  EXPECT_TRUE(w->tmrUpdate->isActive());
}

TEST_F(NtripWindow, SettingsRoundTripAndAutoConnect) {
  Create();
  auto* w = frmNTRIPSettings;
  w->edtServer->setText("127.0.0.1");
  w->edtPort->setText("2999");
  w->edtUsername->setText("me");
  w->edtPassword->setText("secret");
  w->boxMountpoint->addItem("MP7");
  w->rbManual->setChecked(true);
  w->edtLatitude->setText("41.5");
  w->AutoConnect = true;
  w->SaveSettings();
  EXPECT_EQ(Ini("UseManualPosition"), "1");
  EXPECT_EQ(Ini("OutputBaud"), "5");
  EXPECT_EQ(Ini("OutputEnabled"), "0");
  Recreate();
  w = frmNTRIPSettings;
  EXPECT_EQ(w->edtServer->text(), "127.0.0.1");
  EXPECT_EQ(w->edtPort->text(), "2999");
  EXPECT_EQ(w->edtPassword->text(), "secret");
  EXPECT_EQ(w->boxMountpoint->currentText(), "MP7");
  EXPECT_TRUE(w->rbManual->isChecked());
  EXPECT_TRUE(w->edtLatitude->isEnabled());
  EXPECT_TRUE(w->Client->UseManualPosition);
  EXPECT_EQ(w->edtLatitude->text(), "41.5");
  EXPECT_TRUE(w->PendingAutoConnect);
  EXPECT_TRUE(Logged("Auto-connect enabled - will connect on startup"));

  // The output box turned on while loading saves at once, but keeps AutoConnect.
  delete frmNTRIPSettings;  // saves its settings
  IniFile ini(env.SettingsFile());
  ini.WriteString("NTRIP", "OutputEnabled", "1");
  ini.WriteString("NTRIP", "OutputBaud", "9");
  Create();
  EXPECT_EQ(frmNTRIPSettings->boxOutputBaud->currentIndex(), -1);
  EXPECT_TRUE(frmNTRIPSettings->OutputPortOpen);
  EXPECT_TRUE(Logged("Output enabled: Using GPS input port"));
  EXPECT_EQ(Ini("AutoConnect"), "1");
  EXPECT_TRUE(frmNTRIPSettings->AutoConnect);
}

TEST_F(NtripWindow, TabsAndLineBreaksNeverShiftAProfilesFields) {
  Create();
  auto* w = frmNTRIPSettings;
  w->edtServer->setText("caster.test");
  w->edtPort->setText("2101");
  w->edtUsername->setText("bo\tb");
  w->edtPassword->setText("pass\r\nword\n");
  prompts::CurrentScript().shown.clear();
  w->btnSaveProfileClick();
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
  EXPECT_EQ(prompts::CurrentScript().shown[0],
            "TABs and line breaks cannot be kept in a caster profile; the profile was saved without them.");
  EXPECT_EQ(env.ReadFile(w->ProfilesFileName), "bob@caster.test:2101\tcaster.test\t2101\tbob\tpassword\t0.0\t0.0\r\n");
  // Chosen again, every field lands where it belongs.
  w->edtServer->setText("other");
  w->edtPort->setText("1");
  w->LoadProfiles();
  w->boxProfile->setCurrentIndex(1);
  w->boxProfileChange();
  EXPECT_EQ(w->edtServer->text(), "caster.test");
  EXPECT_EQ(w->edtPort->text(), "2101");
  EXPECT_EQ(w->edtUsername->text(), "bob");
  EXPECT_EQ(w->edtPassword->text(), "password");
  // The same values stored into the settings file read back whole there,
  // their line breaks left out, and the sections after them stay theirs.
  w->edtUsername->setText("bo\tb");
  w->edtPassword->setText("pass\r\nword\n[X]");
  w->SaveSettings();
  IniFile ini(env.SettingsFile());
  EXPECT_FALSE(ini.SectionExists("X"));
  EXPECT_EQ(ini.ReadString("NTRIP", "Username", ""), "bo\tb");
  EXPECT_EQ(ini.ReadString("NTRIP", "Password", ""), "password[X]");
  EXPECT_EQ(ini.ReadString("NTRIP", "AutoConnect", ""), "0");
}

TEST_F(NtripWindow, Profiles) {
  Create();
  auto* w = frmNTRIPSettings;
  w->edtServer->setText("caster.test");
  w->edtPort->setText("2101");
  w->edtPassword->setText("pw");
  w->edtLatitude->setText("1.5");
  w->btnSaveProfileClick();
  w->edtUsername->setText("bob");
  w->btnSaveProfileClick();
  w->edtPassword->setText("pw2");
  w->btnSaveProfileClick();  // same name: replaced
  w->edtPort->setText("2102");
  w->btnSaveProfileClick();
  EXPECT_EQ(env.ReadFile(w->ProfilesFileName),
            "caster.test:2101\tcaster.test\t2101\t\tpw\t1.5\t0.0\r\n"
            "bob@caster.test:2101\tcaster.test\t2101\tbob\tpw2\t1.5\t0.0\r\n"
            "bob@caster.test:2102\tcaster.test\t2102\tbob\tpw2\t1.5\t0.0\r\n");
  EXPECT_EQ(w->boxProfile->currentText(), "bob@caster.test:2102");
  EXPECT_TRUE(Logged("Profile saved: bob@caster.test:2102"));
  EXPECT_EQ(w->boxProfile->count(), 4);

  ASSERT_TRUE(WriteFileAtomically(w->ProfilesFileName, "a\tsrv\t1\tu\tp\r\nb\tsrv2\t2\tu2\r\nc\tsrv3\t3\tu3\tp3\t7\t8\r\n"));
  w->LoadProfiles();
  w->edtLatitude->setText("9");
  w->boxProfile->setCurrentIndex(2);  // four fields: nothing
  w->boxProfileChange();
  EXPECT_EQ(w->edtServer->text(), "caster.test");
  w->boxProfile->setCurrentIndex(1);  // five fields: not the coordinates
  w->boxProfileChange();
  EXPECT_EQ(w->edtServer->text(), "srv");
  EXPECT_EQ(w->edtPassword->text(), "p");
  EXPECT_EQ(w->edtLatitude->text(), "9");
  w->boxProfile->setCurrentIndex(3);
  w->boxProfileChange();
  EXPECT_EQ(w->edtLatitude->text(), "7");
  EXPECT_EQ(w->edtLongitude->text(), "8");

  // A line without a TAB between two good ones: each entry still loads its own line.
  ASSERT_TRUE(WriteFileAtomically(w->ProfilesFileName, "A\tsrvA\t1\tuA\tpA\r\nbroken line\r\nB\tsrvB\t2\tuB\tpB\r\n"));
  w->LoadProfiles();
  ASSERT_EQ(w->boxProfile->count(), 3);
  w->boxProfile->setCurrentIndex(2);
  w->boxProfileChange();
  EXPECT_EQ(w->boxProfile->currentText(), "B");
  EXPECT_EQ(w->edtServer->text(), "srvB");
  EXPECT_EQ(w->edtPort->text(), "2");
  EXPECT_EQ(w->edtUsername->text(), "uB");
  EXPECT_EQ(w->edtPassword->text(), "pB");
}

// A settings file and a profiles file the user (or an earlier version) left
// readable by everyone: a caster password stored into them leaves them
// readable by their owner only.
TEST_F(NtripWindow, StoringACasterPasswordLeavesItsFilesReadableByTheOwnerOnly) {
  const std::string profiles = env.ProgramFolder() + "profiles.txt";
  for (const std::string& file : {env.SettingsFile(), profiles}) {
    ASSERT_TRUE(WriteFileAtomically(file, "\r\n"));
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
  }
  Create();
  auto* w = frmNTRIPSettings;
  ASSERT_EQ(w->ProfilesFileName, profiles);
  w->edtServer->setText("caster.test");
  w->edtUsername->setText("bob");
  w->edtPassword->setText("secret");
  w->btnSaveProfileClick();
  w->SaveSettings();
  for (const std::string& file : {env.SettingsFile(), profiles}) {
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u) << file;
    EXPECT_NE(env.ReadFile(file).find("secret"), std::string::npos) << file;
  }
}

TEST_F(NtripWindow, PortOutsideItsRangeIsToldAndNotUsed) {
  Create();
  auto* w = frmNTRIPSettings;
  w->edtServer->setText("127.0.0.1");
  w->boxMountpoint->addItem("MP");
  for (const char* port : {"107515", "0", "-1", "21x"}) {
    w->edtPort->setText(port);
    w->btnConnectClick();
    EXPECT_EQ(LogLines().back(), std::string("Invalid port: ") + port + " (1 to 65535)");
    EXPECT_EQ(w->Client->Worker, nullptr) << port;
    w->btnFetchSourcesClick();
    EXPECT_EQ(LogLines().back(), std::string("Invalid port: ") + port + " (1 to 65535)");
    EXPECT_EQ(w->Client->Worker, nullptr) << port;
  }
}

TEST_F(NtripWindow, PositionCountersAndMountPointCheck) {
  Create();
  auto* w = frmNTRIPSettings;
  w->SetGPSPosition(41.5, -0.25, 12.5);
  EXPECT_EQ(w->edtLatitude->text(), "41.50000000");
  double la, lo, al;
  w->Client->GetPosition(la, lo, al);
  EXPECT_EQ(std::vector<double>({la, lo, al}), std::vector<double>({41.5, -0.25, 12.5}));
  w->rbManual->setChecked(true);
  w->SetGPSPosition(1, 2, 3);
  EXPECT_EQ(w->edtLatitude->text(), "41.50000000");
  w->Client->GetPosition(la, lo, al);
  EXPECT_EQ(la, 41.5);

  const std::pair<int, int> progress[] = {{0, 0}, {49, 0}, {50, 1}, {99, 1}, {4950, 99}, {4999, 99}, {5000, 0}};
  for (const auto& [bytes, value] : progress) {
    w->Client->BytesReceived = bytes;
    w->tmrUpdateTimer();
    EXPECT_EQ(w->pbProgress->value(), value) << bytes;
  }
  w->Client->BytesReceived = 1234567;
  w->Client->BytesSent = 999;
  w->tmrUpdateTimer();
  EXPECT_EQ(w->lblBytesReceivedValue->text(), "1,234,567");
  EXPECT_EQ(w->lblBytesSentValue->text(), "999");
  // Shown whole, however long the count has grown since the window opened.
  w->show();
  w->Client->BytesSent = 19450;
  w->tmrUpdateTimer();
  for (QLabel* l : {w->lblBytesReceivedValue, w->lblBytesSentValue})
    EXPECT_GE(l->contentsRect().width(), l->fontMetrics().horizontalAdvance(l->text())) << l->text().toStdString();

  w->btnConnectClick();
  EXPECT_EQ(LogLines().back(), "Please select a mountpoint first");
  EXPECT_EQ(w->Client->Worker, nullptr);
  w->Button1Click();
  EXPECT_EQ(LogLines().back(), "No RTCM data to parse");
  EXPECT_TRUE(fRTCMParsing == nullptr || !fRTCMParsing->isVisible());
}

TEST_F(NtripWindow, ReferenceStationLogAndEventsEntry) {
  Create();
  const std::string logFolder = platform::DataRoot() + "2026-01-30/LOG/";
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(logFolder)));
  ASSERT_TRUE(WriteFileAtomically(logFolder + "2026-01-30 Events.log", "\r\nAuto Event:\tearlier\r\n"));
  const std::string first = StationFrame(1005, 17, 48.1, 11.6, 520);
  Feed("xx" + first);
  EXPECT_EQ(CountLogged("Base #"), 1);
  EXPECT_TRUE(Logged("Base #17: 48.10000000, 11.60000000, 520.00m"));
  Feed(first);                                          // the same again: nothing
  Feed(StationFrame(1006, 17, 48.1 + 1.0 / 111000, 11.6, 520));  // 1 m north: nothing
  EXPECT_EQ(CountLogged("Base #"), 1);
  Feed(StationFrame(1006, 17, 48.1 + 2.0 / 111000, 11.6, 520));  // 2 m north
  EXPECT_EQ(CountLogged("Base #"), 2);
  Feed(first.substr(0, first.size() - 1));              // cut by the block end
  Feed(StationFrame(1005, 17, 48.1, 11.6, -1000000));   // inside the earth
  EXPECT_EQ(CountLogged("Base #"), 2);
  EXPECT_EQ(env.ReadFile(logFolder + "2026-01-30 Events.log"),
            "\r\nAuto Event:\tearlier\r\n"
            "Auto Event:\t2026-01-30 143512000\tNTRIP Base Station #17: 48.10000000, 11.60000000, 520.00m\r\n"
            "Auto Event:\t2026-01-30 143512000\tNTRIP Base Station #17: 48.10001802, 11.60000000, 520.00m\r\n");
}

TEST_F(NtripWindow, CapturedStreamsLogOnlyStationsWithAGoodCrc) {
  Create();
  std::string bad, good;
  ASSERT_TRUE(ReadWholeFile(TestData("rtcm3/pygpsdata-MIXED-RTCM3BADCRC.log"), bad));
  ASSERT_TRUE(ReadWholeFile(TestData("rtcm3/pygpsdata-MIXED-RTCM3.log"), good));
  Feed(bad);  // its only 1005 frame is corrupted
  EXPECT_EQ(CountLogged("Base #"), 0);
  Feed(good);
  EXPECT_EQ(CountLogged("Base #"), 1);
}

TEST_F(NtripWindow, ConnectionThroughACasterAndTheReport) {
  const std::string frame = StationFrame(1005, 17, 48.1, 11.6, 520);
  FakeCaster caster({{{"ICY 200 OK\r\n" + frame}, false}});
  Create();
  auto* w = frmNTRIPSettings;
  ConnectTo(caster);
  EXPECT_EQ(w->btnConnect->text(), "Disconnect");
  ASSERT_TRUE(PumpUntil([&] { return w->DataFlowing; }));
  // The caption tells whether the corrections go anywhere: to the receiver's
  // port while one is open, nowhere when it closed.
  EXPECT_EQ(w->windowTitle(), "Quarix NTRIP Client - Receiving Data - Not Forwarded (no GPS port)");
  ReceiverPort receiver;
  ASSERT_TRUE(receiver.port);
  w->SetGPSPort(receiver.port, "COM5");
  EXPECT_TRUE(Logged("Serial port handle connected"));
  EXPECT_EQ(w->windowTitle(), "Quarix NTRIP Client - Receiving Data");
  receiver.port->Close();  // the receiver's port closed: the next tick tells it
  w->tmrUpdateTimer();
  EXPECT_EQ(w->windowTitle(), "Quarix NTRIP Client - Receiving Data - Not Forwarded (no GPS port)");
  w->SetGPSPort(nullptr, "COM5");
  EXPECT_TRUE(Logged("GPS port COM5 closed - corrections are not forwarded until it is open again"));
  EXPECT_EQ(w->Client->GetSerialHandle(), nullptr);
  EXPECT_TRUE(Logged("Auto-connect enabled for next startup"));
  EXPECT_EQ(Ini("AutoConnect"), "1");
  EXPECT_EQ(Ini("MountPoint"), "MP");
  EXPECT_TRUE(Logged("Connecting to 127.0.0.1:" + std::to_string(caster.Port()) + "/MP"));
  EXPECT_TRUE(Logged("Base #17: 48.10000000, 11.60000000, 520.00m"));

  w->Button1Click();
  ASSERT_NE(fRTCMParsing, nullptr);
  EXPECT_TRUE(fRTCMParsing->isVisible());
  const QStringList report = fRTCMParsing->MemoRTCM->toPlainText().split('\n');
  EXPECT_EQ(report[0], "Quarix Depthmark - RTCM Message Parser v1.0");
  EXPECT_EQ(report[2], QString("Buffer size: %1 bytes").arg(frame.size()));
  EXPECT_TRUE(report.contains("  1005 - Station ARP (Antenna Reference Point) (x1)"));
  EXPECT_EQ(report.back(), "Total: 1 RTCM messages parsed");
  // The data handler stored the station already: the report adds no "Base #" line.
  EXPECT_EQ(CountLogged("Base #"), 1);

  fRTCMParsing->btnCloseClick();
  EXPECT_FALSE(fRTCMParsing->isVisible());
  const std::string saved = env.ReadFile(platform::DataRoot() + "2026-01-30/LOG/2026-01-30 Quarix RTCM Parsing.log");
  EXPECT_EQ(saved.substr(0, 45), "Quarix Depthmark - RTCM Message Parser v1.0\r\n");
  EXPECT_EQ(saved.substr(saved.size() - 31), "Total: 1 RTCM messages parsed\r\n");

  w->btnConnectClick();  // manual disconnect
  EXPECT_EQ(w->btnConnect->text(), "Connect");
  EXPECT_EQ(w->windowTitle(), "Quarix NTRIP Client - Disconnected");
  EXPECT_EQ(Ini("AutoConnect"), "0");
  EXPECT_EQ(w->Client->Worker, nullptr);
}

// A receiver's port that drains more slowly than the caster sends: the window
// says that corrections are dropped, in its title, its log and the events
// log (once, with the amount), and says so again when the port keeps up.
TEST_F(NtripWindow, CorrectionsThePortCannotTakeAreToldAndSoIsItsRecovery) {
  std::vector<std::string> chunks;
  for (int c = 0; c < 30; ++c) {
    std::string chunk = c == 0 ? "ICY 200 OK\r\n" : "";
    for (int f = 0; f < 25; ++f) chunk += rtcm3::MakeFrame(std::string(200, char(0x40 + f)));
    chunks.push_back(chunk);
  }
  const std::string eventsLog = EventsLogFileName();
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(eventsLog.substr(0, eventsLog.rfind('/')))));
  FakeCaster caster({{chunks, false}});
  ReceiverPort receiver;  // not read until the caster is through
  ASSERT_TRUE(receiver.port);
  Create();
  auto* w = frmNTRIPSettings;
  w->Client->SetForwardHoldMs(200);
  w->SetGPSPort(receiver.port, "COM5");
  ConnectTo(caster);
  ASSERT_TRUE(PumpUntil([&] { return CountLogged("Corrections dropped: ") == 1; }));
  EXPECT_EQ(w->windowTitle(), "Quarix NTRIP Client - Receiving Data - Corrections Dropped (port too slow)");
  EXPECT_TRUE(PumpUntil([&] { return w->Client->BytesReceived >= 30 * 25 * 206; }));
  EXPECT_EQ(CountLogged("Corrections dropped: the receiver's port COM5 cannot take them as fast as they arrive ("), 1);

  // The receiver reads again.
  ASSERT_TRUE(PumpUntil([&] {
    pollfd p{receiver.master, POLLIN, 0};
    char buf[65536];
    if (::poll(&p, 1, 0) > 0) (void)!::read(receiver.master, buf, sizeof buf);
    return CountLogged("The receiver's port COM5 takes the corrections again (") == 1;
  }));
  EXPECT_EQ(w->windowTitle(), "Quarix NTRIP Client - Receiving Data");
  const std::string events = env.ReadFile(eventsLog);
  EXPECT_NE(events.find("\tNTRIP: Corrections dropped: the receiver's port COM5 cannot take them"), std::string::npos)
      << events;
  EXPECT_NE(events.find("\tNTRIP: The receiver's port COM5 takes the corrections again ("), std::string::npos)
      << events;
  w->btnConnectClick();
}

TEST_F(NtripWindow, LostConnectionShowsTheHiddenWindow) {
  FakeCaster caster({{{"ICY 200 OK\r\nabc"}, true}});
  Create();
  auto* w = frmNTRIPSettings;
  ConnectTo(caster);
  w->Client->ReconnectTimer->setInterval(3600 * 1000);  // no second attempt during the test
  ASSERT_TRUE(PumpUntil([&] { return Logged("Connection lost - showing NTRIP settings"); }));
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->DataFlowing);
  EXPECT_TRUE(w->btnFetchSources->isEnabled());
}

TEST_F(NtripWindow, QuittingStopsTheConnectionAndSavesTheSettings) {
  // The window is never destroyed while the program runs: quitting must end
  // its worker while the event loop still exists.
  FakeCaster caster({{{"ICY 200 OK\r\nabc"}, false}});
  Create();
  auto* w = frmNTRIPSettings;
  ConnectTo(caster);
  ASSERT_TRUE(PumpUntil([&] { return w->DataFlowing; }));
  w->edtUsername->setText("after");
  QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
  QCoreApplication::exec();
  EXPECT_EQ(w->Client, nullptr);
  EXPECT_FALSE(w->tmrUpdate->isActive());
  EXPECT_EQ(Ini("Username"), "after");
  EXPECT_TRUE(PumpUntil([&] { return caster.Closed() == 1; }));
  w->tmrUpdateTimer();  // harmless without a client
  w->btnConnectClick();
}

TEST_F(NtripWindow, SourceTableFillsTheMountPoints) {
  FakeCaster caster({{{"SOURCETABLE 200 OK\r\n\r\nSTR;ONE;x\r\nSTR;TWO;y\r\nENDSOURCETABLE\r\n"}, false}});
  Create();
  auto* w = frmNTRIPSettings;
  PointAt(caster);
  w->btnFetchSourcesClick();
  EXPECT_FALSE(w->btnFetchSources->isEnabled());
  ASSERT_TRUE(PumpUntil([&] { return Logged("Found 2 mount points"); }));
  EXPECT_TRUE(w->btnFetchSources->isEnabled());
  EXPECT_EQ(w->boxMountpoint->count(), 2);
  EXPECT_EQ(w->boxMountpoint->currentText(), "ONE");
}

TEST_F(NtripWindow, ReportWindowSaves) {
  fRTCMParsing = new TfRTCMParsing();
  const std::string file = platform::DataRoot() + "2026-01-30/LOG/2026-01-30 Quarix RTCM Parsing.log";
  fRTCMParsing->btnCloseClick();  // empty: nothing saved
  EXPECT_FALSE(platform::FileExists(file));
  fRTCMParsing->AddLine("first");
  fRTCMParsing->btnCloseClick();
  fRTCMParsing->ClearLines();
  fRTCMParsing->AddLine("second");
  fRTCMParsing->AddLine("");
  fRTCMParsing->AddLine("third");
  fRTCMParsing->btnCloseClick();
  EXPECT_EQ(env.ReadFile(file), "second\r\n\r\nthird\r\n");
  fRTCMParsing->btnClearClick();
  EXPECT_EQ(fRTCMParsing->MemoRTCM->toPlainText(), "");
  // After midnight the report goes into the new date's folder, made when missing.
  env.SetNow(QDateTime(QDate(2026, 1, 31), QTime(0, 5)));
  fRTCMParsing->AddLine("late");
  fRTCMParsing->btnCloseClick();
  EXPECT_EQ(env.ReadFile(platform::DataRoot() + "2026-01-31/LOG/2026-01-31 Quarix RTCM Parsing.log"), "late\r\n");
}

TEST_F(NtripWindow, SeparateOutputPort) {
  // COM9 is a pseudo terminal, COM8 a device that does not exist.
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ::grantpt(master);
  ::unlockpt(master);
  {
    IniFile ini(env.SettingsFile());
    ini.WriteString("SERIAL_PORT_MAP", "COM8", env.Home() + "no-such-device");
    ini.WriteString("SERIAL_PORT_MAP", "COM9", ::ptsname(master));
  }
  Create();
  auto* w = frmNTRIPSettings;
  const int com8 = w->boxOutputPort->findText("COM8"), com9 = w->boxOutputPort->findText("COM9");
  ASSERT_GT(com8, 0);
  ASSERT_GT(com9, 0);

  w->boxOutputPort->setCurrentIndex(com8);
  w->chkOutputPort->setChecked(true);
  EXPECT_TRUE(Logged("Failed to open output port: COM8"));
  EXPECT_FALSE(w->chkOutputPort->isChecked());
  EXPECT_FALSE(w->OutputPortOpen);
  EXPECT_EQ(w->Client->GetSerialHandle(), nullptr);

  // The separate port takes the corrections in place of the receiver's, from
  // the client's own thread.
  ReceiverPort receiver;
  ASSERT_TRUE(receiver.port);
  w->SetGPSPort(receiver.port, "COM5");
  EXPECT_EQ(w->Client->GetSerialHandle(), receiver.port);
  w->boxOutputPort->setCurrentIndex(com9);
  w->boxOutputBaud->setCurrentIndex(1);
  w->chkOutputPort->setChecked(true);
  EXPECT_TRUE(Logged("Output port opened: COM9 @ 9600"));
  EXPECT_EQ(w->Client->GetSerialHandle(), w->OutputPortHandle);
  EXPECT_TRUE(w->Client->ForwardToSerial);
  EXPECT_EQ(Ini("OutputEnabled"), "1");
  EXPECT_EQ(Ini("OutputPort"), "COM9");
  w->SetGPSPort(receiver.port, "COM5");  // the receiver's port opened again meanwhile
  EXPECT_EQ(w->Client->GetSerialHandle(), w->OutputPortHandle);
  FakeCaster caster({{{"ICY 200 OK\r\nRTCM"}, false}});
  ConnectTo(caster);
  ASSERT_TRUE(PumpUntil([&] { return w->DataFlowing; }));
  std::string got;
  pollfd p{master, POLLIN, 0};
  while (got.size() < 4 && ::poll(&p, 1, 5000) > 0) {
    char buf[64];
    const ssize_t n = ::read(master, buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, std::size_t(n));
  }
  EXPECT_EQ(got, "RTCM");
  w->btnConnectClick();  // manual disconnect

  w->chkOutputPort->setChecked(false);
  EXPECT_TRUE(Logged("Output port closed"));
  EXPECT_EQ(w->OutputPortHandle, nullptr);
  EXPECT_EQ(w->Client->GetSerialHandle(), receiver.port);
  ::close(master);
}

// ---------------------------------------------------------------------------
// Against RTKLIB's str2str as the caster, making station messages of its own,
// with gpsd's gpsdecode as the independent decoder of what the window received.

namespace {

// gpsdecode's objects of the RTCM 3 frames it accepts in the bytes, in order.
std::vector<QJsonObject> GpsDecode(const std::string& bytes) {
  QProcess p;
  p.start("gpsdecode", {"-j"});
  if (!p.waitForStarted(5000)) return {};
  p.write(bytes.data(), qint64(bytes.size()));
  p.closeWriteChannel();
  if (!p.waitForFinished(20000)) return {};
  std::vector<QJsonObject> frames;
  for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    if (o.value("class").toString() == "RTCM3") frames.push_back(o);
  }
  return frames;
}

class NtripWindowWithStr2str : public NtripWindow {};

}  // namespace

TEST_F(NtripWindowWithStr2str, StationMessagesOfTheCasterAgreeWithGpsdecodeInTheLogAndTheReport) {
  if (!Str2str::Installed() || QStandardPaths::findExecutable("gpsdecode").isEmpty())
    GTEST_SKIP() << "str2str (rtklib) or gpsdecode (gpsd-clients) is not installed";
  // str2str decodes the fed capture, sends its GPS and GLONASS observations
  // again and, at most once a second, station messages of its own.
  Str2str caster({"-msg", "1005(1),1006(1),1007(1),1008(1),1033(1),1077,1087", "-sta", "1234", "-p", "47.5",
                  "11.25", "520", "-a", "ANT1,SER1,7", "-i", "RCV1,FW2,RSER3"});
  ASSERT_TRUE(caster.Feed());
  std::string capture;
  ASSERT_TRUE(ReadWholeFile(TestData("rtcm3/pygpsdata-MIXED-RTCM3.log"), capture));
  Create();
  auto* w = frmNTRIPSettings;
  w->edtServer->setText("127.0.0.1");
  w->edtPort->setText(QString::number(caster.CasterPort()));
  w->edtUsername->setText("user");
  w->edtPassword->setText("secret");
  w->boxMountpoint->addItem("MP");
  w->btnConnectClick();
  ASSERT_TRUE(PumpUntil([&] { return w->Client->Connected.load(); }));
  for (int i = 0; i < 20 && CountLogged("Base #") == 0; ++i) {
    caster.Send(capture);
    PumpUntil([] { return CountLogged("Base #") > 0; }, 400);
  }
  PumpUntil([] { return false; }, 300);  // the rest of that conversion
  w->Client->Disconnect();
  const std::string received = w->Client->ReceivedDataCopy();
  ASSERT_EQ(received.size(), std::size_t(w->Client->BytesReceived));  // the whole stream, nothing pushed out

  const std::vector<QJsonObject> frames = GpsDecode(received);
  std::map<int, int> counts;
  QJsonObject station, antenna, receiver;
  for (const QJsonObject& f : frames) {
    const int type = f.value("type").toInt();
    ++counts[type];
    if (type == 1006) station = f;
    if (type == 1008) antenna = f;
    if (type == 1033) receiver = f;
  }
  ASSERT_TRUE(counts.count(1005) && counts.count(1006) && counts.count(1077)) << received.size() << " bytes";
  ASSERT_FALSE(antenna.isEmpty() || receiver.isEmpty());
  EXPECT_EQ(station.value("station_id").toInt(), 1234);

  // The window logged the station once, at the position str2str was given.
  EXPECT_EQ(CountLogged("Base #"), 1);
  EXPECT_TRUE(Logged("Base #1234: 47.50000000, 11.25000000, 520.00m"));

  w->Button1Click();
  ASSERT_NE(fRTCMParsing, nullptr);
  const QStringList report = fRTCMParsing->MemoRTCM->toPlainText().split('\n');
  const auto has = [&](const QString& line) { return report.contains(line); };
  EXPECT_TRUE(has(QString("Buffer size: %1 bytes").arg(received.size())));
  std::map<int, int> listed;
  const QRegularExpression messageLine("^  (\\d+) - .* \\(x(\\d+)\\)$");
  for (const QString& line : report) {
    const auto m = messageLine.match(line);
    if (m.hasMatch()) listed[m.captured(1).toInt()] = m.captured(2).toInt();
  }
  EXPECT_EQ(listed, counts);
  EXPECT_EQ(report.back(), QString("Total: %1 RTCM messages parsed").arg(frames.size()));
  EXPECT_TRUE(has(QString("Station ID: %1").arg(station.value("station_id").toInt())));
  QStringList systems;
  for (const QJsonValue& v : station.value("system").toArray()) systems << v.toString();
  EXPECT_TRUE(report.contains("Station Systems: " + systems.join(' '), Qt::CaseInsensitive)) << systems.join(QChar(32)).toStdString();
  EXPECT_EQ(has("Reference Station: Physical (not virtual)"), !station.value("refstation").toBool());
  for (const char* axis : {"X", "Y", "Z"})
    EXPECT_TRUE(has(QString("  %1: %2 m").arg(axis).arg(station.value(QString(axis).toLower()).toDouble(), 0, 'f', 4)))
        << axis;
  EXPECT_TRUE(has("  Latitude:  47.50000000 deg"));
  EXPECT_TRUE(has("  Longitude: 11.25000000 deg"));
  EXPECT_TRUE(has("  Altitude:  520.000 m"));
  const double height = station.value("h").toDouble();  // str2str sends 0: the report leaves the line out
  EXPECT_EQ(has(QString("Antenna Height (ARP to marker): %1 m").arg(height, 0, 'f', 4)), height > 0);
  EXPECT_TRUE(has("Antenna Type: " + antenna.value("desc").toString()));
  EXPECT_TRUE(has("Antenna Serial: " + antenna.value("serial").toString()));
  EXPECT_TRUE(has(QString("Setup ID: %1").arg(antenna.value("setup_id").toInt())));
  EXPECT_TRUE(has("Receiver Type: " + receiver.value("receiver").toString()));
  EXPECT_TRUE(has("Receiver Firmware: " + receiver.value("firmware").toString()));
  EXPECT_TRUE(has("Receiver Serial: RSER3"));  // gpsdecode does not print it
  EXPECT_EQ(CountLogged("Base #"), 1);          // the report knows the station already
}
