#include "hyper/find_line.h"

#include <cstring>

#include "base/message.h"
#include "term/draw.h"
#include "term/keys.h"

zqStatusWindowWithFind::zqStatusWindowWithFind(NCScreenManager &screen)
    : zqStatusWindow(screen, NoCreate()),
      entry(screen.settings.keySet, screen.look.slot[kAttrTitle], screen.look.utf8) {
  zqStatusWindow::create();
}

void zqStatusWindowWithFind::drawPage(int which) {
  entry.window = win;
  const int findLength = static_cast<int>(strlen(_("Find: [")));
  const int closeLength = static_cast<int>(strlen(_("]  ")));
  const int width = rect.width;
  if (!findMode || !win || width < findLength + 18) {
    zqStatusWindow::drawPage(which);
    return;
  }
  fillLine(win, width, attrOf(kAttrTitle));
  wmove(win, 0, 2);
  drawPrintable(win, _("Find: ["), utf8());
  const int closeAt = findLength + 18, modeAt = closeAt + closeLength;
  if (closeAt < width) {
    wmove(win, 0, closeAt);
    drawPrintableN(win, _("]  "), width - closeAt, utf8());
  }
  if (modeAt < width) {
    wmove(win, 0, modeAt);
    drawPrintableN(win, entry.insertMode ? _("Ins") : _("Ovr"), width - modeAt, utf8());
  }
  entry.redraw();
  wnoutrefresh(win);
  manager->updateCursor();
}

void zqStatusWindowWithFind::placeCursor() {
  if (!findMode || !win) return;
  entry.moveCursor();
  wnoutrefresh(win);
}

void zqStatusWindowWithFind::processKey(int key) {
  entry.window = win;
  if (!target) return;
  if (findMode)
    findKey(key);
  else
    startFind(key);
}

void zqStatusWindowWithFind::startFind(int key) {
  findMode = true;
  entry.reset();
  const int keySet = manager->settings.keySet;
  if (keySet == kKeysEmacs)
    findBackward = key == kCtrlR;
  else if (keySet == kKeysVi)
    findBackward = key == '?';
  else
    entry.processKey(key);
  if (target->linksMode()) cursorState.showCursor();
  findText = entry.string();
  target->find(findText, findBackward);
  drawPage(-1);
}

void zqStatusWindowWithFind::findKey(int key) {
  const int keySet = manager->settings.keySet;
  const bool vi = keySet == kKeysVi, emacs = keySet == kKeysEmacs;
  const bool erasing =
      key == kCtrlH || key == kDelete || key == KEY_BACKSPACE || key == KEY_DC;
  // Escape leaves as in other programs; in the emacs set it is the meta
  // prefix, and ^G leaves instead.
  const bool cancel = emacs ? key == kCtrlG : key == kEscape;
  if (key == '\t' || cancel || (erasing && entry.string().empty())) {
    leave();
  } else if (key == ' ' && manager->settings.spaceSelect) {
    accept();
  } else if (key == '\n' || key == '\r') {
    if (vi)
      finishVi();
    else
      accept();
  } else if (key == kCtrlC || key == KEY_F(10)) {
    popWindows();
    target->passKey(key);
  } else if (key == KEY_F(8)) {
    manager->redrawAll();
  } else if (key == KEY_DOWN || key == KEY_NPAGE || (vi && key == '/') ||
             (emacs && key == kCtrlS)) {
    target->findNext(findText);
  } else if (key == KEY_UP || key == KEY_PPAGE || (vi && key == '?') ||
             (emacs && key == kCtrlR)) {
    target->findPrev(findText);
  } else if (key >= KEY_F(0) && key <= KEY_F(63)) {
    target->passKey(key);
  } else if (key == KEY_IC) {
    entry.processKey(key);
    drawPage(-1);
  } else if (entry.processKey(key)) {
    findText = entry.string();
    target->find(findText, findBackward);
    // An empty text searches nothing, so nothing else shows the edit.
    if (findText.empty()) manager->updateCursor();
  } else {
    manager->updateCursor();  // the cursor may have moved
  }
}

void zqStatusWindowWithFind::popWindows() {
  manager->pushInputWindow(nullptr);
  manager->pushCursorWindow(nullptr);
}

void zqStatusWindowWithFind::leave() {
  findMode = false;
  if (target->linksMode()) cursorState.hideCursor();
  drawPage(-1);
  popWindows();
  manager->refreshWindows();
  manager->updateCursor();
}

void zqStatusWindowWithFind::accept() {
  findMode = false;
  popWindows();
  target->find(findText, findBackward);
  if (target->linksMode()) cursorState.hideCursor();
  drawPage(-1);
  manager->refreshWindows();
  manager->updateCursor();
}

// vi: an empty search repeats the last one, as often as the count given.
void zqStatusWindowWithFind::finishVi() {
  findMode = false;
  if (target->linksMode()) cursorState.hideCursor();
  if (!findText.empty()) {
    lastFindText = findText;
  } else if (!lastFindText.empty()) {
    for (int i = 0; i < repeatCount; ++i) {
      if (findBackward)
        target->findPrev(lastFindText);
      else
        target->findNext(lastFindText);
    }
  }
  drawPage(-1);
  popWindows();
  manager->refreshWindows();
  manager->updateCursor();
}
