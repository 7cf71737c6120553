// A growable byte buffer that keeps its text NUL-terminated, for text built
// a character at a time or handed to a C call that needs a writable array.
#ifndef VOK_BASE_BUFFER_H
#define VOK_BASE_BUFFER_H

#include <cstddef>

class Buffer {
 public:
  // Allocates incSize bytes at once; incSize must be positive. Growth is by
  // incSize each time, never by doubling. Throws std::bad_alloc when memory
  // runs out. With owns clear the storage is left to whoever took `data`.
  Buffer(bool owns, size_t incSize);
  Buffer(const Buffer &) = delete;
  Buffer &operator=(const Buffer &) = delete;
  ~Buffer();

  void grow();
  // Appends a byte. After a non-NUL byte, data[length] is NUL; a NUL byte is
  // itself counted in length.
  void putChar(char byte);
  void clear();

  char *data;
  size_t length;
  size_t capacity;
  bool owns;
  size_t incSize;
};

#endif
