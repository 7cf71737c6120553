// Writers of the same data file take turns. A run that will rewrite a file
// takes an exclusive flock on a lock file beside it (the file's name and
// ".lock") before it reads what it will rewrite, and keeps it until the new
// file is in place; the next writer then reads the first one's result.
// The kernel drops the lock when the process ends, however it ends, so a
// killed run never leaves a stale lock, and the lock file, made once, is
// never removed (removing it would let two writers lock two files).
// Readers never take the lock: writers rename whole files into place.
#ifndef VOK_BASE_FILE_LOCK_H
#define VOK_BASE_FILE_LOCK_H

#include <string>

class DataFileLock {
 public:
  DataFileLock() = default;
  ~DataFileLock() { release(); }
  DataFileLock(const DataFileLock &) = delete;
  DataFileLock &operator=(const DataFileLock &) = delete;

  // Waits until this process holds the lock of `file`; nothing when it
  // already does. Where no lock can be had (a directory it may not write, a
  // file system without locks, a file that is not a regular one) it returns
  // without one and the caller goes on unguarded. A wait of more than a
  // second is said once on standard error when that is a terminal.
  void acquire(const std::string &file);
  void release();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Holds the lock for a scope, unless it was held already: the outermost
// writer of a run keeps it until its file is in place.
class LockScope {
 public:
  LockScope(DataFileLock &lock, const std::string &file)
      : lock_(lock), mine_(!lock.held()) {
    if (mine_) lock_.acquire(file);
  }
  ~LockScope() {
    if (mine_) lock_.release();
  }
  LockScope(const LockScope &) = delete;
  LockScope &operator=(const LockScope &) = delete;

 private:
  DataFileLock &lock_;
  const bool mine_;
};

#endif
