#include "tree/node_pool.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include "tree/dir_tree.h"

namespace {
constexpr size_t kLargeBlock = size_t{2} << 20;
constexpr size_t kListUnit = 8, kListClasses = 32;

// Each thread that makes nodes takes slots from pools of its own, so that a
// scan may read on two threads without a lock for every node. A slot may be
// given back by any thread: it joins that thread's pool of its size. Pools
// are never destroyed, since their nodes may outlive the thread; a thread
// that ends leaves its pools to the next one, and all are kept in a list,
// which keeps them reachable.
struct ThreadPools {
  SlotPool *nodes = nullptr;
  SlotPool *lists[kListClasses] = {};
};

class PoolsHolder {
 public:
  PoolsHolder() {
    std::lock_guard<std::mutex> lock(mutex());
    std::vector<ThreadPools *> &idle = idlePools();
    if (!idle.empty()) {
      pools_ = idle.back();
      idle.pop_back();
      return;
    }
    pools_ = new ThreadPools;
    static bool first = true;
    // The first thread to make nodes builds the tree; others read parts.
    pools_->nodes = new SlotPool(
        (sizeof(DirNode) + alignof(DirNode) - 1) / alignof(DirNode) * alignof(DirNode),
        first ? kLargeBlock : size_t{64} << 10);
    first = false;
    allPools().push_back(pools_);
  }
  ~PoolsHolder() {
    std::lock_guard<std::mutex> lock(mutex());
    idlePools().push_back(pools_);
  }
  ThreadPools &pools() { return *pools_; }

 private:
  static std::mutex &mutex() {
    static std::mutex *m = new std::mutex;
    return *m;
  }
  static std::vector<ThreadPools *> &idlePools() {
    static auto *idle = new std::vector<ThreadPools *>;
    return *idle;
  }
  static std::vector<ThreadPools *> &allPools() {
    static auto *all = new std::vector<ThreadPools *>;
    return *all;
  }
  ThreadPools *pools_;
};

ThreadPools &threadPools() {
  thread_local PoolsHolder holder;
  return holder.pools();
}

SlotPool *listPool(size_t bytes) {
  const size_t index = (bytes + kListUnit - 1) / kListUnit - 1;
  if (index >= kListClasses) return nullptr;
  SlotPool *&pool = threadPools().lists[index];
  if (!pool) pool = new SlotPool((index + 1) * kListUnit, size_t{64} << 10);
  return pool;
}
}  // namespace

void *SlotPool::take() {
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

void SlotPool::give(void *slot) {
  auto *node = static_cast<FreeSlot *>(slot);
  node->next = free_;
  free_ = node;
}

void SlotPool::grow() {
  blockSize_ = next_;
  next_ = std::min(2 * next_, kLargeBlock);
  const bool large = blockSize_ == kLargeBlock;
  // A large block is mapped twice its size, then trimmed to be aligned.
  const size_t mapped = large ? 2 * blockSize_ : blockSize_;
  void *area =
      mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED) throw std::bad_alloc();
  char *start = static_cast<char *>(area);
  if (large) {
    // The pointer moves by whole bytes, so the compiler still knows where
    // it points.
    const size_t skip =
        (blockSize_ - reinterpret_cast<uintptr_t>(start) % blockSize_) % blockSize_;
    if (skip > 0) munmap(start, skip);
    munmap(start + skip + blockSize_, mapped - skip - blockSize_);
    start += skip;
#if defined(MADV_HUGEPAGE) && !defined(VOK_PORTABLE)
    madvise(start, blockSize_, MADV_HUGEPAGE);
#endif
  }
  block_ = start;
  used_ = 0;
#ifdef __SANITIZE_ADDRESS__
  // The leak checker does not look into mapped memory; the nodes here hold
  // the only references to their names and lists.
  __lsan_register_root_region(block_, blockSize_);
#endif
}

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

static SlotPool &nodePool() { return *threadPools().nodes; }

DirNodeRef newDirNode() { return DirNodeRef(new (nodePool().take()) DirNode); }

void freeDirNode(DirNode *node) {
  node->~DirNode();
  nodePool().give(node);
}

DirNodeList::DirNodeList(std::initializer_list<DirNodeRef> refs) {
  reserve(refs.size());
  for (const DirNodeRef &ref : refs) push_back(ref);
}

DirNodeList::DirNodeList(const DirNodeList &other) {
  reserve(other.size());
  for (const DirNodeRef &ref : other) push_back(ref);
}

DirNodeList::~DirNodeList() {
  clear();
  if (items_) giveListStorage(items_, capacity_ * sizeof(DirNodeRef));
}

DirNodeList::iterator DirNodeList::insert(const_iterator at, DirNodeRef ref) {
  const size_t index = static_cast<size_t>(at - items_);
  push_back(std::move(ref));
  std::rotate(items_ + index, items_ + size_ - 1, items_ + size_);
  return items_ + index;
}

DirNodeList::iterator DirNodeList::erase(const_iterator first, const_iterator last) {
  const size_t index = static_cast<size_t>(first - items_);
  const size_t count = static_cast<size_t>(last - first);
  std::move(items_ + index + count, items_ + size_, items_ + index);
  for (size_t i = 0; i < count; ++i) pop_back();
  return items_ + index;
}

// A reference is one pointer, so moving the references to new storage
// is a copy of their bytes, and the old storage is left without them.
void DirNodeList::reallocate(size_t newCapacity) {
  if (newCapacity > UINT32_MAX) throw std::bad_alloc();
  DirNodeRef *items = newCapacity == 0 ? nullptr
                      : static_cast<DirNodeRef *>(takeListStorage(newCapacity * sizeof(DirNodeRef)));
  // NOLINTNEXTLINE(bugprone-undefined-memory-manipulation): see above
  if (size_ > 0 && items) std::memcpy(static_cast<void *>(items), items_, size_ * sizeof(DirNodeRef));
  if (items_) giveListStorage(items_, capacity_ * sizeof(DirNodeRef));
  items_ = items;
  capacity_ = static_cast<uint32_t>(newCapacity);
}
