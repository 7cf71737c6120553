// The full-screen displays of the real program on a real terminal (tmux):
// what they show, every key set, find mode, lists, the tree of one
// directory, the mouse, sizes, and the whole way back through a shell.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_vok.h"
#include "support/tmux_screen.h"
#include "support/trees.h"
#include "tree/dir_tree.h"
#include "tree/tree_file.h"

namespace {

using Screen = std::vector<std::string>;

// Glyphs as tmux shows them: the line-drawing letters of the alternate
// character set, the plain characters with GraphicChar off, or the lines
// themselves when the program runs in a UTF-8 locale.
struct Glyphs {
  std::string h, hd, v, vr, ur;
};
const Glyphs kLineDrawing = {"q", "w", "x", "t", "m"};
const Glyphs kPlain = {"-", "+", "|", "+", "+"};
const Glyphs kUnicode = {"\u2500", "\u252c", "\u2502", "\u251c", "\u2514"};

// tree: doc (new, old), src, tmp
class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char *d : {"doc/old", "doc/new", "src", "tmp"}) vok.makeTreeDirs(d);
  }
  void scan(const std::string &config = "") { ASSERT_EQ(vok.scanTree(config).status, 0); }
  std::unique_ptr<TmuxScreen> show(const std::vector<std::string> &args, int cols = 80,
                                   int lines = 24) {
    unlink(vok.newDirFile().c_str());
    return std::make_unique<TmuxScreen>(vok.dir().path(), cols, lines,
                                        vok.commandLine(args));
  }
  // Waits until the document's title is up on line `line`: the frame
  // shows "vok 0.1.0" alone there before the document is laid out, so
  // something must follow it.
  static bool titled(const TmuxScreen &screen, int line = 22,
                     const std::string &more = "") {
    return screen.waitFor([&](const Screen &s) {
      return static_cast<int>(s.size()) > line && s[line].size() > 14 &&
             s[line].compare(0, 14 + more.size(), "  vok 0.1.0   " + more) == 0 &&
             s[line][14] != ' ';
    });
  }
  // Types the keys and waits for the program to end; the new directory.
  std::string typeAndEnd(TmuxScreen &screen, const std::vector<std::string> &keys) {
    for (const std::string &key : keys) screen.keys({key});
    if (!screen.waitForExit()) {
      ADD_FAILURE() << "still running\n" << showScreen(screen.capture());
      return "";
    }
    EXPECT_EQ(screen.exitStatus(), 0);
    EXPECT_TRUE(screen.restored());
    return readFile(vok.newDirFile());
  }
  Screen exampleRows(const Glyphs &g) const {
    const std::string sp(root.size() + 1, ' ');
    return {root + g.h + g.hd + g.h + "doc" + g.h + g.hd + g.h + "new",
            sp + g.v + "     " + g.ur + g.h + "old", sp + g.vr + g.h + "src",
            sp + g.ur + g.h + "tmp"};
  }

  VokRunner vok;
  const std::string root = vok.tree();
};

class TreeScreenTest : public BrowserTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TreeScreenTest, TheWholeTreeCellForCell) {
  const bool graphic = GetParam();
  scan(graphic ? "" : "GraphicChar = no\n");
  auto screen = show({"-T"});
  ASSERT_TRUE(titled(*screen, 22, "Last scan: ")) << showScreen(screen->capture());
  Screen s = screen->capture();
  const Screen rows = exampleRows(graphic ? kLineDrawing : kPlain);
  for (int y = 0; y < 22; ++y)
    EXPECT_EQ(s[y], pad(y < 4 ? rows[y] : "", 80)) << "line " << y << "\n"
                                                   << showScreen(s);
  EXPECT_EQ(s[22].size(), 80u) << "no scroll bar shares the title line";
  EXPECT_EQ(s[23], statusLine(root)) << "the first link is highlighted";
  screen->keys({"Down"});
  EXPECT_TRUE(screen->waitForLine(23, statusLine(root + "/src")));
  screen->keys({"Right"});
  EXPECT_TRUE(screen->waitForLine(23, statusLine(root + "/tmp")));
  screen->keys({"F9"});
  EXPECT_TRUE(screen->waitForLine(
      23,
      pad("  Keys (1):  Arrows,PgUp,PgDn,Home,End=Move cursor  Enter,Space=Select", 80)));
  screen->keys({"F9", "F9", "F9"});
  EXPECT_TRUE(
      screen->waitForLine(23, pad("  Keys (4):  A-Z,a-z,0-9=Enter find mode", 80)));
  EXPECT_EQ(typeAndEnd(*screen, {"F10"}), ".");
}

