#include "base/file_system.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

#if defined(O_PATH) && !defined(VOK_PORTABLE)
constexpr int kPathOnly = O_PATH;
constexpr bool kHavePathOnly = true;
#elif defined(O_SEARCH)
constexpr int kPathOnly = O_SEARCH;
constexpr bool kHavePathOnly = true;
#else
// Without a descriptor that only names a directory, one opened for reading
// serves; a directory that may be searched but not read is then reached by
// name from its parent instead.
constexpr int kPathOnly = O_RDONLY;
constexpr bool kHavePathOnly = false;
#endif

FileStatus statusOf(const struct stat &s) {
  FileStatus status;
  status.mode = s.st_mode;
  status.uid = s.st_uid;
  status.gid = s.st_gid;
  status.dev = s.st_dev;
  status.ino = s.st_ino;
  status.modifyTime = s.st_mtime;
  status.changeTime = s.st_ctime;
  return status;
}

#if defined(__linux__) && !defined(VOK_PORTABLE)
// The kernel's listing call, a buffer a thread: a listing reads on two.
bool listEntries(int fd, ListingSink &sink) {
  alignas(8) thread_local char buffer[1 << 16];
  for (;;) {
    const ssize_t got = getdents64(fd, buffer, sizeof buffer);
    if (got < 0) return false;
    if (got == 0) return true;
    for (ssize_t at = 0; at < got;) {
      const auto *entry = reinterpret_cast<const struct dirent64 *>(buffer + at);
      at += entry->d_reclen;
      const char *name = entry->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
        continue;
      const EntryType type = entry->d_type == DT_DIR     ? EntryType::Directory
                             : entry->d_type == DT_LNK   ? EntryType::Link
                             : entry->d_type == DT_UNKNOWN ? EntryType::Unknown
                                                           : EntryType::Other;
      sink.entry(name, type);
    }
  }
}
#else
// readdir through a descriptor of its own, so that closing the stream
// leaves the caller's.
bool listEntries(int fd, ListingSink &sink) {
  const int own = dup(fd);
  if (own < 0) return false;
  DIR *dir = fdopendir(own);
  if (!dir) {
    close(own);
    return false;
  }
  rewinddir(dir);
  bool ok = true;
  for (;;) {
    errno = 0;
    const struct dirent *entry = readdir(dir);
    if (!entry) {
      ok = errno == 0;
      break;
    }
    const char *name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
#ifdef DT_UNKNOWN
    const EntryType type = entry->d_type == DT_DIR     ? EntryType::Directory
                           : entry->d_type == DT_LNK   ? EntryType::Link
                           : entry->d_type == DT_UNKNOWN ? EntryType::Unknown
                                                         : EntryType::Other;
#else
    const EntryType type = EntryType::Unknown;
#endif
    sink.entry(name, type);
  }
  closedir(dir);
  return ok;
}
#endif

