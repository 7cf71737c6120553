#include "tree/node_pool.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <new>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include "tree/dir_tree.h"

namespace {
constexpr size_t kLargeBlock = size_t{2} << 20;
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

DirNodeRef newDirNode() {
  return std::allocate_shared<DirNode>(PoolAllocator<DirNode>());
}
