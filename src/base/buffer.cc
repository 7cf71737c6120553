#include "base/buffer.h"

#include <cassert>
#include <cstdlib>
#include <new>

Buffer::Buffer(bool ownsData, size_t increment)
    : data(nullptr), length(0), capacity(0), owns(ownsData), incSize(increment) {
  assert(incSize > 0);
  grow();
}

Buffer::~Buffer() {
  if (owns && data) free(data);
  data = nullptr;
}

void Buffer::grow() {
  void *more = data ? realloc(data, capacity + incSize) : malloc(incSize);
  if (!more) throw std::bad_alloc();
  data = static_cast<char *>(more);
  capacity += incSize;
}

void Buffer::putChar(char byte) {
  while (length >= capacity) grow();
  data[length++] = byte;
  if (byte != '\0') {
    while (length >= capacity) grow();
    data[length] = '\0';
  }
}

void Buffer::clear() {
  if (!data) grow();
  length = 0;
  data[0] = '\0';
}
