#include "tree/dir_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "support/temp_dir.h"
#include "support/trees.h"

namespace {

DirNodeRef named(const char *name) { return dirNode(name); }

std::string names(const DirNodeList &list) {
  std::string text;
  for (const DirNodeRef &node : list) text += node->name.str() + " ";
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
  FileSystem &fs = systemFileSystem();
  makeDirs(temp.file("dir"));
  writeFile(temp.file("file"), "x");
  ASSERT_EQ(symlink("dir", temp.file("link").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", temp.file("dangling").c_str()), 0);
  EXPECT_TRUE(nodeFromPath(fs, temp.file("dir"))->isDir());
  EXPECT_FALSE(nodeFromPath(fs, temp.file("file"))->isDir());
  DirNodeRef link = nodeFromPath(fs, temp.file("link"));
  EXPECT_TRUE(link->isDir());
  EXPECT_TRUE(link->isLink());
  EXPECT_EQ(link->linkText(), "dir");
  DirNodeRef dangling = nodeFromPath(fs, temp.file("dangling"));
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

// Names up to 15 bytes are held in the node, longer ones outside it; both
// must read back whole and end with a NUL for the system calls.
TEST(DirTreeTest, NamesOfEveryLengthReadBackWhole) {
  for (size_t length : {0, 1, 14, 15, 16, 40, 255, 256, 1000}) {
    SCOPED_TRACE(length);
    std::string text;
    for (size_t i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
    NodeName name(text);
    EXPECT_EQ(name.size(), length);
    EXPECT_EQ(name.view(), text);
    EXPECT_EQ(name.c_str()[length], '\0');
    NodeName copy(name);
    EXPECT_EQ(copy, name);
    copy = "x";
    EXPECT_EQ(copy.str(), "x");
    EXPECT_EQ(name.view(), text) << "a copy is a text of its own";
    if (length > 2) {
      name = name.view().substr(1, length - 2);  // from its own bytes
      EXPECT_EQ(name.view(), text.substr(1, length - 2));
    }
    copy = text + text;
    EXPECT_EQ(copy.view(), text + text);
    // Whether a name is printable ASCII, for names in place and outside,
    // with the one byte that spoils it at either end.
    EXPECT_TRUE(NodeName(text).printableAscii());
    for (const char *odd : {"\t", "\x7f", "\xc3\xa9"}) {
      EXPECT_FALSE(NodeName(text + odd).printableAscii()) << odd;
      EXPECT_FALSE(NodeName(odd + text).printableAscii()) << odd;
    }
  }
}

TEST(DirTreeTest, ListsShareTheirNodesAndKeepThemWhileHeld) {
  DirNodeList list;
  for (const char *name : {"a", "c", "d", "e"}) list.push_back(named(name));
  list.insert(list.begin() + 1, named("b"));
  EXPECT_EQ(names(list), "a b c d e ");
  DirNodeList copy = list;
  EXPECT_EQ(list[2].use_count(), 2);
  list.erase(list.begin() + 1, list.begin() + 3);
  EXPECT_EQ(names(list), "a d e ");
  EXPECT_EQ(copy[2].use_count(), 1);
  DirNodeRef held = copy[4];
  copy = DirNodeList();
  EXPECT_EQ(held->name, "e") << "a node outlives the list that held it";
  EXPECT_EQ(held.use_count(), 2);
  for (int i = 0; i < 100; ++i) list.push_back(named("many"));
  list.erase(list.begin() + 3, list.end());
  list.shrink_to_fit();
  EXPECT_EQ(list.capacity(), 3u);
  EXPECT_EQ(names(list), "a d e ");
}

// Every thread takes nodes from pools of its own; a node made by one thread
// and dropped by another gives its slot to the other's pool, which must
// hand it out again whole.
TEST(DirTreeTest, NodesMadeOnOneThreadAreFreedOnAnother) {
  DirNodeList made;
  std::thread maker([&made] {
    for (int i = 0; i < 5000; ++i)
      made.push_back(named(("made on a helper thread " + std::to_string(i)).c_str()));
  });
  maker.join();
  EXPECT_EQ(made[4999]->name, "made on a helper thread 4999");
  made = DirNodeList();
  DirNodeList again;
  for (int i = 0; i < 5000; ++i) again.push_back(named(("again " + std::to_string(i)).c_str()));
  for (int i = 0; i < 5000; i += 999)
    EXPECT_EQ(again[static_cast<size_t>(i)]->name, "again " + std::to_string(i));
}

}  // namespace
