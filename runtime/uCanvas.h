#pragma once
#include <QWidget>

class TfWaterfal : public QWidget {
  Q_OBJECT
 public:
  explicit TfWaterfal(QWidget* parent = nullptr);
};

extern TfWaterfal* fWaterfal;
