#include "term/geometry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string rect(int id, int mode, bool bars = true, int lines = 24, int cols = 80) {
  WindowRect r;
  r.left = -9;  // an unknown id must leave this alone
  layoutRect(id, mode, bars, lines, cols, r);
  if (r.height == 0 || r.width == 0) return "hidden";
  return std::to_string(r.left) + ".." + std::to_string(r.right) + "," +
         std::to_string(r.top) + ".." + std::to_string(r.bottom) + " " +
         std::to_string(r.height) + "x" + std::to_string(r.width);
}

TEST(LayoutTest, BothBarsOn80x24) {
  EXPECT_EQ(rect(kHyperWindow, 3), "0..77,0..21 22x78");
  EXPECT_EQ(rect(kMarkerBar, 3), "78..78,0..21 22x1");
  EXPECT_EQ(rect(kVScrollBar, 3), "79..79,0..21 22x1");
  EXPECT_EQ(rect(kTitleLine, 3), "0..59,22..22 1x60");
  EXPECT_EQ(rect(kHScrollBar, 3), "60..78,22..22 1x19");
  EXPECT_EQ(rect(kScrollBox, 3), "79..79,22..22 1x1");
  EXPECT_EQ(rect(kStatusLine, 3), "0..79,23..23 1x80");
}

TEST(LayoutTest, TheOtherModes) {
  EXPECT_EQ(rect(kHyperWindow, 0), "0..79,0..21 22x80");
  EXPECT_EQ(rect(kTitleLine, 0), "0..79,22..22 1x80");
  for (int id : {kHScrollBar, kVScrollBar, kScrollBox, kMarkerBar})
    EXPECT_EQ(rect(id, 0), "hidden") << id;

  EXPECT_EQ(rect(kHyperWindow, 1), "0..78,0..21 22x79");
  EXPECT_EQ(rect(kTitleLine, 1), "0..59,22..22 1x60");
  EXPECT_EQ(rect(kHScrollBar, 1), "60..78,22..22 1x19");
  EXPECT_EQ(rect(kVScrollBar, 1), "hidden");
  EXPECT_EQ(rect(kScrollBox, 1), "79..79,22..22 1x1");
  EXPECT_EQ(rect(kMarkerBar, 1), "79..79,0..21 22x1");

  EXPECT_EQ(rect(kHyperWindow, 2), "0..78,0..21 22x79");
  EXPECT_EQ(rect(kTitleLine, 2), "0..79,22..22 1x80");
  EXPECT_EQ(rect(kHScrollBar, 2), "hidden");
  EXPECT_EQ(rect(kVScrollBar, 2), "79..79,0..21 22x1");
  EXPECT_EQ(rect(kScrollBox, 2), "hidden");
  EXPECT_EQ(rect(kMarkerBar, 2), "hidden");
}

TEST(LayoutTest, ScrollBarsOffMeansPlainAndSmallestScreen) {
  for (int mode = 0; mode < 4; ++mode) {
    EXPECT_EQ(rect(kHyperWindow, mode, false), "0..79,0..21 22x80");
    EXPECT_EQ(rect(kTitleLine, mode, false), "0..79,22..22 1x80");
    for (int id : {kHScrollBar, kVScrollBar, kScrollBox, kMarkerBar})
      EXPECT_EQ(rect(id, mode, false), "hidden");
  }
  EXPECT_EQ(rect(kHyperWindow, 3, true, 10, 50), "0..47,0..7 8x48");
  EXPECT_EQ(rect(kTitleLine, 3, true, 10, 50), "0..29,8..8 1x30");
  EXPECT_EQ(rect(kStatusLine, 3, true, 10, 50), "0..49,9..9 1x50");
  WindowRect untouched;
  untouched.left = 5;
  layoutRect(8, 3, true, 24, 80, untouched);
  EXPECT_EQ(untouched.left, 5);
  layoutRect(0, 3, true, 24, 80, untouched);
  EXPECT_EQ(untouched.left, 5);
}

}  // namespace
