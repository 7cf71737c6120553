#include "term/window.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>

#include "term/keys.h"
#include "support/curses_screen.h"

namespace {

class FixedGeometry : public NCGeometryManagerBase {
 public:
  FixedGeometry() : NCGeometryManagerBase(0) {}
  void computeRect(int id, WindowRect &r) override {
    if (rects.count(id)) r = rects[id];
  }
  std::map<int, WindowRect> rects;
};

WindowRect cells(int left, int top, int right, int bottom) {
  WindowRect r;
  r.left = left, r.top = top, r.right = right, r.bottom = bottom;
  r.height = bottom - top + 1, r.width = right - left + 1;
  return r;
}

// Records what reaches it; "q" ends the loop.
class Recorder : public NCWindowBase {
 public:
  Recorder(NCScreenManager &screen, int windowId) : NCWindowBase(screen, windowId) {
    create();
  }
  void create() override { computeAndRegister(); }
  void resize() override { ++resizes; }
  void refresh() override {}
  void touch() override { ++touches; }
  void processKey(int key) override {
    keys.push_back(key);
    if (key == 'q') manager->pushInputWindow(nullptr);
  }
  void processMouse(MEVENT &event) override { mouse.push_back(event.bstate); }
  void showPrefix(int ch, bool on) override { prefixes.push_back(on ? ch : -ch); }

