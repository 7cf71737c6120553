#include "command/scan_commands.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "base/errors.h"
#include "base/message.h"
#include "scan/scan_log.h"
#include "scan/scanner.h"
#include "tree/lookup.h"
#include "tree/tree_file.h"

namespace {

ScanOptions optionsFor(const RunState &run, ScanMode mode, QuietOverride quiet) {
  return scanOptions(run.config.active, mode, quiet, run.treeFile);
}

void scanMountDir(FileSystem &fs, DirTree &tree, const ScanOptions &options,
                  const std::string &path) {
  MessageFormat(std::cout, _("scanning MountDir: %$\n")).arg(path);
  MountCommandScanLog log(true);
  if (findPath(tree.rootList, path).node)
    Scanner(tree, options, log, fs).scanOneDirectory(path, true);
}

// True when the options ask for a scan now.
bool wantsScan(const std::vector<int> &options, bool forPattern) {
  for (int option : options) {
    if (option == kMountAll) return true;
    if (option == kMountTree && !forPattern) return true;
    if (option == kMountSkip) return false;
  }
  return false;
}

// Says why the file is rebuilt.
void announceRebuild(const std::string &treeFile, TreeFileState state) {
  auto notice = [&treeFile](const char *format) {
    MessageFormat(std::cout, format).arg(programName).arg(treeFile);
  };
  switch (state) {
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
      MessageFormat(std::cerr,
                    _("%$: %$ is not compatible with current of version of vok, "
                      "file will be rebuilt\n"))
          .arg(programName)
          .arg(treeFile);
      break;
  }
}

}  // namespace

void loadTree(RunState &run, QuietOverride quiet) {
  TreeFileState state = readTreeFile(run.treeFile, run.tree);
  if (state == TreeFileState::Loaded) return;
  {
    // Another run may be rebuilding the same file: its result, once there,
    // is taken instead of a scan of our own.
    LockScope lock(run.treeLock, run.treeFile);
    state = readTreeFile(run.treeFile, run.tree);
    if (state == TreeFileState::Loaded) return;
    announceRebuild(run.treeFile, state);
    rebuildTree(run, quiet);
  }
  if (readTreeFile(run.treeFile, run.tree) != TreeFileState::Loaded)
    throw ErrorGenericFile(_("cannot read file %$"), run.treeFile);
}

// A full scan holds the lock from its start to its save: a partial or smart
// scan that overlaps it either waits for its result or is read by it.
void rebuildTree(RunState &run, QuietOverride quiet) {
  LockScope lock(run.treeLock, run.treeFile);
  const ScanOptions options = optionsFor(run, ScanMode::Full, quiet);
  ScanCommandScanLog log(options.quiet);
  Scanner(run.tree, options, log, run.fs).fullScan();
}

// Smart and partial scans hold the lock from loading the tree to saving it.
void rescanTree(RunState &run, bool fullMode, QuietOverride quiet) {
  if (fullMode) return rebuildTree(run, quiet);
  LockScope lock(run.treeLock, run.treeFile);
  const int64_t start = run.fs.now();
  const ScanOptions options = optionsFor(run, ScanMode::Smart, quiet);
  ScanCommandScanLog log(options.quiet);
  loadTree(run, quiet);
  Scanner(run.tree, options, log, run.fs).smartScan(start);
}

void rescanParts(RunState &run, const std::vector<std::string> &dirs, bool fullMode,
                 QuietOverride quiet) {
  LockScope lock(run.treeLock, run.treeFile);
  const int64_t start = run.fs.now();
  const ScanOptions options = optionsFor(run, ScanMode::Partial, quiet);
  ScanCommandScanLog log(options.quiet);
  loadTree(run, quiet);
  Scanner(run.tree, options, log, run.fs).partialScan(dirs, fullMode, run.currentDir, start);
}

ScanOptions displayScanOptions(const RunState &run) {
  return optionsFor(run, ScanMode::Partial, QuietOverride::None);
}

void requireEnterable(FileSystem &fs, const std::string &dir, const ScanOptions &options) {
  FileStatus status;
  if (fs.statusAt(FileSystem::kHere, dir.c_str(), true, status) == 0 &&
      S_ISDIR(status.mode) && !canSearch(fs, status, FileSystem::kHere, dir.c_str())) {
    TreeCommandScanLog log(options.quiet);
    log.reportCannotChange(dir, strerror(EACCES));
    throw ErrorReported(kExitFile);
  }
}

void scanForTreeCommand(RunState &run, const std::string &dir, bool fullMode,
                        ScanOptions &options) {
  TreeCommandScanLog log(options.quiet);
  if (findPath(run.tree.rootList, dir).node) {
    // The tree was loaded without the lock; what is saved must be read
    // under it, so another run's save in between is not lost.
    LockScope lock(run.treeLock, run.treeFile);
    loadTree(run);
    Scanner scanner(run.tree, options, log, run.fs);
    scanner.scanOneDirectory(dir, fullMode);
    scanner.resolveLinks();
    saveTree(run.treeFile, run.tree);
    return;
  }
  // Outside the saved tree nothing below the directory is to be skipped.
  run.tree.rootList.clear();
  options.skipDirs.clear();
  Scanner scanner(run.tree, options, log, run.fs);
  scanner.scanRoot(dir, false);
  // Missing, or no directory: the reporter said so, and there is nothing
  // to show (a display of it would send the shell nowhere).
  if (run.tree.rootList.empty()) throw ErrorReported(kExitFile);
  scanner.resolveLinks();
}

void scanMountDirs(FileSystem &fs, DirTree &tree, const ScanOptions &options,
                   bool forPattern, const std::string &prefix) {
  LookupFlags create;
  create.createRoot = create.createBelow = true;
  create.order = options.order;
  // The mount directory must not exclude itself while it is read.
  ScanOptions reading = options;
  reading.mountDirs.clear();
  for (const MountDirConfigRef &entry : options.mountDirs) {
    DirLocation found = lookupPath(fs, tree.rootList, entry->text, create);
    if (!found.node) continue;
    found.node->clearChildren();
    if (!prefix.empty() && entry->text.compare(0, prefix.size(), prefix) != 0) continue;
    found.node->skipState = SkipNone;
    if (wantsScan(entry->options, forPattern))
      scanMountDir(fs, tree, reading, entry->text);
  }
}
