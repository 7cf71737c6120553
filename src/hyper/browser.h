// The interactive browser: puts a drawer's content on the full screen with
// the title and status lines and the scroll bars, lets the user move and
// search, and ends when a directory is selected (its path is then in the
// new-directory file) or the user quits (the file keeps ".").
#ifndef VOK_HYPER_BROWSER_H
#define VOK_HYPER_BROWSER_H

#include <string>

#include "hyper/document.h"

// The anchor is the full path of the directory to highlight first, or empty
// for the first link. Callers call prepareTags() before it. Throws
// ErrorIORedirect without touching the terminal when standard input or
// output is not a terminal, ErrorScreenTooSmall below 50 x 10; every error
// leaves the terminal restored.
void browse(HyperDraw &drawer, const std::string &anchorName);

#endif
