// The sound-velocity window: start state from files and settings, the
// reduction through its buttons, Save & Close, and the profile graph hand-over.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <functional>
#include <memory>
#include <stdexcept>

#include "app/helpers.h"
#include "app/settingsfile.h"
#include "app/textfile.h"
#include "planning/USoundVelocity.h"
#include "planning/svplists.h"
#include "planning/uSVPGraph.h"
#include "platform/prompts.h"
#include "tests/support/tempenv.h"
#include "ui/QuarixTranslation.h"

using Lines = std::vector<std::string>;

class SvpWindow : public ::testing::Test {
 protected:
  void SetUp() override { MakeDayFolders(); }
  void TearDown() override {
    delete fSVP;
    fSVP = nullptr;
    delete fSVPGraph;
    fSVPGraph = nullptr;
    delete Translation;
    Translation = nullptr;
  }
  void Create() { fSVP = new TfSVP(); }
  static std::vector<QString>& Shown() { return prompts::CurrentScript().shown; }
  std::string Dated(const char* stem) const { return DaySVPFolder + "2026-01-30 " + stem + ".ini"; }

  TempEnv env;
};

TEST_F(SvpWindow, StartsFromTheListFilesWithTheDatedCopyWinning) {
  ASSERT_TRUE(WriteFileAtomically(env.ProgramFolder() + "mRawSVData.ini", "raw a\r\nraw b\r\n"));
  ASSERT_TRUE(WriteFileAtomically(env.ProgramFolder() + "mSVPColumn.ini", "1400.00\r\n"));
  ASSERT_TRUE(WriteFileAtomically(Dated("mSVPColumn"), "1500.00\r\n1500.50\r\n"));
  IniFile ini;
  ini.WriteString("SVP", "eSearchString", "%lf %lf");
  ini.WriteString("SVP", "eMaxDepth", "50");
  ini.WriteBool("SVP", "rSVFirst", false);
  ini.WriteBool("SVP", "rDFirst", true);
  ini.WriteBool("SVP", "cUseSVP", true);
  Create();
  EXPECT_EQ(ListLines(fSVP->mRawSVData), (Lines{"raw a", "raw b"}));
  EXPECT_EQ(ListLines(fSVP->mSVPColumn), (Lines{"1500.00", "1500.50"}));
  EXPECT_TRUE(ListLines(fSVP->mRawSVExtracted).empty());
  EXPECT_EQ(fSVP->eSearchString->text(), "%lf %lf");
  EXPECT_EQ(fSVP->eMaxDepth->text(), "50");
  EXPECT_TRUE(fSVP->rDFirst->isChecked());
  EXPECT_TRUE(fSVP->cUseSVP->isChecked());
  EXPECT_FALSE(fSVP->bSaveClose->isEnabled());
}

TEST_F(SvpWindow, SwitchStaysOffWithABlankColumnAndNoMessage) {
  ASSERT_TRUE(WriteFileAtomically(env.ProgramFolder() + "mSVPColumn.ini", " \r\n\r\n"));
  IniFile().WriteBool("SVP", "cUseSVP", true);
  Create();
  EXPECT_FALSE(fSVP->cUseSVP->isChecked());
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(fSVP->eSearchString->text(), "%*23s %lf,%lf");
  EXPECT_EQ(fSVP->eMaxDepth->text(), "200");
  EXPECT_TRUE(fSVP->rSVFirst->isChecked());
}

