#include "base/utf8.h"

#include <langinfo.h>

#include <atomic>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

// A byte that may be shown as itself when names are not UTF-8.
bool printableAscii(unsigned char byte) { return byte >= 0x20 && byte < 0x7f; }

// The code point of a valid UTF-8 sequence at text[at] and its length, or
// length 0. Overlong forms, surrogates and values beyond U+10FFFF are
// invalid.
[[gnu::always_inline]] inline size_t decode(std::string_view text, size_t at, char32_t &point) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  size_t length;
  char32_t minimum;
  if (lead < 0x80) {
    point = lead;
    return 1;
  } else if ((lead & 0xe0) == 0xc0) {
    length = 2, minimum = 0x80, point = lead & 0x1f;
  } else if ((lead & 0xf0) == 0xe0) {
    length = 3, minimum = 0x800, point = lead & 0x0f;
  } else if ((lead & 0xf8) == 0xf0) {
    length = 4, minimum = 0x10000, point = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    const unsigned char next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xc0) != 0x80) return 0;
    point = (point << 6) | (next & 0x3f);
  }
  if (point < minimum || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff))
    return 0;
  return length;
}

// The display width of a printable character, or -1 for a control or a
// character the terminal cannot show. wcwidth goes through the locale's
// tables every time and names repeat their characters, so widths are kept
// once looked up (the character type is set once, before any name is
// shown); the table's pages are only made where characters are used.
[[gnu::always_inline]] inline int widthOf(char32_t point) {
  if (point < 0x20 || (point >= 0x7f && point < 0xa0)) return -1;
  if (point < 0x7f) return 1;
  static std::atomic<signed char> known[0x110000];  // width + 2; 0: not yet
  signed char width = known[point].load(std::memory_order_relaxed);
  if (width == 0) {
    width = static_cast<signed char>(wcwidth(static_cast<wchar_t>(point)) + 2);
    known[point].store(width, std::memory_order_relaxed);
  }
  return width - 2;
}

}  // namespace

bool enableUtf8Names() {
  setlocale(LC_CTYPE, "");
  if (strcmp(nl_langinfo(CODESET), "UTF-8") == 0) return true;
  setlocale(LC_CTYPE, "C");
  return false;
}

bool utf8Names() { return MB_CUR_MAX > 1; }

ShownChar shownCharAt(std::string_view text, size_t at, bool utf8) {
  const unsigned char byte = static_cast<unsigned char>(text[at]);
  if (!utf8) return {1, 1, printableAscii(byte)};
  if (plainCellAt(text, at)) return {1, 1, printableAscii(byte)};
  char32_t point;
  size_t length = decode(text, at, point);
  const int width = length > 0 ? widthOf(point) : -1;
  // A mark that joins nothing before it cannot be shown on its own.
  if (width <= 0) return {1, 1, false};
  // Combining marks (width 0) join the character before them.
  for (size_t next; at + length < text.size(); length += next) {
    next = decode(text, at + length, point);
    if (next == 0 || point < 0x80 || widthOf(point) != 0) break;
  }
  return {length, width, true};
}

size_t shownWidth(std::string_view text, bool utf8) {
  if (!utf8) return text.size();
  // Most names are ASCII: one pass that the compiler can widen tells.
  unsigned char bits = 0;
  for (char c : text) bits |= static_cast<unsigned char>(c);
  if (bits < 0x80) return text.size();
  // shownCharAt's rules in one pass that decodes each character once: a
  // printable character takes its width and the marks after it none; a
  // byte that starts no printable character, or a mark with nothing to
  // join, takes one cell.
  size_t cells = 0;
  bool joins = false;  // a mark here joins the character before it
  for (size_t at = 0; at < text.size();) {
    char32_t point = static_cast<unsigned char>(text[at]);
    const size_t length = point < 0x80 ? 1 : decode(text, at, point);
    const int width = length > 0 ? widthOf(point) : -1;
    if (width > 0) {
      cells += static_cast<size_t>(width);
      at += length;
      joins = true;
    } else if (width == 0 && joins && point >= 0x80) {
      at += length;
    } else {
      ++cells, ++at;
      joins = false;
    }
  }
  return cells;
}

std::string shownBytes(std::string_view text, bool utf8) {
  std::string shown;
  shown.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const ShownChar c = shownCharAt(text, at, utf8);
    if (c.valid)
      shown.append(text.substr(at, c.length));
    else
      shown += '?';
    at += c.length;
  }
  return shown;
}

size_t tailStart(std::string_view text, size_t cells, bool utf8) {
  if (!utf8) return text.size() > cells ? text.size() - cells : 0;
  size_t total = shownWidth(text, true), at = 0;
  while (at < text.size() && total > cells) {
    const ShownChar c = shownCharAt(text, at, true);
    total -= static_cast<size_t>(c.width);
    at += c.length;
  }
  return at;
}

size_t headEnd(std::string_view text, size_t cells, bool utf8) {
  if (!utf8) return text.size() < cells ? text.size() : cells;
  size_t used = 0, at = 0;
  while (at < text.size()) {
    const ShownChar c = shownCharAt(text, at, true);
    if (used + static_cast<size_t>(c.width) > cells) break;
    used += static_cast<size_t>(c.width);
    at += c.length;
  }
  return at;
}
