#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/helpers.h"
#include "app/settingsfile.h"
#include "runtime/offsetscheck.h"
#include "tests/support/tempenv.h"

namespace {

using offsets::Entries;
using offsets::Field;

Entries Good() {
  Entries e;
  e.offsetA = "0.50";
  e.offsetB = "2.00";
  e.offsetC = "1.50";
  e.sv = "1480";
  e.tideHt = "1.00";
  e.location = "Haliç";
  e.surveyBoat = "Martı";
  e.surveyor = "Ayşe";
  e.time = "2026-01-30 143512345";
  return e;
}

// The checks in their order, with their exact messages in both languages.
TEST(OffsetsCheck, ChecksInOrder) {
  struct Row {
    std::string name;
    void (*change)(Entries&);
    Field focus;
    const char* english;
    const char* turkish;
  };
  const std::vector<Row> rows = {
      {"A empty before the text checks", [](Entries& e) { e.offsetA = ""; e.location = ""; }, Field::OffsetA,
       "Failed! Recheck offset A", "Başarısız! A değerini yeniden kontrol ediniz."},
      {"B", [](Entries& e) { e.offsetB = "xy"; }, Field::OffsetB, "Failed! Recheck offset B",
       "Başarısız! B değerini yeniden kontrol ediniz."},
      {"C", [](Entries& e) { e.offsetC = "-."; }, Field::OffsetC, "Failed! Recheck offset C",
       "Başarısız! C değerini yeniden kontrol ediniz."},
      {"SV", [](Entries& e) { e.sv = ""; }, Field::SV, "Failed! Recheck SV value",
       "Başarısız! SV/SH değerini yeniden kontrol ediniz."},
      {"tide", [](Entries& e) { e.tideHt = "one"; }, Field::TideHt, "Failed! Recheck tide height",
       "Başarısız! Su kotunu kontrol ediniz."},
      {"location", [](Entries& e) { e.location = ""; e.surveyor = ""; }, Field::Location,
       "Failed! Location cannot be missing", "Başarısız! Yer adı boş olamaz"},
      {"boat", [](Entries& e) { e.surveyBoat = ""; }, Field::SurveyBoat,
       "Failed! Name/type of survey boat cannot be missing", "Başarısız! Ölçme aracının adı boş olamaz"},
      {"surveyor", [](Entries& e) { e.surveyor = ""; }, Field::Surveyor, "Failed! Name of surveyor cannot be missing",
       "Başarısız! Öçen kişinin adı boş olamaz"},
      {"geometry 0.03", [](Entries& e) { e.offsetC = "1.53"; e.sv = "2000"; }, Field::OffsetA,
       "Measurements contains error: A + C must be close enough to B.",
       "Ölçümlerde hata var: A + C toplamı B değerine yakın olması gerekir"},
      {"SV 1299.9", [](Entries& e) { e.sv = "1299.9"; }, Field::SV, "Error in Sound Velocity (SV) value",
       "SV/SE değerinde hata var"},
      {"SV 1700.1", [](Entries& e) { e.sv = "1700.1"; }, Field::SV, "Error in Sound Velocity (SV) value",
       "SV/SE değerinde hata var"},
  };
  for (const Row& r : rows) {
    Entries e = Good();
    r.change(e);
    for (bool english : {true, false}) {
      const offsets::CheckResult c = offsets::CheckEntries(e, english);
      EXPECT_FALSE(c.ok) << r.name;
      EXPECT_FALSE(c.conversionError) << r.name;
      EXPECT_EQ(c.focus, r.focus) << r.name;
      EXPECT_EQ(c.message, english ? r.english : r.turkish) << r.name;
    }
  }
}

TEST(OffsetsCheck, PassingEntries) {
  const std::vector<void (*)(Entries&)> passing = {
      [](Entries&) {},
      [](Entries& e) { e.offsetC = "1.525"; },  // the difference comes out just below 0.025
      [](Entries& e) { e.offsetC = "1.475"; },
      [](Entries& e) { e.sv = "1300"; },
      [](Entries& e) { e.sv = "1700"; },
      [](Entries& e) { e.tideHt = "1.0abc"; },  // only the leading number is checked
      [](Entries& e) { e.offsetA = " 0.5"; },
  };
  for (std::size_t i = 0; i < passing.size(); ++i) {
    Entries e = Good();
    passing[i](e);
    EXPECT_TRUE(offsets::CheckEntries(e, true).ok) << i;
  }
}

TEST(OffsetsCheck, LeadingNumberFailsTheStrictConversion) {
  Entries e = Good();
  e.offsetB = "2.00m";
  const offsets::CheckResult c = offsets::CheckEntries(e, false);
  EXPECT_FALSE(c.ok);
  EXPECT_TRUE(c.conversionError);
  EXPECT_EQ(c.focus, Field::None);
  EXPECT_EQ(c.message, "'2.00m' is not a valid floating point value");
}

TEST(OffsetsCheck, ClockText) {
  EXPECT_FALSE(offsets::ClockTextBad("2026-01-30 143512345"));
  EXPECT_TRUE(offsets::ClockTextBad("2026-01-30 14:35:12"));
  EXPECT_EQ(offsets::TimeFormatMessage(true),
            "Time format does not fit requirements. The date and time fromat must be YYYY-DD-MM HHmmssfff");
  EXPECT_EQ(offsets::TimeFormatMessage(false),
            "Tarih ve saat formatı gereksinimleri karşılamıyor. Bilgisayar tarih ve zaman formatının YYYY-DD-MM "
            "HHmmssfff olduguna emin olunuz.");
}

TEST(OffsetsCheck, ReportTexts) {
  const Entries e = Good();
  EXPECT_EQ(offsets::ReportText(e, false, true),
            "\n\nQuarix Depthmark - offsets essential for post processing"
            "\nTime..............................\t=2026-01-30 143512345"
            "\nSurvey Location...................\t=Haliç"
            "\nSurvey Boat.......................\t=Martı"
            "\nTransducer Draft (A)..............\t=0.50"
            "\nTransducer - Antenna Offset (B)...\t=2.00"
            "\nAntenna Height Above Water (C)....\t=1.50"
            "\nSound Velocity....................\t=1480"
            "\nTide Height.......................\t=1.00"
            "\nSurveyor..........................\t=Ayşe");
  EXPECT_EQ(offsets::ReportText(e, true, false),
            "\n\nQuarix Depthmark - veri işleme için gerekli değerler"
            "\nZaman.......................................\t=2026-01-30 143512345"
            "\nYer.........................................\t=Haliç"
            "\nÖlçme botu..................................\t=Martı"
            "\nTransduser su kesimi (A)....................\t=0.50"
            "\nTransduser ile GPS anteni arası mesafe (B)..\t=2.00"
            "\nSudan antene olan mesafe (C)................\t=1.50"
            "\nSes hızı....................................\t=Ses hızı profili kullanıldı"
            "\nSu kotu.....................................\t=1.00"
            "\nÖlçen.......................................\t=Ayşe");
  EXPECT_NE(offsets::ReportText(e, true, true).find("\t=Sound velocity profile used\n"), std::string::npos);
}

TEST(OffsetsCheck, SettingsSectionWithPaddedKeys) {
  TempEnv env;
  IniFile ini(env.SettingsFile());
  offsets::WriteSection(ini, Good());
  ASSERT_TRUE(ini.UpdateFile());  // the section's keys in one write
  const std::string text = env.ReadFile(env.SettingsFile());
  EXPECT_EQ(text,
            "[ECHOSOUNDER_OFFSETS]\r\n"
            "Offset A     =0.50\r\n"
            "Offset B     =2.00\r\n"
            "Offset C     =1.50\r\n"
            "SV           =1480\r\n"
            "Tide Height  =1.00\r\n"
            "Time         =2026-01-30 143512345\r\n"
            "Surveyor     =Ayşe\r\n"
            "SurveyBoat   =Martı\r\n"
            "SurveyLocation=Haliç\r\n");
  const Entries back = offsets::ReadSection(IniFile(env.SettingsFile()));
  EXPECT_EQ(back.offsetA, "0.50");
  EXPECT_EQ(back.sv, "1480");
  EXPECT_EQ(back.tideHt, "1.00");
  EXPECT_EQ(back.location, "Haliç");
  EXPECT_EQ(back.surveyBoat, "Martı");
  EXPECT_EQ(back.surveyor, "Ayşe");
  EXPECT_EQ(back.time, "");  // the clock is not read back
  EXPECT_EQ(offsets::ReportFileName(), DayLogFolder + "2026-01-30 Offsets.log");
}

}  // namespace
