#include "term/draw.h"

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

void drawTruncated(WINDOW *w, int width, int minWidth, const char *s) {
  if (width <= minWidth) return;
  static const char *const ellipsis = _("...");
  static const int ellipsisLength = static_cast<int>(strlen(ellipsis));
  wmove(w, 0, 2);
  if (strlen(s) > static_cast<size_t>(width - 2)) {
    drawPrintableN(w, s, width - ellipsisLength - 2);
    drawPrintable(w, ellipsis);
  } else {
    drawPrintable(w, s);
  }
}

void fillLine(WINDOW *w, int width, attr_t attr) {
  wmove(w, 0, 0);
  wattrset(w, attr);
  for (int i = 0; i < width; ++i) waddch(w, ' ');
}
