#include "select/stream_search.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/errors.h"
#include "support/temp_dir.h"
#include "support/trees.h"
#include "tree/lookup.h"
#include "tree/tree_file.h"

namespace {

std::string describe(const MatchList &list) {
  std::string text;
  for (const DirMatch &m : list)
    text +=
        m.path + (m.isCurrent ? " [current]" : "") + " " + std::to_string(m.score) + "\n";
  return text;
}

// Roots in sorted order: a file, a tree with every kind of node, a second
// tree; the names repeat "src" at every depth.
DirTree sampleTree(bool sortedRoots) {
  DirNodeRef file = dirNode("/afile");
  file->entryMode = file->targetMode = 0100644;
  DirNodeRef closed = dirNode("closed", {dirNode("srcdeep")});
  closed->unreadableState = ReadCannotEnter;
  DirNodeRef skipped = dirNode("skipped");
  skipped->skipState = SkipSkipped;
  DirNodeRef link = dirNode("srclink");
  link->entryMode = 0120777;
  link->setLinkText("src");
  DirNodeRef root =
      dirNode("/m/r", {closed, dirNode("docs", {dirNode("src2"), dirNode("other")}), link,
                       skipped, dirNode("src", {dirNode("src"), dirNode("tests")}),
                       dirNode("xsrcy")});
  DirNodeRef second = dirNode("/z/top", {dirNode("srcz")});
  DirTree tree;
  tree.lastScanTime = 99;
  tree.rootList =
      sortedRoots ? DirNodeList{file, root, second} : DirNodeList{second, root};
  return tree;
}

// The search of the saved file answers as the search of the loaded tree
// after the current directory joined it: the same matches and markers in
// the same order, the same closest names, the same bookmarks found; where
// joining would add the current directory below a root, it asks for the
// tree instead.
TEST(StreamSearchTest, AnswersAsTheLoadedTree) {
  ScopedTempDir dir;
  const std::string file = dir.file("tree.gz");
  makeDirs(dir.file("outside/src"));
  const std::string outside = dir.file("outside"), outsideSrc = dir.file("outside/src");
  const struct {
    bool sortedRoots, sortTree;
    const char *pattern;
    std::string marker;
    bool needsTree;
  } cases[] = {
      {true, true, "src", "", false},
      {true, true, "src", "/m/r/docs", false},       // a marker among the matches
      {true, true, "src", "/m/r/src", false},        // the marker matches itself
      {true, true, "src", outsideSrc, false},        // joins the roots, and matches
      {true, true, "src", outside, false},           // joins the roots as a marker
      {true, true, "docs/src", "/m/r/docs", false},  // a pattern with a directory part
      {true, true, "src/", "/m/r", false},           // no literal: nothing but bookmarks
      {true, true, "qqq", "/m/r/src", false},        // nothing: the closest names
      {true, true, "qqq", outside, false},           // ... the joined root among them
      {true, true, "src", "/m/r/docs/new", true},    // below a root, missing
      {true, true, "src", "/m/r/closed/srcdeep", false},  // inside, not searchable
      {true, true, "src", "/m/r/skipped/inner", true},
      {false, true, "src", outside, true},    // joining sorts roots out of order
      {false, false, "src", outside, false},  // unsorted trees: joined last
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " from " + c.marker);
    saveTree(file, sampleTree(c.sortedRoots));
    TreeOrder order;
    order.sorted = c.sortTree;
    StreamQuery query;
    query.rules = {patternLiteral(c.pattern), compilePattern(c.pattern), c.marker};
    query.order = order;
    query.bookmarks = {"/m/r/src/tests", "/m/r/nothere", c.marker, "/afile"};
    StreamFindings found;
    const bool streamed = streamSearch(systemFileSystem(), file, query, found);
    EXPECT_EQ(streamed, !c.needsTree);
    if (!streamed) continue;
    EXPECT_EQ(found.lastScanTime, 99);

    DirTree loaded;
    ASSERT_EQ(readTreeFile(file, loaded), TreeFileState::Loaded);
    if (!c.marker.empty()) {
      LookupFlags flags;
      flags.createRoot = flags.createBelow = true;
      flags.order = order;
      lookupPath(systemFileSystem(), loaded.rootList, c.marker, flags);
    }
    MatchList expected, got = found.matches;
    searchTree(expected, loaded.rootList, query.rules.literal, query.rules.expression,
               c.marker, 3);
    if (!query.rules.literal.empty() &&
        (got.empty() || (got.size() == 1 && got[0].isCurrent))) {
      ASSERT_TRUE(streamClosest(file, query, 3, found, got));
    }
    EXPECT_EQ(describe(got), describe(expected));
    for (size_t i = 0; i < query.bookmarks.size(); ++i)
      EXPECT_EQ(found.bookmarkFound[i],
                findPath(loaded.rootList, query.bookmarks[i]).node != nullptr)
          << query.bookmarks[i];
    EXPECT_EQ(found.markerInTree,
              !c.marker.empty() && findPath(loaded.rootList, c.marker).node != nullptr);
  }
}

