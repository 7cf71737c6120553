#include "hyper/browser.h"

#include <cstdio>

#include "base/errors.h"
#include "config/reader.h"
#include "hyper/drawers.h"
#include "hyper/find_window.h"
#include "term/frame.h"
#include "term/terminal.h"

namespace {

// Everything between taking the terminal and giving it back. The windows
// and managers are locals, destroyed in reverse order of construction, so
// an error on the way leaves nothing of them behind.
void runDisplay(HyperDocument &document, const std::string &anchorName) {
  if (COLS < 50 || LINES < 10) throw ErrorScreenTooSmall();
  fillGraphicGlyphs(activeConfig.GraphicChar);
  ScreenFrame frame;
  frame.status.setText(" ");
  frame.show();
  zqHyperWindowWithFind window(frame.screen, document, frame.title, frame.status,
                               frame.hbar, frame.vbar, anchorName,
                               static_cast<int>(lineCount), static_cast<int>(widestLine));
  frame.attach(window, window);
  frame.screen.pushInputWindow(&window);
  frame.screen.refreshAll();
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
