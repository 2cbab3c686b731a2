#pragma once
#include <QWidget>

class TFGPS : public QWidget {
  Q_OBJECT
 public:
  explicit TFGPS(QWidget* parent = nullptr);
};

extern TFGPS* FGPS;
