// The actions the command line dispatches to. Those whose subsystem is not
// built yet are defined in pending.cc and fail with a clear message.
#ifndef VOK_DRIVER_ACTIONS_H
#define VOK_DRIVER_ACTIONS_H

#include <string>
#include <vector>

#include "scan/scan_commands.h"
#include "select/bookmarks.h"
#include "select/jump.h"
#include "tree/tree_file.h"

void showDirectoryTree(const std::string &dir, bool mountScan, bool rescanFirst);
void showWholeTree(bool mountScan, bool rescanFirst);


#endif
