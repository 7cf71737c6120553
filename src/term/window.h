// The window framework of the full-screen view: a base for every window, and
// the screen manager that lays windows out, routes keys and mouse events to
// them and sends the screen updates to the terminal, once the windows an
// action touched are redrawn (a step of the incremental find sends a few).
#ifndef VOK_TERM_WINDOW_H
#define VOK_TERM_WINDOW_H

#include <curses.h>

#include <functional>
#include <vector>

#include "term/display_settings.h"
#include "term/geometry.h"
#include "term/terminal.h"

class NCScreenManager;

// A window owns its curses window (released in the destructor) and is
// registered with its manager by its first create(); it must be destroyed
// before the manager.
class NCWindowBase {
 public:
  NCWindowBase(NCScreenManager &screen, int windowId);
  NCWindowBase(const NCWindowBase &) = delete;
  NCWindowBase &operator=(const NCWindowBase &) = delete;

  virtual void touch();
  virtual void resize() = 0;
  virtual void refresh() = 0;  // to the virtual screen only, never doupdate
  virtual void placeCursor() {}
  virtual void showPrefix(int, bool) {}
  virtual void processKey(int) {}
  virtual void processMouse(MEVENT &) {}
  virtual ~NCWindowBase();
  virtual void create() = 0;
  virtual void run();

  void computeGeometry();
  void computeAndRegister();
  bool shown() const { return rect.height > 0 && rect.width > 0; }
  bool contains(int x, int y) const;
  // How the display draws, from its manager.
  attr_t attrOf(int slot) const;
  chtype glyph(int index) const;
  bool utf8() const;

  int id;
  WINDOW *win = nullptr;
  WindowRect rect;
  NCScreenManager *manager;
  CursorState cursorState;
  bool registered = false;

 protected:
  // A curses window at rect; std::bad_alloc when curses has no memory.
  void makeWindow();
  void releaseWindow();
};

// A window that gets a new curses window at every re-layout and is copied
// to the virtual screen as it is.
class NCPlainWindow : public NCWindowBase {
 public:
  using NCWindowBase::NCWindowBase;
  void resize() override;  // delwin, then create
  void refresh() override;
};

class NCScreenManager {
 public:
  // Becomes the manager that terminal size changes are forwarded to.
  NCScreenManager(NCGeometryManagerBase &geometry, const DisplaySettings &settings,
                  const DisplayLook &look = DisplayLook());
  NCScreenManager(const NCScreenManager &) = delete;
  NCScreenManager &operator=(const NCScreenManager &) = delete;

  virtual void resizeAll();
  virtual ~NCScreenManager();
  virtual int readKey();
  // Runs while there is an input window.
  virtual void eventLoop();
  virtual void placeDefaultCursor() {}

  void registerWindow(NCWindowBase *w);
  void unregisterWindow(NCWindowBase *w);
  void redrawAll();
  void refreshAll();
  void refreshWindows();
  void updateCursor();
  void setLayoutMode(int mode);
  // A window becomes current and the old one is stacked; null pops.
  void pushInputWindow(NCWindowBase *w);
  void pushCursorWindow(NCWindowBase *w);
  // Ends the event loop whichever window has the input (find mode's line,
  // say): every input window is popped.
  void endEventLoop();

  NCGeometryManagerBase *geometry;
  const DisplaySettings settings;
  const DisplayLook look;
  NCWindowBase *inputWindow = nullptr;
  NCWindowBase *cursorWindow = nullptr;
  NCWindowBase *prefixWindow = nullptr;
  std::vector<NCWindowBase *> windows;
  std::vector<NCWindowBase *> inputStack;
  std::vector<NCWindowBase *> cursorStack;
  MEVENT mouseEvent = {};
  int keyDelay = -1;  // milliseconds a read waits, -1 for ever
  // Work that waits for no key: while it is set, a read that finds no key
  // waiting does a short step of it (false when none is left) and reads
  // again.
  std::function<bool()> idleWork;

  static NCScreenManager *current;

 protected:
  // The curses window keys are read from; wgetch repaints it when touched.
  virtual WINDOW *keyWindow();

 private:
  void placeCursor();
  void dispatchMouse(NCWindowBase *&held, MEVENT &heldEvent);
};

class zqScreenManager : public NCScreenManager {
 public:
  // Prepares stdscr and makes the display's look from the profile; utf8
  // says whether names are read as UTF-8.
  zqScreenManager(NCGeometryManagerBase &geometry, const ProfileConfig &config, bool utf8);
  // Below 50 columns or 10 lines only a request to make the screen bigger
  // is shown, and keys are dropped until a resize gives the room back.
  void resizeAll() override;
  // F8 (and ^R or ^L by key set) repaints; in the default key set ^F and a
  // digit give F1..F10.
  int readKey() override;

  bool tooSmall = false;

 protected:
  WINDOW *keyWindow() override;

 private:
  // F10 and ^C, and the key set's own quit keys where the view has the
  // input (in find mode they are text).
  bool endsDisplay(int key) const;
};

// Bits of a mouse event. Buttons 4 and 5 of a wheel are pressed and never
// released: a notch each, never held.
constexpr mmask_t kButtonsPressed = BUTTON1_PRESSED | BUTTON2_PRESSED | BUTTON3_PRESSED;
constexpr mmask_t kButtonsReleased =
    BUTTON1_RELEASED | BUTTON2_RELEASED | BUTTON3_RELEASED | BUTTON4_RELEASED;
constexpr mmask_t kWheelUp = BUTTON4_PRESSED, kWheelDown = BUTTON5_PRESSED;
// The event with every press of buttons 1-4 turned into a release.
mmask_t releaseOfPresses(mmask_t state);

// Double and triple clicks of button 1 are handled as two or three single
// clicks, the screen updated after each. Returns false when the event is
// neither, for the caller to handle a press or click itself.
bool repeatMultiClick(NCWindowBase &window, MEVENT &event);

#endif
