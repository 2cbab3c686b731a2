#pragma once
// Numbers that handlers read from other windows' edits on every line or tick
// (the draft, the depth alarm, the vessel geometry, the track distance, ...).
// A text that is not a number must neither stop the handler nor raise a box
// every 200 ms: the last valid value stays in effect (0 before any) and the
// user is told once per bad text.
#include <cstddef>
#include <set>
#include <string>

class EditValue {
 public:
  enum class Kind { Real, Integer };
  // What an empty edit means: a bad text like any other, or "keep the value"
  // without a word (the vessel geometry edits).
  enum class Empty { IsBad, KeepsValue };

  // name: how the message names the edit ("Offset A", "Track distance").
  explicit EditValue(std::string name, Kind kind = Kind::Real, Empty empty = Empty::IsBad,
                     double initial = 0);

  // Converts text strictly (TryStrToFloat / TryStrToInt) and returns the value
  // in effect afterwards. When the text is bad, the last valid value stays and,
  // the first time this text is met since the last good one, report receives
  // the message for the user (it is emptied otherwise).
  double Read(const std::string& text, std::string* report = nullptr);
  int ReadInt(const std::string& text, std::string* report = nullptr);

  double Value() const { return value_; }
  int IntValue() const { return static_cast<int>(value_); }
  // The last text read was a number (an empty text that keeps the value counts as good).
  bool LastGood() const { return lastGood_; }
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  Kind kind_;
  Empty empty_;
  double value_;
  bool lastGood_ = true;
  bool reported_ = false;
  std::string reportedText_;
};

// Remembers which messages were given, so each is given once. Bounded: after
// kLimit different messages, further new ones are dropped.
class OnceReporter {
 public:
  static constexpr std::size_t kLimit = 256;
  // True the first time key is met (the caller then reports it).
  bool First(const std::string& key);
  void Forget(const std::string& key) { seen_.erase(key); }

 private:
  std::set<std::string> seen_;
};
