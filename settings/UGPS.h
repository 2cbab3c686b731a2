#pragma once
// TFGPS: the device settings dialog. It keeps the settings of the two serial
// devices, the echo sounder's sentence type and scan format, the datum and
// projection parameters and the map's display settings; other windows read
// its controls directly. The settings live in the program's settings file
// and are saved only by checking the lock box.
#include <QWidget>

#include "settings/devicesettings.h"
#include "settings/devicesettings_widgets.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class TFGPS : public QWidget {
  Q_OBJECT
 public:
  explicit TFGPS(QWidget* parent = nullptr);

  // Pages, the Close button and the lock box.
  QTabWidget* PageControl1 = nullptr;
  QWidget* GPSTabSheet = nullptr;
  QWidget* SensorTabSheet = nullptr;
  QWidget* ParametersTabSheet = nullptr;
  QWidget* tGlobalSetting = nullptr;
  QWidget* TabSheet1 = nullptr;  // "I/O Port Monitor"
  QPushButton* BitBtn2 = nullptr;
  QCheckBox* LockStateCheck1 = nullptr;

  // "GPS Settings".
  QComboBox *Port = nullptr, *BaudRate = nullptr, *DataWidth = nullptr, *StopBits = nullptr,
            *Parity = nullptr, *Priority = nullptr, *Delay = nullptr, *NMEALog = nullptr,
            *LogTime = nullptr, *EnableDTR = nullptr, *EnableRTS = nullptr;
  QCheckBox* GyroEnabled = nullptr;
  QPushButton* GPSSet = nullptr;

  // "Sensor (SBES) Settings".
  QComboBox *SPort = nullptr, *SBaudRate = nullptr, *SDataWidth = nullptr, *SStopBits = nullptr,
            *SParity = nullptr, *SPriority = nullptr, *SDelay = nullptr, *SNMEALog = nullptr,
            *SLogTime = nullptr, *SEnableDTR = nullptr, *SEnableRTS = nullptr;
  QCheckBox* SensorEnabled = nullptr;
  QPushButton* SensorSet = nullptr;
  QComboBox* cSBESMessage = nullptr;
  QLineEdit* eSBESFormat = nullptr;

  // "Godetic Parameters".
  QLineEdit *edSMA = nullptr, *edIF = nullptr;
  QLineEdit *edRX = nullptr, *edRY = nullptr, *edRZ = nullptr;
  QLineEdit *edSX = nullptr, *edSY = nullptr, *edSZ = nullptr, *edPPM = nullptr;
  QCheckBox* cbUseDTP = nullptr;
  QLineEdit* edNameOfDatum = nullptr;
  QLineEdit *edCM = nullptr, *edRL = nullptr, *edSF = nullptr, *edFE = nullptr, *edFN = nullptr;
  QCheckBox* cbUseTMProjection = nullptr;
  QLineEdit *eLCCSP1 = nullptr, *eLCCSP2 = nullptr, *eLCCCP = nullptr, *eLCCM = nullptr,
            *eLCCSF = nullptr, *eLCCFE = nullptr, *eLCCFN = nullptr;
  QCheckBox* cLambert1 = nullptr;
  QCheckBox* cbUseLCCProjection = nullptr;

  // "Global Setting".
  QCheckBox* cbGridVisible = nullptr;
  QCheckBox* cbAutoGrid = nullptr;
  QLineEdit *edGridSpacingX = nullptr, *edGridSpacingY = nullptr;
  TColorBox* cbGridColor = nullptr;
  QCheckBox* cbShowDepthLabels = nullptr;
  QLineEdit *edDepthLabelSpacing = nullptr, *edDepthLabelFontName = nullptr,
            *edDepthLabelFontSize = nullptr;
  TColorBox* cbTextColor = nullptr;
  QLineEdit* edEventLabelFontSize = nullptr;
  TColorBox* cbEventLabelColor = nullptr;
  QLineEdit* eScreenshotInterval = nullptr;
  QLineEdit* edOverlayFontSize = nullptr;
  TColorBox *cbOverlayDepthColor = nullptr, *cbOverlaySpeedColor = nullptr;

  // "I/O Port Monitor".
  QPlainTextEdit *MemoGPS = nullptr, *MemoSensor = nullptr;

  // Handlers.
  void GPSSetClick();
  void SensorSetClick();
  void cSBESMessageChange();
  void cbUseTMProjectionClick();
  void cbUseLCCProjectionClick();
  void cLambert1Click();
  void cbGridVisibleClick();
  void cbGridColorChange();
  void cbAutoGridClick();
  void cbShowDepthLabelsClick();
  void edEventLabelFontSizeChange();
  void cbEventLabelColorChange();
  void edOverlayFontSizeChange();
  void cbOverlayDepthColorChange();
  void cbOverlaySpeedColorChange();
  // Acts only when Sender is eScreenshotInterval.
  void eScreenshotIntervalChange(QObject* Sender);
  void MemoGPSChange();
  void MemoSensorChange();
  void MemoGPSMouseDown();
  void MemoGPSMouseUp();
  void BitBtn2Click();
  void FormCloseQuery(bool& CanClose);
  void FormCreate();
  void FormShow();
  void LockStateCheck1Click();

  // Derives the display globals from the "Global Setting" controls and
  // copies the grid into the main window's map (no repaint).
  void ApplyDisplaySettings();

  // The controls as plain values.
  devicesettings::PortTexts GpsPortTexts() const;
  devicesettings::PortTexts SensorPortTexts() const;
  devicesettings::DisplayTexts GlobalSettingTexts() const;
  devicesettings::DeviceSettings CurrentSettings() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildGpsTab();
  void BuildSensorTab();
  void BuildParametersTab();
  void BuildGlobalTab();
  void BuildMonitorTab();
  void SetPortTexts(const devicesettings::PortTexts& t, bool sensor);
  void SetGeodeticControls(const devicesettings::GeodeticTexts& g);
  void SetGlobalSettingControls(const devicesettings::DisplayTexts& d);
  void SetSettingsTabsEnabled(bool enabled);
  void SaveAndLock();
  void Unlock();
  void ClearMemoWhenFull(QPlainTextEdit* memo);
};

extern TFGPS* FGPS;
