#include "hyper/hyper_window.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "base/errors.h"
#include "base/message.h"
#include "config/reader.h"
#include "term/draw.h"
#include "term/glyphs.h"

namespace {

constexpr int kCtrlB = 2, kCtrlC = 3, kCtrlD = 4, kCtrlE = 5, kCtrlF = 6, kCtrlN = 14,
              kCtrlP = 16, kCtrlU = 21, kCtrlV = 22, kCtrlY = 25, kCtrlA = 1,
              kEscape = 27;

attr_t attrOf(int slot) { return displayAttributes.slot[slot]; }

// Reading-order comparisons of a document position with a link's cells.
bool beforeStart(const LinkCells &l, long row, long col) {
  return row < l.startRow || (row == l.startRow && col < l.startCol);
}
bool afterEnd(const LinkCells &l, long row, long col) {
  return row > l.endRow || (row == l.endRow && col > l.endCol);
}
bool inside(const LinkCells &l, long row, long col) {
  return !beforeStart(l, row, col) && !afterEnd(l, row, col);
}

// The link's width as the movement rules measure it: its last column less
// its first.
int span(const LinkCells &l) { return l.endCol - l.startCol; }

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

}  // namespace

HyperWindow::HyperWindow(NCScreenManager &manager, int id, HyperDocument &document,
                         StatusWindowBase &titleLine, StatusWindowBase &statusLine,
                         ScrollBarBase &hbar, ScrollBarBase &vbar,
                         const std::string &anchorName, int knownRows, int knownCols)
    : NCWindowBase(manager, id),
      marker(manager),
      document(&document),
      titleLine(&titleLine),
      statusLine(&statusLine),
      hbar(&hbar),
      vbar(&vbar),
      followResult{"", "", -1, -1, -1, -1, NoLink},
      anchorName(anchorName) {
  computeGeometry();
  if (knownRows > 0 && knownCols > 0)
    document.restoreSize(knownRows, knownCols, LINES - 2, COLS - 2);
  else
    document.render(nullptr, LINES - 2, COLS - 2);
  HyperWindow::create();
  document.render(pad_.get(), LINES - 2, COLS - 2);
  titleLine.setText(document.title);
  jumpToAnchor(true);
}

// ---- layout ----

void HyperWindow::create() {
  computeAndRegister();
  releaseWindow();
  pad_.reset();
  const int needV = document->rows > LINES - 2 ? 1 : 0;
  const int needH = document->cols > COLS - needV ? 1 : 0;
  // May lay every window out again, this one included (which, without its
  // rows, only takes its new rectangle).
  manager->setLayoutMode(needH + 2 * needV);
  hbar->setTotal(std::max(document->cols, cols()));
  hbar->setVisible(cols());
  vbar->setTotal(std::max(document->rows, rows()));
  vbar->setVisible(rows());
  padWidth = document->cols;
  pad_ = std::make_unique<HyperPad>(document->rows);
  if (!shown()) return;
  makeWindow();
  if (getmaxy(win) != rect.height || getmaxx(win) != rect.width) throw ErrorBadNCurses();
  prepareWindow(win);
  wbkgdset(win, ' ' | attrOf(kAttrNormal));
  wattrset(win, attrOf(kAttrNormal));
}

void HyperWindow::resize() {
  computeGeometry();
  if (!pad_) return;
  const size_t index = current;
  chosenLink.reset();
  highlighted = -1;
  document->render(nullptr, LINES - 2, COLS - 2);
  create();
  document->render(pad_.get(), LINES - 2, COLS - 2);
  if (document->linkCount() == 0)
    throw ErrorGenericSyntax(
        _("no <A HREF=...> tags present\nDo not use the `-c' option for this file"));
  current = std::min(index, document->linkCount() - 1);
  showCentred();
  finish();
}

void HyperWindow::refresh() {
  if (win) wnoutrefresh(win);
}

