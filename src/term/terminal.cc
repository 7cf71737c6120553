#include "term/terminal.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <term.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "base/errors.h"
#include "term/glyphs.h"


namespace {

// The session that owns the terminal, for the signal paths, which cannot
// be handed one.
CursesSession *activeSession = nullptr;
void (*resizeCallback)() = nullptr;
// The terminal modes are set once, by the first window prepared.
bool modesSet = false;

volatile sig_atomic_t interruptPending = 0;
volatile sig_atomic_t resizePending = 0;
volatile sig_atomic_t endingSignal = 0;  // SIGTERM or SIGHUP received

void onInterrupt(int) { interruptPending = 1; }
void onWindowResize(int) { resizePending = 1; }
void onEndingSignal(int signal) { endingSignal = signal; }

// Without SA_RESTART, so that a wgetch blocked in read returns and the event
// loop gets to see the flag.
void install(int signal, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(signal, &action, nullptr);
}

void resizeNow() {
  struct winsize size;
  if (!resizeCallback || ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return;
  resizeterm(size.ws_row, size.ws_col);
  wrefresh(curscr);
  resizeCallback();
}

void endActiveSession() {
  if (activeSession) activeSession->end();
}

}  // namespace

CursesSession::CursesSession(bool throwIfRedirected) {
  redirected_ = !isatty(STDOUT_FILENO) || !isatty(STDIN_FILENO);
  if (redirected_ && throwIfRedirected) throw ErrorIORedirect();
  if (!redirected_) {
    install(SIGINT, onInterrupt);
    install(SIGWINCH, onWindowResize);
    install(SIGTERM, onEndingSignal);
    install(SIGHUP, onEndingSignal);
    initscr();
    mousemask(ALL_MOUSE_EVENTS, nullptr);
    // A lone Escape (which leaves find mode) is told from the start of a
    // key's sequence after a tenth of a second, not a whole one.
    set_escdelay(100);
  }
  started_ = true;
  activeSession = this;
}

void CursesSession::end() {
  if (!started_) return;
  if (activeSession == this) activeSession = nullptr;
  resizeCallback = nullptr;
  started_ = false;
  if (redirected_) return;
  if (modesSet) {
    modesSet = false;
    char name[] = "sgr0";
    char *reset = tigetstr(name);
    // terminfo's "not a string capability" is (char *)-1.
    if (reset && reset != reinterpret_cast<char *>(-1))  // NOLINT(performance-no-int-to-ptr)
      putp(reset);
    noraw();
    echo();
    nocbreak();
    nl();
  }
  endwin();
}

void prepareWindow(WINDOW *w) {
  if (activeSession && activeSession->redirected()) return;
  if (w) keypad(w, TRUE);
  if (!modesSet) {
    modesSet = true;
    nonl();
    cbreak();
    noecho();
    typeahead(-1);
    raw();
    if (has_colors()) start_color();
  }
  if (w) intrflush(w, FALSE);
}

void setResizeCallback(void (*callback)()) { resizeCallback = callback; }

bool signalPending() { return interruptPending || resizePending || endingSignal; }

void handlePendingSignals() {
  // The terminal comes back first; then the program ends as the signal
  // would have ended it.
  if (endingSignal) {
    const int signal = endingSignal;
    endActiveSession();
    ::signal(signal, SIG_DFL);
    raise(signal);
    _exit(128 + signal);
  }
  if (interruptPending) {
    interruptPending = 0;
    throw DisplayInterrupted();
  }
  if (resizePending) {
    resizePending = 0;
    if (activeSession && !activeSession->redirected()) resizeNow();
  }
}

bool terminalLost() {
  struct pollfd input = {STDIN_FILENO, POLLIN, 0};
  return poll(&input, 1, 0) > 0 && (input.revents & (POLLHUP | POLLERR | POLLNVAL));
}

void endOnHangup() {
  endActiveSession();
  signal(SIGHUP, SIG_DFL);
  raise(SIGHUP);
  _exit(128 + SIGHUP);
}

namespace {

// The line graphics of the terminal, or plain look-alikes.
void fillGlyphs(chtype (&out)[GraphicCharCount], bool graphicChar) {
  for (int i = 0; i < GraphicCharCount; ++i) out[i] = GraphicCharTable[i].glyph;
  struct Glyph {
    int index;
    chtype acs;
    char plain;
  };
  // ACS_ values read the terminal's map, which exists only after initscr.
  const Glyph glyphs[] = {
      {GBoxUR, ACS_LLCORNER, '+'},
      {GBoxDR, ACS_ULCORNER, '+'},
      {GBoxDL, ACS_URCORNER, '+'},
      {GBoxUL, ACS_LRCORNER, '+'},
      {GBoxVL, ACS_RTEE, '+'},
      {GBoxVR, ACS_LTEE, '+'},
      {GBoxHU, ACS_BTEE, '+'},
      {GBoxHD, ACS_TTEE, '+'},
      {GBoxH, ACS_HLINE, '-'},
      {GBoxV, ACS_VLINE, '|'},
      {GRArr, ACS_RARROW, '>'},
      {GLArr, ACS_LARROW, '<'},
      {GDArr, ACS_DARROW, 'v'},
      {GUArr, ACS_UARROW, '^'},
      {GDegree, ACS_DEGREE, '\''},
      {GPlMinus, ACS_PLMINUS, '#'},
      {GLEqual, ACS_LEQUAL, '<'},
      {GGEqual, ACS_GEQUAL, '>'},
      {GNEqual, ACS_NEQUAL, '!'},
      {GBullet, ACS_BULLET, 'o'},
      {GDiamond, ACS_DIAMOND, '+'},
      {GCkBoard, ACS_CKBOARD, '#'},
      {GBoard, ACS_BOARD, '#'},
      {GLantern, ACS_LANTERN, '#'},
      {GBlock, ACS_BLOCK, '#'},
      {GPi, ACS_PI, '*'},
      {GSterling, ACS_STERLING, 'f'},
      {GS1, ACS_S1, '-'},
      {GS9, ACS_S9, '-'},
      {GS3, ACS_S3, '-'},
      {GS7, ACS_S7, '-'},
  };
  for (const Glyph &g : glyphs) out[g.index] = graphicChar ? g.acs : static_cast<chtype>(g.plain);
}

}  // namespace

DisplayLook DisplayLook::of(const ProfileConfig &config, bool utf8) {
  DisplayLook look;
  fillGlyphs(look.glyphs, config.GraphicChar);
  const bool colors = activeSession && !activeSession->redirected() && has_colors();
  for (int k = 0; k < kAttrSlotCount; ++k) {
    const ScreenAttr &attr = config.attrs[k];
    if (colors) {
      int background =
          attr.background == kDefaultColor ? config.DefaultBackground : attr.background;
      init_pair(static_cast<short>(2 * k + 1), static_cast<short>(attr.foreground),
                static_cast<short>(background));
      look.slot[k] = static_cast<attr_t>(attr.colorBits) | COLOR_PAIR(2 * k + 1);
    } else {
      look.slot[k] = static_cast<attr_t>(attr.monoBits);
    }
  }
  look.troughGlyph = config.GraphicChar ? GCkBoard : GSpace;
  look.utf8 = utf8;
  return look;
}

void CursorState::change(int visibility) {
  int before = curs_set(visibility);
  if (!saved_) {
    previous_ = before;
    saved_ = true;
  }
}

void CursorState::restoreCursor() {
  if (saved_) curs_set(previous_);
}
