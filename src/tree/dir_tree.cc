#include "tree/dir_tree.h"

#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include "base/paths.h"
#include "config/dir_config.h"
#include "config/reader.h"

DirTree dirTree;

namespace {

// Equal slots carved from blocks that are never returned; freed slots are
// reused. Blocks double up to 2 MiB, and those of 2 MiB, aligned so, ask
// the system for large pages: a big tree then costs a few hundred page
// faults instead of tens of thousands.
class SlotPool {
 public:
  SlotPool(size_t slotSize, size_t firstBlock) : slotSize_(slotSize), next_(firstBlock) {}
  void *take() {
    if (free_) {
      void *slot = free_;
      free_ = free_->next;
      return slot;
    }
    if (!block_ || used_ + slotSize_ > blockSize_) grow();
    void *slot = block_ + used_;
    used_ += slotSize_;
    return slot;
  }
  void give(void *slot) {
    auto *node = static_cast<FreeSlot *>(slot);
    node->next = free_;
    free_ = node;
  }

 private:
  struct FreeSlot {
    FreeSlot *next;
  };
  static constexpr size_t kLargeBlock = size_t{2} << 20;

  void grow() {
    blockSize_ = next_;
    next_ = std::min(2 * next_, kLargeBlock);
    const bool large = blockSize_ == kLargeBlock;
    // A large block is mapped twice its size, then trimmed to be aligned.
    const size_t mapped = large ? 2 * blockSize_ : blockSize_;
    void *area =
        mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED) throw std::bad_alloc();
    uintptr_t start = reinterpret_cast<uintptr_t>(area);
    if (large) {
      const uintptr_t aligned = (start + blockSize_ - 1) / blockSize_ * blockSize_;
      if (aligned > start) munmap(area, aligned - start);
      munmap(reinterpret_cast<void *>(aligned + blockSize_),
             start + mapped - aligned - blockSize_);
      start = aligned;
      madvise(reinterpret_cast<void *>(start), blockSize_, MADV_HUGEPAGE);
    }
    block_ = reinterpret_cast<char *>(start);
    used_ = 0;
#ifdef __SANITIZE_ADDRESS__
    // The leak checker does not look into mapped memory; the nodes here
    // hold the only references to their names and lists.
    __lsan_register_root_region(block_, blockSize_);
#endif
  }

  const size_t slotSize_;
  size_t next_;
  size_t blockSize_ = 0;
  char *block_ = nullptr;
  size_t used_ = 0;
  FreeSlot *free_ = nullptr;
};

template <class T>
struct PoolAllocator {
  using value_type = T;
  PoolAllocator() = default;
  template <class U>
  explicit PoolAllocator(const PoolAllocator<U> &) {}
  static SlotPool &pool() {
    // Lives as long as the nodes: never destroyed. Every program that has
    // a tree has enough of it to start with a large block.
    static SlotPool *pool = new SlotPool(
        (sizeof(T) + alignof(T) - 1) / alignof(T) * alignof(T), size_t{2} << 20);
    return *pool;
  }
  T *allocate(size_t n) {
    if (n != 1) return std::allocator<T>().allocate(n);
    return static_cast<T *>(pool().take());
  }
  void deallocate(T *p, size_t n) {
    if (n != 1) return std::allocator<T>().deallocate(p, n);
    pool().give(p);
  }
  template <class U>
  bool operator==(const PoolAllocator<U> &) const {
    return true;
  }
  template <class U>
  bool operator!=(const PoolAllocator<U> &) const {
    return false;
  }
};

constexpr size_t kListUnit = 16, kListClasses = 32;

SlotPool *listPool(size_t bytes) {
  static SlotPool *pools[kListClasses] = {};
  const size_t index = (bytes + kListUnit - 1) / kListUnit - 1;
  if (index >= kListClasses) return nullptr;
  if (!pools[index])
    pools[index] = new SlotPool((index + 1) * kListUnit, size_t{64} << 10);
  return pools[index];
}

}  // namespace

