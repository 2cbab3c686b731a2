#include "canvas/shapeindex.h"

#include <algorithm>
#include <cmath>

#include "canvas/shapes.h"

namespace {

constexpr int kMaxLevels = 8;
constexpr int kLevelGrowth = 4;           // each level's cells are this many times wider
constexpr std::size_t kShapesPerCell = 16;  // on the finest level, on average
constexpr std::size_t kSample = 65536;    // box centres looked at to lay out the grid
constexpr std::size_t kMaxRenumber = 16384;  // filed shapes renumbered in place after a removal
constexpr std::size_t kLayerTable = 65536;

int CellIndex(double v, double origin, double cell, int n) {
  const double f = std::floor((v - origin) / cell);
  if (!(f >= 0)) return 0;  // also NaN
  if (f >= n - 1) return n - 1;
  return static_cast<int>(f);
}

void EraseValue(std::vector<uint32_t>& list, uint32_t value) {
  for (std::size_t i = list.size(); i-- > 0;) {
    if (list[i] == value) {
      list[i] = list.back();
      list.pop_back();
      return;
    }
  }
}

void ReplaceValue(std::vector<uint32_t>& list, uint32_t from, uint32_t to) {
  for (uint32_t& v : list) {
    if (v == from) {
      v = to;
      return;
    }
  }
}

}  // namespace

bool TShapeIndex::InStep(const std::vector<TQShape*>& Shapes) const {
  if (!valid_ || synced_ > Shapes.size()) return false;
  return synced_ == 0 ? last_ == nullptr : Shapes[synced_ - 1] == last_;
}

void TShapeIndex::Sync(const std::vector<TQShape*>& Shapes) {
  const std::size_t n = Shapes.size();
  if (!InStep(Shapes) || n > 2 * laidOutFor_ + 1024 || clamped_ > laidOutFor_ / 4 + 1024) {
    Rebuild(Shapes);
    return;
  }
  for (std::size_t i = synced_; i < n; ++i) File(Shapes[i], static_cast<uint32_t>(i));
  synced_ = n;
  last_ = n ? Shapes[n - 1] : nullptr;
}

void TShapeIndex::Layout(const std::vector<TQShape*>& Shapes) {
  const std::size_t n = Shapes.size();
  // The area most shapes lie in: the 1st to 99th percentile of a sample of
  // box centres, so a few stray shapes far away do not coarsen the grid.
  std::vector<double> xs, ys;
  const std::size_t stride = std::max<std::size_t>(1, n / kSample);
  for (std::size_t i = 0; i < n; i += stride) {
    const TQShape* s = Shapes[i];
    if (!s->HasFiniteBounds()) continue;
    xs.push_back((s->MinX + s->MaxX) / 2);
    ys.push_back((s->MinY + s->MaxY) / 2);
  }
  auto range = [](std::vector<double>& v, double& lo, double& hi) {
    if (v.empty()) {
      lo = 0, hi = 1;
      return;
    }
    const std::size_t a = v.size() / 100, b = v.size() - 1 - v.size() / 100;
    std::nth_element(v.begin(), v.begin() + static_cast<long>(a), v.end());
    lo = v[a];
    std::nth_element(v.begin(), v.begin() + static_cast<long>(b), v.end());
    hi = v[b];
  };
  range(xs, x0_, x1_);
  range(ys, y0_, y1_);
  double w = x1_ - x0_, h = y1_ - y0_;
  const double span = std::max(w, h);
  // A margin, and some extent even for a drawing along one line.
  const double pad = span > 0 && std::isfinite(span) ? span * 0.01 : 1.0;
  x0_ -= pad, y0_ -= pad, x1_ += pad, y1_ += pad;
  w = x1_ - x0_, h = y1_ - y0_;
  const double target = static_cast<double>(std::max<std::size_t>(64, n / kShapesPerCell));
  double cell = std::sqrt(w * h / target);
  if (!(cell > 0) || !std::isfinite(cell)) cell = 1.0;
  // No axis of the finest level with more than 4096 cells.
  cell = std::max(cell, std::max(w, h) / 4096);

  levels_.clear();
  for (int k = 0; k < kMaxLevels; ++k) {
    Level l;
    l.Cell = cell;
    l.Nx = static_cast<int>(std::min(4096.0, std::max(1.0, std::ceil(w / cell))));
    l.Ny = static_cast<int>(std::min(4096.0, std::max(1.0, std::ceil(h / cell))));
    l.Cells.resize(static_cast<std::size_t>(l.Nx) * static_cast<std::size_t>(l.Ny));
    const bool last = l.Nx == 1 && l.Ny == 1;
    levels_.push_back(std::move(l));
    if (last) break;
    cell *= kLevelGrowth;
  }
  laidOutFor_ = n;
  clamped_ = 0;
}

