#pragma once
// The latency window: how long a navigation tick takes, against a tolerance.
#include <QWidget>

class QGroupBox;
class QLineEdit;

class TfLatency : public QWidget {
  Q_OBJECT
 public:
  explicit TfLatency(QWidget* parent = nullptr);

  QGroupBox* gLatency;          // "Latency (milisecond)"; lime or red
  QLineEdit* eCurrentLatency;   // written by the navigation loop
  QLineEdit* eLatencyAveraged;  // written by the navigation loop
  QLineEdit* eLatencyTol;       // the tolerance, kept in [LATENCY] eLatencyTol

  void eLatencyTolChange();      // writes the text to the settings file
  void eCurrentLatencyChange();  // colours the group

  // The group's colour as last set (TColor); clBtnFace until the first reading.
  unsigned GroupColor() const { return groupColor_; }

 private:
  unsigned groupColor_;
};

extern TfLatency* fLatency;
