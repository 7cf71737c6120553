#include "tree/lookup.h"

namespace {

// path lies at or below prefix: equal, or prefix then '/' (any path lies
// below a one-byte prefix, the root "/").
enum class Relation { Unrelated, Equal, Below };
Relation relate(std::string_view path, std::string_view prefix) {
  if (path.size() < prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
    return Relation::Unrelated;
  if (path.size() == prefix.size()) return Relation::Equal;
  if (prefix.size() != 1 && path[prefix.size()] != '/') return Relation::Unrelated;
  return Relation::Below;
}

// Adds the components of path below the node at parentPath, each with the
// status the file system gives it.
void addPathBelow(FileSystem &fs, const DirNodeRef &node, const std::string &parentPath,
                  const std::string &path, const TreeOrder &order) {
  size_t at = parentPath.size() == 1 ? 1 : parentPath.size() + 1;
  DirNode *parent = node.get();
  while (at < path.size()) {
    size_t slash = path.find('/', at);
    if (slash == std::string::npos) slash = path.size();
    std::string component = path.substr(at, slash - at);
    at = slash + 1;
    if (component.empty()) continue;
    DirNodeRef child = newDirNode();
    child->name = component;
    child->refreshStatus(fs, path.substr(0, slash));
    child->skipState = SkipAdded;
    parent->children.push_back(child);
    sortChildren(parent->children, order);
    parent = child.get();
  }
}

// Walks down from start (at the first startLength bytes of path) by the
// names in path, comparing in place, so no path is built per child. Returns
// the node found, or with `deepest` the deepest one on the way.
DirLocation descend(const DirNodeRef &start, size_t startLength, const std::string &path,
                    bool deepest) {
  DirNodeRef node = start;
  size_t length = startLength;
  for (;;) {
    const size_t at = path[length - 1] == '/' ? length : length + 1;
    bool descended = false;
    for (const DirNodeRef &child : node->children) {
      const std::string_view name = child->name;
      if (!child->isDir() || path.compare(at, name.size(), name) != 0) continue;
      const size_t end = at + name.size();
      if (end == path.size()) return {child, path};
      if (path[end] != '/') continue;
      node = child;
      length = end;
      descended = true;
      break;
    }
    if (descended) continue;
    if (!deepest) return {};
    return {node, path.substr(0, length)};
  }
}

// The root holding path with the longest name shorter than `below`.
const DirNodeRef *holderBelow(const DirNodeList &roots, const std::string &path,
                              size_t below) {
  const DirNodeRef *holder = nullptr;
  for (const DirNodeRef &root : roots)
    if (root->isDir() && root->name.size() < below &&
        (!holder || root->name.size() > (*holder)->name.size()) &&
        relate(path, root->name) == Relation::Below)
      holder = &root;
  return holder;
}

}  // namespace

bool holdsPath(const std::string &prefix, const std::string &path) {
  return relate(path, prefix) != Relation::Unrelated;
}

DirLocation findPath(const DirNodeList &roots, const std::string &path) {
  if (path.empty()) return {};
  for (const DirNodeRef &root : roots)
    if (root->isDir() && relate(path, root->name) == Relation::Equal) return {root, path};
  for (const DirNodeRef *holder = holderBelow(roots, path, std::string::npos); holder;
       holder = holderBelow(roots, path, (*holder)->name.size())) {
    DirLocation found = descend(*holder, (*holder)->name.size(), path, false);
    if (found.node) return found;
  }
  return {};
}

DirLocation lookupPath(FileSystem &fs, DirNodeList &roots, const std::string &path,
                       const LookupFlags &flags) {
  DirLocation found = findPath(roots, path);
  if (found.node || path.empty()) return found;
  // Only where no root has it is the missing part added, below the deepest.
  if (const DirNodeRef *deepest = holderBelow(roots, path, std::string::npos)) {
    if (!flags.createBelow) return {};
    DirLocation at = descend(*deepest, (*deepest)->name.size(), path, true);
    if (flags.skipDirs && matchesSkipDir(*flags.skipDirs, at.path)) return {};
    addPathBelow(fs, at.node, at.path, path, flags.order);
    return at;
  }
  if (!flags.createRoot || (flags.startDirs && !isStartDir(*flags.startDirs, path)))
    return {};
  DirNodeRef root = nodeFromPath(fs, path);
  root->skipState = SkipAdded;
  roots.push_back(root);
  sortChildren(roots, flags.order);
  return {root, path};
}

void joinCurrentDir(FileSystem &fs, DirNodeList &roots, const std::string &currentDir,
                    const TreeOrder &order) {
  if (currentDir.empty()) return;
  LookupFlags flags;
  flags.createRoot = flags.createBelow = true;
  flags.order = order;
  lookupPath(fs, roots, currentDir, flags);
}
