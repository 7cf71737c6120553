// The full-screen displays of directories: the tree (vok alone, -t, -tr,
// -T) and the list of matches or bookmarks, and the temporary trees that
// show one directory.
#ifndef VOK_SELECT_VIEWS_H
#define VOK_SELECT_VIEWS_H

#include <string>

#include "select/pattern.h"
#include "tree/dir_tree.h"

// The tree below the roots, the selected directory highlighted first (the
// first line when it is empty).
void browseTree(const DirNodeList &roots, const std::string &selected);
// The matches as a numbered list, the first highlighted.
void showMatchList(const MatchList &matches);

// -t and -tr: one directory's tree (the current directory when dir is
// empty), scanned first when asked or when the saved tree lacks it.
void showDirectoryTree(const std::string &dir, bool mountScan, bool rescanFirst);
// -T: the whole saved tree.
void showWholeTree(bool mountScan, bool rescanFirst);

// Temporary trees for the displays of one directory: a root for dir that
// shares the saved tree's children, or is marked added when it has none.
void addViewRoot(const std::string &dir, DirNodeList &list);
// Throws ErrorGenericCommandLine when dir is empty and the current directory
// cannot be determined.
DirNodeList buildDirectoryView(const std::string &dir);

#endif
