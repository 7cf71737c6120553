// What a scan is told besides the tree it fills: whether it reports each
// directory, where it starts, what it leaves out, how it orders siblings and
// where a completed scan saves the tree. scanOptions makes them from the
// profile's settings once; the walk and the probes read only these.
#ifndef VOK_SCAN_SCAN_OPTIONS_H
#define VOK_SCAN_SCAN_OPTIONS_H

#include <string>

#include "config/dir_config.h"
#include "config/profile.h"
#include "tree/dir_tree.h"
#include "tree/lookup.h"

enum class ScanMode { Full, Smart, Partial };

// The q and Q letters of the -r options: every scan of the run quiet, or
// showing progress, whatever the Quiet settings say.
enum class QuietOverride { None, Quiet, Verbose };

struct ScanOptions {
  bool quiet = false;
  DirList startDirs;       // none: the root directory alone
  DirList skipDirs;        // never read, nor are "/proc" and "/dev"
  MountDirList mountDirs;  // read only on demand, one at a time
  TreeOrder order;
  std::string treeFile;  // where full, smart and partial scans save
};

// The options of a scan of that mode under the profile's settings.
ScanOptions scanOptions(const ProfileConfig &config, ScanMode mode, QuietOverride quiet,
                        const std::string &treeFile);
TreeOrder treeOrder(const ProfileConfig &config);

// SkipDir, MountDir, "/proc" or "/dev".
bool isExcluded(const ScanOptions &options, const std::string &path);

// The rules by which a scan adds a directory it is asked to read below.
LookupFlags scanLookup(const ScanOptions &options);

#endif
