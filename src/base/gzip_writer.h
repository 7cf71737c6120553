// A gzip stream written by two threads: the data is cut in chunks of 64
// KiB, each deflated at the fastest level (by ISA-L where the build has
// it, by zlib otherwise) with the last 32 KiB of the chunk before as its
// dictionary and ended on a byte boundary, so the chunks can be compressed
// at the same time and still join into one ordinary stream that zlib and
// gzip read. A helper thread compresses every other chunk while the
// caller produces and compresses the rest.
#ifndef VOK_BASE_GZIP_WRITER_H
#define VOK_BASE_GZIP_WRITER_H

#include <zlib.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class GzipWriter {
 public:
  // Writes the gzip header to fd at once; the descriptor stays the caller's.
  // Without a helper thread every chunk is compressed by the caller.
  explicit GzipWriter(int fd);
  ~GzipWriter();
  GzipWriter(const GzipWriter &) = delete;
  GzipWriter &operator=(const GzipWriter &) = delete;

  // Both throw ErrorGZIO when a chunk cannot be compressed or written.
  void write(const char *data, size_t size);
  // Compresses what is left and writes the trailer.
  void finish();

 private:
  enum State { Waiting, Working, Done, Failed };
  struct Job {
    std::string input, dictionary, output;
    bool last = false;
    uLong crc = 0;
    size_t length = 0;
    State state = Waiting;
  };

  static bool compress(Job &job);
  static bool deflateAll(z_stream &z, Job &job);  // without ISA-L
  void submit(bool last);
  void settle(bool wait);
  void help();
  void stop();
  void put(const char *data, size_t size);

  const int fd_;
  std::string filling_, previousTail_;
  std::deque<std::unique_ptr<Job>> jobs_;  // in stream order
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::thread helper_;
  bool stopping_ = false;
  uLong crc_ = crc32(0, nullptr, 0);
  uint64_t length_ = 0;
};

#endif
