#include "ntrip/uNTRIPSettings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "app/formats.h"

TfrmNTRIPSettings* frmNTRIPSettings = nullptr;

TfrmNTRIPSettings::TfrmNTRIPSettings(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("frmNTRIPSettings");
  setWindowTitle("Quarix NTRIP Client");
  resize(320, 498);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Output Position", this), 0, 0);
  rbFromGPS = new QRadioButton("From GPS", this);
  rbFromGPS->setObjectName("rbFromGPS");
  rbFromGPS->setChecked(true);
  rbManual = new QRadioButton("Manual", this);
  rbManual->setObjectName("rbManual");
  grid->addWidget(rbFromGPS, 0, 1);
  grid->addWidget(rbManual, 0, 2);
  grid->addWidget(new QLabel("Latitude (deg)", this), 1, 0);
  edtLatitude = new QLineEdit("0.0", this);
  edtLatitude->setObjectName("edtLatitude");
  edtLatitude->setEnabled(false);
  grid->addWidget(edtLatitude, 1, 1, 1, 2);
  grid->addWidget(new QLabel("Longitude (deg)", this), 2, 0);
  edtLongitude = new QLineEdit("0.0", this);
  edtLongitude->setObjectName("edtLongitude");
  edtLongitude->setEnabled(false);
  grid->addWidget(edtLongitude, 2, 1, 1, 2);
  memoLog = new QPlainTextEdit(this);
  memoLog->setObjectName("memoLog");
  memoLog->setReadOnly(true);
  memoLog->setFont(QFont("Consolas"));
  memoLog->setMaximumBlockCount(100);
  grid->addWidget(memoLog, 3, 0, 1, 3);
  grid->addWidget(new QLabel("Output Port", this), 4, 0);
  boxOutputPort = new QComboBox(this);
  boxOutputPort->setObjectName("boxOutputPort");
  boxOutputPort->addItem("This port (GPS)");
  grid->addWidget(boxOutputPort, 4, 1, 1, 2);
}

void TfrmNTRIPSettings::AddLog(const std::string& text) {
  memoLog->appendPlainText(QString::fromStdString(text));
}

void TfrmNTRIPSettings::SetGPSPort(platform::SerialHandle handle, const std::string& portName) {
  GPSPort = std::move(handle);
  AddLog("Serial port handle connected");
  if (!portName.empty()) {
    GPSPortName = portName;
    if (boxOutputPort->count() > 0)
      boxOutputPort->setItemText(0, QString::fromStdString(GPSPortName + " This Port (GPS)"));
  }
}

void TfrmNTRIPSettings::SetGPSPosition(double latitude, double longitude, double altitude) {
  if (rbManual->isChecked()) return;
  edtLatitude->setText(QString::fromStdString(FormatFixed(latitude, 8)));
  edtLongitude->setText(QString::fromStdString(FormatFixed(longitude, 8)));
  GPSAltitude = altitude;
}
