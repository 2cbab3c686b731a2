#pragma once
// One record of each kind the drawing reader builds, numbered so that no two
// are alike: drawings of any size for the reader's test and its benchmark.
#include <functional>
#include <string>
#include <vector>

struct QvtRecordKind {
  const char* name;
  std::function<std::string(int)> record;  // the i-th record's lines
};

inline std::vector<QvtRecordKind> QvtRecordKinds() {
  return {
      {"coloured LINE", [](int i) { return "LINE " + std::to_string(i) + ".5 2.25 3.125 4 1 65280 2\n"; }},
      {"coloured CIRCLE", [](int i) { return "CIRCLE " + std::to_string(i) + ".5 2.25 3.125 1 255 3\n"; }},
      {"TEXT",
       [](int i) { return "TEXT " + std::to_string(i) + ".5 2.25 1 0 255 10 -30 0 0 Arial " + std::to_string(i) + "\n"; }},
      {"POINT", [](int i) { return "POINT " + std::to_string(i) + ".5 2.25 1 0 1 12.5\n"; }},
      {"POLYLINE", [](int i) { return "POLYLINE 1 2 255 1\n" + std::to_string(i) + ".5 1\n3 4.75\n"; }},
  };
}
