// The bookmark commands: -b [PATTERN] shows them, -ba and -br add and
// remove directories, rewriting the file under its lock.
#ifndef VOK_COMMAND_BOOKMARK_COMMANDS_H
#define VOK_COMMAND_BOOKMARK_COMMANDS_H

#include <string>

#include "command/run_state.h"

// The directories are argv[first] and those after it, the current
// directory when there are none. Each directory that cannot be added (or
// removed) is named on standard error; then ErrorReported with the
// file-error status is thrown.
void listBookmarksCommand(RunState &run, const std::string &pattern);
void addBookmarksCommand(RunState &run, int argc, char **argv, int first);
void removeBookmarksCommand(RunState &run, int argc, char **argv, int first);

#endif
