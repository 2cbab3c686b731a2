#pragma once
// What the program reads before its application object exists, and the
// application object that shows exceptions escaping an event handler.
#include <QApplication>
#include <string>

// Reads [APPLICATION] ThemeStyle (returned, default "Light") and the overlay
// settings FontSize, DepthColor and SpeedColor into their display globals.
std::string ReadStartSettings();

class QuarixApplication : public QApplication {
 public:
  QuarixApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Text of the exception box for the exception being handled.
QString CurrentExceptionText();
