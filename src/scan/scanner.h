// The scan engine: fills and updates dirTree from the file system. The walk
// opens each directory relative to its parent and does not depend on the
// working directory; the lookups of partial scans and link resolution
// still change it and leave it wherever they ended.
#ifndef VOK_SCAN_SCANNER_H
#define VOK_SCAN_SCANNER_H

#include <string>
#include <vector>

#include "scan/scan_log.h"
#include "tree/dir_tree.h"

// Set by every completed full or smart scan (and so by a rebuild).
extern bool treeScanned;

void fullScan(ScanLog &log);
void smartScan(ScanLog &log);
void partialScan(ScanLog &log, const std::vector<std::string> &dirs, bool full);

// Updates the tree below one directory. Throws ErrorGenericCommandLine when
// the directory cannot be entered, named, or lies outside the tree.
void scanOneDirectory(ScanLog &log, const std::string &dir, bool full);
// Adds path as a root and reads it; mark sets its scanMark to MarkSeen.
void scanRoot(ScanLog &log, const std::string &path, bool mark);

void resolveLinks(ScanLog &log);
void resolveLinksBelow(DirNodeList &roots);

// Backslash escapes of start directories and bookmark lines: "\xHH" is a
// byte, '\' makes any other byte literal, a final '\' is dropped. Throws
// ErrorRange for a malformed "\x".
std::string unescapeEntry(const std::string &text);

// SkipDir, MountDir, "/proc" or "/dev".
bool isExcluded(const std::string &path);

#endif
