// Quarix DM: single-beam hydrographic survey program.
#include <QApplication>

#include "program/forms.h"
#include "app/fonts.h"
#include "app/helpers.h"
#include "app/startup.h"
#include "app/themes.h"
#include "platform/prompts.h"
#include "runtime/UMsg.h"
#include "runtime/unavigation.h"

int main(int argc, char** argv) {
  InitDayFolderTexts();
  std::string theme;
  try {
    theme = ReadStartSettings();
  } catch (...) {
    theme = "Light";
  }
  PrepareFontResolution();
  QuarixApplication app(argc, argv);
  SetupDesignFonts();
  try {
    if (theme != kDefaultStyleName) ApplyTheme(theme);
    QApplication::setApplicationName("Quarix DM");
    CreateForms();
    SetEventLogProblemHandler([](const std::string& text) {
      if (!FMsg) return;
      FMsg->show();
      FMsg->AddLine(QString::fromStdString(text));
    });
    // A logout, a shutdown or Ctrl+C closes the program as File > Exit does;
    // one that comes while the last drawing is reloaded at the first showing
    // stops the reload first.
    CloseOnTerminationRequest();
    FNav->show();
    RunUntilClosed();
  } catch (...) {
    prompts::ShowException(CurrentExceptionText());
  }
  return 0;
}
