// Names as UTF-8, when the Utf8Names setting turns it on in a UTF-8 locale:
// a valid sequence of a printable character is one character of its
// display width (two cells for wide characters, with the combining marks
// after it joined to it); a control (C0, DEL, the C1 range U+0080-U+009F),
// an invalid or overlong sequence and a lone continuation byte show as "?"
// a byte, as every byte of 0x80 and above does when names are not UTF-8.
#ifndef VOK_BASE_UTF8_H
#define VOK_BASE_UTF8_H

#include <cstddef>
#include <string>
#include <string_view>

// Takes the character type from the environment (LC_CTYPE alone: messages
// and times stay as they are) and keeps it when it is UTF-8; otherwise
// goes back to "C". Returns whether names are now UTF-8.
bool enableUtf8Names();
// Whether names are read as UTF-8: the locale's character type is multibyte,
// which only enableUtf8Names makes it.
bool utf8Names();

// One character as a terminal shows it, at a place in a text.
struct ShownChar {
  size_t length;  // bytes, the joined combining marks included
  int width;      // cells
  bool valid;     // false: a single byte, shown as "?"
};

// Most names are ASCII: a byte below 0x80 that no mark can follow is one
// cell by itself (a "?" when it is a control), whatever the character set.
inline bool plainCellAt(std::string_view text, size_t at) {
  return static_cast<unsigned char>(text[at]) < 0x80 &&
         (at + 1 == text.size() || static_cast<unsigned char>(text[at + 1]) < 0x80);
}

// The character at text[at] (at < size); with utf8 clear, always one byte.
ShownChar shownCharAt(std::string_view text, size_t at, bool utf8);
// The cells the text takes.
size_t shownWidth(std::string_view text, bool utf8);
// The text with every byte that is not part of a printable character
// replaced by "?", so that a terminal shows it cell for cell.
std::string shownBytes(std::string_view text, bool utf8);
// The start of the text's last part that fits in `cells` cells, on a
// character boundary.
size_t tailStart(std::string_view text, size_t cells, bool utf8);
// The end of the text's first part that fits in `cells` cells.
size_t headEnd(std::string_view text, size_t cells, bool utf8);

#endif
