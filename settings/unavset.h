#pragma once
// TNavset: the navigation settings window. It holds how the vessel and its
// track are drawn, the map's background colour, the shallow-water alarm depth
// and the rate of the navigation loop; other windows read its controls
// directly. Every showing loads NAVIGATION_SETTINGS, every close stores it.
#include <QWidget>

#include "settings/devicesettings_widgets.h"
#include "settings/navsettings.h"

class QCheckBox;
class QLineEdit;

class TNavset : public QWidget {
  Q_OBJECT
 public:
  explicit TNavset(QWidget* parent = nullptr);

  TColorBox* VesselColor = nullptr;
  QLineEdit* VesselWidth = nullptr;
  TUpDown* UpDownVesselWidth = nullptr;
  QLineEdit* eVesselUpdateRate = nullptr;
  TUpDown* UpDownVesselUpdateRate = nullptr;
  TColorBox* fcadColor = nullptr;
  TColorBox* ColorTracklines1 = nullptr;  // track of RTK fixed positions
  TColorBox* ColorTracklines0 = nullptr;  // track of float and differential positions
  QCheckBox* cLineOrDot = nullptr;
  QLineEdit* TrackWidth = nullptr;
  TUpDown* UpDownTrackWidth = nullptr;
  QLineEdit* TrackDistance = nullptr;
  TUpDown* UpDownTrackDistance = nullptr;
  QLineEdit* edDepthAlert1 = nullptr;

  void FormShow();
  void FormCloseQuery(bool& CanClose);
  void FormHide();
  void fcadColorChange();
  void VesselColorChange();
  void VesselWidthChange();
  void TrackWidthChange();
  void TrackDistanceChange();
  void edDepthAlert1Change();
  void eVesselUpdateRateChange();

  // The stored controls as plain values.
  navsettings::NavigationSettings CurrentSettings() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
};

extern TNavset* Navset;