class SystemFileSystem : public FileSystem {
 public:
  SystemFileSystem() {
    identity_.uid = geteuid();
    identity_.groups.resize(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)));
    identity_.groups.resize(static_cast<size_t>(std::max(
        getgroups(static_cast<int>(identity_.groups.size()), identity_.groups.data()), 0)));
    identity_.groups.push_back(getegid());
  }
  int openDir(int at, const char *name, OpenMode mode) override {
    const int flags = mode == kList   ? O_RDONLY | O_NOFOLLOW
                      : mode == kPath ? kPathOnly | O_NOFOLLOW
                                      : kPathOnly;
    return openat(at, name, flags | O_DIRECTORY | O_CLOEXEC);
  }
  void close(int fd) override { ::close(fd); }
  int duplicate(int fd) override { return fcntl(fd, F_DUPFD_CLOEXEC, 0); }
  int status(int fd, FileStatus &out) override {
    struct stat s;
    if (fstat(fd, &s) != 0) return -1;
    out = statusOf(s);
    return 0;
  }
  int statusAt(int at, const char *name, bool follow, FileStatus &out) override {
    struct stat s;
    if (fstatat(at, name, &s, follow ? 0 : AT_SYMLINK_NOFOLLOW) != 0) return -1;
    out = statusOf(s);
    return 0;
  }
  bool list(int fd, ListingSink &sink) override { return listEntries(fd, sink); }
  std::string readLink(int at, const char *name) override {
    char text[4096];
    const ssize_t length = readlinkat(at, name, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
  }
  bool access(int at, const char *name, int mode) override {
    return faccessat(at, name, mode, mode == F_OK ? 0 : AT_EACCESS) == 0;
  }
  int64_t now() override { return static_cast<int64_t>(time(nullptr)); }
  // The system resolves the whole name in one call: name by name would
  // cost a call a name.
  std::string physicalPath(const std::string &path) override {
    if (path.empty() || path[0] != '/') return "";
    FileStatus status;
    if (!kHavePathOnly) {
      // A directory that may be entered but not read cannot be opened here:
      // its status and the C library's resolution need neither.
      if (statusAt(kHere, path.c_str(), true, status) != 0 || !S_ISDIR(status.mode) ||
          !canSearch(*this, status, kHere, path.c_str()))
        return "";
      return resolvedName(-1, path);
    }
    const int fd = openDir(kHere, path.c_str(), kPathFollow);
    if (fd < 0) return "";
    std::string result;
    if (this->status(fd, status) == 0 && canSearch(*this, status, kHere, path.c_str()))
      result = resolvedName(fd, path);
    close(fd);
    return result;
  }

 private:
  static std::string resolvedName(int fd, const std::string &path) {
#if defined(__linux__) && !defined(VOK_PORTABLE)
    char link[32], name[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, name, sizeof name);
    if (length > 0 && name[0] == '/' && static_cast<size_t>(length) < sizeof name)
      return std::string(name, static_cast<size_t>(length));
#else
    (void)fd;
#endif
    // Without /proc: the C library's resolution of the name.
    char *real = realpath(path.c_str(), nullptr);
    if (!real) return "";
    std::string result = real;
    free(real);
    return result;
  }
};

// Splits a path into its names, empty ones and "." left out.
void pushNames(const std::string &path, std::vector<std::string> &names) {
  std::vector<std::string> found;
  for (size_t at = 0; at <= path.size();) {
    size_t slash = path.find('/', at);
    if (slash == std::string::npos) slash = path.size();
    std::string name = path.substr(at, slash - at);
    if (!name.empty() && name != ".") found.push_back(std::move(name));
    at = slash + 1;
  }
  // The names are taken from the back of the list.
  names.insert(names.end(), found.rbegin(), found.rend());
}

std::string joined(const std::vector<std::string> &parts) {
  std::string path;
  for (const std::string &part : parts) path += "/" + part;
  return path.empty() ? "/" : path;
}

}  // namespace

FileSystem &systemFileSystem() {
  static SystemFileSystem system;
  return system;
}

bool canSearch(FileSystem &fs, const FileStatus &status, int at, const char *name) {
  const Identity &self = fs.identity();
  if (self.uid == 0) return true;
  mode_t bit = S_IXOTH;
  if (status.uid == self.uid)
    bit = S_IXUSR;
  else if (std::find(self.groups.begin(), self.groups.end(), status.gid) != self.groups.end())
    bit = S_IXGRP;
  if (status.mode & bit) return true;
  return fs.access(at, name, X_OK);
}

std::string FileSystem::physicalPath(const std::string &path) {
  FileSystem &fs = *this;
  if (path.empty() || path[0] != '/') return "";
  std::vector<std::string> resolved, pending;
  pushNames(path, pending);
  // The system gives up on as many links in one name.
  int links = 0;
  while (!pending.empty()) {
    std::string name = std::move(pending.back());
    pending.pop_back();
    if (name == "..") {
      if (!resolved.empty()) resolved.pop_back();
      continue;
    }
    resolved.push_back(std::move(name));
    const std::string here = joined(resolved);
    FileStatus status;
    if (fs.statusAt(FileSystem::kHere, here.c_str(), false, status) != 0) return "";
    if (S_ISLNK(status.mode)) {
      if (++links > 40) return "";
      const std::string text = fs.readLink(FileSystem::kHere, here.c_str());
      if (text.empty()) return "";
      resolved.pop_back();
      if (text[0] == '/') resolved.clear();
      pushNames(text, pending);
    } else if (!S_ISDIR(status.mode)) {
      return "";
    }
  }
  std::string result = joined(resolved);
  FileStatus status;
  if (fs.statusAt(FileSystem::kHere, result.c_str(), true, status) != 0 ||
      !canSearch(fs, status, FileSystem::kHere, result.c_str()))
    return "";
  return result;
}