INSTANTIATE_TEST_SUITE_P(GraphicChar, TreeScreenTest, ::testing::Bool());

struct Keys {
  const char *config;
  std::vector<std::string> keys;
  const char *chosen;  // below the root, "" for the root, "." for none
};

const Keys kKeys[] = {
    {"", {"Down", "Enter"}, "/src"},
    {"", {"Right", "Right", "Space"}, "/doc/new"},
    {"", {"End", "Home", "NPage", "Enter"}, "/tmp"},
    {"", {"C-c"}, "."},
    {"", {"F10"}, "."},
    {"", {"C-f", "0"}, "."},
    {"KeyBinding = vi", {"j", "j", "Enter"}, "/tmp"},
    {"KeyBinding = vi", {"2", "l", "Enter"}, "/doc/new"},
    {"KeyBinding = vi", {"G", "g", "g", "Enter"}, ""},
    {"KeyBinding = vi", {"Z", "Z"}, "."},
    {"KeyBinding = emacs", {"C-n", "Enter"}, "/src"},
    {"KeyBinding = emacs", {"Escape", "f", "Enter"}, "/doc"},
    // Find mode. The root's own name holds "vok", so "o" matches it first.
    {"", {"s", "r", "c", "Enter", "Enter"}, "/src"},
    {"", {"d", "o", "c", "BSpace", "BSpace", "BSpace", "BSpace", "Enter"}, "/doc"},
    {"", {"o", "Down", "Enter", "Enter"}, "/doc"},
    {"", {"o", "Up", "Enter", "Enter"}, "/doc/old"},
    {"", {"s", "r", "c", "Space", "Space"}, "/src"},
    {"SpaceSelect = no", {"s", "r", "c", "Space", "Space", "F10"}, "."},
    {"", {"s", "F9", "F10"}, "."},
    {"KeyBinding = vi", {"/", "s", "r", "c", "Enter", "Enter"}, "/src"},
    {"KeyBinding = vi", {"/", "o", "Enter", "2", "/", "Enter", "Enter"}, "/doc/old"},
    {"KeyBinding = emacs", {"s", "r", "c", "Enter", "Enter"}, "/src"},
    {"KeyBinding = emacs", {"C-r", "n", "e", "w", "Enter", "Enter"}, "/doc/new"},
    // Leaving find mode without a choice: Escape, or ^G in the emacs set.
    {"", {"s", "r", "Escape", "Down", "Enter"}, "/tmp"},
    {"KeyBinding = vi", {"/", "s", "r", "Escape", "j", "Enter"}, "/tmp"},
    {"KeyBinding = emacs", {"s", "r", "C-g", "C-n", "Enter"}, "/tmp"},
};

TEST_F(BrowserTest, KeysOfEveryKeySet) {
  for (const Keys &k : kKeys) {
    std::string label = k.config;
    for (const std::string &key : k.keys) label += " " + key;
    SCOPED_TRACE(label);
    scan(k.config);
    auto screen = show({"-T"});
    ASSERT_TRUE(titled(*screen));
    const std::string expected = *k.chosen == '.' ? "." : root + k.chosen;
    EXPECT_EQ(typeAndEnd(*screen, k.keys), expected) << "no line feed after the path";
  }
}

TEST_F(BrowserTest, BrowsingStartsAtTheCurrentDirectoryAndClicksSelect) {
  scan();
  vok.setCwd(root + "/doc/old");
  auto screen = show({});
  ASSERT_TRUE(titled(*screen));
  EXPECT_EQ(screen->capture()[23], statusLine(root + "/doc/old"));
  EXPECT_EQ(typeAndEnd(*screen, {"Down", "Enter"}), root + "/src");

  screen = show({"-B", "-M"});
  ASSERT_TRUE(titled(*screen));
  screen->click(static_cast<int>(root.size()) + 4, 3);  // on "tmp"
  ASSERT_TRUE(screen->waitForExit());
  EXPECT_EQ(readFile(vok.newDirFile()), root + "/tmp");

  // The DefaultTree directories instead of the whole tree.
  scan("DefaultTree = \"" + root + "/doc\"\n");
  screen = show({});
  ASSERT_TRUE(titled(*screen));
  Screen s = screen->capture();
  const Glyphs &g = kLineDrawing;
  EXPECT_EQ(s[0], pad(root + "/doc" + g.h + g.hd + g.h + "new", 80)) << showScreen(s);
  EXPECT_EQ(s[1], pad(std::string(root.size() + 5, ' ') + g.ur + g.h + "old", 80));
  EXPECT_EQ(s[2], pad("", 80));
  EXPECT_EQ(s[23], statusLine(root + "/doc/old"));
  EXPECT_EQ(typeAndEnd(*screen, {"F10"}), ".");
}

