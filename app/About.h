#pragma once
#include <QDialog>

class QLabel;
class QPushButton;
class QWidget;

// The About box: product name and version, and an OK button.
class TformAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TformAbout(QWidget* parent = nullptr);

  QWidget* Panel1 = nullptr;
  QLabel* lProduct = nullptr;
  QLabel* lVersion = nullptr;
  QPushButton* OKButton = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

extern TformAbout* formAbout;
