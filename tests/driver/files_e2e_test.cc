// The data files through the program: named relatively, with the longest
// names, as devices, and bookmarks that must not be rewritten.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <vector>

#include "support/run_vok.h"

namespace {

// Nothing moves the working directory: the files stay where the user's
// relative names put them, beside where vok started, through scans, link
// resolution and jumps.
TEST(DataFilesTest, RelativeNamesMeanTheStartingDirectory) {
  VokRunner vok;
  const std::string elsewhere = vok.dir().file("elsewhere");
  makeDirs(vok.tree() + "/a");
  makeDirs(elsewhere);
  ASSERT_EQ(symlink(elsewhere.c_str(), (vok.tree() + "/lnk").c_str()), 0);
  vok.setCwd(vok.dir().path());
  vok.setEnv("VOK_DIRTREE", std::string("rel-tree.gz"));
  vok.setEnv("VOK_BOOKMARK", std::string("rel-marks"));
  vok.setEnv("VOK_TEMP", std::string("rel-newdir"));
  EXPECT_EQ(vok.run({"-rfq"}).status, 0);
  EXPECT_EQ(vok.run({"-ba", vok.tree() + "/a"}).status, 0);
  EXPECT_EQ(vok.run({"-rq"}).status, 0);
  struct stat status;
  EXPECT_EQ(stat(vok.dir().file("rel-tree.gz").c_str(), &status), 0);
  EXPECT_NE(stat((elsewhere + "/rel-tree.gz").c_str(), &status), 0);
  EXPECT_EQ(readFile(vok.dir().file("rel-marks")), vok.tree() + "/a\n");
  VokResult jump = vok.run({"a", "1"});
  EXPECT_EQ(jump.status, 0) << jump.err << jump.out;
  EXPECT_EQ(readFile(vok.dir().file("rel-newdir")), vok.tree() + "/a")
      << jump.err << jump.out;
}

TEST(DataFilesTest, LongNamesAndDevices) {
  VokRunner vok;
  makeDirs(vok.tree() + "/a");
  const std::string longName = vok.dir().file(std::string(255, 't'));
  vok.setEnv("VOK_DIRTREE", longName);
  EXPECT_EQ(vok.run({"-rfq"}).status, 0);
  EXPECT_EQ(vok.run({"-rq"}).status, 0) << "a saved file is read back";
  vok.setEnv("VOK_BOOKMARK", vok.dir().file(std::string(255, 'b')));
  EXPECT_EQ(vok.run({"-ba", vok.tree() + "/a"}).status, 0);
  EXPECT_EQ(readFile(vok.dir().file(std::string(255, 'b'))), vok.tree() + "/a\n");

  // A device switches bookmarks off and stays a device. As root the test
  // makes a null device of its own rather than risk the system's.
  std::string null = "/dev/null";
  if (runningAsRoot()) {
    null = vok.dir().file("null");
    ASSERT_EQ(mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  }
  vok.setEnv("VOK_BOOKMARK", null);
  VokResult added = vok.run({"-ba", vok.tree() + "/a"});
  EXPECT_EQ(added.status, 0) << added.err;
  struct stat status;
  ASSERT_EQ(stat(null.c_str(), &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));
}

// Without a directory to add or remove, the file is left as it is, lines
// that reading skipped included, and the command fails.
TEST(DataFilesTest, BookmarksWithoutACurrentDirectoryAreNotRewritten) {
  VokRunner vok;
  makeDirs(vok.tree() + "/a");
  ASSERT_EQ(vok.run({"-rfq"}).status, 0);
  const std::string marks = vok.tree() + "/a\n/bad\\xZZescape\nrelative/path\n";
  writeFile(vok.dir().file("bookmarks"), marks);
  const std::string gone = vok.dir().file("gone");
  for (const char *option : {"-ba", "-br"}) {
    makeDirs(gone);
    vok.setCwd(gone);
    vok.removeCwdBeforeRun();
    VokResult result = vok.run({option});
    const std::string file = vok.dir().file("bookmarks");
    EXPECT_EQ(result.err,
              "vok: " + file +
                  ", line 2: malformed \\x escape; the line is kept but not used\n"
                  "vok: " +
                  file +
                  ", line 3: bad directory `relative/path'; the line is kept but "
                  "not used\n"
                  "vok: cannot determine current directory\n        Directory ignored\n");
    EXPECT_EQ(readFile(vok.dir().file("bookmarks")), marks) << option;
    EXPECT_EQ(result.status, 2) << option << ": nothing was done";
  }
}

// The data files vok makes list the user's directories: no access for
// group and others whatever the umask, lock files included. A file that is
// there keeps its mode through a rewrite.
TEST(DataFilesTest, NewDataFilesArePrivateOldOnesKeepTheirMode) {
  auto mode = [](const std::string &path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 07777;
  };
  for (mode_t mask : {mode_t{022}, mode_t{0}}) {
    VokRunner vok;
    vok.setUmask(mask);
    vok.makeTreeDirs("a");
    ASSERT_EQ(vok.scanTree().status, 0);
    ASSERT_EQ(vok.run({"-ba", vok.tree() + "/a"}).status, 0);
    for (const char *name :
         {"tree.gz", "tree.gz.lock", "bookmarks", "bookmarks.lock", "newdir"})
      EXPECT_EQ(mode(vok.dir().file(name)), 0600u) << name << " under umask " << mask;
    for (const char *name : {"tree.gz", "bookmarks"})
      chmod(vok.dir().file(name).c_str(), 0644);
    ASSERT_EQ(vok.run({"-rq"}).status, 0);
    ASSERT_EQ(vok.run({"-br", vok.tree() + "/a"}).status, 0);
    for (const char *name : {"tree.gz", "bookmarks"})
      EXPECT_EQ(mode(vok.dir().file(name)), 0644u) << name << " was 0644";
  }
}

// A data file about to be rewritten: the command that rewrites it and
// what the file holds before.
struct Write {
  std::vector<std::string> args;
  std::string file, old;
};

// A scanned tree of `count` directories, the first twenty bookmarked; then
// as many directories again. Full and smart scans and adding the other
// directories as bookmarks each have a larger file to write than the one
// that is there. The data files live in `dataDir` (the test's directory
// when empty); `bookmarked` gets the first bookmark.
std::vector<Write> writesOverOldFiles(VokRunner &vok, int count, size_t nameLength,
                                      std::string &bookmarked, std::string dataDir = "") {
  if (dataDir.empty()) dataDir = vok.dir().path();
  const std::string tree = dataDir + "/tree.gz", marks = dataDir + "/bookmarks";
  vok.setEnv("VOK_DIRTREE", tree);
  vok.setEnv("VOK_BOOKMARK", marks);
  std::vector<std::string> addSome = {"-ba"}, addRest = {"-ba"};
  for (int i = 0; i < count; ++i) {
    const std::string dir =
        vok.tree() + "/d" + std::to_string(i) + std::string(nameLength, 'x');
    makeDirs(dir);
    (i < 20 ? addSome : addRest).push_back(dir);
  }
  EXPECT_EQ(vok.run({"-rfq"}).status, 0);
  EXPECT_EQ(vok.run(addSome).status, 0);
  bookmarked = addSome[1];
  for (int i = 0; i < count; ++i) makeDirs(vok.tree() + "/e" + std::to_string(i));
  const std::string oldTree = readFile(tree), oldMarks = readFile(marks);
  return {
      {{"-rfq"}, tree, oldTree}, {{"-rq"}, tree, oldTree}, {addRest, marks, oldMarks}};
}

// A write that fails part-way, on a full file system or because the
// program is ended in the middle of it, leaves the previous file whole and
// readable; a failure is reported with its message and status.
TEST(DataFilesTest, FailedWritesLeaveThePreviousFile) {
  VokRunner vok;
  std::string bookmarked;
  const std::vector<Write> writes = writesOverOldFiles(vok, 1000, 40, bookmarked);
  for (bool killed : {false, true}) {
    for (const Write &write : writes) {
      SCOPED_TRACE(write.args[0] + (killed ? " killed" : " full"));
      vok.setFileSizeLimit(write.old.size() + 16, killed);
      VokResult result = vok.run(write.args);
      if (killed) {
        EXPECT_EQ(result.signal, SIGXFSZ);
      } else {
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, "vok: error writing file " + write.file + "\n");
      }
      EXPECT_TRUE(readFile(write.file) == write.old) << "the previous file is whole";
      EXPECT_TRUE(namesStartingWith(vok.dir().path(), ".vok-").empty()) << "nothing left";
    }
  }
  vok.setFileSizeLimit(0, false);
  EXPECT_EQ(vok.run({"-rq"}).status, 0) << "and still readable";
  EXPECT_EQ(vok.run({"-br", bookmarked}).status, 0);
}

// A real full file system where the test may make one (root, and a mount
// namespace of its own): a tmpfs that the previous files and a filler
// leave no room in. Every write fails with ENOSPC and is reported; the
// previous files stay whole.
TEST(DataFilesTest, AFullFileSystemLeavesThePreviousFile) {
  if (!runningAsRoot()) GTEST_SKIP() << "mounting a file system needs root";
  if (unshare(CLONE_NEWNS) != 0 ||
      mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
    GTEST_SKIP() << "no mount namespace of our own here";
  VokRunner vok;
  const std::string small = vok.dir().file("small");
  makeDirs(small);
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=2m") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here";
  std::string bookmarked;
  const std::vector<Write> writes = writesOverOldFiles(vok, 1000, 40, bookmarked, small);
  const int filler = open((small + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
  const std::string block(4096, 'f');
  while (write(filler, block.data(), block.size()) > 0) {
  }
  while (write(filler, block.data(), 1) > 0) {
  }
  close(filler);
  for (const Write &write : writes) {
    SCOPED_TRACE(write.args[0]);
    VokResult result = vok.run(write.args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "vok: error writing file " + write.file + "\n");
    EXPECT_TRUE(readFile(write.file) == write.old) << "the previous file is whole";
    EXPECT_TRUE(namesStartingWith(small, ".vok-").empty()) << "nothing left";
  }
  unlink((small + "/filler").c_str());
  EXPECT_EQ(vok.run({"-rq"}).status, 0) << "room again: the scan is saved";
  EXPECT_EQ(vok.run({"-br", bookmarked}).status, 0);
  umount2(small.c_str(), MNT_DETACH);
}

// Signals that end the program in the middle of writing the tree or the
// bookmark file: the previous file stays whole, and every signal but
// SIGKILL takes the temporary file along. A write too quick to be caught
// ends normally with the new file whole; the run is then tried again.
TEST(DataFilesTest, SignalsWhileWritingLeaveThePreviousFile) {
  VokRunner vok;
  std::string bookmarked;
  const std::vector<Write> writes = writesOverOldFiles(vok, 3000, 150, bookmarked);
  for (int signal : {SIGINT, SIGTERM, SIGKILL}) {
    for (const Write &write : writes) {
      SCOPED_TRACE(write.args[0] + " " + strsignal(signal));
      vok.signalWhileWriting(signal);
      VokResult result;
      for (int attempt = 0; attempt < 20 && result.signal == 0; ++attempt) {
        writeFile(write.file, write.old);
        result = vok.run(write.args);
        if (result.signal == 0) {
          EXPECT_EQ(result.status, 0) << result.err;
        }
      }
      EXPECT_EQ(result.signal, signal) << "the write was never caught";
      EXPECT_TRUE(readFile(write.file) == write.old) << "the previous file is whole";
      std::vector<std::string> left = namesStartingWith(vok.dir().path(), ".vok-");
      EXPECT_EQ(left.size(), signal == SIGKILL ? 1u : 0u);
      for (const std::string &name : left) unlink(vok.dir().file(name).c_str());
    }
  }
  vok.signalWhileWriting(0);
  EXPECT_EQ(vok.run({"-rq"}).status, 0) << "the previous tree reads back";
  EXPECT_EQ(vok.run({"-br", bookmarked}).status, 0) << "and the bookmarks";
}

}  // namespace
