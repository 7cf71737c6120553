// The laid-out rows of a document: what a curses pad would hold, kept
// compactly so that a tree of a million directories fits, and drawn a
// window at a time.
//
// Each row is a byte string in the arena. A byte other than 0 is one cell
// showing that byte (the document never stores NUL, which it ignores when
// drawing). 0 starts an instruction of two more bytes: 1 s sets the
// attribute slot of the cells that follow, 2 g is one cell showing glyph g
// of the character table, 3 n is n space cells; 4 n w is followed by the n
// bytes of one UTF-8 character w cells wide (only names read as UTF-8 have
// them, so other rows take no more room). Every row starts in slot 0, so
// any row can be read without those before it. Cells beyond kMaxColumns
// are dropped: row lengths are 16-bit, as curses pads are.
#ifndef VOK_HYPER_PAD_H
#define VOK_HYPER_PAD_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hyper/text_store.h"

class HyperPad {
 public:
  static constexpr int kMaxColumns = 32767;

  // Room for `rows` rows; rows beyond them are kept too. A pad that keeps
  // no rows takes a drawing pass that only the document's records need.
  explicit HyperPad(int rows, bool keepRows = true);
  HyperPad(const HyperPad &) = delete;
  HyperPad &operator=(const HyperPad &) = delete;

  // Like wattrset: the slot of the following cells.
  void setAttr(int slot) { attr_ = slot; }
  int attr() const { return attr_; }
  void addByte(unsigned char byte) {
    const char c = static_cast<char>(byte);
    addBytes(std::string_view(&c, 1));
  }
  // Cells for the bytes, none of them NUL.
  void addBytes(std::string_view bytes);
  // One character of several bytes (at most 255) and `width` cells.
  void addChar(std::string_view bytes, int width);
  void addSpaces(long n);
  void addGlyph(int index);
  // Ends the current row; the next cell starts a new one at column 0.
  void newLine();
  // Ends the drawing: the last row is stored.
  void finish();

  int rowCount() const { return static_cast<int>(data_.size()); }
  // Whether the pad keeps nothing drawn on it.
  bool discards() const { return discard_; }

  struct Cell {
    int column;
    unsigned char byte;  // the byte, or the glyph's index
    bool glyph;
    int attr;
    int width;              // cells taken: 2 for a wide character
    std::string_view text;  // the bytes of a character of several; else empty
  };
  // Calls visit(const Cell &) for the cells of a row from column `from` on,
  // in order, until it returns false. Rows past the end have no cells.
  template <class Visit>
  void forCells(int row, int from, Visit visit) const;

  size_t bytes() const;  // memory held, for the figures

 private:
  void flushSpaces();
  // The room left before the cut, after counting n more cells.
  long take(long n);
  void syncAttr();
  void put(unsigned char op, unsigned char value);
  void storeRow();

  ByteArena arena_;
  std::vector<const char *> data_;
  std::vector<uint32_t> size_;
  std::string row_;  // the row being drawn
  int column_ = 0;
  int spaces_ = 0;  // space cells of row_ not yet stored
  int attr_ = 0;
  int rowAttr_ = 0;    // the slot in force at the end of row_
  bool open_ = false;  // a row has been started and not stored
  bool discard_ = false;
};

template <class Visit>
void HyperPad::forCells(int row, int from, Visit visit) const {
  if (row < 0 || static_cast<size_t>(row) >= data_.size()) return;
  const unsigned char *at = reinterpret_cast<const unsigned char *>(data_[row]);
  const unsigned char *end = at + size_[row];
  Cell cell{0, 0, false, 0, 1, {}};
  while (at < end) {
    if (*at != 0) {
      cell.byte = *at++;
      cell.glyph = false;
      if (cell.column >= from && !visit(static_cast<const Cell &>(cell))) return;
      ++cell.column;
      continue;
    }
    const unsigned char op = at[1], value = at[2];
    at += 3;
    if (op == 1) {
      cell.attr = value;
    } else if (op == 2) {
      cell.byte = value;
      cell.glyph = true;
      if (cell.column >= from && !visit(static_cast<const Cell &>(cell))) return;
      ++cell.column;
    } else if (op == 4) {
      // A character of several bytes; one whose first cell lies left of
      // `from` is not visited, so its second cell stays blank.
      cell.width = *at++;
      cell.text = std::string_view(reinterpret_cast<const char *>(at), value);
      cell.byte = at[0];
      cell.glyph = false;
      at += value;
      if (cell.column >= from && !visit(static_cast<const Cell &>(cell))) return;
      cell.column += cell.width;
      cell.width = 1;
      cell.text = {};
    } else {
      cell.byte = ' ';
      cell.glyph = false;
      for (int i = 0; i < value; ++i, ++cell.column) {
        if (cell.column >= from && !visit(static_cast<const Cell &>(cell))) return;
      }
    }
  }
}

#endif
