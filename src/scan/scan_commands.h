// The entry points through which the rest of the program starts scans.
#ifndef VOK_SCAN_SCAN_COMMANDS_H
#define VOK_SCAN_SCAN_COMMANDS_H

#include <string>
#include <vector>

// Loads the configuration, then the saved tree, rebuilding the file by a
// full scan when it is missing, empty or of another format. Damaged records
// and read failures throw ErrorGenericFile.
void loadTree(bool quiet);
// Full scan of a missing or incompatible tree file.
void rebuildTree();
// -r (smart) and -rf (full).
void rescanTree(bool fullMode);
// -rp DIR ...
void rescanParts(const std::vector<std::string> &dirs, bool fullMode);
// Before showing one directory's tree: update it when it is in the tree,
// else scan it alone into a temporary tree that is not saved.
void scanForTreeCommand(const std::string &dir, bool fullMode);
void scanMountDir(const std::string &path);
// The MountDir entries whose options ask for it, before a display or search.
void scanMountDirs(bool forPattern, const std::string &prefix);

#endif
