// The on-screen keypad and keyboard typing into real controls.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

#include "ui/QuarixKeyboard.h"

namespace {
template <size_t N>
QToolButton* KeyOf(const std::array<QToolButton*, N>& keys, const QString& caption) {
  for (QToolButton* k : keys)
    if (k && k->text() == caption) return k;
  return nullptr;
}

class Panels : public ::testing::Test {
 protected:
  // Presses the keys with these captions in turn, by their buttons.
  void PressKeypad(std::initializer_list<const char*> captions) {
    for (const char* c : captions) {
      QToolButton* k = KeyOf(keypad->Keys, QString(c));
      ASSERT_NE(k, nullptr) << c;
      k->click();
    }
  }
  void PressKeyboard(std::initializer_list<const char*> captions) {
    for (const char* c : captions) {
      QToolButton* k = KeyOf(keyboard->Keys, QString(c));
      ASSERT_NE(k, nullptr) << c;
      k->click();
    }
  }
  std::string Captions(int from, int to) const {
    std::string s;
    for (int i = from; i < to; ++i) s += keyboard->Keys[i]->text().toStdString();
    return s;
  }

  QWidget host;
  TQuarixNumericKeypad* keypad = new TQuarixNumericKeypad(&host);
  TQuarixSimpleKeyboard* keyboard = new TQuarixSimpleKeyboard(&host);
  QLineEdit* edit = new QLineEdit(&host);

  void SetUp() override { host.show(); }
};
}  // namespace

TEST_F(Panels, KeypadKeysAsLaidOut) {
  EXPECT_EQ(keypad->size(), QSize(170, 250));
  for (int i = 0; i < 14; ++i) {
    ASSERT_NE(keypad->Keys[i], nullptr);
    EXPECT_EQ(keypad->Keys[i]->parentWidget(), keypad);
    EXPECT_EQ(keypad->Keys[i]->property("tag").toInt(), i);
    EXPECT_EQ(keypad->Keys[i]->size(), QSize(50, 45));
    EXPECT_TRUE(keypad->Keys[i]->font().bold());
  }
  EXPECT_EQ(keypad->Keys[9]->text(), "Back");
  EXPECT_EQ(keypad->Keys[11]->geometry(), QRect(115, 155, 50, 45));
  EXPECT_EQ(keypad->Keys[12]->geometry(), QRect(5, 205, 50, 45));
  EXPECT_EQ(keypad->Keys[13]->geometry(), QRect(60, 205, 50, 45));
}

TEST_F(Panels, KeypadTypesADecimalAndANegativeValue) {
  keypad->TargetControl = edit;
  PressKeypad({"-", "0", ".", "5", "0"});
  EXPECT_EQ(edit->text(), "-0.50");
  PressKeypad({"Back", "Back", "Back", "Back", "Back", "0", ".", "5", "0"});
  EXPECT_EQ(edit->text(), "0.50");
}

TEST_F(Panels, KeypadTypesIntoItsTarget) {
  keypad->TargetControl = edit;
  keypad->show();
  edit->setText("1500");
  PressKeypad({"Back", "Back", "2", "5", "Back", "7", "0"});
  EXPECT_EQ(edit->text(), "15270");
  PressKeypad({"Back", "Back", "Back", "Back", "Back"});  // past empty
  EXPECT_EQ(edit->text(), "");
  EXPECT_TRUE(keypad->isVisible());
  PressKeypad({"Enter"});
  EXPECT_FALSE(keypad->isVisible());
  EXPECT_EQ(edit->text(), "");
}

TEST_F(Panels, KeypadKeysWorkUnderTranslatedCaptions) {
  // The main window's language switch translates the keypad's captions too.
  keypad->Keys[9]->setText(QString::fromUtf8("Geri"));
  keypad->Keys[11]->setText(QString::fromUtf8("Giri\xC5\x9F"));
  keypad->TargetControl = edit;
  keypad->show();
  edit->setText("12");
  keypad->Keys[9]->click();
  PressKeypad({"5"});
  EXPECT_EQ(edit->text(), "15");
  keypad->Keys[11]->click();
  EXPECT_FALSE(keypad->isVisible());
  EXPECT_EQ(edit->text(), "15");
}

TEST_F(Panels, KeypadWithoutTargetOrFromAnotherSenderDoesNothing) {
  keypad->show();
  PressKeypad({"7", "Back", "Enter"});
  EXPECT_TRUE(keypad->isVisible());

  keypad->TargetControl = edit;
  QLineEdit notAKey;
  keypad->KeypadClick(&notAKey);
  keypad->KeypadClick(nullptr);
  EXPECT_EQ(edit->text(), "");
  EXPECT_TRUE(keypad->isVisible());
}

