#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "app/helpers.h"
#include "app/settingsfile.h"
#include "planning/USoundVelocity.h"
#include "platform/prompts.h"
#include "runtime/Bathymetry.h"
#include "tests/runtime/formsfixture.h"
#include "tests/support/tempenv.h"
#include "ui/QuarixTranslation.h"

namespace {

const char* const kEnglishReport =
    "\r\n\r\nQuarix Depthmark - offsets essential for post processing"
    "\r\nTime..............................\t=2026-01-30 143512345"
    "\r\nSurvey Location...................\t=Golden Horn"
    "\r\nSurvey Boat.......................\t=Marti"
    "\r\nTransducer Draft (A)..............\t=0.50"
    "\r\nTransducer - Antenna Offset (B)...\t=2.00"
    "\r\nAntenna Height Above Water (C)....\t=1.50"
    "\r\nSound Velocity....................\t=1480"
    "\r\nTide Height.......................\t=1.00"
    "\r\nSurveyor..........................\t=Ayse";

class OffsetsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog = std::make_unique<TOffsets>();
    Offsets = dialog.get();
  }
  void TearDown() override {
    Offsets = nullptr;
    delete Translation;
    Translation = nullptr;
  }
  void Fill() {
    dialog->OffsetA->setText("0.50");
    dialog->OffsetB->setText("2.00");
    dialog->OffsetC->setText("1.50");
    dialog->SV->setText("1480");
    dialog->TideHt->setText("1.00");
    dialog->Location->setText("Golden Horn");
    dialog->SurveyBoat->setText("Marti");
    dialog->Surveyor->setText("Ayse");
  }
  std::string Report() const { return env.ReadFile(DayLogFolder + "2026-01-30 Offsets.log"); }
  std::vector<QString>& Shown() { return prompts::CurrentScript().shown; }

  TempEnv env;
  std::unique_ptr<TOffsets> dialog;
};

TEST_F(OffsetsDialog, AcceptedPressWritesReportAndSettings) {
  dialog->show();
  Fill();
  EXPECT_EQ(dialog->time->text(), "2026-01-30 143512345");
  dialog->BitBtn1Click();
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Report(), kEnglishReport);
  EXPECT_FALSE(dialog->isVisible());
  const std::string ini = env.ReadFile(env.SettingsFile());
  EXPECT_NE(ini.find("[ECHOSOUNDER_OFFSETS]\r\nOffset A     =0.50\r\nOffset B     =2.00\r\n"), std::string::npos);
  EXPECT_NE(ini.find("Time         =2026-01-30 143512345\r\n"), std::string::npos);
  EXPECT_NE(ini.find("SurveyLocation=Golden Horn\r\n"), std::string::npos);

  // A second accepted press appends a second report.
  dialog->show();
  EXPECT_EQ(dialog->OffsetA->text(), "0.50");  // reloaded on show
  dialog->BitBtn1Click();
  EXPECT_EQ(Report(), std::string(kEnglishReport) + kEnglishReport);
}

TEST_F(OffsetsDialog, ShowReloadsTheLastAcceptedValues) {
  IniFile ini;
  ini.WriteString("ECHOSOUNDER_OFFSETS", "Offset A     ", "0.75");
  ini.WriteString("ECHOSOUNDER_OFFSETS", "SurveyLocation", "Bay");
  dialog->OffsetA->setText("9");
  dialog->OffsetB->setText("cancelled");
  dialog->show();
  EXPECT_EQ(dialog->OffsetA->text(), "0.75");
  EXPECT_EQ(dialog->OffsetB->text(), "");
  EXPECT_EQ(dialog->Location->text(), "Bay");
}