TEST_F(BrowserTest, ListsOfMatchesAndBookmarks) {
  for (const char *d : {"a/qq", "b/qq", "c/qq", "d/qq", "e/qq"}) makeDirs(root + "/" + d);
  scan();
  auto screen = show({"qq"});
  ASSERT_TRUE(titled(*screen, 22, "Found: 5   Last scan: "))
      << showScreen(screen->capture());
  Screen s = screen->capture();
  const char *letters = "abcde";
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(
        s[i],
        pad(" " + std::to_string(i + 1) + " " + root + "/" + letters[i] + "/qq ", 80));
  EXPECT_EQ(s[5], pad("", 80));
  EXPECT_EQ(s[23], statusLine(root + "/a/qq"));
  EXPECT_EQ(typeAndEnd(*screen, {"Down", "Enter"}), root + "/b/qq");

  screen = show({"qq", "9"});
  ASSERT_TRUE(titled(*screen, 22, "Found: 5"))
      << "a number beyond the count shows the list";
  EXPECT_EQ(typeAndEnd(*screen, {"End", "Enter"}), root + "/e/qq");

  // Only a row whose text goes past the right edge is marked as going on:
  // not the others, padded to the widest, nor the last.
  makeDirs(root + "/0" + std::string(90, 'l') + "/ww");
  makeDirs(root + "/a/ww");
  ASSERT_EQ(vok.run({"-rq"}).status, 0);
  screen = show({"ww", "9"});
  ASSERT_TRUE(titled(*screen, 22, "Found: 2"));
  s = screen->capture();
  EXPECT_EQ(s[0].substr(79), "+") << showScreen(s);
  EXPECT_EQ(s[1], pad(" 2 " + root + "/a/ww", 80)) << showScreen(s);
  EXPECT_EQ(typeAndEnd(*screen, {"F10"}), ".");

  ASSERT_EQ(vok.run({"-ba", root + "/c/qq", root + "/a/qq"}).status, 0);
  screen = show({"-b"});
  ASSERT_TRUE(titled(*screen, 22, "Found: 2"));
  EXPECT_EQ(screen->capture()[0], pad(" 1 " + root + "/c/qq ", 80)) << "in file order";
  EXPECT_EQ(typeAndEnd(*screen, {"Down", "Space"}), root + "/a/qq");
}

TEST_F(BrowserTest, TheTreeOfOneDirectory) {
  scan();
  const Glyphs &g = kLineDrawing;
  vok.setCwd(root + "/doc/new");
  makeDirs(root + "/doc/later");
  auto screen = show({"-t", root + "/doc"});
  ASSERT_TRUE(titled(*screen));
  Screen s = screen->capture();
  EXPECT_EQ(s[0], pad(root + "/doc" + g.h + g.hd + g.h + "new", 80)) << showScreen(s);
  EXPECT_EQ(s[2], pad("", 80)) << "saved tree, not rescanned";
  EXPECT_EQ(s[23], statusLine(root + "/doc"));
  EXPECT_EQ(typeAndEnd(*screen, {"Enter"}), root + "/doc");

  screen = show({"-tr", root + "/doc"});
  ASSERT_TRUE(titled(*screen));
  EXPECT_EQ(screen->capture()[1],
            pad(std::string(root.size() + 5, ' ') + g.vr + g.h + "new", 80))
      << showScreen(screen->capture()) << "rescanned: later comes first";
  EXPECT_EQ(typeAndEnd(*screen, {"F10"}), ".");

  const std::string outside = vok.dir().file("outside");
  makeDirs(outside + "/x");
  screen = show({"-t", outside});
  ASSERT_TRUE(titled(*screen));
  s = screen->capture();
  EXPECT_EQ(s[0], pad(outside + g.h + g.h + g.h + "x", 80)) << "scanned first";
  EXPECT_EQ(s[1].compare(0, root.size() + 8, root + "/doc/new"), 0)
      << "the current directory as a second root\n"
      << showScreen(s);
  EXPECT_EQ(typeAndEnd(*screen, {"Right", "Enter"}), outside + "/x");
}

