#pragma once
#include <QMainWindow>

class TFNav : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFNav(QWidget* parent = nullptr);
};

extern TFNav* FNav;
