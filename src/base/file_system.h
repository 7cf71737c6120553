// The file system as the scans, the lookups and link resolution see it: a
// few operations relative to an open directory, and the clock. The system's
// own calls them on the disk; tests hand in one held in memory, whose tree,
// times and permissions they set and change, also in the middle of a scan.
// Nothing here moves the working directory.
#ifndef VOK_BASE_FILE_SYSTEM_H
#define VOK_BASE_FILE_SYSTEM_H

#include <fcntl.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// What the program takes from a status.
struct FileStatus {
  mode_t mode = 0;
  uid_t uid = 0;
  gid_t gid = 0;
  dev_t dev = 0;
  ino_t ino = 0;
  int64_t modifyTime = 0, changeTime = 0;
  int64_t newestTime() const { return modifyTime > changeTime ? modifyTime : changeTime; }
};

// The type a listing gives an entry: Unknown where the file system gives none.
enum class EntryType : unsigned char { Unknown, Directory, Link, Other };

// Receives a listing's entries in the system's order, "." and ".." left out.
class ListingSink {
 public:
  virtual ~ListingSink() = default;
  virtual void entry(const char *name, EntryType type) = 0;
};

// Who the process is, for the permission bits: the effective user and all
// its groups.
struct Identity {
  uid_t uid = 0;
  std::vector<gid_t> groups;
};

class FileSystem {
 public:
  // `at` that names the working directory: a name is taken as it is.
  static constexpr int kHere = AT_FDCWD;
  enum OpenMode {
    kList,        // to read its listing; a last name that is a link is refused
    kPath,        // only to name it and what is below it; a link is refused
    kPathFollow,  // the same through a link
  };
  virtual ~FileSystem() = default;

  // A directory's descriptor, or -1 with errno set (ENOTDIR for no
  // directory, ELOOP for a link where none is followed, EACCES, ENOENT).
  virtual int openDir(int at, const char *name, OpenMode mode) = 0;
  virtual void close(int fd) = 0;
  // A second descriptor of the same directory, or -1 with errno set.
  virtual int duplicate(int fd) = 0;
  // 0, or -1 with errno set.
  virtual int status(int fd, FileStatus &out) = 0;
  virtual int statusAt(int at, const char *name, bool follow, FileStatus &out) = 0;
  // Every entry of a directory opened with kList; false when the listing
  // fails, even part-way (what was given before then is to be dropped).
  virtual bool list(int fd, ListingSink &sink) = 0;
  // A link's text, "" when it cannot be read.
  virtual std::string readLink(int at, const char *name) = 0;
  // Whether the process may use the name so (R_OK, X_OK, F_OK...), by its
  // effective ids and any access control list.
  virtual bool access(int at, const char *name, int mode) = 0;
  // Read for every directory a scan probes, so a plain member: each file
  // system sets it once, before it is used.
  const Identity &identity() const { return identity_; }
  // Seconds since the epoch.
  virtual int64_t now() = 0;
  // An absolute path with every link resolved and "." and ".." taken away,
  // as the system names the directory when it is the working directory;
  // "" when a part is missing or no directory, or the directory may not be
  // searched (as changing to it would fail). By default found name by name
  // through the operations above.
  virtual std::string physicalPath(const std::string &path);

 protected:
  Identity identity_;
};

// The system's file system and clock.
FileSystem &systemFileSystem();

// A descriptor of a file system, closed when it goes out of scope.
class DirHandle {
 public:
  DirHandle(FileSystem &fs, int fd) : fs_(fs), fd_(fd) {}
  ~DirHandle() {
    if (fd_ >= 0) fs_.close(fd_);
  }
  DirHandle(const DirHandle &) = delete;
  DirHandle &operator=(const DirHandle &) = delete;
  int fd() const { return fd_; }
  int release() {
    const int kept = fd_;
    fd_ = -1;
    return kept;
  }

 private:
  FileSystem &fs_;
  int fd_;
};

// Whether the process may search a directory of this status: from the
// permission bits for the usual case, from the file system (access control
// lists) when they say no. `at` and `name` name the directory.
bool canSearch(FileSystem &fs, const FileStatus &status, int at, const char *name);


#endif
