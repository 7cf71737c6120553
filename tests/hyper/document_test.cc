#include "hyper/document.h"

#include <gtest/gtest.h>

#include <functional>

#include "hyper/pad_text.h"

namespace {

TEST(TextStoreTest, PathsKeepOnlyTheirOwnPartsAndComeBackWhole) {
  TextStore store;
  struct Case {
    const char *text;
    bool path;         // added with addPath, else addText
    const char *last;  // its last component
  };
  const Case cases[] = {
      {"/home/user", true, "user"},
      {"/home/user/doc", true, "doc"},
      {"/home/user/doc", false, "doc"},   // the link after its anchor
      {"/home/user/doc2", true, "doc2"},  // a prefix, but not at a '/'
      {"/home/user/doc2/new", true, "new"},
      {"/home/user/src", true, "src"},
      {"#/home/user/doc", false, "doc"},
      {"/", true, ""},
      {"/usr", true, "usr"},  // the base ends in '/'
      {"/usr/lib/x", false, "x"},
      {"relative name", false, "relative name"},
      {"", true, ""},
  };
  std::vector<uint32_t> ids;
  for (const Case &c : cases)
    ids.push_back(c.path ? store.addPath(c.text) : store.addText(c.text));
  for (size_t i = 0; i < ids.size(); ++i) {
    EXPECT_EQ(store.get(ids[i]), cases[i].text) << i;
    EXPECT_EQ(store.lastComponent(ids[i]), cases[i].last) << i;
  }
  EXPECT_EQ(ids[1], ids[2]) << "an anchor and its link share one string";
  EXPECT_EQ(store.count(), ids.size() - 1);
  const uint32_t whole = store.addStandalone("/usr/lib");
  EXPECT_EQ(store.view(whole), "/usr/lib");
  store.clear();
  EXPECT_EQ(store.count(), 0u);
  EXPECT_EQ(store.get(store.addPath("/usr/lib")), "/usr/lib");
}

TEST(HyperPadTest, CellsComeBackAsDrawn) {
  HyperPad pad(3);
  pad.setAttr(kAttrDir);
  for (char c : std::string("ab")) pad.addByte(static_cast<unsigned char>(c));
  pad.setAttr(kAttrNormal);
  for (int n : {1, 3, 4, 255, 256, 300}) {
    for (int i = 0; i < n; ++i) pad.addByte(' ');
    pad.addGlyph(GBoxV);
  }
  pad.newLine();
  pad.setAttr(kAttrSymLink);
  pad.addByte(0xe9);
  pad.addGlyph(GBoxH);
  pad.newLine();
  pad.newLine();  // an empty row
  pad.setAttr(kAttrNormal);
  for (int i = 0; i < HyperPad::kMaxColumns + 5; ++i) pad.addByte('x');
  pad.finish();
  ASSERT_EQ(pad.rowCount(), 4);
  std::string first = "ab";
  for (int n : {1, 3, 4, 255, 256, 300}) first += std::string(n, ' ') + "V";
  const std::vector<std::string> text = padRows(pad), attrs = padRows(pad, true);
  EXPECT_EQ(text[0], first);
  EXPECT_EQ(attrs[0], "dd" + std::string(first.size() - 2, 'n'));
  EXPECT_EQ(text[1], "\xe9H");
  EXPECT_EQ(attrs[1], "ss") << "a row read alone still has its attributes";
  EXPECT_EQ(text[2], "");
  EXPECT_EQ(text[3], std::string(HyperPad::kMaxColumns, 'x')) << "cut at the limit";
  // Reading from a column skips what lies before it.
  std::string tail;
  pad.forCells(0, static_cast<int>(first.size()) - 2, [&](const HyperPad::Cell &cell) {
    tail += cell.glyph ? 'V' : static_cast<char>(cell.byte);
    return true;
  });
  EXPECT_EQ(tail, " V");
  pad.forCells(7, 0, [](const HyperPad::Cell &) {
    ADD_FAILURE() << "rows past the end have no cells";
    return true;
  });
}

// Draws whatever the test gives it, counting passes.
class ScriptDraw : public HyperDraw {
 public:
  std::function<void(HyperDocument &, HyperPad *)> script;
  int passes = 0;
  void draw(HyperDocument &doc, HyperPad *pad) override {
    ++passes;
    script(doc, pad);
  }
};

void anchoredLink(HyperDocument &doc, HyperPad *pad, const char *anchor, const char *target,
                  const char *text) {
  doc.addAnchor(pad, anchor);
  doc.beginLink(pad, target);
  doc.addText(pad, text);
  doc.endLink(pad);
}

TEST(HyperDocumentTest, RenderResetsWhatThePreviousPassLeft) {
  ScriptDraw drawer;
  drawer.script = [](HyperDocument &doc, HyperPad *pad) {
    if (!pad) return doc.setSize(2, 10);
    doc.beginDraw(pad);
    doc.setTitle("title");
    anchoredLink(doc, pad, "a", "/x", "x");
  };
  HyperDocument doc(drawer);
  doc.render(nullptr, 24, 80);
  EXPECT_EQ(doc.rows, 2);
  EXPECT_EQ(doc.linkCount(), 0u);
  EXPECT_EQ(doc.rowLength(0), 0);
  for (int pass = 0; pass < 2; ++pass) {
    HyperPad pad(doc.rows);
    doc.render(&pad, 24, 80);
    EXPECT_EQ(doc.linkCount(), 1u) << "a second pass replaces, never adds";
    EXPECT_EQ(doc.anchorCount(), 1u);
    EXPECT_EQ(doc.title, "title");
  }
  doc.render(nullptr, 10, 50);
  EXPECT_EQ(doc.linkCount(), 0u);
  EXPECT_EQ(doc.anchorCount(), 0u);
  EXPECT_EQ(doc.title, "");
  EXPECT_EQ(doc.rowLength(0), 0);
  EXPECT_EQ(doc.areaLines, 10);
  EXPECT_EQ(doc.areaColumns, 50);
  doc.restoreSize(7, 9, 30, 100);
  EXPECT_EQ(doc.rows, 7);
  EXPECT_EQ(doc.cols, 9);
  EXPECT_EQ(doc.areaColumns, 100);
  EXPECT_EQ(drawer.passes, 4);

  drawer.script = [](HyperDocument &drawn, HyperPad *pad) {
    if (!pad) drawn.setSize(0, 0);
  };
  HyperPad empty(0);
  doc.render(nullptr, 24, 80);
  doc.render(&empty, 24, 80);
  EXPECT_EQ(doc.rows, 0);
  EXPECT_EQ(doc.rowLength(0), 0) << "nothing drawn, no row lengths";
}

TEST(HyperDocumentTest, DrawingOperations) {
  ScriptDraw drawer;
  const int far = HyperPad::kMaxColumns + 10;
  drawer.script = [&](HyperDocument &doc, HyperPad *pad) {
    if (!pad) return doc.setSize(3, 100000);
    doc.beginDraw(pad);
    doc.addText(pad, std::string_view("a\tb\b\r\0c", 7));  // tab .. NUL draw nothing
    doc.addAnchor(pad, "/t/x y");
    doc.beginLink(pad, "/t/x y");
    doc.addText(pad, "x\x01y");
    doc.addChar(pad, '\t');
    doc.endLink(pad);
    doc.beginItalic(pad);
    doc.addChar(pad, 'i');
    doc.beginJumpLink(pad, "#/t/x y");
    doc.addGlyph(pad, GRArr);
    doc.addChar(pad, 'j');
    doc.endLink(pad);
    doc.endItalic(pad);
    doc.addChar(pad, '\n');
    doc.addChar(pad, '\n');
    doc.addText(pad, std::string(far, '.'));
    anchoredLink(doc, pad, "/far", "/far", "f");
  };
  HyperDocument doc(drawer);
  doc.render(nullptr, 24, 80);
  EXPECT_EQ(doc.cols, HyperPad::kMaxColumns) << "no row is wider than a pad";
  HyperPad pad(doc.rows);
  doc.render(&pad, 24, 80);
  const std::vector<std::string> text = padRows(pad), attrs = padRows(pad, true);
  EXPECT_EQ(text[0], "abcx\x01yiRj");
  EXPECT_EQ(attrs[0], "nnndddiss");
  EXPECT_EQ(text[1], "");
  EXPECT_EQ(doc.rowLength(0), 9);
  EXPECT_EQ(doc.rowLength(1), 0);
  EXPECT_EQ(doc.rowLength(2), HyperPad::kMaxColumns) << "the last row keeps the width";
  EXPECT_EQ(doc.rowLength(3), 0);

  ASSERT_EQ(doc.linkCount(), 2u) << "the link beyond the cut is not kept";
  HyperLink first = doc.link(0), jump = doc.link(1);
  EXPECT_EQ(first.target, "/t/x y");
  EXPECT_EQ(first.text, "x\x01y\t") << "the text holds what was drawn, as given";
  EXPECT_EQ(doc.textView(0), "x\x01y\t");
  EXPECT_EQ(doc.targetLastComponent(0), "x y");
  EXPECT_EQ(first.kind, RefLink);
  EXPECT_EQ(first.startRow, 0);
  EXPECT_EQ(first.startCol, 3);
  EXPECT_EQ(first.endCol, 5);
  EXPECT_EQ(jump.kind, JumpLink);
  EXPECT_EQ(jump.text, "j") << "glyphs are no part of a link's text";
  EXPECT_EQ(jump.startCol, 7);
  EXPECT_EQ(jump.endCol, 8);
  ASSERT_EQ(doc.anchorCount(), 2u);
  EXPECT_EQ(doc.anchor(0).target, "/t/x y");
  EXPECT_EQ(doc.anchor(0).startCol, 3);
  EXPECT_EQ(doc.anchor(1).startRow, 2);
  EXPECT_EQ(doc.anchor(1).startCol, HyperPad::kMaxColumns - 1) << "kept at the edge";
  EXPECT_EQ(doc.findAnchor("/far"), 1);
  EXPECT_EQ(doc.findAnchor("/t/x"), -1);
  EXPECT_EQ(doc.linkDepth, 0);
  EXPECT_EQ(doc.italicDepth, 0);
}

}  // namespace
