#include "term/bars.h"

#include <gtest/gtest.h>

#include "term/glyphs.h"
#include "support/curses_screen.h"

namespace {

class KeyRecorder : public NCWindowBase {
 public:
  explicit KeyRecorder(NCScreenManager &screen) : NCWindowBase(screen, 1) {}
  void create() override {}
  void resize() override {}
  void refresh() override {}
  void processKey(int key) override { keys.push_back(key); }
  std::vector<int> keys;
};

MEVENT at(int x, int y, mmask_t state = BUTTON1_CLICKED) {
  MEVENT event = {};
  event.x = x, event.y = y, event.bstate = state;
  return event;
}

zqGeometryManager screenAndLayout() {
  useTestScreen();
  return zqGeometryManager(3, true);
}

// On the 80 x 24 test screen in layout mode 3: the vertical bar is column
// 79, lines 0-21 (a trough of 20); the horizontal one columns 60-78.
class ScrollBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vbar.target = &view;
    hbar.target = &view;
    vbar.setVisible(22);
    vbar.setTotal(100);
    hbar.setVisible(78);
    hbar.setTotal(200);  // a slider of 7 at columns 61-67
  }
  void expectParts(int before, int slider, int after) {
    EXPECT_EQ(vbar.before, before);
    EXPECT_EQ(vbar.slider, slider);
    EXPECT_EQ(vbar.after, after);
  }
  std::vector<int> keysOf(MEVENT event, ScrollBarBase &bar) {
    view.keys.clear();
    bar.processMouse(event);
    return view.keys;
  }
  zqGeometryManager geometry = screenAndLayout();
  zqScreenManager manager{geometry, ProfileConfig(), false};
  zqVScrollBar vbar{manager};
  zqHScrollBar hbar{manager};
  KeyRecorder view{manager};
};

TEST_F(ScrollBarTest, SliderSizeAndPlace) {
  EXPECT_EQ(vbar.length, 20);
  EXPECT_EQ(hbar.length, 17);
  expectParts(0, 4, 16);
  vbar.setPosition(78);
  expectParts(16, 4, 0);
  vbar.setPosition(500);  // clamped to total - visible
  EXPECT_EQ(vbar.position, 78);
  vbar.setPosition(-3);
  expectParts(0, 4, 16);
  vbar.setTotal(10000);  // never thinner than a cell
  expectParts(0, 1, 19);
  vbar.setPosition(9978);
  expectParts(19, 1, 0);
  vbar.setTotal(22);
  expectParts(0, 20, 0);
  vbar.setTotal(0);  // an empty document divides by one
  EXPECT_EQ(vbar.total, 1);
  EXPECT_EQ(vbar.visible, 0);
  // A million lines times the trough must not overflow.
  vbar.setVisible(22);
  vbar.setTotal(2000000000);
  vbar.setPosition(1999999978);
  expectParts(19, 1, 0);
}

TEST_F(ScrollBarTest, DrawnAsArrowsTroughAndSlider) {
  vbar.setPosition(22);  // before (20 x 22 + 50) / 100 = 4
  std::string column;
  for (int y = 0; y < 22; ++y) column += windowLine(vbar.win, y);
  // Line graphics are on by default: the trough is the "ckboard" glyph and
  // the arrows are arrows, which vt100's alternate set spells "a", "-", "."
  // ("," and "+" across); the slider is spaces.
  EXPECT_EQ(column, "-aaaa    aaaaaaaaaaaa.");
  const attr_t block = manager.look.slot[kAttrScrollBlock];
  const attr_t trough = manager.look.slot[kAttrScrollBar];
  for (int y = 1; y <= 20; ++y) {
    EXPECT_EQ(mvwinch(vbar.win, y, 0) & A_ATTRIBUTES, (y >= 5 && y <= 8) ? block : trough | A_ALTCHARSET)
        << "line " << y;
  }
  EXPECT_EQ(windowLine(hbar.win, 0),
            "," + std::string(7, ' ') + std::string(10, 'a') + "+");
}

TEST_F(ScrollBarTest, ClicksMakeKeysForTheTarget) {
  EXPECT_EQ(keysOf(at(79, 0), vbar), (std::vector<int>{KEY_SR}));
  EXPECT_EQ(keysOf(at(79, 21), vbar), (std::vector<int>{KEY_SF}));
  EXPECT_EQ(keysOf(at(79, 10, BUTTON1_PRESSED), vbar), (std::vector<int>{KEY_NPAGE}));
  EXPECT_EQ(vbar.dragDir, 1);
  EXPECT_EQ(vbar.dragPos, 10);
  // The slider (now lines 10-13) has reached the held pointer: on it goes.
  vbar.setPosition(44);
  EXPECT_EQ(keysOf(at(79, 10, BUTTON1_PRESSED), vbar), (std::vector<int>{KEY_NPAGE}));
  EXPECT_TRUE(keysOf(at(79, 11), vbar).empty());
  EXPECT_EQ(keysOf(at(79, 5), vbar), (std::vector<int>{KEY_PPAGE}));
  EXPECT_EQ(vbar.dragDir, -1);
  EXPECT_EQ(keysOf(at(79, 21), vbar), (std::vector<int>{KEY_SF}));
  EXPECT_EQ(vbar.dragDir, 0);

  EXPECT_EQ(keysOf(at(60, 22), hbar), (std::vector<int>{KEY_SLEFT}));
  EXPECT_EQ(keysOf(at(78, 22), hbar), (std::vector<int>{KEY_SRIGHT}));
  EXPECT_EQ(keysOf(at(75, 22), hbar), (std::vector<int>{KEY_SRIGHT}));
}

TEST_F(ScrollBarTest, DoubleAndTripleClicksRepeatOthersDoNothing) {
  EXPECT_EQ(keysOf(at(79, 15, BUTTON1_DOUBLE_CLICKED), vbar),
            (std::vector<int>{KEY_NPAGE, KEY_NPAGE}));
  EXPECT_EQ(keysOf(at(79, 0, BUTTON1_TRIPLE_CLICKED), vbar),
            (std::vector<int>{KEY_SR, KEY_SR, KEY_SR}));
  EXPECT_TRUE(keysOf(at(79, 0, BUTTON3_CLICKED), vbar).empty());
  EXPECT_TRUE(keysOf(at(79, 0, BUTTON1_RELEASED), vbar).empty());
  vbar.target = nullptr;
  EXPECT_TRUE(keysOf(at(79, 0), vbar).empty());
}

TEST_F(ScrollBarTest, HiddenBarsIgnoreClicksAndKeepTheBoxCell) {
  zqScrollBox box(manager);
  manager.setLayoutMode(2);  // no horizontal bar, no box
  EXPECT_EQ(hbar.win, nullptr);
  EXPECT_TRUE(keysOf(at(60, 22), hbar).empty());
  box.placeCursor();
  EXPECT_EQ(getcury(newscr) * 100 + getcurx(newscr), 22 * 100 + 79);
  manager.setLayoutMode(3);
  ASSERT_NE(box.win, nullptr);
  EXPECT_EQ(getbegy(box.win) * 100 + getbegx(box.win), 22 * 100 + 79);
}

}  // namespace
