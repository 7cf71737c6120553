// The windows of the full-screen view on a real terminal (tmux), around a
// stand-in for the tree view whose cells are row labels and dots.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"
#include "support/tmux_screen.h"

namespace {

using Screen = std::vector<std::string>;

// Row y of the stand-in, as many columns as it has.
std::string viewLine(int y, int width, const std::string &match = "alpha") {
  std::string line =
      (y == 0 ? "match " + match + " " : "") + "row " + std::to_string(y) + " ";
  line.resize(static_cast<size_t>(width), '.');
  return line;
}

int viewWidthIn(int mode, int C) { return mode == 0 ? C : mode == 3 ? C - 2 : C - 1; }

const std::string kStatusText = "/demo/link/target";
const std::string kHint = "F9=Switch display";

std::string cellsOf(const Screen &screen, int column, int from, int to) {
  std::string cells;
  for (int y = from; y <= to; ++y) cells += screen[y][column];
  return cells;
}

// Checks the screen against the layout of the view's windows in a mode
// (with the glyphs TERM=screen uses: "-" "." "," "+" arrows, "a" trough).
void expectLayout(const Screen &screen, int mode, int C, int L) {
  ASSERT_EQ(static_cast<int>(screen.size()), L) << showScreen(screen);
  const bool hbar = mode == 1 || mode == 3, vbar = mode == 2 || mode == 3;
  const int viewWidth = viewWidthIn(mode, C);
  const int markerColumn = mode == 1 ? C - 1 : mode == 3 ? C - 2 : -1;
  SCOPED_TRACE("mode " + std::to_string(mode) + " on " + std::to_string(C) + "x" +
               std::to_string(L) + "\n" + showScreen(screen));
  for (int y = 0; y <= L - 3; ++y) {
    EXPECT_EQ(screen[y].substr(0, viewWidth), viewLine(y, viewWidth)) << "line " << y;
    // Even rows are wider than the view, so the marker bar flags them.
    if (markerColumn >= 0) {
      EXPECT_EQ(screen[y][markerColumn], y % 2 == 0 ? '+' : ' ');
    }
  }
  if (vbar) {
    std::string bar = cellsOf(screen, C - 1, 0, L - 3);
    EXPECT_EQ(bar.front(), '-');
    EXPECT_EQ(bar.back(), '.');
    EXPECT_EQ(bar.find_first_not_of(" a", 1), bar.size() - 1) << bar;
  }
  const int titleWidth = hbar ? C - 20 : C;
  EXPECT_EQ(screen[L - 2].substr(0, titleWidth), pad("  vok 0.1.0", titleWidth));
  if (hbar) {
    const std::string bar = screen[L - 2].substr(C - 20, 19);
    EXPECT_EQ(bar.front(), ',');
    EXPECT_EQ(bar.back(), '+');
    EXPECT_EQ(bar.find_first_not_of(" a", 1), bar.size() - 1) << bar;
    EXPECT_EQ(screen[L - 2][C - 1], ' ');  // the scroll box
  }
  EXPECT_EQ(screen[L - 1], statusLine(kStatusText, C));
}

class DemoScreen : public TmuxScreen {
 public:
  DemoScreen(const ScopedTempDir &dir, int cols, int lines,
             const std::vector<std::string> &options = {})
      : TmuxScreen(dir.path(), cols, lines, argv(options)) {}

  // Waits until the view's first line is drawn in full at this width.
  Screen settled(int viewWidth, const std::string &match = "alpha") const {
    waitFor([&](const Screen &s) {
      return !s.empty() && s[0].compare(0, viewWidth, viewLine(0, viewWidth, match)) == 0;
    });
    return capture();
  }
  // Waits until the whole first line is that of a layout mode: the view's
  // row, then the marker bar's "+" and the vertical bar's up arrow where the
  // mode has them. No other mode's first line, nor a cropped one, matches.
  Screen settledIn(int mode, int C) const {
    const std::string top = viewLine(0, viewWidthIn(mode, C)) +
                            (mode == 1 || mode == 3 ? "+" : "") +
                            (mode == 2 || mode == 3 ? "-" : "");
    waitFor([&](const Screen &s) { return !s.empty() && s[0] == top; });
    return capture();
  }
  // Curses joins clicks closer together than its click interval (a sixth
  // of a second) into double and triple clicks, wherever they fall.
  void separateClick(int x, int y) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    click(x, y);
  }
  // Waits until a line of the screen begins with the text.
  bool showsAt(int line, const std::string &text) const {
    return waitFor([&](const Screen &s) {
      return line < static_cast<int>(s.size()) &&
             s[line].compare(0, text.size(), text) == 0;
    });
  }
  int count(const std::string &line) const {
    std::vector<std::string> lines = log();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }

