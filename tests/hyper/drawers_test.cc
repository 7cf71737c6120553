#include "hyper/drawers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

#include "hyper/pad_text.h"
#include "support/trees.h"

namespace {

DirNodeRef node(const std::string &name, DirNodeList children = {}) {
  return dirNode(name, std::move(children));
}

DirNodeRef link(const std::string &name, uint8_t state, uint8_t access,
                const std::string &resolved) {
  DirNodeRef n = node(name);
  n->entryMode = 0120777;
  n->linkState = state;
  n->linkAccess = access;
  n->setLinkText("../" + name + "-target");
  n->setResolvedPath(resolved);
  return n;
}

// Both passes, as the window runs them.
struct Rendered {
  std::unique_ptr<HyperPad> pad;
  std::vector<std::string> text, attrs;
};
Rendered render(HyperDocument &doc) {
  doc.render(nullptr, 24, 80);
  Rendered r{std::make_unique<HyperPad>(doc.rows), {}, {}};
  doc.render(r.pad.get(), 24, 80);
  r.text = padRows(*r.pad);
  r.attrs = padRows(*r.pad, true);
  return r;
}

class DrawersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

// The example tree: /home/user with doc (old, new), src and tmp.
TEST_F(DrawersTest, TreeLinesConnectorsAndLinks) {
  DirNodeList roots = {node(
      "/home/user", {node("doc", {node("old"), node("new")}), node("src"), node("tmp")})};
  HyperTreeDraw drawer(roots, 0);
  HyperDocument doc(drawer);
  Rendered r = render(doc);
  const std::vector<std::string> expected = {
      "/home/userHTHdocHTHold",
      "           V     LHnew",
      "           EHsrc",
      "           LHtmp",
  };
  EXPECT_EQ(r.text, expected);
  EXPECT_EQ(r.attrs[0], "ddddddddddnnndddnnnddd");
  EXPECT_EQ(r.attrs[2], "nnnnnnnnnnnnnddd");
  EXPECT_EQ(doc.rows, 4);
  EXPECT_EQ(doc.cols, 22);
  EXPECT_EQ(drawer.lineCount, 4);
  EXPECT_EQ(drawer.widestLine, 22);
  EXPECT_TRUE(drawer.verticals.empty());
  EXPECT_EQ(doc.title, "vok 0.1.0   Last scan: Jan  1  00:00");
  const char *targets[] = {"/home/user",         "/home/user/doc", "/home/user/doc/old",
                           "/home/user/doc/new", "/home/user/src", "/home/user/tmp"};
  ASSERT_EQ(doc.linkCount(), 6u);
  ASSERT_EQ(doc.anchorCount(), 6u);
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(doc.target(i), targets[i]);
    EXPECT_EQ(doc.anchor(i).target, targets[i]);
  }
  EXPECT_EQ(doc.text(1), "doc") << "a child line shows its name only";
  HyperLink src = doc.link(4);
  EXPECT_EQ(src.startRow, 2);
  EXPECT_EQ(src.startCol, 13);
  EXPECT_EQ(src.endCol, 15);
  EXPECT_EQ(doc.rowLength(1), 22);

  // A second root starts a line of its own; a root of "/" adds no second '/'.
  roots.push_back(node("/", {node("usr", {node("lib")})}));
  r = render(doc);
  EXPECT_EQ(r.text.back(), "/HHHusrHHHlib");
  EXPECT_EQ(doc.target(doc.linkCount() - 1), "/usr/lib");
}

