// Compact storage for the many short texts of a laid-out document: the rows'
// cells, and the links' and anchors' targets and texts. A tree of a million
// directories lays out a million rows, links and anchors, so every record
// here is a few bytes and nothing is a separate heap block.
#ifndef VOK_HYPER_TEXT_STORE_H
#define VOK_HYPER_TEXT_STORE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A sequence that grows by whole chunks: appending never moves or copies
// what is there (so there is no moment with two copies of a million
// records), and an index is found with a shift and a mask.
template <class T>
class ChunkedVector {
 public:
  void push_back(const T &value) {
    if ((size_ & kMask) == 0) chunks_.emplace_back(new T[kChunk]);
    chunks_.back()[size_ & kMask] = value;
    ++size_;
  }
  void pop_back() { --size_; }
  T &operator[](size_t i) { return chunks_[i >> kShift][i & kMask]; }
  const T &operator[](size_t i) const { return chunks_[i >> kShift][i & kMask]; }
  T &back() { return (*this)[size_ - 1]; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() {
    chunks_.clear();
    size_ = 0;
  }
  size_t bytes() const { return chunks_.size() * kChunk * sizeof(T); }

 private:
  static constexpr size_t kShift = 12, kChunk = size_t{1} << kShift, kMask = kChunk - 1;
  std::vector<std::unique_ptr<T[]>> chunks_;
  size_t size_ = 0;
};

// Bytes appended in large chunks that never move, so a view of them stays
// valid until clear(). Nothing is copied when the store grows.
class ByteArena {
 public:
  // Room for n contiguous bytes; the pointer is valid until the next call.
  char *reserve(size_t n);
  // Marks the first n bytes of the last reserve() as used.
  void commit(size_t n) { used_ += n; }
  const char *append(std::string_view bytes);
  void clear();
  size_t bytes() const;  // allocated, for the memory figures

 private:
  static constexpr size_t kChunk = 1 << 20;
  std::vector<std::unique_ptr<char[]>> chunks_;
  std::vector<size_t> sizes_;
  size_t used_ = 0;
};

// Strings by number. A string that continues a recent path at a '/' (a
// child's path after its parent's) keeps only its own part and the number of
// the path it continues, so a million full paths cost about what their last
// components do. Identical consecutive paths (an anchor and the link that
// follows it) share one number.
class TextStore {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  // A path remembered as a base for later paths: the ancestors of the path
  // last added this way are the candidates.
  uint32_t addPath(std::string_view path);
  // A path that is not remembered as a base (it may use one).
  uint32_t addText(std::string_view text);
  // A text kept whole, so that view() can show it.
  uint32_t addStandalone(std::string_view text) { return store(text, 0); }

  std::string get(uint32_t id) const;
  // Only for a string added with addStandalone.
  std::string_view view(uint32_t id) const {
    return std::string_view(entries_[id].data, entries_[id].length);
  }
  // The part of the string after its last '/', or all of it. A string
  // continues its base at a '/', so that part lies wholly in its own part.
  std::string_view lastComponent(uint32_t id) const {
    const Entry &entry = entries_[id];
    if (entry.slashName) return std::string_view(entry.data + 1, entry.length - 1);
    const std::string_view own(entry.data, entry.length);
    const size_t slash = own.rfind('/');
    return slash == std::string_view::npos ? own : own.substr(slash + 1);
  }
  size_t count() const { return entries_.size(); }
  void clear();
  size_t bytes() const;

 private:
  struct Entry {
    const char *data;  // this string's own part
    uint32_t length : 31;
    uint32_t slashName : 1;  // the own part is "/" and the last component
    uint32_t base;           // the string it continues, or kNone
  };
  struct Level {
    uint32_t id;
    size_t length;  // of the whole path
  };
  // How many levels of the chain are prefixes of text at a '/'.
  size_t sharedLevels(std::string_view text) const;
  uint32_t store(std::string_view text, size_t levels);
  // A path that continues the path `base` (of that length) at a '/', kept
  // as its own part.
  uint32_t addBelow(uint32_t base, size_t baseLength, std::string_view path);

  ByteArena arena_;
  ChunkedVector<Entry> entries_;
  std::vector<Level> chain_;
  std::string chainText_;  // the whole path of the chain's last level
};

#endif
