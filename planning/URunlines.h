#pragma once
// The runline generator: survey lines laid along a route drawn on the map.
#include <QWidget>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShowEvent;

class TfRunline1 : public QWidget {
  Q_OBJECT
 public:
  explicit TfRunline1(QWidget* parent = nullptr);

  QLabel* lRouteStatus;  // status of the route
  QPushButton* bDrawRoute = nullptr;
  QLineEdit* eSpacing = nullptr;
  QLineEdit* eLength = nullptr;
  QRadioButton* rbPerpendicular = nullptr;
  QRadioButton* rbParallel = nullptr;
  QPushButton* bGenerate = nullptr;
  QPushButton* bClear = nullptr;
  QPushButton* bClose = nullptr;

  std::vector<std::pair<double, double>> RoutePoints;  // the route, world metres
  bool RouteReady = false;  // the route holds at least 2 points
  int RunlineLayer = -1;    // the map layer "Quarix_Runlines", once generated

  // Takes the points as the route and, with 2 or more, generates the runlines.
  void SetRoute(const std::vector<std::pair<double, double>>& points);
  // Rebuilds the runline layer from the route.
  void GenerateRunlines();
  // Empties the runline layer.
  void ClearRunlines();

  // Shows a status text in its colour.
  void SetStatus(const QString& text, const QColor& colour);

  void FormCreate();
  void FormShow();
  void bDrawRouteClick();
  void bGenerateClick();
  void bClearClick();
  void eSpacingChange();
  void eLengthChange();
  void rbPerpendicularClick();
  void rbParallelClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowRouteStatus();
};

extern TfRunline1* fRunline1;
