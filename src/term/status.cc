#include "term/status.h"

#include <cstring>

#include "base/message.h"
#include "config/reader.h"
#include "term/draw.h"

namespace {

const char *const kHelpTexts[3][6] = {
    {N_("Keys (1):  Arrows,PgUp,PgDn,Home,End=Move cursor  Enter,Space=Select"),
     N_("Keys (2):  ^R,F8=Repaint screen  F9=Switch display  ^C,F10=Quit"),
     N_("Keys (3):  Keypad Center=Center highlight  `,',`.'=Pan left/right"),
     N_("Keys (4):  A-Z,a-z,0-9=Enter find mode"),
     N_("Keys in find mode:  Up/Dn=Prev/next match  TAB=Exit find  ENTER=Select"),
     N_("^F:  8=Repaint screen  9=Switch display  0=Quit")},
    {N_("Keys (1v):  Arrows,PgUp,PgDn,Home,End=Move cursor  Enter,Space=Select"),
     N_("Keys (2v):  ^L,F8=Repaint screen  F9=Switch display  ^C,F10=Quit"),
     N_("Keys (3v):  Keypad Center=Center highlight  `,',`.'=Pan left/right"),
     N_("Keys (4v):  /,?=Enter find mode"),
     N_("Keys in find mode:  Up,?=Prev  Dn,/=Next  TAB=Exit find  ENTER=Select"),
     N_("^F:  8=Repaint screen  9=Switch display  0=Quit")},
    {N_("Keys (1e):  Arrows,PgUp,PgDn,Home,End=Move cursor  Enter,Space=Select"),
     N_("Keys (2e):  F8=Repaint screen  F9=Switch display  C-c,F10=Quit"),
     N_("Keys (3e):  Keypad Center=Center highlight  `,',`.'=Pan left/right"),
     N_("Keys (4e):  C-s,C-r,A-Z,a-z,0-9=Enter find mode"),
     N_("Keys in find mode:  Up/Dn=Prev/next match  TAB=Exit find  ENTER=Select"),
     N_("C-f:  8=Repaint screen  9=Switch display  0=Quit")},
};

constexpr int kCtrlC = 3, kCtrlH = 8, kCtrlR = 18, kCtrlS = 19, kDelete = 127;

attr_t attrOf(int slot) { return displayAttributes.slot[slot]; }

}  // namespace

const char *helpText(int keySet, int page) {
  if (keySet < 0 || keySet > 2) keySet = kKeysDefault;
  return _(kHelpTexts[keySet][page - 1]);
}

// ---- shared by both lines ----

void StatusWindowBase::setText(const std::string &s) {
  text = s;
  drawPage(-1);
}

void StatusWindowBase::nextPage() {
  page = (page + 1) % pageCount();
  drawPage(-1);
}

void StatusWindowBase::createLine() {
  computeAndRegister();
  if (shown()) makeWindow();
  prepareWindow(win);
}

const char *StatusWindowBase::textOrVersion() {
  static const std::string version = std::string(programName) + " " + versionString;
  return text.empty() ? version.c_str() : text.c_str();
}

// ---- the title line ----

void zqStatusWindow::create() {
  createLine();
  findBackward = 0;
  drawPage(-1);
}

void zqStatusWindow::drawPage(int) {
  if (!win) return;
  fillLine(win, rect.width, attrOf(kAttrTitle));
  drawTruncated(win, rect.width, 20, textOrVersion());
  wnoutrefresh(win);
  manager->updateCursor();
}

zqStatusWindowWithFind::zqStatusWindowWithFind(NCScreenManager &manager)
    : zqStatusWindow(manager, NoCreate()) {
  zqStatusWindow::create();
}

void zqStatusWindowWithFind::drawPage(int page) {
  entry.window = win;
  const int findLength = static_cast<int>(strlen(_("Find: [")));
  const int closeLength = static_cast<int>(strlen(_("]  ")));
  const int width = rect.width;
  if (!findMode || !win || width < findLength + 18) {
    zqStatusWindow::drawPage(page);
    return;
  }
  fillLine(win, width, attrOf(kAttrTitle));
  wmove(win, 0, 2);
  drawPrintable(win, _("Find: ["));
  const int closeAt = findLength + 18, modeAt = closeAt + closeLength;
  if (closeAt < width) {
    wmove(win, 0, closeAt);
    drawPrintableN(win, _("]  "), width - closeAt);
  }
  if (modeAt < width) {
    wmove(win, 0, modeAt);
    drawPrintableN(win, entry.insertMode ? _("Ins") : _("Ovr"), width - modeAt);
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
  const int keySet = activeConfig.KeyBinding;
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
  const int keySet = activeConfig.KeyBinding;
  const bool vi = keySet == kKeysVi, emacs = keySet == kKeysEmacs;
  const bool erasing =
      key == kCtrlH || key == kDelete || key == KEY_BACKSPACE || key == KEY_DC;
  if (key == '\t' || (erasing && entry.string().empty())) {
    leave();
  } else if (key == ' ' && activeConfig.SpaceSelect) {
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

// ---- the status line ----

zqURLWindow::zqURLWindow(NCScreenManager &manager, NoCreate)
    : StatusWindowBase(manager, kStatusLine),
      hint(_("F9=Switch display")),
      hintLen(static_cast<int>(hint.size())),
      help1(helpText(activeConfig.KeyBinding, 1)),
      help2(helpText(activeConfig.KeyBinding, 2)),
      help3(helpText(activeConfig.KeyBinding, 3)) {}

void zqURLWindow::create() {
  createLine();
  drawPage(-1);
}

void zqURLWindow::drawHelpPage(int page) {
  const char *help = page == 1 ? help1 : page == 2 ? help2 : page == 3 ? help3 : nullptr;
  if (help) drawTruncated(win, rect.width, 20, help);
}

void zqURLWindow::drawPage(int page) {
  if (!win) return;
  if (page == -1) page = this->page;
  const int width = rect.width;
  fillLine(win, width, attrOf(kAttrStatus));
  if (page == 0) {
    if (width > 40) drawTruncated(win, width - hintLen - 3, 20, textOrVersion());
    if (width > 20) {
      wmove(win, 0, width - hintLen - 2);
      drawPrintable(win, hint.c_str());
    }
  } else {
    drawHelpPage(page);
  }
  wnoutrefresh(win);
  manager->updateCursor();
}

void zqURLWindow::processMouse(MEVENT &event) {
  if (!win || repeatMultiClick(*this, event)) return;
  if (event.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED)) nextPage();
}

zqURLWindowWithFind::zqURLWindowWithFind(NCScreenManager &manager)
    : zqURLWindow(manager, NoCreate()),
      help4(helpText(activeConfig.KeyBinding, 4)),
      findHelp(helpText(activeConfig.KeyBinding, 5)),
      prefixHelp(helpText(activeConfig.KeyBinding, 6)) {
  manager.prefixWindow = this;
  zqURLWindow::create();
}

void zqURLWindowWithFind::drawHelpPage(int page) {
  if (page == 4 || page == 5)
    drawTruncated(win, rect.width, 20, page == 4 ? help4 : findHelp);
  else
    zqURLWindow::drawHelpPage(page);
}

void zqURLWindowWithFind::showPrefix(int, bool on) {
  if (!win) return;
  fillLine(win, rect.width, attrOf(kAttrStatus));
  if (on)
    drawTruncated(win, rect.width, 20, prefixHelp);
  else
    drawPage(-1);
  manager->refreshWindows();
}
