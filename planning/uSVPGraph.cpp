#include "planning/uSVPGraph.h"

TfSVPGraph* fSVPGraph = nullptr;

TfSVPGraph::TfSVPGraph(QWidget* parent) : QDialog(parent) {
  setObjectName("fSVPGraph");
  setWindowTitle("SVP Profile Graph - Drag Points or Lasso Select");
  resize(900, 550);
}
