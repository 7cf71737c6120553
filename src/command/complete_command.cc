#include "command/complete_command.h"

#include <cstring>
#include <iostream>
#include <vector>

#include "base/errors.h"
#include "base/message.h"
#include "select/bookmarks.h"
#include "select/stream_search.h"

namespace {

constexpr size_t kMostCandidates = 200;

// The options a word that begins with '-' may become, in byte order. "-p"
// is not among them: only the first word may be it, which the shells know.
const char *const kOptions[] = {
    "--config", "--configattr", "--features", "--help", "--helpinst", "--profiles",
    "--version", "-B", "-M", "-T", "-b", "-ba", "-br", "-h", "-ia", "-ias",
    "-ic", "-ics", "-if", "-ifish", "-ifs", "-r", "-rQ", "-rf", "-rfq", "-rp",
    "-rq", "-t", "-tr", "-v",
};

void completeOption(const std::string &word) {
  for (const char *option : kOptions)
    if (strncmp(option, word.c_str(), word.size()) == 0) std::cout << option << '\n';
}

void printCandidate(const std::string &text, const std::string &path) {
  if (text.find_first_of("\t\n") != std::string::npos) return;
  writeName(std::cout, text);
  // A path no line can hold goes without: the text alone still completes.
  if (path.find('\n') == std::string::npos) {
    std::cout << '\t';
    writeName(std::cout, path);
  }
  std::cout << '\n';
}

}  // namespace

void completeCommand(const RunState &run, const std::string &word, bool afterDashes) {
  if (!afterDashes && !word.empty() && word[0] == '-') {
    completeOption(word);
    return;
  }
  // Every name would begin with the empty word: nothing a shell could list.
  if (word.empty()) return;
  const CompletionRules rules(word);
  std::vector<std::string> bookmarked;
  for (const Bookmark &entry : readBookmarks(run.bookmarkFile, false))
    if (entry.usable) bookmarked.push_back(entry.path);
  CompletionList list(kMostCandidates);
  switch (streamCompletions(run.treeFile, rules, bookmarked, list)) {
    case TreeFileState::Loaded:
      break;
    case TreeFileState::Missing:
      throw ErrorGenericFile(_("cannot read file %$"), run.treeFile);
    case TreeFileState::Empty:
    case TreeFileState::Incompatible:
      throw ErrorGenericFile(_("invalid file format in %$"), run.treeFile);
  }
  for (const auto &[text, path] : list.candidates()) printCandidate(text, path);
  if (list.more()) std::cout << "...\n";
}
