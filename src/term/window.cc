#include "term/window.h"

#include <algorithm>
#include <new>

#include "base/message.h"
#include "base/utf8.h"
#include "term/keys.h"

NCScreenManager *NCScreenManager::current = nullptr;

// ---- windows ----

NCWindowBase::NCWindowBase(NCScreenManager &screen, int windowId)
    : id(windowId), manager(&screen) {}

NCWindowBase::~NCWindowBase() {
  if (registered) manager->unregisterWindow(this);
  releaseWindow();
}

void NCWindowBase::touch() {
  if (win) wtouchln(win, 0, getmaxy(win), 1);
}

void NCWindowBase::run() { manager->eventLoop(); }

void NCWindowBase::computeGeometry() { manager->geometry->computeRect(id, rect); }

void NCWindowBase::computeAndRegister() {
  computeGeometry();
  if (!registered) {
    manager->registerWindow(this);
    registered = true;
  }
}

bool NCWindowBase::contains(int x, int y) const {
  return shown() && rect.left <= x && x <= rect.right && rect.top <= y &&
         y <= rect.bottom;
}

void NCWindowBase::makeWindow() {
  win = newwin(rect.height, rect.width, rect.top, rect.left);
  if (!win) throw std::bad_alloc();
}

void NCWindowBase::releaseWindow() {
  if (win) delwin(win);
  win = nullptr;
}

void NCPlainWindow::resize() {
  releaseWindow();
  create();
}

void NCPlainWindow::refresh() {
  if (win) wnoutrefresh(win);
}

// ---- mouse helpers ----

mmask_t releaseOfPresses(mmask_t state) {
  const mmask_t presses[] = {BUTTON1_PRESSED, BUTTON2_PRESSED, BUTTON3_PRESSED,
                             BUTTON4_PRESSED};
  const mmask_t releases[] = {BUTTON1_RELEASED, BUTTON2_RELEASED, BUTTON3_RELEASED,
                              BUTTON4_RELEASED};
  for (int n = 0; n < 4; ++n) {
    if (state & presses[n]) state = (state & ~presses[n]) | releases[n];
  }
  return state;
}

bool repeatMultiClick(NCWindowBase &window, MEVENT &event) {
  int times = event.bstate & BUTTON1_TRIPLE_CLICKED   ? 3
              : event.bstate & BUTTON1_DOUBLE_CLICKED ? 2
                                                      : 0;
  if (times == 0) return false;
  event.bstate = BUTTON1_CLICKED;
  for (int i = 0; i < times; ++i) {
    window.processMouse(event);
    window.manager->refreshWindows();
  }
  return true;
}

// ---- the screen manager ----

attr_t NCWindowBase::attrOf(int slot) const { return manager->look.slot[slot]; }
chtype NCWindowBase::glyph(int index) const { return manager->look.glyphs[index]; }
bool NCWindowBase::utf8() const { return manager->look.utf8; }

NCScreenManager::NCScreenManager(NCGeometryManagerBase &geometryManager,
                                 const DisplaySettings &displaySettings,
                                 const DisplayLook &displayLook)
    : geometry(&geometryManager), settings(displaySettings), look(displayLook) {
  current = this;
  setResizeCallback([] {
    if (current) current->resizeAll();
  });
}

// A size change after the manager is gone must not reach it.
NCScreenManager::~NCScreenManager() {
  if (current == this) {
    current = nullptr;
    setResizeCallback(nullptr);
  }
}

void NCScreenManager::registerWindow(NCWindowBase *w) { windows.push_back(w); }

void NCScreenManager::unregisterWindow(NCWindowBase *w) {
  windows.erase(std::remove(windows.begin(), windows.end(), w), windows.end());
  std::replace(inputStack.begin(), inputStack.end(), w,
               static_cast<NCWindowBase *>(nullptr));
  std::replace(cursorStack.begin(), cursorStack.end(), w,
               static_cast<NCWindowBase *>(nullptr));
  if (inputWindow == w) inputWindow = nullptr;
  if (cursorWindow == w) cursorWindow = nullptr;
  if (prefixWindow == w) prefixWindow = nullptr;
}

void NCScreenManager::placeCursor() {
  if (cursorWindow)
    cursorWindow->placeCursor();
  else
    placeDefaultCursor();
}

void NCScreenManager::redrawAll() {
  for (NCWindowBase *w : windows) w->touch();
  clearok(curscr, TRUE);
  wrefresh(stdscr);
  for (NCWindowBase *w : windows) w->refresh();
  placeCursor();
  doupdate();
}

void NCScreenManager::refreshAll() {
  for (NCWindowBase *w : windows) w->refresh();
  placeCursor();
  doupdate();
}

void NCScreenManager::refreshWindows() {
  for (NCWindowBase *w : windows) w->refresh();
  doupdate();
}

void NCScreenManager::updateCursor() {
  placeCursor();
  doupdate();
}

void NCScreenManager::setLayoutMode(int mode) {
  if (mode == geometry->layoutMode) return;
  geometry->layoutMode = mode;
  resizeAll();
}

namespace {
void push(std::vector<NCWindowBase *> &stack, NCWindowBase *&currentWindow,
          NCWindowBase *w) {
  if (w) {
    stack.push_back(currentWindow);
    currentWindow = w;
  } else if (!stack.empty()) {
    currentWindow = stack.back();
    stack.pop_back();
  } else {
    currentWindow = nullptr;
  }
}
}  // namespace

void NCScreenManager::pushInputWindow(NCWindowBase *w) {
  push(inputStack, inputWindow, w);
}
void NCScreenManager::pushCursorWindow(NCWindowBase *w) {
  push(cursorStack, cursorWindow, w);
}