void HyperWindow::placeCursor() {
  if (!win) return;
  wmove(win, rows() - 1, cols() - 1);
  wnoutrefresh(win);
}

void HyperWindow::run() {
  manager->eventLoop();
  releaseWindow();
  pad_.reset();
  clear();
  ::refresh();
  cursorState.restoreCursor();
  endCurses();
  anchorName.clear();
}

HyperLink HyperWindow::followLink(HyperLink &) {
  return {"", "", -1, -1, -1, -1, NoLink};
}

// ---- positioning ----

void HyperWindow::jumpToAnchor(bool hideCursor) {
  cursorRow = cursorCol = top = left = 0;
  current = 0;
  const size_t count = document->linkCount();
  if (count == 0)
    throw ErrorGenericSyntax(
        _("no <A HREF=...> tags present\nDo not use the `-c' option for this file"));
  if (!anchorName.empty()) {
    const long anchor = document->findAnchor(anchorName);
    if (anchor < 0)
      throw ErrorGenericSyntax(_("cannot find <A NAME=\"%$\">"), anchorName);
    const AnchorCell &at = document->anchorCell(static_cast<size_t>(anchor));
    // Links lie in reading order: the first one not starting before it.
    size_t low = 0, high = count - 1;
    while (low < high) {
      const size_t middle = (low + high) / 2;
      const LinkCells &l = document->cells(middle);
      if (l.startRow < at.row || (l.startRow == at.row && l.startCol < at.col))
        low = middle + 1;
      else
        high = middle;
    }
    current = low;
  }
  showCentred();
  if (hideCursor) cursorState.hideCursor();
  finish();
}

void HyperWindow::showCentred() {
  const LinkCells &l = document->cells(current);
  top = std::clamp((l.startRow + l.endRow) / 2 - (rows() - 1) / 2, 0, maxTop());
  left = std::clamp((l.startCol + l.endCol) / 2 - (cols() - 1) / 2, 0, maxLeft());
  if (span(l) + 1 >= cols()) left = l.startCol;
  cursorRow = l.startRow - top;
  cursorCol = l.startCol - left;
}

void HyperWindow::horizontalRule() {
  const LinkCells &l = document->cells(current);
  const int w = span(l);
  const bool narrower = w + 1 < cols();
  int shift = 0;
  if (cursorCol >= 0 && cursorCol + w >= cols())
    shift = narrower ? cursorCol + w - cols() + 1 : cursorCol;
  else if (cursorCol < 0 && narrower)
    shift = cursorCol;
  else if (cursorCol < 0 && cursorCol + w < cols() - 1)
    // A wide link that ends inside the window shows its end in the last
    // column, as a narrower one would.
    shift = cursorCol + w - (cols() - 1);
  left += shift;
  cursorCol -= shift;
}

void HyperWindow::moveTo(size_t link, bool forward) {
  const LinkCells &from = document->cells(current), &to = document->cells(link);
  cursorRow += to.startRow - from.startRow;
  cursorCol += to.startCol - from.startCol;
  current = link;
  if (!forward && cursorRow < 0) {
    top += cursorRow;
    cursorRow = 0;
  }
  const int end = cursorRow + to.endRow - to.startRow;
  if (forward && end >= rows()) {
    top += end - (rows() - 1);
    cursorRow -= end - (rows() - 1);
  }
  horizontalRule();
}

void HyperWindow::madeVisible(bool afterPageDown) {
  const LinkCells &l = document->cells(current);
  if (l.endRow - top >= rows()) top = l.endRow - rows() + 1;
  if (l.startRow < top) top = l.startRow;
  if (afterPageDown && top > maxTop()) top = maxTop();
  cursorRow = l.startRow - top;
  cursorCol = l.startCol - left;
  const int w = span(l);
  int shift = 0;
  if (cursorCol < 0)
    shift = cursorCol;
  else if (cursorCol + w >= cols())
    shift = w + 1 < cols() ? cursorCol + w - cols() + 1 : cursorCol;
  left += shift;
  cursorCol -= shift;
}

