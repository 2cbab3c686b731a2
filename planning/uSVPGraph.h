#pragma once
#include <QDialog>

class TfSVPGraph : public QDialog {
  Q_OBJECT
 public:
  explicit TfSVPGraph(QWidget* parent = nullptr);
};

extern TfSVPGraph* fSVPGraph;
