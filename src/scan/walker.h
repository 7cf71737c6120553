// The walk of a scan: reads a directory in full, or updates a known one,
// and everything below it. An explicit stack of frames replaces recursion,
// so no depth of tree exhausts the call stack; only the deepest frames keep
// their descriptors open, and a frame whose descriptor was given up reopens
// it through its child's "..", checked against the device and inode it had.
#ifndef VOK_SCAN_WALKER_H
#define VOK_SCAN_WALKER_H

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "scan/scan_log.h"
#include "scan/scan_options.h"
#include "scan/subtree_reader.h"
#include "tree/dir_tree.h"

class Walker {
 public:
  // `path` is the full path of the node the walk starts at.
  Walker(FileSystem &fs, const ScanOptions &options, ScanLog &log,
         int64_t previousScanStart, std::string path)
      : fs_(fs),
        options_(options),
        log_(log),
        previousScanStart_(previousScanStart),
        path_(std::move(path)) {}
  ~Walker();
  Walker(const Walker &) = delete;
  Walker &operator=(const Walker &) = delete;

  // Reads node in full from its open directory (a listing descriptor,
  // taken over, whose status is `status`); the path is node's.
  void read(DirNode &node, int fd, const FileStatus &status);

  // Reads `child`, a directory new to the tree, below the directory open as
  // `at` (still the caller's), and everything below it, unless `cancelled`
  // is set meanwhile; the path is the child's. For a helper thread.
  void readHandedOver(DirNode &child, int at, const std::atomic<bool> &cancelled);

  // Updates node, whose directory is open (a path descriptor, taken over)
  // and whose status is `status`; `at` and `name` name it for the system.
  void update(DirNode &node, int fd, const FileStatus &status, int at, const char *name);

 private:
  struct Item {
    DirNode *child;
    bool fresh;                          // new: read in full; else known: update
    SubtreeReader::Job *job = nullptr;  // handed over to the reader
  };
  struct Frame {
    DirNode *node = nullptr;
    int fd = -1;  // -1 when given up to spare descriptors, or never needed
    dev_t dev = 0;
    ino_t ino = 0;
    size_t pathLength = 0;
    std::vector<Item> items;
    size_t next = 0;
    bool relisted = false;
    DirNodeList added;       // new children of a relisted directory
    bool lost = false;       // its directory could not be found again
    bool unchanged = false;  // probed ahead with all below it: needs no descriptor
    size_t handedFrom = 0;   // the items from here on are the reader's or links
  };

  void run();
  void visit(size_t frame, const Item &item);
  void readChild(int at, DirNode &child);
  void handOver();
  void collect(Frame &frame);
  void updateChild(size_t frame, DirNode &child);
  void updateNode(DirNode &node, int fd, const FileStatus &status, int at,
                  const char *name);
  void keepUnchanged(DirNode &node);
  static std::vector<Item> knownItems(const DirNode &node);
  void list(DirNode &node, int fd, const FileStatus &status, bool relisting);
  void push(DirNode &node, int fd, const FileStatus &status, std::vector<Item> items,
            bool relisted, DirNodeList added);
  void finish(Frame &frame);
  bool reopen(Frame &frame, int childFd);
  void enterFailed(DirNode &child, int error, int at, const char *name);
  void reportChildren(DirNode &node);

  bool excluded() const { return isExcluded(options_, path_); }

  FileSystem &fs_;
  const ScanOptions &options_;
  ScanLog &log_;
  const int64_t previousScanStart_;
  std::string path_;
  std::vector<Frame> stack_;
  size_t firstOpen_ = 0;  // frames from here up have their descriptor
  // A quiet full read shares its subtrees with a second thread; a walk in
  // that thread stops when `cancelled_` is set.
  std::unique_ptr<SubtreeReader> reader_;
  const std::atomic<bool> *cancelled_ = nullptr;
};

#endif
