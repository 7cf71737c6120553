// Where the window looks into the document and where its highlight is:
// the movement rules of the hypertext window as arithmetic over the links'
// cells, without curses. Each movement changes the viewport and says
// whether anything moved; the window then paints what the viewport shows.
#ifndef VOK_HYPER_VIEWPORT_H
#define VOK_HYPER_VIEWPORT_H

#include <cstddef>

#include "hyper/document.h"

struct Viewport {
  int rows = 0, cols = 0;            // the window's size
  int docRows = 0, docCols = 0;      // the document's
  int top = 0, left = 0;             // the document cell at the window's corner
  int cursorRow = 0, cursorCol = 0;  // the highlight, from that corner
  size_t current = 0;                // the current link

  int maxTop() const { return (docRows > rows ? docRows : rows) - rows; }
  int maxLeft() const { return (docCols > cols ? docCols : cols) - cols; }
};

// Reading-order comparisons of a document position with a link's cells.
bool beforeStart(const LinkCells &l, long row, long col);
bool afterEnd(const LinkCells &l, long row, long col);
bool inside(const LinkCells &l, long row, long col);
// The link's width as the movement rules measure it: its last column less
// its first.
int span(const LinkCells &l);

// The current link in the middle of the window.
void showCentred(Viewport &v, const HyperDocument &doc);
// The highlight moves from the current link to `link`: down (or forward)
// scrolls to show its end, up (or back) its start.
void moveTo(Viewport &v, const HyperDocument &doc, size_t link, bool forward);
// The link that continues the current one's column on the next row with
// links above or below (the one that overlaps it most), or -1.
long verticalTarget(const Viewport &v, const HyperDocument &doc, bool downward);
// The page movements by `lines` rows; false at the first or last link.
bool stepPageDown(Viewport &v, const HyperDocument &doc, long lines);
bool stepPageUp(Viewport &v, const HyperDocument &doc, long lines);
void firstLink(Viewport &v, const HyperDocument &doc);
void lastLink(Viewport &v, const HyperDocument &doc);
// The first or last link starting on the current link's row.
void lineEdge(Viewport &v, const HyperDocument &doc, bool end);
// One column sideways, where the rule allows; false otherwise.
bool pan(Viewport &v, const HyperDocument &doc, bool rightward);
// The current link's rows in the middle, when the highlight lies in it.
void centre(Viewport &v, const HyperDocument &doc);
// vi ^E and ^Y: the view moves by `lines` while the highlight keeps its
// row, moving to the first link that stays in view when it would leave.
void scrollForward(Viewport &v, const HyperDocument &doc, long lines);
void scrollBack(Viewport &v, const HyperDocument &doc, long lines);
// The mouse wheel: scrollForward or scrollBack, but never past where page
// down and End stop (the last row at the window's foot) nor above the
// top; nothing moves when the document fits the window.
void wheel(Viewport &v, const HyperDocument &doc, long lines, bool down);
// A search match becomes current, centred when it is out of view.
void showMatch(Viewport &v, const HyperDocument &doc, size_t link);

#endif
