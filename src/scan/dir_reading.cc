#include "scan/dir_reading.h"

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/message.h"

namespace {

// A node for an entry that is a directory or a link to one; null for
// anything else. Only links and entries of unknown type cost calls: a
// directory gets its status when it is opened.
DirNodeRef nodeForEntry(FileSystem &fs, int dirFd, const char *name, EntryType type) {
  if (type == EntryType::Other) return nullptr;
  FileStatus status;
  if (type != EntryType::Directory && fs.statusAt(dirFd, name, false, status) != 0)
    return nullptr;
  const bool link =
      type == EntryType::Link || (type == EntryType::Unknown && S_ISLNK(status.mode));
  DirNodeRef node = newDirNode();
  node->name = name;
  if (!link) {
    if (type == EntryType::Unknown && !S_ISDIR(status.mode)) return nullptr;
    if (type == EntryType::Unknown)
      node->setDirectoryStatus(status);
    else
      node->entryMode = node->targetMode = S_IFDIR;
    return node;
  }
  FileStatus target;
  if (fs.statusAt(dirFd, name, true, target) != 0 || !S_ISDIR(target.mode)) return nullptr;
  node->entryMode = static_cast<uint16_t>(status.mode);
  node->targetMode = static_cast<uint16_t>(target.mode);
  node->modifyTime = status.modifyTime;
  node->changeTime = status.changeTime;
  node->setLinkText(fs.readLink(dirFd, name));
  return node;
}

class NodeSink : public ListingSink {
 public:
  NodeSink(FileSystem &fs, int fd, DirNodeList &out) : fs_(fs), fd_(fd), out_(out) {}
  void entry(const char *name, EntryType type) override {
    if (DirNodeRef node = nodeForEntry(fs_, fd_, name, type)) out_.push_back(std::move(node));
  }

 private:
  FileSystem &fs_;
  const int fd_;
  DirNodeList &out_;
};

}  // namespace

bool readListing(FileSystem &fs, int fd, DirNodeList &out) {
  NodeSink sink(fs, fd, out);
  if (fs.list(fd, sink)) return true;
  out.clear();
  return false;
}

bool newer(const FileStatus &status, const DirNode &node, int64_t previousScanStart) {
  const int64_t probe = status.newestTime();
  const int64_t known = node.newestTime();
  return probe > known || (probe == known && probe >= previousScanStart);
}

bool hasDirectories(const DirNode &node) {
  for (const DirNodeRef &child : node.children)
    if (!child->isLink()) return true;
  return false;
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

void invalidState() {
  throw ErrorGeneric(_("Invalid directory tree state, program aborted"));
}
