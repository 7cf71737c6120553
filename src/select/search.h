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

// A directory may be searched unless it cannot be entered.
inline bool searchable(const DirNode &node) {
  return node.unreadableState != ReadCannotEnter;
}

// What the searches do with one directory of their walk (the tree's or the
// saved file's).
struct SearchRules {
  std::string literal;
  PatternRef expression;
  std::string marker;
  // The exact search: a match, or the marker where the current directory
  // does not match.
  void exact(MatchList &list, std::string_view name, const std::string &path,
             bool searchable, const DirNodeRef &node) const;
  // The approximate search: kept when among the `limit` closest.
  void closest(MatchList &list, size_t limit, std::string_view name,
               const std::string &path, bool searchable, const DirNodeRef &node) const;

  // The literal in lower case, made by the first approximate step.
  mutable std::string loweredLiteral = {};
};

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
// Keeps the directory in the list of the `limit` closest, ordered by score
// (ties in the order offered), when it is one of them.
void offerClosest(MatchList &list, size_t limit, uint32_t score, const std::string &path,
                  const DirNodeRef &node);
// The score of one name (exposed for tests).
uint32_t fuzzyScore(const std::string &literal, const std::string &name);

#endif
