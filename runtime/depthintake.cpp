#include "runtime/depthintake.h"

#include <cmath>
#include <utility>

#include "app/formats.h"
#include "app/helpers.h"
#include "devices/nmea.h"
#include "platform/clock.h"

namespace survey {

const std::vector<SounderRule>& SounderRules() {
  static const std::vector<SounderRule> rules = {
      {"Quarix SMT", nullptr, "SMT", nullptr, 2, DepthValues::HighBattery},
      {"NMEA DPT", "DPT", nullptr, nullptr, 1, DepthValues::High},
      {"NMEA DBT", "DBT", nullptr, nullptr, 1, DepthValues::High},
      {"Quarix XDR HI", "XDR", "XDHI", nullptr, 1, DepthValues::High},
      {"Quarix XDR LO", "XDR", "XDHI", "XDLO", 1, DepthValues::Low},
      {"Quarix XDR H/L", "XDR", "XDHI", "XDLO", 2, DepthValues::HighLow},
      {"ODC HI", nullptr, ",B,", nullptr, 1, DepthValues::High},
      {"OTHER", nullptr, nullptr, nullptr, 1, DepthValues::High},
  };
  return rules;
}

const SounderRule* FindSounderRule(const std::string& messageType) {
  for (const SounderRule& r : SounderRules())
    if (messageType == r.type) return &r;
  return nullptr;
}

DepthScan ScanDepthLine(const SounderRule& rule, const scanformat::Format& format,
                        const std::string& line) {
  DepthScan s;
  s.tagsFound = (!rule.sentence || nmea::IsSentence(line, rule.sentence)) &&
                (!rule.tag1 || line.find(rule.tag1) != std::string::npos) &&
                (!rule.tag2 || line.find(rule.tag2) != std::string::npos);
  if (!s.tagsFound) return s;
  std::string problem;
  if (!scanformat::CheckUserFormat(format, rule.required, problem)) return s;
  std::vector<double> v;
  if (format.Scan(line, v) != rule.required) return s;
  s.taken = true;
  switch (rule.values) {
    case DepthValues::High: s.rawHi = v[0]; break;
    case DepthValues::HighBattery: s.rawHi = v[0]; s.battery = v[1]; break;
    case DepthValues::Low: s.rawLo = v[0]; break;
    case DepthValues::HighLow: s.rawHi = v[0]; s.rawLo = v[1]; break;
  }
  return s;
}

ColumnSV SoundVelocityFromColumn(const std::vector<std::string>& column, double raw, double singleSV) {
  ColumnSV r;
  r.soundVelocity = singleSV;
  if (raw < 0) {
    r.depthOk = false;
    r.problem = "A negative raw depth takes no depth while the sound velocity profile is used.";
    return r;
  }
  if (column.empty()) {
    r.problem = "The SV column is empty; the single sound velocity is used.";
    return r;
  }
  const double index = std::trunc(raw + 0.5);
  std::size_t i = column.size() - 1;
  if (index < static_cast<double>(column.size())) {
    i = static_cast<std::size_t>(index);
  } else {
    r.problem = "The SV column ends at line " + std::to_string(column.size() - 1) +
                "; deeper soundings use its last line.";
  }
  double sv = 0;
  if (TryStrToFloat(column[i], sv)) {
    r.soundVelocity = sv;
  } else {
    r.problem = "Line " + std::to_string(i) + " of the SV column is not a number; the single sound velocity is used.";
  }
  return r;
}

const scanformat::Format& DepthIntake::FormatFor(const std::string& text) {
  if (!format_ || text != formatText_) {
    format_ = std::make_unique<scanformat::Format>(text);
    formatText_ = text;
  }
  return *format_;
}

DepthLineResult DepthIntake::TakeLine(const DepthLineInput& in) {
  DepthLineResult r;
  std::string report;
  r.depthAlarmValue = alarm_.Read(in.depthAlarmText, &report);
  if (!report.empty()) r.reports.push_back(report);
  r.draft = (sharedDraft_ ? *sharedDraft_ : draft_).Read(in.draftText, &report);
  if (!report.empty()) r.reports.push_back(report);

  const SounderRule* rule = FindSounderRule(in.messageType);
  if (!rule) return r;
  r.knownType = true;

  const scanformat::Format& format = FormatFor(in.scanFormat);
  std::string problem;
  if (!scanformat::CheckUserFormat(format, rule->required, problem)) {
    const std::string shown = in.scanFormat.size() > 60 ? in.scanFormat.substr(0, 60) + "..." : in.scanFormat;
    const std::string text = "The echo-sounder format \"" + shown + "\" cannot be used for " + rule->type +
                             ": " + problem + ". No depth is taken.";
    if (reporter_.First(text)) r.reports.push_back(text);
  }

  const DepthScan scan = ScanDepthLine(*rule, format, in.line);
  // The depth the sounding stands for: the only one of a low-frequency type,
  // else the high one.
  const bool highDepth = rule->values != DepthValues::Low;
  r.taken = scan.taken;
  if (scan.taken) {
    r.rawHi = scan.rawHi;
    r.rawLo = scan.rawLo;
    if (in.useSVP) {
      const ColumnSV lo = SoundVelocityFromColumn(in.svColumn, scan.rawLo, in.svValue);
      const ColumnSV hi = SoundVelocityFromColumn(in.svColumn, scan.rawHi, in.svValue);
      // A raw depth of 0 (the unused one of a single-depth type) needs no sound velocity.
      for (const auto& [c, raw] : {std::pair{&lo, scan.rawLo}, std::pair{&hi, scan.rawHi}})
        if (raw != 0 && !c->problem.empty() && reporter_.First(c->problem)) r.reports.push_back(c->problem);
      if (lo.depthOk && hi.depthOk) {
        r.trueLo = CorrectedDepth(scan.rawLo, lo.soundVelocity, r.draft);
        r.trueHi = CorrectedDepth(scan.rawHi, hi.soundVelocity, r.draft);
        r.svUsed = (highDepth ? hi : lo).soundVelocity;
      } else {
        r.taken = false;
        r.rawHi = r.rawLo = 0;
      }
    } else {
      r.trueHi = CorrectedDepth(scan.rawHi, in.svValue, r.draft);
      r.trueLo = CorrectedDepth(scan.rawLo, in.svValue, r.draft);
      r.svUsed = in.svValue;
    }
  }
  if (r.taken) {
    if (highDepth)
      r.labelHi = FormatFixed(r.trueHi, 2);
    else
      r.trueHi = 0;  // a type without the high depth gives none, not the draft alone
    r.depth = highDepth ? r.trueHi : r.trueLo;
    r.labelLo = FormatFixed(r.trueLo, 2);
    r.alarm = r.depth <= r.depthAlarmValue;
    if (rule->values == DepthValues::HighBattery) {
      r.battery = true;
      r.batteryText = FormatFixed(scan.battery, 2);
    }
  } else {
    r.trueHi = r.trueLo = 0;
  }

  SoundingRecord rec;
  const bool record = r.taken && (highDepth ? r.rawHi : r.rawLo) != 0;
  if (record) {
    rec.highDepth = highDepth;
    rec.dateTime = FormatDateTime(platform::Now());
    rec.hasPosition = in.hasPosition;
    rec.latitude = in.latitude;
    rec.longitude = in.longitude;
    rec.easting = in.gridEasting;
    rec.northing = in.gridNorthing;
    rec.trueDepthHi = r.trueHi;
    rec.trueDepthLo = r.trueLo;
    rec.rawDepthHi = r.rawHi;
    rec.rawDepthLo = r.rawLo;
    rec.messageType = in.messageType;
    rec.soundVelocity = r.svUsed;
    rec.draft = r.draft;
    rec.fixQuality = in.fixQuality;
    rec.rtkAntennaHeight = in.rtkAntennaHeight;
    rec.manualTide = in.tideHt;
    rec.rtkTide = in.rtkTide;
  }
  const SurveyRecordWriter::Outcome out =
      writer_.Write(record ? &rec : nullptr, coordinatesFile.empty() ? CoordinatesFileName : coordinatesFile,
                    xyzFile.empty() ? SimpleXYZFileName() : xyzFile);
  r.recorded = out.lineWritten;
  for (const std::string& s : out.reports) r.reports.push_back(s);
  return r;
}

}  // namespace survey
