// The walk. Every directory is opened relative to its parent's descriptor
// (openat with O_NOFOLLOW and O_DIRECTORY), so no name is resolved twice, a
// directory renamed or replaced by a link while the scan runs is never
// entered by mistake, and the working directory plays no part. An explicit
// stack of frames replaces recursion, so no depth of tree exhausts the call
// stack; only the deepest frames keep their descriptors open, and a frame
// whose descriptor was given up reopens it through its child's "..",
// checked against the device and inode it had.
#include "scan/scanner.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <unordered_map>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "base/threads.h"
#include "config/dir_config.h"
#include "config/reader.h"
#include "base/globals.h"
#include "scan/scan_commands.h"
#include "tree/tree_file.h"

bool treeScanned = false;

namespace {

// Times are whole seconds, so a directory changed in the same second in
// which the previous scan read it looks unchanged. Directories whose newest
// time is not before that scan's start are therefore read again.
int64_t previousScanStart = INT64_MAX;

constexpr int kListFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kPathFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Frames that keep their directory open; deeper trees reopen the rest.
constexpr size_t kOpenFrames = 64;

// Whether the process may search a directory of this status: from the mode
// bits for the usual case, from the system when they say no, since an
// access control list may still allow it.
bool canSearch(const struct stat &status, int at, const char *name) {
  static const uid_t uid = geteuid();
  static const std::vector<gid_t> groups = [] {
    std::vector<gid_t> list(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)));
    list.resize(static_cast<size_t>(
        std::max(getgroups(static_cast<int>(list.size()), list.data()), 0)));
    list.push_back(getegid());
    return list;
  }();
  if (uid == 0) return true;
  mode_t bit = S_IXOTH;
  if (status.st_uid == uid)
    bit = S_IXUSR;
  else if (std::find(groups.begin(), groups.end(), status.st_gid) != groups.end())
    bit = S_IXGRP;
  if (status.st_mode & bit) return true;
  return faccessat(at, name, X_OK, AT_EACCESS) == 0;
}

struct Descriptor {
  int fd = -1;
  explicit Descriptor(int fd) : fd(fd) {}
  ~Descriptor() {
    if (fd >= 0) close(fd);
  }
  Descriptor(const Descriptor &) = delete;
  Descriptor &operator=(const Descriptor &) = delete;
  int release() {
    int kept = fd;
    fd = -1;
    return kept;
  }
};

