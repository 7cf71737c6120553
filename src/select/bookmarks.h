// Bookmarked directories: a text file of escaped paths, one a line, that a
// pattern search consults before the tree.
#ifndef VOK_SELECT_BOOKMARKS_H
#define VOK_SELECT_BOOKMARKS_H

#include <string>
#include <vector>

extern std::vector<std::string> bookmarkList;

// '\'', '"', '`' and '\' get a backslash; other non-graphic bytes below
// 0x80 become "\xHH".
std::string escapeBookmark(const std::string &path);

// Replaces bookmarkList with the file's lines. A missing file is an empty
// list; a line with a bad escape or that is no absolute directory name is
// skipped; a last line without a newline counts.
void readBookmarks();
// Rewrites the file safely. Throws ErrorGenericFile.
void writeBookmarks();

// With verify, the path must be in the tree (and not yet bookmarked, when
// adding); problems are reported on standard error.
void addBookmark(const std::string &path, bool verify);
void removeBookmark(const std::string &path, bool verify);

void listBookmarksCommand(const std::string &pattern);
void addBookmarksCommand(int argc, char **argv, int first);
void removeBookmarksCommand(int argc, char **argv, int first);

#endif
