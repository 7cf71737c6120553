// A jump's search made while the saved file is read, without building the
// tree: a million nodes cost more to make than the file costs to read, and
// a jump looks at each directory once. The walk, the matches, the marker of
// the current directory and the bookmark checks are those of the search of
// the loaded tree after the current directory joined it; where joining it
// would change the tree in ways the file alone cannot tell (below a root),
// the search says it needs the tree instead.
#ifndef VOK_SELECT_STREAM_SEARCH_H
#define VOK_SELECT_STREAM_SEARCH_H

#include <string>
#include <vector>

#include "select/completion.h"
#include "select/search.h"
#include "tree/dir_tree.h"
#include "tree/tree_file.h"

struct StreamQuery {
  SearchRules rules;        // the marker is the current directory, or ""
  TreeOrder order;          // where the current directory would join the roots
  std::vector<std::string> bookmarks;  // paths to look for among the directories
};

struct StreamFindings {
  MatchList matches;               // the exact search's, no node attached
  std::vector<bool> bookmarkFound;  // one for each of the query's bookmarks
  bool markerInTree = false;       // the current directory is a directory of the tree
  bool markerAsRoot = false;       // ... as a root of its own, joined at its place
  int64_t lastScanTime = 0;
};

// False when the search needs the loaded tree: the file is missing, empty
// or of another version (the tree is to be rebuilt), or the current
// directory lies below a root without being in it. Throws ErrorGenericFile
// as readTreeFile does. The file system tells whether the current
// directory is a directory.
bool streamSearch(FileSystem &fs, const std::string &file, const StreamQuery &query,
                  StreamFindings &findings);
// The approximate search of the same walk, for the findings of the exact
// one; false as above.
bool streamClosest(const std::string &file, const StreamQuery &query, size_t limit,
                   const StreamFindings &exact, MatchList &list);
// The candidates that complete a word, over the same walk (the current
// directory plays no part); `bookmarks` are the bookmarked paths, which
// count even where their directory cannot be entered. Says why the file
// could not be read; throws as readTreeFile does.
TreeFileState streamCompletions(const std::string &file, const CompletionRules &rules,
                                const std::vector<std::string> &bookmarks,
                                CompletionList &list);

#endif
