// Searching the tree for the directories a pattern matches: exactly, and
// approximately when nothing matches exactly.
#ifndef VOK_SELECT_SEARCH_H
#define VOK_SELECT_SEARCH_H

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
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

// What the approximate search keeps while it walks: the names nearest to
// the literal (fewest edits, then the closest length), at most `limit` of
// them, best score first.
struct NearestNames {
  MatchList &list;
  size_t limit;
  uint64_t nearest = UINT64_MAX;  // edits << 32 | length difference of those kept
};

// The literal as the approximate search compares it: in lower case, with
// how often each of its bytes occurs and the edits it allows.
struct TypoLiteral {
  explicit TypoLiteral(const std::string &literal);
  std::string text;
  uint32_t allowed;
  std::vector<std::pair<unsigned char, uint32_t>> counts;
};

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
  // The approximate search: kept when the literal is a near typo of a part
  // of the name (typoEdits) and the name is among the nearest found.
  void closest(NearestNames &found, std::string_view name, const std::string &path,
               bool searchable, const DirNodeRef &node) const;

  // Made by the first approximate step.
  mutable std::shared_ptr<const TypoLiteral> typo = {};
};

// The rule both searches (of the tree and of the saved file) share: the
// approximate search follows when the exact one found nothing, or only the
// current directory's marker.
inline bool wantsApproximate(const MatchList &exact) {
  return exact.empty() || (exact.size() == 1 && exact[0].isCurrent);
}

// Exact search of the tree, parents before children. With a marker path
// (the current directory), that directory is listed as a marker where it
// does not match itself. Falls back to the approximate search of the
// fuzzySize closest names (none when 0) when nothing, or only the marker,
// was found.
void searchTree(MatchList &list, const DirNodeList &roots, const std::string &literal,
                const PatternRef &expression, const std::string &marker,
                uint32_t fuzzySize);
// The names the literal is a near typo of, the nearest of them only, at
// most `size`, best score first.
void fuzzySearch(MatchList &list, const DirNodeList &roots, const std::string &literal,
                 uint32_t size);
// Keeps the directory in the list of the `limit` closest, ordered by score
// (ties in the order offered), when it is one of them.
void offerClosest(MatchList &list, size_t limit, uint32_t score, const std::string &path,
                  const DirNodeRef &node);
// The score of one name (exposed for tests).
uint32_t fuzzyScore(const std::string &literal, const std::string &name);
// How many edits a literal of this length may be from a name: one for
// every four bytes, rounded (none below three bytes).
uint32_t allowedEdits(size_t literalLength);
// The edits (a byte added, dropped or changed, two neighbours swapped) that
// turn the literal, case ignored, into a part of the name that begins where
// one of its words begins; none when more than allowedEdits.
std::optional<uint32_t> typoEdits(const std::string &literal, std::string_view name);

#endif