uint32_t TShapeIndex::CellOf(const TQShape* s) const {
  if (!s->HasFiniteBounds()) return kLarge;
  const double extent = std::max(s->MaxX - s->MinX, s->MaxY - s->MinY);
  for (std::size_t k = 0; k < levels_.size(); ++k) {
    const Level& l = levels_[k];
    if (extent > l.Cell) continue;
    const int ix = CellIndex((s->MinX + s->MaxX) / 2, x0_, l.Cell, l.Nx);
    const int iy = CellIndex((s->MinY + s->MaxY) / 2, y0_, l.Cell, l.Ny);
    return (static_cast<uint32_t>(k) << kLevelShift) | static_cast<uint32_t>(iy * l.Nx + ix);
  }
  return kLarge;
}

std::vector<uint32_t>& TShapeIndex::ListOf(uint32_t cell) {
  if (cell == kLarge) return large_;
  return levels_[cell >> kLevelShift].Cells[cell & ((1u << kLevelShift) - 1)];
}

void TShapeIndex::CountLayer(int layer, long delta) {
  std::size_t& c = layer >= 0 && static_cast<std::size_t>(layer) < kLayerTable
                       ? (static_cast<std::size_t>(layer) < layerCounts_.size()
                              ? layerCounts_[static_cast<std::size_t>(layer)]
                              : (layerCounts_.resize(static_cast<std::size_t>(layer) + 1, 0),
                                 layerCounts_[static_cast<std::size_t>(layer)]))
                       : otherLayerCounts_[layer];
  c = static_cast<std::size_t>(static_cast<long>(c) + delta);
}

std::size_t TShapeIndex::LayerCount(int layer) const {
  if (layer >= 0 && static_cast<std::size_t>(layer) < kLayerTable)
    return static_cast<std::size_t>(layer) < layerCounts_.size() ? layerCounts_[static_cast<std::size_t>(layer)] : 0;
  const auto it = otherLayerCounts_.find(layer);
  return it == otherLayerCounts_.end() ? 0 : it->second;
}

void TShapeIndex::File(TQShape* s, uint32_t position) {
  const uint32_t cell = CellOf(s);
  s->IndexCell = cell;
  ListOf(cell).push_back(position);
  CountLayer(s->Layer, 1);
  if (cell != kLarge && s->HasFiniteBounds()) {
    const double cx = (s->MinX + s->MaxX) / 2, cy = (s->MinY + s->MaxY) / 2;
    if (cx < x0_ || cx > x1_ || cy < y0_ || cy > y1_) ++clamped_;
  }
}

void TShapeIndex::Rebuild(const std::vector<TQShape*>& Shapes) {
  const std::size_t n = Shapes.size();
  Layout(Shapes);
  large_.clear();
  large_.shrink_to_fit();
  layerCounts_.clear();
  otherLayerCounts_.clear();
  // Two passes, so that every cell list is allocated at its size.
  std::vector<std::vector<uint32_t>> sizes(levels_.size());
  for (std::size_t k = 0; k < levels_.size(); ++k) sizes[k].assign(levels_[k].Cells.size(), 0);
  std::size_t large = 0;
  for (TQShape* s : Shapes) {
    const uint32_t cell = CellOf(s);
    s->IndexCell = cell;
    if (cell == kLarge)
      ++large;
    else
      ++sizes[cell >> kLevelShift][cell & ((1u << kLevelShift) - 1)];
  }
  for (std::size_t k = 0; k < levels_.size(); ++k)
    for (std::size_t c = 0; c < levels_[k].Cells.size(); ++c) levels_[k].Cells[c].reserve(sizes[k][c]);
  large_.reserve(large);
  for (std::size_t i = 0; i < n; ++i) {
    TQShape* s = Shapes[i];
    ListOf(s->IndexCell).push_back(static_cast<uint32_t>(i));
    CountLayer(s->Layer, 1);
  }
  marks_.assign((n + 63) / 64 + 1, 0);
  synced_ = n;
  last_ = n ? Shapes[n - 1] : nullptr;
  valid_ = true;
}

