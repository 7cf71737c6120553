#include "scan/dir_reading.h"

#include <dirent.h>
#include <grp.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/message.h"

namespace {

// A node for an entry that is a directory or a link to one; null for
// anything else. Only links and entries of unknown type cost system calls:
// a directory gets its status when it is opened.
DirNodeRef nodeForEntry(int dirFd, const char *name, unsigned char type) {
  if (type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN) return nullptr;
  struct stat status;
  if (type != DT_DIR && fstatat(dirFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
    return nullptr;
  const bool link = type == DT_LNK || (type == DT_UNKNOWN && S_ISLNK(status.st_mode));
  DirNodeRef node = newDirNode();
  node->name = name;
  if (!link) {
    if (type == DT_UNKNOWN && !S_ISDIR(status.st_mode)) return nullptr;
    if (type == DT_UNKNOWN)
      node->setDirectoryStatus(status);
    else
      node->entryMode = node->targetMode = S_IFDIR;
    return node;
  }
  struct stat target;
  if (fstatat(dirFd, name, &target, 0) != 0 || !S_ISDIR(target.st_mode)) return nullptr;
  node->entryMode = static_cast<uint16_t>(status.st_mode);
  node->targetMode = static_cast<uint16_t>(target.st_mode);
  node->modifyTime = status.st_mtime;
  node->changeTime = status.st_ctime;
  char text[4096];
  const ssize_t length = readlinkat(dirFd, name, text, sizeof text);
  node->setLinkText(std::string(text, length > 0 ? static_cast<size_t>(length) : 0));
  return node;
}

}  // namespace

// From the mode bits for the usual case, from the system when they say no,
// since an access control list may still allow it.
bool canSearch(const struct stat &status, int at, const char *name) {
  static const uid_t uid = geteuid();
  static const std::vector<gid_t> groups = [] {
    std::vector<gid_t> list(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)));
    list.resize(static_cast<size_t>(
        std::max(getgroups(static_cast<int>(list.size()), list.data()), 0)));
    list.push_back(getegid());
    return list;
  }();
  if (uid == 0) return true;
  mode_t bit = S_IXOTH;
  if (status.st_uid == uid)
    bit = S_IXUSR;
  else if (std::find(groups.begin(), groups.end(), status.st_gid) != groups.end())
    bit = S_IXGRP;
  if (status.st_mode & bit) return true;
  return faccessat(at, name, X_OK, AT_EACCESS) == 0;
}

bool readListing(int fd, DirNodeList &out) {
  // One buffer a thread: the walk may read on two.
  alignas(8) thread_local char buffer[1 << 16];
  for (;;) {
    const ssize_t got = getdents64(fd, buffer, sizeof buffer);
    if (got < 0) {
      out.clear();
      return false;
    }
    if (got == 0) return true;
    for (ssize_t at = 0; at < got;) {
      const auto *entry = reinterpret_cast<const struct dirent64 *>(buffer + at);
      at += entry->d_reclen;
      const char *name = entry->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
        continue;
      if (DirNodeRef node = nodeForEntry(fd, name, entry->d_type))
        out.push_back(std::move(node));
    }
  }
}

bool newer(const struct stat &status, const DirNode &node, int64_t previousScanStart) {
  const int64_t probe = std::max<int64_t>(status.st_mtime, status.st_ctime);
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
