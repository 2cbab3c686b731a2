#pragma once
// The NTRIP window: runs the RTK corrections through its NTRIP client, keeps
// caster profiles and the NTRIP settings, sends the corrections to the
// receiver's port or a port of its own, and makes the RTCM report. The main
// window hands it the GNSS receiver's open port and position.
#include <QDateTime>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "ntrip/correctionforwarder.h"
#include "platform/serialport.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;
class TQuarixNTRIPClient;

class TfrmNTRIPSettings : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmNTRIPSettings(QWidget* parent = nullptr);
  ~TfrmNTRIPSettings() override;

  QLabel *lblProfile, *lblServer, *lblPort, *lblUsername, *lblPassword;
  QLabel *lblOutputPosition, *lblLatitude, *lblLongitude, *lblMountpoint;
  QLabel *lblOutputPort, *lblOutputBaud, *lblBytesReceived, *lblBytesSent;
  QLabel *lblBytesReceivedValue, *lblBytesSentValue;
  QComboBox* boxProfile;
  QPushButton* btnSaveProfile;
  QLineEdit* edtServer;
  QLineEdit* edtPort;
  QLineEdit* edtUsername;
  QLineEdit* edtPassword;
  QRadioButton* rbFromGPS;     // "From GPS", checked
  QRadioButton* rbManual;      // "Manual"
  QLineEdit* edtLatitude;      // rover latitude, decimal degrees
  QLineEdit* edtLongitude;     // rover longitude, decimal degrees
  QComboBox* boxMountpoint;
  QPushButton* btnFetchSources;
  QCheckBox* chkShowLog;
  QProgressBar* pbProgress;
  QPlainTextEdit* memoLog;     // the log (at most 100 lines)
  QCheckBox* chkOutputPort;
  QComboBox* boxOutputPort;    // item 0 is the receiver's own port
  QComboBox* boxOutputBaud;
  QPushButton* btnConnect;
  QPushButton* Button1;        // "RTCM Parsing"
  QPushButton* btnClose;
  QTimer* tmrUpdate;

  TQuarixNTRIPClient* Client = nullptr;
  std::string IniFileName;
  std::string ProfilesFileName;
  platform::SerialHandle OutputPortHandle;  // separate correction output port, empty when none; takes the
                                            // corrections in place of the receiver's port while open
  bool OutputPortOpen = false;
  std::string GPSPortName;           // e.g. "COM3", given by SetGPSPort
  platform::SerialHandle GPSPort;    // the receiver's open port, as last handed over
  double GPSAltitude = 0;            // altitude of the last position given
  int ShownStatus = -1;               // the client's status the caption shows; -1 before the first
  bool PendingAutoConnect = false;
  bool DataFlowing = false;
  bool AutoConnect = false;
  QDateTime LastDataTime;
  double BaseLatitude = 0;
  double BaseLongitude = 0;
  double BaseHeight = 0;
  int BaseStationId = 0;

  void FormShow();
  // Saves the settings, closes the output port, stops and frees the client;
  // runs when the program quits and when the window is destroyed.
  void FormDestroy();
  void btnConnectClick(QObject* Sender = nullptr);
  void btnFetchSourcesClick(QObject* Sender = nullptr);
  void tmrUpdateTimer(QObject* Sender = nullptr);
  void chkShowLogClick(QObject* Sender = nullptr);
  void btnCloseClick(QObject* Sender = nullptr);
  void rbFromGPSClick(QObject* Sender = nullptr);
  void rbManualClick(QObject* Sender = nullptr);
  void Button1Click(QObject* Sender = nullptr);
  void boxProfileChange(QObject* Sender = nullptr);
  void btnSaveProfileClick(QObject* Sender = nullptr);
  void chkOutputPortClick(QObject* Sender = nullptr);

  void NTRIPClientStatus(QObject* Sender, int code, const std::string& message);
  void NTRIPClientData(QObject* Sender, const uint8_t* data, int length);
  void NTRIPClientSourceTable(QObject* Sender, const std::vector<std::string>* list);
  void NTRIPClientLog(QObject* Sender, const std::string& text);
  // Corrections the port could not take were dropped, or it keeps up again:
  // told in the log and the events log, and shown in the caption meanwhile.
  void NTRIPClientForwardLoss(QObject* Sender, const CorrectionForwarder::Loss& loss);
  bool ForwardDropping = false;       // corrections are being dropped now

  // Appends a time-stamped line to the log, keeping at most 100 lines.
  void AddLog(const std::string& text);
  void UpdatePositionMode();
  // The receiver's open port and its name ("COM3"); an empty handle when the
  // port closed: the corrections are then not forwarded until the next one.
  void SetGPSPort(platform::SerialHandle handle, const std::string& portName);
  // A port takes the corrections: the receiver's, or the separate output port.
  bool CorrectionsForwarded();
  // The window's caption for the last status, telling when the corrections
  // that arrive are not forwarded.
  void UpdateCaption();
  // The receiver's position in signed decimal degrees and metres; ignored
  // while the manual position is selected.
  void SetGPSPosition(double latitude, double longitude, double altitude);

  void LoadSettings();
  void SaveSettings();
  void LoadProfiles();
  void SaveProfile();
  void ListOutputPorts();
  void OpenOutputPort();
  void CloseOutputPort();
  void HandForwardPort();
  // The name of the port the corrections go to ("COM3").
  std::string ForwardPortName();

  static std::string RTCMMessageName(int number);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void LogBaseStationEvent(const std::string& stationText);
};

extern TfrmNTRIPSettings* frmNTRIPSettings;

// The host offered when no caster has been set.
inline constexpr const char* kDefaultCasterHost = "rtk2go.com";
