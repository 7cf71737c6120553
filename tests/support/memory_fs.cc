#include "support/memory_fs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

struct MemoryFileSystem::Node {
  mode_t type;  // S_IFDIR, S_IFREG or S_IFLNK
  mode_t mode;  // the permission bits
  uid_t uid;
  gid_t gid;
  ino_t ino;
  int64_t modifyTime, changeTime;
  std::map<std::string, NodeRef> children;
  std::weak_ptr<Node> parent;  // the root's is itself
  std::string target;      // a link's text
};

namespace {

std::vector<std::string> namesOf(const std::string &path) {
  std::vector<std::string> names;
  for (size_t at = 0; at <= path.size();) {
    size_t slash = path.find('/', at);
    if (slash == std::string::npos) slash = path.size();
    if (slash > at) names.push_back(path.substr(at, slash - at));
    at = slash + 1;
  }
  return names;
}

}  // namespace

MemoryFileSystem::MemoryFileSystem() {
  root_ = std::make_shared<Node>(Node{S_IFDIR, 0755, 0, 0, 1, now_, now_, {}, {}, ""});
  root_->parent = root_;
  identity_.groups = {0};
}

MemoryFileSystem::~MemoryFileSystem() = default;

void MemoryFileSystem::call(const std::string &name, int at, const std::string &argument) {
  ++calls_[name];
  if (!beforeCall) return;
  std::string path = argument;
  if (argument.empty() || argument[0] != '/') {
    auto found = open_.find(at);
    const std::string base = found == open_.end() ? "" : pathOf(*found->second.node);
    path = argument.empty() ? base : (base == "/" ? "" : base) + "/" + argument;
  }
  beforeCall(name, path);
}

// The node's path as it stands in the tree now ("" for one removed).
std::string MemoryFileSystem::pathOf(const Node &node) const {
  std::string path;
  const Node *at = &node;
  while (at != root_.get()) {
    NodeRef parent = at->parent.lock();
    if (!parent) return "";
    std::string name;
    for (const auto &entry : parent->children)
      if (entry.second.get() == at) name = entry.first;
    if (name.empty()) return "";
    path = "/" + name + path;
    at = parent.get();
  }
  return path.empty() ? "/" : path;
}

size_t MemoryFileSystem::calls(const std::string &call) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto found = calls_.find(call);
  return found == calls_.end() ? 0 : found->second;
}

size_t MemoryFileSystem::openDescriptors() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return open_.size();
}

// The permission bits for the identity: owner, group or others.
bool MemoryFileSystem::may(const Node &node, int bit) const {
  if (unchecked_ || identity_.uid == 0)
    return bit != X_OK || node.type == S_IFDIR || (node.mode & 0111) != 0;
  mode_t mask = static_cast<mode_t>(bit);
  if (node.uid == identity_.uid)
    mask <<= 6;
  else
    for (gid_t g : identity_.groups)
      if (g == node.gid) {
        mask <<= 3;
        break;
      }
  return (node.mode & mask) != 0;
}

// As the system resolves a name: every directory on the way must be
// searched, links on the way are followed, the last one only with
// `follow`. Null with errno set when that fails.
MemoryFileSystem::NodeRef MemoryFileSystem::resolve(int at, const std::string &name,
                                                    bool follow) {
  NodeRef start = root_;
  if ((name.empty() || name[0] != '/') && at != kHere) {
    auto found = open_.find(at);
    if (found == open_.end()) {
      errno = EBADF;
      return nullptr;
    }
    start = found->second.node;
  }
  return resolveFrom(start, name, follow, 0);
}

