#include "base/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/paths.h"

namespace {

std::string replaceTarget(const std::string &name) {
  struct stat status;
  if (lstat(name.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return name;
  if (char *real = realpath(name.c_str(), nullptr)) {
    std::string target = real;
    free(real);
    return target;
  }
  // A dangling link: create the file it names.
  std::string link = readLinkTarget(name);
  if (link.empty()) return name;
  if (link[0] == '/') return link;
  size_t slash = name.rfind('/');
  return slash == std::string::npos ? link : name.substr(0, slash + 1) + link;
}

mode_t modeFor(const std::string &target) {
  struct stat status;
  if (stat(target.c_str(), &status) == 0) return status.st_mode & 07777;
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

// A short name of its own, so that it fits beside a target whose name
// already has the longest length a directory entry may have.
std::string temporaryBeside(const std::string &target) {
  const size_t slash = target.rfind('/');
  return (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
         ".vok-XXXXXX";
}

SafeFileWriter::SafeFileWriter(const std::string &name) : target_(replaceTarget(name)) {
  struct stat status;
  const bool exists = stat(target_.c_str(), &status) == 0;
  if (!exists || S_ISREG(status.st_mode)) {
    temp_ = temporaryBeside(target_);
    fd_ = mkstemp(&temp_[0]);
    if (fd_ >= 0) return;
    temp_.clear();
    // Only a directory we may not write is a reason to give up the safety;
    // a full disk would fail the write in place too, after truncating.
    if (!exists || (errno != EACCES && errno != EPERM)) return;
  }
  fd_ = open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
}

SafeFileWriter::~SafeFileWriter() {
  if (fd_ >= 0) close(fd_);
  if (!committed_ && !temp_.empty()) unlink(temp_.c_str());
}

bool SafeFileWriter::commit() {
  if (fd_ < 0) return false;
  bool ok;
  if (temp_.empty()) {
    // Devices and pipes cannot be synced; that is no failure of the write.
    ok = fsync(fd_) == 0 || errno == EINVAL || errno == EROFS;
  } else {
    ok = fchmod(fd_, modeFor(target_)) == 0 && fsync(fd_) == 0;
  }
  ok = close(fd_) == 0 && ok;
  fd_ = -1;
  committed_ = ok && (temp_.empty() || rename(temp_.c_str(), target_.c_str()) == 0);
  return committed_;
}
