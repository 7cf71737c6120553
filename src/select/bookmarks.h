// Bookmarked directories: a text file of escaped paths, one a line, that a
// pattern search consults before the tree.
#ifndef VOK_SELECT_BOOKMARKS_H
#define VOK_SELECT_BOOKMARKS_H

#include <string>
#include <vector>

#include "select/search.h"

// One line of the bookmark file: a directory, or a line the program cannot
// use (no absolute name, a bad escape). Every rewrite carries each line
// through as it stands and in its place, so that nothing the user wrote is
// lost or changed: "~/src" stays as written, though it is used expanded.
struct Bookmark {
  std::string path;  // the directory, for a usable line
  std::string line;  // the line as written (escapeBookmark of a new one)
  bool usable = true;
  std::string reason;  // why a line is not used
};
using BookmarkList = std::vector<Bookmark>;
inline bool operator==(const Bookmark &a, const Bookmark &b) {
  return a.usable == b.usable && a.path == b.path && a.line == b.line;
}

// '\'', '"', '`' and '\' get a backslash; other non-graphic bytes below
// 0x80 become "\xHH".
std::string escapeBookmark(const std::string &path);

// The file's lines. A missing file is an empty list; a last line without a
// newline counts. A line with a bad escape or that is no absolute directory
// name is kept but not used, and said so on standard error (unless report
// is false: reportUnusedLines says it later). Throws ErrorGenericFile when
// reading fails.
BookmarkList readBookmarks(const std::string &file, bool report = true);
void reportUnusedLines(const std::string &file, const BookmarkList &list);
// Whether a usable bookmark matches a pattern (its literal in the last
// component, and the expression).
bool bookmarkMatches(const Bookmark &entry, const std::string &literal,
                     const PatternRef &expression);
// Rewrites the file safely. Throws ErrorGenericFile.
void writeBookmarks(const std::string &file, const BookmarkList &list);

// The bookmarks that match, in file order, each found below the roots.
// Lines not used match nothing.
MatchList matchingBookmarks(const BookmarkList &list, const DirNodeList &roots,
                            const std::string &literal, const PatternRef &expression);

#endif
