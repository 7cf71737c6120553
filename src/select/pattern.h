// What a search pattern means: the literal after its last '/' must occur in
// a directory's own name, and the components before it in its ancestors'.
#ifndef VOK_SELECT_PATTERN_H
#define VOK_SELECT_PATTERN_H

#include <regex.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tree/dir_tree.h"

// Throws ErrorGenericCommandLine "invalid search string" for a pattern that
// starts or ends with '/' or holds "///".
void validatePattern(const std::string &pattern);
std::string patternLiteral(const std::string &pattern);

// The directory part as an anchored expression over the full path.
class PatternExpression {
 public:
  explicit PatternExpression(const std::string &regex);
  PatternExpression(const PatternExpression &) = delete;
  PatternExpression &operator=(const PatternExpression &) = delete;
  ~PatternExpression();
  bool compiled() const { return compiled_; }
  bool matches(const std::string &path) const;

 private:
  regex_t regex_;
  bool compiled_;
};
using PatternRef = std::shared_ptr<const PatternExpression>;

// Null when the pattern has no '/' or the expression does not compile;
// a null expression matches everything.
PatternRef compilePattern(const std::string &pattern);
// The expression text compilePattern uses (exposed for tests).
std::string patternRegex(const std::string &pattern);
bool matchesPattern(const PatternRef &expression, const std::string &path);
bool literalInLastComponent(const std::string &literal, const std::string &path);

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