 private:
  static std::vector<std::string> argv(const std::vector<std::string> &options) {
    std::vector<std::string> all = {VOK_WINDOW_DEMO};
    all.insert(all.end(), options.begin(), options.end());
    return all;
  }
};

// The stand-in cycles the layout mode 3, 0, 1, 2 with "+".
class WindowLayoutTest : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(WindowLayoutTest, EveryModeAsTheLayoutTableSays) {
  const int C = GetParam().first, L = GetParam().second;
  ScopedTempDir dir;
  DemoScreen screen(dir, C, L);
  for (int mode : {3, 0, 1, 2}) {
    if (mode != 3) screen.keys({"+"});
    expectLayout(screen.settledIn(mode, C), mode, C, L);
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, WindowLayoutTest,
                         ::testing::Values(std::make_pair(80, 24),
                                           std::make_pair(50, 10)));

TEST(WindowLayoutTest, WithoutScrollBarsEveryModeIsPlain) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24, {"--no-scrollbar"});
  for (int i = 0; i < 4; ++i) {
    if (i > 0) screen.keys({"+"});
    screen.waitForLog(i == 0 ? "ready" : "key +");
    expectLayout(screen.settled(80), 0, 80, 24);
  }
}

TEST(ScrollBarTest, HeldButtonKeepsPagingUntilReleased) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24, {"--rate", "1"});
  screen.settled(78);
  screen.press(79, 15);
  // The slider reaches the pointer after two pages and paging goes on.
  ASSERT_TRUE(screen.waitFor([&](const Screen &) {
    return screen.count("key KEY_NPAGE") >= 5;
  })) << screen.count("key KEY_NPAGE");
  ASSERT_TRUE(screen.showsAt(1, "row 79 "));
  screen.release(79, 15);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const int after = screen.count("key KEY_NPAGE");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(screen.count("key KEY_NPAGE"), after);
}

TEST(ScrollBarTest, NoRepetitionWithRateZero) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24, {"--rate", "0"});
  screen.settled(78);
  screen.press(79, 15);
  ASSERT_TRUE(screen.waitForLog("key KEY_NPAGE"));
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_EQ(screen.count("key KEY_NPAGE"), 1);
  screen.release(79, 15);
}

// Work that waits for no key (a large tree's layout) runs a step at a time
// while none comes; a key that comes meanwhile is taken between two steps,
// and the work ends when it says it is done.
TEST(IdleWorkTest, StepsRunBetweenKeysUntilDone) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24, {"--idle", "30"});
  ASSERT_TRUE(screen.waitForLog("ready"));
  screen.keys({"+"});
  ASSERT_TRUE(screen.waitForLog("key +"));
  EXPECT_LT(screen.count("idle"), 30) << "the key waited for the work";
  ASSERT_TRUE(screen.waitFor([&](const Screen &) { return screen.count("idle") == 30; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(screen.count("idle"), 30);
}

const char *const kDefaultPages[] = {
    "  Keys (1):  Arrows,PgUp,PgDn,Home,End=Move cursor  Enter,Space=Select",
    "  Keys (2):  ^R,F8=Repaint screen  F9=Switch display  ^C,F10=Quit",
    "  Keys (3):  Keypad Center=Center highlight  `,',`.'=Pan left/right",
    "  Keys (4):  A-Z,a-z,0-9=Enter find mode",
    "  Keys in find mode:  Up/Dn=Prev/next match  TAB=Exit find  ENTER=Select"};

TEST(StatusLineTest, F9TurnsThePagesAndBack) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24);
  screen.settled(78);
  for (const char *page : kDefaultPages) {
    screen.keys({"F9"});
    EXPECT_TRUE(screen.waitForLine(23, pad(page, 80))) << showScreen(screen.capture());
  }
  screen.keys({"F9"});
  EXPECT_TRUE(screen.waitForLine(23, statusLine(kStatusText, 80)));
}