TEST_F(OffsetsDialog, FailedCheckStopsWithMessageAndFocus) {
  struct Row {
    const char* language;
    void (*change)(TOffsets&);
    const char* message;
    QLineEdit* TOffsets::*focus;
  };
  const std::vector<Row> rows = {
      {"en", [](TOffsets& d) { d.OffsetA->setText(""); }, "Failed! Recheck offset A", &TOffsets::OffsetA},
      {"tr", [](TOffsets& d) { d.Surveyor->setText(""); }, "Başarısız! Öçen kişinin adı boş olamaz", &TOffsets::Surveyor},
      {"en", [](TOffsets& d) { d.OffsetC->setText("1.53"); },
       "Measurements contains error: A + C must be close enough to B.", &TOffsets::OffsetA},
      {"tr", [](TOffsets& d) { d.SV->setText("1700.1"); }, "SV/SE değerinde hata var", &TOffsets::SV},
  };
  Translation = new TQuarixTranslation();
  for (const Row& r : rows) {
    Translation->CurrentLanguage = r.language;
    dialog->show();
    Fill();
    r.change(*dialog);
    Shown().clear();
    dialog->BitBtn1Click();
    ASSERT_EQ(Shown().size(), 1u) << r.message;
    EXPECT_EQ(Shown()[0].toStdString(), r.message);
    EXPECT_EQ(dialog->focusWidget(), (*dialog).*r.focus) << r.message;
    EXPECT_TRUE(dialog->isVisible());
  }
  // Nothing written, but the day folders were made.
  EXPECT_FALSE(QFile::exists(QString::fromStdString(DayLogFolder + "2026-01-30 Offsets.log")));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(DayLogFolder)));
  EXPECT_EQ(env.ReadFile(env.SettingsFile()).find("ECHOSOUNDER_OFFSETS"), std::string::npos);
}

TEST_F(OffsetsDialog, TurkishReportAndClockMessage) {
  Translation = new TQuarixTranslation();
  Translation->CurrentLanguage = "tr";
  dialog->show();
  Fill();
  dialog->time->setText("2026-01-30 14:35:12");
  dialog->BitBtn1Click();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].toStdString(),
            "Tarih ve saat formatı gereksinimleri karşılamıyor. Bilgisayar tarih ve zaman formatının YYYY-DD-MM "
            "HHmmssfff olduguna emin olunuz.");
  EXPECT_EQ(Report(),
            "\r\n\r\nQuarix Depthmark - veri işleme için gerekli değerler"
            "\r\nZaman.......................................\t=2026-01-30 14:35:12"
            "\r\nYer.........................................\t=Golden Horn"
            "\r\nÖlçme botu..................................\t=Marti"
            "\r\nTransduser su kesimi (A)....................\t=0.50"
            "\r\nTransduser ile GPS anteni arası mesafe (B)..\t=2.00"
            "\r\nSudan antene olan mesafe (C)................\t=1.50"
            "\r\nSes hızı....................................\t=1480"
            "\r\nSu kotu.....................................\t=1.00"
            "\r\nÖlçen.......................................\t=Ayse");
}

TEST_F(OffsetsDialog, ProfileInUseShowsInReportButSettingsKeepTheNumber) {
  fSVP = new TfSVP();
  fSVP->mSVPColumn->setPlainText("1500.00\n1499.00");
  fSVP->cUseSVP->setChecked(true);
  EXPECT_FALSE(dialog->SV->isEnabled());
  EXPECT_EQ(dialog->bSVP->text(), "SVP Profile Used");
  dialog->show();
  Fill();
  dialog->BitBtn1Click();
  EXPECT_NE(Report().find("Sound Velocity....................\t=Sound velocity profile used\r\n"), std::string::npos);
  EXPECT_NE(env.ReadFile(env.SettingsFile()).find("SV           =1480\r\n"), std::string::npos);
  delete fSVP;
  fSVP = nullptr;
}

TEST_F(OffsetsDialog, LeadingNumberEndsWithConversionError) {
  dialog->show();
  Fill();
  dialog->OffsetB->setText("2.00m");
  dialog->BitBtn1Click();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].toStdString(), "'2.00m' is not a valid floating point value");
  EXPECT_TRUE(dialog->isVisible());
}

