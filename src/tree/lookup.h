// Finding a node of the tree by its full path, and adding the path where it
// is missing. Roots may nest (the current directory is added as a root of
// its own, and it may hold a start directory): a path is looked for below
// every root that holds it, the deepest root first.
#ifndef VOK_TREE_LOOKUP_H
#define VOK_TREE_LOOKUP_H

#include <string>

#include "config/dir_config.h"
#include "tree/dir_tree.h"

struct DirLocation {
  DirNodeRef node;
  std::string path;
};

// Whether path is prefix or lies below it.
bool holdsPath(const std::string &prefix, const std::string &path);

// The node whose full path is `path`, only among directories (a link is
// found only as a root); a null node when there is none. Reads nothing from
// the disk.
DirLocation findPath(const DirNodeList &roots, const std::string &path);

// What lookupPath may add where the path is missing.
struct LookupFlags {
  // A path under no root becomes a new root.
  bool createRoot = false;
  // The missing levels below the deepest directory the roots hold are added
  // as SkipAdded nodes, and that deepest directory is returned.
  bool createBelow = false;
  // When set, creation keeps to where scans go: nothing below a directory
  // these skip lists exclude, and no root but a start directory.
  const DirList *skipDirs = nullptr;
  const DirList *startDirs = nullptr;
  // How new nodes are placed among their siblings.
  TreeOrder order;
};

// findPath, then what the flags allow. Adding reads the new levels' status
// from the file system. A null node when nothing is found or may be added.
DirLocation lookupPath(FileSystem &fs, DirNodeList &roots, const std::string &path,
                       const LookupFlags &flags);

// The current directory joins the roots (as a root of its own, or below
// the deepest root that holds it), so that a display can highlight it and a
// search can mark it; nothing happens when it is "".
void joinCurrentDir(FileSystem &fs, DirNodeList &roots, const std::string &currentDir,
                    const TreeOrder &order);

#endif