TEST_F(DrawersTest, TagsLinksAndNames) {
  DirNodeRef unreadable = node("locked"), unlisted = node("nolist"),
             added = node("added"), skipped = node("skipped");
  unreadable->unreadableState = ReadCannotEnter;
  unlisted->unreadableState = ReadCannotList;
  added->skipState = SkipAdded;
  skipped->skipState = SkipSkipped;
  DirNodeList roots = {node(
      "/r",
      {added, skipped, unreadable, unlisted, link("in", LinkInside, AccessOk, "/r/added"),
       link("innoread", LinkInside, AccessNoRead, "/r/added"),
       link("innosearch", LinkInside, AccessNoSearch, "/r/added"),
       link("out", LinkOutside, AccessOk, "/elsewhere"),
       link("gone", LinkNotFound, AccessOk, ""), node("tab\tand\nline")})};
  HyperTreeDraw drawer(roots, 0);
  HyperDocument doc(drawer);
  Rendered r = render(doc);
  // (row text after the connector, its link's target or "" for none)
  const std::pair<const char *, const char *> rows[] = {
      {"added [*]", "/r/added"},
      {"skipped [skipped]", "/r/skipped"},
      {"locked [unreadable]", ""},
      {"nolist [unreadable]", "/r/nolist"},
      {"in HR ../in-target", "#/r/added"},
      {"innoread HR ../innoread-target [unreadable]", "#/r/added"},
      {"innosearch HR ../innosearch-target [unreadable]", ""},
      {"out HR ../out-target [outside tree]", "/elsewhere"},
      {"gone HR ../gone-target [not found]", ""},
      {"tab?and?line", "/r/tab\tand\nline"},
  };
  ASSERT_EQ(r.text.size(), 10u);
  size_t next = 1;  // link 0 is the root
  for (size_t i = 0; i < 10; ++i) {
    SCOPED_TRACE(rows[i].first);
    EXPECT_EQ(r.text[i].substr(5), rows[i].first);
    if (*rows[i].second == '\0') continue;
    ASSERT_LT(next, doc.linkCount());
    HyperLink l = doc.link(next++);
    EXPECT_EQ(l.target, rows[i].second);
    EXPECT_EQ(l.startRow, static_cast<int>(i));
    EXPECT_EQ(l.kind, rows[i].second[0] == '#' ? JumpLink : RefLink);
  }
  EXPECT_EQ(next, doc.linkCount());
  EXPECT_EQ(r.attrs[3].substr(5), "ddddddnnnnnnnnnnnnn")
      << "the tag is no part of the link";
  EXPECT_EQ(r.attrs[7].substr(5), std::string(35, 's'))
      << "a link drawn in italics, tag and all";
  EXPECT_EQ(r.attrs[8].substr(5), std::string(34, 'n'));
  EXPECT_EQ(doc.link(4).text, "in  ../in-target");
  // Anchors: every drawn directory and every followed link, by full path.
  EXPECT_EQ(doc.findAnchor("/r/locked"), -1);
  EXPECT_GE(doc.findAnchor("/r/in"), 0);
  EXPECT_EQ(doc.findAnchor("/r/gone"), -1);
  EXPECT_GE(doc.findAnchor("/r/tab\tand\nline"), 0) << "the path is not sanitised";
}

TEST_F(DrawersTest, ListsNumberTheirEntries) {
  for (size_t count : {0, 9, 12}) {
    SCOPED_TRACE(count);
    std::vector<std::string> entries;
    for (size_t i = 0; i < count; ++i)
      entries.push_back(i == 1 ? "/long/entry\tname" : "/e" + std::to_string(i));
    HyperListDraw drawer(entries, 0);
    HyperDocument doc(drawer);
    Rendered r = render(doc);
    const size_t digits = count == 0 ? 0 : count < 10 ? 1 : 2;
    EXPECT_EQ(drawer.digits, static_cast<long>(digits));
    EXPECT_EQ(doc.rows, static_cast<int>(count));
    EXPECT_EQ(doc.cols, count == 0 ? 3 : static_cast<int>(digits + 16 + 3));
    ASSERT_EQ(doc.linkCount(), count);
    if (count == 0) continue;
    EXPECT_EQ(doc.title, "vok 0.1.0   Found: " + std::to_string(count) +
                             "   Last scan: Jan  1  00:00");
    EXPECT_EQ(r.text[0],
              std::string(digits == 1 ? " 1 " : "  1 ") + "/e0" + std::string(14, ' '));
    EXPECT_EQ(r.text[1].substr(digits + 2), "/long/entry?name ");
    EXPECT_EQ(r.attrs[0], std::string(doc.cols, 'd')) << "one full-width link a line";
    EXPECT_EQ(doc.target(1), "/long/entry\tname");
    EXPECT_EQ(doc.anchor(1).target, "/long/entry\tname");
    if (count == 12) {
      EXPECT_EQ(r.text[11].substr(0, 4), " 12 ");
    }
  }
}

