// The saved tree file, one gzip stream in the writer's byte order:
//
//   header   "<VOKID#9>" 04 08 01 02 08 08 08, int32 0x1234, int64 lastScanTime,
//            'H' 'P'
//   records  one per root, in rootList order, then 'E'
//   'D' flags name\0 uint16 targetMode int64 mtime int64 ctime [children.. 'E']
//   'L' linkText\0 uint16 entryMode resolvedPath\0 linkState linkAccess
//       name\0 uint16 targetMode int64 mtime int64 ctime
//
// Directory flags: bit 0 children follow, bit 1 skipped, bits 2-3 the
// unreadable state. Bit 4 records a node added by a lookup and never scanned
// (skipState SkipAdded), so that it is still re-read by the next smart scan
// after a reload; it leaves the other bits alone, and readers that ignore it
// see an ordinary directory. A bad header means "another version": the tree
// is rebuilt. A bad record byte, a root whose name is not an absolute path,
// another name that is not a single component (empty, ".", ".." or holding
// a '/'), or data that ends early is an error, since zlib itself reports
// neither a truncated stream nor a plain file.
//
// Saving writes a temporary file in the same directory, checks every write
// and the final close, syncs it and renames it over the old file, so an
// interrupted save never destroys the only copy of the tree.
#include "tree/tree_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iostream>
#include <memory>
#include <new>
#include <mutex>
#include <thread>
#include <vector>

#include "base/errors.h"
#include "base/globals.h"
#include "base/message.h"
#include "base/paths.h"
#include "base/safe_file.h"
#include "base/threads.h"
#include "config/reader.h"
#include "tree/dir_tree.h"

namespace {

const char kMagic[] = "<VOKID#9>";
const unsigned char kSizes[] = {4, 8, 1, 2, 8, 8, 8};
const int32_t kCheckValue = 0x1234;
enum : unsigned char {
  kChildren = 1,
  kSkipped = 2,
  kUnreadableShift = 2,
  kAddedByLookup = 16
};

// --- writing

// Writes one gzip stream (as zlib's gzwrite would, at the fastest level)
// whose deflate data is made in chunks of 64 KiB, each primed with the
// last 32 KiB of the one before and ended on a byte boundary: a second
// thread compresses every other chunk while this one encodes and
// compresses the rest, which halves the time a big tree takes to save.
// Readers see one ordinary stream. Failures throw ErrorGZIO.
class GzSink {
 public:
  explicit GzSink(int fd) : fd_(fd) {
    static const unsigned char header[10] = {0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 3};
    put(reinterpret_cast<const char *>(header), sizeof header);
    // Without a helper, settle() compresses every chunk here.
    startHelperThread(helper_, [this] { help(); });
  }
  ~GzSink() { stop(); }
  GzSink(const GzSink &) = delete;
  GzSink &operator=(const GzSink &) = delete;

  // Chunks are cut at exactly kChunk bytes, so that no buffer holds more.
  void write(const char *data, size_t size) {
    while (size > 0) {
      const size_t taken = std::min(size, kChunk - filling_.size());
      filling_.append(data, taken);
      data += taken;
      size -= taken;
      if (filling_.size() == kChunk) submit(false);
    }
  }