// The closest names, checked against every score computed in full: the
// search stops scoring a name early once it cannot be kept. Every name is
// one edit from the literal or more, so that many tie on nearness.
TEST(StreamSearchTest, ClosestNamesAreTheBestScores) {
  const std::string word = "sourcefile";
  DirNodeList children;
  for (int i = 0; i < 300; ++i) {
    std::string name = word;
    name[static_cast<size_t>(i % 10)] = "abdghjkmn"[i * 7919 % 9];
    if (i % 7 == 0) name += "x";  // one byte longer: not among the nearest
    if (i % 11 == 0) name[(i + 3) % 10] = 'q';  // often two edits
    children.push_back(dirNode(name + std::string(i % 3, '_')));
  }
  const DirNodeList roots = {dirNode("/r", children)};
  for (const char *literal : {"sourcefile", "sourcefile_", "Sourcefilx"}) {
    SCOPED_TRACE(literal);
    MatchList list;
    fuzzySearch(list, roots, literal, 7);
    std::vector<std::pair<uint64_t, std::string>> near;
    for (const DirNodeRef &child : children) {
      const std::string name = child->name.str();
      const std::optional<uint32_t> edits = typoEdits(literal, name);
      if (!edits) continue;
      const size_t gap = std::max(name.size(), strlen(literal)) -
                         std::min(name.size(), strlen(literal));
      near.push_back({uint64_t{*edits} << 32 | gap, name});
    }
    const uint64_t nearest = std::min_element(near.begin(), near.end())->first;
    std::vector<std::pair<uint32_t, std::string>> all;
    for (const auto &entry : near)
      if (entry.first == nearest)
        all.push_back({fuzzyScore(literal, entry.second), "/r/" + entry.second});
    std::stable_sort(all.begin(), all.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    ASSERT_GT(all.size(), 7u) << "the limit must bite";
    ASSERT_EQ(list.size(), 7u);
    for (size_t i = 0; i < list.size(); ++i) {
      EXPECT_EQ(list[i].score, all[i].first);
      EXPECT_EQ(list[i].path, all[i].second);
    }
  }
}

// Completion over the same walk: own names of directories a jump could
// reach, each once with the first path found, below parents that match the
// word's earlier parts; a directory that cannot be entered counts only when
// bookmarked, and a file never.
TEST(StreamSearchTest, CompletionsOfAWord) {
  ScopedTempDir dir;
  const std::string file = dir.file("tree.gz");
  saveTree(file, sampleTree(true));
  const struct {
    const char *word;
    std::vector<std::string> bookmarks;
    size_t limit;
    const char *expected;
  } cases[] = {
      {"src", {}, 10,
       "src /m/r/src\nsrc2 /m/r/docs/src2\nsrcdeep /m/r/closed/srcdeep\nsrclink /m/r/srclink\nsrcz /z/top/srcz\n"},
      {"t", {}, 10, "tests /m/r/src/tests\ntop /z/top\n"},  // a root by its own name
      {"docs/", {}, 10, "docs/other /m/r/docs/other\ndocs/src2 /m/r/docs/src2\n"},
      {"top/s", {}, 10, "top/srcz /z/top/srcz\n"},
      {"clo", {}, 10, ""},
      {"clo", {"/m/r/closed"}, 10, "closed /m/r/closed\n"},
      {"af", {"/afile"}, 10, ""},
      {"S", {}, 10, ""},  // bytewise, as the shells compare
      {"src", {}, 2, "src /m/r/src\nsrc2 /m/r/docs/src2\n+\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.word) + " limit " + std::to_string(c.limit));
    CompletionList list(c.limit);
    ASSERT_EQ(streamCompletions(file, CompletionRules(c.word), c.bookmarks, list),
              TreeFileState::Loaded);
    std::string got;
    for (const auto &[text, path] : list.candidates()) got += text + " " + path + "\n";
    if (list.more()) got += "+\n";
    EXPECT_EQ(got, c.expected);
  }
  CompletionList list(1);
  EXPECT_EQ(streamCompletions(dir.file("none.gz"), CompletionRules("a"), {}, list),
            TreeFileState::Missing);
  EXPECT_THROW(CompletionRules("/abs"), ErrorGenericCommandLine);
}

}  // namespace
