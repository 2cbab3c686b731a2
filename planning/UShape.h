#pragma once
#include <QWidget>

class TFShape : public QWidget {
  Q_OBJECT
 public:
  explicit TFShape(QWidget* parent = nullptr);
};

extern TFShape* FShape;
