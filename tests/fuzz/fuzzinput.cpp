#include "tests/fuzz/fuzzinput.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fuzzinput {

namespace {
struct Scratch {
  std::string path;
  Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quarix-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path = pattern;
    else std::abort();
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};
}  // namespace

const std::string& ScratchFolder() {
  static Scratch scratch;
  return scratch.path;
}

std::string WriteScratch(const std::string& name, const std::string& bytes) {
  const std::string path = ScratchFolder() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::vector<std::string> Parts(const std::string& text, std::size_t n) {
  static const std::string cut = "\n--\n";
  std::vector<std::string> parts;
  std::size_t from = 0;
  while (parts.size() < n) {
    const std::size_t at = text.find(cut, from);
    if (at == std::string::npos) break;
    parts.push_back(text.substr(from, at - from));
    from = at + cut.size();
  }
  parts.push_back(text.substr(from));
  parts.resize(n + 1);
  return parts;
}

}  // namespace fuzzinput
