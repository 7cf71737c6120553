#include "tree/dir_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/reader.h"
#include "support/temp_dir.h"

namespace {

DirNodeRef named(const char *name) {
  auto node = std::make_shared<DirNode>();
  node->name = name;
  node->entryMode = node->targetMode = 040755;
  return node;
}

std::string names(const DirNodeList &list) {
  std::string text;
  for (const DirNodeRef &node : list) text += node->name + " ";
  return text;
}

class DirTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = activeConfig;
    activeConfig = ProfileConfig();
    dirTree.rootList.clear();
  }
  void TearDown() override {
    activeConfig = saved_;
    dirTree.rootList.clear();
  }
  ProfileConfig saved_;
  ScopedTempDir temp_;
};

TEST_F(DirTreeTest, SortingIsStableInBothModes) {
  DirNodeList list{named("gamma"), named("Src"),  named("alpha"), named("src"),
                   named("Beta"),  named("abcd"), named("abc")};
  sortChildren(list);
  EXPECT_EQ(names(list), "abc abcd alpha Beta gamma Src src ");
  activeConfig.CaseSensitiveSort = true;
  sortChildren(list);
  EXPECT_EQ(names(list), "Beta Src abc abcd alpha gamma src ");
  DirNodeList high{named("\xe9t\xe9"), named("zoo")};
  sortChildren(high);
  EXPECT_EQ(names(high), "zoo \xe9t\xe9 ") << "bytes compare unsigned";
  activeConfig.SortTree = false;
  DirNodeList unsorted{named("b"), named("a")};
  sortChildren(unsorted);
  EXPECT_EQ(names(unsorted), "b a ");
}

TEST_F(DirTreeTest, NodesOnlyForDirectoriesAndLinksToThem) {
  ASSERT_EQ(chdir(temp_.path().c_str()), 0);
  makeDirs(temp_.file("dir"));
  writeFile(temp_.file("file"), "x");
  ASSERT_EQ(symlink("dir", temp_.file("link").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", temp_.file("dangling").c_str()), 0);
  EXPECT_TRUE(nodeFromPath("dir")->isDir());
  EXPECT_FALSE(nodeFromPath("file")->isDir());
  DirNodeRef link = nodeFromPath("link");
  EXPECT_TRUE(link->isDir());
  EXPECT_TRUE(link->isLink());
  EXPECT_EQ(link->linkText(), "dir");
  DirNodeRef dangling = nodeFromPath("dangling");
  EXPECT_EQ(dangling->entryMode, 0);
  EXPECT_EQ(dangling->targetMode, 0);

  // The entry type spares the lstat: a "regular file" entry naming a real
  // directory still comes back without a status.
  struct dirent entry = {};
  strcpy(entry.d_name, "dir");
  entry.d_type = DT_REG;
  EXPECT_EQ(nodeFromEntry(entry)->targetMode, 0);
  entry.d_type = DT_UNKNOWN;
  EXPECT_TRUE(nodeFromEntry(entry)->isDir());
}

TEST_F(DirTreeTest, LookupWalksRootsAndChildren) {
  DirNodeRef root = named("/");
  DirNodeRef usr = named("usr");
  DirNodeRef bin = named("bin");
  usr->children.push_back(bin);
  root->children.push_back(usr);
  dirTree.rootList.push_back(root);
  DirLocation found = lookupPath("/usr/bin", false, false, false);
  EXPECT_EQ(found.node, bin);
  EXPECT_EQ(found.path, "/usr/bin");
  EXPECT_EQ(lookupPath("/", false, false, false).node, root);
  EXPECT_EQ(lookupPath("/usr/bi", false, false, false).node, nullptr);
  EXPECT_EQ(lookupPath("", false, false, false).node, nullptr);

  // Roots may nest (the current directory becomes a root, and it may hold
  // a start directory): a path is found below whichever root holds it,
  // the deepest first, whatever their order.
  dirTree.rootList.clear();
  DirNodeRef top = named("/top"), inner = named("/top/in"), link = named("/top/link");
  DirNodeRef deep = named("deep"), side = named("side"), shadow = named("deep");
  link->entryMode = 0120777;
  inner->children.push_back(deep);
  top->children = {side, named("in")};
  top->children[1]->children.push_back(shadow);
  dirTree.rootList = {top, inner, link};
  const std::pair<const char *, DirNodeRef> lookups[] = {
      {"/top/in", inner},        {"/top/in/deep", deep}, {"/top/side", side},
      {"/top/in/none", nullptr}, {"/top/link", link},    {"/topx", nullptr},
      {"/top/side/x", nullptr}};
  for (const auto &lookup : lookups)
    EXPECT_EQ(lookupPath(lookup.first, false, false, false).node, lookup.second)
        << lookup.first;
  top->children[1]->children.push_back(named("only"));
  EXPECT_NE(lookupPath("/top/in/only", false, false, false).node, nullptr)
      << "what the deepest root lacks, a shallower one may have";
}

TEST_F(DirTreeTest, LookupAddsMissingLevels) {
  makeDirs(temp_.file("top/mid/low"));
  DirNodeRef top = nodeFromPath(temp_.file("top"));
  dirTree.rootList.push_back(top);
  DirLocation found = lookupPath(temp_.file("top/mid/low"), true, false, true);
  ASSERT_NE(found.node, nullptr);
  EXPECT_EQ(found.node, top) << "the deepest node that already existed";
  EXPECT_EQ(found.path, temp_.file("top"));
  ASSERT_EQ(top->children.size(), 1u);
  const DirNode &mid = *top->children[0];
  EXPECT_EQ(mid.name, "mid");
  EXPECT_EQ(mid.skipState, SkipAdded);
  EXPECT_TRUE(mid.isDir());
  ASSERT_EQ(mid.children.size(), 1u);
  EXPECT_EQ(mid.children[0]->name, "low");
  EXPECT_EQ(lookupPath(temp_.file("top/mid/low"), false, false, false).node,
            mid.children[0]);

  // Scan rules: nothing is added below a skipped directory, and a new root
  // must be a start directory.
  EXPECT_EQ(lookupPath("/proc/1/x", true, true, true).node, nullptr);
  EXPECT_EQ(lookupPath(temp_.file("other"), true, true, true).node, nullptr);
  DirLocation root = lookupPath(temp_.file("other"), false, true, true);
  ASSERT_NE(root.node, nullptr);
  EXPECT_EQ(root.node->skipState, SkipAdded);
  EXPECT_EQ(dirTree.rootList.size(), 2u);
}

TEST_F(DirTreeTest, DeepTreesAreReleasedWithoutRecursion) {
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
