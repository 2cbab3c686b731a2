#pragma once
#include <QWidget>

class TfRealtime : public QWidget {
  Q_OBJECT
 public:
  explicit TfRealtime(QWidget* parent = nullptr);
};

extern TfRealtime* fRealtime;
