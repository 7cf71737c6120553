// vok PATTERN [NUMBER]: find the matching directories and choose one.
#ifndef VOK_SELECT_JUMP_H
#define VOK_SELECT_JUMP_H

#include <string>

#include "select/search.h"
#include "tree/run_state.h"

// With an empty pattern, the interactive browser instead.
void jumpByPattern(RunState &run, const std::string &pattern, bool wholeTree,
                   bool mountScan, unsigned long number);

// Picks a match without asking: the NUMBER-th, or with 0 the one after the
// current directory, skipping directories that vanished; writes it into the
// new-directory file.
void chooseMatch(RunState &run, MatchList &list, const std::string &pattern, bool marker,
                 unsigned long number);

#endif
