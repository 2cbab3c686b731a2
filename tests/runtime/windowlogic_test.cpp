#include <gtest/gtest.h>

#include "runtime/windowlogic.h"

namespace {

TEST(LastFileFolderText, ParentOfTheFilesFolder) {
  const struct {
    const char* path;
    const char* shown;
  } cases[] = {
      {"/h/QVT/2026-01-30/QVT/2026-01-30 1415.qvt", "/h/QVT/2026-01-30/"},
      {"/x.qvt", "/"},          // the root has no parent: the file's own folder
      {"x.qvt", ""},            // no folder at all
      {"a/b.qvt", "a/"},        // a relative folder without parent
      {"/a/b/", "/a/"},
  };
  for (const auto& c : cases) EXPECT_EQ(LastFileFolderText(c.path), c.shown) << c.path;
}

TEST(LogFolderToOpen, TheDayFolderAboveTheLogFolder) {
  EXPECT_EQ(LogFolderToOpen("", "/h/QVT/2026-01-30/LOG/"), "/h/QVT/2026-01-30/");
  EXPECT_EQ(LogFolderToOpen("/h/QVT/2026-01-30/LOG/2026-01-30 QDM_GNSS_V3.log", "/other/LOG/"),
            "/h/QVT/2026-01-30/");
  EXPECT_EQ(LogFolderToOpen("raw.log", "/d/LOG/"), "/d/");  // a name without a folder
}

TEST(LatencyColor, BelowTheToleranceLimeOtherwiseRed) {
  EXPECT_EQ(LatencyColor("499", "500"), clLime);
  EXPECT_EQ(LatencyColor("500", "500"), clRed);
  EXPECT_EQ(LatencyColor("501", "500"), clRed);
  EXPECT_EQ(LatencyColor(" 12 ", "500"), clLime);
  EXPECT_FALSE(LatencyColor("499", "5OO").has_value());
  EXPECT_FALSE(LatencyColor("", "500").has_value());
  EXPECT_FALSE(LatencyColor("499", "").has_value());
  EXPECT_FALSE(LatencyColor("12.5", "500").has_value());
}

TEST(KeyboardPlaces, BottomRightAndBottomCentre) {
  const PanelPlace keypad = KeypadPlace(987, 541, 170, 200);
  EXPECT_EQ(keypad.left, 807);
  EXPECT_EQ(keypad.top, 331);
  const PanelPlace keyboard = KeyboardPlace(987, 541, 420, 200);
  EXPECT_EQ(keyboard.left, 283);  // 567 / 2 truncated
  EXPECT_EQ(keyboard.top, 331);
  EXPECT_EQ(KeyboardPlace(300, 400, 420, 200).left, -60);  // a narrow window: truncated toward zero
  EXPECT_EQ(KeyboardPlace(301, 400, 420, 200).left, -59);
}

TEST(KeyboardPlaces, ClearOfTheWindowTheyTypeIntoWhereTheScreenHasRoom) {
  const ScreenBox screen{0, 0, 1366, 768};
  const ScreenBox dialog{40, 117, 437, 460};
  struct Case {
    PanelPlace place;
    ScreenBox window;
    int left, top;
  };
  const Case cases[] = {
      {{283, 351}, dialog, 283, 462},               // over the dialog's lower part: below it
      {{807, 351}, dialog, 807, 351},               // beside the dialog: where it was
      {{283, 200}, {40, 400, 437, 700}, 283, 193},  // no room below: above
      {{283, 300}, {40, 150, 437, 700}, 283, 300},  // no room either way: where it was
      {{283, 462}, dialog, 283, 462},               // touching is not covering
  };
  for (const Case& c : cases) {
    const PanelPlace p = ClearOfWindow(c.place, 420, 205, c.window, screen);
    EXPECT_EQ(p.left, c.left);
    EXPECT_EQ(p.top, c.top) << c.place.left << "," << c.place.top;
  }
}

}  // namespace
