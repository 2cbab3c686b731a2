#include "planning/URunlines.h"

#include <QLabel>
#include <QVBoxLayout>

TfRunline1* fRunline1 = nullptr;

TfRunline1::TfRunline1(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setObjectName("fRunline1");
  setWindowTitle("Runline Generator");
  lRouteStatus = new QLabel(this);
  lRouteStatus->setObjectName("lRouteStatus");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lRouteStatus);
  SetStatus("No route drawn", QColor(128, 128, 128));
}

void TfRunline1::SetStatus(const QString& text, const QColor& colour) {
  lRouteStatus->setText(text);
  QPalette pal = lRouteStatus->palette();
  pal.setColor(QPalette::WindowText, colour);
  lRouteStatus->setPalette(pal);
}

void TfRunline1::SetRoute(const std::vector<std::pair<double, double>>& points) {
  RoutePoints = points;
  RouteReady = points.size() > 1;
  if (points.size() < 2) {
    SetStatus("Need at least 2 points", QColor(255, 0, 0));
    return;
  }
  SetStatus("Route: " + QString::number(points.size()) + " points", QColor(0, 128, 0));
  GenerateRunlines();
}

void TfRunline1::GenerateRunlines() {}
