// Laid-out rows as text for tests: one string per row, glyph cells shown by
// a letter of their own, and the attribute of each cell as a letter.
#ifndef VOK_TESTS_HYPER_PAD_TEXT_H
#define VOK_TESTS_HYPER_PAD_TEXT_H

#include <string>
#include <vector>

#include "config/profile.h"
#include "hyper/pad.h"
#include "term/glyphs.h"

// Glyphs as the plain characters of the GraphicChar-off table, except the
// ones the tree uses, which get letters that nothing else draws: boxh 'H',
// boxhd 'T', boxvr 'E', boxur 'L', boxv 'V', rarr 'R'.
inline char glyphLetter(int index) {
  switch (index) {
    case GBoxH:
      return 'H';
    case GBoxHD:
      return 'T';
    case GBoxVR:
      return 'E';
    case GBoxUR:
      return 'L';
    case GBoxV:
      return 'V';
    case GRArr:
      return 'R';
    default:
      return '#';
  }
}

// Attribute slots: n normal, d directory link, s symbolic-link link,
// i italic, anything else '?'.
inline char slotLetter(int slot) {
  switch (slot) {
    case kAttrNormal:
      return 'n';
    case kAttrDir:
      return 'd';
    case kAttrSymLink:
      return 's';
    case kAttrItalic:
      return 'i';
    default:
      return '?';
  }
}

inline std::vector<std::string> padRows(const HyperPad &pad, bool attrs = false) {
  std::vector<std::string> rows;
  for (int r = 0; r < pad.rowCount(); ++r) {
    std::string row;
    pad.forCells(r, 0, [&](const HyperPad::Cell &cell) {
      if (static_cast<int>(row.size()) < cell.column) row.resize(cell.column, '_');
      row += attrs        ? slotLetter(cell.attr)
             : cell.glyph ? glyphLetter(cell.byte)
                          : static_cast<char>(cell.byte);
      return true;
    });
    rows.push_back(row);
  }
  return rows;
}

#endif
