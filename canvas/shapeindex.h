#pragma once
// Spatial index of the drawing: which shapes may lie in a window, in drawing
// order, without a pass over every shape.
//
// A loose grid of a few levels: a shape is filed once, under the cell of its
// box centre on the finest level whose cells are at least as large as the
// box; a window then looks at its cells on each level, widened by half a
// cell. Shapes larger than the coarsest cells, or without a finite box, are
// kept in a list that every window looks at. Entries are positions in the
// canvas's shape list, so a window's shapes come out in drawing order.
//
// The index follows the list lazily: Sync files the shapes appended since
// the last call and files everything anew when the list changed in any
// other way it was not told of. The canvas tells it of removals, of edits
// that move a shape's box and of shapes that change layer. A record whose
// box is changed directly (not through the canvas) must be announced with
// the canvas's ShapesChanged.
//
// Besides the cells it counts the shapes of each layer, so that emptying a
// layer can stop looking once it has found them all.
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class TQShape;

class TShapeIndex {
 public:
  // Files shapes appended since the last call; after an unannounced change,
  // or when the drawing grew well past the grid it was laid out for, files
  // the whole list anew.
  void Sync(const std::vector<TQShape*>& Shapes);
  // Files everything anew at the next Sync.
  void Invalidate() { valid_ = false; }
  // The leading shapes of the list that are filed.
  std::size_t Synced() const { return valid_ ? synced_ : 0; }
  // True while the filed part is the list's own: nothing replaced or removed
  // behind the index's back.
  bool InStep(const std::vector<TQShape*>& Shapes) const;

  // Positions (ascending) of the filed shapes whose box may meet the window;
  // every shape that does is among them. False when the window's cells hold
  // so much of the drawing that a plain pass is the cheaper way.
  bool Query(const std::vector<TQShape*>& Shapes, double Left, double Right, double Bottom, double Top,
             std::vector<uint32_t>& Out) const;

  // The shape at a filed position changed its box.
  void Refile(TQShape* Shape, uint32_t Position);
  // Shapes leave the list: `Removed` holds the ascending positions taken out,
  // all within the list as it was; the list has not been compacted yet.
  // Updates the filed positions of the shapes after the first removed one.
  void Remove(const std::vector<TQShape*>& Shapes, const std::vector<std::size_t>& Removed);
  // A filed shape moves from layer From to layer To.
  void LayerChanged(int From, int To);

  // Shapes of the layer among the filed ones.
  std::size_t LayerCount(int Layer) const;

  // Heap bytes the index holds.
  std::size_t Bytes() const;

 private:
  struct Level {
    double Cell = 1;  // world size of a cell
    int Nx = 1, Ny = 1;
    std::vector<std::vector<uint32_t>> Cells;
  };
  static constexpr uint32_t kLarge = 0xFFFFFFFFu;
  static constexpr int kLevelBits = 4;
  static constexpr int kLevelShift = 32 - kLevelBits;

  void Rebuild(const std::vector<TQShape*>& Shapes);
  void Layout(const std::vector<TQShape*>& Shapes);
  uint32_t CellOf(const TQShape* Shape) const;
  void File(TQShape* Shape, uint32_t Position);
  std::vector<uint32_t>& ListOf(uint32_t Cell);
  void CountLayer(int Layer, long Delta);

  bool valid_ = false;
  std::size_t synced_ = 0;
  const TQShape* last_ = nullptr;  // the last filed shape
  std::size_t laidOutFor_ = 0;     // list size the grid was laid out for
  std::size_t clamped_ = 0;        // shapes filed since then outside the grid's area
  double x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;
  std::vector<Level> levels_;
  std::vector<uint32_t> large_;
  std::vector<std::size_t> layerCounts_;  // layers 0 .. 65535
  std::unordered_map<int, std::size_t> otherLayerCounts_;
  mutable std::vector<uint64_t> marks_;
};
