// Taking the terminal over and giving it back, the signals that act on it,
// and how a display draws: the sixteen attributes and the glyphs.
#ifndef VOK_TERM_TERMINAL_H
#define VOK_TERM_TERMINAL_H

#include <curses.h>

#include "config/profile.h"
#include "term/glyphs.h"

// Owns the terminal for a scope: whatever leaves it, normally, by an
// exception or by a signal that ends the program, gives the terminal back.
// One session at a time.
class CursesSession {
 public:
  // Takes the terminal. When standard input or output is not a terminal it
  // throws ErrorIORedirect before any curses call if throwIfRedirected is
  // set, and otherwise goes on with every curses call skipped. The signal
  // handlers are installed before initscr, so curses keeps its hands off
  // them.
  explicit CursesSession(bool throwIfRedirected);
  ~CursesSession() { end(); }
  CursesSession(const CursesSession &) = delete;
  CursesSession &operator=(const CursesSession &) = delete;

  // Gives the terminal back; safe to call again.
  void end();
  bool started() const { return started_; }
  bool redirected() const { return redirected_; }

 private:
  bool started_ = false;
  bool redirected_ = false;  // stdin or stdout is no terminal: no curses at all
};

// Keypad keys for the window and, the first time, the terminal modes the
// display needs. Nothing in a session without a terminal.
void prepareWindow(WINDOW *w);
void setResizeCallback(void (*callback)());

// An interrupt (SIGINT) while a display runs: the event loop throws this,
// and the display ends as if the user had quit.
struct DisplayInterrupted {};

// The handlers only record the signal; the event loop calls this before
// every read. An interrupt throws DisplayInterrupted; a size change resizes
// curses and calls the resize callback; SIGTERM and SIGHUP give the
// terminal back and end the program as the signal would.
void handlePendingSignals();
bool signalPending();

// Standard input has hung up (the terminal is gone), so reads fail at once.
bool terminalLost();
// Gives the terminal back and ends the process as SIGHUP would.
[[noreturn]] void endOnHangup();

// How one display draws: the attributes of the sixteen slots (colour pairs
// where the terminal has colours), the characters of the glyph table, and
// whether names are read as UTF-8. Its screen manager makes it once the
// terminal is taken (the line graphics and colour pairs need curses) and
// every window reads it there.
struct DisplayLook {
  attr_t slot[kAttrSlotCount] = {};
  int sliderGlyph = GSpace;  // character-table indices for the scroll bars
  int troughGlyph = GSpace;
  chtype glyphs[GraphicCharCount] = {};
  bool utf8 = false;

  static DisplayLook of(const ProfileConfig &config, bool utf8);
};

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
