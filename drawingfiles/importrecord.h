#pragma once
// Which layers the Import command made, remembered across runs in the
// settings file: for every imported file (by path) the layer its import drew
// on, with the number of shapes and the extent it left there. A later import
// of the same file takes that layer again only while it still holds just
// what the import left (after a restart, the reopened drawing brings it
// back; after Open, only a drawing that carries the import's shapes does),
// so an import never empties a layer that the user or the program filled.
#include <map>
#include <string>
#include <utility>

class IniFile;
class TQuarixCanvasModel;

// What an import left on a layer.
struct TImportMark {
  std::string Layer;
  long Shapes = 0;
  double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;  // extent of the shapes' anchors; 0 when none
};

// The mark of a layer as it stands; no shapes when the layer is missing.
TImportMark MarkImportLayer(const TQuarixCanvasModel& Canvas, const std::string& Layer);

class TImportRecord {
 public:
  // The record of one kind of layer, in its own settings section.
  explicit TImportRecord(std::string Section) : section_(std::move(Section)) {}

  void Load(const IniFile& Ini);
  void Save(IniFile& Ini) const;

  void Remember(const std::string& Path, const TImportMark& Mark) { marks_[Path] = Mark; }
  // Path -> layer for the imports whose layers still hold what they left,
  // or nothing at all (after New).
  std::map<std::string, std::string> OwnedLayers(const TQuarixCanvasModel& Canvas) const;

 private:
  std::string section_;
  std::map<std::string, TImportMark> marks_;
};
