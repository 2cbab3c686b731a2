#pragma once
// The vessel geometry window: the five numbers from which the main window
// draws the vessel symbol (range circles and an arrow along the heading).
#include <QWidget>

class QLineEdit;
class QPushButton;

class TFShape : public QWidget {
  Q_OBJECT
 public:
  explicit TFShape(QWidget* parent = nullptr);

  QLineEdit* edRadious;  // radius of the first circle, m
  QLineEdit* edInterval;  // radius step between circles, m
  QLineEdit* edAmount;   // number of circles
  QLineEdit* edLArrow;   // sideways half width of the arrow, m
  QLineEdit* edBArrow;   // length of the arrow towards the bow, m
  QPushButton* bDefault = nullptr;
  QPushButton* BitBtn1 = nullptr;  // "Save && Hide"

  // Fills the edits from the settings section VESSEL_SHAPE.
  void FormCreate();
  // Stores the edit texts as typed and hides the window.
  void BitBtn1Click();
  // Puts the default values into the edits (nothing is stored).
  void bDefaultClick();
};

extern TFShape* FShape;
