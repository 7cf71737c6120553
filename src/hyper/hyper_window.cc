#include "hyper/hyper_window.h"

#include <algorithm>

#include "base/errors.h"
#include "base/message.h"
#include "hyper/hyper_keys.h"
#include "term/draw.h"
#include "term/glyphs.h"

namespace {

[[noreturn]] void noLinks() {
  throw ErrorGenericSyntax(
      _("no <A HREF=...> tags present\nDo not use the `-c' option for this file"));
}

}  // namespace

HyperWindow::HyperWindow(NCScreenManager &screen, int windowId, HyperDocument &doc,
                         StatusWindowBase &title, StatusWindowBase &status,
                         ScrollBarBase &horizontal, ScrollBarBase &vertical,
                         const std::string &anchor)
    : NCWindowBase(screen, windowId),
      marker(screen),
      document(&doc),
      titleLine(&title),
      statusLine(&status),
      hbar(&horizontal),
      vbar(&vertical),
      followResult{"", "", -1, -1, -1, -1, NoLink},
      anchorName(anchor) {
  computeGeometry();
  doc.layOut(LINES - 2, COLS - 2);
  HyperWindow::create();
  title.setText(doc.title);
  jumpToAnchor(true);
  // The rest of a layout in steps is recorded while no key is waiting.
  if (doc.recordsPending()) screen.idleWork = [&doc] { return doc.recordSome(); };
}

HyperWindow::~HyperWindow() {
  if (manager) manager->idleWork = nullptr;
}

// ---- layout ----

void HyperWindow::create() {
  laidOut_ = false;
  layOut();
  laidOut_ = true;
}

// The windows for the document's size: which scroll bars show, their
// totals and this window's curses window.
void HyperWindow::layOut() {
  computeAndRegister();
  releaseWindow();
  const int needV = document->rows > LINES - 2 ? 1 : 0;
  const int needH = document->cols > COLS - needV ? 1 : 0;
  // May lay every window out again, this one included, which then only
  // takes its new rectangle.
  layingOut_ = true;
  manager->setLayoutMode(needH + 2 * needV);
  layingOut_ = false;
  hbar->setTotal(std::max(document->cols, rect.width));
  hbar->setVisible(rect.width);
  vbar->setTotal(std::max(document->rows, rect.height));
  vbar->setVisible(rect.height);
  if (!shown()) return;
  makeWindow();
  if (getmaxy(win) != rect.height || getmaxx(win) != rect.width) throw ErrorBadNCurses();
  prepareWindow(win);
  wbkgdset(win, ' ' | attrOf(kAttrNormal));
  wattrset(win, attrOf(kAttrNormal));
}

// The document's rows do not depend on the screen's size, so a resize
// keeps them and lays out only the windows around them.
void HyperWindow::resize() {
  computeGeometry();
  if (!laidOut_ || layingOut_) return;
  const size_t index = view.current;
  chosenLink.reset();
  highlighted = -1;
  layOut();
  sized().current = std::min(index, document->linkCount() - 1);
  showCentred(view, *document);
  finish();
}

void HyperWindow::refresh() {
  if (win) wnoutrefresh(win);
}

void HyperWindow::placeCursor() {
  if (!win) return;
  wmove(win, rect.height - 1, rect.width - 1);
  wnoutrefresh(win);
}

// The session that started the display gives the terminal back.
void HyperWindow::run() {
  manager->eventLoop();
  releaseWindow();
  laidOut_ = false;
  clear();
  ::refresh();
  cursorState.restoreCursor();
  anchorName.clear();
}

HyperLink HyperWindow::followLink(HyperLink &) {
  return {"", "", -1, -1, -1, -1, NoLink};
}

Viewport &HyperWindow::sized() {
  view.rows = rect.height;
  view.cols = rect.width;
  view.docRows = document->rows;
  view.docCols = document->cols;
  return view;
}

// ---- positioning ----

