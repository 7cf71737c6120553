#include "hyper/document.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Draws one link and one anchor and sets a title, counting its passes.
class SampleDraw : public HyperDraw {
 public:
  bool empty = false;
  int passes = 0;
  WINDOW *lastPad = reinterpret_cast<WINDOW *>(1);
  void draw(HyperDocument &doc, WINDOW *pad) override {
    ++passes;
    lastPad = pad;
    if (empty) {
      doc.rows = doc.cols = 0;
      return;
    }
    doc.rows = 2;
    doc.cols = 10;
    if (!pad) return;  // the measuring pass only sizes
    doc.title = "title";
    doc.rowLengths.reset(new int16_t[doc.rows]());
    auto link = std::make_shared<HyperLink>();
    link->target = "/x";
    link->kind = RefLink;
    doc.links.push_back(link);
    auto anchor = std::make_shared<HyperLink>();
    anchor->target = "a";
    anchor->kind = NameAnchor;
    doc.anchors.push_back(anchor);
    doc.row = 1;
    doc.col = 3;
  }
};

TEST(HyperDocumentTest, RenderResetsWhatThePreviousPassLeft) {
  SampleDraw drawer;
  HyperDocument doc(drawer);
  WINDOW *fakePad = reinterpret_cast<WINDOW *>(&drawer);  // never dereferenced
  doc.render(fakePad, 24, 80);
  ASSERT_EQ(doc.links.size(), 1u);
  std::weak_ptr<HyperLink> first = doc.links[0];
  doc.render(fakePad, 24, 80);
  EXPECT_EQ(doc.links.size(), 1u) << "a second pass replaces, never adds";
  EXPECT_EQ(doc.anchors.size(), 1u);
  EXPECT_TRUE(first.expired()) << "the first pass's records are released";
  doc.render(nullptr, 10, 50);
  EXPECT_TRUE(doc.links.empty());
  EXPECT_TRUE(doc.anchors.empty());
  EXPECT_EQ(doc.title, "");
  EXPECT_EQ(doc.rowLengths, nullptr);
  EXPECT_EQ(doc.row, 0);
  EXPECT_EQ(doc.col, 0);
  EXPECT_EQ(doc.rows, 2);
  EXPECT_EQ(doc.areaLines, 10);
  EXPECT_EQ(doc.areaColumns, 50);
  EXPECT_EQ(drawer.lastPad, nullptr);

  drawer.empty = true;
  doc.render(fakePad, 24, 80);
  EXPECT_EQ(doc.rows, 0);
  EXPECT_EQ(doc.rowLengths, nullptr);
  EXPECT_TRUE(doc.links.empty());

  doc.restoreSize(7, 9, 30, 100);
  EXPECT_EQ(doc.rows, 7);
  EXPECT_EQ(doc.cols, 9);
  EXPECT_EQ(doc.areaLines, 30);
  EXPECT_EQ(doc.areaColumns, 100);
  EXPECT_EQ(drawer.passes, 4);
}

TEST(GraphicCharTableTest, NamesAndInitialGlyphs) {
  static const char *const kNames[] = {
      "lt", "gt", "amp", "quot", "boxur", "boxdr", "boxdl", "boxul", "boxvl", "boxvr",
      "boxhu", "boxhd", "boxh", "boxv", "rarr", "larr", "darr", "uarr", "degree",
      "plminus", "lequal", "gequal", "nequal", "bullet", "diamond", "ckboard", "board",
      "lantern", "block", "pi", "sterling", "s1", "s9", "s3", "s7", "space"};
  ASSERT_EQ(sizeof kNames / sizeof kNames[0], static_cast<size_t>(GraphicCharCount));
  for (int i = 0; i < GraphicCharCount; ++i) {
    EXPECT_STREQ(GraphicCharTable[i].name, kNames[i]) << i;
    if (i >= GBoxUR && i <= GS7) {
      EXPECT_EQ(GraphicCharTable[i].glyph, 0u) << i;
    }
  }
  EXPECT_EQ(GraphicCharTable[GLt].glyph, static_cast<chtype>('<'));
  EXPECT_EQ(GraphicCharTable[GGt].glyph, static_cast<chtype>('>'));
  EXPECT_EQ(GraphicCharTable[GAmp].glyph, static_cast<chtype>('&'));
  EXPECT_EQ(GraphicCharTable[GQuot].glyph, static_cast<chtype>('"'));
  EXPECT_EQ(GraphicCharTable[GSpace].glyph, static_cast<chtype>(' '));
}

}  // namespace
