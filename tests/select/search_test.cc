#include "select/search.h"

#include <gtest/gtest.h>

#include "support/trees.h"

namespace {

TEST(FuzzyTest, ScoresFollowTheFormula) {
  // "sr" against "src": window 0 matches exactly, N-L = 1.
  EXPECT_EQ(fuzzyScore("sr", "src"), 1u);
  // window 1 of "xsrc": 1 + 2*1 = 3.
  EXPECT_EQ(fuzzyScore("sr", "xsrc"), 2u + 2u);
  // 'q' is nowhere in the name: +100; window 0: (2+1-0)*|q-a| + (2+1-1)*|b-b| ...
  EXPECT_EQ(fuzzyScore("qb", "abc"), 3u * ('q' - 'a') + 1u + 100u);
  EXPECT_EQ(fuzzyScore("SR", "Src"), 1u) << "case is ignored";
}

TEST(FuzzyTest, KeepsTheBestInWalkOrder) {
  DirNodeRef root =
      dirNode("/r", {dirNode("srcx"), dirNode("srcy"), dirNode("src"), dirNode("xsrc")});
  MatchList list;
  fuzzySearch(list, {root}, "src", 2);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].path, "/r/srcx");  // equal scores keep the walk's order
  EXPECT_EQ(list[1].path, "/r/srcy");
  EXPECT_EQ(list[0].score, 1u);
}

}  // namespace
