// Bookmarked directories: a text file of escaped paths, one a line, that a
// pattern search consults before the tree.
#ifndef VOK_SELECT_BOOKMARKS_H
#define VOK_SELECT_BOOKMARKS_H

#include <string>
#include <vector>

#include "select/search.h"
#include "tree/run_state.h"

using BookmarkList = std::vector<std::string>;

// '\'', '"', '`' and '\' get a backslash; other non-graphic bytes below
// 0x80 become "\xHH".
std::string escapeBookmark(const std::string &path);

// The file's lines. A missing file is an empty list; a line with a bad
// escape or that is no absolute directory name is skipped; a last line
// without a newline counts. Throws ErrorGenericFile when reading fails.
BookmarkList readBookmarks(const std::string &file);
// Rewrites the file safely. Throws ErrorGenericFile.
void writeBookmarks(const std::string &file, const BookmarkList &list);

// The bookmarks that match, in file order, each found below the roots.
MatchList matchingBookmarks(const BookmarkList &list, const DirNodeList &roots,
                            const std::string &literal, const PatternRef &expression);

// -b [PATTERN], -ba [DIR ...], -br [DIR ...]: the directories are argv[first]
// and those after it, the current directory when there are none.
void listBookmarksCommand(RunState &run, const std::string &pattern);
void addBookmarksCommand(RunState &run, int argc, char **argv, int first);
void removeBookmarksCommand(RunState &run, int argc, char **argv, int first);

#endif