TEST(StatusLineTest, ClicksTurnThePagesOneByClick) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24);
  screen.settled(78);
  screen.click(5, 23);
  EXPECT_TRUE(screen.waitForLine(23, pad(kDefaultPages[0], 80)));
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  screen.click(40, 23, 2);  // a double click: two pages
  EXPECT_TRUE(screen.waitForLine(23, pad(kDefaultPages[2], 80)))
      << showScreen(screen.capture());
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  screen.click(40, 23, 3);  // pages 4, 5 and the link page again
  EXPECT_TRUE(screen.waitForLine(23, statusLine(kStatusText, 80)))
      << showScreen(screen.capture());
}

TEST(StatusLineTest, HelpTextsOfTheViAndEmacsKeySets) {
  ScopedTempDir dir;
  {
    DemoScreen screen(dir, 80, 24, {"--keys", "vi"});
    screen.settled(78);
    screen.keys({"F9", "F9"});
    EXPECT_TRUE(screen.waitForLine(
        23,
        pad("  Keys (2v):  ^L,F8=Repaint screen  F9=Switch display  ^C,F10=Quit", 80)));
    screen.keys({"F9", "F9", "F9"});
    EXPECT_TRUE(screen.waitForLine(
        23, pad("  Keys in find mode:  Up,?=Prev  Dn,/=Next  TAB=Exit find  ENTER=Select",
                80)));
  }
  ScopedTempDir other;
  DemoScreen screen(other, 80, 24, {"--keys", "emacs"});
  screen.settled(78);
  screen.keys({"F9", "F9", "F9", "F9"});
  EXPECT_TRUE(screen.waitForLine(
      23, pad("  Keys (4e):  C-s,C-r,A-Z,a-z,0-9=Enter find mode", 80)));
}

TEST(StatusLineTest, LongTextsAreCutWithAnEllipsis) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24);
  screen.settled(78);
  // The title line has 60 columns: 55 bytes and "..." from column 2.
  screen.keys({"!"});
  EXPECT_TRUE(screen.showsAt(22, "  " + std::string(55, 'T') + "..."))
      << showScreen(screen.capture());
  // The link gets 80 - 17 - 3 - 2 = 58 bytes, so "..." and its last 55:
  // a long path reads by its end.
  screen.keys({"@"});
  const std::string link = "/very/long/link/" + std::string(100, 'L') + "<end>";
  EXPECT_TRUE(screen.waitForLine(
      23, "  ..." + link.substr(link.size() - 55) + " " + kHint + "  "))
      << showScreen(screen.capture());
  // Control bytes and bytes from 0x80 show as "?".
  screen.keys({"#"});
  EXPECT_TRUE(screen.showsAt(22, pad("  tab?here?and??", 60)))
      << showScreen(screen.capture());
}

TEST(StatusLineTest, NarrowScreenCutsHelpAndKeepsTheHint) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 50, 10);
  screen.settled(48);
  EXPECT_EQ(screen.capture()[9], statusLine(kStatusText, 50));
  screen.keys({"F9"});
  EXPECT_TRUE(
      screen.waitForLine(9, "  " + std::string(kDefaultPages[0]).substr(2, 45) + "..."))
      << showScreen(screen.capture());
}

TEST(KeyFilterTest, F8AndCtrlRRepaintTheScreen) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24);
  const std::string row4 = viewLine(4, 78);
  screen.settled(78);
  for (const char *repaint : {"F8", "C-r"}) {
    screen.keys({"%"});
    ASSERT_TRUE(
        screen.waitFor([](const Screen &s) { return s[4].find("GARBAGE") == 4; }));
    screen.keys({repaint});
    EXPECT_TRUE(screen.showsAt(4, row4)) << repaint << "\n"
                                         << showScreen(screen.capture());
  }
  screen.keys({"Down"});
  ASSERT_TRUE(screen.waitForLog("key KEY_DOWN"));
  EXPECT_EQ(screen.count("key KEY_F(8)") + screen.count("key ^R"), 0);
}

TEST(KeyFilterTest, CtrlFPrefixGivesFunctionKeys) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24);
  screen.settled(78);
  screen.keys({"C-f"});
  EXPECT_TRUE(screen.waitForLine(
      23, pad("  ^F:  8=Repaint screen  9=Switch display  0=Quit", 80)));
  screen.keys({"C-f"});
  EXPECT_TRUE(screen.waitForLine(23, statusLine(kStatusText, 80)));
  // A digit ends the prefix as a function key; another key is dropped.
  screen.keys({"C-f", "5"});
  ASSERT_TRUE(screen.waitForLog("key KEY_F(5)"));
  screen.keys({"C-f", "x", "NPage"});
  ASSERT_TRUE(screen.waitForLog("key KEY_NPAGE"));
  std::vector<std::string> log = screen.log();
  EXPECT_EQ(log[log.size() - 2], "key KEY_F(5)");
  screen.keys({"C-f", "0"});
  ASSERT_TRUE(screen.waitForLog("key KEY_F(10)"));
  ASSERT_TRUE(screen.waitForExit());
  EXPECT_EQ(screen.exitStatus(), 0);
  EXPECT_EQ(screen.log().back(), "done");
}

