#include "base/gzip_reader.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

#ifdef VOK_HAVE_ISAL
#include <isa-l/igzip_lib.h>
#endif

#include "base/errors.h"
#include "base/threads.h"

namespace {
constexpr size_t kChunk = 1 << 18, kQueued = 4;

// zlib's own file reading.
class ZlibInflater : public Inflater {
 public:
  explicit ZlibInflater(gzFile gz) : gz_(gz) {}
  ~ZlibInflater() override { gzclose(gz_); }
  size_t read(char *into, size_t size) override {
    const int got =
        gzread(gz_, into, static_cast<unsigned>(std::min<size_t>(size, 1 << 30)));
    if (got < 0) throw ErrorGZIO();
    if (got == 0) {
      // A stream cut short is left to the decoder, which knows where its
      // data must end; damaged data is an error.
      int error;
      gzerror(gz_, &error);
      if (error != Z_OK && error != Z_BUF_ERROR) throw ErrorGZIO();
    }
    return static_cast<size_t>(got);
  }

 private:
  gzFile gz_;
};

#ifdef VOK_HAVE_ISAL
// ISA-L inflates about three times as fast as zlib. It checks each
// member's CRC and length itself.
class IsalInflater : public Inflater {
 public:
  explicit IsalInflater(int fd) : fd_(fd), in_(new uint8_t[kInput]) {
    isal_inflate_init(&state_);
    state_.crc_flag = ISAL_GZIP;
  }
  ~IsalInflater() override { close(fd_); }
  IsalInflater(const IsalInflater &) = delete;
  IsalInflater &operator=(const IsalInflater &) = delete;

  size_t read(char *into, size_t size) override;

 private:
  static constexpr size_t kInput = 1 << 18;
  bool refill();
  size_t copyThrough(char *into, size_t size);
  bool anotherMember();

  int fd_;
  std::unique_ptr<uint8_t[]> in_;
  struct inflate_state state_;
  enum class Mode { kStart, kGzip, kDirect, kEnded } mode_ = Mode::kStart;
  bool eof_ = false;
};

// Reads more input behind what is left; false at the end of the file.
bool IsalInflater::refill() {
  if (eof_) return false;
  const size_t left = state_.avail_in;
  memmove(in_.get(), state_.next_in, left);
  ssize_t got;
  do {
    got = ::read(fd_, in_.get() + left, kInput - left);
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw ErrorGZIO();
  if (got == 0) eof_ = true;
  state_.next_in = in_.get();
  state_.avail_in = static_cast<uint32_t>(left + static_cast<size_t>(got));
  return got > 0;
}

size_t IsalInflater::copyThrough(char *into, size_t size) {
  if (state_.avail_in == 0 && !refill()) {
    mode_ = Mode::kEnded;
    return 0;
  }
  const size_t n = std::min<size_t>(size, state_.avail_in);
  memcpy(into, state_.next_in, n);
  state_.next_in += n;
  state_.avail_in -= static_cast<uint32_t>(n);
  return n;
}

// Whether a gzip member starts where the input now stands.
bool IsalInflater::anotherMember() {
  while (state_.avail_in < 2 && refill()) {
  }
  return state_.avail_in >= 2 && state_.next_in[0] == 0x1f && state_.next_in[1] == 0x8b;
}

size_t IsalInflater::read(char *into, size_t size) {
  if (mode_ == Mode::kStart) {
    state_.next_in = in_.get();
    state_.avail_in = 0;
    mode_ = anotherMember() ? Mode::kGzip : Mode::kDirect;
  }
  if (mode_ == Mode::kDirect) return copyThrough(into, size);
  size_t done = 0;
  while (done < size && mode_ == Mode::kGzip) {
    if (state_.avail_in == 0 && !refill()) {
      mode_ = Mode::kEnded;  // cut short: as zlib, left to the decoder
      break;
    }
    state_.next_out = reinterpret_cast<uint8_t *>(into + done);
    state_.avail_out = static_cast<uint32_t>(std::min<size_t>(size - done, UINT32_MAX));
    const uint32_t before = state_.avail_out;
    if (isal_inflate(&state_) < 0) throw ErrorGZIO();
    done += before - state_.avail_out;
    if (state_.block_state != ISAL_BLOCK_FINISH) continue;
    if (!anotherMember()) {
      mode_ = Mode::kEnded;
      break;
    }
    const uint8_t *next = state_.next_in;
    const uint32_t avail = state_.avail_in;
    isal_inflate_reset(&state_);
    state_.crc_flag = ISAL_GZIP;
    state_.next_in = const_cast<uint8_t *>(next);
    state_.avail_in = avail;
  }
  return done;
}
#endif

std::unique_ptr<Inflater> openInflater(const std::string &name) {
#ifdef VOK_HAVE_ISAL
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::make_unique<IsalInflater>(fd);
#else
  gzFile gz = gzopen(name.c_str(), "rb");
  if (!gz) return nullptr;
  return std::make_unique<ZlibInflater>(gz);
#endif
}

}  // namespace

size_t MemorySource::read(char *into, size_t size) {
  const size_t n = std::min(size, image_.size() - at_);
  memcpy(into, image_.data() + at_, n);
  at_ += n;
  return n;
}

GzipFileSource::~GzipFileSource() { stop(); }

bool GzipFileSource::open(const std::string &name) {
  inflater_ = openInflater(name);
  if (!inflater_) return false;
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
}

size_t GzipFileSource::inflate(char *into, size_t size) {
  return inflater_->read(into, size);
}

// A helper must report a failure, not die of it: no memory for a chunk ends
// the stream as a read error would.
void GzipFileSource::produce() {
  for (;;) {
    Chunk chunk;
    long got = -1;
    try {
      chunk.data.reset(new char[kChunk]);
      got = static_cast<long>(inflater_->read(chunk.data.get(), kChunk));
    } catch (const std::bad_alloc &) {
    } catch (const ErrorGZIO &) {
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
