// The scroll bars beside and below the view, the scroll box where they meet
// (it also holds the terminal cursor), and the marker bar that flags rows
// continuing beyond the right edge.
#ifndef VOK_TERM_BARS_H
#define VOK_TERM_BARS_H

#include "term/window.h"

// Units are document lines or columns; the trough is the bar without its
// two arrow cells.
class ScrollBarBase : public NCPlainWindow {
 public:
  using NCPlainWindow::NCPlainWindow;
  virtual void draw() = 0;

  void setVisible(int v);
  void setTotal(int t);  // at least 1
  void setPosition(int p);

  int length = 1, visible = 1, total = 1, position = 0;
  int before = 0, slider = 1, after = 0;
  int dragDir = 0, dragPos = 0;
  NCWindowBase *target = nullptr;  // receives the keys made from clicks

 protected:
  void recompute();
  void createBar(int troughLength);
  // p is the clicked column or line, start that of the first arrow; the
  // keys page back and forward by arrow, trough and a held slider.
  void click(MEVENT &event, int p, int start, int end, int stepBack, int stepForward,
             int pageBack, int pageForward);
};

class HScrollBar : public ScrollBarBase {
 public:
  HScrollBar(NCScreenManager &screen, int windowId) : ScrollBarBase(screen, windowId) {}
  void create() override;
  void draw() override;
};

class VScrollBar : public ScrollBarBase {
 public:
  VScrollBar(NCScreenManager &screen, int windowId) : ScrollBarBase(screen, windowId) {}
  void create() override;
  void draw() override;
};

class zqHScrollBar : public HScrollBar {
 public:
  explicit zqHScrollBar(NCScreenManager &screen) : HScrollBar(screen, kHScrollBar) {
    HScrollBar::create();
  }
  void processMouse(MEVENT &event) override;
};

class zqVScrollBar : public VScrollBar {
 public:
  explicit zqVScrollBar(NCScreenManager &screen) : VScrollBar(screen, kVScrollBar) {
    VScrollBar::create();
  }
  void processMouse(MEVENT &event) override;
};

// Stays in the cell at the last column of the title line whatever the
// layout; where the layout hides it, it is not drawn but the cursor still
// rests there.
class zqScrollBox : public NCWindowBase {
 public:
  explicit zqScrollBox(NCScreenManager &screen) : NCWindowBase(screen, kScrollBox) {
    zqScrollBox::create();
  }
  virtual void draw();
  void create() override;
  void resize() override;
  void refresh() override;
  void placeCursor() override;
  void touch() override;
};

class zqMarkerBar : public NCPlainWindow {
 public:
  explicit zqMarkerBar(NCScreenManager &screen) : NCPlainWindow(screen, kMarkerBar) {
    zqMarkerBar::create();
  }
  void create() override;
  void setMark(int row, chtype ch);
};

#endif
