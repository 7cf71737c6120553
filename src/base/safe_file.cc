#include "base/safe_file.h"

#include <sys/stat.h>
#include <unistd.h>

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

SafeFileWriter::SafeFileWriter(const std::string &name)
    : target_(replaceTarget(name)), temp_(target_ + ".XXXXXX") {
  fd_ = mkstemp(&temp_[0]);
}

SafeFileWriter::~SafeFileWriter() {
  if (fd_ >= 0) close(fd_);
  if (!committed_ && !temp_.empty()) unlink(temp_.c_str());
}

bool SafeFileWriter::commit() {
  if (fd_ < 0) return false;
  bool ok = fchmod(fd_, modeFor(target_)) == 0 && fsync(fd_) == 0;
  ok = close(fd_) == 0 && ok;
  fd_ = -1;
  committed_ = ok && rename(temp_.c_str(), target_.c_str()) == 0;
  return committed_;
}
