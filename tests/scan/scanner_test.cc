#include "scan/scanner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <sstream>

#include "base/errors.h"
#include "base/paths.h"
#include "scan/dir_reading.h"
#include "scan/scan_log.h"
#include "scan/subtree_reader.h"
#include "support/temp_dir.h"
#include "support/trees.h"
#include "tree/tree_file.h"

namespace {

// Records what a scan reports and lets a test change the file system at
// the moment a directory is reported, before the scan goes into it.
class HookLog : public ScanLog {
 public:
  std::function<void(const std::string &)> onDirectory;
  std::vector<std::string> cannotChange;
  size_t directories = 0;
  void reportDirectory(const std::string &path) override {
    ++directories;
    if (onDirectory) onDirectory(path);
  }
  void reportPhase(const char *) override {}
  void reportTime(int64_t, const char *) override {}
  void reportNotDirectory(const std::string &path) override { ADD_FAILURE() << path; }
  void reportNotFound(const std::string &path) override { ADD_FAILURE() << path; }
  void reportCannotChange(const std::string &name, const char *reason) override {
    cannotChange.push_back(name + ": " + reason);
  }
};

// t holds a/x, b/y and c; elsewhere/secret must never appear in t's tree.
class ScanRaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char *d : {"t/a/x", "t/b/y", "t/c", "elsewhere/secret"})
      makeDirs(dir.file(d));
    options.startDirs = {std::make_shared<DirConfig>(t, false, false, false)};
    options.treeFile = dir.file("tree.gz");
  }
  // A scan as the commands run it: the smart one of the saved tree.
  void fullScan(ScanLog &log) {
    tree = DirTree();
    Scanner(tree, options, log, systemFileSystem()).fullScan();
  }
  void smartScan(ScanLog &log) {
    tree = DirTree();
    ASSERT_EQ(readTreeFile(options.treeFile, tree), TreeFileState::Loaded);
    Scanner(tree, options, log, systemFileSystem()).smartScan(systemFileSystem().now());
  }
  // Replaces t/name by a link to elsewhere.
  void swap(const std::string &name) {
    ASSERT_EQ(rename((t + "/" + name).c_str(), dir.file("moved-" + name).c_str()), 0);
    ASSERT_EQ(symlink(dir.file("elsewhere").c_str(), (t + "/" + name).c_str()), 0);
  }
  std::string listed() const {
    std::string out;
    walkTree(tree.rootList, [&](const DirNodeRef &node, const std::string &path) {
      out +=
          path.substr(t.size()) + (node->unreadableState ? " [unreadable]" : "") + "\n";
      return true;
    });
    return out;
  }

  ScopedTempDir dir;
  const std::string t = dir.file("t");
  ScanOptions options;
  DirTree tree;
};

TEST_F(ScanRaceTest, ADirectoryReplacedByALinkDuringAFullScanIsNotEntered) {
  HookLog log;
  log.onDirectory = [&](const std::string &path) {
    if (path == t + "/a") swap("a");
  };
  fullScan(log);
  EXPECT_EQ(listed(), "\n/a [unreadable]\n/b\n/b/y\n/c\n") << "siblings are still read";
  EXPECT_EQ(log.cannotChange, std::vector<std::string>{"a: Not a directory"});
}

TEST_F(ScanRaceTest, ADirectoryReplacedByALinkDuringASmartScanIsNotEntered) {
  HookLog quiet;
  fullScan(quiet);
  HookLog log;
  log.onDirectory = [&](const std::string &path) {
    if (path == t + "/b") swap("b");
  };
  smartScan(log);
  EXPECT_EQ(listed(), "\n/a\n/a/x\n/b [unreadable]\n/c\n");
  EXPECT_EQ(log.cannotChange.size(), 1u);
}