void HyperWindow::jumpToAnchor(bool hideCursor) {
  Viewport &v = sized();
  v.cursorRow = v.cursorCol = v.top = v.left = 0;
  v.current = 0;
  // Only a named anchor needs every link counted: the first screen of a
  // layout in steps records no further than the rows it shows.
  if (!document->hasLink(0)) noLinks();
  if (!anchorName.empty()) {
    const long anchor = document->findAnchor(anchorName);
    if (anchor < 0)
      throw ErrorGenericSyntax(_("cannot find <A NAME=\"%$\">"), anchorName);
    const AnchorCell at = document->anchorCell(static_cast<size_t>(anchor));
    auto before = [&at](const LinkCells &l) {
      return l.startRow < at.row || (l.startRow == at.row && l.startCol < at.col);
    };
    // Links lie in reading order: the first one not starting before it, or
    // the last. The anchor's row is recorded, so it is among the links
    // recorded or the next one.
    const size_t known = document->linksRecorded();
    size_t low = 0, high = known - 1;
    while (low < high) {
      const size_t middle = (low + high) / 2;
      if (before(document->cells(middle)))
        low = middle + 1;
      else
        high = middle;
    }
    if (before(document->cells(low)) && document->hasLink(low + 1)) ++low;
    v.current = low;
  }
  showCentred(v, *document);
  if (hideCursor) cursorState.hideCursor();
  finish();
}

// ---- the highlight ----

bool HyperWindow::highlightInside(size_t link) const {
  return inside(document->cells(link), view.top + view.cursorRow,
                view.left + view.cursorCol);
}

long HyperWindow::linkAtHighlight() {
  const long row = view.top + view.cursorRow, col = view.left + view.cursorCol;
  size_t i = view.current;
  if (beforeStart(document->cells(i), row, col)) {
    while (i > 0 && beforeStart(document->cells(i), row, col)) --i;
  } else {
    while (document->hasLink(i + 1) && afterEnd(document->cells(i), row, col)) ++i;
  }
  view.current = i;
  return inside(document->cells(i), row, col) ? static_cast<long>(i) : -1;
}

