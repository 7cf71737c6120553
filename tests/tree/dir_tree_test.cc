#include "tree/dir_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"
#include "support/trees.h"

namespace {

DirNodeRef named(const char *name) { return dirNode(name); }

std::string names(const DirNodeList &list) {
  std::string text;
  for (const DirNodeRef &node : list) text += node->name + " ";
  return text;
}

TEST(DirTreeTest, SortingIsStableInBothModes) {
  DirNodeList list{named("gamma"), named("Src"),  named("alpha"), named("src"),
                   named("Beta"),  named("abcd"), named("abc")};
  TreeOrder order;
  sortChildren(list, order);
  EXPECT_EQ(names(list), "abc abcd alpha Beta gamma Src src ");
  order.caseSensitive = true;
  sortChildren(list, order);
  EXPECT_EQ(names(list), "Beta Src abc abcd alpha gamma src ");
  DirNodeList high{named("\xe9t\xe9"), named("zoo")};
  sortChildren(high, order);
  EXPECT_EQ(names(high), "zoo \xe9t\xe9 ") << "bytes compare unsigned";
  order.sorted = false;
  DirNodeList unsorted{named("b"), named("a")};
  sortChildren(unsorted, order);
  EXPECT_EQ(names(unsorted), "b a ");
}

TEST(DirTreeTest, NodesOnlyForDirectoriesAndLinksToThem) {
  ScopedTempDir temp;
  ASSERT_EQ(chdir(temp.path().c_str()), 0);
  makeDirs(temp.file("dir"));
  writeFile(temp.file("file"), "x");
  ASSERT_EQ(symlink("dir", temp.file("link").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", temp.file("dangling").c_str()), 0);
  EXPECT_TRUE(nodeFromPath("dir")->isDir());
  EXPECT_FALSE(nodeFromPath("file")->isDir());
  DirNodeRef link = nodeFromPath("link");
  EXPECT_TRUE(link->isDir());
  EXPECT_TRUE(link->isLink());
  EXPECT_EQ(link->linkText(), "dir");
  DirNodeRef dangling = nodeFromPath("dangling");
  EXPECT_EQ(dangling->entryMode, 0);
  EXPECT_EQ(dangling->targetMode, 0);
}

TEST(DirTreeTest, DeepTreesAreReleasedWithoutRecursion) {
  DirNodeRef root = named("/deep");
  DirNode *at = root.get();
  for (int i = 0; i < 1000000; ++i) {
    at->children.push_back(named("d"));
    at = at->children.back().get();
  }
  root.reset();  // must not overflow the stack
  SUCCEED();
}

}  // namespace