// A known tree big enough for its directories to be probed by two threads
// ahead of the walk, with a chain deeper than the probes go, changed in both
// halves, below a directory that only gained a file and at the chain's
// bottom: the update must end with what a full scan reads, and report each
// directory once.
TEST_F(ScanRaceTest, ASmartUpdateOfAnOlderTreeFindsChangesEverywhere) {
  for (int i = 0; i < 40; ++i)
    for (int j = 0; j < 12; ++j)
      makeDirs(t + "/w" + std::to_string(i) + "/d" + std::to_string(j) + "/e");
  std::string chain = t + "/chain";
  for (int i = 0; i < 80; ++i) chain += "/l";
  makeDirs(chain);
  // Times are whole seconds: the first scan must start after the making.
  const time_t made = time(nullptr);
  while (time(nullptr) == made) usleep(20000);
  HookLog first;
  fullScan(first);

  makeDirs(t + "/w1/d3/e/new");
  makeDirs(t + "/w38/d11/e/new");
  ASSERT_EQ(rmdir((t + "/w20/d5/e").c_str()), 0);
  writeFile(t + "/w30/file", "");
  makeDirs(t + "/w30/d2/e/below-a-changed-one");
  makeDirs(chain + "/bottom");
  swap("w25");
  auto record = [](HookLog &log, std::vector<std::string> &paths) {
    log.onDirectory = [&paths](const std::string &path) { paths.push_back(path); };
  };
  auto dump = [&] {
    std::string out;
    walkTree(tree.rootList, [&](const DirNodeRef &node, const std::string &path) {
      out += path.substr(t.size()) + (node->isLink() ? " link " : " ") +
             std::to_string(node->unreadableState) + std::to_string(node->skipState) + " " +
             std::to_string(node->modifyTime) + " " + std::to_string(node->changeTime) +
             "\n";
      return true;
    });
    return out;
  };
  HookLog smart;
  std::vector<std::string> updatedPaths, readPaths;
  record(smart, updatedPaths);
  smartScan(smart);
  const std::string updated = dump();
  HookLog full;
  record(full, readPaths);
  fullScan(full);

  EXPECT_EQ(updated, dump());
  for (const char *part : {"/w1/d3/e/new ", "/w38/d11/e/new ", "/w30/d2/e/below-a-changed-one ",
                           "/l/bottom ", "/w25 link "})
    EXPECT_NE(updated.find(part), std::string::npos) << part;
  EXPECT_EQ(updated.find("/w20/d5/e "), std::string::npos);
  std::sort(updatedPaths.begin(), updatedPaths.end());
  std::sort(readPaths.begin(), readPaths.end());
  EXPECT_EQ(updatedPaths, readPaths);
  EXPECT_TRUE(smart.cannotChange.empty());
}

// Many links are resolved by two threads, each entering targets in a
// working directory of its own: every link, absolute or relative, must end
// with its own target's physical path and state, whichever thread took it.
TEST_F(ScanRaceTest, ManyLinksResolveEachToItsOwnTarget) {
  struct Expected {
    std::string link, resolved;
    uint8_t state;
  };
  std::vector<Expected> expected;
  for (int i = 0; i < 150; ++i) {
    const std::string n = std::to_string(i);
    makeDirs(t + "/d" + n + "/deeper");
    makeDirs(dir.file("elsewhere/e" + n));
    std::string target = t + "/d" + n + "/deeper", resolved = target;
    uint8_t state = LinkInside;
    if (i % 3 == 1) {
      target = resolved = dir.file("elsewhere/e" + n);
      state = LinkOutside;
    } else if (i % 3 == 2) {
      target = "d" + n + "/deeper";  // relative to the link's directory
    }
    ASSERT_EQ(symlink(target.c_str(), (t + "/l" + n).c_str()), 0);
    expected.push_back({"/l" + n, resolved, state});
  }
  HookLog log;
  fullScan(log);
  std::vector<Expected> found;
  walkTree(tree.rootList, [&](const DirNodeRef &node, const std::string &path) {
    if (node->isLink())
      found.push_back({path.substr(t.size()), node->resolvedPath(), node->linkState});
    return true;
  });
  auto byName = [](const Expected &a, const Expected &b) { return a.link < b.link; };
  std::sort(expected.begin(), expected.end(), byName);
  std::sort(found.begin(), found.end(), byName);
  ASSERT_EQ(found.size(), expected.size());
  for (size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].link, expected[i].link);
    EXPECT_EQ(found[i].resolved, expected[i].resolved) << found[i].link;
    EXPECT_EQ(found[i].state, expected[i].state) << found[i].link;
  }
}

