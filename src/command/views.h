// The full-screen displays of directories: the tree (vok alone, -t, -tr,
// -T) and the list of matches or bookmarks, and the temporary trees that
// show one directory. A directory chosen in a display is written into the
// new-directory file; quitting leaves the file as it was.
#ifndef VOK_COMMAND_VIEWS_H
#define VOK_COMMAND_VIEWS_H

#include <string>

#include "select/search.h"
#include "command/run_state.h"

// The tree below the roots, the selected directory highlighted first (the
// first line when it is empty).
void browseTree(RunState &run, const DirNodeList &roots, const std::string &selected);
// The matches as a numbered list, the first highlighted.
void showMatchList(RunState &run, const MatchList &matches);

// -t and -tr: one directory's tree (the current directory when dir is
// empty), scanned first when asked or when the saved tree lacks it.
void showDirectoryTree(RunState &run, const std::string &dir, bool mountScan,
                       bool rescanFirst);
// -T: the whole saved tree.
void showWholeTree(RunState &run, bool mountScan, bool rescanFirst);

// Temporary trees for the displays of one directory: a root for dir that
// shares the saved tree's children, or is marked added when it has none.
void addViewRoot(const RunState &run, const std::string &dir, DirNodeList &list);

#endif