TEST_F(BrowserTest, SymbolicLinksJumpToTheirTarget) {
  ASSERT_EQ(symlink((root + "/doc/old").c_str(), (root + "/lnk").c_str()), 0);
  scan();
  auto screen = show({"-T"});
  ASSERT_TRUE(titled(*screen));
  const std::string row = screen->capture()[2];
  EXPECT_NE(row.find("lnk q+ " + root + "/doc/old"), std::string::npos) << row;
  for (const char *key : {"l", "n", "k", "Enter"}) screen->keys({key});
  ASSERT_TRUE(screen->waitForLine(23, statusLine("#" + root + "/doc/old")));
  screen->keys({"Enter"});
  ASSERT_TRUE(screen->waitForLine(23, statusLine(root + "/doc/old"))) << "jumped";
  EXPECT_EQ(typeAndEnd(*screen, {"Enter"}), root + "/doc/old");

  // A target that may be entered but not listed is jumped to all the same.
  // As root, where permissions do not bite, vok runs as another user.
  makeDirs(root + "/nolist");
  ASSERT_EQ(symlink("nolist", (root + "/link_nolist").c_str()), 0);
  chmod((root + "/nolist").c_str(), 0311);
  if (runningAsRoot()) {
    chmod(vok.dir().path().c_str(), 0755);
    ASSERT_EQ(system(("chown -R 54321:54321 " + shellQuote(vok.dir().path())).c_str()),
              0);
    vok.setUser(54321, 54321);
  }
  scan();
  screen = show({"-T"});
  ASSERT_TRUE(titled(*screen));
  for (const char *key : {"l", "i", "n", "k", "_", "n", "Enter", "Enter"})
    screen->keys({key});
  EXPECT_TRUE(screen->waitForLine(23, statusLine(root + "/nolist")))
      << showScreen(screen->capture());
  EXPECT_EQ(typeAndEnd(*screen, {"F10"}), ".");
}

TEST_F(BrowserTest, SmallScreens) {
  scan();
  auto screen = show({"-T"}, 49, 20);
  ASSERT_TRUE(screen->waitForExit());
  EXPECT_EQ(screen->exitStatus(), 8);
  EXPECT_TRUE(screen->restored());
  EXPECT_TRUE(screen->waitFor([](const Screen &s) {
    for (const std::string &line : s)
      if (line.compare(0, 21, "vok: screen too small") == 0) return true;
    return false;
  })) << showScreen(screen->capture());
  EXPECT_EQ(readFile(vok.newDirFile()), ".");

  screen = show({"-T"}, 50, 10);
  ASSERT_TRUE(titled(*screen, 8)) << "exactly 50 x 10 is enough";
  screen->resize(49, 10);
  ASSERT_TRUE(screen->waitForLine(
      0, pad("Screen too small - please resize to make it bigger", 49)));
  screen->keys({"Enter"});  // dropped
  screen->resize(80, 24);
  ASSERT_TRUE(titled(*screen));
  EXPECT_EQ(screen->exitStatus(), -1);
  EXPECT_EQ(screen->capture()[0], pad(exampleRows(kLineDrawing)[0], 80));
  EXPECT_EQ(typeAndEnd(*screen, {"Down", "Enter"}), root + "/src");

  // While too small the way out stays open, in find mode too.
  const Keys quits[] = {
      {"", {"F10"}, "."}, {"", {"s", "C-c"}, "."}, {"KeyBinding = vi", {"q"}, "."}};
  for (const Keys &quit : quits) {
    scan(quit.config);
    screen = show({"-T"}, 50, 10);
    ASSERT_TRUE(titled(*screen, 8));
    if (quit.keys.size() > 1) screen->keys({quit.keys[0]});
    screen->resize(49, 10);
    ASSERT_TRUE(screen->waitForLine(
        0, pad("Screen too small - please resize to make it bigger", 49)));
    EXPECT_EQ(typeAndEnd(*screen, {quit.keys.back()}), ".") << quit.keys.back();
  }
}