  void finish() {
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

 private:
  // Two chunks in flight keep both threads busy; more would only cost
  // memory, which a scan's peak counts.
  static constexpr size_t kChunk = size_t{64} << 10, kWindow = size_t{32} << 10;
  static constexpr size_t kInFlight = 2;
  enum State { Waiting, Working, Done, Failed };
  struct Job {
    std::string input, dictionary, output;
    bool last = false;
    uLong crc = 0;
    size_t length = 0;
    State state = Waiting;
  };

  // Raw deflate of one chunk; runs in either thread, touching the job alone.
  // Never throws: a helper thread must report its failure, not die of it.
  static bool compress(Job &job) {
    z_stream z{};
    // Two streams run at once: a hash of half the usual size keeps the
    // save's peak memory near that of one stream, for a little more time.
    if (deflateInit2(&z, 1, Z_DEFLATED, -15, 7, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    bool ok = job.dictionary.empty() ||
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

  static bool deflateAll(z_stream &z, Job &job) {
    z.next_in = reinterpret_cast<Bytef *>(&job.input[0]);
    z.avail_in = static_cast<uInt>(job.input.size());
    // A tree compresses to well under half; the buffer grows if not.
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

  void submit(bool last) {
    auto job = std::make_unique<Job>();
    job->input.swap(filling_);
    job->last = last;
    if (!previousTail_.empty()) job->dictionary.swap(previousTail_);
    previousTail_.assign(job->input, job->input.size() - std::min(job->input.size(), kWindow),
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

  // Writes the finished jobs at the front; with `wait`, compresses a
  // waiting job itself or waits until the front one is finished first.
  void settle(bool wait) {
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

  void help() {
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

  void stop() { stopHelperThread(helper_, mutex_, stopping_, wake_); }

  void put(const char *data, size_t size) {
    while (size > 0) {
      const ssize_t wrote = ::write(fd_, data, size);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) throw ErrorGZIO();
      data += wrote;
      size -= static_cast<size_t>(wrote);
    }
  }

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

// Collects the image; with a sink it hands the bytes on in large chunks,
// so a big tree is never held twice in memory.
class Encoder {
 public:
  explicit Encoder(GzSink *sink = nullptr) : sink_(sink) {}
  void byte(unsigned char value) {
    out_ += static_cast<char>(value);
    if (sink_ && out_.size() >= (1u << 16)) flush();
  }
  template <class T>
  void value(T v) {
    out_.append(reinterpret_cast<const char *>(&v), sizeof v);
  }
  // A name cannot hold a NUL; anything after one would break the record.
  void text(const std::string &s) {
    out_.append(s.data(), strnlen(s.data(), s.size()));
    byte('\0');
  }
  void node(const DirNode &node);
  void header();
  std::string &result() { return out_; }
  void flush() {
    sink_->write(out_.data(), out_.size());
    out_.clear();
  }

 private:
  GzSink *sink_;
  std::string out_;
};

void Encoder::header() {
  for (const char *m = kMagic; *m; ++m) byte(static_cast<unsigned char>(*m));
  for (unsigned char size : kSizes) byte(size);
  value<int32_t>(kCheckValue);
  value<int64_t>(dirTree.lastScanTime);
  byte('H');
  byte('P');
}

void Encoder::node(const DirNode &node) {
  if (!node.linkText().empty()) {
    byte('L');
    text(node.linkText());
    value<uint16_t>(node.entryMode);
    text(node.resolvedPath());
    byte(node.linkState);
    byte(node.linkAccess);
  } else {
    unsigned char flags =
        static_cast<unsigned char>((node.children.empty() ? 0 : kChildren) |
                                   (node.skipState == SkipSkipped ? kSkipped : 0) |
                                   ((node.unreadableState & 3) << kUnreadableShift) |
                                   (node.skipState == SkipAdded ? kAddedByLookup : 0));
    byte('D');
    byte(flags);
  }
  text(node.name);
  value<uint16_t>(node.targetMode);
  value<int64_t>(node.modifyTime);
  value<int64_t>(node.changeTime);
}

// Pre-order walk with an explicit stack: the tree may be deeper than the
// call stack allows.
void encodeList(Encoder &out, const DirNodeList &roots) {
  struct Frame {
    const DirNodeList *list;
    size_t next;
  };
  std::vector<Frame> stack{{&roots, 0}};
  while (!stack.empty()) {
    Frame &top = stack.back();
    if (top.next == top.list->size()) {
      out.byte('E');
      stack.pop_back();
      continue;
    }
    const DirNode &node = *(*top.list)[top.next++];
    out.node(node);
    if (node.linkText().empty() && !node.children.empty())
      stack.push_back({&node.children, 0});
  }
}

bool writeCompressed(int fd) {
  try {
    GzSink sink(fd);
    Encoder out(&sink);
    out.header();
    encodeList(out, dirTree.rootList);
    out.flush();
    sink.finish();
  } catch (const ErrorGZIO &) {
    return false;
  }
  return true;
}

// --- reading

// Where the decoder's bytes come from: read() fills at most `size` bytes
// and returns how many, 0 at the end; a failure throws ErrorGZIO.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual size_t read(char *into, size_t size) = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(const std::string &image) : image_(image) {}
  size_t read(char *into, size_t size) override {
    const size_t n = std::min(size, image_.size() - at_);
    memcpy(into, image_.data() + at_, n);
    at_ += n;
    return n;
  }

 private:
  const std::string &image_;
  size_t at_ = 0;
};

// zlib passes a file that is not compressed through unchanged.
//
// Inflating and building the nodes each take about half of a load, so a
// second thread inflates the next chunks while this one decodes: a jump
// costs little more than the inflate alone. The queue holds a few chunks, so
// memory stays small whatever the size of the tree.
class ThreadedGzSource : public ByteSource {
 public:
  explicit ThreadedGzSource(gzFile gz) : gz_(gz) {
    // No thread to be had: inflate here instead.
    threadless_ = !startHelperThread(worker_, [this] { produce(); });
  }
  ~ThreadedGzSource() override { stop(); }

  size_t read(char *into, size_t size) override {
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

  // Waits for the rest of the stream, so that a damaged end (which zlib
  // reports only there) is not taken for a good file.
  void finish() {
    char rest[1 << 14];
    while (read(rest, sizeof rest) > 0) {
    }
    stop();
    int error;
    gzerror(gz_, &error);
    if (error != Z_OK && error != Z_BUF_ERROR) throw ErrorGZIO();
  }

 private:
  static constexpr size_t kChunk = 1 << 18, kQueued = 4;
  struct Chunk {
    std::unique_ptr<char[]> data;  // uninitialised beyond size
    size_t size = 0;
  };

  size_t inflate(char *into, size_t size) {
    const int got =
        gzread(gz_, into, static_cast<unsigned>(std::min<size_t>(size, 1 << 30)));
    if (got < 0) throw ErrorGZIO();
    return static_cast<size_t>(got);
  }

  void produce() {
    for (;;) {
      Chunk chunk{std::unique_ptr<char[]>(new char[kChunk]), 0};
      const int got = gzread(gz_, chunk.data.get(), static_cast<unsigned>(kChunk));
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

  bool ready() {
    std::lock_guard<std::mutex> lock(mutex_);
    return !queue_.empty() || done_;
  }

  // The next chunk, or false at the end; throws when inflating failed.
  bool next() {
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

  void stop() { stopHelperThread(worker_, mutex_, stopping_, changed_); }

  gzFile gz_;
  std::thread worker_;
  bool threadless_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Chunk> queue_;
  bool done_ = false, failed_ = false, stopping_ = false;
  Chunk current_;
  size_t offset_ = 0;
};

// Reads records as the bytes arrive, without ever holding the whole image:
// a million directories make a stream of tens of megabytes.
class Decoder {
 public:
  explicit Decoder(ByteSource &source)
      : source_(source), buffer_(new char[1 << 18]), capacity_(1 << 18) {}
  unsigned char byte() {
    need(1);
    return static_cast<unsigned char>(buffer_[at_++]);
  }
  template <class T>
  T value() {
    T v;
    need(sizeof v);
    memcpy(&v, buffer_.get() + at_, sizeof v);
    at_ += sizeof v;
    return v;
  }
  void text(std::string &into) {
    for (size_t from = at_;;) {
      const void *nul = memchr(buffer_.get() + from, '\0', end_ - from);
      if (nul) {
        const size_t length = static_cast<const char *>(nul) - (buffer_.get() + at_);
        into.assign(buffer_.get() + at_, length);
        at_ += length + 1;
        return;
      }
      from = end_ - at_;
      need(end_ - at_ + 1);
      from += at_;
    }
  }
  std::string text() {
    std::string s;
    text(s);
    return s;
  }
  void header();
  DirNodeRef node(unsigned char kind, bool &hasChildren);

 private:
  // Makes n bytes available from at_; ErrorGZIO when the data ends first.
  void need(size_t n) {
    if (end_ - at_ >= n) return;
    memmove(buffer_.get(), buffer_.get() + at_, end_ - at_);
    end_ -= at_;
    at_ = 0;
    if (capacity_ < n) {
      capacity_ = std::max(n, 2 * capacity_);
      std::unique_ptr<char[]> larger(new char[capacity_]);
      memcpy(larger.get(), buffer_.get(), end_);
      buffer_ = std::move(larger);
    }
    while (end_ < n) {
      const size_t got = source_.read(buffer_.get() + end_, capacity_ - end_);
      if (got == 0) throw ErrorGZIO();
      end_ += got;
    }
  }

  ByteSource &source_;
  // Left uninitialised: only bytes read into it are ever looked at.
  std::unique_ptr<char[]> buffer_;
  size_t capacity_;
  size_t at_ = 0, end_ = 0;
};

void Decoder::header() {
  for (const char *m = kMagic; *m; ++m)
    if (byte() != static_cast<unsigned char>(*m)) throw ErrorBadFileFormat();
  for (unsigned char size : kSizes)
    if (byte() != size) throw ErrorBadFileFormat();
  if (value<int32_t>() != kCheckValue) throw ErrorBadFileFormat();
  dirTree.lastScanTime = value<int64_t>();
  if (byte() != 'H' || byte() != 'P') throw ErrorBadFileFormat();
}

DirNodeRef Decoder::node(unsigned char kind, bool &hasChildren) {
  DirNodeRef node = newDirNode();
  hasChildren = false;
  if (kind == 'L') {
    node->setLinkText(text());
    node->entryMode = value<uint16_t>();
    node->setResolvedPath(text());
    node->linkState = byte();
    node->linkAccess = byte();
  } else {
    unsigned char flags = byte();
    hasChildren = flags & kChildren;
    node->skipState = (flags & kSkipped)         ? SkipSkipped
                      : (flags & kAddedByLookup) ? SkipAdded
                                                 : SkipNone;
    node->unreadableState = (flags >> kUnreadableShift) & 3;
  }
  text(node->name);
  node->targetMode = value<uint16_t>();
  node->modifyTime = value<int64_t>();
  node->changeTime = value<int64_t>();
  if (kind == 'D') node->entryMode = node->targetMode;
  return node;
}

[[noreturn]] void badRecord() {
  throw ErrorGenericFile(
      _("error in saved directory file\nPlease rebuild it using `vok -rf'"));
}

// A root is named by its absolute path, every other node by one component:
// the scans open children by name, and a name such as "..", "a/b" or ""
// would lead them somewhere else than the tree says.
bool validName(const std::string &name, bool root) {
  if (root) return !name.empty() && name[0] == '/';
  return !name.empty() && name != "." && name != ".." &&
         name.find('/') == std::string::npos;
}

// Children are collected per level and moved into a list of their exact
// size when the level ends, so no list grows by copying.
void decodeRecords(Decoder &in) {
  dirTree.rootList.clear();
  std::vector<DirNodeList> pending(1);
  std::vector<DirNode *> parents{nullptr};
  size_t depth = 0;
  for (;;) {
    const unsigned char kind = in.byte();
    if (kind == 'E') {
      DirNodeList &level = pending[depth];
      DirNodeList &into = parents[depth] ? parents[depth]->children : dirTree.rootList;
      into.assign(std::make_move_iterator(level.begin()),
                  std::make_move_iterator(level.end()));
      level.clear();
      if (depth-- == 0) return;
      continue;
    }
    if (kind != 'D' && kind != 'L') badRecord();
    bool hasChildren;
    DirNodeRef node = in.node(kind, hasChildren);
    if (!validName(node->name, depth == 0)) badRecord();
    DirNode *parent = hasChildren ? node.get() : nullptr;
    pending[depth].push_back(std::move(node));
    if (!parent) continue;
    if (++depth == pending.size()) {
      pending.emplace_back();
      parents.push_back(nullptr);
    }
    parents[depth] = parent;
  }
}

struct GzReader {
  gzFile gz = nullptr;
  ~GzReader() {
    if (gz) gzclose(gz);
  }
  bool open(const std::string &name) {
    if (gz) gzclose(gz);
    gz = gzopen(name.c_str(), "rb");
    return gz != nullptr;
  }
};

}  // namespace

std::string encodeTree() {
  Encoder out;
  out.header();
  encodeList(out, dirTree.rootList);
  return std::move(out.result());
}

void decodeTree(const std::string &image) {
  MemorySource source(image);
  Decoder in(source);
  in.header();
  decodeRecords(in);
}

void saveTree() {
  SafeFileWriter file(treeFile);
  if (!file.ok()) throw ErrorGenericFile(_("cannot create file %$"), treeFile);
  if (!writeCompressed(file.fd()) || !file.commit())
    throw ErrorGenericFile(_("error writing file %$"), treeFile);
}

TreeFileState readTreeFile() {
  struct stat status;  // st_size is 64 bits: a big file is never "empty"
  if (stat(treeFile.c_str(), &status) != 0) return TreeFileState::Missing;
  GzReader reader;
  if (status.st_size < 1 || !reader.open(treeFile)) return TreeFileState::Empty;
  try {
    ThreadedGzSource source(reader.gz);
    Decoder in(source);
    try {
      in.header();
    } catch (const ErrorBadFileFormat &) {
      return TreeFileState::Incompatible;
    }
    decodeRecords(in);
    source.finish();
  } catch (const ErrorBadFileFormat &) {
    throw ErrorGenericFile(_("invalid file format in %$"), treeFile);
  } catch (const ErrorGZIO &) {
    throw ErrorGenericFile(_("error reading file %$"), treeFile);
  }
  return TreeFileState::Loaded;
}
