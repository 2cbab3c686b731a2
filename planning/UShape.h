#pragma once
// The vessel geometry window: the five numbers from which the main window
// draws the vessel symbol (range circles and an arrow along the heading).
#include <QWidget>

class QLineEdit;

class TFShape : public QWidget {
  Q_OBJECT
 public:
  explicit TFShape(QWidget* parent = nullptr);

  QLineEdit* edRadious;  // radius of the first circle, m
  QLineEdit* edInterval;  // radius step between circles, m
  QLineEdit* edAmount;   // number of circles
  QLineEdit* edLArrow;   // sideways half width of the arrow, m
  QLineEdit* edBArrow;   // length of the arrow towards the bow, m

  // Fills the edits from the settings section VESSEL_SHAPE.
  void FormCreate();
};

extern TFShape* FShape;
