// The state of one run of the program: the names derived once the options
// are known, the configuration the driver loads once, before the action,
// the file system, and the directory tree the actions load. The driver
// makes one and hands it to its action.
#ifndef VOK_COMMAND_RUN_STATE_H
#define VOK_COMMAND_RUN_STATE_H

#include "base/file_lock.h"
#include "base/file_system.h"
#include "base/run_names.h"
#include "config/reader.h"
#include "tree/dir_tree.h"

struct RunState : RunNames {
  // Where the scans, lookups and link resolution read the disk and the time.
  FileSystem &fs = systemFileSystem();
  Configuration config;
  DirTree tree;
  // Held by a run that rewrites the file, from reading it to the rename.
  DataFileLock treeLock;
  DataFileLock bookmarkLock;
};

#endif