TEST_F(Panels, ControlTextOfEachKindOfTarget) {
  QLineEdit masked(&host);
  masked.setInputMask("99.99");
  QComboBox editable(&host);
  editable.setEditable(true);
  QComboBox fixed(&host);
  fixed.addItems({"COM1", "COM12"});
  QPlainTextEdit other(&host);
  other.setPlainText("memo");

  SetControlText(edit, "12");
  SetControlText(&masked, "12.34");
  SetControlText(&editable, "38400");
  SetControlText(&fixed, "COM12");
  SetControlText(&other, "changed");
  SetControlText(nullptr, "x");
  EXPECT_EQ(GetControlText(edit), "12");
  EXPECT_EQ(GetControlText(&masked), "12.34");
  EXPECT_EQ(GetControlText(&editable), "38400");
  EXPECT_EQ(GetControlText(&fixed), "COM12");
  EXPECT_EQ(fixed.currentIndex(), 1);
  EXPECT_EQ(GetControlText(&other), "");
  EXPECT_EQ(other.toPlainText(), "memo");
  EXPECT_EQ(GetControlText(nullptr), "");

  keypad->TargetControl = &editable;
  PressKeypad({"Back", "0"});
  EXPECT_EQ(editable.currentText(), "38400");
}

TEST_F(Panels, KeyboardSlotsAndCaptionsAtCreation) {
  EXPECT_EQ(keyboard->size(), QSize(420, 200));
  EXPECT_EQ(keyboard->KeyCount, 37);
  EXPECT_FALSE(keyboard->ShiftOn);
  EXPECT_EQ(Captions(0, 37), "1234567890QWERTYUIOPASDFGHJKLZXCVBNM.");
  EXPECT_EQ(keyboard->Keys[36]->geometry(), QRect(3, 167, 38, 38));
  for (int i = 37; i < 50; ++i) EXPECT_EQ(keyboard->Keys[i], nullptr) << i;
  const char* special[] = {"Shift", "Space", "Back", "Enter"};
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(keyboard->Keys[50 + i], nullptr);
    EXPECT_EQ(keyboard->Keys[50 + i]->text(), special[i]);
  }
  EXPECT_EQ(keyboard->Keys[51]->geometry(), QRect(44, 167, 250, 38));
  EXPECT_TRUE(keyboard->Keys[53]->font().bold());
  EXPECT_FALSE(keyboard->Keys[0]->font().bold());
}

TEST_F(Panels, ShiftTypesOneCapitalThenLowerCase) {
  keyboard->TargetControl = edit;
  PressKeyboard({"Q", "1"});  // upper case until Shift is first used
  EXPECT_EQ(edit->text(), "Q1");
  PressKeyboard({"Shift"});
  EXPECT_TRUE(keyboard->ShiftOn);
  PressKeyboard({"A", "b"});
  EXPECT_EQ(edit->text(), "Q1Ab");
  EXPECT_FALSE(keyboard->ShiftOn);
  EXPECT_EQ(Captions(0, 36), "1234567890qwertyuiopasdfghjklzxcvbnm");

  PressKeyboard({"Shift"});
  EXPECT_EQ(Captions(10, 20), "QWERTYUIOP");
  PressKeyboard({"Shift"});
  EXPECT_EQ(Captions(10, 20), "qwertyuiop");
  EXPECT_EQ(edit->text(), "Q1Ab");

  // A digit or the point also ends a pending Shift.
  PressKeyboard({"Shift", "7", "c", "Shift", ".", "d"});
  EXPECT_EQ(edit->text(), "Q1Ab7c.d");
  EXPECT_FALSE(keyboard->ShiftOn);
  EXPECT_EQ(Captions(36, 37), ".");
}

TEST_F(Panels, KeyboardSpaceBackAndEnter) {
  keyboard->show();
  PressKeyboard({"Space", "Back", "Q"});  // no target: nothing typed
  EXPECT_EQ(edit->text(), "");
  PressKeyboard({"Enter"});  // hides even without a target
  EXPECT_FALSE(keyboard->isVisible());

  keyboard->show();
  keyboard->TargetControl = edit;
  edit->setText(QString::fromUtf8("Çeşme"));
  PressKeyboard({"Back", "Back", "Back", "Space", "W"});
  EXPECT_EQ(edit->text(), QString::fromUtf8("Çe W"));
  PressKeyboard({"Back", "Back", "Back", "Back", "Back", "Back"});
  EXPECT_EQ(edit->text(), "");
  PressKeyboard({"Enter"});
  EXPECT_FALSE(keyboard->isVisible());
}

TEST_F(Panels, PanelsAreBlackInAnOrangeFrame) {
  const struct {
    QWidget* panel;
    QPoint gap;  // between keys
  } cases[] = {{keypad, QPoint(57, 52)}, {keyboard, QPoint(42, 42)}};
  for (const auto& c : cases) {
    QWidget* panel = c.panel;
    const QImage image = panel->grab().toImage();
    const int w = image.width(), h = image.height();
    ASSERT_EQ(QSize(w, h), panel->size());
    const QColor orange(255, 165, 0);
    for (const QPoint p : {QPoint(1, h / 2), QPoint(w - 2, h / 2), QPoint(w / 2, 1), QPoint(2, 2)})
      EXPECT_EQ(image.pixelColor(p), orange) << panel->objectName().toStdString() << " " << p.x() << "," << p.y();
    EXPECT_EQ(image.pixelColor(c.gap), QColor(Qt::black)) << panel->objectName().toStdString();
  }
}