TEST_F(ScanRaceTest, ADirectoryRemovedDuringAScanIsReported) {
  HookLog log;
  log.onDirectory = [&](const std::string &path) {
    if (path == t + "/b") {
      ASSERT_EQ(system(("rm -r '" + path + "'").c_str()), 0);
    }
  };
  fullScan(log);
  EXPECT_EQ(listed(), "\n/a\n/a/x\n/b [unreadable]\n/c\n");
  EXPECT_EQ(log.cannotChange, std::vector<std::string>{"b: No such file or directory"});
}

// A quiet full scan hands subtrees to a second thread; what it finds, in
// what order it says so and how many directories it counts must be what
// one thread finds.
TEST_F(ScanRaceTest, AQuietFullScanOnTwoThreadsFindsWhatOneThreadFinds) {
  std::vector<std::string> closed;
  for (int top = 0; top < 30; ++top) {
    for (int sub = 0; sub < 20; ++sub) {
      const std::string d = t + "/c/t" + std::to_string(top) + "/s" + std::to_string(sub);
      makeDirs(d + "/deep/er");
      if (sub == 7) makeDirs(d + "/skipme/never");
      if (sub % 9 == 4) closed.push_back(d + "/deep");
    }
    ASSERT_EQ(symlink("s1", (t + "/c/t" + std::to_string(top) + "/link").c_str()), 0);
  }
  for (const std::string &d : closed) ASSERT_EQ(chmod(d.c_str(), 0), 0);
  options.skipDirs = {std::make_shared<DirConfig>("*/skipme", false, false, false)};
  HookLog one, two;
  two.quiet = true;
  fullScan(one);
  const std::string alone = describeTree(tree.rootList);
  fullScan(two);
  for (const std::string &d : closed) ASSERT_EQ(chmod(d.c_str(), 0755), 0);
  EXPECT_EQ(describeTree(tree.rootList), alone);
  EXPECT_EQ(two.directories, one.directories);
  EXPECT_EQ(two.cannotChange, one.cannotChange);
}

// Subtrees handed over are read while the walk goes on and come back in
// any order, each with what its reading said; a reader ended with a subtree
// still out stops without it being taken back.
TEST_F(ScanRaceTest, HandedOverSubtreesComeBackWithTheirMessages) {
  makeDirs(t + "/a/x/y");
  makeDirs(t + "/b/z");
  FileSystem &fs = systemFileSystem();
  DirHandle top(fs, fs.openDir(FileSystem::kHere, t.c_str(), FileSystem::kList));
  ASSERT_GE(top.fd(), 0);
  DirNodeList handed{dirNode("a"), dirNode("b"), dirNode("gone")};
  DirNodeRef late = dirNode("c");
  HookLog log;
  {
    SubtreeReader reader(fs, options, 0);
    ASSERT_TRUE(reader.wantsWork());
    std::vector<SubtreeReader::Job *> jobs;
    for (const DirNodeRef &node : handed)
      jobs.push_back(reader.handOver(*node, top.fd(), t + "/" + node->name.str()));
    for (size_t i = jobs.size(); i-- > 0;) reader.collect(jobs[i], log);
    reader.handOver(*late, top.fd(), t + "/c");
  }
  EXPECT_EQ(describeTree(handed), "a\na/x\na/x/y\nb\nb/y\nb/z\ngone [unreadable]\n");
  EXPECT_EQ(log.directories, 4u);
  EXPECT_EQ(log.cannotChange, std::vector<std::string>{"gone: No such file or directory"});
}

}  // namespace
