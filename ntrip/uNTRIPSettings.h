#pragma once
// The NTRIP window: runs the RTK corrections. The main window hands it the
// GNSS receiver's open port and position.
#include <QWidget>
#include <string>

#include "platform/serialport.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

class TfrmNTRIPSettings : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmNTRIPSettings(QWidget* parent = nullptr);

  QRadioButton* rbFromGPS;     // "From GPS", checked
  QRadioButton* rbManual;      // "Manual"
  QLineEdit* edtLatitude;      // rover latitude, decimal degrees
  QLineEdit* edtLongitude;     // rover longitude, decimal degrees
  QPlainTextEdit* memoLog;     // the log (at most 100 lines)
  QComboBox* boxOutputPort;    // item 0 is the receiver's own port

  std::string GPSPortName;           // e.g. "COM3", given by SetGPSPort
  platform::SerialHandle GPSPort;    // the receiver's open port, for the corrections
  double GPSAltitude = 0;            // altitude of the last position given

  // Appends a line to the log, keeping at most 100 lines.
  void AddLog(const std::string& text);
  // The receiver's open port and its name ("COM3").
  void SetGPSPort(platform::SerialHandle handle, const std::string& portName);
  // The receiver's position in signed decimal degrees and metres; ignored
  // while the manual position is selected.
  void SetGPSPosition(double latitude, double longitude, double altitude);
};

extern TfrmNTRIPSettings* frmNTRIPSettings;
