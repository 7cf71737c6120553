#include "scan/scanner.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <unordered_map>

#include "base/errors.h"
#include "base/message.h"
#include "base/paths.h"
#include "config/dir_config.h"
#include "config/reader.h"
#include "driver/globals.h"
#include "scan/scan_commands.h"
#include "tree/tree_file.h"

bool treeScanned = false;

namespace {

// Times are whole seconds, so a directory changed in the same second in
// which the previous scan read it looks unchanged. Directories whose newest
// time is not before that scan's start are therefore read again.
int64_t previousScanStart = INT64_MAX;

struct DirCloser {
  DIR *dir;
  ~DirCloser() { if (dir) closedir(dir); }
};

// Reads the directory entries of "." that are directories or links to
// directories. The directory is closed before anyone descends, so a deep
// tree cannot run out of file descriptors. False when "." cannot be opened.
bool readEntries(DirNodeList &out) {
  DirCloser dir{opendir(".")};
  if (!dir.dir) return false;
  while (struct dirent *entry = readdir(dir.dir)) {
    const char *name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    DirNodeRef node = nodeFromEntry(*entry);
    if (node->isDir()) out.push_back(std::move(node));
  }
  return true;
}

// Back to the parent after reading a child. ".." fails when the child was
// removed meanwhile; the parent's full path still works then.
void leaveChild(const std::string &parentPath) {
  if (chdir("..") != 0 && chdir(parentPath.c_str()) != 0) { /* next chdir reports */ }
}

// Appends "/name" (or "name" after "/") to path and returns the old length.
size_t pushName(std::string &path, const std::string &name) {
  size_t old = path.size();
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return old;
}

// Enters child, reports a failure; true when inside.
bool enterChild(ScanLog &log, DirNode &child) {
  if (chdir(child.name.c_str()) == 0) return true;
  log.reportError(child.name, errno);
  child.unreadableState = ReadCannotEnter;
  return false;
}

void scanDirectory(ScanLog &log, DirNode &node, std::string &path);

// Reads a child found in this listing in full (links are not entered);
// path holds the child's path and goes back to `old` characters.
void readChild(ScanLog &log, DirNode &child, std::string &path, size_t old) {
  if (!child.isLink() && enterChild(log, child)) {
    scanDirectory(log, child, path);
    path.resize(old);
    leaveChild(path);
  } else {
    path.resize(old);
  }
}

void scanDirectory(ScanLog &log, DirNode &node, std::string &path) {
  if (isExcluded(path)) {
    node.skipState = SkipSkipped;
    return;
  }
  if (!readEntries(node.children)) {
    node.unreadableState = ReadCannotList;
    return;
  }
  for (const DirNodeRef &child : node.children) {
    size_t old = pushName(path, child->name);
    log.reportDirectory(path);
    readChild(log, *child, path, old);
  }
  if (node.children.capacity() > node.children.size()) node.children.shrink_to_fit();
  sortChildren(node.children);
}

[[noreturn]] void invalidState() {
  throw ErrorGeneric(_("Invalid directory tree state, program aborted"));
}

void removeUnmarked(DirNodeList &list) {
  DirNodeList kept;
  kept.reserve(list.size());
  for (DirNodeRef &node : list)
    if (node->scanMark != MarkIdle) kept.push_back(std::move(node));
  list.swap(kept);
}

void clearMarks(DirNodeList &list) {
  for (const DirNodeRef &node : list) node->scanMark = MarkIdle;
}

// Finds existing children by name and link-ness without a quadratic search
// in directories of many entries.
class ChildIndex {
 public:
  explicit ChildIndex(const DirNodeList &children) : children_(children) {
    if (children.size() > 8)
      for (size_t i = children.size(); i-- > 0;) byName_[children[i]->name] = i;
  }
  DirNode *find(const DirNode &candidate) const {
    if (!byName_.empty()) {
      auto found = byName_.find(candidate.name);
      if (found == byName_.end()) return nullptr;
      for (size_t i = found->second; i < children_.size(); ++i)
        if (matches(*children_[i], candidate)) return children_[i].get();
      return nullptr;
    }
    for (const DirNodeRef &child : children_)
      if (matches(*child, candidate)) return child.get();
    return nullptr;
  }

