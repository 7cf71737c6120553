// The state of one run of the program: the names derived at start-up, the
// configuration, loaded on demand, and the directory tree, loaded by the
// actions that need it. The driver makes one and hands it to its action.
#ifndef VOK_TREE_RUN_STATE_H
#define VOK_TREE_RUN_STATE_H

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