void HyperWindow::redraw() {
  sized();
  hbar->setPosition(view.left);
  vbar->setPosition(view.top);
  for (int r = 0; r < rect.height; ++r) {
    const bool more = document->rowLength(view.top + r) > view.left + rect.width;
    marker.setMark(r, more ? '+' | attrOf(kAttrMore) : ' ' | attrOf(kAttrNormal));
  }
  marker.refresh();
  highlighted = document->hasLink(0) ? linkAtHighlight() : -1;
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

// ---- movements ----

bool HyperWindow::step(Step kind, long lines) {
  Viewport &v = sized();
  switch (kind) {
    case Step::Down:
    case Step::Up: {
      const long target = verticalTarget(v, *document, kind == Step::Down);
      if (target < 0) return false;
      moveTo(v, *document, static_cast<size_t>(target), kind == Step::Down);
      return true;
    }
    case Step::Next:
      if (v.current + 1 >= document->linkCount()) return false;
      moveTo(v, *document, v.current + 1, true);
      return true;
    case Step::Previous:
      if (v.current == 0) return false;
      moveTo(v, *document, v.current - 1, false);
      return true;
    case Step::PageDown:
      return stepPageDown(v, *document, lines);
    case Step::PageUp:
      break;
  }
  return stepPageUp(v, *document, lines);
}

void HyperWindow::move(Step kind, long lines) {
  if (step(kind, lines)) finish();
}

void HyperWindow::repeat(Step kind, long times, long lines) {
  for (long i = 0; i < times && step(kind, lines); ++i) {
  }
  finish();
}

void HyperWindow::firstLink() {
  ::firstLink(sized(), *document);
  finish();
}

void HyperWindow::lastLink() {
  ::lastLink(sized(), *document);
  finish();
}

void HyperWindow::lineEdge(bool end) {
  ::lineEdge(sized(), *document, end);
  finish();
}

void HyperWindow::pan(bool rightward) {
  ::pan(sized(), *document, rightward);
  finish();
}

void HyperWindow::centre() {
  ::centre(sized(), *document);
  finish();
}

void HyperWindow::scrollForward(long lines) {
  ::scrollForward(sized(), *document, lines);
  finish();
}

void HyperWindow::scrollBack(long lines) {
  ::scrollBack(sized(), *document, lines);
  finish();
}

void HyperWindow::showMatch(size_t link) {
  ::showMatch(sized(), *document, link);
  finish();
}

void HyperWindow::nextStatusPage() {
  statusLine->nextPage();
  finish();
}

void HyperWindow::repaint() { manager->redrawAll(); }

// ---- selecting ----

void HyperWindow::select() {
  if (document->linkCount() == 0 || !highlightInside(view.current)) return;
  chosenLink = std::make_unique<HyperLink>(document->link(view.current));
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

long HyperWindow::linkAt(const MEVENT &event) const {
  const size_t links = document->linkCount();
  if (links == 0) return -1;
  const long row = view.top + event.y - rect.top, col = view.left + event.x - rect.left;
  size_t i = view.current;
  if (beforeStart(document->cells(i), row, col)) {
    while (i > 0 && beforeStart(document->cells(i), row, col)) --i;
  } else {
    while (i + 1 < links && afterEnd(document->cells(i), row, col)) ++i;
  }
  return inside(document->cells(i), row, col) ? static_cast<long>(i) : -1;
}

void HyperWindow::clickLink(size_t link, const MEVENT &event) {
  if (link == view.current && highlightInside(link)) return select();
  view.current = link;
  view.cursorRow = event.y - rect.top;
  view.cursorCol = event.x - rect.left;
  processKey('\r');
  // What the click selected may not have ended the display.
  if (manager->inputWindow) finish();
}

// A click selects the directory under it; a release only when its press
// went down on the same directory, so that a drag that starts elsewhere (on
// a scroll bar, say) selects nothing. The wheel scrolls the view.
void HyperWindow::processMouse(MEVENT &event) {
  constexpr long kWheelLines = 3;
  if (document->linkCount() == 0) return;
  if (event.bstate & (kWheelUp | kWheelDown)) {
    ::wheel(sized(), *document, kWheelLines, event.bstate & kWheelDown);
    return finish();
  }
  const long link = linkAt(event);
  if (event.bstate & BUTTON1_PRESSED) {
    pressedLink_ = link;
    return;
  }
  const mmask_t clicks =
      BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED | BUTTON1_TRIPLE_CLICKED;
  const bool released = (event.bstate & BUTTON1_RELEASED) && link == pressedLink_;
  if (event.bstate & BUTTON1_RELEASED) pressedLink_ = -1;
  if (link >= 0 && (released || (event.bstate & clicks)))
    clickLink(static_cast<size_t>(link), event);
}

// ---- keys ----

void HyperWindow::processKey(int key) {
  if (KeyAction action = commonKeyAction(key)) return action(*this, 0);
  const int keySet = manager->settings.keySet;
  if (keySet == kKeysVi)
    viKey(key);
  else if (keySet == kKeysEmacs)
    emacsKey(key);
}

void HyperWindow::resetVi() {
  count = 1;
  countActive = gPending = zPending = false;
}

// A count before a key repeats it; "gg" and "ZZ" wait for their second key.
void HyperWindow::viKey(int key) {
  if ((key >= '1' && key <= '9') || (key == '0' && countActive)) {
    count = countActive ? std::min(10 * count + (key - '0'), 99999999L) : key - '0';
    countActive = true;
    return;
  }
  const long typed = countActive ? count : 0;
  const bool g = key == 'g' && !gPending, z = key == 'Z' && !zPending;
  if (key == 'g' && gPending) {
    firstLink();
  } else if (key == 'Z' && zPending) {
    quit();
  } else if (KeyAction action = viKeyAction(key)) {
    action(*this, typed);
  }
  resetVi();
  gPending = g;
  zPending = z;
}

// ESC makes the next key a meta key; a second ESC takes it back.
void HyperWindow::emacsKey(int key) {
  if (key == kEscape) {
    metaPending = !metaPending;
    return;
  }
  const bool meta = metaPending;
  metaPending = false;
  if (KeyAction action = meta ? emacsMetaKeyAction(key) : emacsKeyAction(key))
    action(*this, 0);
}