TEST_F(SvpWindow, ProbeFileToColumnThenSaveAndClose) {
  Create();
  fSVP->show();
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(TestData("svp/11E101663_20120821_122817.csv")));
  fSVP->BitBtn1Click();
  EXPECT_EQ(ListLines(fSVP->mRawSVData).size(), 104u);

  fSVP->AutoDedetct1Click();
  EXPECT_EQ(fSVP->eSearchString->text(), "%*[^,],%lf,%*[^,],%*[^,],%*[^,],%*[^,],%lf");
  EXPECT_TRUE(fSVP->rDFirst->isChecked());
  ASSERT_FALSE(Shown().empty());
  EXPECT_TRUE(Shown().back().startsWith("Auto-detected format:\n- Header at line: 29\n- Delimiter: ,\n"));

  fSVP->bRawToSVVClick();
  EXPECT_EQ(ListLines(fSVP->mRawSVExtracted).size(), 75u);
  fSVP->eMaxDepth->setText("30");
  fSVP->bSVVtoAveragedSVClick();
  EXPECT_EQ(ListLines(fSVP->mSortedAveragedSV).size(), 31u);
  EXPECT_FALSE(fSVP->bSaveClose->isEnabled());
  fSVP->bAveragedSVtoSVPClick();
  const Lines column = ListLines(fSVP->mSVPColumn);
  ASSERT_EQ(column.size(), 31u);
  EXPECT_EQ(column[30], "1498.73");
  EXPECT_TRUE(fSVP->bSaveClose->isEnabled());

  fSVP->cUseSVP->setChecked(true);
  fSVP->BitBtn2Click();
  EXPECT_FALSE(fSVP->isVisible());
  const std::string columnText = env.ReadFile(Dated("mSVPColumn"));
  EXPECT_EQ(columnText.substr(0, 18), "1512.64\r\n1512.65\r\n");
  EXPECT_EQ(env.ReadFile(env.ProgramFolder() + "mSVPColumn.ini"), columnText);
  EXPECT_TRUE(env.ReadFile(env.ProgramFolder() + "mRawSVData.ini") ==
              svp::JoinListText(SplitTextLines(env.ReadFile(TestData("svp/11E101663_20120821_122817.csv")))));
  for (const char* stem : {"mRawSVExtracted", "mSortedAveragedSV"})
    EXPECT_EQ(env.ReadFile(Dated(stem)), env.ReadFile(env.ProgramFolder() + stem + ".ini")) << stem;

  // The close wrote the settings.
  IniFile ini;
  EXPECT_EQ(ini.ReadString("SVP", "eMaxDepth", ""), "30");
  EXPECT_EQ(ini.ReadString("SVP", "rDFirst", ""), "1");
  EXPECT_EQ(ini.ReadString("SVP", "rSVFirst", ""), "0");
  EXPECT_EQ(ini.ReadString("SVP", "cUseSVP", ""), "1");

  // The next start shows what was saved.
  delete fSVP;
  fSVP = new TfSVP();
  EXPECT_EQ(ListLines(fSVP->mSVPColumn), column);
  EXPECT_TRUE(fSVP->cUseSVP->isChecked());
}

TEST_F(SvpWindow, LoadingEmptiesTheOtherListsAndCancelChangesNothing) {
  Create();
  for (QPlainTextEdit* m : {fSVP->mRawSVData, fSVP->mRawSVExtracted, fSVP->mSortedAveragedSV, fSVP->mSVPColumn})
    m->setPlainText("old");
  fSVP->BitBtn1Click();  // no file chosen
  EXPECT_EQ(ListLines(fSVP->mSVPColumn), Lines{"old"});
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(TestData("svp/_V000056.TXT")));
  fSVP->BitBtn1Click();
  EXPECT_EQ(ListLines(fSVP->mRawSVData).size(), 638u);
  for (QPlainTextEdit* m : {fSVP->mRawSVExtracted, fSVP->mSortedAveragedSV, fSVP->mSVPColumn})
    EXPECT_TRUE(ListLines(m).empty());

  fSVP->AutoDedetct1Click();
  EXPECT_EQ(Shown().back(), "Could not find header line with SV and Pressure/Depth columns.\n"
                            "Please set search string manually.");
}

TEST_F(SvpWindow, StagesStopOnBadParametersAndOutOfRangeValues) {
  Create();
  fSVP->mRawSVData->setPlainText("1 1500\n2 1800\n3 1501");
  fSVP->eSearchString->setText("%s %lf");
  fSVP->mSVPColumn->setPlainText("x");
  fSVP->bRawToSVVClick();
  EXPECT_TRUE(ListLines(fSVP->mSVPColumn).empty());
  EXPECT_TRUE(ListLines(fSVP->mRawSVExtracted).empty());
  EXPECT_TRUE(Shown().back().startsWith("The format \"%s %lf\" cannot be used"));

  fSVP->eSearchString->setText("%lf %lf");
  fSVP->rDFirst->setChecked(true);
  prompts::CurrentScript().answers.push_back(prompts::Answer::Cancel);
  fSVP->bRawToSVVClick();
  EXPECT_EQ(Shown().back(), "Value exceeds SV range! Please correct 1800 value at line 2 in source file. "
                            "This line will be skipped.");
  EXPECT_EQ(ListLines(fSVP->mRawSVExtracted), Lines{"1,1500.000"});

  fSVP->eMaxDepth->setText("ten");
  EXPECT_THROW(fSVP->bSVVtoAveragedSVClick(), std::runtime_error);

  fSVP->eMaxDepth->setText("2");
  fSVP->mSortedAveragedSV->setPlainText("\n1,1500.00,1\n2,1500.00,1");
  fSVP->bAveragedSVtoSVPClick();
  EXPECT_TRUE(Shown().back().startsWith("SV value at 0 depth cannot be blank."));
  EXPECT_FALSE(fSVP->bSaveClose->isEnabled());
  EXPECT_FALSE(svp::HasValue(ListLines(fSVP->mSVPColumn)));

  fSVP->mSortedAveragedSV->setPlainText("0,1500.00,1\n1,1250.00,1");
  fSVP->bAveragedSVtoSVPClick();
  EXPECT_EQ(Shown().back(), "SV value at 1 is out of range. Please check, correct retry.");
}