  std::vector<int> keys, prefixes;
  std::vector<mmask_t> mouse;
  int resizes = 0, touches = 0;
};

// Plays a list of keys and mouse events instead of reading the terminal.
class ScriptedManager : public NCScreenManager {
 public:
  using NCScreenManager::NCScreenManager;
  int readKey() override {
    if (script.empty()) return 'q';
    std::pair<int, MEVENT> next = script.front();
    script.pop_front();
    mouseEvent = next.second;
    return next.first;
  }
  void key(int k) { script.push_back({k, MEVENT{}}); }
  void click(int x, int y, mmask_t state) {
    MEVENT event = {};
    event.x = x, event.y = y, event.bstate = state;
    script.push_back({KEY_MOUSE, event});
  }
  std::deque<std::pair<int, MEVENT>> script;
};

FixedGeometry threeWindows() {
  useTestScreen();
  FixedGeometry geometry;
  geometry.rects[1] = cells(0, 0, 9, 0);
  geometry.rects[2] = cells(0, 0, 9, 0);  // under the first: never reached
  geometry.rects[3] = cells(0, 5, 9, 5);
  return geometry;
}

class EventLoopTest : public ::testing::Test {
 protected:
  FixedGeometry geometry = threeWindows();
  ScriptedManager manager{geometry, DisplaySettings{kKeysDefault, true, true, true, 0}};
  Recorder hidden{manager, 7};  // registered first, a zero rectangle
  Recorder a{manager, 1}, b{manager, 2}, c{manager, 3};
};

TEST_F(EventLoopTest, KeysGoToTheInputWindowUntilItLetsGo) {
  manager.pushInputWindow(&c);
  manager.key('x');
  manager.key(KEY_F(9));
  manager.eventLoop();
  EXPECT_EQ(c.keys, (std::vector<int>{'x', KEY_F(9), 'q'}));
  EXPECT_EQ(manager.inputWindow, nullptr);
  EXPECT_TRUE(a.keys.empty());
}

TEST_F(EventLoopTest, MouseGoesToTheFirstShownWindowUnderThePointer) {
  manager.pushInputWindow(&c);
  manager.click(0, 0, BUTTON1_CLICKED);  // the hidden window's zeros too
  manager.click(4, 5, BUTTON1_CLICKED);
  manager.click(20, 20, BUTTON1_CLICKED);  // nobody's
  manager.eventLoop();
  EXPECT_EQ(a.mouse, (std::vector<mmask_t>{BUTTON1_CLICKED}));
  EXPECT_EQ(c.mouse, (std::vector<mmask_t>{BUTTON1_CLICKED}));
  EXPECT_TRUE(b.mouse.empty());
  EXPECT_TRUE(hidden.mouse.empty());
}

TEST_F(EventLoopTest, PressElsewhereReleasesTheHeldWindowFirst) {
  manager.pushInputWindow(&c);
  manager.click(1, 0, BUTTON1_PRESSED | BUTTON_SHIFT);
  manager.click(1, 5, BUTTON3_PRESSED);
  manager.eventLoop();
  EXPECT_EQ(a.mouse, (std::vector<mmask_t>{BUTTON1_PRESSED | BUTTON_SHIFT,
                                           BUTTON1_RELEASED | BUTTON_SHIFT}));
  EXPECT_EQ(c.mouse, (std::vector<mmask_t>{BUTTON3_PRESSED}));
}

TEST_F(EventLoopTest, PausesRepeatTheHeldPressUntilReleaseOrKey) {
  manager.pushInputWindow(&c);
  manager.click(1, 0, BUTTON1_PRESSED);
  manager.key(ERR);
  manager.key(ERR);
  manager.click(1, 0, BUTTON1_RELEASED);
  manager.key(ERR);
  manager.click(1, 0, BUTTON1_PRESSED);
  manager.key('k');
  manager.key(ERR);
  manager.eventLoop();
  EXPECT_EQ(a.mouse,
            (std::vector<mmask_t>{BUTTON1_PRESSED, BUTTON1_PRESSED, BUTTON1_PRESSED,
                                  BUTTON1_RELEASED, BUTTON1_PRESSED}));
}

TEST_F(EventLoopTest, StacksRestoreThePreviousWindow) {
  manager.pushInputWindow(&a);
  manager.pushInputWindow(&b);
  manager.pushCursorWindow(&c);
  EXPECT_EQ(manager.inputWindow, &b);
  manager.pushInputWindow(nullptr);
  EXPECT_EQ(manager.inputWindow, &a);
  manager.pushInputWindow(nullptr);
  manager.pushInputWindow(nullptr);  // an empty stack leaves none
  EXPECT_EQ(manager.inputWindow, nullptr);
  manager.pushCursorWindow(nullptr);
  EXPECT_EQ(manager.cursorWindow, nullptr);
}

TEST_F(EventLoopTest, LayoutChangeResizesEveryWindowOnce) {
  manager.setLayoutMode(0);
  EXPECT_EQ(a.resizes, 0);
  manager.setLayoutMode(2);
  EXPECT_EQ(geometry.layoutMode, 2);
  EXPECT_EQ(a.resizes + b.resizes + c.resizes + hidden.resizes, 4);
  EXPECT_EQ(c.touches, 1);  // and repaints them
}

TEST_F(EventLoopTest, DestroyedWindowLeavesNoPointerBehind) {
  auto extra = std::make_unique<Recorder>(manager, 3);
  manager.pushInputWindow(extra.get());
  manager.pushInputWindow(&a);
  manager.pushCursorWindow(extra.get());
  manager.prefixWindow = extra.get();
  const size_t count = manager.windows.size();
  extra.reset();
  EXPECT_EQ(manager.windows.size(), count - 1);
  EXPECT_EQ(manager.cursorWindow, nullptr);
  EXPECT_EQ(manager.prefixWindow, nullptr);
  manager.pushInputWindow(nullptr);
  EXPECT_EQ(manager.inputWindow, nullptr);
}

TEST(MouseStateTest, EveryPressBecomesItsRelease) {
  EXPECT_EQ(releaseOfPresses(BUTTON1_PRESSED | BUTTON4_PRESSED | BUTTON_CTRL),
            BUTTON1_RELEASED | BUTTON4_RELEASED | BUTTON_CTRL);
  EXPECT_EQ(releaseOfPresses(BUTTON2_CLICKED), BUTTON2_CLICKED);
}

// The filter in front of the terminal's keys, reading real bytes.
class KeyFilterTest : public ::testing::Test {
 protected:
  void SetUp() override { useTestScreen(); }
  static ProfileConfig keys(int keySet) {
    ProfileConfig config;
    config.KeyBinding = keySet;
    return config;
  }
  FixedGeometry geometry;
};

TEST_F(KeyFilterTest, RepaintKeysFollowTheKeySet) {
  const struct {
    int keySet;
    std::string typed;
    std::vector<int> read;  // what readKey gives
    int touches;            // the repaints on the way
  } cases[] = {
      {kKeysDefault, "\x12" "a" "\x0c", {'a', kCtrlL}, 1},
      {kKeysVi, "\x0c" "\x12" "\x06", {kCtrlR, kCtrlF}, 1},  // no prefix but by default
      {kKeysEmacs, "\x12" "\x0c", {kCtrlR, kCtrlL}, 0},
  };
  for (const auto &c : cases) {
    zqScreenManager manager(geometry, keys(c.keySet), false);
    Recorder view(manager, 1);
    typeKeys(c.typed);
    for (int key : c.read) EXPECT_EQ(manager.readKey(), key) << c.keySet;
    EXPECT_EQ(view.touches, c.touches) << c.keySet;
  }
}

}  // namespace
