// The in-memory snapshot of the directory tree: nodes for directories and
// links to directories (never files), the list of roots, the order of
// siblings and the walk over all nodes.
#ifndef VOK_TREE_DIR_TREE_H
#define VOK_TREE_DIR_TREE_H

#include <sys/stat.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/file_system.h"
#include "tree/node_name.h"
#include "tree/node_pool.h"

enum SkipState : uint8_t { SkipNone = 0, SkipSkipped = 1, SkipAdded = 2 };
enum UnreadableState : uint8_t { ReadOk = 0, ReadCannotEnter = 1, ReadCannotList = 2 };
enum LinkState : uint8_t {
  LinkInside = 0,
  LinkOutside = 1,
  LinkNotFound = 3,
  LinkUnresolved = 4
};
enum LinkAccess : uint8_t { AccessOk = 0, AccessNoSearch = 1, AccessNoRead = 2 };
enum ScanMark : uint8_t { MarkIdle = 0, MarkSeen = 1, MarkKept = 2 };

inline bool isDirMode(uint16_t mode) { return (mode & 0xF000) == 0x4000; }
inline bool isLinkMode(uint16_t mode) { return (mode & 0xF000) == 0xA000; }

struct DirNode;

// A counted reference to a node. The count lives in the node itself: a
// tree is mostly nodes and the references to them, and a shared pointer
// would add a control block to every node and double every reference.
class DirNodeRef {
 public:
  DirNodeRef() = default;
  DirNodeRef(std::nullptr_t) {}  // NOLINT: as a pointer converts
  DirNodeRef(const DirNodeRef &other) : node_(other.node_) { retain(); }
  DirNodeRef(DirNodeRef &&other) noexcept : node_(other.node_) { other.node_ = nullptr; }
  DirNodeRef &operator=(DirNodeRef other) noexcept {
    swap(other);
    return *this;
  }
  ~DirNodeRef() { release(); }

  DirNode *get() const { return node_; }
  DirNode *operator->() const { return node_; }
  DirNode &operator*() const { return *node_; }
  explicit operator bool() const { return node_ != nullptr; }
  long use_count() const;
  void reset() { DirNodeRef().swap(*this); }
  void swap(DirNodeRef &other) noexcept { std::swap(node_, other.node_); }
  friend bool operator==(const DirNodeRef &a, const DirNodeRef &b) { return a.node_ == b.node_; }
  friend bool operator!=(const DirNodeRef &a, const DirNodeRef &b) { return a.node_ != b.node_; }

 private:
  friend DirNodeRef newDirNode();
  // Takes the first reference to a node just made.
  explicit DirNodeRef(DirNode *made);
  void retain() const;
  void release();

  DirNode *node_ = nullptr;
};

// A node's children, and the roots: a vector of references kept in 16
// bytes instead of 24, whose storage comes from the list pools.
class DirNodeList {
 public:
  using value_type = DirNodeRef;
  using iterator = DirNodeRef *;
  using const_iterator = const DirNodeRef *;

  DirNodeList() = default;
  DirNodeList(std::initializer_list<DirNodeRef> refs);
  DirNodeList(const DirNodeList &other);
  DirNodeList(DirNodeList &&other) noexcept { swap(other); }
  DirNodeList &operator=(DirNodeList other) noexcept {
    swap(other);
    return *this;
  }
  ~DirNodeList();

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  size_t capacity() const { return capacity_; }
  DirNodeRef *data() { return items_; }
  iterator begin() { return items_; }
  iterator end() { return items_ + size_; }
  const_iterator begin() const { return items_; }
  const_iterator end() const { return items_ + size_; }
  DirNodeRef &operator[](size_t i) { return items_[i]; }
  const DirNodeRef &operator[](size_t i) const { return items_[i]; }
  DirNodeRef &front() { return items_[0]; }
  const DirNodeRef &front() const { return items_[0]; }
  DirNodeRef &back() { return items_[size_ - 1]; }
  const DirNodeRef &back() const { return items_[size_ - 1]; }

