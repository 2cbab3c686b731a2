#include "ui/QuarixKeyboard.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QToolButton>

namespace {
// The frame drawn around both panels: orange, 3 pixels.
const QColor kFrameColor(255, 165, 0);

void MakeBlackPanel(QFrame* panel, int width, int height) {
  panel->setFrameShape(QFrame::NoFrame);
  panel->setFixedSize(width, height);
  panel->setAutoFillBackground(true);
  QPalette pal = panel->palette();
  pal.setColor(QPalette::Window, Qt::black);
  panel->setPalette(pal);
}

void PaintFrame(QWidget* panel) {
  QPainter p(panel);
  QPen pen(kFrameColor);
  pen.setWidth(3);
  pen.setJoinStyle(Qt::MiterJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  // The outline of the rectangle (1, 1) - (width - 1, height - 1), right and
  // bottom edges exclusive.
  p.drawRect(QRect(1, 1, panel->width() - 3, panel->height() - 3));
}

// A speed button: not flat, never takes the focus from the edit it types into.
QToolButton* MakeKey(QWidget* panel, const keyboard::KeyPlace& place, int tag) {
  auto* key = new QToolButton(panel);
  key->setObjectName(QStringLiteral("Key%1").arg(tag));
  key->setText(QString::fromStdString(place.caption));
  key->setGeometry(place.left, place.top, place.width, place.height);
  key->setAutoRaise(false);
  key->setFocusPolicy(Qt::NoFocus);
  key->setProperty("tag", tag);
  QFont font = key->font();
  font.setPointSize(10);
  font.setBold(place.bold);
  key->setFont(font);
  QPalette pal = key->palette();
  pal.setColor(QPalette::ButtonText, Qt::black);
  key->setPalette(pal);
  return key;
}

std::string Caption(const QToolButton* key) { return key->text().toStdString(); }
}  // namespace

std::string GetControlText(QWidget* Control) {
  if (auto* edit = qobject_cast<QLineEdit*>(Control)) return edit->text().toStdString();
  if (auto* combo = qobject_cast<QComboBox*>(Control)) return combo->currentText().toStdString();
  return {};
}

void SetControlText(QWidget* Control, const std::string& Text) {
  const QString text = QString::fromStdString(Text);
  if (auto* edit = qobject_cast<QLineEdit*>(Control)) {
    edit->setText(text);
  } else if (auto* combo = qobject_cast<QComboBox*>(Control)) {
    if (combo->isEditable())
      combo->setEditText(text);
    else
      combo->setCurrentText(text);  // selects the item of that text, if any
  }
}

// ---------------------------------------------------------------------------
// Numeric keypad
// ---------------------------------------------------------------------------

TQuarixNumericKeypad::TQuarixNumericKeypad(QWidget* owner) : QFrame(owner) {
  setObjectName("NumericKeypad");
  MakeBlackPanel(this, keyboard::kKeypadWidth, keyboard::kKeypadHeight);
  CreateKeypadButtons();
}

TQuarixNumericKeypad::~TQuarixNumericKeypad() {
  for (QToolButton*& key : Keys) {
    delete key;
    key = nullptr;
  }
}

void TQuarixNumericKeypad::CreateKeypadButtons() {
  const std::vector<keyboard::KeyPlace> layout = keyboard::NumericKeys();
  for (int i = 0; i < static_cast<int>(layout.size()); ++i) {
    QToolButton* key = MakeKey(this, layout[i], i);
    connect(key, &QToolButton::clicked, this, [this, key] { KeypadClick(key); });
    Keys[i] = key;
  }
}

void TQuarixNumericKeypad::KeypadClick(QObject* Sender) {
  auto* key = qobject_cast<QToolButton*>(Sender);
  if (!key || !TargetControl) return;
  // "Back" and "Enter" are known by their place, not their caption: the main
  // window's translation may have given them the captions of the language.
  if (key == Keys[keyboard::kNumericEnterKey]) {
    hide();
  } else if (key == Keys[keyboard::kNumericBackKey]) {
    const std::string text = GetControlText(TargetControl);
    if (!text.empty()) SetControlText(TargetControl, keyboard::DropLastCharacter(text));
  } else {
    SetControlText(TargetControl, GetControlText(TargetControl) + Caption(key));
  }
}

void TQuarixNumericKeypad::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  PaintFrame(this);
}

