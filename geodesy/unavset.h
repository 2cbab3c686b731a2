#pragma once
#include <QWidget>

class TNavset : public QWidget {
  Q_OBJECT
 public:
  explicit TNavset(QWidget* parent = nullptr);
};

extern TNavset* Navset;