// The mouse: a click in find mode selects and ends the display; a drag that
// starts on a scroll bar selects nothing; the wheel scrolls three lines a
// notch. And the status line keeps the end of a path too long for it.
TEST_F(BrowserTest, MouseAndLongPaths) {
  for (int i = 0; i < 40; ++i) vok.makeTreeDirs("m" + std::to_string(10 + i));
  std::string deep = "deep";
  for (int i = 0; i < 8; ++i) deep += "/level-with-a-long-name-" + std::to_string(i);
  vok.makeTreeDirs(deep + "/target");
  scan();
  auto screen = show({"-T"});
  ASSERT_TRUE(titled(*screen));
  const std::string top = screen->capture()[0];
  screen->press(79, 15);  // the vertical bar's trough
  ASSERT_TRUE(screen->waitFor([&](const Screen &s) { return s[0] != top; }));
  screen->release(static_cast<int>(root.size()) + 6, 4);  // over a name
  screen->keys({"F9", "F9"});  // a round of the status line: still running
  ASSERT_TRUE(screen->waitForLine(
      23, pad("  Keys (2):  ^R,F8=Repaint screen  F9=Switch display  ^C,F10=Quit", 80)));
  EXPECT_EQ(screen->exitStatus(), -1) << "the release selected nothing";
  screen->keys({"F9", "F9", "F9", "F9"});
  // Paged to the end by the held press: the wheel goes up, then down again.
  // The view's columns alone: the bar beside them moves too.
  auto view = [](const std::string &line) { return line.substr(0, 79); };
  const Screen before = screen->capture();
  screen->wheel(20, 5, true);
  ASSERT_TRUE(screen->waitFor([&](const Screen &s) {
    return view(s[3]) == view(before[0]);
  })) << "three lines up\n"
      << showScreen(screen->capture());
  screen->wheel(20, 5, false);
  ASSERT_TRUE(
      screen->waitFor([&](const Screen &s) { return view(s[0]) == view(before[0]); }));

  for (const char *key : {"t", "a", "r", "g"}) screen->keys({key});
  const std::string end = root + "/" + deep + "/target";
  EXPECT_TRUE(screen->waitForLine(
      23, pad("  ..." + end.substr(end.size() - 55), 61) + "F9=Switch display  "))
      << showScreen(screen->capture());
  screen = show({"-T"});
  ASSERT_TRUE(titled(*screen));
  screen->keys({"s", "r"});
  ASSERT_TRUE(screen->waitForLine(23, statusLine(root + "/src")));
  const Screen found = screen->capture();
  int line = 0;
  while (line < 21 && found[static_cast<size_t>(line)].find("qm") == std::string::npos)
    ++line;
  const size_t at = found[static_cast<size_t>(line)].find("qm") + 1;
  const std::string name = found[static_cast<size_t>(line)].substr(at, 3);
  screen->click(static_cast<int>(at) + 1, line);
  ASSERT_TRUE(screen->waitForExit()) << showScreen(screen->capture());
  EXPECT_EQ(readFile(vok.newDirFile()), root + "/" + name) << "the display ended at once";
}

// The display ends by a signal or an error with the terminal in its normal
// modes (stty in the pane afterwards) and the shell where it was.
TEST_F(BrowserTest, SignalsAndErrorsLeaveTheTerminalAsItWas) {
  scan();
  const std::string modes = vok.dir().file("modes");
  struct Ending {
    int signal;  // 0: an error at the selection
    int status;  // as the shell sees it
  };
  for (const Ending &ending : {Ending{SIGINT, 0}, Ending{SIGTERM, 128 + SIGTERM},
                               Ending{SIGHUP, 128 + SIGHUP}, Ending{0, 2}}) {
    SCOPED_TRACE(ending.signal);
    unlink(modes.c_str());
    unlink(vok.newDirFile().c_str());
    TmuxScreen screen(vok.dir().path(), 80, 24,
                      vok.commandLine({"-T"}) + "; s=$?; stty -a > " + shellQuote(modes) +
                          "; (exit $s)");
    ASSERT_TRUE(titled(screen));
    if (ending.signal != 0) {
      const std::string shell = screen.paneInfo("#{pane_pid}");
      ASSERT_EQ(
          system(("pkill -" + std::to_string(ending.signal) + " -P " + shell).c_str()),
          0);
    } else {
      // The new-directory file cannot be written any more.
      unlink(vok.newDirFile().c_str());
      makeDirs(vok.newDirFile());
      screen.keys({"Enter"});
    }
    ASSERT_TRUE(screen.waitForExit());
    EXPECT_EQ(screen.exitStatus(), ending.status);
    EXPECT_TRUE(screen.restored());
    ASSERT_TRUE(screen.waitFor([&](const Screen &) { return !readFile(modes).empty(); }));
    std::istringstream words(readFile(modes));
    std::set<std::string> on(std::istream_iterator<std::string>(words), {});
    for (const char *mode : {"icanon", "echo", "isig", "icrnl", "opost"})
      EXPECT_TRUE(on.count(mode)) << mode << " is off";
    if (ending.signal != 0) {
      EXPECT_EQ(readFile(vok.newDirFile()), ".");
    } else {
      rmdir(vok.newDirFile().c_str());
      EXPECT_TRUE(screen.waitFor([&](const Screen &s) {
        for (const std::string &line : s)
          if (line.find("vok: cannot create file " + vok.newDirFile()) == 0) return true;
        return false;
      })) << showScreen(screen.capture());
    }
  }
}

