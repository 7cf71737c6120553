#include "select/jump.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "base/errors.h"
#include "base/globals.h"
#include "base/message.h"
#include "base/paths.h"
#include "config/reader.h"
#include "scan/scan_commands.h"
#include "scan/scanner.h"
#include "select/bookmarks.h"
#include "select/views.h"
#include "tree/tree_file.h"

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

MatchList collectMatches(const std::string &literal, const PatternRef &expression,
                         bool wholeTree) {
  MatchList list;
  if (!wholeTree) list = matchingBookmarks(literal, expression);
  if (list.empty()) {
    searchTree(list, literal, expression, true);
    return list;
  }
  if (list.size() > 1 && !currentDir.empty()) {
    for (const DirMatch &match : list)
      if (match.path == currentDir) return list;
    DirLocation current = lookupPath(currentDir, false, false, false);
    if (current.node) list.insert(list.begin(), {currentDir, current.node, true, 0});
  }
  return list;
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

void chooseMatch(MatchList &list, const std::string &current, const std::string &pattern,
                 bool marker, unsigned long number) {
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
  writeNewDirFile(chosen->path);
  const int32_t show = activeConfig.ShowNewDir;
  if (show == kShowNewDirYes || (show == kShowNewDirMulti && d < list.size())) {
    std::cout << "change to ";
    writeName(std::cout, chosen->path);
    std::cout << '\n';
  }
}

void jumpByPattern(const std::string &pattern, bool wholeTree, bool mountScan,
                   unsigned long number) {
  validatePattern(pattern);
  loadTree(true);
  if (mountScan) scanMountDirs(!pattern.empty(), "");
  if (!currentDir.empty()) lookupPath(currentDir, false, true, true);
  if (pattern.empty()) {
    DirNodeList view;
    for (const DirConfigRef &entry : activeConfig.DefaultTree)
      addViewRoot(entry->text, view);
    if (!view.empty() && !currentDir.empty())
      lookupPath(currentDir, false, true, true, view);
    browseTree(view.empty() ? dirTree.rootList : view, currentDir);
    return;
  }
  const std::string literal = patternLiteral(pattern);
  const PatternRef expression = compilePattern(pattern);
  readBookmarks();
  MatchList list = collectMatches(literal, expression, wholeTree);
  const size_t count = list.size(), marker = countMarkers(list) > 0 ? 1 : 0;
  const size_t threshold = activeConfig.ShowListThreshold;
  if ((number == 0 && count > threshold + marker) || number + marker > count) {
    removeMarkers(list);
    showMatchList(list);
    return;
  }
  chooseMatch(list, currentDir, pattern, marker != 0, number);
}
