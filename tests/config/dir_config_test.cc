#include "config/dir_config.h"

#include <gtest/gtest.h>


namespace {

DirConfig glob(const char *text, bool dot = false, bool path = false) {
  return DirConfig(text, false, dot, path);
}

TEST(DirConfigTest, GlobOptionsControlSlashesAndLeadingDots) {
  EXPECT_TRUE(matchesEntry(glob("/home/*/tmp"), "/home/ann/tmp"));
  EXPECT_FALSE(matchesEntry(glob("/home/*/tmp"), "/home/ann/x/tmp"));
  EXPECT_FALSE(matchesEntry(glob("/home/*/tmp"), "/home/.cache/tmp"));
  EXPECT_TRUE(matchesEntry(glob("/home/*/tmp", false, true), "/home/ann/x/tmp"));
  EXPECT_TRUE(matchesEntry(glob("/home/*/tmp", true, false), "/home/.cache/tmp"));
  EXPECT_TRUE(matchesEntry(glob("/a\\*b"), "/a*b"));
  EXPECT_FALSE(matchesEntry(glob("/a\\*b"), "/axb"));
}

TEST(DirConfigTest, RegularExpressionsAreAnchoredAndMayFailToCompile) {
  DirConfig regex("/x.*", true, false, false);
  EXPECT_TRUE(regex.compiled());
  EXPECT_TRUE(matchesEntry(regex, "/x/y"));
  EXPECT_FALSE(matchesEntry(regex, "/a/x/y"));
  DirConfig anchored("^/a/[^/]*$", true, false, false);
  EXPECT_TRUE(matchesEntry(anchored, "/a/b"));
  EXPECT_FALSE(matchesEntry(anchored, "/a/b/c"));
  EXPECT_FALSE(matchesEntry(DirConfig("/a", true, false, false), "/a/b"));
  DirConfig broken("(/unbalanced", true, false, false);
  EXPECT_FALSE(broken.compiled());
  EXPECT_FALSE(matchesEntry(broken, "(/unbalanced"));
  EXPECT_FALSE(matchesEntry(broken, ""));
}

TEST(DirConfigTest, AddingKeepsOrMovesEntriesWithTheSameText) {
  DirList list;
  addDirEntry(list, DirConfigRef(std::make_shared<DirConfig>("/a", false, false, false)));
  addDirEntry(list, DirConfigRef(std::make_shared<DirConfig>("/b", false, false, false)));
  DirConfigRef first = list[0];
  addDirEntry(list, DirConfigRef(std::make_shared<DirConfig>("/a", false, false, false)));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], first) << "an equal entry keeps the old one in its place";
  addDirEntry(list, DirConfigRef(std::make_shared<DirConfig>("/a", true, false, false)));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->text, "/b");
  EXPECT_EQ(list[1]->text, "/a");
  EXPECT_TRUE(list[1]->isRegex);

  // Mount options take no part in the comparison.
  MountDirList mounts;
  addDirEntry(mounts, MountDirConfigRef(std::make_shared<MountDirConfig>(
                          "/mnt", std::vector<int>{kMountSkip})));
  addDirEntry(mounts, MountDirConfigRef(std::make_shared<MountDirConfig>(
                          "/mnt", std::vector<int>{kMountAll})));
  ASSERT_EQ(mounts.size(), 1u);
  EXPECT_EQ(mounts[0]->options, std::vector<int>{kMountSkip});
}

TEST(DirConfigTest, ListTests) {
  DirList skip, start;
  MountDirList mounts;
  EXPECT_TRUE(matchesSkipDir(skip, "/proc"));
  EXPECT_TRUE(matchesSkipDir(skip, "/dev"));
  EXPECT_FALSE(matchesSkipDir(skip, "/proc/1"));
  EXPECT_FALSE(matchesSkipDir(skip, "/devices"));
  skip.push_back(std::make_shared<DirConfig>("/proc/*", false, false, false));
  EXPECT_TRUE(matchesSkipDir(skip, "/proc/1"));
  start.push_back(std::make_shared<DirConfig>("/s*", false, false, false));
  EXPECT_TRUE(isStartDir(start, "/s*"));
  EXPECT_FALSE(isStartDir(start, "/src")) << "start directories compare byte for byte";
  mounts.push_back(std::make_shared<MountDirConfig>("/mnt/*", std::vector<int>{}));
  EXPECT_TRUE(matchesMountDir(mounts, "/mnt/usb"));
  EXPECT_FALSE(matchesMountDir(mounts, "/mnt"));
}

}  // namespace
