// Where tree nodes and their children lists get their memory. A tree of a
// million directories holds a million nodes and nearly as many lists; from
// the general allocator they would cost as many calls to malloc, its
// bookkeeping and tens of thousands of page faults.
#ifndef VOK_TREE_NODE_POOL_H
#define VOK_TREE_NODE_POOL_H

#include <cstddef>

// Children lists and long names draw their storage from pools of equal
// slots (up to 256 bytes: 32 children; more uses the heap).
void *takeListStorage(size_t bytes);
void giveListStorage(void *storage, size_t bytes);

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

#endif
