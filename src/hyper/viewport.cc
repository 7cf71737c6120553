#include "hyper/viewport.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// The horizontal part of showing a new current link.
void horizontalRule(Viewport &v, const LinkCells &l) {
  const int w = span(l);
  const bool narrower = w + 1 < v.cols;
  int shift = 0;
  if (v.cursorCol >= 0 && v.cursorCol + w >= v.cols)
    shift = narrower ? v.cursorCol + w - v.cols + 1 : v.cursorCol;
  else if (v.cursorCol < 0 && narrower)
    shift = v.cursorCol;
  else if (v.cursorCol < 0 && v.cursorCol + w < v.cols - 1)
    // A wide link that ends inside the window shows its end in the last
    // column, as a narrower one would.
    shift = v.cursorCol + w - (v.cols - 1);
  v.left += shift;
  v.cursorCol -= shift;
}

// After a page movement: the current link shown with the least scrolling.
void madeVisible(Viewport &v, const LinkCells &l, bool afterPageDown) {
  if (l.endRow - v.top >= v.rows) v.top = l.endRow - v.rows + 1;
  if (l.startRow < v.top) v.top = l.startRow;
  if (afterPageDown && v.top > v.maxTop()) v.top = v.maxTop();
  v.cursorRow = l.startRow - v.top;
  v.cursorCol = l.startCol - v.left;
  const int w = span(l);
  int shift = 0;
  if (v.cursorCol < 0)
    shift = v.cursorCol;
  else if (v.cursorCol + w >= v.cols)
    shift = w + 1 < v.cols ? v.cursorCol + w - v.cols + 1 : v.cursorCol;
  v.left += shift;
  v.cursorCol -= shift;
}

// How much of b lies under or over a, in columns; 0 when nothing does.
long overlap(const LinkCells &a, const LinkCells &b, int cols) {
  const bool oneA = a.startRow == a.endRow, oneB = b.startRow == b.endRow;
  if (oneA == oneB) {
    const long common = std::min(a.endCol, b.endCol) - std::max(a.startCol, b.startCol);
    return std::max(0L, oneA ? common + 1 : common + cols + 2);
  }
  const LinkCells &single = oneA ? a : b, &multi = oneA ? b : a;
  if (single.startCol <= multi.endCol) return multi.endCol - single.startCol + 1;
  if (multi.startCol <= single.endCol) return single.endCol - multi.startCol + 1;
  return 0;
}

}  // namespace

bool beforeStart(const LinkCells &l, long row, long col) {
  return row < l.startRow || (row == l.startRow && col < l.startCol);
}
bool afterEnd(const LinkCells &l, long row, long col) {
  return row > l.endRow || (row == l.endRow && col > l.endCol);
}
bool inside(const LinkCells &l, long row, long col) {
  return !beforeStart(l, row, col) && !afterEnd(l, row, col);
}
int span(const LinkCells &l) { return l.endCol - l.startCol; }

void showCentred(Viewport &v, const HyperDocument &doc) {
  const LinkCells &l = doc.cells(v.current);
  v.top = std::clamp((l.startRow + l.endRow) / 2 - (v.rows - 1) / 2, 0, v.maxTop());
  v.left = std::clamp((l.startCol + l.endCol) / 2 - (v.cols - 1) / 2, 0, v.maxLeft());
  if (span(l) + 1 >= v.cols) v.left = l.startCol;
  v.cursorRow = l.startRow - v.top;
  v.cursorCol = l.startCol - v.left;
}

void moveTo(Viewport &v, const HyperDocument &doc, size_t link, bool forward) {
  const LinkCells &from = doc.cells(v.current), &to = doc.cells(link);
  v.cursorRow += to.startRow - from.startRow;
  v.cursorCol += to.startCol - from.startCol;
  v.current = link;
  if (!forward && v.cursorRow < 0) {
    v.top += v.cursorRow;
    v.cursorRow = 0;
  }
  const int end = v.cursorRow + to.endRow - to.startRow;
  if (forward && end >= v.rows) {
    v.top += end - (v.rows - 1);
    v.cursorRow -= end - (v.rows - 1);
  }
  horizontalRule(v, to);
}

