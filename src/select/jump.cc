#include "select/jump.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "scan/scan_commands.h"
#include "select/bookmarks.h"
#include "select/new_dir_file.h"
#include "select/stream_search.h"
#include "select/views.h"
#include "tree/lookup.h"

namespace {

[[noreturn]] void noMatch(const std::string &pattern) {
  throw ErrorGenericFile(_("cannot find directory matching the string %$"), pattern);
}

void noChange() { std::cout << _("no directory change\n"); }

size_t countMarkers(const MatchList &list) {
  size_t markers = 0;
  for (const DirMatch &match : list) markers += match.isCurrent;
  return markers;
}

void removeMarkers(MatchList &list) {
  MatchList kept;
  for (DirMatch &match : list)
    if (!match.isCurrent) kept.push_back(std::move(match));
  list.swap(kept);
}

// The marker of the current directory goes first in a list of bookmarks
// that does not hold it, when it is a directory of the tree.
void markCurrentAmongBookmarks(MatchList &list, const std::string &current,
                               const DirNodeRef &node) {
  if (list.size() <= 1 || current.empty()) return;
  for (const DirMatch &match : list)
    if (match.path == current) return;
  list.insert(list.begin(), {current, node, true, 0});
}

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

// The current directory joins the roots (as a root or below one), so that
// the display can highlight it and a search can mark it.
void addCurrentDir(const RunState &run, DirNodeList &roots) {
  if (run.currentDir.empty()) return;
  LookupFlags flags;
  flags.createRoot = flags.createBelow = true;
  flags.order = treeOrder(run.config.active);
  lookupPath(run.fs, roots, run.currentDir, flags);
}

// vok alone: the DefaultTree directories, or the whole tree.
void browseFromCurrentDir(RunState &run) {
  DirNodeList view;
  for (const DirConfigRef &entry : run.config.active.DefaultTree)
    addViewRoot(run, entry->text, view);
  if (!view.empty()) addCurrentDir(run, view);
  browseTree(run, view.empty() ? run.tree.rootList : view, run.currentDir);
}

// The cycling choice: the entry after the current directory (or its
// marker), skipping directories that vanished since the last scan. Returns
// the index chosen, or -1 when the shell is to stay.
long cycle(const MatchList &list, const std::string &current,
           const std::string &pattern) {
  if (list.empty()) noMatch(pattern);
  size_t start = 0, candidate = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].isCurrent || list[i].path == current) {
      start = i;
      candidate = (i + 1) % list.size();
      break;
    }
  }
  while (!pathExists(list[candidate].path)) {
    std::cout.flush();
    MessageFormat(std::cerr, _("%$: skipping %$ - directory no longer exist\n"))
        .arg(programName)
        .arg(list[candidate].path);
    candidate = (candidate + 1) % list.size();
    if (candidate == start) {
      if (!list[start].isCurrent) noMatch(pattern);
      return -1;
    }
  }
  return static_cast<long>(candidate);
}

}  // namespace

void chooseMatch(RunState &run, MatchList &list, const std::string &pattern, bool marker,
                 unsigned long number) {
  const std::string &current = run.currentDir;
  const DirMatch *chosen;
  size_t d;
  if (number > 0) {
    removeMarkers(list);
    if (number > list.size()) throw ErrorRange();
    chosen = &list[number - 1];
    d = 1;
  } else {
    long index = cycle(list, current, pattern);
    if (index < 0) {
      noChange();
      return;
    }
    chosen = &list[static_cast<size_t>(index)];
    d = (marker ? 1 : 0) + 1;
  }
  if (chosen->isCurrent || chosen->path == current) {
    noChange();
    return;
  }
  writeNewDirFile(run.newDirFile, chosen->path);
  const int32_t show = run.config.active.ShowNewDir;
  if (show == kShowNewDirYes || (show == kShowNewDirMulti && d < list.size())) {
    std::cout << "change to ";
    writeName(std::cout, chosen->path);
    std::cout << '\n';
  }
}

namespace {

// The list, the choice or the display, once the matches are known.
void finishJump(RunState &run, MatchList &list, const std::string &pattern,
                unsigned long number) {
  const size_t count = list.size(), marker = countMarkers(list) > 0 ? 1 : 0;
  // Nothing but the current directory: a failure, whether or not a number
  // was given, never an empty list or a silent stay.
  if (count == marker) noMatch(pattern);
  const size_t threshold = run.config.active.ShowListThreshold;
  if ((number == 0 && count > threshold + marker) || number + marker > count) {
    removeMarkers(list);
    showMatchList(run, list);
    return;
  }
  chooseMatch(run, list, pattern, marker != 0, number);
}

// A jump searches the saved file as it reads it, building no tree, unless
// the file must be rebuilt first, mount directories are to be scanned into
// the tree, or the current directory would join the tree below a root:
// then it returns false having said nothing, and the jump loads the tree.
// The bookmarks are read before the file and their unusable lines reported
// after it, in the order the loaded path has.
bool jumpWithoutTree(RunState &run, const std::string &pattern, bool wholeTree,
                     bool mountScan, unsigned long number) {
  loadConfiguration(run.config, run, true);
  if (mountScan && !run.config.active.MountDir.empty()) return false;
  StreamQuery query;
  query.rules = {patternLiteral(pattern), compilePattern(pattern), run.currentDir};
  query.order = treeOrder(run.config.active);
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
  const uint32_t fuzzySize = run.config.active.FuzzySize;
  if (list.empty()) {
    list = std::move(found.matches);
    if (fuzzySize != 0 && !query.rules.literal.empty() &&
        (list.empty() || (list.size() == 1 && list[0].isCurrent)) &&
        !streamClosest(run.treeFile, query, fuzzySize, found, list))
      return false;
  } else if (found.markerInTree) {
    markCurrentAmongBookmarks(list, run.currentDir, nullptr);
  }
  run.tree.lastScanTime = found.lastScanTime;
  reportUnusedLines(run.bookmarkFile, bookmarks);
  finishJump(run, list, pattern, number);
  return true;
}

}  // namespace

void jumpByPattern(RunState &run, const std::string &pattern, bool wholeTree,
                   bool mountScan, unsigned long number) {
  validatePattern(pattern);
  if (!pattern.empty() && jumpWithoutTree(run, pattern, wholeTree, mountScan, number))
    return;
  loadTree(run);
  if (mountScan) scanMountDirs(run, displayScanOptions(run), !pattern.empty(), "");
  addCurrentDir(run, run.tree.rootList);
  if (pattern.empty()) return browseFromCurrentDir(run);
  const std::string literal = patternLiteral(pattern);
  const PatternRef expression = compilePattern(pattern);
  const BookmarkList bookmarks = readBookmarks(run.bookmarkFile);
  MatchList list = collectMatches(run, bookmarks, literal, expression, wholeTree);
  finishJump(run, list, pattern, number);
}
