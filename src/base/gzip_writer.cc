#include "base/gzip_writer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#ifdef VOK_HAVE_ISAL
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#endif

#include "base/errors.h"
#include "base/threads.h"

namespace {
// Chunks are cut at exactly kChunk bytes, so that no buffer holds more. Two
// chunks in flight keep both threads busy; more would only cost memory,
// which a scan's peak counts.
constexpr size_t kChunk = size_t{64} << 10, kWindow = size_t{32} << 10;
constexpr size_t kInFlight = 2;
}  // namespace

GzipWriter::GzipWriter(int fd) : fd_(fd) {
  static const unsigned char header[10] = {0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 3};
  put(reinterpret_cast<const char *>(header), sizeof header);
  startHelperThread(helper_, [this] { help(); });
}

GzipWriter::~GzipWriter() { stop(); }

void GzipWriter::write(const char *data, size_t size) {
  while (size > 0) {
    const size_t taken = std::min(size, kChunk - filling_.size());
    filling_.append(data, taken);
    data += taken;
    size -= taken;
    if (filling_.size() == kChunk) submit(false);
  }
}

void GzipWriter::finish() {
  submit(true);
  while (!jobs_.empty()) settle(true);
  stop();
  unsigned char trailer[8];
  for (int i = 0; i < 4; ++i) {
    trailer[i] = static_cast<unsigned char>(crc_ >> (8 * i));
    trailer[4 + i] = static_cast<unsigned char>(length_ >> (8 * i));
  }
  put(reinterpret_cast<const char *>(trailer), sizeof trailer);
}

