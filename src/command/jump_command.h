// vok PATTERN [NUMBER]: find the matching directories and act on the
// choice; and vok alone, the browser.
#ifndef VOK_COMMAND_JUMP_COMMAND_H
#define VOK_COMMAND_JUMP_COMMAND_H

#include <string>

#include "command/run_state.h"

// The pattern must not be empty. An ErrorRange comes out when NUMBER lies
// beyond the matches (the driver says "invalid match number").
void jumpByPattern(RunState &run, const std::string &pattern, bool wholeTree,
                   bool mountScan, unsigned long number);

// vok alone: the DefaultTree directories, or the whole tree, the current
// directory highlighted.
void browseCommand(RunState &run, bool mountScan);

#endif
