#pragma once
// The theme window: lists the styles of the style engine, previews the one
// clicked on the running program and keeps the chosen one for the next start
// ([APPLICATION] ThemeStyle).
#include <QDialog>
#include <string>

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

// The style in force when the theme window was last shown; empty until then.
extern std::string PreviousThemeStyle;

class TfTheme : public QDialog {
  Q_OBJECT
 public:
  explicit TfTheme(QWidget* parent = nullptr);

  QGroupBox* gThemeFrame;     // "Select Theme"
  QLabel* lInfo;              // "Available themes: N. Select to preview."
  QListWidget* lbThemeList;   // the engine's style names
  QPushButton* bSaveExit;     // "Save && Exit"
  QPushButton* bCancel;       // "Cancel"

  // Every showing: remembers the style in force and lists the styles with
  // that one selected.
  void FormShow(QObject* Sender);
  // Applies the selected style and gives the map its panel colour.
  void lbThemeListClick(QObject* Sender);
  // Records the selected style in the settings file and hides the window.
  void bSaveExitClick(QObject* Sender);
  // Goes back to the style of the moment the window was shown, then hides.
  void bCancelClick(QObject* Sender);

 protected:
  void showEvent(QShowEvent* event) override;
};

extern TfTheme* fTheme;
