#include "command/jump_command.h"

#include <iostream>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "command/scan_commands.h"
#include "command/views.h"
#include "select/bookmarks.h"
#include "select/jump_policy.h"
#include "select/new_dir_file.h"
#include "select/stream_search.h"
#include "tree/lookup.h"

namespace {

// The one place that acts on a jump's decision: what it prints, and the
// new-directory file it writes.
void carryOut(RunState &run, const JumpDecision &decision, const std::string &pattern) {
  for (const std::string &path : decision.vanished) {
    std::cout.flush();
    MessageFormat(std::cerr, _("%$: skipping %$ - directory no longer exist\n"))
        .arg(programName)
        .arg(path);
  }
  switch (decision.kind) {
    case JumpDecision::kShowList:
      return showMatchList(run, decision.list);
    case JumpDecision::kNothingMatches:
      throw ErrorGenericFile(_("cannot find directory matching the string %$"), pattern);
    case JumpDecision::kNoSuchNumber:
      throw ErrorRange();
    case JumpDecision::kStay:
      std::cout << _("no directory change\n");
      return;
    case JumpDecision::kGo:
      writeNewDirFile(run.newDirFile, decision.path);
      if (!decision.announce) return;
      std::cout << "change to ";
      writeName(std::cout, decision.path);
      std::cout << '\n';
      return;
  }
}

void finishJump(RunState &run, MatchList list, const std::string &pattern,
                unsigned long number) {
  const ProfileConfig &settings = run.config.active;
  const JumpSettings rules{settings.ShowListThreshold, settings.ShowNewDir};
  carryOut(run, decideJump(std::move(list), rules, run.currentDir, number, pathExists),
           pattern);
}

// The loaded tree's search: the bookmarks first, then the tree.
MatchList collectMatches(const RunState &run, const BookmarkList &bookmarks,
                         const std::string &literal, const PatternRef &expression,
                         bool wholeTree) {
  const DirNodeList &roots = run.tree.rootList;
  MatchList list;
  if (!wholeTree) list = matchingBookmarks(bookmarks, roots, literal, expression);
  if (list.empty()) {
    searchTree(list, roots, literal, expression, run.currentDir,
               run.config.active.FuzzySize);
    return list;
  }
  if (list.size() > 1 && !run.currentDir.empty()) {
    DirLocation current = findPath(roots, run.currentDir);
    if (current.node) markCurrentAmongBookmarks(list, run.currentDir, current.node);
  }
  return list;
}

// A jump searches the saved file as it reads it, building no tree, unless
// the file must be rebuilt first, mount directories are to be scanned into
// the tree, or the current directory would join the tree below a root:
// then it returns false having said nothing, and the jump loads the tree.
// The bookmarks are read before the file and their unusable lines reported
// after it, in the order the loaded path has.
bool jumpWithoutTree(RunState &run, const std::string &pattern, bool wholeTree,
                     bool mountScan, unsigned long number) {
  const ProfileConfig &settings = run.config.active;
  if (mountScan && !settings.MountDir.empty()) return false;
  StreamQuery query;
  query.rules = {patternLiteral(pattern), compilePattern(pattern), run.currentDir};
  query.order = treeOrder(settings);
  const BookmarkList bookmarks = readBookmarks(run.bookmarkFile, false);
  if (!wholeTree)
    for (const Bookmark &entry : bookmarks)
      if (bookmarkMatches(entry, query.rules.literal, query.rules.expression))
        query.bookmarks.push_back(entry.path);
  StreamFindings found;
  if (!streamSearch(run.fs, run.treeFile, query, found)) return false;
  MatchList list;
  for (size_t i = 0; i < query.bookmarks.size(); ++i)
    if (found.bookmarkFound[i]) list.push_back({query.bookmarks[i], nullptr, false, 0});
  if (list.empty()) {
    list = std::move(found.matches);
    if (settings.FuzzySize != 0 && !query.rules.literal.empty() && wantsApproximate(list) &&
        !streamClosest(run.treeFile, query, settings.FuzzySize, found, list))
      return false;
  } else if (found.markerInTree) {
    markCurrentAmongBookmarks(list, run.currentDir, nullptr);
  }
  run.tree.lastScanTime = found.lastScanTime;
  reportUnusedLines(run.bookmarkFile, bookmarks);
  finishJump(run, std::move(list), pattern, number);
  return true;
}

// The tree as a display or a search needs it: loaded, the mount directories
// read when asked, the current directory in it.
void prepareTree(RunState &run, bool mountScan, bool forPattern) {
  loadTree(run);
  if (mountScan) scanMountDirs(run.fs, run.tree, displayScanOptions(run), forPattern, "");
  joinCurrentDir(run.fs, run.tree.rootList, run.currentDir, treeOrder(run.config.active));
}

}  // namespace

void jumpByPattern(RunState &run, const std::string &pattern, bool wholeTree,
                   bool mountScan, unsigned long number) {
  validatePattern(pattern);
  if (jumpWithoutTree(run, pattern, wholeTree, mountScan, number)) return;
  prepareTree(run, mountScan, true);
  const std::string literal = patternLiteral(pattern);
  const PatternRef expression = compilePattern(pattern);
  const BookmarkList bookmarks = readBookmarks(run.bookmarkFile);
  finishJump(run, collectMatches(run, bookmarks, literal, expression, wholeTree), pattern,
             number);
}

void browseCommand(RunState &run, bool mountScan) {
  prepareTree(run, mountScan, false);
  DirNodeList view;
  for (const DirConfigRef &entry : run.config.active.DefaultTree)
    addViewRoot(run, entry->text, view);
  if (!view.empty())
    joinCurrentDir(run.fs, view, run.currentDir, treeOrder(run.config.active));
  browseTree(run, view.empty() ? run.tree.rootList : view, run.currentDir);
}
