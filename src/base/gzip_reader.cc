#include "base/gzip_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/errors.h"
#include "base/threads.h"

namespace {
constexpr size_t kChunk = 1 << 18, kQueued = 4;
}  // namespace

size_t MemorySource::read(char *into, size_t size) {
  const size_t n = std::min(size, image_.size() - at_);
  memcpy(into, image_.data() + at_, n);
  at_ += n;
  return n;
}

GzipFileSource::~GzipFileSource() {
  stop();
  if (gz_) gzclose(gz_);
}

bool GzipFileSource::open(const std::string &name) {
  gz_ = gzopen(name.c_str(), "rb");
  if (!gz_) return false;
  // No thread to be had: inflate in the caller's instead.
  threadless_ = !startHelperThread(worker_, [this] { produce(); });
  return true;
}

size_t GzipFileSource::read(char *into, size_t size) {
  if (threadless_) return inflate(into, size);
  size_t copied = 0;
  while (copied < size) {
    if (offset_ == current_.size) {
      if (copied > 0 && !ready()) break;  // hand on what we have
      if (!next()) break;
    }
    const size_t n = std::min(size - copied, current_.size - offset_);
    memcpy(into + copied, current_.data.get() + offset_, n);
    offset_ += n;
    copied += n;
  }
  return copied;
}

void GzipFileSource::finish() {
  char rest[1 << 14];
  while (read(rest, sizeof rest) > 0) {
  }
  stop();
  int error;
  gzerror(gz_, &error);
  if (error != Z_OK && error != Z_BUF_ERROR) throw ErrorGZIO();
}

size_t GzipFileSource::inflate(char *into, size_t size) {
  const int got =
      gzread(gz_, into, static_cast<unsigned>(std::min<size_t>(size, 1 << 30)));
  if (got < 0) throw ErrorGZIO();
  return static_cast<size_t>(got);
}

// A helper must report a failure, not die of it: no memory for a chunk ends
// the stream as a read error would.
void GzipFileSource::produce() {
  for (;;) {
    Chunk chunk;
    int got = -1;
    try {
      chunk.data.reset(new char[kChunk]);
      got = gzread(gz_, chunk.data.get(), static_cast<unsigned>(kChunk));
    } catch (const std::bad_alloc &) {
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (got <= 0) {
      failed_ = got < 0;
      done_ = true;
      changed_.notify_all();
      return;
    }
    chunk.size = static_cast<size_t>(got);
    queue_.push_back(std::move(chunk));
    changed_.notify_all();
    changed_.wait(lock, [this] { return queue_.size() < kQueued || stopping_; });
    if (stopping_) return;
  }
}

bool GzipFileSource::ready() {
  std::lock_guard<std::mutex> lock(mutex_);
  return !queue_.empty() || done_;
}

// The next chunk, or false at the end; throws when inflating failed.
bool GzipFileSource::next() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !queue_.empty() || done_; });
  if (queue_.empty()) {
    if (failed_) throw ErrorGZIO();
    return false;
  }
  current_ = std::move(queue_.front());
  queue_.pop_front();
  offset_ = 0;
  changed_.notify_all();
  return true;
}

void GzipFileSource::stop() { stopHelperThread(worker_, mutex_, stopping_, changed_); }