MemoryFileSystem::NodeRef MemoryFileSystem::resolveFrom(NodeRef dir, const std::string &name,
                                                        bool follow, int depth) {
  if (!name.empty() && name[0] == '/') dir = root_;
  const std::vector<std::string> names = namesOf(name);
  NodeRef node = dir;
  for (size_t i = 0; i < names.size(); ++i) {
    if (node->type != S_IFDIR) {
      errno = ENOTDIR;
      return nullptr;
    }
    if (!may(*node, X_OK)) {
      errno = EACCES;
      return nullptr;
    }
    dir = node;
    if (names[i] == ".") continue;
    if (names[i] == "..") {
      node = dir->parent.lock();
      if (!node) {
        errno = ENOENT;
        return nullptr;
      }
      continue;
    }
    auto child = dir->children.find(names[i]);
    if (child == dir->children.end()) {
      errno = ENOENT;
      return nullptr;
    }
    node = child->second;
    if (node->type == S_IFLNK && (follow || i + 1 < names.size())) {
      if (depth >= 40) {
        errno = ELOOP;
        return nullptr;
      }
      // The link's text is taken from the directory that holds it.
      node = resolveFrom(dir, node->target, true, depth + 1);
      if (!node) return nullptr;
    }
  }
  return node;
}

MemoryFileSystem::NodeRef MemoryFileSystem::existing(const std::string &path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  unchecked_ = true;
  NodeRef node = resolve(kHere, path, false);
  unchecked_ = false;
  return node;
}

// The directory that holds path, made when missing; `last` gets the name.
MemoryFileSystem::NodeRef MemoryFileSystem::parentOf(const std::string &path,
                                                     std::string &last) {
  std::vector<std::string> names = namesOf(path);
  last = names.empty() ? "" : names.back();
  std::string parent;
  for (size_t i = 0; i + 1 < names.size(); ++i) parent += "/" + names[i];
  if (!parent.empty() && !existing(parent)) makeDir(parent);
  return parent.empty() ? root_ : existing(parent);
}

void MemoryFileSystem::stamp(Node &node, bool entries) {
  node.changeTime = now_;
  if (entries) node.modifyTime = now_;
}

void MemoryFileSystem::makeDir(const std::string &path, mode_t mode) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  NodeRef dir = root_;
  const std::vector<std::string> names = namesOf(path);
  for (size_t i = 0; i < names.size(); ++i) {
    auto found = dir->children.find(names[i]);
    if (found != dir->children.end()) {
      dir = found->second;
      continue;
    }
    auto child = std::make_shared<Node>(Node{S_IFDIR,
                                             i + 1 == names.size() ? mode : 0755,
                                             identity_.uid,
                                             identity_.groups.empty() ? 0 : identity_.groups[0],
                                             nextInode_++,
                                             now_,
                                             now_,
                                             {},
                                             dir,
                                             ""});
    dir->children[names[i]] = child;
    stamp(*dir, true);
    dir = child;
  }
}

void MemoryFileSystem::makeFile(const std::string &path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string name;
  NodeRef dir = parentOf(path, name);
  dir->children[name] = std::make_shared<Node>(
      Node{S_IFREG, 0644, identity_.uid, 0, nextInode_++, now_, now_, {}, dir, ""});
  stamp(*dir, true);
}

void MemoryFileSystem::makeLink(const std::string &path, const std::string &target) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string name;
  NodeRef dir = parentOf(path, name);
  dir->children[name] = std::make_shared<Node>(
      Node{S_IFLNK, 0777, identity_.uid, 0, nextInode_++, now_, now_, {}, dir, target});
  stamp(*dir, true);
}

void MemoryFileSystem::remove(const std::string &path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string name;
  NodeRef dir = parentOf(path, name);
  if (dir->children.erase(name)) stamp(*dir, true);
}

void MemoryFileSystem::rename(const std::string &from, const std::string &to) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::string oldName, newName;
  NodeRef oldDir = parentOf(from, oldName), newDir = parentOf(to, newName);
  auto found = oldDir->children.find(oldName);
  if (found == oldDir->children.end()) return;
  NodeRef node = found->second;
  oldDir->children.erase(found);
  newDir->children[newName] = node;
  node->parent = newDir;
  stamp(*oldDir, true);
  stamp(*newDir, true);
}

void MemoryFileSystem::chmod(const std::string &path, mode_t mode) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (NodeRef node = existing(path)) {
    node->mode = mode & 07777;
    stamp(*node, false);
  }
}