// A first start shows the dialog with empty edits: the user can click from
// edit to edit and cancel; a text that is not a number is still refused when
// leaving for another edit, but not when leaving for Cancel.
TEST_F(OffsetsDialog, FirstStartCanBeCancelled) {
  dialog->show();
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  for (QLineEdit* e : {dialog->OffsetA, dialog->OffsetB, dialog->OffsetC, dialog->SV, dialog->TideHt})
    ASSERT_TRUE(e->text().isEmpty());
  dialog->OffsetA->setFocus();
  QTest::mouseClick(dialog->SV, Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), dialog->SV);
  QTest::mouseClick(dialog->BitBtn3, Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(Shown().empty());

  dialog->show();
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  dialog->OffsetA->setFocus();
  dialog->OffsetA->setText("abc");
  QTest::mouseClick(dialog->SV, Qt::LeftButton);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].toStdString(), "'abc' is not a valid floating point value");
  EXPECT_EQ(QApplication::focusWidget(), dialog->OffsetA);
  QTest::mouseClick(dialog->BitBtn3, Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(Shown().size(), 1u);
}

TEST_F(OffsetsDialog, ExitChecksClockAndHeight) {
  dialog->show();
  dialog->TideHt->setText("1,5");
  dialog->TideHtExit();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].toStdString(), "'1,5' is not a valid floating point value");
  EXPECT_EQ(dialog->focusWidget(), dialog->TideHt);
  dialog->TideHt->setText("1.5");
  dialog->TideHtExit();
  EXPECT_EQ(Shown().size(), 1u);

  env.SetNow(QDateTime(QDate(2026, 1, 30), QTime(14, 35, 13, 7)));
  EXPECT_TRUE(dialog->Timer1->isActive());
  EXPECT_EQ(dialog->Timer1->interval(), 1000);
  dialog->Timer1Timer();
  EXPECT_EQ(dialog->time->text(), "2026-01-30 143513007");

  dialog->FormDblClick();
  EXPECT_EQ(dialog->height(), 410);

  dialog->BitBtn3Click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(env.ReadFile(env.SettingsFile()).find("ECHOSOUNDER_OFFSETS"), std::string::npos);
  EXPECT_NE(env.ReadFile(env.SettingsFile()).find("[Offsets]"), std::string::npos);  // placement saved
}

// With the whole window set: the press saves the map first, starts the
// survey through the main window's Realtime button and never stops it.
class OffsetsWithMainWindow : public FormsTest {};

TEST_F(OffsetsWithMainWindow, RealtimePressSavesTheMapAndStartsTheSurvey) {
  Start();
  FGPS->Port->setCurrentText("COM200");
  FGPS->SensorEnabled->setChecked(false);
  Offsets->show();
  Offsets->OffsetA->setText("");
  Offsets->BitBtn1Click();  // stops at the first check, after saving the map
  EXPECT_EQ(RealtimeActive, 0);
  EXPECT_NE(EventsLog().find("\tAuto-saved: "), std::string::npos);

  Offsets->OffsetA->setText("0.50");
  Offsets->OffsetB->setText("2.00");
  Offsets->OffsetC->setText("1.50");
  Offsets->SV->setText("1480");
  Offsets->TideHt->setText("1.00");
  Offsets->Location->setText("Bay");
  Offsets->SurveyBoat->setText("Boat");
  Offsets->Surveyor->setText("Me");
  Offsets->BitBtn1Click();
  EXPECT_EQ(RealtimeActive, 1);
  EXPECT_TRUE(FNav->Realtime->isChecked());
  EXPECT_FALSE(Offsets->isVisible());
  std::string log = EventsLog();
  EXPECT_LT(log.rfind("\tAuto-saved: "), log.find("\tRealtime STARTED"));

  // Pressed again while the survey runs: a new report, the survey goes on.
  Offsets->show();
  Offsets->BitBtn1Click();
  EXPECT_EQ(RealtimeActive, 1);
  log = EventsLog();
  EXPECT_EQ(log.find("\tRealtime STOPPED"), std::string::npos);
  const std::string report = env.ReadFile(DayLogFolder + "2026-01-30 Offsets.log");
  EXPECT_NE(report.find("Surveyor..........................\t=Me"), report.rfind("Surveyor..........................\t=Me"));
}

}  // namespace
