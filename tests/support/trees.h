// Trees for tests: directory nodes made in memory, the tree file read back
// as the program reads it, and a tree as text that assertions compare.
#ifndef VOK_TESTS_TREES_H
#define VOK_TESTS_TREES_H

#include <string>
#include <vector>

#include "tree/dir_tree.h"

// A directory node (mode 040755, times 0) with the children given; a
// root's name is its full path.
DirNodeRef dirNode(const std::string &name, DirNodeList children = {});

// The inflated image of a gzip file; "" when it cannot be opened.
std::string inflatedImage(const std::string &file);
// The data as one gzip member, as zlib writes it at a level.
std::string gzipped(const std::string &data, int level = 6);
// The tree a file holds, read as the program reads it; empty when missing.
DirTree savedTreeOf(const std::string &file);
// Every path of the tree, depth first.
std::vector<std::string> treePaths(const DirNodeList &roots);
// One line a node: its path and " [skipped]", " [*]", " [unreadable]" or
// " -> LINKSTATE" as they apply.
std::string describeTree(const DirNodeList &roots);

#endif