// Names are shown as text on a terminal, never obeyed as its commands; a
// pipe gets them byte for byte.
// Without Utf8Names every byte from 0x80 on is a "?" there: 0x9b begins a
// control sequence on a terminal in 8-bit mode.
TEST_F(BrowserTest, NamesReachTheTerminalAsText) {
  makeDirs(root + "/esc\033[2Jwiped");
  makeDirs(root + "/title\033]2;HIJACK\007x");
  makeDirs(root + "/high\xe9\x9b" "2J\xff");
  scan();
  EXPECT_NE(vok.run({"-rf"}).out.find("/esc\033[2Jwiped\n"), std::string::npos);
  const auto shown = [](TmuxScreen &screen) {
    EXPECT_TRUE(screen.waitForExit());
    std::string all;
    for (const std::string &line : screen.capture()) all += line + "\n";
    return all;
  };
  auto screen = show({"-rf"});
  const std::string all = shown(*screen);
  EXPECT_NE(all.find(root + "/esc?[2Jwiped\n"), std::string::npos) << all;
  EXPECT_NE(all.find(root + "/title?]2;HIJACK?x\n"), std::string::npos) << all;
  EXPECT_NE(all.find(root + "/high??2J?\n"), std::string::npos) << all;
  EXPECT_NE(screen->paneInfo("#{pane_title}"), "HIJACK");
  screen = show({"-t", "/x\xe9\x9b" "2J\xff\x01"});
  EXPECT_NE(shown(*screen).find("vok: cannot find directory /x??2J??.  Command ignored\n"),
            std::string::npos)
      << showScreen(screen->capture());
}

// Names in UTF-8 with Utf8Names on in a UTF-8 locale: each as written and
// in its cells in the tree, the find line, the status line and a list; a
// wide character cut by an edge leaves its cell blank. Off, the screen is
// what it always was.
enum class Utf8Mode { kGraphic, kPlainGlyphs, kOff };
class Utf8NamesTest : public BrowserTest, public ::testing::WithParamInterface<Utf8Mode> {
 protected:
  void SetUp() override { vok.setEnv("LC_ALL", "C.UTF-8"); }
};

