// Searching the tree for the directories a pattern matches: exactly, and
// approximately when nothing matches exactly.
#ifndef VOK_SELECT_SEARCH_H
#define VOK_SELECT_SEARCH_H

#include <cstdint>
#include <string>
#include <vector>

#include "base/pattern.h"
#include "tree/dir_tree.h"

struct DirMatch {
  std::string path;
  DirNodeRef node;
  bool isCurrent = false;  // a marker for the current directory
  uint32_t score = 0;      // approximate search only; lower is better
};
using MatchList = std::vector<DirMatch>;

// Exact search of the tree, parents before children. With a marker path
// (the current directory), that directory is listed as a marker where it
// does not match itself. Falls back to the approximate search of the
// fuzzySize closest names (none when 0) when nothing, or only the marker,
// was found.
void searchTree(MatchList &list, const DirNodeList &roots, const std::string &literal,
                const PatternRef &expression, const std::string &marker,
                uint32_t fuzzySize);
// The `size` names closest to the literal, best first.
void fuzzySearch(MatchList &list, const DirNodeList &roots, const std::string &literal,
                 uint32_t size);
// The score of one name (exposed for tests).
uint32_t fuzzyScore(const std::string &literal, const std::string &name);

#endif