TEST_F(SvpWindow, OtherLanguagesShowTheTurkishTexts) {
  Translation = new TQuarixTranslation();
  Translation->CurrentLanguage = "de";
  Create();
  fSVP->cUseSVP->setChecked(true);
  EXPECT_FALSE(fSVP->cUseSVP->isChecked());
  EXPECT_EQ(Shown().back(), "SVP Sütunu boş. Lütfen önce bir SVP profili yükleyin veya oluşturun.");
  fSVP->mSortedAveragedSV->setPlainText("0,1500.00,1\n1,1250.00,1");
  fSVP->eMaxDepth->setText("1");
  fSVP->bAveragedSVtoSVPClick();
  EXPECT_EQ(Shown().back(), "Sıra 1 ses hızı değeri hatalı. Lütfen kontrol edin, düzeltin ve tekrar deneyin");
}

TEST_F(SvpWindow, DefaultsAndDoubleClick) {
  Create();
  fSVP->eSearchString->setText("x");
  fSVP->eMaxDepth->setText("7");
  fSVP->rDFirst->setChecked(true);
  fSVP->eSearchStringDblClick();
  EXPECT_EQ(fSVP->eSearchString->text(), "%*23s %lf,%lf");
  EXPECT_EQ(fSVP->eMaxDepth->text(), "7");
  fSVP->Defaults1Click();
  EXPECT_EQ(fSVP->eMaxDepth->text(), "200");
  EXPECT_TRUE(fSVP->rSVFirst->isChecked());
}

TEST_F(SvpWindow, SaveAndCloseStopsAtAFileThatCannotBeWritten) {
  Create();
  fSVP->mSVPColumn->setPlainText("1500.00");
  fSVP->show();
  QDir(QString::fromStdString(DaySVPFolder)).removeRecursively();
  EXPECT_THROW(fSVP->BitBtn2Click(), std::runtime_error);
  EXPECT_TRUE(fSVP->isVisible());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(env.ProgramFolder() + "mSVPColumn.ini")));
}

TEST_F(SvpWindow, GraphHandsBackItsPointsOnlyAfterOk) {
  Create();
  fSVP->bGraphClick();
  EXPECT_EQ(Shown().back(), "No data to graph. Please process SVP data first.");

  fSVP->mSortedAveragedSV->setPlainText("0,1500.125,1\n\n2,1502.00,3");
  fSVP->mSVPColumn->setPlainText("1500.13");
  fSVP->bSaveClose->setEnabled(true);
  fSVP->cUseSVP->setChecked(true);
  fSVPGraph = new TfSVPGraph();
  QTimer::singleShot(0, [] { fSVPGraph->bCancelClick(); });
  fSVP->bGraphClick();
  EXPECT_EQ(ListLines(fSVP->mSVPColumn), Lines{"1500.13"});
  EXPECT_TRUE(fSVP->bSaveClose->isEnabled());

  QTimer::singleShot(0, [] { fSVPGraph->bSaveAndCloseClick(); });
  fSVP->bGraphClick();
  EXPECT_EQ(ListLines(fSVP->mSortedAveragedSV), (Lines{"0,1500.13,1", "2,1502.00,3"}));
  EXPECT_TRUE(ListLines(fSVP->mSVPColumn).empty());
  EXPECT_FALSE(fSVP->bSaveClose->isEnabled());
  EXPECT_FALSE(fSVP->cUseSVP->isChecked());  // the column was emptied
  EXPECT_EQ(Shown().back(), "Data updated. Please regenerate SVP Column.");
}

