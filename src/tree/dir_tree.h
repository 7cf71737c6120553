// The in-memory snapshot of the directory tree: nodes for directories and
// links to directories (never files), the program-wide list of roots, and
// the lookup of a node by its full path.
#ifndef VOK_TREE_DIR_TREE_H
#define VOK_TREE_DIR_TREE_H

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
using DirNodeRef = std::shared_ptr<DirNode>;

// Children lists draw their storage from pools of equal slots (up to 32
// children; longer lists use the heap), which spares a million lists as
// many calls to malloc and its bookkeeping.
void *takeListStorage(size_t bytes);
void giveListStorage(void *storage, size_t bytes);
template <class T>
struct ListAllocator {
  using value_type = T;
  ListAllocator() = default;
  template <class U>
  ListAllocator(const ListAllocator<U> &) {}  // NOLINT: rebinding is implicit
  T *allocate(size_t n) { return static_cast<T *>(takeListStorage(n * sizeof(T))); }
  void deallocate(T *p, size_t n) { giveListStorage(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const ListAllocator<U> &) const {
    return true;
  }
  template <class U>
  bool operator!=(const ListAllocator<U> &) const {
    return false;
  }
};
using DirNodeList = std::vector<DirNodeRef, ListAllocator<DirNodeRef>>;

struct DirNode {
  DirNode() : skipState(SkipNone), unreadableState(ReadOk), scanMark(MarkIdle) {}
  DirNode(const DirNode &) = delete;
  DirNode &operator=(const DirNode &) = delete;
  // Releases the subtree iteratively, so a very deep tree cannot overflow
  // the stack on its way out.
  ~DirNode();

  // The small fields come last and the three states share a byte, so that a
  // node takes 88 bytes: a tree is mostly nodes.
  std::string name;  // full path for a root, entry name otherwise
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

  // Reads the status of `name` (relative names against the working
  // directory). A failed lstat, or a dangling link, leaves both modes 0.
  void refreshStatus();
  // Takes the status of a directory (not a link), as refreshStatus would.
  void setDirectoryStatus(const struct stat &status);
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
};

// A new empty node. Nodes come from a pool of large blocks, one
// allocation each with their shared count: a tree of a million directories
// costs a million small allocations otherwise, and as many page faults.
DirNodeRef newDirNode();

// A node for a directory entry; only directories, links and entries of
// unknown type cost an lstat. Others come back with modes 0.
DirNodeRef nodeFromEntry(const struct dirent &entry);
DirNodeRef nodeFromPath(const std::string &path);

// The sibling order: bytewise with CaseSensitiveSort, strcasecmp otherwise.
bool compareNames(const DirNode &a, const DirNode &b);
// Stable; does nothing unless SortTree is on.
void sortChildren(DirNodeList &list);

// parent's path joined with a child name, as every walk builds full paths.
std::string childPath(const std::string &parent, const std::string &name);

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
    if (stack.size() == 1) {
      path = node->name;
    } else {
      if (path.empty() || path.back() != '/') path += '/';
      path += node->name;
    }
    if (visit(node, path) && !node->children.empty())
      stack.push_back({&node->children, 0, path.size()});
  }
}

struct DirLocation {
  DirNodeRef node;
  std::string path;
};

struct DirTree {
  DirNodeList rootList;
  int64_t lastScanTime = 0;
};
extern DirTree dirTree;

// Hands the tree to a pointer that is never freed: freeing a million nodes
// one by one at exit only delays the shell, and the system reclaims them.
void keepTreeUntilExit();

// Finds the node whose full path is `path` among the roots of `roots`.
// With createBelow, missing levels below the deepest existing directory are
// added as SkipAdded nodes and that deepest directory is returned; with
// createRoot, a path under no root becomes a new root. respectRules keeps
// both from creating where scans would not go. May change the working
// directory. Returns an empty location (null node) when nothing is found.
DirLocation lookupPath(const std::string &path, bool respectRules, bool createRoot,
                       bool createBelow, DirNodeList &roots = dirTree.rootList);

#endif