long verticalTarget(const Viewport &v, const HyperDocument &doc, bool downward) {
  const long count = static_cast<long>(doc.linkCount());
  const long step = downward ? 1 : -1;
  const LinkCells &from = doc.cells(v.current);
  long i = static_cast<long>(v.current) + step;
  while (i >= 0 && i < count &&
         doc.cells(static_cast<size_t>(i)).startRow == from.startRow)
    i += step;
  long best = -1, bestOverlap = 0, bestDistance = LONG_MAX;
  int bestRow = -1;
  for (; i >= 0 && i < count; i += step) {
    const LinkCells &c = doc.cells(static_cast<size_t>(i));
    const long o = overlap(from, c, v.cols);
    if (o > 0) {
      if (bestRow < 0) {
        best = i, bestOverlap = o, bestRow = c.startRow;
      } else if (c.startRow == bestRow) {
        if (o > bestOverlap) best = i, bestOverlap = o;
      } else if (o > bestOverlap) {
        break;
      }
    } else if (bestRow >= 0) {
      break;
    } else {
      const long distance = std::min(std::labs(from.startCol - c.endCol),
                                     std::labs(from.endCol - c.startCol));
      if (distance < bestDistance) best = i, bestDistance = distance;
    }
  }
  return best;
}

bool stepPageDown(Viewport &v, const HyperDocument &doc, long lines) {
  const size_t last = doc.linkCount() - 1;
  if (v.current == last) return false;
  const long wanted = doc.cells(v.current).startRow + lines;
  size_t i = v.current + 1;
  while (i < last && doc.cells(i).startRow < wanted) ++i;
  if (i < last) {
    v.top = static_cast<int>(std::min<long>(v.top + lines, v.maxTop()));
  } else {
    i = last;
    v.top = v.maxTop();
  }
  v.current = i;
  madeVisible(v, doc.cells(i), true);
  return true;
}

bool stepPageUp(Viewport &v, const HyperDocument &doc, long lines) {
  if (v.current == 0) return false;
  const long wanted = doc.cells(v.current).startRow - lines;
  size_t i = v.current - 1;
  while (i > 0 && doc.cells(i).startRow > wanted) --i;
  // The row's first link, as page down lands on: its last may lie far to
  // the right and pan the view away from the rest.
  while (i > 0 && doc.cells(i - 1).startRow == doc.cells(i).startRow) --i;
  if (i > 0)
    v.top = v.top - lines < 1 ? 0 : static_cast<int>(v.top - lines);
  else
    v.top = 0;
  v.current = i;
  madeVisible(v, doc.cells(i), false);
  return true;
}

void firstLink(Viewport &v, const HyperDocument &doc) {
  if (v.current == 0) return;
  v.current = 0;
  v.top = v.left = 0;
  v.cursorRow = doc.cells(0).startRow;
  v.cursorCol = doc.cells(0).startCol;
  horizontalRule(v, doc.cells(0));
}

void lastLink(Viewport &v, const HyperDocument &doc) {
  const size_t last = doc.linkCount() - 1;
  if (v.current == last) return;
  v.current = last;
  v.top = v.maxTop();
  v.left = 0;
  const LinkCells &l = doc.cells(last);
  v.cursorRow = l.startRow - v.top;
  v.cursorCol = l.startCol;
  if (v.cursorRow < 0) {
    v.top += v.cursorRow;
    v.cursorRow = 0;
  }
  horizontalRule(v, l);
}

