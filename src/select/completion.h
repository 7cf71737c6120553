// Completing a pattern from the saved tree, for the shells' Tab: the names
// of the directories a jump could reach that begin with the word's last
// part, below parents its earlier parts match as a pattern's would.
#ifndef VOK_SELECT_COMPLETION_H
#define VOK_SELECT_COMPLETION_H

#include <map>
#include <string>
#include <string_view>

#include "base/pattern.h"

struct CompletionRules {
  // Throws ErrorGenericCommandLine for a word no pattern could grow from
  // (one that starts with '/' or holds "///"); a last '/' is fine.
  explicit CompletionRules(const std::string &word);
  // Whether a directory of that path, whose own name is `name`, completes
  // the word.
  bool accepts(std::string_view name, const std::string &path) const;
  // What the shell inserts for the name: the word's parents and the name.
  std::string offered(std::string_view name) const { return parents + std::string(name); }

  std::string parents;  // the word up to its last '/', or ""
  std::string prefix;   // what follows
  PatternRef expression;
};

// The candidates found, each once, in byte order, each with the first path
// found for it; only the `limit` first are kept, so memory follows the
// output and not the tree.
class CompletionList {
 public:
  explicit CompletionList(size_t limit) : limit_(limit) {}
  void offer(const std::string &text, const std::string &path);
  const std::map<std::string, std::string> &candidates() const { return kept_; }
  // Candidates beyond the limit were left out.
  bool more() const { return more_; }

 private:
  size_t limit_;
  std::map<std::string, std::string> kept_;
  bool more_ = false;
};

#endif
