#include "devices/QuarixSerialGPS.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <cctype>

#include "app/formats.h"
#include "app/textfile.h"
#include "platform/clock.h"
#include "devices/nmea.h"
#include "devices/serialportmap.h"
#include "devices/serialtext.h"

namespace {
constexpr int kDefaultDelay = 50;
constexpr int kDefaultIdleInterval = 10000;
constexpr size_t kMaxReadPerTick = 1023;
constexpr int kDefaultReopenInterval = 3000;
}  // namespace

TQuarixSerialGPS::TQuarixSerialGPS(QObject* AOwner) : QObject(AOwner) {
  PollTimer = new QTimer(this);
  PollTimer->setInterval(kDefaultDelay);
  connect(PollTimer, &QTimer::timeout, this, &TQuarixSerialGPS::PollTimerTimer);
  IdleTimer = new QTimer(this);
  IdleTimer->setInterval(kDefaultIdleInterval);
  connect(IdleTimer, &QTimer::timeout, this, &TQuarixSerialGPS::IdleTimerTimer);
  ReopenTimer = new QTimer(this);
  ReopenTimer->setInterval(kDefaultReopenInterval);
  connect(ReopenTimer, &QTimer::timeout, this, &TQuarixSerialGPS::ReopenTimerTimer);
}

TQuarixSerialGPS::~TQuarixSerialGPS() {
  PollTimer->stop();
  IdleTimer->stop();
  ReopenTimer->stop();
  PollTimer->disconnect(this);
  IdleTimer->disconnect(this);
  ReopenTimer->disconnect(this);
  // No event at destruction: the owner may already be half gone.
  OnConnect = nullptr;
  OnDisconnect = nullptr;
  OnIdle = nullptr;
  OnTimeout = nullptr;
  OnNewCommand = nullptr;
  OnSend = nullptr;
  OnPosition3DChange = nullptr;
  OnSpeedChange = nullptr;
  OnBadSentences = nullptr;
  OnWriteProblem = nullptr;
  Close();
  delete PollTimer;
  delete IdleTimer;
  delete ReopenTimer;
  PollTimer = nullptr;
  IdleTimer = nullptr;
  ReopenTimer = nullptr;
}

void TQuarixSerialGPS::Open() {
  if (Active) return;
  platform::SerialLineSettings line;
  line.baudRate = BaudRate;
  // Codes outside 1..4 give no byte size the line can have: the port stays closed.
  line.dataBits = DataWidth >= 1 && DataWidth <= 4 ? DataWidth + 4 : 0;
  line.stopBits = StopBits;
  line.parity = Parity;
  line.dtr = EnableDTR;
  line.rts = EnableRTS;
  line.writeTimeoutMs = 1000;
  // A port that does not exist, is in use or rejects the settings stays
  // closed without a report; the owner sees Active false and no OnConnect.
  Handle = platform::SerialPort::Open(SerialDevicePath(Port), line);
  // A line that hangs up at once (a device still going away) is no opening.
  if (Handle && Handle->Failed()) {
    Handle->Close();
    Handle.reset();
  }
  if (!Handle) return;
  ReopenTimer->stop();

  Active = true;
  LineBuffer.clear();
  DataSeen = false;

  RawLogFailed = false;
  Damaged.Reset();
  if (NMEALog && !LogFileName.empty()) OpenRawLog();  // no raw log yet, no report: the first line tries again

  PollTimer->setInterval(Delay < 1 ? kDefaultDelay : Delay);
  PollTimer->start();
  IdleTimer->setInterval(IdleInterval < 1 ? kDefaultIdleInterval : IdleInterval);
  IdleTimer->start();
  IdleReported = false;

  if (OnConnect) OnConnect(this, Port);
}

void TQuarixSerialGPS::Close() {
  PollTimer->stop();
  IdleTimer->stop();
  ReopenTimer->stop();
  if (!Active) return;
  // Marks the shared port closed: a thread that still holds it writes nothing.
  if (Handle) Handle->Close();
  Handle.reset();
  CloseRawLog();
  TellBadSentences(Damaged.Pending(platform::TickCount(), true));
  Active = false;
  Latitude = 0;
  Longitude = 0;
  Altitude = 0;
  Speed = 0;
  Course = 0;
  FixQuality = 0;
  Satellites = 0;
  if (OnDisconnect) OnDisconnect(this, Port);
}

void TQuarixSerialGPS::SendString(const std::string& Text) {
  if (!Active || !Handle) return;
  // A text the port does not take whole is not taken for sent: the first of
  // a run is told, and the first that goes through again.
  const std::size_t written = Handle->Write(Text);
  std::string told;
  if (written < Text.size() && SendFailures.Failed(Text.size() - written))
    told = "Writing to " + PortName(Port) + " failed: the port took " + std::to_string(written) + " of " +
           std::to_string(Text.size()) + " bytes.";
  else if (written == Text.size() && SendFailures.Succeeded())
    told = PortName(Port) + " takes what is written again (" + std::to_string(SendFailures.Amount()) +
           " bytes were not written).";
  if (!told.empty() && OnWriteProblem) OnWriteProblem(this, told);
  if (OnSend) OnSend(this, Text);
}

void TQuarixSerialGPS::ForgetPosition() {
  Latitude = 0;
  Longitude = 0;
}

std::string TQuarixSerialGPS::PortName(int n) { return "COM" + std::to_string(n); }

int TQuarixSerialGPS::PortNumberFromName(const std::string& Name) {
  std::string text = Name;
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (text.rfind("COM", 0) == 0) text.erase(0, 3);
  int n = 0;
  if (!TryStrToInt(text, n)) return 1;
  // Every port the lists offer can be chosen; nothing else is silently
  // replaced by a neighbouring port.
  return n >= 1 && n <= 256 ? n : 1;
}

