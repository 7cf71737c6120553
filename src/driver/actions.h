// The actions the command line dispatches to.
#ifndef VOK_DRIVER_ACTIONS_H
#define VOK_DRIVER_ACTIONS_H

#include "scan/scan_commands.h"
#include "select/bookmarks.h"
#include "select/jump.h"
#include "select/views.h"
#include "tree/tree_file.h"

#endif