#ifdef VOK_HAVE_ISAL
// Raw deflate of one chunk; runs in either thread, touching the job alone.
// Never throws: a helper thread must report its failure, not die of it.
// ISA-L's fastest level compresses a tree image several times faster than
// zlib's, and smaller.
bool GzipWriter::compress(Job &job) {
  // A stream and its level buffer take about 170 KiB: each thread keeps
  // one for every chunk it compresses instead of taking it anew.
  struct Deflater {
    isal_zstream stream;
    uint8_t level[ISAL_DEF_LVL1_SMALL];
  };
  thread_local std::unique_ptr<Deflater> deflater;
  if (!deflater) deflater.reset(new (std::nothrow) Deflater);
  if (!deflater) return false;
  isal_zstream &s = deflater->stream;
  isal_deflate_init(&s);
  s.level = 1;
  s.level_buf = deflater->level;
  s.level_buf_size = ISAL_DEF_LVL1_SMALL;
  s.gzip_flag = IGZIP_DEFLATE;
  s.flush = SYNC_FLUSH;
  s.end_of_stream = job.last ? 1 : 0;
  auto bytes = [](std::string &text) { return reinterpret_cast<uint8_t *>(&text[0]); };
  if (!job.dictionary.empty() &&
      isal_deflate_set_dict(&s, bytes(job.dictionary),
                            static_cast<uint32_t>(job.dictionary.size())) != COMP_OK)
    return false;
  s.next_in = job.input.empty() ? nullptr : bytes(job.input);
  s.avail_in = static_cast<uint32_t>(job.input.size());
  try {
    job.output.resize(job.input.size() / 2 + 1024);
    for (;;) {
      s.next_out = bytes(job.output) + s.total_out;
      s.avail_out = static_cast<uint32_t>(job.output.size() - s.total_out);
      if (isal_deflate(&s) != COMP_OK) return false;
      const bool flushed = s.avail_in == 0 && s.avail_out > 0;
      if (flushed && (!job.last || s.internal_state.state == ZSTATE_END)) break;
      job.output.resize(job.output.size() * 2);
    }
  } catch (const std::bad_alloc &) {
    return false;
  }
  job.output.resize(s.total_out);
  job.crc = crc32_gzip_refl(0, job.input.empty() ? nullptr : bytes(job.input),
                            job.input.size());
  job.length = job.input.size();
  std::string().swap(job.input);  // memory: only the output waits now
  return true;
}
#else
// Raw deflate of one chunk; runs in either thread, touching the job alone.
// Never throws: a helper thread must report its failure, not die of it.
bool GzipWriter::compress(Job &job) {
  z_stream z{};
  // Two streams run at once: a hash of half the usual size keeps the
  // peak memory near that of one stream, for a little more time.
  if (deflateInit2(&z, 1, Z_DEFLATED, -15, 7, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  bool ok =
      job.dictionary.empty() ||
      deflateSetDictionary(&z, reinterpret_cast<const Bytef *>(job.dictionary.data()),
                           static_cast<uInt>(job.dictionary.size())) == Z_OK;
  try {
    ok = ok && deflateAll(z, job);
  } catch (const std::bad_alloc &) {
    ok = false;
  }
  deflateEnd(&z);
  job.crc = crc32(0, reinterpret_cast<const Bytef *>(job.input.data()),
                  static_cast<uInt>(job.input.size()));
  job.length = job.input.size();
  std::string().swap(job.input);  // memory: only the output waits now
  return ok;
}

bool GzipWriter::deflateAll(z_stream &z, Job &job) {
  z.next_in = reinterpret_cast<Bytef *>(&job.input[0]);
  z.avail_in = static_cast<uInt>(job.input.size());
  // Tree images compress to well under half; the buffer grows if not.
  job.output.resize(job.input.size() / 2 + 1024);
  for (;;) {
    z.next_out = reinterpret_cast<Bytef *>(&job.output[z.total_out]);
    z.avail_out = static_cast<uInt>(job.output.size() - z.total_out);
    const int result = deflate(&z, job.last ? Z_FINISH : Z_SYNC_FLUSH);
    if (job.last ? result == Z_STREAM_END : z.avail_in == 0 && z.avail_out > 0) break;
    if (result != Z_OK && result != Z_BUF_ERROR) return false;
    job.output.resize(job.output.size() * 2);
  }
  job.output.resize(z.total_out);
  return true;
}

#endif

void GzipWriter::submit(bool last) {
  auto job = std::make_unique<Job>();
  job->input.swap(filling_);
  job->last = last;
  if (!previousTail_.empty()) job->dictionary.swap(previousTail_);
  previousTail_.assign(job->input,
                       job->input.size() - std::min(job->input.size(), kWindow),
                       std::string::npos);
  filling_.reserve(kChunk);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
  while (jobs_.size() >= kInFlight) settle(true);
  settle(false);
}

// Writes the finished jobs at the front; with `wait`, compresses a waiting
// job itself or waits until the front one is finished first.
void GzipWriter::settle(bool wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (wait && jobs_.front()->state < Done) {
    Job *own = nullptr;
    for (auto &job : jobs_)
      if (job->state == Waiting) {
        own = job.get();
        break;
      }
    if (own) {
      own->state = Working;
      lock.unlock();
      const bool ok = compress(*own);
      lock.lock();
      own->state = ok ? Done : Failed;
    } else {
      done_.wait(lock, [this] { return jobs_.front()->state >= Done; });
    }
  }
  while (!jobs_.empty() && jobs_.front()->state >= Done) {
    std::unique_ptr<Job> job = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    if (job->state == Failed) throw ErrorGZIO();
    put(job->output.data(), job->output.size());
    crc_ = crc32_combine(crc_, job->crc, static_cast<z_off_t>(job->length));
    length_ += job->length;
    lock.lock();
  }
}

void GzipWriter::help() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    Job *job = nullptr;
    wake_.wait(lock, [&] {
      if (stopping_) return true;
      for (auto &waiting : jobs_)
        if (waiting->state == Waiting) {
          job = waiting.get();
          return true;
        }
      return false;
    });
    if (!job) return;
    job->state = Working;
    lock.unlock();
    const bool ok = compress(*job);
    lock.lock();
    job->state = ok ? Done : Failed;
    done_.notify_one();
  }
}

void GzipWriter::stop() { stopHelperThread(helper_, mutex_, stopping_, wake_); }

void GzipWriter::put(const char *data, size_t size) {
  while (size > 0) {
    const ssize_t wrote = ::write(fd_, data, size);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) throw ErrorGZIO();
    data += wrote;
    size -= static_cast<size_t>(wrote);
  }
}
