// What the walk and the probes ask of the file system about one directory:
// what does its listing hold, has it changed. Every directory is opened
// relative to its parent's descriptor without following a link, so no name
// is resolved twice and a directory replaced by a link while a scan runs is
// never entered by mistake.
#ifndef VOK_SCAN_DIR_READING_H
#define VOK_SCAN_DIR_READING_H

#include <cstdint>

#include "base/file_system.h"
#include "tree/dir_tree.h"

// The directories and links to directories of a listing, in the system's
// order. A listing that fails, even part-way, is no listing: false.
bool readListing(FileSystem &fs, int fd, DirNodeList &out);

// Times are whole seconds, so a directory changed in the same second in
// which the previous scan read it looks unchanged: a directory whose newest
// time is not before that scan's start counts as changed.
bool newer(const FileStatus &status, const DirNode &node, int64_t previousScanStart);

// Whether a known directory has known subdirectories (not only links).
bool hasDirectories(const DirNode &node);

// The scan marks: nodes left unmarked by a relisting are gone.
void removeUnmarked(DirNodeList &list);
void clearMarks(DirNodeList &list);
// Throws ErrorGeneric "Invalid directory tree state, program aborted".
[[noreturn]] void invalidState();

#endif