bool TShapeIndex::Query(const std::vector<TQShape*>& Shapes, double Left, double Right, double Bottom,
                        double Top, std::vector<uint32_t>& Out) const {
  Out.clear();
  if (!InStep(Shapes) || levels_.empty()) return false;
  if (!(Left <= Right) || !(Bottom <= Top)) return false;
  struct Range {
    const Level* level;
    int ax, bx, ay, by;
  };
  Range ranges[kMaxLevels];
  std::size_t count = large_.size();
  for (std::size_t k = 0; k < levels_.size(); ++k) {
    const Level& l = levels_[k];
    const double m = l.Cell * 0.51;  // half a cell, and a little for rounding
    Range& r = ranges[k];
    r.level = &l;
    r.ax = CellIndex(Left - m, x0_, l.Cell, l.Nx);
    r.bx = CellIndex(Right + m, x0_, l.Cell, l.Nx);
    r.ay = CellIndex(Bottom - m, y0_, l.Cell, l.Ny);
    r.by = CellIndex(Top + m, y0_, l.Cell, l.Ny);
    for (int y = r.ay; y <= r.by; ++y)
      for (int x = r.ax; x <= r.bx; ++x) count += l.Cells[static_cast<std::size_t>(y * l.Nx + x)].size();
  }
  // Most of the drawing: a pass in order is cheaper than marking it.
  if (count > synced_ / 4) return false;

  const std::size_t words = (synced_ + 63) / 64 + 1;
  if (marks_.size() < words) marks_.resize(words, 0);
  std::size_t lo = SIZE_MAX, hi = 0;
  auto mark = [&](const std::vector<uint32_t>& list) {
    for (uint32_t p : list) {
      const std::size_t w = p >> 6;
      marks_[w] |= uint64_t{1} << (p & 63);
      lo = std::min(lo, w);
      hi = std::max(hi, w);
    }
  };
  mark(large_);
  for (std::size_t k = 0; k < levels_.size(); ++k) {
    const Range& r = ranges[k];
    for (int y = r.ay; y <= r.by; ++y)
      for (int x = r.ax; x <= r.bx; ++x) mark(r.level->Cells[static_cast<std::size_t>(y * r.level->Nx + x)]);
  }
  if (lo == SIZE_MAX) return true;
  Out.reserve(count);
  for (std::size_t w = lo; w <= hi; ++w) {
    uint64_t bits = marks_[w];
    if (!bits) continue;
    marks_[w] = 0;
    while (bits) {
      const int b = __builtin_ctzll(bits);
      Out.push_back(static_cast<uint32_t>(w * 64 + static_cast<std::size_t>(b)));
      bits &= bits - 1;
    }
  }
  return true;
}

void TShapeIndex::Refile(TQShape* Shape, uint32_t Position) {
  if (!valid_ || Position >= synced_) return;
  EraseValue(ListOf(Shape->IndexCell), Position);
  CountLayer(Shape->Layer, -1);
  File(Shape, Position);
}

void TShapeIndex::Remove(const std::vector<TQShape*>& Shapes, const std::vector<std::size_t>& Removed) {
  if (!valid_ || Removed.empty() || Removed.front() >= synced_) return;
  if (!InStep(Shapes)) {
    valid_ = false;
    return;
  }
  const std::size_t first = Removed.front();
  if (synced_ - first > kMaxRenumber) {
    valid_ = false;
    return;
  }
  std::size_t r = 0, gone = 0;
  const TQShape* lastKept = first > 0 ? Shapes[first - 1] : nullptr;
  for (std::size_t j = first; j < synced_; ++j) {
    TQShape* s = Shapes[j];
    if (r < Removed.size() && Removed[r] == j) {
      ++r;
      ++gone;
      EraseValue(ListOf(s->IndexCell), static_cast<uint32_t>(j));
      CountLayer(s->Layer, -1);
    } else {
      if (gone) ReplaceValue(ListOf(s->IndexCell), static_cast<uint32_t>(j), static_cast<uint32_t>(j - gone));
      lastKept = s;
    }
  }
  synced_ -= gone;
  last_ = synced_ ? lastKept : nullptr;
}

void TShapeIndex::LayerChanged(int From, int To) {
  if (!valid_) return;
  CountLayer(From, -1);
  CountLayer(To, 1);
}

std::size_t TShapeIndex::Bytes() const {
  std::size_t b = marks_.capacity() * sizeof(uint64_t) + large_.capacity() * sizeof(uint32_t) +
                  layerCounts_.capacity() * sizeof(std::size_t);
  for (const Level& l : levels_) {
    b += l.Cells.capacity() * sizeof(std::vector<uint32_t>);
    for (const std::vector<uint32_t>& c : l.Cells) b += c.capacity() * sizeof(uint32_t);
  }
  return b;
}
