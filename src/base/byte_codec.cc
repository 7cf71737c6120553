#include "base/byte_codec.h"

#include <algorithm>

#include "base/errors.h"

ByteReader::ByteReader(ByteSource &source)
    : source_(source), buffer_(new char[1 << 18]), capacity_(1 << 18) {}

void ByteReader::text(std::string &into) {
  for (size_t from = at_;;) {
    const void *nul = memchr(buffer_.get() + from, '\0', end_ - from);
    if (nul) {
      const size_t length =
          static_cast<size_t>(static_cast<const char *>(nul) - (buffer_.get() + at_));
      into.assign(buffer_.get() + at_, length);
      at_ += length + 1;
      return;
    }
    from = end_ - at_;
    need(end_ - at_ + 1);
    from += at_;
  }
}

void ByteReader::need(size_t n) {
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
