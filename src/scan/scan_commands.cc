#include "scan/scan_commands.h"

#include <iostream>

#include "base/errors.h"
#include "base/message.h"
#include "base/globals.h"
#include "config/reader.h"
#include "scan/scan_log.h"
#include "scan/scanner.h"
#include "tree/dir_tree.h"
#include "tree/tree_file.h"

void loadTree(bool quiet) {
  loadConfiguration(quiet);
  auto notice = [](const char *format) {
    MessageFormat(std::cout, format).arg(programName).arg(treeFile);
  };
  switch (readTreeFile()) {
    case TreeFileState::Loaded:
      return;
    case TreeFileState::Missing:
      notice(_("%$: cannot find %$, file will be rebuilt\n"));
      break;
    case TreeFileState::Empty:
      notice(_("%$: %$ is empty, file will be rebuilt\n"));
      break;
    case TreeFileState::Incompatible:
      std::cout.flush();
      MessageFormat(std::cerr, _("%$: %$ is not compatible with current of version of vok, "
                                 "file will be rebuilt\n"))
          .arg(programName)
          .arg(treeFile);
      break;
  }
  rebuildTree();
  if (readTreeFile() != TreeFileState::Loaded)
    throw ErrorGenericFile(_("cannot read file %$"), treeFile);
}

void rebuildTree() {
  ScanCommandScanLog log(activeConfig.QuietFullScan);
  fullScan(log);
}

void rescanTree(bool fullMode) {
  ScanCommandScanLog log(fullMode ? activeConfig.QuietFullScan : activeConfig.QuietSmartScan);
  if (fullMode)
    fullScan(log);
  else
    smartScan(log);
}

void rescanParts(const std::vector<std::string> &dirs, bool fullMode) {
  ScanCommandScanLog log(activeConfig.QuietPartialScan);
  partialScan(log, dirs, fullMode);
}

void scanForTreeCommand(const std::string &dir, bool fullMode) {
  TreeCommandScanLog log(activeConfig.QuietPartialScan);
  if (lookupPath(dir, false, false, false).node) {
    scanOneDirectory(log, dir, fullMode);
    resolveLinks(log);
    saveTree();
    return;
  }
  // Outside the saved tree nothing below the directory is to be skipped.
  dirTree.rootList.clear();
  activeConfig.SkipDir.clear();
  scanRoot(log, dir, false);
  resolveLinks(log);
}

void scanMountDir(const std::string &path) {
  MessageFormat(std::cout, _("scanning MountDir: %$\n")).arg(path);
  MountCommandScanLog log(true);
  if (lookupPath(path, false, false, false).node) scanOneDirectory(log, path, true);
}

namespace {
// True when the options ask for a scan now.
bool wantsScan(const std::vector<int> &options, bool forPattern) {
  for (int option : options) {
    if (option == kMountAll) return true;
    if (option == kMountTree && !forPattern) return true;
    if (option == kMountSkip) return false;
  }
  return false;
}
}  // namespace

void scanMountDirs(bool forPattern, const std::string &prefix) {
  const MountDirList entries = activeConfig.MountDir;
  for (const MountDirConfigRef &entry : entries) {
    DirLocation found = lookupPath(entry->text, false, true, true);
    if (!found.node) continue;
    found.node->clearChildren();
    if (!prefix.empty() && entry->text.compare(0, prefix.size(), prefix) != 0) continue;
    found.node->skipState = SkipNone;
    // The mount directory must not exclude itself while it is read.
    MountDirList saved;
    saved.swap(activeConfig.MountDir);
    try {
      if (wantsScan(entry->options, forPattern)) scanMountDir(entry->text);
    } catch (...) {
      activeConfig.MountDir.swap(saved);
      throw;
    }
    activeConfig.MountDir.swap(saved);
  }
}
