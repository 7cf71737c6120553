#include "term/bars.h"

#include <algorithm>

#include "term/glyphs.h"

// ---- scroll bars ----

void ScrollBarBase::recompute() {
  // 64 bits: a million-line document times a wide trough overflows an int.
  const long long h = total / 2;
  before = static_cast<int>((static_cast<long long>(length) * position + h) / total);
  const long long cells = (static_cast<long long>(visible) * length + h) / total;
  slider = static_cast<int>(std::min<long long>(std::max<long long>(cells, 1), length));
  after = length - before - slider;
  if (after < 0) {
    after = 0;
    before = length - slider;
  }
}

void ScrollBarBase::setVisible(int v) {
  visible = v;
  if (total < v) total = v;
  recompute();
  draw();
}

void ScrollBarBase::setTotal(int t) {
  total = std::max(t, 1);
  if (t < visible) visible = std::max(t, 0);
  recompute();
  draw();
}

void ScrollBarBase::setPosition(int p) {
  position = std::max(0, std::min(p, total - visible));
  recompute();
  draw();
}

void ScrollBarBase::createBar(int troughLength) {
  if (shown()) makeWindow();
  // A hidden bar keeps a trough of one cell, so its numbers stay sane.
  length = std::max(troughLength, 1);
  recompute();
  draw();
}

namespace {
// Cell i of a bar, along its line or down its column.
void drawBar(WINDOW *w, bool vertical, const ScrollBarBase &bar, const DisplayLook &look) {
  const attr_t *attr = look.slot;
  int cell = 0;
  auto put = [&](attr_t a, int glyph, int count) {
    wattrset(w, a);
    for (int i = 0; i < count; ++i, ++cell) {
      wmove(w, vertical ? cell : 0, vertical ? 0 : cell);
      waddch(w, look.glyphs[glyph]);
    }
  };
  put(attr[kAttrScrollArrow], vertical ? GUArr : GLArr, 1);
  put(attr[kAttrScrollBar], look.troughGlyph, bar.before);
  put(attr[kAttrScrollBlock], look.sliderGlyph, bar.slider);
  put(attr[kAttrScrollBar], look.troughGlyph, bar.after);
  put(attr[kAttrScrollArrow], vertical ? GDArr : GRArr, 1);
}
}  // namespace

void ScrollBarBase::click(MEVENT &event, int p, int start, int end, int stepBack,
                          int stepForward, int pageBack, int pageForward) {
  const mmask_t buttonOne =
      BUTTON1_PRESSED | BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED | BUTTON1_TRIPLE_CLICKED;
  if (!win || !(event.bstate & buttonOne)) return;
  if (repeatMultiClick(*this, event) || !target) return;
  const int sliderStart = start + before + 1;
  if (p == start) {
    target->processKey(stepBack);
    dragDir = 0;
  } else if (p == end) {
    target->processKey(stepForward);
    dragDir = 0;
  } else if (p < sliderStart) {
    target->processKey(pageBack);
    dragPos = p;
    dragDir = -1;
  } else if (p < sliderStart + slider) {
    // The slider has moved under a held pointer: keep paging its way.
    if (p == dragPos && dragDir == 1) target->processKey(pageForward);
    if (p == dragPos && dragDir == -1) target->processKey(pageBack);
  } else {
    target->processKey(pageForward);
    dragPos = p;
    dragDir = 1;
  }
}

void HScrollBar::create() {
  computeAndRegister();
  createBar(rect.width - 2);
}

void HScrollBar::draw() {
  if (!win) return;
  drawBar(win, false, *this, manager->look);
  refresh();
}

void VScrollBar::create() {
  computeAndRegister();
  createBar(rect.height - 2);
}

void VScrollBar::draw() {
  if (!win) return;
  drawBar(win, true, *this, manager->look);
  refresh();
}

void zqHScrollBar::processMouse(MEVENT &event) {
  click(event, event.x, rect.left, rect.right, KEY_SLEFT, KEY_SRIGHT, KEY_SLEFT,
        KEY_SRIGHT);
}

void zqVScrollBar::processMouse(MEVENT &event) {
  click(event, event.y, rect.top, rect.bottom, KEY_SR, KEY_SF, KEY_PPAGE, KEY_NPAGE);
}

// ---- scroll box ----

void zqScrollBox::create() {
  computeAndRegister();
  if (!shown()) return;
  makeWindow();
  prepareWindow(win);
  draw();
}

// Moved, not re-created, when the screen changes size.
void zqScrollBox::resize() {
  computeGeometry();
  if (!shown()) return;
  if (win) {
    mvwin(win, rect.top, rect.left);
  } else {
    makeWindow();
    prepareWindow(win);
  }
  draw();
}

void zqScrollBox::draw() {
  if (!win) return;
  wattrset(win, attrOf(kAttrScrollArrow));
  wmove(win, 0, 0);
  waddch(win, ' ');
}

// Where the layout hides the box its cell belongs to the title line, which
// a copy of the box would overwrite.
void zqScrollBox::refresh() {
  if (win && shown()) wnoutrefresh(win);
}

void zqScrollBox::touch() {
  if (shown()) NCWindowBase::touch();
}

void zqScrollBox::placeCursor() {
  if (win && shown()) {
    wmove(win, 0, 0);
    wnoutrefresh(win);
  } else {
    setsyx(LINES - 2, COLS - 1);
  }
}

// ---- marker bar ----

void zqMarkerBar::create() {
  computeAndRegister();
  if (shown()) makeWindow();
}

void zqMarkerBar::setMark(int row, chtype ch) {
  if (!win || row < 0 || row >= rect.height) return;
  wmove(win, row, 0);
  waddch(win, ch);
}