int TQuarixSerialGPS::ValidBaudRate(int n) {
  static constexpr int kRates[] = {110,   300,   600,   1200,  2400,   4800,
                                   14400, 19200, 38400, 57600, 115200, 230400};
  return std::find(std::begin(kRates), std::end(kRates), n) != std::end(kRates) ? n : 9600;
}

// A port that hangs up or reports an error (a receiver unplugged from its USB
// adapter) never delivers again: it is closed at once, which tells the owner
// through OnDisconnect, instead of waiting for the silence watchdog.
void TQuarixSerialGPS::PollTimerTimer() {
  if (!Active || !Handle) return;
  const int queued = Handle->QueuedBytes();
  if (queued > 0) {
    char chunk[kMaxReadPerTick];
    const long got = Handle->Read(chunk, std::min<size_t>(static_cast<size_t>(queued), sizeof chunk));
    if (got > 0) {
      serialtext::AppendChunk(LineBuffer, chunk, static_cast<size_t>(got));
      DataSeen = true;
      IdleReported = false;
      SplitLines();
      if (!Active || !Handle) return;  // a line handler closed the port
    } else if (got < 0) {
      LosePort();
      return;
    }
  }
  if (queued < 0 || Handle->Failed()) LosePort();
}

// The port went away under the component: told, then tried again until the
// device is back or the owner closes it.
void TQuarixSerialGPS::LosePort() {
  Close();
  ReopenTimer->setInterval(ReopenInterval < 1 ? kDefaultReopenInterval : ReopenInterval);
  ReopenTimer->start();
}

void TQuarixSerialGPS::ReopenTimerTimer() {
  if (Active) {
    ReopenTimer->stop();
    return;
  }
  Reopening = true;
  Open();  // stops the attempts when the port opens; a failed attempt is not told
  Reopening = false;
}

void TQuarixSerialGPS::IdleTimerTimer() {
  if (!Active) return;
  TellBadSentences(Damaged.Pending(platform::TickCount(), false));
  if (DataSeen) {
    DataSeen = false;
    IdleReported = false;
  } else if (!IdleReported) {
    IdleReported = true;
    if (OnIdle) OnIdle(this);
  }
}

void TQuarixSerialGPS::SplitLines() {
  std::string line;
  bool cutShort = false;
  while (CarriesNMEA ? serialtext::TakeSentence(LineBuffer, line, cutShort) : serialtext::TakeLine(LineBuffer, line))
    if (!line.empty()) HandleLine(line, cutShort);
  serialtext::BoundRest(LineBuffer);
}

// A damaged sentence (its checksum does not match, or the next sentence came
// before its line end) is logged raw but not taken: its owner never sees it
// and nothing is decoded from it. Without its end, a sentence that carries no
// checksum would pass for whole with its last field cut.
void TQuarixSerialGPS::HandleLine(const std::string& line, bool cutShort) {
  WriteRawLog(line);
  if (line[0] == '$' && (cutShort || nmea::SentenceChecksum(line) == nmea::Checksum::Bad)) {
    const nmea::Damage damage = cutShort ? nmea::Damage::CutShort : nmea::Damage::WrongChecksum;
    TellBadSentences(Damaged.Dropped(line, damage, platform::TickCount()));
    return;
  }
  if (OnNewCommand) OnNewCommand(this, line);
  if (line[0] == '$') DecodeNMEA(line);
}

void TQuarixSerialGPS::OpenRawLog() {
  CloseRawLog();
  RawLogFd = OpenFileToAppend(LogFileName);
}

void TQuarixSerialGPS::CloseRawLog() {
  if (RawLogFd >= 0) ::close(RawLogFd);
  RawLogFd = -1;
}

// Each line is appended whole or not at all. A log that failed is told once
// and tried again on every later line; a log whose file (or folder) vanished
// during the survey is made again.
void TQuarixSerialGPS::WriteRawLog(const std::string& line) {
  if (!NMEALog || LogFileName.empty()) return;
  struct stat st {};
  if (RawLogFd < 0 || ::fstat(RawLogFd, &st) != 0 || st.st_nlink == 0) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(LogFileName).parent_path(), ec);
    OpenRawLog();
  }
  const bool ok = RawLogFd >= 0 && AppendWhole(RawLogFd, serialtext::RawLogEntry(line, LogTime, platform::Now()));
  if (ok == !RawLogFailed) return;
  RawLogFailed = !ok;
  if (OnRawLogProblem)
    OnRawLogProblem(this, ok ? "The raw log " + LogFileName + " is written again."
                             : "The raw log " + LogFileName + " cannot be written; received lines are not logged.");
}

void TQuarixSerialGPS::TellBadSentences(const std::string& text) {
  if (!text.empty() && OnBadSentences) OnBadSentences(this, PortName(Port) + ": " + text);
}

void TQuarixSerialGPS::DecodeNMEA(const std::string& line) {
  nmea::NavValues values{Latitude, Longitude, Altitude, Speed, Course, FixQuality, Satellites};
  const nmea::Changes changes = nmea::DecodeSentence(line, values);
  Latitude = values.Latitude;
  Longitude = values.Longitude;
  Altitude = values.Altitude;
  Speed = values.Speed;
  Course = values.Course;
  FixQuality = values.FixQuality;
  Satellites = values.Satellites;
  if (changes.position && OnPosition3DChange)
    OnPosition3DChange(this, Latitude, Longitude, Altitude);
  if (changes.speed && OnSpeedChange) OnSpeedChange(this, Speed);
}
