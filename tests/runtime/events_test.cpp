#include <gtest/gtest.h>

#include <QDir>
#include <vector>

#include "app/helpers.h"
#include "app/settingsfile.h"
#include "platform/prompts.h"
#include "runtime/eventmarks.h"
#include "tests/support/tempenv.h"

namespace {

const EventMarkValues kValues{500123.455, 4400000.0, 87.5, "12.34", "--.-"};

std::vector<EventLabelPlacement> gLabels;
void AddLabel(const EventLabelPlacement& l) { gLabels.push_back(l); }

TEST(EventMarks, FirstMarkIsNumberOneAndLoggedExactly) {
  TempEnv env;
  MakeDayFolders();
  gLabels.clear();
  EXPECT_EQ(AddEventMark(kValues, AddLabel), 1);
  ASSERT_EQ(gLabels.size(), 1u);
  EXPECT_EQ(gLabels[0].x, 500123.455);
  EXPECT_EQ(gLabels[0].y, 4400000.0);
  EXPECT_EQ(gLabels[0].number, 1);
  EXPECT_EQ(IniFile().ReadString("EVENTS", "Event Number", ""), "1");

  EventMarkValues next = kValues;
  next.gridEasting = -12.005;
  next.gridHeading = 359.999;
  next.depthLoText = "---";
  env.SetNow(QDateTime(QDate(2026, 1, 30), QTime(14, 36, 0, 7)));
  EXPECT_EQ(AddEventMark(next, AddLabel), 2);
  EXPECT_EQ(env.ReadFile(DayLogFolder + "2026-01-30 Events.log"),
            "\r\nEvent No:1,Date & Time:2026-01-30 143512345,Easting:500123.46,Northing:4400000.00,"
            "True Depth:12.34,True Depth:--.-,Heading:87.50"
            "\r\nEvent No:2,Date & Time:2026-01-30 143600007,Easting:-12.01,Northing:4400000.00,"
            "True Depth:12.34,True Depth:---,Heading:360.00");
  EXPECT_TRUE(prompts::CurrentScript().shown.empty());
}

TEST(EventMarks, ResetAnsweredNoChangesNothing) {
  TempEnv env;
  MakeDayFolders();
  IniFile().WriteInteger("EVENTS", "Event Number", 7);
  prompts::CurrentScript().answers = {prompts::Answer::No};
  EXPECT_FALSE(ResetEventNumbers());
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
  EXPECT_EQ(prompts::CurrentScript().shown[0], "Event ID will restart from 1 again. Continue?");
  EXPECT_EQ(LastEventNumber(), 7);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(EventsLogFileName())));
}

TEST(EventMarks, ResetAnsweredYesRestartsAtOne) {
  TempEnv env;
  MakeDayFolders();
  IniFile().WriteInteger("EVENTS", "Event Number", 7);
  prompts::CurrentScript().answers = {prompts::Answer::Yes};
  EXPECT_TRUE(ResetEventNumbers());
  EXPECT_EQ(IniFile().ReadString("EVENTS", "Event Number", ""), "0");
  EXPECT_EQ(AddEventMark(kValues, nullptr), 1);
  const std::string log = env.ReadFile(EventsLogFileName());
  EXPECT_EQ(log.rfind("\r\nAuto Event:\t2026-01-30 143512345\tEvent number was reset.\r\nEvent No:1,", 0),
            0u)
      << log;
}

TEST(EventMarks, StoredNumberThatCannotBeFollowedCountsAsZero) {
  TempEnv env;
  MakeDayFolders();
  struct Case {
    const char* stored;
    int next;
  };
  const Case cases[] = {{"41", 42}, {"abc", 1}, {"", 1}, {"-5", 1}, {"2147483647", 1}, {"3.5", 1}};
  for (const auto& c : cases) {
    IniFile().WriteString("EVENTS", "Event Number", c.stored);
    EXPECT_EQ(AddEventMark(kValues, nullptr), c.next) << c.stored;
  }
}

TEST(EventMarks, UnwritableLogIsReportedAndTheNumberKept) {
  TempEnv env;  // no day folders: the events log cannot be opened
  gLabels.clear();
  EXPECT_EQ(AddEventMark(kValues, AddLabel), 1);
  EXPECT_EQ(gLabels.size(), 1u);
  EXPECT_EQ(LastEventNumber(), 1);
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
  EXPECT_EQ(prompts::CurrentScript().shown[0].toStdString(),
            "Event No:1 could not be written to " + EventsLogFileName() + ".");
}

TEST(EventMarks, ASettingsFileThatCannotBeWrittenIsToldAndNoNumberIsGivenTwice) {
  TempEnv env;
  MakeDayFolders();
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(env.SettingsFile())));  // a folder in its place
  const std::string told = "could not be stored in the settings file " + env.SettingsFile();
  for (int expected : {1, 2, 3}) {
    prompts::CurrentScript().shown.clear();
    EXPECT_EQ(AddEventMark(kValues, nullptr), expected);
    ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
    EXPECT_EQ(prompts::CurrentScript().shown[0].toStdString().rfind("Event No:" + std::to_string(expected) + " " + told, 0),
              0u)
        << prompts::CurrentScript().shown[0].toStdString();
  }
  // A reset that cannot be stored is told and not logged as done.
  prompts::CurrentScript().shown.clear();
  prompts::CurrentScript().answers = {prompts::Answer::Yes};
  EXPECT_FALSE(ResetEventNumbers());
  ASSERT_EQ(prompts::CurrentScript().shown.size(), 2u);
  EXPECT_EQ(prompts::CurrentScript().shown[1].toStdString(),
            "The event number could not be reset: the settings file " + env.SettingsFile() + " could not be written.");
  EXPECT_EQ(env.ReadFile(EventsLogFileName()).find("Event number was reset."), std::string::npos);
  EXPECT_EQ(AddEventMark(kValues, nullptr), 4);
}

}  // namespace
