// A node's name in 16 bytes. Most directory names are short: up to 15
// bytes are held in place; a longer one (and a root's full path) lives in
// a slot of the list pools. Names always end with a NUL, for the system
// calls that take them.
#ifndef VOK_TREE_NODE_NAME_H
#define VOK_TREE_NODE_NAME_H

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

class NodeName {
 public:
  NodeName() : bytes_() { bytes_[kLast] = kInPlace; }
  NodeName(std::string_view text) { place(text); }  // NOLINT: as a string converts
  NodeName(const NodeName &other) : NodeName(other.view()) {}
  NodeName &operator=(const NodeName &other) { return *this = other.view(); }
  NodeName &operator=(std::string_view text);
  ~NodeName() { release(); }

  const char *c_str() const { return outside() ? outsideText() : bytes_; }
  const char *data() const { return c_str(); }
  size_t size() const {
    return outside() ? outsideSize() : kInPlace - static_cast<uint8_t>(bytes_[kLast]);
  }
  bool empty() const { return size() == 0; }
  std::string_view view() const { return {c_str(), size()}; }
  operator std::string_view() const { return view(); }  // NOLINT: reads as a string
  std::string str() const { return std::string(view()); }
  char back() const { return c_str()[size() - 1]; }
  // Whether every byte is printable ASCII, so that it is a cell of its own
  // whatever the character set. A name held outside keeps the answer, so
  // that asking does not read it.
  bool printableAscii() const {
    if (outside()) return bytes_[kPlain] != 0;
    return allPrintableAscii(view());
  }
  char operator[](size_t i) const { return c_str()[i]; }

  friend bool operator==(const NodeName &a, std::string_view b) { return a.view() == b; }
  friend bool operator!=(const NodeName &a, std::string_view b) { return a.view() != b; }
  friend bool operator==(const NodeName &a, const NodeName &b) { return a.view() == b.view(); }
  friend bool operator!=(const NodeName &a, const NodeName &b) { return a.view() != b.view(); }

 private:
  // In place, the last byte holds 15 minus the length, so a name of 15
  // bytes ends with the NUL it needs. A name held outside marks that byte
  // and keeps its text's address in the first eight, its length in the
  // next four and whether it is printable ASCII in the one after.
  static constexpr size_t kLast = 15, kPlain = 12;
  static constexpr uint8_t kInPlace = 15, kOutside = 0x80;
  bool outside() const { return static_cast<uint8_t>(bytes_[kLast]) == kOutside; }
  char *outsideText() const {
    char *text;
    std::memcpy(&text, bytes_, sizeof text);
    return text;
  }
  uint32_t outsideSize() const {
    uint32_t length;
    std::memcpy(&length, bytes_ + sizeof(char *), sizeof length);
    return length;
  }
  static bool allPrintableAscii(std::string_view text) {
    for (char c : text)
      if (static_cast<unsigned char>(c) - 0x20u >= 0x5fu) return false;
    return true;
  }
  void place(std::string_view text);
  void release();

  alignas(8) char bytes_[16];
};
static_assert(sizeof(NodeName) == 16, "a name takes 16 bytes");

#endif