// A node for an entry that is a directory or a link to one; null for
// anything else. Only links and entries of unknown type cost system calls:
// a directory gets its status when it is opened.
DirNodeRef nodeForEntry(int dirFd, const char *name, unsigned char type) {
  if (type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN) return nullptr;
  struct stat status;
  if (type != DT_DIR && fstatat(dirFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
    return nullptr;
  const bool link = type == DT_LNK || (type == DT_UNKNOWN && S_ISLNK(status.st_mode));
  DirNodeRef node = newDirNode();
  node->name = name;
  if (!link) {
    if (type == DT_UNKNOWN && !S_ISDIR(status.st_mode)) return nullptr;
    if (type == DT_UNKNOWN)
      node->setDirectoryStatus(status);
    else
      node->entryMode = node->targetMode = S_IFDIR;
    return node;
  }
  struct stat target;
  if (fstatat(dirFd, name, &target, 0) != 0 || !S_ISDIR(target.st_mode)) return nullptr;
  node->entryMode = static_cast<uint16_t>(status.st_mode);
  node->targetMode = static_cast<uint16_t>(target.st_mode);
  node->modifyTime = status.st_mtime;
  node->changeTime = status.st_ctime;
  char text[4096];
  const ssize_t length = readlinkat(dirFd, name, text, sizeof text);
  node->setLinkText(std::string(text, length > 0 ? static_cast<size_t>(length) : 0));
  return node;
}

// The directories and links to directories of a listing, in the system's
// order. A listing that fails, even part-way, is no listing: false.
bool readListing(int fd, DirNodeList &out) {
  alignas(8) static char buffer[1 << 16];
  for (;;) {
    const ssize_t got = getdents64(fd, buffer, sizeof buffer);
    if (got < 0) {
      out.clear();
      return false;
    }
    if (got == 0) return true;
    for (ssize_t at = 0; at < got;) {
      const auto *entry = reinterpret_cast<const struct dirent64 *>(buffer + at);
      at += entry->d_reclen;
      const char *name = entry->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
        continue;
      if (DirNodeRef node = nodeForEntry(fd, name, entry->d_type))
        out.push_back(std::move(node));
    }
  }
}

[[noreturn]] void invalidState() {
  throw ErrorGeneric(_("Invalid directory tree state, program aborted"));
}

void removeUnmarked(DirNodeList &list) {
  DirNodeList kept;
  kept.reserve(list.size());
  for (DirNodeRef &node : list)
    if (node->scanMark != MarkIdle) kept.push_back(std::move(node));
  list.swap(kept);
}

void clearMarks(DirNodeList &list) {
  for (const DirNodeRef &node : list) node->scanMark = MarkIdle;
}

bool newer(const struct stat &status, const DirNode &node) {
  const int64_t probe = std::max<int64_t>(status.st_mtime, status.st_ctime);
  const int64_t known = node.newestTime();
  return probe > known || (probe == known && probe >= previousScanStart);
}

// Whether a known directory has known subdirectories (not only links).
bool hasDirectories(const DirNode &node) {
  for (const DirNodeRef &child : node.children)
    if (!child->isLink()) return true;
  return false;
}

// Finds existing children by name and link-ness without a quadratic search
// in directories of many entries.
class ChildIndex {
 public:
  explicit ChildIndex(const DirNodeList &children) : children_(children) {
    if (children.size() > 8)
      for (size_t i = children.size(); i-- > 0;) byName_[children[i]->name] = i;
  }
  DirNode *find(const DirNode &candidate) const {
    if (!byName_.empty()) {
      auto found = byName_.find(candidate.name);
      if (found == byName_.end()) return nullptr;
      for (size_t i = found->second; i < children_.size(); ++i)
        if (matches(*children_[i], candidate)) return children_[i].get();
      return nullptr;
    }
    for (const DirNodeRef &child : children_)
      if (matches(*child, candidate)) return child.get();
    return nullptr;
  }

 private:
  static bool matches(const DirNode &child, const DirNode &candidate) {
    return child.name == candidate.name && child.isLink() == candidate.isLink();
  }
  const DirNodeList &children_;
  std::unordered_map<std::string, size_t> byName_;
};

// A smart update spends nearly all its time probing known directories, one
// system call each, and these probes do not depend on one another. So
// before the walk, two threads probe the known tree at once, taking turns
// at slices of it in walk order, and mark the subtrees in which every
// directory is unchanged. The walk then passes those without a system
// call. The probes only leave marks: everything the walk decides, reports
// and changes stays its own, and a mark spares it only a probe it would
// have made a moment later.
class Prober {
 public:
  // `top` is the node being updated and `fd` its directory (kept open by
  // the caller while the probes run).
  Prober(DirNode &top, int fd) : top_(top), fd_(fd) {}

  void run() {
    count_ = forget();
    slices_ = count_ < kShareFrom ? 1 : kSlices;
    sliceSize_ = (count_ + slices_ - 1) / slices_;
    std::thread helper;
    // A helper that fails (no memory) leaves its directories to the walk.
    const bool shared = slices_ > 1 && startHelperThread(helper, [this] {
                          try {
                            probe();
                          } catch (...) {
                          }
                        });
    probe();
    if (shared) helper.join();
    settle();
  }

  static constexpr uint8_t kUnchanged = 1;       // this directory
  static constexpr uint8_t kSubtreeUnchanged = 2;  // and everything below

 private:
  // Too few directories are not worth a thread. More are cut into slices
  // (runs of directories in walk order) that the threads take in turn, so
  // that neither waits long for the other at the end.
  static constexpr size_t kShareFrom = 256;
  static constexpr size_t kSlices = 64;
  // Directories deeper below the top are left to the walk, so that each
  // thread keeps few descriptors.
  static constexpr size_t kDepth = 64;

  struct Frame {
    DirNode *node;
    int fd;     // -1: not opened (yet)
    bool dead;  // its directory could not be probed: nothing below it is
    size_t next;
  };

  // Clears the marks of an earlier update and counts the directories to
  // probe: every known one below the top, links aside.
  size_t forget() {
    size_t count = 0;
    std::vector<DirNode *> pending{&top_};
    while (!pending.empty()) {
      DirNode *node = pending.back();
      pending.pop_back();
      for (const DirNodeRef &child : node->children) {
        if (child->isLink()) continue;
        child->scanHint = 0;
        ++count;
        if (!child->children.empty()) pending.push_back(child.get());
      }
    }
    return count;
  }

  // Opens the top frame's directory, and those above it that this thread
  // passed in memory on its way to its slice.
  bool reach(std::vector<Frame> &stack) {
    for (size_t i = 1; i < stack.size(); ++i) {
      if (stack[i].fd >= 0) continue;
      if (!stack[i - 1].dead && i <= kDepth)
        stack[i].fd = openat(stack[i - 1].fd, stack[i].node->name.c_str(), kPathFlags);
      if (stack[i].fd < 0) {
        for (size_t j = i; j < stack.size(); ++j) stack[j].dead = true;
        return false;
      }
    }
    return !stack.back().dead;
  }

  // The directories numbered [begin, end) in walk order of the next slice
  // no thread has taken; slices are taken in order.
  bool claim(size_t &begin, size_t &end) {
    const size_t slice = nextSlice_.fetch_add(1);
    if (slice >= slices_) return false;
    begin = slice * sliceSize_;
    end = std::min(count_, begin + sliceSize_);
    return true;
  }

  // Probes the slices this thread takes. The walk order is counted in
  // memory, so passing over the slices of the other thread costs nothing.
  void probe() {
    size_t begin, end;
    if (!claim(begin, end)) return;
    std::vector<Frame> stack{{&top_, fd_, false, 0}};
    struct Closer {
      std::vector<Frame> &stack;
      ~Closer() {
        for (size_t i = 1; i < stack.size(); ++i)
          if (stack[i].fd >= 0) close(stack[i].fd);
      }
    } closer{stack};
    size_t index = 0;
    while (!stack.empty()) {
      if (index >= end && !claim(begin, end)) break;
      Frame &frame = stack.back();
      if (frame.next == frame.node->children.size()) {
        if (stack.size() > 1 && frame.fd >= 0) close(frame.fd);
        stack.pop_back();
        continue;
      }
      DirNode &child = *frame.node->children[frame.next++];
      if (child.isLink()) continue;
      const bool descend = hasDirectories(child);
      if (index++ < begin || frame.dead || (frame.fd < 0 && !reach(stack))) {
        const bool dead = stack.back().dead;
        if (descend) stack.push_back({&child, -1, dead, 0});
        continue;
      }
      const int at = stack.back().fd;
      const char *name = child.name.c_str();
      struct stat status;
      int fd = -1;
      bool found;
      if (descend) {
        fd = stack.size() <= kDepth ? openat(at, name, kPathFlags) : -1;
        found = fd >= 0 && fstat(fd, &status) == 0;
      } else {
        found = fstatat(at, name, &status, AT_SYMLINK_NOFOLLOW) == 0;
      }
      found = found && S_ISDIR(status.st_mode);
      if (found && child.skipState == SkipNone && child.unreadableState == ReadOk &&
          canSearch(status, at, name) && !newer(status, child))
        child.scanHint = kUnchanged;
      if (!descend) continue;
      // A changed directory's children are probed all the same: a file
      // made in a directory changes it, not what lies below it.
      if (!found && fd >= 0) {
        close(fd);
        fd = -1;
      }
      stack.push_back({&child, fd, fd < 0, 0});
    }
  }

  // Marks the subtrees whose directories are all unchanged.
  void settle() {
    struct Up {
      DirNode *node;
      size_t next;
      bool unchanged;
    };
    std::vector<Up> stack{{&top_, 0, true}};
    while (!stack.empty()) {
      Up &up = stack.back();
      if (up.next < up.node->children.size()) {
        DirNode &child = *up.node->children[up.next++];
        if (!child.isLink())
          stack.push_back({&child, 0, child.scanHint == kUnchanged});
        continue;
      }
      const Up done = up;
      stack.pop_back();
      if (stack.empty()) break;
      if (done.unchanged) done.node->scanHint = kSubtreeUnchanged;
      stack.back().unchanged = stack.back().unchanged && done.unchanged;
    }
  }

  DirNode &top_;
  const int fd_;
  size_t count_ = 0, slices_ = 1, sliceSize_ = 0;
  std::atomic<size_t> nextSlice_{0};
};

class Walker {
 public:
  explicit Walker(ScanLog &log, std::string path) : log_(log), path_(std::move(path)) {}
  ~Walker() {
    for (Frame &frame : stack_)
      if (frame.fd >= 0) close(frame.fd);
  }
  Walker(const Walker &) = delete;
  Walker &operator=(const Walker &) = delete;

  // Reads node in full from its open directory (a listing descriptor,
  // taken over, whose status is `status`); the path is node's.
  void read(DirNode &node, int fd, const struct stat &status) {
    Descriptor dir(fd);
    if (isExcluded(path_)) {
      node.skipState = SkipSkipped;
      return;
    }
    list(node, dir.release(), status, false);
    run();
  }

  // Updates node, whose directory is open (a path descriptor, taken over)
  // and whose status is `status`; `at` and `name` name it for the system.
  void update(DirNode &node, int fd, const struct stat &status, int at,
              const char *name) {
    Prober(node, fd).run();
    updateNode(node, fd, status, at, name);
    run();
  }

 private:
  struct Item {
    DirNode *child;
    bool fresh;  // new: read in full; else known: update
  };
  struct Frame {
    DirNode *node;
    int fd;  // -1 when given up to spare descriptors, or never needed
    dev_t dev;
    ino_t ino;
    size_t pathLength;
    std::vector<Item> items;
    size_t next;
    bool relisted;
    DirNodeList added;  // new children of a relisted directory
    bool lost;          // its directory could not be found again
    bool unchanged;     // probed ahead with all below it: needs no descriptor
  };

  void run();
  void visit(size_t frame, const Item &item);
  void readChild(size_t frame, DirNode &child);
  void updateChild(size_t frame, DirNode &child);
  void updateNode(DirNode &node, int fd, const struct stat &status, int at,
                  const char *name);
  void keepUnchanged(DirNode &node);
  static std::vector<Item> knownItems(const DirNode &node);
  void list(DirNode &node, int fd, const struct stat &status, bool relisting);
  void push(DirNode &node, int fd, const struct stat &status, std::vector<Item> items,
            bool relisted, DirNodeList added);
  void finish(Frame &frame);
  bool reopen(Frame &frame, int childFd);
  void enterFailed(DirNode &child, int error, int at, const char *name);
  void reportChildren(DirNode &node);

  ScanLog &log_;
  std::string path_;
  std::vector<Frame> stack_;
  size_t firstOpen_ = 0;  // frames from here up have their descriptor
};

// Every frame comes with its directory open; the top frame always has it.
void Walker::push(DirNode &node, int fd, const struct stat &status,
                  std::vector<Item> items, bool relisted, DirNodeList added) {
  stack_.push_back({&node, fd, status.st_dev, status.st_ino, path_.size(),
                    std::move(items), 0, relisted, std::move(added), false, false});
  // Keep only the deepest frames' descriptors, so that no depth of tree
  // runs out of them. The frames with a descriptor are always the top ones
  // (above them come only frames of unchanged subtrees, which need none).
  if (stack_.size() - firstOpen_ <= kOpenFrames) return;
  Frame &oldest = stack_[firstOpen_++];
  close(oldest.fd);
  oldest.fd = -1;
}

// A listing of node's directory becomes its children (a full read) or is
// matched against them (relisting); the frame that visits them is pushed.
void Walker::list(DirNode &node, int fd, const struct stat &status, bool relisting) {
  Descriptor dir(fd);
  DirNodeList entries;
  if (!readListing(fd, entries)) {
    node.unreadableState = ReadCannotList;
    node.clearChildren();
    return;
  }
  std::vector<Item> items;
  items.reserve(entries.size());
  if (!relisting) {
    node.children = std::move(entries);
    for (const DirNodeRef &child : node.children) items.push_back({child.get(), true});
    push(node, dir.release(), status, std::move(items), false, {});
    return;
  }
  node.unreadableState = ReadOk;
  for (const DirNodeRef &child : node.children)
    if (child->scanMark != MarkIdle) invalidState();
  ChildIndex index(node.children);
  DirNodeList added;
  for (DirNodeRef &candidate : entries) {
    DirNode *existing = index.find(*candidate);
    if (existing) {
      existing->scanMark = MarkSeen;
      if (existing->isLink() && candidate->newestTime() > existing->newestTime())
        existing->copyAttributes(*candidate);
      items.push_back({existing, false});
      continue;
    }
    candidate->scanMark = MarkSeen;
    items.push_back({candidate.get(), true});
    added.push_back(std::move(candidate));
  }
  push(node, dir.release(), status, std::move(items), true, std::move(added));
}

void Walker::run() {
  while (!stack_.empty()) {
    const size_t top = stack_.size() - 1;
    Frame &frame = stack_[top];
    if (frame.next < frame.items.size() && !frame.lost) {
      const Item item = frame.items[frame.next++];
      visit(top, item);
      continue;
    }
    finish(frame);
    const int fd = frame.fd;
    stack_.pop_back();
    firstOpen_ = std::min(firstOpen_, stack_.size());
    // The parent, now on top, needs its descriptor again; it comes through
    // "..", which is the parent only if nothing moved meanwhile.
    if (!stack_.empty() && stack_.back().fd < 0 && !stack_.back().lost &&
        !stack_.back().unchanged) {
      stack_.back().lost = !reopen(stack_.back(), fd);
      if (!stack_.back().lost) firstOpen_ = stack_.size() - 1;
    }
    if (fd >= 0) close(fd);
  }
}

bool Walker::reopen(Frame &frame, int childFd) {
  if (childFd < 0) return false;
  const int fd = openat(childFd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  struct stat status;
  if (fd < 0) return false;
  if (fstat(fd, &status) != 0 || status.st_dev != frame.dev ||
      status.st_ino != frame.ino) {
    close(fd);
    return false;
  }
  frame.fd = fd;
  return true;
}

void Walker::finish(Frame &frame) {
  DirNode &node = *frame.node;
  // Children a frame could not get back to were never entered.
  if (frame.lost)
    for (size_t i = frame.next; i < frame.items.size(); ++i)
      if (frame.items[i].fresh) frame.items[i].child->unreadableState = ReadCannotEnter;
  if (frame.relisted) {
    for (DirNodeRef &child : frame.added) node.children.push_back(std::move(child));
    removeUnmarked(node.children);
    clearMarks(node.children);
  } else if (node.children.capacity() > node.children.size()) {
    node.children.shrink_to_fit();
  }
  sortChildren(node.children);
}

void Walker::visit(size_t frame, const Item &item) {
  path_.resize(stack_[frame].pathLength);
  if (path_.empty() || path_.back() != '/') path_ += '/';
  path_ += item.child->name;
  log_.reportDirectory(path_);
  if (item.child->isLink()) return;
  if (item.fresh)
    readChild(frame, *item.child);
  else
    updateChild(frame, *item.child);
}

void Walker::enterFailed(DirNode &child, int error, int at, const char *name) {
  struct stat status;
  // Searchable but not readable: it was entered, it just cannot be listed.
  if (error == EACCES && fstatat(at, name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISDIR(status.st_mode)) {
    child.setDirectoryStatus(status);
    if (canSearch(status, at, name)) {
      if (isExcluded(path_))
        child.skipState = SkipSkipped;
      else
        child.unreadableState = ReadCannotList;
      return;
    }
  }
  log_.reportError(child.name, error);
  child.unreadableState = ReadCannotEnter;
  child.clearChildren();
}

// A directory new to the tree: entered, then read in full.
void Walker::readChild(size_t frame, DirNode &child) {
  const int at = stack_[frame].fd;
  const char *name = child.name.c_str();
  Descriptor dir(openat(at, name, kListFlags));
  if (dir.fd < 0) return enterFailed(child, errno, at, name);
  struct stat status;
  if (fstat(dir.fd, &status) != 0) return enterFailed(child, errno, at, name);
  child.setDirectoryStatus(status);
  if (!canSearch(status, at, name)) return enterFailed(child, EACCES, at, name);
  if (isExcluded(path_)) {
    child.skipState = SkipSkipped;
    return;
  }
  list(child, dir.release(), status, false);
}

// A directory the tree has: probed from its parent, opened only to list it
// again or to descend to the children the tree has below it.
void Walker::updateChild(size_t frame, DirNode &child) {
  if (child.scanHint == Prober::kSubtreeUnchanged) return keepUnchanged(child);
  child.scanHint = 0;
  const int at = stack_[frame].fd;
  const char *name = child.name.c_str();
  const bool descend = hasDirectories(child);
  struct stat status;
  Descriptor dir(descend ? openat(at, name, kPathFlags) : -1);
  const bool probed = descend ? dir.fd >= 0 && fstat(dir.fd, &status) == 0
                              : fstatat(at, name, &status, AT_SYMLINK_NOFOLLOW) == 0;
  if (!probed || !S_ISDIR(status.st_mode)) {
    log_.reportError(child.name, probed ? ENOTDIR : errno);
    child.unreadableState = ReadCannotEnter;
    child.clearChildren();
    return;
  }
  updateNode(child, dir.release(), status, at, name);
}

void Walker::updateNode(DirNode &node, int fd, const struct stat &status, int at,
                        const char *name) {
  Descriptor dir(fd);
  if (!canSearch(status, at, name)) {
    log_.reportError(node.name, EACCES);
    node.unreadableState = ReadCannotEnter;
    node.clearChildren();
    return;
  }
  if (isExcluded(path_)) {
    node.skipState = SkipSkipped;
    node.clearChildren();
    return;
  }
  if (node.skipState != SkipNone || newer(status, node)) {
    node.setDirectoryStatus(status);
    // Listing needs read access; by name, the directory must still be the
    // one probed.
    Descriptor listing(dir.fd >= 0
                           ? openat(dir.fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                           : openat(at, name, kListFlags));
    struct stat again;
    if (listing.fd < 0 ||
        (dir.fd < 0 && (fstat(listing.fd, &again) != 0 || again.st_dev != status.st_dev ||
                        again.st_ino != status.st_ino))) {
      node.unreadableState = ReadCannotList;
      node.clearChildren();
      return;
    }
    list(node, listing.release(), status, true);
    return;
  }
  if (node.unreadableState != ReadOk) {
    node.clearChildren();
    return;
  }
  // Only links below: nothing to descend to, nothing to open.
  if (dir.fd < 0) return reportChildren(node);
  push(node, dir.release(), status, knownItems(node), false, {});
}

// What updateNode does for a directory found unchanged, without probing
// it again: all below it was found unchanged too, so its frame needs no
// descriptor.
void Walker::keepUnchanged(DirNode &node) {
  node.scanHint = 0;
  if (isExcluded(path_)) {
    node.skipState = SkipSkipped;
    node.clearChildren();
    return;
  }
  if (!hasDirectories(node)) return reportChildren(node);
  stack_.push_back(
      {&node, -1, 0, 0, path_.size(), knownItems(node), 0, false, {}, false, true});
}

// Visits of a known directory's children, each to be updated.
std::vector<Walker::Item> Walker::knownItems(const DirNode &node) {
  std::vector<Item> items;
  items.reserve(node.children.size());
  for (const DirNodeRef &child : node.children) items.push_back({child.get(), false});
  return items;
}

void Walker::reportChildren(DirNode &node) {
  const size_t length = path_.size();
  for (const DirNodeRef &child : node.children) {
    path_.resize(length);
    if (path_.empty() || path_.back() != '/') path_ += '/';
    path_ += child->name;
    log_.reportDirectory(path_);
  }
  path_.resize(length);
  sortChildren(node.children);
}

// The start directories as plain paths; a bad escape drops an entry.
std::vector<std::string> startPaths() {
  std::vector<std::string> paths;
  for (const DirConfigRef &entry : activeConfig.StartDir) {
    try {
      paths.push_back(unescapeEntry(entry->text));
    } catch (const ErrorRange &) {
    }
  }
  return paths;
}

// Marks the root for path as kept, or scans it as a new root.
void confirmRoot(ScanLog &log, const std::string &path) {
  DirNodeRef probe = nodeFromPath(path);
  for (const DirNodeRef &root : dirTree.rootList) {
    if (root->name == path && probe->isDir() && root->isLink() == probe->isLink()) {
      root->scanMark = MarkKept;
      return;
    }
  }
  scanRoot(log, path, true);
}

void cannotEnter(ScanLog &log, DirNode &node, const std::string &name, int error) {
  log.reportError(name, error);
  node.unreadableState = ReadCannotEnter;
  node.clearChildren();
}

// Updates (or with `full` reads anew) the tree below a node from its full
// path. False, with errno set, when the directory cannot be entered.
bool scanAt(ScanLog &log, DirNode &node, const std::string &path, bool full) {
  Descriptor dir(open(path.c_str(), kPathFlags));
  struct stat status;
  if (dir.fd < 0 || fstat(dir.fd, &status) != 0) return false;
  if (!full) {
    Walker(log, path).update(node, dir.release(), status, AT_FDCWD, path.c_str());
    return true;
  }
  if (!canSearch(status, AT_FDCWD, path.c_str())) {
    errno = EACCES;
    return false;
  }
  node.clearChildren();
  if (isExcluded(path)) {
    node.skipState = SkipSkipped;
    return true;
  }
  Descriptor listing(openat(dir.fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (listing.fd < 0)
    node.unreadableState = ReadCannotList;
  else
    Walker(log, path).read(node, listing.release(), status);
  return true;
}

void updateRoot(ScanLog &log, DirNode &root) {
  log.reportDirectory(root.name);
  if (root.isLink()) {
    // A root that is a link is entered (its target must be a directory we
    // may search) but not read.
    Descriptor target(open(root.name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat status;
    if (target.fd < 0 || fstat(target.fd, &status) != 0)
      return cannotEnter(log, root, root.name, errno);
    if (!canSearch(status, AT_FDCWD, root.name.c_str()))
      return cannotEnter(log, root, root.name, EACCES);
    DirNodeRef probe = nodeFromPath(root.name);
    if (probe->newestTime() > root.newestTime()) root.copyAttributes(*probe);
    return;
  }
  if (!scanAt(log, root, root.name, false)) cannotEnter(log, root, root.name, errno);
}

// Where an entered link leads: target is the physical path ("" when it
// could not be had).
void placeLink(DirNode &link, const std::string &target, DirNodeList &roots) {
  if (target.empty()) {
    link.linkState = LinkNotFound;
    return;
  }
  link.setResolvedPath(target);
  link.linkState =
      lookupPath(target, false, false, false, roots).node ? LinkInside : LinkOutside;
}

void resolveLink(DirNode &link, const std::string &path, DirNodeList &roots) {
  // The usual case resolves the long path once: entering the target proves
  // it is there and may be searched, and "." is quick to test for reading.
  if (chdir(path.c_str()) == 0 && access(".", R_OK | X_OK) == 0) {
    link.linkState = LinkInside;
    link.linkAccess = AccessOk;
    return placeLink(link, getCurrentDir(), roots);
  }
  // The separate tests tell what is missing.
  if (access(path.c_str(), R_OK | X_OK) != 0) {
    if (access(path.c_str(), F_OK) != 0) {
      link.linkState = LinkNotFound;
      return;
    }
    link.linkState = LinkInside;
    link.linkAccess = access(path.c_str(), X_OK) != 0 ? AccessNoSearch : AccessNoRead;
    return;
  }
  link.linkState = LinkInside;
  link.linkAccess = AccessOk;
  placeLink(link, chdir(path.c_str()) == 0 ? getCurrentDir() : std::string(), roots);
}

int64_t now() { return static_cast<int64_t>(time(nullptr)); }

}  // namespace

bool isExcluded(const std::string &path) {
  return matchesSkipDir(path) || matchesMountDir(path);
}

std::string unescapeEntry(const std::string &text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      result += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == 'x') {
      auto hex = [&](size_t at) {
        return at < text.size() ? hexDigitValue(text[at]) : -1;
      };
      int high = hex(i + 2), low = hex(i + 3);
      if (high < 0 || low < 0) throw ErrorRange();
      result += static_cast<char>(high * 16 + low);
      i += 3;
    } else if (i + 1 < text.size()) {
      result += text[++i];
    }
  }
  return result;
}

void scanRoot(ScanLog &log, const std::string &path, bool mark) {
  if (access(path.c_str(), F_OK) != 0) {
    log.reportNotFound(path);
    return;
  }
  // A root must be a directory the process may enter (through a link or not).
  Descriptor dir(open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  struct stat status;
  if (dir.fd < 0 || fstat(dir.fd, &status) != 0 ||
      !canSearch(status, AT_FDCWD, path.c_str())) {
    log.reportNotDirectory(path);
    return;
  }
  DirNodeRef root = nodeFromPath(path);
  dirTree.rootList.push_back(root);
  if (mark) root->scanMark = MarkSeen;
  log.reportDirectory(path);
  if (!root->isLink()) scanAt(log, *root, path, true);
}

void fullScan(ScanLog &log) {
  const int64_t start = now();
  dirTree.lastScanTime = start;
  log.quiet = activeConfig.QuietFullScan;
  dirTree.rootList.clear();
  if (activeConfig.StartDir.empty()) {
    scanRoot(log, "/", false);
  } else {
    for (const std::string &path : startPaths()) scanRoot(log, path, false);
    sortChildren(dirTree.rootList);
  }
  resolveLinks(log);
  saveTree();
  log.reportTime(now() - start, _("full scan mode"));
  treeScanned = true;
}

void smartScan(ScanLog &log) {
  const int64_t start = now();
  log.quiet = activeConfig.QuietSmartScan;
  loadTree(true);
  previousScanStart = dirTree.lastScanTime;
  dirTree.lastScanTime = start;
  if (treeScanned) return;
  for (const DirNodeRef &root : dirTree.rootList)
    if (root->scanMark != MarkIdle) invalidState();
  std::vector<std::string> paths =
      activeConfig.StartDir.empty() ? std::vector<std::string>{"/"} : startPaths();
  for (const std::string &path : paths) {
    if (dirTree.rootList.empty())
      scanRoot(log, path, true);
    else
      confirmRoot(log, path);
  }
  removeUnmarked(dirTree.rootList);
  for (const DirNodeRef &root : dirTree.rootList) {
    if (!root->isDir())
      root->scanMark = MarkIdle;
    else if (root->scanMark != MarkSeen)
      updateRoot(log, *root);
  }
  removeUnmarked(dirTree.rootList);
  clearMarks(dirTree.rootList);
  sortChildren(dirTree.rootList);
  resolveLinks(log);
  saveTree();
  log.reportTime(now() - start, _("smart scan mode"));
  treeScanned = true;
}

void scanOneDirectory(ScanLog &log, const std::string &dir, bool full) {
  // After a rebuild in this run everything was just read.
  if (treeScanned) return;
  if (sys::chdir(dir) != 0)
    throw ErrorGenericCommandLine(_("cannot scan directory %$"), dir);
  const std::string name = getCurrentDir();
  if (name.empty())
    throw ErrorGenericCommandLine(_("cannot obtain full directory name for %$"), dir);
  DirLocation found = lookupPath(name, true, false, true);
  if (!found.node)
    throw ErrorGenericCommandLine(
        _("%$ is either a special directory, in `SkipDir' or not in `StartDir'"), dir);
  // Called alone (-t, -tr), the same-second rule needs the saved scan's time.
  if (previousScanStart == INT64_MAX) previousScanStart = dirTree.lastScanTime;
  log.reportDirectory(found.path);
  if (!scanAt(log, *found.node, found.path, full)) log.reportError(found.path, errno);
}

void partialScan(ScanLog &log, const std::vector<std::string> &dirs, bool full) {
  const int64_t start = now();
  log.quiet = activeConfig.QuietPartialScan;
  loadTree(true);
  previousScanStart = dirTree.lastScanTime;
  for (size_t i = 0; i < dirs.size(); ++i) {
    scanOneDirectory(log, dirs[i], full);
    // Lookups and link resolution move the working directory; the next
    // relative name means what the user typed.
    if (i + 1 < dirs.size() && !currentDir.empty() && chdir(currentDir.c_str()) != 0) {
    }
  }
  resolveLinks(log);
  saveTree();
  log.reportTime(now() - start, _("partial scan mode"));
}

void resolveLinks(ScanLog &log) {
  log.reportPhase(_("Resolving symbolic links"));
  resolveLinksBelow(dirTree.rootList);
}

void resolveLinksBelow(DirNodeList &roots) {
  struct Link {
    DirNode *node;
    std::string path;
  };
  std::vector<Link> links;
  walkTree(roots, [&](const DirNodeRef &node, const std::string &path) {
    if (!node->isLink()) return true;
    links.push_back({node.get(), path});
    return false;
  });
  // Entering a link's target is most of the cost, and links do not depend
  // on one another: a second thread with a working directory of its own
  // takes its share. Each link is written by the thread that takes it; the
  // tree is only read.
  std::atomic<size_t> next{0};
  auto resolveSome = [&] {
    for (size_t i; (i = next.fetch_add(1)) < links.size();)
      resolveLink(*links[i].node, links[i].path, roots);
  };
  std::thread helper;
  // A helper that fails (no memory) leaves the links it did not take.
  const bool shared = links.size() >= 64 && startHelperThread(helper, [&] {
                        try {
                          if (unshare(CLONE_FS) == 0) resolveSome();
                        } catch (...) {
                        }
                      });
  resolveSome();
  if (shared) helper.join();
}
