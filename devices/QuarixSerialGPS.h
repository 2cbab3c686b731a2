#pragma once
// TQuarixSerialGPS: the component for one serial device (GNSS receiver or echo
// sounder). It opens the port named by Port, polls it on a timer of the
// user-interface thread, cuts the bytes into lines, writes them to an optional
// raw log, hands every line to its owner and decodes the NMEA sentences GGA,
// RMC and VTG into position, fix quality, satellites, speed and course.
//
// The owner writes the configuration members before Open and reads Active,
// Port and Handle directly. Handle is the shared port object: a component
// given it (the NTRIP client) may write into it from its own thread; after
// Close such writes are dropped.
//
// A port that hangs up (a device unplugged) is closed and told through
// OnDisconnect; the component then tries to open it again every
// ReopenInterval ms until the device is back (OnConnect, with Reopening set)
// or the owner closes it.
#include <QObject>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>

#include "devices/nmea.h"
#include "platform/failurerun.h"
#include "platform/serialport.h"

class QTimer;

class TQuarixSerialGPS : public QObject {
  Q_OBJECT
 public:
  explicit TQuarixSerialGPS(QObject* AOwner = nullptr);
  ~TQuarixSerialGPS() override;

  // Port and configuration.
  platform::SerialHandle Handle;  // the open port; empty (invalid) unless Active
  bool Active = false;            // the port is open and configured
  int Port = 1;                   // COM port number
  int BaudRate = 9600;
  int DataWidth = 4;              // byte size = DataWidth + 4 (1 = 5 bits ... 4 = 8 bits)
  int StopBits = 1;               // 1 one, 2 one and a half, 3 two, other one
  int Parity = 0;                 // 0 none, 1 odd, 2 even, 3 mark, 4 space, other unchanged
  uint8_t Priority = 3;           // stored, not used
  int Delay = 50;                 // poll interval in ms; below 1 means 50
  bool NMEALog = false;           // write every received line to the raw log
  bool LogTime = false;           // prefix raw-log lines with date and time
  bool EnableDTR = false;
  bool EnableRTS = false;
  std::string LogFileName;        // path of the raw log
  // The port carries NMEA: every "$" starts a new sentence, so a sentence is
  // never glued to line noise that came before it without a line end; a
  // sentence that the next "$" ends before its line end lost its end and is
  // dropped as damaged.
  bool CarriesNMEA = false;

  // Decoded values.
  double Latitude = 0;   // degrees, north positive (last GGA)
  double Longitude = 0;  // degrees, east positive (last GGA)
  double Altitude = 0;   // m (last GGA)
  double Speed = 0;      // km/h (last RMC or VTG)
  double Course = 0;     // degrees (last RMC or VTG)
  int FixQuality = 0;    // last GGA
  int Satellites = 0;    // last GGA

  std::string LineBuffer;  // received text not yet ended by a line end (LF, CR LF or CR)
  QTimer* PollTimer = nullptr;  // owned; drives the poll
  QTimer* IdleTimer = nullptr;  // owned; drives the silence watchdog
  int IdleInterval = 10000;     // watchdog period in ms; below 1 means 10000
  bool DataSeen = false;        // bytes arrived since the last watchdog tick
  bool IdleReported = false;    // the current silence has been reported
  int RawLogFd = -1;            // the raw log while the port is open
  bool RawLogFailed = false;    // a failed write has been told; cleared when writing works again
  platform::FailureRun SendFailures;  // texts the port did not take whole
  QTimer* ReopenTimer = nullptr;  // owned; tries a lost port again
  int ReopenInterval = 3000;      // ms between the attempts; below 1 means 3000
  bool Reopening = false;         // true while OnConnect tells a lost port opened again
  nmea::DamageTally Damaged;  // sentences dropped as damaged since the port was opened

  // Events, sender first; an empty event is not raised.
  std::function<void(QObject* Sender, int Port)> OnConnect;
  std::function<void(QObject* Sender, int Port)> OnDisconnect;
  std::function<void(QObject* Sender)> OnIdle;
  std::function<void(QObject* Sender)> OnTimeout;  // never raised
  std::function<void(QObject* Sender, const std::string& Line)> OnNewCommand;
  std::function<void(QObject* Sender, const std::string& Text)> OnSend;
  std::function<void(QObject* Sender, double Latitude, double Longitude, double Altitude)>
      OnPosition3DChange;
  std::function<void(QObject* Sender, double Speed)> OnSpeedChange;
  // The raw log failed (told once) or works again.
  std::function<void(QObject* Sender, const std::string& Text)> OnRawLogProblem;
  // A text the port did not take whole within the write time-out (told once)
  // or the port takes what is written again.
  std::function<void(QObject* Sender, const std::string& Text)> OnWriteProblem;
  // Damaged sentences (a wrong checksum, cut short) were dropped (told now and then, not per line).
  std::function<void(QObject* Sender, const std::string& Text)> OnBadSentences;

  void Open();
  void Close();
  void SendString(const std::string& Text);
  // Forgets the decoded latitude and longitude (a receiver that went silent no
  // longer stands there), so that the next GGA with a position raises
  // OnPosition3DChange even when it repeats the last one.
  void ForgetPosition();

  double GetLatitude() const { return Latitude; }
  double GetLongitude() const { return Longitude; }
  double GetAltitude() const { return Altitude; }
  double GetCourse() const { return Course; }
  int GetFixQuality() const { return FixQuality; }
  int GetSatellites() const { return Satellites; }

  // "COM" followed by n.
  static std::string PortName(int n);
  // The port number of a name such as "COM7" or "7": 1 to 256, 1 for anything else.
  static int PortNumberFromName(const std::string& Name);
  // n when it is one of the rates the component offers, else 9600.
  static int ValidBaudRate(int n);

  // Timer handlers, public so that tests run a tick directly.
  void PollTimerTimer();  // one poll: read what is queued and handle complete lines
  void IdleTimerTimer();  // one watchdog tick
  void ReopenTimerTimer();  // one attempt to open a lost port again

 private:
  void SplitLines();
  void LosePort();
  void HandleLine(const std::string& line, bool cutShort);
  void WriteRawLog(const std::string& line);
  void OpenRawLog();
  void CloseRawLog();
  void DecodeNMEA(const std::string& line);
  void TellBadSentences(const std::string& text);
};
