// The in-memory snapshot of the directory tree: nodes for directories and
// links to directories (never files), the list of roots, the order of
// siblings and the walk over all nodes.
#ifndef VOK_TREE_DIR_TREE_H
#define VOK_TREE_DIR_TREE_H

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
using DirNodeRef = std::shared_ptr<DirNode>;
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

// A new empty node, from the node pool.
DirNodeRef newDirNode();

// A node for the directory, link or other file at path (relative names
// against the working directory), with the status refreshStatus reads.
DirNodeRef nodeFromPath(const std::string &path);

// The order of siblings, from the SortTree and CaseSensitiveSort settings.
struct TreeOrder {
  bool sorted = true;
  bool caseSensitive = false;
};
// Bytewise with caseSensitive, strcasecmp otherwise.
bool compareNames(const DirNode &a, const DirNode &b, const TreeOrder &order);
bool compareNameTexts(const std::string &a, const std::string &b, const TreeOrder &order);
// Stable; does nothing unless the order is sorted.
void sortChildren(DirNodeList &list, const TreeOrder &order);

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
