#include <gtest/gtest.h>

#include <vector>

#include "runtime/screenshots.h"

namespace {

struct NamesCase {
  const char* name;
  std::vector<MonitorArea> monitors;
  std::vector<std::string> names;
};

TEST(ScreenshotNames, ByPlaceAmongTheMonitors) {
  const std::vector<NamesCase> cases = {
      {"one", {{0, 0, 1920, 1080}}, {"Primary"}},
      {"side by side", {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}}, {"Left", "Right"}},
      {"right one listed first", {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}}, {"Right", "Left"}},
      {"stacked, equal left edges", {{0, 0, 1920, 1080}, {0, -1080, 1920, 1080}}, {"Bottom", "Top"}},
      {"stacked, different left edges", {{0, 0, 1920, 1080}, {200, 1080, 1280, 1024}},
       {"Left", "Right"}},
      {"three in a row",
       {{1920, 0, 1920, 1080}, {0, 0, 1920, 1080}, {3840, 0, 1920, 1080}},
       {"Middle", "Left", "Right"}},
      {"three stacked",
       {{0, 0, 800, 600}, {0, 600, 800, 600}, {0, 1200, 800, 600}},
       {"Top", "Monitor2", "Bottom"}},
      {"same area twice", {{0, 0, 800, 600}, {0, 0, 800, 600}}, {"Monitor1", "Monitor2"}},
      // Two monitors stacked on the right of a third would both be "Right".
      {"repeated name gets the position",
       {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}, {1920, 1080, 1920, 1080}},
       {"Left", "Right2", "Right3"}},
      {"two repeated names",
       {{0, 0, 800, 600}, {0, 600, 800, 600}, {800, 0, 800, 600}, {800, 600, 800, 600}},
       {"Left1", "Left2", "Right3", "Right4"}},
  };
  for (const auto& c : cases) EXPECT_EQ(MonitorNames(c.monitors), c.names) << c.name;
  EXPECT_TRUE(MonitorNames({}).empty());
}

TEST(ScreenshotNames, FileNameAndFolder) {
  EXPECT_EQ(ScreenshotFolder("/home/u/QVT/2026-01-30/LOG/"), "/home/u/QVT/2026-01-30/PNG/");
  const std::string folder = "/home/u/QVT/2026-01-30/PNG/";
  EXPECT_EQ(ScreenshotFileName(folder, QDateTime(QDate(2026, 1, 30), QTime(14, 35, 12, 999)), "Left"),
            folder + "QDM 2026-01-30 143512 Left.png");
  EXPECT_EQ(ScreenshotFileName(folder, QDateTime(QDate(2026, 12, 3), QTime(21, 5, 9)), "Monitor2"),
            folder + "QDM 2026-12-03 210509 Monitor2.png");
}

}  // namespace