  void push_back(DirNodeRef ref) {
    if (size_ == capacity_) reallocate(capacity_ == 0 ? 1 : 2 * size_t{capacity_});
    new (items_ + size_) DirNodeRef(std::move(ref));
    ++size_;
  }
  void pop_back() { items_[--size_].~DirNodeRef(); }
  void clear() {
    while (size_ > 0) pop_back();
  }
  void reserve(size_t count) {
    if (count > capacity_) reallocate(count);
  }
  void shrink_to_fit() {
    if (capacity_ > size_) reallocate(size_);
  }
  iterator insert(const_iterator at, DirNodeRef ref);
  iterator erase(const_iterator at) { return erase(at, at + 1); }
  iterator erase(const_iterator first, const_iterator last);
  void swap(DirNodeList &other) noexcept {
    std::swap(items_, other.items_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

 private:
  void reallocate(size_t newCapacity);

  DirNodeRef *items_ = nullptr;
  uint32_t size_ = 0, capacity_ = 0;
};

struct DirNode {
  DirNode() : skipState(SkipNone), unreadableState(ReadOk), scanMark(MarkIdle) {}
  DirNode(const DirNode &) = delete;
  DirNode &operator=(const DirNode &) = delete;
  // Releases the subtree iteratively, so a very deep tree cannot overflow
  // the stack on its way out.
  ~DirNode();

  // The small fields come last and the three states share a byte, so that a
  // node takes 72 bytes with its count: a tree is mostly nodes.
  NodeName name;  // full path for a root, entry name otherwise
  int64_t modifyTime = 0;
  int64_t changeTime = 0;
  DirNodeList children;

  // What a link points to (empty for directories) and the physical path of
  // its target once entered. Kept apart so that directory nodes, which are
  // nearly all of a tree, stay small.
  const std::string &linkText() const { return link_ ? link_->text : noText(); }
  const std::string &resolvedPath() const { return link_ ? link_->resolved : noText(); }
  void setLinkText(std::string text);
  void setResolvedPath(std::string path);

  bool isDir() const { return isDirMode(targetMode); }
  bool isLink() const { return isLinkMode(entryMode); }
  int64_t newestTime() const { return modifyTime > changeTime ? modifyTime : changeTime; }

  // Reads the status of the file at `path` (absolute) into the node. A
  // failed status, or a dangling link, leaves both modes 0.
  void refreshStatus(FileSystem &fs, const std::string &path);
  // Takes the status of a directory (not a link), as refreshStatus would.
  void setDirectoryStatus(const FileStatus &status);
  // Copies everything but name, scanMark and children.
  void copyAttributes(const DirNode &other);
  void clearChildren() { children.clear(); }

 private:
  struct LinkInfo {
    std::string text;
    std::string resolved;
  };
  static const std::string &noText();
  std::unique_ptr<LinkInfo> link_;

 public:
  uint16_t entryMode = 0;   // lstat
  uint16_t targetMode = 0;  // stat for links, entryMode otherwise
  uint8_t skipState : 2;
  uint8_t unreadableState : 2;
  uint8_t scanMark : 2;
  uint8_t linkState = LinkUnresolved;
  uint8_t linkAccess = AccessOk;
  // Left by the probes that run ahead of a smart update, for its walk alone.
  // A byte of its own (not a bit beside the states), since a helper thread
  // writes it while others read the node.
  uint8_t scanHint = 0;

 private:
  friend class DirNodeRef;
  // References to this node; atomic, since the helper that resolves links
  // looks nodes up while the walk holds them.
  mutable std::atomic<uint32_t> references_{0};
};

// A new empty node, from the node pool.
DirNodeRef newDirNode();
// Gives a node whose last reference went back to the node pool.
void freeDirNode(DirNode *node);

inline DirNodeRef::DirNodeRef(DirNode *made) : node_(made) { retain(); }
inline long DirNodeRef::use_count() const {
  return node_ ? static_cast<long>(node_->references_.load(std::memory_order_relaxed)) : 0;
}
inline void DirNodeRef::retain() const {
  if (node_) node_->references_.fetch_add(1, std::memory_order_relaxed);
}
inline void DirNodeRef::release() {
  if (node_ && node_->references_.fetch_sub(1, std::memory_order_acq_rel) == 1)
    freeDirNode(node_);
  node_ = nullptr;
}

// A node named `path` (absolute) for the directory, link or other file
// there, with the status refreshStatus reads.
DirNodeRef nodeFromPath(FileSystem &fs, const std::string &path);

// The order of siblings, from the SortTree and CaseSensitiveSort settings.
struct TreeOrder {
  bool sorted = true;
  bool caseSensitive = false;
};
// Bytewise with caseSensitive, strcasecmp otherwise.
bool compareNames(const DirNode &a, const DirNode &b, const TreeOrder &order);
bool compareNameTexts(std::string_view a, std::string_view b, const TreeOrder &order);
// Stable; does nothing unless the order is sorted.
void sortChildren(DirNodeList &list, const TreeOrder &order);

// A child's name joined to its parent's path in place, as every walk builds
// full paths: a root "/" has no second slash.
inline void appendChild(std::string &path, std::string_view name) {
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
}

// Calls visit(node, fullPath) for every node, parents before children, in
// list order; visit returns whether to go on into the node's children. An
// explicit stack keeps very deep trees off the call stack.
template <class Visit>
void walkTree(const DirNodeList &roots, Visit visit) {
  struct Frame {
    const DirNodeList *list;
    size_t next;
    size_t pathLength;
  };
  std::string path;
  std::vector<Frame> stack{{&roots, 0, 0}};
  while (!stack.empty()) {
    Frame &top = stack.back();
    if (top.next == top.list->size()) {
      stack.pop_back();
      continue;
    }
    const DirNodeRef &node = (*top.list)[top.next++];
    path.resize(top.pathLength);
    if (stack.size() == 1)
      path = node->name;
    else
      appendChild(path, node->name);
    if (visit(node, path) && !node->children.empty())
      stack.push_back({&node->children, 0, path.size()});
  }
}

struct DirTree {
  DirNodeList rootList;
  int64_t lastScanTime = 0;
  // Set by every completed full or smart scan of this run: the tree was
  // just read from the disk in full, and a scan of a part of it would find
  // nothing new.
  bool treeScanned = false;
};

// Hands the tree's nodes to a pointer that is never freed: freeing a
// million nodes one by one at exit only delays the shell, and the system
// reclaims them.
void keepTreeUntilExit(DirTree &tree);

#endif
