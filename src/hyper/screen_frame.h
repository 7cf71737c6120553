// The windows around the view of the full-screen display and their
// managers, made in the order the layout needs: the title line, the status
// line, the two scroll bars and the scroll box. Members go in reverse
// order, the managers last, as the windows must.
#ifndef VOK_HYPER_SCREEN_FRAME_H
#define VOK_HYPER_SCREEN_FRAME_H

#include "config/profile.h"
#include "hyper/find_line.h"
#include "term/bars.h"
#include "term/status.h"
#include "term/window.h"

struct ScreenFrame {
  // The windows need the curses screen and the profile's display settings;
  // utf8 says whether names are read as UTF-8.
  ScreenFrame(const ProfileConfig &config, bool utf8)
      : geometry(3, config.ScrollBar), screen(geometry, config, utf8) {}

  // The scroll box holds the terminal cursor; everything is put on the screen.
  void show() {
    screen.pushCursorWindow(&box);
    screen.refreshAll();
  }
  // The view receives the keys the scroll bars make of clicks, and is what
  // find mode searches.
  void attach(NCWindowBase &view, SomethingWithFind &searched) {
    title.target = &searched;
    hbar.target = &view;
    vbar.target = &view;
  }

  zqGeometryManager geometry;
  zqScreenManager screen;
  zqStatusWindowWithFind title{screen};
  zqURLWindowWithFind status{screen};
  zqHScrollBar hbar{screen};
  zqVScrollBar vbar{screen};
  zqScrollBox box{screen};
};

#endif
