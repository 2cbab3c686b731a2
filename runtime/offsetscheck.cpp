#include "runtime/offsetscheck.h"

#include <cmath>
#include <vector>

#include "app/formats.h"
#include "app/helpers.h"
#include "app/settingsfile.h"
#include "app/scanformat.h"

namespace offsets {

bool ClockTextBad(const std::string& time) { return time.find(':') != std::string::npos; }

std::string TimeFormatMessage(bool english) {
  return english ? "Time format does not fit requirements. The date and time fromat must be YYYY-DD-MM HHmmssfff"
                 : "Tarih ve saat formatı gereksinimleri karşılamıyor. Bilgisayar tarih ve zaman formatının "
                   "YYYY-DD-MM HHmmssfff olduguna emin olunuz.";
}

std::string ConversionErrorText(const std::string& text) {
  return "'" + text + "' is not a valid floating point value";
}

namespace {

struct Check {
  Field field;
  const std::string Entries::*text;
  const char* english;
  const char* turkish;
};

const std::vector<Check>& NumberChecks() {
  static const std::vector<Check> checks = {
      {Field::OffsetA, &Entries::offsetA, "Failed! Recheck offset A", "Başarısız! A değerini yeniden kontrol ediniz."},
      {Field::OffsetB, &Entries::offsetB, "Failed! Recheck offset B", "Başarısız! B değerini yeniden kontrol ediniz."},
      {Field::OffsetC, &Entries::offsetC, "Failed! Recheck offset C", "Başarısız! C değerini yeniden kontrol ediniz."},
      {Field::SV, &Entries::sv, "Failed! Recheck SV value", "Başarısız! SV/SH değerini yeniden kontrol ediniz."},
      {Field::TideHt, &Entries::tideHt, "Failed! Recheck tide height", "Başarısız! Su kotunu kontrol ediniz."},
  };
  return checks;
}

const std::vector<Check>& TextChecks() {
  static const std::vector<Check> checks = {
      {Field::Location, &Entries::location, "Failed! Location cannot be missing", "Başarısız! Yer adı boş olamaz"},
      {Field::SurveyBoat, &Entries::surveyBoat, "Failed! Name/type of survey boat cannot be missing",
       "Başarısız! Ölçme aracının adı boş olamaz"},
      {Field::Surveyor, &Entries::surveyor, "Failed! Name of surveyor cannot be missing",
       "Başarısız! Öçen kişinin adı boş olamaz"},
  };
  return checks;
}

CheckResult Fail(Field f, const std::string& message) {
  CheckResult r;
  r.ok = false;
  r.focus = f;
  r.message = message;
  return r;
}

}  // namespace

CheckResult CheckEntries(const Entries& e, bool english) {
  static const scanformat::Format number("%lf");
  std::vector<double> v;
  for (const Check& c : NumberChecks())
    if (number.Scan(e.*c.text, v) != 1) return Fail(c.field, english ? c.english : c.turkish);
  for (const Check& c : TextChecks())
    if ((e.*c.text).empty()) return Fail(c.field, english ? c.english : c.turkish);

  double a = 0, b = 0, c = 0, sv = 0;
  for (const auto& [text, value] : {std::pair{&e.offsetA, &a}, std::pair{&e.offsetB, &b},
                                    std::pair{&e.offsetC, &c}, std::pair{&e.sv, &sv}}) {
    if (!TryStrToFloat(*text, *value)) {
      CheckResult r = Fail(Field::None, ConversionErrorText(*text));
      r.conversionError = true;
      return r;
    }
  }
  if (std::fabs(a + c - b) > 0.025)
    return Fail(Field::OffsetA, english ? "Measurements contains error: A + C must be close enough to B."
                                        : "Ölçümlerde hata var: A + C toplamı B değerine yakın olması gerekir");
  if (sv > 1700 || sv < 1300)
    return Fail(Field::SV, english ? "Error in Sound Velocity (SV) value" : "SV/SE değerinde hata var");
  return CheckResult{};
}

std::string ReportText(const Entries& e, bool profileInUse, bool english) {
  std::string s;
  if (english) {
    s += "\n\nQuarix Depthmark - offsets essential for post processing\nTime..............................\t=" + e.time;
    s += "\nSurvey Location...................\t=" + e.location;
    s += "\nSurvey Boat.......................\t=" + e.surveyBoat;
    s += "\nTransducer Draft (A)..............\t=" + e.offsetA;
    s += "\nTransducer - Antenna Offset (B)...\t=" + e.offsetB;
    s += "\nAntenna Height Above Water (C)....\t=" + e.offsetC;
    s += "\nSound Velocity....................\t=" + (profileInUse ? std::string("Sound velocity profile used") : e.sv);
    s += "\nTide Height.......................\t=" + e.tideHt;
    s += "\nSurveyor..........................\t=" + e.surveyor;
  } else {
    s += "\n\nQuarix Depthmark - veri işleme için gerekli değerler\nZaman.......................................\t=" +
         e.time;
    s += "\nYer.........................................\t=" + e.location;
    s += "\nÖlçme botu..................................\t=" + e.surveyBoat;
    s += "\nTransduser su kesimi (A)....................\t=" + e.offsetA;
    s += "\nTransduser ile GPS anteni arası mesafe (B)..\t=" + e.offsetB;
    s += "\nSudan antene olan mesafe (C)................\t=" + e.offsetC;
    s += "\nSes hızı....................................\t=" + (profileInUse ? std::string("Ses hızı profili kullanıldı") : e.sv);
    s += "\nSu kotu.....................................\t=" + e.tideHt;
    s += "\nÖlçen.......................................\t=" + e.surveyor;
  }
  return s;
}

std::string ReportFileName() { return DayLogFolder + DateText() + " Offsets.log"; }

const char* const kSection = "ECHOSOUNDER_OFFSETS";

namespace {

std::string Padded(const std::string& key) { return key.size() >= 13 ? key : key + std::string(13 - key.size(), ' '); }

}  // namespace

void WriteSection(IniFile& ini, const Entries& e) {
  ini.WriteString(kSection, Padded("Offset A"), e.offsetA);
  ini.WriteString(kSection, Padded("Offset B"), e.offsetB);
  ini.WriteString(kSection, Padded("Offset C"), e.offsetC);
  ini.WriteString(kSection, Padded("SV"), e.sv);
  ini.WriteString(kSection, Padded("Tide Height"), e.tideHt);
  ini.WriteString(kSection, Padded("Time"), e.time);
  ini.WriteString(kSection, Padded("Surveyor"), e.surveyor);
  ini.WriteString(kSection, Padded("SurveyBoat"), e.surveyBoat);
  ini.WriteString(kSection, "SurveyLocation", e.location);
}

Entries ReadSection(const IniFile& ini) {
  Entries e;
  e.offsetA = ini.ReadString(kSection, "Offset A", "");
  e.offsetB = ini.ReadString(kSection, "Offset B", "");
  e.offsetC = ini.ReadString(kSection, "Offset C", "");
  e.sv = ini.ReadString(kSection, "SV", "");
  e.tideHt = ini.ReadString(kSection, "Tide Height", "");
  e.surveyor = ini.ReadString(kSection, "Surveyor", "");
  e.surveyBoat = ini.ReadString(kSection, "SurveyBoat", "");
  e.location = ini.ReadString(kSection, "SurveyLocation", "");
  return e;
}

}  // namespace offsets