TEST_F(SvpWindow, EveryWayOfEmptyingTheColumnEndsTheProfile) {
  Create();
  fSVP->mRawSVData->setPlainText("0 1500\n1 1501");
  fSVP->eSearchString->setText("%lf %lf");
  fSVP->rDFirst->setChecked(true);
  fSVP->eMaxDepth->setText("1");
  const struct {
    const char* what;
    std::function<void()> act;
  } cases[] = {
      {"the column cleared by hand", [] { fSVP->mSVPColumn->setPlainText(" \n"); }},
      {"stage 1", [] { fSVP->bRawToSVVClick(); }},
      {"stage 2", [] { fSVP->bSVVtoAveragedSVClick(); }},
      {"stage 3 without a value at 0 m",
       [] {
         fSVP->mSortedAveragedSV->setPlainText("\n1,1500.00,1");
         fSVP->bAveragedSVtoSVPClick();
       }},
      {"stage 3 out of range",
       [] {
         fSVP->mSortedAveragedSV->setPlainText("0,1500.00,1\n1,1250.00,1");
         fSVP->bAveragedSVtoSVPClick();
       }},
      {"stage 3 with a Max Depth that is no number",
       [] {
         fSVP->eMaxDepth->setText("ten");
         EXPECT_THROW(fSVP->bAveragedSVtoSVPClick(), std::runtime_error);
         fSVP->eMaxDepth->setText("1");
       }},
  };
  for (const auto& c : cases) {
    fSVP->mSVPColumn->setPlainText("1500.00\n1500.50");
    fSVP->cUseSVP->setChecked(true);
    ASSERT_TRUE(fSVP->cUseSVP->isChecked()) << c.what;
    Shown().clear();
    c.act();
    EXPECT_FALSE(svp::HasValue(ListLines(fSVP->mSVPColumn))) << c.what;
    EXPECT_FALSE(fSVP->cUseSVP->isChecked()) << c.what;
    for (const QString& text : Shown()) EXPECT_FALSE(text.startsWith("SVP Column is empty")) << c.what;
  }

  // A new column from stage 3 keeps the profile in use.
  fSVP->mSortedAveragedSV->setPlainText("0,1500.00,1\n1,1502.00,1");
  fSVP->mSVPColumn->setPlainText("1400.00");
  fSVP->cUseSVP->setChecked(true);
  fSVP->bAveragedSVtoSVPClick();
  EXPECT_EQ(ListLines(fSVP->mSVPColumn), (Lines{"1500.00", "1501.00"}));
  EXPECT_TRUE(fSVP->cUseSVP->isChecked());
}

TEST_F(SvpWindow, DeletingGraphPointsKeepsEveryOtherMetre) {
  Create();
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(TestData("svp/11E101663_20120821_122817.csv")));
  fSVP->BitBtn1Click();
  fSVP->AutoDedetct1Click();
  fSVP->eMaxDepth->setText("30");
  fSVP->bRawToSVVClick();
  fSVP->bSVVtoAveragedSVClick();
  fSVP->bAveragedSVtoSVPClick();
  const Lines before = ListLines(fSVP->mSVPColumn);
  ASSERT_EQ(before.size(), 31u);
  ASSERT_EQ(before[10], "1508.50");

  // The editor hands back its points less the one in table row `row`.
  fSVPGraph = new TfSVPGraph();
  const auto deleteRow = [](int row) {
    QTimer::singleShot(0, [row] {
      fSVPGraph->StringGrid1->setCurrentCell(row, 0);
      fSVPGraph->StringGrid1Click();
      fSVPGraph->bDeleteSelectedClick();
      fSVPGraph->bSaveAndCloseClick();
    });
    fSVP->bGraphClick();
  };

  deleteRow(5);  // the 5 m point
  EXPECT_EQ(ListLines(fSVP->mSortedAveragedSV).size(), 30u);
  fSVP->bAveragedSVtoSVPClick();
  const Lines after = ListLines(fSVP->mSVPColumn);
  ASSERT_EQ(after.size(), 31u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(after[i], before[i]) << i;
  // Metre 5 now lies between its neighbours: the deeper means move by a few
  // hundredths at most, never by a metre's worth of profile.
  for (int i = 5; i <= 30; ++i) EXPECT_NEAR(std::stod(after[i]), std::stod(before[i]), 0.05) << i;
  EXPECT_NEAR(std::stod(after[10]), 1508.50, 0.05);
  EXPECT_TRUE(fSVP->bSaveClose->isEnabled());

  // Without the 0 m point, line 0 takes the 1 m value.
  const std::string oneMetre = ListLines(fSVP->mSortedAveragedSV)[1];
  deleteRow(0);
  Shown().clear();
  fSVP->bAveragedSVtoSVPClick();
  EXPECT_TRUE(Shown().empty());
  const Lines top = ListLines(fSVP->mSVPColumn);
  ASSERT_EQ(top.size(), 31u);
  EXPECT_EQ("1," + top[0] + ",3", oneMetre);
  EXPECT_EQ(top[1], top[0]);
}

