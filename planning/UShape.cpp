#include "planning/UShape.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/formats.h"
#include "app/settingsfile.h"

TFShape* FShape = nullptr;

namespace {
const char* const kSection = "VESSEL_SHAPE";

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
}  // namespace

TFShape::TFShape(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("FShape");
  setWindowTitle("Vessel Geometry");
  auto* form = new QFormLayout(this);
  edRadious = LabelledEdit(this, form, "edRadious", "Radious of first circle", "10");
  edInterval = LabelledEdit(this, form, "edInterval", "Offset to next circle", "10");
  edAmount = LabelledEdit(this, form, "edAmount", "Total number of circles", "2");
  edLArrow = LabelledEdit(this, form, "edLArrow", "Arrow's sideward length", "10");
  edBArrow = LabelledEdit(this, form, "edBArrow", "Arrow's longitudal length", "100");
  FormCreate();
}

void TFShape::FormCreate() {
  IniFile ini;
  auto real = [&](const char* key, double def) {
    return QString::fromStdString(FloatToStr(StrToFloatDef(ini.ReadString(kSection, key, ""), def)));
  };
  edRadious->setText(real("Radious of first circle", 10));
  edInterval->setText(real("Cirecle offset interval", 10));
  edAmount->setText(QString::number(StrToIntDef(ini.ReadString(kSection, "Number of circles", ""), 2)));
  edLArrow->setText(real("Left right offset of arrow", 0));
  edBArrow->setText(real("Arrow length to bow", 100));
}
