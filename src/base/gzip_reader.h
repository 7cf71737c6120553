// Sources of bytes for a decoder: an image in memory, or a gzip file
// inflated by a second thread while the caller decodes what came before.
#ifndef VOK_BASE_GZIP_READER_H
#define VOK_BASE_GZIP_READER_H

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// read() fills at most `size` bytes and returns how many, 0 at the end; a
// failure throws ErrorGZIO.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual size_t read(char *into, size_t size) = 0;
};

class MemorySource : public ByteSource {
 public:
  // The image is not copied and must outlive the source.
  explicit MemorySource(const std::string &image) : image_(image) {}
  size_t read(char *into, size_t size) override;

 private:
  const std::string &image_;
  size_t at_ = 0;
};

// What inflates a file for GzipFileSource: read() fills at most `size`
// bytes and returns how many, 0 at the end, and throws ErrorGZIO when the
// data is damaged. A file that is not gzip passes through unchanged, and
// members that follow the first are read on; bytes after the last member
// that start no member are ignored, as gzip does.
class Inflater {
 public:
  virtual ~Inflater() = default;
  virtual size_t read(char *into, size_t size) = 0;
};

// Inflating and using the bytes each take about half of a load of a big
// file, so a helper thread inflates the next chunks while the caller works
// on the last ones. The queue holds a few chunks, so memory stays small
// whatever the size of the file.
class GzipFileSource : public ByteSource {
 public:
  GzipFileSource() = default;
  ~GzipFileSource() override;
  GzipFileSource(const GzipFileSource &) = delete;
  GzipFileSource &operator=(const GzipFileSource &) = delete;

  // False when the file cannot be opened; the helper starts here.
  bool open(const std::string &name);
  size_t read(char *into, size_t size) override;
  // Reads to the end of the stream, so that a damaged end (reported only
  // there) is not taken for a good file; throws ErrorGZIO.
  void finish();

 private:
  struct Chunk {
    std::unique_ptr<char[]> data;  // uninitialised beyond size
    size_t size = 0;
  };

  size_t inflate(char *into, size_t size);
  void produce();
  bool ready();
  bool next();
  void stop();

  std::unique_ptr<Inflater> inflater_;
  std::thread worker_;
  bool threadless_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Chunk> queue_;
  bool done_ = false, failed_ = false, stopping_ = false;
  Chunk current_;
  size_t offset_ = 0;
};

#endif
