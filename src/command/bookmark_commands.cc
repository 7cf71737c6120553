#include "command/bookmark_commands.h"

#include <iostream>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "command/scan_commands.h"
#include "command/views.h"
#include "select/bookmarks.h"
#include "tree/lookup.h"

namespace {

void warn(const char *format, const std::string &path) {
  std::cout.flush();
  MessageFormat(std::cerr, format).arg(programName).arg(path);
}

bool inTree(const DirNodeList &roots, const std::string &path) {
  return findPath(roots, path).node != nullptr;
}

// The bookmark commands' edits: each checks the directory against the tree,
// reports on standard error what it cannot do and returns false then.
using Edit = bool (*)(BookmarkList &list, const DirNodeList &roots,
                      const std::string &path);

bool isBookmark(const Bookmark &entry, const std::string &path) {
  return entry.usable && entry.path == path;
}

// A directory already bookmarked is where the user wants it: no failure.
bool addBookmark(BookmarkList &list, const DirNodeList &roots, const std::string &path) {
  const std::string name = expandDirName(path, false, false);
  if (!inTree(roots, name)) {
    warn(_("%$: cannot find %$ in saved directory tree\n"), name);
    return false;
  }
  for (const Bookmark &entry : list) {
    if (isBookmark(entry, name)) {
      warn(_("%$: directory %$ already bookmarked\n"), name);
      return true;
    }
  }
  list.push_back({name, escapeBookmark(name), true, ""});
  return true;
}

// A bookmark goes whether or not the tree still has its directory; only a
// directory that is neither bookmarked nor in the tree is reported.
bool removeBookmark(BookmarkList &list, const DirNodeList &roots,
                    const std::string &path) {
  const std::string name = expandDirName(path, false, false);
  BookmarkList kept;
  for (Bookmark &entry : list)
    if (!isBookmark(entry, name)) kept.push_back(std::move(entry));
  const bool removed = kept.size() < list.size();
  list.swap(kept);
  if (removed || inTree(roots, name)) return true;
  warn(_("%$: cannot find %$ in saved directory tree\n"), name);
  return false;
}

struct EditOutcome {
  bool changed = false;  // something to write: the file is rewritten
  bool failed = false;   // a directory could not be added or removed
};

// Applies the edit to each directory argument (or the current directory).
EditOutcome forEachArgument(RunState &run, BookmarkList &list, int argc, char **argv,
                            int first, Edit edit) {
  EditOutcome outcome;
  if (first >= argc) {
    if (run.currentDir.empty()) {
      std::cout.flush();
      MessageFormat(std::cerr, _("%$: cannot determine current directory\n"
                                 "        Directory ignored"))
          .arg(programName);
      std::cerr << '\n';
      outcome.failed = true;
      return outcome;
    }
    outcome.changed = true;
    outcome.failed = !edit(list, run.tree.rootList, run.currentDir);
    return outcome;
  }
  outcome.changed = true;
  for (int i = first; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.empty()) continue;
    if (arg[0] != '/' && arg[0] != '~' && run.currentDir.empty()) {
      std::cout.flush();
      MessageFormat(std::cerr, _("%$: cannot determine current directory for path %$\n"
                                 "        Directory ignored"))
          .arg(programName)
          .arg(arg);
      std::cerr << '\n';
      outcome.failed = true;
      continue;
    }
    if (!edit(list, run.tree.rootList, makeAbsolute(arg, run.currentDir)))
      outcome.failed = true;
  }
  return outcome;
}

// Other runs may edit the file at the same time: the lock makes them take
// turns, each reading what the one before wrote. Every directory is tried;
// when any could not be added or removed, the run ends with the file-error
// status, its messages already said.
void editBookmarks(RunState &run, int argc, char **argv, int first, Edit edit) {
  loadTree(run);
  LockScope lock(run.bookmarkLock, run.bookmarkFile);
  BookmarkList list = readBookmarks(run.bookmarkFile);
  const EditOutcome outcome = forEachArgument(run, list, argc, argv, first, edit);
  if (outcome.changed) writeBookmarks(run.bookmarkFile, list);
  if (outcome.failed) throw ErrorReported(kExitFile);
}

}  // namespace

void addBookmarksCommand(RunState &run, int argc, char **argv, int first) {
  editBookmarks(run, argc, argv, first, addBookmark);
}

void removeBookmarksCommand(RunState &run, int argc, char **argv, int first) {
  editBookmarks(run, argc, argv, first, removeBookmark);
}

void listBookmarksCommand(RunState &run, const std::string &pattern) {
  loadTree(run);
  const BookmarkList list = readBookmarks(run.bookmarkFile);
  MatchList matches =
      pattern.empty()
          ? matchingBookmarks(list, run.tree.rootList, "", nullptr)
          : matchingBookmarks(list, run.tree.rootList, patternLiteral(pattern),
                              compilePattern(pattern));
  if (matches.empty()) {
    std::cout.flush();
    MessageFormat(std::cerr, _("%$: no bookmarks found\n")).arg(programName);
    return;
  }
  showMatchList(run, matches);
}
