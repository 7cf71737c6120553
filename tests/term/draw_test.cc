#include "term/draw.h"

#include <gtest/gtest.h>

#include "support/curses_screen.h"

namespace {

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    useTestScreen();
    line = newwin(1, 80, 0, 0);
  }
  void TearDown() override { delwin(line); }
  std::string truncated(int width, const std::string &text) {
    werase(line);
    drawTruncated(line, width, 20, text.c_str(), false);
    std::string shown = windowLine(line, 0);
    return shown.substr(0, shown.find_last_not_of(' ') + 1);
  }
  WINDOW *line = nullptr;
};

TEST_F(DrawTest, UnprintableBytesShowAsQuestionMarks) {
  EXPECT_EQ(drawPrintable(line, "a\tb\x01 c\xc3\xa9", false), 8);
  EXPECT_EQ(windowLine(line, 0).substr(0, 8), "a?b? c??");
  wmove(line, 0, 0);
  EXPECT_EQ(drawPrintableN(line, "xyz", 2, false), 2);
  EXPECT_EQ(drawPrintableN(line, "x", 5, false), 1);
}

TEST_F(DrawTest, TextLongerThanItsRoomEndsInAnEllipsis) {
  const std::string fits(58, 'f');
  EXPECT_EQ(truncated(60, fits), "  " + fits);
  EXPECT_EQ(truncated(60, fits + "g"), "  " + std::string(55, 'f') + "...");
  EXPECT_EQ(truncated(21, std::string(30, 'h')), "  " + std::string(16, 'h') + "...");
  EXPECT_EQ(truncated(20, "short"), "");  // 20 columns or less: nothing
  EXPECT_EQ(truncated(60, ""), "");
}

TEST_F(DrawTest, FilledLineIsSpacesInTheAttribute) {
  drawPrintable(line, "old", false);
  fillLine(line, 80, A_REVERSE);
  EXPECT_EQ(windowLine(line, 0), std::string(80, ' '));
  EXPECT_EQ(mvwinch(line, 0, 79) & A_ATTRIBUTES, static_cast<chtype>(A_REVERSE));
}

}  // namespace
