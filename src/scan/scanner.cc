#include "scan/scanner.h"

#include <cerrno>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "scan/dir_reading.h"
#include "scan/links.h"
#include "scan/walker.h"
#include "tree/tree_file.h"

namespace {
constexpr int kHere = FileSystem::kHere;
}  // namespace

Scanner::Scanner(DirTree &tree, const ScanOptions &options, ScanLog &log, FileSystem &fs)
    : tree_(tree),
      options_(options),
      log_(log),
      fs_(fs),
      previousScanStart_(tree.lastScanTime) {}

// The start directories as plain paths; a bad escape drops an entry.
std::vector<std::string> Scanner::startPaths() const {
  std::vector<std::string> paths;
  for (const DirConfigRef &entry : options_.startDirs) {
    try {
      paths.push_back(unescapeEntry(entry->text));
    } catch (const ErrorRange &) {
    }
  }
  return paths;
}

// Marks the root for path as kept, or scans it as a new root.
void Scanner::confirmRoot(const std::string &path) {
  DirNodeRef probe = nodeFromPath(fs_, path);
  for (const DirNodeRef &root : tree_.rootList) {
    if (root->name == path && probe->isDir() && root->isLink() == probe->isLink()) {
      root->scanMark = MarkKept;
      return;
    }
  }
  scanRoot(path, true);
}

void Scanner::cannotEnter(DirNode &node, const std::string &name, int error) {
  log_.reportError(name, error);
  node.unreadableState = ReadCannotEnter;
  node.clearChildren();
}

// Updates (or with `full` reads anew) the tree below a node from its full
// path. False, with errno set, when the directory cannot be entered.
bool Scanner::scanAt(DirNode &node, const std::string &path, bool full) {
  DirHandle dir(fs_, fs_.openDir(kHere, path.c_str(), FileSystem::kPath));
  FileStatus status;
  if (dir.fd() < 0 || fs_.status(dir.fd(), status) != 0) return false;
  Walker walker(fs_, options_, log_, previousScanStart_, path);
  if (!full) {
    walker.update(node, dir.release(), status, kHere, path.c_str());
    return true;
  }
  if (!canSearch(fs_, status, kHere, path.c_str())) {
    errno = EACCES;
    return false;
  }
  node.clearChildren();
  if (isExcluded(options_, path)) {
    node.skipState = SkipSkipped;
    return true;
  }
  DirHandle listing(fs_, fs_.openDir(dir.fd(), ".", FileSystem::kList));
  if (listing.fd() < 0)
    node.unreadableState = ReadCannotList;
  else
    walker.read(node, listing.release(), status);
  return true;
}

void Scanner::updateRoot(DirNode &root) {
  const std::string path = root.name.str();
  log_.reportDirectory(path);
  if (root.isLink()) {
    // A root that is a link is entered (its target must be a directory we
    // may search) but not read.
    DirHandle target(fs_, fs_.openDir(kHere, path.c_str(), FileSystem::kPathFollow));
    FileStatus status;
    if (target.fd() < 0 || fs_.status(target.fd(), status) != 0)
      return cannotEnter(root, path, errno);
    if (!canSearch(fs_, status, kHere, path.c_str())) return cannotEnter(root, path, EACCES);
    DirNodeRef probe = nodeFromPath(fs_, path);
    if (probe->newestTime() > root.newestTime()) root.copyAttributes(*probe);
    return;
  }
  if (!scanAt(root, path, false)) cannotEnter(root, path, errno);
}

void Scanner::scanRoot(const std::string &path, bool mark) {
  if (!fs_.access(kHere, path.c_str(), F_OK)) {
    log_.reportNotFound(path);
    return;
  }
  // A root must be a directory the process may enter (through a link or not).
  DirHandle dir(fs_, fs_.openDir(kHere, path.c_str(), FileSystem::kPathFollow));
  FileStatus status;
  if (dir.fd() < 0 || fs_.status(dir.fd(), status) != 0 ||
      !canSearch(fs_, status, kHere, path.c_str())) {
    log_.reportNotDirectory(path);
    return;
  }
  DirNodeRef root = nodeFromPath(fs_, path);
  tree_.rootList.push_back(root);
  if (mark) root->scanMark = MarkSeen;
  log_.reportDirectory(path);
  if (!root->isLink()) scanAt(*root, path, true);
}

void Scanner::fullScan() {
  const int64_t start = fs_.now();
  tree_.lastScanTime = start;
  tree_.rootList.clear();
  if (options_.startDirs.empty()) {
    scanRoot("/", false);
  } else {
    for (const std::string &path : startPaths()) scanRoot(path, false);
    sortChildren(tree_.rootList, options_.order);
  }
  resolveLinks();
  saveTree(options_.treeFile, tree_);
  log_.reportTime(fs_.now() - start, _("full scan mode"));
  tree_.treeScanned = true;
}

void Scanner::smartScan(int64_t startTime) {
  previousScanStart_ = tree_.lastScanTime;
  tree_.lastScanTime = startTime;
  if (tree_.treeScanned) return;
  for (const DirNodeRef &root : tree_.rootList)
    if (root->scanMark != MarkIdle) invalidState();
  const std::vector<std::string> paths =
      options_.startDirs.empty() ? std::vector<std::string>{"/"} : startPaths();
  for (const std::string &path : paths) {
    if (tree_.rootList.empty())
      scanRoot(path, true);
    else
      confirmRoot(path);
  }
  removeUnmarked(tree_.rootList);
  for (const DirNodeRef &root : tree_.rootList) {
    if (!root->isDir())
      root->scanMark = MarkIdle;
    else if (root->scanMark != MarkSeen)
      updateRoot(*root);
  }
  removeUnmarked(tree_.rootList);
  clearMarks(tree_.rootList);
  sortChildren(tree_.rootList, options_.order);
  resolveLinks();
  saveTree(options_.treeFile, tree_);
  log_.reportTime(fs_.now() - startTime, _("smart scan mode"));
  tree_.treeScanned = true;
}

void Scanner::scanOneDirectory(const std::string &dir, bool full, const std::string &base) {
  // After a rebuild in this run everything was just read.
  if (tree_.treeScanned) return;
  const std::string name = fs_.physicalPath(makeAbsolute(dir, base));
  if (name.empty()) throw ErrorGenericCommandLine(_("cannot scan directory %$"), dir);
  DirLocation found = lookupPath(fs_, tree_.rootList, name, scanLookup(options_));
  if (!found.node)
    throw ErrorGenericCommandLine(
        _("%$ is either a special directory, in `SkipDir' or not in `StartDir'"), dir);
  log_.reportDirectory(found.path);
  if (!scanAt(*found.node, found.path, full)) log_.reportError(found.path, errno);
}

void Scanner::partialScan(const std::vector<std::string> &dirs, bool full,
                          const std::string &currentDir, int64_t startTime) {
  for (const std::string &dir : dirs) scanOneDirectory(dir, full, currentDir);
  resolveLinks();
  saveTree(options_.treeFile, tree_);
  log_.reportTime(fs_.now() - startTime, _("partial scan mode"));
}

void Scanner::resolveLinks() {
  log_.reportPhase(_("Resolving symbolic links"));
  resolveLinksBelow(fs_, tree_.rootList);
}
