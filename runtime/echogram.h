#pragma once
// The echogram of the latest depths, without any window: the sample history,
// the depth scale that follows the samples, the pixel rows of the bottoms, the
// labelled depth grid and the edge band of the borderless echogram window.
// Also the echo-sounder watchdog that the main window's echogram timer runs.
//
// Drawing an echogram is one call, EchogramHistory::Draw: it shifts the new
// sample in, rescales, recomputes the rows and returns an EchogramPicture that
// the window paints as it is (background 0xFFF8F0, water columns 0xFFB464,
// red 3-pixel bottoms, a black 2-pixel profile, a dotted grey grid with bold
// black labels, a yellow box with the latest depth at the bottom right).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr int kEchogramHistorySize = 200;   // samples the history holds
constexpr int kEchogramDefaultWidth = 50;   // ECHOGRAM DataWidth default
constexpr int kEchogramDefaultInterval = 100;  // ECHOGRAM Interval default, ms
constexpr int kEchogramEdgeBand = 6;        // pixels along the window edges that resize it

// The number of samples shown, as the history can hold it: 1 to 200.
int ClampEchogramWidth(int dataWidth);
// The refresh interval in ms: a value below 1 gives the designed 100 ms.
int ValidEchogramInterval(int interval);

// A depth counts as a sample when it is above 0 (and a real number).
bool IsEchogramDepth(double depth);

// Depth scale: top and bottom in metres, range = bottom - top (never 0 or less).
struct EchogramScale {
  double top = 0;
  double bottom = 0;
  double range = 1;
};
// More than 3 samples that are not all equal: their span with a margin of 10 %
// on each side (at least 0.3 m, the top never above the water surface);
// otherwise the fallback span.
EchogramScale ScaleForSamples(const double* depths, int count, double fallbackTop,
                              double fallbackBottom);

// About a quarter of the range, rounded up to 1, 2, 2.5, 5 or 10 times a power
// of ten; 0 when the range is not a positive number.
double EchogramGridStep(double range);
// Decimals of the grid labels: 0 for steps of 1 m and more, 1 down to 0.1 m, else 2.
int EchogramGridDecimals(double step);

struct EchogramGridLine {
  int y = 0;             // pixel row, 0 .. height
  double value = 0;      // depth in metres
  std::string label;     // e.g. "10m", "10.5m"
};
// The grid lines between top and bottom that fall on the picture's rows 0 .. height.
std::vector<EchogramGridLine> EchogramGridLines(const EchogramScale& scale, int height);

// What one drawing paints, in window pixels (rectangles right and bottom exclusive).
struct EchogramPicture {
  struct Column {  // water from the top down to the bottom row y, bottom line at y
    int x0, x1, y;
  };
  struct Segment {
    int x0, y0, x1, y1;
  };
  int width = 0;
  int height = 0;
  EchogramScale scale;
  std::vector<Column> columns;           // one per sample, oldest first
  std::vector<Segment> profile;          // joins neighbouring samples
  std::vector<EchogramGridLine> grid;
  std::optional<Segment> leader;         // latest bottom down to the depth box
  std::optional<std::string> latestText; // the depth box text, e.g. "12.3m"
};

// The samples of the echogram, oldest first, zero at start and never cleared.
class EchogramHistory {
 public:
  using Samples = std::array<double, kEchogramHistorySize>;

  // Shifts newDepth in as the latest of count samples (count clamped to the
  // history), rescales, recomputes the rows of the first count samples and
  // returns the picture for a client area of width x height pixels. Nothing
  // moves and an empty picture returns when the area is empty.
  EchogramPicture Draw(double newDepth, double fallbackTop, double fallbackBottom, int count,
                       int width, int height);

  const Samples& Depths() const { return depths_; }
  // Pixel row of each sample's bottom, as the last drawing computed it.
  const Samples& Rows() const { return rows_; }

 private:
  Samples depths_{};
  Samples rows_{};
};

// The edge of the echogram window under a client pixel, as the system's hit
// codes name them (corners first); None inside the 6-pixel band.
enum class EchogramEdge {
  None = 0,
  Left = 10,
  Right = 11,
  Top = 12,
  TopLeft = 13,
  TopRight = 14,
  Bottom = 15,
  BottomLeft = 16,
  BottomRight = 17,
};
EchogramEdge EchogramEdgeAt(int x, int y, int width, int height);

// The silent-echo-sounder watchdog of the echogram timer. Its state is the
// main window's: the tick when the Realtime command opened the echo-sounder
// port (0 when not), the tick of the last echo-sounder line (0 before the
// first), whether the silence was reported and whether a line has arrived
// since the survey started; the watchdog works on those variables. The
// Realtime command arms it when it opens the port, every echo-sounder line
// re-arms it, and the timer checks it on every tick: more than 5000 ms without
// a line (counted from the port's opening until the first line) is reported once.
class SounderWatchdog {
 public:
  static constexpr uint32_t kSilenceMs = 5000;

  SounderWatchdog(uint32_t& sounderOpenTick, uint32_t& lastDepthTick, bool& timeoutReported,
                  bool& dataSeen)
      : openTick_(sounderOpenTick),
        lastDepthTick_(lastDepthTick),
        reported_(timeoutReported),
        dataSeen_(dataSeen) {}

  // The Realtime command opened the echo-sounder port at tick `now`.
  void Arm(uint32_t now);
  // The Realtime command stopped the survey: disarmed, everything cleared.
  void Disarm();
  // An echo-sounder line arrived at tick `now`. True for the first line of a
  // survey run or after a report: the caller shows the echogram and the depth frames.
  bool DepthLine(uint32_t now);
  // Timer tick at `now` (32-bit wrapping ticks). True when the silence is
  // reported now (the report is noted and the line flag cleared, so the next
  // line shows the echogram again); the caller hides the echogram and runs its
  // time-out handler.
  bool Check(uint32_t now);

 private:
  uint32_t& openTick_;
  uint32_t& lastDepthTick_;
  bool& reported_;
  bool& dataSeen_;
};
