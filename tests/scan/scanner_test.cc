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
#include "support/memory_fs.h"
#include "support/temp_dir.h"
#include "support/trees.h"
#include "tree/lookup.h"
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

// A scan of a tree held in memory: /t holds a/x, b/y and c, made ten
// seconds before the first scan; /elsewhere/secret must never appear in
// /t's tree. The scans save the tree to a real file.
class ScanRaceTest : public ::testing::Test {
 public:
  void SetUp() override {
    for (const char *d : {"/t/a/x", "/t/b/y", "/t/c", "/elsewhere/secret"}) fs.makeDir(d);
    options.startDirs = {std::make_shared<DirConfig>(t, false, false, false)};
    options.treeFile = dir.file("tree.gz");
    fs.advance(10);
  }
  void fullScan(ScanLog &log) {
    tree = DirTree();
    Scanner(tree, options, log, fs).fullScan();
  }
  // A scan as the commands run it: the smart one of the saved tree.
  void smartScan(ScanLog &log) {
    tree = DirTree();
    ASSERT_EQ(readTreeFile(options.treeFile, tree), TreeFileState::Loaded);
    Scanner(tree, options, log, fs).smartScan(fs.now());
  }
  // Replaces t/name by a link to elsewhere.
  void swap(const std::string &name) {
    fs.rename(t + "/" + name, "/moved-" + name);
    fs.makeLink(t + "/" + name, "/elsewhere");
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
  MemoryFileSystem fs;
  const std::string t = "/t";
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

// A changed directory (an unchanged one is not probed again by the walk)
// replaced once the walk has reached it.
TEST_F(ScanRaceTest, ADirectoryReplacedByALinkDuringASmartScanIsNotEntered) {
  HookLog quiet;
  fullScan(quiet);
  fs.advance(1);
  fs.touch(t + "/b");
  HookLog log;
  log.onDirectory = [&](const std::string &path) {
    if (path == t + "/b") swap("b");
  };
  smartScan(log);
  EXPECT_EQ(listed(), "\n/a\n/a/x\n/b [unreadable]\n/c\n");
  EXPECT_EQ(log.cannotChange.size(), 1u);
}

// What a smart scan reads again after a change, and that it ends with what
// a full scan reads: the times against the last scan's start (newer, the
// same second, older ones moved in), directories gone and come, rights
// lost, the skip and mount rules. The clock moves on by `later` seconds
// between the scans, without waiting.
struct SmartCase {
  const char *what;
  int later;
  std::function<void(ScanRaceTest &)> before, change;
  std::vector<std::string> relisted;  // sorted
  const char *shows;                  // in the tree afterwards
};

void PrintTo(const SmartCase &c, std::ostream *out) { *out << c.what; }

class SmartScanTest : public ScanRaceTest, public ::testing::WithParamInterface<SmartCase> {};

const DirConfigRef kSkipB = std::make_shared<DirConfig>("/t/b", false, false, false);

const SmartCase kSmartCases[] = {
    {"nothing changed", 5, nullptr, [](ScanRaceTest &) {}, {}, "/t/b/y\n"},
    {"a directory made", 5, nullptr, [](ScanRaceTest &s) { s.fs.makeDir("/t/a/new"); },
     {"/t/a", "/t/a/new"}, "/t/a/new\n"},
    {"made in the second the last scan began", 0, nullptr,
     [](ScanRaceTest &s) { s.fs.makeDir("/t/b/z"); }, {"/t/b", "/t/b/z"}, "/t/b/z\n"},
    {"a directory removed", 5, nullptr, [](ScanRaceTest &s) { s.fs.remove("/t/c"); },
     {"/t"}, "/t/b/y\n"},
    {"moved in with older times", 5, nullptr,
     [](ScanRaceTest &s) { s.fs.rename("/elsewhere/secret", "/t/a/secret"); },
     {"/t/a", "/t/a/secret"}, "/t/a/secret\n"},
    {"the right to enter lost", 5, [](ScanRaceTest &s) { s.fs.setIdentity(1000, {1000}); },
     [](ScanRaceTest &s) { s.fs.chmod("/t/b", 0700); }, {}, "/t/b [unreadable]\n"},
    {"out of SkipDir, older than the last scan", 5,
     [](ScanRaceTest &s) { s.options.skipDirs = {kSkipB}; },
     [](ScanRaceTest &s) { s.options.skipDirs.clear(); }, {"/t/b", "/t/b/y"}, "/t/b/y\n"},
    {"into SkipDir", 5, nullptr, [](ScanRaceTest &s) { s.options.skipDirs = {kSkipB}; }, {},
     "/t/b [skipped]\n"},
    {"into MountDir", 5, nullptr,
     [](ScanRaceTest &s) {
       s.options.mountDirs = {std::make_shared<MountDirConfig>("/t/c", std::vector<int>{})};
     },
     {}, "/t/c [skipped]\n"},
    {"a listing that fails", 5,
     nullptr,
     [](ScanRaceTest &s) {
       s.fs.makeDir("/t/a/new");
       s.fs.failListing("/t/a");
     },
     {"/t/a"}, "/t/a [unreadable]\n"},
};

TEST_P(SmartScanTest, ReadsAgainWhatChangedAndEndsAsAFullScan) {
  const SmartCase &c = GetParam();
  if (c.before) c.before(*this);
  HookLog first;
  fullScan(first);
  fs.advance(c.later);
  c.change(*this);
  std::vector<std::string> lists;
  fs.beforeCall = [&](const std::string &call, const std::string &path) {
    if (call == "list") lists.push_back(path);
  };
  HookLog log;
  smartScan(log);
  fs.beforeCall = nullptr;
  std::sort(lists.begin(), lists.end());
  EXPECT_EQ(lists, c.relisted);
  const std::string updated = describeTree(tree.rootList);
  EXPECT_NE(updated.find(c.shows), std::string::npos) << updated;
  HookLog again;
  fullScan(again);
  EXPECT_EQ(updated, describeTree(tree.rootList)) << "a full scan reads otherwise";
}

INSTANTIATE_TEST_SUITE_P(Changes, SmartScanTest, ::testing::ValuesIn(kSmartCases),
                         [](const ::testing::TestParamInfo<SmartCase> &param) {
                           std::string name;
                           for (const char *c = param.param.what; *c; ++c)
                             if (isalnum(static_cast<unsigned char>(*c))) name += *c;
                           return name;
                         });

// A known tree big enough for its directories to be probed by two threads
// ahead of the walk, with a chain deeper than the probes go, changed in both
// halves, below a directory that only gained a file and at the chain's
// bottom: the update must end with what a full scan reads, and report each
// directory once.
TEST_F(ScanRaceTest, ASmartUpdateOfAnOlderTreeFindsChangesEverywhere) {
  for (int i = 0; i < 40; ++i)
    for (int j = 0; j < 12; ++j)
      fs.makeDir(t + "/w" + std::to_string(i) + "/d" + std::to_string(j) + "/e");
  std::string chain = t + "/chain";
  for (int i = 0; i < 80; ++i) chain += "/l";
  fs.makeDir(chain);
  // Times are whole seconds: the first scan starts after the making.
  fs.advance(1);
  HookLog first;
  fullScan(first);

  fs.advance(1);
  fs.makeDir(t + "/w1/d3/e/new");
  fs.makeDir(t + "/w38/d11/e/new");
  fs.remove(t + "/w20/d5/e");
  fs.makeFile(t + "/w30/file");
  fs.makeDir(t + "/w30/d2/e/below-a-changed-one");
  fs.makeDir(chain + "/bottom");
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

TEST_F(ScanRaceTest, ADirectoryRemovedDuringAScanIsReported) {
  HookLog log;
  log.onDirectory = [&](const std::string &path) {
    if (path == t + "/b") fs.remove(path);
  };
  fullScan(log);
  EXPECT_EQ(listed(), "\n/a\n/a/x\n/b [unreadable]\n/c\n");
  EXPECT_EQ(log.cannotChange, std::vector<std::string>{"b: No such file or directory"});
}

// A directory the scan's user may search but not read is entered and not
// listed; one it may not search is not entered; neither is a failure.
TEST_F(ScanRaceTest, DirectoriesThatMayNotBeReadOrSearched) {
  fs.setIdentity(1000, {1000});
  fs.chmod(t + "/a", 0111);
  fs.chmod(t + "/b", 0666);
  HookLog log;
  fullScan(log);
  EXPECT_EQ(listed(), "\n/a [unreadable]\n/b [unreadable]\n/c\n");
  EXPECT_EQ(findPath(tree.rootList, t + "/a").node->unreadableState, ReadCannotList);
  EXPECT_EQ(findPath(tree.rootList, t + "/b").node->unreadableState, ReadCannotEnter);
  EXPECT_TRUE(log.cannotChange.empty());
  EXPECT_EQ(fs.openDescriptors(), 0u);
}

// Deep below, the walk keeps only the deepest frames' descriptors and
// reopens the others through "..": a frame whose child moved to another
// directory meanwhile finds another parent there, and what it had left to
// read is not entered.
TEST_F(ScanRaceTest, AFrameWhoseChildMovedAwayIsLost) {
  const std::string frame = t + "/chain/l/l/l";
  std::string deepest = frame + "/l";
  for (int i = 0; i < 70; ++i) deepest += "/l";
  fs.makeDir(deepest);
  fs.makeDir(frame + "/m");
  HookLog log;
  log.onDirectory = [&](const std::string &path) {
    if (path == deepest) fs.rename(frame + "/l", t + "/b/moved");
  };
  fullScan(log);
  const std::string read = describeTree(tree.rootList);
  EXPECT_NE(read.find(frame + "/m [unreadable]\n"), std::string::npos) << read;
  EXPECT_NE(read.find(frame + "/l/l/l\n"), std::string::npos) << "read before it moved";
  EXPECT_EQ(fs.openDescriptors(), 0u);
}

// A quiet full scan hands subtrees to a second thread; what it finds, in
// what order it says so and how many directories it counts must be what
// one thread finds. Some directories may not be entered by the user the
// scan runs as.
TEST_F(ScanRaceTest, AQuietFullScanOnTwoThreadsFindsWhatOneThreadFinds) {
  fs.setIdentity(1000, {1000});
  for (int top = 0; top < 30; ++top) {
    for (int sub = 0; sub < 20; ++sub) {
      const std::string d = t + "/c/t" + std::to_string(top) + "/s" + std::to_string(sub);
      fs.makeDir(d + "/deep/er");
      if (sub == 7) fs.makeDir(d + "/skipme/never");
      if (sub % 9 == 4) fs.chmod(d + "/deep", 0);
    }
    fs.makeLink(t + "/c/t" + std::to_string(top) + "/link", "s1");
  }
  options.skipDirs = {std::make_shared<DirConfig>("*/skipme", false, false, false)};
  HookLog one, two;
  two.quiet = true;
  fullScan(one);
  const std::string alone = describeTree(tree.rootList);
  ASSERT_NE(alone.find("/deep [unreadable]"), std::string::npos);
  fullScan(two);
  EXPECT_EQ(describeTree(tree.rootList), alone);
  EXPECT_EQ(two.directories, one.directories);
  EXPECT_EQ(two.cannotChange, one.cannotChange);
}

// Subtrees handed over are read while the walk goes on and come back in
// any order, each with what its reading said; a reader ended with a subtree
// still out stops without it being taken back.
TEST_F(ScanRaceTest, HandedOverSubtreesComeBackWithTheirMessages) {
  fs.makeDir(t + "/a/x/y");
  fs.makeDir(t + "/b/z");
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
