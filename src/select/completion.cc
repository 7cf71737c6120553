#include "select/completion.h"

#include <iterator>

CompletionRules::CompletionRules(const std::string &word) {
  // A word ending in '/' asks for every name below such parents; a pattern
  // needs a literal there, so the check takes one.
  validatePattern(word + "x");
  const size_t slash = word.rfind('/');
  if (slash != std::string::npos) {
    parents = word.substr(0, slash + 1);
    prefix = word.substr(slash + 1);
    expression = compilePattern(word + "x");
  } else {
    prefix = word;
  }
}

bool CompletionRules::accepts(std::string_view name, const std::string &path) const {
  return name.substr(0, prefix.size()) == prefix && matchesPattern(expression, path);
}

void CompletionList::offer(const std::string &text, const std::string &path) {
  if (kept_.count(text)) return;
  if (kept_.size() >= limit_) {
    // The largest kept is dropped for a smaller one; one larger than all is
    // left out. Either way there are more than the limit.
    more_ = true;
    if (kept_.empty() || text > std::prev(kept_.end())->first) return;
    kept_.erase(std::prev(kept_.end()));
  }
  kept_.emplace(text, path);
}
