// vok PATTERN [NUMBER]: find the matching directories and choose one.
#ifndef VOK_SELECT_JUMP_H
#define VOK_SELECT_JUMP_H

#include <string>

#include "select/pattern.h"

void jumpByPattern(const std::string &pattern, bool wholeTree, bool mountScan,
                   unsigned long number);

// The bookmarks that match, in file order, each found in the tree.
MatchList matchingBookmarks(const std::string &literal, const PatternRef &expression);

// Picks a match without asking: the NUMBER-th, or with 0 the one after the
// current directory, skipping directories that vanished.
void chooseMatch(MatchList &list, const std::string &current, const std::string &pattern,
                 bool marker, unsigned long number);

#endif
