#include "hyper/text_store.h"

#include <algorithm>
#include <cstring>

char *ByteArena::reserve(size_t n) {
  if (chunks_.empty() || used_ + n > sizes_.back()) {
    const size_t size = std::max(kChunk, n);
    chunks_.emplace_back(new char[size]);
    sizes_.push_back(size);
    used_ = 0;
  }
  return chunks_.back().get() + used_;
}

const char *ByteArena::append(std::string_view bytes) {
  if (bytes.empty()) return "";
  char *at = reserve(bytes.size());
  memcpy(at, bytes.data(), bytes.size());
  commit(bytes.size());
  return at;
}

void ByteArena::clear() {
  chunks_.clear();
  sizes_.clear();
  used_ = 0;
}

size_t ByteArena::bytes() const {
  size_t total = 0;
  for (size_t size : sizes_) total += size;
  return total;
}

size_t TextStore::sharedLevels(std::string_view text) const {
  // Nearly always the whole chain is a prefix: a child after its parent.
  if (!chain_.empty() && text.size() >= chainText_.size() &&
      memcmp(text.data(), chainText_.data(), chainText_.size()) == 0 &&
      (text.size() == chainText_.size() || text[chainText_.size()] == '/' ||
       chainText_.back() == '/'))
    return chain_.size();
  const size_t limit = std::min(text.size(), chainText_.size());
  size_t common = 0;
  while (common < limit && text[common] == chainText_[common]) ++common;
  size_t levels = chain_.size();
  for (; levels > 0; --levels) {
    const size_t length = chain_[levels - 1].length;
    if (length <= common &&
        (length == text.size() || text[length] == '/' || chainText_[length - 1] == '/'))
      break;
  }
  return levels;
}

uint32_t TextStore::store(std::string_view text, size_t levels) {
  if (levels > 0 && chain_[levels - 1].length == text.size())
    return chain_[levels - 1].id;
  return levels > 0 ? addBelow(chain_[levels - 1].id, chain_[levels - 1].length, text)
                    : addBelow(kNone, 0, text);
}

uint32_t TextStore::addBelow(uint32_t base, size_t baseLength, std::string_view path) {
  const std::string_view own = path.substr(baseLength);
  const bool slashName =
      !own.empty() && own[0] == '/' && own.find('/', 1) == std::string_view::npos;
  entries_.push_back(
      {arena_.append(own), static_cast<uint32_t>(own.size()), slashName, base});
  return static_cast<uint32_t>(entries_.size() - 1);
}

uint32_t TextStore::addPath(std::string_view path) {
  if (path.empty()) return store(path, 0);
  const size_t levels = sharedLevels(path);
  const uint32_t id = store(path, levels);
  chain_.resize(levels);
  if (chain_.empty() || chain_.back().id != id) {
    chain_.push_back({id, path.size()});
    chainText_.assign(path);
  } else {
    chainText_.resize(path.size());
  }
  return id;
}

uint32_t TextStore::addText(std::string_view text) {
  return store(text, sharedLevels(text));
}

std::string TextStore::get(uint32_t id) const {
  std::vector<const Entry *> parts;
  size_t length = 0;
  for (uint32_t at = id; at != kNone; at = entries_[at].base) {
    parts.push_back(&entries_[at]);
    length += entries_[at].length;
  }
  std::string text;
  text.reserve(length);
  for (auto part = parts.rbegin(); part != parts.rend(); ++part)
    text.append((*part)->data, (*part)->length);
  return text;
}

void TextStore::clear() {
  arena_.clear();
  entries_.clear();
  chain_.clear();
  chainText_.clear();
}

size_t TextStore::bytes() const { return arena_.bytes() + entries_.bytes(); }
