#pragma once
#include <QWidget>

class TfrmNTRIPSettings : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmNTRIPSettings(QWidget* parent = nullptr);
};

extern TfrmNTRIPSettings* frmNTRIPSettings;
