#include "hyper/browser.h"

#include <cstdio>

#include "base/errors.h"
#include "hyper/find_window.h"
#include "hyper/screen_frame.h"
#include "term/terminal.h"

namespace {

// Everything between taking the terminal and giving it back. The windows
// and managers are locals, destroyed in reverse order of construction, so
// an error on the way leaves nothing of them behind.
std::optional<std::string> runDisplay(HyperDocument &document,
                                      const std::string &anchorName,
                                      const ProfileConfig &config) {
  if (COLS < 50 || LINES < 10) throw ErrorScreenTooSmall();
  ScreenFrame frame(config, document.utf8);
  frame.status.setText(" ");
  frame.show();
  zqHyperWindowWithFind window(frame.screen, document, frame.title, frame.status,
                               frame.hbar, frame.vbar, anchorName);
  frame.attach(window, window);
  frame.screen.pushInputWindow(&window);
  frame.screen.refreshAll();
  window.run();
  return window.chosenDirectory;
}

}  // namespace

std::optional<std::string> browse(HyperDraw &drawer, const std::string &anchorName,
                                  const ProfileConfig &config, bool utf8) {
  HyperDocument document(drawer);
  document.utf8 = utf8;
  CursesSession session(true);
  try {
    return runDisplay(document, anchorName, config);
  } catch (const DisplayInterrupted &) {
    clear();
    refresh();
    return std::nullopt;
  } catch (...) {
    if (session.started() && !session.redirected()) {
      move(LINES - 1, 0);
      refresh();
    }
    fputs("\n\n", stdout);
    fflush(stdout);
    throw;
  }
}
