// Taking the terminal over and giving it back, the signals that act on it,
// the sixteen display attributes and the line-graphics glyphs.
#ifndef VOK_TERM_TERMINAL_H
#define VOK_TERM_TERMINAL_H

#include <curses.h>

#include "config/profile.h"

struct TerminalState {
  bool started = false;
  bool redirected = false;  // stdin or stdout is no terminal: no curses at all
  bool modesSet = false;
  void (*resizeCallback)() = nullptr;
};
extern TerminalState terminalState;

// Throws ErrorIORedirect (before any curses call) when standard input or
// output is not a terminal and throwIfRedirected is set. The signal
// handlers are installed before initscr, so curses keeps its hands off them.
void startCurses(bool throwIfRedirected);
void prepareWindow(WINDOW *w);
// Safe to call when never started or already ended.
void endCurses();
void setResizeCallback(void (*callback)());

// Owns the terminal for a scope: whatever leaves it, normally or by an
// exception, gives the terminal back.
class CursesSession {
 public:
  explicit CursesSession(bool throwIfRedirected) { startCurses(throwIfRedirected); }
  ~CursesSession() { endCurses(); }
  CursesSession(const CursesSession &) = delete;
  CursesSession &operator=(const CursesSession &) = delete;
};

// The handlers only record the signal; the event loop calls this before
// every read. An interrupt restores the terminal and exits with status 0;
// a size change resizes curses and calls the resize callback.
void handlePendingSignals();
bool signalPending();

// Standard input has hung up (the terminal is gone), so reads fail at once.
bool terminalLost();
// Restores what can be restored and ends the process as SIGHUP would.
[[noreturn]] void endOnHangup();

void fillGraphicGlyphs(bool graphicChar);
void drawGraphicChar(WINDOW *w, int index);

struct DisplayAttributes {
  attr_t slot[kAttrSlotCount];
  int sliderGlyph;  // character-table indices for the scroll bars
  int troughGlyph;
};
extern DisplayAttributes displayAttributes;
void computeDisplayAttributes(const ProfileConfig &config);

class CursorState {
 public:
  void hideCursor() { change(0); }
  void showCursor() { change(1); }
  void restoreCursor();

 private:
  void change(int visibility);
  bool saved_ = false;
  int previous_ = 1;
};

#endif
