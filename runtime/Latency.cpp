#include "runtime/Latency.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/color.h"
#include "app/themes.h"
#include "app/settingsfile.h"
#include "runtime/windowlogic.h"

TfLatency* fLatency = nullptr;

namespace {
QLineEdit* LabelledEdit(QWidget* parent, QHBoxLayout* row, const char* name, const QString& label) {
  auto* column = new QVBoxLayout;
  auto* l = new QLabel(label, parent);
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setMaximumWidth(80);
  l->setBuddy(e);
  e->setAccessibleName(label);
  column->addWidget(l);
  column->addWidget(e);
  row->addLayout(column);
  return e;
}
}  // namespace

TfLatency::TfLatency(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      groupColor_(clBtnFace) {
  setObjectName("fLatency");
  setWindowTitle("Latency");
  QFont f("Tahoma");
  setFont(f);

  gLatency = new QGroupBox("Latency (milisecond)", this);
  gLatency->setObjectName("gLatency");
  gLatency->setAutoFillBackground(true);
  auto* row = new QHBoxLayout(gLatency);
  eCurrentLatency = LabelledEdit(gLatency, row, "eCurrentLatency", "Current");
  eLatencyAveraged = LabelledEdit(gLatency, row, "eLatencyAveraged", "Averaged");
  eLatencyTol = LabelledEdit(gLatency, row, "eLatencyTol", "Tolerence");
  eCurrentLatency->setEnabled(false);
  eLatencyAveraged->setEnabled(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(gLatency);
  adjustSize();

  eLatencyTol->setText(QString::number(IniFile().ReadInteger("LATENCY", "eLatencyTol", 500)));
  connect(eLatencyTol, &QLineEdit::textChanged, this, &TfLatency::eLatencyTolChange);
  connect(eCurrentLatency, &QLineEdit::textChanged, this, &TfLatency::eCurrentLatencyChange);
}

void TfLatency::eLatencyTolChange() {
  IniFile().WriteString("LATENCY", "eLatencyTol", eLatencyTol->text().toStdString());
}

// A text that is not a whole number (a tolerance typed with letters, an empty
// edit) leaves the colour as it is; the navigation loop writes the current
// latency on every tick, so an error box here would come back five times a second.
void TfLatency::eCurrentLatencyChange() {
  const auto c = LatencyColor(eCurrentLatency->text().toStdString(), eLatencyTol->text().toStdString());
  if (!c) return;
  groupColor_ = *c;
  SetStateColour(gLatency, ToQColor(*c));
}
