#pragma once
// The runline generator: survey lines laid along a route drawn on the map.
#include <QWidget>
#include <utility>
#include <vector>

class QLabel;

class TfRunline1 : public QWidget {
  Q_OBJECT
 public:
  explicit TfRunline1(QWidget* parent = nullptr);

  QLabel* lRouteStatus;  // status of the route
  std::vector<std::pair<double, double>> RoutePoints;  // the route, world metres
  bool RouteReady = false;  // the route holds at least 2 points

  // Takes the points as the route and, with 2 or more, generates the runlines.
  void SetRoute(const std::vector<std::pair<double, double>>& points);
  // Rebuilds the runline layer from the route.
  void GenerateRunlines();

  // Shows a status text in its colour.
  void SetStatus(const QString& text, const QColor& colour);
};

extern TfRunline1* fRunline1;
