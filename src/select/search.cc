#include "select/search.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <vector>

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

// A name's bytes in lower case, in a buffer of the stack for names of
// ordinary length, and how often each occurs.
class LoweredName {
 public:
  explicit LoweredName(std::string_view name) : size_(name.size()) {
    if (size_ > sizeof small_) large_ = std::make_unique<unsigned char[]>(size_);
    unsigned char *low = data();
    const unsigned char *lower = lowerTable();
    for (size_t i = 0; i < size_; ++i) {
      low[i] = lower[static_cast<unsigned char>(name[i])];
      counts_[low[i]] += counts_[low[i]] != UINT8_MAX;
    }
  }
  const unsigned char *data() const { return large_ ? large_.get() : small_; }
  unsigned char *data() { return large_ ? large_.get() : small_; }
  size_t size() const { return size_; }
  // How many bytes of the lowered literal occur nowhere in the name.
  uint32_t absent(const std::string &lit) const {
    uint32_t count = 0;
    for (const char c : lit) count += counts_[static_cast<unsigned char>(c)] == 0;
    return count;
  }
  // How many bytes of the literal no byte of the name can stand for, each
  // of which takes an edit: a bound below the edits to any part of it.
  uint32_t unmatched(const TypoLiteral &lit) const {
    uint32_t count = 0;
    for (const auto &entry : lit.counts)
      if (entry.second > counts_[entry.first]) count += entry.second - counts_[entry.first];
    return count;
  }

 private:
  size_t size_;
  unsigned char small_[256];
  std::unique_ptr<unsigned char[]> large_;
  uint8_t counts_[256] = {};
};

// The approximate search's score of a name against the lowered literal:
// the best over the literal's places in the name of the distance, byte by
// byte and heavier at the literal's start, plus the places skipped, the
// difference in length and 100 for each literal byte the name lacks. A
// name shorter than the literal is laid over it instead. Lower is closer.
// Once a score cannot get below `bound`, the search stops with a value at
// or above it: the caller keeps only scores below.
uint32_t closeness(const std::string &lit, const LoweredName &name, uint32_t bound) {
  const bool longer = name.size() >= lit.size();
  const unsigned char *lo = reinterpret_cast<const unsigned char *>(lit.data());
  const unsigned char *over = longer ? lo : name.data(), *under = longer ? name.data() : lo;
  const size_t L = longer ? lit.size() : name.size(), N = longer ? name.size() : lit.size();
  const uint32_t missing = 100 * name.absent(lit);
  uint32_t best = UINT32_MAX;
  for (size_t s = 0; s + L <= N; ++s) {
    uint32_t score =
        static_cast<uint32_t>(N - L) + static_cast<uint32_t>(2 * s) + missing;
    // Later places start higher still.
    if (score >= best || score >= bound) break;
    for (size_t k = 0; k < L && score < best && score < bound; ++k) {
      // The bytes are taken as signed 8-bit values, as the score is defined.
      const int a = over[k] < 0x80 ? over[k] : over[k] - 256,
                b = under[s + k] < 0x80 ? under[s + k] : under[s + k] - 256;
      score += static_cast<uint32_t>(L + 1 - k) * static_cast<uint32_t>(abs(a - b));
    }
    if (score < best) best = score;
  }
  return best;
}

// Bytes by what they are in a name's words, as in the C locale: a byte
// from 0x80 is part of a character of some script.
enum ByteKind : unsigned char { kOther, kSmall, kCapital, kDigit, kHigh };
const unsigned char *byteKinds() {
  static const auto table = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c)
      t[static_cast<size_t>(c)] = c >= 0x80              ? kHigh
                                  : c >= 'a' && c <= 'z' ? kSmall
                                  : c >= 'A' && c <= 'Z' ? kCapital
                                  : c >= '0' && c <= '9' ? kDigit
                                                         : kOther;
    return t;
  }();
  return table.data();
}

// Where a word of the name begins: at its start, after a byte that is no
// letter or digit, where a small letter meets a capital and where letters
// meet digits ("my-dirName2" has words at 0, 3, 6 and 10).
bool wordStart(std::string_view name, size_t at) {
  if (at == 0) return true;
  if (at >= name.size()) return false;
  const unsigned char *kind = byteKinds();
  const unsigned char a = kind[static_cast<unsigned char>(name[at - 1])],
                      b = kind[static_cast<unsigned char>(name[at])];
  if (b == kOther) return false;
  if (a == kOther) return true;
  if (a == kSmall && b == kCapital) return true;
  return (a == kDigit) != (b == kDigit) && a != kHigh && b != kHigh;
}