// ---- the highlight ----

bool HyperWindow::highlightInside(size_t link) const {
  return inside(document->cells(link), top + cursorRow, left + cursorCol);
}

long HyperWindow::linkAtHighlight() {
  const long row = top + cursorRow, col = left + cursorCol;
  const size_t count = document->linkCount();
  size_t i = current;
  if (beforeStart(document->cells(i), row, col)) {
    while (i > 0 && beforeStart(document->cells(i), row, col)) --i;
  } else {
    while (i + 1 < count && afterEnd(document->cells(i), row, col)) ++i;
  }
  current = i;
  return inside(document->cells(i), row, col) ? static_cast<long>(i) : -1;
}

void HyperWindow::redraw() {
  hbar->setPosition(left);
  vbar->setPosition(top);
  for (int r = 0; r < rows(); ++r) {
    const bool more = document->rowLength(top + r) > left + cols();
    marker.setMark(r, more ? '+' | attrOf(kAttrMore) : ' ' | attrOf(kAttrNormal));
  }
  marker.refresh();
  highlighted = document->linkCount() > 0 ? linkAtHighlight() : -1;
  paint();
  refresh();
  // The window's rows go out with the status line's update.
  statusLine->setText(highlighted >= 0
                          ? document->target(static_cast<size_t>(highlighted))
                          : std::string());
}

void HyperWindow::finish() {
  redraw();
  manager->updateCursor();
}

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
    pad_->forCells(static_cast<int>(row), line.from, [&](const HyperPad::Cell &cell) {
      if (cell.column > end) return false;
      line.slots.push_back(static_cast<uint8_t>(highlightSlot(cell.attr, last)));
      return true;
    });
    result.push_back(std::move(line));
  }
  return result;
}

void HyperWindow::paint() {
  if (!win || !pad_) return;
  const std::vector<HighlightRow> lit = highlightRows();
  std::vector<chtype> line(static_cast<size_t>(cols()));
  for (int r = 0; r < rows(); ++r) {
    const long row = top + r;
    std::fill(line.begin(), line.end(), ' ' | attrOf(kAttrNormal));
    const HighlightRow *bright = nullptr;
    for (const HighlightRow &h : lit)
      if (h.row == row) bright = &h;
    pad_->forCells(static_cast<int>(row), left, [&](const HyperPad::Cell &cell) {
      if (cell.column >= left + cols()) return false;
      int slot = cell.attr;
      if (bright) {
        const long at = cell.column - bright->from;
        if (at >= 0 && at < static_cast<long>(bright->slots.size()))
          slot = bright->slots[at];
      }
      const chtype shown =
          cell.glyph ? GraphicCharTable[cell.byte].glyph : printableByte(cell.byte);
      line[static_cast<size_t>(cell.column - left)] = shown | attrOf(slot);
      return true;
    });
    mvwaddchnstr(win, r, 0, line.data(), cols());
  }
}

// ---- vertical movement ----