void lineEdge(Viewport &v, const HyperDocument &doc, bool end) {
  const int row = doc.cells(v.current).startRow;
  size_t i = v.current;
  if (end) {
    while (i + 1 < doc.linkCount() && doc.cells(i + 1).startRow == row) ++i;
  } else {
    while (i > 0 && doc.cells(i - 1).startRow == row) --i;
  }
  moveTo(v, doc, i, end);
}

bool pan(Viewport &v, const HyperDocument &doc, bool rightward) {
  const LinkCells &l = doc.cells(v.current);
  const int w = span(l);
  const bool oneRow = l.startRow == l.endRow, narrower = w + 1 < v.cols;
  const bool roomRight = v.left + v.cols < std::max(v.docCols, v.cols);
  bool can;
  if (rightward)
    can = !oneRow    ? roomRight
          : narrower ? v.cursorCol > 0 && roomRight
                     : v.cursorCol + w > v.cols - 1;
  else
    can = !oneRow    ? v.left > 0
          : narrower ? v.left > 0 && v.cursorCol + w != v.cols - 1
                     : v.cursorCol < 0;
  if (!can) return false;
  v.left += rightward ? 1 : -1;
  v.cursorCol += rightward ? -1 : 1;
  return true;
}

void centre(Viewport &v, const HyperDocument &doc) {
  const LinkCells &l = doc.cells(v.current);
  if (!inside(l, v.top + v.cursorRow, v.left + v.cursorCol)) return;
  const int row = v.top + v.cursorRow;
  v.top = std::clamp((l.startRow + l.endRow) / 2 - (v.rows - 1) / 2, 0, v.maxTop());
  v.cursorRow = row - v.top;
}

void scrollForward(Viewport &v, const HyperDocument &doc, long lines) {
  long newTop = v.top + lines;
  const LinkCells &l = doc.cells(v.current);
  if (l.startRow < newTop) {
    size_t i = v.current + 1;
    while (i < doc.linkCount() && doc.cells(i).startRow < newTop) ++i;
    if (i < doc.linkCount()) {
      moveTo(v, doc, i, true);
      const LinkCells &to = doc.cells(i);
      if (to.endRow >= newTop + v.rows) newTop = to.endRow - v.rows + 1;
    } else {
      newTop = l.startRow;
    }
  }
  v.top = static_cast<int>(newTop);
  v.cursorRow = doc.cells(v.current).startRow - v.top;
}

// The mirror image of scrollForward; the view never goes above the document.
void scrollBack(Viewport &v, const HyperDocument &doc, long lines) {
  long newTop = std::max(0L, v.top - lines);
  const LinkCells &l = doc.cells(v.current);
  if (l.endRow >= newTop + v.rows) {
    long i = static_cast<long>(v.current) - 1;
    while (i >= 0 && doc.cells(static_cast<size_t>(i)).endRow >= newTop + v.rows) --i;
    if (i >= 0) {
      moveTo(v, doc, static_cast<size_t>(i), false);
      newTop = std::min<long>(newTop, doc.cells(static_cast<size_t>(i)).startRow);
    } else {
      newTop = l.endRow - v.rows + 1;
    }
  }
  v.top = static_cast<int>(newTop);
  v.cursorRow = doc.cells(v.current).startRow - v.top;
}

void wheel(Viewport &v, const HyperDocument &doc, long lines, bool down) {
  lines = std::min<long>(lines, down ? v.maxTop() - v.top : v.top);
  if (lines <= 0) return;
  if (down)
    scrollForward(v, doc, lines);
  else
    scrollBack(v, doc, lines);
}

void showMatch(Viewport &v, const HyperDocument &doc, size_t link) {
  const LinkCells &l = doc.cells(link);
  if (l.startRow < v.top || l.endRow >= v.top + v.rows)
    v.top = (l.startRow + l.endRow) / 2 - (v.rows - 1) / 2;
  v.top = std::clamp(v.top, 0, v.maxTop());
  v.cursorRow = l.startRow - v.top;
  v.cursorCol = l.startCol - v.left;
  v.current = link;
  horizontalRule(v, l);
}