// ---------------------------------------------------------------------------
// Letter keyboard
// ---------------------------------------------------------------------------

TQuarixSimpleKeyboard::TQuarixSimpleKeyboard(QWidget* owner) : QFrame(owner) {
  setObjectName("SimpleKeyboard");
  MakeBlackPanel(this, 420, 200);
  CreateKeyboardButtons();
}

TQuarixSimpleKeyboard::~TQuarixSimpleKeyboard() {
  // The special keys go with the panel.
  for (int i = 0; i < KeyCount; ++i) {
    delete Keys[i];
    Keys[i] = nullptr;
  }
}

void TQuarixSimpleKeyboard::CreateKeyboardButtons() {
  for (const keyboard::KeyPlace& place : keyboard::CharacterKeys()) {
    QToolButton* key = MakeKey(this, place, KeyCount);
    connect(key, &QToolButton::clicked, this, [this, key] { KeyClick(key); });
    Keys[KeyCount++] = key;
  }
  const std::vector<keyboard::KeyPlace> special = keyboard::SpecialKeys();
  const int specialSlots[] = {keyboard::kShiftSlot, keyboard::kSpaceSlot, keyboard::kBackSlot, keyboard::kEnterSlot};
  for (int i = 0; i < 4; ++i) Keys[specialSlots[i]] = MakeKey(this, special[i], specialSlots[i]);
  connect(Keys[keyboard::kShiftSlot], &QToolButton::clicked, this,
          [this] { ShiftClick(Keys[keyboard::kShiftSlot]); });
  connect(Keys[keyboard::kSpaceSlot], &QToolButton::clicked, this,
          [this] { SpaceClick(Keys[keyboard::kSpaceSlot]); });
  connect(Keys[keyboard::kBackSlot], &QToolButton::clicked, this, [this] { BackClick(Keys[keyboard::kBackSlot]); });
  connect(Keys[keyboard::kEnterSlot], &QToolButton::clicked, this,
          [this] { EnterClick(Keys[keyboard::kEnterSlot]); });
}

void TQuarixSimpleKeyboard::UpdateKeyCaptions() {
  for (int i = keyboard::kFirstLetterSlot; i < KeyCount; ++i) {
    if (!Keys[i]) continue;
    const std::string caption = Caption(Keys[i]);
    const std::string shown = keyboard::LetterCaption(caption, ShiftOn);
    if (shown != caption) Keys[i]->setText(QString::fromStdString(shown));
  }
}

void TQuarixSimpleKeyboard::KeyClick(QObject* Sender) {
  auto* key = qobject_cast<QToolButton*>(Sender);
  if (!key || !TargetControl) return;
  SetControlText(TargetControl, GetControlText(TargetControl) + Caption(key));
  if (ShiftOn) {
    ShiftOn = false;
    UpdateKeyCaptions();
  }
}

void TQuarixSimpleKeyboard::ShiftClick(QObject* Sender) {
  ShiftOn = !ShiftOn;
  UpdateKeyCaptions();
}

void TQuarixSimpleKeyboard::SpaceClick(QObject* Sender) {
  if (TargetControl) SetControlText(TargetControl, GetControlText(TargetControl) + " ");
}

void TQuarixSimpleKeyboard::BackClick(QObject* Sender) {
  if (!TargetControl) return;
  const std::string text = GetControlText(TargetControl);
  if (!text.empty()) SetControlText(TargetControl, keyboard::DropLastCharacter(text));
}

void TQuarixSimpleKeyboard::EnterClick(QObject* Sender) { hide(); }

void TQuarixSimpleKeyboard::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  PaintFrame(this);
}
