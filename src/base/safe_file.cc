#include "base/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "base/paths.h"

std::string writeTarget(const std::string &name) {
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

namespace {

// Data files list the user's directories, private ones too: a new one is
// kept from group and others, as shell histories are.
mode_t newFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0600 & ~mask;
}

// The old file's mode and owner pass to its replacement. Only root may give
// a file away; a user who may not keeps at least the group where allowed.
bool takeOver(int fd, const std::string &target) {
  struct stat status;
  if (stat(target.c_str(), &status) != 0) return fchmod(fd, newFileMode()) == 0;
  struct stat mine;
  const bool sameOwner =
      fstat(fd, &mine) == 0 && mine.st_uid == status.st_uid && mine.st_gid == status.st_gid;
  if (!sameOwner && fchown(fd, status.st_uid, status.st_gid) != 0 &&
      fchown(fd, static_cast<uid_t>(-1), status.st_gid) != 0) {
    // The replacement is the writer's; its mode is still the old one.
  }
  return fchmod(fd, status.st_mode & 07777) == 0;
}

// The temporary files being written, so that a signal that ends the
// program removes them rather than leave them beside the data files.
constexpr int kSlots = 4;
const char *volatile liveTemps[kSlots];
int liveCount = 0;
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ};
bool caught[sizeof kEndingSignals / sizeof kEndingSignals[0]];

void removeTempsAndEnd(int signal) {
  for (int i = 0; i < kSlots; ++i)
    if (const char *name = liveTemps[i]) unlink(name);
  ::signal(signal, SIG_DFL);
  raise(signal);
}

// Only signals that would end the program as things stand are caught; one
// the program handles itself, or ignores, keeps its handling.
void catchEndingSignals() {
  if (liveCount++ > 0) return;
  for (size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i) {
    struct sigaction old;
    caught[i] =
        sigaction(kEndingSignals[i], nullptr, &old) == 0 && old.sa_handler == SIG_DFL;
    if (!caught[i]) continue;
    struct sigaction action = {};
    action.sa_handler = removeTempsAndEnd;
    sigfillset(&action.sa_mask);
    sigaction(kEndingSignals[i], &action, nullptr);
  }
}

void releaseEndingSignals() {
  if (--liveCount > 0) return;
  for (size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i)
    if (caught[i]) signal(kEndingSignals[i], SIG_DFL);
}

int watch(const char *name) {
  for (int i = 0; i < kSlots; ++i) {
    if (!liveTemps[i]) {
      liveTemps[i] = name;
      return i;
    }
  }
  return -1;
}

}  // namespace

// A short name of its own, so that it fits beside a target whose name
// already has the longest length a directory entry may have.
std::string temporaryBeside(const std::string &target) {
  const size_t slash = target.rfind('/');
  return (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
         ".vok-XXXXXX";
}

SafeFileWriter::SafeFileWriter(const std::string &name) : target_(writeTarget(name)) {
  struct stat status;
  const bool exists = stat(target_.c_str(), &status) == 0;
  if (!exists || S_ISREG(status.st_mode)) {
    temp_ = temporaryBeside(target_);
    catchEndingSignals();
    // A signal between the file's creation and its entry in the slots
    // would leave the file behind; it waits until the entry is made.
    sigset_t all, old;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &old);
    fd_ = mkstemp(&temp_[0]);
    const int error = errno;
    if (fd_ >= 0) slot_ = watch(temp_.c_str());
    sigprocmask(SIG_SETMASK, &old, nullptr);
    if (fd_ >= 0) return;
    errno = error;
    releaseEndingSignals();
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
  forgetTemp();
}

void SafeFileWriter::forgetTemp() {
  if (temp_.empty()) return;
  if (slot_ >= 0) liveTemps[slot_] = nullptr;
  slot_ = -1;
  temp_.clear();
  releaseEndingSignals();
}

bool SafeFileWriter::commit() {
  if (fd_ < 0) return false;
  bool ok;
  if (temp_.empty()) {
    // Devices and pipes cannot be synced; that is no failure of the write.
    ok = fsync(fd_) == 0 || errno == EINVAL || errno == EROFS;
  } else {
    ok = takeOver(fd_, target_) && fsync(fd_) == 0;
  }
  ok = close(fd_) == 0 && ok;
  fd_ = -1;
  committed_ = ok && (temp_.empty() || rename(temp_.c_str(), target_.c_str()) == 0);
  if (committed_) forgetTemp();
  return committed_;
}
