// A KMZ archive through the loader: expanded into its work folder in the
// program folder, its KML read, the folder removed. Whatever the archive
// holds ("..", absolute names, links, devices), nothing may appear outside the
// work folder and the work folder must be gone afterwards.
#include <cstdlib>
#include <filesystem>
#include <set>

#include "drawingfiles/QuarixKMZLoader.h"
#include "platform/paths.h"
#include "tests/fuzz/fuzzinput.h"

namespace fs = std::filesystem;

namespace {
std::set<std::string> Listing(const fs::path& root) {
  std::set<std::string> names;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    names.insert(it->path().string());
  return names;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The scratch folder holds a program folder (work folders go there) and
  // lies a few floors below the watched scratch folder, so an entry climbing
  // out is seen.
  const fs::path root = fuzzinput::ScratchFolder();
  const fs::path program = root / "a" / "b" / "c" / "program";
  fs::create_directories(program);
  platform::SetProgramPathForTests((program / "QuarixDM").string());
  const std::string path = fuzzinput::WriteScratch("a/b/c/program/input.kmz", fuzzinput::Text(data, size));
  const std::set<std::string> before = Listing(root);
  {
    TQuarixKMZLoader loader;
    loader.LoadFromFile(path);
  }
  if (Listing(root) != before) std::abort();
  return 0;
}