// The window lays a tree out without its rows and draws them a slice at a
// time, from the places the layout noted: every row, link and anchor is as
// one whole drawing makes them, in whatever order the rows are asked for.
// A layout records what a whole drawing records, without drawing (in both
// readings of names), and rows drawn a slice at a time are the whole
// drawing's rows.
TEST_F(DrawersTest, RowsDrawnBySlicesAreTheWholeDrawingsRows) {
  DirNodeList roots;
  for (int r = 0; r < 3; ++r) {
    DirNodeList children;
    for (int i = 0; i < 150; ++i) {
      DirNodeList grand;
      for (int g = 0; g < i % 4; ++g) grand.push_back(node("g" + std::to_string(g)));
      DirNodeRef child = node("c" + std::to_string(i), grand);
      if (i % 7 == 0) child->skipState = SkipSkipped;
      if (i % 13 == 3) child->name = "t\tab\b" + std::to_string(i);
      if (i % 19 == 1) child->name = "caf\xc3\xa9\xe6\x97\xa5\xff" + std::to_string(i);
      if (i % 17 == 2) child->unreadableState = ReadCannotEnter;
      children.push_back(i % 11 == 5 ? link("l" + std::to_string(i), LinkInside, AccessOk,
                                            "/r0/c1")
                                     : child);
    }
    DirNodeRef chain = node("deep");
    for (int d = 0; d < 40; ++d) chain = node("d" + std::to_string(d), {chain, node("x")});
    children.insert(children.begin() + 60, chain);
    roots.push_back(node("/r" + std::to_string(r), children));
  }
  // Enough rows for a layout to record them in more than one step.
  DirNodeList wide;
  for (int i = 0; i < 9000; ++i) wide.push_back(node("w" + std::to_string(i)));
  roots.push_back(node("/wide", wide));
  roots.push_back(node("/", {node("top", {node("in")})}));
  // A chain whose deepest names start beyond the columns a row keeps: their
  // links are dropped and their anchors kept.
  DirNodeRef far = node("bottom");
  for (int d = 0; d < 2600; ++d) far = node("levelling" + std::to_string(d % 10), {far});
  roots.insert(roots.end() - 1, node("/far", {far}));
  for (bool utf8 : {false, true}) {
    SCOPED_TRACE(utf8 ? "UTF-8 names" : "byte names");
    if (utf8 && !setlocale(LC_CTYPE, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
    HyperTreeDraw wholeDrawer(roots, 0), sliceDrawer(roots, 0);
    HyperDocument whole(wholeDrawer), sliced(sliceDrawer);
    whole.utf8 = sliced.utf8 = utf8;
    const Rendered r = render(whole);
    sliced.layOut(24, 80);
    ASSERT_EQ(sliced.rows, whole.rows);
    ASSERT_GT(sliced.rows, HyperDocument::kStepRows);
    EXPECT_EQ(sliced.cols, whole.cols);
    EXPECT_EQ(sliced.title, whole.title);
    // What a first screen asks records no further than it must.
    EXPECT_EQ(sliced.target(0), whole.target(0));
    EXPECT_TRUE(sliced.recordsPending());
    // Anchors asked of layouts that have recorded nothing yet: in the first
    // step, beyond it, beyond the cut, and none.
    const std::string beyondCut = whole.anchor(whole.linkCount()).target;
    for (const std::string &name : {std::string("/r1/c7"), std::string("/wide/w8999"),
                                    beyondCut, std::string("/none")}) {
      HyperTreeDraw freshDrawer(roots, 0);
      HyperDocument fresh(freshDrawer);
      fresh.utf8 = utf8;
      fresh.layOut(24, 80);
      const long at = fresh.findAnchor(name);
      ASSERT_EQ(at, whole.findAnchor(name)) << name;
      if (at < 0) continue;
      EXPECT_EQ(fresh.anchor(static_cast<size_t>(at)).target, name);
      EXPECT_EQ(fresh.anchorCell(static_cast<size_t>(at)).row,
                whole.anchorCell(static_cast<size_t>(at)).row);
    }
    ASSERT_EQ(sliced.linkCount(), whole.linkCount());
    for (size_t i = 0; i < whole.linkCount(); ++i) {
      const HyperLink a = whole.link(i), b = sliced.link(i);
      EXPECT_EQ(b.target + b.text, a.target + a.text);
      EXPECT_EQ(std::vector<int>({b.startRow, b.startCol, b.endRow, b.endCol, b.kind}),
                std::vector<int>({a.startRow, a.startCol, a.endRow, a.endCol, a.kind}));
      EXPECT_EQ(sliced.bytesSeen(i), whole.bytesSeen(i)) << a.text;
      EXPECT_EQ(sliced.cells(i).textIsLastComponent, whole.cells(i).textIsLastComponent);
    }
    ASSERT_EQ(sliced.anchorCount(), whole.anchorCount());
    EXPECT_GT(sliced.anchorCount(), sliced.linkCount()) << "anchors beyond the cut";
    // Links name their own paths, from the root "/" too.
    const long in = sliced.findAnchor("/top/in");
    ASSERT_GE(in, 0);
    EXPECT_EQ(sliced.link(static_cast<size_t>(in)).target, "/top/in");
    EXPECT_EQ(sliced.link(static_cast<size_t>(in)).startRow, sliced.rows - 1);
    const long rows = sliced.rows;
    for (long k = 0; k < rows; ++k) {
      const long row = k * 7919 % rows;
      ASSERT_EQ(sliced.rowLength(row), whole.rowLength(row)) << "row " << row;
      if (utf8) continue;
      std::string text, attrs;
      sliced.forCells(row, 0, [&](const HyperPad::Cell &cell) {
        text.resize(static_cast<size_t>(cell.column), '_');
        attrs.resize(static_cast<size_t>(cell.column), '_');
        text += cell.glyph ? glyphLetter(cell.byte) : static_cast<char>(cell.byte);
        attrs += slotLetter(cell.attr);
        return true;
      });
      ASSERT_EQ(text, r.text[static_cast<size_t>(row)]) << "row " << row;
      ASSERT_EQ(attrs, r.attrs[static_cast<size_t>(row)]) << "row " << row;
    }
  }
  setlocale(LC_CTYPE, "C");
}

}  // namespace
