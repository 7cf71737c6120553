#include "base/safe_file.h"

#include <dlfcn.h>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

// A replacement is safe only when its bytes reach the disk before its name
// takes the old file's place; nothing else shows the order, so this test
// program puts itself before the C library's fsync and rename and writes
// down the calls while `syncLog` is set.
namespace {
std::vector<std::string> *syncLog = nullptr;

template <class Call>
Call realCall(const char *name) {
  return reinterpret_cast<Call>(dlsym(RTLD_NEXT, name));
}
}  // namespace

extern "C" int fsync(int fd) {
  if (syncLog) {
    char link[64], path[4096] = {};
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    if (readlink(link, path, sizeof path - 1) < 0) path[0] = '?';
    syncLog->push_back(std::string("fsync ") + path);
  }
  return realCall<int (*)(int)>("fsync")(fd);
}

extern "C" int rename(const char *from, const char *to) {
  if (syncLog) syncLog->push_back(std::string("rename ") + from + " " + to);
  return realCall<int (*)(const char *, const char *)>("rename")(from, to);
}

namespace {

bool writeAll(SafeFileWriter &file, const std::string &text) {
  return file.ok() &&
         write(file.fd(), text.data(), text.size()) ==
             static_cast<ssize_t>(text.size()) &&
         file.commit();
}

ino_t inode(const std::string &path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

// Regular files are replaced whole by a rename; other targets are written
// in place, as a plain write would, and stay what they are.
TEST(SafeFileTest, RenameOnlyOverRegularFiles) {
  ScopedTempDir dir;
  const std::string regular = dir.file("regular"), missing = dir.file("missing");
  const std::string longName = dir.file(std::string(255, 'n'));
  for (const std::string &path : {regular, longName}) writeFile(path, "old");
  chmod(regular.c_str(), 0640);
  const ino_t before = inode(regular);
  for (const std::string &path : {regular, missing, longName}) {
    SafeFileWriter file(path);
    EXPECT_FALSE(file.inPlace()) << path.size();
    EXPECT_TRUE(writeAll(file, "new")) << path.size();
    EXPECT_EQ(readFile(path), "new");
  }
  EXPECT_NE(inode(regular), before) << "replaced, not rewritten";
  struct stat status;
  ASSERT_EQ(stat(regular.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u) << "the old mode stays";

  // A pipe (as a device would) keeps being one and gets the bytes.
  const std::string pipe = dir.file("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  SafeFileWriter file(pipe);
  EXPECT_TRUE(file.inPlace());
  EXPECT_TRUE(writeAll(file, "through"));
  char got[16] = {};
  EXPECT_EQ(read(reader, got, sizeof got), 7);
  EXPECT_STREQ(got, "through");
  close(reader);
  ASSERT_EQ(lstat(pipe.c_str(), &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));
  EXPECT_TRUE(namesStartingWith(dir.path(), ".vok-").empty())
      << "a temporary left behind";
}

TEST(SafeFileTest, TheBytesAreOnDiskBeforeTheNameMoves) {
  ScopedTempDir dir;
  const std::string target = dir.file("target");
  writeFile(target, "old");
  std::vector<std::string> calls;
  syncLog = &calls;
  SafeFileWriter file(target);
  const bool written = writeAll(file, "new");
  syncLog = nullptr;
  EXPECT_TRUE(written);
  ASSERT_EQ(calls.size(), 2u) << testing::PrintToString(calls);
  const std::string temp = calls[0].substr(6);
  EXPECT_EQ(calls[0], "fsync " + temp);
  EXPECT_EQ(calls[1], "rename " + temp + " " + target);
  EXPECT_NE(temp, target);
}

// Beside a file in a directory the user may not write, no temporary can
// be made: the file, still writable, is written in place.
TEST(SafeFileTest, WritableFileInAClosedDirectory) {
  if (runningAsRoot()) GTEST_SKIP() << "permissions do not bite as root";
  ScopedTempDir dir;
  const std::string closed = dir.file("closed"), target = dir.file("closed/file");
  makeDirs(closed);
  writeFile(target, "old");
  chmod(closed.c_str(), 0555);
  SafeFileWriter file(target);
  EXPECT_TRUE(file.inPlace());
  EXPECT_TRUE(writeAll(file, "new"));
  EXPECT_EQ(readFile(target), "new");
  SafeFileWriter absent(dir.file("closed/absent"));
  EXPECT_FALSE(absent.ok()) << "nothing to write in place";
}

}  // namespace
