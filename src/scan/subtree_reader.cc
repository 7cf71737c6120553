#include "scan/subtree_reader.h"

#include <unistd.h>

#include <algorithm>

#include "base/threads.h"
#include "scan/walker.h"

struct SubtreeReader::Job {
  DirNode *child;
  int parentFd;
  std::string path;
  DeferredLog log;
  std::exception_ptr error;
  bool done = false;
};

void DeferredLog::replay(ScanLog &log) const {
  for (uint64_t i = 0; i < directories_; ++i) log.reportDirectory(std::string());
  for (const Event &event : events_) {
    switch (event.kind) {
      case Phase:
        log.reportPhase(event.text.c_str());
        break;
      case NotDirectory:
        log.reportNotDirectory(event.text);
        break;
      case NotFound:
        log.reportNotFound(event.text);
        break;
      case CannotChange:
        log.reportCannotChange(event.text, event.reason.c_str());
        break;
    }
  }
}

SubtreeReader::SubtreeReader(FileSystem &fs, const ScanOptions &options,
                             int64_t previousScanStart)
    : fs_(fs), options_(options), previousScanStart_(previousScanStart) {
  if (startHelperThread(thread_, [this] { work(); })) idle_.store(true);
}

SubtreeReader::~SubtreeReader() {
  cancelled_.store(true);
  stopHelperThread(thread_, mutex_, stopping_, wake_);
  for (const auto &job : jobs_)
    if (job->parentFd >= 0) fs_.close(job->parentFd);
}

SubtreeReader::Job *SubtreeReader::handOver(DirNode &child, int parentFd, std::string path) {
  const int fd = fs_.duplicate(parentFd);
  if (fd < 0) return nullptr;
  auto job = std::make_unique<Job>();
  job->child = &child;
  job->parentFd = fd;
  job->path = std::move(path);
  Job *handed = job.get();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
    idle_.store(false);
  }
  wake_.notify_one();
  return handed;
}

void SubtreeReader::collect(Job *job, ScanLog &log) {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [job] { return job->done; });
  auto at = std::find_if(jobs_.begin(), jobs_.end(),
                         [job](const std::unique_ptr<Job> &j) { return j.get() == job; });
  std::unique_ptr<Job> owned = std::move(*at);
  const size_t index = static_cast<size_t>(at - jobs_.begin());
  jobs_.erase(at);
  if (index < started_) --started_;
  lock.unlock();
  owned->log.replay(log);
  if (owned->error) std::rethrow_exception(owned->error);
}

void SubtreeReader::work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || started_ < jobs_.size(); });
    if (stopping_) return;
    Job &job = *jobs_[started_++];
    lock.unlock();
    read(job);
    lock.lock();
    job.done = true;
    if (started_ == jobs_.size()) idle_.store(true, std::memory_order_release);
    done_.notify_all();
  }
}

// Runs in the thread; the walk there touches only the job's subtree.
void SubtreeReader::read(Job &job) {
  try {
    Walker walker(fs_, options_, job.log, previousScanStart_, job.path);
    walker.readHandedOver(*job.child, job.parentFd, cancelled_);
  } catch (...) {
    job.error = std::current_exception();
  }
  fs_.close(job.parentFd);
  job.parentFd = -1;
}
