#pragma once
#include <QDialog>

class TfTheme : public QDialog {
  Q_OBJECT
 public:
  explicit TfTheme(QWidget* parent = nullptr);
};

extern TfTheme* fTheme;