TEST_P(Utf8NamesTest, NamesAsWritten) {
  const Utf8Mode mode = GetParam();
  // "w" and 40 wide characters: at the view's right edge the last that
  // fits may straddle it, depending on where the name starts.
  const size_t nameAt = root.size() + 3, fit = (78 - nameAt) / 2;
  std::string wide;
  for (int i = 0; i < 40; ++i) wide += "\u672c";
  const std::string cut = wide.substr(3);  // 39 of them
  // The names in the tree's order, and how they show with the setting on.
  struct Name {
    std::string bytes, shown;
  } names[] = {
      {std::string("b\xff") + "d", "b?d"},
      {"caf\u00e9", "caf\u00e9"},
      {"c\u0085d", "c??d"},  // a C1 control, two bytes
      {"e\u0301t", "e\u0301t"},
      {"smile\U0001f600", "smile\U0001f600"},
      {"w" + wide, "w" + wide.substr(0, 3 * fit) + ((78 - nameAt) % 2 ? " +" : "+")},
      {"\u65e5\u672c\u8a9e", "\u65e5\u672c\u8a9e"},
  };
  const size_t last = std::size(names) - 1;
  for (const Name &n : names) makeDirs(root + "/" + n.bytes);
  scan(mode == Utf8Mode::kOff           ? "Utf8Names = no\n"
       : mode == Utf8Mode::kPlainGlyphs ? "Utf8Names = yes\nGraphicChar = no\n"
                                        : "Utf8Names = yes\n");
  auto screen = show({"-T"});
  ASSERT_TRUE(titled(*screen)) << showScreen(screen->capture());
  auto trimmed = [](std::string line) {
    return line.erase(line.find_last_not_of(' ') + 1);
  };
  const std::string sp(root.size() + 1, ' ');
  const Glyphs &g = mode == Utf8Mode::kGraphic       ? kUnicode
                    : mode == Utf8Mode::kPlainGlyphs ? kPlain
                                                     : kLineDrawing;
  Screen expected;
  for (size_t i = 0; i <= last; ++i) {
    std::string shown = names[i].shown;
    if (mode == Utf8Mode::kOff) {
      shown = names[i].bytes;
      for (char &c : shown)
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    }
    expected.push_back((i == 0 ? root + g.h + g.hd : sp + (i == last ? g.ur : g.vr)) +
                       g.h + shown);
  }
  if (mode == Utf8Mode::kOff) expected[5] = expected[5].substr(0, 79) + "+";
  const Screen s = screen->capture();
  for (size_t y = 0; y < 22; ++y)
    EXPECT_EQ(trimmed(s[y]), y < expected.size() ? expected[y] : "")
        << "line " << y << "\n"
        << showScreen(s);
  EXPECT_EQ(s[23], statusLine(root));
  if (mode != Utf8Mode::kGraphic) return;

  // Every cell of a name carries the name's colours, whatever its width,
  // highlighted or not: no change of attributes inside a name.
  const Screen styled = screen->captureStyled();
  EXPECT_NE(styled[1].find("caf\u00e9"), std::string::npos) << styled[1];
  EXPECT_EQ(styleBefore(styled[last], "\u65e5"), styleBefore(styled[1], "caf")) << styled[last];
  screen->keys({"Down", "Down", "Down", "Down", "Down"});
  ASSERT_TRUE(screen->waitFor([&](const Screen &now) {
    return trimmed(now[5]) == "w" + cut + "+";
  })) << showScreen(screen->capture());
  EXPECT_NE(screen->captureStyled()[5].find("w\u672c"), std::string::npos);

  // Highlighted, the name starts the view; panned a column, the last wide
  // character is cut, then the first; the name's end stops the panning.
  for (const std::string &row : {"w" + cut + "+", cut + " +", " " + cut, " " + cut}) {
    EXPECT_TRUE(screen->waitFor([&](const Screen &now) {
      return trimmed(now[5]) == row;
    })) << showScreen(screen->capture());
    screen->keys({"."});
  }

  // Find mode takes characters, and Backspace deletes a whole one; a click
  // on the second cell of a wide character selects its name.
  auto status = [&](const std::string &path, size_t cells) {
    return "  " + path + std::string(59 - cells, ' ') + "F9=Switch display";
  };
  screen = show({"-T"});
  ASSERT_TRUE(titled(*screen));
  screen->literal("\u00e9");
  EXPECT_TRUE(screen->waitFor([&](const Screen &now) {
    return trimmed(now[23]) == status(root + "/caf\u00e9", root.size() + 5);
  })) << showScreen(screen->capture());
  screen->keys({"BSpace"});
  screen->literal("\u65e5");
  EXPECT_TRUE(screen->waitFor([&](const Screen &now) {
    return now[22].rfind("  Find: [\u65e5              ]  Ins", 0) == 0 &&
           trimmed(now[23]) == status(root + "/\u65e5\u672c\u8a9e", root.size() + 7);
  })) << showScreen(screen->capture());
  EXPECT_EQ(screen->cursor().first, 11);
  screen->click(static_cast<int>(nameAt) + 1, static_cast<int>(last));
  ASSERT_TRUE(screen->waitForExit()) << showScreen(screen->capture());
  EXPECT_EQ(readFile(vok.newDirFile()), root + "/\u65e5\u672c\u8a9e");

  ASSERT_EQ(vok.run({"-ba", root + "/caf\u00e9"}).status, 0);
  screen = show({"-b"});
  ASSERT_TRUE(titled(*screen, 22, "Found: 1"));
  EXPECT_EQ(trimmed(screen->capture()[0]), " 1 " + root + "/caf\u00e9");
  EXPECT_NE(screen->captureStyled()[0].find("caf\u00e9"), std::string::npos)
      << "no hole in the bar";
}

INSTANTIATE_TEST_SUITE_P(Modes, Utf8NamesTest,
                         ::testing::Values(Utf8Mode::kGraphic, Utf8Mode::kPlainGlyphs,
                                           Utf8Mode::kOff));

