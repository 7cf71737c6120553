#include "hyper/browser.h"

#include <cstdio>

#include "base/errors.h"
#include "config/reader.h"
#include "hyper/drawers.h"
#include "hyper/find_window.h"
#include "term/bars.h"
#include "term/status.h"
#include "term/terminal.h"

namespace {

// Everything between taking the terminal and giving it back. The windows
// and managers are locals, destroyed in reverse order of construction, so
// an error on the way leaves nothing of them behind.
void runDisplay(HyperDocument &document, const std::string &anchorName) {
  if (COLS < 50 || LINES < 10) throw ErrorScreenTooSmall();
  fillGraphicGlyphs(activeConfig.GraphicChar);
  zqGeometryManager geometry(3);
  zqScreenManager screen(geometry);
  zqStatusWindowWithFind title(screen);
  zqURLWindowWithFind status(screen);
  zqHScrollBar hbar(screen);
  zqVScrollBar vbar(screen);
  zqScrollBox box(screen);
  status.setText(" ");
  screen.pushCursorWindow(&box);
  screen.refreshAll();
  zqHyperWindowWithFind window(screen, document, title, status, hbar, vbar, anchorName,
                               static_cast<int>(lineCount), static_cast<int>(widestLine));
  title.target = &window;
  hbar.target = &window;
  vbar.target = &window;
  screen.pushInputWindow(&window);
  screen.refreshAll();
  window.run();
}

}  // namespace

void browse(HyperDraw &drawer, const std::string &anchorName) {
  HyperDocument document(drawer);
  startCurses(true);
  try {
    runDisplay(document, anchorName);
  } catch (...) {
    if (terminalState.started && !terminalState.redirected) {
      move(LINES - 1, 0);
      refresh();
    }
    fputs("\n\n", stdout);
    fflush(stdout);
    endCurses();
    throw;
  }
  endCurses();
}