void NCScreenManager::endEventLoop() {
  inputStack.clear();
  inputWindow = nullptr;
}

void NCScreenManager::resizeAll() {
  // A window's resize may change the layout mode and re-enter here, which
  // can change the list; walk a copy.
  const std::vector<NCWindowBase *> all = windows;
  for (NCWindowBase *w : all) w->resize();
  redrawAll();
}

WINDOW *NCScreenManager::keyWindow() {
  return inputWindow && inputWindow->win ? inputWindow->win : stdscr;
}

namespace {
// A key, or while names are read as UTF-8 a whole character: the bytes of
// one beyond ASCII come as one key (kCharKeyBase and its code point).
int getKey(WINDOW *from, bool utf8) {
  if (!utf8) return wgetch(from);
  wint_t character;
  const int got = wget_wch(from, &character);
  if (got == ERR) return ERR;
  if (got == KEY_CODE_YES || character < 0x80) return static_cast<int>(character);
  return kCharKeyBase + static_cast<int>(character);
}
}  // namespace

int NCScreenManager::readKey() {
  for (;;) {
    // A size change may have replaced the input window's curses window.
    handlePendingSignals();
    WINDOW *from = keyWindow();
    const bool idle = static_cast<bool>(idleWork);
    wtimeout(from, idle ? 0 : keyDelay);
    int key = getKey(from, look.utf8);
    if (key == ERR) {
      // A signal interrupted the read: do its work and read again.
      if (signalPending()) continue;
      // Without a terminal every read fails at once; stop, as a hangup does.
      if (terminalLost()) endOnHangup();
      if (idle) {
        if (!idleWork()) idleWork = nullptr;
        continue;
      }
    }
    if (key == KEY_MOUSE && getmouse(&mouseEvent) != OK) continue;
    return key;
  }
}

void NCScreenManager::dispatchMouse(NCWindowBase *&held, MEVENT &heldEvent) {
  NCWindowBase *target = nullptr;
  for (NCWindowBase *w : windows) {
    if (w->contains(mouseEvent.x, mouseEvent.y)) {
      target = w;
      break;
    }
  }
  if (!target) return;
  if (mouseEvent.bstate & kButtonsPressed) {
    if (held) {
      MEVENT release = heldEvent;
      release.bstate = releaseOfPresses(release.bstate);
      held->processMouse(release);
    }
    held = target;
    heldEvent = mouseEvent;
  }
  target->processMouse(mouseEvent);
  if (mouseEvent.bstate & kButtonsReleased) held = nullptr;
}

void NCScreenManager::eventLoop() {
  // A read that waits at most the scroll rate, as halfdelay would give, but
  // without its cbreak mode: that would let ^C, ^Z and ^\ raise signals
  // again instead of reaching the windows as keys.
  const uint32_t rate = settings.mouseScrollRate;
  keyDelay = rate != 0 ? static_cast<int>(std::min<uint32_t>(rate, 255)) * 100 : -1;
  NCWindowBase *held = nullptr;
  MEVENT heldEvent = {};
  while (inputWindow) {
    int key = readKey();
    if (key == ERR) {
      if (held) {
        MEVENT again = heldEvent;
        held->processMouse(again);
      }
    } else if (key != KEY_MOUSE) {
      held = nullptr;
      inputWindow->processKey(key);
    } else {
      dispatchMouse(held, heldEvent);
    }
  }
}

// ---- the concrete manager ----

zqScreenManager::zqScreenManager(NCGeometryManagerBase &geometryManager,
                                 const ProfileConfig &config, bool utf8)
    : NCScreenManager(geometryManager, DisplaySettings::of(config),
                      DisplayLook::of(config, utf8)) {
  prepareWindow(stdscr);
}

void zqScreenManager::resizeAll() {
  if (COLS > 49 && LINES > 9) {
    tooSmall = false;
    NCScreenManager::resizeAll();
    return;
  }
  tooSmall = true;
  clear();
  move(0, 0);
  addstr(_("Screen too small - please resize to make it bigger."));
  ::refresh();
}

bool zqScreenManager::endsDisplay(int key) const {
  if (key == KEY_F(10) || key == kCtrlC) return true;
  const bool view = inputWindow && inputWindow->id == kHyperWindow;
  return view && settings.keySet == kKeysVi && (key == 'q' || key == 'Q' || key == 'Z');
}

// A read from a window that a resize has touched repaints it, and the view
// must not come back over the request for room.
WINDOW *zqScreenManager::keyWindow() {
  return tooSmall ? stdscr : NCScreenManager::keyWindow();
}

int zqScreenManager::readKey() {
  const int keySet = settings.keySet;
  bool prefix = false;
  for (;;) {
    int key = NCScreenManager::readKey();
    // Read while the screen is too small (also when it became so during
    // the wait): nothing of the view is on the screen to act on, but the
    // way out stays open.
    if (tooSmall) {
      prefix = false;
      if (endsDisplay(key)) return key;
      continue;
    }
    if (key == KEY_RESIZE) continue;
    if (key == KEY_F(8) || (key == kCtrlR && keySet == kKeysDefault) ||
        (key == kCtrlL && keySet == kKeysVi)) {
      redrawAll();
      continue;
    }
    if (key == kCtrlF && keySet == kKeysDefault) {
      prefix = !prefix;
      if (prefixWindow) prefixWindow->showPrefix('F', prefix);
      continue;
    }
    if (!prefix) return key;
    // A pause of the half-delay mode is no key and does not end the prefix.
    if (key == ERR) continue;
    if (key >= '1' && key <= '9') return KEY_F(key - '0');
    if (key == '0') return KEY_F(10);
    prefix = false;
  }
}
