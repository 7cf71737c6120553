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
  // A name shorter than the literal is laid over it: "ab" at place 1 of
  // "bab" costs 2 for the place and 1 for the length.
  EXPECT_EQ(fuzzyScore("bab", "ab"), 1u + 2u);
}

// Which names a literal is a near typo of: edits of a part of the name that
// begins where a word begins, one edit allowed for every four bytes.
TEST(FuzzyTest, TyposOfAWordOfTheName) {
  const struct {
    const char *literal, *name;
    int edits;  // -1: no match
  } cases[] = {
      {"alpah", "alpha", 1},          // swapped neighbours
      {"alpa", "alpha", 1},           // a letter dropped
      {"alphx", "alpha", 1},          // a wrong letter
      {"alppha", "alpha", 1},         // a letter doubled: the name is shorter
      {"ALPAH", "Alpha", 1},          // case ignored
      {"alpah", "zzzzzzzzzzzzzzzzzzzzzzzz", -1},
      {"documentatoin", "documentation", 1},
      {"documentatoin", "project-documentation", 1},  // after a dash
      {"documnetaiton", "documentation", 2},          // three of thirteen allowed
      {"dirnmae", "myDirName", 1},                    // where a capital follows
      {"2bta", "api2beta", 1},        // where letters meet digits
      {"minp", "adminpack", -1},      // the middle of a word
      {"xyz", "xyq", 1},              // three bytes allow one edit
      {"xy", "xq", -1},               // two allow none
      {"abcdefgh", "abcd", -1},       // four bytes short: too many
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.literal) + " / " + c.name);
    const std::optional<uint32_t> edits = typoEdits(c.literal, c.name);
    if (c.edits < 0)
      EXPECT_FALSE(edits) << *edits;
    else
      EXPECT_EQ(edits, std::optional<uint32_t>(static_cast<uint32_t>(c.edits)));
  }
}

// The approximate search over a tree: only the nearest names remain (fewest
// edits, then the closest length), ordered by score, in walk order on ties.
TEST(FuzzyTest, OnlyTheNearestNamesRemain) {
  DirNodeRef root = dirNode(
      "/r", {dirNode("alpha"), dirNode("beta"), dirNode("zzzzzzzzzzzzzzzzzzzzzzzz"),
             dirNode("documentation"), dirNode("documents"), dirNode("Alpha"),
             dirNode("alphabet"), dirNode("revisions"), dirNode("version")});
  const struct {
    const char *literal;
    std::vector<std::string> found;
  } cases[] = {
      {"alpah", {"/r/alpha", "/r/Alpha"}},
      {"beat", {"/r/beta"}},
      {"documentatoin", {"/r/documentation"}},
      {"evrsion", {"/r/version"}},  // "revisions" holds "evision", two bytes longer
      {"qqqqq", {}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.literal);
    MatchList list;
    fuzzySearch(list, {root}, c.literal, 10);
    std::vector<std::string> paths;
    for (const DirMatch &match : list) paths.push_back(match.path);
    EXPECT_EQ(paths, c.found);
  }
}

}  // namespace
