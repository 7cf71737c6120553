// Text drawing for the one-line windows: control and other unprintable
// bytes show as "?", and texts too long for their line end in "...". Names
// read as UTF-8 are drawn by characters and measured in cells.
#ifndef VOK_TERM_DRAW_H
#define VOK_TERM_DRAW_H

#include <curses.h>

#include <string_view>

// The byte itself when it is printable or a space, else "?". A byte from
// 0x80 up is no character alone, in the "C" character type or in UTF-8, so
// it is unprintable here.
chtype printableByte(unsigned char byte);

// Texts are drawn byte by byte, or with `utf8` by characters (names read
// as UTF-8), as the display says.
// Both draw at most n cells and return the number of bytes they took.
int drawPrintable(WINDOW *w, const char *s, bool utf8);
int drawPrintableN(WINDOW *w, const char *s, int n, bool utf8);

// From column 2 of line 0; nothing when width <= minWidth. A text longer
// than width - 2 bytes is cut so that it and the ellipsis fill them.
void drawTruncated(WINDOW *w, int width, int minWidth, const char *s, bool utf8);

// As drawTruncated, but a long text keeps its end after the ellipsis: a
// long path reads by its last components.
void drawTruncatedStart(WINDOW *w, int width, int minWidth, const char *s, bool utf8);

// One character of several bytes (and the marks joined to it), names being
// read as UTF-8; "?" when the bytes are none.
void drawCharacter(WINDOW *w, std::string_view bytes, attr_t attr);

// Line 0 of w in attribute attr, width spaces; leaves attr set.
void fillLine(WINDOW *w, int width, attr_t attr);

#endif
