#include "hyper/viewport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Links given as row, first column and width, one row each, in reading order.
struct Spot {
  int row, col, width;
};
class SpotsDraw : public HyperDraw {
 public:
  explicit SpotsDraw(std::vector<Spot> spots, int cols)
      : spots_(std::move(spots)), cols_(cols) {}
  void draw(HyperDocument &doc, HyperPad *pad) override {
    if (!pad) return doc.setSize(spots_.back().row + 1, cols_);
    doc.beginDraw(pad);
    for (const Spot &s : spots_) {
      while (doc.row < s.row) doc.addChar(pad, '\n');
      doc.addSpaces(pad, s.col - doc.col);
      doc.beginLink(pad, "/x");
      doc.addText(pad, std::string(static_cast<size_t>(s.width), 'x'));
      doc.endLink(pad);
    }
  }

 private:
  std::vector<Spot> spots_;
  int cols_;
};

struct Laid {
  SpotsDraw drawer;
  HyperDocument doc{drawer};
  HyperPad pad{0};
  Laid(std::vector<Spot> spots, int cols) : drawer(std::move(spots), cols) {
    doc.render(nullptr, 10, 20);
    doc.render(&pad, 10, 20);
  }
  Viewport view(int rows, int cols) const {
    Viewport v;
    v.rows = rows, v.cols = cols, v.docRows = doc.rows, v.docCols = doc.cols;
    return v;
  }
};

// The rules at the document's edges, where an off-by-one shows first.
TEST(ViewportTest, EdgesOfTheDocument) {
  Laid small({{0, 0, 3}, {1, 5, 3}, {2, 0, 30}}, 30);
  Viewport v = small.view(10, 20);
  EXPECT_EQ(v.maxTop(), 0) << "a document shorter than the window never scrolls";
  v.current = 2;
  showCentred(v, small.doc);
  EXPECT_EQ(v.left, 0) << "a link wider than the window starts at its first column";
  EXPECT_EQ(v.cursorRow, 2);
  v.current = 0;
  showCentred(v, small.doc);
  EXPECT_EQ(verticalTarget(v, small.doc, false), -1) << "nothing above the first row";
  EXPECT_EQ(verticalTarget(v, small.doc, true), 2)
      << "a link below that overlaps wins over a nearer one beside";
  EXPECT_FALSE(pan(v, small.doc, false)) << "no pan left of the first column";
  EXPECT_FALSE(stepPageUp(v, small.doc, 9));
  wheel(v, small.doc, 3, true);
  EXPECT_EQ(v.top, 0) << "the wheel moves nothing that fits";
  EXPECT_EQ(v.current, 0u);

  // 30 rows of one link each in a window of 10: the last page stops at the end.
  std::vector<Spot> rows;
  for (int r = 0; r < 30; ++r) rows.push_back({r, 0, 4});
  Laid tall(rows, 4);
  Viewport w = tall.view(10, 20);
  EXPECT_TRUE(stepPageDown(w, tall.doc, 9));
  EXPECT_EQ(w.current, 9u);
  EXPECT_EQ(w.top, 9);
  lastLink(w, tall.doc);
  EXPECT_EQ(w.top, 20);
  EXPECT_EQ(w.cursorRow, 9);
  EXPECT_FALSE(stepPageDown(w, tall.doc, 9));
  wheel(w, tall.doc, 3, true);
  EXPECT_EQ(w.top, 20) << "the wheel stops where End does";
  wheel(w, tall.doc, 3, false);
  EXPECT_EQ(w.top, 17);
  EXPECT_EQ(w.current, 26u) << "the highlight moved to the last link still in view";
  wheel(w, tall.doc, 30, false);
  EXPECT_EQ(w.top, 0);
  wheel(w, tall.doc, 3, false);
  EXPECT_EQ(w.top, 0) << "nor above the top";

  // A page down whose link lands exactly one row below the window brings
  // it in: its row becomes the last.
  Laid sparse({{5, 0, 4}, {19, 0, 4}, {30, 0, 4}}, 4);
  Viewport d = sparse.view(10, 20);
  d.cursorRow = 5;
  EXPECT_TRUE(stepPageDown(d, sparse.doc, 9));
  EXPECT_EQ(d.current, 1u);
  EXPECT_EQ(d.top, 10);
  EXPECT_EQ(d.cursorRow, 9);

  // Two links a row, the second far right: a page up lands on the first
  // link of the row it reaches, as a page down does, and pans nothing.
  std::vector<Spot> pairs;
  for (int r = 0; r < 30; ++r) pairs.push_back({r, 0, 4}), pairs.push_back({r, 60, 4});
  Laid wide(pairs, 64);
  Viewport p = wide.view(10, 20);
  lastLink(p, wide.doc);
  EXPECT_TRUE(stepPageUp(p, wide.doc, 9));
  EXPECT_EQ(p.current, 40u) << "row 20's first link";
  EXPECT_EQ(p.left, 0);
  EXPECT_TRUE(stepPageDown(p, wide.doc, 9));
  EXPECT_EQ(p.current, 58u) << "row 29's first link";
}

}  // namespace
