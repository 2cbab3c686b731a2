#include "planning/UShape.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/settingsfile.h"
#include "planning/vesselshape.h"
#include "platform/prompts.h"

TFShape* FShape = nullptr;

namespace {

QLineEdit* LabelledEdit(QWidget* parent, QFormLayout* form, const char* name, const QString& label,
                        const QString& text) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(name);
  e->setAccessibleName(label);
  auto* l = new QLabel(label, parent);
  l->setBuddy(e);
  form->addRow(l, e);
  return e;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* e) { return e->text().toStdString(); }

}  // namespace

TFShape::TFShape(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("FShape");
  setWindowTitle("Vessel Geometry");
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox("All in one pole", this);
  auto* form = new QFormLayout(group);
  edRadious = LabelledEdit(group, form, "edRadious", "Radious of first circle", "10");
  edInterval = LabelledEdit(group, form, "edInterval", "Offset to next circle", "10");
  edAmount = LabelledEdit(group, form, "edAmount", "Total number of circles", "2");
  edLArrow = LabelledEdit(group, form, "edLArrow", "Arrow's sideward length", "10");
  edBArrow = LabelledEdit(group, form, "edBArrow", "Arrow's longitudal length", "100");
  layout->addWidget(group);

  bDefault = new QPushButton("Default", this);
  bDefault->setObjectName("bDefault");
  layout->addWidget(bDefault);
  layout->addWidget(new QLabel("Changes requires restart of program.", this));
  BitBtn1 = new QPushButton("Save && Hide", this);
  BitBtn1->setObjectName("BitBtn1");
  layout->addWidget(BitBtn1);

  connect(bDefault, &QPushButton::clicked, this, [this] { bDefaultClick(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

  FormCreate();
}

void TFShape::FormCreate() {
  const vesselshape::Texts t = vesselshape::Read(IniFile());
  edRadious->setText(Q(t.Radius));
  edInterval->setText(Q(t.Interval));
  edAmount->setText(Q(t.Amount));
  edLArrow->setText(Q(t.LArrow));
  edBArrow->setText(Q(t.BArrow));
}

void TFShape::BitBtn1Click() {
  IniFile ini;
  vesselshape::Write(ini, {S(edRadious), S(edInterval), S(edAmount), S(edLArrow), S(edBArrow)});
  if (!ini.UpdateFile()) {
    // Not stored: said so, and the window stays for another try.
    prompts::ShowMessage(Q("The vessel geometry could not be stored: the settings file " + ini.FileName() +
                           " could not be written."));
    return;
  }
  hide();
}

void TFShape::bDefaultClick() {
  const vesselshape::Texts t = vesselshape::Defaults();
  edRadious->setText(Q(t.Radius));
  edInterval->setText(Q(t.Interval));
  edAmount->setText(Q(t.Amount));
  edLArrow->setText(Q(t.LArrow));
  edBArrow->setText(Q(t.BArrow));
}
