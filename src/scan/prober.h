// A smart update spends nearly all its time probing known directories, one
// system call each, and these probes do not depend on one another. So
// before the walk, two threads probe the known tree at once, taking turns
// at slices of it in walk order, and mark the subtrees in which every
// directory is unchanged. The walk then passes those without a system
// call. The probes only leave marks: everything the walk decides, reports
// and changes stays its own, and a mark spares it only a probe it would
// have made a moment later.
#ifndef VOK_SCAN_PROBER_H
#define VOK_SCAN_PROBER_H

#include <atomic>
#include <cstdint>
#include <vector>

#include "base/file_system.h"
#include "tree/dir_tree.h"

class Prober {
 public:
  // `top` is the node being updated and `fd` its directory (kept open by
  // the caller while the probes run); previousScanStart as for newer().
  Prober(FileSystem &fs, DirNode &top, int fd, int64_t previousScanStart)
      : fs_(fs), top_(top), fd_(fd), previousScanStart_(previousScanStart) {}

  // Leaves kUnchanged on every directory found unchanged and
  // kSubtreeUnchanged on those with all below them unchanged too.
  void run();

  static constexpr uint8_t kUnchanged = 1;         // this directory
  static constexpr uint8_t kSubtreeUnchanged = 2;  // and everything below

 private:
  struct Frame {
    DirNode *node;
    int fd;     // -1: not opened (yet)
    bool dead;  // its directory could not be probed: nothing below it is
    size_t next;
  };

  size_t forget();
  bool reach(std::vector<Frame> &stack);
  bool claim(size_t &begin, size_t &end);
  void probe();
  void probeChild(std::vector<Frame> &stack, DirNode &child, bool descend);
  void settle();

  FileSystem &fs_;
  DirNode &top_;
  const int fd_;
  const int64_t previousScanStart_;
  size_t count_ = 0, slices_ = 1, sliceSize_ = 0;
  std::atomic<size_t> nextSlice_{0};
};

#endif
