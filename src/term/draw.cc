#include "term/draw.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include "base/message.h"

chtype printableByte(unsigned char byte) {
  return isprint(byte) || byte == ' ' ? byte : '?';
}

int drawPrintableN(WINDOW *w, const char *s, int n) {
  int drawn = 0;
  for (; drawn < n && s[drawn] != '\0'; ++drawn)
    waddch(w, printableByte(static_cast<unsigned char>(s[drawn])));
  return drawn;
}

int drawPrintable(WINDOW *w, const char *s) { return drawPrintableN(w, s, INT_MAX); }

namespace {
const char *ellipsis() {
  static const char *const text = _("...");
  return text;
}

// Draws s from column 2 when it fits into width - 2 columns; returns the
// room left for it beside the ellipsis when it does not, or -1.
int fitOrRoom(WINDOW *w, int width, int minWidth, const char *s) {
  if (width <= minWidth) return -1;
  wmove(w, 0, 2);
  if (strlen(s) <= static_cast<size_t>(width - 2)) {
    drawPrintable(w, s);
    return -1;
  }
  return width - 2 - static_cast<int>(strlen(ellipsis()));
}
}  // namespace

void drawTruncated(WINDOW *w, int width, int minWidth, const char *s) {
  const int room = fitOrRoom(w, width, minWidth, s);
  if (room < 0) return;
  drawPrintableN(w, s, room);
  drawPrintable(w, ellipsis());
}

void drawTruncatedStart(WINDOW *w, int width, int minWidth, const char *s) {
  const int room = fitOrRoom(w, width, minWidth, s);
  if (room < 0) return;
  drawPrintable(w, ellipsis());
  drawPrintable(w, s + strlen(s) - static_cast<size_t>(std::max(room, 0)));
}

void fillLine(WINDOW *w, int width, attr_t attr) {
  wmove(w, 0, 0);
  wattrset(w, attr);
  for (int i = 0; i < width; ++i) waddch(w, ' ');
}
