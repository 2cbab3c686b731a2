#include "runtime/surveyrecord.h"

#include <cstdio>
#include <memory>

#include "app/formats.h"
#include "app/helpers.h"
#include "app/textfile.h"
#include "platform/paths.h"

namespace survey {

const char* const kCoordinatesHeader =
    "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True Depth (Lo),"
    "Raw Depth (Hi),Raw Depth (Lo),Message Format,Sound Velocity,Transducer Draft,GPS, RTK Antenna "
    "Height,Manual Tide,RTK Tide";

const char* const kSimpleXYZHeader = "Easting,Northing,Elevation";

std::string CoordinatesLine(const SoundingRecord& r) {
  std::string s = r.dateTime;
  const auto column = [&s](const std::string& text) {
    s += ',';
    s += text;
  };
  const auto f2 = [](double v) { return FormatFixed(v, 2); };
  column(FloatToStr(r.latitude));
  column(FloatToStr(r.longitude));
  column(f2(r.easting));
  column(f2(r.northing));
  column(f2(r.manualTide - r.trueDepthHi));
  column(f2(r.manualTide - r.trueDepthLo));
  column(f2(r.trueDepthHi));
  column(f2(r.trueDepthLo));
  column(FloatToStr(r.rawDepthHi));
  column(FloatToStr(r.rawDepthLo));
  column(r.messageType);
  column(f2(r.soundVelocity));
  column(f2(r.draft));
  column(std::to_string(r.fixQuality));
  column(f2(r.rtkAntennaHeight));
  column(f2(r.manualTide));
  column(f2(r.rtkTide));
  return s;
}

std::string SimpleXYZLine(double easting, double northing, double elevation) {
  return FormatFixed(easting, 2) + "," + FormatFixed(northing, 2) + "," + FormatFixed(elevation, 2);
}

std::string SimpleXYZFileName() { return DayXYZFolder + StartDate + " Simple XYZ.csv"; }

std::string AlternativeFileName(const std::string& fileName, int n) {
  const std::size_t slash = fileName.find_last_of('/');
  const std::size_t dot = fileName.find_last_of('.');
  const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  std::string suffix(1, '_');
  suffix += std::to_string(n);
  if (!hasExt) return fileName + suffix;
  return fileName.substr(0, dot) + suffix + fileName.substr(dot);
}

void MakeStartDayRecordFolders() {
  std::string root = platform::DataRoot();
  if (!root.empty() && root.back() == '/') root.pop_back();
  for (const std::string& f : {root, DayFolder, DayLogFolder, DayXYZFolder}) platform::MakeFolder(f);
}

namespace {

// An append-mode file that is closed on every path.
struct AppendFile {
  std::FILE* f = nullptr;
  explicit AppendFile(const std::string& name) : f(std::fopen(name.c_str(), "ab")) {}
  ~AppendFile() {
    if (f) std::fclose(f);
  }
  bool Empty() {
    if (std::fseek(f, 0, SEEK_END) != 0) return false;
    return std::ftell(f) == 0;
  }
  bool Put(const std::string& text) {
    const std::string data = ToTextMode(text);
    return std::fwrite(data.data(), 1, data.size(), f) == data.size();
  }
  // Flushes and closes; false when something did not reach the file.
  bool Close() {
    const bool ok = std::fclose(f) == 0;
    f = nullptr;
    return ok;
  }
};

constexpr int kAlternatives = 99;

// The first of the name and its alternatives that opens, or an empty name.
std::string OpenRecord(const std::string& fileName, std::unique_ptr<AppendFile>& file) {
  for (int n = 0; n <= kAlternatives; ++n) {
    const std::string name = n == 0 ? fileName : AlternativeFileName(fileName, n);
    auto f = std::make_unique<AppendFile>(name);
    if (f->f) {
      file = std::move(f);
      return name;
    }
  }
  return "";
}

}  // namespace

SurveyRecordWriter::Outcome SurveyRecordWriter::Write(const SoundingRecord* sounding,
                                                      const std::string& coordinatesFile,
                                                      const std::string& xyzFile) {
  Outcome out;
  std::unique_ptr<AppendFile> record;
  std::string used = OpenRecord(coordinatesFile, record);
  if (!record) {
    MakeStartDayRecordFolders();
    used = OpenRecord(coordinatesFile, record);
  }
  if (!record) {
    if (!recordFailureReported_) {
      recordFailureReported_ = true;
      out.reports.push_back("The survey record " + coordinatesFile +
                            " cannot be opened; soundings are not recorded.");
    }
    return out;
  }
  out.recordOpened = true;
  out.recordFile = used;
  bool ok = true;
  if (record->Empty()) ok = record->Put(std::string(kCoordinatesHeader) + "\n");
  if (sounding) ok = record->Put(CoordinatesLine(*sounding) + "\n") && ok;
  ok = record->Close() && ok;
  out.lineWritten = sounding && ok;
  if (!ok) {
    if (!recordFailureReported_) {
      recordFailureReported_ = true;
      out.reports.push_back("The survey record " + used + " cannot be written; soundings are not recorded.");
    }
  } else {
    recordFailureReported_ = false;
  }
  if (!sounding) return out;

  const std::string xyzLine =
      SimpleXYZLine(sounding->easting, sounding->northing, sounding->manualTide - sounding->trueDepthHi);
  auto xyz = std::make_unique<AppendFile>(xyzFile);
  if (!xyz->f) {
    MakeStartDayRecordFolders();
    xyz = std::make_unique<AppendFile>(xyzFile);
  }
  bool xyzOk = xyz->f != nullptr;
  if (xyzOk) {
    if (xyz->Empty()) xyzOk = xyz->Put(std::string(kSimpleXYZHeader) + "\n");
    xyzOk = xyz->Put(xyzLine + "\n") && xyzOk;
    xyzOk = xyz->Close() && xyzOk;
  }
  out.xyzWritten = xyzOk;
  if (!xyzOk) {
    if (!xyzFailureReported_) {
      xyzFailureReported_ = true;
      out.reports.push_back("The simple XYZ file " + xyzFile + " cannot be written; its soundings are lost.");
    }
  } else {
    xyzFailureReported_ = false;
  }
  return out;
}

}  // namespace survey
