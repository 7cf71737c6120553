#include "scan/prober.h"

#include <algorithm>
#include <thread>

#include <sys/stat.h>

#include "base/threads.h"
#include "scan/dir_reading.h"

namespace {
// Too few directories are not worth a thread. More are cut into slices
// (runs of directories in walk order) that the threads take in turn, so
// that neither waits long for the other at the end.
constexpr size_t kShareFrom = 256;
constexpr size_t kSlices = 64;
// Directories deeper below the top are left to the walk, so that each
// thread keeps few descriptors.
constexpr size_t kDepth = 64;
}  // namespace

void Prober::run() {
  count_ = forget();
  slices_ = count_ < kShareFrom ? 1 : kSlices;
  sliceSize_ = (count_ + slices_ - 1) / slices_;
  std::thread helper;
  // A helper that fails (no memory) leaves its directories to the walk.
  const bool shared = slices_ > 1 && startHelperThread(helper, [this] {
                        try {
                          probe();
                        } catch (...) {
                        }
                      });
  probe();
  if (shared) helper.join();
  settle();
}

// Clears the marks of an earlier update and counts the directories to
// probe: every known one below the top, links aside.
size_t Prober::forget() {
  size_t count = 0;
  std::vector<DirNode *> pending{&top_};
  while (!pending.empty()) {
    DirNode *node = pending.back();
    pending.pop_back();
    for (const DirNodeRef &child : node->children) {
      if (child->isLink()) continue;
      child->scanHint = 0;
      ++count;
      if (!child->children.empty()) pending.push_back(child.get());
    }
  }
  return count;
}

// Opens the top frame's directory, and those above it that this thread
// passed in memory on its way to its slice.
bool Prober::reach(std::vector<Frame> &stack) {
  for (size_t i = 1; i < stack.size(); ++i) {
    if (stack[i].fd >= 0) continue;
    if (!stack[i - 1].dead && i <= kDepth)
      stack[i].fd = fs_.openDir(stack[i - 1].fd, stack[i].node->name.c_str(), FileSystem::kPath);
    if (stack[i].fd < 0) {
      for (size_t j = i; j < stack.size(); ++j) stack[j].dead = true;
      return false;
    }
  }
  return !stack.back().dead;
}

// The directories numbered [begin, end) in walk order of the next slice no
// thread has taken; slices are taken in order.
bool Prober::claim(size_t &begin, size_t &end) {
  const size_t slice = nextSlice_.fetch_add(1);
  if (slice >= slices_) return false;
  begin = slice * sliceSize_;
  end = std::min(count_, begin + sliceSize_);
  return true;
}

// Probes the slices this thread takes. The walk order is counted in memory,
// so passing over the slices of the other thread costs nothing.
void Prober::probe() {
  size_t begin, end;
  if (!claim(begin, end)) return;
  std::vector<Frame> stack{{&top_, fd_, false, 0}};
  struct Closer {
    FileSystem &fs;
    std::vector<Frame> &frames;
    ~Closer() {
      for (size_t i = 1; i < frames.size(); ++i)
        if (frames[i].fd >= 0) fs.close(frames[i].fd);
    }
  } closer{fs_, stack};
  size_t index = 0;
  while (!stack.empty()) {
    if (index >= end && !claim(begin, end)) break;
    Frame &frame = stack.back();
    if (frame.next == frame.node->children.size()) {
      if (stack.size() > 1 && frame.fd >= 0) fs_.close(frame.fd);
      stack.pop_back();
      continue;
    }
    DirNode &child = *frame.node->children[frame.next++];
    if (child.isLink()) continue;
    const bool descend = hasDirectories(child);
    if (index++ < begin || frame.dead || (frame.fd < 0 && !reach(stack))) {
      const bool dead = stack.back().dead;
      if (descend) stack.push_back({&child, -1, dead, 0});
      continue;
    }
    probeChild(stack, child, descend);
  }
}

// One probe, from the directory of the top frame; a child with known
// subdirectories gets a frame of its own.
void Prober::probeChild(std::vector<Frame> &stack, DirNode &child, bool descend) {
  const int at = stack.back().fd;
  const char *name = child.name.c_str();
  FileStatus status;
  int fd = -1;
  bool found;
  if (descend) {
    fd = stack.size() <= kDepth ? fs_.openDir(at, name, FileSystem::kPath) : -1;
    found = fd >= 0 && fs_.status(fd, status) == 0;
  } else {
    found = fs_.statusAt(at, name, false, status) == 0;
  }
  found = found && S_ISDIR(status.mode);
  if (found && child.skipState == SkipNone && child.unreadableState == ReadOk &&
      canSearch(fs_, status, at, name) && !newer(status, child, previousScanStart_))
    child.scanHint = kUnchanged;
  if (!descend) return;
  // A changed directory's children are probed all the same: a file made in
  // a directory changes it, not what lies below it.
  if (!found && fd >= 0) {
    fs_.close(fd);
    fd = -1;
  }
  stack.push_back({&child, fd, fd < 0, 0});
}

// Marks the subtrees whose directories are all unchanged.
void Prober::settle() {
  struct Up {
    DirNode *node;
    size_t next;
    bool unchanged;
  };
  std::vector<Up> stack{{&top_, 0, true}};
  while (!stack.empty()) {
    Up &up = stack.back();
    if (up.next < up.node->children.size()) {
      DirNode &child = *up.node->children[up.next++];
      if (!child.isLink()) stack.push_back({&child, 0, child.scanHint == kUnchanged});
      continue;
    }
    const Up done = up;
    stack.pop_back();
    if (stack.empty()) break;
    if (done.unchanged) done.node->scanHint = kSubtreeUnchanged;
    stack.back().unchanged = stack.back().unchanged && done.unchanged;
  }
}
