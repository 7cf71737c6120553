#include "select/search.h"

#include <cctype>
#include <cstdlib>

namespace {

// Every directory of the tree with its full path; other nodes and what
// lies below them are passed over.
template <class Visit>
void walkDirectories(const DirNodeList &roots, Visit visit) {
  walkTree(roots, [&](const DirNodeRef &node, const std::string &path) {
    if (!node->isDir()) return false;
    visit(node, path);
    return true;
  });
}

bool searchable(const DirNode &node) { return node.unreadableState != ReadCannotEnter; }

}  // namespace

void searchTree(MatchList &list, const DirNodeList &roots, const std::string &literal,
                const PatternRef &expression, const std::string &marker,
                uint32_t fuzzySize) {
  list.clear();
  if (literal.empty()) return;
  walkDirectories(roots, [&](const DirNodeRef &node, const std::string &path) {
    bool candidate = searchable(*node) && node->name.find(literal) != std::string::npos;
    if (candidate) {
      if (matchesPattern(expression, path)) list.push_back({path, node, false, 0});
    } else if (!marker.empty() && path == marker) {
      list.push_back({marker, node, true, 0});
    }
  });
  if (fuzzySize != 0 && (list.empty() || (list.size() == 1 && list[0].isCurrent)))
    fuzzySearch(list, roots, literal, fuzzySize);
}

uint32_t fuzzyScore(const std::string &literal, const std::string &name) {
  const size_t L = literal.size(), N = name.size();
  std::string lowered(name);
  for (char &c : lowered) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  uint32_t missing = 0;
  std::string lit(literal);
  for (char &c : lit) {
    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (lowered.find(c) == std::string::npos) missing += 100;
  }
  uint32_t best = UINT32_MAX;
  for (size_t s = 0; s + L <= N; ++s) {
    uint32_t score =
        static_cast<uint32_t>(N - L) + static_cast<uint32_t>(2 * s) + missing;
    for (size_t k = 0; k < L; ++k) {
      int a = static_cast<signed char>(lit[k]),
          b = static_cast<signed char>(lowered[s + k]);
      score += static_cast<uint32_t>(L + 1 - k) * static_cast<uint32_t>(abs(a - b));
    }
    if (score < best) best = score;
  }
  return best;
}

void fuzzySearch(MatchList &list, const DirNodeList &roots, const std::string &literal,
                 uint32_t size) {
  list.clear();
  const size_t limit = size;
  walkDirectories(roots, [&](const DirNodeRef &node, const std::string &path) {
    if (!searchable(*node) || node->name.size() <= literal.size()) return;
    uint32_t score = fuzzyScore(literal, node->name);
    if (list.size() >= limit) {
      if (score >= list.back().score) return;
      list.pop_back();
    }
    auto at = list.begin();
    while (at != list.end() && at->score <= score) ++at;
    list.insert(at, {path, node, false, score});
  });
}