void *takeListStorage(size_t bytes) {
  if (SlotPool *pool = listPool(bytes)) return pool->take();
  return ::operator new(bytes);
}

void giveListStorage(void *storage, size_t bytes) {
  if (SlotPool *pool = listPool(bytes))
    pool->give(storage);
  else
    ::operator delete(storage);
}

DirNodeRef newDirNode() {
  return std::allocate_shared<DirNode>(PoolAllocator<DirNode>());
}

void keepTreeUntilExit() {
  static DirNodeList *kept = nullptr;
  if (!kept) kept = new DirNodeList;
  for (DirNodeRef &root : dirTree.rootList) kept->push_back(std::move(root));
  dirTree.rootList.clear();
}

DirNode::~DirNode() {
  DirNodeList pending = std::move(children);
  while (!pending.empty()) {
    DirNodeRef node = std::move(pending.back());
    pending.pop_back();
    if (node.use_count() == 1) {
      for (DirNodeRef &child : node->children) pending.push_back(std::move(child));
      node->children.clear();
    }
  }
}

const std::string &DirNode::noText() {
  static const std::string empty;
  return empty;
}

void DirNode::setLinkText(std::string text) {
  if (!link_ && text.empty()) return;
  if (!link_) link_.reset(new LinkInfo);
  link_->text = std::move(text);
}

void DirNode::setResolvedPath(std::string path) {
  if (!link_ && path.empty()) return;
  if (!link_) link_.reset(new LinkInfo);
  link_->resolved = std::move(path);
}

void DirNode::refreshStatus() {
  setLinkText(std::string());
  skipState = SkipNone;
  unreadableState = ReadOk;
  struct stat status;
  if (lstat(name.c_str(), &status) != 0) {
    entryMode = targetMode = 0;
    return;
  }
  entryMode = static_cast<uint16_t>(status.st_mode);
  modifyTime = status.st_mtime;
  changeTime = status.st_ctime;
  if (!isLinkMode(entryMode)) {
    targetMode = entryMode;
    return;
  }
  if (stat(name.c_str(), &status) != 0) {
    entryMode = targetMode = 0;
    return;
  }
  setLinkText(readLinkTarget(name));
  targetMode = static_cast<uint16_t>(status.st_mode);
}

void DirNode::setDirectoryStatus(const struct stat &status) {
  setLinkText(std::string());
  skipState = SkipNone;
  unreadableState = ReadOk;
  entryMode = targetMode = static_cast<uint16_t>(status.st_mode);
  modifyTime = status.st_mtime;
  changeTime = status.st_ctime;
}

void DirNode::copyAttributes(const DirNode &other) {
  if (other.link_ || link_) {
    setLinkText(other.linkText());
    setResolvedPath(other.resolvedPath());
  }
  entryMode = other.entryMode;
  targetMode = other.targetMode;
  modifyTime = other.modifyTime;
  changeTime = other.changeTime;
  skipState = other.skipState;
  unreadableState = other.unreadableState;
  linkState = other.linkState;
  linkAccess = other.linkAccess;
}

DirNodeRef nodeFromEntry(const struct dirent &entry) {
  DirNodeRef node = newDirNode();
  node->name = entry.d_name;
  if (entry.d_type == DT_UNKNOWN || entry.d_type == DT_DIR || entry.d_type == DT_LNK)
    node->refreshStatus();
  return node;
}

DirNodeRef nodeFromPath(const std::string &path) {
  DirNodeRef node = newDirNode();
  node->name = path;
  node->refreshStatus();
  return node;
}

bool compareNames(const DirNode &a, const DirNode &b) {
  if (!activeConfig.CaseSensitiveSort)
    return strcasecmp(a.name.c_str(), b.name.c_str()) < 0;
  size_t common = std::min(a.name.size(), b.name.size());
  int order = memcmp(a.name.data(), b.name.data(), common);
  return order < 0 || (order == 0 && a.name.size() < b.name.size());
}

void sortChildren(DirNodeList &list) {
  if (!activeConfig.SortTree) return;
  std::stable_sort(
      list.begin(), list.end(),
      [](const DirNodeRef &a, const DirNodeRef &b) { return compareNames(*a, *b); });
}

