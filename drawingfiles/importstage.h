#pragma once
// Imports replace only what they have read: the shapes of an import are
// drawn on a hidden work layer first, and the layer the import replaces keeps
// its shapes until the whole file has been read. A failed or cancelled
// import leaves the map as it was.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class TQuarixCanvasModel;

// How far a long read has come (Done of Total units, bytes mostly); false
// asks the reader to stop: the import is then cancelled.
using TImportProgress = std::function<bool(uint64_t Done, uint64_t Total)>;

class TImportStage {
 public:
  // Makes the hidden work layer, with the properties of the layer named Name
  // when there is one, else those of a new layer.
  TImportStage(TQuarixCanvasModel& Canvas, const std::string& Name);
  // Abort, unless committed.
  ~TImportStage();
  TImportStage(const TImportStage&) = delete;
  TImportStage& operator=(const TImportStage&) = delete;

  // The work layer, where the import draws.
  int Layer() const { return work_; }
  // Empties the layer named Name (opened now when there is none), moves the
  // work layer's shapes onto it with the pen colour the work layer got, and
  // removes the work layer. Returns the layer's number.
  int Commit();
  // Deletes the work layer with its shapes, and the block definitions stored
  // since the stage began.
  void Abort();

 private:
  void RemoveWorkLayer();

  TQuarixCanvasModel& canvas_;
  std::string name_;
  int work_ = -1;
  std::size_t blocks_ = 0;
  bool open_ = true;
};
