// A file system held in memory, for tests of what reads the disk: a tree
// of directories, links and files with modes, owners and times; the
// descriptors the program opens; a clock the test moves on; counts of the
// calls made; and a hook called before every call, through which a test
// changes the tree in the middle of a scan (a scripted race). It resolves
// names, links and permissions as the system does, for the one identity
// it is given. Safe to call from several threads at once.
#ifndef VOK_TESTS_MEMORY_FS_H
#define VOK_TESTS_MEMORY_FS_H

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "base/file_system.h"

class MemoryFileSystem : public FileSystem {
 public:
  // Only "/" (mode 0755, owned by root) at time 1000000, for root.
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  // The tree. Paths are absolute; missing parents of a directory are made.
  // Every change stamps the directory whose entries changed (or, for
  // chmod and chown, the node itself) with the clock's time.
  void makeDir(const std::string &path, mode_t mode = 0755);
  void makeFile(const std::string &path);
  void makeLink(const std::string &path, const std::string &target);
  void remove(const std::string &path);  // with everything below it
  void rename(const std::string &from, const std::string &to);
  void chmod(const std::string &path, mode_t mode);
  void chown(const std::string &path, uid_t uid, gid_t gid);
  // A file made in the directory and removed: its times become now.
  void touch(const std::string &path);

  void advance(int64_t seconds);
  // Between scans: the scans read the identity without taking the lock.
  void setIdentity(uid_t uid, std::vector<gid_t> groups);
  // Listings of the directory fail after their first entry.
  void failListing(const std::string &path);
  // Listings give no entry types (as some file systems do).
  void hideEntryTypes() { hideTypes_ = true; }

  // Called before every call with the call's name ("openDir", "status",
  // "statusAt", "list", "readLink", "access") and the full path it is
  // about (relative names joined to their directory's); it may change the
  // tree.
  std::function<void(const std::string &call, const std::string &name)> beforeCall;
  size_t calls(const std::string &call) const;
  size_t openDescriptors() const;

  int openDir(int at, const char *name, OpenMode mode) override;
  void close(int fd) override;
  int duplicate(int fd) override;
  int status(int fd, FileStatus &out) override;
  int statusAt(int at, const char *name, bool follow, FileStatus &out) override;
  bool list(int fd, ListingSink &sink) override;
  std::string readLink(int at, const char *name) override;
  bool access(int at, const char *name, int mode) override;
  int64_t now() override;

 private:
  struct Node;
  using NodeRef = std::shared_ptr<Node>;
  struct Opened {
    NodeRef node;
    bool listable;
  };

  void call(const std::string &name, int at, const std::string &argument);
  std::string pathOf(const Node &node) const;
  bool may(const Node &node, int bit) const;
  NodeRef resolve(int at, const std::string &name, bool follow);
  NodeRef resolveFrom(NodeRef dir, const std::string &name, bool follow, int depth);
  NodeRef existing(const std::string &path);
  NodeRef parentOf(const std::string &path, std::string &last);
  void stamp(Node &node, bool entries);
  FileStatus statusOf(const Node &node) const;

  mutable std::recursive_mutex mutex_;
  NodeRef root_;
  std::map<int, Opened> open_;
  int nextFd_ = 3;
  ino_t nextInode_ = 2;
  int64_t now_ = 1000000;
  bool unchecked_ = false;  // while the tests' own lookups run
  std::set<const Node *> failing_;
  bool hideTypes_ = false;
  std::map<std::string, size_t> calls_;
};

#endif
