#include "ui/uTheme.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/color.h"
#include "app/settingsfile.h"
#include "app/themes.h"
#include "canvas/QuarixCanvas.h"
#include "platform/prompts.h"
#include "runtime/unavigation.h"
#include "ui/themechoice.h"

TfTheme* fTheme = nullptr;
std::string PreviousThemeStyle;

namespace {
// The map takes the panel colour of the style in force, whichever style the
// last attempt meant to apply. A map or style that is not there changes nothing.
void PaintMapInActiveStyle() {
  try {
    if (!FNav || !FNav->fcad) return;
    const QColor panel = ThemePanelColor(ActiveThemeName());
    if (panel.isValid()) FNav->fcad->SetBackColor(FromQColor(panel));
    FNav->fcad->NeedsRedraw = true;
    FNav->fcad->repaint();
  } catch (...) {
  }
}

void ApplyQuietly(const std::string& name) {
  try {
    ApplyTheme(name);  // an unknown style shows the engine's own error box
  } catch (...) {
  }
}
}  // namespace

TfTheme::TfTheme(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint) {
  setObjectName("fTheme");
  setWindowTitle("Theme Selection");
  setFont(QFont("Tahoma", 8));
  setFixedSize(320, 612);

  gThemeFrame = new QGroupBox("Select Theme", this);
  gThemeFrame->setObjectName("gThemeFrame");
  gThemeFrame->setGeometry(8, 8, 304, 562);
  lInfo = new QLabel("Available themes: 0. Select to preview.", gThemeFrame);
  lInfo->setObjectName("lInfo");
  lbThemeList = new QListWidget(gThemeFrame);
  lbThemeList->setObjectName("lbThemeList");
  lbThemeList->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* frameLayout = new QVBoxLayout(gThemeFrame);
  frameLayout->addWidget(lInfo);
  frameLayout->addWidget(lbThemeList, 1);

  bSaveExit = new QPushButton("Save && Exit", this);
  bSaveExit->setObjectName("bSaveExit");
  bSaveExit->setGeometry(92, 576, 100, 28);
  bCancel = new QPushButton("Cancel", this);
  bCancel->setObjectName("bCancel");
  bCancel->setGeometry(212, 576, 100, 28);
  bSaveExit->setAutoDefault(false);
  bCancel->setAutoDefault(false);

  // The user moving the selection (mouse or arrow keys) previews the style;
  // filling the list in code does not.
  connect(lbThemeList, &QListWidget::currentRowChanged, this, [this] { lbThemeListClick(lbThemeList); });
  connect(bSaveExit, &QPushButton::clicked, this, [this] { bSaveExitClick(bSaveExit); });
  connect(bCancel, &QPushButton::clicked, this, [this] { bCancelClick(bCancel); });
}

void TfTheme::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // coming back from minimised is no new showing
  if (FNav) {
    QRect r = geometry();
    r.moveCenter(FNav->geometry().center());
    move(r.topLeft());
  }
  FormShow(this);
}

void TfTheme::FormShow(QObject* Sender) {
  PreviousThemeStyle = ActiveThemeName();
  const std::vector<std::string> names = ThemeNames();
  const QSignalBlocker quiet(lbThemeList);
  lbThemeList->clear();
  for (const std::string& name : names) lbThemeList->addItem(QString::fromStdString(name));
  lInfo->setText(QString::fromStdString(ThemeInfoText(names.size())));
  const int row = ThemeRowToSelect(names, PreviousThemeStyle);
  lbThemeList->setCurrentRow(row);
}

void TfTheme::lbThemeListClick(QObject* Sender) {
  const QListWidgetItem* item = lbThemeList->currentItem();
  if (!item || lbThemeList->currentRow() < 0) return;
  ApplyQuietly(item->text().toStdString());
  PaintMapInActiveStyle();
}

void TfTheme::bSaveExitClick(QObject* Sender) {
  if (const QListWidgetItem* item = lbThemeList->currentItem()) {
    IniFile ini;
    ini.WriteString("APPLICATION", "ThemeStyle", item->text().toStdString());
    if (!ini.UpdateFile()) {
      // Not recorded: say so and stay open, so the user can try again or cancel.
      prompts::ShowException(QString::fromStdString("Cannot write the settings file " + ini.FileName() + "."));
      return;
    }
  }
  hide();
}

void TfTheme::bCancelClick(QObject* Sender) {
  if (!PreviousThemeStyle.empty()) ApplyQuietly(PreviousThemeStyle);
  PaintMapInActiveStyle();
  hide();
}
