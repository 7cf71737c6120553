// vok --complete WORD: what a shell's Tab offers for the word, from the
// saved tree as it stands. It reads and never writes: no scan, no lock, no
// new-directory file, so a completion costs one read of the file.
#ifndef VOK_COMMAND_COMPLETE_COMMAND_H
#define VOK_COMMAND_COMPLETE_COMMAND_H

#include <string>

#include "command/run_state.h"

// Prints a line for each candidate: the text to insert, a tab and the path
// it stands for (options have no path). A word that begins with '-' is an
// option unless it follows "--" (`afterDashes`). The candidates come in
// byte order, at most 200 and then "..."; a name holding a tab or a line
// feed is left out, as no shell could take it from a line. Throws
// ErrorGenericFile when the tree or the bookmarks cannot be read.
void completeCommand(const RunState &run, const std::string &word, bool afterDashes);

#endif
