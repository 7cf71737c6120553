// Searching the tree for the directories a pattern matches: exactly, and
// approximately when nothing matches exactly.
#ifndef VOK_SELECT_PATTERN_H
#define VOK_SELECT_PATTERN_H

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

// Exact search of the tree, parents before children; falls back to the
// approximate search when nothing (or only the marker) was found.
void searchTree(MatchList &list, const std::string &literal, const PatternRef &expression,
                bool addCurrentMarker, const DirNodeList &roots = dirTree.rootList);
// The FuzzySize names closest to the literal, best first.
void fuzzySearch(MatchList &list, const std::string &literal,
                 const DirNodeList &roots = dirTree.rootList);
// The score of one name (exposed for tests).
uint32_t fuzzyScore(const std::string &literal, const std::string &name);

#endif
