// The offsets dialog's edits filled from the on-screen keypad and keyboard,
// as on a touch screen.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <functional>
#include <QTest>
#include <QToolButton>

#include "platform/prompts.h"
#include "tests/runtime/formsfixture.h"
#include "ui/QuarixKeyboard.h"

namespace {

template <size_t N>
void Press(const std::array<QToolButton*, N>& keys, const std::string& captions) {
  for (const char c : captions) {
    QToolButton* key = nullptr;
    for (QToolButton* k : keys)
      if (k && k->text() == QString(QChar(c))) key = k;
    ASSERT_NE(key, nullptr) << c;
    key->click();
  }
}

class OffsetsKeypad : public FormsTest {};

TEST_F(OffsetsKeypad, DraftAndNegativeTideTypedOnTheKeypad) {
  Start();
  Offsets->show();
  for (QLineEdit* e : {Offsets->OffsetA, Offsets->TideHt}) {
    e->clear();
    Offsets->NumericEditClick(e);
    ASSERT_NE(FNav->NumericKeypad, nullptr);
    EXPECT_EQ(FNav->NumericKeypad->TargetControl, e);
  }
  Press(FNav->NumericKeypad->Keys, "-0.50");
  EXPECT_EQ(Offsets->TideHt->text(), "-0.50");
  Offsets->NumericEditClick(Offsets->OffsetA);
  Press(FNav->NumericKeypad->Keys, "0.50");
  EXPECT_EQ(Offsets->OffsetA->text(), "0.50");

  Offsets->Location->clear();
  Offsets->TextEditClick(Offsets->Location);
  ASSERT_NE(FNav->SimpleKeyboard, nullptr);
  Press(FNav->SimpleKeyboard->Keys, "ST.2");
  EXPECT_EQ(Offsets->Location->text(), "ST.2");
}

// The keypad and the keyboard go with the dialog they type into, however it
// is hidden; a keyboard serving another window stays.
TEST_F(OffsetsKeypad, KeyboardsHideWithTheDialog) {
  Start();
  prompts::CurrentScript() = {};
  const std::function<void()> hides[] = {
      [] { QTest::keyClick(Offsets->OffsetA, Qt::Key_Escape); },
      [] { Offsets->hide(); },
  };
  for (const auto& hide : hides) {
    Offsets->show();
    Offsets->NumericEditClick(Offsets->OffsetA);
    Offsets->TextEditClick(Offsets->Location);
    ASSERT_TRUE(FNav->NumericKeypad->isVisible());
    ASSERT_TRUE(FNav->SimpleKeyboard->isVisible());
    hide();
    ASSERT_FALSE(Offsets->isVisible());
    EXPECT_FALSE(FNav->NumericKeypad->isVisible());
    EXPECT_FALSE(FNav->SimpleKeyboard->isVisible());
    EXPECT_EQ(FNav->NumericKeypad->TargetControl, nullptr);
  }
  // The keyboard typing into the sound-velocity window stays when the offsets go.
  fSVP->show();
  FNav->ShowSimpleKeyboard(fSVP->eSearchString);
  Offsets->show();
  Offsets->hide();
  EXPECT_TRUE(FNav->SimpleKeyboard->isVisible());
  fSVP->hide();
  EXPECT_FALSE(FNav->SimpleKeyboard->isVisible());
}

// A message that must be answered is never covered by the keyboards, which
// stand above every window: they go when it comes, and the next tap on an
// edit brings them back.
TEST_F(OffsetsKeypad, KeyboardsGiveWayToAModalMessage) {
  Start();
  Offsets->show();
  Offsets->NumericEditClick(Offsets->OffsetC);
  Offsets->TextEditClick(Offsets->Location);
  ASSERT_TRUE(FNav->NumericKeypad->isVisible());
  ASSERT_TRUE(FNav->SimpleKeyboard->isVisible());
  {
    QMessageBox box(QMessageBox::Warning, "Quarix DM", "Error in Sound Velocity (SV) value");
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    EXPECT_FALSE(FNav->NumericKeypad->isVisible());
    EXPECT_FALSE(FNav->SimpleKeyboard->isVisible());
  }
  EXPECT_TRUE(Offsets->isVisible());
  Offsets->NumericEditClick(Offsets->OffsetC);
  EXPECT_TRUE(FNav->NumericKeypad->isVisible());
  EXPECT_EQ(FNav->NumericKeypad->TargetControl, Offsets->OffsetC);
}

}  // namespace
