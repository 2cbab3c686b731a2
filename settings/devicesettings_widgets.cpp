#include "settings/devicesettings_widgets.h"

#include <QColorDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/formats.h"

namespace {

QIcon Swatch(TColor c) {
  QPixmap pm(16, 12);
  pm.fill(ToQColor(c));
  QPainter p(&pm);
  p.setPen(Qt::black);
  p.drawRect(0, 0, pm.width() - 1, pm.height() - 1);
  return QIcon(pm);
}

struct NamedColor {
  const char* name;
  TColor color;
};

const NamedColor kStandard[] = {
    {"Black", clBlack},   {"Maroon", clMaroon}, {"Green", clGreen}, {"Olive", clOlive},
    {"Navy", clNavy},     {"Purple", clPurple}, {"Teal", clTeal},   {"Gray", clGray},
    {"Silver", clSilver}, {"Red", clRed},       {"Lime", clLime},   {"Yellow", clYellow},
    {"Blue", clBlue},     {"Fuchsia", clFuchsia}, {"Aqua", clAqua}, {"White", clWhite},
};

const NamedColor kExtended[] = {
    {"Money Green", 0xC0DCC0}, {"Sky Blue", 0xF0CAA6}, {"Cream", 0xF0FBFF}, {"Medium Gray", 0xA4A0A0},
};

const NamedColor kSystem[] = {
    {"Scroll Bar", 0xFF000000},        {"Background", 0xFF000001},
    {"Active Caption", 0xFF000002},    {"Inactive Caption", 0xFF000003},
    {"Menu", 0xFF000004},              {"Window", 0xFF000005},
    {"Window Frame", 0xFF000006},      {"Menu Text", 0xFF000007},
    {"Window Text", 0xFF000008},       {"Caption Text", 0xFF000009},
    {"Active Border", 0xFF00000A},     {"Inactive Border", 0xFF00000B},
    {"Application Workspace", 0xFF00000C}, {"Highlight", 0xFF00000D},
    {"Highlight Text", 0xFF00000E},    {"Button Face", 0xFF00000F},
    {"Button Shadow", 0xFF000010},     {"Gray Text", 0xFF000011},
    {"Button Text", 0xFF000012},       {"Inactive Caption Text", 0xFF000013},
    {"Button Highlight", 0xFF000014},  {"3D Dark Shadow", 0xFF000015},
    {"3D Light", 0xFF000016},          {"Info Text", 0xFF000017},
    {"Info Background", 0xFF000018},   {"Hot Light", 0xFF00001A},
    {"Gradient Active Caption", 0xFF00001B}, {"Gradient Inactive Caption", 0xFF00001C},
    {"Menu Highlight", 0xFF00001D},    {"Menu Bar", 0xFF00001E},
};

}  // namespace

TColorBox::TColorBox(int styles, QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  if (styles & Custom) {
    hasCustom_ = true;
    addItem(Swatch(clBlack), "Custom...", QVariant::fromValue<uint>(clBlack));
  }
  if (styles & Standard)
    for (const auto& c : kStandard) AddColor(c.name, c.color);
  if (styles & Extended)
    for (const auto& c : kExtended) AddColor(c.name, c.color);
  if (styles & System)
    for (const auto& c : kSystem) AddColor(c.name, c.color);
  SetSelected(clBlack);
  connect(this, &QComboBox::activated, this, &TColorBox::OnActivated);
}

void TColorBox::AddColor(const QString& name, TColor color) {
  addItem(Swatch(color), name, QVariant::fromValue<uint>(color));
}

void TColorBox::SetCustomColor(TColor color) {
  if (!hasCustom_) {
    insertItem(0, "Custom...");
    hasCustom_ = true;
  }
  setItemData(0, QVariant::fromValue<uint>(color));
  setItemIcon(0, Swatch(color));
}

void TColorBox::SetSelected(TColor color) {
  selected_ = color;
  const int first = hasCustom_ ? 1 : 0;
  for (int i = first; i < count(); ++i) {
    if (itemData(i).toUInt() == color) {
      setCurrentIndex(i);
      return;
    }
  }
  SetCustomColor(color);
  setCurrentIndex(0);
}

void TColorBox::OnActivated(int index) {
  if (index < 0) return;
  if (hasCustom_ && index == 0) {
    const QColor c = QColorDialog::getColor(ToQColor(selected_), this);
    if (!c.isValid()) {
      SetSelected(selected_);
      return;
    }
    const TColor chosen = FromQColor(c);
    SetSelected(chosen);
    emit ColorChanged(chosen);
    return;
  }
  selected_ = itemData(index).toUInt();
  emit ColorChanged(selected_);
}

TUpDown::TUpDown(QLineEdit* associate, int min, int max, int increment, QWidget* parent)
    : QWidget(parent), associate_(associate), min_(min), max_(max), increment_(increment),
      position_(min) {
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  auto* up = new QToolButton(this);
  auto* down = new QToolButton(this);
  up->setArrowType(Qt::UpArrow);
  down->setArrowType(Qt::DownArrow);
  up->setFixedSize(16, 11);
  down->setFixedSize(16, 11);
  up->setAutoRepeat(true);
  down->setAutoRepeat(true);
  box->addWidget(up);
  box->addWidget(down);
  connect(up, &QToolButton::clicked, this, [this] { Step(+1); });
  connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::Step(int direction) {
  int current = position_;
  if (associate_) TryStrToInt(associate_->text().toStdString(), current);
  long long next = static_cast<long long>(current) + static_cast<long long>(direction) * increment_;
  if (next < min_) next = min_;
  if (next > max_) next = max_;
  position_ = static_cast<int>(next);
  if (associate_) associate_->setText(QString::number(position_));
}