std::string childPath(const std::string &parent, const std::string &name) {
  std::string path = parent;
  if (path.empty() || path.back() != '/') path += '/';
  return path + name;
}

namespace {

// path lies at or below prefix: equal, or prefix then '/' (any path lies
// below a one-byte prefix, the root "/").
enum class Relation { Unrelated, Equal, Below };
Relation relate(const std::string &path, const std::string &prefix) {
  if (path.size() < prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
    return Relation::Unrelated;
  if (path.size() == prefix.size()) return Relation::Equal;
  if (prefix.size() != 1 && path[prefix.size()] != '/') return Relation::Unrelated;
  return Relation::Below;
}

// Adds the components of path below the node at parentPath (the current
// directory is changed on the way) and returns that node.
void addPathBelow(const DirNodeRef &node, const std::string &parentPath,
                  const std::string &path) {
  if (chdir(parentPath.c_str()) != 0) { /* nodes get the status lstat gives */
  }
  size_t at = parentPath.size() == 1 ? 1 : parentPath.size() + 1;
  DirNode *parent = node.get();
  while (at < path.size()) {
    size_t slash = path.find('/', at);
    if (slash == std::string::npos) slash = path.size();
    std::string component = path.substr(at, slash - at);
    at = slash + 1;
    if (component.empty()) continue;
    DirNodeRef child = nodeFromPath(component);
    child->skipState = SkipAdded;
    parent->children.push_back(child);
    sortChildren(parent->children);
    if (at < path.size()) {
      if (chdir(component.c_str()) != 0) { /* as above */
      }
      parent = child.get();
    }
  }
}

// Walks down from start (at the first startLength bytes of path) by the
// names in path; comparing in place, no path is built per child.
DirLocation descend(const DirNodeRef &start, size_t startLength, const std::string &path,
                    bool respectRules, bool createBelow) {
  DirNodeRef node = start;
  size_t length = startLength;
  for (;;) {
    const size_t at = path[length - 1] == '/' ? length : length + 1;
    bool descended = false;
    for (const DirNodeRef &child : node->children) {
      const std::string &name = child->name;
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
    const std::string nodePath = path.substr(0, length);
    if (!createBelow || (respectRules && matchesSkipDir(nodePath))) return {};
    addPathBelow(node, nodePath, path);
    return {node, nodePath};
  }
}

}  // namespace

DirLocation lookupPath(const std::string &path, bool respectRules, bool createRoot,
                       bool createBelow, DirNodeList &roots) {
  if (path.empty()) return {};
  // Roots may nest: the current directory is added as a root of its own,
  // and it may hold a start directory. The path is looked for below every
  // root that holds it, the deepest root first; only where none has it is
  // the missing part added, below the deepest.
  const DirNodeRef *deepest = nullptr;
  for (const DirNodeRef &root : roots) {
    if (!root->isDir()) continue;
    Relation relation = relate(path, root->name);
    if (relation == Relation::Equal) return {root, path};
    if (relation == Relation::Below &&
        (!deepest || root->name.size() > (*deepest)->name.size()))
      deepest = &root;
  }
  if (deepest) {
    for (const DirNodeRef *holder = deepest; holder;) {
      DirLocation found =
          descend(*holder, (*holder)->name.size(), path, respectRules, false);
      if (found.node) return found;
      const size_t above = (*holder)->name.size();
      holder = nullptr;
      for (const DirNodeRef &root : roots)
        if (root->isDir() && root->name.size() < above &&
            (!holder || root->name.size() > (*holder)->name.size()) &&
            relate(path, root->name) == Relation::Below)
          holder = &root;
    }
    return createBelow
               ? descend(*deepest, (*deepest)->name.size(), path, respectRules, true)
               : DirLocation{};
  }
  if (!createRoot || (respectRules && !isStartDir(path))) return {};
  DirNodeRef root = nodeFromPath(path);
  root->skipState = SkipAdded;
  roots.push_back(root);
  sortChildren(roots);
  return {root, path};
}
