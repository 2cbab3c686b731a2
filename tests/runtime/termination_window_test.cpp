// A termination request (a logout, Ctrl+C, a closed terminal) ends the
// program whatever is open: here the offsets dialog with its keypad, the
// device settings and a question whose box has no Cancel button (such a box
// refuses to be closed, which used to keep the whole program alive), each
// with its own event loop running. The closing still saves as File > Exit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <csignal>

#include "app/settingsfile.h"
#include "platform/prompts.h"
#include "platform/termination.h"
#include "tests/runtime/formsfixture.h"

namespace {

using TerminationWindows = FormsTest;

TEST_F(TerminationWindows, ASignalEndsTheProgramWithDialogsAKeypadAndAQuestionOpen) {
  Start();
  platform::SetTerminationDeadline(0);  // the test process goes on after the request
  CloseOnTerminationRequest();
  prompts::StopScript();  // real message boxes from here on

  prompts::Answer answer = prompts::Answer::None;
  bool asked = false, answered = false;
  QTimer::singleShot(100, [&] {
    Offsets->show();
    FNav->ShowNumericKeypad(Offsets->OffsetA);
    FGPS->show();
    QTimer::singleShot(300, [] { ::raise(SIGINT); });
    asked = true;
    answer = prompts::AskYesNo("Delete the selected tracks?");
    answered = true;
  });
  // A request that is not carried out ends this loop with another code.
  QTimer::singleShot(20000, [] { QCoreApplication::exit(99); });
  const int result = QApplication::exec();
  prompts::StartScript();

  EXPECT_EQ(result, 0) << "the termination request did not end the program";
  EXPECT_TRUE(asked);
  EXPECT_TRUE(answered);
  EXPECT_NE(answer, prompts::Answer::Yes);  // nobody said yes
  EXPECT_TRUE(platform::TerminationRequested());
  // A box asked after the request does not wait for an answer.
  prompts::StopScript();
  EXPECT_EQ(prompts::AskYesNo("Another question?"), prompts::Answer::No);
  prompts::StartScript();

  // Saved as File > Exit saves: the drawing, the map settings, the placements.
  const std::string saved = IniFile().ReadString("FILE", "Last File Saved", "");
  EXPECT_FALSE(saved.empty());
  EXPECT_FALSE(env.ReadFile(saved).empty());
  EXPECT_TRUE(IniFile().ValueExists("CANVAS", "PlanWorldLeft"));
  EXPECT_TRUE(IniFile().ValueExists("Offsets", "Left"));
}

// A request that comes while a message box of the start waits (before the
// main loop runs) closes the program, and the main loop is then not entered.
TEST_F(TerminationWindows, ASignalDuringAMessageBoxAtStartEndsTheProgram) {
  platform::SetTerminationDeadline(0);
  CloseOnTerminationRequest();
  Start();
  prompts::StopScript();
  QTimer::singleShot(300, [] { ::raise(SIGTERM); });
  prompts::ShowMessage("The last saved drawing could not be reloaded.");
  prompts::StartScript();
  QTimer::singleShot(20000, [] { QCoreApplication::exit(99); });
  EXPECT_EQ(RunUntilClosed(), 0) << "the main loop ran on after the closing";
  EXPECT_FALSE(IniFile().ReadString("FILE", "Last File Saved", "").empty());
}

// The same during the start's own message (the last drawing is missing),
// shown before the windows are put at their places: they stand where nobody
// put them, and the placements stored stay as they were.
TEST_F(TerminationWindows, ASignalDuringTheStartsMessageKeepsTheStoredPlacements) {
  {
    IniFile ini;
    ini.WriteString("FILE", "Last File Saved", env.Home() + "gone.qvt");
    for (const char* section : {"FNav", "Navset"}) {
      ini.WriteInteger(section, "Left", 30);
      ini.WriteInteger(section, "Top", 40);
    }
    ASSERT_TRUE(ini.UpdateFile());
  }
  platform::SetTerminationDeadline(0);
  CloseOnTerminationRequest();
  prompts::StopScript();
  QTimer::singleShot(300, [] { ::raise(SIGTERM); });
  Start();  // the message waits inside the first showing
  prompts::StartScript();
  QTimer::singleShot(20000, [] { QCoreApplication::exit(99); });
  EXPECT_EQ(RunUntilClosed(), 0);
  EXPECT_TRUE(platform::TerminationRequested());

  IniFile ini;
  for (const char* section : {"FNav", "Navset"}) {
    EXPECT_EQ(ini.ReadInteger(section, "Left", -1), 30) << section;
    EXPECT_EQ(ini.ReadInteger(section, "Top", -1), 40) << section;
  }
  EXPECT_FALSE(ini.SectionExists("fJoystick"));
}

}  // namespace