void MemoryFileSystem::chown(const std::string &path, uid_t uid, gid_t gid) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (NodeRef node = existing(path)) {
    node->uid = uid;
    node->gid = gid;
    stamp(*node, false);
  }
}

void MemoryFileSystem::touch(const std::string &path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (NodeRef node = existing(path)) stamp(*node, true);
}

void MemoryFileSystem::advance(int64_t seconds) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  now_ += seconds;
}

void MemoryFileSystem::setIdentity(uid_t uid, std::vector<gid_t> groups) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  identity_.uid = uid;
  identity_.groups = std::move(groups);
}

void MemoryFileSystem::failListing(const std::string &path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (NodeRef node = existing(path)) failing_.insert(node.get());
}

FileStatus MemoryFileSystem::statusOf(const Node &node) const {
  FileStatus status;
  status.mode = node.type | node.mode;
  status.uid = node.uid;
  status.gid = node.gid;
  status.dev = 1;
  status.ino = node.ino;
  status.modifyTime = node.modifyTime;
  status.changeTime = node.changeTime;
  return status;
}

int MemoryFileSystem::openDir(int at, const char *name, OpenMode mode) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  call("openDir", at, name);
  NodeRef node = resolve(at, name, mode == kPathFollow);
  if (!node) return -1;
  // O_DIRECTORY refuses a link that is not followed as it refuses a file.
  if (node->type != S_IFDIR) {
    errno = ENOTDIR;
    return -1;
  }
  if (mode == kList && !may(*node, R_OK)) {
    errno = EACCES;
    return -1;
  }
  const int fd = nextFd_++;
  open_[fd] = {node, mode == kList};
  return fd;
}

void MemoryFileSystem::close(int fd) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ++calls_["close"];
  open_.erase(fd);
}

int MemoryFileSystem::duplicate(int fd) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto found = open_.find(fd);
  if (found == open_.end()) {
    errno = EBADF;
    return -1;
  }
  const int copy = nextFd_++;
  open_[copy] = found->second;
  return copy;
}

int MemoryFileSystem::status(int fd, FileStatus &out) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  call("status", fd, "");
  auto found = open_.find(fd);
  if (found == open_.end()) {
    errno = EBADF;
    return -1;
  }
  out = statusOf(*found->second.node);
  return 0;
}

int MemoryFileSystem::statusAt(int at, const char *name, bool follow, FileStatus &out) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  call("statusAt", at, name);
  NodeRef node = resolve(at, name, follow);
  if (!node) return -1;
  out = statusOf(*node);
  return 0;
}

bool MemoryFileSystem::list(int fd, ListingSink &sink) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  call("list", fd, "");
  auto found = open_.find(fd);
  if (found == open_.end() || !found->second.listable) {
    errno = EBADF;
    return false;
  }
  const Node &dir = *found->second.node;
  // The entries as they stand now: the sink may change the tree.
  std::vector<std::pair<std::string, EntryType>> entries;
  for (const auto &entry : dir.children) {
    const mode_t type = entry.second->type;
    entries.push_back({entry.first, hideTypes_           ? EntryType::Unknown
                                    : type == S_IFDIR ? EntryType::Directory
                                    : type == S_IFLNK ? EntryType::Link
                                                      : EntryType::Other});
  }
  const bool fails = failing_.count(&dir) != 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (fails && i == 1) {
      errno = EIO;
      return false;
    }
    sink.entry(entries[i].first.c_str(), entries[i].second);
  }
  return !fails || entries.size() < 2;
}

std::string MemoryFileSystem::readLink(int at, const char *name) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  call("readLink", at, name);
  NodeRef node = resolve(at, name, false);
  return node && node->type == S_IFLNK ? node->target : "";
}

bool MemoryFileSystem::access(int at, const char *name, int mode) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  call("access", at, name);
  NodeRef node = resolve(at, name, true);
  if (!node) return false;
  for (int bit : {R_OK, W_OK, X_OK})
    if ((mode & bit) && !may(*node, bit)) return false;
  return true;
}

int64_t MemoryFileSystem::now() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return now_;
}
