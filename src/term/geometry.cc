#include "term/geometry.h"

#include <curses.h>


namespace {
WindowRect rectOf(int left, int top, int right, int bottom) {
  WindowRect r;
  r.left = left;
  r.top = top;
  r.right = right;
  r.bottom = bottom;
  r.height = bottom - top + 1;
  r.width = right - left + 1;
  return r;
}
WindowRect hidden() { return WindowRect(); }
}  // namespace

void layoutRect(int id, int mode, bool scrollBars, int L, int C, WindowRect &r) {
  if (!scrollBars) mode = 0;
  const bool hbar = mode == 1 || mode == 3, vbar = mode == 2 || mode == 3;
  switch (id) {
    case kHyperWindow:
      r = rectOf(0, 0, C - 1 - (mode == 0 ? 0 : mode == 3 ? 2 : 1), L - 3);
      break;
    case kTitleLine:
      r = rectOf(0, L - 2, hbar ? C - 21 : C - 1, L - 2);
      break;
    case kStatusLine:
      r = rectOf(0, L - 1, C - 1, L - 1);
      break;
    case kHScrollBar:
      r = hbar ? rectOf(C - 20, L - 2, C - 2, L - 2) : hidden();
      break;
    case kVScrollBar:
      r = vbar ? rectOf(C - 1, 0, C - 1, L - 3) : hidden();
      break;
    case kScrollBox:
      r = hbar ? rectOf(C - 1, L - 2, C - 1, L - 2) : hidden();
      break;
    case kMarkerBar:
      r = mode == 1 ? rectOf(C - 1, 0, C - 1, L - 3)
          : mode == 3 ? rectOf(C - 2, 0, C - 2, L - 3)
                      : hidden();
      break;
    default:
      break;
  }
}

void zqGeometryManager::computeRect(int id, WindowRect &r) {
  layoutRect(id, layoutMode, scrollBars_, LINES, COLS, r);
}
