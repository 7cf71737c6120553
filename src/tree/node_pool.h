// Where tree nodes and their children lists get their memory. A tree of a
// million directories holds a million nodes and nearly as many lists; from
// the general allocator they would cost as many calls to malloc, its
// bookkeeping and tens of thousands of page faults.
#ifndef VOK_TREE_NODE_POOL_H
#define VOK_TREE_NODE_POOL_H

#include <cstddef>
#include <memory>

// Children lists draw their storage from pools of equal slots (up to 32
// children; longer lists use the heap).
void *takeListStorage(size_t bytes);
void giveListStorage(void *storage, size_t bytes);

template <class T>
struct ListAllocator {
  using value_type = T;
  ListAllocator() = default;
  template <class U>
  ListAllocator(const ListAllocator<U> &) {}  // NOLINT: rebinding is implicit
  T *allocate(size_t n) { return static_cast<T *>(takeListStorage(n * sizeof(T))); }
  void deallocate(T *p, size_t n) { giveListStorage(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const ListAllocator<U> &) const {
    return true;
  }
  template <class U>
  bool operator!=(const ListAllocator<U> &) const {
    return false;
  }
};

// Equal slots carved from blocks that are never returned; freed slots are
// reused. Blocks double up to 2 MiB, and those of 2 MiB, aligned so, ask
// the system for large pages: a big tree then costs a few hundred page
// faults instead of tens of thousands.
class SlotPool {
 public:
  SlotPool(size_t slotSize, size_t firstBlock) : slotSize_(slotSize), next_(firstBlock) {}
  void *take();
  void give(void *slot);

 private:
  struct FreeSlot {
    FreeSlot *next;
  };
  void grow();

  const size_t slotSize_;
  size_t next_;
  size_t blockSize_ = 0;
  char *block_ = nullptr;
  size_t used_ = 0;
  FreeSlot *free_ = nullptr;
};

// Single objects from a pool of their own, which lives as long as they do
// (it is never destroyed); arrays come from the heap.
template <class T>
struct PoolAllocator {
  using value_type = T;
  PoolAllocator() = default;
  template <class U>
  explicit PoolAllocator(const PoolAllocator<U> &) {}
  static SlotPool &pool() {
    // Every program that makes nodes makes enough to start with a large block.
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

#endif