 private:
  static bool matches(const DirNode &child, const DirNode &candidate) {
    return child.name == candidate.name && child.isLink() == candidate.isLink();
  }
  const DirNodeList &children_;
  std::unordered_map<std::string, size_t> byName_;
};

void rescanDirectory(ScanLog &log, DirNode &node, std::string &path);

// Updates a known child directory: enter, update, come back.
void rescanChild(ScanLog &log, DirNode &child, std::string &path, size_t old) {
  if (!enterChild(log, child)) {
    child.clearChildren();
    path.resize(old);
    return;
  }
  rescanDirectory(log, child, path);
  path.resize(old);
  leaveChild(path);
}

// The directory changed: list it again, keeping the subtrees of entries that
// are still there and reading new ones in full.
void relistDirectory(ScanLog &log, DirNode &node, std::string &path) {
  DirNodeList candidates;
  if (!readEntries(candidates)) {
    node.unreadableState = ReadCannotList;
    node.clearChildren();
    return;
  }
  node.unreadableState = ReadOk;
  for (const DirNodeRef &child : node.children)
    if (child->scanMark != MarkIdle) invalidState();
  ChildIndex index(node.children);
  DirNodeList added;
  for (DirNodeRef &candidate : candidates) {
    size_t old = pushName(path, candidate->name);
    log.reportDirectory(path);
    DirNode *existing = index.find(*candidate);
    if (existing) {
      existing->scanMark = MarkSeen;
      if (existing->isLink()) {
        if (candidate->newestTime() > existing->newestTime())
          existing->copyAttributes(*candidate);
        path.resize(old);
      } else {
        rescanChild(log, *existing, path, old);
      }
      continue;
    }
    candidate->scanMark = MarkSeen;
    readChild(log, *candidate, path, old);
    added.push_back(std::move(candidate));
  }
  for (DirNodeRef &child : added) node.children.push_back(std::move(child));
  removeUnmarked(node.children);
  clearMarks(node.children);
  sortChildren(node.children);
}

void rescanDirectory(ScanLog &log, DirNode &node, std::string &path) {
  if (isExcluded(path)) {
    node.skipState = SkipSkipped;
    node.clearChildren();
    return;
  }
  DirNodeRef probe = nodeFromPath(".");
  const int64_t probeTime = probe->newestTime(), nodeTime = node.newestTime();
  bool changed = node.skipState != SkipNone || probeTime > nodeTime ||
                 (probeTime == nodeTime && probeTime >= previousScanStart);
  if (changed) {
    node.copyAttributes(*probe);
    relistDirectory(log, node, path);
    return;
  }
  if (node.unreadableState != ReadOk) {
    node.clearChildren();
    return;
  }
  for (const DirNodeRef &child : node.children) {
    size_t old = pushName(path, child->name);
    log.reportDirectory(path);
    if (child->isLink())
      path.resize(old);
    else
      rescanChild(log, *child, path, old);
  }
  sortChildren(node.children);
}

// The start directories as plain paths; a bad escape drops an entry.
std::vector<std::string> startPaths() {
  std::vector<std::string> paths;
  for (const DirConfigRef &entry : activeConfig.StartDir) {
    try {
      paths.push_back(unescapeEntry(entry->text));
    } catch (const ErrorRange &) {
    }
  }
  return paths;
}

// Marks the root for path as kept, or scans it as a new root.
void confirmRoot(ScanLog &log, const std::string &path) {
  DirNodeRef probe = nodeFromPath(path);
  for (const DirNodeRef &root : dirTree.rootList) {
    if (root->name == path && probe->isDir() && root->isLink() == probe->isLink()) {
      root->scanMark = MarkKept;
      return;
    }
  }
  scanRoot(log, path, true);
}

void updateRoot(ScanLog &log, DirNode &root) {
  log.reportDirectory(root.name);
  if (!enterChild(log, root)) {  // a root's name is its full path
    root.clearChildren();
    return;
  }
  if (root.isLink()) {
    DirNodeRef probe = nodeFromPath(root.name);
    if (probe->newestTime() > root.newestTime()) root.copyAttributes(*probe);
    return;
  }
  std::string path = root.name;
  rescanDirectory(log, root, path);
}

void resolveLink(DirNode &link, const std::string &path, DirNodeList &roots) {
  if (access(path.c_str(), F_OK) != 0) {
    link.linkState = LinkNotFound;
    return;
  }
  link.linkState = LinkInside;
  if (access(path.c_str(), X_OK) != 0) {
    link.linkAccess = AccessNoSearch;
    return;
  }
  if (access(path.c_str(), R_OK) != 0) {
    link.linkAccess = AccessNoRead;
    return;
  }
  link.linkAccess = AccessOk;
  std::string target = chdir(path.c_str()) == 0 ? getCurrentDir() : std::string();
  if (target.empty()) {
    link.linkState = LinkNotFound;
    return;
  }
  link.setResolvedPath(target);
  link.linkState = lookupPath(target, false, false, false, roots).node ? LinkInside : LinkOutside;
}

int64_t now() { return static_cast<int64_t>(time(nullptr)); }

}  // namespace

bool isExcluded(const std::string &path) {
  return matchesSkipDir(path) || matchesMountDir(path);
}

