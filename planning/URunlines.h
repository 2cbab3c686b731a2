#pragma once
#include <QWidget>

class TfRunline1 : public QWidget {
  Q_OBJECT
 public:
  explicit TfRunline1(QWidget* parent = nullptr);
};

extern TfRunline1* fRunline1;
