// Named display characters, drawn by index: the drawers' tree lines and the
// scroll bars' arrows and troughs. Entries 0-3 and 35 are plain; 4-34 are 0
// here, and each display draws them with line graphics or plain look-alikes
// of its own (DisplayLook).
#ifndef VOK_TERM_GLYPHS_H
#define VOK_TERM_GLYPHS_H

#include <curses.h>

enum GraphicChar {
  GLt,
  GGt,
  GAmp,
  GQuot,
  GBoxUR,
  GBoxDR,
  GBoxDL,
  GBoxUL,
  GBoxVL,
  GBoxVR,
  GBoxHU,
  GBoxHD,
  GBoxH,
  GBoxV,
  GRArr,
  GLArr,
  GDArr,
  GUArr,
  GDegree,
  GPlMinus,
  GLEqual,
  GGEqual,
  GNEqual,
  GBullet,
  GDiamond,
  GCkBoard,
  GBoard,
  GLantern,
  GBlock,
  GPi,
  GSterling,
  GS1,
  GS9,
  GS3,
  GS7,
  GSpace,
  GraphicCharCount
};

struct GraphicCharEntry {
  const char *name;
  chtype glyph;
};
extern const GraphicCharEntry GraphicCharTable[GraphicCharCount];

#endif
