// What the walk and the probes ask of the system about one directory: may
// it be searched, what does its listing hold, has it changed. Every
// directory is opened relative to its parent's descriptor with O_NOFOLLOW and
// O_DIRECTORY, so no name is resolved twice and a directory replaced by a
// link while a scan runs is never entered by mistake.
#ifndef VOK_SCAN_DIR_READING_H
#define VOK_SCAN_DIR_READING_H

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "tree/dir_tree.h"

constexpr int kListFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kPathFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A descriptor closed when it goes out of scope.
struct Descriptor {
  int fd = -1;
  explicit Descriptor(int descriptor) : fd(descriptor) {}
  ~Descriptor() {
    if (fd >= 0) close(fd);
  }
  Descriptor(const Descriptor &) = delete;
  Descriptor &operator=(const Descriptor &) = delete;
  int release() {
    int kept = fd;
    fd = -1;
    return kept;
  }
};

// Whether the process may search a directory of this status; `at` and
// `name` name it for the system, which is asked when the mode bits say no.
bool canSearch(const struct stat &status, int at, const char *name);

// The directories and links to directories of a listing, in the system's
// order. A listing that fails, even part-way, is no listing: false.
bool readListing(int fd, DirNodeList &out);

// Times are whole seconds, so a directory changed in the same second in
// which the previous scan read it looks unchanged: a directory whose newest
// time is not before that scan's start counts as changed.
bool newer(const struct stat &status, const DirNode &node, int64_t previousScanStart);

// Whether a known directory has known subdirectories (not only links).
bool hasDirectories(const DirNode &node);

// The scan marks: nodes left unmarked by a relisting are gone.
void removeUnmarked(DirNodeList &list);
void clearMarks(DirNodeList &list);
// Throws ErrorGeneric "Invalid directory tree state, program aborted".
[[noreturn]] void invalidState();

#endif
