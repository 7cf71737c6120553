#include "base/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <iostream>

#include "base/message.h"
#include "base/safe_file.h"

namespace {

constexpr long kPollNanoseconds = 10L * 1000 * 1000;
constexpr int kPollsBeforeNotice = 100;  // a second

// The lock belongs to the file that is replaced: the target of a link, so
// that two names of one file share it. Devices and pipes are written in
// place and need none.
std::string lockFileFor(const std::string &file) {
  const std::string target = writeTarget(file);
  struct stat status;
  if (stat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) return "";
  return target + ".lock";
}

void sayWaiting(const std::string &file) {
  if (!isTerminal(std::cerr)) return;
  std::cout.flush();
  MessageFormat(std::cerr, _("%$: waiting for another %$ to finish with %$\n"))
      .arg(programName)
      .arg(programName)
      .arg(file);
  std::cerr.flush();
}

}  // namespace

void DataFileLock::acquire(const std::string &file) {
  if (held()) return;
  const std::string name = lockFileFor(file);
  if (name.empty()) return;
  const int fd = open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return;
  // Polled rather than blocking, so that the wait can be announced; an
  // interrupt ends it as it ends the program, before anything is written.
  for (int polls = 0;; ++polls) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) break;
    if (errno != EWOULDBLOCK && errno != EINTR) {
      close(fd);  // ENOLCK and the like: no lock to be had
      return;
    }
    if (polls == kPollsBeforeNotice) sayWaiting(file);
    const struct timespec pause = {0, kPollNanoseconds};
    nanosleep(&pause, nullptr);
  }
  fd_ = fd;
}

void DataFileLock::release() {
  if (fd_ < 0) return;
  close(fd_);
  fd_ = -1;
}
