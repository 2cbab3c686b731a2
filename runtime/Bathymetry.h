#pragma once
#include <QWidget>

class TOffsets : public QWidget {
  Q_OBJECT
 public:
  explicit TOffsets(QWidget* parent = nullptr);
};

extern TOffsets* Offsets;
