#pragma once
#include <QDialog>

class TformAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TformAbout(QWidget* parent = nullptr);
};

extern TformAbout* formAbout;
