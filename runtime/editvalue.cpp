#include "runtime/editvalue.h"

#include <utility>

#include "app/formats.h"
#include "app/settingsfile.h"

EditValue::EditValue(std::string name, Kind kind, Empty empty, double initial)
    : name_(std::move(name)), kind_(kind), empty_(empty), value_(initial) {}

double EditValue::Read(const std::string& text, std::string* report) {
  if (report) report->clear();
  const bool empty = TrimBlanks(text).empty();
  if (empty && empty_ == Empty::KeepsValue) {
    lastGood_ = true;
    reported_ = false;
    return value_;
  }
  bool good = false;
  if (kind_ == Kind::Integer) {
    int v = 0;
    good = TryStrToInt(text, v);
    if (good) value_ = v;
  } else {
    double v = 0;
    good = TryStrToFloat(text, v);
    if (good) value_ = v;
  }
  lastGood_ = good;
  if (good) {
    reported_ = false;
    return value_;
  }
  if (!reported_ || reportedText_ != text) {
    reported_ = true;
    reportedText_ = text;
    if (report) {
      const std::string shown = text.size() > 40 ? text.substr(0, 40) + "..." : text;
      const std::string what = empty ? name_ + " is empty" : name_ + ": \"" + shown + "\" is not a number";
      *report = what + "; " + FloatToStr(value_) + " is used.";
    }
  }
  return value_;
}

int EditValue::ReadInt(const std::string& text, std::string* report) {
  return static_cast<int>(Read(text, report));
}

bool OnceReporter::First(const std::string& key) {
  if (seen_.count(key)) return false;
  if (seen_.size() >= kLimit) return false;
  seen_.insert(key);
  return true;
}
