#pragma once
// The realtime data window: fix type, speed, satellites, antenna and tide
// heights and the two depths in large figures; its btHide button switches the
// main window between normal and compact (map only) mode.
#include <QWidget>

class QGroupBox;
class QLabel;
class QTimer;
class QToolButton;

class TfRealtime : public QWidget {
  Q_OBJECT
 public:
  explicit TfRealtime(QWidget* parent = nullptr);

  QToolButton* btHide;           // "Hide Window"
  int btHideImageIndex = 0;      // 0 normal mode, 1 compact mode
  QToolButton* ToolButton2;      // presses the main window's Zoom In
  QToolButton* ToolButton3;      // presses the main window's Zoom Out
  QToolButton* btOpenLogFolder;  // opens the survey day's folder
  QToolButton* btShowOffsets;    // shows the offsets window
  QGroupBox* GPSGroupBox;
  QLabel* Fixed;
  QLabel* SatelliteLabel;
  QLabel* LAntennaH;
  QLabel* Speed;
  QLabel* LTideHt;
  QGroupBox* DepthFrameHi;
  QLabel* lDepthHi;
  QGroupBox* DepthFrameLo;
  QLabel* lDepthLo;
  QTimer* Timer1;  // once, 10 s after creation

  void SetClientHeight(int height);
  void ShowLowFreqDepth();
  void HideLowFreqDepth();
  void SetHideImage(int index);

  void Timer1Timer();
  void btHideClick();
  void ToolButton2Click();
  void ToolButton3Click();
  void btShowOffsetsClick();
  void btOpenLogFolderClick();

 protected:
  void showEvent(QShowEvent* e) override;
};

extern TfRealtime* fRealtime;
