// Replacing a data file without ever leaving it half written: the new
// contents go to a temporary file beside the target, which is synced and
// renamed over the target only when every write and the close succeeded.
#ifndef VOK_BASE_SAFE_FILE_H
#define VOK_BASE_SAFE_FILE_H

#include <string>

class SafeFileWriter {
 public:
  // Prepares a temporary file beside `name` (beside the target of a
  // symbolic link, which survives). ok() tells whether that worked.
  explicit SafeFileWriter(const std::string &name);
  SafeFileWriter(const SafeFileWriter &) = delete;
  SafeFileWriter &operator=(const SafeFileWriter &) = delete;
  // Removes the temporary file unless commit() succeeded.
  ~SafeFileWriter();

  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // Syncs, closes and renames into place, keeping the old file's mode (or
  // the umask's for a new file). False on any failure; the old file stays.
  bool commit();

 private:
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  bool committed_ = false;
};

#endif
