// Resolving the symbolic links of a tree: where each leads (its physical
// path), whether that lies inside the tree, and whether it may be searched
// and read.
#ifndef VOK_SCAN_LINKS_H
#define VOK_SCAN_LINKS_H

#include "base/file_system.h"
#include "tree/dir_tree.h"

// Resolves every link below the roots; "inside" means below these roots.
// The file system is asked from two threads at once.
void resolveLinksBelow(FileSystem &fs, DirNodeList &roots);

#endif
