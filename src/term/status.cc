#include "term/status.h"

#include <cstring>

#include "base/message.h"
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
  drawTruncated(win, rect.width, 20, textOrVersion(), utf8());
  wnoutrefresh(win);
  manager->updateCursor();
}

// ---- the status line ----

zqURLWindow::zqURLWindow(NCScreenManager &screen, NoCreate)
    : StatusWindowBase(screen, kStatusLine),
      hint(_("F9=Switch display")),
      hintLen(static_cast<int>(hint.size())),
      help1(helpText(screen.settings.keySet, 1)),
      help2(helpText(screen.settings.keySet, 2)),
      help3(helpText(screen.settings.keySet, 3)) {}

void zqURLWindow::create() {
  createLine();
  drawPage(-1);
}

void zqURLWindow::drawHelpPage(int which) {
  const char *help = which == 1 ? help1 : which == 2 ? help2 : which == 3 ? help3 : nullptr;
  if (help) drawTruncated(win, rect.width, 20, help, utf8());
}

void zqURLWindow::drawPage(int which) {
  if (!win) return;
  if (which == -1) which = page;
  const int width = rect.width;
  fillLine(win, width, attrOf(kAttrStatus));
  if (which == 0) {
    if (width > 40) drawTruncatedStart(win, width - hintLen - 3, 20, textOrVersion(), utf8());
    if (width > 20) {
      wmove(win, 0, width - hintLen - 2);
      drawPrintable(win, hint.c_str(), utf8());
    }
  } else {
    drawHelpPage(which);
  }
  wnoutrefresh(win);
  manager->updateCursor();
}

void zqURLWindow::processMouse(MEVENT &event) {
  if (!win || repeatMultiClick(*this, event)) return;
  if (event.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED)) nextPage();
}

zqURLWindowWithFind::zqURLWindowWithFind(NCScreenManager &screen)
    : zqURLWindow(screen, NoCreate()),
      help4(helpText(screen.settings.keySet, 4)),
      findHelp(helpText(screen.settings.keySet, 5)),
      prefixHelp(helpText(screen.settings.keySet, 6)) {
  screen.prefixWindow = this;
  zqURLWindow::create();
}

void zqURLWindowWithFind::drawHelpPage(int which) {
  if (which == 4 || which == 5)
    drawTruncated(win, rect.width, 20, which == 4 ? help4 : findHelp, utf8());
  else
    zqURLWindow::drawHelpPage(which);
}

void zqURLWindowWithFind::showPrefix(int, bool on) {
  if (!win) return;
  fillLine(win, rect.width, attrOf(kAttrStatus));
  if (on)
    drawTruncated(win, rect.width, 20, prefixHelp, utf8());
  else
    drawPage(-1);
  manager->refreshWindows();
}
