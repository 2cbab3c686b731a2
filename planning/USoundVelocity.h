#pragma once
#include <QWidget>

class TfSVP : public QWidget {
  Q_OBJECT
 public:
  explicit TfSVP(QWidget* parent = nullptr);
};

extern TfSVP* fSVP;