std::string unescapeEntry(const std::string &text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      result += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == 'x') {
      auto hex = [&](size_t at) { return at < text.size() ? hexDigitValue(text[at]) : -1; };
      int high = hex(i + 2), low = hex(i + 3);
      if (high < 0 || low < 0) throw ErrorRange();
      result += static_cast<char>(high * 16 + low);
      i += 3;
    } else if (i + 1 < text.size()) {
      result += text[++i];
    }
  }
  return result;
}

void scanRoot(ScanLog &log, const std::string &path, bool mark) {
  if (access(path.c_str(), F_OK) != 0) {
    log.reportNotFound(path);
    return;
  }
  if (chdir(path.c_str()) != 0) {
    log.reportNotDirectory(path);
    return;
  }
  DirNodeRef root = nodeFromPath(path);
  dirTree.rootList.push_back(root);
  if (mark) root->scanMark = MarkSeen;
  log.reportDirectory(path);
  std::string cursor = path;
  if (!root->isLink()) scanDirectory(log, *root, cursor);
}

void fullScan(ScanLog &log) {
  const int64_t start = now();
  dirTree.lastScanTime = start;
  log.quiet = activeConfig.QuietFullScan;
  dirTree.rootList.clear();
  if (activeConfig.StartDir.empty()) {
    scanRoot(log, "/", false);
  } else {
    for (const std::string &path : startPaths()) scanRoot(log, path, false);
    sortChildren(dirTree.rootList);
  }
  resolveLinks(log);
  saveTree();
  log.reportTime(now() - start, _("full scan mode"));
  treeScanned = true;
}

void smartScan(ScanLog &log) {
  const int64_t start = now();
  log.quiet = activeConfig.QuietSmartScan;
  loadTree(true);
  previousScanStart = dirTree.lastScanTime;
  dirTree.lastScanTime = start;
  if (treeScanned) return;
  for (const DirNodeRef &root : dirTree.rootList)
    if (root->scanMark != MarkIdle) invalidState();
  std::vector<std::string> paths =
      activeConfig.StartDir.empty() ? std::vector<std::string>{"/"} : startPaths();
  for (const std::string &path : paths) {
    if (dirTree.rootList.empty())
      scanRoot(log, path, true);
    else
      confirmRoot(log, path);
  }
  removeUnmarked(dirTree.rootList);
  for (const DirNodeRef &root : dirTree.rootList) {
    if (!root->isDir())
      root->scanMark = MarkIdle;
    else if (root->scanMark != MarkSeen)
      updateRoot(log, *root);
  }
  removeUnmarked(dirTree.rootList);
  clearMarks(dirTree.rootList);
  sortChildren(dirTree.rootList);
  resolveLinks(log);
  saveTree();
  log.reportTime(now() - start, _("smart scan mode"));
  treeScanned = true;
}

void scanOneDirectory(ScanLog &log, const std::string &dir, bool full) {
  // After a rebuild in this run everything was just read, but a directory
  // that cannot be scanned is still refused rather than reported as done.
  if (sys::chdir(dir) != 0)
    throw ErrorGenericCommandLine(_("cannot scan directory %$"), dir);
  const std::string name = getCurrentDir();
  if (name.empty())
    throw ErrorGenericCommandLine(_("cannot obtain full directory name for %$"), dir);
  DirLocation found = lookupPath(name, true, false, true);
  if (!found.node)
    throw ErrorGenericCommandLine(
        _("%$ is either a special directory, in `SkipDir' or not in `StartDir'"), dir);
  if (treeScanned) return;
  // Called alone (-t, -tr), the same-second rule needs the saved scan's time.
  if (previousScanStart == INT64_MAX) previousScanStart = dirTree.lastScanTime;
  log.reportDirectory(found.path);
  if (chdir(found.path.c_str()) != 0) {
    log.reportError(found.path, errno);
    return;
  }
  std::string path = found.path;
  if (full) {
    found.node->clearChildren();
    scanDirectory(log, *found.node, path);
  } else {
    rescanDirectory(log, *found.node, path);
  }
}

void partialScan(ScanLog &log, const std::vector<std::string> &dirs, bool full) {
  const int64_t start = now();
  log.quiet = activeConfig.QuietPartialScan;
  loadTree(true);
  previousScanStart = dirTree.lastScanTime;
  for (size_t i = 0; i < dirs.size(); ++i) {
    scanOneDirectory(log, dirs[i], full);
    if (i + 1 < dirs.size() && !currentDir.empty() && chdir(currentDir.c_str()) != 0) {
    }
  }
  resolveLinks(log);
  saveTree();
  log.reportTime(now() - start, _("partial scan mode"));
}

void resolveLinks(ScanLog &log) {
  log.reportPhase(_("Resolving symbolic links"));
  resolveLinksBelow(dirTree.rootList);
}

void resolveLinksBelow(DirNodeList &roots) {
  walkTree(roots, [&](const DirNodeRef &node, const std::string &path) {
    if (!node->isLink()) return true;
    resolveLink(*node, path, roots);
    return false;
  });
}
