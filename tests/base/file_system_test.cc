#include "base/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "support/memory_fs.h"
#include "support/temp_dir.h"

namespace {

// What a file system says of a name, as one line.
std::string describe(FileSystem &fs, const std::string &root, const std::string &name) {
  const std::string path = root + "/" + name;
  const char *p = path.c_str();
  std::string out;
  for (bool follow : {false, true}) {
    FileStatus status;
    out += fs.statusAt(FileSystem::kHere, p, follow, status) == 0
               ? std::to_string(status.mode & S_IFMT) + " "
               : "errno" + std::to_string(errno) + " ";
  }
  for (FileSystem::OpenMode mode : {FileSystem::kList, FileSystem::kPath, FileSystem::kPathFollow}) {
    const int fd = fs.openDir(FileSystem::kHere, p, mode);
    out += fd >= 0 ? "open " : "errno" + std::to_string(errno) + " ";
    if (fd >= 0) fs.close(fd);
  }
  out += "[" + fs.readLink(FileSystem::kHere, p) + "] ";
  out += fs.access(FileSystem::kHere, p, F_OK) ? "there " : "absent ";
  std::string physical = fs.physicalPath(path);
  if (physical.compare(0, root.size(), root) == 0) physical.replace(0, root.size(), "ROOT");
  return out + physical;
}

// The same tree on the disk and in memory answers alike, name for name:
// what the tests of the scans learn from the memory one holds on the disk.
// The system's own resolution of a whole name agrees with the one name by
// name.
TEST(FileSystemTest, TheMemoryOneAnswersAsTheSystem) {
  ScopedTempDir temp;
  MemoryFileSystem memory;
  const std::string disk = temp.file("m"), inMemory = "/m";
  for (const char *d : {"a/x", "b"}) {
    makeDirs(disk + "/" + d);
    memory.makeDir(inMemory + "/" + d);
  }
  writeFile(disk + "/f", "x");
  memory.makeFile(inMemory + "/f");
  const std::pair<const char *, const char *> links[] = {
      {"la", "a"}, {"labs", "/ROOT/a/x"}, {"ldang", "nowhere"}, {"lloop", "lloop"},
      {"lchain", "la"}, {"lfile", "f"}};
  for (const auto &link : links) {
    std::string target = link.second;
    if (target.compare(0, 5, "/ROOT") == 0) target.replace(0, 5, disk);
    ASSERT_EQ(symlink(target.c_str(), (disk + "/" + link.first).c_str()), 0);
    target = link.second;
    if (target.compare(0, 5, "/ROOT") == 0) target.replace(0, 5, inMemory);
    memory.makeLink(inMemory + "/" + link.first, target);
  }
  FileSystem &system = systemFileSystem();
  for (const char *name : {"a", "a/x", "f", "f/x", "nope", "la", "la/x", "labs", "ldang",
                           "lloop", "lchain/x", "lfile", "a/../b", "la/..", "b/../a/./x"}) {
    std::string onDisk = describe(system, disk, name);
    // Link texts name the disk or memory root; the answers must not.
    if (onDisk.find(disk) != std::string::npos)
      onDisk.replace(onDisk.find(disk), disk.size(), inMemory);
    EXPECT_EQ(describe(memory, inMemory, name), onDisk) << name;
    const std::string path = disk + "/" + name;
    EXPECT_EQ(system.FileSystem::physicalPath(path), system.physicalPath(path)) << name;
  }
}

}  // namespace
