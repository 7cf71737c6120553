// Painting the window: the rows in view from the laid-out pad, the
// highlighted link in its highlighted colours.
#include <algorithm>

#include "hyper/hyper_window.h"
#include "term/draw.h"
#include "term/glyphs.h"

namespace {

// The highlight's attribute for a cell's: link colours become their
// highlighted forms; other cells keep the last one given.
int highlightSlot(int slot, int &last) {
  switch (slot) {
    case kAttrDir:
      last = kAttrHighlightDir;
      break;
    case kAttrBoldLink:
      last = kAttrHighlightBoldLink;
      break;
    case kAttrSymLink:
      last = kAttrHighlightSymLink;
      break;
    default:
      break;
  }
  return last;
}

// The slot of a cell: its own, or the highlight's when the highlight
// covers it.
int slotAt(const HyperPad::Cell &cell, const HyperWindow::HighlightRow *bright) {
  if (!bright) return cell.attr;
  const long at = cell.column - bright->from;
  if (at < 0 || at >= static_cast<long>(bright->slots.size())) return cell.attr;
  return bright->slots[static_cast<size_t>(at)];
}

}  // namespace

// The highlighted link's cells in reading order, each with its highlighted
// attribute, row by row.
std::vector<HyperWindow::HighlightRow> HyperWindow::highlightRows() const {
  std::vector<HighlightRow> result;
  if (highlighted < 0) return result;
  const LinkCells &l = document->cells(static_cast<size_t>(highlighted));
  int last = kAttrHighlightDir;
  for (long row = l.startRow; row <= l.endRow; ++row) {
    HighlightRow line{row, row == l.startRow ? l.startCol : 0, {}};
    const int end = row == l.endRow ? l.endCol : document->rowLength(row) - 1;
    document->forCells(row, line.from, [&](const HyperPad::Cell &cell) {
      if (cell.column > end) return false;
      // A slot a column: a wide character has two.
      line.slots.insert(line.slots.end(), static_cast<size_t>(cell.width),
                        static_cast<uint8_t>(highlightSlot(cell.attr, last)));
      return true;
    });
    result.push_back(std::move(line));
  }
  return result;
}

void HyperWindow::paintRow(int r, const std::vector<HighlightRow> &lit,
                           std::vector<chtype> &line) {
  const long row = view.top + r;
  const int left = view.left, cols = rect.width;
  std::fill(line.begin(), line.end(), ' ' | attrOf(kAttrNormal));
  const HighlightRow *bright = nullptr;
  for (const HighlightRow &h : lit)
    if (h.row == row) bright = &h;
  document->forCells(row, left, [&](const HyperPad::Cell &cell) {
    if (cell.column >= left + cols) return false;
    const chtype shown =
        cell.glyph ? glyph(cell.byte) : printableByte(cell.byte);
    line[static_cast<size_t>(cell.column - left)] = shown | attrOf(slotAt(cell, bright));
    return true;
  });
  mvwaddchnstr(win, r, 0, line.data(), cols);
}

// Names read as UTF-8 need the wide-character calls, which cost more: the
// byte path stays for everything else.
void HyperWindow::paint() {
  if (!win || !laidOut_) return;
  const std::vector<HighlightRow> lit = highlightRows();
  std::vector<chtype> line(static_cast<size_t>(rect.width));
  for (int r = 0; r < rect.height; ++r) {
    if (document->utf8)
      paintWideRow(r, lit);
    else
      paintRow(r, lit, line);
  }
}

void HyperWindow::paintWideRow(int r, const std::vector<HighlightRow> &lit) {
  const long row = view.top + r;
  const int left = view.left, cols = rect.width;
  wmove(win, r, 0);
  wattrset(win, attrOf(kAttrNormal));
  wclrtoeol(win);
  const HighlightRow *bright = nullptr;
  for (const HighlightRow &h : lit)
    if (h.row == row) bright = &h;
  document->forCells(row, left, [&](const HyperPad::Cell &cell) {
    const int x = cell.column - left;
    if (x >= cols) return false;
    const attr_t attr = attrOf(slotAt(cell, bright));
    if (cell.glyph) {
      mvwaddch(win, r, x, glyph(cell.byte) | attr);
    } else if (cell.text.empty()) {
      mvwaddch(win, r, x, printableByte(cell.byte) | attr);
    } else if (x + cell.width > cols) {
      // Half of a wide character would show at the right edge: a blank.
      mvwaddch(win, r, x, ' ' | attr);
    } else {
      wmove(win, r, x);
      drawCharacter(win, cell.text, attr);
    }
    return true;
  });
}
