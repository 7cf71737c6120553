// A second thread for a quiet full read. The walk hands it whole new
// subtrees that it will come to late, and takes each one back when it gets
// there, with what reading it had to say, so that the messages keep the
// walk's order and the counts come out as one thread's would.
#ifndef VOK_SCAN_SUBTREE_READER_H
#define VOK_SCAN_SUBTREE_READER_H

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/file_system.h"
#include "scan/scan_log.h"
#include "scan/scan_options.h"
#include "tree/dir_tree.h"

// Keeps what a walk reports, to say it later through another log. A quiet
// walk's directories are only counted.
class DeferredLog : public ScanLog {
 public:
  DeferredLog() : ScanLog(true) {}
  void reportDirectory(const std::string &) override { ++directories_; }
  void reportPhase(const char *text) override { keep(Phase, text, ""); }
  void reportTime(int64_t, const char *) override {}
  void reportNotDirectory(const std::string &path) override { keep(NotDirectory, path, ""); }
  void reportNotFound(const std::string &path) override { keep(NotFound, path, ""); }
  void reportCannotChange(const std::string &name, const char *reason) override {
    keep(CannotChange, name, reason);
  }
  // Says it all through `log`, in the order it was reported.
  void replay(ScanLog &log) const;

 private:
  enum Kind { Phase, NotDirectory, NotFound, CannotChange };
  struct Event {
    Kind kind;
    std::string text, reason;
  };
  void keep(Kind kind, std::string text, std::string reason) {
    events_.push_back({kind, std::move(text), std::move(reason)});
  }
  uint64_t directories_ = 0;
  std::vector<Event> events_;
};

class SubtreeReader {
 public:
  SubtreeReader(FileSystem &fs, const ScanOptions &options, int64_t previousScanStart);
  ~SubtreeReader();  // stops the reading and waits for the thread
  SubtreeReader(const SubtreeReader &) = delete;
  SubtreeReader &operator=(const SubtreeReader &) = delete;

  struct Job;
  // Whether the thread runs and has nothing left to start.
  bool wantsWork() const { return idle_.load(std::memory_order_acquire); }
  // Hands over `child`, a directory new to the tree, below the directory
  // open as `parentFd` (still the caller's); `path` is the child's. Null
  // when it cannot be handed over: the caller then reads it itself.
  Job *handOver(DirNode &child, int parentFd, std::string path);
  // Waits until the job's subtree is read, then says through `log` what
  // its reading reported; rethrows what stopped it.
  void collect(Job *job, ScanLog &log);

 private:
  void work();
  void read(Job &job);

  FileSystem &fs_;

  const ScanOptions &options_;
  const int64_t previousScanStart_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::deque<std::unique_ptr<Job>> jobs_;  // handed over, not yet collected
  size_t started_ = 0;                      // jobs_ the thread has taken
  std::atomic<bool> idle_{false};
  std::atomic<bool> cancelled_{false};
  bool stopping_ = false;
  std::thread thread_;
};

#endif
