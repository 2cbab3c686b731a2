#include "runtime/surveyrecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
  column(r.hasPosition ? FloatToStr(r.latitude) : std::string());
  column(r.hasPosition ? FloatToStr(r.longitude) : std::string());
  column(r.hasPosition ? f2(r.easting) : std::string());
  column(r.hasPosition ? f2(r.northing) : std::string());
  column(r.highDepth ? f2(r.manualTide - r.trueDepthHi) : std::string());
  column(f2(r.manualTide - r.trueDepthLo));
  column(r.highDepth ? f2(r.trueDepthHi) : std::string());
  column(f2(r.trueDepthLo));
  column(r.highDepth ? FloatToStr(r.rawDepthHi) : std::string());
  column(FloatToStr(r.rawDepthLo));
  column(r.messageType);
  column(f2(r.soundVelocity));
  column(f2(r.draft));
  column(std::to_string(r.hasPosition ? r.fixQuality : 0));
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

// An append-mode file that is closed on every path; a block is written whole
// or not at all.
struct AppendFile {
  int fd = -1;
  explicit AppendFile(const std::string& name)
      : fd(OpenFileToAppend(name)) {}
  ~AppendFile() {
    if (fd >= 0) ::close(fd);
  }
  bool Opened() const { return fd >= 0; }
  off_t Length() const {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? st.st_size : -1;
  }
  bool Empty() const { return Length() == 0; }
  bool Put(const std::string& text) { return AppendWhole(fd, ToTextMode(text)); }
  // Closes; false when something did not reach the file.
  bool Close() {
    const bool ok = ::close(fd) == 0 || errno == EINTR;  // an interrupted close has closed
    fd = -1;
    return ok;
  }
};

constexpr int kAlternatives = 99;

// The first of the name and its alternatives that opens, or an empty name.
std::string OpenRecord(const std::string& fileName, std::unique_ptr<AppendFile>& file) {
  for (int n = 0; n <= kAlternatives; ++n) {
    const std::string name = n == 0 ? fileName : AlternativeFileName(fileName, n);
    auto f = std::make_unique<AppendFile>(name);
    if (f->Opened()) {
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
  std::string block;
  if (record->Empty()) block = std::string(kCoordinatesHeader) + "\n";
  if (sounding) block += CoordinatesLine(*sounding) + "\n";
  bool ok = block.empty() || record->Put(block);
  ok = record->Close() && ok;
  out.lineWritten = sounding && ok;
  if (!ok) {
    if (!recordFailureReported_) {
      recordFailureReported_ = true;
      out.reports.push_back("The survey record " + used + " cannot be written; soundings are not recorded.");
    }
  } else if (recordFailureReported_) {
    recordFailureReported_ = false;
    out.reports.push_back("The survey record " + used + " is written again; soundings are recorded.");
  }
  if (!sounding || !sounding->hasPosition) return out;

  const double trueDepth = sounding->highDepth ? sounding->trueDepthHi : sounding->trueDepthLo;
  const std::string xyzLine = SimpleXYZLine(sounding->easting, sounding->northing, sounding->manualTide - trueDepth);
  auto xyz = std::make_unique<AppendFile>(xyzFile);
  if (!xyz->Opened()) {
    MakeStartDayRecordFolders();
    xyz = std::make_unique<AppendFile>(xyzFile);
  }
  bool xyzOk = xyz->Opened();
  if (xyzOk) {
    const std::string xyzBlock = (xyz->Empty() ? std::string(kSimpleXYZHeader) + "\n" : std::string()) + xyzLine + "\n";
    xyzOk = xyz->Put(xyzBlock);
    xyzOk = xyz->Close() && xyzOk;
  }
  out.xyzWritten = xyzOk;
  if (!xyzOk) {
    if (!xyzFailureReported_) {
      xyzFailureReported_ = true;
      out.reports.push_back("The simple XYZ file " + xyzFile + " cannot be written; its soundings are lost.");
    }
  } else if (xyzFailureReported_) {
    xyzFailureReported_ = false;
    out.reports.push_back("The simple XYZ file " + xyzFile + " is written again.");
  }
  return out;
}

}  // namespace survey
