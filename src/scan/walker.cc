#include "scan/walker.h"

#include <algorithm>
#include <cerrno>
#include <unordered_map>

#include "scan/dir_reading.h"
#include "scan/prober.h"

namespace {

// Frames that keep their directory open; deeper trees reopen the rest.
constexpr size_t kOpenFrames = 64;

// Finds existing children by name and link-ness without a quadratic search
// in directories of many entries.
class ChildIndex {
 public:
  explicit ChildIndex(const DirNodeList &children) : children_(children) {
    if (children.size() > 8)
      for (size_t i = children.size(); i-- > 0;) byName_[children[i]->name.view()] = i;
  }
  DirNode *find(const DirNode &candidate) const {
    if (!byName_.empty()) {
      auto found = byName_.find(candidate.name.view());
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
  // Views of the children's names, which outlive the index.
  std::unordered_map<std::string_view, size_t> byName_;
};

}  // namespace

Walker::~Walker() {
  for (Frame &frame : stack_)
    if (frame.fd >= 0) fs_.close(frame.fd);
}

void Walker::read(DirNode &node, int fd, const FileStatus &status) {
  DirHandle dir(fs_, fd);
  if (excluded()) {
    node.skipState = SkipSkipped;
    return;
  }
  if (log_.quiet && !cancelled_) {
    reader_ = std::make_unique<SubtreeReader>(fs_, options_, previousScanStart_);
    if (!reader_->wantsWork()) reader_.reset();
  }
  list(node, dir.release(), status, false);
  run();
}

void Walker::readHandedOver(DirNode &child, int at, const std::atomic<bool> &cancelled) {
  cancelled_ = &cancelled;
  readChild(at, child);
  run();
}

void Walker::update(DirNode &node, int fd, const FileStatus &status, int at,
                    const char *name) {
  Prober(fs_, node, fd, previousScanStart_).run();
  updateNode(node, fd, status, at, name);
  run();
}

// Every frame comes with its directory open; the top frame always has it.
void Walker::push(DirNode &node, int fd, const FileStatus &status,
                  std::vector<Item> items, bool relisted, DirNodeList added) {
  Frame frame;
  frame.node = &node;
  frame.fd = fd;
  frame.dev = status.dev;
  frame.ino = status.ino;
  frame.pathLength = path_.size();
  frame.items = std::move(items);
  frame.relisted = relisted;
  frame.added = std::move(added);
  frame.handedFrom = frame.items.size();
  stack_.push_back(std::move(frame));
  // Keep only the deepest frames' descriptors, so that no depth of tree
  // runs out of them. The frames with a descriptor are always the top ones
  // (above them come only frames of unchanged subtrees, which need none).
  if (stack_.size() - firstOpen_ <= kOpenFrames) return;
  Frame &oldest = stack_[firstOpen_++];
  fs_.close(oldest.fd);
  oldest.fd = -1;
}

// A listing of node's directory becomes its children (a full read) or is
// matched against them (relisting); the frame that visits them is pushed.
void Walker::list(DirNode &node, int fd, const FileStatus &status, bool relisting) {
  DirHandle dir(fs_, fd);
  DirNodeList entries;
  if (!readListing(fs_, fd, entries)) {
    node.unreadableState = ReadCannotList;
    node.clearChildren();
    return;
  }
  std::vector<Item> items;
  items.reserve(entries.size());
  if (!relisting) {
    node.children = std::move(entries);
    for (const DirNodeRef &child : node.children) items.push_back({child.get(), true});
    push(node, dir.release(), status, std::move(items), false, {});
    return;
  }
  node.unreadableState = ReadOk;
  for (const DirNodeRef &child : node.children)
    if (child->scanMark != MarkIdle) invalidState();
  ChildIndex index(node.children);
  DirNodeList added;
  for (DirNodeRef &candidate : entries) {
    DirNode *existing = index.find(*candidate);
    if (existing) {
      existing->scanMark = MarkSeen;
      if (existing->isLink() && candidate->newestTime() > existing->newestTime())
        existing->copyAttributes(*candidate);
      items.push_back({existing, false});
      continue;
    }
    candidate->scanMark = MarkSeen;
    items.push_back({candidate.get(), true});
    added.push_back(std::move(candidate));
  }
  push(node, dir.release(), status, std::move(items), true, std::move(added));
}

void Walker::run() {
  while (!stack_.empty()) {
    if (cancelled_ && cancelled_->load(std::memory_order_relaxed)) return;
    if (reader_ && reader_->wantsWork()) handOver();
    const size_t top = stack_.size() - 1;
    Frame &frame = stack_[top];
    if (frame.next < frame.items.size() && !frame.lost) {
      const Item item = frame.items[frame.next++];
      visit(top, item);
      continue;
    }
    collect(frame);
    finish(frame);
    const int fd = frame.fd;
    stack_.pop_back();
    firstOpen_ = std::min(firstOpen_, stack_.size());
    // The parent, now on top, needs its descriptor again; it comes through
    // "..", which is the parent only if nothing moved meanwhile.
    if (!stack_.empty() && stack_.back().fd < 0 && !stack_.back().lost &&
        !stack_.back().unchanged) {
      stack_.back().lost = !reopen(stack_.back(), fd);
      if (!stack_.back().lost) firstOpen_ = stack_.size() - 1;
    }
    if (fd >= 0) fs_.close(fd);
  }
}

bool Walker::reopen(Frame &frame, int childFd) {
  if (childFd < 0) return false;
  const int fd = fs_.openDir(childFd, "..", FileSystem::kList);
  FileStatus status;
  if (fd < 0) return false;
  if (fs_.status(fd, status) != 0 || status.dev != frame.dev || status.ino != frame.ino) {
    fs_.close(fd);
    return false;
  }
  frame.fd = fd;
  return true;
}

// Gives the reader the new directory this walk would come to last among
// those it has open: the last one not yet visited of the lowest frame, so
// that the walk has the most to do before it needs it back.
void Walker::handOver() {
  for (size_t f = firstOpen_; f < stack_.size(); ++f) {
    Frame &frame = stack_[f];
    if (frame.fd < 0 || frame.lost) continue;
    // The next item is visited at once; handing it over would only wait.
    while (frame.handedFrom > frame.next + 1) {
      Item &item = frame.items[--frame.handedFrom];
      if (!item.fresh || item.child->isLink()) continue;
      std::string path = path_.substr(0, frame.pathLength);
      appendChild(path, item.child->name);
      item.job = reader_->handOver(*item.child, frame.fd, std::move(path));
      return;
    }
  }
}

// Takes back what the reader read of a frame's children that the walk did
// not visit (its directory was lost on the way).
void Walker::collect(Frame &frame) {
  for (size_t i = frame.next; i < frame.items.size(); ++i) {
    if (!frame.items[i].job) continue;
    reader_->collect(frame.items[i].job, log_);
    frame.items[i].job = nullptr;
    frame.items[i].fresh = false;
  }
}

void Walker::finish(Frame &frame) {
  DirNode &node = *frame.node;
  // Children a frame could not get back to were never entered.
  if (frame.lost)
    for (size_t i = frame.next; i < frame.items.size(); ++i)
      if (frame.items[i].fresh) frame.items[i].child->unreadableState = ReadCannotEnter;
  if (frame.relisted) {
    for (DirNodeRef &child : frame.added) node.children.push_back(std::move(child));
    removeUnmarked(node.children);
    clearMarks(node.children);
  } else if (node.children.capacity() > node.children.size()) {
    node.children.shrink_to_fit();
  }
  sortChildren(node.children, options_.order);
}

void Walker::visit(size_t frame, const Item &item) {
  path_.resize(stack_[frame].pathLength);
  appendChild(path_, item.child->name);
  log_.reportDirectory(path_);
  // A node handed over is the reader's until it is taken back.
  if (item.job) return reader_->collect(item.job, log_);
  if (item.child->isLink()) return;
  if (item.fresh)
    readChild(stack_[frame].fd, *item.child);
  else
    updateChild(frame, *item.child);
}

void Walker::enterFailed(DirNode &child, int error, int at, const char *name) {
  FileStatus status;
  // Searchable but not readable: it was entered, it just cannot be listed.
  if (error == EACCES && fs_.statusAt(at, name, false, status) == 0 &&
      S_ISDIR(status.mode)) {
    child.setDirectoryStatus(status);
    if (canSearch(fs_, status, at, name)) {
      if (excluded())
        child.skipState = SkipSkipped;
      else
        child.unreadableState = ReadCannotList;
      return;
    }
  }
  log_.reportError(child.name, error);
  child.unreadableState = ReadCannotEnter;
  child.clearChildren();
}

// A directory new to the tree: entered, then read in full.
void Walker::readChild(int at, DirNode &child) {
  const char *name = child.name.c_str();
  DirHandle dir(fs_, fs_.openDir(at, name, FileSystem::kList));
  if (dir.fd() < 0) return enterFailed(child, errno, at, name);
  FileStatus status;
  if (fs_.status(dir.fd(), status) != 0) return enterFailed(child, errno, at, name);
  child.setDirectoryStatus(status);
  if (!canSearch(fs_, status, at, name)) return enterFailed(child, EACCES, at, name);
  if (excluded()) {
    child.skipState = SkipSkipped;
    return;
  }
  list(child, dir.release(), status, false);
}

// A directory the tree has: probed from its parent, opened only to list it
// again or to descend to the children the tree has below it.
void Walker::updateChild(size_t frame, DirNode &child) {
  if (child.scanHint == Prober::kSubtreeUnchanged) return keepUnchanged(child);
  child.scanHint = 0;
  const int at = stack_[frame].fd;
  const char *name = child.name.c_str();
  const bool descend = hasDirectories(child);
  FileStatus status;
  DirHandle dir(fs_, descend ? fs_.openDir(at, name, FileSystem::kPath) : -1);
  const bool probed = descend ? dir.fd() >= 0 && fs_.status(dir.fd(), status) == 0
                              : fs_.statusAt(at, name, false, status) == 0;
  if (!probed || !S_ISDIR(status.mode)) {
    log_.reportError(child.name, probed ? ENOTDIR : errno);
    child.unreadableState = ReadCannotEnter;
    child.clearChildren();
    return;
  }
  updateNode(child, dir.release(), status, at, name);
}

void Walker::updateNode(DirNode &node, int fd, const FileStatus &status, int at,
                        const char *name) {
  DirHandle dir(fs_, fd);
  if (!canSearch(fs_, status, at, name)) {
    log_.reportError(node.name, EACCES);
    node.unreadableState = ReadCannotEnter;
    node.clearChildren();
    return;
  }
  if (excluded()) {
    node.skipState = SkipSkipped;
    node.clearChildren();
    return;
  }
  if (node.skipState != SkipNone || newer(status, node, previousScanStart_)) {
    node.setDirectoryStatus(status);
    // Listing needs read access; by name, the directory must still be the
    // one probed.
    DirHandle listing(fs_, dir.fd() >= 0 ? fs_.openDir(dir.fd(), ".", FileSystem::kList)
                                         : fs_.openDir(at, name, FileSystem::kList));
    FileStatus again;
    if (listing.fd() < 0 ||
        (dir.fd() < 0 && (fs_.status(listing.fd(), again) != 0 || again.dev != status.dev ||
                          again.ino != status.ino))) {
      node.unreadableState = ReadCannotList;
      node.clearChildren();
      return;
    }
    list(node, listing.release(), status, true);
    return;
  }
  if (node.unreadableState != ReadOk) {
    node.clearChildren();
    return;
  }
  // Only links below: nothing to descend to, nothing to open.
  if (dir.fd() < 0) return reportChildren(node);
  push(node, dir.release(), status, knownItems(node), false, {});
}

// What updateNode does for a directory found unchanged, without probing
// it again: all below it was found unchanged too, so its frame needs no
// descriptor.
void Walker::keepUnchanged(DirNode &node) {
  node.scanHint = 0;
  if (excluded()) {
    node.skipState = SkipSkipped;
    node.clearChildren();
    return;
  }
  if (!hasDirectories(node)) return reportChildren(node);
  Frame frame;
  frame.node = &node;
  frame.pathLength = path_.size();
  frame.items = knownItems(node);
  frame.unchanged = true;
  frame.handedFrom = frame.items.size();
  stack_.push_back(std::move(frame));
}

// Visits of a known directory's children, each to be updated.
std::vector<Walker::Item> Walker::knownItems(const DirNode &node) {
  std::vector<Item> items;
  items.reserve(node.children.size());
  for (const DirNodeRef &child : node.children) items.push_back({child.get(), false});
  return items;
}

void Walker::reportChildren(DirNode &node) {
  const size_t length = path_.size();
  for (const DirNodeRef &child : node.children) {
    path_.resize(length);
    appendChild(path_, child->name);
    log_.reportDirectory(path_);
  }
  path_.resize(length);
  sortChildren(node.children, options_.order);
}
