#include "tree/node_name.h"

#include <new>

#include "tree/node_pool.h"

NodeName &NodeName::operator=(std::string_view text) {
  // The text may be this name's own.
  NodeName copy(text);
  release();
  std::memcpy(bytes_, copy.bytes_, sizeof bytes_);
  copy.bytes_[kLast] = kInPlace;
  return *this;
}

void NodeName::place(std::string_view text) {
  if (text.size() <= kInPlace) {
    std::memcpy(bytes_, text.data(), text.size());
    std::memset(bytes_ + text.size(), 0, kLast - text.size());
    bytes_[kLast] = static_cast<char>(kInPlace - text.size());
    return;
  }
  if (text.size() >= UINT32_MAX) throw std::bad_alloc();
  char *stored = static_cast<char *>(takeListStorage(text.size() + 1));
  std::memcpy(stored, text.data(), text.size());
  stored[text.size()] = '\0';
  const uint32_t length = static_cast<uint32_t>(text.size());
  std::memcpy(bytes_, &stored, sizeof stored);
  std::memcpy(bytes_ + sizeof stored, &length, sizeof length);
  bytes_[kPlain] = allPrintableAscii(text);
  bytes_[kLast] = static_cast<char>(kOutside);
}

void NodeName::release() {
  if (!outside()) return;
  giveListStorage(outsideText(), outsideSize() + 1);
  bytes_[kLast] = kInPlace;
  bytes_[0] = '\0';
}