namespace {
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

long HyperWindow::verticalTarget(bool downward) const {
  const long count = static_cast<long>(document->linkCount());
  const long step = downward ? 1 : -1;
  const LinkCells &from = document->cells(current);
  long i = static_cast<long>(current) + step;
  while (i >= 0 && i < count && document->cells(i).startRow == from.startRow) i += step;
  long best = -1, bestOverlap = 0, bestDistance = LONG_MAX;
  int bestRow = -1;
  for (; i >= 0 && i < count; i += step) {
    const LinkCells &c = document->cells(static_cast<size_t>(i));
    const long o = overlap(from, c, cols());
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

bool HyperWindow::stepVertically(bool downward) {
  const long target = verticalTarget(downward);
  if (target < 0) return false;
  moveTo(static_cast<size_t>(target), downward);
  return true;
}

// ---- the other movements ----

bool HyperWindow::stepLink(bool forward) {
  if (forward ? current + 1 >= document->linkCount() : current == 0) return false;
  moveTo(forward ? current + 1 : current - 1, forward);
  return true;
}

void HyperWindow::firstLink() {
  if (current != 0) {
    current = 0;
    top = left = 0;
    cursorRow = document->cells(0).startRow;
    cursorCol = document->cells(0).startCol;
    horizontalRule();
  }
  finish();
}

void HyperWindow::lastLink() {
  const size_t last = document->linkCount() - 1;
  if (current != last) {
    current = last;
    top = maxTop();
    left = 0;
    const LinkCells &l = document->cells(last);
    cursorRow = l.startRow - top;
    cursorCol = l.startCol;
    if (cursorRow < 0) {
      top += cursorRow;
      cursorRow = 0;
    }
    horizontalRule();
  }
  finish();
}

void HyperWindow::lineEdge(bool end) {
  const int row = document->cells(current).startRow;
  size_t i = current;
  if (end) {
    while (i + 1 < document->linkCount() && document->cells(i + 1).startRow == row) ++i;
  } else {
    while (i > 0 && document->cells(i - 1).startRow == row) --i;
  }
  moveTo(i, end);
  finish();
}

bool HyperWindow::stepPageDown(long lines) {
  const size_t last = document->linkCount() - 1;
  if (current == last) return false;
  const long wanted = document->cells(current).startRow + lines;
  size_t i = current + 1;
  while (i < last && document->cells(i).startRow < wanted) ++i;
  if (i < last) {
    top = static_cast<int>(std::min<long>(top + lines, maxTop()));
  } else {
    i = last;
    top = maxTop();
  }
  current = i;
  madeVisible(true);
  return true;
}

bool HyperWindow::stepPageUp(long lines) {
  if (current == 0) return false;
  const long wanted = document->cells(current).startRow - lines;
  size_t i = current - 1;
  while (i > 0 && document->cells(i).startRow > wanted) --i;
  if (i > 0)
    top = top - lines < 1 ? 0 : static_cast<int>(top - lines);
  else
    top = 0;
  current = i;
  madeVisible(false);
  return true;
}

void HyperWindow::pan(bool rightward) {
  const LinkCells &l = document->cells(current);
  const int w = span(l);
  const bool oneRow = l.startRow == l.endRow, narrower = w + 1 < cols();
  const bool roomRight = left + cols() < std::max(document->cols, cols());
  bool can;
  if (rightward)
    can = !oneRow    ? roomRight
          : narrower ? cursorCol > 0 && roomRight
                     : cursorCol + w > cols() - 1;
  else
    can = !oneRow    ? left > 0
          : narrower ? left > 0 && cursorCol + w != cols() - 1
                     : cursorCol < 0;
  if (can) {
    left += rightward ? 1 : -1;
    cursorCol += rightward ? -1 : 1;
  }
  finish();
}

void HyperWindow::centre() {
  if (highlightInside(current)) {
    const LinkCells &l = document->cells(current);
    const int row = top + cursorRow;
    top = std::clamp((l.startRow + l.endRow) / 2 - (rows() - 1) / 2, 0, maxTop());
    cursorRow = row - top;
  }
  finish();
}

// vi ^E: the view moves on while the highlighted link keeps its row; when
// the link would leave the top of the window, the highlight moves on to the
// first link that stays in it.
void HyperWindow::scrollForward(long lines) {
  long newTop = top + lines;
  const LinkCells &l = document->cells(current);
  if (l.startRow < newTop) {
    size_t i = current + 1;
    while (i < document->linkCount() && document->cells(i).startRow < newTop) ++i;
    if (i < document->linkCount()) {
      moveTo(i, true);
      const LinkCells &to = document->cells(i);
      if (to.endRow >= newTop + rows()) newTop = to.endRow - rows() + 1;
    } else {
      newTop = l.startRow;
    }
  }
  top = static_cast<int>(newTop);
  cursorRow = document->cells(current).startRow - top;
  finish();
}

// vi ^Y: the mirror image; the view never goes above the document.
void HyperWindow::scrollBack(long lines) {
  long newTop = std::max(0L, top - lines);
  const LinkCells &l = document->cells(current);
  if (l.endRow >= newTop + rows()) {
    long i = static_cast<long>(current) - 1;
    while (i >= 0 && document->cells(static_cast<size_t>(i)).endRow >= newTop + rows())
      --i;
    if (i >= 0) {
      moveTo(static_cast<size_t>(i), false);
      newTop = std::min<long>(newTop, document->cells(static_cast<size_t>(i)).startRow);
    } else {
      newTop = l.endRow - rows() + 1;
    }
  }
  top = static_cast<int>(newTop);
  cursorRow = document->cells(current).startRow - top;
  finish();
}

void HyperWindow::showMatch(size_t link) {
  const LinkCells &l = document->cells(link);
  if (l.startRow < top || l.endRow >= top + rows())
    top = (l.startRow + l.endRow) / 2 - (rows() - 1) / 2;
  top = std::clamp(top, 0, maxTop());
  cursorRow = l.startRow - top;
  cursorCol = l.startCol - left;
  current = link;
  horizontalRule();
  finish();
}

// ---- selecting ----

void HyperWindow::select() {
  if (document->linkCount() == 0 || !highlightInside(current)) return;
  chosenLink = std::make_unique<HyperLink>(document->link(current));
  if (chosenLink->kind == RefLink) {
    followResult = followLink(*chosenLink);
    while (followResult.kind == RefLink) followResult = followLink(followResult);
    if (followResult.kind == NoLink) {
      chosenLink.reset();
      return;
    }
    *chosenLink = followResult;
  }
  switch (chosenLink->kind) {
    case JumpLink: {
      const std::string &target = chosenLink->target;
      const size_t hash = target.find('#');
      const bool here = hash == 0;
      anchorName = hash == std::string::npos ? std::string() : target.substr(hash + 1);
      chosenLink.reset();
      // A place in another document is not followed.
      if (here) jumpToAnchor(false);
      break;
    }
    case CallLink:
    case QuitLink:
      endLoop();
      break;
    default:
      break;
  }
}

void HyperWindow::processMouse(MEVENT &event) {
  const mmask_t acting = BUTTON1_RELEASED | BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED |
                         BUTTON1_TRIPLE_CLICKED;
  if (!(event.bstate & acting) || document->linkCount() == 0) return;
  const long row = top + event.y - rect.top, col = left + event.x - rect.left;
  const size_t count = document->linkCount();
  if (inside(document->cells(current), row, col)) {
    select();
    return;
  }
  size_t i = current;
  if (beforeStart(document->cells(i), row, col)) {
    while (i > 0 && beforeStart(document->cells(i), row, col)) --i;
  } else {
    while (i + 1 < count && afterEnd(document->cells(i), row, col)) ++i;
  }
  if (!inside(document->cells(i), row, col)) return;
  current = i;
  cursorRow = event.y - rect.top;
  cursorCol = event.x - rect.left;
  processKey('\r');
  // What the click selected may not have ended the display.
  if (manager->inputWindow) finish();
}

// ---- keys ----

void HyperWindow::processKey(int key) {
  if (commonKey(key)) return;
  const int keySet = activeConfig.KeyBinding;
  if (keySet == kKeysVi)
    viKey(key);
  else if (keySet == kKeysEmacs)
    emacsKey(key);
}

bool HyperWindow::commonKey(int key) {
  switch (key) {
    case '\n':
    case '\r':
    case ' ':
      select();
      break;
    case kCtrlC:
    case KEY_F(10):
      endLoop();
      break;
    case KEY_DOWN:
    case KEY_SF:
      down();
      break;
    case KEY_UP:
    case KEY_SR:
      up();
      break;
    case KEY_LEFT:
      previousLink();
      break;
    case KEY_RIGHT:
      nextLink();
      break;
    case KEY_HOME:
      firstLink();
      break;
    case KEY_END:
      lastLink();
      break;
    case KEY_NPAGE:
      pageDown(rows() - 1);
      break;
    case KEY_PPAGE:
      pageUp(rows() - 1);
      break;
    case ',':
    case KEY_SLEFT:
      pan(false);
      break;
    case '.':
    case KEY_SRIGHT:
      pan(true);
      break;
    case KEY_B2:
      centre();
      break;
    case KEY_F(9):
      statusLine->nextPage();
      finish();
      break;
    case KEY_F(8):
      manager->redrawAll();
      break;
    default:
      return false;
  }
  return true;
}

void HyperWindow::resetVi() {
  count = 1;
  countActive = gPending = zPending = false;
}

// A counted movement stops early where it can go no further.
void HyperWindow::repeat(long times, bool (HyperWindow::*step)(long), long argument) {
  for (long i = 0; i < times && (this->*step)(argument); ++i) {
  }
  finish();
}

void HyperWindow::viKey(int key) {
  if (key >= '1' && key <= '9') {
    count = countActive ? std::min(10 * count + (key - '0'), 99999999L) : key - '0';
    countActive = true;
    return;
  }
  if (key == '0' && countActive) {
    count = std::min(10 * count, 99999999L);
    return;
  }
  const long n = count;
  const int half = rows() / 2 - 1;
  bool g = false, z = false;
  switch (key) {
    case '0':
    case '^':
      lineEdge(false);
      break;
    case '$':
      lineEdge(true);
      break;
    case 'j':
    case '+':
    case '_':
      repeat(n, &HyperWindow::stepDown, 0);
      break;
    case 'k':
    case '-':
      repeat(n, &HyperWindow::stepUp, 0);
      break;
    case 'l':
    case 'w':
    case 'W':
      repeat(n, &HyperWindow::stepNext, 0);
      break;
    case 'h':
    case 'b':
    case 'B':
      repeat(n, &HyperWindow::stepPrevious, 0);
      break;
    case kCtrlF:
      repeat(n, &HyperWindow::stepPageDown, rows() - 1);
      break;
    case kCtrlB:
      repeat(n, &HyperWindow::stepPageUp, rows() - 1);
      break;
    case kCtrlD:
      pageDown(countActive ? n : half);
      break;
    case kCtrlU:
      pageUp(countActive ? n : half);
      break;
    case kCtrlE:
      scrollForward(n);
      break;
    case kCtrlY:
      scrollBack(n);
      break;
    case 'G':
      lastLink();
      break;
    case 'g':
      if (gPending)
        firstLink();
      else
        g = true;
      break;
    case 'Z':
      if (zPending)
        endLoop();
      else
        z = true;
      break;
    case 'q':
    case 'Q':
      endLoop();
      break;
    default:
      break;
  }
  resetVi();
  gPending = g;
  zPending = z;
}

void HyperWindow::emacsKey(int key) {
  if (key == kEscape) {
    metaPending = !metaPending;
    return;
  }
  const bool meta = metaPending;
  metaPending = false;
  if (meta) {
    if (key == 'b') previousLink();
    if (key == 'f') nextLink();
    if (key == 'v') pageUp(rows() - 1);
    return;
  }
  switch (key) {
    case kCtrlA:
      lineEdge(false);
      break;
    case kCtrlE:
      lineEdge(true);
      break;
    case kCtrlN:
      down();
      break;
    case kCtrlP:
      up();
      break;
    case kCtrlV:
      pageDown(rows() - 1);
      break;
    case kCtrlB:
      previousLink();
      break;
    case kCtrlF:
      nextLink();
      break;
    default:
      break;
  }
}
