#include "tree/lookup.h"

#include <gtest/gtest.h>

#include "support/memory_fs.h"
#include "support/trees.h"

namespace {

DirNodeRef named(const char *name) { return dirNode(name); }

TEST(LookupTest, FindWalksRootsAndChildren) {
  DirNodeRef root = named("/");
  DirNodeRef usr = named("usr");
  DirNodeRef bin = named("bin");
  usr->children.push_back(bin);
  root->children.push_back(usr);
  DirNodeList roots{root};
  DirLocation found = findPath(roots, "/usr/bin");
  EXPECT_EQ(found.node, bin);
  EXPECT_EQ(found.path, "/usr/bin");
  EXPECT_EQ(findPath(roots, "/").node, root);
  EXPECT_EQ(findPath(roots, "/usr/bi").node, nullptr);
  EXPECT_EQ(findPath(roots, "").node, nullptr);

  // Roots may nest (the current directory becomes a root, and it may hold
  // a start directory): a path is found below whichever root holds it,
  // the deepest first, whatever their order.
  DirNodeRef top = named("/top"), inner = named("/top/in"), link = named("/top/link");
  DirNodeRef deep = named("deep"), side = named("side"), shadow = named("deep");
  link->entryMode = 0120777;
  inner->children.push_back(deep);
  top->children = {side, named("in")};
  top->children[1]->children.push_back(shadow);
  roots = {top, inner, link};
  const std::pair<const char *, DirNodeRef> lookups[] = {
      {"/top/in", inner},        {"/top/in/deep", deep}, {"/top/side", side},
      {"/top/in/none", nullptr}, {"/top/link", link},    {"/topx", nullptr},
      {"/top/side/x", nullptr}};
  for (const auto &lookup : lookups)
    EXPECT_EQ(findPath(roots, lookup.first).node, lookup.second) << lookup.first;
  top->children[1]->children.push_back(named("only"));
  EXPECT_NE(findPath(roots, "/top/in/only").node, nullptr)
      << "what the deepest root lacks, a shallower one may have";
}

TEST(LookupTest, LookupAddsMissingLevelsWhereTheFlagsAllow) {
  MemoryFileSystem fs;
  fs.makeDir("/top/mid/low");
  fs.makeLink("/top/mid/link", "low");
  DirNodeRef top = nodeFromPath(fs, "/top");
  DirNodeList roots{top};
  LookupFlags below;
  below.createBelow = true;
  EXPECT_EQ(lookupPath(fs, roots, "/top/mid/low", LookupFlags()).node, nullptr);
  DirLocation found = lookupPath(fs, roots, "/top/mid/low", below);
  ASSERT_NE(found.node, nullptr);
  EXPECT_EQ(found.node, top) << "the deepest node that already existed";
  EXPECT_EQ(found.path, "/top");
  ASSERT_EQ(top->children.size(), 1u);
  const DirNode &mid = *top->children[0];
  EXPECT_EQ(mid.name, "mid");
  EXPECT_EQ(mid.skipState, SkipAdded);
  EXPECT_TRUE(mid.isDir());
  ASSERT_EQ(mid.children.size(), 1u);
  EXPECT_EQ(mid.children[0]->name, "low");
  EXPECT_EQ(findPath(roots, "/top/mid/low").node, mid.children[0]);
  // Each new level has the status of what is there, a link as a link.
  EXPECT_TRUE(lookupPath(fs, roots, "/top/mid/link", below).node);
  const DirNode &link = *findPath(roots, "/top/mid").node->children[0];
  EXPECT_EQ(link.name, "link");
  EXPECT_TRUE(link.isLink() && link.isDir() && link.linkText() == "low");

  // Scan rules: nothing is added below a skipped directory, and a new root
  // must be a start directory.
  const DirList noSkips, noStarts;
  LookupFlags rules;
  rules.createRoot = rules.createBelow = true;
  rules.skipDirs = &noSkips;
  rules.startDirs = &noStarts;
  roots.push_back(named("/proc"));
  EXPECT_EQ(lookupPath(fs, roots, "/proc/1/x", rules).node, nullptr);
  EXPECT_EQ(lookupPath(fs, roots, "/other", rules).node, nullptr);
  rules.skipDirs = rules.startDirs = nullptr;
  DirLocation root = lookupPath(fs, roots, "/other", rules);
  ASSERT_NE(root.node, nullptr);
  EXPECT_EQ(root.node->skipState, SkipAdded);
  EXPECT_EQ(roots.size(), 3u);
}

}  // namespace