TEST_F(SvpWindow, ProbeDialogShowsItsOneFilterByNameForEveryFile) {
  QFileDialog dialog;
  TfSVP::ConfigureProbeDialog(dialog);
  const auto* filters = dialog.findChild<QComboBox*>("fileTypeCombo");
  ASSERT_TRUE(filters);
  ASSERT_EQ(filters->count(), 1);
  EXPECT_EQ(filters->itemText(0), "Sound Velocity File [*.*]");
  // The pattern behind the name matches names without an extension too.
  const QString filter = dialog.nameFilters().value(0);
  const QString pattern = filter.mid(filter.lastIndexOf('(') + 1).chopped(1);
  for (const char* name : {"cast.csv", "PROBE", "_V000056.TXT"}) EXPECT_TRUE(QDir::match(pattern, name)) << name;
}

// A probe file that cannot be taken is told with its reason and changes
// nothing: a FIFO (never waited on: the window answers), a link to
// /dev/zero (never read: memory stays where it was), a file too large, one
// gone since it was chosen. The window then loads a real probe file.
TEST_F(SvpWindow, AProbeFileThatIsNoRegularFileOrTooLargeIsToldAndChangesNothing) {
  Create();
  fSVP->show();
  const std::string home = env.Home();
  ASSERT_EQ(::mkfifo((home + "probe-fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", (home + "probe-zero").c_str()), 0);
  const int big = ::open((home + "probe-big.csv").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(big, 0);
  ASSERT_EQ(::ftruncate(big, static_cast<off_t>(svp::kMaxProbeFileBytes) + 1), 0);  // sparse
  ::close(big);
  // Small, but a line for every two bytes: too many for the lists.
  ASSERT_TRUE(WriteFileAtomically(home + "probe-lines.csv", std::string(2 * (svp::kMaxProbeFileLines + 1), '\n')));
  const struct {
    const char* name;
    const char* why;
  } cases[] = {
      {"probe-fifo", "it is not a regular file"},
      {"probe-zero", "it is not a regular file"},
      {"probe-big.csv", "it holds 64.0 MB, more than the 64 MB such a file may hold"},
      {"probe-lines.csv", "it holds more than the 200000 lines such a file may hold"},
      {"probe-gone.csv", "No such file or directory"},
  };
  for (QPlainTextEdit* m : {fSVP->mRawSVData, fSVP->mRawSVExtracted, fSVP->mSortedAveragedSV, fSVP->mSVPColumn})
    m->setPlainText("kept");
  for (const auto& c : cases) {
    Shown().clear();
    prompts::CurrentScript().fileNames.push_back(QString::fromStdString(home + c.name));
    fSVP->BitBtn1Click();
    ASSERT_EQ(Shown().size(), 2u) << c.name;  // the dialog's caption, then the message
    EXPECT_EQ(Shown().back().toStdString(),
              "The file \"" + home + c.name + "\" cannot be read as a sound velocity file: " + c.why + ".");
    for (QPlainTextEdit* m : {fSVP->mRawSVData, fSVP->mRawSVExtracted, fSVP->mSortedAveragedSV, fSVP->mSVPColumn})
      EXPECT_EQ(ListLines(m), Lines{"kept"}) << c.name;
  }
  prompts::CurrentScript().fileNames.push_back(QString::fromStdString(TestData("svp/_V000056.TXT")));
  fSVP->BitBtn1Click();
  EXPECT_EQ(ListLines(fSVP->mRawSVData).size(), 638u);
}

// The list files read at start are never waited on either: a FIFO or a link
// to a device in their place leaves the list as the other file gives it.
TEST_F(SvpWindow, ListFilesThatAreNoRegularFilesAreLeftOutAtStart) {
  ASSERT_TRUE(WriteFileAtomically(env.ProgramFolder() + "mSVPColumn.ini", "1400.00\r\n"));
  ASSERT_EQ(::mkfifo(Dated("mSVPColumn").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((env.ProgramFolder() + "mRawSVData.ini").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", Dated("mRawSVExtracted").c_str()), 0);
  Create();
  EXPECT_EQ(ListLines(fSVP->mSVPColumn), Lines{"1400.00"});
  EXPECT_TRUE(ListLines(fSVP->mRawSVData).empty());
  EXPECT_TRUE(ListLines(fSVP->mRawSVExtracted).empty());
  EXPECT_TRUE(Shown().empty());
}
