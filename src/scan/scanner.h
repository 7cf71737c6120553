// The scan engine: fills and updates a tree from the file system, in three
// modes, and reads single directories for the tree display and the mount
// scans. The walk opens each directory relative to its parent.
#ifndef VOK_SCAN_SCANNER_H
#define VOK_SCAN_SCANNER_H

#include <cstdint>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "scan/scan_log.h"
#include "scan/scan_options.h"
#include "tree/dir_tree.h"

class Scanner {
 public:
  // The tree, the options, the reporter and the file system (and its clock)
  // must outlive the scanner.
  Scanner(DirTree &tree, const ScanOptions &options, ScanLog &log, FileSystem &fs);

  // Builds the tree anew from the start directories, resolves links, saves
  // it and reports the time; sets tree.treeScanned.
  void fullScan();
  // Updates the loaded tree, reading again only directories that changed,
  // then as fullScan. Does nothing but take the time when the load itself
  // rebuilt the tree. The time reported runs from startTime, taken before
  // the caller loaded the tree.
  void smartScan(int64_t startTime);
  // Updates the tree below each directory (relative names against
  // currentDir), then resolves links, saves and reports.
  void partialScan(const std::vector<std::string> &dirs, bool full,
                   const std::string &currentDir, int64_t startTime);

  // Updates (or with `full` reads anew) the tree below one directory (a
  // relative name taken against `base`); links are not resolved and
  // nothing is saved. Does nothing once the tree was scanned in this run.
  // Throws ErrorGenericCommandLine when the directory cannot be entered or
  // lies outside the tree.
  void scanOneDirectory(const std::string &dir, bool full, const std::string &base = "");
  // Adds path as a root and reads it; mark sets its scanMark to MarkSeen.
  void scanRoot(const std::string &path, bool mark);
  // Reports the phase and resolves every link of the tree.
  void resolveLinks();

 private:
  void confirmRoot(const std::string &path);
  bool scanAt(DirNode &node, const std::string &path, bool full);
  void updateRoot(DirNode &root);
  void cannotEnter(DirNode &node, const std::string &name, int error);
  std::vector<std::string> startPaths() const;

  DirTree &tree_;
  const ScanOptions &options_;
  ScanLog &log_;
  FileSystem &fs_;
  // The start of the scan before this one: what changed since counts as
  // changed. A smart scan reads it from the tree before it starts anew.
  int64_t previousScanStart_;
};

#endif
