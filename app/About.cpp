#include "app/About.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TformAbout* formAbout = nullptr;

#ifndef QUARIX_VERSION
#define QUARIX_VERSION "1.0.0"
#endif

TformAbout::TformAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("formAbout");
  setWindowTitle("About Quarix Depthmark");
  // Fixed size, no border icons, white.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);

  Panel1 = new QWidget(this);
  auto* panelLayout = new QVBoxLayout(Panel1);
  lProduct = new QLabel("Quarix Depthmark", Panel1);
  QFont productFont("Arial");
  productFont.setPixelSize(19);
  productFont.setBold(true);
  lProduct->setFont(productFont);
  lProduct->setAlignment(Qt::AlignCenter);
  lVersion = new QLabel(QStringLiteral("Version ") + QUARIX_VERSION, Panel1);
  QFont versionFont = lVersion->font();
  versionFont.setBold(true);
  lVersion->setFont(versionFont);
  lVersion->setAlignment(Qt::AlignCenter);
  panelLayout->addStretch();
  panelLayout->addWidget(lProduct);
  panelLayout->addWidget(lVersion);
  panelLayout->addStretch();

  OKButton = new QPushButton("OK", this);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Panel1, 1);
  layout->addWidget(OKButton);
  setFixedSize(320, 160);
}

// Shown in the centre of the main window.
void TformAbout::showEvent(QShowEvent* event) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == "FNav" && w->isVisible()) {
      const QRect main = w->frameGeometry();
      move(main.center() - QPoint(width() / 2, height() / 2));
      break;
    }
  }
  QDialog::showEvent(event);
}
