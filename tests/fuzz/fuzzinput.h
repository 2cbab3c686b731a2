#pragma once
// Shared by the fuzz targets: a byte view of the input, a scratch folder of
// this process for parsers that read files, and a split of one input into a
// few parts (settings + text, say).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzinput {

inline std::string Text(const uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// A folder made once per process under the system's temporary folder.
const std::string& ScratchFolder();

// Writes bytes into name inside the scratch folder; returns the whole path.
std::string WriteScratch(const std::string& name, const std::string& bytes);

// Cuts text at its first n occurrences of "\n--\n" into at most n + 1 parts;
// missing parts are empty.
std::vector<std::string> Parts(const std::string& text, std::size_t n);

}  // namespace fuzzinput
