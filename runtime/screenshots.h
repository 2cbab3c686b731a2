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
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
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

// The picture written for a monitor of the given size, from what the system
// gave of it (any format, possibly smaller, larger or null): the shot itself
// when it is a 32-bit RGB picture of that size, otherwise the shot copied
// onto black into `canvas`, which is reused while its size stays. The copy is
// made a row at a time, so Qt's image conversions never start threads of
// their own pool for it.
const QImage& MonitorPicture(const QImage& shot, const QSize& size, QImage& canvas);

// One screenshot tick after another. The monitors are copied on the calling
// (user-interface) thread; the pictures are encoded and written by one thread
// of the taker's own that lives as long as the taker, so the survey's lines
// keep flowing meanwhile and a survey day's pictures all pass through the
// same thread and the same few buffers. Nothing of a tick waits for a picture
// being written: what the writer has finished reaches the calling thread as a
// queued notice. While one tick's pictures are being written and the next
// tick's wait, a further tick takes no pictures (noted once in the events
// log until a tick is taken again). A picture that cannot be saved (nor its
// folder made) is reported once and skipped; once a tick has saved every
// picture again, a later failure is reported again.
class ScreenshotTaker {
 public:
  // Writes one picture into its file with 24 bits per pixel; true when written.
  using Encoder = std::function<bool(const QImage& picture, const std::string& file)>;
  // PNG with compression level 9.
  static bool WritePng(const QImage& picture, const std::string& file);

  explicit ScreenshotTaker(Encoder encode = WritePng);
  ScreenshotTaker(const ScreenshotTaker&) = delete;
  ScreenshotTaker& operator=(const ScreenshotTaker&) = delete;
  // Writes the pictures already taken, then ends the writer.
  ~ScreenshotTaker();

  // Captures every monitor of the system for the PNG folder of DayLogFolder
  // and hands the pictures to the writer. Returns the files this tick writes.
  std::vector<std::string> Tick();
  // Waits until every picture taken is written, reports what failed and
  // returns the files the last tick wrote.
  std::vector<std::string> WaitForPictures();

 private:
  struct Picture {
    std::string file;
    QImage shot;  // what the system gave of the monitor (null: nothing)
    QSize size;   // the monitor's size in device pixels
  };
  struct Written {
    std::vector<std::string> files;
    std::vector<std::string> failures;
  };
  void Run();
  Written Write(std::vector<Picture>& pictures);
  void Deliver();
  void ReportFailure(const std::string& what);

  const Encoder encode_;
  // Shared with the writer.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<Picture>> waiting_;  // ticks not yet being written
  bool writing_ = false;
  bool stopping_ = false;
  std::vector<Written> finished_;  // not yet delivered
  // The writer's own.
  std::vector<QImage> canvases_;  // one per monitor, reused
  // The calling thread's.
  std::thread writer_;
  bool failureReported_ = false;
  bool skipNoted_ = false;
  std::vector<std::string> lastWritten_;
  QObject context_;  // queued notices die with the taker
};
