#include <gtest/gtest.h>

#include "base/errors.h"
#include "hyper/drawers.h"
#include "hyper/find_window.h"
#include "hyper/screen_frame.h"
#include "support/curses_screen.h"
#include "term/keys.h"

namespace {

// 100 rows: even rows hold links A<r> at columns 0-3 and B<r> at 40-43, odd
// rows C<r> at 20-23. Row 50 holds one link W 150 columns wide instead; J003
// (row 3, column 60) jumps to the anchor A010 and N005 to one that is
// missing. Every link has an anchor of its own name; targets are /grid/NAME.
class GridDraw : public HyperDraw {
 public:
  void draw(HyperDocument &doc, HyperPad *pad) override {
    if (!pad) return doc.setSize(100, 160);
    doc.beginDraw(pad);
    doc.setTitle("the grid");
    for (int r = 0; r < 100; ++r) {
      if (r > 0) doc.addChar(pad, '\n');
      const std::string n = std::to_string(1000 + r).substr(1);
      if (r == 50) {
        item(doc, pad, 0, "W" + std::string(149, 'w'));
      } else if (r % 2 == 0) {
        item(doc, pad, 0, "A" + n);
        item(doc, pad, 40, "B" + n);
      } else {
        item(doc, pad, 20, "C" + n);
      }
      if (r == 3) item(doc, pad, 60, "J003", "#A010");
      if (r == 5) item(doc, pad, 60, "N005", "#nowhere");
    }
  }
  void item(HyperDocument &doc, HyperPad *pad, int column, const std::string &text,
            const std::string &jump = "") {
    doc.addSpaces(pad, column - doc.col);
    doc.addAnchor(pad, text);
    if (jump.empty())
      doc.beginLink(pad, "/grid/" + text);
    else
      doc.beginJumpLink(pad, jump);
    doc.addText(pad, text);
    doc.endLink(pad);
  }
};

constexpr int kEsc = kEscape;
int ctrl(char c) { return ctrlKey(c); }

// The windows of the browser on the 80 x 24 test screen: the grid needs both
// scroll bars, so the view is 22 lines by 78 columns.
class HyperWindowTest : public ::testing::Test {
 protected:
  // A frame for the key set, then the window on it; the old ones go first.
  zqHyperWindowWithFind &open(int keySet = kKeysDefault, const std::string &anchor = "") {
    window.reset();
    frame.reset();
    ProfileConfig config;
    config.MouseScrollRate = 0;
    config.KeyBinding = keySet;
    frame = std::make_unique<ScreenFrame>(config, false);
    window = std::make_unique<zqHyperWindowWithFind>(frame->screen, doc, frame->title,
                                                     frame->status, frame->hbar, frame->vbar,
                                                     anchor);
    frame->attach(*window, *window);
    frame->screen.pushInputWindow(window.get());
    return *window;
  }
  zqScreenManager &screen() { return frame->screen; }
  zqStatusWindowWithFind &title() { return frame->title; }
  zqURLWindowWithFind &status() { return frame->status; }
  // Each key goes where the event loop would send it.
  void type(const std::vector<int> &keys) {
    for (int key : keys) {
      if (!screen().inputWindow) return;
      screen().inputWindow->processKey(key);
    }
  }
  std::string currentText() const { return doc.text(window->view.current); }

