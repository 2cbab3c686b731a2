// The profile switch on the whole window set: whatever empties the column
// ends the use of the profile, the offsets window follows, and the next
// sounding is corrected with the single sound velocity it shows.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <string>

#include "app/formats.h"
#include "app/helpers.h"
#include "app/settingsfile.h"
#include "devices/QuarixSerialGPS.h"
#include "platform/prompts.h"
#include "tests/runtime/formsfixture.h"

namespace {

class SvpSwitchWindows : public FormsTest {
 protected:
  void SetUp() override {
    {
      IniFile ini;  // the offsets accepted before: draft 0.50, SV 1480
      offsets::WriteSection(ini, {"0.50", "2.00", "1.50", "1480", "0", "Harbour", "Launch", "Surveyor", ""});
    }
    Start();
    FGPS->cSBESMessage->setCurrentText("NMEA DPT");
    FGPS->eSBESFormat->setText("%*6s,%lf");
    Offsets->hide();
    FMsg->Msg->clear();
  }
  void Sounder(const std::string& line) { FNav->ZSENSORNewCommand(FNav->ZSENSOR, line); }
  std::string LastRecord() const {
    const std::string text = env.ReadFile(CoordinatesFileName);
    const std::size_t end = text.rfind("\r\n");
    const std::size_t start = text.rfind("\r\n", end - 1);
    return text.substr(start + 2, end - start - 2);
  }
  // The CastAway cast through its three stages down to 30 m.
  void CastawayColumn() {
    prompts::CurrentScript().fileNames.push_back(
        QString::fromStdString(TestData("svp/11E101663_20120821_122817.csv")));
    fSVP->BitBtn1Click();
    fSVP->AutoDedetct1Click();
    fSVP->eMaxDepth->setText("30");
    fSVP->bRawToSVVClick();
    fSVP->bSVVtoAveragedSVClick();
    fSVP->bAveragedSVtoSVPClick();
  }
};

TEST_F(SvpSwitchWindows, LoadingAProbeFileEndsTheProfileAndTheSoundingSaysSo) {
  CastawayColumn();
  fSVP->cUseSVP->setChecked(true);
  ASSERT_TRUE(fSVP->cUseSVP->isChecked());
  EXPECT_EQ(Offsets->bSVP->text(), "SVP Profile Used");
  EXPECT_FALSE(Offsets->SV->isEnabled());
  const std::string line13 = ListLines(fSVP->mSVPColumn)[13];
  Sounder("$SDDPT,12.5,0.5*64");
  EXPECT_NE(LastRecord().find("," + line13 + ",0.50,"), std::string::npos) << LastRecord();

  // Rerunning the column keeps the profile in use.
  fSVP->bAveragedSVtoSVPClick();
  EXPECT_TRUE(fSVP->cUseSVP->isChecked());

  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(TestData("svp/_V000056.TXT")));
  fSVP->BitBtn1Click();
  EXPECT_FALSE(fSVP->cUseSVP->isChecked());
  EXPECT_EQ(Offsets->bSVP->text(), "Single SV Used");
  EXPECT_TRUE(Offsets->SV->isEnabled());
  Sounder("$SDDPT,12.5,0.5*64");
  EXPECT_NEAR(TrueDepthHi, 12.5 * 1480 / 1500 + 0.5, 1e-12);
  EXPECT_NE(LastRecord().find(",1480.00,0.50,"), std::string::npos) << LastRecord();
  EXPECT_TRUE(FMsg->Msg->toPlainText().isEmpty());  // nothing to excuse: the screen told the truth
  for (const QString& text : prompts::CurrentScript().shown)
    EXPECT_FALSE(text.startsWith("SVP Column is empty")) << text.toStdString();
}

TEST_F(SvpSwitchWindows, AGraphEditEndsTheProfileAndTheOffsetsWindowFollows) {
  CastawayColumn();
  fSVP->cUseSVP->setChecked(true);
  ASSERT_FALSE(Offsets->SV->isEnabled());
  fSVPGraph = new TfSVPGraph();
  QTimer::singleShot(0, [] { fSVPGraph->bSaveAndCloseClick(); });
  fSVP->bGraphClick();
  EXPECT_FALSE(fSVP->cUseSVP->isChecked());
  EXPECT_EQ(Offsets->bSVP->text(), "Single SV Used");
  EXPECT_TRUE(Offsets->SV->isEnabled());
}

}  // namespace