const char kTooSmall[] = "Screen too small - please resize to make it bigger.";

TEST(TooSmallTest, BelowFiftyByTenOnlyAsksForRoomAndDropsKeys) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24);
  screen.settled(78);
  for (std::pair<int, int> size : {std::make_pair(49, 10), std::make_pair(50, 9)}) {
    screen.resize(size.first, size.second);
    const int C = size.first;
    EXPECT_TRUE(screen.waitFor([&](const Screen &s) {
      return s.size() > 1 && s[0] == std::string(kTooSmall).substr(0, C) &&
             s[1] == pad(std::string(kTooSmall).substr(C), C);
    })) << showScreen(screen.capture());
    screen.keys({"+", "NPage", "C-f", "0"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  screen.resize(80, 24);
  expectLayout(screen.settledIn(3, 80), 3, 80, 24);
  screen.resize(50, 10);
  expectLayout(screen.settledIn(3, 50), 3, 50, 10);
  screen.keys({"Down"});
  ASSERT_TRUE(screen.waitForLog("key KEY_DOWN"));
  EXPECT_EQ(screen.log(),
            (std::vector<std::string>{screen.log()[0], "ready", "key KEY_DOWN"}));
}

std::string findLine(const std::string &text, const char *mode, int width = 60) {
  return pad("  Find: [" + pad(text, 16) + "]  " + mode, width);
}

TEST(FindLineTest, TypingEditsTheEntryAndSearches) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24);
  screen.settled(78);
  screen.keys({"s"});
  EXPECT_TRUE(screen.showsAt(22, findLine("s", "Ins"))) << showScreen(screen.capture());
  EXPECT_EQ(screen.cursor(), std::make_pair(10, 22));
  screen.keys({"r", "c"});
  screen.settled(78, "src");
  EXPECT_TRUE(screen.showsAt(22, findLine("src", "Ins")));
  // Overwrite in the middle, delete at the start, backspace at the end.
  screen.keys({"IC"});
  EXPECT_TRUE(screen.showsAt(22, findLine("src", "Ovr")));
  screen.keys({"Left", "Left", "v"});
  ASSERT_TRUE(screen.waitForLog("find svc forward"));
  EXPECT_EQ(screen.cursor(), std::make_pair(11, 22));
  screen.keys({"Home", "DC", "End", "BSpace"});
  ASSERT_TRUE(screen.waitForLog("find v forward"));
  EXPECT_TRUE(screen.showsAt(22, findLine("v", "Ovr")));
  const std::vector<std::string> searches = {"find s forward",   "find sr forward",
                                             "find src forward", "find svc forward",
                                             "find vc forward",  "find v forward"};
  std::vector<std::string> log = screen.log();
  std::vector<std::string> found;
  for (const std::string &line : log)
    if (line.compare(0, 5, "find ") == 0) found.push_back(line);
  EXPECT_EQ(found, searches);
  // Down searches on, F9 reaches the view, Tab leaves with the title back.
  screen.keys({"Down"});
  ASSERT_TRUE(screen.waitForLog("findNext v"));
  screen.keys({"F9"});
  ASSERT_TRUE(screen.waitForLog("passKey KEY_F(9)"));
  EXPECT_TRUE(screen.waitForLine(23, pad(kDefaultPages[0], 80)));
  screen.keys({"Tab"});
  EXPECT_TRUE(screen.showsAt(22, pad("  vok 0.1.0", 60)));
  EXPECT_EQ(screen.cursor(), std::make_pair(79, 22));
  // Keys reach the view again; a new search starts empty and inserting.
  screen.keys({"Down", "d"});
  ASSERT_TRUE(screen.waitForLog("key KEY_DOWN"));
  EXPECT_TRUE(screen.showsAt(22, findLine("d", "Ins")));
  screen.keys({"Enter"});
  EXPECT_TRUE(screen.showsAt(22, pad("  vok 0.1.0", 60)));
  EXPECT_EQ(screen.count("find d forward"), 2);  // typed, and once more on Enter
}

