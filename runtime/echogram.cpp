#include "runtime/echogram.h"

#include <algorithm>
#include <cmath>

#include "app/formats.h"

namespace {

// Pixel coordinates handed to the painter: truncated towards zero and kept in
// a range every paint engine takes (a sample far outside the scale only
// leaves the window).
int ToPixel(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::trunc(std::clamp(v, -32768.0, 32767.0)));
}

}  // namespace

int ClampEchogramWidth(int dataWidth) { return std::clamp(dataWidth, 1, kEchogramHistorySize); }

int ValidEchogramInterval(int interval) {
  return interval < 1 ? kEchogramDefaultInterval : interval;
}

bool IsEchogramDepth(double depth) { return depth > 0 && std::isfinite(depth); }

EchogramScale ScaleForSamples(const double* depths, int count, double fallbackTop,
                              double fallbackBottom) {
  double lo = 1e30, hi = -1e30;
  int n = 0;
  for (int i = 0; i < count; ++i) {
    if (!IsEchogramDepth(depths[i])) continue;
    lo = std::min(lo, depths[i]);
    hi = std::max(hi, depths[i]);
    ++n;
  }
  EchogramScale s;
  bool automatic = false;
  if (n > 3 && lo < hi) {
    const double m = std::max((hi - lo) * 0.1, 0.3);
    s.top = std::max(lo - m, 0.0);
    s.bottom = hi + m;
    automatic = std::isfinite(s.bottom - s.top);
  }
  if (!automatic) {
    s.top = fallbackTop;
    s.bottom = fallbackBottom;
  }
  s.range = s.bottom - s.top;
  if (!(s.range > 0) || !std::isfinite(s.range)) s.range = 1;
  return s;
}

double EchogramGridStep(double range) {
  if (!(range > 0) || !std::isfinite(range)) return 0;
  const double raw = range / 4;
  const double mag = std::pow(10.0, std::floor(std::log10(raw)));
  const double f = raw / mag;
  // A mantissa a rounding error above a step still takes that step.
  constexpr double kSlack = 1e-9;
  if (f <= 1 + kSlack) return mag;
  if (f <= 2 + kSlack) return mag * 2;
  if (f <= 2.5 + kSlack) return mag * 2.5;
  if (f <= 5 + kSlack) return mag * 5;
  return mag * 10;
}

int EchogramGridDecimals(double step) {
  if (step >= 1) return 0;
  if (step >= 0.1) return 1;
  return 2;
}

std::vector<EchogramGridLine> EchogramGridLines(const EchogramScale& scale, int height) {
  std::vector<EchogramGridLine> lines;
  const double step = EchogramGridStep(scale.range);
  if (step <= 0 || !std::isfinite(scale.top) || !std::isfinite(scale.bottom)) return lines;
  const int decimals = EchogramGridDecimals(step);
  const double first = std::ceil(scale.top / step) * step;
  // The step is about a quarter of the range, so a handful of lines at most;
  // the cap only guards against a scale that is not a scale.
  for (int k = 0; k < 100; ++k) {
    const double v = first + k * step;
    if (v > scale.bottom) break;
    const int y = ToPixel((v - scale.top) * height / scale.range);
    if (y < 0 || y > height) continue;
    lines.push_back({y, v, FormatFixed(v, decimals) + "m"});
  }
  return lines;
}

EchogramPicture EchogramHistory::Draw(double newDepth, double fallbackTop, double fallbackBottom,
                                      int count, int width, int height) {
  EchogramPicture pic;
  if (width < 1 || height < 1) return pic;
  count = ClampEchogramWidth(count);
  pic.width = width;
  pic.height = height;

  std::copy(depths_.begin() + 1, depths_.begin() + count, depths_.begin());
  std::copy(rows_.begin() + 1, rows_.begin() + count, rows_.begin());
  depths_[count - 1] = newDepth;

  const EchogramScale s = ScaleForSamples(depths_.data(), count, fallbackTop, fallbackBottom);
  pic.scale = s;
  for (int i = 0; i < count; ++i)
    rows_[i] = IsEchogramDepth(depths_[i]) ? std::trunc((depths_[i] - s.top) * height / s.range) : 0;

  const double w = std::max(static_cast<double>(width) / count, 1.0);
  for (int j = 0; j < count; ++j) {
    if (!IsEchogramDepth(depths_[j])) continue;
    pic.columns.push_back({ToPixel(j * w), ToPixel((j + 1) * w),
                           std::clamp(ToPixel(rows_[j]), 0, height)});
  }
  for (int k = 1; k < count; ++k) {
    if (!IsEchogramDepth(depths_[k - 1]) || !IsEchogramDepth(depths_[k])) continue;
    pic.profile.push_back(
        {ToPixel((k - 0.5) * w), ToPixel(rows_[k - 1]), ToPixel((k + 0.5) * w), ToPixel(rows_[k])});
  }
  pic.grid = EchogramGridLines(s, height);

  if (IsEchogramDepth(newDepth)) {
    const int y = ToPixel(rows_[count - 1]);
    if (y > 5 && y < height - 30)
      pic.leader = EchogramPicture::Segment{width - 40, y, width - 40, height - 28};
    pic.latestText = FormatFixed(newDepth, 1) + "m";
  }
  return pic;
}

EchogramEdge EchogramEdgeAt(int x, int y, int width, int height) {
  const bool left = x < kEchogramEdgeBand;
  const bool right = x >= width - kEchogramEdgeBand;
  const bool top = y < kEchogramEdgeBand;
  const bool bottom = y >= height - kEchogramEdgeBand;
  if (top && left) return EchogramEdge::TopLeft;
  if (top && right) return EchogramEdge::TopRight;
  if (bottom && left) return EchogramEdge::BottomLeft;
  if (bottom && right) return EchogramEdge::BottomRight;
  if (left) return EchogramEdge::Left;
  if (right) return EchogramEdge::Right;
  if (top) return EchogramEdge::Top;
  if (bottom) return EchogramEdge::Bottom;
  return EchogramEdge::None;
}

void SounderWatchdog::Arm(uint32_t now) {
  openTick_ = now;
  reported_ = false;
}

void SounderWatchdog::Disarm() {
  openTick_ = 0;
  lastDepthTick_ = 0;
  reported_ = false;
  dataSeen_ = false;
}

bool SounderWatchdog::DepthLine(uint32_t now) {
  lastDepthTick_ = now;
  reported_ = false;
  const bool first = !dataSeen_;
  dataSeen_ = true;
  return first;
}

bool SounderWatchdog::Check(uint32_t now) {
  if (reported_ || openTick_ == 0) return false;
  const uint32_t since = lastDepthTick_ != 0 ? lastDepthTick_ : openTick_;
  if (static_cast<uint32_t>(now - since) <= kSilenceMs) return false;
  reported_ = true;
  dataSeen_ = false;
  return true;
}
