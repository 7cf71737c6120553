// Runs started together that rewrite the same data file take turns: no
// bookmark and no scanned directory is lost, a killed run leaves no lock
// behind, and a run that cannot have the lock goes on without it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "support/run_vok.h"
#include "support/trees.h"

namespace {

class ConcurrentTest : public ::testing::Test {
 protected:
  std::string dir(int i) const { return vok.tree() + "/d" + std::to_string(i); }
  // The bookmarks the file holds, as a set; a line twice counts once more.
  std::multiset<std::string> bookmarks() const {
    std::multiset<std::string> marks;
    std::string text = readFile(vok.dir().file("bookmarks")), line;
    for (char c : text) {
      if (c != '\n') {
        line += c;
        continue;
      }
      marks.insert(line);
      line.clear();
    }
    return marks;
  }
  // Runs all at once; every one must succeed.
  void together(const std::vector<std::vector<std::string>> &runs) {
    for (const VokResult &result : vok.runTogether(runs))
      EXPECT_EQ(result.status, 0) << result.err;
  }
  std::set<std::string> savedPaths() const {
    const std::vector<std::string> paths =
        treePaths(savedTreeOf(vok.dir().file("tree.gz")).rootList);
    return std::set<std::string>(paths.begin(), paths.end());
  }

  VokRunner vok;
};

TEST_F(ConcurrentTest, BookmarkEditsAtOnceAreAllKept) {
  for (int i = 0; i < 50; ++i) vok.makeTreeDirs("d" + std::to_string(i));
  ASSERT_EQ(vok.scanTree().status, 0);
  std::vector<std::vector<std::string>> adds;
  std::multiset<std::string> expected;
  for (int i = 0; i < 30; ++i) {
    adds.push_back({"-ba", dir(i)});
    expected.insert(dir(i));
  }
  together(adds);
  EXPECT_EQ(bookmarks(), expected) << "thirty added at once, each once";

  // Ten old ones removed while ten new ones are added.
  std::vector<std::vector<std::string>> mixed;
  for (int i = 0; i < 10; ++i) {
    mixed.push_back({"-br", dir(i)});
    mixed.push_back({"-ba", dir(30 + i)});
    expected.erase(dir(i));
    expected.insert(dir(30 + i));
  }
  together(mixed);
  EXPECT_EQ(bookmarks(), expected);
}

TEST_F(ConcurrentTest, ScansAtOnceLoseNoDirectory) {
  vok.makeTreeDirs("a");
  vok.makeTreeDirs("b");
  vok.makeTreeDirs("c");
  ASSERT_EQ(vok.scanTree().status, 0);
  // Two partial scans and a smart one, each with new directories to add.
  for (int i = 0; i < 300; ++i)
    for (const char *part : {"a/n", "b/n", "c/n"})
      vok.makeTreeDirs(part + std::to_string(i));
  together({{"-rpq", vok.tree() + "/a"}, {"-rpq", vok.tree() + "/b"}, {"-rq"}});
  const std::set<std::string> saved = savedPaths();
  for (const char *part : {"/a/n299", "/b/n299", "/c/n299", "/a/n0", "/b/n0"})
    EXPECT_EQ(saved.count(vok.tree() + part), 1u) << part;
  EXPECT_EQ(saved.size(), 4u + 900u);
}

// A run killed while it writes holds the lock no more: the next one goes
// on at once (runTogether ends a run that hangs, and the test fails).
TEST_F(ConcurrentTest, AKilledRunLeavesNoLock) {
  for (int i = 0; i < 2; ++i) vok.makeTreeDirs("d" + std::to_string(i));
  ASSERT_EQ(vok.scanTree().status, 0);
  vok.signalWhileWriting(SIGKILL);
  // On a busy machine the run may end before the signal comes: try again.
  int signal = 0;
  for (int attempt = 0; attempt < 10 && signal != SIGKILL; ++attempt)
    signal = vok.run({"-ba", dir(0)}).signal;
  EXPECT_EQ(signal, SIGKILL);
  vok.signalWhileWriting(0);
  std::vector<VokResult> next = vok.runTogether({{"-ba", dir(1)}});
  EXPECT_EQ(next[0].status, 0) << next[0].err;
  // The killed run may have put its file in place before the signal came.
  std::multiset<std::string> kept = bookmarks();
  kept.erase(dir(0));
  EXPECT_EQ(kept, std::multiset<std::string>{dir(1)});
}

// Interrupted while it waits for the lock, a run has made nothing yet.
TEST_F(ConcurrentTest, AnInterruptedWaitLeavesNothingBehind) {
  vok.makeTreeDirs("d0");
  ASSERT_EQ(vok.scanTree().status, 0);
  const std::string lock = vok.dir().file("bookmarks.lock");
  const int held = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  std::vector<VokResult> waited =
      vok.runTogether({{"-ba", dir(0)}}, [](const auto &pids) {
        usleep(1500000);  // past the second after which a terminal is told
        kill(pids[0], SIGINT);
      });
  close(held);
  EXPECT_EQ(waited[0].signal, SIGINT);
  EXPECT_EQ(waited[0].err, "") << "standard error is no terminal here";
  EXPECT_TRUE(namesStartingWith(vok.dir().path(), ".vok-").empty());
  EXPECT_NE(access(vok.dir().file("bookmarks").c_str(), F_OK), 0);
}

// Where no lock file can be made, the run goes on without one.
TEST_F(ConcurrentTest, AFileInADirectoryThatCannotBeWrittenStillWorks) {
  if (runningAsRoot()) GTEST_SKIP() << "root may write every directory";
  vok.makeTreeDirs("d0");
  ASSERT_EQ(vok.scanTree().status, 0);
  const std::string locked = vok.dir().file("locked");
  makeDirs(locked);
  writeFile(locked + "/bookmarks", "");
  chmod(locked.c_str(), 0555);
  vok.setEnv("VOK_BOOKMARK", locked + "/bookmarks");
  const VokResult result = vok.run({"-ba", dir(0)});
  chmod(locked.c_str(), 0755);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(readFile(locked + "/bookmarks"), dir(0) + "\n");
}

}  // namespace
