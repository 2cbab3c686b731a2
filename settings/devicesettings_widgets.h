#pragma once
// Small controls the two settings windows share: a colour drop-down box and
// an up-down pair attached to an edit.
#include <QComboBox>
#include <QWidget>

#include "app/color.h"

class QLineEdit;
class QToolButton;

// A drop-down list of named colours. Choosing an entry raises ColorChanged;
// setting the colour in code (SetSelected) raises nothing.
class TColorBox : public QComboBox {
  Q_OBJECT
 public:
  enum Style {
    Standard = 1,  // the sixteen basic colours
    Extended = 2,  // money green, sky blue, cream, medium grey
    System = 4,    // the platform's system colours (top byte 0xFF)
    Custom = 8,    // a first entry "Custom..." that asks for any colour
  };
  explicit TColorBox(int styles, QWidget* parent = nullptr);

  TColor Selected() const { return selected_; }
  // Selects the entry of the colour; a colour that has no entry is kept as
  // the custom entry's colour (added when the box has none).
  void SetSelected(TColor color);

 signals:
  void ColorChanged(TColor color);

 private:
  void AddColor(const QString& name, TColor color);
  void OnActivated(int index);
  void SetCustomColor(TColor color);
  bool hasCustom_ = false;
  TColor selected_ = clBlack;
};

// The arrows beside an edit: each click steps the number in the edit by the
// increment within min..max and writes it back as the edit's text (which
// runs the edit's change handler).
class TUpDown : public QWidget {
  Q_OBJECT
 public:
  TUpDown(QLineEdit* associate, int min, int max, int increment, QWidget* parent = nullptr);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Increment() const { return increment_; }
  void Step(int direction);  // +1 up, -1 down

 private:
  QLineEdit* associate_;
  int min_, max_, increment_;
  int position_;
};
