// The entry points through which the commands load the tree and start
// scans: each makes the options and the reporter of its scan from the run's
// configuration, which the driver has loaded.
#ifndef VOK_COMMAND_SCAN_COMMANDS_H
#define VOK_COMMAND_SCAN_COMMANDS_H

#include <string>
#include <vector>

#include "scan/scan_options.h"
#include "command/run_state.h"

// Loads the saved tree, rebuilding the file by a full scan when it is
// missing, empty or of another format. Damaged records and read failures
// throw ErrorGenericFile.
void loadTree(RunState &run, QuietOverride quiet = QuietOverride::None);
// Full scan of a missing or incompatible tree file.
void rebuildTree(RunState &run, QuietOverride quiet);
// -r (smart) and -rf (full).
void rescanTree(RunState &run, bool fullMode, QuietOverride quiet);
// -rp DIR ...
void rescanParts(RunState &run, const std::vector<std::string> &dirs, bool fullMode,
                 QuietOverride quiet);

// The options of the scans before a display or a search.
ScanOptions displayScanOptions(const RunState &run);
// A directory the user may not enter has no tree to show, saved or not (a
// display of it would send the shell nowhere): it is reported and ends the
// run (ErrorReported).
void requireEnterable(FileSystem &fs, const std::string &dir, const ScanOptions &options);
// Before showing one directory's tree (a full path): update it when it is in
// the tree, else scan it alone into a temporary tree that is not saved; then
// nothing below it is skipped by SkipDir, for the rest of the display, so
// the options lose their skip list. A directory outside the tree that is
// missing or no directory is reported and ends the run (ErrorReported);
// the caller has made sure it may be entered.
void scanForTreeCommand(RunState &run, const std::string &dir, bool fullMode,
                        ScanOptions &options);
// The MountDir entries whose options ask for it, before a display or search;
// with a prefix, only the entries below it.
void scanMountDirs(FileSystem &fs, DirTree &tree, const ScanOptions &options,
                   bool forPattern, const std::string &prefix);

#endif