// The fewest edits (a byte added, dropped or changed, or two neighbours
// swapped) that turn the lowered literal into a part of the name beginning
// where one of its words begins; more than `bound` when it takes more.
uint32_t editsToWord(const std::string &lit, std::string_view name, const LoweredName &low,
                     uint32_t bound) {
  const size_t L = lit.size(), N = low.size();
  const uint32_t far = bound + 1;
  // Three rows of the table: the literal's first i-2, i-1 and i bytes.
  uint32_t small[3 * 257];
  std::unique_ptr<uint32_t[]> large;
  uint32_t *rows = small;
  if (N > 256) rows = (large = std::make_unique<uint32_t[]>(3 * (N + 1))).get();
  uint32_t *before = rows, *last = rows + N + 1, *row = rows + 2 * (N + 1);
  for (size_t j = 0; j <= N; ++j)
    last[j] = wordStart(name, j) ? 0 : std::min(far, j ? last[j - 1] + 1 : far);
  const unsigned char *n = low.data();
  for (size_t i = 1; i <= L; ++i) {
    const unsigned char c = static_cast<unsigned char>(lit[i - 1]);
    row[0] = std::min<uint32_t>(far, static_cast<uint32_t>(i));
    uint32_t least = row[0];
    for (size_t j = 1; j <= N; ++j) {
      uint32_t v = std::min({last[j] + 1, row[j - 1] + 1, last[j - 1] + (c != n[j - 1])});
      if (i > 1 && j > 1 && c == n[j - 2] && static_cast<unsigned char>(lit[i - 2]) == n[j - 1])
        v = std::min(v, before[j - 2] + 1);
      row[j] = std::min(v, far);
      least = std::min(least, row[j]);
    }
    // No row holds less than the one before it.
    if (least > bound) return far;
    std::swap(before, last);
    std::swap(last, row);
  }
  return *std::min_element(last, last + N + 1);
}

}  // namespace

uint32_t allowedEdits(size_t literalLength) {
  return static_cast<uint32_t>((literalLength + 1) / 4);
}

TypoLiteral::TypoLiteral(const std::string &literal)
    : text(lowered(literal)), allowed(allowedEdits(literal.size())) {
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    auto at = std::find_if(counts.begin(), counts.end(),
                           [c](const auto &entry) { return entry.first == c; });
    if (at == counts.end())
      counts.push_back({c, 1});
    else
      ++at->second;
  }
}

namespace {

// The edits from the literal to the name when no more than `bound`, else
// more than `bound`; the cheap bounds first.
uint32_t typoEditsWithin(const TypoLiteral &lit, std::string_view name,
                         const LoweredName &low, uint32_t bound) {
  if (lit.text.size() > name.size() + bound || low.unmatched(lit) > bound) return bound + 1;
  return editsToWord(lit.text, name, low, bound);
}

}  // namespace

std::optional<uint32_t> typoEdits(const std::string &literal, std::string_view name) {
  const TypoLiteral lit(literal);
  const uint32_t edits = typoEditsWithin(lit, name, LoweredName(name), lit.allowed);
  if (lit.allowed == 0 || edits > lit.allowed) return std::nullopt;
  return edits;
}

void SearchRules::exact(MatchList &list, std::string_view name, const std::string &path,
                        bool searchable, const DirNodeRef &node) const {
  const bool candidate = searchable && name.find(literal) != std::string_view::npos;
  if (candidate) {
    if (matchesPattern(expression, path)) list.push_back({path, node, false, 0});
  } else if (!marker.empty() && path == marker) {
    list.push_back({marker, node, true, 0});
  }
}

void SearchRules::closest(NearestNames &found, std::string_view name,
                          const std::string &path, bool searchable,
                          const DirNodeRef &node) const {
  if (!searchable) return;
  if (!typo) typo = std::make_shared<const TypoLiteral>(literal);
  const TypoLiteral &lit = *typo;
  const uint32_t bound = std::min<uint32_t>(lit.allowed, found.nearest >> 32);
  if (lit.allowed == 0 || lit.text.size() > name.size() + bound) return;
  const LoweredName low(name);
  const uint32_t edits = typoEditsWithin(lit, name, low, bound);
  if (edits > bound) return;
  const size_t length = lit.text.size();
  const uint64_t gap = name.size() > length ? name.size() - length : length - name.size();
  const uint64_t nearness = uint64_t{edits} << 32 | gap;
  if (nearness > found.nearest) return;
  if (nearness < found.nearest) {
    found.list.clear();
    found.nearest = nearness;
  }
  MatchList &list = found.list;
  const uint32_t scoreBound =
      list.size() >= found.limit ? list.back().score : UINT32_MAX;
  const uint32_t score = closeness(lit.text, low, scoreBound);
  if (score < scoreBound) offerClosest(list, found.limit, score, path, node);
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
  if (fuzzySize != 0 && wantsApproximate(list)) fuzzySearch(list, roots, literal, fuzzySize);
}

uint32_t fuzzyScore(const std::string &literal, const std::string &name) {
  return closeness(lowered(literal), LoweredName(name), UINT32_MAX);
}

void fuzzySearch(MatchList &list, const DirNodeList &roots, const std::string &literal,
                 uint32_t size) {
  list.clear();
  const SearchRules rules{literal, nullptr, ""};
  NearestNames found{list, size};
  walkDirectories(roots, [&](const DirNodeRef &node, const std::string &path) {
    rules.closest(found, node->name, path, searchable(*node), node);
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
