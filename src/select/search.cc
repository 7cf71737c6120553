#include "select/search.h"

#include <array>
#include <cctype>
#include <cstdlib>
#include <memory>

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

// Bytes as tolower gives them, looked up: the character type is set once,
// before any search.
const unsigned char *lowerTable() {
  static const auto table = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c)
      t[static_cast<size_t>(c)] = static_cast<unsigned char>(tolower(c));
    return t;
  }();
  return table.data();
}

std::string lowered(const std::string &text) {
  std::string low(text);
  for (char &c : low) c = static_cast<char>(lowerTable()[static_cast<unsigned char>(c)]);
  return low;
}

// The approximate search's score of a name against the lowered literal:
// the best over the literal's places in the name of the distance, byte by
// byte and heavier at the literal's start, plus the places skipped, the
// name's surplus length and 100 for each literal byte the name lacks.
// Lower is closer. Once a score cannot get below `bound`, the search stops
// with a value at or above it: the caller keeps only scores below.
uint32_t closeness(const std::string &lit, std::string_view name, uint32_t bound) {
  const unsigned char *lower = lowerTable();
  const size_t L = lit.size(), N = name.size();
  unsigned char small[256];
  std::unique_ptr<unsigned char[]> large;
  unsigned char *low = small;
  if (N > sizeof small) low = (large = std::make_unique<unsigned char[]>(N)).get();
  uint64_t present[4] = {};
  for (size_t i = 0; i < N; ++i) {
    const unsigned char c = lower[static_cast<unsigned char>(name[i])];
    low[i] = c;
    present[c >> 6] |= uint64_t{1} << (c & 63);
  }
  uint32_t missing = 0;
  for (const char ch : lit) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (!((present[c >> 6] >> (c & 63)) & 1)) missing += 100;
  }
  uint32_t best = UINT32_MAX;
  for (size_t s = 0; s + L <= N; ++s) {
    uint32_t score =
        static_cast<uint32_t>(N - L) + static_cast<uint32_t>(2 * s) + missing;
    // Later places start higher still.
    if (score >= best || score >= bound) break;
    for (size_t k = 0; k < L && score < best && score < bound; ++k) {
      const int a = static_cast<signed char>(lit[k]),
                b = static_cast<signed char>(low[s + k]);
      score += static_cast<uint32_t>(L + 1 - k) * static_cast<uint32_t>(abs(a - b));
    }
    if (score < best) best = score;
  }
  return best;
}

}  // namespace

void SearchRules::exact(MatchList &list, std::string_view name, const std::string &path,
                        bool searchable, const DirNodeRef &node) const {
  const bool candidate = searchable && name.find(literal) != std::string_view::npos;
  if (candidate) {
    if (matchesPattern(expression, path)) list.push_back({path, node, false, 0});
  } else if (!marker.empty() && path == marker) {
    list.push_back({marker, node, true, 0});
  }
}

void SearchRules::closest(MatchList &list, size_t limit, std::string_view name,
                          const std::string &path, bool searchable,
                          const DirNodeRef &node) const {
  if (!searchable || name.size() <= literal.size()) return;
  if (loweredLiteral.size() != literal.size()) loweredLiteral = lowered(literal);
  const uint32_t bound = list.size() >= limit ? list.back().score : UINT32_MAX;
  const uint32_t score = closeness(loweredLiteral, name, bound);
  if (score < bound) offerClosest(list, limit, score, path, node);
}

void searchTree(MatchList &list, const DirNodeList &roots, const std::string &literal,
                const PatternRef &expression, const std::string &marker,
                uint32_t fuzzySize) {
  list.clear();
  if (literal.empty()) return;
  const SearchRules rules{literal, expression, marker};
  walkDirectories(roots, [&](const DirNodeRef &node, const std::string &path) {
    rules.exact(list, node->name, path, searchable(*node), node);
  });
  if (fuzzySize != 0 && (list.empty() || (list.size() == 1 && list[0].isCurrent)))
    fuzzySearch(list, roots, literal, fuzzySize);
}

uint32_t fuzzyScore(const std::string &literal, const std::string &name) {
  return closeness(lowered(literal), name, UINT32_MAX);
}

void fuzzySearch(MatchList &list, const DirNodeList &roots, const std::string &literal,
                 uint32_t size) {
  list.clear();
  const SearchRules rules{literal, nullptr, ""};
  walkDirectories(roots, [&](const DirNodeRef &node, const std::string &path) {
    rules.closest(list, size, node->name, path, searchable(*node), node);
  });
}

void offerClosest(MatchList &list, size_t limit, uint32_t score, const std::string &path,
                  const DirNodeRef &node) {
  if (list.size() >= limit) {
    if (score >= list.back().score) return;
    list.pop_back();
  }
  auto at = list.begin();
  while (at != list.end() && at->score <= score) ++at;
  list.insert(at, {path, node, false, score});
}
