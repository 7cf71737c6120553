// The plain values of a binary format in the writer's byte order: bytes,
// fixed-size numbers and NUL-terminated texts, written into a buffer that
// can be handed on in large pieces, and read back as the bytes arrive.
#ifndef VOK_BASE_BYTE_CODEC_H
#define VOK_BASE_BYTE_CODEC_H

#include <cstring>
#include <memory>
#include <string>

#include "base/gzip_reader.h"
#include "base/gzip_writer.h"

class ByteWriter {
 public:
  // With a sink the bytes go on in pieces of about 64 KiB, so a large
  // image is never held whole; without one they collect in result().
  explicit ByteWriter(GzipWriter *sink = nullptr) : sink_(sink) {}
  void byte(unsigned char value) {
    out_ += static_cast<char>(value);
    if (sink_ && out_.size() >= (1u << 16)) flush();
  }
  template <class T>
  void value(T v) {
    out_.append(reinterpret_cast<const char *>(&v), sizeof v);
  }
  // A text cannot hold a NUL; anything after one would break the record.
  void text(std::string_view s) {
    out_.append(s.data(), strnlen(s.data(), s.size()));
    byte('\0');
  }
  std::string &result() { return out_; }
  void flush() {
    sink_->write(out_.data(), out_.size());
    out_.clear();
  }

 private:
  GzipWriter *sink_;
  std::string out_;
};

// Reads values as the bytes arrive, without ever holding the whole image.
// Every read throws ErrorGZIO when the data ends before the value does.
class ByteReader {
 public:
  explicit ByteReader(ByteSource &source);
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
  void text(std::string &into);
  std::string text() {
    std::string s;
    text(s);
    return s;
  }

 private:
  // Makes n bytes available from at_.
  void need(size_t n);

  ByteSource &source_;
  // Left uninitialised: only bytes read into it are ever looked at.
  std::unique_ptr<char[]> buffer_;
  size_t capacity_;
  size_t at_ = 0, end_ = 0;
};

#endif