TEST(FindLineTest, SixteenthCharacterIsRefused) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24);
  screen.settled(78);
  screen.literal("abcdefghijklmnopq");
  ASSERT_TRUE(screen.waitForLog("find abcdefghijklmno forward"));
  screen.keys({"BSpace"});
  ASSERT_TRUE(screen.waitForLog("find abcdefghijklmn forward"));
  EXPECT_TRUE(screen.showsAt(22, findLine("abcdefghijklmn", "Ins")));
}

TEST(FindLineTest, NarrowLineCutsTheModeWord) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 50, 10);
  screen.settled(48);
  screen.keys({"d"});
  // 30 columns: "]  " at 25..27 and two bytes of "Ins".
  EXPECT_TRUE(screen.showsAt(8, "  Find: [d               ]  In"))
      << showScreen(screen.capture());
}

TEST(FindLineTest, ViRepeatsTheLastSearchByCount) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24, {"--keys", "vi"});
  screen.settled(78);
  screen.keys({"/", "d", "o", "Enter"});
  ASSERT_TRUE(screen.waitForLog("find do forward"));
  EXPECT_TRUE(screen.showsAt(22, pad("  vok 0.1.0", 60)));
  screen.keys({"/", "Enter", "?", "Enter"});
  ASSERT_TRUE(screen.waitForLog("findPrev do"));
  EXPECT_EQ(screen.count("findNext do"), 1);
  EXPECT_EQ(screen.count("find  backward"), 1);  // "?" starts an empty backward search
}

TEST(FindLineTest, EmacsSearchesBothWaysWithCtrlSAndCtrlR) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24, {"--keys", "emacs"});
  screen.settled(78);
  screen.keys({"C-r", "d", "C-s", "C-r"});
  ASSERT_TRUE(screen.waitForLog("findPrev d"));
  std::vector<std::string> log = screen.log();
  EXPECT_EQ(std::vector<std::string>(log.end() - 5, log.end()),
            (std::vector<std::string>{"key ^R", "find  backward", "find d backward",
                                      "findNext d", "findPrev d"}));
}

TEST(FindLineTest, SpaceEndsTheSearchOnlyWithSpaceSelect) {
  ScopedTempDir dir;
  {
    DemoScreen screen(dir, 80, 24, {"--no-space-select"});
    screen.settled(78);
    screen.keys({"a", "Space", "b"});
    EXPECT_TRUE(screen.waitForLog("find a b forward"));
    // F10 in find mode ends the whole display.
    screen.keys({"F10"});
    ASSERT_TRUE(screen.waitForExit());
    EXPECT_EQ(screen.log().back(), "done");
    EXPECT_EQ(screen.count("passKey KEY_F(10)"), 1);
  }
  ScopedTempDir other;
  DemoScreen screen(other, 80, 24);
  screen.settled(78);
  screen.keys({"a", "Space", "b"});
  ASSERT_TRUE(screen.waitForLog("find b forward"));  // a new search
  EXPECT_EQ(screen.count("find a forward"), 2);      // typed, then accepted
}

TEST(FindLineTest, BackspaceOnEmptyTextLeaves) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24);
  screen.settled(78);
  screen.keys({"x", "BSpace"});
  ASSERT_TRUE(screen.waitForLog("find  forward"));
  screen.keys({"BSpace", "Down"});
  ASSERT_TRUE(screen.waitForLog("key KEY_DOWN"));
  EXPECT_TRUE(screen.showsAt(22, pad("  vok 0.1.0", 60)));
}

TEST(TerminalTest, InterruptEndsTheDisplayWithStatusZero) {
  ScopedTempDir dir;
  DemoScreen screen(dir, 80, 24);
  screen.settled(78);
  screen.signal(SIGINT);
  ASSERT_TRUE(screen.waitForExit());
  EXPECT_EQ(screen.exitStatus(), 0);
  EXPECT_EQ(screen.log().back(), "ready");  // ended from the signal, not the loop
}

// Run where hangups are ignored (as under nohup), the program must still
// end when its terminal goes, not spin on reads that fail at once.
TEST(TerminalTest, LostTerminalEndsTheProgram) {
  ScopedTempDir dir;
  TmuxScreen screen(dir.path(), 80, 24,
                    {"sh", "-c", "trap '' HUP; exec \"$0\" \"$@\"", VOK_WINDOW_DEMO});
  ASSERT_TRUE(screen.programAlive());
  screen.hangUp();
  for (int i = 0; i < 250 && screen.programAlive(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(screen.programAlive());
}

}  // namespace
