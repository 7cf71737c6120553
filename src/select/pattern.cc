#include "select/pattern.h"

#include <cctype>
#include <cstdlib>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "config/reader.h"
#include "driver/globals.h"

void validatePattern(const std::string &pattern) {
  if (pattern.empty()) return;
  if (pattern.front() == '/' || pattern.back() == '/' ||
      pattern.find("///") != std::string::npos)
    throw ErrorGenericCommandLine(_("invalid search string"));
}

std::string patternLiteral(const std::string &pattern) {
  size_t slash = pattern.rfind('/');
  return slash == std::string::npos ? pattern : pattern.substr(slash + 1);
}

PatternExpression::PatternExpression(const std::string &regex) {
  compiled_ = regcomp(&regex_, regex.c_str(), REG_EXTENDED | REG_NOSUB) == 0;
}

PatternExpression::~PatternExpression() {
  if (compiled_) regfree(&regex_);
}

bool PatternExpression::matches(const std::string &path) const {
  return !compiled_ || regexec(&regex_, path.c_str(), 0, nullptr, 0) == 0;
}

std::string patternRegex(const std::string &pattern) {
  std::string regex = ".*";
  size_t at = 0;
  for (size_t slash; (slash = pattern.find('/', at)) != std::string::npos;) {
    regex += escapeRegex(pattern.substr(at, slash - at));
    bool doubled = slash + 1 < pattern.size() && pattern[slash + 1] == '/';
    regex += doubled ? ".*/.*" : "[^/]*/[^/]*";
    at = slash + (doubled ? 2 : 1);
  }
  return regex + "$";
}

PatternRef compilePattern(const std::string &pattern) {
  if (pattern.find('/') == std::string::npos) return nullptr;
  auto expression = std::make_shared<const PatternExpression>(patternRegex(pattern));
  return expression->compiled() ? expression : nullptr;
}

bool matchesPattern(const PatternRef &expression, const std::string &path) {
  return !expression || expression->matches(path);
}

bool literalInLastComponent(const std::string &literal, const std::string &path) {
  size_t slash = path.rfind('/');
  size_t start = slash == std::string::npos ? 0 : slash + 1;
  return path.find(literal, start) != std::string::npos;
}

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

void searchTree(MatchList &list, const std::string &literal, const PatternRef &expression,
                bool addCurrentMarker, const DirNodeList &roots) {
  list.clear();
  if (literal.empty()) return;
  walkDirectories(roots, [&](const DirNodeRef &node, const std::string &path) {
    bool candidate = searchable(*node) && node->name.find(literal) != std::string::npos;
    if (candidate) {
      if (matchesPattern(expression, path)) list.push_back({path, node, false, 0});
    } else if (addCurrentMarker && !currentDir.empty() && path == currentDir) {
      list.push_back({currentDir, node, true, 0});
    }
  });
  if (activeConfig.FuzzySize != 0 && (list.empty() || (list.size() == 1 && list[0].isCurrent)))
    fuzzySearch(list, literal, roots);
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
    uint32_t score = static_cast<uint32_t>(N - L) + static_cast<uint32_t>(2 * s) + missing;
    for (size_t k = 0; k < L; ++k) {
      int a = static_cast<signed char>(lit[k]), b = static_cast<signed char>(lowered[s + k]);
      score += static_cast<uint32_t>(L + 1 - k) * static_cast<uint32_t>(abs(a - b));
    }
    if (score < best) best = score;
  }
  return best;
}

void fuzzySearch(MatchList &list, const std::string &literal, const DirNodeList &roots) {
  list.clear();
  const size_t limit = activeConfig.FuzzySize;
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
