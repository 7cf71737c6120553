#include "hyper/pad.h"

HyperPad::HyperPad(int rows, bool keepRows) : discard_(!keepRows) {
  data_.reserve(static_cast<size_t>(rows > 0 && keepRows ? rows : 0));
  size_.reserve(data_.capacity());
}

void HyperPad::put(unsigned char op, unsigned char value) {
  row_ += '\0';
  row_ += static_cast<char>(op);
  row_ += static_cast<char>(value);
}

void HyperPad::flushSpaces() {
  // Up to three spaces are cheaper as themselves than as an instruction.
  while (spaces_ > 3) {
    const int n = spaces_ > 255 ? 255 : spaces_;
    put(3, static_cast<unsigned char>(n));
    spaces_ -= n;
  }
  row_.append(static_cast<size_t>(spaces_), ' ');
  spaces_ = 0;
}

long HyperPad::take(long n) {
  if (n > 0) open_ = true;
  const long room = column_ < kMaxColumns ? kMaxColumns - column_ : 0;
  column_ += n;
  return n < room ? n : room;
}

void HyperPad::syncAttr() {
  if (attr_ == rowAttr_) return;
  flushSpaces();
  put(1, static_cast<unsigned char>(attr_));
  rowAttr_ = attr_;
}

void HyperPad::addBytes(std::string_view bytes) {
  if (discard_) return;
  const long n = take(static_cast<long>(bytes.size()));
  if (n == 0) return;
  syncAttr();
  for (long i = 0; i < n; ++i) {
    const char c = bytes[static_cast<size_t>(i)];
    if (c == ' ') {
      ++spaces_;
      continue;
    }
    if (spaces_ > 0) flushSpaces();
    row_ += c;
  }
}

void HyperPad::addChar(std::string_view bytes, int width) {
  if (discard_) return;
  // A wide character the cut would halve is not kept.
  const long room = column_ < kMaxColumns ? kMaxColumns - column_ : 0;
  if (room < width) {
    take(width);
    return;
  }
  take(width);
  syncAttr();
  flushSpaces();
  put(4, static_cast<unsigned char>(bytes.size()));
  row_ += static_cast<char>(width);
  row_.append(bytes);
}

void HyperPad::addSpaces(long n) {
  if (discard_) return;
  n = take(n);
  if (n == 0) return;
  syncAttr();
  spaces_ += static_cast<int>(n);
}

void HyperPad::addGlyph(int index) {
  if (discard_ || take(1) == 0) return;
  syncAttr();
  flushSpaces();
  put(2, static_cast<unsigned char>(index));
}

void HyperPad::storeRow() {
  flushSpaces();
  data_.push_back(arena_.append(row_));
  size_.push_back(static_cast<uint32_t>(row_.size()));
  row_.clear();
  column_ = 0;
  rowAttr_ = 0;
}

void HyperPad::newLine() {
  if (discard_) return;
  storeRow();
  open_ = false;
}

void HyperPad::finish() {
  if (open_) storeRow();
  open_ = false;
}

size_t HyperPad::bytes() const {
  return arena_.bytes() + data_.capacity() * (sizeof(const char *) + sizeof(uint32_t));
}
