// The pattern primitives and both searches over a small tree. The input's
// first piece is the pattern; the further pieces name the tree's
// directories, each below the one whose index is half its own.
#include <algorithm>

#include "base/errors.h"
#include "base/pattern.h"
#include "fuzz/fuzz_support.h"
#include "select/search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  prepareFuzzing();
  const std::vector<std::string> pieces = splitAtNul(data, size);
  const std::string &pattern = pieces[0];
  DirNodeList roots;
  std::vector<DirNodeRef> nodes;
  for (size_t i = 0; i < pieces.size() && i < 64; ++i) {
    DirNodeRef node = newDirNode();
    std::string name = i == 0 ? std::string("/r") : pieces[i];
    std::replace(name.begin(), name.end(), '/', '_');
    if (name.empty()) name = "e";
    node->name = name;
    node->entryMode = node->targetMode = 040755;
    if (i == 0)
      roots.push_back(node);
    else
      nodes[(i - 1) / 2]->children.push_back(node);
    nodes.push_back(node);
  }
  try {
    validatePattern(pattern);
  } catch (const ErrorBase &) {
    return 0;
  }
  const std::string literal = patternLiteral(pattern);
  const PatternRef expression = compilePattern(pattern);
  const std::string current = nodes.size() > 1 ? "/r/" + nodes[1]->name.str() : "/r";
  const uint32_t fuzzySize = 5;
  MatchList list;
  // Without the approximate fallback: a name that differs only in case may
  // be a closest match of score 0, and is no exact one.
  searchTree(list, roots, literal, expression, current, 0);
  for (const DirMatch &match : list) {
    if (match.isCurrent || match.score != 0) continue;
    if (!literalInLastComponent(literal, match.path) ||
        !matchesPattern(expression, match.path))
      propertyBroken("an exact match does not match", pattern);
  }
  fuzzySearch(list, roots, literal, fuzzySize);
  if (list.size() > fuzzySize)
    propertyBroken("too many approximate matches", pattern);
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].score != fuzzyScore(literal, list[i].node->name.str()))
      propertyBroken("a score differs from the name's", pattern);
    if (i > 0 && list[i - 1].score > list[i].score)
      propertyBroken("approximate matches out of order", pattern);
  }
  return 0;
}
