#pragma once
// Screenshots of every monitor, taken by the main window's screenshot timer:
// one PNG per monitor (24 bits per pixel, compression level 9) in the PNG
// folder of the start day's folder, named
//   "QDM " + yyyy-mm-dd + " " + hhnnss + " " + monitor name + ".png"
// with one date and time per tick. A monitor is named after its place among
// the others: Primary (the only one), Left, Right, Middle, Top, Bottom, or
// "Monitor" and its position in the system's list, counted from 1. Two
// monitors that come out with the same name get their positions appended
// ("Right2", "Right3"), so no picture of a tick overwrites another.
#include <QDateTime>
#include <QImage>
#include <QObject>
#include <future>
#include <string>
#include <vector>

// A monitor's area on the desktop, in desktop pixels.
struct MonitorArea {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The names of the monitors, in the order given.
std::vector<std::string> MonitorNames(const std::vector<MonitorArea>& monitors);

// The screenshot folder of a day: the parent of its log folder + "PNG/".
std::string ScreenshotFolder(const std::string& dayLogFolder);

// The picture's file name for one monitor at the tick's moment.
std::string ScreenshotFileName(const std::string& folder, const QDateTime& tick,
                               const std::string& monitorName);

// One screenshot tick after another. The monitors are copied on the calling
// (user-interface) thread; the pictures are encoded and written by a thread of
// their own, so the survey's lines keep flowing meanwhile. A picture that
// cannot be saved (nor its folder made) is reported once and skipped; once a
// tick has saved every picture again, a later failure is reported again.
// Reports reach the user on the calling thread.
class ScreenshotTaker {
 public:
  ScreenshotTaker() = default;
  ScreenshotTaker(const ScreenshotTaker&) = delete;
  ScreenshotTaker& operator=(const ScreenshotTaker&) = delete;
  // Waits for the pictures still being written.
  ~ScreenshotTaker();

  // Captures every monitor of the system for the PNG folder of DayLogFolder
  // and starts writing the pictures (after those of the tick before are
  // written). Returns the files this tick writes.
  std::vector<std::string> Tick();
  // Waits until the pictures of the last tick are written, reports what
  // failed and returns the files that were written.
  std::vector<std::string> WaitForPictures();

 private:
  struct Picture {
    std::string file;
    QImage shot;  // what the system gave of the monitor (null: nothing)
    QSize size;   // the monitor's size
  };
  struct Written {
    std::vector<std::string> files;
    std::vector<std::string> failures;
  };
  static Written Write(const std::vector<Picture>& pictures);
  void Collect();
  void ReportFailure(const std::string& what);
  bool failureReported_ = false;
  std::future<Written> pending_;
  std::vector<std::string> lastWritten_;
  QObject context_;  // queued deliveries die with the taker
};
