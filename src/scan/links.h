// Resolving the symbolic links of a tree: where each leads (its physical
// path), whether that lies inside the tree, and whether it may be searched
// and read. Entering the targets moves the working directory.
#ifndef VOK_SCAN_LINKS_H
#define VOK_SCAN_LINKS_H

#include "tree/dir_tree.h"

// Resolves every link below the roots; "inside" means below these roots.
void resolveLinksBelow(DirNodeList &roots);

#endif