  // The windows need the curses screen when they are made.
  bool screenReady = (useTestScreen(), true);
  GridDraw grid;
  HyperDocument doc{grid};
  std::unique_ptr<ScreenFrame> frame;
  std::unique_ptr<zqHyperWindowWithFind> window;
};

struct Walk {
  const char *name;
  int keySet;
  std::vector<int> keys;
  const char *link;  // the current link afterwards
  int top, left;
};

std::string wide() { return "W" + std::string(149, 'w'); }

// Each walk starts at the first link, top and left 0.
const Walk kWalks[] = {
    {"start", kKeysDefault, {}, "A000", 0, 0},
    {"down to the overlapping link", kKeysDefault, {KEY_DOWN, KEY_DOWN}, "A004", 0, 0},
    {"down keeps its column", kKeysDefault, {KEY_RIGHT, KEY_DOWN}, "B002", 0, 0},
    {"down between odd rows",
     kKeysDefault,
     {KEY_RIGHT, KEY_RIGHT, KEY_DOWN},
     "C003",
     0,
     0},
    {"up to the nearest, first wins ties",
     kKeysDefault,
     {KEY_RIGHT, KEY_RIGHT, KEY_UP},
     "B000",
     0,
     0},
    {"next and previous link",
     kKeysDefault,
     {KEY_RIGHT, KEY_RIGHT, KEY_LEFT},
     "B000",
     0,
     0},
    {"page down", kKeysDefault, {KEY_NPAGE}, "C021", 21, 0},
    {"two pages", kKeysDefault, {KEY_NPAGE, KEY_NPAGE}, "A042", 42, 0},
    {"end", kKeysDefault, {KEY_END}, "C099", 78, 0},
    {"home", kKeysDefault, {KEY_END, KEY_HOME}, "A000", 0, 0},
    {"page up from the end", kKeysDefault, {KEY_END, KEY_PPAGE}, "A078", 57, 0},
    {"page up by a page", kKeysDefault, {KEY_NPAGE, KEY_DOWN, KEY_PPAGE}, "A002", 0, 0},
    {"page up near the top", kKeysDefault, {KEY_DOWN, KEY_DOWN, KEY_PPAGE}, "A000", 0, 0},
    {"page down at the end", kKeysDefault, {KEY_END, KEY_NPAGE}, "C099", 78, 0},
    {"the wide link starts in the first column",
     kKeysDefault,
     {KEY_NPAGE, KEY_NPAGE, KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_DOWN},
     "W",
     42,
     0},
    {"pan right stops with its end in the last column",
     kKeysDefault,
     {KEY_NPAGE, KEY_NPAGE, KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_DOWN, '.', '.', '.'},
     "W",
     42,
     3},
    {"pan a narrow link right and back",
     kKeysDefault,
     {KEY_RIGHT, '.', '.', ','},
     "B000",
     0,
     1},
    {"no pan left of the first column", kKeysDefault, {',', KEY_SLEFT}, "A000", 0, 0},
    {"vi count", kKeysVi, {'3', 'j'}, "A006", 0, 0},
    {"vi count survives common keys", kKeysVi, {'3', KEY_DOWN, 'j'}, "A008", 0, 0},
    {"vi G ignores the count", kKeysVi, {'1', '0', 'G'}, "C099", 78, 0},
    {"vi gg", kKeysVi, {'G', 'g', 'g'}, "A000", 0, 0},
    {"vi g then j cancels the g", kKeysVi, {'g', 'j', 'g'}, "A002", 0, 0},
    {"vi line end and start", kKeysVi, {'$', '0'}, "A000", 0, 0},
    {"vi l and h with counts", kKeysVi, {'4', 'l', 'h'}, "A002", 0, 0},
    {"vi half page", kKeysVi, {ctrl('D')}, "A010", 10, 0},
    {"vi counted half page", kKeysVi, {'5', ctrl('D')}, "C005", 5, 0},
    {"vi pages", kKeysVi, {'2', ctrl('F'), ctrl('B')}, "C021", 21, 0},
    {"vi ^E moves the view, the highlight follows",
     kKeysVi,
     {'3', ctrl('E')},
     "C003",
     3,
     0},
    {"vi ^E keeps a link that stays in view",
     kKeysVi,
     {KEY_NPAGE, KEY_DOWN, ctrl('E')},
     "C023",
     22,
     0},
    {"vi ^Y never above the top", kKeysVi, {ctrl('Y')}, "A000", 0, 0},
    {"vi ^Y keeps the link in view", kKeysVi, {KEY_NPAGE, '4', ctrl('Y')}, "C021", 17, 0},
    {"emacs ^N ^P", kKeysEmacs, {ctrl('N'), ctrl('N'), ctrl('P')}, "A002", 0, 0},
    {"emacs ^E ^A", kKeysEmacs, {ctrl('E')}, "B000", 0, 0},
    {"emacs ESC f, ESC b", kKeysEmacs, {kEsc, 'f', kEsc, 'f', kEsc, 'b'}, "B000", 0, 0},
    {"emacs ^V and ESC v", kKeysEmacs, {ctrl('V'), ctrl('V'), kEsc, 'v'}, "C021", 21, 0},
    {"emacs ESC ESC cancels", kKeysEmacs, {kEsc, kEsc, ctrl('F')}, "B000", 0, 0},
    // Find mode.
    {"find as you type", kKeysDefault, {'B', '0', '4'}, "B040", 30, 0},
    {"find shortens and searches again",
     kKeysDefault,
     {'B', '0', '4', KEY_BACKSPACE},
     "B040",
     30,
     0},
    {"find next and previous",
     kKeysDefault,
     {'B', '0', '4', KEY_DOWN, KEY_DOWN, KEY_UP},
     "B042",
     30,
     0},
    {"find wraps at the end", kKeysDefault, {KEY_END, 'A', '0', '0', '0'}, "A000", 0, 0},
    {"find nothing stays", kKeysDefault, {'z', 'z'}, "A000", 0, 0},
    {"find by pattern against the target",
     kKeysDefault,
     {'i', 'd', '/', 'B', '0', '9', '8'},
     "B098",
     78,
     0},
    {"a pattern's directory part must match",
     kKeysDefault,
     {'x', '/', 'B'},
     "A000",
     0,
     0},
    {"find accepts and Enter leaves it to the window",
     kKeysDefault,
     {'C', '0', '1', '3', '\r'},
     "C013",
     0,
     0},
    {"vi find remembers",
     kKeysVi,
     {'/', 'B', '0', '1', '\r', '3', '/', '\r'},
     "B016",
     0,
     0},
    {"vi find backwards repeats once",
     kKeysVi,
     {'/', 'B', '0', '1', '\r', '3', '/', '\r', '?', '\r'},
     "B014",
     0,
     0},
    {"emacs find starts with a letter",
     kKeysEmacs,
     {'B', ctrl('S'), ctrl('S'), ctrl('R')},
     "B002",
     0,
     0},
    {"emacs ^R searches backwards",
     kKeysEmacs,
     {ctrl('R'), 'A', '0', '9', '8'},
     "A098",
     78,
     0},
};

TEST_F(HyperWindowTest, Walks) {
  for (const Walk &walk : kWalks) {
    SCOPED_TRACE(walk.name);
    open(walk.keySet);
    type(walk.keys);
    if (title().findMode) type({'\t'});
    EXPECT_EQ(currentText(), walk.link == wide().substr(0, 1) ? wide() : walk.link);
    EXPECT_EQ(window->view.top, walk.top);
    EXPECT_EQ(window->view.left, walk.left);
    EXPECT_EQ(status().text, doc.target(window->view.current))
        << "the status line shows the target";
    EXPECT_FALSE(window->chosenDirectory) << "nothing was selected";
  }
}

// The marker bar flags the rows that go on past the right edge.
TEST_F(HyperWindowTest, MarkersFollowTheView) {
  open();
  type({KEY_NPAGE, KEY_NPAGE});  // rows 42-63: row 50 is 150 columns wide
  std::string marks;
  for (int y = 0; y < window->marker.rect.height; ++y)
    marks += static_cast<char>(mvwinch(window->marker.win, y, 0) & A_CHARTEXT);
  EXPECT_EQ(marks, std::string(8, ' ') + "+" + std::string(13, ' '));
  type({KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_DOWN});
  for (int i = 0; i < 72; ++i) type({'.'});
  EXPECT_EQ(window->view.left, 72);
  EXPECT_EQ(mvwinch(window->marker.win, 8, 0) & A_CHARTEXT, static_cast<chtype>(' '))
      << "the wide row ends inside the view";
}

TEST_F(HyperWindowTest, SelectingAndJumping) {
  open(kKeysDefault, "C051");
  EXPECT_EQ(currentText(), "C051");
  EXPECT_EQ(window->view.top, 41) << "the first link is shown centred";
  EXPECT_EQ(title().text, "the grid");
  type({KEY_HOME, KEY_RIGHT, KEY_RIGHT, KEY_DOWN, KEY_RIGHT, '\r'});
  EXPECT_EQ(currentText(), "A010") << "J003 jumps to its anchor";
  EXPECT_NE(screen().inputWindow, nullptr);
  type({' '});
  EXPECT_EQ(window->chosenDirectory.value_or(""), "/grid/A010");
  EXPECT_EQ(screen().inputWindow, nullptr) << "a selection ends the display";

  for (std::vector<int> keys : {std::vector<int>{3}, {KEY_F(10)}}) {
    open();
    type(keys);
    EXPECT_EQ(screen().inputWindow, nullptr);
    EXPECT_FALSE(window->chosenDirectory);
  }
  open(kKeysVi);
  type({'Z', 'j', 'Z'});
  EXPECT_NE(screen().inputWindow, nullptr) << "Z j Z is no ZZ";
  type({'Z'});
  EXPECT_EQ(screen().inputWindow, nullptr);

  // A click selects the link under it; a click between links does nothing.
  open();
  MEVENT click = {};
  click.bstate = BUTTON1_CLICKED;
  click.x = 30, click.y = 1;
  window->processMouse(click);
  EXPECT_EQ(currentText(), "A000");
  click.x = 21;
  window->processMouse(click);
  EXPECT_EQ(window->chosenDirectory.value_or(""), "/grid/C001");
  EXPECT_EQ(screen().inputWindow, nullptr);

  open();
  type({KEY_DOWN, KEY_DOWN, KEY_RIGHT, KEY_RIGHT, KEY_RIGHT});
  ASSERT_EQ(currentText(), "N005");
  try {
    type({'\r'});
    ADD_FAILURE() << "a jump to a missing anchor ends the display";
  } catch (const ErrorGenericSyntax &error) {
    EXPECT_STREQ(error.what(), "cannot find <A NAME=\"nowhere\">");
  }
  EXPECT_THROW(open(kKeysDefault, "nowhere"), ErrorGenericSyntax);
}

TEST_F(HyperWindowTest, EmptyDocumentsAndResizing) {
  open();
  std::vector<std::string> none;
  HyperListDraw empty(none, 0);
  HyperDocument nothing(empty);
  try {
    zqHyperWindowWithFind w(screen(), nothing, title(), status(), frame->hbar, frame->vbar, "");
    ADD_FAILURE() << "a document without links cannot be shown";
  } catch (const ErrorGenericSyntax &error) {
    EXPECT_STREQ(
        error.what(),
        "no <A HREF=...> tags present\nDo not use the `-c' option for this file");
  }

  open();
  type({KEY_NPAGE, KEY_NPAGE, KEY_DOWN});
  const size_t before = window->view.current;
  resizeterm(40, 120);
  screen().resizeAll();
  EXPECT_EQ(window->view.current, before) << "the same link after a resize";
  EXPECT_EQ(window->rect.height, 38);
  EXPECT_EQ(window->view.top, 44 - 18) << "shown centred";
  resizeterm(24, 80);
  screen().resizeAll();
  EXPECT_EQ(window->rect.height, 22);
}

}  // namespace
