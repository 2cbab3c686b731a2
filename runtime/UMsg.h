#pragma once
#include <QWidget>

class TFMsg : public QWidget {
  Q_OBJECT
 public:
  explicit TFMsg(QWidget* parent = nullptr);
};

extern TFMsg* FMsg;