// A saved tree of 200 000 directories, written without making them.
TEST_F(BrowserTest, ATreeOfTwoHundredThousandDirectories) {
  DirNodeRef model = dirNode("/vok-model");
  for (int i = 0; i < 200; ++i) {
    DirNodeRef d = dirNode("d" + std::to_string(1000 + i));
    for (int j = 0; j < 1000; ++j)
      d->children.push_back(dirNode("e" + std::to_string(10000 + j)));
    model->children.push_back(d);
  }
  DirTree tree;
  tree.rootList = {model};
  saveTree(vok.dir().file("tree.gz"), tree);
  auto screen = show({"-T"}, 100, 30);
  ASSERT_TRUE(titled(*screen, 28)) << showScreen(screen->capture());
  screen->keys({"End"});
  ASSERT_TRUE(screen->waitForLine(29, statusLine("/vok-model/d1199/e10999", 100)));
  Screen s = screen->capture();
  EXPECT_EQ(s[27].substr(0, 35), std::string(19, ' ') + "mqe10999" + std::string(8, ' '))
      << showScreen(s);
  EXPECT_EQ(s[27][99], '.') << "the vertical bar's down arrow";
  EXPECT_EQ(s[26][99], ' ') << "the slider at the end of the bar";
  screen->keys({"PPage", "Up", "Up"});
  ASSERT_TRUE(screen->waitForLine(29, statusLine("/vok-model/d1199/e10970", 100)));
  EXPECT_EQ(typeAndEnd(*screen, {"Enter"}), "/vok-model/d1199/e10970");

  // Started in a directory far down the tree, the display opens there.
  const std::string deep = root + "/m/d1150/e10500";
  model->name = root + "/m";
  saveTree(vok.dir().file("tree.gz"), tree);
  makeDirs(deep);
  vok.setCwd(deep);
  screen = show({}, 100, 30);
  ASSERT_TRUE(screen->waitForLine(29, statusLine(deep, 100))) << showScreen(screen->capture());
  EXPECT_EQ(typeAndEnd(*screen, {"Down", "Enter"}), root + "/m/d1150/e10501");
}

// The whole way: the printed alias in bash, a pattern with many matches,
// Down and Enter, and the shell is there.
TEST_F(BrowserTest, BashChangesToTheChosenDirectory) {
  for (const char *d : {"a/qq", "b/qq", "c/qq", "d/qq", "e/qq"}) makeDirs(root + "/" + d);
  scan();
  makeDirs(vok.dir().file("bin"));
  ASSERT_EQ(symlink(VOK_BINARY, vok.dir().file("bin/vok").c_str()), 0);
  vok.setEnv("VOK_TEMP", std::nullopt);
  vok.setEnv("TMPDIR", vok.dir().path());
  vok.setEnv("PATH", vok.dir().file("bin") + ":/usr/bin:/bin");
  vok.setEnv("PS1", "$ ");
  std::string command = vok.commandLine({});
  command = command.substr(0, command.rfind(' ')) + " bash --norc --noprofile";
  TmuxScreen screen(vok.dir().path(), 80, 24, command);
  const std::string out = vok.dir().file("pwd");
  // Run outside vokscr the program would write the real home's file.
  screen.literal("eval \"$(VOK_TEMP=" + vok.dir().file("install-newdir") + " vok -ias " +
                 std::string(VOK_SOURCE_DIR) + "/scripts)\"");
  screen.keys({"Enter"});
  screen.literal("vok qq");
  screen.keys({"Enter"});
  ASSERT_TRUE(titled(screen, 22, "Found: 5")) << showScreen(screen.capture());
  screen.keys({"Down", "Down", "Enter"});
  screen.literal("pwd > " + out);
  screen.keys({"Enter"});
  ASSERT_TRUE(screen.waitFor([&](const Screen &) { return readFile(out).size() > 0; }));
  EXPECT_EQ(readFile(out), root + "/c/qq\n");
}

// A run that waits more than a second for another's lock says so once on
// the terminal, then goes on when the lock is free.
TEST_F(BrowserTest, AWaitForTheLockIsSaidOnATerminal) {
  scan();
  const std::string marks = vok.dir().file("bookmarks");
  const int held = open((marks + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  TmuxScreen screen(vok.dir().path(), 100, 24, vok.commandLine({"-ba", root + "/src"}));
  const std::string said = "vok: waiting for another vok to finish with " + marks;
  EXPECT_TRUE(screen.waitFor([&](const Screen &s) { return s[0] == said; }))
      << showScreen(screen.capture());
  close(held);
  ASSERT_TRUE(screen.waitForExit());
  EXPECT_EQ(screen.exitStatus(), 0);
  EXPECT_EQ(readFile(marks), root + "/src\n");
  EXPECT_EQ(screen.capture()[1], "") << "said once";
}

}  // namespace
