// Replacing a data file without ever leaving it half written: the new
// contents go to a temporary file beside the target, which is synced and
// renamed over the target only when every write and the close succeeded.
//
// Two targets are written in place instead, as a plain write would: one
// that exists and is not a regular file (a device such as /dev/null, a
// pipe), which a rename would replace by a regular file; and a regular file
// beside which no temporary file can be made (a directory the user may not
// write) while the file itself is writable.
//
// While a temporary file exists, a signal that would end the program
// (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ) removes it first.
#ifndef VOK_BASE_SAFE_FILE_H
#define VOK_BASE_SAFE_FILE_H

#include <string>

// The file a write of `name` replaces: the target of a symbolic link (or of
// a dangling one, which is created), else the name itself.
std::string writeTarget(const std::string &name);

class SafeFileWriter {
 public:
  // Prepares the output for `name` (the target of a symbolic link, which
  // survives). ok() tells whether that worked.
  explicit SafeFileWriter(const std::string &name);
  SafeFileWriter(const SafeFileWriter &) = delete;
  SafeFileWriter &operator=(const SafeFileWriter &) = delete;
  // Removes the temporary file unless commit() succeeded.
  ~SafeFileWriter();

  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // Syncs, closes and renames into place, keeping the old file's mode and,
  // where the system lets it, its owner; a new file is readable and
  // writable by its owner alone, whatever the umask. False on any failure;
  // the old file stays.
  bool commit();
  // Before commit(): whether the target itself is being written.
  bool inPlace() const { return temp_.empty(); }

 private:
  std::string target_;
  void forgetTemp();

  std::string temp_;  // empty when writing in place, or once renamed
  int slot_ = -1;     // where the signal handler finds temp_
  int fd_ = -1;
  bool committed_ = false;
};

#endif
